// The real program as a person or a session starts it: without a display, with options, on a
// store being filled when it is killed, and in an X server of its own that has a notification
// area. (Its ending on a signal is checked in the end-to-end run.)
#include <testsupport/DeviceFolder.h>
#include <testsupport/Program.h>
#include <testsupport/StartMenu.h>
#include <testsupport/StoreDump.h>
#include <testsupport/XServer.h>

#include <QImage>
#include <QProcess>

#include <X11/Xlib.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class Program : public testsupport::DeviceFolderTest {
protected:
    void SetUp() override {
        DeviceFolderTest::SetUp();
        testsupport::MakeStartMenu(Device()); // the first start reads none of the host's
    }
    // The program's environment: the test's own, with the device folder and the display given
    // and none of the session's display, runtime folder, desktop and message bus.
    static std::vector<std::string> Environment(const fs::path& device,
                                                const std::string& display = "",
                                                const std::string& snapshot = "") {
        const std::string folder = device.string(), home = (device / "no-desktop").string();
        return {"DISPLAY=" + display,    "WAYLAND_DISPLAY=",        "QT_QPA_PLATFORM=",
                "XDG_RUNTIME_DIR=",      "XDG_DATA_HOME=" + home,   "DBUS_SESSION_BUS_ADDRESS=",
                "TOVALO_FRAME_PACING=0", "TOVALO_DEVICE=" + folder, "TOVALO_SNAPSHOT=" + snapshot};
    }
    // A run that must end within the seconds given, else it is killed (and ends with 137).
    testsupport::ProgramResult Run(const std::vector<std::string>& args,
                                   const std::string& snapshot = "", fs::path device = {},
                                   const std::string& seconds = "20") const {
        std::vector<std::string> command{"-s", "KILL", seconds, TOVALO_PROGRAM};
        command.insert(command.end(), args.begin(), args.end());
        device = device.empty() ? Device() : device;
        return testsupport::RunProgram("timeout", command, Environment(device, "", snapshot));
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

TEST_F(Program, AFirstStartKilledAtAnyMomentLeavesNoStoreOrTheWholeOne) {
    // More shortcuts than slots, so that the fill also meets a full store.
    std::vector<std::string> shortcuts;
    for (int i = 0; i < 80; ++i)
        shortcuts.push_back("Program " + std::to_string(i) + ".lnk");
    const fs::path reference = Device() / "reference";
    testsupport::MakeStartMenu(reference, shortcuts);
    const auto began = std::chrono::steady_clock::now();
    // Without a display nor a runtime folder, the first screen is saved and the program ends.
    ASSERT_EQ(Run({}, reference / "screen.png", reference).exit, 0);
    const std::chrono::duration<double> duration = std::chrono::steady_clock::now() - began;
    EXPECT_EQ(QImage(QString::fromStdString(reference / "screen.png")).size(), QSize(240, 294));
    // The launcher's store as the registry of a device folder holds it.
    auto storeOf = [](const fs::path& device) {
        setenv("TOVALO_DEVICE", device.c_str(), 1);
        storedump::Tree tree = storedump::Dump(u"Software\\NorviSoft\\NorviLuncher");
        platform::CloseRegistry();
        return tree;
    };
    const storedump::Tree whole = storeOf(reference);
    ASSERT_EQ(whole.at(u"EXEs").at(u"EXEICONCOUNT"), storedump::Dword(50));
    std::mt19937 random(std::random_device{}());
    constexpr int kTries = 16;
    for (int i = 0; i < kTries; ++i) {
        // Moments spread over the whole start, each shifted at random within its share.
        const auto share = duration / kTries;
        const auto delay = share * i + share * std::uniform_real_distribution<>(0, 1)(random);
        const fs::path device = Device() / std::to_string(i);
        testsupport::MakeStartMenu(device, shortcuts);
        Run({}, device / "screen.png", device, std::to_string(delay.count()));
        const storedump::Tree store = storeOf(device);
        if (store.empty())
            continue;
        EXPECT_EQ(store, whole) << "killed after " << delay.count()
                                << " s: a part of the store was kept";
    }
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
    for (const std::string& entry : Environment(Device(), x.Display()))
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
