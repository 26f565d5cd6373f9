#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tovaloreg {

// UTF-8 for the terminal and for files; registry text is UTF-16.
std::string ToUtf8(std::u16string_view text);
// Nothing when the bytes are not valid UTF-8.
std::optional<std::u16string> FromUtf8(std::string_view bytes);
// Each byte one character, for REGEDIT4 files written in a single-byte code page.
std::u16string FromLatin1(std::string_view bytes);

} // namespace tovaloreg
