#pragma once

#include <platform/Registry.h>

#include <string>
#include <string_view>

namespace ostrel {

inline constexpr std::u16string_view kRootKey = u"Software\\NorviSoft\\NorviLuncher";
inline constexpr std::u16string_view kGroupsKey = u"Software\\NorviSoft\\NorviLuncher\\Groups";
inline constexpr std::u16string_view kExesKey = u"Software\\NorviSoft\\NorviLuncher\\EXEs";
inline constexpr std::u16string_view kQLKey = u"Software\\NorviSoft\\NorviLuncher\\QL";
inline constexpr std::u16string_view kSkinKey = u"Software\\NorviSoft\\NorviLuncher\\Skin";
inline constexpr const WCHAR* kGroupSlotBase = u"Software\\NorviSoft\\NorviLuncher\\Groups\\Groups";
inline constexpr const WCHAR* kExeSlotBase = u"Software\\NorviSoft\\NorviLuncher\\EXEs\\EXEs";
inline constexpr const WCHAR* kQLSlotBase = u"Software\\NorviSoft\\NorviLuncher\\QL\\QL";

inline constexpr int kGroupSlots = 20;
inline constexpr int kExeSlots = 50;
inline constexpr int kQLSlots = 15;

// Read limits in bytes, terminator included.
inline constexpr DWORD kPathLimit = 260;
inline constexpr DWORD kNameLimit = 1024;

// "%s%d": a slot key is its base path followed by the slot number.
std::u16string SlotPath(const WCHAR* base, int slot);

// One key below HKEY_CURRENT_USER, opened (and created if missing) for the life of the object.
class RegKey {
public:
    explicit RegKey(std::u16string_view path);
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // True when the key exists; opens nothing that stays open.
    static bool Exists(std::u16string_view path);

    // A 4-byte read; on failure value keeps what it held.
    bool ReadDword(const WCHAR* name, int& value) const;
    // A string read with a limit in bytes, copied into out (outUnits units, always
    // terminated, cut if longer). On failure out is left as it was.
    bool ReadString(const WCHAR* name, DWORD limitBytes, WCHAR* out, std::size_t outUnits) const;
    // The same, into a string.
    bool ReadString(const WCHAR* name, DWORD limitBytes, std::u16string& out) const;

    void WriteDword(const WCHAR* name, int value) const;
    void WriteString(const WCHAR* name, const BYTE* data, int bytes) const;
    void DeleteValue(const WCHAR* name) const;

private:
    platform::RegistryKey m_key;
};

} // namespace ostrel
