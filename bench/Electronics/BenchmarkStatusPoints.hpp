#pragma once
// The five dispenser status points the electronics benchmarks sample and poll:
// frequencies near a typical dispenser's resonances, each with its share of
// the readings.

#include "Dotfield/Instrument/DispenserStatus/StatisticalImpedanceMeasurement.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield::benchmarks {

inline const DispenserStatusPoints statusPoints{{
    {Zovudidova::kilohertz(399.2), 3},
    {Zovudidova::kilohertz(449.1), 1},
    {Zovudidova::kilohertz(208.8), 1},
    {Zovudidova::kilohertz(548.9), 4},
    {Zovudidova::kilohertz(489.9), 4},
}};

} // namespace Dotfield::benchmarks
