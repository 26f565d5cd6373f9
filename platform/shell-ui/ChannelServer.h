#pragma once

#include "core/UniqueFd.h"

#include <platform/platform_export.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <string_view>

class QSocketNotifier;

namespace platform::detail {

// Answers one-line requests on a Unix socket from the UI thread's event loop: each
// connection of this user sends one line and gets one line back. What it holds is bounded
// whatever the callers do: a few connections at a time (a new one pushes out the oldest) and
// a short line (a longer one ends its connection).
class PLATFORM_EXPORT ChannelServer {
public:
    using Answerer = std::function<std::string(std::string_view request)>;

    static constexpr std::size_t kMaxConnections = 8;
    static constexpr std::size_t kMaxLine = 1024;

    ChannelServer(std::filesystem::path socket, Answerer answer);
    ChannelServer(const ChannelServer&) = delete;
    ChannelServer& operator=(const ChannelServer&) = delete;
    // Stops answering and removes the socket.
    ~ChannelServer();

    bool Listening() const { return static_cast<bool>(m_listener); }
    const std::filesystem::path& Socket() const { return m_socket; }
    std::size_t Connections() const { return m_connections.size(); }
    // Removes the socket file, as the process's end does.
    void RemoveSocket() const;

private:
    struct Connection;

    void Accept();
    void Read(Connection& connection);
    void Drop(Connection& connection);

    std::filesystem::path m_socket;
    Answerer m_answer;
    UniqueFd m_listener;
    std::unique_ptr<QSocketNotifier> m_accepting;
    // Oldest first.
    std::list<std::unique_ptr<Connection>> m_connections;
};

} // namespace platform::detail
