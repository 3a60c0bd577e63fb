#include <gtest/gtest.h>

#include "Dotfield/Camera/Capture/IIDCCamera.hpp"
#include "Dotfield/Camera/IIDC/IIDCCameraError.hpp"
#include "Dotfield/tests/Camera/SimulatedCameraFixture.hpp"

namespace DotfieldCameraTests {
namespace {

using Dotfield::IIDCCamera;
using Dotfield::IIDCCameraError;
using Simulators::SimulatedCameraKind;

class IIDCCameraInitTest : public SimulatedCameraFixture {};

TEST_F(IIDCCameraInitTest, OpensTheFirstCameraPoweredWithEveryFeatureManualAndItsBoundsRead) {
    const auto first = plugIn(SimulatedCameraKind::format7WithoutMode79, 0xA1);
    const auto second = plugIn(SimulatedCameraKind::vga, 0xB2);
    testing::internal::CaptureStdout();
    IIDCCamera camera(std::nullopt, 1);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.rfind("Camera: 0x", 0), 0U) << printed;
    EXPECT_EQ(printed.back(), '\n');

    EXPECT_TRUE(first->isPowered());
    EXPECT_FALSE(second->isPowered());
    const auto profile =
        Simulators::SimulatedCameraProfile::of(SimulatedCameraKind::format7WithoutMode79, 0xA1);
    for (const auto& feature : profile.features) {
        SCOPED_TRACE(feature.id);
        EXPECT_EQ(first->featureMode(feature.id), DC1394_FEATURE_MODE_MANUAL);
        EXPECT_EQ(camera.boundaries(feature.id).min, feature.min);
        EXPECT_EQ(camera.boundaries(feature.id).max, feature.max);
    }
    EXPECT_EQ(camera.gainMax(), profile.features.back().max);
    EXPECT_EQ(camera.orientation(), 1);
    EXPECT_EQ(camera.frameBufferSize(), 0U) << "the staging buffer waits for a frame size";
}

TEST_F(IIDCCameraInitTest, IdentifierPicksGuidAndUnitTogether) {
    plugIn(SimulatedCameraKind::format7WithoutMode79, 0xA1, 0);
    const auto wanted = plugIn(SimulatedCameraKind::vga, 0xB2, 1);

    IIDCCamera camera(dc1394camera_id_t{1, 0xB2}, 1);
    EXPECT_TRUE(wanted->isPowered());
    camera.disconnect();

    testing::internal::CaptureStdout();
    try {
        IIDCCamera other(dc1394camera_id_t{0, 0xB2}, 1);
        ADD_FAILURE() << "a unit that is not attached opened a camera";
    } catch (const IIDCCameraError& error) {
        EXPECT_EQ(error.kind(), Dotfield::IIDCCameraErrorKind::noMatchingDevice);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Camera: nil\n");
    EXPECT_EQ(bus->openHandleCount(), 0U);
}

TEST_F(IIDCCameraInitTest, UnreadableFeatureSetFailsWithCameraDisconnectedAndFreesTheHandle) {
    plugIn()->setFeatureGetAllFails(true);
    try {
        IIDCCamera camera(std::nullopt, 1);
        ADD_FAILURE() << "the initialiser succeeded";
    } catch (const IIDCCameraError& error) {
        EXPECT_EQ(error.kind(), Dotfield::IIDCCameraErrorKind::cameraDisconnected);
    }
    EXPECT_EQ(bus->callCount("dc1394_camera_new"), 1U);
    EXPECT_EQ(bus->openHandleCount(), 0U);
}

TEST_F(IIDCCameraInitTest, TellsTheFormat7CameraWithoutMode79Apart) {
    const struct {
        SimulatedCameraKind kind;
        bool blackfly;
    } cases[] = {{SimulatedCameraKind::format7WithoutMode79, true},
                 {SimulatedCameraKind::format7WithMode79, false},
                 {SimulatedCameraKind::vga, false}};
    for (const auto& c : cases) {
        const auto simulated = plugIn(c.kind, 0x77);
        IIDCCamera camera(std::nullopt, 1);
        EXPECT_EQ(camera.isBlackflyCamera(), c.blackfly) << static_cast<int>(c.kind);
        camera.disconnect();
        bus->unplug(simulated);
    }
}

TEST_F(IIDCCameraInitTest, DisconnectPowersOffAndFreesOnceAndLaterWorkDoesNothing) {
    const auto simulated = plugIn();
    IIDCCamera camera(std::nullopt, 1);
    camera.stopCapture(); // before any start: nothing happens
    camera.disconnect();
    camera.disconnect();
    camera.startCapture();
    camera.stopCapture();
    EXPECT_FALSE(camera.isConnected());
    EXPECT_FALSE(simulated->isPowered());
    EXPECT_EQ(bus->callCount("dc1394_camera_free"), 1U);
    EXPECT_EQ(bus->callCount("dc1394_capture_stop"), 0U);
    EXPECT_EQ(bus->callCount("dc1394_capture_setup"), 0U);
    EXPECT_FALSE(camera.isCaptureThreadRunning());
}

} // namespace
} // namespace DotfieldCameraTests
