#include "Dotfield/Application/Devices/RobotDevice.hpp"

#include <chrono>
#include <utility>

#include "Dotfield/Application/Devices/MainThreadWait.hpp"
#include "Dotfield/Application/RecoveryAlerts.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/Robotics/RobotConnection.hpp"
#include "Diagnostics/ProgramStop.hpp"

namespace Dotfield {

namespace {

// The longest wait for the positioner's queue to finish the work under way.
constexpr auto robotIdleWait = std::chrono::seconds(5);

std::string positionerStatus(const std::string& model, const Robot& robot) {
    return "Positioner: " + model + (robot.serialPort() ? " connected" : " not connected");
}

// A link left open by the connection that failed (or by a link that was lost
// without the host noticing) would keep its adapter busy: a new connection
// could not open it, and the old handle would never be given back. It is
// closed, without the model's goodbye on a link that may be dead.
void closeLinkLeftOpen(Robot& robot) {
    if (const auto port = robot.serialPort()) {
        port->closeSerialPort();
        robot.setSerialPort(nullptr);
    }
}

// Opens the robot's link with the shell's time-outs.
Robot::SerialPortOpener linkOpener(const SerialPortTiming& timing) {
    return [timing](const SerialPortProperties& link) {
        return openSerialPort(link.portName, link.baudRate, link.evenParity, timing);
    };
}

} // namespace

RobotDevice::RobotDevice(std::shared_ptr<DeviceContext> context) : context_(std::move(context)) {}

std::shared_ptr<Robot> RobotDevice::robot() const {
    std::lock_guard lock(mutex_);
    return robot_;
}

std::optional<std::string> RobotDevice::modelName() const {
    std::lock_guard lock(mutex_);
    return modelName_;
}

void RobotDevice::reportStatus(const Robot& robot) {
    context_->reportStatus(ShellDevice::positioner, positionerStatus(modelName().value_or("positioner"), robot));
}

// ---- Launch ----------------------------------------------------------------------------

void RobotDevice::chooseModel() {
    const auto& userDefaults = context_->userDefaults();
    const auto productType = userDefaults->stringForKey("productType");
    const ProductTypeChoice choice = chooseProductType(productType);
    context_->log(choice.consoleMessage);
    if (!choice.modelName) {
        context_->reportStatus(ShellDevice::positioner, "Positioner: none (productType \"" +
                                                            productType.value_or("") + "\" names no supported model)");
        return;
    }
    const RobotModelFactory make = context_->environment().robotModels(*choice.modelName);
    if (!make) {
        context_->reportStatus(ShellDevice::positioner, "Positioner: the " + *choice.modelName + " is not built yet");
        return;
    }
    auto robot = make(userDefaults);
    std::lock_guard lock(mutex_);
    modelName_ = choice.modelName;
    robot_ = std::move(robot);
}

void RobotDevice::connect() {
    if (!chosen_) {
        chosen_ = true;
        chooseModel();
    }
    connectOnQueue();
}

void RobotDevice::connectOnQueue() {
    const auto robot = this->robot();
    if (!robot) {
        // No robot: nothing to register or connect; the status names why.
        return;
    }
    const std::string model = modelName().value_or("positioner");
    MainQueue::main().sync([this, &robot] { handToManualControls(robot); });
    context_->reportStatus(ShellDevice::positioner, "Positioner: " + model + " connecting");
    robot->serialDispatchQueue().async(
        [weak = weak_from_this(), robot, opener = linkOpener(context_->environment().serialPortTiming)] {
            const auto self = weak.lock();
            if (!self) {
                return;
            }
            try {
                closeLinkLeftOpen(*robot);
                initializeConnectionToRobot(*robot, opener);
                MainQueue::main().async([robot] { robot->notifyMovementFinished(); });
                self->reportStatus(*robot);
            } catch (const RoboticsError& error) {
                self->presentConnectionAlert(error);
                self->reportStatus(*robot);
            } catch (...) {
                self->reportStatus(*robot);
                self->context_->log("Uncaught robot connection error");
            }
        });
}

void RobotDevice::handToManualControls(const std::shared_ptr<Robot>& robot) {
    if (robotOfManualControls_.lock() == robot) {
        // Its observers are registered already: once per window and robot.
        return;
    }
    robotOfManualControls_ = robot;
    if (const auto hand = context_->hooks().handRobotToManualControls) {
        hand(robot);
    } else {
        context_->windowNotBuilt("ManualControlsWindowController", "hand over the robot and register its observers");
    }
}

// ---- Recovery ------------------------------------------------------------------------------

RecoveryAlert RobotDevice::robotAlert(const RoboticsError& error, std::function<void()> recovery) {
    return {AlertDevice::robotics,
            ErrorAlertRequest{.content = error.presentableDescription(),
                              .defaultAction = std::move(recovery),
                              .alternateAction = [this] { context_->log(userCancelledErrorRecovery); }}};
}

void RobotDevice::presentConnectionAlert(const RoboticsError& error) {
    using Kind = RoboticsError::Kind;
    switch (error.kind()) {
    case Kind::notConnected:
    case Kind::corruptedCommunications:
        context_->presentAlert(AlertDevice::robotics, *robotAlert(error, [this] {
                                                           context_->log("Should try to reconnect here");
                                                           connectOnQueue();
                                                       }).request);
        return;
    case Kind::hitObstruction:
    case Kind::needsToHome:
        context_->presentAlert(AlertDevice::robotics, *robotAlert(error, [this] {
                                                           if (const auto robot = this->robot()) {
                                                               handToManualControls(robot);
                                                               homeIfNeeded(robot, false);
                                                           }
                                                       }).request);
        return;
    case Kind::abortedDuringMove:
    case Kind::internalTestFailure:
        context_->log("Uncaught robot connection error");
        return;
    }
}

std::optional<RecoveryAlert> RobotDevice::recoveryAlert(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const RoboticsError& e) {
        using Kind = RoboticsError::Kind;
        const auto robot = this->robot();
        switch (e.kind()) {
        case Kind::notConnected:
        case Kind::corruptedCommunications:
            return robotAlert(e, [this, robot, disconnectFirst = e.kind() == Kind::corruptedCommunications] {
                if (robot) {
                    reconnect(robot, disconnectFirst);
                }
            });
        case Kind::hitObstruction:
        case Kind::needsToHome:
            return robotAlert(e, [this, robot] {
                if (robot) {
                    homeIfNeeded(robot, true);
                }
            });
        case Kind::abortedDuringMove:
            return RecoveryAlert{AlertDevice::robotics, ErrorAlertRequest{.content = e.presentableDescription(),
                                                                          .defaultAction = {},
                                                                          .alternateAction = {}}};
        case Kind::internalTestFailure:
            break;
        }
        Diagnostics::stopProgram("InternalTestFailure should never be presented to handleRoboticsError()");
    } catch (...) {
        return std::nullopt;
    }
}

void RobotDevice::reconnect() {
    if (const auto robot = this->robot()) {
        reconnect(robot, false);
    }
}

void RobotDevice::reconnect(const std::shared_ptr<Robot>& robot, bool disconnectFirst) {
    robot->runOnRoboticsQueue([weak = weak_from_this(), robot, disconnectFirst,
                               opener = linkOpener(context_->environment().serialPortTiming)] {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        try {
            if (disconnectFirst) {
                robot->disconnectFromSerialPort();
            }
            closeLinkLeftOpen(*robot);
            initializeConnectionToRobot(*robot, opener);
            self->reportStatus(*robot);
        } catch (...) {
            // A robot error shows its alert again; any other goes to the handler too.
            self->context_->handleError(std::current_exception());
        }
    });
}

void RobotDevice::homeIfNeeded(const std::shared_ptr<Robot>& robot, bool clearPositionerErrorsFirst) {
    const auto clearPositionerErrors = [robot, clearPositionerErrorsFirst] {
        if (clearPositionerErrorsFirst) {
            for (const auto motor : {MotorPosition::xMotor, MotorPosition::yMotor, MotorPosition::zMotor}) {
                robot->clearPositionerErrorForMotor(motor);
            }
        }
    };
    if (const auto home = context_->hooks().homeIfNeeded) {
        // The manual controls home the robot once its errors are cleared.
        robot->runOnRoboticsQueue([weak = weak_from_this(), clearPositionerErrors, home] {
            try {
                clearPositionerErrors();
                MainQueue::main().async(home);
            } catch (...) {
                if (const auto self = weak.lock()) {
                    self->context_->handleError(std::current_exception());
                }
            }
        });
        return;
    }
    context_->windowNotBuilt("ManualControlsWindowController", "home through the manual controls");
    robot->runOnRoboticsQueue([weak = weak_from_this(), robot, clearPositionerErrors] {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        try {
            clearPositionerErrors();
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
            self->context_->handleError(std::current_exception());
        }
    });
}

// ---- The end of the run ------------------------------------------------------------------

void RobotDevice::stop() {
    if (const auto robot = this->robot()) {
        robot->setMovementAborted(true);
    }
}

void RobotDevice::settle() {
    if (const auto robot = this->robot();
        robot && !runOnQueueWithin(robot->serialDispatchQueue(), [] {}, robotIdleWait)) {
        context_->log("The positioner was still busy when the program ended");
    }
}

void RobotDevice::release() {
    const auto robot = this->robot();
    if (!robot) {
        return;
    }
    const bool closed = runOnQueueWithin(
        robot->serialDispatchQueue(),
        [robot] {
            try {
                robot->disconnectFromSerialPort();
            } catch (...) {
                // The run ends either way.
            }
        },
        robotIdleWait);
    if (!closed) {
        context_->log("The positioner's link could not be closed in time");
    }
}

} // namespace Dotfield
