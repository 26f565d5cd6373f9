#include <platform/ShellExecute.h>

#include "shell/DeviceShortcut.h"

#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::ResolveStart;
using platform::StartCommand;
using Args = std::vector<std::string>;

class Starting : public testsupport::DeviceFolderTest {
protected:
    std::filesystem::path Programs() const {
        return Device() / "Windows" / "Start Menu" / "Programs";
    }
};

TEST_F(Starting, DesktopEntriesRunTheirExecLine) {
    testsupport::WriteFile(Programs() / "editor.desktop",
                           "[Desktop Entry]\nType=Application\nName=Editor\n"
                           "Exec=\"/opt/My Editor/bin/edit\" --new-window %F\n"
                           "[Desktop Action Other]\nExec=wrong\n");
    EXPECT_EQ(ResolveStart(u"\\Windows\\Start Menu\\Programs\\editor.desktop"),
              (StartCommand{"/opt/My Editor/bin/edit", {"--new-window"}}));
}

TEST_F(Starting, TerminalEntriesRunInTheUsersTerminal) {
    testsupport::WriteFile(Programs() / "top.desktop",
                           "[Desktop Entry]\nName=top\nExec=htop -d 5\nTerminal=true\n");
    const std::filesystem::path bin = Device() / "bin";
    const std::string path = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", bin.c_str(), 1);
    struct Case {
        std::vector<std::string> installed;
        const char* chosen;
        StartCommand expected;
    };
    const Args top{"htop", "-d", "5"};
    auto with = [&](std::string program, Args before) {
        before.insert(before.end(), top.begin(), top.end());
        return StartCommand{std::move(program), std::move(before)};
    };
    for (const Case& c : {
             Case{{"xterm", "my-term"}, "my-term", with("my-term", {"-e"})},
             Case{{"xterm", "x-terminal-emulator"},
                  "not-installed",
                  with("x-terminal-emulator", {"-e"})},
             Case{{"xterm", "gnome-terminal"}, nullptr, with("gnome-terminal", {"--"})},
             Case{{"xfce4-terminal"}, nullptr, with("xfce4-terminal", {"-x"})},
             Case{{"kitty"}, nullptr, with("kitty", {})},
             Case{{}, nullptr, StartCommand{}},
         }) {
        std::filesystem::remove_all(bin);
        std::filesystem::create_directories(bin);
        for (const std::string& program : c.installed) {
            testsupport::WriteFile(bin / program, "#!/bin/sh\n");
            chmod((bin / program).c_str(), 0755);
        }
        if (c.chosen)
            setenv("TERMINAL", c.chosen, 1);
        else
            unsetenv("TERMINAL");
        EXPECT_EQ(ResolveStart(u"\\Windows\\Start Menu\\Programs\\top.desktop"), c.expected)
            << (c.installed.empty() ? "none" : c.installed.back());
    }
    setenv("PATH", path.c_str(), 1);
    unsetenv("TERMINAL");
}

TEST_F(Starting, ShortcutsRunTheirTargetWithItsArguments) {
    testsupport::WriteFile(Device() / "Windows" / "app.desktop", "[Desktop Entry]\nExec=app\n");
    testsupport::WriteFile(Programs() / "App.lnk", "16#\\Windows\\app.desktop");
    testsupport::WriteFile(Programs() / "Args.lnk",
                           "31#\"\\Windows\\app.desktop\" -x \"two words\"");
    EXPECT_EQ(ResolveStart(u"\\Windows\\Start Menu\\Programs\\App.lnk"), (StartCommand{"app", {}}));
    EXPECT_EQ(ResolveStart(u"\\Windows\\Start Menu\\Programs\\Args.lnk"),
              (StartCommand{"app", {"-x", "two words"}}));
}

TEST_F(Starting, ShortcutLoopsEndWithoutAStart) {
    testsupport::WriteFile(Programs() / "Loop.lnk", "38#\\Windows\\Start Menu\\Programs\\Loop.lnk");
    EXPECT_EQ(ResolveStart(u"\\Windows\\Start Menu\\Programs\\Loop.lnk"), StartCommand{});
}

TEST_F(Starting, FavoritesOpenOnlyWebAndMailAddresses) {
    struct Case {
        const char* url;
        bool opens;
    };
    for (const Case& c : {Case{"https://example.org/a?b=1", true},
                          {"HTTP://example.org", true},
                          {"ftp://ftp.example.org/f", true},
                          {"mailto:me@example.org", true},
                          {"file:///etc/passwd", false},
                          {"--help", false},
                          {"-https://example.org", false},
                          {"javascript:alert(1)", false},
                          {"smb://host/share", false},
                          {"https://a b", false},
                          {"example.org", false}}) {
        testsupport::WriteFile(Device() / "Windows" / "Favorites" / "Site.url",
                               std::string("[InternetShortcut]\r\nURL=") + c.url + "\r\n");
        EXPECT_EQ(ResolveStart(u"\\Windows\\Favorites\\Site.url"),
                  (c.opens ? StartCommand{"xdg-open", {c.url}} : StartCommand{}))
            << c.url;
    }
}

TEST_F(Starting, ExecutablesRunAndOtherFilesOpen) {
    auto tool = Device() / "Windows" / "tool";
    testsupport::WriteFile(tool, "#!/bin/sh\n");
    chmod(tool.c_str(), 0755);
    testsupport::WriteFile(Device() / "Windows" / "notes; rm -rf ~.txt", "x");
    EXPECT_EQ(ResolveStart(u"\\Windows\\tool"), (StartCommand{tool.string(), {}}));
    EXPECT_EQ(ResolveStart(u"\\Windows\\notes; rm -rf ~.txt"),
              (StartCommand{"xdg-open", {(Device() / "Windows" / "notes; rm -rf ~.txt").string()}}))
        << "a file name is one argument, never a command";
    EXPECT_EQ(ResolveStart(u"\\Windows\\missing.exe"), StartCommand{});
}

TEST_F(Starting, MalformedFilesStartNothing) {
    testsupport::WriteFile(Programs() / "bad.desktop", "[Desktop Entry]\nExec=\"unterminated\n");
    testsupport::WriteFile(Programs() / "none.desktop", "[Desktop Entry]\nName=No exec\n");
    testsupport::WriteFile(Programs() / "bad.lnk", "notanumber#\\x");
    testsupport::WriteFile(Programs() / "empty.url", "[InternetShortcut]\n");
    for (auto name : {u"bad.desktop", u"none.desktop", u"bad.lnk", u"empty.url"})
        EXPECT_EQ(ResolveStart(std::u16string(u"\\Windows\\Start Menu\\Programs\\") + name),
                  StartCommand{});
}

TEST_F(Starting, AnExecLineHoldingANulIsRefused) {
    std::filesystem::create_directories(Programs());
    std::filesystem::copy_file(TOVALO_SHELL_TEST_DATA "/malformed/nul-exec.desktop",
                               Programs() / "nul-exec.desktop");
    EXPECT_EQ(ResolveStart(u"\\Windows\\Start Menu\\Programs\\nul-exec.desktop"), StartCommand{});
}

TEST_F(Starting, TheHookSeesEachRequest) {
    std::vector<std::u16string> seen;
    platform::SetShellExecuteHook([&](const SHELLEXECUTEINFO& r) {
        seen.push_back(r.lpFile);
        EXPECT_EQ(r.nShow, 5);
        return TRUE;
    });
    SHELLEXECUTEINFO request;
    request.cbSize = sizeof(request);
    request.lpFile = u"\\Windows\\calc.exe";
    request.nShow = 5;
    EXPECT_TRUE(ShellExecuteEx(&request));
    platform::SetShellExecuteHook(nullptr);
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"\\Windows\\calc.exe"}));
    EXPECT_FALSE(ShellExecuteEx(&request)) << "nothing there to start";
}

TEST(DeviceShortcuts, Parse) {
    auto plain = platform::detail::ParseShortcut("22#\\Windows\\calc.exe\r\n");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->target, u"\\Windows\\calc.exe");
    EXPECT_EQ(plain->arguments, u"");
    EXPECT_FALSE(platform::detail::ParseShortcut("#\\x"));
    EXPECT_FALSE(platform::detail::ParseShortcut("12\\x"));
    EXPECT_FALSE(platform::detail::ParseShortcut("3#\"open"));
    EXPECT_FALSE(platform::detail::ParseShortcut("3#\xff\xfe"));
}

} // namespace

namespace {

TEST_F(Starting, AStartedProgramRunsDetachedWithItsArguments) {
    auto marker = Device() / "ran";
    auto script = Device() / "Windows" / "mark";
    testsupport::WriteFile(script, "#!/bin/sh\nprintf '%s|' \"$@\" > \"" + marker.string() +
                                       ".tmp\"\n"
                                       "mv \"" +
                                       marker.string() + ".tmp\" \"" + marker.string() + "\"\n");
    chmod(script.c_str(), 0755);
    testsupport::WriteFile(Programs() / "Mark.desktop", "[Desktop Entry]\nExec=\"" +
                                                            script.string() +
                                                            "\" \"a b\" '$HOME' %u\n");
    SHELLEXECUTEINFO request;
    request.cbSize = sizeof(request);
    request.lpFile = u"\\Windows\\Start Menu\\Programs\\Mark.desktop";
    request.nShow = 5;
    ASSERT_TRUE(ShellExecuteEx(&request));
    for (int i = 0; i < 200 && !std::filesystem::exists(marker); ++i)
        usleep(10000);
    EXPECT_EQ(testsupport::ReadFile(marker), "a b|'$HOME'|");
}

} // namespace
