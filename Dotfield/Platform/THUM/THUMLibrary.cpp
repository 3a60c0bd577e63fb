#include "Dotfield/Platform/THUM/THUMLibrary.hpp"

#include <mutex>
#include <utility>

#include "Dotfield/Platform/THUM/NoSensorTHUMBackend.hpp"

namespace Dotfield {

namespace {

std::mutex backendMutex;

std::shared_ptr<THUMBackend>& installedBackend() {
    static std::shared_ptr<THUMBackend> backend = std::make_shared<NoSensorTHUMBackend>();
    return backend;
}

std::shared_ptr<THUMBackend> currentBackend() {
    std::lock_guard lock(backendMutex);
    return installedBackend();
}

} // namespace

void setTHUMBackend(std::shared_ptr<THUMBackend> backend) {
    if (!backend) {
        backend = std::make_shared<NoSensorTHUMBackend>();
    }
    std::lock_guard lock(backendMutex);
    installedBackend() = std::move(backend);
}

int GetTHUMHandle(unsigned char* handle, int options, THUMRemovalCallback removalCallback) {
    return currentBackend()->getHandle(handle, options, removalCallback);
}

int ReadTHUM(unsigned char* handle, double* temperatureCelsius, double* relativeHumidity) {
    return currentBackend()->read(handle, temperatureCelsius, relativeHumidity);
}

int ReleaseTHUMHandle(unsigned char* handle) {
    return currentBackend()->releaseHandle(handle);
}

} // namespace Dotfield
