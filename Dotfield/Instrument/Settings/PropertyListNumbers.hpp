#pragma once
// Unsigned counts (plate numbers, rinse cycles, spots) as settings numbers.

#include <cstdint>
#include <limits>

#include "Dotfield/Platform/Settings/PropertyListValue.hpp"

namespace Dotfield {

// An integer when it fits the signed range, else the nearest real.
inline PropertyListValue unsignedNumber(std::uint64_t value) {
    if (value <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        return PropertyListValue(static_cast<std::int64_t>(value));
    }
    return PropertyListValue(static_cast<double>(value));
}

} // namespace Dotfield
