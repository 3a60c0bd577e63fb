#include "Dotfield/Instrument/Errors/RelayError.hpp"

namespace Dotfield {

std::string RelayError::domain() const {
    return "Dotfield.RelayError";
}

std::string RelayError::caseDescription() const {
    switch (kind()) {
    case Kind::electronicsDisconnected:
        return "electronicsDisconnected";
    case Kind::unrecoverableCommunicationNoise:
        return "unrecoverableCommunicationNoise";
    case Kind::relayDidNotSwitch:
        return "relayDidNotSwitch";
    }
    return "unknown";
}

ErrorAlertContent RelayError::presentableDescription() const {
    switch (kind()) {
    case Kind::electronicsDisconnected:
        return {"OK", "Cancel", "Relay connection lost.",
                "The connection to the USB-controlled relay has been lost. Check the connection between the "
                "computer and the relay and click OK to attempt reconnection."};
    case Kind::unrecoverableCommunicationNoise:
        return {
            "OK", "Cancel", "Relay communication disrupted.",
            "The communication to the relay has become corrupted. Verify that relay is properly connected to "
            "the computer and that there are no sources of EM interference in the area. Click OK to attempt "
            "reconnection."};
    case Kind::relayDidNotSwitch:
        return {"OK", "Cancel", "Relay did not switch properly.",
                "The relay did not switch to the correct position. Verify that relay is properly connected "
                "to the "
                "computer and that there are no sources of EM interference in the area. Click OK to attempt "
                "reconnection."};
    }
    return {};
}

} // namespace Dotfield
