#pragma once
// The UV-curing settings the relay controls window edits: the offset of the
// curing pass (µm), the three axis speeds, the curing duration (seconds) and
// when a print cures. Each is read from the settings store when the object
// is made and stored again at every accepted change; a value outside its
// range is refused and the one in force stays.

#include <cstdint>
#include <memory>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class UserDefaults;

class UVCuringSettings {
  public:
    enum class Field { offsetForX, offsetForY, offsetForZ, speedForX, speedForY, speedForZ, curingDuration };
    static constexpr double longestCuringDuration = 3600.0; // seconds

    explicit UVCuringSettings(std::shared_ptr<UserDefaults> userDefaults);

    // The settings key of a field ("offsetForX", ..., "curingDuration").
    static const char* key(Field field);

    double value(Field field) const;
    // Offsets must be finite, speeds above 0, the duration 0 to 3600 s.
    static bool accepts(Field field, double value);
    // Takes and stores the value when it is acceptable; false otherwise.
    bool setValue(Field field, double value);

    // The selected curing type as stored under "selectedUVCuringType".
    std::int64_t curingTypeRawValue() const { return curingTypeRawValue_; }
    // Takes and stores 0 (none) to 3; false otherwise.
    bool setCuringTypeRawValue(std::int64_t rawValue);

    // The offset of the curing pass (µm).
    VeltranePatterns::Coordinate offset() const;

  private:
    static constexpr std::size_t fieldCount = 7;

    const std::shared_ptr<UserDefaults> userDefaults_;
    double values_[fieldCount];
    std::int64_t curingTypeRawValue_ = 0;
};

} // namespace Dotfield
