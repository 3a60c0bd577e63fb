#pragma once
// Smooths frames over time: each byte becomes (1 - s) x input + s x the
// previous output. The first frame, and a frame of another size, pass through;
// so does every frame at strength 0, where the blend would copy it.

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "Dotfield/Camera/Capture/IIDCFrame.hpp"
#include "Dotfield/Camera/Frames/FrameBufferPool.hpp"

namespace Dotfield {

class LowPassFilter final : public IIDCFrameStage {
  public:
    double strength() const { return strength_.load(); }
    // Clamped to [0, 1]; a value that is not finite counts as 0.
    void setStrength(double strength);

    // On the image-processing queue.
    void newFrame(const IIDCFrame& frame) override;

  private:
    std::atomic<double> strength_{0.5};
    // The last output; touched on the image-processing queue only.
    IIDCFrame previous_;
    FrameBufferPool buffers_;
};

} // namespace Dotfield
