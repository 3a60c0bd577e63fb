#include <gtest/gtest.h>

#include <future>

#include "Dotfield/Camera/Capture/CameraQueues.hpp"
#include "Dotfield/Camera/IIDC/IIDCCameraError.hpp"
#include "Dotfield/tests/Camera/Capture/CaptureFixture.hpp"

namespace DotfieldCameraTests {
namespace {

using namespace std::chrono_literals;
using Simulators::SimulatedCameraKind;

class IIDCCameraFailureTest : public CaptureFixture {
  protected:
    // What every failure leaves: one callback, the camera freed, the thread ended.
    void expectFailedOnce() {
        ASSERT_TRUE(eventually([&] { return callbacks.load() == 1; }));
        EXPECT_TRUE(eventually([&] { return !camera->isCaptureThreadRunning(); }));
        EXPECT_FALSE(camera->isConnected());
        EXPECT_FALSE(camera->cameraShouldPoll());
        EXPECT_EQ(bus->openHandleCount(), 0U);
        EXPECT_EQ(simulated->buffersHeldByHost(), 0U);
    }
    // The watchdog has done what the time given so far asks of it: its timer,
    // the one thread waiting on the clock, waits for a later tick again, and
    // a failure it found has been reported.
    static void watchdogCaughtUp(const Dotfield::ManualClock& clock) {
        ASSERT_TRUE(eventually([&] { return clock.pendingWaitCount() == 1; }));
        Dotfield::cameraCallbackQueue().sync([] {});
    }
};

TEST_F(IIDCCameraFailureTest, WatchdogDisconnectsAFrozenCameraOnceAfterFiveSeconds) {
    auto clock = std::make_shared<Dotfield::ManualClock>();
    startCapturing({clock, 100ms});
    deliverOneFrame();
    simulated->setFrozen(true);
    for (int step = 0; step < 10; ++step) {
        clock->advance(500ms);
        watchdogCaughtUp(*clock);
    }
    EXPECT_EQ(callbacks.load(), 0) << "5.0 s without a frame is not yet a stall";
    clock->advance(500ms);
    expectFailedOnce();
    EXPECT_FALSE(simulated->isPowered());

    for (int step = 0; step < 6; ++step) {
        clock->advance(1s);
        watchdogCaughtUp(*clock);
    }
    EXPECT_EQ(callbacks.load(), 1) << "later ticks do nothing";
}

TEST_F(IIDCCameraFailureTest, WatchdogLeavesFlowingFramesAlone) {
    auto clock = std::make_shared<Dotfield::ManualClock>();
    startCapturing({clock, 100ms});
    for (int step = 0; step < 16; ++step) {
        clock->advance(500ms);
        deliverOneFrame();
        watchdogCaughtUp(*clock);
    }
    EXPECT_EQ(callbacks.load(), 0);
    EXPECT_TRUE(camera->isConnected());
}

TEST_F(IIDCCameraFailureTest, FailingDequeueEndsCaptureAndFreesTheCamera) {
    startCapturing();
    deliverOneFrame();
    simulated->setDequeueFails(true);
    ASSERT_EQ(simulated->emitFrames(1), 1U);
    expectFailedOnce();
    EXPECT_FALSE(simulated->isPowered());
    EXPECT_FALSE(simulated->isCaptureSetUp());
}

TEST_F(IIDCCameraFailureTest, UnplugMidCaptureFailsOnceAndANewCameraWaitsForThePlugBack) {
    startCapturing();
    deliverOneFrame();
    bus->unplug(simulated);
    expectFailedOnce();
    EXPECT_FALSE(simulated->isCaptureSetUp()) << "the descriptor was released";

    try {
        Dotfield::IIDCCamera again(std::nullopt, 1);
        ADD_FAILURE() << "a camera opened with nothing on the bus";
    } catch (const Dotfield::IIDCCameraError& error) {
        EXPECT_EQ(error.kind(), Dotfield::IIDCCameraErrorKind::noDevicesConnected);
    }

    simulated = plugIn();
    target = std::make_shared<RecordingTarget>();
    callbacks = 0;
    startCapturing();
    deliverOneFrame();
    EXPECT_EQ(callbacks.load(), 0);
}

TEST_F(IIDCCameraFailureTest, BusResetAloneKeepsFramesFlowing) {
    startCapturing();
    deliverOneFrame();
    const std::size_t dequeues = bus->callCount("dc1394_capture_dequeue");
    bus->busReset();
    ASSERT_TRUE(eventually([&] { return bus->callCount("dc1394_capture_dequeue") > dequeues; }));
    deliverOneFrame();
    deliverOneFrame();
    EXPECT_EQ(callbacks.load(), 0);
    EXPECT_TRUE(camera->isConnected());
}

TEST_F(IIDCCameraFailureTest, FailedCaptureSetUpBailsOutAtOnce) {
    simulated->setCaptureSetupFails(true);
    camera = std::make_unique<Dotfield::IIDCCamera>(std::nullopt, 1);
    camera->setErrorDuringFrameProcessingCallback([this] { ++callbacks; });
    camera->startCapture();
    expectFailedOnce();
    EXPECT_EQ(bus->callCount("dc1394_video_set_transmission"), 0U);
    EXPECT_EQ(bus->callCount("dc1394_capture_get_fileno"), 0U);
}

// A target that holds the frame until the test lets it go.
class BlockingTarget final : public Dotfield::IIDCFrameTarget {
  public:
    void newFrame(const Dotfield::IIDCFrame&) override {
        entered.set_value();
        release.get_future().wait();
    }
    std::promise<void> entered;
    std::promise<void> release;
};

TEST_F(IIDCCameraFailureTest, DisconnectWaitsForTheFrameInFlightAndDropsLaterOnes) {
    startCapturing();
    camera->removeAllTargets();
    auto blocking = std::make_shared<BlockingTarget>();
    camera->addTarget(blocking);
    auto entered = blocking->entered.get_future();
    ASSERT_EQ(simulated->emitFrames(1), 1U);
    ASSERT_EQ(entered.wait_for(5s), std::future_status::ready);

    auto disconnected = std::async(std::launch::async, [&] { camera->disconnect(); });
    EXPECT_EQ(disconnected.wait_for(50ms), std::future_status::timeout);
    // The disconnect has begun (on a loaded machine its thread may start late).
    ASSERT_TRUE(eventually([&] { return !camera->cameraShouldPoll(); }));
    simulated->emitFrames(1); // arrives while the camera is being disconnected
    EXPECT_EQ(bus->openHandleCount(), 1U) << "the camera is not freed under a frame in flight";

    blocking->release.set_value();
    ASSERT_EQ(disconnected.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(bus->openHandleCount(), 0U);
    EXPECT_EQ(bus->callCount("dc1394_capture_dequeue"), 1U) << "the later frame was not taken";
    EXPECT_FALSE(camera->isCaptureThreadRunning());
}

TEST_F(IIDCCameraFailureTest, ReleasingTheCameraWhileItCapturesDisconnectsIt) {
    simulated->setRealTime(true);
    startCapturing();
    ASSERT_TRUE(eventually([&] { return target->count() >= 2; }));
    camera.reset();
    EXPECT_EQ(bus->openHandleCount(), 0U);
    EXPECT_FALSE(simulated->isPowered());
    EXPECT_FALSE(simulated->isCaptureSetUp());
}

} // namespace
} // namespace DotfieldCameraTests
