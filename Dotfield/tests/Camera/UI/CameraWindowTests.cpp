#include <gtest/gtest.h>

#include <QAction>
#include <QImage>

#include "Dotfield/Camera/Capture/CameraQueues.hpp"
#include "Dotfield/Camera/Stages/AverageLuminanceExtractor.hpp"
#include "Dotfield/Camera/Stages/LowPassFilter.hpp"
#include "Dotfield/Camera/UI/CameraSettingsWindowController.hpp"
#include "Dotfield/tests/Camera/UI/CameraWindowFixture.hpp"
#include "Dotfield/tests/Support/TestFiles.hpp"

namespace DotfieldCameraTests {
namespace {

using Simulators::SimulatedCameraKind;

class CameraWindowTest : public CameraWindowFixture {};

// The test card's eight bars as the view shows them: each bar's centre on
// the upper third of the image must have its colour's channels lit.
void expectTestCardBars(const QImage& view) {
    struct Bar {
        const char* name;
        bool red, green, blue;
    };
    const Bar bars[] = {{"white", true, true, true},    {"yellow", true, true, false},
                        {"cyan", false, true, true},    {"green", false, true, false},
                        {"magenta", true, false, true}, {"red", true, false, false},
                        {"blue", false, false, true},   {"black", false, false, false}};
    const int y = view.height() / 3;
    for (int i = 0; i < 8; ++i) {
        const QColor c = view.pixelColor(view.width() * (2 * i + 1) / 16, y);
        const auto lit = [](int channel) { return channel > 60; };
        const auto dark = [](int channel) { return channel < 35; };
        SCOPED_TRACE(bars[i].name);
        EXPECT_TRUE(bars[i].red ? lit(c.red()) : dark(c.red())) << c.red();
        EXPECT_TRUE(bars[i].green ? lit(c.green()) : dark(c.green())) << c.green();
        EXPECT_TRUE(bars[i].blue ? lit(c.blue()) : dark(c.blue())) << c.blue();
    }
}

TEST_F(CameraWindowTest, WithoutACameraTheWindowShowsAndRetriesSilentlyUntilOneIsPluggedIn) {
    auto clock = std::make_shared<Dotfield::ManualClock>();
    openWindow(clock);
    EXPECT_TRUE(window->isVisible());
    for (std::size_t attempt = 1; attempt <= 3; ++attempt) {
        ASSERT_TRUE(pumpUntil([&] { return clock->pendingWaitCount() == 1; }));
        EXPECT_EQ(bus->callCount("dc1394_camera_enumerate"), attempt);
        clock->advance(Dotfield::CameraWindowController::retryInterval);
    }
    EXPECT_FALSE(window->cameraConnected());
    EXPECT_TRUE(alerts.presenter().shownAlerts().empty());
    EXPECT_TRUE(console().empty());

    auto simulated = plugIn();
    ASSERT_TRUE(pumpUntil([&] { return clock->pendingWaitCount() == 1; }));
    clock->advance(Dotfield::CameraWindowController::retryInterval);
    EXPECT_TRUE(pumpUntil([&] { return window->cameraConnected(); }));
    showFrames(*simulated, 1);
}

TEST_F(CameraWindowTest, TheBlackflyKindIsConfiguredInOrderAndShowsTheTestCard) {
    auto simulated = plugIn(SimulatedCameraKind::format7WithoutMode79);
    openWindow();
    ASSERT_TRUE(pumpUntil([&] { return window->cameraConnected(); }));
    showFrames(*simulated, 30);

    const auto configuration =
        callsNamed({"dc1394_video_set_operation_mode", "dc1394_video_set_iso_speed", "dc1394_video_set_mode",
                    "dc1394_format7_set_image_size", "dc1394_format7_set_roi", "dc1394_video_set_framerate",
                    "dc1394_set_control_registers"});
    std::vector<std::string> names;
    for (const auto& call : configuration) {
        names.push_back(call.function);
    }
    ASSERT_EQ(names, (std::vector<std::string>{
                         "dc1394_video_set_operation_mode", "dc1394_video_set_iso_speed",
                         "dc1394_video_set_mode", "dc1394_format7_set_image_size", "dc1394_format7_set_roi",
                         "dc1394_video_set_framerate", "dc1394_set_control_registers"}));
    EXPECT_EQ(configuration[0].arguments, (std::vector<std::int64_t>{DC1394_OPERATION_MODE_1394B}));
    EXPECT_EQ(configuration[1].arguments, (std::vector<std::int64_t>{DC1394_ISO_SPEED_800}));
    EXPECT_EQ(configuration[2].arguments, (std::vector<std::int64_t>{DC1394_VIDEO_MODE_FORMAT7_0}));
    EXPECT_EQ(configuration[3].arguments, (std::vector<std::int64_t>{DC1394_VIDEO_MODE_FORMAT7_0, 644, 482}));
    const auto& roi = configuration[4].arguments;
    EXPECT_EQ((std::vector<std::int64_t>(roi.end() - 4, roi.end())),
              (std::vector<std::int64_t>{320, 240, 640, 480}));
    EXPECT_EQ(configuration[5].arguments, (std::vector<std::int64_t>{DC1394_FRAMERATE_60}));
    EXPECT_EQ(simulated->controlRegister(0x19D0).value_or(0) & 1U, 1U);
    EXPECT_EQ(console(), (std::vector<std::string>{"Camera mode test", "Blackfly"}));

    const auto& frame = *window->videoView()->shownFrame();
    EXPECT_EQ(frame.width, 640U);
    EXPECT_EQ(frame.height, 480U);
    grabToPNG(*window, "CameraWindow-blackfly");
    expectTestCardBars(grabToPNG(*window->videoView(), "CameraWindow-blackfly-view"));
}

TEST_F(CameraWindowTest, TheVGAKindIsConfiguredInOrderAndItsYUV411FramesShowTheTestCard) {
    auto simulated = plugIn(SimulatedCameraKind::vga);
    openWindow();
    showFrames(*simulated, 30);
    std::vector<std::pair<std::string, std::int64_t>> sent;
    for (const auto& call : callsNamed({"dc1394_video_set_operation_mode", "dc1394_video_set_iso_speed",
                                        "dc1394_video_set_framerate", "dc1394_video_set_mode"})) {
        sent.emplace_back(call.function, call.arguments.at(0));
    }
    EXPECT_EQ(sent, (std::vector<std::pair<std::string, std::int64_t>>{
                        {"dc1394_video_set_operation_mode", DC1394_OPERATION_MODE_LEGACY},
                        {"dc1394_video_set_iso_speed", DC1394_ISO_SPEED_400},
                        {"dc1394_video_set_framerate", DC1394_FRAMERATE_30},
                        {"dc1394_video_set_mode", DC1394_VIDEO_MODE_640x480_YUV411}}));
    EXPECT_EQ(console(), (std::vector<std::string>{"Camera mode test", "Unibrain"}));
    EXPECT_EQ(bus->callCount("dc1394_set_control_registers"), 0U);
    expectTestCardBars(grabToPNG(*window->videoView(), "CameraWindow-vga-view"));
}

TEST_F(CameraWindowTest, AnUnpluggedCameraIsSetUpAgainWhenItReturnsAndTakesTheSnapshotAskedForMeanwhile) {
    auto simulated = plugIn();
    openWindow();
    showFrames(*simulated, 2);
    const auto first = window->camera();
    bus->unplug(simulated);
    // The old camera lets go of the device before another one is tried.
    ASSERT_TRUE(pumpUntil([&] { return bus->openHandleCount() == 0; }));
    const auto file = Dotfield::testing::freshTestFolder("camera") / "snapshot.png";
    chooser.chooser().answer(file);
    window->snapshotItem()->trigger();
    // Every attempt to set a camera up empties the chain first.
    const std::size_t attempts = bus->callCount("dc1394_camera_enumerate");
    ASSERT_TRUE(pumpUntil([&] { return bus->callCount("dc1394_camera_enumerate") > attempts + 1; }));

    auto returned = plugIn();
    ASSERT_TRUE(pumpUntil([&] { return window->camera() != nullptr && window->camera() != first; }));
    showFrames(*returned, 2);
    Dotfield::sharedImageProcessingQueue().sync([] {});
    EXPECT_TRUE(window->cameraConnected());
    EXPECT_FALSE(QImage(QString::fromStdString(file.string())).isNull());
    EXPECT_TRUE(alerts.presenter().shownAlerts().empty());
}

TEST_F(CameraWindowTest, ASnapshotIsThePNGOfTheNextDenoisedFrame) {
    defaults->setDouble(0.5, "denoiseFilterStrength");
    auto simulated = plugIn();
    openWindow();
    showFrames(*simulated, 3);
    EXPECT_DOUBLE_EQ(window->denoiseFilter()->strength(), 0.5);
    auto denoised = std::make_shared<RecordingTarget>();
    window->denoiseFilter()->addTarget(denoised);
    const auto file = Dotfield::testing::freshTestFolder("camera") / "snapshot.png";
    chooser.chooser().answer(file);
    window->snapshotItem()->trigger();
    showFrames(*simulated, 2);
    Dotfield::sharedImageProcessingQueue().sync([] {});

    const QImage saved(QString::fromStdString(file.string()));
    ASSERT_FALSE(saved.isNull());
    const auto frames = denoised->frames();
    ASSERT_EQ(frames.size(), 2U);
    const auto& next = frames.front();
    const QImage expected(next.bytes->data(), static_cast<int>(next.width), static_cast<int>(next.height),
                          static_cast<int>(next.width) * 4, QImage::Format_RGB32);
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), expected);
    EXPECT_EQ(chooser.chooser().requests().back().defaultSuffix, "png");
}

TEST_F(CameraWindowTest, ASnapshotThatCannotBeWrittenIsReported) {
    auto simulated = plugIn();
    openWindow();
    const auto folder = Dotfield::testing::freshTestFolder("camera");
    Dotfield::testing::writeText(folder / "file", "");
    chooser.chooser().answer(folder / "file" / "snapshot.png");
    // Asked for while the camera may still be being set up: the set-up keeps
    // it in the new chain, so the first frame is taken.
    window->snapshotItem()->trigger();
    showFrames(*simulated, 1);
    ASSERT_TRUE(pumpUntil([&] { return !alerts.presenter().shownAlerts().empty(); }));
    EXPECT_EQ(alerts.presenter().shownAlerts().front().messageText, "Could not save the snapshot.");
}

// The luminance of each frame the camera delivers, measured beside the
// window's chain; the values outlive the log, since the camera may still
// deliver a frame while the test ends.
struct LuminanceLog {
    struct Values {
        std::mutex mutex;
        std::vector<double> values;
    };
    std::shared_ptr<Values> values = std::make_shared<Values>();
    std::shared_ptr<Dotfield::AverageLuminanceExtractor> extractor =
        std::make_shared<Dotfield::AverageLuminanceExtractor>();
    explicit LuminanceLog(Dotfield::IIDCCamera& camera) {
        extractor->setExtractedLuminanceCallback([kept = values](const Dotfield::LuminanceReading& y) {
            std::lock_guard lock(kept->mutex);
            kept->values.push_back(y.value());
        });
        camera.addTarget(extractor);
    }
    std::vector<double> all() const {
        std::lock_guard lock(values->mutex);
        return values->values;
    }
};

TEST_F(CameraWindowTest, AutomaticExposureBringsTheImageToTheTargetAndTheCustomPaneFreezesIt) {
    auto simulated = plugIn();
    simulated->setNoise(0, 1);
    // 10 % of the shutter's maximum.
    defaults->setInteger(4095 / 10, "exposure");
    openWindow();
    ASSERT_TRUE(pumpUntil([&] { return window->cameraConnected(); }));
    LuminanceLog log(*window->camera());
    showFrames(*simulated, 120);
    ASSERT_TRUE(pumpUntil([&] { return log.all().size() >= 120U; }));
    const auto values = log.all();
    for (std::size_t i = 90; i < values.size(); ++i) {
        EXPECT_NEAR(values[i], 0.5, 0.03) << "frame " << i;
    }

    auto& settings = window->cameraSettingsWindowController();
    settings.setAreAutomaticCameraSettingsShown(false);
    const auto exposure = settings.exposure();
    const auto gain = settings.gain();
    const auto skipped = window->frameSkipped();
    showFrames(*simulated, 10);
    EXPECT_EQ(settings.exposure(), exposure);
    EXPECT_EQ(settings.gain(), gain);
    EXPECT_EQ(window->frameSkipped(), skipped);
}

// A dim scene: a tenth of the test card's light.
class DimScene final : public Simulators::CameraScene {
  public:
    std::vector<Simulators::SceneColor> render(std::uint32_t width, std::uint32_t height) const override {
        auto light = Simulators::TestCardScene().render(width, height);
        for (auto& c : light) {
            c = {c.red * 0.1F, c.green * 0.1F, c.blue * 0.1F};
        }
        return light;
    }
};

TEST_F(CameraWindowTest, ADimSceneAtFullExposureRaisesTheGain) {
    auto simulated = plugIn();
    simulated->setScene(std::make_shared<DimScene>());
    defaults->setInteger(4095, "exposure");
    openWindow();
    // Each frame is made once the window's answer to the one before has
    // reached the camera. Frames made before that show the scene as dim as
    // before, and the gain is raised again, on a loaded machine past what the
    // camera takes.
    for (int frame = 0; frame < 12; ++frame) {
        showFrames(*simulated, 1);
        Dotfield::sharedImageProcessingQueue().sync([] {});
        // Read on the camera's queue, behind the settings sent to it.
        window->camera()->whiteBalance();
    }
    EXPECT_EQ(window->cameraSettingsWindowController().exposure(), 4095U);
    EXPECT_GT(window->cameraSettingsWindowController().gain(), 0U);
    EXPECT_TRUE(pumpUntil([&] {
        return simulated->featureValue(DC1394_FEATURE_GAIN) ==
               window->cameraSettingsWindowController().gain();
    }));
}

} // namespace
} // namespace DotfieldCameraTests
