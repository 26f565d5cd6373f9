#pragma once

#include <platform/CWnd.h>

#include <testsupport/Pixels.h>
#include <testsupport/RecordedShell.h>

#include <gtest/gtest.h>

#include <tuple>

// What the windows' tests share: a main-view stand-in recording the windows' notices, a
// patterned skin, and the stylus and keys on a window.
namespace mirvanetest {

using namespace testsupport;
constexpr auto SkinColor = PatternColor;
using Notice = std::tuple<UINT, WPARAM, LPARAM>;

class ParentWnd : public CWnd {
public:
    ~ParentWnd() override { DestroyWindow(); }
    std::vector<Notice> m_notices;
    std::vector<int> m_copiesSeen; // copies m_hWatched had shown when each notice arrived
    HWND m_hWatched = nullptr;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != 0x1105 && message != 0x1106 && message != 0x19B3)
            return CWnd::WindowProc(message, wParam, lParam);
        m_notices.emplace_back(message, wParam, lParam);
        m_copiesSeen.push_back(m_hWatched ? platform::WindowCopyCount(m_hWatched) : 0);
        return 0;
    }
};

class WindowTest : public RecordedShellTest {
protected:
    void SetUp() override {
        RecordedShellTest::SetUp();
        ASSERT_TRUE(m_parent.Create(nullptr, u"Tovalo", 0, RECT{0, 0, 240, 294}, nullptr, 0));
        for (int y = 0; y < 294; ++y)
            for (int x = 0; x < 240; ++x)
                m_skin.dc.SetPixel(x, y, SkinColor(x, y));
    }
    // A list window made on the view and laid over the skin, or false when it is refused.
    template <class Wnd, class List>
    bool Open(Wnd& wnd, List* pList, LPCWSTR lpszClass, RECT place, UINT nID) {
        wnd.SetListPtr(pList);
        if (!wnd.Create(nullptr, lpszClass, WS_CHILD | WS_VISIBLE, place, &m_parent, nID))
            return false;
        wnd.MakeInitWnd(m_skin.dc, CRect(place));
        return true;
    }
    static void Repaint(CWnd& wnd) {
        wnd.Invalidate();
        wnd.UpdateWindow();
    }
    static void Press(CWnd& wnd, int x, int y) {
        wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    }
    static void Release(CWnd& wnd, int x, int y) {
        wnd.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    static void Tap(CWnd& wnd, int x, int y) {
        Press(wnd, x, y);
        Release(wnd, x, y);
    }
    static int Copies(HWND hWnd) { return platform::WindowCopyCount(hWnd); }
    static void Key(CWnd& wnd, UINT vk) { wnd.SendMessage(WM_KEYDOWN, vk, 1); }

    ParentWnd m_parent;
    Surface m_skin{240, 294};
};

} // namespace mirvanetest
