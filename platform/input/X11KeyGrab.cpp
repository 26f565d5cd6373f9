#include "input/X11KeyGrab.h"

#include "core/X11Connection.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>

#include <X11/XF86keysym.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace platform::detail {

namespace {

struct Grab {
    xcb_keycode_t keycode;
    std::uint16_t modifiers;
};

void (*g_handler)(UINT) = nullptr;
std::map<UINT, std::vector<Grab>> g_grabs;

// The keys that stand for one button: its launch key, and its desktop key.
std::vector<std::pair<KeySym, std::uint16_t>> KeysOf(UINT vk) {
    int n = static_cast<int>(vk - 0xC0);
    std::vector<std::pair<KeySym, std::uint16_t>> keys{{XF86XK_Launch1 + (n - 1), 0}};
    if (n <= 12)
        keys.push_back({XK_F1 + (n - 1), 0});
    else
        keys.push_back({XK_F1 + (n - 13), ShiftMask});
    return keys;
}

// Caps Lock and Num Lock must not stop a button from working.
constexpr std::uint16_t kIgnored[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};
constexpr std::uint16_t kRelevant = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;

class GrabFilter : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t" || !g_handler)
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & ~0x80) != XCB_KEY_PRESS)
            return false;
        auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
        for (auto& [vk, grabs] : g_grabs)
            for (const Grab& g : grabs)
                if (g.keycode == key->detail && g.modifiers == (key->state & kRelevant)) {
                    g_handler(vk);
                    return true;
                }
        return false;
    }
};

// The server's keyboard map. Looked up with the core protocol: Xlib's own lookup would read
// the whole XKB keymap first, some 130 KB of Xlib paged in at every start for two keys.
class KeyboardMap {
public:
    explicit KeyboardMap(xcb_connection_t* connection) {
        const xcb_setup_t* setup = xcb_get_setup(connection);
        m_first = setup->min_keycode;
        m_count = setup->max_keycode - setup->min_keycode + 1;
        m_reply.reset(xcb_get_keyboard_mapping_reply(
            connection, xcb_get_keyboard_mapping(connection, m_first, m_count), nullptr));
    }

    // The key that carries `sym`, searched column by column as Xlib does; 0 when none does.
    xcb_keycode_t KeycodeOf(KeySym sym) const {
        if (!m_reply)
            return 0;
        const int columns = m_reply->keysyms_per_keycode;
        const int keys = std::min<int>(
            m_count, xcb_get_keyboard_mapping_keysyms_length(m_reply.get()) / std::max(columns, 1));
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(m_reply.get());
        for (int column = 0; column < columns; ++column)
            for (int key = 0; key < keys; ++key)
                if (syms[key * columns + column] == sym)
                    return static_cast<xcb_keycode_t>(m_first + key);
        return 0;
    }

private:
    struct Free {
        void operator()(void* p) const { std::free(p); }
    };
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, Free> m_reply;
    int m_first = 0;
    int m_count = 0;
};

void EnsureNativeFilter() {
    static GrabFilter filter;
    static bool installed = false;
    if (!installed && qGuiApp) {
        qGuiApp->installNativeEventFilter(&filter);
        installed = true;
    }
}

} // namespace

void SetGrabbedKeyHandler(void (*handler)(UINT)) {
    g_handler = handler;
}

void GrabAppKey(UINT vk) {
    X11Connection x = X11Connection::Get();
    if (!x.connection || g_grabs.count(vk))
        return;
    EnsureNativeFilter();
    std::vector<Grab>& grabs = g_grabs[vk];
    const KeyboardMap keyboard(x.connection);
    for (auto [sym, modifiers] : KeysOf(vk)) {
        const xcb_keycode_t code = keyboard.KeycodeOf(sym);
        if (code == 0)
            continue;
        bool taken = false;
        for (std::uint16_t extra : kIgnored) {
            auto cookie = xcb_grab_key_checked(x.connection, 1, x.root, modifiers | extra, code,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            if (xcb_generic_error_t* error = xcb_request_check(x.connection, cookie)) {
                taken = true;
                std::free(error);
            }
        }
        if (taken)
            std::fprintf(stderr,
                         "tovalo: another program holds a key of button %u; it works "
                         "only while the launcher has the focus\n",
                         vk - 0xC0);
        grabs.push_back(Grab{code, modifiers});
    }
    xcb_flush(x.connection);
}

void UngrabAppKey(UINT vk) {
    auto it = g_grabs.find(vk);
    if (it == g_grabs.end())
        return;
    X11Connection x = X11Connection::Get();
    if (x.connection) {
        for (const Grab& g : it->second)
            for (std::uint16_t extra : kIgnored)
                xcb_ungrab_key(x.connection, g.keycode, x.root, g.modifiers | extra);
        xcb_flush(x.connection);
    }
    g_grabs.erase(it);
}

} // namespace platform::detail
