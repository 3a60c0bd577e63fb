#pragma once
// Saves the next frame it is given as a PNG file, written whole or not at all
// (through a temporary file renamed over the chosen one), then lets every
// later frame pass by. The outcome goes to the completion: empty on success,
// else the reason. Runs on the thread that delivers the frame.

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>

#include "Dotfield/Camera/Capture/IIDCFrame.hpp"

namespace Dotfield {

class FrameSnapshot final : public IIDCFrameTarget {
  public:
    using Completion = std::function<void(const std::string& failure)>;

    FrameSnapshot(std::filesystem::path url, Completion completion);

    void newFrame(const IIDCFrame& frame) override;
    bool isTaken() const { return taken_.load(); }

  private:
    const std::filesystem::path url_;
    const Completion completion_;
    std::atomic<bool> taken_{false};
};

// Writes the frame as a PNG file; empty on success, else the reason.
std::string savePNG(const IIDCFrame& frame, const std::filesystem::path& url);

} // namespace Dotfield
