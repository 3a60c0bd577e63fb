#include "simulators/camera/SimulatedCameraProfile.hpp"

#include <array>

namespace Simulators {

namespace {

constexpr std::uint64_t vendorControlRegister = 0x19D0;

std::vector<SimulatedFeature> eightFeatures(std::uint32_t scale) {
    const std::vector<dc1394feature_mode_t> all{DC1394_FEATURE_MODE_MANUAL, DC1394_FEATURE_MODE_AUTO,
                                                DC1394_FEATURE_MODE_ONE_PUSH_AUTO};
    const std::vector<dc1394feature_mode_t> manualAndAuto{DC1394_FEATURE_MODE_MANUAL,
                                                          DC1394_FEATURE_MODE_AUTO};
    auto feature = [](dc1394feature_t id, std::uint32_t min, std::uint32_t max,
                      std::vector<dc1394feature_mode_t> modes) {
        SimulatedFeature f;
        f.id = id;
        f.min = min;
        f.max = max;
        f.value = min + (max - min) / 2;
        f.secondValue = f.value;
        f.modes = std::move(modes);
        f.mode = DC1394_FEATURE_MODE_AUTO;
        return f;
    };
    return {feature(DC1394_FEATURE_BRIGHTNESS, 0, 255 * scale, manualAndAuto),
            feature(DC1394_FEATURE_EXPOSURE, 1, 1023 * scale, all),
            feature(DC1394_FEATURE_SHARPNESS, 0, 4095, manualAndAuto),
            feature(DC1394_FEATURE_WHITE_BALANCE, 0, 1023, all),
            feature(DC1394_FEATURE_SATURATION, 0, 4095, manualAndAuto),
            feature(DC1394_FEATURE_GAMMA, 512, 4095, manualAndAuto),
            feature(DC1394_FEATURE_SHUTTER, 1, 4095 * scale, all),
            feature(DC1394_FEATURE_GAIN, 0, 680 * scale, all)};
}

} // namespace

SimulatedCameraProfile SimulatedCameraProfile::of(SimulatedCameraKind kind, std::uint64_t guid,
                                                  std::uint16_t unit) {
    SimulatedCameraProfile p;
    p.guid = guid;
    p.unit = unit;
    switch (kind) {
    case SimulatedCameraKind::format7WithoutMode79:
        p.modes = {DC1394_VIDEO_MODE_640x480_YUV422, DC1394_VIDEO_MODE_FORMAT7_0};
        p.initialMode = DC1394_VIDEO_MODE_FORMAT7_0;
        p.initialIsoSpeed = DC1394_ISO_SPEED_800;
        p.initialOperationMode = DC1394_OPERATION_MODE_1394B;
        p.format7MaxWidth = 1288;
        p.format7MaxHeight = 964;
        p.format7UnitWidth = 4;
        p.format7UnitHeight = 2;
        p.format7UnitLeft = 2;
        p.format7UnitTop = 2;
        p.recommendedPacketSize = 4000;
        p.maximumPacketSize = 8192;
        p.controlRegisters[vendorControlRegister] = 0x80000000U;
        p.features = eightFeatures(1);
        // The application drives this kind's gain up to 1024 without asking
        // for its bounds; the camera takes all of it.
        p.features.back().max = 1024;
        break;
    case SimulatedCameraKind::format7WithMode79:
        p.modes = {DC1394_VIDEO_MODE_640x480_YUV422, DC1394_VIDEO_MODE_1280x960_YUV422,
                   DC1394_VIDEO_MODE_FORMAT7_0};
        p.initialMode = DC1394_VIDEO_MODE_FORMAT7_0;
        p.initialIsoSpeed = DC1394_ISO_SPEED_800;
        p.initialOperationMode = DC1394_OPERATION_MODE_1394B;
        p.format7MaxWidth = 1280;
        p.format7MaxHeight = 960;
        p.format7UnitWidth = 8;
        p.format7UnitHeight = 8;
        p.format7UnitLeft = 8;
        p.format7UnitTop = 8;
        p.recommendedPacketSize = 3840;
        p.maximumPacketSize = 4096;
        p.features = eightFeatures(2);
        break;
    case SimulatedCameraKind::vga:
        p.modes = {DC1394_VIDEO_MODE_320x240_YUV422, DC1394_VIDEO_MODE_640x480_YUV411,
                   DC1394_VIDEO_MODE_640x480_YUV422, DC1394_VIDEO_MODE_640x480_RGB8,
                   DC1394_VIDEO_MODE_640x480_MONO8};
        p.initialMode = DC1394_VIDEO_MODE_640x480_YUV411;
        p.initialFramerate = DC1394_FRAMERATE_30;
        p.features = eightFeatures(1);
        return p;
    }
    // The format-7 kinds start with a 640 x 480 window in YUV 4:2:2.
    p.format7Width = 640;
    p.format7Height = 480;
    p.format7Coding = DC1394_COLOR_CODING_YUV422;
    p.format7Codings = {DC1394_COLOR_CODING_MONO8, DC1394_COLOR_CODING_YUV411, DC1394_COLOR_CODING_YUV422,
                        DC1394_COLOR_CODING_RGB8};
    return p;
}

bool fixedModeGeometry(dc1394video_mode_t mode, std::uint32_t& width, std::uint32_t& height,
                       dc1394color_coding_t& coding) {
    struct Geometry {
        std::uint32_t width, height;
        dc1394color_coding_t coding;
    };
    static constexpr std::array<Geometry, 23> table{{
        {160, 120, DC1394_COLOR_CODING_YUV444},   {320, 240, DC1394_COLOR_CODING_YUV422},
        {640, 480, DC1394_COLOR_CODING_YUV411},   {640, 480, DC1394_COLOR_CODING_YUV422},
        {640, 480, DC1394_COLOR_CODING_RGB8},     {640, 480, DC1394_COLOR_CODING_MONO8},
        {640, 480, DC1394_COLOR_CODING_MONO16},   {800, 600, DC1394_COLOR_CODING_YUV422},
        {800, 600, DC1394_COLOR_CODING_RGB8},     {800, 600, DC1394_COLOR_CODING_MONO8},
        {1024, 768, DC1394_COLOR_CODING_YUV422},  {1024, 768, DC1394_COLOR_CODING_RGB8},
        {1024, 768, DC1394_COLOR_CODING_MONO8},   {800, 600, DC1394_COLOR_CODING_MONO16},
        {1024, 768, DC1394_COLOR_CODING_MONO16},  {1280, 960, DC1394_COLOR_CODING_YUV422},
        {1280, 960, DC1394_COLOR_CODING_RGB8},    {1280, 960, DC1394_COLOR_CODING_MONO8},
        {1600, 1200, DC1394_COLOR_CODING_YUV422}, {1600, 1200, DC1394_COLOR_CODING_RGB8},
        {1600, 1200, DC1394_COLOR_CODING_MONO8},  {1280, 960, DC1394_COLOR_CODING_MONO16},
        {1600, 1200, DC1394_COLOR_CODING_MONO16},
    }};
    const int index = static_cast<int>(mode) - static_cast<int>(DC1394_VIDEO_MODE_160x120_YUV444);
    if (index < 0 || index >= static_cast<int>(table.size())) {
        return false;
    }
    width = table[static_cast<std::size_t>(index)].width;
    height = table[static_cast<std::size_t>(index)].height;
    coding = table[static_cast<std::size_t>(index)].coding;
    return true;
}

double framesPerSecond(dc1394framerate_t framerate) {
    const int index = static_cast<int>(framerate) - static_cast<int>(DC1394_FRAMERATE_1_875);
    if (index < 0 || index >= static_cast<int>(DC1394_FRAMERATE_NUM)) {
        return 0.0;
    }
    return 1.875 * static_cast<double>(1 << index);
}

} // namespace Simulators
