#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Dotfield/Camera/Frames/YUVConversion.hpp"
#include "simulators/camera/CameraScene.hpp"
#include "simulators/camera/FrameRendering.hpp"

namespace DotfieldCameraTests {
namespace {

using Dotfield::convertYUV422ToRGB32;
using Dotfield::expandYUV411ToYUV422;

// Red, green, blue and alpha of the 0xAARRGGBB word at the bytes.
std::array<int, 4> channels(const std::uint8_t* pixel) {
    std::uint32_t word = 0;
    std::memcpy(&word, pixel, 4);
    return {int(word >> 16 & 0xFF), int(word >> 8 & 0xFF), int(word & 0xFF), int(word >> 24)};
}

std::array<std::uint8_t, 8> convertPairBytes(std::uint8_t u, std::uint8_t y0, std::uint8_t v, std::uint8_t y1) {
    const std::array<std::uint8_t, 4> yuv{u, y0, v, y1};
    std::array<std::uint8_t, 8> pixels{};
    convertYUV422ToRGB32(yuv.data(), pixels.data(), 2);
    return pixels;
}

// The two pixels' red, green, blue and alpha, one after the other.
std::array<int, 8> convertPair(std::uint8_t u, std::uint8_t y0, std::uint8_t v, std::uint8_t y1) {
    const auto bytes = convertPairBytes(u, y0, v, y1);
    const auto first = channels(bytes.data());
    const auto second = channels(bytes.data() + 4);
    return {first[0], first[1], first[2], first[3], second[0], second[1], second[2], second[3]};
}

TEST(YUVConversion, LimitedRangeEndsAndPrimariesMeetTheMatrix) {
    struct Case {
        std::uint8_t y, u, v;
        std::array<int, 3> rgb;
        int tolerance;
    };
    const Case cases[] = {
        {235, 128, 128, {255, 255, 255}, 0}, // white
        {16, 128, 128, {0, 0, 0}, 0},        // black
        {81, 90, 240, {255, 0, 0}, 2},       // red
        {145, 54, 34, {0, 255, 0}, 2},       // green
        {41, 240, 110, {0, 0, 255}, 2},      // blue
        {0, 0, 0, {0, 136, 0}, 0},           // far outside: red and blue clamped
        {255, 255, 255, {255, 125, 255}, 0},
    };
    for (const Case& c : cases) {
        const auto rgba = convertPair(c.u, c.y, c.v, c.y);
        for (int pixel = 0; pixel < 2; ++pixel) {
            for (int ch = 0; ch < 3; ++ch) {
                EXPECT_LE(std::abs(rgba[pixel * 4 + ch] - c.rgb[ch]), c.tolerance)
                    << "Y " << int(c.y) << " U " << int(c.u) << " V " << int(c.v) << " channel " << ch;
            }
            EXPECT_EQ(rgba[pixel * 4 + 3], 255);
        }
    }
}

TEST(YUVConversion, EvenColumnsTakeY0AndOddColumnsY1WithTheirSharedChroma) {
    const auto rgba = convertPair(128, 16, 128, 235);
    EXPECT_EQ((std::array<int, 8>{0, 0, 0, 255, 255, 255, 255, 255}), rgba);
    // 1.164 x (126 - 16) = 128.04 rounds to 128, 1.164 x 100 = 116.4 to 116.
    const auto grey = convertPair(128, 126, 128, 116);
    EXPECT_EQ((std::array<int, 8>{128, 128, 128, 255, 116, 116, 116, 255}), grey);
}

TEST(YUVConversion, AWholeFrameMatchesItsPairsConvertedOneByOne) {
    // Every chroma pair once, with lumas running through their range, and a
    // lone pixel at the end: the frame's fast path must give each pair
    // exactly what the pair alone gives.
    constexpr std::size_t pairs = 256 * 256;
    std::vector<std::uint8_t> yuv(pairs * 4 + 2);
    for (std::size_t i = 0; i < pairs; ++i) {
        yuv[i * 4] = static_cast<std::uint8_t>(i);
        yuv[i * 4 + 1] = static_cast<std::uint8_t>(i * 7);
        yuv[i * 4 + 2] = static_cast<std::uint8_t>(i >> 8);
        yuv[i * 4 + 3] = static_cast<std::uint8_t>(i * 13 + 5);
    }
    yuv[pairs * 4] = 200;
    yuv[pairs * 4 + 1] = 90;
    std::vector<std::uint8_t> frame((pairs * 2 + 1) * 4);
    convertYUV422ToRGB32(yuv.data(), frame.data(), pairs * 2 + 1);
    for (std::size_t i = 0; i < pairs; ++i) {
        const auto alone = convertPairBytes(yuv[i * 4], yuv[i * 4 + 1], yuv[i * 4 + 2], yuv[i * 4 + 3]);
        ASSERT_TRUE(std::equal(alone.begin(), alone.end(), frame.begin() + static_cast<std::ptrdiff_t>(i * 8)))
            << "pair " << i;
    }
    std::array<std::uint8_t, 4> lone{};
    convertYUV422ToRGB32(yuv.data() + pairs * 4, lone.data(), 1);
    EXPECT_TRUE(std::equal(lone.begin(), lone.end(), frame.end() - 4));
}

TEST(YUVConversion, TheSimulatedTestCardSurvivesTheRoundTrip) {
    constexpr std::uint32_t width = 64;
    constexpr std::uint32_t height = 48;
    const auto light = Simulators::TestCardScene().render(width, height);
    const auto yuv = Simulators::renderFrame(light, width, height, {}, DC1394_COLOR_CODING_YUV422);
    ASSERT_EQ(yuv.size(), std::size_t{width} * height * 2);
    std::vector<std::uint8_t> rgba(std::size_t{width} * height * 4);
    convertYUV422ToRGB32(yuv.data(), rgba.data(), std::size_t{width} * height);
    const auto rgbaFromPlain = Simulators::renderFrame(light, width, height, {}, DC1394_COLOR_CODING_RGB8);
    ASSERT_EQ(rgbaFromPlain.size(), std::size_t{width} * height * 3);
    int worst = 0;
    for (std::size_t i = 0; i < std::size_t{width} * height; ++i) {
        // Chroma is shared by pairs: compare where both pixels of a pair have
        // the same colour, i.e. everywhere except the bar edges.
        if (i % 2 == 1 && std::abs(rgbaFromPlain[(i - 1) * 3] - rgbaFromPlain[i * 3]) > 0) {
            continue;
        }
        for (int ch = 0; ch < 3; ++ch) {
            worst = std::max(worst, std::abs(channels(&rgba[i * 4])[ch] - rgbaFromPlain[i * 3 + ch]));
        }
    }
    EXPECT_LE(worst, 3);
}

TEST(YUVConversion, FourOneOneExpandsEachChromaPairTwiceAndChecksLengths) {
    // 8 pixels: two groups of six source bytes.
    const std::vector<std::uint8_t> source{10, 11, 12, 13, 14, 15, 20, 21, 22, 23, 24, 25};
    std::vector<std::uint8_t> out(16, 0);
    ASSERT_TRUE(expandYUV411ToYUV422(source.data(), source.size(), out.data(), out.size(), 8));
    EXPECT_EQ(out, (std::vector<std::uint8_t>{10, 11, 13, 12, 10, 14, 13, 15, 20, 21, 23, 22, 20, 24, 23, 25}));

    std::vector<std::uint8_t> untouched(16, 7);
    EXPECT_FALSE(expandYUV411ToYUV422(source.data(), source.size() - 1, untouched.data(), 16, 8))
        << "a source shorter than 3n/2 is refused";
    EXPECT_FALSE(expandYUV411ToYUV422(source.data(), source.size(), untouched.data(), 15, 8))
        << "a destination shorter than 2n is refused";
    EXPECT_EQ(untouched, std::vector<std::uint8_t>(16, 7));
}

TEST(YUVConversion, AVGAFourOneOneFrameFillsTheWholeStagingBuffer) {
    constexpr std::size_t pixels = 640 * 480;
    std::vector<std::uint8_t> source(Dotfield::yuv411Bytes(pixels));
    for (std::size_t i = 0; i < source.size(); ++i) {
        source[i] = static_cast<std::uint8_t>(i * 7 + i / 6);
    }
    std::vector<std::uint8_t> out(614400, 0);
    ASSERT_TRUE(expandYUV411ToYUV422(source.data(), source.size(), out.data(), out.size(), pixels));
    const std::size_t lastGroup = pixels / 4 - 1;
    const std::uint8_t* in = source.data() + lastGroup * 6;
    const std::uint8_t* last = out.data() + lastGroup * 8;
    EXPECT_EQ((std::vector<std::uint8_t>(last, last + 8)),
              (std::vector<std::uint8_t>{in[0], in[1], in[3], in[2], in[0], in[4], in[3], in[5]}));
}

} // namespace
} // namespace DotfieldCameraTests
