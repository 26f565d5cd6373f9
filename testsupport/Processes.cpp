#include <testsupport/Processes.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testsupport {

std::vector<fs::path> ListeningSockets(pid_t pid) {
    constexpr unsigned long kAcceptingConnections = 0x10000;
    // The socket inodes among the process's descriptors ("socket:[1234]").
    std::set<unsigned long> inodes;
    std::error_code ec;
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec))
        if (const std::string target = fs::read_symlink(fd.path(), ec).string();
            target.starts_with("socket:["))
            inodes.insert(std::stoul(target.substr(8)));
    std::vector<fs::path> sockets;
    std::ifstream table("/proc/net/unix");
    std::string line;
    std::getline(table, line);
    // Num RefCount Protocol Flags Type St Inode Path
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string num, refs, protocol, flags, type, state, path;
        unsigned long inode = 0;
        fields >> num >> refs >> protocol >> flags >> type >> state >> inode >> path;
        if (path.starts_with("/") && inodes.contains(inode) &&
            (std::stoul(flags, nullptr, 16) & kAcceptingConnections))
            sockets.emplace_back(path);
    }
    return sockets;
}

long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with("VmRSS:"))
            return std::stol(line.substr(6));
    return 0;
}

int ConnectTo(const fs::path& socket) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const timeval second{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &second, sizeof second);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket.c_str());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return fd;
    ::close(fd);
    return -1;
}

} // namespace testsupport
