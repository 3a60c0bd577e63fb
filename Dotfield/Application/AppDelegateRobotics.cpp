// The positioner side of AppDelegate: choosing the model, connecting it and
// recovering from its errors.

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/ProductTypes.hpp"
#include "Dotfield/Application/RecoveryAlerts.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "VeltranePatterns/Source/Diagnostics/ProgramStop.hpp"

namespace Dotfield {

void AppDelegate::connectToRobotics() {
    const auto productType = userDefaults_->stringForKey("productType");
    const ProductTypeChoice choice = chooseProductType(productType);
    log(choice.consoleMessage);
    if (!choice.modelName) {
        reportStatus(ShellDevice::positioner,
                     "Positioner: none (productType \"" + productType.value_or("") + "\" names no supported model)");
        return;
    }
    {
        std::lock_guard lock(robotMutex_);
        robotModelName_ = choice.modelName;
    }
    const RobotModelFactory make = robotModelFactory(*choice.modelName);
    if (!make) {
        reportStatus(ShellDevice::positioner, "Positioner: the " + *choice.modelName + " is not built yet");
        return;
    }
    auto robot = make(userDefaults_);
    {
        std::lock_guard lock(robotMutex_);
        robot_ = robot;
    }
    reportStatus(ShellDevice::positioner, "Positioner: " + *choice.modelName + " connecting");
}

void AppDelegate::handleRoboticsError(const RoboticsError& error) {
    if (error.kind() == RoboticsError::Kind::internalTestFailure) {
        VeltranePatterns::stopProgram("InternalTestFailure should never be presented to handleRoboticsError()");
    }
    if (error.kind() == RoboticsError::Kind::abortedDuringMove) {
        presentRecoveryAlert(AlertDevice::robotics,
                             {.content = error.presentableDescription(), .defaultAction = {}, .alternateAction = {}});
        return;
    }
    presentRecoveryAlert(AlertDevice::robotics, {.content = error.presentableDescription(),
                                                 .defaultAction = {},
                                                 .alternateAction = [this] { log(userCancelledErrorRecovery); }});
}

} // namespace Dotfield
