#include "capture/video_file.h"

#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "capture/capture.h"

namespace capture {
namespace {

// x264's "superfast" keeps a whole pass at four times the size ahead of
// real time on two cores (veryfast takes half as long again, ultrafast makes
// files twice as large); CRF 18 is near-transparent for these flat colours.
constexpr const char* X264_PRESET = "superfast";
constexpr const char* X264_CRF = "18";
constexpr int64_t AAC_BIT_RATE = 192'000;
constexpr int32_t KEYFRAME_SECONDS = 5;
// x264's output depends on its thread count, so a bit-exact file has a
// fixed one, whatever the machine's cores.
constexpr int BITEXACT_THREADS = 4;
// Used when the audio encoder takes frames of any length.
constexpr int32_t DEFAULT_AUDIO_FRAME = 4096;

std::string error_text(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

int check(int code, const std::string& what) {
    if (code < 0) throw VideoFileError(what + ": " + error_text(code));
    return code;
}

template <typename T>
T* check(T* made, const std::string& what) {
    if (!made) throw VideoFileError(what);
    return made;
}

struct FreeFormat {
    void operator()(AVFormatContext* format) const {
        if (format->pb) avio_closep(&format->pb);
        avformat_free_context(format);
    }
};
struct FreeCodec {
    void operator()(AVCodecContext* codec) const { avcodec_free_context(&codec); }
};
struct FreeFrame {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct FreePacket {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FreeScaler {
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};
struct FreeResampler {
    void operator()(SwrContext* resampler) const { swr_free(&resampler); }
};
struct FreeFifo {
    void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};

using CodecPtr = std::unique_ptr<AVCodecContext, FreeCodec>;
using FramePtr = std::unique_ptr<AVFrame, FreeFrame>;

const AVCodec* find_encoder(const char* name) {
    return check(avcodec_find_encoder_by_name(name), std::string("these FFmpeg libraries have no ") + name + " encoder");
}

CodecPtr open_codec(AVFormatContext* format, const AVCodec* encoder, AVCodecContext* codec, AVDictionary** options) {
    CodecPtr owned(codec);
    if (format->oformat->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (format->flags & AVFMT_FLAG_BITEXACT) codec->flags |= AV_CODEC_FLAG_BITEXACT;
    check(avcodec_open2(codec, encoder, options), std::string("cannot start the ") + encoder->name + " encoder");
    return owned;
}

CodecPtr open_video_codec(AVFormatContext* format, const VideoSettings& settings) {
    const AVCodec* encoder = find_encoder(settings.lossless ? "ffv1" : "libx264");
    AVCodecContext* codec = check(avcodec_alloc_context3(encoder), "out of memory");
    codec->width = settings.width * settings.scale;
    codec->height = settings.height * settings.scale;
    codec->time_base = {1, settings.fps};
    codec->framerate = {settings.fps, 1};
    codec->thread_count = settings.bitexact ? BITEXACT_THREADS : 0;  // 0: as many as the machine has
    AVDictionary* options = nullptr;
    if (settings.lossless) {
        // The frame's own 0x00RRGGBB words: no conversion, so it is bit-exact.
        codec->pix_fmt = AV_PIX_FMT_0RGB32;
        codec->level = 3;  // lets the slices be coded in parallel
        codec->slices = 4;
    } else {
        codec->pix_fmt = AV_PIX_FMT_YUV420P;
        codec->gop_size = settings.fps * KEYFRAME_SECONDS;
        codec->color_range = AVCOL_RANGE_MPEG;
        codec->colorspace = AVCOL_SPC_BT709;
        codec->color_primaries = AVCOL_PRI_BT709;
        codec->color_trc = AVCOL_TRC_BT709;
        av_dict_set(&options, "preset", X264_PRESET, 0);
        av_dict_set(&options, "crf", X264_CRF, 0);
    }
    CodecPtr opened = open_codec(format, encoder, codec, &options);
    av_dict_free(&options);
    return opened;
}

CodecPtr open_audio_codec(AVFormatContext* format, bool lossless) {
    const AVCodec* encoder = find_encoder(lossless ? "flac" : "aac");
    AVCodecContext* codec = check(avcodec_alloc_context3(encoder), "out of memory");
    codec->sample_fmt = lossless ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_FLTP;
    codec->sample_rate = CAPTURE_SAMPLE_RATE;
    av_channel_layout_default(&codec->ch_layout, CAPTURE_CHANNELS);
    codec->time_base = {1, CAPTURE_SAMPLE_RATE};
    if (!lossless) codec->bit_rate = AAC_BIT_RATE;
    return open_codec(format, encoder, codec, nullptr);
}

AVStream* add_stream(AVFormatContext* format, const AVCodecContext* codec) {
    AVStream* stream = check(avformat_new_stream(format, nullptr), "out of memory");
    stream->time_base = codec->time_base;
    if (codec->codec_type == AVMEDIA_TYPE_VIDEO) stream->avg_frame_rate = codec->framerate;
    check(avcodec_parameters_from_context(stream->codecpar, codec), "cannot describe a stream");
    return stream;
}

FramePtr make_video_frame(AVPixelFormat pixel_format, int32_t width, int32_t height) {
    FramePtr frame(check(av_frame_alloc(), "out of memory"));
    frame->format = pixel_format;
    frame->width = width;
    frame->height = height;
    check(av_frame_get_buffer(frame.get(), 0), "out of memory");
    return frame;
}

FramePtr make_audio_frame(const AVCodecContext* codec, int32_t samples) {
    FramePtr frame(check(av_frame_alloc(), "out of memory"));
    frame->format = codec->sample_fmt;
    frame->sample_rate = codec->sample_rate;
    frame->nb_samples = samples;
    check(av_channel_layout_copy(&frame->ch_layout, &codec->ch_layout), "out of memory");
    check(av_frame_get_buffer(frame.get(), 0), "out of memory");
    return frame;
}

// Each source pixel becomes a scale x scale square.
void scale_nearest(const uint32_t* source, int32_t width, int32_t height, int32_t scale, AVFrame* target) {
    const size_t row_bytes = static_cast<size_t>(width) * scale * sizeof(uint32_t);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* first = target->data[0] + static_cast<ptrdiff_t>(y) * scale * target->linesize[0];
        auto* row = reinterpret_cast<uint32_t*>(first);
        const uint32_t* from = source + static_cast<ptrdiff_t>(y) * width;
        for (int32_t x = 0; x < width; ++x) {
            for (int32_t copy = 0; copy < scale; ++copy) *row++ = from[x];
        }
        for (int32_t copy = 1; copy < scale; ++copy) std::memcpy(first + copy * target->linesize[0], first, row_bytes);
    }
}

}  // namespace

struct VideoFile::Parts {
    VideoSettings settings;
    std::unique_ptr<AVFormatContext, FreeFormat> format;
    CodecPtr video, audio;
    AVStream* video_stream = nullptr;
    AVStream* audio_stream = nullptr;
    FramePtr picture;  // the scaled frame, 0x00RRGGBB
    FramePtr yuv;      // the picture converted for H.264
    FramePtr sound;
    std::unique_ptr<AVPacket, FreePacket> packet;
    std::unique_ptr<SwsContext, FreeScaler> to_yuv;
    std::unique_ptr<SwrContext, FreeResampler> to_codec_samples;
    std::unique_ptr<AVAudioFifo, FreeFifo> fifo;
    int32_t audio_frame_size = 0;
    std::vector<int16_t> chunk;
    int64_t video_pts = 0, audio_pts = 0;

    void open_streams();
    void open_converters();
    void encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame);
    void encode_audio(int32_t samples);
};

void VideoFile::Parts::open_streams() {
    AVFormatContext* made = nullptr;
    check(avformat_alloc_output_context2(&made, nullptr, settings.lossless ? "matroska" : "mp4", settings.path.c_str()),
          "cannot set up the container");
    format.reset(made);
    if (settings.bitexact) made->flags |= AVFMT_FLAG_BITEXACT;
    video = open_video_codec(made, settings);
    audio = open_audio_codec(made, settings.lossless);
    video_stream = add_stream(made, video.get());
    audio_stream = add_stream(made, audio.get());
}

void VideoFile::Parts::open_converters() {
    picture = make_video_frame(AV_PIX_FMT_0RGB32, video->width, video->height);
    if (!settings.lossless) {
        yuv = make_video_frame(AV_PIX_FMT_YUV420P, video->width, video->height);
        to_yuv.reset(check(sws_getContext(video->width, video->height, AV_PIX_FMT_0RGB32, video->width, video->height,
                                          AV_PIX_FMT_YUV420P, SWS_BILINEAR | SWS_ACCURATE_RND, nullptr, nullptr,
                                          nullptr),
                           "cannot convert the frames to YUV"));
        const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
        sws_setColorspaceDetails(to_yuv.get(), bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
    }
    const bool any_length = audio->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE;
    audio_frame_size = any_length || audio->frame_size <= 0 ? DEFAULT_AUDIO_FRAME : audio->frame_size;
    sound = make_audio_frame(audio.get(), audio_frame_size);
    SwrContext* resampler = nullptr;
    AVChannelLayout stereo;
    av_channel_layout_default(&stereo, CAPTURE_CHANNELS);
    check(swr_alloc_set_opts2(&resampler, &audio->ch_layout, audio->sample_fmt, CAPTURE_SAMPLE_RATE, &stereo,
                              AV_SAMPLE_FMT_S16, CAPTURE_SAMPLE_RATE, 0, nullptr),
          "cannot convert the sound");
    to_codec_samples.reset(resampler);
    check(swr_init(resampler), "cannot convert the sound");
    fifo.reset(check(av_audio_fifo_alloc(AV_SAMPLE_FMT_S16, CAPTURE_CHANNELS, audio_frame_size), "out of memory"));
    packet.reset(check(av_packet_alloc(), "out of memory"));
}

// Sends one frame (null: the end) and writes every packet the encoder has
// ready.
void VideoFile::Parts::encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame) {
    check(avcodec_send_frame(codec, frame), "encoding failed");
    for (;;) {
        const int received = avcodec_receive_packet(codec, packet.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
        check(received, "encoding failed");
        av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        check(av_interleaved_write_frame(format.get(), packet.get()), "cannot write " + settings.name);
    }
}

void VideoFile::Parts::encode_audio(int32_t samples) {
    chunk.resize(static_cast<size_t>(samples) * CAPTURE_CHANNELS);
    void* chunk_planes[] = {chunk.data()};
    check(av_audio_fifo_read(fifo.get(), chunk_planes, samples), "cannot buffer the sound");
    check(av_frame_make_writable(sound.get()), "out of memory");
    sound->nb_samples = samples;
    const uint8_t* input[] = {reinterpret_cast<const uint8_t*>(chunk.data())};
    check(swr_convert(to_codec_samples.get(), sound->data, samples, input, samples), "cannot convert the sound");
    sound->pts = audio_pts;
    audio_pts += samples;
    encode(audio.get(), audio_stream, sound.get());
}

VideoFile::VideoFile(const VideoSettings& settings) : parts_(std::make_unique<Parts>()) {
    av_log_set_level(AV_LOG_QUIET);  // failures are reported once, by the caller
    parts_->settings = settings;
    parts_->open_streams();
    parts_->open_converters();
    AVFormatContext* format = parts_->format.get();
    check(avio_open(&format->pb, settings.path.c_str(), AVIO_FLAG_WRITE), "cannot write " + settings.name);
    AVDictionary* options = nullptr;
    // The index at the front, so players can start before the whole file is in.
    if (!settings.lossless) av_dict_set(&options, "movflags", "+faststart", 0);
    const int written = avformat_write_header(format, &options);
    av_dict_free(&options);
    check(written, "cannot write " + settings.name);
}

VideoFile::~VideoFile() = default;

void VideoFile::add_frame(const uint32_t* pixels) {
    Parts& p = *parts_;
    check(av_frame_make_writable(p.picture.get()), "out of memory");
    scale_nearest(pixels, p.settings.width, p.settings.height, p.settings.scale, p.picture.get());
    AVFrame* frame = p.picture.get();
    if (p.to_yuv) {
        check(av_frame_make_writable(p.yuv.get()), "out of memory");
        sws_scale(p.to_yuv.get(), frame->data, frame->linesize, 0, frame->height, p.yuv->data, p.yuv->linesize);
        frame = p.yuv.get();
    }
    frame->pts = p.video_pts++;
    p.encode(p.video.get(), p.video_stream, frame);
}

void VideoFile::add_audio(const int16_t* samples, int32_t count) {
    Parts& p = *parts_;
    void* planes[] = {const_cast<int16_t*>(samples)};
    check(av_audio_fifo_write(p.fifo.get(), planes, count), "cannot buffer the sound");
    while (av_audio_fifo_size(p.fifo.get()) >= p.audio_frame_size) p.encode_audio(p.audio_frame_size);
}

void VideoFile::finish() {
    Parts& p = *parts_;
    if (const int rest = av_audio_fifo_size(p.fifo.get()); rest > 0) p.encode_audio(rest);
    p.encode(p.video.get(), p.video_stream, nullptr);
    p.encode(p.audio.get(), p.audio_stream, nullptr);
    check(av_write_trailer(p.format.get()), "cannot write " + p.settings.name);
    check(avio_closep(&p.format->pb), "cannot write " + p.settings.name);
}

}  // namespace capture
