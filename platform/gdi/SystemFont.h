#pragma once

#include <QFont>

namespace platform::detail {

// The device's one font: DejaVu Sans at the size of the device's system font, loaded from the
// file the build installs beside the program, so that text measures alike on every machine.
const QFont& SystemFont();

} // namespace platform::detail
