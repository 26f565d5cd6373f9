// The real program as a person or a session starts it: without a display, with options, and
// in an X server of its own that has a notification area. (Its ending on a signal is checked
// in the end-to-end run.)
#include <testsupport/DeviceFolder.h>
#include <testsupport/Program.h>
#include <testsupport/XServer.h>

#include <QImage>
#include <QProcess>

#include <X11/Xlib.h>

#include <gtest/gtest.h>

#include <chrono>
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
    }
    // The program's environment: the test's own, with the device folder and the display
    // given and none of the session's display, runtime folder and message bus.
    std::vector<std::string> Environment(const std::string& display = "",
                                         const std::string& snapshot = "") const {
        return {"DISPLAY=" + display,
                "WAYLAND_DISPLAY=",
                "QT_QPA_PLATFORM=",
                "XDG_RUNTIME_DIR=",
                "DBUS_SESSION_BUS_ADDRESS=",
                "TOVALO_FRAME_PACING=0",
                "TOVALO_DEVICE=" + Device().string(),
                "TOVALO_SNAPSHOT=" + snapshot};
    }
    // Run to its end, which must come within 20 s (timeout ends it with 124 else).
    testsupport::ProgramResult Run(const std::vector<std::string>& args,
                                   const std::string& snapshot = "") const {
        std::vector<std::string> command{"20", TOVALO_PROGRAM};
        command.insert(command.end(), args.begin(), args.end());
        return testsupport::RunProgram("timeout", command, Environment("", snapshot));
    }
};

TEST_F(Program, WithoutADisplayItSaysWhatItDoesAndEnds) {
    const struct {
        std::vector<std::string> args;
        int code;
        bool onOutput;
        std::vector<std::string> says;
    } rows[] = {
        {{"--help"}, 0, true, {"Usage: tovalo", "TOVALO_DEVICE"}},
        {{"--version"}, 0, true, {"tovalo " TOVALO_VERSION "\n"}},
        {{}, 1, false, {"no display", "DISPLAY", "WAYLAND_DISPLAY", "TOVALO_SNAPSHOT"}},
        {{"--frobnicate"}, 2, false, {"'--frobnicate'"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.empty() ? "no argument" : row.args[0]);
        const testsupport::ProgramResult said = Run(row.args);
        EXPECT_EQ(said.exit, row.code);
        const std::string& text = row.onOutput ? said.out : said.err;
        for (const std::string& words : row.says)
            EXPECT_NE(text.find(words), std::string::npos) << words << " not in: " << text;
        EXPECT_TRUE(!row.onOutput || said.err.empty()) << said.err;
    }
}

TEST_F(Program, SavesItsFirstScreenWithoutADisplayNorARuntimeFolder) {
    const fs::path shot = Device() / "first.png";
    const testsupport::ProgramResult said = Run({}, shot.string());
    EXPECT_EQ(said.exit, 0);
    EXPECT_EQ(QImage(QString::fromStdString(shot)).size(), QSize(240, 294));
    EXPECT_EQ(said.err.find("XDG_RUNTIME_DIR"), std::string::npos) << said.err;
    struct stat run {};
    ASSERT_EQ(::stat((Device() / "run").c_str(), &run), 0);
    EXPECT_EQ(run.st_mode & 0777, 0700u);
}

TEST_F(Program, ADesktopTrayGetsTheIcon) {
    testsupport::XServer x;
    if (!x.Running())
        GTEST_SKIP() << "Xvfb is not installed";
    // A notification area as X11 desktops have one: the owner of the tray selection, to which
    // icons send their dock requests.
    Display* display = XOpenDisplay(x.Display().c_str());
    ASSERT_NE(display, nullptr);
    const Window tray =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display));
    XSetSelectionOwner(display, XInternAtom(display, selection.c_str(), False), tray, CurrentTime);
    const Atom opcode = XInternAtom(display, "_NET_SYSTEM_TRAY_OPCODE", False);
    XSync(display, False);
    QStringList command;
    for (const std::string& entry : Environment(x.Display()))
        command << QString::fromStdString(entry);
    QProcess launcher;
    launcher.start(QStringLiteral("env"), command << QStringLiteral(TOVALO_PROGRAM));
    bool docked = false;
    for (auto end = std::chrono::steady_clock::now() + 20s;
         !docked && std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(50ms))
        while (!docked && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            constexpr long kRequestDock = 0;
            docked = event.type == ClientMessage && event.xclient.message_type == opcode &&
                     event.xclient.data.l[1] == kRequestDock;
        }
    EXPECT_TRUE(docked);
    launcher.kill();
    launcher.waitForFinished();
    XCloseDisplay(display);
}

} // namespace
