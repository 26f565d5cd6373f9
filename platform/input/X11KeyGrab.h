#pragma once

#include <platform/Types.h>

namespace platform::detail {

// On X11 the application buttons a window registered are grabbed for the whole display, so
// that they reach the launcher even while another program has the keyboard. Elsewhere these
// do nothing and the buttons work while one of the program's windows has the focus.
void GrabAppKey(UINT vk);
void UngrabAppKey(UINT vk);
void SetGrabbedKeyHandler(void (*handler)(UINT vk));

} // namespace platform::detail
