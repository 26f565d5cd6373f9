#pragma once

#include <platform/Types.h>

#include <cstdarg>
#include <optional>
#include <string>
#include <string_view>

namespace platform::detail {

// UTF-16 <-> UTF-8 at the boundary to the host. Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);
// Strict form: nothing when the bytes are not valid UTF-8.
std::optional<std::u16string> FromUtf8Strict(std::string_view text);

// Unicode case folding, for names that compare without regard to case.
std::u16string FoldCase(std::u16string_view text);
int CompareNoCase(std::u16string_view a, std::u16string_view b);

// The device's swprintf subset: %d %i %u %x %X %c %s %% with flags '-', '0', width.
std::u16string VFormat(const WCHAR* format, va_list args);

} // namespace platform::detail
