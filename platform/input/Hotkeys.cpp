#include <platform/Hotkeys.h>

#include <platform/CWnd.h>

#include "core/Application.h"
#include "core/Text.h"
#include "input/X11KeyGrab.h"

#include <QApplication>
#include <QKeyEvent>

#include <map>

namespace {

struct Binding {
    HWND window = nullptr;
    int id = 0;
    UINT modifiers = 0;
};

std::map<UINT, Binding>& Bindings() {
    static std::map<UINT, Binding> bindings;
    return bindings;
}

bool IsAppKey(UINT vk) {
    return vk >= VK_APP1 && vk <= VK_APP15;
}

// Key code of a key press, 0 when it is no application button.
UINT AppKeyOf(int key, Qt::KeyboardModifiers modifiers) {
    if (key >= Qt::Key_Launch1 && key <= Qt::Key_LaunchF)
        return VK_APP1 + static_cast<UINT>(key - Qt::Key_Launch1);
    bool shift = modifiers.testFlag(Qt::ShiftModifier);
    bool others = modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (others || key < Qt::Key_F1 || key > Qt::Key_F12)
        return 0;
    int f = key - Qt::Key_F1 + 1;
    if (!shift)
        return VK_APP1 + static_cast<UINT>(f - 1);
    return f <= 3 ? VK_APP1 + 11 + static_cast<UINT>(f) : 0;
}

void Deliver(UINT vk) {
    auto it = Bindings().find(vk);
    if (it != Bindings().end())
        PostMessageW(it->second.window, WM_HOTKEY, static_cast<WPARAM>(it->second.id),
                     MAKELPARAM(static_cast<int>(it->second.modifiers), static_cast<int>(vk)));
}

// Catches the buttons in every window of the program, dialogs included.
class KeyFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        UINT vk = AppKeyOf(key->key(), key->modifiers());
        if (!vk || !Bindings().count(vk))
            return false;
        if (!key->isAutoRepeat())
            Deliver(vk);
        return true;
    }
};

void EnsureFilter() {
    static bool installed = false;
    if (installed)
        return;
    platform::detail::EnsureApplication();
    static KeyFilter filter;
    qApp->installEventFilter(&filter);
    platform::detail::SetGrabbedKeyHandler(&Deliver);
    installed = true;
}

BOOL WINAPI_UnregisterFunc1(UINT, UINT vk) {
    auto it = Bindings().find(vk);
    if (it == Bindings().end())
        return FALSE;
    Bindings().erase(it);
    platform::detail::UngrabAppKey(vk);
    return TRUE;
}

struct Module {
    std::u16string name;
};

Module g_coredll{u"coredll.dll"};

} // namespace

BOOL RegisterHotKey(HWND hWnd, int id, UINT fsModifiers, UINT vk) {
    if (!IsWindow(hWnd) || !IsAppKey(vk))
        return FALSE;
    if (auto it = Bindings().find(vk); it != Bindings().end()) {
        // A window destroyed without releasing its keys holds nothing.
        if (IsWindow(it->second.window))
            return FALSE;
        Bindings().erase(it);
    }
    EnsureFilter();
    Bindings()[vk] = Binding{hWnd, id, fsModifiers};
    platform::detail::GrabAppKey(vk);
    return TRUE;
}

BOOL UnregisterHotKey(HWND hWnd, int id) {
    for (auto it = Bindings().begin(); it != Bindings().end(); ++it) {
        if (it->second.window == hWnd && it->second.id == id) {
            UINT vk = it->first;
            Bindings().erase(it);
            platform::detail::UngrabAppKey(vk);
            return TRUE;
        }
    }
    return FALSE;
}

HMODULE LoadLibraryW(LPCWSTR lpLibFileName) {
    if (!lpLibFileName || platform::detail::CompareNoCase(lpLibFileName, g_coredll.name) != 0)
        return nullptr;
    return reinterpret_cast<HMODULE>(&g_coredll);
}

FARPROC GetProcAddress(HMODULE hModule, const char* lpProcName) {
    if (hModule != reinterpret_cast<HMODULE>(&g_coredll) || !lpProcName)
        return nullptr;
    if (std::string_view(lpProcName) == "UnregisterFunc1")
        return reinterpret_cast<FARPROC>(&WINAPI_UnregisterFunc1);
    return nullptr;
}

BOOL FreeLibrary(HMODULE hModule) {
    return hModule == reinterpret_cast<HMODULE>(&g_coredll) ? TRUE : FALSE;
}

namespace platform {

HWND HotKeyOwner(UINT vk) {
    auto it = Bindings().find(vk);
    // A window destroyed without releasing its keys holds nothing.
    return it != Bindings().end() && IsWindow(it->second.window) ? it->second.window : nullptr;
}

std::u16string HotKeyDesktopName(UINT vk) {
    if (!IsAppKey(vk))
        return u"";
    int n = static_cast<int>(vk - 0xC0);
    return n <= 12 ? FormatString(u"F%d", n) : FormatString(u"Shift+F%d", n - 12);
}

} // namespace platform
