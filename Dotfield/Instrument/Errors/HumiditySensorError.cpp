#include "Dotfield/Instrument/Errors/HumiditySensorError.hpp"

namespace Dotfield {

std::string HumiditySensorError::domain() const {
    return "Dotfield.HumiditySensorError";
}

std::string HumiditySensorError::caseDescription() const {
    switch (kind()) {
    case Kind::sensorBusy:
        return "sensorBusy";
    case Kind::readingFailed:
        return "readingFailed";
    case Kind::sensorDisconnected:
        return "sensorDisconnected";
    }
    return "unknown";
}

ErrorAlertContent HumiditySensorError::presentableDescription() const {
    switch (kind()) {
    case Kind::sensorBusy:
        return {
            "OK", "Cancel", "Humidity sensor busy during reading.",
            "The humidity sensor timed out during a reading. This may be the result of a conflict with other "
            "devices. If on Mac OS X 10.7 (Lion) or higher, make sure the humidity sensor is connected to a "
            "separate USB hub and not directly to the computer. Click OK to continue."};
    case Kind::readingFailed:
        return {
            "OK", "Cancel", "Humidity sensor reading failed.",
            "Communication has failed between the computer and the humidity sensor. Please check to make "
            "sure "
            "the connections are secure to the humidity sensor and click OK to reestablish communication."};
    case Kind::sensorDisconnected:
        return {"OK", std::nullopt, "Humidity sensor disconnected.",
                "The humidity sensor has been disconnected. Reconnect the cables for the humidity sensor and "
                "click "
                "OK to attempt to reconnect."};
    }
    return {};
}

} // namespace Dotfield
