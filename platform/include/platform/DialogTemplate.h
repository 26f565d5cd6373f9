#pragma once

#include <platform/Types.h>
#include <platform/platform_export.h>

#include <vector>

// Control styles a dialog template gives its controls.
inline constexpr DWORD WS_DISABLED = 0x08000000;
inline constexpr DWORD WS_VSCROLL = 0x00200000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD ES_AUTOHSCROLL = 0x0080;
inline constexpr DWORD BS_AUTOCHECKBOX = 0x0003;
inline constexpr DWORD LBS_NOTIFY = 0x0001;
inline constexpr DWORD LBS_SORT = 0x0002;
inline constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
inline constexpr DWORD CBS_SORT = 0x0100;
inline constexpr DWORD LVS_REPORT = 0x0001;
inline constexpr DWORD LVS_SHAREIMAGELISTS = 0x0040;

namespace platform {

enum class ControlKind {
    GroupBox,
    Static,
    Edit,
    PushButton,
    CheckBox,
    ListBox,
    ComboBox,
    ListView
};

// One control of a dialog template; the rectangle is in dialog units.
struct DialogItem {
    ControlKind kind = ControlKind::Static;
    UINT id = 0;
    const WCHAR* text = u"";
    RECT rect; // x, y, width, height
    DWORD style = 0;
    bool visible = true;
};

// A dialog as its resource describes it. Dialog units become pixels through the base units
// of the template's font: x * base width / 4, y * base height / 8.
struct DialogTemplate {
    UINT id = 0;
    const WCHAR* caption = u"";
    SIZE size; // in dialog units
    const WCHAR* font = u"System";
    int pointSize = 10;
    std::vector<DialogItem> items;
};

// The base units (average character width, line height) of a template's font, in pixels.
PLATFORM_EXPORT SIZE DialogBaseUnits(const DialogTemplate& dialog);
// A rectangle in dialog units (x, y, width, height) as pixels (left, top, right, bottom).
PLATFORM_EXPORT RECT DialogUnitsToPixels(const DialogTemplate& dialog, const RECT& units);

} // namespace platform
