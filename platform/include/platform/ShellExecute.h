#pragma once

#include <platform/Handles.h>
#include <platform/platform_export.h>

#include <functional>
#include <string>
#include <vector>

// The shell's request to open a file with its default action.
struct SHELLEXECUTEINFO {
    DWORD cbSize = 0;
    ULONG fMask = 0;
    HWND hwnd = nullptr;
    LPCWSTR lpVerb = nullptr;
    LPCWSTR lpFile = nullptr;
    LPCWSTR lpParameters = nullptr;
    LPCWSTR lpDirectory = nullptr;
    int nShow = 0;
    HINSTANCE hInstApp = nullptr;
};

// Starts what the file stands for, detached, never through a shell: a desktop entry runs its
// Exec= line (in a terminal when it asks for one), a device shortcut ("N#target") its
// target, an executable itself, a web favourite (.url) opens its address in the default
// browser, and anything else opens with the desktop's default application. A failure is
// logged to standard error and reported as FALSE.
PLATFORM_EXPORT BOOL ShellExecuteEx(SHELLEXECUTEINFO* lpExecInfo);

namespace platform {

// What a request would run: the program and its arguments.
struct StartCommand {
    std::string program;
    std::vector<std::string> arguments;
    friend bool operator==(const StartCommand&, const StartCommand&) = default;
};

// The command for a device path, or an empty program when nothing can be started.
PLATFORM_EXPORT StartCommand ResolveStart(const std::u16string& devicePath);

// While set, requests are handed to the hook instead of being started.
using ShellExecuteHook = std::function<BOOL(const SHELLEXECUTEINFO& request)>;
PLATFORM_EXPORT void SetShellExecuteHook(ShellExecuteHook hook);

} // namespace platform
