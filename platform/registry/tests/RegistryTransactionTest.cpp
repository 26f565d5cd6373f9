#include "RegistryHelpers.h"

#include <platform/Registry.h>
#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using regtest::Key;

namespace {

// Another program on the same hive, run as a forked child that follows the parent's cues:
// each step waits for a cue, runs, and answers with its result. The parent lets go of its
// own connection first, as a child may not share it.
class OtherProgram {
public:
    explicit OtherProgram(std::vector<std::function<LONG()>> steps) {
        platform::CloseRegistry();
        if (::pipe(m_cue) != 0 || ::pipe(m_answer) != 0)
            return;
        m_pid = ::fork();
        if (m_pid != 0)
            return;
        for (auto& step : steps) {
            char cue;
            if (::read(m_cue[0], &cue, 1) != 1)
                _exit(2);
            LONG result = step();
            if (::write(m_answer[1], &result, sizeof result) != sizeof result)
                _exit(3);
        }
        _exit(0);
    }
    ~OtherProgram() {
        ::close(m_cue[1]);
        int status = 0;
        if (m_pid > 0)
            ::waitpid(m_pid, &status, 0);
    }
    // Runs the child's next step and returns its result.
    LONG Next() {
        LONG result = -1;
        if (::write(m_cue[1], "x", 1) != 1 || ::read(m_answer[0], &result, sizeof result) <= 0)
            return -1;
        return result;
    }

private:
    int m_cue[2] = {-1, -1};
    int m_answer[2] = {-1, -1};
    pid_t m_pid = -1;
};

class RegistryTransactionTest : public testsupport::DeviceFolderTest {
protected:
    fs::path Wal() const { return Device() / "registry.db-wal"; }
    std::uintmax_t WalSize() const {
        std::error_code ec;
        auto size = fs::file_size(Wal(), ec);
        return ec ? 0 : size;
    }
};

// The other program takes the write lock and keeps it until told to end.
std::vector<std::function<LONG()>> HoldTheWriteLock() {
    auto transaction = std::make_shared<std::unique_ptr<platform::RegistryTransaction>>();
    return {[transaction] {
                *transaction = std::make_unique<platform::RegistryTransaction>();
                return Key(u"Software\\Busy").SetDword(u"Held", 1);
            },
            [transaction] {
                transaction->reset();
                return ERROR_SUCCESS;
            }};
}

TEST_F(RegistryTransactionTest, OpeningAndReadingDoNotWaitForAnotherProgramsWrite) {
    ASSERT_EQ(Key(u"Software\\Kept\\Deep").SetString(u"Name", u"etc."), ERROR_SUCCESS);
    OtherProgram other(HoldTheWriteLock());
    ASSERT_EQ(other.Next(), ERROR_SUCCESS) << "the other program holds the write lock";

    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Kept\\Deep", &key), ERROR_SUCCESS);
    RegCloseKey(key);
    {
        platform::RegistryTransaction start;
        ASSERT_EQ(start.Status(), ERROR_SUCCESS);
        Key kept(u"Software\\Kept\\Deep");
        ASSERT_EQ(kept.Status(), ERROR_SUCCESS);
        EXPECT_EQ(kept.String(u"Name"), u"etc.");
        EXPECT_EQ(kept.SetString(u"Name", u"etc."), ERROR_SUCCESS) << "an unchanged write";
        EXPECT_EQ(RegDeleteValueW(kept.Get(), u"Absent"), ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(start.Commit(), ERROR_SUCCESS);
    }
    EXPECT_EQ(Key(u"Software\\Kept", false).Status(), ERROR_SUCCESS);

    EXPECT_EQ(other.Next(), ERROR_SUCCESS);
    EXPECT_EQ(Key(u"Software\\Busy", false).Status(), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTransactionTest, WritesThatFindTheHiveHeldFailOnceEachAndStoreNothing) {
    ASSERT_EQ(Key(u"Software\\Kept").SetDword(u"Count", 1), ERROR_SUCCESS);
    std::vector<std::u16string> told;
    platform::SetRegistryWriteFailureHook(
        [&](const std::u16string& text) { told.push_back(text); });
    OtherProgram other(HoldTheWriteLock());
    ASSERT_EQ(other.Next(), ERROR_SUCCESS);
    {
        platform::RegistryTransaction start;
        Key kept(u"Software\\Kept");
        // The first write waits for the lock in vain; the rest of the transaction fails at once.
        EXPECT_EQ(kept.SetDword(u"Count", 2), ERROR_ACCESS_DENIED);
        EXPECT_EQ(kept.SetDword(u"Other", 3), ERROR_ACCESS_DENIED);
        EXPECT_EQ(kept.Dword(u"Count"), 1u) << "reads go on";
        EXPECT_EQ(start.Commit(), ERROR_ACCESS_DENIED);
    }
    platform::SetRegistryWriteFailureHook(nullptr);
    ASSERT_EQ(told.size(), 3u) << "two writes and the commit";
    const std::u16string hive = Device().u16string() + u"/registry.db";
    EXPECT_NE(told[0].find(hive), std::u16string::npos);
    EXPECT_EQ(other.Next(), ERROR_SUCCESS);
    EXPECT_EQ(Key(u"Software\\Kept").Dword(u"Count"), 1u);
    EXPECT_EQ(Key(u"Software\\Kept").Dword(u"Other"), 0xDEADBEEFu);
}

TEST_F(RegistryTransactionTest, UnchangedWritesAndAbsentDeletesWriteNothing) {
    Key key(u"Software\\Same");
    ASSERT_EQ(key.SetDword(u"Check", 1), ERROR_SUCCESS);
    ASSERT_EQ(key.SetString(u"Path", u"\\Windows\\skin.bmp"), ERROR_SUCCESS);
    platform::CloseRegistry(); // folds the journal into the file
    Key again(u"Software\\Same");
    ASSERT_EQ(again.Status(), ERROR_SUCCESS);
    const std::string before = testsupport::ReadFile(Device() / "registry.db");
    EXPECT_EQ(again.SetDword(u"Check", 1), ERROR_SUCCESS);
    EXPECT_EQ(again.SetString(u"Path", u"\\Windows\\skin.bmp"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(again.Get(), u"Never"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(WalSize(), 0u) << "an unchanged write wrote to the journal";
    EXPECT_EQ(testsupport::ReadFile(Device() / "registry.db"), before);
    // The same type with other bytes, or other type with the same bytes, is a change.
    EXPECT_EQ(again.SetDword(u"Check", 0), ERROR_SUCCESS);
    EXPECT_GT(WalSize(), 0u);
    DWORD one = 1;
    EXPECT_EQ(RegSetValueExW(again.Get(), u"Check", REG_BINARY, reinterpret_cast<BYTE*>(&one), 4),
              ERROR_SUCCESS);
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_EQ(again.Read(u"Check", data, &type), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
}

TEST_F(RegistryTransactionTest, AWriteToADeletedKeyIsToldToTheHook) {
    std::vector<std::u16string> told;
    platform::SetRegistryWriteFailureHook(
        [&](const std::u16string& text) { told.push_back(text); });
    Key key(u"Software\\Gone");
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Gone"), ERROR_SUCCESS);
    EXPECT_EQ(key.SetDword(u"V", 1), ERROR_KEY_DELETED);
    // Bad arguments and absent values are the caller's, not the store's.
    EXPECT_EQ(Key(u"Software").SetDword(std::u16string(300, u'x').c_str(), 1),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteValueW(Key(u"Software").Get(), u"Absent"), ERROR_FILE_NOT_FOUND);
    platform::SetRegistryWriteFailureHook(nullptr);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(u"registry.db"), std::u16string::npos)
        << std::string(told[0].begin(), told[0].end());
}

TEST_F(RegistryTransactionTest, StagedWritesStayPrivateUntilOneShortCommit) {
    ASSERT_EQ(Key(u"Software\\Import\\Old").SetString(u"Name", u"before"), ERROR_SUCCESS);
    ASSERT_EQ(Key(u"Software\\Import").SetDword(u"Count", 1), ERROR_SUCCESS);
    OtherProgram other(
        {[] { return Key(u"Software\\Other").SetDword(u"Written", 7); },
         [] { return static_cast<LONG>(Key(u"Software\\Import", false).Dword(u"Count")); }});
    {
        platform::RegistryTransaction import(platform::RegistryTransaction::Mode::Staged);
        ASSERT_EQ(import.Status(), ERROR_SUCCESS);
        // A tree deleted and made again with the same names, a changed value, new keys.
        ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Import\\Old"), ERROR_SUCCESS);
        ASSERT_EQ(Key(u"Software\\Import\\Old").SetString(u"Name", u"after"), ERROR_SUCCESS);
        ASSERT_EQ(Key(u"Software\\Import").SetDword(u"Count", 2), ERROR_SUCCESS);
        for (DWORD i = 0; i < 50; ++i)
            ASSERT_EQ(Key((u"Software\\Import\\New" + std::u16string(1, u'A' + i % 26) +
                           std::u16string(1, u'a' + i / 26))
                              .c_str())
                          .SetDword(u"N", i),
                      ERROR_SUCCESS);
        // Meanwhile another program writes and reads the hive without waiting.
        EXPECT_EQ(other.Next(), ERROR_SUCCESS);
        EXPECT_EQ(other.Next(), 1) << "the staged change is not seen before the commit";
        EXPECT_EQ(import.Commit(), ERROR_SUCCESS);
    }
    platform::CloseRegistry();
    EXPECT_EQ(Key(u"Software\\Import\\Old", false).String(u"Name"), u"after");
    EXPECT_EQ(Key(u"Software\\Import", false).Dword(u"Count"), 2u);
    EXPECT_EQ(Key(u"Software\\Import\\NewXa", false).Dword(u"N"), 23u);
    EXPECT_EQ(regtest::SubkeyNames(Key(u"Software\\Import", false).Get()).size(), 51u);
    EXPECT_EQ(Key(u"Software\\Other", false).Dword(u"Written"), 7u);
    // Keys made after the copy take ids of their own.
    ASSERT_EQ(Key(u"Software\\Later\\One").SetDword(u"V", 1), ERROR_SUCCESS);
    EXPECT_EQ(Key(u"Software\\Import\\NewAa", false).Dword(u"N"), 0u);
    EXPECT_EQ(regtest::SubkeyNames(Key(u"Software\\Later", false).Get()),
              std::vector<std::u16string>{u"One"});
}

TEST_F(RegistryTransactionTest, StagedCommitStoresNothingWhenAnotherProgramChangedTheSameValue) {
    ASSERT_EQ(Key(u"Software\\Import").SetDword(u"Count", 1), ERROR_SUCCESS);
    OtherProgram other({[] { return Key(u"Software\\Import").SetDword(u"Count", 5); }});
    platform::RegistryTransaction import(platform::RegistryTransaction::Mode::Staged);
    ASSERT_EQ(Key(u"Software\\Import").SetDword(u"Count", 2), ERROR_SUCCESS);
    ASSERT_EQ(Key(u"Software\\Import\\New").SetDword(u"V", 1), ERROR_SUCCESS);
    ASSERT_EQ(other.Next(), ERROR_SUCCESS);
    EXPECT_EQ(import.Commit(), ERROR_TRANSACTIONAL_CONFLICT);
    platform::CloseRegistry();
    EXPECT_EQ(Key(u"Software\\Import", false).Dword(u"Count"), 5u);
    EXPECT_EQ(Key(u"Software\\Import\\New", false).Status(), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTransactionTest, APageDamagedBehindTheHivesBackIsFoundWithItsTimeSetBack) {
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(Key((u"Software\\Many\\K" + std::u16string(1, u'A' + i % 26) +
                       std::u16string(1, u'a' + i / 26))
                          .c_str())
                      .SetString(u"Name", std::u16string(200, u'n')),
                  ERROR_SUCCESS);
    platform::CloseRegistry();
    ASSERT_EQ(platform::RegistryProblem(), ""); // found sound, and remembered so
    platform::CloseRegistry();
    const fs::path hive = Device() / "registry.db";
    struct stat before {};
    ASSERT_EQ(::stat(hive.c_str(), &before), 0);
    std::string bytes = testsupport::ReadFile(hive);
    ASSERT_GT(bytes.size(), 3 * 4096u);
    // The last page, which no look at the schema reads, is overwritten in place; size and
    // modification time are kept.
    std::fill(bytes.end() - 4096, bytes.end(), '\xA5');
    testsupport::WriteFile(hive, bytes);
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, hive.c_str(), times, 0), 0);
    EXPECT_NE(platform::RegistryProblem(), "");
    EXPECT_EQ(testsupport::ReadFile(hive), bytes);
}

} // namespace
