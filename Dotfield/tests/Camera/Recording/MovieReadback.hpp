#pragma once
// Reads a movie file back through libavformat and libavcodec: its container,
// codec, size, duration and the number of frames that decode.

#include <filesystem>
#include <string>

namespace DotfieldCameraTests {

struct MovieFacts {
    bool opened = false;
    std::string container;
    std::string codec;
    int width = 0;
    int height = 0;
    // The video stream's duration.
    double durationSeconds = 0.0;
    // Where the movie's time line starts, and how long the whole file plays.
    double startSeconds = 0.0;
    double containerDurationSeconds = 0.0;
    int decodedFrames = 0;
    // The mean blue and red difference (Cb, Cr; 128 is grey) of the first
    // decoded frame, when it is YUV 4:2:0.
    double firstFrameCb = 0.0;
    double firstFrameCr = 0.0;
};

MovieFacts readMovie(const std::filesystem::path& file);

} // namespace DotfieldCameraTests
