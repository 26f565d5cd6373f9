#include "shell-ui/LocalSocket.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace fs = std::filesystem;

namespace platform::detail {

namespace {

// A socket file's address; the folder stays open while the address is used, so that a path
// too long for sun_path can go through /proc/self/fd.
class Address {
public:
    explicit Address(const fs::path& file)
        : m_folder(::open(file.parent_path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)),
          m_name(file.filename().string()) {
        m_address.sun_family = AF_UNIX;
        std::string path = file.string();
        if (path.size() >= sizeof m_address.sun_path && m_folder)
            path = "/proc/self/fd/" + std::to_string(m_folder.Get()) + "/" + m_name;
        m_valid = !m_name.empty() && path.size() < sizeof m_address.sun_path;
        if (m_valid)
            std::memcpy(m_address.sun_path, path.c_str(), path.size() + 1);
    }

    bool Valid() const { return m_valid; }
    const sockaddr* Get() const { return reinterpret_cast<const sockaddr*>(&m_address); }
    socklen_t Size() const { return sizeof m_address; }
    void Unlink() const {
        if (m_folder)
            ::unlinkat(m_folder.Get(), m_name.c_str(), 0);
    }

private:
    UniqueFd m_folder;
    std::string m_name;
    sockaddr_un m_address{};
    bool m_valid = false;
};

timeval TimeVal(std::chrono::milliseconds ms) {
    return timeval{static_cast<time_t>(ms.count() / 1000),
                   static_cast<suseconds_t>(ms.count() % 1000 * 1000)};
}

} // namespace

UniqueFd ListenAt(const fs::path& file) {
    Address address(file);
    if (!address.Valid())
        return {};
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd)
        return {};
    address.Unlink();
    const mode_t mask = ::umask(0077);
    const int bound = ::bind(fd.Get(), address.Get(), address.Size());
    ::umask(mask);
    if (bound != 0 || ::listen(fd.Get(), 16) != 0)
        return {};
    return fd;
}

void RemoveSocket(const fs::path& file) {
    Address(file).Unlink();
}

bool PeerIsThisUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof peer &&
           peer.uid == ::geteuid();
}

std::string AskOnce(const fs::path& file, std::string_view line,
                    std::chrono::milliseconds timeout) {
    Address address(file);
    if (!address.Valid())
        return {};
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd)
        return {};
    // Each step waits at most this long: connecting to a full queue, sending, receiving.
    const timeval limit = TimeVal(timeout);
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    if (::connect(fd.Get(), address.Get(), address.Size()) != 0)
        return {};
    // Another user listening at our name must learn nothing from us.
    if (!PeerIsThisUser(fd.Get()))
        return {};
    std::string request(line);
    request += '\n';
    if (::send(fd.Get(), request.data(), request.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(request.size()))
        return {};
    std::string answer;
    char buffer[64];
    while (answer.size() < 256) {
        const ssize_t n = ::recv(fd.Get(), buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return {};
        answer.append(buffer, static_cast<std::size_t>(n));
        if (auto end = answer.find('\n'); end != std::string::npos)
            return answer.substr(0, end);
    }
    return {};
}

} // namespace platform::detail
