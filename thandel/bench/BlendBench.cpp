#include <thandel/CAlphaBlend.h>

#include "BlendBytes.h"

#include <testsupport/Surface.h>

#include <bench/Ratios.h>

#include <string>
#include <vector>

namespace {

using testsupport::Surface;

// The band sizes of the windows and a whole screen, each beside a block copy of the same
// rectangle, which does not blend; the ratio is the blend's time over the copy's.
void BM_DoAlphaBlend(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    Surface dst(w, h, RGB(255, 255, 255)), src(w, h, RGB(252, 148, 54));
    CAlphaBlend blend;
    for (auto _ : state)
        benchmark::DoNotOptimize(blend.DoAlphaBlend(&dst.dc, 0, 0, w, h, &src.dc, 0, 0, w, h, 130));
    state.SetBytesProcessed(state.iterations() * w * h * 3);
}

void BM_BitBlt(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    Surface dst(w, h, RGB(255, 255, 255)), src(w, h, RGB(252, 148, 54));
    for (auto _ : state)
        benchmark::DoNotOptimize(dst.dc.BitBlt(0, 0, w, h, &src.dc, 0, 0, SRCCOPY));
}

// The byte loop alone, over a whole screen's 24-bit picture: it should run near memory speed.
void BM_BlendBytes(benchmark::State& state) {
    const std::size_t n = 240 * 294 * 3;
    std::vector<BYTE> source(n, 200), background(n, 100), out(n);
    for (auto _ : state) {
        thandel::BlendBytes(source.data(), background.data(), out.data(), n, 130);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * n));
}
BENCHMARK(BM_BlendBytes);

#define SIZES Args({118, 12})->Args({103, 20})->Args({118, 37})->Args({240, 294})
BENCHMARK(BM_DoAlphaBlend)->SIZES;
BENCHMARK(BM_BitBlt)->SIZES;

} // namespace

int main(int argc, char** argv) {
    std::vector<bench::Ratio> ratios;
    for (const char* size : {"/118/12", "/103/20", "/118/37", "/240/294"})
        ratios.push_back({std::string("BM_DoAlphaBlend") + size, std::string("BM_BitBlt") + size,
                          std::string(size) == "/118/12" ? 3.0 : 0.0});
    bench::RunWithRatios(argc, argv, ratios);
}
