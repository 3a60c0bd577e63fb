#pragma once
// The positioner: the model the "productType" setting chooses, connected on
// its queue at launch (its connection alert homes it or connects again), its
// errors' recovery (connect again, clear the positioner errors and home), and
// at the end the move under way stopped and the link closed, each bounded.
//
// Threads: the connection and every recovery run on the robot's queue; the
// hand-over to the manual controls on the main thread.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "Dotfield/Application/Devices/DeviceContext.hpp"
#include "Dotfield/Application/Devices/DeviceLifecycle.hpp"

namespace Dotfield {

class Robot;
class RoboticsError;

class RobotDevice final : public DeviceLifecycle, public std::enable_shared_from_this<RobotDevice> {
  public:
    explicit RobotDevice(std::shared_ptr<DeviceContext> context);

    // Any thread.
    std::shared_ptr<Robot> robot() const;
    // The model the "productType" setting chose, or none.
    std::optional<std::string> modelName() const;

    // Chooses the model (the first time) and connects it on its queue; a
    // RoboticsError shows the connection alert. Nothing without a robot.
    void connect() override;
    // On the robot's queue: the robot connected again; its errors go to the handler.
    void reconnect() override;
    std::optional<RecoveryAlert> recoveryAlert(const std::exception_ptr& error) override;
    void stop() override;
    void settle() override;
    void release() override;

  private:
    void chooseModel();
    void connectOnQueue();
    void reconnect(const std::shared_ptr<Robot>& robot, bool disconnectFirst);
    // Hands the robot to the manual controls, once per robot.
    void handToManualControls(const std::shared_ptr<Robot>& robot);
    // Homes the robot when it needs homing, else moves it home; on the robot's queue.
    void homeIfNeeded(const std::shared_ptr<Robot>& robot, bool clearPositionerErrorsFirst);
    // A robot alert whose OK runs the recovery and whose Cancel is logged.
    RecoveryAlert robotAlert(const RoboticsError& error, std::function<void()> recovery);
    void presentConnectionAlert(const RoboticsError& error);
    void reportStatus(const Robot& robot);

    const std::shared_ptr<DeviceContext> context_;
    bool chosen_ = false;
    mutable std::mutex mutex_;
    std::shared_ptr<Robot> robot_;
    std::optional<std::string> modelName_;
    // The robot last handed to the manual controls (main thread).
    std::weak_ptr<Robot> robotOfManualControls_;
};

} // namespace Dotfield
