#include "Dotfield/Application/RelayControls/UVCuringSettings.hpp"

#include <cmath>
#include <string>
#include <utility>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Log.hpp"

namespace Dotfield {

namespace {

using Field = UVCuringSettings::Field;

constexpr double defaultValue(Field field) {
    switch (field) {
    case Field::speedForX:
    case Field::speedForY:
        return 1000.0;
    case Field::speedForZ:
        return 10000.0;
    case Field::curingDuration:
        return 1000.0;
    case Field::offsetForX:
    case Field::offsetForY:
    case Field::offsetForZ:
        break;
    }
    return 0.0;
}

constexpr std::size_t indexOf(Field field) { return static_cast<std::size_t>(field); }

const std::string curingTypeKey = "selectedUVCuringType";

// None, while printing, after each solution, after pattern.
bool isCuringType(std::int64_t rawValue) {
    return rawValue >= 0 && rawValue <= 3;
}

} // namespace

UVCuringSettings::UVCuringSettings(std::shared_ptr<UserDefaults> userDefaults)
    : userDefaults_(std::move(userDefaults)) {
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const auto field = static_cast<Field>(i);
        values_[i] = userDefaults_->doubleForKey(key(field)).value_or(defaultValue(field));
    }
    const std::int64_t stored = userDefaults_->integerForKey(curingTypeKey).value_or(0);
    if (isCuringType(stored)) {
        curingTypeRawValue_ = stored;
    } else {
        writeLogLine("Stored UV curing type " + std::to_string(stored) + " is not one of 0 to 3; curing is off");
    }
}

const char* UVCuringSettings::key(Field field) {
    switch (field) {
    case Field::offsetForX:
        return "offsetForX";
    case Field::offsetForY:
        return "offsetForY";
    case Field::offsetForZ:
        return "offsetForZ";
    case Field::speedForX:
        return "speedForX";
    case Field::speedForY:
        return "speedForY";
    case Field::speedForZ:
        return "speedForZ";
    case Field::curingDuration:
        break;
    }
    return "curingDuration";
}

double UVCuringSettings::value(Field field) const {
    return values_[indexOf(field)];
}

bool UVCuringSettings::accepts(Field field, double value) {
    switch (field) {
    case Field::offsetForX:
    case Field::offsetForY:
    case Field::offsetForZ:
        return std::isfinite(value);
    case Field::speedForX:
    case Field::speedForY:
    case Field::speedForZ:
        return std::isfinite(value) && value > 0.0;
    case Field::curingDuration:
        break;
    }
    return value >= 0.0 && value <= longestCuringDuration;
}

bool UVCuringSettings::setValue(Field field, double value) {
    if (!accepts(field, value)) {
        return false;
    }
    values_[indexOf(field)] = value;
    userDefaults_->setDouble(value, key(field));
    return true;
}

bool UVCuringSettings::setCuringTypeRawValue(std::int64_t rawValue) {
    if (!isCuringType(rawValue)) {
        return false;
    }
    curingTypeRawValue_ = rawValue;
    userDefaults_->setInteger(rawValue, curingTypeKey);
    return true;
}

VeltranePatterns::Coordinate UVCuringSettings::offset() const {
    return {value(Field::offsetForX), value(Field::offsetForY), value(Field::offsetForZ)};
}

} // namespace Dotfield
