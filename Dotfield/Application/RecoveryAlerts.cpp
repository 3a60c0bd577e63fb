#include "Dotfield/Application/RecoveryAlerts.hpp"

namespace Dotfield {

namespace {

ErrorAlertContent withOKAndCancel(ErrorAlertContent content) {
    content.defaultButtonTitle = "OK";
    content.alternateButtonTitle = "Cancel";
    return content;
}

} // namespace

ErrorAlertContent launchConnectionAlertContent(const SerialPortConnectionError& error) {
    return withOKAndCancel(error.presentableDescription());
}

ErrorAlertContent relayRecoveryAlertContent(const RelayError& error) {
    return withOKAndCancel(error.presentableDescription());
}

ErrorAlertContent humidityRecoveryAlertContent(const HumiditySensorError& error) {
    return withOKAndCancel(error.presentableDescription());
}

ErrorAlertContent unexpectedCommunicationsErrorAlertContent() {
    return {"OK", std::nullopt, "Unexpected communications error.",
            "The system encountered an unexpected communications error. Please exit out of Dotfield and restart "
            "to reconnect."};
}

} // namespace Dotfield
