#include <gtest/gtest.h>

#include <poll.h>

#include <atomic>
#include <functional>

#include "simulators/camera/SimulatedIIDCBus.hpp"

namespace {

using Simulators::SimulatedCameraKind;
using Simulators::SimulatedIIDCBus;

// A bus with one camera of the kind opened through it, capturing.
class SimulatedCameraTest : public ::testing::Test {
  protected:
    void open(SimulatedCameraKind kind = SimulatedCameraKind::format7WithoutMode79) {
        camera = bus.plugIn(kind, 0xC0FFEE);
        context = bus.newContext();
        handle = bus.cameraNew(context, 0xC0FFEE);
        ASSERT_NE(handle, nullptr);
    }
    void capture(std::uint32_t buffers) {
        ASSERT_EQ(bus.cameraSetPower(handle, DC1394_ON), DC1394_SUCCESS);
        ASSERT_EQ(bus.captureSetup(handle, buffers, DC1394_CAPTURE_FLAGS_DEFAULT), DC1394_SUCCESS);
        ASSERT_EQ(bus.videoSetTransmission(handle, DC1394_ON), DC1394_SUCCESS);
    }
    void TearDown() override {
        if (handle != nullptr) {
            bus.cameraFree(handle);
        }
        if (context != nullptr) {
            bus.freeContext(context);
        }
        EXPECT_EQ(bus.openHandleCount(), 0U);
        EXPECT_EQ(bus.openContextCount(), 0U);
    }
    short pollEvents() {
        pollfd watched{bus.captureGetFileno(handle), POLLIN, 0};
        return ::poll(&watched, 1, 0) == 1 ? watched.revents : 0;
    }
    dc1394video_frame_t* dequeue() {
        dc1394video_frame_t* frame = nullptr;
        EXPECT_EQ(bus.captureDequeue(handle, DC1394_CAPTURE_POLICY_POLL, &frame), DC1394_SUCCESS);
        return frame;
    }

    SimulatedIIDCBus bus;
    std::shared_ptr<Simulators::SimulatedIIDCCamera> camera;
    dc1394_t* context = nullptr;
    dc1394camera_t* handle = nullptr;
};

TEST_F(SimulatedCameraTest, RingCountsFramesBehindDropsWhenFullAndPollsReadableWhileFramesWait) {
    open();
    capture(3);
    EXPECT_EQ(pollEvents(), 0);
    EXPECT_EQ(camera->emitFrames(4), 3U);
    EXPECT_EQ(camera->framesDropped(), 1U);
    EXPECT_EQ(pollEvents(), POLLIN);

    dc1394video_frame_t* first = dequeue();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->frames_behind, 2U);
    EXPECT_EQ(first->image_bytes, 640U * 480U * 2U);
    EXPECT_EQ(first->color_coding, DC1394_COLOR_CODING_YUV422);
    EXPECT_EQ(std::vector<std::uint8_t>(first->image, first->image + first->image_bytes),
              *camera->frameBytes(1));
    EXPECT_EQ(dequeue()->frames_behind, 1U);
    EXPECT_EQ(dequeue()->frames_behind, 0U);
    EXPECT_EQ(pollEvents(), 0);
    EXPECT_EQ(dequeue(), nullptr);
    EXPECT_EQ(camera->buffersHeldByHost(), 3U);

    EXPECT_EQ(bus.captureEnqueue(handle, first), DC1394_SUCCESS);
    EXPECT_EQ(bus.captureEnqueue(handle, first), DC1394_INVALID_ARGUMENT_VALUE) << "given back twice";
    EXPECT_EQ(camera->emitFrames(1), 1U);
    EXPECT_EQ(bus.captureStop(handle), DC1394_SUCCESS);
    EXPECT_EQ(bus.captureGetFileno(handle), -1);
}

TEST_F(SimulatedCameraTest, BusResetWakesOnceWithoutAFrameAndUnplugHangsUp) {
    open();
    capture(4);
    bus.busReset();
    EXPECT_EQ(pollEvents(), POLLIN);
    EXPECT_EQ(dequeue(), nullptr);
    EXPECT_EQ(pollEvents(), 0);

    bus.unplug(camera);
    EXPECT_NE(pollEvents() & POLLHUP, 0);
    dc1394video_frame_t* frame = nullptr;
    EXPECT_EQ(bus.captureDequeue(handle, DC1394_CAPTURE_POLICY_POLL, &frame), DC1394_FAILURE);
    EXPECT_EQ(bus.cameraSetPower(handle, DC1394_OFF), DC1394_FAILURE);
    dc1394camera_list_t* list = nullptr;
    ASSERT_EQ(bus.cameraEnumerate(context, &list), DC1394_SUCCESS);
    EXPECT_EQ(list->num, 0U);
    bus.cameraFreeList(list);
    EXPECT_EQ(bus.captureStop(handle), DC1394_SUCCESS) << "the descriptor is released after an unplug";
}

TEST_F(SimulatedCameraTest, NoFramesWithoutPowerTransmissionOrWhileFrozen) {
    open();
    ASSERT_EQ(bus.captureSetup(handle, 4, DC1394_CAPTURE_FLAGS_DEFAULT), DC1394_SUCCESS);
    ASSERT_EQ(bus.videoSetTransmission(handle, DC1394_ON), DC1394_SUCCESS);
    EXPECT_EQ(camera->emitFrames(1), 0U) << "unpowered";
    ASSERT_EQ(bus.cameraSetPower(handle, DC1394_ON), DC1394_SUCCESS);
    ASSERT_EQ(bus.videoSetTransmission(handle, DC1394_OFF), DC1394_SUCCESS);
    EXPECT_EQ(camera->emitFrames(1), 0U) << "not transmitting";
    ASSERT_EQ(bus.videoSetTransmission(handle, DC1394_ON), DC1394_SUCCESS);
    camera->setFrozen(true);
    EXPECT_EQ(camera->emitFrames(1), 0U);
    camera->setFrozen(false);
    EXPECT_EQ(camera->emitFrames(1), 1U);
}

TEST_F(SimulatedCameraTest, Format7RegionOffTheGridOrTooLargeIsRefusedAndTheOldOneKept) {
    open();
    const struct {
        std::int32_t left, top, width, height;
        dc1394error_t status;
        std::uint32_t keptWidth, keptHeight;
    } cases[] = {
        {320, 240, 640, 480, DC1394_SUCCESS, 640, 480},
        {11, 240, 640, 480, DC1394_INVALID_ARGUMENT_VALUE, 640, 480}, // left off its unit of 2
        {0, 0, 642, 480, DC1394_INVALID_ARGUMENT_VALUE, 640, 480},    // width off its unit of 4
        {800, 0, 644, 480, DC1394_INVALID_ARGUMENT_VALUE, 640, 480},  // beyond 1288 wide
        {0, 0, 1288, 964, DC1394_SUCCESS, 1288, 964},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bus.format7SetRoi(handle, DC1394_VIDEO_MODE_FORMAT7_0, DC1394_COLOR_CODING_YUV422, 4000,
                                    c.left, c.top, c.width, c.height),
                  c.status)
            << c.left << "," << c.width;
        std::uint32_t width = 0, height = 0;
        ASSERT_EQ(bus.format7GetImageSize(handle, DC1394_VIDEO_MODE_FORMAT7_0, &width, &height),
                  DC1394_SUCCESS);
        EXPECT_EQ(width, c.keptWidth);
        EXPECT_EQ(height, c.keptHeight);
    }
    std::uint32_t packet = 0;
    EXPECT_EQ(bus.format7GetRecommendedPacketSize(handle, DC1394_VIDEO_MODE_FORMAT7_0, &packet),
              DC1394_SUCCESS);
    EXPECT_EQ(packet, 4000U);
    EXPECT_EQ(bus.format7SetImageSize(handle, DC1394_VIDEO_MODE_FORMAT7_0, 644, 482), DC1394_SUCCESS);
    EXPECT_EQ(camera->imageSize(), std::make_pair(644U, 482U));
}

TEST_F(SimulatedCameraTest, FeaturesHaveModesAndAutoSettles) {
    open();
    capture(4);
    dc1394featureset_t features;
    ASSERT_EQ(bus.featureGetAll(handle, &features), DC1394_SUCCESS);
    const dc1394feature_info_t& gain = features.feature[DC1394_FEATURE_GAIN - DC1394_FEATURE_MIN];
    EXPECT_EQ(gain.available, DC1394_TRUE);
    EXPECT_EQ(gain.current_mode, DC1394_FEATURE_MODE_AUTO);
    EXPECT_EQ(features.feature[DC1394_FEATURE_FOCUS - DC1394_FEATURE_MIN].available, DC1394_FALSE);

    // Auto steers a step a frame to the middle of the range and holds there.
    ASSERT_EQ(bus.featureSetMode(handle, DC1394_FEATURE_GAIN, DC1394_FEATURE_MODE_MANUAL), DC1394_SUCCESS);
    ASSERT_EQ(bus.featureSetValue(handle, DC1394_FEATURE_GAIN, gain.min), DC1394_SUCCESS);
    ASSERT_EQ(bus.featureSetMode(handle, DC1394_FEATURE_GAIN, DC1394_FEATURE_MODE_AUTO), DC1394_SUCCESS);
    camera->emitFrames(2);
    EXPECT_EQ(camera->featureValue(DC1394_FEATURE_GAIN), gain.min + 2);
    const std::uint32_t middle = gain.min + (gain.max - gain.min) / 2;
    camera->emitFrames(middle);
    EXPECT_EQ(camera->featureValue(DC1394_FEATURE_GAIN), middle);
    camera->emitFrames(3);
    EXPECT_EQ(camera->featureValue(DC1394_FEATURE_GAIN), middle) << "settled";

    ASSERT_EQ(bus.featureSetMode(handle, DC1394_FEATURE_GAIN, DC1394_FEATURE_MODE_MANUAL), DC1394_SUCCESS);
    ASSERT_EQ(bus.featureSetValue(handle, DC1394_FEATURE_GAIN, gain.min), DC1394_SUCCESS);
    camera->emitFrames(1);
    std::uint32_t value = 0;
    ASSERT_EQ(bus.featureGetValue(handle, DC1394_FEATURE_GAIN, &value), DC1394_SUCCESS);
    EXPECT_EQ(value, gain.min) << "manual holds";
    EXPECT_EQ(bus.featureSetValue(handle, DC1394_FEATURE_GAIN, gain.max + 1), DC1394_REQ_VALUE_OUTSIDE_RANGE);
    EXPECT_EQ(bus.featureSetMode(handle, DC1394_FEATURE_BRIGHTNESS, DC1394_FEATURE_MODE_ONE_PUSH_AUTO),
              DC1394_INVALID_FEATURE_MODE);

    ASSERT_EQ(bus.featureWhitebalanceSetValue(handle, 100, 900), DC1394_SUCCESS);
    std::uint32_t blue = 0, red = 0;
    ASSERT_EQ(bus.featureWhitebalanceGetValue(handle, &blue, &red), DC1394_SUCCESS);
    EXPECT_EQ(std::make_pair(blue, red), std::make_pair(100U, 900U));

    camera->setFeatureGetAllFails(true);
    EXPECT_EQ(bus.featureGetAll(handle, &features), DC1394_FAILURE);
}

// A scene that counts its renders and shows what the test sets.
class CountingScene final : public Simulators::CameraScene {
  public:
    std::vector<Simulators::SceneColor> render(std::uint32_t width, std::uint32_t height) const override {
        ++renders;
        return Simulators::TestCardScene().render(width, height);
    }
    std::vector<double> state() const override { return {look.load()}; }

    mutable std::atomic<int> renders{0};
    std::atomic<double> look{0.0};
};

TEST_F(SimulatedCameraTest, SceneIsRenderedAgainOnlyWhenWhatItShowsOrTheSettingsChange) {
    open();
    const auto scene = std::make_shared<CountingScene>();
    camera->setScene(scene);
    ASSERT_EQ(bus.featureSetMode(handle, DC1394_FEATURE_GAIN, DC1394_FEATURE_MODE_MANUAL), DC1394_SUCCESS);
    capture(4);
    // Frames taken off the ring as they come, so none is dropped.
    const auto emitAndTake = [&](std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            ASSERT_EQ(camera->emitFrames(1), 1U);
            dc1394video_frame_t* frame = dequeue();
            ASSERT_NE(frame, nullptr);
            ASSERT_EQ(bus.captureEnqueue(handle, frame), DC1394_SUCCESS);
        }
    };
    const struct {
        const char* change;
        std::function<void()> make;
        int rendersAfter;
    } steps[] = {
        {"first frame", [] {}, 1},
        {"nothing", [] {}, 1},
        {"the scene", [&] { scene->look = 1.0; }, 2},
        {"a feature", [&] { bus.featureSetValue(handle, DC1394_FEATURE_GAIN, 7); }, 3},
        {"a feature set to its value", [&] { bus.featureSetValue(handle, DC1394_FEATURE_GAIN, 7); }, 3},
        {"the noise", [&] { camera->setNoise(5, 9); }, 3},
    };
    std::uint64_t sequence = 0;
    for (const auto& step : steps) {
        step.make();
        emitAndTake(20);
        sequence += 20;
        EXPECT_EQ(scene->renders.load(), step.rendersAfter) << step.change;
    }
    // Frames of a still picture still differ by their noise.
    ASSERT_TRUE(camera->frameBytes(sequence) && camera->frameBytes(sequence - 1));
    EXPECT_NE(*camera->frameBytes(sequence), *camera->frameBytes(sequence - 1));
}

TEST_F(SimulatedCameraTest, ControlRegisterOnlyOnTheKindThatHasIt) {
    for (const auto kind : {SimulatedCameraKind::format7WithoutMode79, SimulatedCameraKind::vga}) {
        auto simulated = bus.plugIn(kind, 0x42);
        dc1394_t* ctx = bus.newContext();
        dc1394camera_t* h = bus.cameraNew(ctx, 0x42);
        std::uint32_t value = 0;
        const bool has = kind == SimulatedCameraKind::format7WithoutMode79;
        EXPECT_EQ(bus.getControlRegisters(h, 0x19D0, &value, 1), has ? DC1394_SUCCESS : DC1394_FAILURE);
        value |= 1U;
        EXPECT_EQ(bus.setControlRegisters(h, 0x19D0, &value, 1), has ? DC1394_SUCCESS : DC1394_FAILURE);
        if (has) {
            EXPECT_EQ(simulated->controlRegister(0x19D0), 0x80000001U);
        }
        bus.cameraFree(h);
        bus.freeContext(ctx);
        bus.unplug(simulated);
    }
}

TEST_F(SimulatedCameraTest, VgaCameraSendsYUV411At30FramesASecond) {
    open(SimulatedCameraKind::vga);
    capture(2);
    dc1394framerate_t rate{};
    ASSERT_EQ(bus.videoGetFramerate(handle, &rate), DC1394_SUCCESS);
    EXPECT_EQ(rate, DC1394_FRAMERATE_30);
    camera->emitFrames(1);
    const dc1394video_frame_t* frame = dequeue();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->color_coding, DC1394_COLOR_CODING_YUV411);
    EXPECT_EQ(frame->image_bytes, 640U * 480U * 3U / 2U);
    EXPECT_EQ(bus.videoSetMode(handle, DC1394_VIDEO_MODE_FORMAT7_0), DC1394_INVALID_ARGUMENT_VALUE);
}

} // namespace
