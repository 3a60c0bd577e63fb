#include "Dotfield/Instrument/Electronics/WaveformGenerator.hpp"

#include <chrono>
#include <stdexcept>
#include <vector>

#include "Dotfield/Instrument/Electronics/DispenserNotifications.hpp"
#include "Dotfield/Instrument/Electronics/ElectronicsErrorConversion.hpp"
#include "Dotfield/Instrument/Electronics/ElectronicsExchange.hpp"
#include "Dotfield/Instrument/Electronics/FrequencyRegister.hpp"
#include "Dotfield/Instrument/Electronics/ImpedanceMeasurementCommands.hpp"
#include "Dotfield/Instrument/Electronics/VoltageCommand.hpp"
#include "Dotfield/Instrument/SafeState/EnergisedOutputs.hpp"
#include "Dotfield/Instrument/SafeState/UnsafeOutputReport.hpp"
#include "Dotfield/Platform/Log.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

using Zovudidova::Frequency;

void postDriveFrequency(const Frequency& frequency) {
    NotificationCenter::defaultCenter().post(dispenserFrequencyChangeNotification(), frequency);
}

void postDriveVoltage(double voltage) {
    NotificationCenter::defaultCenter().post(dispenserVoltageChangeNotification(), voltage);
}

// Whether the drive is still on when a driving operation returns normally.
enum class DriveAfterwards { on, off };

// Runs a driving operation with the drive armed for the safe state, so a
// failed exchange on any link switches it off at once: a CommunicationsError
// becomes its ElectronicsError, any failure switches the drive off (unless a
// link failure already did) before it leaves, and a normal end disarms the
// drive unless it stays on.
template <typename Operation>
void drivingSafely(SerialPort& serialPort, DriveAfterwards afterwards, Operation&& operation) {
    EnergisedOutputs& outputs = EnergisedOutputs::shared();
    outputs.arm(&serialPort, [port = serialPort.weak_from_this()] {
        if (const auto driven = port.lock()) {
            stopDrivingBestEffort(*driven);
        }
    });
    try {
        convertingCommunicationsErrors(operation);
    } catch (...) {
        outputs.switchOffNow(&serialPort);
        throw;
    }
    if (afterwards == DriveAfterwards::off) {
        outputs.disarm(&serialPort);
    }
}

void startDriving(const Frequency& frequency, double voltage, SerialPort& serialPort,
                  ElectronicsHardwareGeneration hardwareGeneration) {
    setElectronicsRelayState(ElectronicsRelayState::waveformGeneratorState, serialPort);
    setVoltage(voltage, serialPort);
    setImpedanceMeasurementFrequency(frequency, serialPort, hardwareGeneration);
    postDriveFrequency(frequency);
    postDriveVoltage(voltage);
}

void finishDriving(SerialPort& serialPort) {
    setVoltage(0.0, serialPort);
    postDriveVoltage(0.0);
    setElectronicsRelayState(ElectronicsRelayState::electronicsState, serialPort);
}

} // namespace

void stopDrivingBestEffort(SerialPort& serialPort) noexcept {
    try {
        setVoltage(0.0, serialPort);
        postDriveVoltage(0.0);
    } catch (...) {
        // The dispenser may still be driven: the operator has to know.
        reportUnsafeOutput("Could not set the drive voltage to 0", std::current_exception());
    }
    try {
        setElectronicsRelayState(ElectronicsRelayState::electronicsState, serialPort);
    } catch (...) {
        writeLogLine(describeFailure("Could not return the relay to the electronics", std::current_exception()));
    }
}

void setElectronicsRelayState(ElectronicsRelayState state, SerialPort& serialPort) {
    const auto command = static_cast<std::uint8_t>(state);
    sendElectronicsCommandCheckingReply({command}, command, serialPort);
}

void setVoltage(double voltage, SerialPort& serialPort) {
    const auto command = voltageCommandBytes(voltage);
    sendElectronicsCommandCheckingReply({command.begin(), command.end()}, setVoltageCommandByte, serialPort);
}

void activateDispensing(const Frequency& frequency, double voltage, SerialPort& serialPort,
                        ElectronicsHardwareGeneration hardwareGeneration) {
    // Bad drive values are refused before the relay connects the generator.
    voltageCode(voltage);
    frequencyRegisterWord(frequency, hardwareGeneration);
    drivingSafely(serialPort, DriveAfterwards::on,
                  [&] { startDriving(frequency, voltage, serialPort, hardwareGeneration); });
}

void deactivateDispensing(SerialPort& serialPort) {
    drivingSafely(serialPort, DriveAfterwards::off, [&] { finishDriving(serialPort); });
}

void dispenseForDuration(const Frequency& frequency, double voltage, SerialPort& serialPort,
                         ElectronicsHardwareGeneration hardwareGeneration, const Zovudidova::Duration& duration,
                         const std::function<bool()>& cancelOperation, SprayTiming timing) {
    voltageCode(voltage);
    frequencyRegisterWord(frequency, hardwareGeneration);
    const double seconds = duration.value(Zovudidova::TimeUnit::seconds);
    drivingSafely(serialPort, DriveAfterwards::off, [&] {
        startDriving(frequency, voltage, serialPort, hardwareGeneration);
        const Clock::TimePoint start = timing.clock.now();
        while (std::chrono::duration<double>(timing.clock.now() - start).count() < seconds) {
            timing.sleeper.sleep(dispenseCheckInterval);
            if (cancelOperation && cancelOperation()) {
                break;
            }
        }
        finishDriving(serialPort);
    });
}

void sprayForDuration(const std::optional<Zovudidova::Duration>& duration, const Frequency& frequency,
                      double voltage, SerialPort& serialPort,
                      ElectronicsHardwareGeneration hardwareGeneration,
                      [[maybe_unused]] const Frequency& frequencySpread, const Frequency& frequencyStepSize,
                      const std::function<bool()>& cancelOperation, SprayTiming timing) {
    // The sweep turns one step beyond the centre each way, so its bounds
    // follow the step size; the spread is the same 20 kHz at every caller.
    const Frequency& step = frequencyStepSize;
    voltageCode(voltage);
    frequencyRegisterWord(frequency, hardwareGeneration);
    if (cancelOperation) {
        if (!(step.value(step.unit()) >= 0.0)) {
            throw Diagnostics::logAndReturnError(
                std::invalid_argument("The frequency step of a spray must not be negative"));
        }
        frequencyRegisterWord(frequency - 2.0 * step, hardwareGeneration);
        frequencyRegisterWord(frequency + 2.0 * step, hardwareGeneration);
    } else if (!duration) {
        throw Diagnostics::logAndReturnError(
            std::invalid_argument("A spray without a cancel test needs a duration"));
    }

    drivingSafely(serialPort, DriveAfterwards::off, [&] {
        startDriving(frequency, voltage, serialPort, hardwareGeneration);
        if (!cancelOperation) {
            timing.sleeper.sleep(*duration);
        } else {
            const Clock::TimePoint start = timing.clock.now();
            setImpedanceMeasurementFrequency(frequency, serialPort, hardwareGeneration);
            Frequency current = frequency;
            double direction = 1.0;
            while (true) {
                const Frequency next = current + step * direction;
                if (next < frequency - step) {
                    direction = 1.0;
                } else if (frequency + step < next) {
                    direction = -1.0;
                }
                const Clock::TimePoint now = timing.clock.now();
                if (cancelOperation()) {
                    break;
                }
                const double elapsedSeconds = std::chrono::duration<double>(now - start).count();
                if (duration && elapsedSeconds >= duration->value(Zovudidova::TimeUnit::seconds)) {
                    break;
                }
                setImpedanceMeasurementFrequency(next, serialPort, hardwareGeneration);
                current = next;
            }
        }
        finishDriving(serialPort);
    });
}

} // namespace Dotfield
