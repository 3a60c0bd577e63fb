#include "Dotfield/Platform/THUM/NoSensorTHUMBackend.hpp"

namespace Dotfield {

int NoSensorTHUMBackend::getHandle(unsigned char*, int, THUMRemovalCallback) {
    return thumNoSensor;
}

int NoSensorTHUMBackend::read(unsigned char*, double*, double*) {
    return thumNoSensor;
}

int NoSensorTHUMBackend::releaseHandle(unsigned char*) {
    return thumSuccess;
}

} // namespace Dotfield
