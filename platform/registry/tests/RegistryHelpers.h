#pragma once

#include <platform/Registry.h>

#include <string>
#include <vector>

namespace regtest {

// Opens (creating) a key below HKEY_CURRENT_USER and closes it when done.
class Key : public platform::RegistryKey {
public:
    explicit Key(const char16_t* path, bool create = true) : RegistryKey(path, create) {}

    LONG SetDword(const char16_t* name, DWORD value) const {
        return RegSetValueExW(Get(), name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    }
    LONG SetString(const char16_t* name, const std::u16string& text) const {
        return RegSetValueExW(Get(), name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * 2));
    }
    // The value's bytes, or nothing with the status when it cannot be read.
    LONG Read(const char16_t* name, std::vector<BYTE>& data, DWORD* type = nullptr) const {
        DWORD size = 0;
        LONG status = RegQueryValueExW(Get(), name, type, nullptr, &size);
        if (status != ERROR_SUCCESS)
            return status;
        data.assign(size, 0);
        return RegQueryValueExW(Get(), name, type, data.data(), &size);
    }
    DWORD Dword(const char16_t* name) const {
        DWORD value = 0xDEADBEEF;
        DWORD size = 4;
        RegQueryValueExW(Get(), name, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        return value;
    }
    std::u16string String(const char16_t* name) const {
        std::vector<BYTE> data;
        if (Read(name, data) != ERROR_SUCCESS || data.size() < 2)
            return u"<absent>";
        return std::u16string(reinterpret_cast<const char16_t*>(data.data()), data.size() / 2 - 1);
    }
};

inline std::vector<std::u16string> SubkeyNames(HKEY key) {
    std::vector<std::u16string> names;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD cch = 256;
        if (RegEnumKeyExW(key, i, name, &cch) != ERROR_SUCCESS)
            return names;
        names.emplace_back(name, cch);
    }
}

inline std::vector<std::u16string> ValueNames(HKEY key) {
    std::vector<std::u16string> names;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD cch = 256;
        if (RegEnumValueW(key, i, name, &cch, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return names;
        names.emplace_back(name, cch);
    }
}

} // namespace regtest
