#include "Dotfield/Printing/Modes/RelaySwitching.hpp"

#include "Dotfield/Instrument/Errors/RelayError.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/Instrument/SafeState/EnergisedOutputs.hpp"
#include "Dotfield/Instrument/SafeState/UnsafeOutputReport.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

void switchCuringRelay(Relay& relay, RelayState state) {
    EnergisedOutputs& outputs = EnergisedOutputs::shared();
    if (state == RelayState::closed) {
        // From before the close on, a failed exchange with any device opens it again.
        outputs.arm(&relay, [weak = relay.weak_from_this()] {
            const auto curing = weak.lock();
            if (!curing) {
                return;
            }
            try {
                curing->switchRelay(RelayState::open);
            } catch (...) {
                reportUnsafeOutput("Could not open the UV relay", std::current_exception());
            }
        });
    }
    relay.switchRelay(state);
    if (state == RelayState::open) {
        outputs.disarm(&relay);
    }
}

void openCuringRelayAfterFailure(Relay& relay) noexcept {
    // Every close armed the relay: unless a link failure has opened it
    // already, its action opens it now and reports when it cannot.
    EnergisedOutputs::shared().switchOffNow(&relay);
}

void requireOpenCuringRelay(const Relay& relay) {
    if (!relay.serialPort()) {
        throw Diagnostics::logAndReturnError(RelayError(RelayErrorKind::electronicsDisconnected));
    }
}

} // namespace Dotfield
