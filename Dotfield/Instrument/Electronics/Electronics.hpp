#pragma once
// The one object through which the application talks to the dispenser
// electronics: the waveform generator that drives the dispenser for dispensing
// and spraying, and the impedance meter that watches the dispenser's state.
//
// It holds the electronics link (set by the application once the port is open),
// the serial queue on which every exchange with the electronics runs, the four
// drive settings (kept in the settings store), the reference statistics of the
// status check, and the status-poll timer with its semaphore.
//
// Threads: every exchange must run on serialDispatchQueue(); startSpraying()
// and the statistics accessors dispatch by themselves, every other operation
// runs on the caller's thread and its caller places it on the queue. The
// fields other subsystems read and write (link, generation, observers, drive
// settings, the cancel flag) are safe to use from any thread.

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "Dotfield/Instrument/DispenserStatus/DispenserConnectionStatus.hpp"
#include "Dotfield/Instrument/DispenserStatus/StatisticalImpedanceMeasurement.hpp"
#include "Dotfield/Instrument/Electronics/ElectronicsHardwareGeneration.hpp"
#include "Dotfield/Instrument/Electronics/Impedance.hpp"
#include "Dotfield/Instrument/Electronics/WaveformGenerator.hpp"
#include "Dotfield/Instrument/HelperFunctions/TimerTicks.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Platform/RepeatingTimer.hpp"
#include "Dotfield/Platform/Semaphore.hpp"
#include "Dotfield/Platform/SerialQueue.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

// Time as the dispensing waits, the sprays and the status poll see it; tests
// pass a ManualClock for both.
struct ElectronicsTiming {
    std::shared_ptr<Clock> clock = systemClock();
    std::shared_ptr<Sleeper> sleeper = systemSleeper();
};

class Electronics final : public DispatchTimer {
public:
    // Receives a newly found resonant frequency instead of the drive settings.
    using ResonantFrequencyObserver = std::function<void(const Zovudidova::Frequency&)>;
    // Receives every statistics-updating status reading with the statistics
    // after the update.
    using SensorSignalUpdateObserver =
        std::function<void(const DispenserStatusReading&, const DispenserStatistics&)>;
    // Receives the error that ended a background spray.
    using SprayingErrorHandler = std::function<void(std::exception_ptr)>;

    // Loads the four drive settings from the store, with their defaults.
    explicit Electronics(std::shared_ptr<UserDefaults> userDefaults, ElectronicsTiming timing = {});
    // Ends a background spray, stops the timer, then lets the work already
    // queued finish before the rest goes away.
    ~Electronics() override;
    Electronics(const Electronics&) = delete;
    Electronics& operator=(const Electronics&) = delete;

    // ---- The link (set by the application when it opens or reopens it) --------

    std::shared_ptr<SerialPort> serialPort() const;
    void setSerialPort(std::shared_ptr<SerialPort> serialPort);
    ElectronicsHardwareGeneration hardwareGeneration() const;
    void setHardwareGeneration(ElectronicsHardwareGeneration generation);

    // ---- Queue, timer and semaphore --------------------------------------------

    // "com.veltrane.Dotfield.electronicsCommunicationQueue"
    SerialQueue& serialDispatchQueue() override { return serialDispatchQueue_; }
    // Count 1: at most one status poll in flight.
    Semaphore& timerSemaphore() override { return timerSemaphore_; }
    // The status-poll timer, created suspended; scheduled by the poll's owner.
    RepeatingTimer& dispatchTimer() override { return dispatchTimer_; }

    // ---- Observers -------------------------------------------------------------

    void setResonantFrequencyObserver(ResonantFrequencyObserver observer);
    void setSensorSignalUpdateObserver(SensorSignalUpdateObserver observer);
    // Where a background spray reports the error that ended it (besides the
    // console line); without a handler the error is only written there.
    void setSprayingErrorHandler(SprayingErrorHandler handler);

    // ---- Reference statistics of the status check --------------------------------

    // A copy, read in order with the writes before it.
    std::optional<DispenserStatistics> dispenserStatistics() const;
    // Replaces the whole group (std::nullopt clears it), without waiting.
    void setDispenserStatistics(std::optional<DispenserStatistics> statistics);

    // ---- Drive settings ---------------------------------------------------------

    Zovudidova::Frequency dispensingFrequency() const;
    void setDispensingFrequency(const Zovudidova::Frequency& frequency);
    Zovudidova::Frequency sprayingFrequency() const;
    void setSprayingFrequency(const Zovudidova::Frequency& frequency);
    double dispensingVoltage() const;
    void setDispensingVoltage(double volts);
    double sprayingVoltage() const;
    void setSprayingVoltage(double volts);

    // Takes the frequency of the resonance the dispenser calibration chose: to
    // the resonant-frequency observer when one is set, otherwise as both drive
    // frequencies, stored under "dispensingFrequency" and "sprayingFrequency".
    void updateResonantFrequency(const ImpedanceMeasurement& resonance);

    // ---- Status ------------------------------------------------------------------

    // The dispenser's state from one status reading; disconnected, without any
    // traffic, when there are no reference statistics. Unless statusOnly, a
    // reading off the surface moves each point's average 10% toward it, and
    // the statistics go to the observer, back into this object and into the
    // settings store. Throws ElectronicsError; nothing changes then.
    DispenserConnectionStatus checkDispenserStatus(bool statusOnly);

    // One status reading of the five programmed points, in point order.
    // Throws the serial link's errors (CommunicationsError), or
    // ElectronicsError.electronicsDisconnected when there is no link.
    DispenserStatusReading readStatus();

    // Programs the five status-check points into the electronics. Throws.
    void initializeStatusCheck(const DispenserStatusPoints& points);

    // ---- Dispensing and spraying ---------------------------------------------------

    // Every one of these that fails after switching the generator on switches
    // it off again, best-effort, and reports the original error.

    // Drives the dispenser at the dispensing frequency and voltage. Throws.
    void startDispensing();
    // Voltage to 0 and the relay back to the electronics. Throws.
    void stopDispensing();
    // Dispenses for the duration or until sprayingOrDispensingCancelled is
    // set (looked at every 0.1 s). Throws.
    void dispense(const Zovudidova::Duration& duration);
    // Sprays for the duration, sweeping around the spraying frequency. Throws.
    void spray(const Zovudidova::Duration& duration);
    // Suspends the status poll, clears the cancel flag and sprays on the
    // electronics queue until the flag is set; returns at once. Whoever sets
    // the flag resumes the poll.
    void startSpraying();

    bool sprayingOrDispensingCancelled() const { return sprayingOrDispensingCancelled_.load(); }
    void setSprayingOrDispensingCancelled(bool cancelled) { sprayingOrDispensingCancelled_.store(cancelled); }

private:
    // The background spray; never throws.
    void spray();
    // The open link, or ElectronicsError.electronicsDisconnected.
    std::shared_ptr<SerialPort> requireSerialPort() const;
    // The clock and sleeper of a spray.
    SprayTiming sprayTiming() const;

    const std::shared_ptr<UserDefaults> userDefaults_;
    const ElectronicsTiming timing_;

    // Guards the link, the observers and the drive settings.
    mutable std::mutex mutex_;
    ElectronicsHardwareGeneration hardwareGeneration_ = ElectronicsHardwareGeneration::originalDesign;
    std::shared_ptr<SerialPort> serialPort_;
    ResonantFrequencyObserver resonantFrequencyObserver_;
    SensorSignalUpdateObserver sensorSignalUpdateObserver_;
    SprayingErrorHandler sprayingErrorHandler_;
    Zovudidova::Frequency dispensingFrequency_;
    Zovudidova::Frequency sprayingFrequency_;
    double dispensingVoltage_;
    double sprayingVoltage_;

    std::atomic<bool> sprayingOrDispensingCancelled_{false};

    // Touched only on dispenserstatisticsAccessQueue_.
    std::optional<DispenserStatistics> internalDispenserStatistics_;
    // Destroyed in reverse order: the timer first (no new tick), then the
    // electronics queue (its last poll still writes statistics and signals the
    // semaphore), then the statistics queue, then the semaphore.
    Semaphore timerSemaphore_{1};
    mutable SerialQueue dispenserstatisticsAccessQueue_{"com.veltrane.Dotfield.dispenserstatisticsAccessQueue"};
    SerialQueue serialDispatchQueue_{"com.veltrane.Dotfield.electronicsCommunicationQueue"};
    RepeatingTimer dispatchTimer_;
};

} // namespace Dotfield
