#pragma once

#include <platform/ShellExecute.h>

namespace mirvane {

// Starts a program's file with the shell's 60-byte request: default verb, no owner, no
// parameters or folder, shown normally. What the shell answers is not looked at.
inline void StartProgram(LPCWSTR lpszPath) {
    SHELLEXECUTEINFO request;
    request.cbSize = 60;
    request.fMask = 0;
    request.hwnd = nullptr;
    request.lpVerb = nullptr;
    request.lpFile = lpszPath;
    request.lpParameters = nullptr;
    request.lpDirectory = nullptr;
    request.nShow = SW_SHOW;
    ShellExecuteEx(&request);
}

} // namespace mirvane
