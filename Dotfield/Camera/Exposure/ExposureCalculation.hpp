#pragma once
// The automatic exposure's step from one measured luminance towards the
// target: exposure moves first with the gain at its minimum; the gain moves
// only once the exposure stands at its maximum and the image still needs more
// light. The brightness always goes to its minimum.

namespace Dotfield {

struct ExposureSettings {
    double brightness = 0.0;
    double gain = 0.0;
    double exposure = 0.0;
    friend bool operator==(const ExposureSettings&, const ExposureSettings&) = default;
};

// Y the measured luminance and T the target (0 black to 1 white), k the
// camera's lighting scale factor, Bmin the brightness minimum, Emax and E the
// exposure maximum and value, Gmin, Gmax and G the gain bounds and value.
// Needs Emax > 0 and finite Y and T (see exposureAdjustmentPossible).
ExposureSettings calculateExposureSettings(double Y, double T, double k, double Bmin, double Emax, double E,
                                           double Gmin, double Gmax, double G);

// False where the step would divide by a zero exposure maximum or take the
// logarithm of something that is not a number.
bool exposureAdjustmentPossible(double Y, double T, double k, double Emax);

} // namespace Dotfield
