#pragma once
// Records the frames it is given to an H.264 movie in an MP4 file through
// FFmpeg: every frame is scaled to the movie's size and encoded as YUV 4:2:0
// by libx264 (preset "veryfast"), with its frame time as presentation time on
// a timescale of 600 ticks a second, kept strictly increasing.
//
// The movie is written to a temporary file beside the chosen one and renamed
// over it when the recording finishes, so an existing file at that path is
// replaced only by a complete movie.
//
// Threads: frames arrive on the image-processing queue and wait in a short
// queue for the writer's own thread, which encodes and writes them. A live
// recording never holds up its caller: a frame that finds the queue full is
// dropped and counted. A write that fails ends the recording; the failure
// callback tells why, on the writer's thread.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>

#include "Dotfield/Camera/Capture/IIDCFrame.hpp"

namespace Dotfield {

// The movie could not be started: no encoder, or the file cannot be made.
class MovieOutputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct MovieSize {
    int width = 640;
    int height = 480;
};

class MovieOutput final : public IIDCFrameTarget {
  public:
    struct Options {
        // Frames that may wait for the writer.
        std::size_t queueCapacity = 8;
        // Where the summary line goes at the end (standard output by default).
        std::function<void(std::string_view)> console;
    };

    // Finds the encoder and creates the temporary file. Throws MovieOutputError.
    MovieOutput(std::filesystem::path url, MovieSize size, bool liveVideo, Options options);
    MovieOutput(std::filesystem::path url, MovieSize size, bool liveVideo);
    // A recording still running is finished.
    ~MovieOutput() override;
    MovieOutput(const MovieOutput&) = delete;
    MovieOutput& operator=(const MovieOutput&) = delete;

    // Called at most once, on the writer's thread, with the reason a write failed.
    void setFailureCallback(std::function<void(const std::string& reason)> callback);

    // Starts the writer; frames before it are not recorded.
    void startRecording();
    // Queues the frame for the writer (or drops it, live, when the queue is full).
    void newFrame(const IIDCFrame& frame) override;
    // Writes what is queued, drains the encoder, writes the trailer and
    // renames the file over the chosen path; then runs the completion. True
    // when the movie was written whole. Later calls do nothing and answer the
    // same.
    bool finishRecording(const std::function<void()>& completion = {});

    const std::filesystem::path& url() const { return url_; }
    std::int64_t framesDelivered() const { return delivered_.load(); }
    std::int64_t framesWritten() const { return written_.load(); }
    std::int64_t framesDropped() const { return dropped_.load(); }
    bool failed() const { return failed_.load(); }
    // Seconds from the first written frame's time to the last one's.
    double writtenTimeSpan() const { return static_cast<double>(lastPts_.load() - firstPts_.load()) / 600.0; }

  private:
    struct Encoder;

    void writerLoop();
    void fail(const std::string& reason);
    void discardTemporaryFile();

    const std::filesystem::path url_;
    const std::filesystem::path temporaryURL_;
    const MovieSize size_;
    const bool liveVideo_;
    const Options options_;
    std::unique_ptr<Encoder> encoder_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<IIDCFrame> queue_;
    bool accepting_ = false;
    bool stopWriter_ = false;
    std::thread writer_;
    std::function<void(const std::string&)> failureCallback_;

    std::mutex finishMutex_;
    bool finished_ = false;
    bool finishResult_ = false;

    std::atomic<std::int64_t> delivered_{0};
    std::atomic<std::int64_t> written_{0};
    std::atomic<std::int64_t> dropped_{0};
    std::atomic<bool> failed_{false};
    std::atomic<std::int64_t> firstPts_{0};
    std::atomic<std::int64_t> lastPts_{0};
};

} // namespace Dotfield
