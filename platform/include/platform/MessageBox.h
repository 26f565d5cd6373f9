#pragma once

#include <platform/Handles.h>
#include <platform/platform_export.h>

#include <functional>
#include <string>

inline constexpr UINT MB_OK = 0x0;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// A modal message box with one OK button and exactly the given text.
PLATFORM_EXPORT int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);
// The framework's form: the caption is the program's name.
PLATFORM_EXPORT int AfxMessageBox(LPCWSTR lpszText, UINT nType = MB_OK);

namespace platform {

// While set, message boxes are not shown: the hook sees the text and returns the answer.
using MessageBoxHook = std::function<int(const std::u16string& text)>;
PLATFORM_EXPORT void SetMessageBoxHook(MessageBoxHook hook);

} // namespace platform
