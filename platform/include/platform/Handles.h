#pragma once

#include <platform/Types.h>

// Opaque handles of the device's windows and drawing objects.
struct HWND__;
using HWND = HWND__*;
struct HDC__;
using HDC = HDC__*;
// Any drawing object's handle converts to a general one, as on the device.
using HGDIOBJ = void*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
struct HPEN__;
using HPEN = HPEN__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HFONT__;
using HFONT = HFONT__*;
// An icon owned by whoever obtained it; released with DestroyIcon. A released handle is
// never drawn.
struct HICON__;
using HICON = HICON__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
