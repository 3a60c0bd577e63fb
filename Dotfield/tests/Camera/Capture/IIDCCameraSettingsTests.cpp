#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Dotfield/tests/Camera/SimulatedCameraFixture.hpp"

namespace DotfieldCameraTests {
namespace {

using Simulators::SimulatedCameraKind;

class IIDCCameraSettingsTest : public SimulatedCameraFixture {
  protected:
    // The arguments of the only recorded call of the function.
    std::vector<std::int64_t> argumentsOf(const std::string& function) {
        EXPECT_EQ(bus->callCount(function), 1U) << function;
        for (const auto& call : bus->calls()) {
            if (call.function == function) {
                return call.arguments;
            }
        }
        return {};
    }
};

TEST_F(IIDCCameraSettingsTest, WritesThenReadsRoundTripAndAChangedBlueKeepsRed) {
    auto simulated = plugIn();
    Dotfield::IIDCCamera camera(std::nullopt, 1);
    camera.setBrightness(camera.brightnessMin() + 3);
    camera.setGain(camera.gainMax());
    EXPECT_EQ(camera.brightness(), camera.brightnessMin() + 3);
    EXPECT_EQ(camera.gain(), camera.gainMax());
    camera.setWhiteBalance({camera.whiteBalanceMin() + 1, camera.whiteBalanceMin() + 2});
    auto balance = camera.whiteBalance();
    balance.blue = camera.whiteBalanceMin() + 5;
    camera.setWhiteBalance(balance);
    EXPECT_EQ(camera.whiteBalance(),
              (Dotfield::IIDCCamera::WhiteBalance{camera.whiteBalanceMin() + 5, camera.whiteBalanceMin() + 2}));
    camera.setFramerate(DC1394_FRAMERATE_30);
    EXPECT_EQ(camera.framerate(), DC1394_FRAMERATE_30);

    bus->unplug(simulated);
    EXPECT_EQ(camera.brightness(), 0U) << "a failing read gives 0";
    EXPECT_EQ(camera.whiteBalance(), (Dotfield::IIDCCamera::WhiteBalance{0, 0}));
    EXPECT_EQ(camera.isoSpeed(), DC1394_ISO_SPEED_800);
    EXPECT_EQ(camera.framerate(), DC1394_FRAMERATE_60);
    EXPECT_EQ(camera.operationMode(), DC1394_OPERATION_MODE_1394B);
    EXPECT_EQ(camera.videoMode(), DC1394_VIDEO_MODE_FORMAT7_0);
}

TEST_F(IIDCCameraSettingsTest, FixedModesSetSizeCodingAndBufferAndFormat7SetsThePacketSize) {
    struct Case {
        SimulatedCameraKind kind;
        dc1394video_mode_t mode;
        std::size_t packetSizeCalls;
        std::int64_t packetSize;
    };
    const Case cases[] = {
        {SimulatedCameraKind::vga, DC1394_VIDEO_MODE_EXIF, 0, 0},
        {SimulatedCameraKind::format7WithMode79, DC1394_VIDEO_MODE_FORMAT7_0, 1, 3840},
        {SimulatedCameraKind::format7WithoutMode79, DC1394_VIDEO_MODE_FORMAT7_0, 1, 4000},
    };
    for (const Case& c : cases) {
        auto simulated = plugIn(c.kind);
        {
            Dotfield::IIDCCamera camera(std::nullopt, 1);
            camera.setFrameSize({10, 10});
            bus->clearCalls();
            camera.setVideoMode(c.mode);
            EXPECT_EQ(camera.frameSize(), (Dotfield::FrameSize{10, 10}));
            EXPECT_EQ(bus->callCount("dc1394_video_set_mode"), 1U);
            EXPECT_EQ(bus->callCount("dc1394_format7_set_packet_size"), c.packetSizeCalls);
            if (c.packetSizeCalls == 1) {
                EXPECT_EQ(argumentsOf("dc1394_format7_set_packet_size").back(), c.packetSize);
            }
            EXPECT_EQ(bus->calls().size(), 1 + c.packetSizeCalls) << "mode " << c.mode;
        }
        bus->unplug(simulated);
    }

    auto vga = plugIn(SimulatedCameraKind::vga);
    Dotfield::IIDCCamera camera(std::nullopt, 1);
    camera.setVideoMode(DC1394_VIDEO_MODE_640x480_YUV411);
    EXPECT_EQ(camera.frameSize(), (Dotfield::FrameSize{640, 480}));
    EXPECT_EQ(camera.colorspace(), DC1394_COLOR_CODING_YUV411);
    EXPECT_EQ(camera.frameBufferSize(), 614400U);
    EXPECT_TRUE(camera.supportsVideoMode(DC1394_VIDEO_MODE_640x480_YUV411));
    EXPECT_FALSE(camera.supportsVideoMode(DC1394_VIDEO_MODE_FORMAT7_0));
}

TEST_F(IIDCCameraSettingsTest, BlackflyRegionGoesThrough644By482ThenTheWindowWithTheRecommendedPacketSize) {
    auto simulated = plugIn(SimulatedCameraKind::format7WithoutMode79);
    Dotfield::IIDCCamera camera(std::nullopt, 1);
    camera.setVideoMode(DC1394_VIDEO_MODE_FORMAT7_0);
    camera.setColorspace(DC1394_COLOR_CODING_YUV422);
    (void)camera.frameSize(); // waits for the queued work
    bus->clearCalls();
    camera.setRegionOfInterest(Dotfield::IIDCCamera::Region{320, 240, 640, 480});
    EXPECT_EQ(camera.frameSize(), (Dotfield::FrameSize{640, 480}));
    EXPECT_EQ(camera.frameBufferSize(), 614400U);
    std::vector<std::string> order;
    for (const auto& call : bus->calls()) {
        order.push_back(call.function);
    }
    const std::vector<std::string> expected{"dc1394_video_get_mode", "dc1394_format7_set_color_coding",
                                            "dc1394_format7_set_image_size",
                                            "dc1394_format7_get_recommended_packet_size",
                                            "dc1394_format7_set_roi", "dc1394_format7_get_image_size"};
    EXPECT_EQ(order, expected);
    const auto imageSize = argumentsOf("dc1394_format7_set_image_size");
    EXPECT_EQ((std::vector<std::int64_t>(imageSize.end() - 2, imageSize.end())), (std::vector<std::int64_t>{644, 482}));
    const auto roi = argumentsOf("dc1394_format7_set_roi");
    EXPECT_EQ((std::vector<std::int64_t>(roi.end() - 4, roi.end())), (std::vector<std::int64_t>{320, 240, 640, 480}));

    camera.setBlackflyControlBit();
    (void)camera.frameSize(); // waits for the queued work
    ASSERT_TRUE(simulated->controlRegister(0x19D0));
    EXPECT_EQ(*simulated->controlRegister(0x19D0) & 1U, 1U);
}

TEST_F(IIDCCameraSettingsTest, AFractionalRegionIsSentRoundedAndSizesTheBufferByTheCameraAndABadOneIsRefused) {
    auto simulated = plugIn(SimulatedCameraKind::format7WithMode79);
    Dotfield::IIDCCamera camera(std::nullopt, 1);
    camera.setVideoMode(DC1394_VIDEO_MODE_FORMAT7_0);
    (void)camera.frameSize(); // waits for the queued work
    bus->clearCalls();
    camera.setRegionOfInterest(Dotfield::IIDCCamera::Region{10.5, 240, 639.6, 480});
    (void)camera.frameSize(); // waits for the queued work
    const auto roi = argumentsOf("dc1394_format7_set_roi");
    EXPECT_EQ((std::vector<std::int64_t>(roi.end() - 4, roi.end())), (std::vector<std::int64_t>{11, 240, 640, 480}));
    const Dotfield::FrameSize size = camera.frameSize();
    EXPECT_EQ(size.width, std::round(size.width)) << "whole pixels";
    EXPECT_EQ(camera.frameBufferSize(), static_cast<std::size_t>(size.width * size.height * 2));
    EXPECT_EQ(bus->callCount("dc1394_get_control_registers"), 0U) << "not the Blackfly kind";
    camera.setBlackflyControlBit();
    EXPECT_EQ(camera.frameSize(), size);
    EXPECT_EQ(bus->callCount("dc1394_get_control_registers"), 0U);

    const double bad[] = {-1.0, std::numeric_limits<double>::infinity(), std::nan(""), 5.0e9};
    for (double value : bad) {
        bus->clearCalls();
        camera.setRegionOfInterest(Dotfield::IIDCCamera::Region{0, 0, value, 480});
        EXPECT_EQ(camera.frameSize(), size);
        EXPECT_EQ(bus->callCount("dc1394_format7_set_roi"), 0U) << value;
    }
}

using IIDCCameraSettingsDeathTest = IIDCCameraSettingsTest;

TEST_F(IIDCCameraSettingsDeathTest, RegionOutsideFormat7OrAbsentStopsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            plugIn(SimulatedCameraKind::vga);
            Dotfield::IIDCCamera camera(std::nullopt, 1);
            camera.setRegionOfInterest(Dotfield::IIDCCamera::Region{0, 0, 640, 480});
        },
        "Error: tried to set a region of interest in a non-format 7 video mode.");
    EXPECT_DEATH(
        {
            plugIn(SimulatedCameraKind::format7WithMode79);
            Dotfield::IIDCCamera camera(std::nullopt, 1);
            camera.setVideoMode(DC1394_VIDEO_MODE_FORMAT7_0);
            camera.setRegionOfInterest(std::nullopt);
        },
        "Resetting the region of interest to nil currently isn't supported");
}

} // namespace
} // namespace DotfieldCameraTests
