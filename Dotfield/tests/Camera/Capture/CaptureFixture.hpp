#pragma once
// A camera opened on the simulated bus, sized for the simulated camera's
// 640 x 480 YUV 4:2:2 frames, with a recording target, capturing.

#include <memory>

#include "Dotfield/tests/Camera/SimulatedCameraFixture.hpp"

namespace DotfieldCameraTests {

class CaptureFixture : public SimulatedCameraFixture {
  protected:
    void SetUp() override {
        SimulatedCameraFixture::SetUp();
        simulated = plugIn();
    }
    void TearDown() override {
        camera.reset();
        SimulatedCameraFixture::TearDown();
    }

    // The camera's clock stands still unless a test gives its own: frames made
    // one by one on a loaded machine must not look like a frozen camera.
    void startCapturing(Dotfield::IIDCCamera::Timing timing = {
                            .clock = std::make_shared<Dotfield::ManualClock>()}) {
        camera = std::make_unique<Dotfield::IIDCCamera>(std::nullopt, 1, std::move(timing));
        camera->setFrameSize({640, 480});
        camera->reallocateFrameBuffer();
        camera->addTarget(target);
        camera->setErrorDuringFrameProcessingCallback([this] { ++callbacks; });
        camera->startCapture();
        ASSERT_TRUE(eventually([&] { return simulated->isTransmitting(); }));
    }

    // Makes one frame and waits until the target has it.
    void deliverOneFrame() {
        const std::size_t before = target->count();
        ASSERT_EQ(simulated->emitFrames(1), 1U);
        ASSERT_TRUE(eventually([&] { return target->count() > before; }));
    }

    std::shared_ptr<Simulators::SimulatedIIDCCamera> simulated;
    std::shared_ptr<RecordingTarget> target = std::make_shared<RecordingTarget>();
    std::unique_ptr<Dotfield::IIDCCamera> camera;
    std::atomic<int> callbacks{0};
};

} // namespace DotfieldCameraTests
