#pragma once
// A frame the camera hands to its targets, and what a target is.

#include <cstdint>
#include <memory>
#include <vector>

#include <dc1394/dc1394.h>

#include "Dotfield/Camera/Capture/FrameTime.hpp"

namespace Dotfield {

struct IIDCFrame {
    // How the bytes are laid out: DC1394_COLOR_CODING_YUV422 is U, Y0, V, Y1.
    dc1394color_coding_t format = DC1394_COLOR_CODING_YUV422;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // Never changed once delivered; targets may keep it.
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
    FrameTime time;
};

// A consumer of the camera's frames; called on the shared image-processing
// queue, one frame at a time, in the order the targets were added.
class IIDCFrameTarget {
  public:
    virtual ~IIDCFrameTarget() = default;
    virtual void newFrame(const IIDCFrame& frame) = 0;
};

} // namespace Dotfield
