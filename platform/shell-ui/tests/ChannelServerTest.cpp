#include <testsupport/DeviceFolder.h>

#include "core/Application.h"
#include "shell-ui/ChannelServer.h"
#include "shell-ui/LocalSocket.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::detail::ChannelServer;
using platform::detail::UniqueFd;

namespace {

constexpr uid_t kNobody = 65534;

// Both sides of the check: a program of this user, and one of another user.
struct Peer {
    const char* name;
    bool stranger;
};

void PrintTo(const Peer& row, std::ostream* os) {
    *os << row.name;
}

std::string PeerName(const ::testing::TestParamInfo<Peer>& info) {
    return info.param.name;
}

class Channel : public testsupport::DeviceFolderTest, public ::testing::WithParamInterface<Peer> {
protected:
    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "becoming another user needs root";
        DeviceFolderTest::SetUp();
        platform::detail::EnsureApplication();
        // A folder anybody may use, as a shared one would be.
        ::chmod(Device().c_str(), 0711);
        fs::create_directory(Open());
        ::chmod(Open().c_str(), 0777);
    }
    fs::path Open() const { return Device() / "open"; }
    fs::path Socket() const { return Open() / "channel.sock"; }

    // Starts a step in a child process, as the row's user.
    pid_t StartChild(const std::function<int()>& step) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (GetParam().stranger && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
                ::_exit(99);
            ::_exit(step());
        }
        return child;
    }
    // The child's exit code; this process keeps its event loop turning meanwhile.
    int WaitChild(pid_t child) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        int status = 0;
        while (::waitpid(child, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(child, SIGKILL);
                ::waitpid(child, &status, 0);
                return -1;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

sockaddr_un AddressOf(const fs::path& socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket.c_str());
    return address;
}

// Whether anything arrives on the descriptor within the time.
bool Receives(int fd, int milliseconds) {
    pollfd wanted{fd, POLLIN, 0};
    char byte;
    return ::poll(&wanted, 1, milliseconds) == 1 && ::read(fd, &byte, 1) == 1;
}

// Whether a connection comes within the time.
bool Called(int listener, int milliseconds) {
    pollfd wanted{listener, POLLIN, 0};
    return ::poll(&wanted, 1, milliseconds) == 1;
}

using ChannelServerAnswers = Channel;

TEST_P(ChannelServerAnswers, OnlyThisUser) {
    int asked = 0;
    ChannelServer server(Socket(), [&](std::string_view) {
        ++asked;
        return std::string("1");
    });
    ASSERT_TRUE(server.Listening());
    ::chmod(Socket().c_str(), 0666);
    const int answered = WaitChild(StartChild([&] {
        UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM, 0));
        const sockaddr_un address = AddressOf(Socket());
        if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address))
            return 2;
        ::send(fd.Get(), "FIND Tovalo\n", 12, MSG_NOSIGNAL);
        return Receives(fd.Get(), 3000) ? 1 : 0;
    }));
    EXPECT_EQ(answered, GetParam().stranger ? 0 : 1);
    EXPECT_EQ(asked, GetParam().stranger ? 0 : 1);
}

using AskingTells = Channel;

TEST_P(AskingTells, OnlyThisUser) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = StartChild([&] {
        UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM, 0));
        const sockaddr_un address = AddressOf(Socket());
        if (::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) ||
            ::listen(listener.Get(), 4))
            return 2;
        ::chmod(Socket().c_str(), 0666);
        if (::write(ready[1], "r", 1) != 1 || !Called(listener.Get(), 10000))
            return 2;
        UniqueFd peer(::accept(listener.Get(), nullptr, nullptr));
        ::send(peer.Get(), "1\n", 2, MSG_NOSIGNAL);
        return Receives(peer.Get(), 2000) ? 1 : 0;
    });
    ::close(ready[1]);
    UniqueFd readyEnd(ready[0]);
    ASSERT_TRUE(Receives(readyEnd.Get(), 10000));
    const std::string answer = platform::detail::AskOnce(Socket(), "FIND Tovalo", 1000ms);
    const int received = WaitChild(child);
    EXPECT_EQ(answer, GetParam().stranger ? "" : "1");
    EXPECT_EQ(received, GetParam().stranger ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Peers, ChannelServerAnswers,
                         ::testing::Values(Peer{"ThisUser", false}, Peer{"Stranger", true}),
                         PeerName);
INSTANTIATE_TEST_SUITE_P(Peers, AskingTells,
                         ::testing::Values(Peer{"ThisUser", false}, Peer{"Stranger", true}),
                         PeerName);

} // namespace
