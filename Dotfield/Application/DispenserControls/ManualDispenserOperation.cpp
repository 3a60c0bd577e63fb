#include "Dotfield/Application/DispenserControls/ManualDispenserOperation.hpp"

#include <utility>

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Electronics/WaveformGenerator.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"

namespace Dotfield {

namespace {

std::shared_ptr<SerialPort> requirePort(const Electronics& electronics) {
    auto port = electronics.serialPort();
    if (!port) {
        throw ElectronicsError(ElectronicsErrorKind::electronicsDisconnected);
    }
    return port;
}

} // namespace

ManualDispenserOperation::ManualDispenserOperation(std::shared_ptr<Clock> clock, std::shared_ptr<Sleeper> sleeper)
    : clock_(std::move(clock)), sleeper_(std::move(sleeper)) {}

bool ManualDispenserOperation::startOrCancel(Kind kind, const Drive& drive, std::shared_ptr<Electronics> electronics,
                                             ErrorHandler errorHandler, std::function<void()> finished) {
    if (state_->inProgress.exchange(true)) {
        state_->shouldCancel.store(true);
        return false;
    }
    electronics->serialDispatchQueue().async([kind, drive, electronics, state = state_, clock = clock_,
                                              sleeper = sleeper_, errorHandler = std::move(errorHandler),
                                              finished = std::move(finished)] {
        try {
            if (kind == Kind::dispense) {
                dispense(*electronics, drive, *state, *clock, *sleeper);
            } else {
                spray(*electronics, drive, *state, *clock, *sleeper);
            }
        } catch (...) {
            if (errorHandler) {
                errorHandler(std::current_exception());
            }
        }
        state->shouldCancel.store(false);
        state->inProgress.store(false);
        if (finished) {
            finished();
        }
    });
    return true;
}

void ManualDispenserOperation::dispense(Electronics& electronics, const Drive& drive, const State& state,
                                        Clock& clock, Sleeper& sleeper) {
    const auto port = requirePort(electronics);
    dispenseForDuration(Zovudidova::kilohertz(drive.frequencyKilohertz), drive.voltage, *port,
                        electronics.hardwareGeneration(),
                        Zovudidova::Duration(drive.durationSeconds, Zovudidova::TimeUnit::seconds),
                        [&state] { return state.shouldCancel.load(); }, SprayTiming{clock, sleeper});
}

void ManualDispenserOperation::spray(Electronics& electronics, const Drive& drive, const State& state,
                                     Clock& clock, Sleeper& sleeper) {
    const auto port = requirePort(electronics);
    sprayForDuration(Zovudidova::Duration(drive.durationSeconds, Zovudidova::TimeUnit::seconds),
                     Zovudidova::kilohertz(drive.frequencyKilohertz), drive.voltage, *port,
                     electronics.hardwareGeneration(), Zovudidova::kilohertz(sprayFrequencySpreadKilohertz),
                     Zovudidova::kilohertz(sprayFrequencyStepKilohertz),
                     [&state] { return state.shouldCancel.load(); }, SprayTiming{clock, sleeper});
}

} // namespace Dotfield
