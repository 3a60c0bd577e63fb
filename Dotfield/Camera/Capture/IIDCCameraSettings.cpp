// The settings half of IIDCCamera: image features, stream settings and the
// video mode, read synchronously and written in order on the camera queue.

#include <algorithm>
#include <cmath>
#include <limits>

#include "Dotfield/Camera/Capture/ConsoleLine.hpp"
#include "Dotfield/Camera/Capture/IIDCCamera.hpp"
#include "Diagnostics/ProgramStop.hpp"

namespace Dotfield {

namespace {

struct FixedMode {
    float width;
    float height;
    dc1394color_coding_t coding;
};

// Frame size and colour coding of the fixed video modes 64 to 86.
FixedMode fixedMode(dc1394video_mode_t mode) {
    constexpr auto yuv422 = DC1394_COLOR_CODING_YUV422;
    constexpr auto rgb8 = DC1394_COLOR_CODING_RGB8;
    constexpr auto mono8 = DC1394_COLOR_CODING_MONO8;
    constexpr auto mono16 = DC1394_COLOR_CODING_MONO16;
    switch (mode) {
    case DC1394_VIDEO_MODE_160x120_YUV444: return {160, 120, DC1394_COLOR_CODING_YUV444};
    case DC1394_VIDEO_MODE_320x240_YUV422: return {320, 240, yuv422};
    case DC1394_VIDEO_MODE_640x480_YUV411: return {640, 480, DC1394_COLOR_CODING_YUV411};
    case DC1394_VIDEO_MODE_640x480_YUV422: return {640, 480, yuv422};
    case DC1394_VIDEO_MODE_640x480_RGB8: return {640, 480, rgb8};
    case DC1394_VIDEO_MODE_640x480_MONO8: return {640, 480, mono8};
    case DC1394_VIDEO_MODE_640x480_MONO16: return {640, 480, mono16};
    case DC1394_VIDEO_MODE_800x600_YUV422: return {800, 600, yuv422};
    case DC1394_VIDEO_MODE_800x600_RGB8: return {800, 600, rgb8};
    case DC1394_VIDEO_MODE_800x600_MONO8: return {800, 600, mono8};
    case DC1394_VIDEO_MODE_800x600_MONO16: return {800, 600, mono16};
    case DC1394_VIDEO_MODE_1024x768_YUV422: return {1024, 768, yuv422};
    case DC1394_VIDEO_MODE_1024x768_RGB8: return {1024, 768, rgb8};
    case DC1394_VIDEO_MODE_1024x768_MONO8: return {1024, 768, mono8};
    case DC1394_VIDEO_MODE_1024x768_MONO16: return {1024, 768, mono16};
    case DC1394_VIDEO_MODE_1280x960_YUV422: return {1280, 960, yuv422};
    case DC1394_VIDEO_MODE_1280x960_RGB8: return {1280, 960, rgb8};
    case DC1394_VIDEO_MODE_1280x960_MONO8: return {1280, 960, mono8};
    case DC1394_VIDEO_MODE_1280x960_MONO16: return {1280, 960, mono16};
    case DC1394_VIDEO_MODE_1600x1200_YUV422: return {1600, 1200, yuv422};
    case DC1394_VIDEO_MODE_1600x1200_RGB8: return {1600, 1200, rgb8};
    case DC1394_VIDEO_MODE_1600x1200_MONO8: return {1600, 1200, mono8};
    default: return {1600, 1200, mono16}; // DC1394_VIDEO_MODE_1600x1200_MONO16
    }
}

} // namespace

bool IIDCCamera::supportsVideoMode(dc1394video_mode_t mode) const {
    const std::uint32_t count = std::min<std::uint32_t>(supportedVideoModes_.num, DC1394_VIDEO_MODE_NUM);
    return std::find(supportedVideoModes_.modes, supportedVideoModes_.modes + count, mode) !=
           supportedVideoModes_.modes + count;
}

std::uint32_t IIDCCamera::featureValue(dc1394feature_t feature) {
    return serialDispatchQueue_.sync([&] {
        std::uint32_t value = 0;
        if (camera_ != nullptr) {
            backend_->featureGetValue(camera_, feature, &value);
        }
        return value;
    });
}

void IIDCCamera::setFeatureValue(dc1394feature_t feature, std::uint32_t value) {
    serialDispatchQueue_.async([this, feature, value] {
        if (camera_ != nullptr) {
            backend_->featureSetValue(camera_, feature, value);
        }
    });
}

IIDCCamera::WhiteBalance IIDCCamera::whiteBalance() {
    return serialDispatchQueue_.sync([&] {
        WhiteBalance value;
        if (camera_ != nullptr) {
            backend_->featureWhitebalanceGetValue(camera_, &value.blue, &value.red);
        }
        return value;
    });
}

void IIDCCamera::setWhiteBalance(WhiteBalance value) {
    serialDispatchQueue_.async([this, value] {
        if (camera_ != nullptr) {
            backend_->featureWhitebalanceSetValue(camera_, value.blue, value.red);
        }
    });
}

namespace {

// Reads one stream setting on the camera queue, starting from its default.
template <typename Value, typename Read>
Value readSetting(SerialQueue& queue, dc1394camera_t* const& camera, Value fallback, Read read) {
    return queue.sync([&] {
        Value value = fallback;
        if (camera != nullptr) {
            read(camera, &value);
        }
        return value;
    });
}

} // namespace

dc1394speed_t IIDCCamera::isoSpeed() {
    return readSetting(serialDispatchQueue_, camera_, DC1394_ISO_SPEED_800,
                       [this](dc1394camera_t* c, dc1394speed_t* v) { backend_->videoGetIsoSpeed(c, v); });
}

void IIDCCamera::setIsoSpeed(dc1394speed_t speed) {
    serialDispatchQueue_.async([this, speed] {
        if (camera_ != nullptr) {
            backend_->videoSetIsoSpeed(camera_, speed);
        }
    });
}

dc1394framerate_t IIDCCamera::framerate() {
    return readSetting(serialDispatchQueue_, camera_, DC1394_FRAMERATE_60,
                       [this](dc1394camera_t* c, dc1394framerate_t* v) { backend_->videoGetFramerate(c, v); });
}

void IIDCCamera::setFramerate(dc1394framerate_t framerate) {
    serialDispatchQueue_.async([this, framerate] {
        if (camera_ != nullptr) {
            backend_->videoSetFramerate(camera_, framerate);
        }
    });
}

dc1394operation_mode_t IIDCCamera::operationMode() {
    return readSetting(
        serialDispatchQueue_, camera_, DC1394_OPERATION_MODE_1394B,
        [this](dc1394camera_t* c, dc1394operation_mode_t* v) { backend_->videoGetOperationMode(c, v); });
}

void IIDCCamera::setOperationMode(dc1394operation_mode_t mode) {
    serialDispatchQueue_.async([this, mode] {
        if (camera_ != nullptr) {
            backend_->videoSetOperationMode(camera_, mode);
        }
    });
}

dc1394video_mode_t IIDCCamera::videoMode() {
    return readSetting(serialDispatchQueue_, camera_, DC1394_VIDEO_MODE_FORMAT7_0,
                       [this](dc1394camera_t* c, dc1394video_mode_t* v) { backend_->videoGetMode(c, v); });
}

void IIDCCamera::setVideoMode(dc1394video_mode_t mode) {
    serialDispatchQueue_.async([this, mode] {
        if (camera_ == nullptr) {
            return;
        }
        backend_->videoSetMode(camera_, mode);
        if (mode == DC1394_VIDEO_MODE_FORMAT7_0) {
            backend_->format7SetPacketSize(camera_, mode, isBlackflyCamera_ ? 4000 : 3840);
        } else if (mode >= DC1394_VIDEO_MODE_160x120_YUV444 && mode <= DC1394_VIDEO_MODE_1600x1200_MONO16) {
            const FixedMode fixed = fixedMode(mode);
            frameSize_ = {fixed.width, fixed.height};
            reallocateFrameBuffer();
            colorspace_.store(fixed.coding);
        }
    });
}

std::optional<IIDCCamera::Region> IIDCCamera::regionOfInterest() {
    return serialDispatchQueue_.sync([this] { return regionOfInterest_; });
}

void IIDCCamera::setRegionOfInterest(std::optional<Region> region) {
    if (videoMode() != DC1394_VIDEO_MODE_FORMAT7_0) {
        Diagnostics::stopProgram("Error: tried to set a region of interest in a non-format 7 video mode.");
    }
    if (!region) {
        Diagnostics::stopProgram("Resetting the region of interest to nil currently isn't supported");
    }
    serialDispatchQueue_.async([this, region = *region] {
        if (camera_ == nullptr) {
            return;
        }
        // Whole pixels, halves away from zero; a value no camera could take is refused.
        const double values[] = {std::round(region.x), std::round(region.y), std::round(region.width),
                                 std::round(region.height)};
        for (double value : values) {
            if (!std::isfinite(value) || value < 0.0 ||
                value > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
                printConsoleLine("Camera: region of interest out of range, not set");
                return;
            }
        }
        regionOfInterest_ = region;
        const dc1394color_coding_t coding = colorspace_.load();
        if (isBlackflyCamera_) {
            backend_->format7SetColorCoding(camera_, DC1394_VIDEO_MODE_FORMAT7_0, coding);
            backend_->format7SetImageSize(camera_, DC1394_VIDEO_MODE_FORMAT7_0, 644, 482);
            frameSize_ = {644, 482};
            reallocateFrameBuffer();
        }
        std::uint32_t packet = 0;
        std::int32_t packetSize = 0;
        if (backend_->format7GetRecommendedPacketSize(camera_, DC1394_VIDEO_MODE_FORMAT7_0, &packet) !=
            DC1394_SUCCESS) {
            printConsoleLine("Camera: Can't get recommanded bpp, using DC1394_USE_MAX_AVAIL");
            packetSize = DC1394_USE_MAX_AVAIL;
        } else {
            packetSize = static_cast<std::int32_t>(packet);
        }
        const auto whole = [](double value) { return static_cast<std::int32_t>(value); };
        backend_->format7SetRoi(camera_, DC1394_VIDEO_MODE_FORMAT7_0, coding, packetSize, whole(values[0]),
                                whole(values[1]), whole(values[2]), whole(values[3]));
        // Cameras round a window to their unit sizes: the buffer takes the
        // size the camera says it sends.
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        if (backend_->format7GetImageSize(camera_, DC1394_VIDEO_MODE_FORMAT7_0, &width, &height) ==
                DC1394_SUCCESS &&
            width > 0 && height > 0) {
            frameSize_ = {static_cast<float>(width), static_cast<float>(height)};
        } else {
            frameSize_ = {static_cast<float>(values[2]), static_cast<float>(values[3])};
        }
        reallocateFrameBuffer();
    });
}

void IIDCCamera::setBlackflyControlBit() {
    if (!isBlackflyCamera_) {
        return;
    }
    serialDispatchQueue_.async([this] {
        if (camera_ == nullptr) {
            return;
        }
        constexpr std::uint64_t controlRegister = 0x19D0;
        std::uint32_t value = 0;
        backend_->getControlRegisters(camera_, controlRegister, &value, 1);
        value |= 1U;
        backend_->setControlRegisters(camera_, controlRegister, &value, 1);
    });
}

} // namespace Dotfield
