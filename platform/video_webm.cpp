// SPDX-License-Identifier: GPL-3.0-or-later
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/video.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace plat {

namespace {

// Opus encodes 48 kHz; the game mixes 44.1 kHz.
constexpr int opus_rate = 48000;
constexpr AVRational millisecond{1, 1000};

std::string av_text(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// The 16-bit layouts the display can have, as FFmpeg names them.
bool pixel_format_of(const PixelFormat& f, AVPixelFormat& out) {
  if (f.red_mask == 0xF800 && f.green_mask == 0x07E0 && f.blue_mask == 0x001F) {
    out = AV_PIX_FMT_RGB565LE;
    return true;
  }
  if (f.red_mask == 0x7C00 && f.green_mask == 0x03E0 && f.blue_mask == 0x001F) {
    out = AV_PIX_FMT_RGB555LE;
    return true;
  }
  return false;
}

}  // namespace

struct VideoWriter::State {
  std::string path, part_path, error;
  VideoSettings settings;
  AVFormatContext* format = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* sound = nullptr;
  AVStream* video_stream = nullptr;
  AVStream* sound_stream = nullptr;
  AVFrame* picture = nullptr;
  AVFrame* sound_frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* scale = nullptr;
  AVPixelFormat scale_from = AV_PIX_FMT_NONE;
  SwrContext* resample = nullptr;
  AVAudioFifo* fifo = nullptr;
  std::int64_t last_picture_ms = -1;
  std::int64_t sound_samples_out = 0;  // at 48 kHz, the next sound frame's time
  bool header_written = false;
  bool finished = false;

  bool fail(const std::string& what, int code = 0) {
    error = code ? what + ": " + av_text(code) : what;
    return false;
  }

  ~State() {
    if (format && format->pb) avio_closep(&format->pb);
    if (!finished && !part_path.empty()) std::remove(part_path.c_str());
    avformat_free_context(format);
    avcodec_free_context(&video);
    avcodec_free_context(&sound);
    av_frame_free(&picture);
    av_frame_free(&sound_frame);
    av_packet_free(&packet);
    sws_freeContext(scale);
    swr_free(&resample);
    if (fifo) av_audio_fifo_free(fifo);
  }

  // Moves every packet the encoder has ready into the file.
  bool drain(AVCodecContext* codec, AVStream* stream) {
    for (;;) {
      const int r = avcodec_receive_packet(codec, packet);
      if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
      if (r < 0) return fail("encoding failed", r);
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      const int w = av_interleaved_write_frame(format, packet);
      if (w < 0) return fail("cannot write " + part_path, w);
    }
  }

  bool encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame) {
    const int r = avcodec_send_frame(codec, frame);
    if (r < 0) return fail("encoding failed", r);
    return drain(codec, stream);
  }

  bool open_video() {
    const AVCodec* codec = avcodec_find_encoder_by_name("libvpx-vp9");
    if (!codec) return fail("FFmpeg has no VP9 encoder (libvpx-vp9)");
    video = avcodec_alloc_context3(codec);
    if (!video) return fail("out of memory");
    video->width = settings.width;
    video->height = settings.height;
    video->pix_fmt = AV_PIX_FMT_YUV420P;
    video->time_base = millisecond;
    video->framerate = AVRational{0, 1};  // variable: every picture has its own time
    // Constrained quality: the level is kept while the rate allows, the rate caps busy scenes.
    video->bit_rate = static_cast<std::int64_t>(settings.video_kbit) * 1000;
    video->gop_size = 1000;               // a key picture every ten seconds of steady play
    video->thread_count = settings.threads;
    video->color_range = AVCOL_RANGE_MPEG;
    if (format->oformat->flags & AVFMT_GLOBALHEADER) video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "deadline", "realtime", 0);
    av_dict_set_int(&options, "cpu-used", settings.speed, 0);
    av_dict_set_int(&options, "crf", settings.quality, 0);
    av_dict_set_int(&options, "lag-in-frames", 0, 0);
    const int r = avcodec_open2(video, codec, &options);
    av_dict_free(&options);
    if (r < 0) return fail("cannot open the VP9 encoder", r);
    video_stream = avformat_new_stream(format, nullptr);
    if (!video_stream) return fail("out of memory");
    video_stream->time_base = millisecond;
    const int p = avcodec_parameters_from_context(video_stream->codecpar, video);
    if (p < 0) return fail("cannot describe the video stream", p);
    picture = av_frame_alloc();
    if (!picture) return fail("out of memory");
    picture->format = video->pix_fmt;
    picture->width = video->width;
    picture->height = video->height;
    const int b = av_frame_get_buffer(picture, 0);
    if (b < 0) return fail("out of memory", b);
    return true;
  }

  bool open_sound() {
    const AVCodec* codec = avcodec_find_encoder_by_name("libopus");
    if (!codec) return fail("FFmpeg has no Opus encoder (libopus)");
    sound = avcodec_alloc_context3(codec);
    if (!sound) return fail("out of memory");
    sound->sample_rate = opus_rate;
    sound->sample_fmt = AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&sound->ch_layout, 2);
    sound->bit_rate = static_cast<std::int64_t>(settings.sound_kbit) * 1000;
    sound->time_base = AVRational{1, opus_rate};
    if (format->oformat->flags & AVFMT_GLOBALHEADER) sound->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int r = avcodec_open2(sound, codec, nullptr);
    if (r < 0) return fail("cannot open the Opus encoder", r);
    sound_stream = avformat_new_stream(format, nullptr);
    if (!sound_stream) return fail("out of memory");
    sound_stream->time_base = sound->time_base;
    const int p = avcodec_parameters_from_context(sound_stream->codecpar, sound);
    if (p < 0) return fail("cannot describe the sound stream", p);

    AVChannelLayout stereo;
    av_channel_layout_default(&stereo, 2);
    const int s = swr_alloc_set_opts2(&resample, &stereo, AV_SAMPLE_FMT_S16, opus_rate, &stereo,
                                      AV_SAMPLE_FMT_S16, video_sound_rate, 0, nullptr);
    if (s < 0 || swr_init(resample) < 0) return fail("cannot set up the sound's resampling", s);
    fifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_S16, 2, opus_rate);
    sound_frame = av_frame_alloc();
    if (!fifo || !sound_frame) return fail("out of memory");
    sound_frame->format = AV_SAMPLE_FMT_S16;
    sound_frame->sample_rate = opus_rate;
    av_channel_layout_copy(&sound_frame->ch_layout, &stereo);
    sound_frame->nb_samples = sound->frame_size > 0 ? sound->frame_size : 960;
    const int b = av_frame_get_buffer(sound_frame, 0);
    if (b < 0) return fail("out of memory", b);
    return true;
  }

  // Encodes whole sound frames from the queue; at the end also the rest.
  bool encode_sound(bool last) {
    const int n = sound_frame->nb_samples;
    while (av_audio_fifo_size(fifo) >= n || (last && av_audio_fifo_size(fifo) > 0)) {
      const int r = av_frame_make_writable(sound_frame);
      if (r < 0) return fail("out of memory", r);
      // The last frame may be short: the encoder marks its padding, so the sound ends where
      // the game's did.
      sound_frame->nb_samples = n;
      const int got = av_audio_fifo_read(fifo, reinterpret_cast<void**>(sound_frame->data), n);
      if (got < 0) return fail("cannot queue the sound", got);
      sound_frame->nb_samples = got;
      sound_frame->pts = sound_samples_out;
      sound_samples_out += got;
      if (!encode(sound, sound_stream, sound_frame)) return false;
    }
    return true;
  }
};

VideoWriter::VideoWriter() : s_(std::make_unique<State>()) {}
VideoWriter::~VideoWriter() = default;

const std::string& VideoWriter::error() const { return s_->error; }

bool VideoWriter::open(const std::string& path, const VideoSettings& settings) {
  State& s = *s_;
  s.path = path;
  s.settings = settings;
  av_log_set_level(AV_LOG_ERROR);
  const std::string part = path + ".part";
  const int f = avformat_alloc_output_context2(&s.format, nullptr, "webm", part.c_str());
  if (f < 0 || !s.format) return s.fail("FFmpeg cannot write WebM", f);
  s.packet = av_packet_alloc();
  if (!s.packet) return s.fail("out of memory");
  if (!s.open_video() || !s.open_sound()) return false;
  const int o = avio_open(&s.format->pb, part.c_str(), AVIO_FLAG_WRITE);
  if (o < 0) return s.fail("cannot write " + part, o);
  s.part_path = part;  // from here on an unfinished file is removed
  const int h = avformat_write_header(s.format, nullptr);
  if (h < 0) return s.fail("cannot write " + part, h);
  s.header_written = true;
  return true;
}

bool VideoWriter::add_picture(const std::uint16_t* pixels, int pitch_bytes, const PixelFormat& format,
                              std::int64_t time_ms) {
  State& s = *s_;
  if (!s.header_written || s.finished) return s.fail("the video is not open");
  if (time_ms <= s.last_picture_ms) return s.fail("pictures must come in time order");
  AVPixelFormat from;
  if (!pixel_format_of(format, from)) return s.fail("unknown pixel layout");
  if (!s.scale || from != s.scale_from) {
    sws_freeContext(s.scale);
    s.scale = sws_getContext(s.settings.width, s.settings.height, from, s.settings.width,
                             s.settings.height, AV_PIX_FMT_YUV420P, SWS_POINT, nullptr, nullptr, nullptr);
    s.scale_from = from;
    if (!s.scale) return s.fail("cannot convert the picture");
  }
  const int r = av_frame_make_writable(s.picture);
  if (r < 0) return s.fail("out of memory", r);
  const std::uint8_t* planes[1] = {reinterpret_cast<const std::uint8_t*>(pixels)};
  const int strides[1] = {pitch_bytes};
  sws_scale(s.scale, planes, strides, 0, s.settings.height, s.picture->data, s.picture->linesize);
  s.picture->pts = time_ms;
  s.last_picture_ms = time_ms;
  return s.encode(s.video, s.video_stream, s.picture);
}

bool VideoWriter::add_sound(const std::int16_t* samples, int frames) {
  State& s = *s_;
  if (!s.header_written || s.finished) return s.fail("the video is not open");
  if (frames <= 0) return true;
  const int room = swr_get_out_samples(s.resample, frames);
  std::vector<std::int16_t> out(static_cast<std::size_t>(room) * 2);
  std::uint8_t* out_planes[1] = {reinterpret_cast<std::uint8_t*>(out.data())};
  const std::uint8_t* in_planes[1] = {reinterpret_cast<const std::uint8_t*>(samples)};
  const int got = swr_convert(s.resample, out_planes, room, in_planes, frames);
  if (got < 0) return s.fail("cannot resample the sound", got);
  if (av_audio_fifo_write(s.fifo, reinterpret_cast<void**>(out_planes), got) < got)
    return s.fail("out of memory");
  return s.encode_sound(false);
}

bool VideoWriter::finish() {
  State& s = *s_;
  if (!s.header_written || s.finished) return s.fail("the video is not open");
  // What the resampler still holds, then the rest of the queue.
  const int room = swr_get_out_samples(s.resample, 0);
  if (room > 0) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(room) * 2);
    std::uint8_t* out_planes[1] = {reinterpret_cast<std::uint8_t*>(out.data())};
    const int got = swr_convert(s.resample, out_planes, room, nullptr, 0);
    if (got > 0) av_audio_fifo_write(s.fifo, reinterpret_cast<void**>(out_planes), got);
  }
  if (!s.encode_sound(true) || !s.encode(s.sound, s.sound_stream, nullptr) ||
      !s.encode(s.video, s.video_stream, nullptr))
    return false;
  const int t = av_write_trailer(s.format);
  if (t < 0) return s.fail("cannot write " + s.part_path, t);
  const int c = avio_closep(&s.format->pb);
  if (c < 0) return s.fail("cannot write " + s.part_path, c);
  if (std::rename(s.part_path.c_str(), s.path.c_str()) != 0)
    return s.fail("cannot rename " + s.part_path + " to " + s.path + ": " + std::strerror(errno));
  s.finished = true;
  return true;
}

}  // namespace plat
