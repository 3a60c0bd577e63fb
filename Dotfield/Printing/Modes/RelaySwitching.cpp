#include "Dotfield/Printing/Modes/RelaySwitching.hpp"

#include "Dotfield/Instrument/Errors/RelayError.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

void switchCuringRelay(Relay& relay, RelayState state) { relay.switchRelay(state); }

void openCuringRelayAfterFailure(Relay& relay) noexcept {
    try {
        switchCuringRelay(relay, RelayState::open);
    } catch (...) {
        Diagnostics::printWithContext("Could not open the UV relay after a failure");
    }
}

void requireOpenCuringRelay(const Relay& relay) {
    if (!relay.serialPort()) {
        throw Diagnostics::logAndReturnError(RelayError(RelayErrorKind::electronicsDisconnected));
    }
}

} // namespace Dotfield
