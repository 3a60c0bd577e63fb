#pragma once
// Measures the mean luminance of each frame, 0.2125 R + 0.7154 G + 0.0721 B
// on a scale of 0 to 1, and hands it to a callback once per frame. The frame
// itself goes on to the targets unchanged.
//
// The callback is given the frame's reading, which measures the frame when
// first asked: a callback that passes over most frames (the automatic
// exposure uses one in three, and none in custom mode) costs no pass over
// the pixels of those.

#include <functional>
#include <mutex>
#include <optional>

#include "Dotfield/Camera/Capture/IIDCFrame.hpp"

namespace Dotfield {

// The mean luminance of a frame, 0 to 1 (0 for a frame without pixels).
double averageLuminance(const IIDCFrame& frame);

// The luminance of one frame, measured on first use; valid during the callback.
class LuminanceReading {
  public:
    explicit LuminanceReading(const IIDCFrame& frame) : frame_(frame) {}
    double value() const;

  private:
    const IIDCFrame& frame_;
    mutable std::optional<double> value_;
};

class AverageLuminanceExtractor final : public IIDCFrameStage {
  public:
    void setExtractedLuminanceCallback(std::function<void(const LuminanceReading&)> callback);

    // On the image-processing queue; the callback runs there too.
    void newFrame(const IIDCFrame& frame) override;

  private:
    std::mutex mutex_;
    std::function<void(const LuminanceReading&)> extractedLuminanceCallback_;
};

} // namespace Dotfield
