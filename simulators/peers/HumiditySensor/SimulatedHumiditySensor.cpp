#include "simulators/peers/HumiditySensor/SimulatedHumiditySensor.hpp"

#include <cstdio>
#include <cstring>
#include <vector>

namespace Simulators {

namespace {
// What the simulated library answers for a handle it did not hand out or that
// was given back.
constexpr int unknownHandleStatus = 1;
} // namespace

void SimulatedHumiditySensor::setReading(double temperatureCelsius, double relativeHumidity) {
    std::lock_guard lock(mutex_);
    temperatureCelsius_ = temperatureCelsius;
    relativeHumidity_ = relativeHumidity;
}

void SimulatedHumiditySensor::setReadStatus(int status) {
    std::lock_guard lock(mutex_);
    readStatus_ = status;
}

void SimulatedHumiditySensor::setGetHandleStatus(int status) {
    std::lock_guard lock(mutex_);
    getHandleStatus_ = status;
}

void SimulatedHumiditySensor::unplug() {
    std::vector<Dotfield::THUMRemovalCallback> callbacks;
    {
        std::lock_guard lock(mutex_);
        if (unplugged_) {
            return;
        }
        unplugged_ = true;
        for (const auto& handle : openHandles_) {
            if (handle.removalCallback != nullptr) {
                callbacks.push_back(handle.removalCallback);
            }
        }
        removalCallbacks_ += callbacks.size();
    }
    for (auto callback : callbacks) {
        callback(nullptr, nullptr, nullptr, nullptr);
    }
}

void SimulatedHumiditySensor::plugBackIn() {
    std::lock_guard lock(mutex_);
    unplugged_ = false;
}

void SimulatedHumiditySensor::holdCalls(Call call) {
    std::lock_guard lock(mutex_);
    holding_ = true;
    heldCall_ = call;
}

void SimulatedHumiditySensor::waitForHeldCall() {
    std::unique_lock lock(mutex_);
    gate_.wait(lock, [&] { return blockedCalls_ > 0; });
}

void SimulatedHumiditySensor::releaseHeldCalls() {
    std::lock_guard lock(mutex_);
    holding_ = false;
    gate_.notify_all();
}

void SimulatedHumiditySensor::passGate(std::unique_lock<std::mutex>& lock, Call call) {
    if (!holding_ || heldCall_ != call) {
        return;
    }
    ++blockedCalls_;
    gate_.notify_all();
    gate_.wait(lock, [&] { return !holding_; });
    --blockedCalls_;
}

std::string SimulatedHumiditySensor::identityOf(const unsigned char* handle) {
    const auto* text = reinterpret_cast<const char*>(handle);
    return std::string(text, strnlen(text, Dotfield::thumHandleSize));
}

std::size_t SimulatedHumiditySensor::readCount() const {
    std::lock_guard lock(mutex_);
    return reads_;
}

std::size_t SimulatedHumiditySensor::openHandleCount() const {
    std::lock_guard lock(mutex_);
    return openHandles_.size();
}

std::size_t SimulatedHumiditySensor::removalCallbackCount() const {
    std::lock_guard lock(mutex_);
    return removalCallbacks_;
}

int SimulatedHumiditySensor::getHandle(unsigned char* handle, int,
                                       Dotfield::THUMRemovalCallback removalCallback) {
    std::unique_lock lock(mutex_);
    passGate(lock, Call::getHandle);
    if (unplugged_) {
        return Dotfield::thumNoSensor;
    }
    if (getHandleStatus_ != Dotfield::thumSuccess) {
        return getHandleStatus_;
    }
    char identity[Dotfield::thumHandleSize] = {};
    std::snprintf(identity, sizeof identity, "SIMTHUM-%04zu", ++handlesIssued_);
    std::memset(handle, 0, Dotfield::thumHandleSize);
    std::memcpy(handle, identity, std::strlen(identity));
    openHandles_.insert({identity, removalCallback});
    return Dotfield::thumSuccess;
}

int SimulatedHumiditySensor::read(unsigned char* handle, double* temperatureCelsius,
                                  double* relativeHumidity) {
    std::unique_lock lock(mutex_);
    passGate(lock, Call::read);
    ++reads_;
    if (unplugged_) {
        return Dotfield::thumNoSensor;
    }
    if (!openHandles_.contains(OpenHandle{identityOf(handle), nullptr})) {
        return unknownHandleStatus;
    }
    if (readStatus_ != Dotfield::thumSuccess) {
        return readStatus_;
    }
    *temperatureCelsius = temperatureCelsius_;
    *relativeHumidity = relativeHumidity_;
    return Dotfield::thumSuccess;
}

int SimulatedHumiditySensor::releaseHandle(unsigned char* handle) {
    std::unique_lock lock(mutex_);
    passGate(lock, Call::releaseHandle);
    openHandles_.erase(OpenHandle{identityOf(handle), nullptr});
    return Dotfield::thumSuccess;
}

} // namespace Simulators
