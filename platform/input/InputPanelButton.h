#pragma once

#include <platform/CWnd.h>

class QWidget;

namespace platform::detail {

// The input panel's button, the window "MS_SIPBUTTON" at the right end of the title-bar
// strip: a tap shows or hides the panel. Made with the frame's full-screen request where
// the panel is on.
class InputPanelButton : public CWnd {
public:
    static constexpr int kWidth = 24;

    // The button for a frame, made the first time; null where the panel is off.
    static InputPanelButton* For(QWidget* frame);
    static InputPanelButton* Existing();
    // Keeps the button at the right end of the strip above the frame.
    void Place();

private:
    InputPanelButton() = default;
    QWidget* m_frame = nullptr;
};

// Room the strip keeps at its right end for the button.
int InputPanelButtonRoom();

// The full-screen request's part for the button: made for the frame where the panel is on,
// hidden by SHFS_HIDESIPBUTTON and shown by SHFS_SHOWSIPBUTTON.
void ShowInputPanelButton(QWidget* frame, DWORD dwState);

} // namespace platform::detail
