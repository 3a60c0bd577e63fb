#include "Dotfield/Camera/UI/CameraSettingsWindowController.hpp"

#include <cmath>
#include <limits>

#include "Dotfield/Camera/Capture/IIDCCamera.hpp"
#include "Dotfield/Camera/Stages/LowPassFilter.hpp"
#include "Dotfield/Camera/UI/CameraSettingsWindow.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/MainQueue.hpp"

namespace Dotfield {

namespace {

constexpr std::uint32_t defaultGainMaximum = 1024;
constexpr std::uint32_t unibrainBrightnessMaximum = 511;
constexpr double unibrainLightingScaleFactor = 20.0;
constexpr double pointGreyLightingScaleFactor = 6.5;

// A stored gain, brightness or exposure; one the field cannot hold counts as missing.
std::uint32_t storedFeatureValue(const UserDefaults& defaults, const char* key) {
    const auto stored = defaults.integerForKey(key);
    if (!stored || *stored < 0 || *stored > std::int64_t{std::numeric_limits<std::uint32_t>::max()}) {
        return 0;
    }
    return static_cast<std::uint32_t>(*stored);
}

} // namespace

CameraSettingsWindowController::CameraSettingsWindowController(std::shared_ptr<UserDefaults> userDefaults,
                                                               QObject* parent)
    : QObject(parent), userDefaults_(std::move(userDefaults)) {
    areAutomaticCameraSettingsShown_ =
        userDefaults_->boolForKey("areAutomaticCameraSettingsShown").value_or(true);
    const double target = userDefaults_->doubleForKey("targetLuminance").value_or(0.5);
    targetLuminance_ = std::isfinite(target) ? target : 0.5;
    gain_ = storedFeatureValue(*userDefaults_, "gain");
    brightness_ = storedFeatureValue(*userDefaults_, "brightness");
    exposure_ = storedFeatureValue(*userDefaults_, "exposure");
}

CameraSettingsWindowController::~CameraSettingsWindowController() {
    delete window_;
}

void CameraSettingsWindowController::setCamera(std::shared_ptr<IIDCCamera> camera,
                                               std::shared_ptr<LowPassFilter> denoiseFilter) {
    {
        std::lock_guard lock(mutex_);
        camera_ = std::move(camera);
        denoiseFilter_ = std::move(denoiseFilter);
    }
    announceChange();
}

std::shared_ptr<IIDCCamera> CameraSettingsWindowController::camera() const {
    std::lock_guard lock(mutex_);
    return camera_;
}

std::shared_ptr<LowPassFilter> CameraSettingsWindowController::denoiseFilter() const {
    std::lock_guard lock(mutex_);
    return denoiseFilter_;
}

void CameraSettingsWindowController::initializeCameraSettings() {
    const auto current = camera();
    if (current == nullptr) {
        return;
    }
    current->setBrightness(brightness());
    current->setGain(gain());
    current->setWhiteBalance({current->whiteBalance().blue, current->whiteBalance().red});
    current->setSaturation(current->saturation());
    current->setGamma(current->gamma());
    current->setSharpness(current->sharpness());
    if (cameraType() == CameraType::unibrain) {
        current->setExposure(exposure());
    } else {
        current->setShutter(exposure());
    }
    announceChange();
}

CameraSettingsWindow& CameraSettingsWindowController::window() {
    if (window_ == nullptr) {
        window_ = new CameraSettingsWindow(*this);
        displayAutomaticControls(false);
    }
    return *window_;
}

void CameraSettingsWindowController::showWindow() {
    auto& shown = window();
    shown.refresh();
    shown.show();
    shown.raise();
}

void CameraSettingsWindowController::displayAutomaticControls(bool animated) {
    if (window_ != nullptr) {
        window_->showPane(areAutomaticCameraSettingsShown() ? CameraSettingsWindow::Pane::automatic
                                                            : CameraSettingsWindow::Pane::custom,
                          animated);
    }
}

CameraSettingsWindowController::CameraType CameraSettingsWindowController::cameraType() const {
    const auto current = camera();
    if (current == nullptr) {
        return CameraType::unibrain;
    }
    if (current->supportsVideoMode(DC1394_VIDEO_MODE_FORMAT7_0) &&
        !current->supportsVideoMode(DC1394_VIDEO_MODE_1280x960_YUV422)) {
        return CameraType::blackfly;
    }
    if (current->supportsVideoMode(DC1394_VIDEO_MODE_1280x960_YUV422)) {
        return CameraType::flea2;
    }
    return CameraType::unibrain;
}

double CameraSettingsWindowController::cameraLightingScaleFactor() const {
    return cameraType() == CameraType::unibrain ? unibrainLightingScaleFactor : pointGreyLightingScaleFactor;
}

// Features the camera keeps: read from it, stored and written on change.

std::uint32_t CameraSettingsWindowController::gamma() const {
    return readCamera([](IIDCCamera& c) { return c.gamma(); });
}

void CameraSettingsWindowController::setGamma(std::uint32_t value) {
    changeFeature("gamma", value, [value](IIDCCamera& c) { c.setGamma(value); });
}

std::uint32_t CameraSettingsWindowController::sharpness() const {
    return readCamera([](IIDCCamera& c) { return c.sharpness(); });
}

void CameraSettingsWindowController::setSharpness(std::uint32_t value) {
    changeFeature("sharpness", value, [value](IIDCCamera& c) { c.setSharpness(value); });
}

std::uint32_t CameraSettingsWindowController::saturation() const {
    return readCamera([](IIDCCamera& c) { return c.saturation(); });
}

void CameraSettingsWindowController::setSaturation(std::uint32_t value) {
    changeFeature("saturation", value, [value](IIDCCamera& c) { c.setSaturation(value); });
}

std::uint32_t CameraSettingsWindowController::whiteBalanceBlue() const {
    return readCamera([](IIDCCamera& c) { return c.whiteBalance().blue; });
}

void CameraSettingsWindowController::setWhiteBalanceBlue(std::uint32_t value) {
    changeFeature("whiteBalanceU", value, [value](IIDCCamera& c) {
        auto pair = c.whiteBalance();
        pair.blue = value;
        c.setWhiteBalance(pair);
    });
}

std::uint32_t CameraSettingsWindowController::whiteBalanceRed() const {
    return readCamera([](IIDCCamera& c) { return c.whiteBalance().red; });
}

void CameraSettingsWindowController::setWhiteBalanceRed(std::uint32_t value) {
    changeFeature("whiteBalanceV", value, [value](IIDCCamera& c) {
        auto pair = c.whiteBalance();
        pair.red = value;
        c.setWhiteBalance(pair);
    });
}

// Features kept here: stored, then sent to the camera (any thread).

void CameraSettingsWindowController::setGain(std::uint32_t value) {
    gain_ = value;
    changeFeature("gain", value, [value](IIDCCamera& c) { c.setGain(value); });
}

void CameraSettingsWindowController::setBrightness(std::uint32_t value) {
    brightness_ = value;
    changeFeature("brightness", value, [value](IIDCCamera& c) { c.setBrightness(value); });
}

void CameraSettingsWindowController::setExposure(std::uint32_t value) {
    exposure_ = value;
    const bool unibrain = cameraType() == CameraType::unibrain;
    changeFeature("exposure", value, [value, unibrain](IIDCCamera& c) {
        if (unibrain) {
            c.setExposure(value);
        } else {
            c.setShutter(value);
        }
    });
}

void CameraSettingsWindowController::setTargetLuminance(double value) {
    targetLuminance_ = value;
    userDefaults_->setDouble(value, "targetLuminance");
    announceChange();
}

double CameraSettingsWindowController::denoiseFilterStrength() const {
    const auto filter = denoiseFilter();
    return filter ? static_cast<float>(filter->strength()) : 0.0;
}

void CameraSettingsWindowController::setDenoiseFilterStrength(double value) {
    userDefaults_->setDouble(value, "denoiseFilterStrength");
    if (const auto filter = denoiseFilter()) {
        filter->setStrength(static_cast<float>(value));
    }
    announceChange();
}

void CameraSettingsWindowController::setAreAutomaticCameraSettingsShown(bool shown) {
    areAutomaticCameraSettingsShown_ = shown;
    userDefaults_->setBool(shown, "areAutomaticCameraSettingsShown");
    displayAutomaticControls(true);
    announceChange();
}

// Bounds, from the camera; 0 without one.

std::uint32_t CameraSettingsWindowController::gammaMin() const {
    return readCamera([](IIDCCamera& c) { return c.gammaMin(); });
}
std::uint32_t CameraSettingsWindowController::gammaMax() const {
    return readCamera([](IIDCCamera& c) { return c.gammaMax(); });
}
std::uint32_t CameraSettingsWindowController::sharpnessMin() const {
    return readCamera([](IIDCCamera& c) { return c.sharpnessMin(); });
}
std::uint32_t CameraSettingsWindowController::sharpnessMax() const {
    return readCamera([](IIDCCamera& c) { return c.sharpnessMax(); });
}
std::uint32_t CameraSettingsWindowController::saturationMin() const {
    return readCamera([](IIDCCamera& c) { return c.saturationMin(); });
}
std::uint32_t CameraSettingsWindowController::saturationMax() const {
    return readCamera([](IIDCCamera& c) { return c.saturationMax(); });
}
std::uint32_t CameraSettingsWindowController::whiteBalanceMin() const {
    return readCamera([](IIDCCamera& c) { return c.whiteBalanceMin(); });
}
std::uint32_t CameraSettingsWindowController::whiteBalanceMax() const {
    return readCamera([](IIDCCamera& c) { return c.whiteBalanceMax(); });
}

// The gain, brightness and exposure bounds depend on the camera type.

std::uint32_t CameraSettingsWindowController::gainMin() const {
    return readCamera(
        [this](IIDCCamera& c) { return cameraType() == CameraType::unibrain ? c.gainMin() : 0; });
}

std::uint32_t CameraSettingsWindowController::gainMax() const {
    return readCamera([this](IIDCCamera& c) {
        return cameraType() == CameraType::unibrain ? c.gainMax() : defaultGainMaximum;
    });
}

std::uint32_t CameraSettingsWindowController::brightnessMin() const {
    return readCamera(
        [this](IIDCCamera& c) { return cameraType() == CameraType::unibrain ? 0 : c.brightnessMin(); });
}

std::uint32_t CameraSettingsWindowController::brightnessMax() const {
    return readCamera([this](IIDCCamera& c) {
        return cameraType() == CameraType::unibrain ? unibrainBrightnessMaximum : c.brightnessMax();
    });
}

std::uint32_t CameraSettingsWindowController::exposureMin() const {
    return readCamera([this](IIDCCamera& c) {
        return cameraType() == CameraType::unibrain ? c.exposureMin() : c.shutterMin();
    });
}

std::uint32_t CameraSettingsWindowController::exposureMax() const {
    return readCamera([this](IIDCCamera& c) {
        return cameraType() == CameraType::unibrain ? c.exposureMax() : c.shutterMax();
    });
}

void CameraSettingsWindowController::changeFeature(const char* key, std::uint32_t value,
                                                   const std::function<void(IIDCCamera&)>& apply) {
    userDefaults_->setInteger(value, key);
    if (const auto current = camera()) {
        apply(*current);
    }
    announceChange();
}

void CameraSettingsWindowController::announceChange() {
    if (MainQueue::main().isCurrent()) {
        emit settingsChanged();
        return;
    }
    // One announcement waits at a time: the automatic exposure changes three
    // values per adjustment, and the window reads them all anyway.
    if (changeAnnouncementPending_.exchange(true)) {
        return;
    }
    std::weak_ptr<int> alive = alive_;
    MainQueue::main().async([this, alive] {
        if (alive.lock()) {
            changeAnnouncementPending_ = false;
            emit settingsChanged();
        }
    });
}

} // namespace Dotfield
