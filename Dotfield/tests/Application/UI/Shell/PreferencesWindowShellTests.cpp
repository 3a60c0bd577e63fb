// The preferences window plugged into the shell by its own registration, on
// the simulated instrument: the Edit menu's command makes it once, over the
// delegate's robot, and shows the same window again later.

#include <cmath>

#include <QApplication>
#include <QLineEdit>
#include <QMenu>

#include <gtest/gtest.h>

#include "Dotfield/Application/UI/Shell/MainWindow.hpp"
#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"
#include "Dotfield/Application/UI/PreferencesWindowController.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/tests/Application/ShellFixture.hpp"

namespace Dotfield {

void registerPreferencesWindow(OperatorWindowRegistration& registration);

namespace {

std::vector<PreferencesWindowController*> preferencesWindows() {
    std::vector<PreferencesWindowController*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = dynamic_cast<PreferencesWindowController*>(widget)) {
            found.push_back(window);
        }
    }
    return found;
}

class PreferencesWindowShell : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        beforeLaunch = [this](AppDelegate& made) {
            OperatorWindowRegistration registration{made.windows(), mainWindow, recentMenu};
            registerPreferencesWindow(registration);
        };
        launch();
    }

    MainWindow mainWindow{true};
    QMenu recentMenu;
};

TEST_F(PreferencesWindowShell, TheMenuMakesOneWindowOverTheRobotAndShowsItAgain) {
    EXPECT_FALSE(delegate->windows().exists(OperatorWindow::preferences)) << "made on first use only";
    ASSERT_TRUE(delegate->validateUserInterfaceItem("showPreferences:", ""));
    EXPECT_TRUE(delegate->performMenuCommand("showPreferences:"));
    auto windows = preferencesWindows();
    ASSERT_EQ(windows.size(), 1U);
    PreferencesWindowController* window = windows.front();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(pumpUntil([window] { return window->robotReadyToMove(); }));
    const double speed = delegate->robot()->manualPositioningVelocities().y;
    EXPECT_EQ(window->findChild<QLineEdit*>("manualSpeedY")->text(), QString::number(std::llround(speed)));
    EXPECT_FALSE(window->userAuthenticated());

    window->close();
    EXPECT_TRUE(delegate->performMenuCommand("showPreferences:"));
    windows = preferencesWindows();
    ASSERT_EQ(windows.size(), 1U);
    EXPECT_EQ(windows.front(), window);
    EXPECT_TRUE(window->isVisible());
}

} // namespace
} // namespace Dotfield
