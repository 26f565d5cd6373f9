#include <platform/CMenu.h>

#include "core/Application.h"
#include "framework/PopupPlacement.h"
#include "windows/FramePlacement.h"
#include "windows/ModalHook.h"
#include "windows/WindowState.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

#include <map>

namespace {

using platform::detail::WindowState;

std::map<UINT, std::vector<MenuItem>>& MenuResources() {
    static std::map<UINT, std::vector<MenuItem>> resources;
    return resources;
}

platform::PopupMenuHook& Hook() {
    static platform::PopupMenuHook hook;
    return hook;
}

bool IsPopup(const MenuItem& item) {
    return !item.popup.empty();
}

bool IsCommand(const MenuItem& item) {
    return item.id != 0 && !IsPopup(item);
}

// Each command item asks the owner for its state; the owner's handlers may change its text
// or disable it.
void UpdateItems(std::vector<MenuItem>& items, CWnd* owner) {
    for (MenuItem& item : items) {
        if (!owner->GetSafeHwnd())
            return;
        if (IsPopup(item)) {
            UpdateItems(item.popup, owner);
            continue;
        }
        if (!IsCommand(item))
            continue;
        CCmdUI ui;
        ui.m_nID = item.id;
        ui.m_pItem = &item;
        owner->SendMessage(
            WM_COMMAND,
            static_cast<WPARAM>(MAKELPARAM(static_cast<int>(item.id), CN_UPDATE_COMMAND_UI)),
            reinterpret_cast<LPARAM>(&ui));
    }
}

bool IsEnabledCommand(const std::vector<MenuItem>& items, UINT id) {
    for (const MenuItem& item : items) {
        if (IsPopup(item) && IsEnabledCommand(item.popup, id))
            return true;
        if (IsCommand(item) && item.id == id && item.enabled)
            return true;
    }
    return false;
}

void FillMenu(QMenu& menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        // Qt marks mnemonics with '&' as the resources do.
        QString text = QString::fromStdU16String(item.text);
        if (IsPopup(item)) {
            FillMenu(*menu.addMenu(text), item.popup);
        } else if (IsCommand(item)) {
            QAction* action = menu.addAction(text);
            action->setData(item.id);
            action->setEnabled(item.enabled);
        } else {
            menu.addSeparator();
        }
    }
}

UINT ShowMenu(const std::vector<MenuItem>& items, UINT flags, QPoint anchor, CWnd* owner) {
    // Nobody could pick from a menu without a display.
    if (platform::detail::NoDisplay())
        return 0;
    QMenu menu;
    FillMenu(menu, items);
    // A menu opened for a click on a notification icon hangs beside that icon: where the
    // device's icon sat is no place on a desktop.
    const QRect icon = platform::detail::PopupAnchor();
    const WindowState* state = WindowState::Of(owner->GetSafeHwnd());
    anchor = icon.isValid()
                 ? icon.center()
                 : platform::detail::DeviceToScreen(
                       anchor, state && state->widget ? state->widget->window() : nullptr);
    QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect();
    QPoint at = icon.isValid()
                    ? platform::detail::PopupBeside(flags, icon, menu.sizeHint(), area)
                    : platform::detail::PopupTopLeft(flags, anchor, menu.sizeHint(), area);
    QAction* chosen = menu.exec(at);
    return chosen ? chosen->data().toUInt() : 0;
}

} // namespace

CMenu::CMenu() = default;
CMenu::~CMenu() = default;

BOOL CMenu::LoadMenu(UINT nIDResource) {
    auto it = MenuResources().find(nIDResource);
    if (it == MenuResources().end())
        return FALSE;
    m_items = it->second;
    m_subMenus.clear();
    return TRUE;
}

BOOL CMenu::DestroyMenu() {
    const bool had = !m_items.empty();
    m_items.clear();
    m_subMenus.clear();
    return had ? TRUE : FALSE;
}

CMenu* CMenu::GetSubMenu(int nPos) const {
    if (nPos < 0 || static_cast<std::size_t>(nPos) >= m_items.size() || !IsPopup(m_items[nPos]))
        return nullptr;
    m_subMenus.resize(m_items.size());
    auto& sub = m_subMenus[nPos];
    if (!sub) {
        sub = std::make_unique<CMenu>();
        sub->m_items = m_items[nPos].popup;
    }
    return sub.get();
}

UINT CMenu::GetMenuItemCount() const {
    return static_cast<UINT>(m_items.size());
}

UINT CMenu::GetMenuItemID(int nPos) const {
    if (nPos < 0 || static_cast<std::size_t>(nPos) >= m_items.size() || IsPopup(m_items[nPos]))
        return static_cast<UINT>(-1);
    return m_items[nPos].id;
}

CString CMenu::GetMenuString(int nPos) const {
    if (nPos < 0 || static_cast<std::size_t>(nPos) >= m_items.size())
        return CString();
    return CString(m_items[nPos].text);
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd) {
    if (!pWnd || !pWnd->GetSafeHwnd() || m_items.empty())
        return FALSE;
    platform::detail::EnsureApplication();
    std::vector<MenuItem> items = m_items;
    UpdateItems(items, pWnd);
    if (!pWnd->GetSafeHwnd())
        return FALSE;
    const POINT anchor{x, y};
    UINT chosen = Hook() ? Hook()(items, anchor) : ShowMenu(items, nFlags, QPoint(x, y), pWnd);
    // Only an enabled command of this menu can be chosen.
    if (chosen != 0 && !IsEnabledCommand(items, chosen))
        chosen = 0;
    if (nFlags & TPM_RETURNCMD)
        return static_cast<BOOL>(chosen);
    if (chosen != 0)
        pWnd->PostMessage(WM_COMMAND, chosen, 0);
    return TRUE;
}

namespace platform {

void AddMenuResource(UINT id, std::vector<MenuItem> items) {
    MenuResources()[id] = std::move(items);
}

void SetPopupMenuHook(PopupMenuHook hook) {
    Hook() = std::move(hook);
}

} // namespace platform
