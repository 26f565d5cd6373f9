#include <platform/CFrameWnd.h>
#include <platform/CMenu.h>
#include <platform/CWinApp.h>
#include <platform/Gdi.h>
#include <platform/Tray.h>

#include "FrameworkTestSupport.h"
#include "framework/PopupPlacement.h"
#include "windows/FramePlacement.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using frameworktest::g_log;
using frameworktest::Record;
using frameworktest::Records;
using frameworktest::WidgetOf;
using platform::detail::WindowState;

// A frame that logs what reaches it and, like the launcher's, turns posted close requests
// into a hide.
class LoggingFrame : public CFrameWnd {
public:
    explicit LoggingFrame(bool filterClose = false) : m_filterClose(filterClose) {}
    ~LoggingFrame() override { DestroyWindow(); }

    BOOL PreTranslateMessage(MSG* msg) override {
        if (m_filterClose && msg->message == WM_CLOSE) {
            msg->message = WM_SIZE;
            ShowWindow(SW_HIDE);
        }
        return FALSE;
    }

    UINT m_updateCount = 0;
    bool m_disableSetting = false;

protected:
    void OnDestroy() { Log(WM_DESTROY, 0, 0); }
    void OnSize(UINT type, int cx, int cy) {
        Log(WM_SIZE, type, MAKELPARAM(cx, cy));
        CFrameWnd::OnSize(type, cx, cy);
    }
    void OnSetting() { Log(WM_COMMAND, 32771, 0); }
    void OnView() { Log(WM_COMMAND, 32773, 0); }
    void OnUpdateView(CCmdUI* ui) {
        ++m_updateCount;
        ui->SetText(u"View");
    }
    void OnUpdateSetting(CCmdUI* ui) {
        ++m_updateCount;
        ui->Enable(!m_disableSetting);
    }
    void Log(UINT m, WPARAM w, LPARAM l) { g_log.push_back({"frame", m, w, l}); }

    bool m_filterClose;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(LoggingFrame, CFrameWnd)
ON_WM_DESTROY()
ON_WM_SIZE()
ON_COMMAND(32771, OnSetting)
ON_COMMAND(32773, OnView)
ON_UPDATE_COMMAND_UI(32773, OnUpdateView)
ON_UPDATE_COMMAND_UI(32771, OnUpdateSetting)
END_MESSAGE_MAP()

class PaintingView : public CView {
public:
    ~PaintingView() override { DestroyWindow(); }
    int m_draws = 0;
    HWND m_drawnOn = nullptr;

protected:
    void OnDraw(CDC* pDC) override {
        ++m_draws;
        m_drawnOn = WindowFromDC(pDC->GetSafeHdc());
        pDC->FillSolidRect(0, 0, 240, 294, RGB(20, 90, 160));
        pDC->FillSolidRect(100, 100, 40, 30, RGB(250, 200, 0));
    }
};

class Framework : public frameworktest::FrameworkTest {};

TEST_F(Framework, FrameOnADesktopIsAFixedWindowOfTheDeviceSizeFoundByTitle) {
    LoggingFrame frame;
    ASSERT_TRUE(frame.Create(nullptr, u"Tovalo", WS_VISIBLE, RECT{5, 5, 500, 500}, nullptr, 0));
    RECT client;
    frame.GetClientRect(&client);
    EXPECT_EQ(client, (RECT{0, 0, 240, 294})) << "the requested rectangle does not count";
    QWidget* w = WidgetOf(frame);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tovalo"));
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "fixed size";
    EXPECT_FALSE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(frame.IsWindowVisible());
    EXPECT_EQ(FindWindowW(nullptr, u"Tovalo"), frame.GetSafeHwnd());
    EXPECT_EQ(g_log, (Records{{"frame", WM_SIZE, 0, MAKELPARAM(240, 294)}}))
        << "a new frame learns its size";
    // The device's screen starts 26 pixels above the frame's client area.
    const QPoint origin = w->geometry().topLeft();
    EXPECT_EQ(platform::detail::DeviceToScreen({220, 300}, w), origin + QPoint(220, 274));
    EXPECT_EQ(platform::detail::DeviceToScreen({0, 26}, w), origin);
    EXPECT_EQ(platform::detail::DeviceToScreen({5, 6}, nullptr), QPoint(5, 6));
}

TEST_F(Framework, FrameOnTheDeviceScreenLiesBelowTheTitleBarWithoutDecoration) {
    if (!UseDeviceScreen())
        GTEST_SKIP() << "the device screen needs a process of its own";
    LoggingFrame frame;
    ASSERT_TRUE(frame.Create(nullptr, u"Tovalo", WS_VISIBLE, RECT{}, nullptr, 0));
    RECT placed;
    frame.GetWindowRect(&placed);
    EXPECT_EQ(placed, (RECT{0, 26, 240, 320}));
    EXPECT_TRUE(WidgetOf(frame)->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(frame.IsWindowVisible()) << "new flags must not leave the window hidden";

    // Someone moved it; the full-screen request puts it back.
    WidgetOf(frame)->setFixedSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    WidgetOf(frame)->setMinimumSize(0, 0);
    frame.MoveWindow(10, 40, 200, 200);
    EXPECT_EQ(SHFullScreen(frame, SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON), TRUE);
    frame.GetWindowRect(&placed);
    EXPECT_EQ(placed, (RECT{0, 26, 240, 320}));
}

TEST_F(Framework, ResizingTheFrameFitsTheViewToTheClientArea) {
    LoggingFrame frame;
    ASSERT_TRUE(frame.Create(nullptr, u"Tovalo", 0, RECT{}, nullptr, 0));
    PaintingView view;
    ASSERT_TRUE(view.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, &frame,
                            AFX_IDW_PANE_FIRST));
    frame.SendMessage(WM_SIZE, 0, MAKELPARAM(240, 294));
    RECT r;
    view.GetWindowRect(&r);
    EXPECT_EQ(r, (RECT{0, 0, 240, 294})) << "the pane, found by its id";

    PaintingView other;
    other.Create(nullptr, nullptr, WS_CHILD, RECT{0, 0, 5, 5}, &frame, 1);
    frame.SetActiveView(&other);
    // What a close request rewritten by a filter brings: no size at all.
    frame.SendMessage(WM_SIZE, 0, 0);
    other.GetWindowRect(&r);
    EXPECT_EQ(r, (RECT{0, 0, 240, 294})) << "the active view comes first, at the client size";
}

TEST_F(Framework, ViewPaintsThroughOnDrawOnItsOwnSurface) {
    LoggingFrame frame;
    frame.Create(nullptr, u"Tovalo", 0, RECT{}, nullptr, 0);
    PaintingView view;
    view.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, RECT{0, 0, 240, 294}, &frame,
                AFX_IDW_PANE_FIRST);
    view.UpdateWindow();
    EXPECT_EQ(view.m_draws, 1);
    EXPECT_EQ(view.m_drawnOn, view.GetSafeHwnd());
    const QImage& shown = WindowState::Of(view)->Screen();
    EXPECT_EQ(shown.pixelColor(5, 5), QColor(20, 90, 160));
    EXPECT_EQ(shown.pixelColor(110, 110), QColor(250, 200, 0));
    view.UpdateWindow();
    EXPECT_EQ(view.m_draws, 1) << "nothing invalid, nothing drawn";
    EXPECT_TRUE(platform::SaveWindowImage(view, (Device() / "view.png").c_str()));
}

// --- The application and its loop ---

using Message = std::pair<UINT, WPARAM>;
const Message kView{WM_COMMAND, 32773}, kSetting{WM_COMMAND, 32771}, kExit{WM_COMMAND, ID_APP_EXIT},
    kClose{WM_CLOSE, 0}, kSized{WM_SIZE, 0}, kDestroyed{WM_DESTROY, 0};

struct LoopRun {
    const char* name;
    bool start, filterClose;
    std::vector<Message> posts, log; // what reached the frame after its size at creation
};

// The frame lives on, hidden, after a posted close its filter rewrote.
const LoopRun kRuns[] = {
    {"exit command", true, false, {kView, kExit}, {kView, kDestroyed}},
    {"failed start", false, false, {}, {}},
    {"filtered close", true, true, {kClose, kSetting, kExit}, {kSized, kSetting, kDestroyed}},
    {"unfiltered close", true, false, {kClose, kSetting}, {kDestroyed}},
};

// Starts as the run says, with its messages posted to the frame.
class ExitingApp : public CWinApp {
public:
    explicit ExitingApp(const LoopRun& run) : m_run(run), m_frame(run.filterClose) {}
    BOOL InitInstance() override {
        if (!m_run.start)
            return FALSE;
        m_frame.Create(nullptr, u"Tovalo", WS_VISIBLE, RECT{}, nullptr, 0);
        m_pMainWnd = &m_frame;
        for (auto [message, wParam] : m_run.posts)
            m_frame.PostMessage(message, wParam, 0);
        return TRUE;
    }
    int ExitInstance() override {
        ++m_exits;
        m_aliveAtExit = m_frame.GetSafeHwnd() != nullptr;
        return 7;
    }

    const LoopRun& m_run;
    LoggingFrame m_frame;
    int m_exits = 0;
    bool m_aliveAtExit = false;
};

TEST_F(Framework, TheLoopRunsUntilTheFrameIsDestroyed) {
    for (const LoopRun& run : kRuns) {
        SCOPED_TRACE(run.name);
        g_log.clear();
        ExitingApp app(run);
        EXPECT_EQ(AfxGetApp(), &app);
        // A start that decides not to run ends with what ExitInstance says, as a run does.
        EXPECT_EQ(platform::RunApplication(app, 0, nullptr), 7);
        EXPECT_EQ(app.m_exits, 1);
        EXPECT_FALSE(app.m_aliveAtExit);
        std::vector<Message> log;
        for (std::size_t i = 1; i < g_log.size(); ++i)
            log.emplace_back(g_log[i].message, g_log[i].wParam);
        EXPECT_EQ(log, run.log);
    }
    CWinApp withoutAWindow;
    EXPECT_EQ(platform::RunApplication(withoutAWindow, 0, nullptr), 0);
}

TEST_F(Framework, SentCloseAndTheExitCommandBypassTheFilter) {
    LoggingFrame frame(true), exiting(true);
    frame.Create(nullptr, u"Tovalo", WS_VISIBLE, RECT{}, nullptr, 0);
    frame.SendMessage(WM_CLOSE);
    EXPECT_EQ(frame.GetSafeHwnd(), nullptr);
    exiting.Create(nullptr, u"Tovalo", WS_VISIBLE, RECT{}, nullptr, 0);
    exiting.SendMessage(WM_COMMAND, ID_APP_EXIT);
    platform::PumpMessages();
    EXPECT_EQ(exiting.GetSafeHwnd(), nullptr) << "the exit command's close is not a posted one";
}

// --- Menus ---

std::vector<MenuItem> TrayMenu() {
    return {
        {0,
         u"&File",
         {{32771, u"Setting", {}}, {}, {32773, u"Vie&w?", {}}, {}, {ID_APP_EXIT, u"E&xit", {}}}}};
}

class Menus : public Framework {
protected:
    void SetUp() override {
        Framework::SetUp();
        platform::AddMenuResource(128, TrayMenu());
        ASSERT_TRUE(m_menu.LoadMenu(128));
        ASSERT_TRUE(m_frame.Create(nullptr, u"Tovalo", 0, RECT{}, nullptr, 0));
        g_log.clear();
    }
    void TearDown() override {
        platform::SetPopupMenuHook({});
        Framework::TearDown();
    }

    CMenu m_menu;
    LoggingFrame m_frame;
};

TEST_F(Menus, MenuResourceGivesItsPopupItemsAndSeparators) {
    EXPECT_FALSE(CMenu().LoadMenu(129));
    EXPECT_EQ(m_menu.GetMenuItemCount(), 1u);
    EXPECT_EQ(m_menu.GetMenuItemID(0), static_cast<UINT>(-1)) << "a pop-up has no command";
    EXPECT_EQ(m_menu.GetSubMenu(1), nullptr);
    CMenu* popup = m_menu.GetSubMenu(0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(m_menu.GetSubMenu(0), popup) << "the same object each time";
    std::vector<UINT> ids;
    std::u16string texts;
    for (int i = 0; i <= static_cast<int>(popup->GetMenuItemCount()); ++i)
        ids.push_back(popup->GetMenuItemID(i)), texts += (popup->GetMenuString(i) + u"|").view();
    EXPECT_EQ(ids, (std::vector<UINT>{32771, 0, 32773, 0, ID_APP_EXIT, static_cast<UINT>(-1)}));
    EXPECT_EQ(texts, u"Setting||Vie&w?||E&xit||");
    EXPECT_EQ(popup->GetSubMenu(0), nullptr) << "a command has no pop-up";
    EXPECT_TRUE(m_menu.DestroyMenu());
    EXPECT_EQ(m_menu.GetMenuItemCount(), 0u);
}

TEST_F(Menus, UpdateHandlersRunBeforeTheMenuAndTheChoiceIsPostedToTheOwner) {
    std::u16string seen;
    POINT anchor{};
    platform::SetPopupMenuHook([&](const std::vector<MenuItem>& items, POINT at) {
        for (const MenuItem& item : items)
            seen += item.text + (item.id ? u"|" : u"-|");
        anchor = at;
        return 32773u;
    });
    CMenu* popup = m_menu.GetSubMenu(0);
    EXPECT_TRUE(popup->TrackPopupMenu(TPM_RIGHTALIGN | TPM_BOTTOMALIGN, 220, 300, &m_frame));
    EXPECT_EQ(anchor, (POINT{220, 300}));
    EXPECT_EQ(seen, u"Setting|-|View|-|E&xit|") << "the view's text set by its update handler";
    EXPECT_EQ(m_frame.m_updateCount, 2u) << "one call per handled command, none for separators";
    EXPECT_EQ(popup->GetMenuString(2), u"Vie&w?") << "the resource is untouched";
    EXPECT_TRUE(g_log.empty()) << "posted, not sent";
    platform::PumpMessages();
    EXPECT_EQ(g_log, (Records{{"frame", WM_COMMAND, 32773, 0}}));
}

TEST_F(Menus, OnlyEnabledCommandsOfAnOwnedMenuAreChosen) {
    CMenu* popup = m_menu.GetSubMenu(0);
    UINT answer = 32771;
    bool disabledSeen = false;
    platform::SetPopupMenuHook([&](const std::vector<MenuItem>& items, POINT) {
        disabledSeen = !items[0].enabled && items[2].enabled;
        return answer;
    });
    EXPECT_EQ(popup->TrackPopupMenu(TPM_RETURNCMD, 0, 0, &m_frame), 32771);
    m_frame.m_disableSetting = true;
    EXPECT_EQ(popup->TrackPopupMenu(TPM_RETURNCMD, 0, 0, &m_frame), 0);
    EXPECT_TRUE(disabledSeen);
    answer = 4242;
    EXPECT_TRUE(popup->TrackPopupMenu(0, 0, 0, &m_frame));
    platform::PumpMessages();
    EXPECT_TRUE(g_log.empty()) << "neither a returned choice nor a foreign one is posted";
    CWnd never;
    EXPECT_FALSE(popup->TrackPopupMenu(0, 0, 0, &never));
    EXPECT_FALSE(popup->TrackPopupMenu(0, 0, 0, nullptr));
}

// A menu's corner named by its flags lies at the anchor, or, from an icon, beside the icon;
// either way on the screen.
TEST(PopupPlacement, AlignmentFlagsNameTheCornerAtTheAnchorOrBesideAnIcon) {
    using platform::detail::PopupBeside;
    using platform::detail::PopupTopLeft;
    const QRect device(0, 0, 240, 320), wide(0, 0, 1024, 768);
    const QSize size(80, 70);
    const UINT corner = TPM_RIGHTALIGN | TPM_BOTTOMALIGN, topLeft = TPM_LEFTALIGN | TPM_TOPALIGN;
    struct Case {
        const char* where;
        QPoint placed, expected;
    };
    for (const Case& c : {
             Case{"right bottom", PopupTopLeft(corner, {220, 300}, size, device), {140, 230}},
             Case{"left top", PopupTopLeft(topLeft, {20, 30}, size, device), {20, 30}},
             Case{"right, kept on", PopupTopLeft(TPM_RIGHTALIGN, {50, 30}, size, device), {0, 30}},
             Case{"no flags, kept on", PopupTopLeft(0, {220, 300}, size, device), {160, 250}},
             Case{"above the top", PopupTopLeft(TPM_BOTTOMALIGN, {20, 30}, size, device), {20, 0}},
             Case{"top strip", PopupBeside(corner, {500, 5, 16, 16}, size, wide), {436, 21}},
             Case{"bottom panel", PopupBeside(corner, {900, 750, 16, 16}, size, wide), {836, 680}},
             Case{"left edge", PopupBeside(corner, {2, 5, 16, 16}, size, wide), {0, 21}},
             Case{"left-aligned", PopupBeside(0, {500, 5, 16, 16}, size, wide), {500, 21}},
             Case{"left, bottom", PopupBeside(0, {1000, 750, 16, 16}, size, wide), {944, 680}},
         })
        EXPECT_EQ(c.placed, c.expected) << c.where;
}

} // namespace
