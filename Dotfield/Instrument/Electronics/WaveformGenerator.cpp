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

// Runs a driving operation: a CommunicationsError becomes its ElectronicsError,
// and any failure first stops the drive.
template <typename Operation> void drivingSafely(SerialPort& serialPort, Operation&& operation) {
    try {
        convertingCommunicationsErrors(operation);
    } catch (...) {
        stopDrivingBestEffort(serialPort);
        throw;
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

void stopDrivingBestEffort(SerialPort& serialPort) {
    try {
        setVoltage(0.0, serialPort);
        postDriveVoltage(0.0);
    } catch (...) {
        Diagnostics::printWithContext("Could not set the drive voltage to 0 after a failure");
    }
    try {
        setElectronicsRelayState(ElectronicsRelayState::electronicsState, serialPort);
    } catch (...) {
        Diagnostics::printWithContext("Could not return the relay to the electronics after a failure");
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
    drivingSafely(serialPort, [&] { startDriving(frequency, voltage, serialPort, hardwareGeneration); });
}

void deactivateDispensing(SerialPort& serialPort) {
    drivingSafely(serialPort, [&] { finishDriving(serialPort); });
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

    drivingSafely(serialPort, [&] {
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
