#pragma once
// The relay box's two commands: switch the output, and read it back. Callers
// pass the relay's port and run the call on the relay's serial queue.

#include <memory>

#include "Dotfield/Instrument/Relay/RelayState.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"

namespace Dotfield {

// Switches the relay and returns once the box reports the requested state. A
// failed switch command is sent once more. Throws RelayError:
// electronicsDisconnected (no port, or a driver call failed),
// unrecoverableCommunicationNoise (a bad reply), relayDidNotSwitch.
void switchExternalRelay(RelayState state, const std::shared_ptr<SerialPort>& serialPort);

// True when the relay is closed, false when open. Throws CommunicationsError
// for a failed exchange or a state byte other than 0 or 1, and
// RelayError::electronicsDisconnected when there is no port.
bool readExternalRelayStatus(const std::shared_ptr<SerialPort>& serialPort);

} // namespace Dotfield
