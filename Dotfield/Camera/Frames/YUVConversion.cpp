#include "Dotfield/Camera/Frames/YUVConversion.hpp"

#include <algorithm>

namespace Dotfield {

namespace {

// The matrix in 16.16 fixed point; integer lanes vectorise where floats
// would need a rounding call per channel.
constexpr std::int32_t fractionBits = 16;
constexpr std::int32_t half = 1 << (fractionBits - 1);
constexpr std::int32_t luma = 76284;      // 1.164
constexpr std::int32_t redFromV = 104595; // 1.596
constexpr std::int32_t greenFromU = 25690; // 0.392
constexpr std::int32_t greenFromV = 53281; // 0.813
constexpr std::int32_t blueFromU = 132186; // 2.017

inline std::uint8_t channel(std::int32_t fixed) {
    return static_cast<std::uint8_t>(std::clamp(fixed >> fractionBits, 0, 255));
}

inline void writePixel(std::uint8_t* out, std::int32_t y, std::int32_t red, std::int32_t green,
                       std::int32_t blue) {
    const std::int32_t scaled = luma * (y - 16) + half;
    out[0] = channel(scaled + red);
    out[1] = channel(scaled + green);
    out[2] = channel(scaled + blue);
    out[3] = 255;
}

} // namespace

void convertYUV422ToRGBA(const std::uint8_t* yuv, std::uint8_t* rgba, std::size_t pixelCount) {
    const std::size_t pairs = pixelCount / 2;
    for (std::size_t i = 0; i < pairs; ++i) {
        const std::uint8_t* in = yuv + i * 4;
        std::uint8_t* out = rgba + i * 8;
        const std::int32_t u = static_cast<std::int32_t>(in[0]) - 128;
        const std::int32_t v = static_cast<std::int32_t>(in[2]) - 128;
        const std::int32_t red = redFromV * v;
        const std::int32_t green = -greenFromU * u - greenFromV * v;
        const std::int32_t blue = blueFromU * u;
        writePixel(out, in[1], red, green, blue);
        writePixel(out + 4, in[3], red, green, blue);
    }
    if (pixelCount % 2 != 0) {
        const std::uint8_t* in = yuv + pairs * 4;
        const std::int32_t u = static_cast<std::int32_t>(in[0]) - 128;
        writePixel(rgba + pairs * 8, in[1], 0, -greenFromU * u, blueFromU * u);
    }
}

bool expandYUV411ToYUV422(const std::uint8_t* source, std::size_t sourceBytes, std::uint8_t* destination,
                          std::size_t destinationBytes, std::size_t pixelCount) {
    if (sourceBytes < yuv411Bytes(pixelCount) || destinationBytes < pixelCount * 2) {
        return false;
    }
    const std::size_t groups = pixelCount / 4;
    for (std::size_t g = 0; g < groups; ++g) {
        const std::uint8_t* in = source + g * 6;
        std::uint8_t* out = destination + g * 8;
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[3];
        out[3] = in[2];
        out[4] = in[0];
        out[5] = in[4];
        out[6] = in[3];
        out[7] = in[5];
    }
    return true;
}

} // namespace Dotfield
