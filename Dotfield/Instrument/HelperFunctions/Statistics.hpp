#pragma once
// Statistics of the dispenser's impedance readings.

#include <array>
#include <cstddef>
#include <vector>

#include "Diagnostics/ProgramStop.hpp"

namespace Dotfield {

// The sample standard deviation of the values about the given mean: the square
// root of the sum of squared deviations, in array order, divided by n - 1. One
// value gives NaN (0/0); no values give the root of 0/-1 (negative zero).
double sampleStandardDeviation(const std::vector<double>& values, double mean);

// Element 0 to 4 of the five readings of one statistics point; any other index
// is a programming error and stops the program with "Index out of bounds".
template <typename Element>
const Element& tupleElement(const std::array<Element, 5>& tuple, std::size_t index) {
    if (index >= tuple.size()) {
        Diagnostics::stopProgram("Index out of bounds");
    }
    return tuple[index];
}

// The same for the points of another element type.
template <typename Element>
const Element& tupleElement2(const std::array<Element, 5>& tuple, std::size_t index) {
    return tupleElement(tuple, index);
}

} // namespace Dotfield
