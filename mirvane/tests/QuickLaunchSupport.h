#pragma once

#include "WindowTestSupport.h"

#include <mirvane/CQuickLWnd.h>

#include <platform/Shell.h>
#include <platform/ShellExecute.h>

#include <optional>
#include <string>
#include <vector>

namespace mirvanetest {

class TestBar : public CQuickLWnd {
public:
    CRect Cell(int i) const { return m_rcCells[i]; }
    int Pressed() const { return m_nPressed; }
};

struct Start {
    DWORD cbSize;
    ULONG fMask;
    bool bOwner, bVerb, bParameters, bDirectory;
    std::u16string file;
    int nShow;
};

constexpr RECT kBarPlace{10, 163, 85, 288};

// Entry i's icon is split down the middle into two colours.
constexpr COLORREF LeftColor(int i) {
    return RGB(static_cast<BYTE>(10 + 16 * i), 200, 30);
}
constexpr COLORREF RightColor(int i) {
    return RGB(200, static_cast<BYTE>(10 + 16 * i), 90);
}

class QuickLaunch : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        platform::SetShellExecuteHook([this](const SHELLEXECUTEINFO& r) {
            m_started.push_back({r.cbSize, r.fMask, r.hwnd != nullptr, r.lpVerb != nullptr,
                                 r.lpParameters != nullptr, r.lpDirectory != nullptr,
                                 r.lpFile ? r.lpFile : u"", r.nShow});
            return TRUE;
        });
    }
    void TearDown() override {
        platform::SetShellExecuteHook(nullptr);
        platform::SetWindowCopyHook({});
        m_wnd.reset();
        WindowTest::TearDown();
    }

    std::u16string PathOf(int i) { return u"\\Windows\\Prog" + Digits(i) + u".desktop"; }
    static std::u16string Digits(int i) {
        std::string s = std::to_string(i);
        return {s.begin(), s.end()};
    }

    // Program i: a desktop entry whose icon is a 16 x 16 picture of its two colours.
    void AddEntries(int nCount) {
        for (int k = 0; k < nCount; ++k) {
            int i = m_list.m_List.GetCount();
            auto picture = Device() / "icons" / ("prog" + std::to_string(i) + ".png");
            std::filesystem::create_directories(picture.parent_path());
            Surface icon(16, 16);
            icon.dc().FillSolidRect(0, 0, 8, 16, LeftColor(i));
            icon.dc().FillSolidRect(8, 0, 8, 16, RightColor(i));
            ASSERT_TRUE(platform::SaveBitmapImage(icon.bitmap(), picture.c_str()));
            testsupport::WriteFile(Device() / "Windows" / ("Prog" + std::to_string(i) + ".desktop"),
                                   "[Desktop Entry]\nType=Application\nName=Prog\nExec=/bin/true\n"
                                   "Icon=" +
                                       picture.string() + "\n");
            AddEntry(PathOf(i), true);
        }
    }
    void AddEntry(const std::u16string& path, bool bIcon) {
        QLICONDATA entry;
        entry.PK = m_list.m_List.GetCount();
        std::copy(path.begin(), path.end(), entry.QLPath);
        if (bIcon) {
            SHFILEINFO info;
            SHGetFileInfo(entry.QLPath, 0, &info, sizeof(info), 0x301);
            entry.hIcon = info.hIcon;
        }
        m_list.m_List.AddTail(entry);
    }

    bool Open(RECT place = kBarPlace) {
        m_wnd.emplace();
        m_wnd->SetListPtr(&m_list);
        if (!m_wnd->Create(nullptr, u"QLWND", WS_CHILD | WS_VISIBLE, place, &m_parent, 5555))
            return false;
        m_wnd->MakeInitWnd(m_skin->dc(), CRect(place));
        return true;
    }
    HWND Hwnd() { return m_wnd->GetSafeHwnd(); }
    COLORREF At(int x, int y) { return Shown(Hwnd(), x, y); }
    COLORREF SkinAt(int x, int y) { return SkinColor(x + kBarPlace.left, y + kBarPlace.top); }
    void Press(int x, int y) { m_wnd->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    void Release(int x, int y) { m_wnd->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    int Copies() { return platform::WindowCopyCount(Hwnd()); }

    // The bar at rest: the skin with the first nIcons entries' icons at their cells + (2, 2).
    std::vector<Mismatch> CompareWithRest(int nIcons) {
        Surface picture(75, 125);
        picture.dc().BitBlt(0, 0, 75, 125, &m_skin->dc(), kBarPlace.left, kBarPlace.top, SRCCOPY);
        for (int i = 0; i < nIcons; ++i) {
            int x = 25 * (i % 3) + 2, y = 25 * (i / 3) + 2;
            picture.dc().FillSolidRect(x, y, 8, 16, LeftColor(i));
            picture.dc().FillSolidRect(x + 8, y, 8, 16, RightColor(i));
        }
        return Differences(Hwnd(), picture.dc(), 75, 125);
    }

    std::optional<TestBar> m_wnd;
    CGetQLIconInfo m_list;
    std::vector<Start> m_started;
};

} // namespace mirvanetest
