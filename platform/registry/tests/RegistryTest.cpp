#include "RegistryHelpers.h"

#include <array>
#include <cstdlib>

namespace {

using namespace regtest;

TEST_F(RegistryTest, QueryFailsLeavingTheBufferWhenTooSmallOrAbsent) {
    Key key(u"Software\\Test");
    ASSERT_EQ(key.SetString(u"Path", u"\\Windows\\x.exe"), ERROR_SUCCESS); // 15 units, 30 bytes
    std::array<BYTE, 64> buffer;
    buffer.fill(0xAA);
    DWORD size = 29;
    DWORD type = 99;
    EXPECT_EQ(RegQueryValueExW(key.Get(), u"Path", &type, buffer.data(), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 30u);
    EXPECT_TRUE(AllAre(buffer, 0xAA)) << "a refused read wrote";
    EXPECT_EQ(RegQueryValueExW(key.Get(), u"Path", &type, buffer.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buffer.data())),
              u"\\Windows\\x.exe");
    EXPECT_EQ(buffer[30], 0xAA) << "wrote past the value";
    buffer.fill(0xAA);
    size = 64;
    EXPECT_EQ(RegQueryValueExW(key.Get(), u"Missing", nullptr, buffer.data(), &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 64u);
    EXPECT_TRUE(AllAre(buffer, 0xAA));
}

TEST_F(RegistryTest, CreateMakesMissingParentsAndOpenFailsOnAbsentKeys) {
    EXPECT_EQ(Opens(u"Software\\NorviSoft"), ERROR_FILE_NOT_FOUND);
    const std::u16string deep = u"Software\\NorviSoft\\NorviLuncher\\Groups\\Groups7";
    EXPECT_EQ(Key(deep).Disposition(), REG_CREATED_NEW_KEY);
    for (auto path : {u"Software", u"Software\\NorviSoft", u"Software\\NorviSoft\\NorviLuncher",
                      u"Software\\NorviSoft\\NorviLuncher\\Groups"})
        EXPECT_EQ(Opens(path), ERROR_SUCCESS) << "parent not made";
    EXPECT_EQ(Key(deep).Disposition(), REG_OPENED_EXISTING_KEY);

    // Relative to an opened key.
    HKEY child = nullptr;
    ASSERT_EQ(RegCreateKeyExW(Key(u"Software\\NorviSoft", false).Get(), u"Other\\Deeper", &child),
              ERROR_SUCCESS);
    RegCloseKey(child);
    EXPECT_EQ(Opens(u"Software\\NorviSoft\\Other\\Deeper"), ERROR_SUCCESS);
    EXPECT_EQ(fs::status(Hive()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheirFirstCase) {
    {
        Key key(u"Software\\NorviSoft");
        ASSERT_EQ(key.SetDword(u"SetKey", 3), ERROR_SUCCESS);
        ASSERT_EQ(key.SetDword(u"SETKEY", 5), ERROR_SUCCESS);
        EXPECT_EQ(key.Dword(u"setkey"), 5u);
        EXPECT_EQ(Names(key.Get(), true), std::vector<std::u16string>{u"SetKey"});
        ASSERT_EQ(key.SetString(u"Ärger", u"1"), ERROR_SUCCESS);
        EXPECT_EQ(key.String(u"äRGER"), u"1");
    }
    Key upper(u"SOFTWARE\\norvisoft");
    EXPECT_EQ(upper.Disposition(), REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(upper.Dword(u"SetKey"), 5u);
    EXPECT_EQ(Names(Key(u"software", false).Get()), std::vector<std::u16string>{u"NorviSoft"});
    EXPECT_EQ(Names(HKEY_CURRENT_USER), std::vector<std::u16string>{u"Software"});
}

TEST_F(RegistryTest, DeleteKeyRemovesTheWholeTreeOnly) {
    Key deep(u"Software\\NorviSoft\\NorviLuncher\\EXEs\\EXEs3");
    ASSERT_EQ(deep.SetDword(u"PK", 3), ERROR_SUCCESS);
    Key root(kLauncher);
    ASSERT_EQ(root.SetDword(u"SetKey", 1), ERROR_SUCCESS);
    Key sibling(u"Software\\NorviSoft\\Other");
    ASSERT_EQ(sibling.SetDword(u"Keep", 1), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"software\\norvisoft\\norviluncher"),
              ERROR_SUCCESS);
    EXPECT_EQ(Opens(kLauncher), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Opens(u"Software\\NorviSoft\\NorviLuncher\\EXEs"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(sibling.Dword(u"Keep"), 1u);

    // Handles into the removed tree report it instead of writing into nowhere.
    EXPECT_EQ(deep.SetDword(u"PK", 4), ERROR_KEY_DELETED);
    DWORD size = 4;
    DWORD value;
    EXPECT_EQ(
        RegQueryValueExW(root.Get(), u"SetKey", nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_KEY_DELETED);
    // A new key of the same name is a new key: old handles stay dead.
    Key recreated(kLauncher);
    EXPECT_EQ(recreated.Disposition(), REG_CREATED_NEW_KEY);
    EXPECT_EQ(recreated.Dword(u"SetKey"), 0xDEADBEEF);
    EXPECT_EQ(root.SetDword(u"SetKey", 2), ERROR_KEY_DELETED);

    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Absent"), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(RegDeleteKeyW(HKEY_CURRENT_USER, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(Opens(u"Software"), ERROR_SUCCESS);
}

TEST_F(RegistryTest, EnumerationOrders) {
    Key key(u"Software\\Order");
    for (auto name : {u"b", u"C", u"a", u"Groups10", u"Groups2"})
        Key(std::u16string(u"Software\\Order\\") + name);
    EXPECT_EQ(Names(key.Get()),
              (std::vector<std::u16string>{u"a", u"b", u"C", u"Groups10", u"Groups2"}));
    for (auto name : {u"z", u"a", u"M"})
        ASSERT_EQ(key.SetDword(name, 1), ERROR_SUCCESS);
    ASSERT_EQ(key.SetDword(u"A", 2), ERROR_SUCCESS); // rewriting keeps the place
    ASSERT_EQ(RegDeleteValueW(key.Get(), u"z"), ERROR_SUCCESS);
    ASSERT_EQ(key.SetDword(u"z", 3), ERROR_SUCCESS); // a new value goes last
    EXPECT_EQ(Names(key.Get(), true), (std::vector<std::u16string>{u"a", u"M", u"z"}));

    WCHAR name[8];
    DWORD cch = 8;
    EXPECT_EQ(RegEnumKeyExW(key.Get(), 5, name, &cch), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegEnumValueW(key.Get(), 3, name, &cch, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    cch = 8; // "Groups10" needs 9 with its terminator
    EXPECT_EQ(RegEnumKeyExW(key.Get(), 3, name, &cch), ERROR_MORE_DATA);
    EXPECT_EQ(cch, 8u);
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = 4;
    ASSERT_EQ(
        RegEnumValueW(key.Get(), 0, name, &cch, &type, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(value, 2u);
    std::array<BYTE, 2> small{0xAA, 0xAA};
    size = 2;
    cch = 8;
    EXPECT_EQ(RegEnumValueW(key.Get(), 0, name, &cch, &type, small.data(), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_TRUE(AllAre(small, 0xAA));
}

TEST_F(RegistryTest, StoresExactlyTheBytesGivenWithAnyType) {
    Key key(u"Software\\Types");
    const std::vector<BYTE> binary{0, 1, 0, 0xFF, 0, 0};
    ASSERT_EQ(RegSetValueExW(key.Get(), u"Bin", REG_BINARY, binary.data(), 6), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.Get(), u"Odd", 0x12345678, binary.data(), 3), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.Get(), u"Empty", REG_SZ, nullptr, 0), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.Get(), nullptr, REG_DWORD, binary.data(), 4), ERROR_SUCCESS);
    // Only the type changes: that is a change too.
    ASSERT_EQ(key.SetDword(u"Retyped", 1), ERROR_SUCCESS);
    const DWORD one = 1;
    ASSERT_EQ(
        RegSetValueExW(key.Get(), u"Retyped", REG_BINARY, reinterpret_cast<const BYTE*>(&one), 4),
        ERROR_SUCCESS);

    struct Stored {
        const char16_t* name;
        DWORD type;
        std::vector<BYTE> data;
    };
    for (const Stored& s : std::vector<Stored>{{u"Bin", REG_BINARY, binary},
                                               {u"odd", 0x12345678, {0, 1, 0}},
                                               {u"Empty", REG_SZ, {}},
                                               {u"", REG_DWORD, {0, 1, 0, 0xFF}},
                                               {u"Retyped", REG_BINARY, {1, 0, 0, 0}}}) {
        std::vector<BYTE> data;
        DWORD type = 0;
        ASSERT_EQ(key.Read(s.name, data, &type), ERROR_SUCCESS);
        EXPECT_EQ(type, s.type);
        EXPECT_EQ(data, s.data);
    }
    // A DWORD read into a 4-byte buffer fails on a longer value, as on the device.
    EXPECT_EQ(key.Dword(u"Bin"), 0xDEADBEEF);
    EXPECT_EQ(RegDeleteValueW(key.Get(), u"BIN"), ERROR_SUCCESS);
    EXPECT_EQ(key.Dword(u"Bin"), 0xDEADBEEF);
    EXPECT_EQ(RegDeleteValueW(key.Get(), u"Bin"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegSetValueExW(key.Get(), u"Bad", REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, RejectsMalformedNamesAndHandles) {
    HKEY key = nullptr;
    const std::u16string longest(255, u'k');
    const std::u16string tooLong(256, u'k');
    const char16_t lone[] = {u'a', 0xD800, u'b', 0};
    for (std::u16string path :
         {std::u16string(u"Software\\\\NorviSoft"), std::u16string(u"\\x"),
          std::u16string(u"Software\\"), std::u16string(u"\\"), tooLong, std::u16string(lone)})
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), &key), ERROR_INVALID_PARAMETER)
            << std::string(path.begin(), path.end());
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"x", nullptr), ERROR_INVALID_PARAMETER);

    Key ok(longest);
    ASSERT_EQ(ok.Status(), ERROR_SUCCESS);
    EXPECT_EQ(ok.SetDword(longest, 1), ERROR_SUCCESS);
    EXPECT_EQ(ok.SetDword(tooLong, 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ok.SetDword(lone, 1), ERROR_INVALID_PARAMETER);
    // Names with the characters the export format quotes, and a surrogate pair.
    Key odd(u"Soft\"ware [x]=\U0001F600");
    EXPECT_EQ(odd.SetString(u"a\"b=c;]", u"v"), ERROR_SUCCESS);
    EXPECT_EQ(odd.String(u"A\"B=C;]"), u"v");

    EXPECT_EQ(RegCloseKey(ok.Get()), ERROR_SUCCESS);
    DWORD size = 4;
    EXPECT_EQ(RegQueryValueExW(ok.Get(), u"x", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(ok.Get()), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExW(nullptr, u"x", REG_DWORD, nullptr, 0), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteValueW(reinterpret_cast<HKEY>(std::uintptr_t{0x42}), u"x"),
              ERROR_INVALID_HANDLE);
    // Closing the registry ends every handle; what was written is there when it opens again.
    platform::CloseRegistry();
    EXPECT_EQ(odd.SetDword(u"x", 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Key(u"Soft\"ware [x]=\U0001F600", false).String(u"a\"b=c;]"), u"v");
}

// Values up to the largest the hive keeps are tested with the damage cases.
TEST_F(RegistryTest, DeepTreesAreWalkedAndDeletedWhole) {
    std::u16string path = u"Software\\Deep";
    for (int i = 0; i < 1500; ++i)
        path += u"\\k" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26));
    Key deep(path);
    ASSERT_EQ(deep.SetDword(u"Leaf", 1), ERROR_SUCCESS);
    EXPECT_EQ(Key(path, false).Dword(u"Leaf"), 1u);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Deep"), ERROR_SUCCESS);
    EXPECT_EQ(deep.SetDword(u"Leaf", 2), ERROR_KEY_DELETED);
}

TEST_F(RegistryTest, TransactionIsAllOrNothing) {
    {
        platform::RegistryTransaction transaction;
        ASSERT_EQ(transaction.Status(), ERROR_SUCCESS);
        Key key(u"Software\\Batch\\A");
        ASSERT_EQ(key.SetDword(u"One", 1), ERROR_SUCCESS);
        EXPECT_EQ(key.Dword(u"One"), 1u); // visible inside
        // A failing call inside does not spoil the rest.
        EXPECT_EQ(key.SetDword(std::u16string(300, u'x'), 1), ERROR_INVALID_PARAMETER);
    } // not committed
    EXPECT_EQ(Opens(u"Software\\Batch"), ERROR_FILE_NOT_FOUND);
    {
        platform::RegistryTransaction transaction;
        ASSERT_EQ(Key(u"Software\\Batch\\A").SetDword(u"One", 1), ERROR_SUCCESS);
        ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Batch\\A"), ERROR_SUCCESS);
        ASSERT_EQ(Key(u"Software\\Batch\\B").SetDword(u"Two", 2), ERROR_SUCCESS);
        ASSERT_EQ(transaction.Commit(), ERROR_SUCCESS);
    }
    platform::CloseRegistry();
    EXPECT_EQ(Opens(u"Software\\Batch\\A"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Key(u"Software\\Batch\\B", false).Dword(u"Two"), 2u);
}

// A walk by index reads its key's list once; a change between two steps, by this process or
// by another connection, must still show in the rest of the walk.
TEST_F(RegistryTest, EnumerationFollowsChangesBetweenSteps) {
    Key walk(u"Software\\Walk");
    for (auto name : {u"a", u"b", u"c"})
        ASSERT_EQ(walk.SetDword(name, 1), ERROR_SUCCESS);
    Key(u"Software\\Walk\\k1");
    Key(u"Software\\Walk\\k2");
    auto expectWalks = [&](std::vector<std::u16string> values,
                           std::vector<std::u16string> subkeys) {
        EXPECT_EQ(Names(walk.Get(), true), values);
        EXPECT_EQ(Names(walk.Get()), subkeys);
    };
    expectWalks({u"a", u"b", u"c"}, {u"k1", u"k2"});
    walk.SetDword(u"d", 1);
    Key(u"Software\\Walk\\k0");
    expectWalks({u"a", u"b", u"c", u"d"}, {u"k0", u"k1", u"k2"});
    RegDeleteValueW(walk.Get(), u"a");
    RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Walk\\k1");
    expectWalks({u"b", u"c", u"d"}, {u"k0", u"k2"});

    auto other = OpenConnection(Device());
    ASSERT_TRUE(other);
    std::int64_t id = 0;
    bool created = false;
    ASSERT_EQ(other->OpenPath(platform::detail::kRootKey,
                              std::vector<std::u16string>{u"Software", u"Walk"}, false, id,
                              created),
              ERROR_SUCCESS);
    const DWORD one = 1;
    other->SetValue(id, u"e", REG_DWORD, {reinterpret_cast<const BYTE*>(&one), 4});
    other->OpenPath(id, std::vector<std::u16string>{u"k3"}, true, id, created);
    expectWalks({u"b", u"c", u"d", u"e"}, {u"k0", u"k2", u"k3"});
}

} // namespace
