#pragma once
// Cuts the centre of each frame to a size in pixels; a size larger than the
// frame is cut to the frame.

#include <cstdint>
#include <mutex>

#include "Dotfield/Camera/Capture/IIDCFrame.hpp"
#include "Dotfield/Camera/Frames/FrameBufferPool.hpp"

namespace Dotfield {

struct CropSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

class Crop final : public IIDCFrameStage {
  public:
    CropSize cropSizeInPixels() const;
    void setCropSizeInPixels(CropSize size);

    void newFrame(const IIDCFrame& frame) override;

  private:
    mutable std::mutex mutex_;
    CropSize cropSizeInPixels_;
    FrameBufferPool buffers_; // the image-processing queue's
};

} // namespace Dotfield
