#include "simulators/camera/SimulatedIIDCCamera.hpp"

#include <algorithm>
#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace Simulators {

namespace {

constexpr std::size_t framesKept = 8;
constexpr dc1394video_mode_t format7Mode = DC1394_VIDEO_MODE_FORMAT7_0;

float placeInRange(std::uint32_t value, std::uint32_t min, std::uint32_t max) {
    if (max <= min) {
        return 0.5F;
    }
    return static_cast<float>(value - std::min(value, min)) / static_cast<float>(max - min);
}

bool sameSettings(const SensorSettings& a, const SensorSettings& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

SimulatedIIDCCamera::SimulatedIIDCCamera(SimulatedCameraProfile profile, std::shared_ptr<CameraScene> scene)
    : guid_(profile.guid), unit_(profile.unit), profile_(std::move(profile)), scene_(std::move(scene)),
      mode_(profile_.initialMode), framerate_(profile_.initialFramerate), isoSpeed_(profile_.initialIsoSpeed),
      operationMode_(profile_.initialOperationMode), format7PacketSize_(profile_.recommendedPacketSize) {
    realTimeThread_ = std::thread([this] { runRealTime(); });
}

SimulatedIIDCCamera::~SimulatedIIDCCamera() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    realTimeChanged_.notify_all();
    realTimeThread_.join();
    std::lock_guard lock(mutex_);
    releaseCaptureLocked();
}

// ---------------------------------------------------------------- controls

void SimulatedIIDCCamera::setScene(std::shared_ptr<CameraScene> scene) {
    std::lock_guard lock(mutex_);
    scene_ = std::move(scene);
    base_.reset();
}

void SimulatedIIDCCamera::setNoise(int amplitude, std::uint64_t seed) {
    std::lock_guard lock(mutex_);
    noiseAmplitude_ = amplitude;
    noiseSeed_ = seed;
    if (base_) {
        base_->noisy = {};
    }
}

void SimulatedIIDCCamera::setRealTime(bool on) {
    {
        std::lock_guard lock(mutex_);
        realTime_ = on;
    }
    realTimeChanged_.notify_all();
}

std::size_t SimulatedIIDCCamera::emitFrames(std::size_t count) {
    std::lock_guard lock(mutex_);
    std::size_t filled = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (emitFrameLocked()) {
            ++filled;
        }
    }
    return filled;
}

void SimulatedIIDCCamera::setFrozen(bool frozen) {
    std::lock_guard lock(mutex_);
    frozen_ = frozen;
    realTimeChanged_.notify_all();
}

void SimulatedIIDCCamera::setDequeueFails(bool fails) {
    std::lock_guard lock(mutex_);
    dequeueFails_ = fails;
}

void SimulatedIIDCCamera::setFeatureGetAllFails(bool fails) {
    std::lock_guard lock(mutex_);
    featureGetAllFails_ = fails;
}

void SimulatedIIDCCamera::setCaptureSetupFails(bool fails) {
    std::lock_guard lock(mutex_);
    captureSetupFails_ = fails;
}

void SimulatedIIDCCamera::unplug() {
    std::lock_guard lock(mutex_);
    plugged_ = false;
    if (writeFd_ >= 0) {
        ::close(writeFd_); // the read end now polls as hung up
        writeFd_ = -1;
    }
}

void SimulatedIIDCCamera::busReset() {
    std::lock_guard lock(mutex_);
    if (plugged_ && captureHandle_ != nullptr) {
        busResetPending_ = true;
        updateReadableLocked();
    }
}

template <typename Operation> dc1394error_t SimulatedIIDCCamera::whilePluggedIn(Operation operation) {
    std::lock_guard lock(mutex_);
    return plugged_ ? operation() : DC1394_FAILURE;
}

template <typename Operation>
dc1394error_t SimulatedIIDCCamera::withFormat7(dc1394video_mode_t mode, Operation operation) {
    return whilePluggedIn([&] {
        return mode == format7Mode && profile_.format7MaxWidth > 0 ? operation() : DC1394_INVALID_VIDEO_MODE;
    });
}

// ------------------------------------------------------------ observations

bool SimulatedIIDCCamera::isPluggedIn() const {
    std::lock_guard lock(mutex_);
    return plugged_;
}

bool SimulatedIIDCCamera::isPowered() const {
    std::lock_guard lock(mutex_);
    return powered_;
}

bool SimulatedIIDCCamera::isTransmitting() const {
    std::lock_guard lock(mutex_);
    return transmitting_;
}

bool SimulatedIIDCCamera::isCaptureSetUp() const {
    std::lock_guard lock(mutex_);
    return captureHandle_ != nullptr;
}

std::size_t SimulatedIIDCCamera::buffersHeldByHost() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(
        ring_.begin(), ring_.end(), [](const Buffer& b) { return b.state == BufferState::held; }));
}

std::size_t SimulatedIIDCCamera::framesWaiting() const {
    std::lock_guard lock(mutex_);
    return waiting_.size();
}

std::uint64_t SimulatedIIDCCamera::framesEmitted() const {
    std::lock_guard lock(mutex_);
    return emitted_;
}

std::uint64_t SimulatedIIDCCamera::framesDropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

dc1394feature_mode_t SimulatedIIDCCamera::featureMode(dc1394feature_t feature) const {
    std::lock_guard lock(mutex_);
    const SimulatedFeature* f = featureLocked(feature);
    return f != nullptr ? f->mode : DC1394_FEATURE_MODE_MANUAL;
}

std::uint32_t SimulatedIIDCCamera::featureValue(dc1394feature_t feature) const {
    std::lock_guard lock(mutex_);
    const SimulatedFeature* f = featureLocked(feature);
    return f != nullptr ? f->value : 0;
}

std::optional<std::uint32_t> SimulatedIIDCCamera::controlRegister(std::uint64_t offset) const {
    std::lock_guard lock(mutex_);
    const auto it = profile_.controlRegisters.find(offset);
    if (it == profile_.controlRegisters.end()) {
        return std::nullopt;
    }
    return it->second;
}

dc1394video_mode_t SimulatedIIDCCamera::videoMode() const {
    std::lock_guard lock(mutex_);
    return mode_;
}

std::pair<std::uint32_t, std::uint32_t> SimulatedIIDCCamera::imageSize() const {
    std::lock_guard lock(mutex_);
    const Geometry g = geometryLocked();
    return {g.width, g.height};
}

std::uint32_t SimulatedIIDCCamera::format7PacketSize() const {
    std::lock_guard lock(mutex_);
    return format7PacketSize_;
}

std::optional<std::vector<std::uint8_t>> SimulatedIIDCCamera::frameBytes(std::uint64_t sequence) const {
    std::lock_guard lock(mutex_);
    for (const auto& [number, bytes] : recentFrames_) {
        if (number == sequence) {
            return *bytes;
        }
    }
    return std::nullopt;
}

// ---------------------------------------------------------------- features

SimulatedFeature* SimulatedIIDCCamera::featureLocked(dc1394feature_t feature) {
    for (auto& f : profile_.features) {
        if (f.id == feature) {
            return &f;
        }
    }
    return nullptr;
}

const SimulatedFeature* SimulatedIIDCCamera::featureLocked(dc1394feature_t feature) const {
    return const_cast<SimulatedIIDCCamera*>(this)->featureLocked(feature);
}

dc1394error_t SimulatedIIDCCamera::setPower(dc1394switch_t power) {
    return whilePluggedIn([&] {
        powered_ = power == DC1394_ON;
        realTimeChanged_.notify_all();
        return DC1394_SUCCESS;
    });
}

dc1394error_t SimulatedIIDCCamera::supportedModes(dc1394video_modes_t* modes) {
    return whilePluggedIn([&] {
        *modes = {};
        modes->num =
            static_cast<std::uint32_t>(std::min<std::size_t>(profile_.modes.size(), DC1394_VIDEO_MODE_NUM));
        std::copy_n(profile_.modes.begin(), modes->num, modes->modes);
        return DC1394_SUCCESS;
    });
}

dc1394error_t SimulatedIIDCCamera::featureGetAll(dc1394featureset_t* features) {
    std::lock_guard lock(mutex_);
    if (!plugged_ || featureGetAllFails_) {
        return DC1394_FAILURE;
    }
    *features = {};
    for (int i = 0; i < static_cast<int>(DC1394_FEATURE_NUM); ++i) {
        dc1394feature_info_t& info = features->feature[i];
        info.id = static_cast<dc1394feature_t>(DC1394_FEATURE_MIN + i);
        const SimulatedFeature* f = featureLocked(info.id);
        info.available = f != nullptr ? DC1394_TRUE : DC1394_FALSE;
        if (f == nullptr) {
            continue;
        }
        info.readout_capable = DC1394_TRUE;
        info.is_on = DC1394_ON;
        info.current_mode = f->mode;
        info.modes.num = static_cast<std::uint32_t>(f->modes.size());
        std::copy(f->modes.begin(), f->modes.end(), info.modes.modes);
        info.min = f->min;
        info.max = f->max;
        info.value = f->value;
        info.BU_value = f->value;
        info.RV_value = f->secondValue;
    }
    return DC1394_SUCCESS;
}

dc1394error_t SimulatedIIDCCamera::featureBoundaries(dc1394feature_t feature, std::uint32_t* min,
                                                     std::uint32_t* max) {
    return whilePluggedIn([&] {
        const SimulatedFeature* f = featureLocked(feature);
        if (f == nullptr) {
            return DC1394_INVALID_FEATURE;
        }
        *min = f->min;
        *max = f->max;
        return DC1394_SUCCESS;
    });
}

dc1394error_t SimulatedIIDCCamera::featureSetMode(dc1394feature_t feature, dc1394feature_mode_t mode) {
    return whilePluggedIn([&] {
        SimulatedFeature* f = featureLocked(feature);
        if (f == nullptr) {
            return DC1394_INVALID_FEATURE;
        }
        if (std::find(f->modes.begin(), f->modes.end(), mode) == f->modes.end()) {
            return DC1394_INVALID_FEATURE_MODE;
        }
        if (mode == DC1394_FEATURE_MODE_ONE_PUSH_AUTO) {
            // One adjustment to the middle of the range, then manual again.
            f->value = f->min + (f->max - f->min) / 2;
            f->secondValue = f->value;
            f->mode = DC1394_FEATURE_MODE_MANUAL;
        } else {
            f->mode = mode;
        }
        base_.reset();
        return DC1394_SUCCESS;
    });
}

dc1394error_t SimulatedIIDCCamera::featureGetValue(dc1394feature_t feature, std::uint32_t* value) {
    return whilePluggedIn([&] {
        const SimulatedFeature* f = featureLocked(feature);
        if (f == nullptr || feature == DC1394_FEATURE_WHITE_BALANCE) {
            return DC1394_INVALID_FEATURE;
        }
        *value = f->value;
        return DC1394_SUCCESS;
    });
}

dc1394error_t SimulatedIIDCCamera::featureSetValue(dc1394feature_t feature, std::uint32_t value) {
    return whilePluggedIn([&] {
        SimulatedFeature* f = featureLocked(feature);
        if (f == nullptr || feature == DC1394_FEATURE_WHITE_BALANCE) {
            return DC1394_INVALID_FEATURE;
        }
        if (value < f->min || value > f->max) {
            return DC1394_REQ_VALUE_OUTSIDE_RANGE;
        }
        f->value = value;
        return DC1394_SUCCESS;
    });
}

dc1394error_t SimulatedIIDCCamera::whiteBalance(std::uint32_t* blue, std::uint32_t* red) {
    std::lock_guard lock(mutex_);
    const SimulatedFeature* f = featureLocked(DC1394_FEATURE_WHITE_BALANCE);
    if (!plugged_ || f == nullptr) {
        return DC1394_FAILURE;
    }
    *blue = f->value;
    *red = f->secondValue;
    return DC1394_SUCCESS;
}

dc1394error_t SimulatedIIDCCamera::setWhiteBalance(std::uint32_t blue, std::uint32_t red) {
    std::lock_guard lock(mutex_);
    SimulatedFeature* f = featureLocked(DC1394_FEATURE_WHITE_BALANCE);
    if (!plugged_ || f == nullptr) {
        return DC1394_FAILURE;
    }
    if (blue < f->min || blue > f->max || red < f->min || red > f->max) {
        return DC1394_REQ_VALUE_OUTSIDE_RANGE;
    }
    f->value = blue;
    f->secondValue = red;
    return DC1394_SUCCESS;
}

// ---------------------------------------------------------- stream settings

namespace {

// A get or set of one plain setting of a plugged-in camera.
template <typename T> dc1394error_t getSetting(bool plugged, const T& setting, T* out) {
    if (!plugged) {
        return DC1394_FAILURE;
    }
    *out = setting;
    return DC1394_SUCCESS;
}

template <typename T> dc1394error_t setSetting(bool plugged, bool valid, T& setting, T value) {
    if (!plugged) {
        return DC1394_FAILURE;
    }
    if (!valid) {
        return DC1394_INVALID_ARGUMENT_VALUE;
    }
    setting = value;
    return DC1394_SUCCESS;
}

} // namespace

dc1394error_t SimulatedIIDCCamera::getIsoSpeed(dc1394speed_t* speed) {
    std::lock_guard lock(mutex_);
    return getSetting(plugged_, isoSpeed_, speed);
}

dc1394error_t SimulatedIIDCCamera::setIsoSpeed(dc1394speed_t speed) {
    std::lock_guard lock(mutex_);
    return setSetting(plugged_, speed >= DC1394_ISO_SPEED_MIN && speed <= DC1394_ISO_SPEED_MAX, isoSpeed_,
                      speed);
}

dc1394error_t SimulatedIIDCCamera::getFramerate(dc1394framerate_t* framerate) {
    std::lock_guard lock(mutex_);
    return getSetting(plugged_, framerate_, framerate);
}

dc1394error_t SimulatedIIDCCamera::setFramerate(dc1394framerate_t framerate) {
    std::lock_guard lock(mutex_);
    const dc1394error_t status =
        setSetting(plugged_, framesPerSecond(framerate) > 0.0, framerate_, framerate);
    realTimeChanged_.notify_all();
    return status;
}

dc1394error_t SimulatedIIDCCamera::getOperationMode(dc1394operation_mode_t* mode) {
    std::lock_guard lock(mutex_);
    return getSetting(plugged_, operationMode_, mode);
}

dc1394error_t SimulatedIIDCCamera::setOperationMode(dc1394operation_mode_t mode) {
    std::lock_guard lock(mutex_);
    const bool valid = mode == DC1394_OPERATION_MODE_LEGACY ||
                       (mode == DC1394_OPERATION_MODE_1394B && profile_.initialOperationMode == mode);
    return setSetting(plugged_, valid, operationMode_, mode);
}

dc1394error_t SimulatedIIDCCamera::getVideoMode(dc1394video_mode_t* mode) {
    std::lock_guard lock(mutex_);
    return getSetting(plugged_, mode_, mode);
}

dc1394error_t SimulatedIIDCCamera::setVideoMode(dc1394video_mode_t mode) {
    std::lock_guard lock(mutex_);
    const bool offered =
        std::find(profile_.modes.begin(), profile_.modes.end(), mode) != profile_.modes.end();
    return setSetting(plugged_, offered, mode_, mode);
}

// ------------------------------------------------------------------ format 7

bool SimulatedIIDCCamera::format7RegionFitsLocked(std::uint32_t left, std::uint32_t top, std::uint32_t width,
                                                  std::uint32_t height) const {
    const auto& p = profile_;
    return width > 0 && height > 0 && width % p.format7UnitWidth == 0 && height % p.format7UnitHeight == 0 &&
           left % p.format7UnitLeft == 0 && top % p.format7UnitTop == 0 &&
           static_cast<std::uint64_t>(left) + width <= p.format7MaxWidth &&
           static_cast<std::uint64_t>(top) + height <= p.format7MaxHeight;
}

dc1394error_t SimulatedIIDCCamera::format7SetPacketSize(dc1394video_mode_t mode, std::uint32_t packetSize) {
    return withFormat7(mode, [&] {
        if (packetSize == 0 || packetSize > profile_.maximumPacketSize || packetSize % 4 != 0) {
            return DC1394_INVALID_ARGUMENT_VALUE;
        }
        format7PacketSize_ = packetSize;
        return DC1394_SUCCESS;
    });
}

dc1394error_t SimulatedIIDCCamera::format7SetColorCoding(dc1394video_mode_t mode,
                                                         dc1394color_coding_t coding) {
    return withFormat7(mode, [&] {
        const auto& codings = profile_.format7Codings;
        if (std::find(codings.begin(), codings.end(), coding) == codings.end()) {
            return DC1394_INVALID_COLOR_CODING;
        }
        profile_.format7Coding = coding;
        return DC1394_SUCCESS;
    });
}

dc1394error_t SimulatedIIDCCamera::format7SetImageSize(dc1394video_mode_t mode, std::uint32_t width,
                                                       std::uint32_t height) {
    return withFormat7(mode, [&] {
        if (!format7RegionFitsLocked(format7Left_, format7Top_, width, height)) {
            return DC1394_INVALID_ARGUMENT_VALUE; // the old size stays
        }
        profile_.format7Width = width;
        profile_.format7Height = height;
        return DC1394_SUCCESS;
    });
}

dc1394error_t SimulatedIIDCCamera::format7GetImageSize(dc1394video_mode_t mode, std::uint32_t* width,
                                                       std::uint32_t* height) {
    return withFormat7(mode, [&] {
        *width = profile_.format7Width;
        *height = profile_.format7Height;
        return DC1394_SUCCESS;
    });
}

dc1394error_t SimulatedIIDCCamera::format7RecommendedPacketSize(dc1394video_mode_t mode,
                                                                std::uint32_t* packetSize) {
    return withFormat7(mode, [&] {
        *packetSize = profile_.recommendedPacketSize;
        return DC1394_SUCCESS;
    });
}

dc1394error_t SimulatedIIDCCamera::format7SetRoi(dc1394video_mode_t mode, dc1394color_coding_t coding,
                                                 std::int32_t packetSize, std::int32_t left, std::int32_t top,
                                                 std::int32_t width, std::int32_t height) {
    return withFormat7(mode, [&] {
        const auto& codings = profile_.format7Codings;
        if (std::find(codings.begin(), codings.end(), coding) == codings.end()) {
            return DC1394_INVALID_COLOR_CODING;
        }
        if (left < 0 || top < 0 || width <= 0 || height <= 0 ||
            !format7RegionFitsLocked(static_cast<std::uint32_t>(left), static_cast<std::uint32_t>(top),
                                     static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height))) {
            return DC1394_INVALID_ARGUMENT_VALUE; // the old region stays
        }
        std::uint32_t packet = format7PacketSize_;
        if (packetSize == DC1394_USE_MAX_AVAIL) {
            packet = profile_.maximumPacketSize;
        } else if (packetSize == DC1394_USE_RECOMMENDED) {
            packet = profile_.recommendedPacketSize;
        } else if (packetSize > 0) {
            if (static_cast<std::uint32_t>(packetSize) > profile_.maximumPacketSize || packetSize % 4 != 0) {
                return DC1394_INVALID_ARGUMENT_VALUE;
            }
            packet = static_cast<std::uint32_t>(packetSize);
        }
        profile_.format7Coding = coding;
        format7PacketSize_ = packet;
        format7Left_ = static_cast<std::uint32_t>(left);
        format7Top_ = static_cast<std::uint32_t>(top);
        profile_.format7Width = static_cast<std::uint32_t>(width);
        profile_.format7Height = static_cast<std::uint32_t>(height);
        return DC1394_SUCCESS;
    });
}

// -------------------------------------------------------- control registers

dc1394error_t SimulatedIIDCCamera::getControlRegisters(std::uint64_t offset, std::uint32_t* values,
                                                       std::uint32_t count) {
    return whilePluggedIn([&] {
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto it = profile_.controlRegisters.find(offset + 4ULL * i);
            if (it == profile_.controlRegisters.end()) {
                return DC1394_FAILURE;
            }
            values[i] = it->second;
        }
        return DC1394_SUCCESS;
    });
}

dc1394error_t SimulatedIIDCCamera::setControlRegisters(std::uint64_t offset, const std::uint32_t* values,
                                                       std::uint32_t count) {
    return whilePluggedIn([&] {
        for (std::uint32_t i = 0; i < count; ++i) {
            if (profile_.controlRegisters.count(offset + 4ULL * i) == 0) {
                return DC1394_FAILURE;
            }
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            profile_.controlRegisters[offset + 4ULL * i] = values[i];
        }
        return DC1394_SUCCESS;
    });
}

// ------------------------------------------------------------------- capture

dc1394error_t SimulatedIIDCCamera::captureSetup(dc1394camera_t* handle, std::uint32_t bufferCount,
                                                std::uint32_t /*flags*/) {
    std::lock_guard lock(mutex_);
    if (!plugged_ || captureSetupFails_) {
        return DC1394_FAILURE;
    }
    if (captureHandle_ != nullptr) {
        return DC1394_CAPTURE_IS_RUNNING;
    }
    if (bufferCount == 0) {
        return DC1394_INVALID_ARGUMENT_VALUE;
    }
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        return DC1394_FAILURE;
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
    readable_ = false;
    busResetPending_ = false;
    ring_ = std::vector<Buffer>(bufferCount);
    waiting_.clear();
    captureHandle_ = handle;
    realTimeChanged_.notify_all();
    return DC1394_SUCCESS;
}

int SimulatedIIDCCamera::captureFileno() {
    std::lock_guard lock(mutex_);
    return readFd_;
}

dc1394error_t SimulatedIIDCCamera::captureDequeue(dc1394capture_policy_t policy,
                                                  dc1394video_frame_t** frame) {
    std::lock_guard lock(mutex_);
    *frame = nullptr;
    if (!plugged_ || dequeueFails_) {
        return DC1394_FAILURE;
    }
    if (captureHandle_ == nullptr) {
        return DC1394_CAPTURE_IS_NOT_SET;
    }
    if (policy != DC1394_CAPTURE_POLICY_POLL) {
        // A simulated ring is never waited on: only polling is offered.
        return DC1394_FUNCTION_NOT_SUPPORTED;
    }
    if (busResetPending_) {
        busResetPending_ = false;
        updateReadableLocked();
        return DC1394_SUCCESS;
    }
    if (waiting_.empty()) {
        return DC1394_SUCCESS;
    }
    Buffer& buffer = ring_[waiting_.front()];
    waiting_.pop_front();
    buffer.state = BufferState::held;
    buffer.frame.frames_behind = static_cast<std::uint32_t>(waiting_.size());
    *frame = &buffer.frame;
    updateReadableLocked();
    return DC1394_SUCCESS;
}

dc1394error_t SimulatedIIDCCamera::captureEnqueue(dc1394video_frame_t* frame) {
    std::lock_guard lock(mutex_);
    if (captureHandle_ == nullptr) {
        return DC1394_CAPTURE_IS_NOT_SET;
    }
    for (auto& buffer : ring_) {
        if (&buffer.frame == frame && buffer.state == BufferState::held) {
            buffer.state = BufferState::free;
            return DC1394_SUCCESS;
        }
    }
    return DC1394_INVALID_ARGUMENT_VALUE;
}

dc1394error_t SimulatedIIDCCamera::captureStop() {
    std::lock_guard lock(mutex_);
    if (captureHandle_ == nullptr) {
        return DC1394_CAPTURE_IS_NOT_SET;
    }
    releaseCaptureLocked();
    return DC1394_SUCCESS;
}

dc1394error_t SimulatedIIDCCamera::setTransmission(dc1394switch_t power) {
    return whilePluggedIn([&] {
        transmitting_ = power == DC1394_ON;
        realTimeChanged_.notify_all();
        return DC1394_SUCCESS;
    });
}

void SimulatedIIDCCamera::handleFreed(dc1394camera_t* handle) {
    std::lock_guard lock(mutex_);
    if (captureHandle_ == handle) {
        releaseCaptureLocked();
    }
}

void SimulatedIIDCCamera::releaseCaptureLocked() {
    if (readFd_ >= 0) {
        ::close(readFd_);
    }
    if (writeFd_ >= 0) {
        ::close(writeFd_);
    }
    readFd_ = -1;
    writeFd_ = -1;
    readable_ = false;
    busResetPending_ = false;
    ring_.clear();
    waiting_.clear();
    captureHandle_ = nullptr;
}

void SimulatedIIDCCamera::updateReadableLocked() {
    const bool wanted = !waiting_.empty() || busResetPending_;
    if (wanted && !readable_ && writeFd_ >= 0) {
        const char mark = 1;
        readable_ = ::write(writeFd_, &mark, 1) == 1;
    } else if (!wanted && readable_ && readFd_ >= 0) {
        char mark = 0;
        readable_ = ::read(readFd_, &mark, 1) != 1;
    }
}

SimulatedIIDCCamera::Geometry SimulatedIIDCCamera::geometryLocked() const {
    Geometry g;
    if (mode_ == format7Mode) {
        g.width = profile_.format7Width;
        g.height = profile_.format7Height;
        g.coding = profile_.format7Coding;
    } else if (!fixedModeGeometry(mode_, g.width, g.height, g.coding)) {
        g = {};
    }
    return g;
}

SensorSettings SimulatedIIDCCamera::sensorSettingsLocked() const {
    auto place = [this](dc1394feature_t feature, bool second = false) {
        const SimulatedFeature* f = featureLocked(feature);
        return f == nullptr ? 0.5F : placeInRange(second ? f->secondValue : f->value, f->min, f->max);
    };
    SensorSettings s;
    s.brightness = place(DC1394_FEATURE_BRIGHTNESS);
    s.exposure = place(DC1394_FEATURE_EXPOSURE);
    s.shutter = place(DC1394_FEATURE_SHUTTER);
    s.gain = place(DC1394_FEATURE_GAIN);
    s.saturation = place(DC1394_FEATURE_SATURATION);
    s.gamma = place(DC1394_FEATURE_GAMMA);
    s.whiteBalanceBlue = place(DC1394_FEATURE_WHITE_BALANCE);
    s.whiteBalanceRed = place(DC1394_FEATURE_WHITE_BALANCE, true);
    return s;
}

bool SimulatedIIDCCamera::streamingLocked() const {
    return plugged_ && powered_ && transmitting_ && captureHandle_ != nullptr && !frozen_;
}

bool SimulatedIIDCCamera::emitFrameLocked() {
    if (!streamingLocked()) {
        return false;
    }
    // Features under the camera's own control settle: a step a frame toward
    // the middle of their range, where the picture is as the scene gives it,
    // and then they hold.
    for (auto& f : profile_.features) {
        if (f.mode == DC1394_FEATURE_MODE_AUTO) {
            const std::uint32_t middle = f.min + (f.max - f.min) / 2;
            for (std::uint32_t* value : {&f.value, &f.secondValue}) {
                *value = *value < middle ? *value + 1 : *value > middle ? *value - 1 : *value;
            }
        }
    }
    const Geometry geometry = geometryLocked();
    const std::size_t byteCount = frameByteCount(geometry.width, geometry.height, geometry.coding);
    if (byteCount == 0) {
        return false;
    }
    const std::uint64_t sequence = ++emitted_;
    const auto free = std::find_if(ring_.begin(), ring_.end(),
                                   [](const Buffer& b) { return b.state == BufferState::free; });
    if (free == ring_.end()) {
        ++dropped_;
        return false;
    }
    // The scene is rendered again only when what the camera films changed.
    const SensorSettings settings = sensorSettingsLocked();
    std::vector<double> sceneState = scene_->state();
    if (!base_ || base_->geometry.width != geometry.width || base_->geometry.height != geometry.height ||
        base_->geometry.coding != geometry.coding || base_->scene != scene_.get() ||
        !sameSettings(base_->settings, settings) || base_->sceneState != sceneState) {
        base_ = RenderedBase{geometry, settings, scene_.get(), std::move(sceneState),
                             renderFrame(scene_->render(geometry.width, geometry.height), geometry.width,
                                         geometry.height, settings, geometry.coding)};
    }
    const std::uint64_t pattern = sequence % noisePatterns;
    FrameBytes& noisy = base_->noisy[pattern];
    if (!noisy) {
        auto bytes = std::make_shared<std::vector<std::uint8_t>>(base_->bytes);
        addNoise(*bytes, noiseAmplitude_, noiseSeed_ ^ (pattern * 0x100000001B3ULL));
        noisy = std::move(bytes);
    }
    Buffer& buffer = *free;
    buffer.bytes = noisy;
    buffer.state = BufferState::waiting;

    dc1394video_frame_t& frame = buffer.frame;
    frame = {};
    // libdc1394's frame record has no const image; the host never writes it.
    frame.image = const_cast<std::uint8_t*>(buffer.bytes->data());
    frame.size[0] = geometry.width;
    frame.size[1] = geometry.height;
    frame.position[0] = mode_ == format7Mode ? format7Left_ : 0;
    frame.position[1] = mode_ == format7Mode ? format7Top_ : 0;
    frame.color_coding = geometry.coding;
    frame.yuv_byte_order = DC1394_BYTE_ORDER_UYVY;
    frame.data_depth = geometry.coding == DC1394_COLOR_CODING_MONO16 ? 16 : 8;
    frame.stride = static_cast<std::uint32_t>(byteCount / geometry.height);
    frame.video_mode = mode_;
    frame.total_bytes = byteCount;
    frame.image_bytes = static_cast<std::uint32_t>(byteCount);
    frame.packet_size = format7PacketSize_;
    frame.timestamp = static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                                     std::chrono::system_clock::now().time_since_epoch())
                                                     .count());
    frame.camera = captureHandle_;
    frame.id = static_cast<std::uint32_t>(free - ring_.begin());
    frame.allocated_image_bytes = buffer.bytes->capacity();
    waiting_.push_back(frame.id);

    recentFrames_.emplace_back(sequence, buffer.bytes);
    if (recentFrames_.size() > framesKept) {
        recentFrames_.pop_front();
    }
    updateReadableLocked();
    return true;
}

void SimulatedIIDCCamera::runRealTime() {
    using Clock = std::chrono::steady_clock;
    std::unique_lock lock(mutex_);
    Clock::time_point next = Clock::now();
    while (!stopping_) {
        const double rate = framesPerSecond(framerate_);
        if (!realTime_ || !streamingLocked() || rate <= 0.0) {
            realTimeChanged_.wait(lock);
            next = Clock::now();
            continue;
        }
        if (Clock::now() < next) {
            realTimeChanged_.wait_until(lock, next);
            continue;
        }
        emitFrameLocked();
        const auto interval =
            std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / rate));
        next += interval;
        if (next < Clock::now()) {
            next = Clock::now() + interval; // a late frame does not make a burst
        }
    }
}

} // namespace Simulators
