#include "windows/X11Window.h"

#include "core/X11Connection.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace platform::detail {

namespace {

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    auto reply = std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)>(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr),
        &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The first CARDINAL or WINDOW values of a property, as many as asked for.
std::optional<std::vector<std::uint32_t>> Property(xcb_connection_t* c, xcb_window_t window,
                                                   xcb_atom_t property, xcb_atom_t type,
                                                   std::uint32_t count) {
    auto reply = std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)>(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, count),
                               nullptr),
        &std::free);
    if (!reply || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) < static_cast<int>(count * 4))
        return std::nullopt;
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<std::uint32_t>(values, values + count);
}

// A server time later than every event so far: a window manager honours a request only
// with a time no older than the user's last action. Got from a connection of our own, whose
// events the toolkit does not read, by changing a property and waiting for the notice.
xcb_timestamp_t FreshTime() {
    static xcb_connection_t* c = nullptr;
    static xcb_window_t window = 0;
    if (!c) {
        c = xcb_connect(X11Connection::Get().DisplayName(), nullptr);
        if (xcb_connection_has_error(c)) {
            xcb_disconnect(c);
            c = nullptr;
            return XCB_CURRENT_TIME;
        }
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        window = xcb_generate_id(c);
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(c, 0, window, screen->root, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    }
    xcb_change_property(c, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0,
                        nullptr);
    xcb_flush(c);
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        const bool notice = (event->response_type & ~0x80) == XCB_PROPERTY_NOTIFY;
        const xcb_timestamp_t time =
            notice ? reinterpret_cast<xcb_property_notify_event_t*>(event)->time : 0;
        std::free(event);
        if (notice)
            return time;
    }
    return XCB_CURRENT_TIME;
}

void Activate(const X11Connection& x, xcb_window_t window) {
    xcb_connection_t* c = x.connection;
    if (!WindowManagerRunning()) {
        // The window is mapped by now: the toolkit's requests come in order on its connection.
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
        xcb_flush(c);
        return;
    }
    const xcb_timestamp_t time = FreshTime();
    // The user time goes where the window says it keeps it.
    xcb_window_t timeWindow = window;
    if (auto holder = Property(c, window, Atom(c, "_NET_WM_USER_TIME_WINDOW"), XCB_ATOM_WINDOW, 1))
        timeWindow = holder->front();
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, timeWindow, Atom(c, "_NET_WM_USER_TIME"),
                        XCB_ATOM_CARDINAL, 32, 1, &time);
    const auto active = Property(c, x.root, Atom(c, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 1);
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = Atom(c, "_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 1; // asked by the application itself
    message.data.data32[1] = time;
    message.data.data32[2] = active ? active->front() : 0;
    xcb_send_event(c, 0, x.root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(c);
}

// Tells a window when the window manager has changed its decoration.
class ExtentsWatch : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
            return false;
        auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
        if (m_atom == XCB_ATOM_NONE)
            m_atom = Atom(X11Connection::Get().connection, "_NET_FRAME_EXTENTS");
        if (notify->atom != m_atom)
            return false;
        // Posted: the toolkit handles the change first.
        if (QWidget* window = QWidget::find(notify->window))
            QCoreApplication::postEvent(window, new QEvent(FrameExtentsChangedEvent()));
        return false;
    }

private:
    xcb_atom_t m_atom = XCB_ATOM_NONE;
};

void WatchExtents() {
    static ExtentsWatch watch;
    // Installing a filter again only keeps it where it is.
    if (qGuiApp)
        qGuiApp->installNativeEventFilter(&watch);
}

} // namespace

bool WindowManagerRunning() {
    const X11Connection x = X11Connection::Get();
    if (!x)
        return false;
    auto reply = std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)>(
        xcb_get_window_attributes_reply(x.connection,
                                        xcb_get_window_attributes(x.connection, x.root), nullptr),
        &std::free);
    return reply && (reply->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT);
}

void BringToFront(QWidget* window) {
    if (!window)
        return;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    const X11Connection x = X11Connection::Get();
    if (!x || !window->testAttribute(Qt::WA_WState_Created)) {
        window->activateWindow();
        return;
    }
    Activate(x, static_cast<xcb_window_t>(window->winId()));
}

void FocusShownWindow(QWidget* window) {
    const X11Connection x = X11Connection::Get();
    if (!x || !window || !window->isVisible() || WindowManagerRunning())
        return;
    Activate(x, static_cast<xcb_window_t>(window->winId()));
}

std::optional<QMargins> FrameExtents(const QWidget* window) {
    const X11Connection x = X11Connection::Get();
    if (!x || !window || !window->testAttribute(Qt::WA_WState_Created))
        return std::nullopt;
    WatchExtents();
    auto values = Property(x.connection, static_cast<xcb_window_t>(window->winId()),
                           Atom(x.connection, "_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 4);
    if (!values)
        return std::nullopt;
    const auto& v = *values;
    return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]),
                    static_cast<int>(v[3]));
}

QEvent::Type FrameExtentsChangedEvent() {
    static const int kind = QEvent::registerEventType();
    return static_cast<QEvent::Type>(kind);
}

} // namespace platform::detail
