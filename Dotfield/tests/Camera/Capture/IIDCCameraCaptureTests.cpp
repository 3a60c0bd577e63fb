#include <gtest/gtest.h>

#include "Dotfield/tests/Camera/Capture/CaptureFixture.hpp"

namespace DotfieldCameraTests {
namespace {

using namespace std::chrono_literals;

class IIDCCameraCaptureTest : public CaptureFixture {};

TEST_F(IIDCCameraCaptureTest, AtSixtyFramesASecondTargetsGetTheCameraFramesConvertedAndStopLeavesNothingOpen) {
    simulated->setRealTime(true);
    startCapturing();
    ASSERT_TRUE(eventually([&] { return target->count() >= 12; }));
    simulated->setRealTime(false);
    ASSERT_TRUE(
        eventually([&] { return simulated->framesWaiting() == 0 && simulated->buffersHeldByHost() == 0; }));
    camera->stopCapture();
    ASSERT_TRUE(eventually([&] { return !simulated->isCaptureSetUp(); }));
    EXPECT_TRUE(eventually([&] { return !camera->isCaptureThreadRunning(); }))
        << "the capture thread ends with capture";

    const auto frames = target->frames();
    for (const auto& frame : frames) {
        EXPECT_EQ(frame.width, 640U);
        EXPECT_EQ(frame.height, 480U);
        ASSERT_EQ(frame.bytes->size(), 640U * 480U * 4U);
    }
    // Every frame carries its own noise: the last one shown is the last one the
    // camera sent, byte for byte.
    std::optional<std::vector<std::uint8_t>> lastSent;
    for (std::uint64_t sequence = simulated->framesEmitted(); sequence > 0 && !lastSent; --sequence) {
        lastSent = simulated->frameBytes(sequence);
    }
    ASSERT_TRUE(lastSent);
    EXPECT_EQ(*frames.back().bytes, pixelsOf(*lastSent));
    EXPECT_EQ(bus->callCount("dc1394_capture_setup"), 1U);
    const auto setup = bus->calls();
    for (const auto& call : setup) {
        if (call.function == "dc1394_capture_setup") {
            EXPECT_EQ(call.arguments, (std::vector<std::int64_t>{50, DC1394_CAPTURE_FLAGS_DEFAULT}));
        }
    }

    camera->disconnect();
    EXPECT_EQ(simulated->buffersHeldByHost(), 0U);
    EXPECT_EQ(bus->openHandleCount(), 0U);
    EXPECT_FALSE(simulated->isPowered());
    EXPECT_FALSE(simulated->isTransmitting());
    EXPECT_FALSE(camera->isCaptureThreadRunning());
    EXPECT_EQ(callbacks.load(), 0);
}

TEST_F(IIDCCameraCaptureTest, OfFiveWaitingFramesTheFirstProcessedHasTwoBehindIt) {
    startCapturing();
    ASSERT_EQ(simulated->emitFrames(5), 5U);
    ASSERT_TRUE(eventually([&] { return target->count() == 3; }));
    const auto frames = target->frames();
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(*frames[i].bytes, pixelsOf(*simulated->frameBytes(3 + i))) << "frame " << i;
    }
    EXPECT_EQ(bus->callCount("dc1394_capture_enqueue"), 5U);
    EXPECT_EQ(simulated->buffersHeldByHost(), 0U);
}

TEST_F(IIDCCameraCaptureTest, FrameSmallerThanTheFrameSizeGoesBackUndelivered) {
    startCapturing();
    camera->setFrameSize({644, 482});
    camera->reallocateFrameBuffer();
    ASSERT_EQ(simulated->emitFrames(1), 1U);
    ASSERT_TRUE(eventually([&] { return bus->callCount("dc1394_capture_enqueue") == 1; }));
    EXPECT_EQ(target->count(), 0U);
    EXPECT_EQ(simulated->buffersHeldByHost(), 0U);

    camera->setFrameSize({640, 480});
    deliverOneFrame();
}

TEST_F(IIDCCameraCaptureTest, SecondStartDoesNotCaptureAgain) {
    startCapturing();
    camera->startCapture();
    deliverOneFrame();
    EXPECT_EQ(bus->callCount("dc1394_capture_setup"), 1U);
    camera->stopCapture();
    ASSERT_TRUE(eventually([&] { return !camera->isCaptureThreadRunning(); }));
    camera->startCapture();
    EXPECT_TRUE(camera->isConnected());
    EXPECT_EQ(bus->callCount("dc1394_capture_setup"), 1U);
    EXPECT_FALSE(camera->isCaptureThreadRunning());
}

TEST_F(IIDCCameraCaptureTest, FrameTimesFollowTheClockFromZeroAtTimescale600) {
    auto clock = std::make_shared<Dotfield::ManualClock>();
    startCapturing({clock, 100ms});
    deliverOneFrame();
    clock->advance(500ms);
    deliverOneFrame();
    clock->advance(250ms);
    deliverOneFrame();
    const auto frames = target->frames();
    EXPECT_EQ(frames[0].time, (Dotfield::FrameTime{0, 600}));
    EXPECT_EQ(frames[1].time, (Dotfield::FrameTime{300, 600}));
    EXPECT_EQ(frames[2].time, (Dotfield::FrameTime{450, 600}));
    EXPECT_EQ(camera->currentFrameTime(), (Dotfield::FrameTime{450, 600}));
}

TEST_F(IIDCCameraCaptureTest, CountsFramesForTheFrameRatePrintAndTheBenchmark) {
    auto clock = std::make_shared<Dotfield::ManualClock>();
    startCapturing({clock, 100ms});
    camera->setLogFPS(true);
    camera->setRunBenchmark(true);
    testing::internal::CaptureStdout();
    for (int i = 1; i <= 5; ++i) {
        clock->advance(250ms);
        deliverOneFrame();
        // Counted after delivery: the clock moves on only once this frame is.
        ASSERT_TRUE(eventually([&] { return camera->numberOfFramesCaptured() == i; }));
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "FPS: 4\n");
    EXPECT_GE(camera->totalFrameTimeDuringCapture(), 0.0);
}

class IIDCCameraFourOneOneTest : public SimulatedCameraFixture {};

TEST_F(IIDCCameraFourOneOneTest, VGAFourOneOneFramesArriveAsTheConversionOfTheirExpansion) {
    auto simulated = plugIn(Simulators::SimulatedCameraKind::vga);
    ASSERT_EQ(simulated->setVideoMode(DC1394_VIDEO_MODE_640x480_YUV411), DC1394_SUCCESS);
    auto target = std::make_shared<RecordingTarget>();
    {
        Dotfield::IIDCCamera camera(std::nullopt, 1, {});
        camera.setColorspace(DC1394_COLOR_CODING_YUV411);
        camera.setFrameSize({640, 480});
        camera.reallocateFrameBuffer();
        ASSERT_EQ(camera.frameBufferSize(), 614400U);
        camera.addTarget(target);
        camera.startCapture();
        ASSERT_TRUE(eventually([&] { return simulated->isTransmitting(); }));
        ASSERT_EQ(simulated->emitFrames(1), 1U);
        ASSERT_TRUE(eventually([&] { return target->count() == 1; }));
        camera.disconnect();
    }
    const auto sent = simulated->frameBytes(1);
    ASSERT_TRUE(sent);
    ASSERT_EQ(sent->size(), 640U * 480U * 3U / 2U);
    std::vector<std::uint8_t> yuv422(614400);
    ASSERT_TRUE(Dotfield::expandYUV411ToYUV422(sent->data(), sent->size(), yuv422.data(), yuv422.size(),
                                               640 * 480));
    const auto frame = target->frames().front();
    EXPECT_EQ(frame.width, 640U);
    EXPECT_EQ(frame.height, 480U);
    EXPECT_EQ(*frame.bytes, pixelsOf(yuv422));
}

} // namespace
} // namespace DotfieldCameraTests
