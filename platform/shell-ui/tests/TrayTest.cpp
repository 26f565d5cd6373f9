#include <platform/CFrameWnd.h>
#include <platform/Gdi.h>
#include <platform/ShellExecute.h>
#include <platform/Tray.h>

#include "framework/tests/FrameworkTestSupport.h"
#include "shell-ui/TrayStrip.h"
#include "shell/IconCache.h"
#include "windows/WindowState.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using frameworktest::g_log;
using frameworktest::Record;
using platform::detail::IconPicture;
using platform::detail::TheTrayStrip;
using platform::detail::TrayStrip;
using platform::detail::WindowState;

constexpr UINT kTrayMessage = 0x401;
constexpr UINT kTrayId = 102;

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

// A 32 x 32 PNG: a white disc with a dark rim on transparency.
QByteArray IconPng() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(20, 60, 120), 3));
    painter.setBrush(QColor(235, 240, 250));
    painter.drawEllipse(QRectF(3, 3, 26, 26));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void AddIcon(UINT id, const QByteArray& bytes) {
    platform::AddIconResource(id, reinterpret_cast<const BYTE*>(bytes.constData()),
                              static_cast<std::size_t>(bytes.size()));
}

class Tray : public frameworktest::FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        AddIcon(128, IconPng());
    }
    void TearDown() override {
        NOTIFYICONDATA data;
        data.uID = kTrayId;
        Shell_NotifyIcon(NIM_DELETE, &data);
        FrameworkTest::TearDown();
    }
    NOTIFYICONDATA Registration(HWND owner) {
        NOTIFYICONDATA data;
        data.cbSize = sizeof data;
        data.hWnd = owner;
        data.uID = kTrayId;
        data.uFlags = NIF_MESSAGE | NIF_ICON;
        data.uCallbackMessage = kTrayMessage;
        data.hIcon = LoadImageW(nullptr, MAKEINTRESOURCE(128), IMAGE_ICON, 16, 16, 0);
        return data;
    }
};

TEST_F(Tray, IconResourcesLoadAtTheAskedSize) {
    HICON small = LoadImageW(nullptr, MAKEINTRESOURCE(128), IMAGE_ICON, 16, 16, 0);
    EXPECT_EQ(IconPicture(small).size(), QSize(16, 16));
    HICON natural = LoadImageW(nullptr, MAKEINTRESOURCE(128), IMAGE_ICON, 0, 0, 0);
    const QImage picture = IconPicture(natural);
    EXPECT_EQ(picture.size(), QSize(32, 32)) << "0 keeps the picture's size";
    EXPECT_EQ(picture.pixelColor(16, 16).alpha(), 255);
    EXPECT_EQ(picture.pixelColor(0, 0).alpha(), 0) << "transparency kept";
    HICON wide = LoadImageW(nullptr, MAKEINTRESOURCE(128), IMAGE_ICON, 48, 24, 0);
    EXPECT_EQ(IconPicture(wide).size(), QSize(48, 24));
    EXPECT_EQ(LoadImageW(nullptr, MAKEINTRESOURCE(129), IMAGE_ICON, 16, 16, 0), nullptr);
    EXPECT_EQ(LoadImageW(nullptr, MAKEINTRESOURCE(128), 0, 16, 16, 0), nullptr) << "only icons";
    EXPECT_EQ(LoadImageW(nullptr, u"Tray", IMAGE_ICON, 16, 16, 0), nullptr)
        << "resources are numbered";
    for (HICON icon : {small, natural, wide})
        DestroyIcon(icon);
}

TEST_F(Tray, DamagedIconResourceLoadsNothing) {
    QFile file(TOVALO_SHELL_TEST_DATA "/malformed/truncated.png");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    AddIcon(130, file.readAll());
    EXPECT_EQ(LoadImageW(nullptr, MAKEINTRESOURCE(130), IMAGE_ICON, 16, 16, 0), nullptr);
    AddIcon(131, QByteArray());
    EXPECT_EQ(LoadImageW(nullptr, MAKEINTRESOURCE(131), IMAGE_ICON, 16, 16, 0), nullptr);
}

TEST_F(Tray, WithoutADesktopTrayTheIconGoesToAStripAboveTheFrame) {
    TrayOwner frame;
    ASSERT_TRUE(frame.Create(nullptr, u"Tovalo", WS_VISIBLE, RECT{}, nullptr, 0));
    EXPECT_FALSE(platform::TrayIconInDesktopTray()) << "offscreen has no tray";
    NOTIFYICONDATA data = Registration(frame);
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &data));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &data)) << "one icon per id";
    DestroyIcon(data.hIcon); // the strip keeps its own picture
    EXPECT_FALSE(platform::TrayIconInDesktopTray());
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
    EXPECT_TRUE(shown.save(QString::fromStdString((Device() / "strip.png").string())));
    const QColor background = shown.pixelColor(10, 10);
    EXPECT_LT(background.lightness(), 80) << "a dark strip";
    EXPECT_NE(shown.pixelColor(240 - 6 - 8, 13), background) << "the icon at the right end";
}

TEST_F(Tray, ClicksPostTheCallbackWithTheIdAndThePress) {
    TrayOwner frame;
    frame.Create(nullptr, u"Tovalo", WS_VISIBLE, RECT{}, nullptr, 0);
    NOTIFYICONDATA data = Registration(frame);
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &data));
    platform::ClickTrayIcon(kTrayId);
    EXPECT_TRUE(g_log.empty()) << "posted, not sent";
    platform::PumpMessages();
    EXPECT_EQ(g_log, (std::vector<Record>{{"owner", kTrayMessage, kTrayId, WM_LBUTTONDOWN}}));

    // Presses of every button and a touch on the picture itself, and one on the empty strip.
    g_log.clear();
    frame.anchors.clear();
    QWidget* strip = TheTrayStrip();
    const QPoint icon(240 - 6 - 8, 13);
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
        for (QPoint at : {icon, QPoint(20, 13)}) {
            QMouseEvent press(QEvent::MouseButtonPress, at, strip->mapToGlobal(at), button, button,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(strip, &press);
        }
    static QPointingDevice* touchscreen = QTest::createTouchDevice();
    QTest::touchEvent(strip, touchscreen).press(0, icon);
    QTest::touchEvent(strip, touchscreen).release(0, icon);
    platform::PumpMessages();
    const Record click{"owner", kTrayMessage, kTrayId, WM_LBUTTONDOWN};
    EXPECT_EQ(g_log, (std::vector<Record>(4, click)));
    const QRect place(strip->mapToGlobal(QPoint(240 - 6 - 16, 5)), QSize(16, 16));
    EXPECT_EQ(frame.anchors, (std::vector<QRect>(4, place)))
        << "the owner's menu opens beside the icon";

    g_log.clear();
    platform::ClickTrayIcon(kTrayId + 1);
    platform::PumpMessages();
    EXPECT_TRUE(g_log.empty()) << "no such icon";
}

TEST_F(Tray, ModifyAndDeleteKeepTheStripInStep) {
    TrayOwner frame;
    frame.Create(nullptr, u"Tovalo", WS_VISIBLE, RECT{}, nullptr, 0);
    NOTIFYICONDATA data = Registration(frame);
    EXPECT_FALSE(Shell_NotifyIcon(NIM_MODIFY, &data)) << "nothing to modify yet";
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &data));
    data.uFlags = NIF_MESSAGE;
    data.uCallbackMessage = kTrayMessage + 1;
    EXPECT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &data));
    platform::ClickTrayIcon(kTrayId);
    platform::PumpMessages();
    EXPECT_TRUE(g_log.empty()) << "the new callback message is not the one handled";

    NOTIFYICONDATA removal;
    removal.hWnd = frame;
    removal.uID = kTrayId;
    EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, &removal));
    EXPECT_EQ(TheTrayStrip(), nullptr);
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, &removal));
    data.uFlags = NIF_MESSAGE;
    data.uCallbackMessage = kTrayMessage;
    platform::ClickTrayIcon(kTrayId);
    platform::PumpMessages();
    EXPECT_TRUE(g_log.empty());
}

TEST_F(Tray, AFailedStartIsToldInTheStripForAWhile) {
    TrayOwner frame;
    frame.Create(nullptr, u"Tovalo", WS_VISIBLE, RECT{}, nullptr, 0);
    NOTIFYICONDATA data = Registration(frame);
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &data));
    TrayStrip* strip = TheTrayStrip();
    strip->SetNoticeDuration(100);
    const QImage quiet = strip->grab().toImage();
    testsupport::WriteFile(Device() / "Windows" / "Start Menu" / "Programs" / "Top.desktop",
                           "[Desktop Entry]\nName=Top\nExec=top\nTerminal=true\n");
    const std::string path = getenv("PATH");
    setenv("PATH", Device().c_str(), 1);
    struct Case {
        const WCHAR* file;
        const char* notice;
    };
    for (const Case& c : {Case{u"\\Windows\\Calendar.exe", "Cannot start Calendar: file not found"},
                          {u"\\Windows\\Start Menu\\Programs\\Top.desktop",
                           "Cannot start Top: no terminal installed"}}) {
        SHELLEXECUTEINFO request;
        request.cbSize = sizeof request;
        request.lpFile = c.file;
        request.nShow = 5;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(ShellExecuteEx(&request));
        EXPECT_NE(testing::internal::GetCapturedStderr().find(c.notice), std::string::npos);
        EXPECT_EQ(strip->Notice().toStdString(), c.notice);
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
    DestroyIcon(data.hIcon);
}

TEST_F(Tray, AnIconNeedsALiveOwner) {
    NOTIFYICONDATA data = Registration(nullptr);
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &data));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, nullptr));
    EXPECT_EQ(TheTrayStrip(), nullptr);
    DestroyIcon(data.hIcon);
}

TEST_F(Tray, OnTheDeviceTheStripIsTheTitleBar) {
    if (!UseDeviceScreen())
        GTEST_SKIP() << "the device screen needs a process of its own";
    TrayOwner frame;
    frame.Create(nullptr, u"Tovalo", WS_VISIBLE, RECT{}, nullptr, 0);
    NOTIFYICONDATA data = Registration(frame);
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &data));
    ASSERT_NE(TheTrayStrip(), nullptr);
    EXPECT_EQ(TheTrayStrip()->geometry(), QRect(0, 0, 240, 26));
    EXPECT_TRUE(platform::SaveWindowImage(frame, (Device() / "frame.png").c_str()));
    DestroyIcon(data.hIcon);
}

} // namespace
