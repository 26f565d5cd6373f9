#pragma once

#include <platform/CWnd.h>

#include <functional>

class QEventLoop;
class QWidget;

namespace platform::detail {

// Where a modal window of the given client size goes: within the frame's place below the
// title bar on the device's screen, else centred over the window it belongs to (or the
// screen).
RECT ModalPlacement(CWnd* over, SIZE size);

// Makes a window just created a modal dialog window whose client area lies at `placed`; its
// widget, or null when the window is gone.
QWidget* MakeModalWindow(CWnd* window, const RECT& placed);

// One modal run of a top-level window: a person answers through an event loop, a test
// through the modal hook, and nobody where there is no display.
class ModalRun {
public:
    explicit ModalRun(CWnd* window) : m_window(window) {}
    ModalRun(const ModalRun&) = delete;
    ModalRun& operator=(const ModalRun&) = delete;

    // Shows the window and runs until Finish. The hook's answer is a button press: `press`
    // acts on it, and a window that still does not end is cancelled, as nobody is left.
    int Exec(const std::function<void(int answer)>& press);
    void Finish(int result);
    bool Finished() const { return m_finished; }

private:
    CWnd* m_window;
    QEventLoop* m_loop = nullptr;
    bool m_finished = false;
    int m_result = 2; // IDCANCEL
};

} // namespace platform::detail
