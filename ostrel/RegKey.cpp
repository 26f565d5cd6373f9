#include "RegKey.h"

#include <platform/CString.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace ostrel {

std::u16string SlotPath(const WCHAR* base, int slot) {
    return FormatString(u"%s%d", base, slot);
}

RegKey::RegKey(std::u16string_view path) : m_key(path, true) {}

bool RegKey::Exists(std::u16string_view path) {
    return platform::RegistryKey(path, false).IsOpen();
}

bool RegKey::ReadDword(const WCHAR* name, int& value) const {
    if (!m_key.IsOpen())
        return false;
    int buffer = value;
    DWORD size = sizeof(buffer);
    if (RegQueryValueExW(m_key.Get(), name, nullptr, reinterpret_cast<BYTE*>(&buffer), &size) !=
        ERROR_SUCCESS)
        return false;
    value = buffer;
    return true;
}

bool RegKey::ReadString(const WCHAR* name, DWORD limitBytes, std::u16string& out) const {
    if (!m_key.IsOpen())
        return false;
    // One spare unit so that a value stored without its terminator still ends.
    std::vector<WCHAR> buffer(limitBytes / sizeof(WCHAR) + 1, 0);
    DWORD size = limitBytes;
    if (RegQueryValueExW(m_key.Get(), name, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS)
        return false;
    out.assign(buffer.data());
    return true;
}

bool RegKey::ReadString(const WCHAR* name, DWORD limitBytes, WCHAR* out,
                        std::size_t outUnits) const {
    std::u16string text;
    if (outUnits == 0 || !ReadString(name, limitBytes, text))
        return false;
    std::size_t n = std::min(text.size(), outUnits - 1);
    std::copy_n(text.data(), n, out);
    out[n] = 0;
    return true;
}

void RegKey::WriteDword(const WCHAR* name, int value) const {
    if (m_key.IsOpen())
        RegSetValueExW(m_key.Get(), name, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof(value));
}

void RegKey::WriteString(const WCHAR* name, const BYTE* data, int bytes) const {
    if (m_key.IsOpen() && data && bytes >= 0)
        RegSetValueExW(m_key.Get(), name, REG_SZ, data, static_cast<DWORD>(bytes));
}

void RegKey::DeleteValue(const WCHAR* name) const {
    if (m_key.IsOpen())
        RegDeleteValueW(m_key.Get(), name);
}

} // namespace ostrel
