#pragma once

#include <platform/CPropertySheet.h>

namespace platform::detail {

// The hook that stands in for a person at modal windows, empty when none is set.
ModalHook CurrentModalHook();

// Whether nobody could answer a modal window (no display).
bool NoDisplay();

} // namespace platform::detail
