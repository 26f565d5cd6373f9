#include <platform/ShellExecute.h>

#include "core/Application.h"
#include "shell/DeviceShortcut.h"

#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::ResolveStart;
using platform::StartCommand;
using testsupport::WriteFile;
using Args = std::vector<std::string>;

class Starting : public testsupport::DeviceFolderTest {
protected:
    std::filesystem::path Programs() const {
        return Device() / "Windows" / "Start Menu" / "Programs";
    }
    static StartCommand Resolve(const std::string& name) {
        return ResolveStart(u"\\Windows\\Start Menu\\Programs\\" +
                            std::u16string(name.begin(), name.end()));
    }
};

TEST_F(Starting, EntriesAndShortcutsRunTheirCommandAndBrokenOnesNothing) {
    WriteFile(Device() / "Windows" / "app.desktop", "[Desktop Entry]\nExec=app\n");
    const struct {
        const char* file;
        std::string text;
        StartCommand expected;
    } rows[] = {
        {"editor.desktop",
         "[Desktop Entry]\nType=Application\nName=Editor\n"
         "Exec=\"/opt/My Editor/bin/edit\" --new-window %F\n[Desktop Action Other]\nExec=wrong\n",
         {"/opt/My Editor/bin/edit", {"--new-window"}}},
        {"App.lnk", "16#\\Windows\\app.desktop", {"app", {}}},
        {"Args.lnk",
         "31#\"\\Windows\\app.desktop\" -x \"two words\"",
         {"app", {"-x", "two words"}}},
        {"Loop.lnk", "38#\\Windows\\Start Menu\\Programs\\Loop.lnk", {}},
        {"bad.desktop", "[Desktop Entry]\nExec=\"unterminated\n", {}},
        {"none.desktop", "[Desktop Entry]\nName=No exec\n", {}},
        {"bad.lnk", "notanumber#\\x", {}},
        {"empty.url", "[InternetShortcut]\n", {}},
        {"nul-exec.desktop",
         testsupport::ReadFile(TOVALO_SHELL_TEST_DATA "/malformed/nul-exec.desktop"),
         {}},
    };
    for (const auto& row : rows) {
        WriteFile(Programs() / row.file, row.text);
        EXPECT_EQ(Resolve(row.file), row.expected) << row.file;
    }
}

TEST_F(Starting, TerminalEntriesRunInTheUsersTerminal) {
    WriteFile(Programs() / "top.desktop",
              "[Desktop Entry]\nName=top\nExec=htop -d 5\nTerminal=true\n");
    const std::filesystem::path bin = Device() / "bin";
    const std::string path = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", bin.c_str(), 1);
    auto with = [](std::string program, Args before) {
        before.insert(before.end(), {"htop", "-d", "5"});
        return StartCommand{std::move(program), std::move(before)};
    };
    const struct {
        Args installed;
        const char* chosen;
        StartCommand expected;
    } rows[] = {
        {{"xterm", "my-term"}, "my-term", with("my-term", {"-e"})},
        {{"xterm", "x-terminal-emulator"}, "not-installed", with("x-terminal-emulator", {"-e"})},
        {{"xterm", "gnome-terminal"}, nullptr, with("gnome-terminal", {"--"})},
        {{"xfce4-terminal"}, nullptr, with("xfce4-terminal", {"-x"})},
        {{"kitty"}, nullptr, with("kitty", {})},
        {{}, nullptr, StartCommand{}},
    };
    for (const auto& row : rows) {
        std::filesystem::remove_all(bin);
        for (const std::string& program : row.installed) {
            WriteFile(bin / program, "#!/bin/sh\n");
            chmod((bin / program).c_str(), 0755);
        }
        if (row.chosen)
            setenv("TERMINAL", row.chosen, 1);
        else
            unsetenv("TERMINAL");
        EXPECT_EQ(Resolve("top.desktop"), row.expected)
            << (row.installed.empty() ? "none" : row.installed.back());
    }
    setenv("PATH", path.c_str(), 1);
    unsetenv("TERMINAL");
}

TEST_F(Starting, FavoritesOpenOnlyWebAndMailAddresses) {
    const std::pair<const char*, bool> rows[] = {{"https://example.org/a?b=1", true},
                                                 {"HTTP://example.org", true},
                                                 {"ftp://ftp.example.org/f", true},
                                                 {"mailto:me@example.org", true},
                                                 {"file:///etc/passwd", false},
                                                 {"--help", false},
                                                 {"-https://example.org", false},
                                                 {"javascript:alert(1)", false},
                                                 {"smb://host/share", false},
                                                 {"https://a b", false},
                                                 {"example.org", false}};
    for (const auto& [url, opens] : rows) {
        WriteFile(Device() / "Windows" / "Favorites" / "Site.url",
                  std::string("[InternetShortcut]\r\nURL=") + url + "\r\n");
        EXPECT_EQ(ResolveStart(u"\\Windows\\Favorites\\Site.url"),
                  (opens ? StartCommand{"xdg-open", {url}} : StartCommand{}))
            << url;
    }
}

TEST_F(Starting, ExecutablesRunAndOtherFilesOpen) {
    const auto tool = Device() / "Windows" / "tool";
    WriteFile(tool, "#!/bin/sh\n");
    chmod(tool.c_str(), 0755);
    const auto notes = Device() / "Windows" / "notes; rm -rf ~.txt";
    WriteFile(notes, "x");
    EXPECT_EQ(ResolveStart(u"\\Windows\\tool"), (StartCommand{tool.string(), {}}));
    EXPECT_EQ(ResolveStart(u"\\Windows\\notes; rm -rf ~.txt"),
              (StartCommand{"xdg-open", {notes.string()}}))
        << "a file name is one argument, never a command";
    EXPECT_EQ(ResolveStart(u"\\Windows\\missing.exe"), StartCommand{});
}

// While the hook is set it sees each request; without it the program starts detached.
TEST_F(Starting, RequestsGoToTheHookOrStartTheProgramDetachedWithItsArguments) {
    platform::detail::EnsureApplication();
    const auto marker = Device() / "ran";
    const auto script = Device() / "Windows" / "mark";
    WriteFile(script, "#!/bin/sh\nprintf '%s|' \"$@\" \"${DBUS_SESSION_BUS_ADDRESS-none}\" > \"" +
                          marker.string() + ".tmp\"\nmv \"" + marker.string() + ".tmp\" \"" +
                          marker.string() + "\"\n");
    chmod(script.c_str(), 0755);
    WriteFile(Programs() / "Mark.desktop",
              "[Desktop Entry]\nExec=\"" + script.string() + "\" \"a b\" '$HOME' %u\n");
    std::vector<std::u16string> seen;
    platform::SetShellExecuteHook([&](const SHELLEXECUTEINFO& r) {
        seen.push_back(r.lpFile);
        EXPECT_EQ(r.nShow, 5);
        return TRUE;
    });
    SHELLEXECUTEINFO request{
        .cbSize = sizeof(SHELLEXECUTEINFO), .lpFile = u"\\Windows\\calc.exe", .nShow = 5};
    EXPECT_TRUE(ShellExecuteEx(&request));
    platform::SetShellExecuteHook(nullptr);
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"\\Windows\\calc.exe"}));
    EXPECT_FALSE(ShellExecuteEx(&request)) << "nothing there to start";

    request.lpFile = u"\\Windows\\Start Menu\\Programs\\Mark.desktop";
    ASSERT_TRUE(ShellExecuteEx(&request));
    for (int i = 0; i < 200 && !std::filesystem::exists(marker); ++i)
        usleep(10000);
    // Where no session bus was found, the address that stands for none stays with the launcher.
    const char* bus = getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string inherited = platform::detail::NoSessionBus() || !bus ? "none" : bus;
    EXPECT_EQ(testsupport::ReadFile(marker), "a b|'$HOME'|" + inherited + "|");
}

TEST(DeviceShortcuts, Parse) {
    auto plain = platform::detail::ParseShortcut("22#\\Windows\\calc.exe\r\n");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->target, u"\\Windows\\calc.exe");
    EXPECT_EQ(plain->arguments, u"");
    for (const char* bad : {"#\\x", "12\\x", "3#\"open", "3#\xff\xfe"})
        EXPECT_FALSE(platform::detail::ParseShortcut(bad)) << bad;
}

} // namespace
