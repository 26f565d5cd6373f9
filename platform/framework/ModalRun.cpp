#include "framework/ModalRun.h"

#include "windows/FramePlacement.h"
#include "windows/ModalHook.h"
#include "windows/WindowState.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

namespace platform::detail {

namespace {

ModalHook& Hook() {
    static ModalHook hook;
    return hook;
}

} // namespace

ModalHook CurrentModalHook() {
    return Hook();
}

bool NoDisplay() {
    const QString qpa = QGuiApplication::platformName();
    return qpa == QStringLiteral("offscreen") || qpa == QStringLiteral("minimal");
}

RECT ModalPlacement(CWnd* over, SIZE size) {
    QRect area;
    if (IsDeviceScreen())
        area = QRect(0, kTitleBarHeight, kFrameWidth, kFrameHeight);
    else if (WindowState* state = over ? WindowState::Of(over->GetSafeHwnd()) : nullptr;
             state && state->widget)
        area = state->widget->window()->geometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    const QPoint c = area.center();
    // Kept inside the area where it fits, so that its top edge is never above it.
    const int left = std::max<int>(area.left(), c.x() + 1 - size.cx / 2);
    const int top = std::max<int>(area.top(), c.y() + 1 - size.cy / 2);
    return RECT{left, top, left + size.cx, top + size.cy};
}

QWidget* MakeModalWindow(CWnd* window, const RECT& placed) {
    WindowState* state = WindowState::Of(window->GetSafeHwnd());
    if (!state || !state->widget)
        return nullptr;
    QWidget* widget = state->widget;
    widget->setWindowFlags(Qt::Dialog);
    // New flags make the position count the decoration; the client area is what was asked.
    widget->setGeometry(placed.left, placed.top, placed.right - placed.left,
                        placed.bottom - placed.top);
    widget->setWindowModality(Qt::ApplicationModal);
    return widget;
}

int ModalRun::Exec(const std::function<void(int answer)>& press) {
    const HWND window = m_window->GetSafeHwnd();
    WindowState* state = WindowState::Of(window);
    if (m_finished || !state || !state->widget)
        return m_result;
    QWidget* widget = state->widget;
    if (const auto hook = CurrentModalHook()) {
        widget->show();
        const int answer = hook(m_window);
        // A window the hook took down has nothing left to answer.
        if (!IsWindow(window))
            return m_finished ? m_result : answer;
        if (!m_finished)
            press(answer);
        return m_finished ? m_result : 2;
    }
    if (NoDisplay())
        return m_result;
    QEventLoop loop;
    m_loop = &loop;
    // Closing the window (or anything else destroying it) is a cancel.
    QObject::connect(widget, &QObject::destroyed, &loop, [this] { Finish(2); });
    widget->show();
    widget->raise();
    widget->activateWindow();
    if (!m_finished)
        loop.exec();
    m_loop = nullptr;
    return m_result;
}

void ModalRun::Finish(int result) {
    if (m_finished)
        return;
    m_finished = true;
    m_result = result;
    if (m_loop)
        m_loop->quit();
}

} // namespace platform::detail

namespace platform {

void SetModalHook(ModalHook hook) {
    detail::Hook() = std::move(hook);
}

} // namespace platform
