#include <platform/InputPanel.h>

#include "core/Application.h"
#include "input/InputPanelButton.h"
#include "input/InputPanelKeyboard.h"

#include <QApplication>
#include <QGuiApplication>

#include <cstdlib>
#include <string_view>

namespace platform::detail {

namespace {

// Made when first shown and kept for the rest of the process, as the application object is:
// destroyed at exit it would outlive the toolkit's own state.
InputPanelKeyboard*& TheKeyboard() {
    static InputPanelKeyboard* keyboard = nullptr;
    return keyboard;
}

bool FramebufferPlatform() {
    const QString name = QGuiApplication::platformName();
    for (const char* framebuffer : {"linuxfb", "eglfs", "directfb", "vkkhrdisplay", "bsdfb"})
        if (name == QLatin1String(framebuffer))
            return true;
    return false;
}

} // namespace

InputPanelKeyboard* TheInputPanel() {
    return TheKeyboard();
}

} // namespace platform::detail

BOOL SipShowIM(DWORD dwFlag) {
    using namespace platform::detail;
    if (!platform::InputPanelEnabled())
        return FALSE;
    InputPanelKeyboard*& keyboard = TheKeyboard();
    if (dwFlag & SIPF_ON) {
        if (!keyboard)
            keyboard = new InputPanelKeyboard;
        QWidget* focus = QApplication::focusWidget();
        keyboard->PlaceFor(focus ? focus->window() : QApplication::activeWindow());
        keyboard->show();
        keyboard->raise();
    } else if (keyboard) {
        keyboard->hide();
    }
    return TRUE;
}

namespace platform {

bool InputPanelEnabled() {
    detail::EnsureApplication();
    const char* choice = std::getenv("TOVALO_INPUT_PANEL");
    const std::string_view value = choice ? choice : "auto";
    if (value == "on")
        return true;
    if (value == "off")
        return false;
    return detail::FramebufferPlatform();
}

bool InputPanelShown() {
    const detail::InputPanelKeyboard* keyboard = detail::TheKeyboard();
    return keyboard && keyboard->isVisible();
}

} // namespace platform
