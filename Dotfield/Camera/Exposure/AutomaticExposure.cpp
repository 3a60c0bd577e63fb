#include "Dotfield/Camera/Exposure/AutomaticExposure.hpp"

#include <cmath>
#include <limits>

#include "Dotfield/Camera/Exposure/ExposureCalculation.hpp"

namespace Dotfield {

std::uint32_t cameraSettingValue(double value) {
    if (!(value > 0.0)) {
        return 0;
    }
    constexpr double largest = std::numeric_limits<std::uint32_t>::max();
    if (value >= largest) {
        return std::numeric_limits<std::uint32_t>::max();
    }
    return static_cast<std::uint32_t>(value);
}

void AutomaticExposure::adjustCameraSettingsForLuminance(float luminance, ExposureControls& controls) {
    adjustCameraSettingsForLuminance([luminance] { return luminance; }, controls);
}

void AutomaticExposure::adjustCameraSettingsForLuminance(const std::function<float()>& measureLuminance,
                                                         ExposureControls& controls) {
    if (!controls.areAutomaticCameraSettingsShown()) {
        return;
    }
    if (frameSkipped_.load() <= 1) {
        frameSkipped_.fetch_add(1);
        return;
    }
    const double Y = measureLuminance();
    const double T = controls.targetLuminance();
    const double k = controls.cameraLightingScaleFactor();
    const double Emax = controls.exposureMax();
    if (exposureAdjustmentPossible(Y, T, k, Emax)) {
        const ExposureSettings settings =
            calculateExposureSettings(Y, T, k, controls.brightnessMin(), Emax, controls.exposure(),
                                      controls.gainMin(), controls.gainMax(), controls.gain());
        controls.setBrightness(cameraSettingValue(settings.brightness));
        controls.setExposure(cameraSettingValue(settings.exposure));
        controls.setGain(cameraSettingValue(settings.gain));
    }
    frameSkipped_.store(0);
}

} // namespace Dotfield
