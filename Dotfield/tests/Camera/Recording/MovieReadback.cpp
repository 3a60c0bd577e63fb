#include "Dotfield/tests/Camera/Recording/MovieReadback.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace DotfieldCameraTests {

MovieFacts readMovie(const std::filesystem::path& file) {
    MovieFacts facts;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, file.c_str(), nullptr, nullptr) < 0) {
        return facts;
    }
    if (avformat_find_stream_info(format, nullptr) < 0) {
        avformat_close_input(&format);
        return facts;
    }
    facts.container = format->iformat->name;
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        avformat_close_input(&format);
        return facts;
    }
    const AVStream* stream = format->streams[index];
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    facts.codec = avcodec_get_name(stream->codecpar->codec_id);
    facts.width = stream->codecpar->width;
    facts.height = stream->codecpar->height;
    if (stream->duration != AV_NOPTS_VALUE) {
        facts.durationSeconds = static_cast<double>(stream->duration) * av_q2d(stream->time_base);
    }
    if (stream->start_time != AV_NOPTS_VALUE) {
        facts.startSeconds = static_cast<double>(stream->start_time) * av_q2d(stream->time_base);
    }
    if (format->duration != AV_NOPTS_VALUE) {
        facts.containerDurationSeconds = static_cast<double>(format->duration) / AV_TIME_BASE;
    }
    AVCodecContext* codec = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(codec, stream->codecpar);
    if (decoder == nullptr || avcodec_open2(codec, decoder, nullptr) < 0) {
        avcodec_free_context(&codec);
        avformat_close_input(&format);
        return facts;
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    const auto meanOfPlane = [&](int plane) {
        const int width = (frame->width + 1) / 2;
        const int height = (frame->height + 1) / 2;
        double sum = 0.0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                sum += frame->data[plane][static_cast<std::ptrdiff_t>(y) * frame->linesize[plane] + x];
            }
        }
        return sum / (static_cast<double>(width) * height);
    };
    const auto drain = [&] {
        while (avcodec_receive_frame(codec, frame) == 0) {
            if (facts.decodedFrames++ == 0 && frame->format == AV_PIX_FMT_YUV420P) {
                facts.firstFrameCb = meanOfPlane(1);
                facts.firstFrameCr = meanOfPlane(2);
            }
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index) {
            // A decoder whose output is full takes the packet after its frames are taken.
            while (avcodec_send_packet(codec, packet) == AVERROR(EAGAIN)) {
                drain();
            }
            drain();
        }
        av_packet_unref(packet);
    }
    avcodec_send_packet(codec, nullptr);
    drain();
    facts.opened = true;
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return facts;
}

} // namespace DotfieldCameraTests
