#pragma once
// The camera settings: the camera's picture features (gamma, sharpness,
// saturation, white balance, gain, brightness, exposure) with their bounds,
// the camera window's denoise strength and the automatic exposure's target
// luminance, and which of the two panes (automatic or custom) is shown. Every
// change is stored in the settings and sent to the camera; the stored gain,
// brightness and exposure reach every new camera.
//
// Threads: made, shown and bound to its window on the main thread. The camera
// set-up hands it a camera and calls initializeCameraSettings() on its own
// thread; the automatic exposure reads the bounds and writes gain, brightness
// and exposure on the image-processing queue. Those fields are atomic, the
// camera and filter sit behind a mutex, and every change reaches the window's
// controls through the main queue (settingsChanged is emitted there).
//
// Without a camera, every feature reads 0, every range is empty and the
// window's controls are disabled.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include <QObject>

#include "Dotfield/Camera/Exposure/AutomaticExposure.hpp"

namespace Dotfield {

class IIDCCamera;
class LowPassFilter;
class UserDefaults;
class CameraSettingsWindow;

class CameraSettingsWindowController final : public QObject, public ExposureControls {
    Q_OBJECT
    Q_PROPERTY(quint32 gamma READ gamma WRITE setGamma NOTIFY settingsChanged)
    Q_PROPERTY(quint32 sharpness READ sharpness WRITE setSharpness NOTIFY settingsChanged)
    Q_PROPERTY(quint32 saturation READ saturation WRITE setSaturation NOTIFY settingsChanged)
    Q_PROPERTY(
        quint32 whiteBalanceBlue READ whiteBalanceBlue WRITE setWhiteBalanceBlue NOTIFY settingsChanged)
    Q_PROPERTY(quint32 whiteBalanceRed READ whiteBalanceRed WRITE setWhiteBalanceRed NOTIFY settingsChanged)
    Q_PROPERTY(quint32 gain READ gain WRITE setGain NOTIFY settingsChanged)
    Q_PROPERTY(quint32 brightness READ brightness WRITE setBrightness NOTIFY settingsChanged)
    Q_PROPERTY(quint32 exposure READ exposure WRITE setExposure NOTIFY settingsChanged)
    Q_PROPERTY(double targetLuminance READ targetLuminance WRITE setTargetLuminance NOTIFY settingsChanged)
    Q_PROPERTY(double denoiseFilterStrength READ denoiseFilterStrength WRITE setDenoiseFilterStrength NOTIFY
                   settingsChanged)
    Q_PROPERTY(bool areAutomaticCameraSettingsShown READ areAutomaticCameraSettingsShown WRITE
                   setAreAutomaticCameraSettingsShown NOTIFY settingsChanged)

  public:
    enum class CameraType { unibrain, flea2, blackfly };

    // Reads the shown pane, the target luminance, gain, brightness and
    // exposure from the settings; nothing is sent to a camera yet.
    explicit CameraSettingsWindowController(std::shared_ptr<UserDefaults> userDefaults,
                                            QObject* parent = nullptr);
    ~CameraSettingsWindowController() override;

    // The camera and the denoise stage of the camera window (either may be
    // absent); any thread.
    void setCamera(std::shared_ptr<IIDCCamera> camera, std::shared_ptr<LowPassFilter> denoiseFilter);
    std::shared_ptr<IIDCCamera> camera() const;
    std::shared_ptr<LowPassFilter> denoiseFilter() const;
    // Sends the stored brightness, gain and exposure to the camera and writes
    // back its own white balance, saturation, gamma and sharpness.
    void initializeCameraSettings();

    // The window, made on first use (main thread); shown and raised.
    CameraSettingsWindow& window();
    void showWindow();
    bool isWindowLoaded() const { return window_ != nullptr; }
    // Shows the pane areAutomaticCameraSettingsShown names, keeping the
    // window's top edge (main thread).
    void displayAutomaticControls(bool animated);

    CameraType cameraType() const;
    double cameraLightingScaleFactor() const override;

    std::uint32_t gamma() const;
    void setGamma(std::uint32_t value);
    std::uint32_t sharpness() const;
    void setSharpness(std::uint32_t value);
    std::uint32_t saturation() const;
    void setSaturation(std::uint32_t value);
    std::uint32_t whiteBalanceBlue() const;
    void setWhiteBalanceBlue(std::uint32_t value);
    std::uint32_t whiteBalanceRed() const;
    void setWhiteBalanceRed(std::uint32_t value);
    std::uint32_t gain() const override { return gain_.load(); }
    void setGain(std::uint32_t value) override;
    std::uint32_t brightness() const { return brightness_.load(); }
    void setBrightness(std::uint32_t value) override;
    std::uint32_t exposure() const override { return exposure_.load(); }
    void setExposure(std::uint32_t value) override;
    double targetLuminance() const override { return targetLuminance_.load(); }
    void setTargetLuminance(double value);
    double denoiseFilterStrength() const;
    void setDenoiseFilterStrength(double value);
    bool areAutomaticCameraSettingsShown() const override { return areAutomaticCameraSettingsShown_.load(); }
    void setAreAutomaticCameraSettingsShown(bool shown);

    std::uint32_t gammaMin() const;
    std::uint32_t gammaMax() const;
    std::uint32_t sharpnessMin() const;
    std::uint32_t sharpnessMax() const;
    std::uint32_t saturationMin() const;
    std::uint32_t saturationMax() const;
    std::uint32_t whiteBalanceMin() const;
    std::uint32_t whiteBalanceMax() const;
    std::uint32_t gainMin() const override;
    std::uint32_t gainMax() const override;
    std::uint32_t brightnessMin() const override;
    std::uint32_t brightnessMax() const;
    std::uint32_t exposureMin() const;
    std::uint32_t exposureMax() const override;

  signals:
    // Main thread: a setting, a bound or the camera changed.
    void settingsChanged();

  private:
    // Emits settingsChanged on the main thread (queued from other threads).
    void announceChange();
    // Stores the value under the key, applies it to the camera if there is
    // one, and announces the change.
    void changeFeature(const char* key, std::uint32_t value, const std::function<void(IIDCCamera&)>& apply);
    // The camera's answer, or 0 without a camera.
    template <typename Read> std::uint32_t readCamera(Read read) const {
        const auto current = camera();
        return current ? read(*current) : 0;
    }

    const std::shared_ptr<UserDefaults> userDefaults_;
    mutable std::mutex mutex_;
    std::shared_ptr<IIDCCamera> camera_;
    std::shared_ptr<LowPassFilter> denoiseFilter_;
    std::atomic<bool> areAutomaticCameraSettingsShown_{true};
    std::atomic<double> targetLuminance_{0.5};
    std::atomic<std::uint32_t> gain_{0};
    std::atomic<std::uint32_t> brightness_{0};
    std::atomic<std::uint32_t> exposure_{0};
    CameraSettingsWindow* window_ = nullptr;
    std::atomic<bool> changeAnnouncementPending_{false};
    // Held by posted work to learn whether the controller still exists.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace Dotfield
