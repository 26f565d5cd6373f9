// libFuzzer target: any bytes through the image decoder, handed over in pieces of varying
// size and decoded against the launcher's limit or a small one. The decoder must give null or
// a 24-bit picture within the limit, never ask for more than a piece, and never crash.
#include "decoder/ImageDecoder.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using platform::detail::DecodeImage;
using platform::detail::kImageReadPiece;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The input is the picture itself, so that seeds are plain files; its length picks the
    // way it is delivered.
    constexpr std::size_t kSteps[] = {kImageReadPiece, 1, 513};
    const std::size_t step = kSteps[size % 3];
    const bool small = (size / 3) % 2 == 1;
    const int maxWidth = small ? 64 : 2048;
    const int maxHeight = small ? 48 : 768;

    std::size_t position = 0;
    auto read = [&](BYTE* buffer, std::size_t wanted) -> std::size_t {
        if (wanted == 0 || wanted > kImageReadPiece)
            std::abort();
        const std::size_t n = std::min({wanted, step, size - position});
        std::memcpy(buffer, data + position, n);
        position += n;
        return n;
    };
    const QImage image = DecodeImage(read, maxWidth, maxHeight);
    if (image.isNull())
        return 0;
    if (image.format() != QImage::Format_RGB888 || image.width() < 1 || image.height() < 1 ||
        image.width() > maxWidth || image.height() > maxHeight)
        std::abort();
    // Touch every pixel byte, so that a short buffer shows up at once.
    volatile std::uint8_t sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        for (int i = 0; i < image.width() * 3; ++i)
            sum = static_cast<std::uint8_t>(sum + line[i]);
    }
    return 0;
}
