// Operator windows plugged into the shell through the registry, on the
// simulated instrument with recording stand-ins: the launch makes each one
// once at its step, the status poll reaches the slots they fill, and shutdown
// stops their work before any link closes.

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Application/Windows/OperatorWindowRegistry.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/tests/Application/ShellFixture.hpp"

using namespace Dotfield;
using Simulators::SimulatedElectronics;

namespace {

class OperatorWindowTests : public ShellFixture {
  protected:
    void note(const std::string& line) {
        std::lock_guard lock(notesMutex_);
        notes_.push_back(line);
    }
    std::vector<std::string> notes() const {
        std::lock_guard lock(notesMutex_);
        return notes_;
    }
    std::size_t countOf(const std::string& line) const {
        const auto all = notes();
        return static_cast<std::size_t>(std::count(all.begin(), all.end(), line));
    }

    // Every window a stand-in that notes what the shell asks of it.
    void registerStandIns(AppDelegate& made) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(OperatorWindow::count); ++i) {
            const auto window = static_cast<OperatorWindow>(i);
            const std::string name(windowControllerName(window));
            made.windows().add(window, {.make = [this, name](AppDelegate&) { note("make " + name); },
                                        .show = [this, name] { note("show " + name); },
                                        .close = [this, name] { note("close " + name); }});
        }
        made.windows().updateHooks([this](ShellWindowHooks& hooks) {
            hooks.handRobotToManualControls = [this](const std::shared_ptr<Robot>&) { note("robot handed"); };
            hooks.wireDocumentController = [this](AppDelegate&) { note("documents wired"); };
        });
    }

    mutable std::mutex notesMutex_;
    std::vector<std::string> notes_;
};

} // namespace

TEST_F(OperatorWindowTests, TheLaunchMakesEachWindowOnceAtItsStepAndThePollReachesItsSlots) {
    beforeLaunch = [this](AppDelegate& made) {
        registerStandIns(made);
        // The diagnostics window fills its poll slot when it is made.
        made.windows().add(OperatorWindow::dispenserDiagnostics,
                           {.make =
                                [this](AppDelegate& delegate) {
                                    note("make DispenserDiagnosticsController");
                                    delegate.pollWindows().update(
                                        [this](DispenserStatusPollWindows& windows) {
                                            windows.updateWithNewReadings = [this](const auto&, const auto&) {
                                                note("readings");
                                            };
                                        });
                                },
                            .show = [] {},
                            .close = [] {}});
    };
    launch();
    ASSERT_TRUE(pumpUntil([this] { return countOf("show HumidityWindowController") == 1; }));
    ASSERT_TRUE(pumpUntil([this] { return countOf("readings") >= 2; })) << "the poll feeds the diagnostics";

    std::vector<std::string> launchSteps;
    for (const auto& line : notes()) {
        if (line != "readings" && line != "robot handed" && line.find("Relay") == std::string::npos &&
            line.find("Humidity") == std::string::npos) {
            launchSteps.push_back(line);
        }
    }
    const std::vector<std::string> expected{"make ManualControlsWindowController",
                                            "show ManualControlsWindowController",
                                            "make CameraWindowController",
                                            "show CameraWindowController",
                                            "make DispenserCalibrationController",
                                            "make DispenserDiagnosticsController",
                                            "make SolutionWellsWindowController",
                                            "make SurfaceCantCalibrationWindowController",
                                            "make TopographyMappingWindowController",
                                            "make RotationalCalibrationWindowController",
                                            "documents wired"};
    EXPECT_EQ(launchSteps, expected);
    EXPECT_EQ(countOf("robot handed"), 1u);
    EXPECT_EQ(countOf("make RelayControlsWindowController"), 1u);
    EXPECT_EQ(countOf("make HumidityWindowController"), 1u);
    EXPECT_TRUE(delegate->windows().exists(OperatorWindow::relayControls));
    EXPECT_FALSE(delegate->windows().exists(OperatorWindow::preferences)) << "made on first use only";
    const auto record = events();
    EXPECT_TRUE(std::none_of(record.begin(), record.end(), [](const std::string& event) {
        return event.find("Controller is not built yet") != std::string::npos;
    })) << "no window step is skipped";
}

TEST_F(OperatorWindowTests, HooksStandInForTheWindowsAndEmptyOnesAreSkipped) {
    std::shared_ptr<Robot> handed;
    beforeLaunch = [this, &handed](AppDelegate& made) {
        made.windows().updateHooks([this, &handed](ShellWindowHooks& hooks) {
            hooks.handRobotToManualControls = [&handed](const std::shared_ptr<Robot>& robot) {
                handed = robot;
            };
            hooks.surfaceCant = [] { return SurfaceCant{0.001, -0.002}; };
            hooks.rotation = [] { return Zovudidova::degrees(1.5); };
        });
    };
    launch();
    EXPECT_EQ(handed, delegate->robot()) << "the manual controls got the robot";
    const auto parameters = delegate->updateParametersOnNewPattern();
    EXPECT_EQ(parameters.surfaceCant, (SurfaceCant{0.001, -0.002}));
    EXPECT_EQ(parameters.rotation, Zovudidova::degrees(1.5));
    EXPECT_TRUE(parameters.solutionWells.empty()) << "no solution wells window: none";
    EXPECT_FALSE(parameters.topographyMap);
}

TEST_F(OperatorWindowTests, ShutdownDuringAPrintStopsTheWorkBeforeTheLinksCloseAndNothingIsPrintedAfter) {
    bool linkOpenWhenPrintCancelled = false;
    beforeLaunch = [this, &linkOpenWhenPrintCancelled](AppDelegate& made) {
        registerStandIns(made);
        made.windows().updateHooks([this, &made, &linkOpenWhenPrintCancelled](ShellWindowHooks& hooks) {
            hooks.cancelEveryPrint = [this, &made, &linkOpenWhenPrintCancelled] {
                note("cancel prints");
                linkOpenWhenPrintCancelled = made.robot()->serialPort() && made.electronics()->serialPort();
            };
            hooks.cancelPerformanceTestingLoop = [this] { note("stop motion test"); };
            hooks.finishRecording = [this] { note("finish recording"); };
        });
    };
    launch();
    const auto robot = delegate->robot();
    const auto electronics = delegate->electronics();
    ASSERT_TRUE(robot && robot->serialPort());

    // A print: droplets along a line until the moves are aborted.
    std::atomic<int> droplets{0};
    std::atomic<bool> printEnded{false};
    robot->runOnRoboticsQueue([&] {
        try {
            for (int step = 0; !robot->movementAborted(); ++step) {
                robot->moveToPosition(Robot::Coordinate(1000.0 * (step % 10), 500.0, 0.0));
                electronics->serialDispatchQueue().sync(
                    [&] { electronics->dispense(Zovudidova::milliseconds(30)); });
                ++droplets;
            }
        } catch (const std::exception&) {
            // An aborted move ends the print.
        }
        printEnded = true;
    });
    ASSERT_TRUE(pumpUntil([&] { return droplets.load() >= 2; }));

    const auto started = std::chrono::steady_clock::now();
    delegate->shutDown();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(7));

    const std::size_t drivesAtEnd = instrument->world()->dispenserDrives().size();
    EXPECT_TRUE(linkOpenWhenPrintCancelled) << "the work stops before the links close";
    EXPECT_EQ(electronicsPeer->voltage(), 0.0);
    EXPECT_EQ(electronicsPeer->relay(), SimulatedElectronics::RelayPosition::electronics);
    EXPECT_FALSE(robot->serialPort());
    EXPECT_EQ(instrument->cabling().bus()->openHandleCount(), 0u);
    EXPECT_EQ(humiditySensor->openHandleCount(), 0u);
    const auto all = notes();
    const std::vector<std::string> stops(std::find(all.begin(), all.end(), "cancel prints"), all.end());
    EXPECT_EQ(stops, (std::vector<std::string>{"cancel prints", "stop motion test", "finish recording"}));
    // Once the print's work has ended nothing is left that could dispense.
    ASSERT_TRUE(pumpUntil([&] { return printEnded.load(); }));
    EXPECT_EQ(instrument->world()->dispenserDrives().size(), drivesAtEnd) << "no droplet after the end";
}

namespace {

class UnhomedWithManualControls : public OperatorWindowTests {
  protected:
    UnhomedWithManualControls() { options.homed = false; }
};

} // namespace

TEST_F(UnhomedWithManualControls, TheRecoveryHomesThroughTheManualControls) {
    beforeLaunch = [this](AppDelegate& made) {
        made.windows().updateHooks(
            [this](ShellWindowHooks& hooks) { hooks.homeIfNeeded = [this] { note("manual controls home"); }; });
    };
    launch();
    ASSERT_TRUE(pumpUntil([this] { return countOf("manual controls home") == 1; }));
    const auto commands = positionerCommands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "HOME"), 0) << "the shell leaves the homing to them";
    EXPECT_FALSE(logged("ManualControlsWindowController is not built yet; skipped: home through the manual controls"));
}
