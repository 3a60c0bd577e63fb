#include "Dotfield/Application/Devices/DeviceSupervisor.hpp"

#include <utility>

#include "Dotfield/Application/Devices/CameraDevice.hpp"
#include "Dotfield/Application/Devices/ElectronicsDevice.hpp"
#include "Dotfield/Application/Devices/HumidityDevice.hpp"
#include "Dotfield/Application/Devices/RelayDevice.hpp"
#include "Dotfield/Application/Devices/RobotDevice.hpp"
#include "Dotfield/Application/RecoveryAlerts.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Instrument/Errors/HumiditySensorError.hpp"
#include "Dotfield/Instrument/Errors/RelayError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellError.hpp"

namespace Dotfield {

DeviceSupervisor::DeviceSupervisor(DeviceEnvironment environment,
                                   std::shared_ptr<DispenserStatusPollWindowRegistry> pollWindows)
    : context_(std::make_shared<DeviceContext>(std::move(environment))),
      camera_(std::make_shared<CameraDevice>(context_->environment().camera)),
      electronics_(std::make_shared<ElectronicsDevice>(context_, std::move(pollWindows))),
      humidity_(std::make_shared<HumidityDevice>(context_)),
      relay_(std::make_shared<RelayDevice>(context_, humidity_)),
      robot_(std::make_shared<RobotDevice>(context_)), byErrors_{robot_, electronics_, relay_, humidity_, camera_} {
    humidity_->setRelaySource([weak = std::weak_ptr(relay_)] {
        const auto relay = weak.lock();
        return relay ? relay->relay() : nullptr;
    });
    // Reported on the device queue that failed, which must not wait for the
    // operator: the alert opens on the main thread later.
    previousUnsafeOutputObserver_ =
        installUnsafeOutputObserver([weak = std::weak_ptr(context_)](const std::string& message) {
            MainQueue::main().async([weak, message] {
                if (const auto context = weak.lock()) {
                    context->presentAlert(AlertDevice::unsafeOutput, {.content = unsafeOutputAlertContent(message),
                                                                      .defaultAction = {},
                                                                      .alternateAction = {}});
                }
            });
        });
}

DeviceSupervisor::~DeviceSupervisor() {
    installUnsafeOutputObserver(std::move(previousUnsafeOutputObserver_));
    humidity_->release();
    camera_->release();
}

// ---- Launch ------------------------------------------------------------------------

void DeviceSupervisor::connectAll() {
    camera_->connect();
    electronics_->connect();
    // The relay after the electronics' launch connection, on their queue;
    // the humidity sensor after the relay, whether or not it answered.
    electronics_->electronics()->serialDispatchQueue().async(
        [relay = std::weak_ptr(relay_), humidity = std::weak_ptr(humidity_)] {
            if (const auto device = relay.lock()) {
                device->connect();
            }
            if (const auto device = humidity.lock()) {
                device->connect();
            }
        });
    robot_->connect();
}

void DeviceSupervisor::activatePollingOfDispenserStatus() {
    electronics_->activatePoll();
}

// ---- Errors ------------------------------------------------------------------------

void DeviceSupervisor::handleError(std::exception_ptr error) {
    for (const auto& device : byErrors_) {
        if (const auto recovery = device->recoveryAlert(error)) {
            if (recovery->request) {
                context_->presentAlert(recovery->device, *recovery->request);
            }
            return;
        }
    }
    try {
        std::rethrow_exception(std::move(error));
    } catch (const SolutionWellError& e) {
        // A well the operator must correct: its own alert names it.
        context_->presentAlert(AlertDevice::other,
                               {.content = e.presentableDescription(), .defaultAction = {}, .alternateAction = {}});
    } catch (const std::exception& e) {
        context_->presentAlert(AlertDevice::other, {.content = unexpectedCommunicationsErrorAlertContent(),
                                                    .defaultAction = {},
                                                    .alternateAction = {}});
        context_->log(std::string("Unexpected error: ") + e.what());
    } catch (...) {
        context_->presentAlert(AlertDevice::other, {.content = unexpectedCommunicationsErrorAlertContent(),
                                                    .defaultAction = {},
                                                    .alternateAction = {}});
    }
}

bool DeviceSupervisor::isDeviceError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const RoboticsError&) {
        return true;
    } catch (const ElectronicsError&) {
        return true;
    } catch (const RelayError&) {
        return true;
    } catch (const HumiditySensorError&) {
        return true;
    } catch (...) {
        return false;
    }
}

void DeviceSupervisor::presentUnsafeOutputAlert(const std::string& message) {
    context_->presentAlert(AlertDevice::unsafeOutput,
                           {.content = unsafeOutputAlertContent(message), .defaultAction = {}, .alternateAction = {}});
}

// ---- The end of the run -----------------------------------------------------------------

void DeviceSupervisor::stopAll() {
    electronics_->stop();
    robot_->stop();
}

void DeviceSupervisor::settleAll() {
    robot_->settle();
    electronics_->settle();
}

void DeviceSupervisor::releaseAll() {
    robot_->release();
    humidity_->release();
    camera_->release();
    electronics_->release();
    relay_->release();
}

// ---- State ---------------------------------------------------------------------------

std::shared_ptr<Electronics> DeviceSupervisor::electronics() const {
    return electronics_->electronics();
}

std::shared_ptr<Robot> DeviceSupervisor::robot() const {
    return robot_->robot();
}

std::optional<std::string> DeviceSupervisor::robotModelName() const {
    return robot_->modelName();
}

std::shared_ptr<Relay> DeviceSupervisor::relay() const {
    return relay_->relay();
}

std::shared_ptr<HumidityPollingLoop> DeviceSupervisor::humidityLoop() const {
    return humidity_->loop();
}

const std::shared_ptr<CameraSetUpLoop>& DeviceSupervisor::cameraSetUp() const {
    return camera_->setUp();
}

} // namespace Dotfield
