#include "Dotfield/Application/DispenserControls/DispenserControlSettings.hpp"

#include <cmath>
#include <stdexcept>
#include <utility>

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Electronics/FrequencyRegister.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace Dotfield {

namespace {

using Zovudidova::FrequencyUnit;

bool acceptsVoltage(double volts) {
    return volts >= 0.0 && volts <= DispenserControlSettings::fullScaleVoltage;
}

bool acceptsDuration(double seconds) {
    return seconds >= 0.0 && seconds <= DispenserControlSettings::longestDuration;
}

} // namespace

DispenserControlSettings::DispenserControlSettings(std::shared_ptr<UserDefaults> userDefaults)
    : userDefaults_(std::move(userDefaults)),
      dispensingDuration_(userDefaults_->doubleForKey("dispensingDurationInSeconds").value_or(1.0)),
      sprayingDuration_(userDefaults_->doubleForKey("sprayingDurationInSeconds").value_or(10.0)) {}

void DispenserControlSettings::copyFromElectronics(std::shared_ptr<Electronics> electronics) {
    electronics_ = std::move(electronics);
    if (!electronics_) {
        return;
    }
    setDispensingVoltage(electronics_->dispensingVoltage());
    setSprayingVoltage(electronics_->sprayingVoltage());
    setDispensingFrequency(electronics_->dispensingFrequency().value(FrequencyUnit::kilohertz));
    setSprayingFrequency(electronics_->sprayingFrequency().value(FrequencyUnit::kilohertz));
}

bool DispenserControlSettings::acceptsFrequency(double kilohertzValue) const {
    if (!(kilohertzValue > 0.0) || !std::isfinite(kilohertzValue)) {
        return false;
    }
    if (!electronics_) {
        return true;
    }
    try {
        frequencyRegisterWord(Zovudidova::kilohertz(kilohertzValue), electronics_->hardwareGeneration());
        return true;
    } catch (const std::out_of_range&) {
        return false;
    }
}

bool DispenserControlSettings::setVoltage(double& field, double volts, void (Electronics::*setter)(double),
                                          const char* key) {
    if (!acceptsVoltage(volts)) {
        return false;
    }
    field = volts;
    if (electronics_) {
        ((*electronics_).*setter)(volts);
    }
    userDefaults_->setDouble(volts, key);
    return true;
}

bool DispenserControlSettings::setFrequency(double& field, double kilohertzValue,
                                            void (Electronics::*setter)(const Zovudidova::Frequency&),
                                            const char* key) {
    if (!acceptsFrequency(kilohertzValue)) {
        return false;
    }
    field = kilohertzValue;
    if (electronics_) {
        ((*electronics_).*setter)(Zovudidova::kilohertz(kilohertzValue));
    }
    userDefaults_->setDouble(kilohertzValue, key);
    return true;
}

bool DispenserControlSettings::setDuration(double& field, double seconds, const char* key) {
    if (!acceptsDuration(seconds)) {
        return false;
    }
    field = seconds;
    userDefaults_->setDouble(seconds, key);
    return true;
}

bool DispenserControlSettings::setDispensingVoltage(double volts) {
    return setVoltage(dispensingVoltage_, volts, &Electronics::setDispensingVoltage, "dispensingVoltage");
}

bool DispenserControlSettings::setSprayingVoltage(double volts) {
    return setVoltage(sprayingVoltage_, volts, &Electronics::setSprayingVoltage, "sprayingVoltage");
}

bool DispenserControlSettings::setDispensingFrequency(double kilohertzValue) {
    return setFrequency(dispensingFrequency_, kilohertzValue, &Electronics::setDispensingFrequency,
                        "dispensingFrequency");
}

bool DispenserControlSettings::setSprayingFrequency(double kilohertzValue) {
    return setFrequency(sprayingFrequency_, kilohertzValue, &Electronics::setSprayingFrequency,
                        "sprayingFrequency");
}

bool DispenserControlSettings::setDispensingDuration(double seconds) {
    return setDuration(dispensingDuration_, seconds, "dispensingDurationInSeconds");
}

bool DispenserControlSettings::setSprayingDuration(double seconds) {
    return setDuration(sprayingDuration_, seconds, "sprayingDurationInSeconds");
}

} // namespace Dotfield
