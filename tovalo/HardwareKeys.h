#pragma once

#include <platform/Handles.h>

// Hardware button numbers 1 to 15 stand for key codes 0xC1 to 0xCF.
inline constexpr UINT kFirstHardwareKey = 0xC1;
inline constexpr UINT kLastHardwareKey = 0xCF;
inline constexpr UINT kHardwareKeyBase = 0xC0;

// Takes the key away from whichever window holds it and binds it to hWnd; true when both
// steps succeed.
bool ClaimHardwareKey(HWND hWnd, UINT nCode);
