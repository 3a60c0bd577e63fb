#include <gtest/gtest.h>

#include "Dotfield/tests/Camera/Capture/CaptureFixture.hpp"

namespace DotfieldCameraTests {
namespace {

class RegionCaptureTest : public CaptureFixture {};

// Frames captured after a region change are the size the camera reports,
// whole, including a region whose width is not a whole number of pixels.
TEST_F(RegionCaptureTest, FramesAfterARegionChangeAreDeliveredWhole) {
    const Dotfield::IIDCCamera::Region regions[] = {{320, 240, 640, 480}, {10.5, 240, 639.6, 480}};
    for (const auto& region : regions) {
        SCOPED_TRACE(region.width);
        target = std::make_shared<RecordingTarget>();
        camera = std::make_unique<Dotfield::IIDCCamera>(std::nullopt, 1, Dotfield::IIDCCamera::Timing{});
        camera->setVideoMode(DC1394_VIDEO_MODE_FORMAT7_0);
        camera->setRegionOfInterest(region);
        camera->addTarget(target);
        camera->startCapture();
        ASSERT_TRUE(eventually([&] { return simulated->isTransmitting(); }));
        for (int i = 0; i < 3; ++i) {
            deliverOneFrame();
        }
        const auto size = camera->frameSize();
        const auto [cameraWidth, cameraHeight] = simulated->imageSize();
        EXPECT_EQ(size.width, static_cast<float>(cameraWidth));
        EXPECT_EQ(size.height, static_cast<float>(cameraHeight));
        for (const auto& frame : target->frames()) {
            EXPECT_EQ(frame.width, cameraWidth);
            EXPECT_EQ(frame.height, cameraHeight);
            EXPECT_EQ(frame.bytes->size(), std::size_t{frame.width} * frame.height * 4);
        }
        camera.reset();
    }
}

} // namespace
} // namespace DotfieldCameraTests
