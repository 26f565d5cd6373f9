#pragma once

#include <platform/CString.h>
#include <platform/CWnd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

inline constexpr UINT TPM_LEFTALIGN = 0x0000;
inline constexpr UINT TPM_RIGHTALIGN = 0x0008;
inline constexpr UINT TPM_TOPALIGN = 0x0000;
inline constexpr UINT TPM_BOTTOMALIGN = 0x0020;
inline constexpr UINT TPM_RETURNCMD = 0x0100;

// One item of a menu resource: a command (id and text), a separator (id 0, no text) or a
// pop-up with items of its own. Texts mark their mnemonic with '&'.
struct MenuItem {
    UINT id = 0;
    std::u16string text;
    std::vector<MenuItem> popup;
    // Cleared by an update handler that disables the item.
    bool enabled = true;
};

// The framework's menu, loaded from a menu resource the program added at start-up.
class PLATFORM_EXPORT CMenu {
public:
    CMenu();
    ~CMenu();
    BOOL LoadMenu(UINT nIDResource);
    BOOL DestroyMenu();
    CMenu* GetSubMenu(int nPos) const;
    UINT GetMenuItemCount() const;
    UINT GetMenuItemID(int nPos) const;
    CString GetMenuString(int nPos) const;
    // Shows the menu at the screen point, aligned by the flags, for the owner window. The
    // chosen command reaches the owner as WM_COMMAND (returned instead with TPM_RETURNCMD);
    // before it is shown, each item passes the owner's ON_UPDATE_COMMAND_UI handlers.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd);

private:
    std::vector<MenuItem> m_items;
    mutable std::vector<std::unique_ptr<CMenu>> m_subMenus;
};

// What an ON_UPDATE_COMMAND_UI handler may change of a menu item before it is shown.
class PLATFORM_EXPORT CCmdUI {
public:
    UINT m_nID = 0;
    void SetText(LPCWSTR lpszText);
    void Enable(BOOL bOn = TRUE);
    MenuItem* m_pItem = nullptr;
    bool m_bEnabled = true;
};

namespace platform {

PLATFORM_EXPORT void AddMenuResource(UINT id, std::vector<MenuItem> items);
// While set, pop-up menus are not shown: the hook sees the items (after their update
// handlers ran) and returns the chosen command id, 0 for none.
using PopupMenuHook = std::function<UINT(const std::vector<MenuItem>& items, POINT anchor)>;
PLATFORM_EXPORT void SetPopupMenuHook(PopupMenuHook hook);

} // namespace platform
