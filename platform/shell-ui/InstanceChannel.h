#pragma once

#include <platform/Handles.h>

#include <string>

namespace platform::detail {

// Programs on the same device folder find each other's top-level windows by title through a
// user-only local socket named after the device folder; two device folders are two devices.

// Starts answering for this process's top-level windows (once; later calls do nothing).
void ServeTopLevelWindows();
// A handle standing for a window of the program running on this device, or null.
HWND FindRemoteWindow(const std::u16string& title);
// A top-level window of this process by title.
HWND FindLocalWindow(const WCHAR* title);
bool IsRemoteWindow(HWND hWnd);
// Asks the other program to show its window and bring it to the front.
bool RaiseRemoteWindow(HWND hWnd);

} // namespace platform::detail
