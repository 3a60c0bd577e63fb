#include <gtest/gtest.h>

#include "Dotfield/Camera/Capture/IIDCCamera.hpp"
#include "Dotfield/Camera/IIDC/IIDCBackendSelection.hpp"
#include "Dotfield/Camera/IIDC/IIDCCameraError.hpp"
#include "Dotfield/tests/Camera/SimulatedCameraFixture.hpp"

namespace DotfieldCameraTests {
namespace {

using Dotfield::IIDCCamera;
using Dotfield::IIDCCameraError;
using Kind = Dotfield::IIDCCameraErrorKind;
using Simulators::SimulatedCameraKind;

template <typename F> Kind errorOf(F&& work) {
    try {
        work();
    } catch (const IIDCCameraError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "no IIDCCameraError was thrown";
    return Kind::cameraDisconnected;
}

TEST(IIDCContextOnLibdc1394, WithoutAttachedCameraTheInitialiserThrowsNoDevicesConnectedAndPrintsNothing) {
    ASSERT_TRUE(Dotfield::setIIDCBackend(nullptr));
    testing::internal::CaptureStdout();
    const Kind kind = errorOf([] { IIDCCamera camera(std::nullopt, 1); });
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(kind, Kind::noDevicesConnected);
}

class IIDCContextTest : public SimulatedCameraFixture {};

TEST_F(IIDCContextTest, ListsCamerasInBusOrderAndAlwaysReleasesTheList) {
    const auto context = Dotfield::sharedIIDCContext();
    ASSERT_TRUE(context);
    EXPECT_TRUE(context->cameraIDs().empty());

    plugIn(SimulatedCameraKind::format7WithoutMode79, 0x1111, 0);
    plugIn(SimulatedCameraKind::vga, 0x2222, 1);
    const auto ids = context->cameraIDs();
    ASSERT_EQ(ids.size(), 2U);
    EXPECT_EQ(ids[0].guid, 0x1111U);
    EXPECT_EQ(ids[0].unit, 0U);
    EXPECT_EQ(ids[1].guid, 0x2222U);
    EXPECT_EQ(ids[1].unit, 1U);
    EXPECT_EQ(bus->callCount("dc1394_camera_free_list"), 2U);
    EXPECT_EQ(bus->openCameraListCount(), 0U);
}

TEST_F(IIDCContextTest, CamerasShareOneContextMadeOnceWithWarningsSilenced) {
    plugIn();
    {
        IIDCCamera first(std::nullopt, 1);
        first.disconnect();
        IIDCCamera second(std::nullopt, 1);
        second.disconnect();
        IIDCCamera third(std::nullopt, 1);
    }
    EXPECT_EQ(bus->contextsCreated(), 1U);
    EXPECT_EQ(bus->callCount("dc1394_log_register_handler"), 1U);
    EXPECT_EQ(bus->openHandleCount(), 0U);
    EXPECT_EQ(Dotfield::sharedIIDCContext(), Dotfield::sharedIIDCContext());
}

TEST_F(IIDCContextTest, ContextThatCannotBeMadeReadsAsNoDevicesAndIsTriedAgain) {
    plugIn();
    bus->setNewContextFails(true);
    EXPECT_EQ(errorOf([] { IIDCCamera camera(std::nullopt, 1); }), Kind::noDevicesConnected);
    EXPECT_EQ(errorOf([] { IIDCCamera camera(std::nullopt, 1); }), Kind::noDevicesConnected);
    EXPECT_EQ(bus->callCount("dc1394_new"), 2U);

    bus->setNewContextFails(false);
    IIDCCamera camera(std::nullopt, 1);
    EXPECT_TRUE(camera.isConnected());
    EXPECT_EQ(bus->contextsCreated(), 1U);
}

TEST_F(IIDCContextTest, BackendCannotBeSwitchedWhileACameraIsOpen) {
    plugIn();
    auto camera = std::make_unique<IIDCCamera>(std::nullopt, 1);
    EXPECT_FALSE(Dotfield::setIIDCBackend(nullptr));
    camera->disconnect();
    EXPECT_TRUE(Dotfield::setIIDCBackend(std::make_shared<Simulators::SimulatedIIDCBus>()))
        << "a disconnected camera holds no handle";
    EXPECT_EQ(bus->openContextCount(), 1U) << "the camera object still holds its context";
    camera.reset();
    EXPECT_EQ(bus->openContextCount(), 0U) << "the old context is freed once nothing holds it";
}

} // namespace
} // namespace DotfieldCameraTests
