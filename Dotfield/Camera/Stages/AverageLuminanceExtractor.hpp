#pragma once
// Measures the mean luminance of each frame, 0.2125 R + 0.7154 G + 0.0721 B
// on a scale of 0 to 1, and hands it to a callback once per frame. The frame
// itself goes on to the targets unchanged.

#include <functional>
#include <mutex>

#include "Dotfield/Camera/Capture/IIDCFrame.hpp"

namespace Dotfield {

// The mean luminance of an RGBA frame, 0 to 1 (0 for a frame without pixels).
double averageLuminance(const IIDCFrame& frame);

class AverageLuminanceExtractor final : public IIDCFrameStage {
  public:
    void setExtractedLuminanceCallback(std::function<void(double)> callback);

    // On the image-processing queue; the callback runs there too.
    void newFrame(const IIDCFrame& frame) override;

  private:
    std::mutex mutex_;
    std::function<void(double)> extractedLuminanceCallback_;
};

} // namespace Dotfield
