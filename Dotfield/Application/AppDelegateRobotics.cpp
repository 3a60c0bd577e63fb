// The positioner side of AppDelegate: choosing the model, connecting it and
// recovering from its errors.

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/RecoveryAlerts.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"
#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/Robotics/RobotConnection.hpp"
#include "Diagnostics/ProgramStop.hpp"

namespace Dotfield {

namespace {

std::string positionerStatus(const std::string& model, const Robot& robot) {
    return "Positioner: " + model + (robot.serialPort() ? " connected" : " not connected");
}

// Opens the robot's link with the delegate's time-outs.
Robot::SerialPortOpener linkOpener(const SerialPortTiming& timing) {
    return [timing](const SerialPortProperties& link) {
        return openSerialPort(link.portName, link.baudRate, link.evenParity, timing);
    };
}

} // namespace

void AppDelegate::chooseRobotModel() {
    const auto productType = userDefaults_->stringForKey("productType");
    const ProductTypeChoice choice = chooseProductType(productType);
    log(choice.consoleMessage);
    if (!choice.modelName) {
        reportStatus(ShellDevice::positioner,
                     "Positioner: none (productType \"" + productType.value_or("") + "\" names no supported model)");
        return;
    }
    const RobotModelFactory make = environment_.robotModels(*choice.modelName);
    if (!make) {
        reportStatus(ShellDevice::positioner, "Positioner: the " + *choice.modelName + " is not built yet");
        return;
    }
    auto robot = make(userDefaults_);
    std::lock_guard lock(robotMutex_);
    robotModelName_ = choice.modelName;
    robot_ = std::move(robot);
}

void AppDelegate::connectToRobotics() {
    const auto robot = this->robot();
    if (!robot) {
        // No robot: nothing to register or connect; the status names why.
        return;
    }
    const std::string model = robotModelName().value_or("positioner");
    MainQueue::main().sync([this, &robot] { handRobotToManualControls(robot); });
    reportStatus(ShellDevice::positioner, "Positioner: " + model + " connecting");
    robot->serialDispatchQueue().async([weak = weak_from_this(), robot, model,
                                        opener = linkOpener(environment_.serialPortTiming)] {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        try {
            initializeConnectionToRobot(*robot, opener);
            MainQueue::main().async([robot] { robot->notifyMovementFinished(); });
            self->reportStatus(ShellDevice::positioner, positionerStatus(model, *robot));
        } catch (const RoboticsError& error) {
            self->presentRobotConnectionAlert(error);
            self->reportStatus(ShellDevice::positioner, positionerStatus(model, *robot));
        } catch (...) {
            self->reportStatus(ShellDevice::positioner, positionerStatus(model, *robot));
            self->log("Uncaught robot connection error");
        }
    });
}

void AppDelegate::handRobotToManualControls(const std::shared_ptr<Robot>& robot) {
    if (robotOfManualControls_.lock() == robot) {
        // Its observers are registered already: once per window and robot.
        return;
    }
    robotOfManualControls_ = robot;
    if (const auto hand = windows_->hooks().handRobotToManualControls) {
        hand(robot);
    } else {
        windowNotBuilt("ManualControlsWindowController", "hand over the robot and register its observers");
    }
}

void AppDelegate::presentRobotAlert(const RoboticsError& error, std::function<void()> recovery) {
    presentRecoveryAlert(AlertDevice::robotics, {.content = error.presentableDescription(),
                                                 .defaultAction = std::move(recovery),
                                                 .alternateAction = [this] { log(userCancelledErrorRecovery); }});
}

void AppDelegate::presentRobotConnectionAlert(const RoboticsError& error) {
    using Kind = RoboticsError::Kind;
    switch (error.kind()) {
    case Kind::notConnected:
    case Kind::corruptedCommunications:
        presentRobotAlert(error, [this] {
            log("Should try to reconnect here");
            connectToRobotics();
        });
        return;
    case Kind::hitObstruction:
    case Kind::needsToHome:
        presentRobotAlert(error, [this] {
            if (const auto robot = this->robot()) {
                handRobotToManualControls(robot);
                homeIfNeeded(robot, false);
            }
        });
        return;
    case Kind::abortedDuringMove:
    case Kind::internalTestFailure:
        log("Uncaught robot connection error");
        return;
    }
}

void AppDelegate::handleRoboticsError(const RoboticsError& error) {
    using Kind = RoboticsError::Kind;
    const auto robot = this->robot();
    switch (error.kind()) {
    case Kind::notConnected:
    case Kind::corruptedCommunications:
        presentRobotAlert(error, [this, robot, disconnectFirst = error.kind() == Kind::corruptedCommunications] {
            if (robot) {
                reconnectRobot(robot, disconnectFirst);
            }
        });
        return;
    case Kind::hitObstruction:
    case Kind::needsToHome:
        presentRobotAlert(error, [this, robot] {
            if (robot) {
                homeIfNeeded(robot, true);
            }
        });
        return;
    case Kind::abortedDuringMove:
        presentRecoveryAlert(AlertDevice::robotics,
                             {.content = error.presentableDescription(), .defaultAction = {}, .alternateAction = {}});
        return;
    case Kind::internalTestFailure:
        Diagnostics::stopProgram("InternalTestFailure should never be presented to handleRoboticsError()");
    }
}

void AppDelegate::reconnectRobot(const std::shared_ptr<Robot>& robot, bool disconnectFirst) {
    robot->runOnRoboticsQueue([weak = weak_from_this(), robot, disconnectFirst,
                               opener = linkOpener(environment_.serialPortTiming)] {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        try {
            if (disconnectFirst) {
                robot->disconnectFromSerialPort();
            }
            initializeConnectionToRobot(*robot, opener);
            self->reportStatus(ShellDevice::positioner,
                               positionerStatus(self->robotModelName().value_or("positioner"), *robot));
        } catch (...) {
            // A robot error shows its alert again; any other goes to the handler too.
            self->handleError(std::current_exception());
        }
    });
}

void AppDelegate::homeIfNeeded(const std::shared_ptr<Robot>& robot, bool clearPositionerErrorsFirst) {
    if (const auto home = windows_->hooks().homeIfNeeded) {
        // The manual controls home the robot once its errors are cleared.
        robot->runOnRoboticsQueue([weak = weak_from_this(), robot, clearPositionerErrorsFirst, home] {
            try {
                if (clearPositionerErrorsFirst) {
                    for (const auto motor : {MotorPosition::xMotor, MotorPosition::yMotor, MotorPosition::zMotor}) {
                        robot->clearPositionerErrorForMotor(motor);
                    }
                }
                MainQueue::main().async(home);
            } catch (...) {
                if (const auto self = weak.lock()) {
                    self->handleError(std::current_exception());
                }
            }
        });
        return;
    }
    windowNotBuilt("ManualControlsWindowController", "home through the manual controls");
    robot->runOnRoboticsQueue([weak = weak_from_this(), robot, clearPositionerErrorsFirst] {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        try {
            if (clearPositionerErrorsFirst) {
                for (const auto motor : {MotorPosition::xMotor, MotorPosition::yMotor, MotorPosition::zMotor}) {
                    robot->clearPositionerErrorForMotor(motor);
                }
            }
            if (robot->needsToHome()) {
                const auto home = robot->home();
                robot->setHomePosition(home);
                robot->userDefaults()->setCoordinate(home, "storedHomeLocation");
                robot->setCurrentCoordinateAndNotify(home);
            } else {
                const auto target = robot->homePosition().value_or(robot->homeToLimitOffsetInMicrons());
                robot->moveToPosition(target, robot->safePickupHeight().value_or(target.z));
            }
        } catch (...) {
            self->handleError(std::current_exception());
        }
    });
}

} // namespace Dotfield
