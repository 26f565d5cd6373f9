#pragma once

#include <platform/platform_export.h>

#include <optional>
#include <string>
#include <vector>

namespace platform::detail {

// The argument vector of a desktop entry's Exec= value: arguments split as the desktop entry
// rules quote them, field codes removed (%f %F %u %U and the deprecated ones; %% is a "%";
// %i, %c and %k are dropped too, as the launcher passes no file, icon or entry). Nothing when
// the line is malformed (an unterminated quote, a NUL) or names no program.
PLATFORM_EXPORT std::optional<std::vector<std::string>> SplitExecLine(const std::string& exec);

} // namespace platform::detail
