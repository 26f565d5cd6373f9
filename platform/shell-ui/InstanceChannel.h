#pragma once

#include <platform/Handles.h>

#include <string>

namespace platform::detail {

// Programs on the same device folder find each other's top-level windows by title. The
// process that holds the device folder's lock owns the device's windows; the others ask it
// through a user-only socket in the runtime folder. Two device folders are two devices.

// Takes the device for this process when nobody holds it, and then answers for its
// top-level windows (once; later calls do nothing).
void ServeTopLevelWindows();
// A handle standing for a window of the program that holds this device, or null.
HWND FindRemoteWindow(const std::u16string& title);
// A top-level window of this process by title.
HWND FindLocalWindow(const WCHAR* title);
bool IsRemoteWindow(HWND hWnd);
// Asks the other program to show its window and bring it to the front.
bool RaiseRemoteWindow(HWND hWnd);

} // namespace platform::detail
