#include "LauncherValues.h"

#include <platform/MessageBox.h>
#include <platform/Registry.h>

namespace {

constexpr const WCHAR* kLauncherKey = u"Software\\NorviSoft\\NorviLuncher";
constexpr int kLongestPath = 129;

} // namespace

void ReadLauncherValue(const WCHAR* name, int& value, bool create) {
    const platform::RegistryKey key(kLauncherKey, create);
    DWORD stored = 0, size = sizeof stored, type = 0;
    if (key.IsOpen() &&
        RegQueryValueExW(key.Get(), name, &type, reinterpret_cast<BYTE*>(&stored), &size) ==
            ERROR_SUCCESS &&
        size == sizeof stored)
        value = static_cast<int>(stored);
}

void WriteLauncherValue(const WCHAR* name, int value) {
    const platform::RegistryKey key(kLauncherKey, true);
    const auto stored = static_cast<DWORD>(value);
    if (key.IsOpen())
        RegSetValueExW(key.Get(), name, REG_DWORD, reinterpret_cast<const BYTE*>(&stored),
                       sizeof stored);
}

bool AcceptChosenPath(const CString& path) {
    if (path.GetLength() <= kLongestPath)
        return true;
    AfxMessageBox(u"The path is too long (129 characters at most).");
    return false;
}
