#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <QApplication>

#include "Dotfield/Camera/Stages/LowPassFilter.hpp"
#include "Dotfield/Camera/UI/CameraSettingsWindow.hpp"
#include "Dotfield/Camera/UI/CameraSettingsWindowController.hpp"
#include "Dotfield/tests/Camera/UI/CameraWindowFixture.hpp"
#include "VTHUDFramework/Button/VTHUDButton.hpp"
#include "VTHUDFramework/Slider/VTHUDSlider.hpp"

namespace DotfieldCameraTests {
namespace {

using Controller = Dotfield::CameraSettingsWindowController;
using Simulators::SimulatedCameraKind;

class CameraSettingsTest : public CameraWindowFixture {
  protected:
    // The values sent to a feature of the simulated camera, in order.
    std::vector<std::int64_t> sentValues(dc1394feature_t feature) const {
        std::vector<std::int64_t> values;
        for (const auto& call : callsNamed({"dc1394_feature_set_value"})) {
            if (call.arguments.at(0) == feature) {
                values.push_back(call.arguments.at(1));
            }
        }
        return values;
    }

    Controller& settings() { return window->cameraSettingsWindowController(); }
};

TEST_F(CameraSettingsTest, NothingStoredGivesTheAutomaticPaneAndSendsZeros) {
    Controller fresh(defaults);
    EXPECT_TRUE(fresh.areAutomaticCameraSettingsShown());
    EXPECT_DOUBLE_EQ(fresh.targetLuminance(), 0.5);
    // Without a camera: zeros, empty ranges, disabled controls.
    EXPECT_EQ(fresh.gamma(), 0U);
    EXPECT_EQ(fresh.exposureMax(), 0U);
    EXPECT_DOUBLE_EQ(fresh.denoiseFilterStrength(), 0.0);
    fresh.setAreAutomaticCameraSettingsShown(false);
    auto* gamma = fresh.window().slider("Gamma");
    EXPECT_FALSE(gamma->isEnabled());
    EXPECT_EQ(gamma->maximum(), 0);
    grabToPNG(fresh.window(), "CameraSettings-noCamera");

    auto simulated = plugIn(SimulatedCameraKind::format7WithoutMode79);
    openWindow();
    ASSERT_TRUE(pumpUntil([&] { return window->cameraConnected(); }));
    // The writes are queued on the camera's queue before its capture start.
    ASSERT_TRUE(pumpUntil([&] { return simulated->isTransmitting(); }));
    EXPECT_EQ(sentValues(DC1394_FEATURE_BRIGHTNESS), (std::vector<std::int64_t>{0}));
    EXPECT_EQ(sentValues(DC1394_FEATURE_GAIN), (std::vector<std::int64_t>{0}));
    EXPECT_EQ(sentValues(DC1394_FEATURE_SHUTTER), (std::vector<std::int64_t>{0}));
    EXPECT_TRUE(sentValues(DC1394_FEATURE_EXPOSURE).empty());
    // The camera keeps its own gamma, saturation, sharpness and white balance.
    EXPECT_EQ(sentValues(DC1394_FEATURE_GAMMA),
              (std::vector<std::int64_t>{simulated->featureValue(DC1394_FEATURE_GAMMA)}));
    EXPECT_DOUBLE_EQ(window->denoiseFilter()->strength(), 0.0);
}

TEST_F(CameraSettingsTest, StoredValuesReturnInANewWindowAndBadOnesAreIgnored) {
    {
        Controller first(defaults);
        first.setGain(12);
        first.setBrightness(34);
        first.setExposure(56);
        first.setTargetLuminance(0.4);
        first.setAreAutomaticCameraSettingsShown(false);
        first.setGamma(700);
        first.setDenoiseFilterStrength(0.25);
    }
    Controller second(defaults);
    EXPECT_EQ(second.gain(), 12U);
    EXPECT_EQ(second.brightness(), 34U);
    EXPECT_EQ(second.exposure(), 56U);
    EXPECT_DOUBLE_EQ(second.targetLuminance(), 0.4);
    EXPECT_FALSE(second.areAutomaticCameraSettingsShown());
    EXPECT_EQ(defaults->integerForKey("gamma"), 700);
    EXPECT_EQ(defaults->doubleForKey("denoiseFilterStrength"), 0.25);

    defaults->setInteger(-1, "gain");
    defaults->setInteger(std::int64_t{1} << 33, "brightness");
    defaults->setInteger(4294967295, "exposure");
    defaults->setDouble(std::numeric_limits<double>::quiet_NaN(), "targetLuminance");
    Controller third(defaults);
    EXPECT_EQ(third.gain(), 0U);
    EXPECT_EQ(third.brightness(), 0U);
    EXPECT_EQ(third.exposure(), 4294967295U);
    EXPECT_DOUBLE_EQ(third.targetLuminance(), 0.5);

    // A denoise strength that is not a number or outside 0 to 1 is taken as 0.
    for (const double bad : {std::numeric_limits<double>::infinity(), 1.5, -0.1}) {
        defaults->setDouble(bad, "denoiseFilterStrength");
        auto simulated = plugIn();
        openWindow();
        ASSERT_TRUE(pumpUntil([&] { return window->cameraConnected(); }));
        EXPECT_DOUBLE_EQ(window->denoiseFilter()->strength(), 0.0) << bad;
        window.reset();
        bus->unplug(simulated);
    }
}

TEST_F(CameraSettingsTest, RangesAndTheExposureFeatureFollowTheCameraType) {
    struct Case {
        SimulatedCameraKind kind;
        Controller::CameraType type;
        double lighting;
        dc1394feature_t exposureFeature;
    };
    const Case cases[] = {
        {SimulatedCameraKind::vga, Controller::CameraType::unibrain, 20.0, DC1394_FEATURE_EXPOSURE},
        {SimulatedCameraKind::format7WithMode79, Controller::CameraType::flea2, 6.5, DC1394_FEATURE_SHUTTER},
        {SimulatedCameraKind::format7WithoutMode79, Controller::CameraType::blackfly, 6.5,
         DC1394_FEATURE_SHUTTER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        auto simulated = plugIn(c.kind);
        openWindow();
        ASSERT_TRUE(pumpUntil([&] { return window->cameraConnected(); }));
        EXPECT_EQ(settings().cameraType(), c.type);
        EXPECT_DOUBLE_EQ(settings().cameraLightingScaleFactor(), c.lighting);
        const auto camera = window->camera();
        if (c.type == Controller::CameraType::unibrain) {
            EXPECT_EQ(settings().brightnessMin(), 0U);
            EXPECT_EQ(settings().brightnessMax(), 511U);
            EXPECT_EQ(settings().gainMax(), camera->gainMax());
            EXPECT_EQ(settings().exposureMax(), camera->exposureMax());
        } else {
            EXPECT_EQ(settings().gainMin(), 0U);
            EXPECT_EQ(settings().gainMax(), 1024U);
            EXPECT_EQ(settings().brightnessMax(), camera->brightnessMax());
            EXPECT_EQ(settings().exposureMax(), camera->shutterMax());
        }
        // The custom pane's exposure slider drives the feature.
        settings().setAreAutomaticCameraSettingsShown(false);
        settings().showWindow();
        auto* slider = settings().window().slider("Exposure");
        ASSERT_TRUE(slider->isEnabled());
        EXPECT_EQ(slider->maximum(), static_cast<int>(settings().exposureMax()));
        slider->setValue(77);
        EXPECT_TRUE(pumpUntil([&] { return simulated->featureValue(c.exposureFeature) == 77U; }));
        EXPECT_EQ(defaults->integerForKey("exposure"), 77);
        settings().setAreAutomaticCameraSettingsShown(true);
        window.reset();
        bus->unplug(simulated);
    }
}

TEST_F(CameraSettingsTest, WhiteBalanceHalvesKeepEachOther) {
    auto simulated = plugIn();
    openWindow();
    ASSERT_TRUE(pumpUntil([&] { return window->cameraConnected(); }));
    settings().setWhiteBalanceBlue(100);
    settings().setWhiteBalanceRed(900);
    EXPECT_EQ(settings().whiteBalanceBlue(), 100U);
    EXPECT_EQ(settings().whiteBalanceRed(), 900U);
}

TEST_F(CameraSettingsTest, APaneSwitchKeepsTheTopEdgeAndPutsThePaneUnderIt) {
    auto simulated = plugIn();
    openWindow();
    ASSERT_TRUE(pumpUntil([&] { return window->cameraConnected(); }));
    window->settingsItem()->trigger();
    auto& shown = settings().window();
    ASSERT_TRUE(shown.isVisible());
    mainThread.pump().runPending();
    QApplication::processEvents();
    const QRect automatic = shown.geometry();
    EXPECT_TRUE(shown.automaticCameraControls()->isVisible());
    EXPECT_EQ(shown.automaticCameraControls()->y(), Dotfield::CameraSettingsWindow::paneTop);
    grabToPNG(shown, "CameraSettings-automatic");

    shown.automaticSwitch()->click();
    EXPECT_FALSE(settings().areAutomaticCameraSettingsShown());
    EXPECT_EQ(defaults->boolForKey("areAutomaticCameraSettingsShown"), false);
    const QRect custom = shown.geometry();
    EXPECT_EQ(custom.top(), automatic.top());
    EXPECT_EQ(custom.height() - automatic.height(),
              shown.customCameraControls()->height() - shown.automaticCameraControls()->height());
    EXPECT_TRUE(shown.customCameraControls()->isVisible());
    EXPECT_FALSE(shown.automaticCameraControls()->isVisible());
    EXPECT_EQ(shown.customCameraControls()->y(), Dotfield::CameraSettingsWindow::paneTop);
    // The sliders show the camera's values.
    EXPECT_EQ(shown.valueText("Gamma"), QString::number(simulated->featureValue(DC1394_FEATURE_GAMMA)));
    const QImage image = grabToPNG(shown, "CameraSettings-custom");
    EXPECT_EQ(image.height(), custom.height());

    shown.automaticSwitch()->click();
    EXPECT_EQ(shown.geometry(), automatic);
}

} // namespace
} // namespace DotfieldCameraTests
