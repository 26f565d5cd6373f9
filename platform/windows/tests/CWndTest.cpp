#include <platform/CWnd.h>
#include <platform/Gdi.h>
#include <platform/Tray.h>

#include "framework/tests/FrameworkTestSupport.h"

#include <testsupport/ImageFiles.h>

#include <QApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using frameworktest::g_log;
using frameworktest::Record;
using frameworktest::Records;
using frameworktest::WidgetOf;
using platform::detail::WindowState;

class Recorder : public CWnd {
public:
    explicit Recorder(std::string name, int createResult = 0)
        : m_name(std::move(name)), m_createResult(createResult) {}
    ~Recorder() override { DestroyWindow(); }

    std::string m_name;
    int m_createResult;
    LRESULT m_answer = 0;

protected:
    int OnCreate(LPCREATESTRUCT cs) {
        Log(WM_CREATE, cs->hMenu, 0);
        return m_createResult;
    }
    void OnDestroy() { Log(WM_DESTROY, 0, 0); }
    void OnPaint() { Log(WM_PAINT, 0, 0); }
    void OnKeyDown(UINT key, UINT repeat, UINT flags) {
        Log(WM_KEYDOWN, key, repeat);
        Default();
    }
    void OnLButtonDown(UINT flags, CPoint p) { Log(WM_LBUTTONDOWN, flags, MAKELPARAM(p.x, p.y)); }
    void OnLButtonUp(UINT flags, CPoint p) { Log(WM_LBUTTONUP, flags, MAKELPARAM(p.x, p.y)); }
    LRESULT OnNotice(WPARAM w, LPARAM l) {
        Log(0x1105, w, l);
        return m_answer;
    }
    void Log(UINT m, WPARAM w, LPARAM l) { g_log.push_back({m_name, m, w, l}); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Recorder, CWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_PAINT()
ON_WM_KEYDOWN()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_MESSAGE(0x1105, OnNotice)
END_MESSAGE_MAP()

// A 100 x 100 top-level window with two children side by side, the right one 7 pixels down.
class Windows : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        top.Create(nullptr, u"Tovalo Setting", 0, RECT{0, 0, 100, 100}, nullptr, 0);
        left.Create(nullptr, u"l", WS_CHILD | WS_VISIBLE, RECT{0, 0, 50, 100}, &top, 1);
        right.Create(nullptr, u"ICONINFO", WS_CHILD | WS_VISIBLE, RECT{50, 7, 100, 100}, &top,
                     3333);
        m_created = g_log;
        g_log.clear();
    }

    Recorder top{"top"}, left{"left"}, right{"right"};
    Records m_created;
};

TEST_F(Windows, CreationRunsOnCreateWithTheIdAndOnlyTopLevelWindowsAreFoundByTitle) {
    EXPECT_EQ(m_created, (Records{{"top", WM_CREATE, 0, 0},
                                  {"left", WM_CREATE, 1, 0},
                                  {"right", WM_CREATE, 3333, 0}}));
    Recorder refuses("refuses", -1), closed("closed");
    EXPECT_FALSE(refuses.Create(nullptr, u"x", 0, RECT{0, 0, 10, 10}, nullptr, 1));
    EXPECT_EQ(refuses.GetSafeHwnd(), nullptr);
    closed.Create(nullptr, u"x", 0, RECT{0, 0, 10, 10}, nullptr, 2);
    closed.SendMessage(WM_CLOSE);
    EXPECT_EQ(closed.GetSafeHwnd(), nullptr) << "a sent close request closes by default";
    EXPECT_EQ(g_log, (Records{{"refuses", WM_CREATE, 1, 0},
                              {"refuses", WM_DESTROY, 0, 0},
                              {"closed", WM_CREATE, 2, 0},
                              {"closed", WM_DESTROY, 0, 0}}));
    RECT client, placed;
    right.GetClientRect(&client);
    right.GetWindowRect(&placed);
    EXPECT_EQ(client, (RECT{0, 0, 50, 93}));
    EXPECT_EQ(placed, (RECT{50, 7, 100, 100}));
    EXPECT_EQ(FindWindowW(nullptr, u"Tovalo Setting"), top.GetSafeHwnd());
    EXPECT_EQ(FindWindowW(nullptr, u"ICONINFO"), nullptr);
    EXPECT_EQ(FindWindowW(nullptr, u"Tovalo"), nullptr);
}

TEST_F(Windows, SendIsSynchronousAndDestroyingAParentDestroysItsChildrenAfterIt) {
    top.m_answer = 42;
    EXPECT_EQ(left.GetParent()->SendMessage(0x1105, 3, 9), 42);
    EXPECT_EQ(SendMessageW(top.GetSafeHwnd(), 0x1106, 0, 0), 0) << "unhandled: default";
    EXPECT_EQ(g_log, (Records{{"top", 0x1105, 3, 9}}));
    g_log.clear();
    const HWND gone = left.GetSafeHwnd();
    top.DestroyWindow();
    EXPECT_EQ(g_log, (Records{{"top", WM_DESTROY, 0, 0},
                              {"left", WM_DESTROY, 0, 0},
                              {"right", WM_DESTROY, 0, 0}}));
    EXPECT_EQ(left.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_EQ(CWnd::FromHandle(gone), nullptr);
    EXPECT_EQ(SendMessageW(gone, 0x1105, 0, 0), 0) << "a stale handle reaches nobody";
}

TEST_F(Windows, PaintComesOnlyForAnInvalidWindow) {
    top.UpdateWindow();
    g_log.clear();
    top.UpdateWindow(); // valid: no paint
    RECT row{0, 0, 20, 5};
    top.InvalidateRect(&row);
    top.UpdateWindow();
    top.UpdateWindow();
    EXPECT_EQ(g_log, (Records{{"top", WM_PAINT, 0, 0}}));
}

TEST_F(Windows, TopLevelWindowCarriesItsBigAndSmallIcons) {
    constexpr UINT kId = 902;
    for (auto [side, rgb] : {std::pair{48u, 0x00FF00u}, std::pair{16u, 0xFF0000u}}) {
        const std::string bytes = testsupport::MakeSolidBmp(side, side, rgb);
        platform::AddIconResource(kId, reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
    }
    HICON big = LoadImageW(nullptr, MAKEINTRESOURCE(kId), IMAGE_ICON, 48, 48, 0);
    HICON small = LoadImageW(nullptr, MAKEINTRESOURCE(kId), IMAGE_ICON, 16, 16, 0);
    EXPECT_EQ(top.SetIcon(big, TRUE), nullptr);
    EXPECT_EQ(top.SetIcon(small, FALSE), nullptr);

    const QIcon shown = WidgetOf(top)->windowIcon();
    EXPECT_EQ(shown.availableSizes(), (QList<QSize>{{48, 48}, {16, 16}}));
    EXPECT_EQ(shown.pixmap(48, 48).toImage().pixel(24, 24), 0xFF00FF00);
    EXPECT_EQ(shown.pixmap(16, 16).toImage().pixel(8, 8), 0xFFFF0000);

    EXPECT_EQ(top.SetIcon(nullptr, TRUE), big);
    EXPECT_EQ(top.SetIcon(nullptr, FALSE), small);
    EXPECT_TRUE(WidgetOf(top)->windowIcon().availableSizes().isEmpty());
    DestroyIcon(big);
    DestroyIcon(small);
}

TEST_F(Windows, CaptureSendsTheReleaseToTheCapturingWindowUntilItGoes) {
    top.ShowWindow(SW_SHOW);
    const QPointF local(10, 20), over(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, local, WidgetOf(left)->mapToGlobal(local),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(WidgetOf(left), &press);
    left.SetCapture();
    QMouseEvent release(QEvent::MouseButtonRelease, over, WidgetOf(right)->mapToGlobal(over),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(WidgetOf(right), &release);
    ReleaseCapture();
    EXPECT_EQ(g_log, (Records{{"left", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20)},
                              {"left", WM_LBUTTONUP, 0, MAKELPARAM(55, 12)}}));
    EXPECT_EQ(GetCapture(), nullptr);
    right.SetCapture();
    EXPECT_EQ(GetCapture(), right.GetSafeHwnd());
    right.DestroyWindow();
    EXPECT_EQ(GetCapture(), nullptr) << "a destroyed window gives up the capture";
}

TEST_F(Windows, KeysArriveAsVirtualKeyCodes) {
    const std::pair<Qt::Key, WPARAM> keys[] = {{Qt::Key_Down, 0x28},   {Qt::Key_Up, 0x26},
                                               {Qt::Key_Return, 0x0D}, {Qt::Key_Left, 0x25},
                                               {Qt::Key_Right, 0x27},  {Qt::Key_F3, 0x72}};
    Records expected;
    for (auto [key, code] : keys) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(WidgetOf(top), &press);
        expected.push_back({"top", WM_KEYDOWN, code, 1});
    }
    EXPECT_EQ(g_log, expected);
}

TEST_F(Windows, WheelNotchesArriveAsTheWindowsKeys) {
    platform::SetWheelKeys(top, VK_LEFT, VK_RIGHT);
    platform::SetWheelKeys(left, VK_UP, VK_DOWN);
    struct Case {
        const char* what;
        CWnd* over;
        std::vector<QPoint> turns;
        Records keys;
    };
    const Record up{"left", WM_KEYDOWN, VK_UP, 1}, down{"left", WM_KEYDOWN, VK_DOWN, 1};
    const std::vector<QPoint> flick(10, QPoint(0, -120));
    for (const Case& c : {
             Case{"a notch away", &left, {{0, 120}}, {up}},
             Case{"a notch towards", &left, {{0, -120}}, {down}},
             Case{"sideways", &left, {{-120, 0}}, {down}},
             Case{"two half notches", &left, {{0, 60}, {0, 60}}, {up}},
             Case{"a part of a notch", &left, {{0, 40}}, {}},
             Case{"the other way forgets the part", &left, {{0, 80}, {0, -120}}, {down}},
             Case{"a flick", &left, flick, {down, down, down}},
             Case{"to the parent", &right, {{0, -120}}, {{"top", WM_KEYDOWN, VK_RIGHT, 1}}},
         }) {
        QWidget* widget = WidgetOf(*c.over);
        g_log.clear();
        for (QPoint turn : c.turns) {
            QWheelEvent wheel(QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)), QPoint(), turn,
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(widget, &wheel);
        }
        EXPECT_TRUE(g_log.empty()) << c.what << ": handed on after the queued events";
        platform::PumpMessages();
        EXPECT_EQ(g_log, c.keys) << c.what;
        // What a case leaves over must not leak into the next.
        WindowState::Of(left)->wheelDelta = 0;
    }
}

} // namespace
