// The motor tuning values of the preferences window and their lock, through
// the widgets, offscreen, on the simulated instrument.

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include "Dotfield/Platform/Alerts/ScriptedAlertPresenter.hpp"
#include "Dotfield/Robotics/Models/DropwrightDesktop.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIa.hpp"
#include "Dotfield/tests/Application/UI/PreferencesWindowFixture.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::WorldAxis;

struct IIaTuning : PreferencesWindowFixture {
    IIaTuning() : PreferencesWindowFixture("IIa") {}

    // Each axis's last value of the gain at the motors, x, y, z.
    std::vector<std::optional<std::int64_t>> gains(const char* name) const {
        return {bus->gain(WorldAxis::x, name), bus->gain(WorldAxis::y, name), bus->gain(WorldAxis::z, name)};
    }
    std::vector<std::optional<std::int64_t>> triple(std::int64_t x, std::int64_t y, std::int64_t z) const {
        return {x, y, z};
    }
    void restore(ScopedScriptedAlertPresenter& alerts, AlertResponse answer,
                 Qt::KeyboardModifiers modifiers = {}) {
        alerts.presenter().answer(answer);
        QTest::mouseClick(window->restoreButton(), Qt::LeftButton, modifiers);
        ASSERT_TRUE(waitUntil([this] { return window->applyButton()->isEnabled(); }));
        waitForRobotQueue();
    }
    std::vector<QLineEdit*> tuningFields() const {
        std::vector<QLineEdit*> fields;
        for (const char* row : {"proportionalGain", "integralGain", "derivativeGain", "integralLimit",
                                "velocityFeedforward", "accelerationFeedforward"}) {
            for (const char* axis : {"X", "Y", "Z"}) {
                fields.push_back(&field((std::string(row) + axis).c_str()));
            }
        }
        return fields;
    }
};

struct ProtoTuning : PreferencesWindowFixture {
    ProtoTuning() : PreferencesWindowFixture("Proto") {}
};
struct DesktopTuning : PreferencesWindowFixture {
    DesktopTuning() : PreferencesWindowFixture("Desktop") {}
};

TEST_F(IIaTuning, LockedAtStartAGrantedRequestUnlocksARefusedOneDoesNotAndLockingAsksNothing) {
    ScopedScriptedAlertPresenter alerts;
    EXPECT_FALSE(window->userAuthenticated());
    EXPECT_EQ(window->unlockButton()->text(), "Unlock");
    for (QLineEdit* tuning : tuningFields()) {
        EXPECT_FALSE(tuning->isEnabled()) << tuning->objectName().toStdString();
    }
    EXPECT_FALSE(window->applyButton()->isEnabled());
    EXPECT_FALSE(window->restoreButton()->isEnabled());

    // A refusal: still locked, nothing shown.
    authorizer->answers = {false, true};
    QTest::mouseClick(window->unlockButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([this] { return window->unlockButton()->isEnabled(); }));
    EXPECT_FALSE(window->userAuthenticated());
    EXPECT_EQ(window->unlockButton()->text(), "Unlock");

    // A grant, the button waiting for the answer meanwhile.
    int changes = 0;
    QObject::connect(window.get(), &PreferencesWindowController::userAuthenticatedChanged,
                     [&changes] { ++changes; });
    authorizer->holdAnswers = true;
    QTest::mouseClick(window->unlockButton(), Qt::LeftButton);
    EXPECT_FALSE(window->unlockButton()->isEnabled());
    QTest::mouseClick(window->unlockButton(), Qt::LeftButton);
    EXPECT_EQ(authorizer->requests, 2);
    authorizer->release();
    ASSERT_TRUE(waitUntil([this] { return window->userAuthenticated(); }));
    EXPECT_EQ(window->unlockButton()->text(), "Lock");
    EXPECT_TRUE(window->unlockButton()->isEnabled());
    for (QLineEdit* tuning : tuningFields()) {
        EXPECT_TRUE(tuning->isEnabled()) << tuning->objectName().toStdString();
    }
    EXPECT_TRUE(window->applyButton()->isEnabled());
    EXPECT_TRUE(window->restoreButton()->isEnabled());

    QTest::mouseClick(window->unlockButton(), Qt::LeftButton);
    EXPECT_FALSE(window->userAuthenticated());
    EXPECT_EQ(window->unlockButton()->text(), "Unlock");
    EXPECT_FALSE(field("proportionalGainX").isEnabled());
    EXPECT_EQ(authorizer->requests, 2);
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(alerts.presenter().shownAlerts().empty());
}

TEST_F(IIaTuning, AnEditStoresTheUsersTripleAndSendsNothing) {
    unlock();
    EXPECT_EQ(field("proportionalGainY").text(), "15000");
    type("proportionalGainY", "18000");
    EXPECT_EQ(store->axisValues("userDefinedProportionalGain", false), (AxisValues{16000, 18000, 14000}));
    EXPECT_EQ(store->axisValues("proportionalGain", true), std::nullopt);
    EXPECT_EQ(store->axisValues("proportionalGain", false), std::nullopt);
    EXPECT_EQ(std::dynamic_pointer_cast<DropwrightIIa>(robot)->proportionalGain(),
              (AxisValues{16000, 18000, 14000}));
    for (const char* refused : {"abc", "", "inf"}) {
        type("proportionalGainY", refused);
        EXPECT_EQ(field("proportionalGainY").text(), "18000") << refused;
    }
    type("accelerationFeedforwardZ", "-3");
    EXPECT_EQ(store->axisValues("userDefinedAccelerationFeedforward", false), (AxisValues{0, 0, -3}));
    waitForRobotQueue();
    EXPECT_TRUE(bus->transcript().empty());
    QTest::mouseClick(window->preferencesToolbar()->widgetForAction(
                          window->toolbarItem(PreferencesWindowController::motorCalibrationTag)),
                      Qt::LeftButton);
    EXPECT_GT(saveScreenshot("PreferencesWindowController-tuning", *window->motorCalibrationValuesDIIView()),
              50);
}

TEST_F(IIaTuning, ApplyReturnsAtOnceBehindQueuedMotionAndSendsEverySixTriplesAfterIt) {
    unlock();
    type("integralLimitX", "6000");
    // The robot's queue is held by a move until the test lets it go (also
    // when the test stops early).
    const auto go = std::make_shared<std::atomic<bool>>(false);
    const std::unique_ptr<void, std::function<void(void*)>> release(go.get(), [go](void*) { go->store(true); });
    const Robot::Coordinate target{200000, 150000, robot->currentCoordinate().z};
    robot->runOnRoboticsQueue([robot = robot, go, target] {
        while (!go->load()) {
            std::this_thread::yield();
        }
        robot->moveToPosition(target);
    });
    QTest::mouseClick(window->applyButton(), Qt::LeftButton);
    // The click came back while the queue is held, and the buttons wait.
    EXPECT_FALSE(window->applyButton()->isEnabled());
    EXPECT_FALSE(window->restoreButton()->isEnabled());
    EXPECT_EQ(bus->gain(WorldAxis::x, "KP"), std::nullopt);
    go->store(true);
    ASSERT_TRUE(waitUntil([this] { return window->applyButton()->isEnabled(); }));
    EXPECT_EQ(robot->currentCoordinate(), target);

    EXPECT_EQ(gains("KP"), triple(16000, 15000, 14000));
    EXPECT_EQ(gains("KI"), triple(2000, 2000, 5000));
    EXPECT_EQ(gains("KD"), triple(15000, 15000, 17000));
    EXPECT_EQ(gains("KL"), triple(6000, 8000, 10000));
    EXPECT_EQ(gains("KV"), triple(30000, 35000, 40000));
    EXPECT_EQ(gains("KA"), triple(0, 0, 0));
    // The gains went out after the move's commands.
    const auto transcript = bus->transcript();
    std::optional<std::size_t> lastMove;
    std::size_t firstGain = transcript.size();
    for (std::size_t i = 0; i < transcript.size(); ++i) {
        if (transcript[i].command == "G") {
            lastMove = i;
        }
        if (transcript[i].command == "KP" && firstGain == transcript.size()) {
            firstGain = i;
        }
    }
    ASSERT_TRUE(lastMove.has_value());
    EXPECT_LT(*lastMove, firstGain);
    EXPECT_TRUE(errors().empty());
}

TEST_F(IIaTuning, AFailedApplyReachesTheErrorHandlerAndTheButtonsComeBack) {
    unlock();
    robot->disconnectFromSerialPort();
    QTest::mouseClick(window->applyButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([this] { return window->applyButton()->isEnabled(); }));
    EXPECT_EQ(errors().size(), 1U);
}

TEST_F(IIaTuning, RestoreShowsAndSendsTheBuiltInsCancelChangesNothing) {
    ScopedScriptedAlertPresenter alerts;
    unlock();
    type("proportionalGainY", "18000");

    restore(alerts, AlertResponse::alternateButton);
    ASSERT_EQ(alerts.presenter().shownAlerts().size(), 1U);
    EXPECT_EQ(alerts.presenter().shownAlerts()[0].messageText, "Restoring factory defaults.");
    EXPECT_EQ(
        alerts.presenter().shownAlerts()[0].informativeText,
        "This will restore all tuning values to factory defaults. Are you sure you want to roll back to "
        "default tuning parameters?");
    EXPECT_EQ(field("proportionalGainY").text(), "18000");
    EXPECT_TRUE(bus->transcript().empty());

    restore(alerts, AlertResponse::defaultButton);
    EXPECT_EQ(field("proportionalGainY").text(), "15000");
    EXPECT_EQ(store->axisValues("userDefinedProportionalGain", false), (AxisValues{16000, 15000, 14000}));
    EXPECT_EQ(store->axisValues("userDefinedVelocityFeedforward", false), (AxisValues{30000, 35000, 40000}));
    EXPECT_EQ(gains("KP"), triple(16000, 15000, 14000));
    EXPECT_TRUE(errors().empty());
}

TEST_F(IIaTuning, StampingWithShiftAltAndCtrlMakesTheCurrentValuesTheOnesARestoreBrings) {
    ScopedScriptedAlertPresenter alerts;
    unlock();
    type("proportionalGainY", "18000");
    // Shift and Alt alone still restore.
    restore(alerts, AlertResponse::alternateButton, Qt::ShiftModifier | Qt::AltModifier);
    const Qt::KeyboardModifiers stamp = Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier;
    restore(alerts, AlertResponse::alternateButton, stamp);
    EXPECT_EQ(store->axisValues("proportionalGain", true), std::nullopt);
    restore(alerts, AlertResponse::defaultButton, stamp);
    const auto shown = alerts.presenter().shownAlerts();
    ASSERT_EQ(shown.size(), 3U);
    EXPECT_EQ(shown[0].messageText, "Restoring factory defaults.");
    EXPECT_EQ(shown[1].messageText, "Stamping factory defaults.");
    EXPECT_EQ(
        shown[2].informativeText,
        "This will overwrite the factory defaults. This action cannot be undone. Are you sure you want to "
        "do this?");
    EXPECT_EQ(store->axisValues("proportionalGain", true), (AxisValues{16000, 18000, 14000}));
    EXPECT_EQ(store->axisValues("integralLimit", true), (AxisValues{5000, 8000, 10000}));
    EXPECT_TRUE(bus->transcript().empty()) << "stamping sends nothing";

    type("proportionalGainY", "17000");
    restore(alerts, AlertResponse::defaultButton);
    EXPECT_EQ(field("proportionalGainY").text(), "18000");
    EXPECT_EQ(store->axisValues("userDefinedProportionalGain", false), (AxisValues{16000, 18000, 14000}));
    EXPECT_EQ(gains("KP"), triple(16000, 18000, 14000));
}

TEST_F(ProtoTuning, TheCascadingRowsEditTheCascadingGains) {
    unlock();
    type("velocityFeedforwardZ", "7");
    EXPECT_EQ(store->axisValues("userDefinedCascadingPositionModeIntegralGain", false),
              (AxisValues{0, 0, 7}));
    type("proportionalGainX", "310");
    EXPECT_EQ(store->axisValues("userDefinedPositionModeProportionalGain", false),
              (AxisValues{310, 400, 80}));
}

TEST_F(DesktopTuning, BacklashIsStoredPerAxisAndTheDesktopHasNothingToRestore) {
    unlock();
    EXPECT_TRUE(window->applyButton()->isEnabled());
    EXPECT_FALSE(window->restoreButton()->isEnabled());
    type("backlashInX", "12");
    EXPECT_EQ(store->axisValues("backlashCorrection", true), (AxisValues{12, 0, 0}));
    EXPECT_EQ(std::dynamic_pointer_cast<DropwrightDesktop>(robot)->backlashCorrection(),
              (AxisValues{12, 0, 0}));
    type("backlashInY", "abc");
    EXPECT_EQ(field("backlashInY").text(), "0");
}

} // namespace
} // namespace Dotfield::testing
