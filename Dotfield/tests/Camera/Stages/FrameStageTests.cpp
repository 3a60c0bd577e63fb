#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "Dotfield/Camera/Stages/AverageLuminanceExtractor.hpp"
#include "Dotfield/Camera/Stages/Crop.hpp"
#include "Dotfield/Camera/Stages/LowPassFilter.hpp"
#include "Dotfield/tests/Camera/SimulatedCameraFixture.hpp"

namespace DotfieldCameraTests {
namespace {

using Dotfield::IIDCFrame;

// A frame of the 32-bit pixels, one word each.
IIDCFrame frameOf(std::uint32_t width, std::uint32_t height, const std::vector<std::uint32_t>& pixels) {
    std::vector<std::uint8_t> bytes(pixels.size() * 4);
    std::memcpy(bytes.data(), pixels.data(), bytes.size());
    return {width, height, std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes)), {}};
}

// A frame whose red, green and blue are all the value, alpha 255.
IIDCFrame uniformFrame(std::uint32_t width, std::uint32_t height, std::uint8_t value) {
    return frameOf(width, height,
                   std::vector<std::uint32_t>(std::size_t{width} * height, 0xFF000000U | value * 0x010101U));
}

TEST(FrameStages, CropCutsTheCentreAndAnOverLargeSizeToTheFrame) {
    // Each pixel's first byte is its column, its second byte its row.
    constexpr std::uint32_t width = 644;
    constexpr std::uint32_t height = 482;
    std::vector<std::uint8_t> bytes(std::size_t{width} * height * 4);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::size_t at = (std::size_t{y} * width + x) * 4;
            bytes[at] = static_cast<std::uint8_t>(x);
            bytes[at + 1] = static_cast<std::uint8_t>(y);
        }
    }
    const IIDCFrame frame{width, height, std::make_shared<const std::vector<std::uint8_t>>(bytes), {42, 600}};
    auto crop = std::make_shared<Dotfield::Crop>();
    auto target = std::make_shared<RecordingTarget>();
    crop->addTarget(target);

    crop->setCropSizeInPixels({640, 480});
    crop->newFrame(frame);
    crop->setCropSizeInPixels({1000, 300});
    crop->newFrame(frame);

    const auto frames = target->frames();
    ASSERT_EQ(frames.size(), 2U);
    EXPECT_EQ(frames[0].width, 640U);
    EXPECT_EQ(frames[0].height, 480U);
    ASSERT_EQ(frames[0].bytes->size(), 640U * 480U * 4U);
    EXPECT_EQ((*frames[0].bytes)[0], 2) << "first column is column 2";
    EXPECT_EQ((*frames[0].bytes)[1], 1) << "first row is row 1";
    const std::size_t last = (std::size_t{479} * 640 + 639) * 4;
    EXPECT_EQ((*frames[0].bytes)[last], static_cast<std::uint8_t>(641));
    EXPECT_EQ((*frames[0].bytes)[last + 1], static_cast<std::uint8_t>(480));
    EXPECT_EQ(frames[0].time, (Dotfield::FrameTime{42, 600}));

    EXPECT_EQ(frames[1].width, width) << "wider than the frame: the frame's width";
    EXPECT_EQ(frames[1].height, 300U);
    EXPECT_EQ((*frames[1].bytes)[0], 0);
    EXPECT_EQ((*frames[1].bytes)[1], 91);
}

TEST(FrameStages, LowPassFilterBlendsWithItsLastOutput) {
    struct Case {
        double strength;
        std::vector<std::uint8_t> inputs;
        std::vector<std::uint8_t> outputs;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {0.5, {0, 200, 200, 200}, {0, 100, 150, 175}},   // halves the step each frame
        {0.0, {0, 200, 17, 90}, {0, 200, 17, 90}},       // unchanged
        {nan, {0, 200, 17}, {0, 200, 17}},               // not finite: 0
        {7.0, {30, 200, 17}, {30, 30, 30}},              // clamped to 1: holds the first frame
        {-3.0, {30, 200}, {30, 200}},                    // clamped to 0
    };
    for (const Case& c : cases) {
        auto filter = std::make_shared<Dotfield::LowPassFilter>();
        auto target = std::make_shared<RecordingTarget>();
        filter->addTarget(target);
        filter->setStrength(c.strength);
        for (std::uint8_t value : c.inputs) {
            filter->newFrame(uniformFrame(4, 2, value));
        }
        const auto frames = target->frames();
        ASSERT_EQ(frames.size(), c.outputs.size());
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ((*frames[i].bytes)[0], c.outputs[i]) << "strength " << c.strength << " frame " << i;
            EXPECT_EQ((*frames[i].bytes)[3], 255) << "alpha stays opaque";
        }
    }
}

TEST(FrameStages, LowPassFilterPassesAFrameOfANewSizeThrough) {
    auto filter = std::make_shared<Dotfield::LowPassFilter>();
    auto target = std::make_shared<RecordingTarget>();
    filter->addTarget(target);
    filter->setStrength(0.5);
    filter->newFrame(uniformFrame(4, 2, 0));
    filter->newFrame(uniformFrame(2, 4, 200));
    filter->newFrame(uniformFrame(2, 4, 100));
    const auto frames = target->frames();
    ASSERT_EQ(frames.size(), 3U);
    EXPECT_EQ((*frames[1].bytes)[0], 200);
    EXPECT_EQ((*frames[2].bytes)[0], 150);
}

TEST(FrameStages, AverageLuminanceWeighsTheChannelsAndPassesTheFrameOn) {
    auto extractor = std::make_shared<Dotfield::AverageLuminanceExtractor>();
    auto target = std::make_shared<RecordingTarget>();
    extractor->addTarget(target);
    std::vector<double> measured;
    extractor->setExtractedLuminanceCallback(
        [&](const Dotfield::LuminanceReading& luminance) { measured.push_back(luminance.value()); });

    extractor->newFrame(uniformFrame(640, 480, 128));
    // Pure red, pure green, pure blue and black.
    extractor->newFrame(frameOf(4, 1, {0xFFFF0000U, 0xFF00FF00U, 0xFF0000FFU, 0xFF000000U}));

    ASSERT_EQ(measured.size(), 2U);
    EXPECT_NEAR(measured[0], 128.0 / 255.0, 0.002);
    EXPECT_NEAR(measured[1], (0.2125 + 0.7154 + 0.0721) / 4.0, 1e-9);
    EXPECT_EQ(target->count(), 2U);
}

} // namespace
} // namespace DotfieldCameraTests
