#include "Dotfield/Application/Devices/CameraDevice.hpp"

#include <utility>

namespace Dotfield {

CameraDevice::CameraDevice(CameraSetUpEnvironment environment)
    : setUp_(std::make_shared<CameraSetUpLoop>(std::move(environment))) {}

void CameraDevice::connect() {
    if (setUp_->hasUser()) {
        setUp_->start();
    }
}

void CameraDevice::reconnect() {
    setUp_->restart();
}

std::optional<RecoveryAlert> CameraDevice::recoveryAlert(const std::exception_ptr&) {
    return std::nullopt;
}

void CameraDevice::release() {
    setUp_->stop();
}

} // namespace Dotfield
