#include <platform/CWnd.h>
#include <platform/Gdi.h>
#include <platform/Tray.h>

#include "framework/tests/FrameworkTestSupport.h"
#include "windows/WindowState.h"

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

// Handles one more message and leaves the rest to its base's map.
class Filter : public Recorder {
public:
    using Recorder::Recorder;
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_CLOSE) {
            Log(WM_CLOSE, 0, 0);
            msg->message = WM_SIZE;
        }
        return FALSE;
    }

protected:
    void OnSize(UINT, int, int) { Log(WM_SIZE, 0, 0); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Filter, Recorder)
ON_WM_SIZE()
END_MESSAGE_MAP()

class Windows : public ::testing::Test {
protected:
    void SetUp() override { g_log.clear(); }
};

TEST_F(Windows, CreationRunsOnCreateWithTheIdAndOnlyTopLevelWindowsAreFoundByTitle) {
    Recorder top("top"), child("child"), refuses("refuses", -1);
    ASSERT_TRUE(top.Create(nullptr, u"Tovalo Setting", 0, RECT{0, 0, 240, 294}, nullptr, 0));
    ASSERT_TRUE(child.Create(nullptr, u"ICONINFO", WS_CHILD | WS_VISIBLE, RECT{122, 7, 240, 294},
                             &top, 3333));
    EXPECT_FALSE(refuses.Create(nullptr, u"x", 0, RECT{0, 0, 10, 10}, nullptr, 1));
    EXPECT_EQ(refuses.GetSafeHwnd(), nullptr);
    EXPECT_EQ(g_log, (std::vector<Record>{{"top", WM_CREATE, 0, 0},
                                          {"child", WM_CREATE, 3333, 0},
                                          {"refuses", WM_CREATE, 1, 0},
                                          {"refuses", WM_DESTROY, 0, 0}}));
    EXPECT_EQ(child.GetParent(), &top);
    EXPECT_EQ(child.GetDlgCtrlID(), 3333u);
    RECT client, placed;
    child.GetClientRect(&client);
    child.GetWindowRect(&placed);
    EXPECT_EQ(client, (RECT{0, 0, 118, 287}));
    EXPECT_EQ(placed, (RECT{122, 7, 240, 294}));
    EXPECT_EQ(FindWindowW(nullptr, u"Tovalo Setting"), top.GetSafeHwnd());
    EXPECT_EQ(FindWindowW(nullptr, u"ICONINFO"), nullptr);
    EXPECT_EQ(FindWindowW(nullptr, u"Tovalo"), nullptr);
}

TEST_F(Windows, SendIsSynchronousAndReturnsTheAnswer) {
    Recorder parent("parent");
    parent.m_answer = 42;
    parent.Create(nullptr, u"p", 0, RECT{0, 0, 50, 50}, nullptr, 0);
    Recorder child("child");
    child.Create(nullptr, u"c", WS_CHILD, RECT{0, 0, 10, 10}, &parent, 7);
    g_log.clear();
    EXPECT_EQ(child.GetParent()->SendMessage(0x1105, 3, 9), 42);
    EXPECT_EQ(g_log, (std::vector<Record>{{"parent", 0x1105, 3, 9}}));
    EXPECT_EQ(SendMessageW(parent.GetSafeHwnd(), 0x1106, 0, 0), 0) << "unhandled: default";
}

TEST_F(Windows, DestroyingAParentDestroysItsChildrenAfterIt) {
    Recorder parent("parent");
    parent.Create(nullptr, u"p", 0, RECT{0, 0, 50, 50}, nullptr, 0);
    Recorder a("a"), b("b");
    a.Create(nullptr, u"a", WS_CHILD, RECT{0, 0, 10, 10}, &parent, 1);
    b.Create(nullptr, u"b", WS_CHILD, RECT{0, 0, 10, 10}, &parent, 2);
    HWND ha = a.GetSafeHwnd();
    g_log.clear();
    parent.DestroyWindow();
    EXPECT_EQ(g_log,
              (std::vector<Record>{
                  {"parent", WM_DESTROY, 0, 0}, {"a", WM_DESTROY, 0, 0}, {"b", WM_DESTROY, 0, 0}}));
    EXPECT_EQ(a.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(IsWindow(ha));
    EXPECT_EQ(CWnd::FromHandle(ha), nullptr);
    EXPECT_EQ(SendMessageW(ha, 0x1105, 0, 0), 0) << "a stale handle reaches nobody";
}

TEST_F(Windows, PaintComesOnlyForAnInvalidWindow) {
    Recorder w("w");
    w.Create(nullptr, u"w", 0, RECT{0, 0, 20, 20}, nullptr, 0);
    w.UpdateWindow();
    g_log.clear();
    w.UpdateWindow();
    EXPECT_TRUE(g_log.empty());
    RECT row{0, 0, 20, 5};
    w.InvalidateRect(&row);
    w.UpdateWindow();
    w.UpdateWindow();
    EXPECT_EQ(g_log, (std::vector<Record>{{"w", WM_PAINT, 0, 0}}));
}

TEST_F(Windows, PostedMessagesPassTheFiltersOfTheirWindows) {
    Filter top("top");
    top.Create(nullptr, u"Tovalo", 0, RECT{0, 0, 20, 20}, nullptr, 0);
    g_log.clear();
    top.PostMessage(WM_CLOSE);
    EXPECT_TRUE(g_log.empty()) << "posted, not sent";
    platform::PumpMessages();
    EXPECT_EQ(g_log, (std::vector<Record>{{"top", WM_CLOSE, 0, 0}, {"top", WM_SIZE, 0, 0}}));
    EXPECT_TRUE(IsWindow(top.GetSafeHwnd())) << "the rewritten close request closes nothing";
    top.SendMessage(WM_CLOSE);
    EXPECT_FALSE(IsWindow(top.GetSafeHwnd())) << "a sent close request closes by default";
}

TEST_F(Windows, TopLevelWindowCarriesItsBigAndSmallIcons) {
    constexpr UINT kId = 902;
    for (auto [side, rgb] : {std::pair{48u, 0x00FF00u}, std::pair{16u, 0xFF0000u}}) {
        const std::string bytes = testsupport::MakeSolidBmp(side, side, rgb);
        platform::AddIconResource(kId, reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
    }
    HICON big = LoadImageW(nullptr, MAKEINTRESOURCE(kId), IMAGE_ICON, 48, 48, 0);
    HICON small = LoadImageW(nullptr, MAKEINTRESOURCE(kId), IMAGE_ICON, 16, 16, 0);
    Recorder top("top");
    ASSERT_TRUE(top.Create(nullptr, u"Tovalo", 0, RECT{0, 0, 240, 294}, nullptr, 0));
    EXPECT_EQ(top.SetIcon(big, TRUE), nullptr);
    EXPECT_EQ(top.SetIcon(small, FALSE), nullptr);
    EXPECT_EQ(top.GetIcon(TRUE), big);
    EXPECT_EQ(top.GetIcon(FALSE), small);

    const QIcon shown = platform::detail::WindowState::Of(top.GetSafeHwnd())->widget->windowIcon();
    EXPECT_EQ(shown.availableSizes(), (QList<QSize>{{48, 48}, {16, 16}}));
    EXPECT_EQ(shown.pixmap(48, 48).toImage().pixel(24, 24), 0xFF00FF00);
    EXPECT_EQ(shown.pixmap(16, 16).toImage().pixel(8, 8), 0xFFFF0000);

    EXPECT_EQ(top.SetIcon(nullptr, TRUE), big);
    EXPECT_EQ(top.SetIcon(nullptr, FALSE), small);
    EXPECT_TRUE(platform::detail::WindowState::Of(top.GetSafeHwnd())
                    ->widget->windowIcon()
                    .availableSizes()
                    .isEmpty());
    DestroyIcon(big);
    DestroyIcon(small);
}

// A 100 x 100 top-level window with two children side by side.
struct TwoPanes {
    TwoPanes(std::string leftName, std::string rightName)
        : left(std::move(leftName)), right(std::move(rightName)) {
        top.Create(nullptr, u"t", 0, RECT{0, 0, 100, 100}, nullptr, 0);
        left.Create(nullptr, u"l", WS_CHILD | WS_VISIBLE, RECT{0, 0, 50, 100}, &top, 1);
        right.Create(nullptr, u"r", WS_CHILD | WS_VISIBLE, RECT{50, 0, 100, 100}, &top, 2);
    }
    Recorder top{"top"};
    Recorder left, right;
};

TEST_F(Windows, CaptureSendsTheReleaseToTheCapturingWindowUntilItGoes) {
    TwoPanes panes("left", "right");
    Recorder &top = panes.top, &left = panes.left, &right = panes.right;
    top.ShowWindow(SW_SHOW);
    auto* leftWidget = platform::detail::WindowState::Of(left.GetSafeHwnd())->widget.data();
    auto* rightWidget = platform::detail::WindowState::Of(right.GetSafeHwnd())->widget.data();
    g_log.clear();

    QPointF local(10, 20);
    QMouseEvent press(QEvent::MouseButtonPress, local, leftWidget->mapToGlobal(local),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(leftWidget, &press);
    left.SetCapture();
    QPointF over(5, 5);
    QMouseEvent release(QEvent::MouseButtonRelease, over, rightWidget->mapToGlobal(over),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(rightWidget, &release);
    ReleaseCapture();
    EXPECT_EQ(g_log, (std::vector<Record>{{"left", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20)},
                                          {"left", WM_LBUTTONUP, 0, MAKELPARAM(55, 5)}}));
    EXPECT_EQ(GetCapture(), nullptr);
    right.SetCapture();
    EXPECT_EQ(GetCapture(), right.GetSafeHwnd());
    right.DestroyWindow();
    EXPECT_EQ(GetCapture(), nullptr) << "a destroyed window gives up the capture";
}

TEST_F(Windows, KeysArriveAsVirtualKeyCodes) {
    Recorder w("w");
    w.Create(nullptr, u"w", 0, RECT{0, 0, 5, 5}, nullptr, 0);
    auto* widget = platform::detail::WindowState::Of(w.GetSafeHwnd())->widget.data();
    g_log.clear();
    for (int key :
         {Qt::Key_Down, Qt::Key_Up, Qt::Key_Return, Qt::Key_Left, Qt::Key_Right, Qt::Key_F3}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &press);
    }
    std::vector<WPARAM> keys;
    for (auto& r : g_log)
        keys.push_back(r.wParam);
    EXPECT_EQ(keys, (std::vector<WPARAM>{0x28, 0x26, 0x0D, 0x25, 0x27, 0x72}));
}

TEST_F(Windows, WheelNotchesArriveAsTheWindowsKeys) {
    TwoPanes panes("column", "plain");
    Recorder &top = panes.top, &column = panes.left, &plain = panes.right;
    platform::SetWheelKeys(top, VK_LEFT, VK_RIGHT);
    platform::SetWheelKeys(column, VK_UP, VK_DOWN);
    struct Case {
        const char* what;
        CWnd* over;
        std::vector<QPoint> turns;
        std::vector<Record> keys;
    };
    const Record up{"column", WM_KEYDOWN, VK_UP, 1}, down{"column", WM_KEYDOWN, VK_DOWN, 1};
    const std::vector<QPoint> flick(10, QPoint(0, -120));
    for (const Case& c : {
             Case{"a notch away", &column, {{0, 120}}, {up}},
             Case{"a notch towards", &column, {{0, -120}}, {down}},
             Case{"sideways", &column, {{-120, 0}}, {down}},
             Case{"two half notches", &column, {{0, 60}, {0, 60}}, {up}},
             Case{"a part of a notch", &column, {{0, 40}}, {}},
             Case{"the other way forgets the part", &column, {{0, 80}, {0, -120}}, {down}},
             Case{"a flick", &column, flick, {down, down, down}},
             Case{"to the parent", &plain, {{0, -120}}, {{"top", WM_KEYDOWN, VK_RIGHT, 1}}},
         }) {
        auto* widget = platform::detail::WindowState::Of(*c.over)->widget.data();
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
        platform::detail::WindowState::Of(column)->wheelDelta = 0;
    }
}

} // namespace
