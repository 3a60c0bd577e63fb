#include <gtest/gtest.h>

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

} // namespace
} // namespace DotfieldCameraTests
