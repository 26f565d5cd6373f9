#include "BlendBytes.h"

#include <cstdint>

namespace thandel {

// Built with -O3 so that the loop runs on vector registers. With opacity <= 255 the sum is at
// most 255 * 255, so 16-bit lanes give the exact result of the wider arithmetic.
void BlendBytes(const BYTE* __restrict source, const BYTE* __restrict background,
                BYTE* __restrict out, std::size_t n, unsigned opacity) {
    const auto a = static_cast<std::uint16_t>(opacity);
    const auto b = static_cast<std::uint16_t>(255 - opacity);
    for (std::size_t i = 0; i < n; ++i) {
        const auto sum = static_cast<std::uint16_t>(static_cast<std::uint16_t>(a * source[i]) +
                                                    static_cast<std::uint16_t>(b * background[i]));
        out[i] = static_cast<BYTE>(sum >> 8);
    }
}

} // namespace thandel
