#pragma once
// The velocity or acceleration a pattern item asks for in place of the
// pattern-printing values. Speeds read from pattern files can be anything;
// only a positive finite one is a speed the controllers can take, anything
// else counts as no override.

#include <cmath>
#include <optional>

namespace Dotfield {

inline std::optional<double> usableSpeedOverride(std::optional<double> value) {
    if (value && std::isfinite(*value) && *value > 0.0) {
        return value;
    }
    return std::nullopt;
}

} // namespace Dotfield
