#pragma once
// The electrical impedance of a simulated dispenser over frequency: a resistive
// baseline plus a sum of resonances, each a peak (or, with a negative
// strength, a dip) of the form strength / (1 + jQ (f/f0 - f0/f)), the whole
// multiplied by a factor per resonance/antiresonance pair,
// (fr^2 - f^2 + j f fr / Q) / (fa^2 - f^2 + j f fa / Q): a minimum near fr
// followed by a maximum near fa, the magnitude falling everywhere else (a
// piezo's series and parallel resonance). Magnitudes are in the electronics'
// scale (reference ratio times 1000).

#include <complex>
#include <vector>

namespace Simulators {

struct DispenserResonance {
    double frequencyHz = 0.0;
    // What the resonance adds to the baseline at its own frequency.
    double strength = 0.0;
    double qualityFactor = 1.0;
};

// One resonance (impedance minimum) with the antiresonance (maximum) above it;
// a higher quality factor makes both sharper and the pair stronger.
struct DispenserResonancePair {
    double resonanceHz = 0.0;
    double antiresonanceHz = 0.0;
    double qualityFactor = 1.0;
};

class DispenserImpedanceModel {
  public:
    DispenserImpedanceModel() = default;
    DispenserImpedanceModel(double baseline, std::vector<DispenserResonance> resonances,
                            std::vector<DispenserResonancePair> pairs = {});

    // A dispenser with resonances near 300 and 460 kHz on a baseline of 400.
    static DispenserImpedanceModel typicalDispenser();
    // The same magnitude at every frequency, phase 0.
    static DispenserImpedanceModel flat(double magnitude);

    std::complex<double> impedanceAt(double frequencyHz) const;
    double magnitudeAt(double frequencyHz) const { return std::abs(impedanceAt(frequencyHz)); }

    double baseline() const { return baseline_; }
    const std::vector<DispenserResonance>& resonances() const { return resonances_; }
    const std::vector<DispenserResonancePair>& resonancePairs() const { return pairs_; }

  private:
    double baseline_ = 400.0;
    std::vector<DispenserResonance> resonances_;
    std::vector<DispenserResonancePair> pairs_;
};

} // namespace Simulators
