#pragma once
// The values of the dispenser controls window: the drive voltages and
// frequencies for dispensing and spraying (the electronics' own working
// values, which every change updates and stores under the electronics'
// keys), and the durations of a manual dispense and spray (this window's
// keys). A value outside its range is refused and the one in force stays:
// voltages 0 to 20 V (the generator's full scale), frequencies above 0 that
// the electronics' frequency register can hold, durations 0 to 3600 s.
// Main thread only.

#include <memory>

#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

class Electronics;
class UserDefaults;

class DispenserControlSettings {
  public:
    static constexpr double fullScaleVoltage = 20.0;   // volts
    static constexpr double longestDuration = 3600.0;  // seconds

    // Reads "dispensingDurationInSeconds" (1.0) and "sprayingDurationInSeconds"
    // (10.0); the voltages and frequencies start at 1 V, 10 V, 400 kHz, 400 kHz
    // until copyFromElectronics().
    explicit DispenserControlSettings(std::shared_ptr<UserDefaults> userDefaults);

    // Takes the electronics' four drive values as this window's (and stores them).
    void copyFromElectronics(std::shared_ptr<Electronics> electronics);
    const std::shared_ptr<Electronics>& electronics() const { return electronics_; }

    double dispensingVoltage() const { return dispensingVoltage_; }
    double sprayingVoltage() const { return sprayingVoltage_; }
    double dispensingFrequency() const { return dispensingFrequency_; } // kHz
    double sprayingFrequency() const { return sprayingFrequency_; }     // kHz
    double dispensingDuration() const { return dispensingDuration_; }   // seconds
    double sprayingDuration() const { return sprayingDuration_; }       // seconds

    // Each answers false, changing nothing, when it refuses the value.
    bool setDispensingVoltage(double volts);
    bool setSprayingVoltage(double volts);
    bool setDispensingFrequency(double kilohertz);
    bool setSprayingFrequency(double kilohertz);
    bool setDispensingDuration(double seconds);
    bool setSprayingDuration(double seconds);

  private:
    bool acceptsFrequency(double kilohertz) const;
    bool setVoltage(double& field, double volts, void (Electronics::*setter)(double), const char* key);
    bool setFrequency(double& field, double kilohertz,
                      void (Electronics::*setter)(const Zovudidova::Frequency&), const char* key);
    bool setDuration(double& field, double seconds, const char* key);

    const std::shared_ptr<UserDefaults> userDefaults_;
    std::shared_ptr<Electronics> electronics_;
    double dispensingVoltage_ = 1.0;
    double sprayingVoltage_ = 10.0;
    double dispensingFrequency_ = 400.0;
    double sprayingFrequency_ = 400.0;
    double dispensingDuration_;
    double sprayingDuration_;
};

} // namespace Dotfield
