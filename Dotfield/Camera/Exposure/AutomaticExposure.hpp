#pragma once
// The automatic exposure loop: on every third luminance measurement while the
// settings are in automatic mode, the camera's brightness, exposure and gain
// are recomputed from the measured luminance and written through the
// settings (which store them and send them to the camera).

#include <atomic>
#include <cstdint>
#include <functional>

namespace Dotfield {

// What the loop reads and writes: the camera settings and their bounds.
class ExposureControls {
  public:
    virtual ~ExposureControls() = default;
    virtual bool areAutomaticCameraSettingsShown() const = 0;
    virtual double targetLuminance() const = 0;
    virtual double cameraLightingScaleFactor() const = 0;
    virtual std::uint32_t brightnessMin() const = 0;
    virtual std::uint32_t exposureMax() const = 0;
    virtual std::uint32_t exposure() const = 0;
    virtual std::uint32_t gainMin() const = 0;
    virtual std::uint32_t gainMax() const = 0;
    virtual std::uint32_t gain() const = 0;
    virtual void setBrightness(std::uint32_t value) = 0;
    virtual void setExposure(std::uint32_t value) = 0;
    virtual void setGain(std::uint32_t value) = 0;
};

// A computed setting as the camera takes it: 0 or less (or not a number) is
// 0, the rest truncated toward zero and held to 32 bits.
std::uint32_t cameraSettingValue(double value);

class AutomaticExposure {
  public:
    // On the image-processing queue, once per frame.
    void adjustCameraSettingsForLuminance(float luminance, ExposureControls& controls);
    // The same with the frame's luminance measured only when the adjustment
    // uses it.
    void adjustCameraSettingsForLuminance(const std::function<float()>& measureLuminance,
                                          ExposureControls& controls);

    // Measurements passed over since the last adjustment.
    std::int64_t frameSkipped() const { return frameSkipped_.load(); }

  private:
    // Written on the image-processing queue only; atomic so others may read it.
    std::atomic<std::int64_t> frameSkipped_{0};
};

} // namespace Dotfield
