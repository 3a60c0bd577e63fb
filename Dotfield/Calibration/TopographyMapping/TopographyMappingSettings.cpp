#include "Dotfield/Calibration/TopographyMapping/TopographyMappingSettings.hpp"

#include <utility>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace Dotfield {

TopographyGridSize TopographyGridExtent::size() const {
    return topographyGridSize(distanceInX, distanceInY, stepSizeInX, stepSizeInY);
}

TopographyMappingSettings::TopographyMappingSettings(std::shared_ptr<UserDefaults> userDefaults)
    : userDefaults_(std::move(userDefaults)) {
    const auto read = [this](const char* key, double fallback) {
        return userDefaults_->doubleForKey(key).value_or(fallback);
    };
    grid_.distanceInX = read(distanceInXKey, grid_.distanceInX);
    grid_.distanceInY = read(distanceInYKey, grid_.distanceInY);
    grid_.stepSizeInX = read(stepSizeInXKey, grid_.stepSizeInX);
    grid_.stepSizeInY = read(stepSizeInYKey, grid_.stepSizeInY);
    distanceToRetract_ = read(distanceToRetractKey, distanceToRetract_);
    shouldCorrect_ = userDefaults_->boolForKey(shouldCorrectKey).value_or(shouldCorrect_);
}

void TopographyMappingSettings::setDistanceToMapTopographyInX(double value) {
    grid_.distanceInX = value;
    userDefaults_->setDouble(value, distanceInXKey);
}

void TopographyMappingSettings::setDistanceToMapTopographyInY(double value) {
    grid_.distanceInY = value;
    userDefaults_->setDouble(value, distanceInYKey);
}

void TopographyMappingSettings::setStepSizeToMapTopographyInX(double value) {
    grid_.stepSizeInX = value;
    userDefaults_->setDouble(value, stepSizeInXKey);
}

void TopographyMappingSettings::setStepSizeToMapTopographyInY(double value) {
    grid_.stepSizeInY = value;
    userDefaults_->setDouble(value, stepSizeInYKey);
}

void TopographyMappingSettings::setDistanceToRetract(double value) {
    distanceToRetract_ = value;
    userDefaults_->setDouble(value, distanceToRetractKey);
}

void TopographyMappingSettings::setShouldCorrectBasedOnTopographyMap(bool value) {
    shouldCorrect_ = value;
    userDefaults_->setBool(value, shouldCorrectKey);
}

} // namespace Dotfield
