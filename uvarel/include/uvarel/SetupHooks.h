#pragma once

#include <platform/Handles.h>
#include <uvarel/uvarel_export.h>

// The installer's setup-library protocol: each hook returns 0 to continue or to report
// success.
enum codeINSTALL_INIT : DWORD { codeINSTALL_INIT_CONTINUE = 0, codeINSTALL_INIT_CANCEL = 1 };
enum codeINSTALL_EXIT : DWORD { codeINSTALL_EXIT_DONE = 0, codeINSTALL_EXIT_UNINSTALL = 1 };
enum codeUNINSTALL_INIT : DWORD { codeUNINSTALL_INIT_CONTINUE = 0, codeUNINSTALL_INIT_CANCEL = 1 };
enum codeUNINSTALL_EXIT : DWORD { codeUNINSTALL_EXIT_DONE = 0 };

extern "C" {

UVAREL_EXPORT codeINSTALL_INIT Install_Init(HWND hwndParent, BOOL fFirstCall,
                                            BOOL fPreviouslyInstalled, LPCWSTR pszInstallDir);
UVAREL_EXPORT codeINSTALL_EXIT Install_Exit(HWND hwndParent, LPCWSTR pszInstallDir,
                                            WORD cFailedDirs, WORD cFailedFiles,
                                            WORD cFailedRegKeys, WORD cFailedRegVals,
                                            WORD cFailedShortcuts);
UVAREL_EXPORT codeUNINSTALL_INIT Uninstall_Init(HWND hwndParent, LPCWSTR pszInstallDir);
UVAREL_EXPORT codeUNINSTALL_EXIT Uninstall_Exit(HWND hwndParent);
}
