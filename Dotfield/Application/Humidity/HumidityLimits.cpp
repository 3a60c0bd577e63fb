#include "Dotfield/Application/Humidity/HumidityLimits.hpp"

#include <utility>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace Dotfield {

namespace {

constexpr double closestApproach = 0.5;
constexpr double pushedApart = 1.0;
constexpr double lowest = 0.0;
constexpr double highest = 100.0;

} // namespace

HumidityLimits::HumidityLimits(std::shared_ptr<UserDefaults> userDefaults)
    : userDefaults_(std::move(userDefaults)),
      minHumidity_(userDefaults_->doubleForKey("minHumidity").value_or(defaultMinimum)),
      maxHumidity_(userDefaults_->doubleForKey("maxHumidity").value_or(defaultMaximum)) {}

bool HumidityLimits::setMinHumidity(double minHumidity) {
    if (!(minHumidity >= lowest && minHumidity <= highest - pushedApart)) {
        return false;
    }
    storeMinimum(minHumidity);
    if (minHumidity_ > maxHumidity_ - closestApproach) {
        storeMaximum(minHumidity_ + pushedApart);
    }
    return true;
}

bool HumidityLimits::setMaxHumidity(double maxHumidity) {
    if (!(maxHumidity >= lowest + pushedApart && maxHumidity <= highest)) {
        return false;
    }
    storeMaximum(maxHumidity);
    if (minHumidity_ > maxHumidity_ - closestApproach) {
        storeMinimum(maxHumidity_ - pushedApart);
    }
    return true;
}

void HumidityLimits::storeMinimum(double minHumidity) {
    minHumidity_ = minHumidity;
    userDefaults_->setDouble(minHumidity, "minHumidity");
}

void HumidityLimits::storeMaximum(double maxHumidity) {
    maxHumidity_ = maxHumidity;
    userDefaults_->setDouble(maxHumidity, "maxHumidity");
}

} // namespace Dotfield
