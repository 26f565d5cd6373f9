#pragma once

#include <ostrel/CPXRegData.h>

#include <platform/Registry.h>

#include <testsupport/StoreDump.h>

#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The store's tests: a device folder whose hive is read and written directly, as whole trees.
namespace storetest {

const std::u16string kRoot = u"Software\\NorviSoft\\NorviLuncher";

using storedump::Dword;
using storedump::Text;
using storedump::Tree;
using storedump::Value;
using storedump::Values;

inline std::u16string Number(int n) {
    const std::string digits = std::to_string(n);
    return {digits.begin(), digits.end()};
}
// "Groups\Groups3" and the like, below the root.
inline std::u16string Slot(std::u16string_view kind, int n) {
    return std::u16string(kind) + u"\\" + std::u16string(kind) + Number(n);
}

// The tree below the root; empty when the root does not exist.
inline Tree Dump(const std::u16string& below = {}) {
    return storedump::Dump(kRoot + below);
}

inline void Set(const std::u16string& slot, const WCHAR* name, const Value& v) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, (kRoot + (slot.empty() ? u"" : u"\\") + slot).c_str(), &key);
    RegSetValueExW(key, name, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
    RegCloseKey(key);
}

// Text as the store takes it: UTF-16 bytes with the terminator.
struct Bytes {
    const BYTE* data() const { return reinterpret_cast<const BYTE*>(text.c_str()); }
    int count() const { return static_cast<int>((text.size() + 1) * 2); }
    std::u16string text;
};

class StoreTest : public testsupport::DeviceFolderTest {
protected:
    // A store past its first start; an existing Windows folder keeps the platform from
    // filling it from the host.
    void SetUp() override {
        DeviceFolderTest::SetUp();
        std::filesystem::create_directories(Device() / "Windows" / "Favorites");
        CPXRegData().InitRegistry();
    }
    static void StoreProgram(int slot, std::u16string_view name, int group = 0) {
        Set(Slot(u"EXEs", slot), u"IconName", Text(name));
        Set(Slot(u"EXEs", slot), u"IconPath",
            Text(u"\\Windows\\" + std::u16string(name) + u".exe"));
        Set(Slot(u"EXEs", slot), u"GroupPosition", Dword(group));
    }
    static void StoreGroup(int slot, std::u16string_view name, int count = 0) {
        Set(Slot(u"Groups", slot), u"GroupName", Text(name));
        Set(Slot(u"Groups", slot), u"IconCount", Dword(count));
    }
    template <typename List> static std::vector<int> Keys(List& list) {
        std::vector<int> keys;
        for (int i = 0; i < list.m_List.GetCount(); ++i)
            keys.push_back(list.GetIcon(i).PK);
        return keys;
    }
};

} // namespace storetest
