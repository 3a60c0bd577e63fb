#include "Dotfield/Instrument/ImpedanceScan/ResonanceSearch.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace Dotfield {

namespace {

// The resonance below which the strongest and second strongest change places.
constexpr double lowResonanceLimitInKilohertz = 350.0;

ImpedanceMeasurement defaultMeasurement(double kilohertz, std::uint8_t delay) {
    return {600.0, 0.0, {Zovudidova::kilohertz(kilohertz), delay}};
}

double sortableStrength(const ImpedanceResonance& resonance) {
    return std::isnan(resonance.strength) ? -std::numeric_limits<double>::infinity() : resonance.strength;
}

} // namespace

std::vector<ImpedanceResonance> findResonances(const std::vector<ImpedanceMeasurement>& scan) {
    std::vector<ImpedanceResonance> resonances;
    const std::size_t count = scan.size();
    if (count == 0) {
        return resonances;
    }
    bool lookingForMinimum = true;
    std::size_t candidateIndex = 0;
    double previous = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double current = scan[i].magnitude;
        const double next = scan[std::min(i + 1, count - 1)].magnitude;
        const double ninthNext = scan[std::min(i + 9, count - 1)].magnitude;
        if (previous <= current) {
            if (current < next && current < ninthNext) {
                if (lookingForMinimum && i > 0) {
                    candidateIndex = i - 1;
                }
                lookingForMinimum = false;
            }
        } else if (next < current && ninthNext < current) {
            // Index 0 falls only below the initial 0 (a negative magnitude in a
            // damaged saved scan); nothing is emitted then, as the search still
            // looks for its first minimum, so scan[i - 1] is never read at i = 0.
            if (!lookingForMinimum) {
                const ImpedanceMeasurement& minimum = scan[candidateIndex];
                const ImpedanceMeasurement& maximum = scan[i - 1];
                resonances.push_back(
                    {minimum, maximum, scan[(i - 1 + candidateIndex) / 2], maximum.magnitude - minimum.magnitude});
            }
            lookingForMinimum = true;
        }
        previous = current;
    }
    return resonances;
}

std::array<ImpedanceResonance, 3> defaultDispenserResonances() {
    return {{
        {defaultMeasurement(208.8, 1), defaultMeasurement(449.1, 1), defaultMeasurement(399.2, 3), 0.0},
        {defaultMeasurement(208.8, 1), defaultMeasurement(548.9, 4), defaultMeasurement(208.8, 1), 0.0},
        {defaultMeasurement(489.9, 4), defaultMeasurement(489.9, 4), defaultMeasurement(489.9, 4), 0.0},
    }};
}

bool resonanceStrengthDescending(const ImpedanceResonance& first, const ImpedanceResonance& second) {
    return sortableStrength(first) > sortableStrength(second);
}

std::array<ImpedanceResonance, 3> selectDispenserFrequencies(const std::vector<ImpedanceResonance>& resonances) {
    if (resonances.size() < 3) {
        return defaultDispenserResonances();
    }
    std::vector<ImpedanceResonance> strongestFirst = resonances;
    std::partial_sort(strongestFirst.begin(), strongestFirst.begin() + 3, strongestFirst.end(),
                      resonanceStrengthDescending);
    const ImpedanceResonance& strongest = strongestFirst[0];
    if (strongest.resonance.measurementSettings.frequency.value(Zovudidova::FrequencyUnit::kilohertz) <
        lowResonanceLimitInKilohertz) {
        return {strongestFirst[1], strongestFirst[0], strongestFirst[2]};
    }
    return {strongestFirst[0], strongestFirst[1], strongestFirst[2]};
}

} // namespace Dotfield
