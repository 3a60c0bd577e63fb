#include <gtest/gtest.h>

#include "simulators/camera/FrameRendering.hpp"

namespace {

using Simulators::renderFrame;
using Simulators::SceneColor;
using Simulators::SensorSettings;

TEST(FrameRendering, TestCardAtDefaultSettingsHasBT601LevelsInEveryCoding) {
    const auto card = Simulators::TestCardScene().render(16, 6);
    const auto yuv = renderFrame(card, 16, 6, {}, DC1394_COLOR_CODING_YUV422);
    ASSERT_EQ(yuv.size(), 16U * 6U * 2U);
    // U, Y0, V, Y1 of the white bar (pixels 0, 1) and the black bar (14, 15).
    EXPECT_EQ(std::vector<std::uint8_t>(yuv.begin(), yuv.begin() + 4),
              (std::vector<std::uint8_t>{128, 235, 128, 235}));
    EXPECT_EQ(std::vector<std::uint8_t>(yuv.begin() + 28, yuv.begin() + 32),
              (std::vector<std::uint8_t>{128, 16, 128, 16}));
    // The red bar (pixels 10, 11): Y 81, U 90, V 240.
    EXPECT_EQ(std::vector<std::uint8_t>(yuv.begin() + 20, yuv.begin() + 24),
              (std::vector<std::uint8_t>{90, 81, 240, 81}));

    const struct {
        dc1394color_coding_t coding;
        std::size_t bytes;
    } sizes[] = {{DC1394_COLOR_CODING_MONO8, 96},   {DC1394_COLOR_CODING_YUV411, 144},
                 {DC1394_COLOR_CODING_YUV444, 288}, {DC1394_COLOR_CODING_RGB8, 288},
                 {DC1394_COLOR_CODING_MONO16, 192}, {DC1394_COLOR_CODING_RAW8, 0}};
    for (const auto& s : sizes) {
        EXPECT_EQ(renderFrame(card, 16, 6, {}, s.coding).size(), s.bytes) << s.coding;
        EXPECT_EQ(Simulators::frameByteCount(16, 6, s.coding), s.bytes) << s.coding;
    }
    const auto rgb = renderFrame(card, 16, 6, {}, DC1394_COLOR_CODING_RGB8);
    EXPECT_EQ(std::vector<std::uint8_t>(rgb.begin() + 30, rgb.begin() + 33),
              (std::vector<std::uint8_t>{255, 0, 0}));
}

TEST(FrameRendering, FeaturesChangeTheImageTheWayTheyShould) {
    const std::vector<SceneColor> grey(4, SceneColor{0.25F, 0.25F, 0.25F});
    auto lumaWith = [&](SensorSettings settings) {
        return renderFrame(grey, 4, 1, settings, DC1394_COLOR_CODING_MONO8)[0];
    };
    const int plain = lumaWith({});
    for (auto brighter : {&SensorSettings::shutter, &SensorSettings::exposure, &SensorSettings::gain,
                          &SensorSettings::brightness}) {
        SensorSettings more;
        more.*brighter = 0.8F;
        SensorSettings less;
        less.*brighter = 0.2F;
        EXPECT_GT(lumaWith(more), plain);
        EXPECT_LT(lumaWith(less), plain);
    }
    SensorSettings redder;
    redder.whiteBalanceRed = 0.9F;
    const auto yuv = renderFrame(grey, 4, 1, redder, DC1394_COLOR_CODING_YUV422);
    EXPECT_GT(yuv[2], 128) << "V rises with the red balance";
}

TEST(FrameRendering, NoiseIsBoundedAndRepeatsForTheSameSeed) {
    std::vector<std::uint8_t> a(1000, 128), b(1000, 128), c(1000, 128);
    Simulators::addNoise(a, 3, 7);
    Simulators::addNoise(b, 3, 7);
    Simulators::addNoise(c, 3, 8);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    for (const auto v : a) {
        EXPECT_LE(std::abs(static_cast<int>(v) - 128), 3);
    }
}

} // namespace
