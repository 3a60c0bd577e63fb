#include "Dotfield/Printing/Modes/PrintingMode.hpp"

#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/Platform/Log.hpp"
#include "Dotfield/Platform/RepeatingTimer.hpp"
#include "Dotfield/Printing/Modes/PrintingElectronics.hpp"
#include "Dotfield/Printing/Modes/RelaySwitching.hpp"

namespace Dotfield {

PrintingMode PrintingMode::none(double seconds) { return {Kind::none, seconds, nullptr}; }

PrintingMode PrintingMode::uvCure(std::shared_ptr<Relay> relay, double seconds) {
    return {Kind::uvCure, seconds, std::move(relay)};
}

PrintingMode PrintingMode::dispense() { return {Kind::dispense, 0.0, nullptr}; }

PrintingMode PrintingMode::spray() { return {Kind::spray, 0.0, nullptr}; }

void PrintingMode::begin(PrintingElectronics& electronics) const {
    switch (kind_) {
    case Kind::none:
        return;
    case Kind::uvCure:
        switchCuringRelay(*relay_, RelayState::closed);
        return;
    case Kind::dispense:
        electronics.statusPollTimer().suspend();
        try {
            electronics.startDispensing();
        } catch (...) {
            electronics.statusPollTimer().resume();
            throw;
        }
        return;
    case Kind::spray:
        electronics.startSpraying();
        return;
    }
}

void PrintingMode::end(PrintingElectronics& electronics) const {
    switch (kind_) {
    case Kind::none:
        return;
    case Kind::uvCure:
        switchCuringRelay(*relay_, RelayState::open);
        return;
    case Kind::dispense:
        electronics.statusPollTimer().resume();
        electronics.stopDispensing();
        return;
    case Kind::spray:
        electronics.stopSpraying();
        return;
    }
}

void PrintingMode::endAfterFailure(PrintingElectronics& electronics) const noexcept {
    switch (kind_) {
    case Kind::none:
        return;
    case Kind::uvCure:
        openCuringRelayAfterFailure(*relay_);
        return;
    case Kind::dispense:
        electronics.statusPollTimer().resume();
        try {
            electronics.stopDispensing();
        } catch (...) {
            writeLogLine(describeFailure("Could not stop dispensing after a failure", std::current_exception()));
        }
        return;
    case Kind::spray:
        try {
            electronics.stopSpraying();
        } catch (...) {
            writeLogLine(describeFailure("Could not stop spraying after a failure", std::current_exception()));
        }
        return;
    }
}

void PrintingMode::perform(const Zovudidova::Duration& d, PrintingElectronics& electronics) const {
    switch (kind_) {
    case Kind::none:
        electronics.dwell(Zovudidova::seconds(duration_));
        return;
    case Kind::uvCure:
        performOnQueueSync(
            [&] {
                switchCuringRelay(*relay_, RelayState::closed);
                electronics.dwell(Zovudidova::seconds(duration_));
                switchCuringRelay(*relay_, RelayState::open);
            },
            *relay_);
        return;
    case Kind::dispense:
        electronics.dispense(d);
        return;
    case Kind::spray:
        electronics.spray(d);
        return;
    }
}

} // namespace Dotfield
