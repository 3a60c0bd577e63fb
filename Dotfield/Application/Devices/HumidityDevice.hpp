#pragma once
// The humidity sensor and the humidity control over it: at launch the sensor
// is connected on a thread of the device's own, which then runs the control
// loop for the rest of the run; its window appears when the sensor answered
// (none, and no alert, when it does not). The recovery alert's OK lets the
// handle go and connects a new sensor; a sensor that does not come back ends
// the loop and takes the window away. At the end the loop is stopped, its
// thread joined and the sensor's handle released once.
//
// After Cancel of a humidity or relay alert the loop's errors are only
// logged, until it reads the sensor again.
//
// Threads: the loop, main thread otherwise.

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include "Dotfield/Application/Devices/DeviceContext.hpp"
#include "Dotfield/Application/Devices/DeviceLifecycle.hpp"

namespace Dotfield {

class HumidityPollingLoop;
class Relay;

class HumidityDevice final : public DeviceLifecycle, public std::enable_shared_from_this<HumidityDevice> {
  public:
    explicit HumidityDevice(std::shared_ptr<DeviceContext> context);
    // Stops the loop if release() has not.
    ~HumidityDevice() override;
    HumidityDevice(const HumidityDevice&) = delete;
    HumidityDevice& operator=(const HumidityDevice&) = delete;

    // Main thread.
    std::shared_ptr<HumidityPollingLoop> loop() const { return loop_; }
    // Where the loop finds the relay it switches when it comes up. Set before the launch.
    void setRelaySource(std::function<std::shared_ptr<Relay>()> relay);
    // Main thread: the relay connected (the loop takes it unless it has one)
    // or went (the loop lets go of it when it is the loop's).
    void relayConnected(const std::shared_ptr<Relay>& relay);
    void relayDropped(const std::shared_ptr<Relay>& relay);
    // The operator gave up a recovery: the loop's errors are only logged
    // until it reads the sensor again.
    void quietErrors() { errorsQuiet_->store(true); }

    void connect() override;
    void reconnect() override;
    std::optional<RecoveryAlert> recoveryAlert(const std::exception_ptr& error) override;
    void release() override;

  private:
    // On the device's thread: connects the sensor and makes its loop.
    std::shared_ptr<HumidityPollingLoop> bringUp();
    // Stops the loop, joins its thread and releases the sensor.
    void stopLoop();
    void releaseSensorOf(const HumidityPollingLoop& loop) const;

    const std::shared_ptr<DeviceContext> context_;
    std::function<std::shared_ptr<Relay>()> relaySource_;
    // Main thread.
    std::shared_ptr<HumidityPollingLoop> loop_;
    // Shared with the loop's handlers, which hold no device.
    const std::shared_ptr<std::atomic<bool>> errorsQuiet_ = std::make_shared<std::atomic<bool>>(false);

    std::mutex threadMutex_;
    std::thread thread_;
    std::shared_future<void> threadEnded_;
};

} // namespace Dotfield
