#include <testsupport/DeviceFolder.h>
#include <testsupport/Processes.h>

#include "core/Application.h"
#include "shell-ui/ChannelServer.h"
#include "shell-ui/LocalSocket.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::detail::UniqueFd;

namespace {

// Whether anything arrives on the descriptor within two seconds.
bool Receives(int fd) {
    pollfd wanted{fd, POLLIN, 0};
    char byte;
    return ::poll(&wanted, 1, 2000) == 1 && ::read(fd, &byte, 1) == 1;
}

// Both sides of the check: a program of this user, and one of another user (a stranger).
class Channel : public testsupport::DeviceFolderTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "becoming another user needs root";
        DeviceFolderTest::SetUp();
        platform::detail::EnsureApplication();
        // A folder anybody may use, as a shared one would be.
        ::chmod(Device().c_str(), 0711);
        fs::create_directory(Device() / "open");
        ::chmod((Device() / "open").c_str(), 0777);
    }
    bool Stranger() const { return GetParam(); }
    fs::path Socket() const { return Device() / "open" / "channel.sock"; }

    // Runs a step in a child process as the row's user (nobody for a stranger) and gives its
    // exit code; this process keeps its event loop turning meanwhile.
    int InChild(const std::function<int()>& step, const std::function<void()>& meanwhile = {}) {
        const pid_t child = ::fork();
        if (child == 0) {
            constexpr uid_t kNobody = 65534;
            if (Stranger() && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
                ::_exit(99);
            ::_exit(step());
        }
        if (meanwhile)
            meanwhile();
        int status = 0;
        for (auto end = std::chrono::steady_clock::now() + 10s;
             ::waitpid(child, &status, WNOHANG) == 0;
             QCoreApplication::processEvents(QEventLoop::AllEvents, 10))
            if (std::chrono::steady_clock::now() > end)
                ::kill(child, SIGKILL);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_P(Channel, ServerAnswersOnlyThisUser) {
    int asked = 0;
    platform::detail::ChannelServer server(Socket(), [&](std::string_view) {
        ++asked;
        return std::string("1");
    });
    ::chmod(Socket().c_str(), 0666);
    const int answered = InChild([&] {
        UniqueFd fd(testsupport::ConnectTo(Socket()));
        ::send(fd.Get(), "FIND Tovalo\n", 12, MSG_NOSIGNAL);
        return Receives(fd.Get()) ? 1 : 0;
    });
    EXPECT_EQ(answered, Stranger() ? 0 : 1);
    EXPECT_EQ(asked, Stranger() ? 0 : 1);
}

TEST_P(Channel, AskingTellsOnlyThisUser) {
    std::string answer;
    const int received = InChild(
        [&] {
            UniqueFd listener = platform::detail::ListenAt(Socket());
            ::chmod(Socket().c_str(), 0666);
            pollfd called{listener.Get(), POLLIN, 0};
            if (::poll(&called, 1, 10000) != 1)
                return 2;
            UniqueFd peer(::accept(listener.Get(), nullptr, nullptr));
            ::send(peer.Get(), "1\n", 2, MSG_NOSIGNAL);
            return Receives(peer.Get()) ? 1 : 0;
        },
        [&] {
            // Open to everybody once it listens.
            const auto open = [&] {
                struct stat st {};
                return ::stat(Socket().c_str(), &st) == 0 && (st.st_mode & S_IWOTH);
            };
            for (int i = 0; i < 100 && !open(); ++i)
                std::this_thread::sleep_for(20ms);
            answer = platform::detail::AskOnce(Socket(), "FIND Tovalo", 1000ms);
        });
    EXPECT_EQ(answer, Stranger() ? "" : "1");
    EXPECT_EQ(received, Stranger() ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Peers, Channel, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "Stranger" : "ThisUser");
});

} // namespace
