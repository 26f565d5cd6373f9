// Other programs on the same hive: waiting for and holding off each other's writes, staged
// imports, and writes that survive the writer being killed.
#include "RegistryHelpers.h"

#include <csignal>

namespace {

using namespace regtest;

// The other program's steps: take the write lock, then let go of it.
std::vector<std::function<std::string()>> HoldTheWriteLock() {
    auto transaction = std::make_shared<std::unique_ptr<platform::RegistryTransaction>>();
    return {[transaction] {
                *transaction = std::make_unique<platform::RegistryTransaction>();
                return Said(Key(u"Software\\Busy").SetDword(u"Held", 1));
            },
            [transaction] {
                transaction->reset();
                return Said(ERROR_SUCCESS);
            }};
}

// Opening, reading, an unchanged write and the delete of an absent value need no write lock.
TEST_F(RegistryTest, OpeningAndReadingDoNotWaitForAnotherProgramsWrite) {
    ASSERT_EQ(Key(u"Software\\Kept\\Deep").SetString(u"Name", u"etc."), ERROR_SUCCESS);
    OtherProgram other(HoldTheWriteLock());
    ASSERT_EQ(other.Next(), Said(ERROR_SUCCESS)) << "the other program holds the write lock";

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
    EXPECT_EQ(other.Next(), Said(ERROR_SUCCESS));
    EXPECT_EQ(Opens(u"Software\\Busy"), ERROR_FILE_NOT_FOUND) << "the other's write was undone";
}

// A write that cannot be stored is told to the hook once, naming the hive; a caller's bad
// arguments and absent values are not.
TEST_F(RegistryTest, WritesThatCannotBeStoredAreToldOnceEachAndStoreNothing) {
    ASSERT_EQ(Key(u"Software\\Kept").SetDword(u"Count", 1), ERROR_SUCCESS);
    std::vector<std::u16string> told;
    platform::SetRegistryWriteFailureHook(
        [&](const std::u16string& text) { told.push_back(text); });
    Key gone(u"Software\\Gone");
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Gone"), ERROR_SUCCESS);
    EXPECT_EQ(gone.SetDword(u"V", 1), ERROR_KEY_DELETED);
    EXPECT_EQ(Key(u"Software").SetDword(std::u16string(300, u'x'), 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteValueW(Key(u"Software").Get(), u"Absent"), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(told.size(), 1u);

    OtherProgram other(HoldTheWriteLock());
    ASSERT_EQ(other.Next(), Said(ERROR_SUCCESS));
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
    ASSERT_EQ(told.size(), 4u) << "the deleted key, two writes and the commit";
    const std::u16string hive = Hive().u16string();
    for (const auto& text : told)
        EXPECT_NE(text.find(hive), std::u16string::npos) << std::string(text.begin(), text.end());
    EXPECT_EQ(other.Next(), Said(ERROR_SUCCESS));
    EXPECT_EQ(Key(u"Software\\Kept").Dword(u"Count"), 1u);
    EXPECT_EQ(Key(u"Software\\Kept").Dword(u"Other"), 0xDEADBEEFu);
}

TEST_F(RegistryTest, StagedWritesStayPrivateUntilOneShortCommit) {
    ASSERT_EQ(Key(u"Software\\Import\\Old").SetString(u"Name", u"before"), ERROR_SUCCESS);
    ASSERT_EQ(Key(u"Software\\Import").SetDword(u"Count", 1), ERROR_SUCCESS);
    OtherProgram other({[] { return Said(Key(u"Software\\Other").SetDword(u"Written", 7)); },
                        [] { return Said(Key(u"Software\\Import", false).Dword(u"Count")); }});
    {
        platform::RegistryTransaction import(platform::RegistryTransaction::Mode::Staged);
        ASSERT_EQ(import.Status(), ERROR_SUCCESS);
        // A tree deleted and made again with the same names, a changed value, new keys.
        ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Import\\Old"), ERROR_SUCCESS);
        ASSERT_EQ(Key(u"Software\\Import\\Old").SetString(u"Name", u"after"), ERROR_SUCCESS);
        ASSERT_EQ(Key(u"Software\\Import").SetDword(u"Count", 2), ERROR_SUCCESS);
        for (DWORD i = 0; i < 50; ++i)
            ASSERT_EQ(Key(Numbered(u"Software\\Import\\New", i)).SetDword(u"N", i), ERROR_SUCCESS);
        // Meanwhile another program writes and reads the hive without waiting.
        EXPECT_EQ(other.Next(), Said(ERROR_SUCCESS));
        EXPECT_EQ(other.Next(), "1") << "the staged change is not seen before the commit";
        EXPECT_EQ(import.Commit(), ERROR_SUCCESS);
    }
    platform::CloseRegistry();
    EXPECT_EQ(Key(u"Software\\Import\\Old", false).String(u"Name"), u"after");
    EXPECT_EQ(Key(u"Software\\Import", false).Dword(u"Count"), 2u);
    EXPECT_EQ(Key(u"Software\\Import\\New23", false).Dword(u"N"), 23u);
    EXPECT_EQ(Names(Key(u"Software\\Import", false).Get()).size(), 51u);
    EXPECT_EQ(Key(u"Software\\Other", false).Dword(u"Written"), 7u);
    // Keys made after the copy take ids of their own.
    ASSERT_EQ(Key(u"Software\\Later\\One").SetDword(u"V", 1), ERROR_SUCCESS);
    EXPECT_EQ(Key(u"Software\\Import\\New0", false).Dword(u"N"), 0u);
    EXPECT_EQ(Names(Key(u"Software\\Later", false).Get()), std::vector<std::u16string>{u"One"});
}

TEST_F(RegistryTest, StagedCommitStoresNothingWhenAnotherProgramChangedTheSameValue) {
    ASSERT_EQ(Key(u"Software\\Import").SetDword(u"Count", 1), ERROR_SUCCESS);
    OtherProgram other({[] { return Said(Key(u"Software\\Import").SetDword(u"Count", 5)); }});
    platform::RegistryTransaction import(platform::RegistryTransaction::Mode::Staged);
    ASSERT_EQ(Key(u"Software\\Import").SetDword(u"Count", 2), ERROR_SUCCESS);
    ASSERT_EQ(Key(u"Software\\Import\\New").SetDword(u"V", 1), ERROR_SUCCESS);
    ASSERT_EQ(other.Next(), Said(ERROR_SUCCESS));
    EXPECT_EQ(import.Commit(), ERROR_TRANSACTIONAL_CONFLICT);
    platform::CloseRegistry();
    EXPECT_EQ(Key(u"Software\\Import", false).Dword(u"Count"), 5u);
    EXPECT_EQ(Opens(u"Software\\Import\\New"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, EveryReturnedWriteSurvivesSigkill) {
    int ack[2];
    ASSERT_EQ(::pipe(ack), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Writes numbered values, reporting each one after its call returned.
        Key key(u"Software\\Durable");
        for (DWORD i = 0;; ++i)
            if (key.SetDword(Numbered(u"V", i), i) != ERROR_SUCCESS ||
                ::write(ack[1], &i, sizeof i) != sizeof i)
                _exit(3);
    }
    ::close(ack[1]);
    DWORD last = 0;
    for (int received = 0; received < 120; ++received)
        ASSERT_EQ(::read(ack[0], &last, sizeof last), sizeof last) << "writer stopped early";
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "writer failed with " << WEXITSTATUS(status);
    for (DWORD more; ::read(ack[0], &more, sizeof more) == sizeof more;)
        last = more;
    ::close(ack[0]);

    ASSERT_EQ(platform::RegistryProblem(), "");
    Key key(u"Software\\Durable", false);
    ASSERT_EQ(key.Status(), ERROR_SUCCESS);
    for (DWORD i = 0; i <= last; ++i)
        ASSERT_EQ(key.Dword(Numbered(u"V", i)), i) << "write " << i << " was lost";
}

TEST_F(RegistryTest, TwoProcessesShareOneHive) {
    // Each writes into keys shared with the other, both starting on a hive not made yet.
    auto writer = [](DWORD process) {
        return [process] {
            LONG status = ERROR_SUCCESS;
            for (DWORD i = 0; i < 100 && status == ERROR_SUCCESS; ++i) {
                Key common(u"Software\\Shared\\Common");
                const DWORD value = process * 1000 + i;
                status = common.SetDword(Numbered(process ? u"B" : u"A", i), value);
                if (status == ERROR_SUCCESS)
                    status = common.SetDword(u"Last", value);
            }
            return Said(status);
        };
    };
    OtherProgram a({writer(0)});
    OtherProgram b({writer(1)});
    a.Cue();
    b.Cue();
    EXPECT_EQ(a.Answer(), Said(ERROR_SUCCESS));
    EXPECT_EQ(b.Answer(), Said(ERROR_SUCCESS));

    Key common(u"Software\\Shared\\Common", false);
    ASSERT_EQ(common.Status(), ERROR_SUCCESS);
    for (DWORD i = 0; i < 100; ++i) {
        EXPECT_EQ(common.Dword(Numbered(u"A", i)), i);
        EXPECT_EQ(common.Dword(Numbered(u"B", i)), 1000 + i);
    }
    const DWORD last = common.Dword(u"Last");
    EXPECT_TRUE(last == 99 || last == 1099) << last;
    EXPECT_EQ(Names(Key(u"Software\\Shared", false).Get()), std::vector<std::u16string>{u"Common"});
}

} // namespace
