#include "decoder/ImageDecoder.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>

namespace {

// A photo-like 2048 x 768 JPEG, the largest picture the launcher takes: smooth gradients with
// noise over them, so that the data are neither flat nor random.
const QByteArray& Photo() {
    static const QByteArray bytes = [] {
        QImage image(2048, 768, QImage::Format_RGB32);
        std::mt19937 random(11);
        std::uniform_int_distribution<int> noise(-12, 12);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                auto channel = [&](int base) { return std::clamp(base + noise(random), 0, 255); };
                line[x] = qRgb(channel(x * 255 / 2047), channel(y * 255 / 767),
                               channel(128 + (x - y) % 97));
            }
        }
        QByteArray data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "JPEG");
        writer.setQuality(85);
        writer.write(image);
        return data;
    }();
    return bytes;
}

// Through the decoder with 4096-byte reads, the way a picture file reaches it.
void DecodeImageIn4096BytePieces(benchmark::State& state) {
    const QByteArray& bytes = Photo();
    for (auto _ : state) {
        std::size_t position = 0;
        auto read = [&](BYTE* buffer, std::size_t wanted) {
            const std::size_t n =
                std::min(wanted, static_cast<std::size_t>(bytes.size()) - position);
            std::memcpy(buffer, bytes.constData() + position, n);
            position += n;
            return n;
        };
        QImage image = platform::detail::DecodeImage(read, 2048, 768);
        if (image.isNull())
            state.SkipWithError("picture not decoded");
        benchmark::DoNotOptimize(image);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(DecodeImageIn4096BytePieces)->Unit(benchmark::kMillisecond);

// The floor: Qt decoding the same bytes held in memory, with no reads, checks or conversion.
void BareLoadFromData(benchmark::State& state) {
    const QByteArray& bytes = Photo();
    for (auto _ : state) {
        QImage image;
        if (!image.loadFromData(bytes))
            state.SkipWithError("picture not decoded");
        benchmark::DoNotOptimize(image);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BareLoadFromData)->Unit(benchmark::kMillisecond);

// Prints as usual and keeps each benchmark's time per iteration for the closing ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                perIteration[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    std::map<std::string, double> perIteration;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto decoder = reporter.perIteration.find("DecodeImageIn4096BytePieces");
    const auto bare = reporter.perIteration.find("BareLoadFromData");
    if (decoder != reporter.perIteration.end() && bare != reporter.perIteration.end() &&
        bare->second > 0)
        std::printf("DecodeImage / loadFromData: %.2f\n", decoder->second / bare->second);
    return 0;
}
