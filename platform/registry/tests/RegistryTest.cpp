#include "RegistryHelpers.h"

#include "registry/Hive.h"
#include <platform/Registry.h>
#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using regtest::Key;

namespace {

class RegistryTest : public testsupport::DeviceFolderTest {};

TEST_F(RegistryTest, QueryFailsLeavingTheBufferWhenTooSmallOrAbsent) {
    Key key(u"Software\\Test");
    ASSERT_EQ(key.Status(), ERROR_SUCCESS);
    ASSERT_EQ(key.SetString(u"Path", u"\\Windows\\x.exe"), ERROR_SUCCESS); // 15 units, 30 bytes

    std::array<BYTE, 64> buffer;
    buffer.fill(0xAA);
    DWORD size = 29;
    DWORD type = 99;
    EXPECT_EQ(RegQueryValueExW(key.Get(), u"Path", &type, buffer.data(), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 30u);
    for (BYTE b : buffer)
        ASSERT_EQ(b, 0xAA);

    size = 30;
    EXPECT_EQ(RegQueryValueExW(key.Get(), u"Path", &type, buffer.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 30u);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buffer.data())),
              u"\\Windows\\x.exe");
    EXPECT_EQ(buffer[30], 0xAA) << "wrote past the value";

    buffer.fill(0xAA);
    size = 64;
    EXPECT_EQ(RegQueryValueExW(key.Get(), u"Missing", nullptr, buffer.data(), &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 64u);
    EXPECT_EQ(buffer[0], 0xAA);

    size = 0;
    EXPECT_EQ(RegQueryValueExW(key.Get(), u"Path", nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 30u);
}

TEST_F(RegistryTest, CreateMakesMissingParentsAndOpenFailsOnAbsentKeys) {
    HKEY absent = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\NorviSoft", &absent),
              ERROR_FILE_NOT_FOUND);
    {
        Key deep(u"Software\\NorviSoft\\NorviLuncher\\Groups\\Groups7");
        ASSERT_EQ(deep.Status(), ERROR_SUCCESS);
        EXPECT_EQ(deep.Disposition(), REG_CREATED_NEW_KEY);
    }
    for (auto path : {u"Software", u"Software\\NorviSoft", u"Software\\NorviSoft\\NorviLuncher",
                      u"Software\\NorviSoft\\NorviLuncher\\Groups"}) {
        Key parent(path, false);
        EXPECT_EQ(parent.Status(), ERROR_SUCCESS);
    }
    Key again(u"Software\\NorviSoft\\NorviLuncher\\Groups\\Groups7");
    EXPECT_EQ(again.Disposition(), REG_OPENED_EXISTING_KEY);

    // Relative to an opened key.
    Key base(u"Software\\NorviSoft", false);
    HKEY child = nullptr;
    ASSERT_EQ(RegCreateKeyExW(base.Get(), u"Other\\Deeper", &child), ERROR_SUCCESS);
    RegCloseKey(child);
    Key other(u"Software\\NorviSoft\\Other\\Deeper", false);
    EXPECT_EQ(other.Status(), ERROR_SUCCESS);

    EXPECT_EQ(fs::status(Device() / "registry.db").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheirFirstCase) {
    {
        Key key(u"Software\\NorviSoft");
        ASSERT_EQ(key.SetDword(u"SetKey", 3), ERROR_SUCCESS);
        ASSERT_EQ(key.SetDword(u"SETKEY", 5), ERROR_SUCCESS);
        EXPECT_EQ(key.Dword(u"setkey"), 5u);
        EXPECT_EQ(regtest::ValueNames(key.Get()), std::vector<std::u16string>{u"SetKey"});
        ASSERT_EQ(key.SetString(u"Ärger", u"1"), ERROR_SUCCESS);
        EXPECT_EQ(key.String(u"äRGER"), u"1");
    }
    Key upper(u"SOFTWARE\\norvisoft");
    EXPECT_EQ(upper.Disposition(), REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(upper.Dword(u"SetKey"), 5u);
    Key root(u"software", false);
    EXPECT_EQ(regtest::SubkeyNames(root.Get()), std::vector<std::u16string>{u"NorviSoft"});
    EXPECT_EQ(regtest::SubkeyNames(HKEY_CURRENT_USER), std::vector<std::u16string>{u"Software"});
}

TEST_F(RegistryTest, DeleteKeyRemovesTheWholeTreeOnly) {
    Key deep(u"Software\\NorviSoft\\NorviLuncher\\EXEs\\EXEs3");
    ASSERT_EQ(deep.SetDword(u"PK", 3), ERROR_SUCCESS);
    Key root(u"Software\\NorviSoft\\NorviLuncher");
    ASSERT_EQ(root.SetDword(u"SetKey", 1), ERROR_SUCCESS);
    Key sibling(u"Software\\NorviSoft\\Other");
    ASSERT_EQ(sibling.SetDword(u"Keep", 1), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"software\\norvisoft\\norviluncher"),
              ERROR_SUCCESS);
    EXPECT_EQ(Key(u"Software\\NorviSoft\\NorviLuncher", false).Status(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Key(u"Software\\NorviSoft\\NorviLuncher\\EXEs", false).Status(),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Key(u"Software\\NorviSoft\\Other", false).Status(), ERROR_SUCCESS);
    EXPECT_EQ(sibling.Dword(u"Keep"), 1u);

    // Handles into the removed tree report it instead of writing into nowhere.
    EXPECT_EQ(deep.SetDword(u"PK", 4), ERROR_KEY_DELETED);
    DWORD size = 4;
    DWORD value;
    EXPECT_EQ(
        RegQueryValueExW(root.Get(), u"SetKey", nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_KEY_DELETED);

    // A new key of the same name is a new key: old handles stay dead.
    Key recreated(u"Software\\NorviSoft\\NorviLuncher");
    EXPECT_EQ(recreated.Disposition(), REG_CREATED_NEW_KEY);
    EXPECT_EQ(recreated.Dword(u"SetKey"), 0xDEADBEEF);
    EXPECT_EQ(root.SetDword(u"SetKey", 2), ERROR_KEY_DELETED);

    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Absent"), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(RegDeleteKeyW(HKEY_CURRENT_USER, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(Key(u"Software", false).Status(), ERROR_SUCCESS);
}

TEST_F(RegistryTest, EnumerationOrders) {
    Key key(u"Software\\Order");
    for (auto name : {u"b", u"C", u"a", u"Groups10", u"Groups2"}) {
        HKEY sub;
        ASSERT_EQ(RegCreateKeyExW(key.Get(), name, &sub), ERROR_SUCCESS);
        RegCloseKey(sub);
    }
    EXPECT_EQ(regtest::SubkeyNames(key.Get()),
              (std::vector<std::u16string>{u"a", u"b", u"C", u"Groups10", u"Groups2"}));

    for (auto name : {u"z", u"a", u"M"})
        ASSERT_EQ(key.SetDword(name, 1), ERROR_SUCCESS);
    ASSERT_EQ(key.SetDword(u"A", 2), ERROR_SUCCESS); // rewriting keeps the place
    ASSERT_EQ(RegDeleteValueW(key.Get(), u"z"), ERROR_SUCCESS);
    ASSERT_EQ(key.SetDword(u"z", 3), ERROR_SUCCESS); // a new value goes last
    EXPECT_EQ(regtest::ValueNames(key.Get()), (std::vector<std::u16string>{u"a", u"M", u"z"}));

    WCHAR name[8];
    DWORD cch = 8;
    EXPECT_EQ(RegEnumKeyExW(key.Get(), 5, name, &cch), ERROR_NO_MORE_ITEMS);
    cch = 8;
    EXPECT_EQ(RegEnumValueW(key.Get(), 3, name, &cch, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    cch = 8; // "Groups10" needs 9 with its terminator
    EXPECT_EQ(RegEnumKeyExW(key.Get(), 3, name, &cch), ERROR_MORE_DATA);
    EXPECT_EQ(cch, 8u);

    DWORD type = 0;
    DWORD value = 0;
    DWORD size = 4;
    cch = 8;
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
    EXPECT_EQ(small[0], 0xAA);
}

TEST_F(RegistryTest, StoresExactlyTheBytesGivenWithAnyType) {
    Key key(u"Software\\Types");
    const std::array<BYTE, 6> binary{0, 1, 0, 0xFF, 0, 0};
    ASSERT_EQ(RegSetValueExW(key.Get(), u"Bin", REG_BINARY, binary.data(), 6), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.Get(), u"Odd", 0x12345678, binary.data(), 3), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.Get(), u"Empty", REG_SZ, nullptr, 0), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.Get(), nullptr, REG_DWORD, binary.data(), 4), ERROR_SUCCESS);

    std::vector<BYTE> data;
    DWORD type = 0;
    ASSERT_EQ(key.Read(u"Bin", data, &type), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(data, std::vector<BYTE>(binary.begin(), binary.end()));
    ASSERT_EQ(key.Read(u"odd", data, &type), ERROR_SUCCESS);
    EXPECT_EQ(type, 0x12345678u);
    EXPECT_EQ(data, std::vector<BYTE>(binary.begin(), binary.begin() + 3));
    ASSERT_EQ(key.Read(u"Empty", data, &type), ERROR_SUCCESS);
    EXPECT_TRUE(data.empty());
    ASSERT_EQ(key.Read(u"", data, &type), ERROR_SUCCESS); // the unnamed value
    EXPECT_EQ(data.size(), 4u);

    // A DWORD read into a 4-byte buffer fails on a longer value, as on the device.
    EXPECT_EQ(key.Dword(u"Bin"), 0xDEADBEEF);

    EXPECT_EQ(RegDeleteValueW(key.Get(), u"BIN"), ERROR_SUCCESS);
    EXPECT_EQ(key.Read(u"Bin", data), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueW(key.Get(), u"Bin"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegSetValueExW(key.Get(), u"Bad", REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, RejectsMalformedNamesAndHandles) {
    HKEY key = nullptr;
    for (auto path : {u"Software\\\\NorviSoft", u"\\Software", u"Software\\", u"\\"})
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, &key), ERROR_INVALID_PARAMETER) << "x";
    std::u16string longest(255, u'k');
    std::u16string tooLong(256, u'k');
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, tooLong.c_str(), &key), ERROR_INVALID_PARAMETER);
    const char16_t lone[] = {u'a', 0xD800, u'b', 0};
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, lone, &key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"x", nullptr), ERROR_INVALID_PARAMETER);

    Key ok(longest.c_str());
    ASSERT_EQ(ok.Status(), ERROR_SUCCESS);
    EXPECT_EQ(ok.SetDword(longest.c_str(), 1), ERROR_SUCCESS);
    EXPECT_EQ(ok.SetDword(tooLong.c_str(), 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ok.SetDword(lone, 1), ERROR_INVALID_PARAMETER);
    // Names with the characters the export format quotes, and a surrogate pair.
    Key odd(u"Soft\"ware [x]=\U0001F600");
    ASSERT_EQ(odd.Status(), ERROR_SUCCESS);
    EXPECT_EQ(odd.SetString(u"a\"b=c;]", u"v"), ERROR_SUCCESS);
    EXPECT_EQ(odd.String(u"A\"B=C;]"), u"v");

    EXPECT_EQ(RegCloseKey(ok.Get()), ERROR_SUCCESS);
    DWORD size = 4;
    EXPECT_EQ(RegQueryValueExW(ok.Get(), u"x", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(ok.Get()), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExW(nullptr, u"x", REG_DWORD, nullptr, 0), ERROR_INVALID_HANDLE);
    HKEY fake = reinterpret_cast<HKEY>(std::uintptr_t{0x42});
    EXPECT_EQ(RegDeleteValueW(fake, u"x"), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, HugeValuesAndDeepTrees) {
    Key key(u"Software\\Huge");
    std::vector<BYTE> big(8 * 1024 * 1024, 0x5A);
    ASSERT_EQ(
        RegSetValueExW(key.Get(), u"Big", REG_BINARY, big.data(), static_cast<DWORD>(big.size())),
        ERROR_SUCCESS);
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExW(key.Get(), u"Big", nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, big.size());
    std::vector<BYTE> back;
    ASSERT_EQ(key.Read(u"Big", back), ERROR_SUCCESS);
    EXPECT_EQ(back, big);

    std::u16string path = u"Software\\Deep";
    for (int i = 0; i < 1500; ++i)
        path += u"\\k" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26));
    Key deep(path.c_str());
    ASSERT_EQ(deep.Status(), ERROR_SUCCESS);
    ASSERT_EQ(deep.SetDword(u"Leaf", 1), ERROR_SUCCESS);
    EXPECT_EQ(Key(path.c_str(), false).Dword(u"Leaf"), 1u);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Deep"), ERROR_SUCCESS);
    EXPECT_EQ(deep.SetDword(u"Leaf", 2), ERROR_KEY_DELETED);
}

TEST_F(RegistryTest, WritesSurviveReopeningAndFollowTheDeviceFolder) {
    Key key(u"Software\\Keep");
    ASSERT_EQ(key.SetString(u"Name", u"etc."), ERROR_SUCCESS);
    platform::CloseRegistry();
    EXPECT_EQ(key.SetDword(u"X", 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Key(u"Software\\Keep", false).String(u"Name"), u"etc.");

    // Another device folder is another hive; handles of the first do not reach into it.
    fs::path second = Device() / "second";
    setenv("TOVALO_DEVICE", second.c_str(), 1);
    EXPECT_EQ(Key(u"Software\\Keep", false).Status(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(fs::exists(second / "registry.db"));
    setenv("TOVALO_DEVICE", Device().c_str(), 1);
    EXPECT_EQ(Key(u"Software\\Keep", false).String(u"Name"), u"etc.");
}

TEST_F(RegistryTest, TransactionIsAllOrNothing) {
    {
        platform::RegistryTransaction transaction;
        ASSERT_EQ(transaction.Status(), ERROR_SUCCESS);
        Key key(u"Software\\Batch\\A");
        ASSERT_EQ(key.SetDword(u"One", 1), ERROR_SUCCESS);
        EXPECT_EQ(key.Dword(u"One"), 1u); // visible inside
        // A failing call inside does not spoil the rest.
        EXPECT_EQ(key.SetDword(std::u16string(300, u'x').c_str(), 1), ERROR_INVALID_PARAMETER);
    } // not committed
    EXPECT_EQ(Key(u"Software\\Batch", false).Status(), ERROR_FILE_NOT_FOUND);

    {
        platform::RegistryTransaction transaction;
        Key key(u"Software\\Batch\\A");
        ASSERT_EQ(key.SetDword(u"One", 1), ERROR_SUCCESS);
        ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Batch\\A"), ERROR_SUCCESS);
        Key other(u"Software\\Batch\\B");
        ASSERT_EQ(other.SetDword(u"Two", 2), ERROR_SUCCESS);
        ASSERT_EQ(transaction.Commit(), ERROR_SUCCESS);
    }
    platform::CloseRegistry();
    EXPECT_EQ(Key(u"Software\\Batch\\A", false).Status(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Key(u"Software\\Batch\\B", false).Dword(u"Two"), 2u);
}

// A walk by index reads its key's list once; a change between two steps, by this process or
// by another connection, must still show in the rest of the walk.
TEST_F(RegistryTest, EnumerationFollowsChangesBetweenSteps) {
    LONG error;
    std::string problem;
    auto other = platform::detail::Hive::Open(Device(), error, problem);
    ASSERT_TRUE(other) << problem;
    const DWORD one = 1;
    struct Case {
        const char* what;
        std::function<void(std::int64_t walk)> change;
        std::vector<std::u16string> values, subkeys;
    };
    const std::vector<Case> cases = {
        {"this process adds",
         [](std::int64_t) {
             Key(u"Software\\Walk").SetDword(u"d", 1);
             Key(u"Software\\Walk\\k0");
         },
         {u"a", u"b", u"c", u"d"},
         {u"k0", u"k1", u"k2"}},
        {"this process deletes",
         [](std::int64_t) {
             RegDeleteValueW(Key(u"Software\\Walk").Get(), u"a");
             RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Walk\\k1");
         },
         {u"b", u"c"},
         {u"k2"}},
        {"another connection adds",
         [&](std::int64_t walk) {
             std::int64_t id = 0;
             bool created = false;
             other->SetValue(walk, u"e", REG_DWORD, {reinterpret_cast<const BYTE*>(&one), 4});
             other->OpenPath(walk, std::vector<std::u16string>{u"k3"}, true, id, created);
         },
         {u"a", u"b", u"c", u"e"},
         {u"k1", u"k2", u"k3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Walk");
        Key walk(u"Software\\Walk");
        for (auto name : {u"a", u"b", u"c"})
            ASSERT_EQ(walk.SetDword(name, 1), ERROR_SUCCESS);
        Key(u"Software\\Walk\\k1");
        Key(u"Software\\Walk\\k2");
        // Both walks once, then the change, then both again.
        ASSERT_EQ(regtest::ValueNames(walk.Get()).size(), 3u);
        ASSERT_EQ(regtest::SubkeyNames(walk.Get()).size(), 2u);
        std::int64_t id = 0;
        bool created = false;
        ASSERT_EQ(other->OpenPath(platform::detail::kRootKey,
                                  std::vector<std::u16string>{u"Software", u"Walk"}, false, id,
                                  created),
                  ERROR_SUCCESS);
        c.change(id);
        EXPECT_EQ(regtest::ValueNames(walk.Get()), c.values);
        EXPECT_EQ(regtest::SubkeyNames(walk.Get()), c.subkeys);
    }
}

} // namespace
