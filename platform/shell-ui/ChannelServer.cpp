#include "shell-ui/ChannelServer.h"

#include "shell-ui/LocalSocket.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <sys/socket.h>

namespace platform::detail {

struct ChannelServer::Connection {
    UniqueFd fd;
    std::unique_ptr<QSocketNotifier> notifier;
    std::string line;
};

namespace {

// A notifier cannot be deleted from its own signal; it goes once control is back in the loop.
void Retire(std::unique_ptr<QSocketNotifier> notifier) {
    if (!notifier)
        return;
    notifier->setEnabled(false);
    notifier.release()->deleteLater();
}

} // namespace

ChannelServer::ChannelServer(std::filesystem::path socket, Answerer answer)
    : m_socket(std::move(socket)), m_answer(std::move(answer)), m_listener(ListenAt(m_socket)) {
    if (!m_listener)
        return;
    m_accepting = std::make_unique<QSocketNotifier>(m_listener.Get(), QSocketNotifier::Read);
    QObject::connect(m_accepting.get(), &QSocketNotifier::activated, m_accepting.get(),
                     [this] { Accept(); });
}

ChannelServer::~ChannelServer() {
    for (auto& connection : m_connections)
        connection->notifier.reset();
    m_accepting.reset();
    if (m_listener)
        RemoveSocket();
}

void ChannelServer::RemoveSocket() const {
    platform::detail::RemoveSocket(m_socket);
}

void ChannelServer::Accept() {
    for (;;) {
        UniqueFd fd(::accept4(m_listener.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // Out of descriptors: the socket stays, and is tried again a little later
                // rather than at once and for ever.
                m_accepting->setEnabled(false);
                QTimer::singleShot(100, m_accepting.get(),
                                   [this] { m_accepting->setEnabled(true); });
            }
            return;
        }
        // Only this user's programs are answered.
        if (!PeerIsThisUser(fd.Get()))
            continue;
        if (m_connections.size() >= kMaxConnections)
            Drop(*m_connections.front());
        auto connection = std::make_unique<Connection>();
        connection->fd = std::move(fd);
        connection->notifier =
            std::make_unique<QSocketNotifier>(connection->fd.Get(), QSocketNotifier::Read);
        Connection* raw = connection.get();
        QObject::connect(raw->notifier.get(), &QSocketNotifier::activated, raw->notifier.get(),
                         [this, raw] { Read(*raw); });
        m_connections.push_back(std::move(connection));
        // The request usually came with the connection.
        Read(*raw);
    }
}

void ChannelServer::Read(Connection& connection) {
    char buffer[512];
    for (;;) {
        const ssize_t n = ::recv(connection.fd.Get(), buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (n <= 0) {
            Drop(connection);
            return;
        }
        const std::string_view chunk(buffer, static_cast<std::size_t>(n));
        const std::size_t end = chunk.find('\n');
        connection.line.append(chunk.substr(0, end));
        if (connection.line.size() > kMaxLine) {
            Drop(connection);
            return;
        }
        if (end != std::string_view::npos) {
            const std::string answer = m_answer(connection.line) + '\n';
            ::send(connection.fd.Get(), answer.data(), answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            Drop(connection);
            return;
        }
    }
}

void ChannelServer::Drop(Connection& connection) {
    Retire(std::move(connection.notifier));
    auto it = std::find_if(m_connections.begin(), m_connections.end(),
                           [&](const auto& held) { return held.get() == &connection; });
    if (it != m_connections.end())
        m_connections.erase(it);
}

} // namespace platform::detail
