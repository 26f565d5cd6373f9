#pragma once

#include <platform/Types.h>
#include <platform/platform_export.h>

inline constexpr DWORD SIPF_OFF = 0x0;
inline constexpr DWORD SIPF_ON = 0x1;

// Shows or hides the input panel, an on-screen keyboard that types into the focused field.
// Where the panel is off (TOVALO_INPUT_PANEL) this does nothing and fails.
PLATFORM_EXPORT BOOL SipShowIM(DWORD dwFlag);

namespace platform {

// TOVALO_INPUT_PANEL: "on", "off", or "auto" (the default: on the framebuffer platforms
// only, never on a desktop). Its button is the window "MS_SIPBUTTON" at the right of the
// title-bar strip.
PLATFORM_EXPORT bool InputPanelEnabled();
PLATFORM_EXPORT bool InputPanelShown();

} // namespace platform
