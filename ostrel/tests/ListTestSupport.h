#pragma once

#include <testsupport/StoreDump.h>

#include <ostrel/CPXRegData.h>

#include <testsupport/DeviceFolder.h>

#include <string>
#include <vector>

// A device folder with a store past its first start, and ways to fill its slots directly.
class ListTest : public testsupport::DeviceFolderTest {
public:
    static constexpr const char16_t* kRoot = u"Software\\NorviSoft\\NorviLuncher";

protected:
    void SetUp() override {
        DeviceFolderTest::SetUp();
        // An existing Windows folder keeps the platform from filling it from the host.
        std::filesystem::create_directories(Device() / "Windows" / "Favorites");
        CPXRegData().InitRegistry();
    }

public:
    static std::u16string SlotKey(const char16_t* kind, int n) {
        std::string digits = std::to_string(n);
        return std::u16string(kRoot) + u"\\" + kind + u"\\" + kind +
               std::u16string(digits.begin(), digits.end());
    }

protected:
    static void StoreProgram(int slot, std::u16string_view name, int group = 0) {
        auto key = SlotKey(u"EXEs", slot);
        storedump::SetText(key, u"IconName", name);
        storedump::SetText(key, u"IconPath", u"\\Windows\\" + std::u16string(name) + u".exe");
        storedump::SetDword(key, u"GroupPosition", group);
    }

    static void StoreGroup(int slot, std::u16string_view name, int count = 0) {
        auto key = SlotKey(u"Groups", slot);
        storedump::SetText(key, u"GroupName", name);
        storedump::SetDword(key, u"IconCount", count);
    }

    void Favorite(const std::string& relative) {
        testsupport::WriteFile(Device() / "Windows" / "Favorites" / relative,
                               "[InternetShortcut]\nURL=https://example.org/\n");
    }

    static void ShowFavorites(int groupSlot) {
        storedump::SetDword(kRoot, u"CheckFavorite", 1);
        storedump::SetDword(kRoot, u"FavoritePK", groupSlot);
    }

    template <typename List> static std::vector<int> Keys(List& list) {
        std::vector<int> keys;
        for (int i = 0; i < list.m_List.GetCount(); ++i)
            keys.push_back(list.GetIcon(i).PK);
        return keys;
    }
};
