#pragma once

#include <platform/Geometry.h>
#include <platform/Messages.h>

class CWnd;
class CCmdUI;

// The notification code under which menu items ask their owner for their state before the
// menu is shown; lParam carries the CCmdUI.
inline constexpr UINT CN_UPDATE_COMMAND_UI = 0xFFFF;

namespace platform {

// One row of a message map: a message (and, for commands and control notifications, the
// control id and notification code) and the adapter that calls the handler.
struct MessageEntry {
    UINT message = 0;
    UINT code = 0;
    UINT id = 0;
    LRESULT (*call)(CWnd* target, WPARAM wParam, LPARAM lParam) = nullptr;
};

struct MessageMap {
    const MessageMap* (*base)() = nullptr;
    const MessageEntry* entries = nullptr;
};

template <typename T> struct MemberOf;
template <typename C, typename R, typename... A> struct MemberOf<R (C::*)(A...)> {
    using Class = C;
};

template <auto Fn> using HandlerClass = typename MemberOf<decltype(Fn)>::Class;

template <auto Fn> HandlerClass<Fn>* Target(CWnd* w) {
    return static_cast<HandlerClass<Fn>*>(w);
}

template <auto Fn> LRESULT CallCreate(CWnd* w, WPARAM, LPARAM lParam) {
    return (Target<Fn>(w)->*Fn)(reinterpret_cast<LPCREATESTRUCT>(lParam));
}
template <auto Fn> LRESULT CallVoid(CWnd* w, WPARAM, LPARAM) {
    (Target<Fn>(w)->*Fn)();
    return 0;
}
// Handlers that take wParam and the two words of lParam: key presses (key, repeat count,
// flags), resizes (kind, width, height) and hotkeys (id, modifiers, key).
template <auto Fn> LRESULT CallWords(CWnd* w, WPARAM wParam, LPARAM lParam) {
    (Target<Fn>(w)->*Fn)(static_cast<UINT>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
                         HIWORD(static_cast<std::uintptr_t>(lParam)));
    return 0;
}
template <auto Fn> LRESULT CallMouse(CWnd* w, WPARAM wParam, LPARAM lParam) {
    (Target<Fn>(w)->*Fn)(static_cast<UINT>(wParam),
                         CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
    return 0;
}
template <auto Fn> LRESULT CallUpdate(CWnd* w, WPARAM, LPARAM lParam) {
    (Target<Fn>(w)->*Fn)(reinterpret_cast<CCmdUI*>(lParam));
    return 0;
}
template <auto Fn> LRESULT CallMessage(CWnd* w, WPARAM wParam, LPARAM lParam) {
    return (Target<Fn>(w)->*Fn)(wParam, lParam);
}

} // namespace platform

// Message maps in the framework's form: DECLARE_MESSAGE_MAP() in the class, and
// BEGIN_MESSAGE_MAP(Class, Base) ... END_MESSAGE_MAP() in its source file.
#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const ::platform::MessageMap* GetThisMessageMap();                                      \
    const ::platform::MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const ::platform::MessageMap* theClass::GetMessageMap() const {                                \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const ::platform::MessageMap* theClass::GetThisMessageMap() {                                  \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        using TheBaseClass = baseClass;                                                            \
        static const ::platform::MessageEntry entries[] = {

#define END_MESSAGE_MAP()                                                                          \
    ::platform::MessageEntry {}                                                                    \
    }                                                                                              \
    ;                                                                                              \
    static const ::platform::MessageMap map{&TheBaseClass::GetThisMessageMap, entries};            \
    return &map;                                                                                   \
    }

#define ON_WM_CREATE()                                                                             \
    ::platform::MessageEntry{WM_CREATE, 0, 0, &::platform::CallCreate<&ThisClass::OnCreate>},
#define ON_WM_DESTROY()                                                                            \
    ::platform::MessageEntry{WM_DESTROY, 0, 0, &::platform::CallVoid<&ThisClass::OnDestroy>},
#define ON_WM_PAINT()                                                                              \
    ::platform::MessageEntry{WM_PAINT, 0, 0, &::platform::CallVoid<&ThisClass::OnPaint>},
#define ON_WM_CLOSE()                                                                              \
    ::platform::MessageEntry{WM_CLOSE, 0, 0, &::platform::CallVoid<&ThisClass::OnClose>},
#define ON_WM_KEYDOWN()                                                                            \
    ::platform::MessageEntry{WM_KEYDOWN, 0, 0, &::platform::CallWords<&ThisClass::OnKeyDown>},
#define ON_WM_LBUTTONDOWN()                                                                        \
    ::platform::MessageEntry{WM_LBUTTONDOWN, 0, 0,                                                 \
                             &::platform::CallMouse<&ThisClass::OnLButtonDown>},
#define ON_WM_LBUTTONUP()                                                                          \
    ::platform::MessageEntry{WM_LBUTTONUP, 0, 0, &::platform::CallMouse<&ThisClass::OnLButtonUp>},
#define ON_WM_LBUTTONDBLCLK()                                                                      \
    ::platform::MessageEntry{WM_LBUTTONDBLCLK, 0, 0,                                               \
                             &::platform::CallMouse<&ThisClass::OnLButtonDblClk>},
#define ON_WM_SIZE()                                                                               \
    ::platform::MessageEntry{WM_SIZE, 0, 0, &::platform::CallWords<&ThisClass::OnSize>},
#define ON_WM_HOTKEY()                                                                             \
    ::platform::MessageEntry{WM_HOTKEY, 0, 0, &::platform::CallWords<&ThisClass::OnHotKey>},
#define ON_MESSAGE(message, memberFn)                                                              \
    ::platform::MessageEntry{message, 0, 0, &::platform::CallMessage<&ThisClass::memberFn>},
#define ON_COMMAND(id, memberFn)                                                                   \
    ::platform::MessageEntry{WM_COMMAND, 0, id, &::platform::CallVoid<&ThisClass::memberFn>},
#define ON_UPDATE_COMMAND_UI(id, memberFn)                                                         \
    ::platform::MessageEntry{WM_COMMAND, CN_UPDATE_COMMAND_UI, id,                                 \
                             &::platform::CallUpdate<&ThisClass::memberFn>},
#define ON_CONTROL(code, id, memberFn)                                                             \
    ::platform::MessageEntry{WM_COMMAND, code, id, &::platform::CallVoid<&ThisClass::memberFn>},
