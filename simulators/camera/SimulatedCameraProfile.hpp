#pragma once
// What one simulated IIDC camera offers: identity, video modes, format-7
// geometry, control registers and its eight image features. Three kinds are
// made ready, the kinds the camera windows tell apart.

#include <cstdint>
#include <map>
#include <vector>

#include <dc1394/dc1394.h>

namespace Simulators {

enum class SimulatedCameraKind {
    format7WithoutMode79, // format 7 only; a vendor control register at 0x19D0
    format7WithMode79,    // format 7 and 1280 x 960 YUV 4:2:2
    vga,                  // modes 65 to 69, YUV 4:1:1 at 30 frames/s
};

struct SimulatedFeature {
    dc1394feature_t id = DC1394_FEATURE_BRIGHTNESS;
    std::uint32_t min = 0;
    std::uint32_t max = 0;
    std::uint32_t value = 0;       // white balance: the blue (U) value
    std::uint32_t secondValue = 0; // white balance: the red (V) value
    std::vector<dc1394feature_mode_t> modes;
    dc1394feature_mode_t mode = DC1394_FEATURE_MODE_AUTO;
};

struct SimulatedCameraProfile {
    std::uint64_t guid = 0;
    std::uint16_t unit = 0;
    std::vector<dc1394video_mode_t> modes;
    dc1394video_mode_t initialMode = DC1394_VIDEO_MODE_FORMAT7_0;
    dc1394framerate_t initialFramerate = DC1394_FRAMERATE_60;
    dc1394speed_t initialIsoSpeed = DC1394_ISO_SPEED_400;
    dc1394operation_mode_t initialOperationMode = DC1394_OPERATION_MODE_LEGACY;

    // Format 7 (mode 88), when the camera offers it.
    std::uint32_t format7MaxWidth = 0;
    std::uint32_t format7MaxHeight = 0;
    std::uint32_t format7UnitWidth = 1;
    std::uint32_t format7UnitHeight = 1;
    std::uint32_t format7UnitLeft = 1;
    std::uint32_t format7UnitTop = 1;
    std::uint32_t format7Width = 0;
    std::uint32_t format7Height = 0;
    dc1394color_coding_t format7Coding = DC1394_COLOR_CODING_YUV422;
    std::vector<dc1394color_coding_t> format7Codings;
    std::uint32_t recommendedPacketSize = 0;
    std::uint32_t maximumPacketSize = 0;

    std::map<std::uint64_t, std::uint32_t> controlRegisters;
    std::vector<SimulatedFeature> features;

    static SimulatedCameraProfile of(SimulatedCameraKind kind, std::uint64_t guid, std::uint16_t unit = 0);
};

// Size and colour coding of the fixed video modes 64 to 86; false for others.
bool fixedModeGeometry(dc1394video_mode_t mode, std::uint32_t& width, std::uint32_t& height,
                       dc1394color_coding_t& coding);

// Frames per second of a frame-rate code; 0 for an unknown code.
double framesPerSecond(dc1394framerate_t framerate);

} // namespace Simulators
