#include "Dotfield/Camera/Capture/IIDCCamera.hpp"
#include "Dotfield/Camera/Capture/ConsoleLine.hpp"

#include <algorithm>
#include <cstdio>
#include <string>

#include "Dotfield/Camera/IIDC/IIDCCameraError.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

constexpr std::size_t featureCount = DC1394_FEATURE_NUM;

std::size_t featureIndex(dc1394feature_t feature) {
    return static_cast<std::size_t>(feature - DC1394_FEATURE_MIN);
}

std::string handleText(const dc1394camera_t* camera) {
    if (camera == nullptr) {
        return "nil";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%p", static_cast<const void*>(camera));
    return text;
}

} // namespace

IIDCCamera::IIDCCamera(std::optional<dc1394camera_id_t> cameraID, int orientation)
    : IIDCCamera(cameraID, orientation, Timing{}) {}

IIDCCamera::IIDCCamera(std::optional<dc1394camera_id_t> cameraID, int orientation, Timing timing)
    : clock_(std::move(timing.clock)), pollInterval_(timing.pollInterval),
      serialDispatchQueue_("com.harrowlane.GPUImage.IIDCCameraDispatchQueue"),
      use_(std::make_unique<IIDCCameraUse>()), orientation_(orientation), boundaries_(featureCount),
      lastCheckTime_(clock_->now()) {
    context_ = sharedIIDCContext();
    if (!context_) {
        throw Diagnostics::logAndReturnError(IIDCCameraError(IIDCCameraError::Kind::noDevicesConnected));
    }
    backend_ = &context_->backend();
    const std::vector<dc1394camera_id_t> ids = context_->cameraIDs();
    if (ids.empty()) {
        throw Diagnostics::logAndReturnError(IIDCCameraError(IIDCCameraError::Kind::noDevicesConnected));
    }
    if (!cameraID) {
        camera_ = backend_->cameraNew(context_->context(), ids.front().guid);
    } else {
        const bool attached = std::any_of(ids.begin(), ids.end(), [&](const dc1394camera_id_t& id) {
            return id.guid == cameraID->guid && id.unit == cameraID->unit;
        });
        if (attached) {
            camera_ = backend_->cameraNew(context_->context(), cameraID->guid);
        }
    }
    printConsoleLine("Camera: " + handleText(camera_));
    if (camera_ == nullptr) {
        throw Diagnostics::logAndReturnError(IIDCCameraError(IIDCCameraError::Kind::noMatchingDevice));
    }
    backend_->videoGetSupportedModes(camera_, &supportedVideoModes_);
    const auto offers = [this](dc1394video_mode_t mode) {
        const std::uint32_t count = std::min<std::uint32_t>(supportedVideoModes_.num, DC1394_VIDEO_MODE_NUM);
        return std::find(supportedVideoModes_.modes, supportedVideoModes_.modes + count, mode) !=
               supportedVideoModes_.modes + count;
    };
    isBlackflyCamera_ = offers(DC1394_VIDEO_MODE_FORMAT7_0) && !offers(DC1394_VIDEO_MODE_1280x960_YUV422);
    try {
        serialDispatchQueue_.sync([this] { backend_->cameraSetPower(camera_, DC1394_ON); });
        serialDispatchQueue_.sync([this] { readFeatureBoundaries(); });
        serialDispatchQueue_.sync([this] { setManualFeatureModes(); });
    } catch (...) {
        freeCameraAfterFailedInit();
        throw;
    }
}

IIDCCamera::~IIDCCamera() {
    disconnect();
    std::unique_ptr<RepeatingTimer> timer;
    serialDispatchQueue_.sync([&] { timer = std::move(dispatchTimer_); });
    timer.reset(); // waits for a watchdog tick in progress
}

void IIDCCamera::freeCameraAfterFailedInit() {
    serialDispatchQueue_.sync([this] {
        backend_->cameraFree(camera_);
        camera_ = nullptr;
    });
    use_.reset();
}

void IIDCCamera::setErrorDuringFrameProcessingCallback(std::function<void()> callback) {
    std::lock_guard lock(callbackMutex_);
    errorDuringFrameProcessingCallback_ = std::move(callback);
}

FeatureBoundaries IIDCCamera::boundaries(dc1394feature_t feature) const {
    if (feature < DC1394_FEATURE_MIN || feature > DC1394_FEATURE_MAX) {
        return {};
    }
    return boundaries_[featureIndex(feature)];
}

void IIDCCamera::readFeatureBoundaries() {
    auto features = std::make_unique<dc1394featureset_t>();
    if (backend_->featureGetAll(camera_, features.get()) != DC1394_SUCCESS) {
        throw Diagnostics::logAndReturnError(IIDCCameraError(IIDCCameraError::Kind::cameraDisconnected));
    }
    for (const dc1394feature_t feature :
         {DC1394_FEATURE_BRIGHTNESS, DC1394_FEATURE_EXPOSURE, DC1394_FEATURE_SHARPNESS,
          DC1394_FEATURE_WHITE_BALANCE, DC1394_FEATURE_SATURATION, DC1394_FEATURE_GAMMA,
          DC1394_FEATURE_SHUTTER, DC1394_FEATURE_GAIN}) {
        FeatureBoundaries& bounds = boundaries_[featureIndex(feature)];
        backend_->featureGetBoundaries(camera_, feature, &bounds.min, &bounds.max);
    }
}

void IIDCCamera::setManualFeatureModes() {
    for (const dc1394feature_t feature :
         {DC1394_FEATURE_BRIGHTNESS, DC1394_FEATURE_SHUTTER, DC1394_FEATURE_EXPOSURE,
          DC1394_FEATURE_SHARPNESS, DC1394_FEATURE_WHITE_BALANCE, DC1394_FEATURE_SATURATION,
          DC1394_FEATURE_GAMMA, DC1394_FEATURE_GAIN}) {
        backend_->featureSetMode(camera_, feature, DC1394_FEATURE_MODE_MANUAL);
    }
}

bool IIDCCamera::isConnected() {
    return serialDispatchQueue_.sync([this] { return camera_ != nullptr; });
}

FrameSize IIDCCamera::frameSize() {
    return serialDispatchQueue_.sync([this] { return frameSize_; });
}

void IIDCCamera::setFrameSize(FrameSize size) {
    serialDispatchQueue_.sync([&] { frameSize_ = size; });
}

std::size_t IIDCCamera::frameBufferSize() {
    return serialDispatchQueue_.sync([this] { return frameBytes_ ? frameBytes_->size() : std::size_t{0}; });
}

} // namespace Dotfield
