#include <platform/ShellExecute.h>

#include <platform/Device.h>

#include "core/Application.h"
#include "core/Text.h"
#include "shell-ui/TrayStrip.h"
#include "shell/DesktopEntry.h"
#include "shell/DeviceShortcut.h"
#include "shell/ExecLine.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {

namespace {

ShellExecuteHook& Hook() {
    static ShellExecuteHook hook;
    return hook;
}

// Shortcuts may point at shortcuts; a loop ends here.
constexpr int kMaxShortcutDepth = 8;

std::u16string Extension(const fs::path& file) {
    return detail::FoldCase(detail::FromUtf8(file.extension().string()));
}

// The address of a web favourite: URL= in its [InternetShortcut] section.
std::string FavoriteUrl(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    bool section = false;
    for (int n = 0; n < 200 && std::getline(in, line); ++n) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[')
            section = line == "[InternetShortcut]";
        else if (section && line.rfind("URL=", 0) == 0)
            return line.substr(4);
    }
    return {};
}

// Only web and mail addresses go to the opener: a favourite is a file anyone can write, and
// "file:", a desktop's own schemes or an address that reads as an option would open far more
// than a page. Such an address starts with a letter, so the opener never takes it for an
// option (xdg-open refuses "--" itself).
bool IsWebAddress(std::string_view url) {
    auto colon = url.find(':');
    if (colon == std::string_view::npos)
        return false;
    std::string scheme(url.substr(0, colon));
    for (char& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (scheme != "http" && scheme != "https" && scheme != "ftp" && scheme != "mailto")
        return false;
    return std::none_of(url.begin(), url.end(),
                        [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; });
}

std::vector<std::string> SplitArguments(const std::u16string& arguments) {
    if (arguments.empty())
        return {};
    auto split = detail::SplitExecLine("x " + detail::ToUtf8(arguments));
    if (!split)
        return {};
    split->erase(split->begin());
    return *split;
}

// What a request comes to: a command, or why there is none.
struct Plan {
    StartCommand command;
    std::string reason;
};

Plan Refused(std::string reason) {
    return {{}, std::move(reason)};
}

// The user's terminal, and how it takes a program to run: $TERMINAL, Debian's choice, then
// the common ones. Nothing when none is installed.
std::optional<StartCommand> FindTerminal() {
    struct Known {
        const char* program;
        std::vector<std::string> before;
    };
    static const Known kKnown[] = {
        {"x-terminal-emulator", {"-e"}},
        {"gnome-terminal", {"--"}},
        {"konsole", {"-e"}},
        {"xfce4-terminal", {"-x"}},
        {"mate-terminal", {"-x"}},
        {"alacritty", {"-e"}},
        {"kitty", {}},
        {"foot", {}},
        {"xterm", {"-e"}},
    };
    auto installed = [](const std::string& program) {
        return !program.empty() &&
               !QStandardPaths::findExecutable(QString::fromStdString(program)).isEmpty();
    };
    if (const char* chosen = std::getenv("TERMINAL"); chosen && installed(chosen))
        return StartCommand{chosen, {"-e"}};
    for (const Known& known : kKnown)
        if (installed(known.program))
            return StartCommand{known.program, known.before};
    return std::nullopt;
}

Plan Resolve(const std::u16string& devicePath, int depth) {
    fs::path host = HostPath(devicePath);
    std::error_code ec;
    std::u16string ext = Extension(host);
    if (!fs::exists(host, ec))
        return Refused("file not found");
    if (ext == u".desktop") {
        auto entry = detail::DesktopEntry::Load(host);
        if (!entry)
            return Refused("not a desktop entry");
        auto args = detail::SplitExecLine(detail::ToUtf8(entry->Exec()));
        if (!args)
            return Refused("no command in its entry");
        StartCommand command{args->front(), {args->begin() + 1, args->end()}};
        if (entry->Terminal()) {
            auto terminal = FindTerminal();
            if (!terminal)
                return Refused("no terminal installed");
            terminal->arguments.push_back(command.program);
            terminal->arguments.insert(terminal->arguments.end(), command.arguments.begin(),
                                       command.arguments.end());
            command = std::move(*terminal);
        }
        return {command, {}};
    }
    if (ext == u".lnk") {
        auto shortcut = detail::ReadShortcut(host);
        if (!shortcut)
            return Refused("not a shortcut");
        if (depth >= kMaxShortcutDepth)
            return Refused("its shortcuts go in a circle");
        Plan plan = Resolve(shortcut->target, depth + 1);
        if (!plan.command.program.empty())
            for (auto& arg : SplitArguments(shortcut->arguments))
                plan.command.arguments.push_back(arg);
        return plan;
    }
    if (ext == u".url") {
        std::string url = FavoriteUrl(host);
        if (!IsWebAddress(url))
            return Refused(url.empty() ? "no address" : "not a web address");
        return {{"xdg-open", {url}}, {}};
    }
    if (fs::is_regular_file(host, ec) && access(host.c_str(), X_OK) == 0)
        return {{host.string(), {}}, {}};
    return {{"xdg-open", {host.string()}}, {}};
}

// Why a command cannot run, before trying: its program is not there.
std::string MissingProgram(const std::string& program) {
    const QString name = QString::fromStdString(program);
    if (program.find('/') == std::string::npos)
        return QStandardPaths::findExecutable(name).isEmpty() ? program + " not installed"
                                                              : std::string();
    return access(program.c_str(), X_OK) == 0 ? std::string() : program + " cannot run";
}

// The name the launcher shows for a path: its file name up to the first ".".
std::u16string Label(const std::u16string& devicePath) {
    std::u16string name = devicePath.substr(devicePath.find_last_of(u"\\/") + 1);
    return name.substr(0, name.find(u'.'));
}

BOOL Fail(const std::u16string& file, const std::string& reason) {
    const std::string text = "Cannot start " + detail::ToUtf8(Label(file)) + ": " + reason;
    std::fprintf(stderr, "tovalo: %s (%s)\n", text.c_str(), detail::ToUtf8(file).c_str());
    detail::ShowNotice(detail::FromUtf8(text));
    return FALSE;
}

} // namespace

StartCommand ResolveStart(const std::u16string& devicePath) {
    return Resolve(devicePath, 0).command;
}

void SetShellExecuteHook(ShellExecuteHook hook) {
    Hook() = std::move(hook);
}

} // namespace platform

BOOL ShellExecuteEx(SHELLEXECUTEINFO* lpExecInfo) {
    using namespace platform;
    if (!lpExecInfo || !lpExecInfo->lpFile)
        return FALSE;
    if (Hook())
        return Hook()(*lpExecInfo);
    const std::u16string file = lpExecInfo->lpFile;
    const Plan plan = Resolve(file, 0);
    const StartCommand& command = plan.command;
    if (command.program.empty())
        return Fail(file, plan.reason);
    if (std::string missing = MissingProgram(command.program); !missing.empty())
        return Fail(file, missing);
    QStringList arguments;
    for (const auto& arg : command.arguments)
        arguments << QString::fromStdString(arg);
    QProcess process;
    process.setProgram(QString::fromStdString(command.program));
    process.setArguments(arguments);
    if (detail::NoSessionBus()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        process.setProcessEnvironment(environment);
    }
    if (!process.startDetached())
        return Fail(file, command.program + " did not start");
    return TRUE;
}
