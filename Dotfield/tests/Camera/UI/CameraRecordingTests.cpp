#include <gtest/gtest.h>

#include <QAction>

#include "Dotfield/Camera/Capture/CameraQueues.hpp"
#include "Dotfield/Camera/Recording/MovieOutput.hpp"
#include "Dotfield/tests/Camera/UI/CameraWindowFixture.hpp"
#include "Dotfield/tests/Camera/Recording/MovieReadback.hpp"
#include "Dotfield/tests/Support/TestFiles.hpp"

namespace DotfieldCameraTests {
namespace {

class CameraRecordingTest : public CameraWindowFixture {
  protected:
    std::filesystem::path folder = Dotfield::testing::freshTestFolder("camera");

    // Waits until every queued finish has run.
    static void drainImageQueue() {
        Dotfield::sharedImageProcessingQueue().sync([] {});
    }

    void expectWholeMovie(const std::filesystem::path& file, const Dotfield::MovieOutput& movie) {
        const auto facts = readMovie(file);
        ASSERT_TRUE(facts.opened) << file;
        EXPECT_EQ(facts.codec, "h264");
        EXPECT_EQ(facts.width, 640);
        EXPECT_EQ(facts.height, 480);
        EXPECT_GT(movie.framesWritten(), 0);
        EXPECT_EQ(facts.decodedFrames, movie.framesWritten());
        EXPECT_EQ(movie.framesWritten() + movie.framesDropped(), movie.framesDelivered());
    }
};

TEST_F(CameraRecordingTest, RecordThenStopWritesTheFramesOfAboutTwoSecondsOverAnExistingFile) {
    auto simulated = plugIn();
    simulated->setRealTime(true);
    // Frame times follow the camera's clock: this recording runs on the real one.
    cameraTiming.clock = Dotfield::systemClock();
    openWindow();
    ASSERT_TRUE(pumpUntil([&] { return window->cameraConnected(); }));
    const auto file = folder / "movie.mp4";
    Dotfield::testing::writeText(file, "an older file");
    chooser.chooser().answer(file);

    window->recordItem()->trigger();
    EXPECT_EQ(window->recordItem()->text(), "Stop");
    const auto movie = window->movieWriter();
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(chooser.chooser().requests().back().defaultSuffix, "mp4");
    // About two seconds of the camera's 30 frames a second, and a few frames
    // written however slowly a loaded machine encodes them.
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(pumpUntil(
        [&] {
            return std::chrono::steady_clock::now() - started >= std::chrono::seconds(2) &&
                   movie->framesWritten() >= 3;
        }));
    window->recordItem()->trigger();
    EXPECT_EQ(window->recordItem()->text(), "Record");
    EXPECT_EQ(window->movieWriter(), nullptr);
    drainImageQueue();

    expectWholeMovie(file, *movie);
    // The movie lasts as long as its frames' times span plus the last frame's
    // own, the average interval. Frames the writer had to drop under load make
    // that interval longer but do not change the rule.
    const double span = movie->writtenTimeSpan();
    const auto written = movie->framesWritten();
    ASSERT_GT(written, 1);
    EXPECT_GT(span, 0.0);
    const double lastFrame = span / static_cast<double>(written - 1);
    EXPECT_NEAR(readMovie(file).durationSeconds, span + lastFrame, 2.0 / 600.0);
    EXPECT_TRUE(alerts.presenter().shownAlerts().empty());
}

TEST_F(CameraRecordingTest, AFileThatCannotBeMadeShowsTheAlertAndKeepsRecord) {
    auto simulated = plugIn();
    openWindow();
    ASSERT_TRUE(pumpUntil([&] { return window->cameraConnected(); }));
    Dotfield::testing::writeText(folder / "notAFolder", "");
    chooser.chooser().answer(folder / "notAFolder" / "movie.mp4");
    window->recordItem()->trigger();

    EXPECT_EQ(window->recordItem()->text(), "Record");
    EXPECT_EQ(window->movieWriter(), nullptr);
    const auto shown = alerts.presenter().shownAlerts();
    ASSERT_EQ(shown.size(), 1U);
    const auto& alert = shown.front();
    EXPECT_EQ(alert.messageText, "Could not start recording.");
    EXPECT_EQ(
        alert.informativeText.rfind("The movie file could not be written. Check to make sure there is enough "
                                    "space on the hard drive or that the target movie file isn't read only.",
                                    0),
        0U);
    EXPECT_EQ(alert.defaultButtonTitle, "OK");
    EXPECT_EQ(console().back(), "Couldn't start movie recording");
    EXPECT_FALSE(std::filesystem::exists(folder / "notAFolder" / "movie.mp4"));

    // A cancelled chooser changes nothing.
    window->recordItem()->trigger();
    EXPECT_EQ(window->recordItem()->text(), "Record");
    EXPECT_EQ(alerts.presenter().shownAlerts().size(), 1U);
}

TEST_F(CameraRecordingTest, ClosingTheWindowMidRecordingLeavesAWholeMovie) {
    auto simulated = plugIn();
    openWindow();
    const auto file = folder / "closed.mp4";
    chooser.chooser().answer(file);
    showFrames(*simulated, 1);
    window->recordItem()->trigger();
    const auto movie = window->movieWriter();
    showFrames(*simulated, 20);
    window->close();
    EXPECT_EQ(window->recordItem()->text(), "Record");
    drainImageQueue();
    expectWholeMovie(file, *movie);
    EXPECT_EQ(movie->framesDelivered(), 20);
}

TEST_F(CameraRecordingTest, ASetUpDuringARecordingKeepsTheMovieGoingWithTheNewCamera) {
    auto first = plugIn(Simulators::SimulatedCameraKind::format7WithoutMode79, 0x1111);
    openWindow();
    const auto file = folder / "twoCameras.mp4";
    chooser.chooser().answer(file);
    showFrames(*first, 1);
    window->recordItem()->trigger();
    const auto movie = window->movieWriter();
    showFrames(*first, 10);
    const auto firstCamera = window->camera();
    bus->unplug(first);
    auto second = plugIn(Simulators::SimulatedCameraKind::vga, 0x2222);
    ASSERT_TRUE(pumpUntil([&] { return window->camera() != nullptr && window->camera() != firstCamera; }));
    showFrames(*second, 10);
    EXPECT_EQ(window->movieWriter(), movie);
    window->recordItem()->trigger();
    drainImageQueue();
    EXPECT_EQ(movie->framesDelivered(), 20);
    expectWholeMovie(file, *movie);
}

TEST_F(CameraRecordingTest, ShutDownFinishesARunningRecording) {
    auto simulated = plugIn();
    openWindow();
    const auto file = folder / "shutdown.mp4";
    chooser.chooser().answer(file);
    showFrames(*simulated, 1);
    window->recordItem()->trigger();
    const auto movie = window->movieWriter();
    showFrames(*simulated, 5);
    window->shutDown();
    EXPECT_EQ(bus->openHandleCount(), 0U);
    expectWholeMovie(file, *movie);
}

} // namespace
} // namespace DotfieldCameraTests
