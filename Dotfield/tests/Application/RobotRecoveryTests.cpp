// The positioner at launch and in recovery, with the test model over the
// simulated instrument's generic positioner standing in for the DropwrightIIb.

#include <algorithm>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/tests/Application/ShellFixture.hpp"

using namespace Dotfield;

namespace {

std::ptrdiff_t position(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) - lines.begin();
}

} // namespace

using RobotRecoveryTests = ShellFixture;

TEST_F(RobotRecoveryTests, AProductTypeThatNamesNoSupportedModelLeavesTheSystemWithoutARobot) {
    for (const char* productType : {"Ovra Dropwright", "Acme Dispenser"}) {
        settings = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
        settings->setString(productType, "productType");
        statusReports.clear();
        if (delegate) {
            delegate->shutDown();
        }
        launch();
        EXPECT_FALSE(delegate->robot());
        const std::pair<ShellDevice, std::string> expected{
            ShellDevice::positioner,
            "Positioner: none (productType \"" + std::string(productType) + "\" names no supported model)"};
        EXPECT_NE(std::find(statusReports.begin(), statusReports.end(), expected), statusReports.end());
    }
    EXPECT_TRUE(positionerCommands().empty()) << "nothing connects";
    EXPECT_TRUE(movementNotices->empty()) << "nothing registers";
    EXPECT_TRUE(logged("Some unknown type of Dropwright was specified in the defaults"));
}

class UnhomedPositioner : public ShellFixture {
  protected:
    UnhomedPositioner() { options.homed = false; }
};

TEST_F(UnhomedPositioner, ItsConnectionAlertHomesIt) {
    launch();
    ASSERT_TRUE(pumpUntil([this] { return settings->coordinate("storedHomeLocation").has_value(); }));
    const auto shown = alerts->shownAlerts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], RoboticsError(RoboticsError::Kind::needsToHome).presentableDescription());
    EXPECT_LT(position(positionerCommands(), "HOME"), static_cast<std::ptrdiff_t>(positionerCommands().size()));
    EXPECT_EQ(delegate->robot()->homePosition(), settings->coordinate("storedHomeLocation"));
    const auto record = events();
    EXPECT_EQ(std::count(record.begin(), record.end(),
                         "console: ManualControlsWindowController is not built yet; skipped: hand over the robot and "
                         "register its observers"),
              1)
        << "the alert's OK does not hand the same robot over again";
}

TEST_F(UnhomedPositioner, NeedsToHomeInRecoveryClearsEveryAxisThenHomesAndStoresTheHome) {
    alerts->setResponder([](const ErrorAlertContent&) { return AlertResponse::alternateButton; });
    launch();
    ASSERT_FALSE(settings->coordinate("storedHomeLocation"));
    positioner->clearCommands();
    alerts->setResponder({});

    delegate->errorHandler()(std::make_exception_ptr(RoboticsError(RoboticsError::Kind::needsToHome)));

    ASSERT_TRUE(pumpUntil([this] { return settings->coordinate("storedHomeLocation").has_value(); }));
    const auto lines = positionerCommands();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
              (std::vector<std::string>{"C X", "C Y", "C Z"}));
    EXPECT_LT(position(lines, "C Z"), position(lines, "HOME"));
    EXPECT_LT(position(lines, "HOME"), static_cast<std::ptrdiff_t>(lines.size()));
}

TEST_F(RobotRecoveryTests, CorruptedCommunicationsOKReconnectsTheRobotOverANewLink) {
    launch();
    const auto robot = delegate->robot();
    const auto firstLink = robot->serialPort();
    ASSERT_TRUE(firstLink);

    delegate->errorHandler()(std::make_exception_ptr(RoboticsError(RoboticsError::Kind::corruptedCommunications)));

    EXPECT_TRUE(pumpUntil([&] { return robot->serialPort() && robot->serialPort() != firstLink; }));
    EXPECT_EQ(alerts->shownAlerts().size(), 1u);
}
