#pragma once

#include <platform/CString.h>
#include <platform/Types.h>

// 32-bit values at the root of the launcher's key ("SetKey", "CheckFavorite" ...).
// Reading leaves `value` as it was when the value (or, without `create`, the key) is absent.
void ReadLauncherValue(const WCHAR* name, int& value, bool create = true);
void WriteLauncherValue(const WCHAR* name, int value);

// Paths the store can read back are shorter than 130 characters; a longer chosen path is
// refused with a message, so that nothing is stored that would be lost.
bool AcceptChosenPath(const CString& path);
