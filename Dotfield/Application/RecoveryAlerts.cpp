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

ErrorAlertContent unsafeOutputAlertContent(const std::string& message) {
    return {"OK", std::nullopt, "The dispenser or the UV lamp may still be on.",
            message + ". Switch the control electronics and the UV lamp off at their power switches, then check "
                      "their connections before you go on."};
}

ErrorAlertContent unexpectedCommunicationsErrorAlertContent() {
    return {"OK", std::nullopt, "Unexpected communications error.",
            "The system encountered an unexpected communications error. Please exit out of Dotfield and restart "
            "to reconnect."};
}

} // namespace Dotfield
