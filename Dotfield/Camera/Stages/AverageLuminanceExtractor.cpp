#include "Dotfield/Camera/Stages/AverageLuminanceExtractor.hpp"

#include <algorithm>
#include <cstring>

namespace Dotfield {

namespace {

// Pixels whose channel sums fit 32 bits (255 x 2^16 < 2^32): the inner loop
// adds in 32-bit lanes, which vectorise.
constexpr std::size_t pixelsPerRun = std::size_t{1} << 16;

} // namespace

double averageLuminance(const IIDCFrame& frame) {
    const std::size_t pixels = std::size_t{frame.width} * frame.height;
    if (pixels == 0 || !frame.bytes || frame.bytes->size() < pixels * 4) {
        return 0.0;
    }
    // Channel sums in whole numbers (exact for any frame below 2^56 pixels),
    // weighted once at the end.
    std::uint64_t red = 0;
    std::uint64_t green = 0;
    std::uint64_t blue = 0;
    const std::uint8_t* bytes = frame.bytes->data();
    for (std::size_t start = 0; start < pixels; start += pixelsPerRun) {
        const std::size_t end = std::min(pixels, start + pixelsPerRun);
        std::uint32_t runRed = 0;
        std::uint32_t runGreen = 0;
        std::uint32_t runBlue = 0;
        for (std::size_t i = start; i < end; ++i) {
            std::uint32_t pixel = 0;
            std::memcpy(&pixel, bytes + i * 4, 4);
            runRed += (pixel >> 16) & 0xFFU;
            runGreen += (pixel >> 8) & 0xFFU;
            runBlue += pixel & 0xFFU;
        }
        red += runRed;
        green += runGreen;
        blue += runBlue;
    }
    const double sum = 0.2125 * static_cast<double>(red) + 0.7154 * static_cast<double>(green) +
                       0.0721 * static_cast<double>(blue);
    return sum / (255.0 * static_cast<double>(pixels));
}

double LuminanceReading::value() const {
    if (!value_) {
        value_ = averageLuminance(frame_);
    }
    return *value_;
}

void AverageLuminanceExtractor::setExtractedLuminanceCallback(
    std::function<void(const LuminanceReading&)> callback) {
    std::lock_guard lock(mutex_);
    extractedLuminanceCallback_ = std::move(callback);
}

void AverageLuminanceExtractor::newFrame(const IIDCFrame& frame) {
    std::function<void(const LuminanceReading&)> callback;
    {
        std::lock_guard lock(mutex_);
        callback = extractedLuminanceCallback_;
    }
    if (callback) {
        callback(LuminanceReading(frame));
    }
    updateTargets(frame);
}

} // namespace Dotfield
