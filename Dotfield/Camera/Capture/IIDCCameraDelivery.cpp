// The delivery half of IIDCCamera: the staging buffer, frame times, the
// conversion to 32-bit pixels and the hand-over of each frame to the targets.

#include <cmath>

#include "Dotfield/Camera/Capture/IIDCCamera.hpp"
#include "Dotfield/Camera/Frames/YUVConversion.hpp"

namespace Dotfield {

namespace {

constexpr std::int32_t frameTimescale = 600;

} // namespace

void IIDCCamera::reallocateFrameBuffer() {
    serialDispatchQueue_.sync([this] {
        frameBytes_.reset();
        const double bytes =
            static_cast<double>(frameSize_.width) * static_cast<double>(frameSize_.height) * 2.0;
        // Far beyond any camera: a size this large or not finite is refused.
        constexpr double largest = 1.0e9;
        if (!(bytes > 0.0) || bytes > largest) {
            return;
        }
        frameBytes_.emplace(static_cast<std::size_t>(bytes));
    });
}

std::optional<FrameTime> IIDCCamera::currentFrameTime() const {
    if (!hasFrameTime_) {
        return std::nullopt;
    }
    return FrameTime{currentFrameTimeValue_.load(), frameTimescale};
}

// On the image-processing queue.
void IIDCCamera::updateFrameTime() {
    const Clock::TimePoint now = clock_->now();
    if (!hasFrameTime_) {
        currentFrameTimeValue_.store(0);
        hasFrameTime_.store(true);
    } else {
        const Clock::Duration since =
            now.time_since_epoch() - Clock::Duration(actualTimeOfLastUpdate_.load());
        const FrameTime step =
            FrameTime::withSeconds(std::chrono::duration<double>(since).count(), frameTimescale);
        currentFrameTimeValue_.store(currentFrameTimeValue_.load() + step.value);
    }
    noteUpdate(now);
}

// On the image-processing queue: converts width x height pixels of YUV 4:2:2
// into one frame of 32-bit pixels shared by every target.
void IIDCCamera::deliverFrame(const std::uint8_t* yuv422, std::uint32_t width, std::uint32_t height) {
    const std::size_t pixels = std::size_t{width} * height;
    auto pixelBytes = pixelBuffers_.take(pixels * 4);
    convertYUV422ToRGB32(yuv422, pixelBytes->data(), pixels);
    updateFrameTime();
    IIDCFrame frame;
    frame.width = width;
    frame.height = height;
    frame.bytes = std::move(pixelBytes);
    frame.time = FrameTime{currentFrameTimeValue_.load(), frameTimescale};
    updateTargets(frame);
}

} // namespace Dotfield
