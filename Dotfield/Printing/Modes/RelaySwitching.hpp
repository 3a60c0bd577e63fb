#pragma once
// Switching the UV relay from printing, through the relay's one switch
// operation: on the relay's own queue, the caller waiting, so the relay
// window and the humidity loop take turns with it and the relay's known state
// stays true.

#include "Dotfield/Instrument/Relay/RelayState.hpp"

namespace Dotfield {

class Relay;

// Throws RelayError (after the switch's one retry). While the relay may be
// closed it is armed for the safe state (EnergisedOutputs): a failed exchange
// with any device opens it at once.
void switchCuringRelay(Relay& relay, RelayState state);

// Opens the relay after a failure (unless a link failure already has). A
// failure to open it is logged and shown to the operator, not thrown: the
// failure that led here is the one to report.
void openCuringRelayAfterFailure(Relay& relay) noexcept;

// Refuses, with RelayError.electronicsDisconnected, a relay whose link is not open.
void requireOpenCuringRelay(const Relay& relay);

} // namespace Dotfield
