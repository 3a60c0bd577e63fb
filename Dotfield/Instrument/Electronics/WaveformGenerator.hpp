#pragma once
// The waveform generator that drives the dispenser: the output relay, the
// drive voltage, and the compound operations that start and stop dispensing
// and spray with a triangle sweep of the drive frequency around its centre.
//
//   'g' -> 'g'        relay to the generator (it drives the dispenser)
//   'i' -> 'i'        relay to the electronics (their own circuits have it)
//   'w' hi lo -> 'w'  drive voltage
// The frequency is set with the 'F' command of the measurement commands.
//
// The compound operations post the drive values as notifications and report
// failures as ElectronicsError. While they drive the dispenser the drive is
// armed for the safe state (EnergisedOutputs): a failed exchange with any
// device switches it off at once. When one fails part-way it leaves the
// dispenser undriven, best-effort: voltage 0 and relay to the electronics,
// before the original error is reported; a failure of that is reported too.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "Dotfield/Instrument/Electronics/ElectronicsHardwareGeneration.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Platform/Clock.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

enum class ElectronicsRelayState : std::uint8_t {
    electronicsState = 0x69,       // 'i'
    waveformGeneratorState = 0x67, // 'g'
};

// Raise the CommunicationsError of the exchange or of the reply check.
void setElectronicsRelayState(ElectronicsRelayState state, SerialPort& serialPort);
// A voltage outside the command's range is refused with std::out_of_range
// before anything is sent.
void setVoltage(double voltage, SerialPort& serialPort);

// Relay to the generator, voltage, frequency; then the frequency and voltage
// notifications.
void activateDispensing(const Zovudidova::Frequency& frequency, double voltage, SerialPort& serialPort,
                        ElectronicsHardwareGeneration hardwareGeneration);

// Voltage 0 (and its notification), relay to the electronics.
void deactivateDispensing(SerialPort& serialPort);

// Leaves the dispenser undriven after a failure or a stop, as far as the
// electronics still answer: voltage 0 (and its notification), relay to the
// electronics. A voltage that could not be set to 0 goes to
// reportUnsafeOutput (the log and the operator), a relay that did not return
// to the log; the caller reports its own error.
void stopDrivingBestEffort(SerialPort& serialPort) noexcept;

// Where a spray or a timed dispense takes its time from: the wall clock for
// the duration, the sleeper for the waits.
struct SprayTiming {
    Clock& clock = *systemClock();
    Sleeper& sleeper = *systemSleeper();
};

// How often a timed dispense looks at the clock and its cancel test.
inline constexpr Clock::Duration dispenseCheckInterval = std::chrono::milliseconds(100);

// Starts as activateDispensing, then waits in steps of dispenseCheckInterval
// until the duration has passed or the cancel test (asked after each step)
// answers true; a zero duration does not wait. Then voltage 0 and relay to
// the electronics. The drive is switched off on every way out: a wait or a
// cancel test that throws leaves the dispenser undriven before its error.
void dispenseForDuration(const Zovudidova::Frequency& frequency, double voltage, SerialPort& serialPort,
                         ElectronicsHardwareGeneration hardwareGeneration, const Zovudidova::Duration& duration,
                         const std::function<bool()>& cancelOperation, SprayTiming timing = {});

// Starts as activateDispensing at the centre frequency. Without a cancel test
// it sleeps for the duration. With one it sweeps the drive frequency in steps
// of frequencyStepSize, turning where it passes the centre by more than one
// step (c, c+s, c+2s, c+s, c, c-s, c-2s, c-s, c, ...), until the cancel test
// answers true or the duration has passed. Then voltage 0 (and its
// notification) and relay to the electronics. A spray without a cancel test
// needs a duration (std::invalid_argument otherwise, before anything is sent).
void sprayForDuration(const std::optional<Zovudidova::Duration>& duration,
                      const Zovudidova::Frequency& frequency, double voltage, SerialPort& serialPort,
                      ElectronicsHardwareGeneration hardwareGeneration,
                      const Zovudidova::Frequency& frequencySpread,
                      const Zovudidova::Frequency& frequencyStepSize,
                      const std::function<bool()>& cancelOperation, SprayTiming timing = {});

} // namespace Dotfield
