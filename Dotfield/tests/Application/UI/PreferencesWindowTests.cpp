// The preferences window's speeds, safety values and panes through its
// widgets, offscreen, on the simulated instrument.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include "Dotfield/tests/Application/UI/PreferencesWindowFixture.hpp"

namespace Dotfield::testing {
namespace {

using Command = Simulators::SimulatedSmartMotorBus::Command;

struct IIbPreferences : PreferencesWindowFixture {
    IIbPreferences() : PreferencesWindowFixture("IIb") {}
};
struct IIaPreferences : PreferencesWindowFixture {
    IIaPreferences() : PreferencesWindowFixture("IIa") {}
};
struct ProtoPreferences : PreferencesWindowFixture {
    ProtoPreferences() : PreferencesWindowFixture("Proto") {}
};
struct DesktopPreferences : PreferencesWindowFixture {
    DesktopPreferences() : PreferencesWindowFixture("Desktop") {}
};

void clickItem(PreferencesWindowController& window, int tag) {
    QTest::mouseClick(window.preferencesToolbar()->widgetForAction(window.toolbarItem(tag)), Qt::LeftButton);
}

TEST_F(IIbPreferences, AManualSpeedIsStoredAsAWholeTripleAndSentToItsAxisAPrintingSpeedIsOnlyStored) {
    EXPECT_EQ(field("manualSpeedY").text(), "100000");
    EXPECT_EQ(field("patternPrintingSpeedZ").text(), "10000");
    type("manualSpeedY", "2500");
    waitForRobotQueue();
    EXPECT_EQ(store->axisValues("manualMovementVelocity", true), (AxisValues{100000, 2500, 100000}));
    EXPECT_EQ(robot->manualPositioningVelocities(), (AxisValues{100000, 2500, 100000}));
    // 2500 in the IIb's velocity units, to the Y motor alone.
    EXPECT_EQ(bus->transcript(), (std::vector<Command>{{1, "VT", 8192}}));

    bus->clearTranscript();
    type("patternPrintingSpeedY", "2500");
    type("manualAccelerationZ", "50000");
    waitForRobotQueue();
    EXPECT_EQ(store->axisValues("automatedMovementVelocity", true), (AxisValues{1000, 2500, 10000}));
    EXPECT_EQ(robot->patternPrintingVelocities(), (AxisValues{1000, 2500, 10000}));
    EXPECT_EQ(store->axisValues("manualMovementAcceleration", true), (AxisValues{100000, 100000, 50000}));
    const auto sent = bus->transcript();
    ASSERT_FALSE(sent.empty());
    for (const Command& command : sent) {
        EXPECT_EQ(command.motor, 2) << command.command << " only the acceleration goes out";
    }
    EXPECT_TRUE(errors().empty());
}

TEST_F(IIbPreferences, RefusedEntriesShowTheValueInForceAndChangeNothing) {
    struct Case {
        const char* field;
        const char* text;
        const char* shown;
    };
    const Case cases[] = {
        {"manualSpeedY", "abc", "100000"},
        {"manualSpeedY", "", "100000"},
        {"manualSpeedY", "0", "100000"},
        {"manualSpeedY", "-5", "100000"},
        {"manualAccelerationX", "inf", "100000"},
        {"patternPrintingSpeedX", "nan", "1000"},
        {"patternPrintingAccelerationZ", "1e999", "100000"},
        {"manualSpeedZ", "12 ", "100000"},
        {"printingRetractionDistance", "-1", "200"},
        {"printingRetractionDistance", "x", "200"},
        {"safePickupHeight", "abc", "60000"},
    };
    for (const Case& entry : cases) {
        type(entry.field, entry.text);
        waitForRobotQueue();
        EXPECT_EQ(field(entry.field).text(), entry.shown) << entry.field << " " << entry.text;
    }
    for (const char* key : {"manualMovementVelocityForY", "manualMovementAccelerationForX",
                            "automatedMovementVelocityForX", "automatedMovementAccelerationForZ",
                            "manualMovementVelocityForZ", "patternPickupDistance", "safePickupHeight"}) {
        EXPECT_FALSE(store->object(key).has_value()) << key;
    }
    EXPECT_EQ(robot->manualPositioningVelocities(), (AxisValues{100000, 100000, 100000}));
    EXPECT_EQ(robot->patternPickupDistance(), 200.0);
    EXPECT_TRUE(bus->transcript().empty());
}

TEST_F(IIbPreferences, AFailingSpeedCommandReachesTheErrorHandlerOnceAndTheValueStays) {
    robot->disconnectFromSerialPort();
    type("manualSpeedX", "3000");
    waitForRobotQueue();
    EXPECT_EQ(errors().size(), 1U);
    EXPECT_EQ(robot->manualPositioningVelocities().x, 3000.0);
    EXPECT_EQ(store->doubleForKey("manualMovementVelocityForX"), 3000.0);
}

TEST_F(IIbPreferences, PickupDistanceAndTheSwitchesAreStored) {
    clickItem(*window, PreferencesWindowController::safetyValuesTag);
    type("printingRetractionDistance", "0");
    EXPECT_EQ(store->doubleForKey("patternPickupDistance"), 0.0);
    type("printingRetractionDistance", "350.5");
    EXPECT_EQ(robot->patternPickupDistance(), 350.5);
    EXPECT_EQ(store->doubleForKey("patternPickupDistance"), 350.5);

    auto* slower = window->findChild<QCheckBox*>("useSlowerApproach");
    auto* reset = window->findChild<QCheckBox*>("resetSavedPositionHeight");
    ASSERT_TRUE(slower && reset);
    EXPECT_FALSE(slower->isChecked());
    QTest::mouseClick(slower, Qt::LeftButton);
    EXPECT_TRUE(robot->shouldUseSlowApproachDuringSurfaceFinding());
    EXPECT_EQ(store->boolForKey("shouldSlowSurfaceApproach"), true);
    QTest::mouseClick(reset, Qt::LeftButton);
    QTest::mouseClick(reset, Qt::LeftButton);
    EXPECT_FALSE(robot->shouldResetSavedHeightsOnDispenserDisconnection());
    EXPECT_EQ(store->boolForKey("shouldResetSavedPositionHeightsOnNewDispenserConnection"), false);
    EXPECT_GT(saveScreenshot("PreferencesWindowController-safety", *window->safetyValuesView()), 50);
}

TEST_F(IIaPreferences, ASafeHeightBelowTheModelsDefaultIsRaisedAndShownAsStored) {
    type("safePickupHeight", "5000");
    EXPECT_EQ(robot->safePickupHeight(), 30000.0);
    EXPECT_EQ(store->doubleForKey("safePickupHeight"), 30000.0);
    EXPECT_EQ(field("safePickupHeight").text(), "30000");
    type("safePickupHeight", "45000.5");
    EXPECT_EQ(store->doubleForKey("safePickupHeight"), 45000.5);
    EXPECT_EQ(field("safePickupHeight").text(), "45001");
}

TEST_F(ProtoPreferences, TheCurrentPositionBelowTheDefaultStoresAndShowsTheDefault) {
    robot->setCurrentCoordinate({1000, 2000, 250.6});
    ASSERT_TRUE(window->useCurrentPositionButton()->isEnabled());
    QTest::mouseClick(window->useCurrentPositionButton(), Qt::LeftButton);
    EXPECT_EQ(robot->safePickupHeight(), 40000.0);
    EXPECT_EQ(store->doubleForKey("safePickupHeight"), 40000.0);
    EXPECT_EQ(field("safePickupHeight").text(), "40000");
    robot->setCurrentCoordinate({1000, 2000, 52000.5});
    QTest::mouseClick(window->useCurrentPositionButton(), Qt::LeftButton);
    EXPECT_EQ(store->doubleForKey("safePickupHeight"), 52000.5);
    EXPECT_EQ(field("safePickupHeight").text(), "52001");
}

TEST_F(IIbPreferences, TheToolbarSwitchesPanesKeepingTheTopEdgeAndNamingThePane) {
    EXPECT_EQ(window->previouslyDisplayedView(), window->motorSpeedsView());
    EXPECT_TRUE(window->toolbarItem(PreferencesWindowController::motorSpeedsTag)->isChecked());
    EXPECT_EQ(window->toolbarItem(PreferencesWindowController::motorSpeedsTag)->objectName(), "MotorSpeeds");
    EXPECT_GT(saveScreenshot("PreferencesWindowController-speeds", *window->motorSpeedsView()), 50);

    const QRect speeds = window->frameGeometry();
    clickItem(*window, PreferencesWindowController::motorCalibrationTag);
    EXPECT_EQ(window->previouslyDisplayedView(), window->motorCalibrationValuesDIIView());
    EXPECT_TRUE(window->motorCalibrationValuesDIIView()->isVisible());
    EXPECT_FALSE(window->motorSpeedsView()->isVisible());
    EXPECT_EQ(window->windowTitle(), "Motor Calibration");
    const QRect calibration = window->frameGeometry();
    EXPECT_EQ(calibration.top(), speeds.top());
    EXPECT_GT(calibration.height(), speeds.height());
    EXPECT_GE(window->height(), window->motorCalibrationValuesDIIView()->height());

    clickItem(*window, PreferencesWindowController::safetyValuesTag);
    EXPECT_EQ(window->windowTitle(), "Safety Values");
    EXPECT_EQ(window->previouslyDisplayedView(), window->safetyValuesView());
    EXPECT_EQ(window->frameGeometry().top(), speeds.top());
    EXPECT_LT(window->frameGeometry().height(), calibration.height());
}

TEST_F(ProtoPreferences, TheProtoShowsItsGainsUnderTheCascadingCaptions) {
    clickItem(*window, PreferencesWindowController::motorCalibrationTag);
    EXPECT_EQ(window->previouslyDisplayedView(), window->motorCalibrationValuesDIIView());
    EXPECT_EQ(window->findChild<QLabel*>("integralLimitTextLabel")->text(), "Proportional gain (cascading):");
    EXPECT_EQ(window->findChild<QLabel*>("velocityFeedforwardTextLabel")->text(),
              "Integral gain (cascading):");
    EXPECT_EQ(window->findChild<QLabel*>("accelerationFeedforwardTextLabel")->text(),
              "Derivative gain (cascading):");
    EXPECT_EQ(field("proportionalGainY").text(), "400");
    EXPECT_EQ(field("integralLimitY").text(), "200");
    EXPECT_GT(saveScreenshot("PreferencesWindowController-proto", *window->motorCalibrationValuesDIIView()),
              50);
}

TEST_F(DesktopPreferences, TheDesktopShowsItsBacklash) {
    clickItem(*window, PreferencesWindowController::motorCalibrationTag);
    EXPECT_EQ(window->previouslyDisplayedView(), window->motorCalibrationValuesDesktopView());
    EXPECT_EQ(field("backlashInX").text(), "0");
    EXPECT_GT(
        saveScreenshot("PreferencesWindowController-desktop", *window->motorCalibrationValuesDesktopView()),
        50);
}

} // namespace
} // namespace Dotfield::testing
