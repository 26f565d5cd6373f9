#pragma once

#include <platform/Types.h>

#include <cstddef>
#include <vector>

namespace thandel {

// out[i] = (opacity * source[i] + (255 - opacity) * background[i]) >> 8 for n bytes;
// opacity at most 255.
void BlendBytes(const BYTE* source, const BYTE* background, BYTE* out, std::size_t n,
                unsigned opacity);

// The same for a rectangle of 32-bit pixels (blue, green, red, x), the destination being the
// background and the output at once; the fourth byte of each output pixel becomes 255, as a
// copy from a 24-bit picture leaves it. The two rectangles must not overlap.
void BlendPixels(const BYTE* source, std::ptrdiff_t sourceStride, BYTE* destination,
                 std::ptrdiff_t destinationStride, int width, int height, unsigned opacity);

// The loops behind BlendPixels that this processor can run, the plain one first and the one
// used last.
using PixelBlend = void (*)(const BYTE*, std::ptrdiff_t, BYTE*, std::ptrdiff_t, int, int, unsigned);
std::vector<PixelBlend> PixelBlends();

} // namespace thandel
