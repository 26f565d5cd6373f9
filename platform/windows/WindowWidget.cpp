#include "windows/WindowState.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace platform::detail {

namespace {

// One notch of a wheel, in Qt's eighths of a degree.
constexpr int kNotch = 120;
// A flick hands on at most this many steps; what it turned beyond is dropped, so that a long
// flick never queues a long animation.
constexpr int kMaxWheelSteps = 3;

} // namespace

WindowWidget::WindowWidget(HWND hWnd, QWidget* parent) : QWidget(parent), m_hWnd(hWnd) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void WindowWidget::paintEvent(QPaintEvent* event) {
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
    // Rectangle by rectangle: where children cover part of a window its region is not a
    // rectangle, and Qt copies an image clipped by such a region span by span, on worker
    // threads, where a rectangle is one plain copy.
    QPainter painter(this);
    for (const QRect& rect : event->region()) {
        painter.setClipRect(rect);
        if (state->screen.isNull())
            painter.fillRect(rect, Qt::white);
        else
            painter.drawImage(rect.topLeft(), state->screen, rect);
    }
}

void WindowWidget::resizeEvent(QResizeEvent*) {
    WindowState* state = WindowState::Of(m_hWnd);
    if (!state || state->screenSize == size() || width() <= 0 || height() <= 0)
        return;
    state->screenSize = size();
    if (state->screen.isNull())
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

void WindowWidget::wheelEvent(QWheelEvent* event) {
    // The window under the pointer, or the nearest of its parents the wheel works.
    HWND hWnd = m_hWnd;
    WindowState* state = WindowState::Of(hWnd);
    while (state && state->wheelBack == 0) {
        hWnd = state->parent;
        state = WindowState::Of(hWnd);
    }
    if (!state) {
        event->ignore();
        return;
    }
    event->accept();
    const QPoint angle = event->angleDelta();
    const int delta = std::abs(angle.y()) >= std::abs(angle.x()) ? angle.y() : angle.x();
    // A turn the other way starts afresh.
    if ((delta > 0) != (state->wheelDelta > 0))
        state->wheelDelta = 0;
    state->wheelDelta += delta;
    if (state->wheelPending)
        return;
    // Notches that arrive together, or while a step is drawn, are handed on as one turn.
    state->wheelPending = true;
    QMetaObject::invokeMethod(
        this, [hWnd] { HandOnWheel(hWnd); }, Qt::QueuedConnection);
}

void WindowWidget::HandOnWheel(HWND hWnd) {
    WindowState* state = WindowState::Of(hWnd);
    if (!state)
        return;
    state->wheelPending = false;
    int steps = state->wheelDelta / kNotch;
    state->wheelDelta -= steps * kNotch;
    if (std::abs(steps) > kMaxWheelSteps) {
        steps = steps > 0 ? kMaxWheelSteps : -kMaxWheelSteps;
        state->wheelDelta = 0;
    }
    // Away from the user is back (up, left), as the keys are.
    const UINT key = steps > 0 ? state->wheelBack : state->wheelForward;
    for (int i = 0; i < std::abs(steps); ++i) {
        CWnd* wnd = WindowState::Owner(hWnd);
        if (!wnd)
            return;
        wnd->SendMessage(WM_KEYDOWN, key, MAKELPARAM(1, 0));
    }
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
