#include "Dotfield/Camera/Exposure/ExposureCalculation.hpp"

#include <algorithm>
#include <cmath>

namespace Dotfield {

namespace {

constexpr double lowestLuminance = 0.1;
constexpr double highestLuminance = 0.99;
// The exposure step models a luminance that saturates at 0.63; both ends of
// the step stay just below it.
constexpr double exposureStepCap = 0.62;
constexpr double saturationLuminance = 0.63;
constexpr double exposureSlope = 28.0;

double clampedLuminance(double value) {
    return std::clamp(value, lowestLuminance, highestLuminance);
}

} // namespace

bool exposureAdjustmentPossible(double Y, double T, double k, double Emax) {
    return std::isfinite(Y) && std::isfinite(T) && std::isfinite(k) && k != 0.0 && std::isfinite(Emax) &&
           Emax > 0.0;
}

ExposureSettings calculateExposureSettings(double Y, double T, double k, double Bmin, double Emax, double E,
                                           double Gmin, double Gmax, double G) {
    const double Yc = clampedLuminance(Y);
    const double Tc = clampedLuminance(T);
    ExposureSettings result;
    result.brightness = Bmin;
    if (E >= Emax) {
        const double Gnew = G + Gmax * (std::log(1.0 / Yc - 1.0) - std::log(1.0 / Tc - 1.0)) / k;
        if (Gnew >= Gmin) {
            result.exposure = Emax;
            result.gain = std::round(std::min(Gmax, Gnew));
            return result;
        }
    }
    const double Yx = std::min(Yc, exposureStepCap);
    const double Tx = std::min(Tc, exposureStepCap);
    const double q =
        E / Emax +
        (std::log(saturationLuminance / Yx - 1.0) - std::log(saturationLuminance / Tx - 1.0)) / exposureSlope;
    result.exposure = Emax * std::min(1.0, q);
    result.gain = std::round(std::min(Gmax, Gmin));
    return result;
}

} // namespace Dotfield
