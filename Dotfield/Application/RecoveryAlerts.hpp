#pragma once
// The contents of the alerts with which the application recovers from device
// failures, where they differ from the errors' own descriptions.

#include <string>

#include "Dotfield/Instrument/Errors/HumiditySensorError.hpp"
#include "Dotfield/Instrument/Errors/RelayError.hpp"
#include "Dotfield/Instrument/Errors/SerialPortConnectionError.hpp"
#include "Dotfield/Platform/Alerts/ErrorAlertContent.hpp"

namespace Dotfield {

inline constexpr const char* userCancelledErrorRecovery = "User cancelled error recovery";

// The alert of a failed electronics connection at launch. Every case offers
// "Cancel", so the operator can always go on without the electronics.
ErrorAlertContent launchConnectionAlertContent(const SerialPortConnectionError& error);

// Relay and humidity sensor alerts: the error's title and text with "OK" and
// "Cancel" in every case.
ErrorAlertContent relayRecoveryAlertContent(const RelayError& error);
ErrorAlertContent humidityRecoveryAlertContent(const HumiditySensorError& error);

// The dispenser or the UV lamp could not be switched off after a failure;
// the message says which and why. "OK" alone.
ErrorAlertContent unsafeOutputAlertContent(const std::string& message);

// Any error without a recovery of its own: "Unexpected communications error."
// with "OK" alone.
ErrorAlertContent unexpectedCommunicationsErrorAlertContent();

} // namespace Dotfield
