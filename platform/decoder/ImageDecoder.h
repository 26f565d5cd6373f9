#pragma once

#include <platform/Types.h>
#include <platform/platform_export.h>

#include <QImage>

#include <cstddef>
#include <functional>

namespace platform::detail {

// Fills `buffer` with up to `wanted` bytes of the picture and returns how many it gave;
// 0 ends the stream. Fewer than asked does not end it (a pipe may deliver in bits).
using ImageReadFn = std::function<std::size_t(BYTE* buffer, std::size_t wanted)>;

// The most the decoder asks of the read function at once.
inline constexpr std::size_t kImageReadPiece = 4096;
// A stream longer than this is refused, so that an endless source cannot exhaust memory.
inline constexpr std::size_t kMaxImageStreamBytes = std::size_t{64} << 20;

// Reads the whole stream and decodes it (JPEG, GIF, BMP and whatever else Qt reads; the
// format is told from the content). A picture larger than maxWidth x maxHeight is reduced to
// fit, keeping its aspect ratio: the bound side takes the limit, the other is rounded down
// but never below 1 pixel. The result is Format_RGB888; transparency is flattened over black;
// of an animation only the first frame is kept. Null on an empty, damaged or oversized
// stream, or when the limit is not positive.
PLATFORM_EXPORT QImage DecodeImage(const ImageReadFn& read, int maxWidth, int maxHeight);

} // namespace platform::detail
