#include <platform/ShellExecute.h>

#include <platform/Device.h>

#include "core/Text.h"
#include "shell/DesktopEntry.h"
#include "shell/DeviceShortcut.h"
#include "shell/ExecLine.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
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

StartCommand Resolve(const std::u16string& devicePath, int depth) {
    fs::path host = HostPath(devicePath);
    std::error_code ec;
    std::u16string ext = Extension(host);
    if (ext == u".desktop") {
        auto entry = detail::DesktopEntry::Load(host);
        if (!entry)
            return {};
        auto args = detail::SplitExecLine(detail::ToUtf8(entry->Exec()));
        if (!args)
            return {};
        StartCommand command{args->front(), {args->begin() + 1, args->end()}};
        if (entry->Terminal()) {
            command.arguments.insert(command.arguments.begin(), {"-e", command.program});
            command.program = "x-terminal-emulator";
        }
        return command;
    }
    if (ext == u".lnk") {
        auto shortcut = detail::ReadShortcut(host);
        if (!shortcut || depth >= kMaxShortcutDepth)
            return {};
        StartCommand command = Resolve(shortcut->target, depth + 1);
        if (!command.program.empty())
            for (auto& arg : SplitArguments(shortcut->arguments))
                command.arguments.push_back(arg);
        return command;
    }
    if (ext == u".url") {
        std::string url = FavoriteUrl(host);
        return IsWebAddress(url) ? StartCommand{"xdg-open", {url}} : StartCommand{};
    }
    if (!fs::exists(host, ec))
        return {};
    if (fs::is_regular_file(host, ec) && access(host.c_str(), X_OK) == 0)
        return {host.string(), {}};
    return {"xdg-open", {host.string()}};
}

} // namespace

StartCommand ResolveStart(const std::u16string& devicePath) {
    return Resolve(devicePath, 0);
}

void SetShellExecuteHook(ShellExecuteHook hook) {
    Hook() = std::move(hook);
}

} // namespace platform

BOOL ShellExecuteEx(SHELLEXECUTEINFO* lpExecInfo) {
    if (!lpExecInfo || !lpExecInfo->lpFile)
        return FALSE;
    if (platform::Hook())
        return platform::Hook()(*lpExecInfo);
    std::u16string file = lpExecInfo->lpFile;
    platform::StartCommand command = platform::ResolveStart(file);
    if (command.program.empty()) {
        std::fprintf(stderr, "tovalo: nothing to start for %s\n",
                     platform::detail::ToUtf8(file).c_str());
        return FALSE;
    }
    QStringList arguments;
    for (const auto& arg : command.arguments)
        arguments << QString::fromStdString(arg);
    if (!QProcess::startDetached(QString::fromStdString(command.program), arguments)) {
        std::fprintf(stderr, "tovalo: could not start %s for %s\n", command.program.c_str(),
                     platform::detail::ToUtf8(file).c_str());
        return FALSE;
    }
    return TRUE;
}
