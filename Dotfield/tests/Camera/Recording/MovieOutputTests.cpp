#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Dotfield/Camera/Recording/MovieOutput.hpp"
#include "Dotfield/tests/Camera/Recording/MovieReadback.hpp"
#include "Dotfield/tests/Support/TestFiles.hpp"

namespace DotfieldCameraTests {
namespace {

using Dotfield::FrameTime;
using Dotfield::IIDCFrame;
using Dotfield::MovieOutput;

// A frame of colour bars that move with the index, at the time in 1/600 s.
IIDCFrame movingFrame(std::uint32_t width, std::uint32_t height, int index, std::int64_t ticks) {
    std::vector<std::uint8_t> bytes(std::size_t{width} * height * 4);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            auto* pixel = &bytes[(std::size_t{y} * width + x) * 4];
            pixel[0] = static_cast<std::uint8_t>((x + static_cast<std::uint32_t>(index) * 8) & 0xFF);
            pixel[1] = static_cast<std::uint8_t>(y & 0xFF);
            pixel[2] = static_cast<std::uint8_t>(((x / 80) % 2) * 200);
            pixel[3] = 255;
        }
    }
    return {width, height, std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes)),
            FrameTime{ticks, 600}};
}

std::vector<std::string> consoleLines;
MovieOutput::Options quietOptions(std::size_t capacity = 8) {
    return {.queueCapacity = capacity,
            .console = [](std::string_view line) { consoleLines.emplace_back(line); }};
}

TEST(MovieOutput, WritesAnH264MovieOfTheFramesAtTheirTimesReplacingAnExistingFile) {
    const auto folder = Dotfield::testing::freshTestFolder("camera");
    const auto file = folder / "movie.mp4";
    Dotfield::testing::writeText(file, "an older file");
    // Not live: every frame is written, so the counts are exact.
    MovieOutput movie(file, {640, 480}, false, quietOptions());
    movie.startRecording();
    // 60 frames at 60 frames/s; one time repeated; the second half from a
    // camera whose count starts again at 0 and a larger frame that is scaled.
    std::int64_t ticks = 0;
    for (int i = 0; i < 30; ++i, ticks += 10) {
        movie.newFrame(movingFrame(640, 480, i, ticks));
    }
    movie.newFrame(movingFrame(640, 480, 30, ticks - 10));
    for (int i = 0; i < 29; ++i) {
        movie.newFrame(movingFrame(644, 482, 31 + i, i * 10));
    }
    ASSERT_TRUE(movie.finishRecording());
    EXPECT_EQ(movie.framesDelivered(), 60);
    EXPECT_EQ(movie.framesWritten(), 60);
    EXPECT_EQ(movie.framesDropped(), 0);

    const auto facts = readMovie(file);
    ASSERT_TRUE(facts.opened);
    EXPECT_NE(facts.container.find("mp4"), std::string::npos);
    EXPECT_EQ(facts.codec, "h264");
    EXPECT_EQ(facts.width, 640);
    EXPECT_EQ(facts.height, 480);
    EXPECT_EQ(facts.decodedFrames, 60);
    // 60 frames 1/60 s apart (the repeat and the restart each one tick on).
    EXPECT_NEAR(facts.durationSeconds, 1.0, 0.1);
    // Only the movie is left in the folder.
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
}

TEST(MovieOutput, TheMovieKeepsTheFramesColours) {
    struct Case {
        const char* name;
        std::uint32_t pixel; // 0xAARRGGBB
        bool redder;         // else bluer
    };
    for (const Case c : {Case{"red", 0xFFE01010U, true}, Case{"blue", 0xFF1010E0U, false}}) {
        const auto file = Dotfield::testing::freshTestFolder("camera") / (std::string(c.name) + ".mp4");
        MovieOutput movie(file, {64, 48}, false, quietOptions());
        movie.startRecording();
        for (int i = 0; i < 5; ++i) {
            std::vector<std::uint8_t> bytes(64 * 48 * 4);
            for (std::size_t p = 0; p < 64 * 48; ++p) {
                std::memcpy(&bytes[p * 4], &c.pixel, 4);
            }
            movie.newFrame({64, 48, std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes)),
                            FrameTime{i * 10, 600}});
        }
        ASSERT_TRUE(movie.finishRecording());
        const auto facts = readMovie(file);
        SCOPED_TRACE(c.name);
        ASSERT_EQ(facts.decodedFrames, 5);
        EXPECT_GT(c.redder ? facts.firstFrameCr : facts.firstFrameCb, 180.0);
        EXPECT_LT(c.redder ? facts.firstFrameCb : facts.firstFrameCr, 128.0);
    }
}

TEST(MovieOutput, TheMovieStartsWithItsFirstFrameWheneverTheCameraClockBegan) {
    const auto folder = Dotfield::testing::freshTestFolder("camera");
    const auto file = folder / "late.mp4";
    MovieOutput movie(file, {640, 480}, false, quietOptions());
    movie.startRecording();
    // 30 frames at 30 frames/s, 600 s into the camera's session.
    constexpr std::int64_t sessionTicks = 600 * 600;
    constexpr double frameInterval = 1.0 / 30.0;
    for (int i = 0; i < 30; ++i) {
        movie.newFrame(movingFrame(640, 480, i, sessionTicks + i * 20));
    }
    ASSERT_TRUE(movie.finishRecording());

    const auto facts = readMovie(file);
    ASSERT_TRUE(facts.opened);
    EXPECT_EQ(facts.decodedFrames, 30);
    EXPECT_NEAR(facts.startSeconds, 0.0, frameInterval);
    EXPECT_NEAR(facts.containerDurationSeconds, 1.0, 2 * frameInterval);
}

TEST(MovieOutput, LiveFramesThatFindTheQueueFullAreDroppedAndCounted) {
    const auto file = Dotfield::testing::freshTestFolder("camera") / "live.mp4";
    MovieOutput movie(file, {640, 480}, true, quietOptions(1));
    movie.startRecording();
    // A hundred frames at least, and more while a slowly fed writer still
    // keeps up, until one finds the queue full.
    int delivered = 0;
    while (delivered < 100 || (movie.framesDropped() == 0 && delivered < 10000)) {
        movie.newFrame(movingFrame(640, 480, delivered, delivered * 10));
        ++delivered;
    }
    ASSERT_TRUE(movie.finishRecording());
    EXPECT_EQ(movie.framesDelivered(), delivered);
    EXPECT_GT(movie.framesWritten(), 0);
    EXPECT_GT(movie.framesDropped(), 0);
    EXPECT_EQ(movie.framesWritten() + movie.framesDropped(), delivered);
    EXPECT_EQ(readMovie(file).decodedFrames, movie.framesWritten());
    EXPECT_EQ(consoleLines.back(), "Movie recording finished: " + std::to_string(movie.framesWritten()) +
                                       " frames written, " + std::to_string(movie.framesDropped()) +
                                       " dropped");
}

TEST(MovieOutput, AFileThatCannotBeCreatedRefusesTheRecording) {
    const auto folder = Dotfield::testing::freshTestFolder("camera");
    Dotfield::testing::writeText(folder / "notAFolder", "");
    EXPECT_THROW(MovieOutput(folder / "notAFolder" / "movie.mp4", {640, 480}, true, quietOptions()),
                 Dotfield::MovieOutputError);
    EXPECT_FALSE(std::filesystem::exists(folder / "notAFolder" / "movie.mp4"));
}

} // namespace
} // namespace DotfieldCameraTests
