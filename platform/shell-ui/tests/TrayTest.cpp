#include <platform/CFrameWnd.h>
#include <platform/Gdi.h>
#include <platform/ShellExecute.h>
#include <platform/Tray.h>

#include "framework/tests/FrameworkTestSupport.h"
#include "shell-ui/TrayStrip.h"
#include "windows/WindowState.h"

#include <testsupport/ImageFiles.h>

#include <QImage>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using frameworktest::g_log;
using frameworktest::Record;
using platform::detail::TheTrayStrip;
using platform::detail::WindowState;

constexpr UINT kTrayMessage = 0x401;
constexpr UINT kTrayId = 102;
// Where the strip draws the icon: 16 x 16 at its right end.
constexpr QPoint kIconMiddle(240 - 6 - 8, 13);

class TrayOwner : public CFrameWnd {
public:
    ~TrayOwner() override { DestroyWindow(); }

protected:
    LRESULT OnTrayNotify(WPARAM w, LPARAM l) {
        g_log.push_back({"owner", kTrayMessage, w, l});
        anchors.push_back(platform::detail::PopupAnchor());
        return 1;
    }

public:
    std::vector<QRect> anchors;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TrayOwner, CFrameWnd)
ON_MESSAGE(kTrayMessage, OnTrayNotify)
END_MESSAGE_MAP()

// A shown frame whose icon, a light square, goes to the tray.
class Tray : public frameworktest::FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        const std::string bmp = testsupport::MakeSolidBmp(32, 32, 0xEBF0FA);
        platform::AddIconResource(128, reinterpret_cast<const BYTE*>(bmp.data()), bmp.size());
    }
    void TearDown() override {
        NOTIFYICONDATA data{.uID = kTrayId};
        Shell_NotifyIcon(NIM_DELETE, &data);
        FrameworkTest::TearDown();
    }
    NOTIFYICONDATA Registration(HWND owner) {
        return {.cbSize = sizeof(NOTIFYICONDATA),
                .hWnd = owner,
                .uID = kTrayId,
                .uFlags = NIF_MESSAGE | NIF_ICON,
                .uCallbackMessage = kTrayMessage,
                .hIcon = LoadImageW(nullptr, MAKEINTRESOURCE(128), IMAGE_ICON, 16, 16, 0)};
    }
    NOTIFYICONDATA AddToTheTray() {
        EXPECT_TRUE(frame.Create(nullptr, u"Tovalo", WS_VISIBLE, RECT{}, nullptr, 0));
        NOTIFYICONDATA data = Registration(frame);
        EXPECT_TRUE(Shell_NotifyIcon(NIM_ADD, &data));
        DestroyIcon(data.hIcon); // the strip keeps its own picture
        return data;
    }
    void Click() {
        platform::ClickTrayIcon(kTrayId);
        platform::PumpMessages();
    }
    TrayOwner frame;
};

TEST_F(Tray, WithoutADesktopTrayTheIconGoesToAStripAboveTheFrame) {
    NOTIFYICONDATA data = AddToTheTray();
    EXPECT_FALSE(platform::TrayIconInDesktopTray()) << "offscreen has no tray";
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &data)) << "one icon per id";
    QWidget* strip = TheTrayStrip();
    ASSERT_NE(strip, nullptr);
    EXPECT_TRUE(strip->isVisible());
    EXPECT_TRUE(strip->isWindow());
    EXPECT_TRUE(strip->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(strip->size(), QSize(240, 26));
    QWidget* frameWidget = WindowState::Of(frame)->widget;
    EXPECT_EQ(strip->geometry().bottom() + 1, frameWidget->frameGeometry().top());
    EXPECT_EQ(strip->x(), frameWidget->frameGeometry().left());

    frameWidget->move(300, 200);
    EXPECT_EQ(strip->pos(), QPoint(300, 174)) << "the strip follows the frame";
    frameWidget->move(-50, 10);
    EXPECT_EQ(frameWidget->pos(), QPoint(-50, 26)) << "a frame too high moves down";
    EXPECT_EQ(strip->pos(), QPoint(0, 0)) << "the strip stays on the screen";

    frame.ShowWindow(SW_HIDE);
    EXPECT_TRUE(strip->isVisible()) << "the menu stays reachable";
    const QImage shown = strip->grab().toImage();
    const QColor background = shown.pixelColor(10, 10);
    EXPECT_LT(background.lightness(), 80) << "a dark strip";
    EXPECT_NE(shown.pixelColor(kIconMiddle), background) << "the icon at the right end";
}

TEST_F(Tray, ClicksPostTheCallbackWithTheIdAndThePress) {
    AddToTheTray();
    platform::ClickTrayIcon(kTrayId);
    EXPECT_TRUE(g_log.empty()) << "posted, not sent";
    platform::PumpMessages();
    const Record click{"owner", kTrayMessage, kTrayId, WM_LBUTTONDOWN};
    EXPECT_EQ(g_log, (std::vector<Record>{click}));

    // Presses of every button and a touch on the picture itself, and one on the empty strip.
    g_log.clear();
    frame.anchors.clear();
    QWidget* strip = TheTrayStrip();
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
        for (QPoint at : {kIconMiddle, QPoint(20, 13)}) {
            QMouseEvent press(QEvent::MouseButtonPress, at, strip->mapToGlobal(at), button, button,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(strip, &press);
        }
    static QPointingDevice* touchscreen = QTest::createTouchDevice();
    QTest::touchEvent(strip, touchscreen).press(0, kIconMiddle);
    QTest::touchEvent(strip, touchscreen).release(0, kIconMiddle);
    platform::PumpMessages();
    EXPECT_EQ(g_log, (std::vector<Record>(4, click)));
    const QRect place(strip->mapToGlobal(QPoint(240 - 6 - 16, 5)), QSize(16, 16));
    EXPECT_EQ(frame.anchors, (std::vector<QRect>(4, place)))
        << "the owner's menu opens beside the icon";

    g_log.clear();
    platform::ClickTrayIcon(kTrayId + 1);
    platform::PumpMessages();
    EXPECT_TRUE(g_log.empty()) << "no such icon";
}

TEST_F(Tray, AnIconNeedsALiveOwnerAndModifyAndDeleteKeepTheStripInStep) {
    NOTIFYICONDATA data = Registration(nullptr);
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &data));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, nullptr));
    EXPECT_EQ(TheTrayStrip(), nullptr);
    ASSERT_TRUE(frame.Create(nullptr, u"Tovalo", WS_VISIBLE, RECT{}, nullptr, 0));
    data.hWnd = frame;
    EXPECT_FALSE(Shell_NotifyIcon(NIM_MODIFY, &data)) << "nothing to modify yet";
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &data));
    DestroyIcon(data.hIcon);
    data.uFlags = NIF_MESSAGE;
    data.uCallbackMessage = kTrayMessage + 1;
    EXPECT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &data));
    Click();
    EXPECT_TRUE(g_log.empty()) << "the new callback message is not the one handled";

    NOTIFYICONDATA removal{.hWnd = frame, .uID = kTrayId};
    EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, &removal));
    EXPECT_EQ(TheTrayStrip(), nullptr);
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, &removal));
    Click();
    EXPECT_TRUE(g_log.empty());
}

TEST_F(Tray, AFailedStartIsToldInTheStripForAWhile) {
    AddToTheTray();
    auto* strip = TheTrayStrip();
    strip->SetNoticeDuration(100);
    const QImage quiet = strip->grab().toImage();
    testsupport::WriteFile(Device() / "Windows" / "Start Menu" / "Programs" / "Top.desktop",
                           "[Desktop Entry]\nName=Top\nExec=top\nTerminal=true\n");
    const std::string path = getenv("PATH");
    setenv("PATH", Device().c_str(), 1);
    const std::pair<const WCHAR*, std::string> rows[] = {
        {u"\\Windows\\Calendar.exe", "Cannot start Calendar: file not found"},
        {u"\\Windows\\Start Menu\\Programs\\Top.desktop",
         "Cannot start Top: no terminal installed"}};
    for (const auto& [file, notice] : rows) {
        SHELLEXECUTEINFO request{.cbSize = sizeof(SHELLEXECUTEINFO), .lpFile = file};
        testing::internal::CaptureStderr();
        EXPECT_FALSE(ShellExecuteEx(&request));
        EXPECT_NE(testing::internal::GetCapturedStderr().find(notice), std::string::npos);
        EXPECT_EQ(strip->Notice().toStdString(), notice);
    }
    setenv("PATH", path.c_str(), 1);
    const QImage told = strip->grab().toImage();
    int lit = 0;
    for (int x = 0; x < 180; ++x)
        for (int y = 0; y < 26; ++y)
            lit += told.pixelColor(x, y).lightness() > 150 &&
                   quiet.pixelColor(x, y) != told.pixelColor(x, y);
    EXPECT_GT(lit, 40) << "the notice is drawn";
    EXPECT_TRUE(QTest::qWaitFor([&] { return strip->Notice().isEmpty(); }, 1000))
        << "it goes by itself";
    EXPECT_EQ(strip->grab().toImage(), quiet);
}

TEST_F(Tray, OnTheDeviceTheStripIsTheTitleBar) {
    if (!UseDeviceScreen())
        GTEST_SKIP() << "the device screen needs a process of its own";
    AddToTheTray();
    ASSERT_NE(TheTrayStrip(), nullptr);
    EXPECT_EQ(TheTrayStrip()->geometry(), QRect(0, 0, 240, 26));
}

} // namespace
