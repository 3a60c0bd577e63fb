#pragma once
// Switching the UV relay from printing, through the relay's one switch
// operation: on the relay's own queue, the caller waiting, so the relay
// window and the humidity loop take turns with it and the relay's known state
// stays true.

#include "Dotfield/Instrument/Relay/RelayState.hpp"

namespace Dotfield {

class Relay;

// Throws RelayError (after the switch's one retry).
void switchCuringRelay(Relay& relay, RelayState state);

// Opens the relay after a failure, dropping any error of its own: the failure
// that led here is the one to report.
void openCuringRelayAfterFailure(Relay& relay) noexcept;

// Refuses, with RelayError.electronicsDisconnected, a relay whose link is not open.
void requireOpenCuringRelay(const Relay& relay);

} // namespace Dotfield
