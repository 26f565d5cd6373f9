#include "RegistryHelpers.h"

#include <platform/Registry.h>
#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using regtest::Key;

namespace {

class RegistryProcessTest : public testsupport::DeviceFolderTest {};

std::u16string Numbered(const char16_t* prefix, DWORD n) {
    std::u16string name = prefix;
    for (char c : std::to_string(n))
        name += static_cast<char16_t>(c);
    return name;
}

bool ReadAll(int fd, void* buffer, std::size_t size) {
    auto* p = static_cast<char*>(buffer);
    while (size > 0) {
        ssize_t n = ::read(fd, p, size);
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Runs in a forked child: writes numbered values, reporting each one after it returned.
[[noreturn]] void WriteUntilKilled(int ackFd) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Durable", &key) != ERROR_SUCCESS)
        _exit(2);
    for (DWORD i = 0;; ++i) {
        std::u16string name = Numbered(u"V", i);
        if (RegSetValueExW(key, name.c_str(), REG_DWORD, reinterpret_cast<const BYTE*>(&i), 4) !=
            ERROR_SUCCESS)
            _exit(3);
        if (::write(ackFd, &i, sizeof i) != sizeof i)
            _exit(4);
    }
}

TEST_F(RegistryProcessTest, EveryReturnedWriteSurvivesSigkill) {
    int ack[2];
    ASSERT_EQ(::pipe(ack), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ack[0]);
        WriteUntilKilled(ack[1]);
    }
    ::close(ack[1]);
    DWORD last = 0;
    for (int received = 0; received < 120; ++received)
        ASSERT_TRUE(ReadAll(ack[0], &last, sizeof last)) << "writer stopped early";
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "writer failed with " << WEXITSTATUS(status);
    DWORD more;
    while (ReadAll(ack[0], &more, sizeof more))
        last = more;
    ::close(ack[0]);

    ASSERT_EQ(platform::RegistryProblem(), "");
    Key key(u"Software\\Durable", false);
    ASSERT_EQ(key.Status(), ERROR_SUCCESS);
    for (DWORD i = 0; i <= last; ++i)
        ASSERT_EQ(key.Dword(Numbered(u"V", i).c_str()), i) << "write " << i << " was lost";
}

// Runs in a forked child once the parent lets go: writes into keys shared with the other child.
[[noreturn]] void WriteShared(int startFd, DWORD process) {
    char go;
    if (::read(startFd, &go, 1) < 0)
        _exit(2);
    for (DWORD i = 0; i < 100; ++i) {
        HKEY common;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Shared\\Common", &common) !=
            ERROR_SUCCESS)
            _exit(3);
        DWORD value = process * 1000 + i;
        std::u16string name = Numbered(process ? u"B" : u"A", i);
        if (RegSetValueExW(common, name.c_str(), REG_DWORD, reinterpret_cast<BYTE*>(&value), 4) !=
            ERROR_SUCCESS)
            _exit(4);
        if (RegSetValueExW(common, u"Last", REG_DWORD, reinterpret_cast<BYTE*>(&value), 4) !=
            ERROR_SUCCESS)
            _exit(5);
        RegCloseKey(common);
    }
    _exit(0);
}

TEST_F(RegistryProcessTest, TwoProcessesShareOneHive) {
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    pid_t children[2];
    for (DWORD p = 0; p < 2; ++p) {
        children[p] = ::fork();
        ASSERT_GE(children[p], 0);
        if (children[p] == 0) {
            ::close(start[1]);
            WriteShared(start[0], p);
        }
    }
    ::close(start[0]);
    ::close(start[1]); // both begin together, both finding no hive yet
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    Key common(u"Software\\Shared\\Common", false);
    ASSERT_EQ(common.Status(), ERROR_SUCCESS);
    for (DWORD i = 0; i < 100; ++i) {
        EXPECT_EQ(common.Dword(Numbered(u"A", i).c_str()), i);
        EXPECT_EQ(common.Dword(Numbered(u"B", i).c_str()), 1000 + i);
    }
    DWORD last = common.Dword(u"Last");
    EXPECT_TRUE(last == 99 || last == 1099) << last;
    EXPECT_EQ(regtest::SubkeyNames(Key(u"Software\\Shared", false).Get()),
              std::vector<std::u16string>{u"Common"});
}

} // namespace
