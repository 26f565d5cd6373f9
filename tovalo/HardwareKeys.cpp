#include "HardwareKeys.h"

#include <platform/Hotkeys.h>

namespace {

using ReleaseFunction = BOOL (*)(UINT fsModifiers, UINT vk);

} // namespace

bool ClaimHardwareKey(HWND hWnd, UINT nCode) {
    HMODULE core = LoadLibraryW(u"coredll.dll");
    const auto release =
        core ? reinterpret_cast<ReleaseFunction>(GetProcAddress(core, "UnregisterFunc1")) : nullptr;
    // Without the release function the key is still bound; whatever held it keeps it too.
    bool released = release && release(MOD_WIN, nCode);
    const bool registered = RegisterHotKey(hWnd, static_cast<int>(nCode), MOD_WIN, nCode) != FALSE;
    if (core)
        FreeLibrary(core);
    return released && registered;
}
