#include <platform/CFrameWnd.h>
#include <platform/Gdi.h>
#include <platform/Tray.h>

#include "core/Application.h"
#include "input/InputPanelButton.h"
#include "shell-ui/DesktopTray.h"
#include "shell-ui/TrayStrip.h"
#include "shell/IconStore.h"
#include "windows/FramePlacement.h"
#include "windows/WindowState.h"

#include <QByteArray>
#include <QCursor>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <map>
#include <memory>

namespace platform::detail {

namespace {

struct TrayEntry {
    HWND owner = nullptr;
    UINT callback = 0;
    QImage image;
    std::u16string tip;
    // Set when the icon lives in the desktop's tray.
    std::unique_ptr<QSystemTrayIcon> desktop;
};

struct Tray {
    // Icons in the order they were added.
    std::vector<std::pair<UINT, TrayEntry>> entries;
    std::unique_ptr<TrayStrip> strip;
};

Tray& TheTray() {
    static Tray tray;
    return tray;
}

TrayEntry* Find(UINT id) {
    for (auto& [uid, entry] : TheTray().entries)
        if (uid == id)
            return &entry;
    return nullptr;
}

// A click on an icon, at its place on the screen: the owner's menu opens beside it.
void PostClick(UINT id, QRect icon) {
    if (TrayEntry* entry = Find(id); entry && entry->callback != 0)
        PostMessageFrom(icon, entry->owner, entry->callback, id, WM_LBUTTONDOWN);
}

QRect PlaceOf(const QSystemTrayIcon& icon) {
    const QRect place = icon.geometry();
    // Not every desktop's tray tells where its icons are; the pointer is on the icon then.
    return place.isValid() ? place : QRect(QCursor::pos(), QSize(1, 1));
}

QImage ImageOf(HICON icon) {
    const QImage* image = IconImage(icon);
    // A copy: the caller may destroy its icon while ours is shown.
    return image ? image->copy() : QImage();
}

// Rebuilds the strip from the icons that are not in the desktop's tray.
void RefreshStrip() {
    Tray& tray = TheTray();
    std::vector<TrayStrip::Icon> icons;
    QWidget* frame = nullptr;
    for (auto& [id, entry] : tray.entries) {
        if (entry.desktop)
            continue;
        icons.push_back({id, entry.image});
        if (!frame)
            if (WindowState* state = WindowState::Of(entry.owner); state && state->widget)
                frame = state->widget->window();
    }
    if (icons.empty()) {
        tray.strip.reset();
        return;
    }
    if (!tray.strip)
        tray.strip = std::make_unique<TrayStrip>(&PostClick);
    tray.strip->Follow(frame);
    tray.strip->SetIcons(std::move(icons));
    tray.strip->show();
}

void Apply(TrayEntry& entry, const NOTIFYICONDATA& data) {
    if (data.uFlags & NIF_MESSAGE)
        entry.callback = data.uCallbackMessage;
    if (data.uFlags & NIF_ICON)
        entry.image = ImageOf(data.hIcon);
    if (data.uFlags & NIF_TIP)
        entry.tip = std::u16string(data.szTip, std::char_traits<char16_t>::length(data.szTip));
    if (entry.desktop) {
        entry.desktop->setIcon(QIcon(QPixmap::fromImage(entry.image)));
        entry.desktop->setToolTip(QString::fromStdU16String(entry.tip));
    }
}

BOOL Add(const NOTIFYICONDATA& data) {
    if (Find(data.uID) || !WindowState::Of(data.hWnd))
        return FALSE;
    TrayEntry entry;
    entry.owner = data.hWnd;
    if (DesktopTrayExists()) {
        entry.desktop = std::make_unique<QSystemTrayIcon>();
        const UINT id = data.uID;
        // Every button opens the menu, as a tap does on the device.
        QSystemTrayIcon* icon = entry.desktop.get();
        QObject::connect(
            icon, &QSystemTrayIcon::activated,
            [id, icon](QSystemTrayIcon::ActivationReason) { PostClick(id, PlaceOf(*icon)); });
    }
    Apply(entry, data);
    const bool desktop = entry.desktop != nullptr;
    TheTray().entries.emplace_back(data.uID, std::move(entry));
    if (desktop)
        TheTray().entries.back().second.desktop->show();
    else
        RefreshStrip();
    return TRUE;
}

BOOL Delete(UINT id) {
    auto& entries = TheTray().entries;
    auto it =
        std::find_if(entries.begin(), entries.end(), [id](const auto& e) { return e.first == id; });
    if (it == entries.end())
        return FALSE;
    entries.erase(it);
    RefreshStrip();
    return TRUE;
}

} // namespace

TrayStrip* TheTrayStrip() {
    return TheTray().strip.get();
}

void ShowNotice(const std::u16string& text) {
    const QString message = QString::fromStdU16String(text);
    for (auto& [id, entry] : TheTray().entries)
        if (entry.desktop) {
            entry.desktop->showMessage(QStringLiteral("Tovalo"), message,
                                       QSystemTrayIcon::Information, 6000);
            return;
        }
    if (TrayStrip* strip = TheTrayStrip())
        strip->ShowNotice(message);
}

} // namespace platform::detail

BOOL Shell_NotifyIcon(DWORD dwMessage, NOTIFYICONDATA* lpData) {
    using namespace platform::detail;
    if (!lpData)
        return FALSE;
    EnsureApplication();
    switch (dwMessage) {
    case NIM_ADD:
        return Add(*lpData);
    case NIM_MODIFY:
        if (TrayEntry* entry = Find(lpData->uID)) {
            Apply(*entry, *lpData);
            if (!entry->desktop)
                RefreshStrip();
            return TRUE;
        }
        return FALSE;
    case NIM_DELETE:
        return Delete(lpData->uID);
    default:
        return FALSE;
    }
}

BOOL SHFullScreen(HWND hwndRequester, DWORD dwState) {
    // No task bar to hide here; the frame keeps the device geometry.
    if (dynamic_cast<CFrameWnd*>(CWnd::FromHandle(hwndRequester)))
        if (auto* state = platform::detail::WindowState::Of(hwndRequester)) {
            platform::detail::PlaceFrame(state->widget);
            platform::detail::ShowInputPanelButton(state->widget, dwState);
        }
    return TRUE;
}

namespace platform {

bool TrayIconInDesktopTray() {
    detail::EnsureApplication();
    // Where the icons are, or where the next one would go.
    const auto& entries = detail::TheTray().entries;
    if (!entries.empty())
        return entries.front().second.desktop != nullptr;
    return detail::DesktopTrayExists();
}

void ClickTrayIcon(UINT uID) {
    detail::PostClick(uID, QRect());
}

} // namespace platform
