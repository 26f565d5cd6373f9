#include "BlendBytes.h"

#include <cstdint>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define THANDEL_X86 1
#include <immintrin.h>
#endif

namespace thandel {

namespace {

// opacity <= 255 keeps each sum at most 255 * 255, so 16-bit lanes give the exact result of
// the wider arithmetic.
inline BYTE Blend(unsigned a, unsigned b, BYTE source, BYTE background) {
    return static_cast<BYTE>(
        static_cast<std::uint16_t>(static_cast<std::uint16_t>(a * source) +
                                   static_cast<std::uint16_t>(b * background)) >>
        8);
}

void BlendRowPlain(const BYTE* s, BYTE* d, int width, unsigned a, unsigned b) {
    for (int x = 0; x < width; ++x, s += 4, d += 4) {
        d[0] = Blend(a, b, s[0], d[0]);
        d[1] = Blend(a, b, s[1], d[1]);
        d[2] = Blend(a, b, s[2], d[2]);
        d[3] = 0xFF;
    }
}

void BlendPlain(const BYTE* s, std::ptrdiff_t sStride, BYTE* d, std::ptrdiff_t dStride, int width,
                int height, unsigned opacity) {
    for (int y = 0; y < height; ++y)
        BlendRowPlain(s + y * sStride, d + y * dStride, width, opacity, 255 - opacity);
}

#ifdef THANDEL_X86

// Eight pixels through byte multiply-adds: the weights (opacity, 255 - opacity) as unsigned
// bytes, each channel's (source, background) pair as signed bytes less 128. The sum then is
// a * source + b * background - 128 * 255, which stays inside 16 signed bits; adding
// 128 * 255 back in 16-bit lanes gives the exact sum.
__attribute__((target("avx2"))) inline __m256i Blend8(__m256i s, __m256i d, __m256i weights) {
    const __m256i bias = _mm256_set1_epi8(static_cast<char>(0x80));
    const __m256i back = _mm256_set1_epi16(128 * 255);
    s = _mm256_xor_si256(s, bias);
    d = _mm256_xor_si256(d, bias);
    const __m256i lo =
        _mm256_add_epi16(_mm256_maddubs_epi16(weights, _mm256_unpacklo_epi8(s, d)), back);
    const __m256i hi =
        _mm256_add_epi16(_mm256_maddubs_epi16(weights, _mm256_unpackhi_epi8(s, d)), back);
    const __m256i out = _mm256_packus_epi16(_mm256_srli_epi16(lo, 8), _mm256_srli_epi16(hi, 8));
    return _mm256_or_si256(out, _mm256_set1_epi32(static_cast<int>(0xFF000000u)));
}

__attribute__((target("avx2"))) inline __m256i Load8(const BYTE* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

__attribute__((target("avx2"))) inline void Store8(BYTE* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// Eight pixels at a time. A row's last eight pixels are read before anything is written and
// blended last, overlapping the pixels before them, so no pixel is blended twice.
__attribute__((target("avx2"))) void BlendAvx2(const BYTE* s, std::ptrdiff_t sStride, BYTE* d,
                                               std::ptrdiff_t dStride, int width, int height,
                                               unsigned opacity) {
    if (width < 8) {
        BlendPlain(s, sStride, d, dStride, width, height, opacity);
        return;
    }
    const __m256i weights = _mm256_set1_epi16(static_cast<short>(((255 - opacity) << 8) | opacity));
    const int last = 4 * (width - 8);
    for (int y = 0; y < height; ++y, s += sStride, d += dStride) {
        const __m256i lastS = Load8(s + last), lastD = Load8(d + last);
        for (int x = 0; x < last; x += 32)
            Store8(d + x, Blend8(Load8(s + x), Load8(d + x), weights));
        Store8(d + last, Blend8(lastS, lastD, weights));
    }
}

#endif

} // namespace

std::vector<PixelBlend> PixelBlends() {
    std::vector<PixelBlend> blends{BlendPlain};
#ifdef THANDEL_X86
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        blends.push_back(BlendAvx2);
#endif
    return blends;
}

// Built with -O3 so that the loop runs on vector registers.
void BlendBytes(const BYTE* __restrict source, const BYTE* __restrict background,
                BYTE* __restrict out, std::size_t n, unsigned opacity) {
    const unsigned a = opacity, b = 255 - opacity;
    for (std::size_t i = 0; i < n; ++i)
        out[i] = Blend(a, b, source[i], background[i]);
}

void BlendPixels(const BYTE* source, std::ptrdiff_t sourceStride, BYTE* destination,
                 std::ptrdiff_t destinationStride, int width, int height, unsigned opacity) {
    static const PixelBlend blend = PixelBlends().back();
    blend(source, sourceStride, destination, destinationStride, width, height, opacity);
}

} // namespace thandel
