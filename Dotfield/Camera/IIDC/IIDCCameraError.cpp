#include "Dotfield/Camera/IIDC/IIDCCameraError.hpp"

namespace Dotfield {

std::string IIDCCameraError::domain() const {
    return "Dotfield.IIDCCameraError";
}

std::string IIDCCameraError::caseDescription() const {
    switch (kind_) {
    case Kind::noDevicesConnected:
        return "noDevicesConnected";
    case Kind::noMatchingDevice:
        return "noMatchingDevice";
    case Kind::cameraDisconnected:
        return "cameraDisconnected";
    }
    return "unknown";
}

} // namespace Dotfield
