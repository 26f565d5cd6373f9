#pragma once

#include <platform/CWnd.h>
#include <platform/platform_export.h>

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <vector>

namespace platform::detail {

class WindowWidget;

// What the platform keeps for one live window.
struct PLATFORM_EXPORT WindowState {
    CWnd* owner = nullptr;
    HWND parent = nullptr;
    std::vector<HWND> children;
    UINT id = 0;
    CString text;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    QPointer<WindowWidget> widget;
    // What the window shows; copies to its screen surface land here. Made, white, when first
    // drawn on: a window that others cover whole never needs one.
    QImage screen;
    QSize screenSize;
    QRect invalid;
    bool painting = false;
    int copies = 0;
    // The keys a wheel notch stands for over this window (none: the wheel goes to the parent),
    // and the turn not yet handed on.
    UINT wheelBack = 0;
    UINT wheelForward = 0;
    int wheelDelta = 0;
    bool wheelPending = false;

    QImage& Screen();

    static WindowState* Of(HWND hWnd);
    static CWnd* Owner(HWND hWnd);
};

// The Qt widget behind a window: it turns window-system events into messages and shows the
// window's screen image. Exported for its type information, which code outside the library
// that checks dynamic types needs.
class PLATFORM_EXPORT WindowWidget : public QWidget {
public:
    WindowWidget(HWND hWnd, QWidget* parent);
    void Forget() { m_hWnd = nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Mouse(UINT message, QMouseEvent* event);
    static void HandOnWheel(HWND hWnd);
    HWND m_hWnd;
};

// Posts a message whose handler's pop-up menus open beside a screen rectangle (the
// notification icon that was clicked) rather than at the point they name.
BOOL PostMessageFrom(QRect anchor, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// The rectangle of the posted message being handled, or an invalid one.
PLATFORM_EXPORT QRect PopupAnchor();

// Virtual key code of a Qt key, 0 when the launcher has none for it.
UINT VirtualKeyOf(int qtKey);

} // namespace platform::detail
