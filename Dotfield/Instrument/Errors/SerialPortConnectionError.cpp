#include "Dotfield/Instrument/Errors/SerialPortConnectionError.hpp"

namespace Dotfield {

std::string SerialPortConnectionError::domain() const {
    return "Dotfield.SerialPortConnectionError";
}

std::string SerialPortConnectionError::caseDescription() const {
    switch (kind()) {
    case Kind::deviceMissing:
        return "deviceMissing";
    case Kind::connectionToDeviceFailed:
        return "connectionToDeviceFailed";
    case Kind::settingTheSettingsFailed:
        return "settingTheSettingsFailed";
    }
    return "unknown";
}

ErrorAlertContent SerialPortConnectionError::presentableDescription() const {
    switch (kind()) {
    case Kind::deviceMissing:
        return {"OK", "Cancel", "The software was unable to connect to the control electronics.",
                checkElectronicsBoxRecoveryText};
    case Kind::connectionToDeviceFailed:
        // On Linux the adapter is opened through its USB device node, which the
        // user's account must be allowed to open.
        return {
            "OK", "Cancel", "The software was unable to connect to the control electronics.",
            "Dotfield was unable to connect to the electronics. Make sure that another instance of Dotfield "
            "is not running. Please make sure that your user account is allowed to open the USB serial "
            "adapter (a udev rule for the adapter's USB vendor id 0403 grants this). When ready, click OK to "
            "retry the connection."};
    case Kind::settingTheSettingsFailed:
        return {"OK", std::nullopt, "A write error occurred when communicating with the electronics.",
                checkElectronicsBoxRecoveryText};
    }
    return {};
}

} // namespace Dotfield
