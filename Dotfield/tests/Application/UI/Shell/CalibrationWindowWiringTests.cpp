// The dispenser diagnostics, topography and motion test windows plugged into
// the shell by their own registrations, on the simulated instrument: the
// status poll feeds the diagnostics, a new pattern receives the topography
// map only while correction is on, and the menu's motion test asks for its
// confirmation first.

#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QMenu>

#include <gtest/gtest.h>

#include "Dotfield/Application/UI/Shell/MainWindow.hpp"
#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"
#include "Dotfield/Calibration/UI/DispenserDiagnosticsController.hpp"
#include "Dotfield/Calibration/UI/TopographyMappingWindowController.hpp"
#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"
#include "Dotfield/tests/Application/ShellFixture.hpp"
#include "Dotfield/tests/Support/TestFiles.hpp"

namespace Dotfield {

void registerDispenserDiagnosticsWindow(OperatorWindowRegistration& registration);
void registerTopographyMapWindow(OperatorWindowRegistration& registration);
void registerPerformanceTestingWindow(OperatorWindowRegistration& registration);

namespace {

template <typename Window> Window* topLevel(const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name) {
            return dynamic_cast<Window*>(widget);
        }
    }
    return nullptr;
}

class CalibrationWindowWiring : public ShellFixture {
  protected:
    void SetUp() override {
        // The application's files go to a folder of the test's own.
        setenv("XDG_DATA_HOME", data.c_str(), 1);
        std::filesystem::create_directories(data / "Dotfield");
        testing::writeText(data / "Dotfield" / "topographymap.csv", "0.0,0.0,10.0\n1000.0,0.0,12.0\n");
        ShellFixture::SetUp();
        beforeLaunch = [this](AppDelegate& made) {
            OperatorWindowRegistration registration{made.windows(), mainWindow, recentMenu};
            registerDispenserDiagnosticsWindow(registration);
            registerTopographyMapWindow(registration);
            registerPerformanceTestingWindow(registration);
        };
        launch();
    }
    void TearDown() override {
        ShellFixture::TearDown();
        unsetenv("XDG_DATA_HOME");
    }

    std::filesystem::path data = testing::freshTestFolder("CalibrationWindowWiring");
    MainWindow mainWindow{true};
    QMenu recentMenu;
};

TEST_F(CalibrationWindowWiring, ThePollFeedsTheDiagnosticsAndPatternsReceiveTheMapWhileCorrecting) {
    auto* diagnostics = topLevel<DispenserDiagnosticsController>("DispenserDiagnosticsController");
    ASSERT_NE(diagnostics, nullptr);
    EXPECT_EQ(diagnostics->electronics(), delegate->electronics());
    EXPECT_TRUE(pumpUntil([&] { return diagnostics->history().sampleCount() >= 3; }));

    auto* topography = topLevel<TopographyMappingWindowController>("TopographyMappingWindowController");
    ASSERT_NE(topography, nullptr);
    const auto map = delegate->updateParametersOnNewPattern().topographyMap;
    ASSERT_TRUE(map);
    EXPECT_EQ(map->grid().front().size(), 2U);
    topography->setShouldCorrectBasedOnTopographyMap(false);
    EXPECT_FALSE(delegate->updateParametersOnNewPattern().topographyMap);
}

TEST_F(CalibrationWindowWiring, TheMenusMotionTestAsksFirstAndMovesNothingWhenDeclined) {
    alerts->setResponder([](const ErrorAlertContent&) { return AlertResponse::alternateButton; });
    const auto before = positionerCommands().size();
    EXPECT_TRUE(delegate->performMenuCommand("showPerformanceTesting:"));
    ASSERT_FALSE(alerts->shownAlerts().empty());
    EXPECT_EQ(alerts->shownAlerts().back().messageText, "Beginning system test.");
    auto* window = topLevel<QWidget>("AutomatedTestingWindowController");
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(positionerCommands().size(), before);
}

} // namespace
} // namespace Dotfield
