#pragma once

#include <platform/Setup.h>
#include <uvarel/uvarel_export.h>

// The four hooks of the installer's setup-library protocol, exported by name.
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
