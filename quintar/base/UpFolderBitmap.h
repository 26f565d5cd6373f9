#pragma once

#include <cstddef>

// Bitmap 130 (generated from res/Up.bmp at build time).
namespace filedialog::res {
extern const unsigned char UpFolder[];
extern const std::size_t UpFolderSize;
} // namespace filedialog::res
