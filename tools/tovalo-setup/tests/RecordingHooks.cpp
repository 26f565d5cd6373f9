// A setup library for the tests: each hook notes its name in the file TOVALO_HOOKS_LOG names
// and returns the code that TOVALO_HOOKS_STOP ("Hook=code") gives it, else 0.
#include <platform/Setup.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

DWORD Called(const char* hook) {
    if (const char* log = std::getenv("TOVALO_HOOKS_LOG"))
        std::ofstream(log, std::ios::app) << hook << "\n";
    const char* stop = std::getenv("TOVALO_HOOKS_STOP");
    const std::string prefix = std::string(hook) + "=";
    if (stop && std::string(stop).starts_with(prefix))
        return static_cast<DWORD>(std::atoi(stop + prefix.size()));
    return 0;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) codeINSTALL_INIT Install_Init(HWND, BOOL, BOOL, LPCWSTR) {
    return static_cast<codeINSTALL_INIT>(Called("Install_Init"));
}

__attribute__((visibility("default"))) codeINSTALL_EXIT Install_Exit(HWND, LPCWSTR, WORD, WORD,
                                                                     WORD, WORD, WORD) {
    return static_cast<codeINSTALL_EXIT>(Called("Install_Exit"));
}

__attribute__((visibility("default"))) codeUNINSTALL_INIT Uninstall_Init(HWND, LPCWSTR) {
    return static_cast<codeUNINSTALL_INIT>(Called("Uninstall_Init"));
}

__attribute__((visibility("default"))) codeUNINSTALL_EXIT Uninstall_Exit(HWND) {
    return static_cast<codeUNINSTALL_EXIT>(Called("Uninstall_Exit"));
}
}
