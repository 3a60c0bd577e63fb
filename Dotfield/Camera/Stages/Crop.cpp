#include "Dotfield/Camera/Stages/Crop.hpp"

#include <algorithm>
#include <cstring>

namespace Dotfield {

CropSize Crop::cropSizeInPixels() const {
    std::lock_guard lock(mutex_);
    return cropSizeInPixels_;
}

void Crop::setCropSizeInPixels(CropSize size) {
    std::lock_guard lock(mutex_);
    cropSizeInPixels_ = size;
}

void Crop::newFrame(const IIDCFrame& frame) {
    const CropSize wanted = cropSizeInPixels();
    const std::uint32_t width = std::min(wanted.width, frame.width);
    const std::uint32_t height = std::min(wanted.height, frame.height);
    if ((width == frame.width && height == frame.height) || !frame.bytes ||
        frame.bytes->size() < std::size_t{frame.width} * frame.height * 4) {
        updateTargets(frame);
        return;
    }
    const std::size_t left = (frame.width - width) / 2;
    const std::size_t top = (frame.height - height) / 2;
    const std::size_t rowBytes = std::size_t{width} * 4;
    const std::size_t sourceRowBytes = std::size_t{frame.width} * 4;
    auto bytes = buffers_.take(rowBytes * height);
    const std::uint8_t* source = frame.bytes->data();
    for (std::size_t row = 0; row < height; ++row) {
        std::memcpy(bytes->data() + row * rowBytes, source + (top + row) * sourceRowBytes + left * 4,
                    rowBytes);
    }
    IIDCFrame cropped;
    cropped.width = width;
    cropped.height = height;
    cropped.bytes = std::move(bytes);
    cropped.time = frame.time;
    updateTargets(cropped);
}

} // namespace Dotfield
