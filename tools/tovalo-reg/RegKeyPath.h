#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tovaloreg {

// "HKEY_CURRENT_USER\a\b" or "HKCU\a\b" (any case) -> "a\b"; the root alone -> "".
// Nothing for another root or a path with an empty or overlong component.
std::optional<std::u16string> ParseKeyPath(std::u16string_view full);

// The full form of a path below HKEY_CURRENT_USER, as exports write it.
std::u16string FullKeyPath(std::u16string_view path);

} // namespace tovaloreg
