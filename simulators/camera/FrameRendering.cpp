#include "simulators/camera/FrameRendering.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace Simulators {

namespace {

float octaves(float place, float span) {
    return std::exp2((place - 0.5F) * span);
}

// The sensor's answer to its features, per pixel, 0 to 1. The gamma curve is
// a table, so a frame costs no power function per pixel.
class SensorResponse {
  public:
    explicit SensorResponse(const SensorSettings& s)
        : exposure_(octaves(s.shutter, 4.0F) * octaves(s.exposure, 2.0F) * octaves(s.gain, 4.0F)),
          offset_((s.brightness - 0.5F) * 0.25F), red_(octaves(s.whiteBalanceRed, 2.0F)),
          blue_(octaves(s.whiteBalanceBlue, 2.0F)), saturation_(2.0F * s.saturation) {
        const float inverseGamma = 1.0F / octaves(s.gamma, 2.0F);
        for (std::size_t i = 0; i < curve_.size(); ++i) {
            curve_[i] = std::pow(static_cast<float>(i) / static_cast<float>(curve_.size() - 1), inverseGamma);
        }
    }

    SceneColor operator()(const SceneColor& light) const {
        const float r = light.red * exposure_ * red_;
        const float g = light.green * exposure_;
        const float b = light.blue * exposure_ * blue_;
        const float luma = 0.299F * r + 0.587F * g + 0.114F * b;
        return {finish(luma + (r - luma) * saturation_), finish(luma + (g - luma) * saturation_),
                finish(luma + (b - luma) * saturation_)};
    }

  private:
    float finish(float v) const {
        const float place = std::clamp(v, 0.0F, 1.0F) * static_cast<float>(curve_.size() - 1);
        return std::clamp(curve_[static_cast<std::size_t>(place + 0.5F)] + offset_, 0.0F, 1.0F);
    }

    float exposure_, offset_, red_, blue_, saturation_;
    std::array<float, 4096> curve_{};
};

std::uint8_t byte(float v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

struct YUV {
    float y, u, v;
};

YUV toYUV(const SceneColor& c) {
    return {16.0F + 219.0F * (0.299F * c.red + 0.587F * c.green + 0.114F * c.blue),
            128.0F + 224.0F * (-0.168736F * c.red - 0.331264F * c.green + 0.5F * c.blue),
            128.0F + 224.0F * (0.5F * c.red - 0.418688F * c.green - 0.081312F * c.blue)};
}

float luminance(const SceneColor& c) {
    return 0.299F * c.red + 0.587F * c.green + 0.114F * c.blue;
}

// Pixels in groups that share their chroma (2 for 4:2:2, 4 for 4:1:1); a
// partial group at the end of the image repeats its last pixel.
template <typename Emit> void chromaGroups(const std::vector<YUV>& pixels, std::size_t group, Emit emit) {
    for (std::size_t start = 0; start + group <= pixels.size(); start += group) {
        float u = 0, v = 0;
        for (std::size_t i = 0; i < group; ++i) {
            u += pixels[start + i].u;
            v += pixels[start + i].v;
        }
        emit(&pixels[start], byte(u / static_cast<float>(group)), byte(v / static_cast<float>(group)));
    }
}

} // namespace

std::size_t frameByteCount(std::uint32_t width, std::uint32_t height, dc1394color_coding_t coding) {
    const std::size_t n = static_cast<std::size_t>(width) * height;
    switch (coding) {
    case DC1394_COLOR_CODING_MONO8:
        return n;
    case DC1394_COLOR_CODING_YUV411:
        return n / 4 * 6;
    case DC1394_COLOR_CODING_YUV422:
        return n / 2 * 4;
    case DC1394_COLOR_CODING_YUV444:
    case DC1394_COLOR_CODING_RGB8:
        return n * 3;
    case DC1394_COLOR_CODING_MONO16:
        return n * 2;
    default:
        return 0;
    }
}

std::vector<std::uint8_t> renderFrame(const std::vector<SceneColor>& light, std::uint32_t width,
                                      std::uint32_t height, const SensorSettings& settings,
                                      dc1394color_coding_t coding) {
    const std::size_t n = std::min(light.size(), static_cast<std::size_t>(width) * height);
    const SensorResponse respond(settings);
    std::vector<SceneColor> seen(n);
    for (std::size_t i = 0; i < n; ++i) {
        seen[i] = respond(light[i]);
    }
    std::vector<std::uint8_t> out;
    out.reserve(frameByteCount(width, height, coding));
    std::vector<YUV> yuv;
    if (coding == DC1394_COLOR_CODING_YUV411 || coding == DC1394_COLOR_CODING_YUV422 ||
        coding == DC1394_COLOR_CODING_YUV444) {
        yuv.reserve(n);
        for (const auto& c : seen) {
            yuv.push_back(toYUV(c));
        }
    }
    switch (coding) {
    case DC1394_COLOR_CODING_MONO8:
        for (const auto& c : seen) {
            out.push_back(byte(255.0F * luminance(c)));
        }
        break;
    case DC1394_COLOR_CODING_MONO16:
        for (const auto& c : seen) {
            const auto level = static_cast<std::uint16_t>(std::lround(65535.0F * luminance(c)));
            out.push_back(static_cast<std::uint8_t>(level >> 8));
            out.push_back(static_cast<std::uint8_t>(level & 0xFF));
        }
        break;
    case DC1394_COLOR_CODING_RGB8:
        for (const auto& c : seen) {
            out.insert(out.end(), {byte(255.0F * c.red), byte(255.0F * c.green), byte(255.0F * c.blue)});
        }
        break;
    case DC1394_COLOR_CODING_YUV444:
        for (const auto& p : yuv) {
            out.insert(out.end(), {byte(p.u), byte(p.y), byte(p.v)});
        }
        break;
    case DC1394_COLOR_CODING_YUV422:
        chromaGroups(yuv, 2, [&](const YUV* p, std::uint8_t u, std::uint8_t v) {
            out.insert(out.end(), {u, byte(p[0].y), v, byte(p[1].y)});
        });
        break;
    case DC1394_COLOR_CODING_YUV411:
        chromaGroups(yuv, 4, [&](const YUV* p, std::uint8_t u, std::uint8_t v) {
            out.insert(out.end(), {u, byte(p[0].y), byte(p[1].y), v, byte(p[2].y), byte(p[3].y)});
        });
        break;
    default:
        break;
    }
    return out;
}

void addNoise(std::span<std::uint8_t> bytes, int amplitude, std::uint64_t seed) {
    if (amplitude <= 0) {
        return;
    }
    // xorshift64*: fast, and the same bytes for the same seed on every machine.
    std::uint64_t state = seed * 0x9E3779B97F4A7C15ULL + 1;
    const auto span = static_cast<std::uint64_t>(2 * amplitude + 1);
    for (auto& b : bytes) {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        const auto draw = static_cast<int>(((state * 0x2545F4914F6CDD1DULL) >> 32) % span) - amplitude;
        b = static_cast<std::uint8_t>(std::clamp(static_cast<int>(b) + draw, 0, 255));
    }
}

} // namespace Simulators
