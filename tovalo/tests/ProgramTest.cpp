// The real program as a person or a session starts it: without a display, with options, in an
// X server of its own, and asked to end by a signal.
#include <testsupport/DeviceFolder.h>
#include <testsupport/XServer.h>

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <X11/Xlib.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class Program : public testsupport::DeviceFolderTest {
protected:
    void SetUp() override {
        DeviceFolderTest::SetUp();
        // An empty start menu: the first start reads nothing of the host's applications.
        fs::create_directories(Device() / "Windows" / "Start Menu" / "Programs");
        fs::create_directories(Device() / "Windows" / "Favorites");
        m_environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR",
                                 "DBUS_SESSION_BUS_ADDRESS", "TOVALO_SNAPSHOT"})
            m_environment.remove(QString::fromLatin1(name));
        m_environment.insert(QStringLiteral("TOVALO_DEVICE"), QString::fromStdString(Device()));
        m_environment.insert(QStringLiteral("TOVALO_FRAME_PACING"), QStringLiteral("0"));
    }
    void TearDown() override {
        if (m_running.state() != QProcess::NotRunning) {
            m_running.kill();
            m_running.waitForFinished();
        }
        DeviceFolderTest::TearDown();
    }
    void Set(const char* name, const std::string& value) {
        m_environment.insert(QString::fromLatin1(name), QString::fromStdString(value));
    }

    void Start(const QStringList& arguments = {}) {
        m_running.setProcessEnvironment(m_environment);
        m_running.start(QStringLiteral(TOVALO_PROGRAM), arguments);
        ASSERT_TRUE(m_running.waitForStarted());
    }
    // Its exit code once it ended by itself within the time, else -1.
    int Ends(int milliseconds = 20000) {
        if (!m_running.waitForFinished(milliseconds))
            return -1;
        return m_running.exitStatus() == QProcess::NormalExit ? m_running.exitCode() : -1;
    }
    std::string Said(bool onOutput) {
        return (onOutput ? m_running.readAllStandardOutput() : m_running.readAllStandardError())
            .toStdString();
    }

    QProcessEnvironment m_environment;
    QProcess m_running;
};

struct StartCase {
    const char* name;
    QStringList arguments;
    int code;
    bool onOutput;
    std::vector<std::string> says;
};

class StartWithoutADisplay : public Program, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartWithoutADisplay, SaysWhatItDoesAndEnds) {
    const StartCase& row = GetParam();
    Start(row.arguments);
    EXPECT_EQ(Ends(), row.code) << "-1: still running after 20 s, or killed";
    const std::string said = Said(row.onOutput);
    for (const std::string& words : row.says)
        EXPECT_NE(said.find(words), std::string::npos) << words << " not in: " << said;
    if (row.onOutput) {
        EXPECT_EQ(Said(false), "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Starts, StartWithoutADisplay,
    ::testing::Values(
        StartCase{"Help", {QStringLiteral("--help")}, 0, true, {"Usage: tovalo", "TOVALO_DEVICE"}},
        StartCase{
            "Version", {QStringLiteral("--version")}, 0, true, {"tovalo " TOVALO_VERSION "\n"}},
        StartCase{"NoDisplay",
                  {},
                  1,
                  false,
                  {"no display", "DISPLAY", "WAYLAND_DISPLAY", "TOVALO_SNAPSHOT"}},
        StartCase{
            "UnknownArgument", {QStringLiteral("--frobnicate")}, 2, false, {"'--frobnicate'"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Program, SavesItsFirstScreenWithoutADisplayNorARuntimeFolder) {
    const fs::path shot = Device() / "first.png";
    Set("TOVALO_SNAPSHOT", shot.string());
    Start();
    EXPECT_EQ(Ends(), 0);
    EXPECT_EQ(QImage(QString::fromStdString(shot)).size(), QSize(240, 294));
    const std::string said = Said(false);
    EXPECT_EQ(said.find("XDG_RUNTIME_DIR"), std::string::npos) << said;
    struct stat run {};
    ASSERT_EQ(::stat((Device() / "run").c_str(), &run), 0);
    EXPECT_EQ(run.st_mode & 0777, 0700u);
}

// The program in an X server of its own, with a runtime folder the test can look into.
class OnX : public Program {
protected:
    void SetUp() override {
        Program::SetUp();
        if (m_x.Display().empty())
            GTEST_SKIP() << "Xvfb is not installed";
        Set("DISPLAY", m_x.Display());
        fs::create_directory(Runtime());
        fs::permissions(Runtime(), fs::perms::owner_all);
        Set("XDG_RUNTIME_DIR", Runtime().string());
    }
    fs::path Runtime() const { return Device() / "xdg"; }
    std::vector<fs::path> Sockets() const {
        std::vector<fs::path> sockets;
        for (const auto& entry : fs::directory_iterator(Runtime()))
            if (entry.is_socket())
                sockets.push_back(entry.path());
        return sockets;
    }
    bool Viewable(const char* title) {
        QProcess probe;
        probe.setProcessEnvironment(m_environment);
        probe.start(QStringLiteral(XPROBE), {QStringLiteral("viewable"), QString::fromUtf8(title)});
        return probe.waitForFinished(5000) && probe.readAllStandardOutput().trimmed() == "1";
    }
    bool WaitFor(const std::function<bool()>& condition) {
        for (auto end = std::chrono::steady_clock::now() + 20s;
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(50ms))
            if (condition())
                return true;
        return false;
    }
    testsupport::XServer m_x;
};

struct EndCase {
    const char* name;
    // A key pressed before the signal, and the window it shows.
    const char* key;
    const char* shows;
};

class EndsOnASignal : public OnX, public ::testing::WithParamInterface<EndCase> {};

TEST_P(EndsOnASignal, AsExitDoesAndLeavesNoSocket) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return Viewable("Tovalo"); }));
    EXPECT_EQ(Sockets().size(), 1u);
    if (*GetParam().key) {
        const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        if (xdotool.isEmpty())
            GTEST_SKIP() << "xdotool is not installed";
        QProcess press;
        press.setProcessEnvironment(m_environment);
        press.start(xdotool, {QStringLiteral("key"), QString::fromLatin1(GetParam().key)});
        press.waitForFinished();
        ASSERT_TRUE(WaitFor([&] { return Viewable(GetParam().shows); }));
    }
    ::kill(static_cast<pid_t>(m_running.processId()), SIGTERM);
    EXPECT_EQ(Ends(10000), 0);
    EXPECT_TRUE(Sockets().empty());
}

INSTANTIATE_TEST_SUITE_P(Ends, EndsOnASignal,
                         ::testing::Values(EndCase{"MainScreen", "", ""},
                                           EndCase{"SettingsOpen", "F2", "Tovalo Setting"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A notification area as X11 desktops have one: the owner of the tray selection, to which
// icons send their dock requests.
class FakeTray {
public:
    explicit FakeTray(const std::string& display) : m_display(XOpenDisplay(display.c_str())) {
        if (!m_display)
            return;
        const Window root = DefaultRootWindow(m_display);
        m_window = XCreateSimpleWindow(m_display, root, 0, 0, 1, 1, 0, 0, 0);
        const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(m_display));
        XSetSelectionOwner(m_display, XInternAtom(m_display, name.c_str(), False), m_window,
                           CurrentTime);
        m_opcode = XInternAtom(m_display, "_NET_SYSTEM_TRAY_OPCODE", False);
        XSync(m_display, False);
    }
    ~FakeTray() {
        if (m_display)
            XCloseDisplay(m_display);
    }
    FakeTray(const FakeTray&) = delete;
    FakeTray& operator=(const FakeTray&) = delete;

    // Whether an icon asked to dock since the last look.
    bool DockRequested() {
        while (m_display && XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            constexpr long kRequestDock = 0;
            if (event.type == ClientMessage && event.xclient.message_type == m_opcode &&
                event.xclient.data.l[1] == kRequestDock)
                return true;
        }
        return false;
    }

private:
    Display* m_display;
    Window m_window = 0;
    Atom m_opcode = 0;
};

TEST_F(OnX, ADesktopTrayGetsTheIcon) {
    FakeTray tray(m_x.Display());
    Start();
    EXPECT_TRUE(WaitFor([&] { return tray.DockRequested(); }));
}

} // namespace
