#include "Dotfield/Camera/Recording/MovieOutput.hpp"

#include <algorithm>
#include <array>
#include <iostream>
#include <mutex>
#include <random>
#include <system_error>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace Dotfield {

namespace {

constexpr int movieTimescale = 600;

std::string ffmpegErrorText(int code) {
    std::array<char, AV_ERROR_MAX_STRING_SIZE> text{};
    av_strerror(code, text.data(), text.size());
    return text.data();
}

// "<name>.<random>.partial.mp4" beside the chosen file; the ".mp4" ending
// keeps the file recognisable if a crash leaves it behind.
std::filesystem::path temporaryPathBeside(const std::filesystem::path& url) {
    std::random_device random;
    const auto tag = std::to_string(std::uniform_int_distribution<std::uint32_t>{}(random));
    return url.parent_path() / ("." + url.filename().string() + "." + tag + ".partial.mp4");
}

} // namespace

struct MovieOutput::Encoder {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    SwsContext* scaler = nullptr;
    AVFrame* picture = nullptr;
    AVPacket* packet = nullptr;
    AVPacket* held = nullptr;
    bool holding = false;
    // The last interval between two frames; a frame at 60 frames/s until known.
    std::int64_t lastDuration = movieTimescale / 60;
    std::int64_t packetCount = 0;
    std::int64_t firstPacketPts = 0;
    bool fileOpen = false;
    // Presentation times: the last one given, and what is added to a frame's
    // own time so that the movie starts at 0 with its first frame (whenever
    // the camera's clock began) and times keep rising across a repeat or a
    // restart of the camera's count.
    std::int64_t lastPts = -1;
    std::int64_t ptsOffset = 0;
    bool firstFrame = true;

    ~Encoder() {
        if (format != nullptr && fileOpen) {
            avio_closep(&format->pb);
        }
        sws_freeContext(scaler);
        av_frame_free(&picture);
        av_packet_free(&packet);
        av_packet_free(&held);
        avcodec_free_context(&codec);
        avformat_free_context(format);
    }

    // Hands every packet the encoder has ready to the file; an error text on
    // failure. Each packet is held until the next one tells its duration, so
    // the movie's last frame keeps a duration of its own too.
    std::string writeReadyPackets() {
        for (;;) {
            const int received = avcodec_receive_packet(codec, packet);
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
                return {};
            }
            if (received < 0) {
                return "The movie could not be encoded (" + ffmpegErrorText(received) + ").";
            }
            if (holding) {
                if (packet->pts > held->pts) {
                    lastDuration = packet->pts - held->pts;
                }
                if (auto failure = writeHeldPacket(); !failure.empty()) {
                    av_packet_unref(packet);
                    return failure;
                }
            }
            if (packetCount++ == 0) {
                firstPacketPts = packet->pts;
            }
            av_packet_move_ref(held, packet);
            holding = true;
        }
    }

    std::string writeHeldPacket() {
        held->duration = lastDuration;
        av_packet_rescale_ts(held, codec->time_base, stream->time_base);
        held->stream_index = stream->index;
        const int written = av_interleaved_write_frame(format, held);
        av_packet_unref(held);
        holding = false;
        if (written < 0) {
            return "The movie file could not be written (" + ffmpegErrorText(written) + ").";
        }
        return {};
    }

    std::int64_t presentationTime(const FrameTime& time) {
        std::int64_t pts =
            time.timescale == movieTimescale
                ? time.value
                : av_rescale(time.value, movieTimescale, time.timescale > 0 ? time.timescale : 1);
        if (firstFrame) {
            ptsOffset = -pts;
            firstFrame = false;
        }
        pts += ptsOffset;
        if (pts <= lastPts) {
            ptsOffset += lastPts + 1 - pts;
            pts = lastPts + 1;
        }
        lastPts = pts;
        return pts;
    }

    std::string encode(const IIDCFrame& frame) {
        if (frame.bytes == nullptr || frame.width == 0 || frame.height == 0 ||
            frame.bytes->size() < std::size_t{frame.width} * frame.height * 4) {
            return {};
        }
        scaler = sws_getCachedContext(scaler, static_cast<int>(frame.width), static_cast<int>(frame.height),
                                      AV_PIX_FMT_RGB32, codec->width, codec->height, AV_PIX_FMT_YUV420P,
                                      SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (scaler == nullptr) {
            return "The frames could not be converted for the movie.";
        }
        if (const int writable = av_frame_make_writable(picture); writable < 0) {
            return "The movie could not be encoded (" + ffmpegErrorText(writable) + ").";
        }
        const std::uint8_t* source[1] = {frame.bytes->data()};
        const int sourceStride[1] = {static_cast<int>(frame.width * 4)};
        sws_scale(scaler, source, sourceStride, 0, static_cast<int>(frame.height), picture->data,
                  picture->linesize);
        picture->pts = presentationTime(frame.time);
        if (const int sent = avcodec_send_frame(codec, picture); sent < 0) {
            return "The movie could not be encoded (" + ffmpegErrorText(sent) + ").";
        }
        return writeReadyPackets();
    }

    std::string finish() {
        if (const int sent = avcodec_send_frame(codec, nullptr); sent < 0) {
            return "The movie could not be encoded (" + ffmpegErrorText(sent) + ").";
        }
        if (auto failure = writeReadyPackets(); !failure.empty()) {
            return failure;
        }
        if (holding) {
            // The last frame lasts as long as the movie's frames on average.
            if (packetCount > 1 && held->pts > firstPacketPts) {
                lastDuration = std::max<std::int64_t>(1, (held->pts - firstPacketPts) / (packetCount - 1));
            }
            if (auto failure = writeHeldPacket(); !failure.empty()) {
                return failure;
            }
        }
        if (const int trailer = av_write_trailer(format); trailer < 0) {
            return "The movie file could not be written (" + ffmpegErrorText(trailer) + ").";
        }
        fileOpen = false;
        if (const int closed = avio_closep(&format->pb); closed < 0) {
            return "The movie file could not be written (" + ffmpegErrorText(closed) + ").";
        }
        return {};
    }
};

MovieOutput::MovieOutput(std::filesystem::path url, MovieSize size, bool liveVideo)
    : MovieOutput(std::move(url), size, liveVideo, Options{}) {}

MovieOutput::MovieOutput(std::filesystem::path url, MovieSize size, bool liveVideo, Options options)
    : url_(std::move(url)), temporaryURL_(temporaryPathBeside(url_)), size_(size), liveVideo_(liveVideo),
      options_(std::move(options)), encoder_(std::make_unique<Encoder>()) {
    if (size_.width <= 0 || size_.height <= 0 || size_.width % 2 != 0 || size_.height % 2 != 0) {
        throw MovieOutputError("The movie size must be even and positive.");
    }
    // The encoder's own statistics stay off the console.
    static std::once_flag quietLibraries;
    std::call_once(quietLibraries, [] { av_log_set_level(AV_LOG_ERROR); });
    const AVCodec* h264 = avcodec_find_encoder_by_name("libx264");
    if (h264 == nullptr) {
        throw MovieOutputError("The H.264 encoder libx264 is not available.");
    }
    Encoder& e = *encoder_;
    const std::string temporary = temporaryURL_.string();
    if (avformat_alloc_output_context2(&e.format, nullptr, "mp4", temporary.c_str()) < 0 ||
        e.format == nullptr) {
        throw MovieOutputError("The MP4 container is not available.");
    }
    e.stream = avformat_new_stream(e.format, nullptr);
    e.codec = avcodec_alloc_context3(h264);
    e.picture = av_frame_alloc();
    e.packet = av_packet_alloc();
    e.held = av_packet_alloc();
    if (e.stream == nullptr || e.codec == nullptr || e.picture == nullptr || e.packet == nullptr ||
        e.held == nullptr) {
        throw MovieOutputError("Out of memory for the movie encoder.");
    }
    e.codec->width = size_.width;
    e.codec->height = size_.height;
    e.codec->pix_fmt = AV_PIX_FMT_YUV420P;
    e.codec->time_base = AVRational{1, movieTimescale};
    if ((e.format->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        e.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    // Frames in the order they come: a live recording gains nothing from
    // reordering, and every frame keeps the time it was given.
    e.codec->max_b_frames = 0;
    av_opt_set(e.codec->priv_data, "preset", "veryfast", 0);
    if (const int opened = avcodec_open2(e.codec, h264, nullptr); opened < 0) {
        throw MovieOutputError("The H.264 encoder could not be opened (" + ffmpegErrorText(opened) + ").");
    }
    avcodec_parameters_from_context(e.stream->codecpar, e.codec);
    e.stream->time_base = e.codec->time_base;
    e.picture->format = AV_PIX_FMT_YUV420P;
    e.picture->width = size_.width;
    e.picture->height = size_.height;
    if (av_frame_get_buffer(e.picture, 0) < 0) {
        throw MovieOutputError("Out of memory for the movie frames.");
    }
    if (const int opened = avio_open(&e.format->pb, temporary.c_str(), AVIO_FLAG_WRITE); opened < 0) {
        throw MovieOutputError("The movie file could not be created (" + ffmpegErrorText(opened) + ").");
    }
    e.fileOpen = true;
    if (const int header = avformat_write_header(e.format, nullptr); header < 0) {
        encoder_.reset();
        discardTemporaryFile();
        throw MovieOutputError("The movie file could not be written (" + ffmpegErrorText(header) + ").");
    }
}

MovieOutput::~MovieOutput() {
    finishRecording();
}

void MovieOutput::setFailureCallback(std::function<void(const std::string& reason)> callback) {
    std::lock_guard lock(mutex_);
    failureCallback_ = std::move(callback);
}

void MovieOutput::startRecording() {
    std::lock_guard lock(mutex_);
    if (writer_.joinable() || stopWriter_) {
        return;
    }
    accepting_ = true;
    writer_ = std::thread([this] { writerLoop(); });
}

void MovieOutput::newFrame(const IIDCFrame& frame) {
    std::unique_lock lock(mutex_);
    if (!accepting_) {
        return;
    }
    delivered_.fetch_add(1);
    if (liveVideo_) {
        if (queue_.size() >= options_.queueCapacity) {
            dropped_.fetch_add(1);
            return;
        }
    } else {
        changed_.wait(lock, [&] { return queue_.size() < options_.queueCapacity || !accepting_; });
        if (!accepting_) {
            dropped_.fetch_add(1);
            return;
        }
    }
    queue_.push_back(frame);
    changed_.notify_all();
}

void MovieOutput::writerLoop() {
    for (;;) {
        IIDCFrame frame;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return !queue_.empty() || stopWriter_; });
            if (queue_.empty()) {
                return;
            }
            frame = std::move(queue_.front());
            queue_.pop_front();
            changed_.notify_all();
        }
        if (failed_.load()) {
            dropped_.fetch_add(1);
            continue;
        }
        if (const std::string failure = encoder_->encode(frame); !failure.empty()) {
            dropped_.fetch_add(1);
            fail(failure);
            continue;
        }
        if (written_.fetch_add(1) == 0) {
            firstPts_ = encoder_->lastPts;
        }
        lastPts_ = encoder_->lastPts;
    }
}

void MovieOutput::fail(const std::string& reason) {
    std::function<void(const std::string&)> callback;
    {
        std::lock_guard lock(mutex_);
        accepting_ = false;
        if (failed_.exchange(true)) {
            return;
        }
        callback = failureCallback_;
        changed_.notify_all();
    }
    if (callback) {
        callback(reason);
    }
}

bool MovieOutput::finishRecording(const std::function<void()>& completion) {
    std::lock_guard finishLock(finishMutex_);
    if (!finished_) {
        finished_ = true;
        {
            std::lock_guard lock(mutex_);
            accepting_ = false;
            stopWriter_ = true;
            changed_.notify_all();
        }
        if (writer_.joinable()) {
            writer_.join();
        }
        std::string failure;
        if (!failed_.load()) {
            failure = encoder_->finish();
        }
        encoder_.reset();
        if (failed_.load() || !failure.empty()) {
            discardTemporaryFile();
            failed_.store(true);
        } else {
            std::error_code error;
            std::filesystem::rename(temporaryURL_, url_, error);
            finishResult_ = !error;
            if (error) {
                discardTemporaryFile();
            }
        }
        const std::string summary = "Movie recording finished: " + std::to_string(written_.load()) +
                                    " frames written, " + std::to_string(dropped_.load()) + " dropped";
        if (options_.console) {
            options_.console(summary);
        } else {
            std::cout << summary << std::endl;
        }
    }
    if (completion) {
        completion();
    }
    return finishResult_;
}

void MovieOutput::discardTemporaryFile() {
    std::error_code ignored;
    std::filesystem::remove(temporaryURL_, ignored);
}

} // namespace Dotfield
