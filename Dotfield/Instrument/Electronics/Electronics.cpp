#include "Dotfield/Instrument/Electronics/Electronics.hpp"

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "Dotfield/Instrument/DispenserStatus/NoiseCalculationArrays.hpp"
#include "Dotfield/Instrument/DispenserStatus/OriginalDesignStatusCommands.hpp"
#include "Dotfield/Instrument/DispenserStatus/StatusCheck.hpp"
#include "Dotfield/Instrument/Electronics/ElectronicsExchange.hpp"
#include "Dotfield/Instrument/Electronics/ImpedanceRecord.hpp"
#include "Dotfield/Instrument/Electronics/RedesignedImpedanceMeasurement.hpp"
#include "Dotfield/Instrument/Electronics/WaveformGenerator.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

using Zovudidova::FrequencyUnit;

const std::string dispensingFrequencyKey = "dispensingFrequency";
const std::string sprayingFrequencyKey = "sprayingFrequency";
const std::string dispensingVoltageKey = "dispensingVoltage";
const std::string sprayingVoltageKey = "sprayingVoltage";

constexpr double defaultFrequencyInKilohertz = 460.0;
constexpr double defaultDispensingVoltage = 0.5;
constexpr double defaultSprayingVoltage = 10.0;

// The sweep of every spray: 20 kHz steps, turning 40 kHz either side of the centre.
constexpr Zovudidova::Frequency sprayFrequencySpread = Zovudidova::kilohertz(20.0);
constexpr Zovudidova::Frequency sprayFrequencyStepSize = Zovudidova::kilohertz(20.0);

// The weight of a new reading in the moving average of an off-surface point.
constexpr double averageUpdateWeight = 0.1;

constexpr std::uint8_t originalDesignStatusReadingCommand = 0x73; // 's'
constexpr std::uint8_t redesignStatusReadingCommand = 0x50;       // 'P'

Zovudidova::Frequency storedFrequency(const UserDefaults& userDefaults, const std::string& key) {
    return Zovudidova::kilohertz(userDefaults.doubleForKey(key).value_or(defaultFrequencyInKilohertz));
}

} // namespace

Electronics::Electronics(std::shared_ptr<UserDefaults> userDefaults, ElectronicsTiming timing)
    : userDefaults_(std::move(userDefaults)),
      timing_(std::move(timing)),
      dispensingFrequency_(storedFrequency(*userDefaults_, dispensingFrequencyKey)),
      sprayingFrequency_(storedFrequency(*userDefaults_, sprayingFrequencyKey)),
      dispensingVoltage_(userDefaults_->doubleForKey(dispensingVoltageKey).value_or(defaultDispensingVoltage)),
      sprayingVoltage_(userDefaults_->doubleForKey(sprayingVoltageKey).value_or(defaultSprayingVoltage)),
      dispatchTimer_(timing_.clock) {}

Electronics::~Electronics() {
    // A background spray would otherwise keep the queue, and this destructor, busy for ever.
    sprayingOrDispensingCancelled_.store(true);
}

// ---- The link -----------------------------------------------------------------

std::shared_ptr<SerialPort> Electronics::serialPort() const {
    std::lock_guard lock(mutex_);
    return serialPort_;
}

void Electronics::setSerialPort(std::shared_ptr<SerialPort> serialPort) {
    std::lock_guard lock(mutex_);
    serialPort_ = std::move(serialPort);
}

ElectronicsHardwareGeneration Electronics::hardwareGeneration() const {
    std::lock_guard lock(mutex_);
    return hardwareGeneration_;
}

void Electronics::setHardwareGeneration(ElectronicsHardwareGeneration generation) {
    std::lock_guard lock(mutex_);
    hardwareGeneration_ = generation;
}

SprayTiming Electronics::sprayTiming() const { return SprayTiming{*timing_.clock, *timing_.sleeper}; }

std::shared_ptr<SerialPort> Electronics::requireSerialPort() const {
    auto port = serialPort();
    if (!port) {
        throw Diagnostics::logAndReturnError(ElectronicsError(ElectronicsErrorKind::electronicsDisconnected));
    }
    return port;
}

// ---- Observers ----------------------------------------------------------------

void Electronics::setResonantFrequencyObserver(ResonantFrequencyObserver observer) {
    std::lock_guard lock(mutex_);
    resonantFrequencyObserver_ = std::move(observer);
}

void Electronics::setSensorSignalUpdateObserver(SensorSignalUpdateObserver observer) {
    std::lock_guard lock(mutex_);
    sensorSignalUpdateObserver_ = std::move(observer);
}

void Electronics::setSprayingErrorHandler(SprayingErrorHandler handler) {
    std::lock_guard lock(mutex_);
    sprayingErrorHandler_ = std::move(handler);
}

// ---- Statistics -----------------------------------------------------------------

std::optional<DispenserStatistics> Electronics::dispenserStatistics() const {
    return dispenserstatisticsAccessQueue_.sync([this] { return internalDispenserStatistics_; });
}

void Electronics::setDispenserStatistics(std::optional<DispenserStatistics> statistics) {
    dispenserstatisticsAccessQueue_.async(
        [this, statistics = std::move(statistics)] { internalDispenserStatistics_ = statistics; });
}

// ---- Drive settings ---------------------------------------------------------------

Zovudidova::Frequency Electronics::dispensingFrequency() const {
    std::lock_guard lock(mutex_);
    return dispensingFrequency_;
}

void Electronics::setDispensingFrequency(const Zovudidova::Frequency& frequency) {
    std::lock_guard lock(mutex_);
    dispensingFrequency_ = frequency;
}

Zovudidova::Frequency Electronics::sprayingFrequency() const {
    std::lock_guard lock(mutex_);
    return sprayingFrequency_;
}

void Electronics::setSprayingFrequency(const Zovudidova::Frequency& frequency) {
    std::lock_guard lock(mutex_);
    sprayingFrequency_ = frequency;
}

double Electronics::dispensingVoltage() const {
    std::lock_guard lock(mutex_);
    return dispensingVoltage_;
}

void Electronics::setDispensingVoltage(double volts) {
    std::lock_guard lock(mutex_);
    dispensingVoltage_ = volts;
}

double Electronics::sprayingVoltage() const {
    std::lock_guard lock(mutex_);
    return sprayingVoltage_;
}

void Electronics::setSprayingVoltage(double volts) {
    std::lock_guard lock(mutex_);
    sprayingVoltage_ = volts;
}

void Electronics::updateResonantFrequency(const ImpedanceMeasurement& resonance) {
    const Zovudidova::Frequency frequency = resonance.measurementSettings.frequency;
    ResonantFrequencyObserver observer;
    {
        std::lock_guard lock(mutex_);
        observer = resonantFrequencyObserver_;
        if (!observer) {
            dispensingFrequency_ = frequency;
            sprayingFrequency_ = frequency;
        }
    }
    if (observer) {
        observer(frequency);
        return;
    }
    const double kilohertz = frequency.value(FrequencyUnit::kilohertz);
    userDefaults_->setDouble(kilohertz, dispensingFrequencyKey);
    userDefaults_->setDouble(kilohertz, sprayingFrequencyKey);
}

// ---- Status -------------------------------------------------------------------------

DispenserConnectionStatus Electronics::checkDispenserStatus(bool statusOnly) {
    const auto statistics = dispenserStatistics();
    if (!statistics) {
        return DispenserConnectionStatus::disconnected;
    }
    const DispenserStatusCheck check = checkDispenserStatusBasedOnStatistics(*statistics, *this);
    if (statusOnly) {
        return check.status;
    }

    DispenserStatistics updated = *statistics;
    if (check.status == DispenserConnectionStatus::connectedAndOffSurface) {
        for (std::size_t i = 0; i < dispenserStatusPointCount; ++i) {
            double& average = updated[i].averageImpedanceMagnitude;
            average = (1.0 - averageUpdateWeight) * average + averageUpdateWeight * check.impedances[i].magnitude;
        }
    }
    SensorSignalUpdateObserver observer;
    {
        std::lock_guard lock(mutex_);
        observer = sensorSignalUpdateObserver_;
    }
    if (observer) {
        observer(check.impedances, updated);
    }
    setDispenserStatistics(updated);
    saveNoiseCalculationArrays(updated, *userDefaults_);
    return check.status;
}

DispenserStatusReading Electronics::readStatus() {
    const auto port = requireSerialPort();
    if (hardwareGeneration() == ElectronicsHardwareGeneration::redesign2016) {
        writeElectronicsCommand({redesignStatusReadingCommand}, *port);
        return decodeImpedanceReplyPV(readElectronicsReply(impedanceStatusReplySizePV, *port));
    }
    writeElectronicsCommand({originalDesignStatusReadingCommand}, *port);
    return decodeImpedanceStatusReply(readElectronicsReply(impedanceStatusReplySize, *port));
}

void Electronics::initializeStatusCheck(const DispenserStatusPoints& points) {
    const auto port = requireSerialPort();
    if (hardwareGeneration() == ElectronicsHardwareGeneration::redesign2016) {
        std::array<Zovudidova::Frequency, dispenserStatusPointCount> frequencies{
            points[0].frequency, points[1].frequency, points[2].frequency, points[3].frequency, points[4].frequency};
        initializeImpedanceStatusCheckPV(frequencies, *port);
        return;
    }
    initializeImpedanceStatusCheck(points, *port);
}

// ---- Dispensing and spraying ------------------------------------------------------------

void Electronics::startDispensing() {
    const auto port = requireSerialPort();
    const auto frequency = dispensingFrequency();
    const double voltage = dispensingVoltage();
    const auto generation = hardwareGeneration();
    activateDispensing(frequency, voltage, *port, generation);
}

void Electronics::stopDispensing() { deactivateDispensing(*requireSerialPort()); }

void Electronics::dispense(const Zovudidova::Duration& duration) {
    const auto port = requireSerialPort();
    const auto frequency = dispensingFrequency();
    const double voltage = dispensingVoltage();
    const auto generation = hardwareGeneration();
    dispenseForDuration(frequency, voltage, *port, generation, duration,
                        [this] { return sprayingOrDispensingCancelled_.load(); }, sprayTiming());
}

void Electronics::spray(const Zovudidova::Duration& duration) {
    const auto port = requireSerialPort();
    const auto frequency = sprayingFrequency();
    const double voltage = sprayingVoltage();
    const auto generation = hardwareGeneration();
    sprayForDuration(duration, frequency, voltage, *port, generation, sprayFrequencySpread, sprayFrequencyStepSize,
                     nullptr, sprayTiming());
}

void Electronics::startSpraying() {
    dispatchTimer_.suspend();
    sprayingOrDispensingCancelled_.store(false);
    serialDispatchQueue_.async([this] { spray(); });
}

void Electronics::spray() {
    try {
        const auto port = requireSerialPort();
        const auto frequency = sprayingFrequency();
        const double voltage = sprayingVoltage();
        const auto generation = hardwareGeneration();
        // A spray that fails leaves the dispenser undriven, best-effort, before it reports.
        sprayForDuration(std::nullopt, frequency, voltage, *port, generation, sprayFrequencySpread,
                         sprayFrequencyStepSize, [this] { return sprayingOrDispensingCancelled_.load(); }, sprayTiming());
    } catch (...) {
        Diagnostics::printWithContext("Error during spraying");
        SprayingErrorHandler handler;
        {
            std::lock_guard lock(mutex_);
            handler = sprayingErrorHandler_;
        }
        if (handler) {
            handler(std::current_exception());
        }
    }
}

} // namespace Dotfield
