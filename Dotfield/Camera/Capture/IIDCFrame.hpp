#pragma once
// A frame the camera hands to its targets, what a target is, and what hands
// frames on to targets.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "Dotfield/Camera/Capture/FrameTime.hpp"

namespace Dotfield {

struct IIDCFrame {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // One 32-bit word 0xffRRGGBB a pixel in the machine's byte order, rows
    // without padding: what a window's surface holds (QImage::Format_RGB32)
    // and AV_PIX_FMT_RGB32 reads, so the view paints it by copying rows.
    // Never changed once delivered; targets may keep it.
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
    FrameTime time;
};

// A consumer of frames; called on the shared image-processing queue, one
// frame at a time, in the order the targets were added.
class IIDCFrameTarget {
  public:
    virtual ~IIDCFrameTarget() = default;
    virtual void newFrame(const IIDCFrame& frame) = 0;
};

// Hands each frame to its targets in the order they were added. Targets may
// be added or removed from any thread.
class IIDCFrameSource {
  public:
    void addTarget(std::shared_ptr<IIDCFrameTarget> target) {
        std::lock_guard lock(targetsMutex_);
        targets_.push_back(std::move(target));
    }
    void removeAllTargets() {
        std::lock_guard lock(targetsMutex_);
        targets_.clear();
    }
    // Frames being handed on keep going to the target until that hand-over ends.
    void removeTarget(const std::shared_ptr<IIDCFrameTarget>& target) {
        std::lock_guard lock(targetsMutex_);
        std::erase(targets_, target);
    }

  protected:
    void updateTargets(const IIDCFrame& frame) {
        std::vector<std::shared_ptr<IIDCFrameTarget>> targets;
        {
            std::lock_guard lock(targetsMutex_);
            targets = targets_;
        }
        for (const auto& target : targets) {
            target->newFrame(frame);
        }
    }

  private:
    std::mutex targetsMutex_;
    std::vector<std::shared_ptr<IIDCFrameTarget>> targets_;
};

// A processing step between the camera and the view: a target that hands
// what it makes to its own targets, synchronously on the same queue.
class IIDCFrameStage : public IIDCFrameTarget, public IIDCFrameSource {};

} // namespace Dotfield
