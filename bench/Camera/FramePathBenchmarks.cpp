// The processor's frame path: one 640 x 480 YUV 4:2:2 frame converted to
// 32-bit pixels, low-pass filtered and measured for luminance should take at most
// 2 ms on one core. The 4:1:1 expansion and a 1288 x 964 conversion are
// reported beside it.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "Dotfield/Camera/Frames/YUVConversion.hpp"
#include "Dotfield/Camera/Stages/AverageLuminanceExtractor.hpp"
#include "Dotfield/Camera/Stages/LowPassFilter.hpp"

namespace {

using namespace Dotfield;

std::vector<std::uint8_t> patternBytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 31 + i / 640);
    }
    return bytes;
}

void BM_Convert422(benchmark::State& state) {
    const auto width = static_cast<std::size_t>(state.range(0));
    const auto height = static_cast<std::size_t>(state.range(1));
    const auto yuv = patternBytes(width * height * 2);
    std::vector<std::uint8_t> pixels(width * height * 4);
    for (auto _ : state) {
        convertYUV422ToRGB32(yuv.data(), pixels.data(), width * height);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_Convert422)->Args({640, 480})->Args({1288, 964})->Unit(benchmark::kMicrosecond);

void BM_Expand411(benchmark::State& state) {
    constexpr std::size_t pixels = 640 * 480;
    const auto source = patternBytes(yuv411Bytes(pixels));
    std::vector<std::uint8_t> staging(pixels * 2);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            expandYUV411ToYUV422(source.data(), source.size(), staging.data(), staging.size(), pixels));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Expand411)->Unit(benchmark::kMicrosecond);

// Conversion, low-pass filter and luminance of one VGA frame, as the camera
// window runs them.
void BM_FramePathVGA(benchmark::State& state) {
    constexpr std::uint32_t width = 640;
    constexpr std::uint32_t height = 480;
    const auto yuv = patternBytes(std::size_t{width} * height * 2);
    auto filter = std::make_shared<LowPassFilter>();
    auto extractor = std::make_shared<AverageLuminanceExtractor>();
    double luminance = 0.0;
    extractor->setExtractedLuminanceCallback([&](const LuminanceReading& reading) { luminance = reading.value(); });
    filter->addTarget(extractor);
    for (auto _ : state) {
        auto pixels = std::make_shared<std::vector<std::uint8_t>>(std::size_t{width} * height * 4);
        convertYUV422ToRGB32(yuv.data(), pixels->data(), std::size_t{width} * height);
        filter->newFrame({width, height, std::move(pixels), {}});
        benchmark::DoNotOptimize(luminance);
    }
}
BENCHMARK(BM_FramePathVGA)->Unit(benchmark::kMicrosecond);

} // namespace
