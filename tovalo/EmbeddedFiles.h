#pragma once

#include <cstddef>

// Files built into the program (generated from tovalo/res at build time).
namespace tovalo::res {
extern const unsigned char DefaultSkin[];
extern const std::size_t DefaultSkinSize;
extern const unsigned char TrayIcon[];
extern const std::size_t TrayIconSize;
extern const unsigned char WindowIcon[];
extern const std::size_t WindowIconSize;
} // namespace tovalo::res
