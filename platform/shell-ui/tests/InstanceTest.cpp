#include <platform/CWnd.h>
#include <platform/Device.h>

#include <testsupport/DeviceFolder.h>
#include <testsupport/Processes.h>

#include "core/UniqueFd.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;
using platform::detail::UniqueFd;

namespace {

std::unique_ptr<QProcess> Launch(const QStringList& arguments) {
    auto host = std::make_unique<QProcess>();
    host->start(QStringLiteral(WINDOW_HOST), arguments);
    return host;
}

void Stop(QProcess& process) {
    process.kill();
    process.waitForFinished();
}

QByteArray FirstLine(QProcess& process) {
    while (!process.canReadLine())
        if (!process.waitForReadyRead(10000))
            return {};
    return process.readLine().trimmed();
}

class OtherProgram : public testsupport::DeviceFolderTest {
protected:
    // This program and the other one share a runtime folder, as one user's programs do.
    void SetUp() override {
        DeviceFolderTest::SetUp();
        fs::create_directory(Runtime());
        fs::permissions(Runtime(), fs::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", Runtime().c_str(), 1);
    }
    void TearDown() override {
        if (m_host)
            Stop(*m_host);
        DeviceFolderTest::TearDown();
    }
    fs::path Runtime() const { return Device() / "xdg"; }
    void Start() {
        m_host = Launch({QStringLiteral("Tovalo")});
        ASSERT_EQ(FirstLine(*m_host), "ready");
    }
    // Found by its title and brought to the front.
    static void ExpectFound() {
        HWND other = FindWindowW(nullptr, u"Tovalo");
        ASSERT_NE(other, nullptr);
        EXPECT_TRUE(SetForegroundWindow(other));
    }
    // The one socket the other program listens on.
    fs::path Channel() const {
        const auto sockets = testsupport::ListeningSockets(static_cast<pid_t>(m_host->processId()));
        return sockets.size() == 1 ? sockets.front() : fs::path();
    }
    long Resident() const {
        return testsupport::ResidentKiB(static_cast<pid_t>(m_host->processId()));
    }
    // Still found, still running, and no bigger than before the attack.
    void ExpectUnharmed(long residentBefore) {
        ExpectFound();
        EXPECT_EQ(m_host->state(), QProcess::Running);
        EXPECT_LT(Resident() - residentBefore, testsupport::kSanitized ? 16384 : 4096);
    }
    std::unique_ptr<QProcess> m_host;
};

TEST_F(OtherProgram, ItsWindowIsFoundByTitleOnItsDeviceWhileItLives) {
    EXPECT_FALSE(platform::DeviceFolderInUse());
    Start();
    EXPECT_TRUE(platform::DeviceFolderInUse());
    ExpectFound();
    EXPECT_EQ(FindWindowW(nullptr, u"Tovalo Setting"), nullptr);
    const std::string device = Device().string();
    setenv("TOVALO_DEVICE", (Device() / "elsewhere").c_str(), 1);
    EXPECT_EQ(FindWindowW(nullptr, u"Tovalo"), nullptr) << "another device folder";
    setenv("TOVALO_DEVICE", device.c_str(), 1);

    Stop(*m_host);
    EXPECT_FALSE(platform::DeviceFolderInUse()) << "a killed holder leaves the device";
    // The next one takes the device, and the socket the dead one left.
    Start();
    EXPECT_TRUE(platform::DeviceFolderInUse());
    ExpectFound();
    Stop(*m_host);
    EXPECT_EQ(FindWindowW(nullptr, u"Tovalo"), nullptr) << "nothing runs";
}

TEST_F(OtherProgram, StartsAtTheSameMomentLeaveExactlyOne) {
    for (int attempt = 0; attempt < 20 && !HasFailure(); ++attempt) {
        SCOPED_TRACE("try " + std::to_string(attempt));
        std::vector<std::unique_ptr<QProcess>> starts;
        for (int i = 0; i < 3; ++i)
            starts.push_back(Launch({QStringLiteral("--single"), QStringLiteral("Tovalo")}));
        int firsts = 0;
        for (auto& start : starts) {
            const QByteArray said = FirstLine(*start);
            if (said == "first") {
                ++firsts;
                continue;
            }
            EXPECT_EQ(said, "second");
            EXPECT_TRUE(start->waitForFinished(10000));
            EXPECT_EQ(start->exitCode(), 0);
        }
        EXPECT_EQ(firsts, 1);
        for (auto& start : starts)
            Stop(*start);
    }
}

TEST_F(OtherProgram, ItsChannelIsInTheUsersRuntimeFolderOrElseInAPrivateOneInTheDevice) {
    for (const bool runtime : {true, false}) {
        SCOPED_TRACE(runtime ? "XDG_RUNTIME_DIR set" : "XDG_RUNTIME_DIR unset");
        if (!runtime) {
            Stop(*m_host);
            unsetenv("XDG_RUNTIME_DIR");
        }
        Start();
        const fs::path expected = runtime ? Runtime() : Device() / "run";
        EXPECT_EQ(Channel().parent_path(), expected);
        struct stat folder {};
        ASSERT_EQ(::stat(expected.c_str(), &folder), 0);
        EXPECT_EQ(folder.st_mode & 0777, 0700u);
    }
}

// A flood of connections, more than a process may hold descriptors by default, then an endless
// line: neither closes the channel nor grows the holder.
TEST_F(OtherProgram, AttacksOnTheChannelLeaveTheHolderUnharmed) {
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 4096);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    ASSERT_GE(limit.rlim_cur, 1200u);
    Start();
    const fs::path channel = Channel();
    ASSERT_FALSE(channel.empty());
    const long before = Resident();
    std::vector<UniqueFd> flood;
    for (int i = 0; i < 1100; ++i) {
        UniqueFd fd(testsupport::ConnectTo(channel));
        if (!fd)
            break;
        flood.push_back(std::move(fd));
    }
    EXPECT_EQ(flood.size(), 1100u);
    ExpectUnharmed(before);
    flood.clear();

    UniqueFd fd(testsupport::ConnectTo(channel));
    ASSERT_TRUE(fd);
    const std::string chunk(1 << 20, 'x');
    std::size_t sent = 0;
    for (int i = 0; i < 64; ++i) {
        const ssize_t n = ::send(fd.Get(), chunk.data(), chunk.size(), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    // The holder hung up long before the 64 MiB were through.
    EXPECT_LT(sent, 64u << 20);
    ExpectUnharmed(before);
}

} // namespace
