#include "shell-ui/InstanceChannel.h"

#include <platform/CWnd.h>

#include "core/Text.h"
#include "files/DeviceLock.h"
#include "files/RuntimeFolder.h"
#include "shell-ui/ChannelServer.h"
#include "shell-ui/LocalSocket.h"

#include <QCryptographicHash>

#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace platform::detail {

namespace {

constexpr std::chrono::milliseconds kTimeout{1000};

// One socket per device folder in the user's runtime folder; empty when there is none.
fs::path ChannelPath() {
    const fs::path runtime = RuntimeFolder();
    if (runtime.empty())
        return {};
    const QByteArray device = QByteArray::fromStdString(CanonicalDeviceFolder().string());
    const QByteArray hash =
        QCryptographicHash::hash(device, QCryptographicHash::Sha1).toHex().left(16);
    return runtime / ("tovalo-" + hash.toStdString() + ".sock");
}

// One request, one line of answer: "FIND <title>" or "RAISE <title>"; the answer is 1 or 0.
std::string Answer(std::string_view line) {
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos)
        return "0";
    const std::string_view verb = line.substr(0, space);
    const std::u16string title = FromUtf8(std::string(line.substr(space + 1)));
    // Only this process's own windows: asking on would ask this very channel.
    HWND local = FindLocalWindow(title.c_str());
    if (verb == "FIND")
        return local ? "1" : "0";
    if (verb == "RAISE" && local) {
        ShowWindow(local, SW_SHOW);
        SetForegroundWindow(local);
        return "1";
    }
    return "0";
}

// The channels this process serves, by device folder. They answer until the process ends
// and are never taken down before: their sockets go at exit.
std::map<fs::path, std::unique_ptr<ChannelServer>>& Servers() {
    static auto* servers = new std::map<fs::path, std::unique_ptr<ChannelServer>>;
    return *servers;
}

void RemoveChannels() {
    for (const auto& [device, server] : Servers())
        if (server->Listening())
            server->RemoveSocket();
}

DeviceHolder HoldAndServe() {
    const DeviceHolder holder = HoldDeviceFolder();
    if (holder != DeviceHolder::ThisProcess)
        return holder;
    auto& servers = Servers();
    const fs::path device = CanonicalDeviceFolder();
    if (servers.contains(device))
        return holder;
    if (servers.empty())
        std::atexit(RemoveChannels);
    // Whatever socket lies at the name was left by a holder that died: the lock is ours.
    servers.emplace(device, std::make_unique<ChannelServer>(ChannelPath(), Answer));
    return holder;
}

std::string Ask(std::string_view verb, const std::u16string& title) {
    const fs::path channel = ChannelPath();
    if (channel.empty())
        return {};
    return AskOnce(channel, std::string(verb) + ' ' + ToUtf8(title), kTimeout);
}

std::vector<std::u16string>& RemoteTitles() {
    static std::vector<std::u16string> titles;
    return titles;
}

// Remote handles lie in a range of their own, far from local ones.
constexpr std::uintptr_t kRemoteBase = 0x7F000000;

} // namespace

void ServeTopLevelWindows() {
    HoldAndServe();
}

HWND FindRemoteWindow(const std::u16string& title) {
    switch (HoldAndServe()) {
    case DeviceHolder::ThisProcess:
        // Every window of this device is this process's own.
        return nullptr;
    case DeviceHolder::Another:
        // A holder too busy to answer (still starting, say) is taken at its word that it
        // runs: only a plain "no" means that it has no such window.
        if (Ask("FIND", title) == "0")
            return nullptr;
        break;
    case DeviceHolder::Unknown:
        if (Ask("FIND", title) != "1")
            return nullptr;
        break;
    }
    auto& titles = RemoteTitles();
    titles.push_back(title);
    return reinterpret_cast<HWND>(kRemoteBase + titles.size() - 1);
}

bool IsRemoteWindow(HWND hWnd) {
    auto value = reinterpret_cast<std::uintptr_t>(hWnd);
    return value >= kRemoteBase && value < kRemoteBase + RemoteTitles().size();
}

bool RaiseRemoteWindow(HWND hWnd) {
    if (!IsRemoteWindow(hWnd))
        return false;
    const auto& title = RemoteTitles()[reinterpret_cast<std::uintptr_t>(hWnd) - kRemoteBase];
    return Ask("RAISE", title) == "1";
}

} // namespace platform::detail
