#include "windows/WindowState.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace platform::detail {

WindowWidget::WindowWidget(HWND hWnd, QWidget* parent) : QWidget(parent), m_hWnd(hWnd) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void WindowWidget::paintEvent(QPaintEvent*) {
    WindowState* state = WindowState::Of(m_hWnd);
    if (!state)
        return;
    if (!state->invalid.isEmpty() && !state->painting) {
        state->painting = true;
        state->owner->SendMessage(WM_PAINT);
        // The handler may have destroyed the window.
        if ((state = WindowState::Of(m_hWnd)) == nullptr)
            return;
        state->painting = false;
        state->invalid = QRect();
    }
    QPainter painter(this);
    painter.drawImage(0, 0, state->screen);
}

void WindowWidget::resizeEvent(QResizeEvent*) {
    WindowState* state = WindowState::Of(m_hWnd);
    if (!state || state->screen.size() == size() || width() <= 0 || height() <= 0)
        return;
    QImage screen(size(), QImage::Format_RGB32);
    screen.fill(Qt::white);
    QPainter(&screen).drawImage(0, 0, state->screen);
    state->screen = screen;
}

void WindowWidget::keyPressEvent(QKeyEvent* event) {
    CWnd* wnd = WindowState::Owner(m_hWnd);
    UINT vk = VirtualKeyOf(event->key());
    if (!wnd || vk == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    UINT flags = event->isAutoRepeat() ? 0x4000 : 0;
    wnd->SendMessage(WM_KEYDOWN, vk, MAKELPARAM(1, flags));
}

void WindowWidget::Mouse(UINT message, QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    HWND target = m_hWnd;
    HWND capture = GetCapture();
    if (capture && message != WM_LBUTTONDOWN && message != WM_LBUTTONDBLCLK)
        target = capture;
    WindowState* state = WindowState::Of(target);
    if (!state || !state->widget)
        return;
    QPoint p = state->widget->mapFromGlobal(event->globalPosition().toPoint());
    state->owner->SendMessage(message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                              MAKELPARAM(p.x(), p.y()));
}

void WindowWidget::mousePressEvent(QMouseEvent* event) {
    Mouse(WM_LBUTTONDOWN, event);
}
void WindowWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    Mouse(WM_LBUTTONDBLCLK, event);
}
void WindowWidget::mouseReleaseEvent(QMouseEvent* event) {
    Mouse(WM_LBUTTONUP, event);
}

void WindowWidget::closeEvent(QCloseEvent* event) {
    // The window system's close request arrives as a posted WM_CLOSE; the window decides.
    event->ignore();
    if (WindowState::Of(m_hWnd))
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

UINT VirtualKeyOf(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Space:
        return 0x20;
    default:
        break;
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<UINT>(0x41 + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<UINT>(0x30 + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<UINT>(0x70 + (key - Qt::Key_F1));
    return 0;
}

} // namespace platform::detail
