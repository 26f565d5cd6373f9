#include <uvarel/SetupHooks.h>

#include <platform/Registry.h>

#include <algorithm>

namespace {

// The launcher's whole store; removing the launcher removes it and nothing above it.
constexpr WCHAR kStoreKey[] = u"Software\\NorviSoft\\NorviLuncher";
static_assert(sizeof(kStoreKey) == 64);

} // namespace

extern "C" {

codeINSTALL_INIT Install_Init(HWND, BOOL, BOOL, LPCWSTR) {
    return codeINSTALL_INIT_CONTINUE;
}

codeINSTALL_EXIT Install_Exit(HWND, LPCWSTR, WORD, WORD, WORD, WORD, WORD) {
    return codeINSTALL_EXIT_DONE;
}

codeUNINSTALL_INIT Uninstall_Init(HWND, LPCWSTR) {
    WCHAR key[std::size(kStoreKey)];
    std::copy(std::begin(kStoreKey), std::end(kStoreKey), key);
    HKEY hKey = nullptr;
    LONG opened = RegOpenKeyExW(HKEY_CURRENT_USER, key, &hKey);
    RegCloseKey(hKey);
    if (opened == ERROR_SUCCESS)
        RegDeleteKeyW(HKEY_CURRENT_USER, key);
    return codeUNINSTALL_INIT_CONTINUE;
}

codeUNINSTALL_EXIT Uninstall_Exit(HWND) {
    return codeUNINSTALL_EXIT_DONE;
}
}
