#pragma once
// How the simulated camera turns the light of its scene into frame bytes: the
// sensor's response to its features, then the encoding in the colour coding of
// the current video mode, then seeded noise.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include <dc1394/dc1394.h>

#include "simulators/camera/CameraScene.hpp"

namespace Simulators {

// The features the image answers, each as its place in the feature's range
// (0 at the minimum, 1 at the maximum; 0.5 leaves the light as it is).
struct SensorSettings {
    float brightness = 0.5F;
    float exposure = 0.5F;
    float shutter = 0.5F;
    float gain = 0.5F;
    float saturation = 0.5F;
    float gamma = 0.5F;
    float whiteBalanceBlue = 0.5F;
    float whiteBalanceRed = 0.5F;
};

// Bytes of one frame of the coding; 0 for a coding the simulation cannot make.
std::size_t frameByteCount(std::uint32_t width, std::uint32_t height, dc1394color_coding_t coding);

// The frame as the sensor sees the light: YUV 4:2:2 as U, Y0, V, Y1; YUV 4:1:1
// as U, Y0, Y1, V, Y2, Y3; YUV 4:4:4 as U, Y, V; RGB8; MONO8; MONO16 big-endian.
// YUV is ITU-R BT.601 with Y from 16 to 235.
std::vector<std::uint8_t> renderFrame(const std::vector<SceneColor>& light, std::uint32_t width,
                                      std::uint32_t height, const SensorSettings& settings,
                                      dc1394color_coding_t coding);

// Adds noise of at most the amplitude to every byte (clamped), the same for
// the same seed.
void addNoise(std::span<std::uint8_t> bytes, int amplitude, std::uint64_t seed);

} // namespace Simulators
