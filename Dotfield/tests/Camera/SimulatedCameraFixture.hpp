#pragma once
// A simulated FireWire bus installed as the camera backend for one test, and
// the helpers the camera tests share: a target that keeps what it is given,
// and a bounded wait for a condition that another thread makes true.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Camera/Capture/IIDCCamera.hpp"
#include "Dotfield/Camera/Frames/YUVConversion.hpp"
#include "Dotfield/Camera/IIDC/IIDCBackendSelection.hpp"
#include "simulators/camera/SimulatedIIDCBus.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace DotfieldCameraTests {

using Dotfield::Testing::eventually;

// The frame's pixels the camera makes of YUV 4:2:2 bytes it was sent.
inline std::vector<std::uint8_t> pixelsOf(const std::vector<std::uint8_t>& yuv422) {
    std::vector<std::uint8_t> pixels(yuv422.size() * 2);
    Dotfield::convertYUV422ToRGB32(yuv422.data(), pixels.data(), yuv422.size() / 2);
    return pixels;
}

class RecordingTarget final : public Dotfield::IIDCFrameTarget {
  public:
    void newFrame(const Dotfield::IIDCFrame& frame) override {
        std::lock_guard lock(mutex_);
        frames_.push_back(frame);
    }
    std::vector<Dotfield::IIDCFrame> frames() const {
        std::lock_guard lock(mutex_);
        return frames_;
    }
    std::size_t count() const {
        std::lock_guard lock(mutex_);
        return frames_.size();
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Dotfield::IIDCFrame> frames_;
};

class SimulatedCameraFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        bus = std::make_shared<Simulators::SimulatedIIDCBus>();
        ASSERT_TRUE(Dotfield::setIIDCBackend(bus));
    }
    void TearDown() override { EXPECT_TRUE(Dotfield::setIIDCBackend(nullptr)) << "a camera was left open"; }

    std::shared_ptr<Simulators::SimulatedIIDCCamera>
    plugIn(Simulators::SimulatedCameraKind kind = Simulators::SimulatedCameraKind::format7WithoutMode79,
           std::uint64_t guid = 0x00B09D0100A1B2C3ULL, std::uint16_t unit = 0) {
        return bus->plugIn(kind, guid, unit);
    }

    std::shared_ptr<Simulators::SimulatedIIDCBus> bus;
};

} // namespace DotfieldCameraTests
