// The camera window plugged into the shell, on a simulated FireWire bus: made
// and shown at launch, closed with the other windows, and at the end of the
// run its set-up stopped and its camera released.

#include <memory>

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include "Dotfield/Application/UI/Shell/MainMenu.hpp"
#include "Dotfield/Application/UI/Shell/MainWindow.hpp"
#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"
#include "Dotfield/Application/Windows/OperatorWindowRegistry.hpp"
#include "Dotfield/Camera/IIDC/IIDCBackendSelection.hpp"
#include "Dotfield/Camera/UI/CameraWindowController.hpp"
#include "Dotfield/Camera/UI/RenderView.hpp"
#include "Dotfield/tests/Application/ShellFixture.hpp"
#include "simulators/camera/SimulatedIIDCBus.hpp"

namespace Dotfield {
void registerCameraWindow(OperatorWindowRegistration& registration);
} // namespace Dotfield

using namespace Dotfield;

namespace {

class CameraWindowInTheShell : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        bus = std::make_shared<Simulators::SimulatedIIDCBus>();
        simulated = bus->plugIn(Simulators::SimulatedCameraKind::format7WithoutMode79, 0x00B09D0100A1B2C3ULL, 0);
        ASSERT_TRUE(setIIDCBackend(bus));
        beforeLaunch = [this](AppDelegate& made) {
            window = std::make_unique<MainWindow>(true);
            menu = std::make_unique<MainMenu>(*window, made);
            OperatorWindowRegistration registration{made.windows(), *window, menu->openRecentMenu()};
            registerCameraWindow(registration);
        };
    }
    void TearDown() override {
        ShellFixture::TearDown();
        menu.reset();
        window.reset();
        EXPECT_TRUE(setIIDCBackend(nullptr)) << "the camera was left open";
    }

    static CameraWindowController* cameraWindow() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<CameraWindowController*>(widget)) {
                return found;
            }
        }
        return nullptr;
    }

    std::shared_ptr<Simulators::SimulatedIIDCBus> bus;
    std::shared_ptr<Simulators::SimulatedIIDCCamera> simulated;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MainMenu> menu;
};

TEST_F(CameraWindowInTheShell, IsShownAtLaunchClosedWithTheOthersAndLetsTheCameraGoAtTheEnd) {
    launch();
    ASSERT_TRUE(delegate->windows().exists(OperatorWindow::camera));
    CameraWindowController* camera = cameraWindow();
    ASSERT_NE(camera, nullptr);
    EXPECT_TRUE(camera->isVisible());
    ASSERT_TRUE(pumpUntil([&] { return camera->cameraConnected() && simulated->isTransmitting(); }));
    simulated->emitFrames(1);
    ASSERT_TRUE(pumpUntil([&] { return camera->videoView()->framesShown() > 0; }));

    delegate->closeOperatorWindows();
    EXPECT_FALSE(camera->isVisible());
    EXPECT_TRUE(camera->camera()) << "closing the window keeps the camera";

    delegate->shutDown();
    EXPECT_EQ(bus->openHandleCount(), 0U);
    const std::size_t searches = bus->callCount("dc1394_camera_enumerate");
    bus->unplug(simulated);
    EXPECT_EQ(bus->callCount("dc1394_camera_enumerate"), searches) << "no set-up after the end";
}

} // namespace
