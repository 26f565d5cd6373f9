#pragma once

#include <platform/Handles.h>
#include <platform/platform_export.h>

#include <filesystem>
#include <string>

// The installer's setup-library protocol: each hook returns 0 to continue or to report
// success.
enum codeINSTALL_INIT : DWORD { codeINSTALL_INIT_CONTINUE = 0, codeINSTALL_INIT_CANCEL = 1 };
enum codeINSTALL_EXIT : DWORD { codeINSTALL_EXIT_DONE = 0, codeINSTALL_EXIT_UNINSTALL = 1 };
enum codeUNINSTALL_INIT : DWORD { codeUNINSTALL_INIT_CONTINUE = 0, codeUNINSTALL_INIT_CANCEL = 1 };
enum codeUNINSTALL_EXIT : DWORD { codeUNINSTALL_EXIT_DONE = 0 };

using PFN_Install_Init = codeINSTALL_INIT (*)(HWND hwndParent, BOOL fFirstCall,
                                              BOOL fPreviouslyInstalled, LPCWSTR pszInstallDir);
using PFN_Install_Exit = codeINSTALL_EXIT (*)(HWND hwndParent, LPCWSTR pszInstallDir,
                                              WORD cFailedDirs, WORD cFailedFiles,
                                              WORD cFailedRegKeys, WORD cFailedRegVals,
                                              WORD cFailedShortcuts);
using PFN_Uninstall_Init = codeUNINSTALL_INIT (*)(HWND hwndParent, LPCWSTR pszInstallDir);
using PFN_Uninstall_Exit = codeUNINSTALL_EXIT (*)(HWND hwndParent);

namespace platform {

// A setup library loaded from its file for the life of the object, with its four hooks looked
// up by their exported names.
class PLATFORM_EXPORT SetupLibrary {
public:
    explicit SetupLibrary(const std::filesystem::path& file);
    ~SetupLibrary();
    SetupLibrary(const SetupLibrary&) = delete;
    SetupLibrary& operator=(const SetupLibrary&) = delete;

    // Empty when the library is loaded with all four hooks, else why it is not.
    const std::string& Error() const { return m_error; }
    bool IsLoaded() const { return m_error.empty(); }

    // Only while IsLoaded().
    PFN_Install_Init Install_Init = nullptr;
    PFN_Install_Exit Install_Exit = nullptr;
    PFN_Uninstall_Init Uninstall_Init = nullptr;
    PFN_Uninstall_Exit Uninstall_Exit = nullptr;

private:
    void* m_module = nullptr;
    std::string m_error;
};

} // namespace platform
