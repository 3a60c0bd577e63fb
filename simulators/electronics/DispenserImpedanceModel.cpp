#include "simulators/electronics/DispenserImpedanceModel.hpp"

#include <utility>

namespace Simulators {

DispenserImpedanceModel::DispenserImpedanceModel(double baseline, std::vector<DispenserResonance> resonances,
                                                 std::vector<DispenserResonancePair> pairs)
    : baseline_(baseline), resonances_(std::move(resonances)), pairs_(std::move(pairs)) {}

DispenserImpedanceModel DispenserImpedanceModel::typicalDispenser() {
    return DispenserImpedanceModel(400.0, {{300000.0, 250.0, 40.0}, {460000.0, -150.0, 60.0}});
}

DispenserImpedanceModel DispenserImpedanceModel::flat(double magnitude) {
    return DispenserImpedanceModel(magnitude, {});
}

std::complex<double> DispenserImpedanceModel::impedanceAt(double frequencyHz) const {
    std::complex<double> impedance{baseline_, 0.0};
    if (frequencyHz <= 0.0) {
        return impedance;
    }
    for (const auto& resonance : resonances_) {
        const double detuning = frequencyHz / resonance.frequencyHz - resonance.frequencyHz / frequencyHz;
        impedance += resonance.strength / std::complex<double>(1.0, resonance.qualityFactor * detuning);
    }
    const double f = frequencyHz;
    for (const auto& pair : pairs_) {
        const double fr = pair.resonanceHz;
        const double fa = pair.antiresonanceHz;
        const std::complex<double> numerator(fr * fr - f * f, f * fr / pair.qualityFactor);
        const std::complex<double> denominator(fa * fa - f * f, f * fa / pair.qualityFactor);
        impedance *= numerator / denominator;
    }
    return impedance;
}

} // namespace Simulators
