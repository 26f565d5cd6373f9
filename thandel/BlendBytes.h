#pragma once

#include <platform/Types.h>

#include <cstddef>

namespace thandel {

// out[i] = (opacity * source[i] + (255 - opacity) * background[i]) >> 8 for n bytes;
// opacity at most 255.
void BlendBytes(const BYTE* source, const BYTE* background, BYTE* out, std::size_t n,
                unsigned opacity);

} // namespace thandel
