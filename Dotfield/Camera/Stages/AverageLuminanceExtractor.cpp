#include "Dotfield/Camera/Stages/AverageLuminanceExtractor.hpp"

namespace Dotfield {

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
    for (std::size_t i = 0; i < pixels; ++i) {
        red += bytes[i * 4];
        green += bytes[i * 4 + 1];
        blue += bytes[i * 4 + 2];
    }
    const double sum = 0.2125 * static_cast<double>(red) + 0.7154 * static_cast<double>(green) +
                       0.0721 * static_cast<double>(blue);
    return sum / (255.0 * static_cast<double>(pixels));
}

void AverageLuminanceExtractor::setExtractedLuminanceCallback(std::function<void(double)> callback) {
    std::lock_guard lock(mutex_);
    extractedLuminanceCallback_ = std::move(callback);
}

void AverageLuminanceExtractor::newFrame(const IIDCFrame& frame) {
    const double luminance = averageLuminance(frame);
    std::function<void(double)> callback;
    {
        std::lock_guard lock(mutex_);
        callback = extractedLuminanceCallback_;
    }
    if (callback) {
        callback(luminance);
    }
    updateTargets(frame);
}

} // namespace Dotfield
