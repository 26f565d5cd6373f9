#include "SettingTemplates.h"

namespace {

using platform::ControlKind;

constexpr DWORD kList = LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kCombo = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

} // namespace

const platform::DialogTemplate& Setting1Template() {
    static const platform::DialogTemplate dialog{
        IDD_SETTING1,
        u"Group,ExeIcon",
        {135, 120},
        u"System",
        10,
        {{ControlKind::GroupBox, 0, u"Group", {4, 0, 129, 46}},
         {ControlKind::ListBox, IDC_GROUPLIST, u"", {6, 9, 61, 33}, kList},
         {ControlKind::PushButton, IDC_ADDGROUP, u"Add", {69, 9, 20, 12}, WS_TABSTOP},
         {ControlKind::PushButton, IDC_MODGROUP, u"Mod", {90, 9, 20, 12}, WS_TABSTOP},
         {ControlKind::PushButton, IDC_DELGROUP, u"Del", {111, 9, 20, 12}, WS_TABSTOP},
         {ControlKind::Edit, IDC_GROUPNAME, u"", {70, 30, 61, 12}, kEdit},
         {ControlKind::GroupBox, 0, u"ExeIcon", {4, 47, 129, 58}},
         {ControlKind::ListBox, IDC_EXELIST, u"", {6, 56, 61, 32}, kList},
         {ControlKind::PushButton, IDC_ADDEXE, u"Add", {69, 56, 20, 12}, WS_TABSTOP},
         {ControlKind::PushButton, IDC_MODEXE, u"Mod", {90, 56, 20, 12}, WS_TABSTOP},
         {ControlKind::PushButton, IDC_DELEXE, u"Del", {111, 56, 20, 12}, WS_TABSTOP},
         {ControlKind::Edit, IDC_EXENAME, u"", {70, 76, 61, 12}, kEdit},
         {ControlKind::ComboBox, IDC_GROUPCHOICE, u"", {6, 90, 124, 45}, kCombo},
         {ControlKind::CheckBox,
          IDC_SHOWFAVORITE,
          u"Show Favorite",
          {6, 106, 81, 10},
          BS_AUTOCHECKBOX | WS_TABSTOP},
         {ControlKind::PushButton, IDC_UPDATEFAVORITE, u"Update", {102, 106, 31, 11}, WS_TABSTOP}}};
    return dialog;
}

const platform::DialogTemplate& Setting2Template() {
    static const platform::DialogTemplate dialog{
        IDD_SETTING2,
        u"Skin, QuickStartUp, HotKey",
        {135, 122},
        u"System",
        10,
        {{ControlKind::GroupBox, 0, u"Skin", {2, 0, 128, 33}},
         {ControlKind::Edit, IDC_SKINPATH, u"", {6, 10, 98, 12}, kEdit | WS_DISABLED},
         {ControlKind::PushButton, IDC_BROWSESKIN, u"...", {107, 11, 20, 10}, WS_TABSTOP},
         {ControlKind::CheckBox,
          IDC_DEFAULTSKIN,
          u"Apply default Skin",
          {7, 22, 74, 10},
          BS_AUTOCHECKBOX | WS_TABSTOP},
         {ControlKind::GroupBox, 0, u"QuickStartUp", {3, 34, 127, 40}},
         {ControlKind::ListBox, IDC_QLLIST, u"", {6, 43, 97, 28}, kList},
         {ControlKind::PushButton, IDC_ADDQL, u"Add", {107, 43, 20, 13}, WS_TABSTOP},
         {ControlKind::PushButton, IDC_DELQL, u"Del", {107, 58, 20, 13}, WS_TABSTOP},
         {ControlKind::GroupBox, 0, u"HotKey Setting", {3, 75, 127, 45}},
         {ControlKind::ComboBox, IDC_HOTKEYCHOICE, u"", {6, 84, 120, 37}, kCombo},
         {ControlKind::ListBox, IDC_HOTKEYLIST, u"", {6, 97, 120, 20}, kList}}};
    return dialog;
}
