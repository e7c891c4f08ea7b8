#include "tools/movie.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <cmath>
#include <memory>

#include "tools/seeds.h"

namespace kelvdata {

namespace {

constexpr int SOUND_RATE = 44100;

// Everything one write holds, freed whatever step fails.
struct Writer {
  ~Writer() {
    avcodec_free_context(&video);
    avcodec_free_context(&audio);
    av_frame_free(&picture);
    av_frame_free(&samples);
    av_packet_free(&packet);
    sws_freeContext(sws);
    if (format != nullptr) {
      if (format->pb != nullptr) {
        std::uint8_t* data = nullptr;
        avio_close_dyn_buf(format->pb, &data);
        av_free(data);
      }
      avformat_free_context(format);
    }
  }

  AVFormatContext* format = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* audio = nullptr;
  AVStream* videoStream = nullptr;
  AVStream* audioStream = nullptr;
  AVFrame* picture = nullptr;
  AVFrame* samples = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* sws = nullptr;
};

bool Fail(std::string* error, const char* step) {
  if (error != nullptr) *error = step;
  return false;
}

// Sends a frame (null: the end) and writes every packet it gives.
bool Encode(Writer& w, AVCodecContext* codec, AVStream* stream, const AVFrame* frame) {
  if (avcodec_send_frame(codec, frame) < 0) return false;
  for (;;) {
    const int r = avcodec_receive_packet(codec, w.packet);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
    if (r < 0) return false;
    av_packet_rescale_ts(w.packet, codec->time_base, stream->time_base);
    w.packet->stream_index = stream->index;
    if (av_interleaved_write_frame(w.format, w.packet) < 0) return false;
  }
}

// The flat picture of a colour, in the encoder's YUV by the same conversion
// a player uses to go back.
bool FillPicture(Writer& w, const MovieSpec& spec, Rgb colour) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(spec.width) * spec.height * 3);
  for (std::size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = colour.r;
    rgb[i + 1] = colour.g;
    rgb[i + 2] = colour.b;
  }
  if (av_frame_make_writable(w.picture) < 0) return false;
  const std::uint8_t* src[1] = {rgb.data()};
  const int stride[1] = {spec.width * 3};
  sws_scale(w.sws, src, stride, 0, spec.height, w.picture->data, w.picture->linesize);
  return true;
}

bool OpenVideo(Writer& w, const MovieSpec& spec) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG1VIDEO);
  if (codec == nullptr || (w.video = avcodec_alloc_context3(codec)) == nullptr) return false;
  w.video->width = spec.width;
  w.video->height = spec.height;
  w.video->time_base = AVRational{1, spec.framesPerSecond};
  w.video->framerate = AVRational{spec.framesPerSecond, 1};
  w.video->pix_fmt = AV_PIX_FMT_YUV420P;
  w.video->gop_size = 12;
  w.video->max_b_frames = 0;
  // A fixed fine quantiser: flat colours come back within a step or two.
  w.video->flags |= AV_CODEC_FLAG_QSCALE;
  w.video->global_quality = FF_QP2LAMBDA * 2;
  w.video->bit_rate = 4000000;
  if (w.format->oformat->flags & AVFMT_GLOBALHEADER) w.video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(w.video, codec, nullptr) < 0) return false;
  if ((w.videoStream = avformat_new_stream(w.format, nullptr)) == nullptr) return false;
  w.videoStream->time_base = w.video->time_base;
  if (avcodec_parameters_from_context(w.videoStream->codecpar, w.video) < 0) return false;

  w.picture = av_frame_alloc();
  if (w.picture == nullptr) return false;
  w.picture->format = w.video->pix_fmt;
  w.picture->width = spec.width;
  w.picture->height = spec.height;
  if (av_frame_get_buffer(w.picture, 0) < 0) return false;
  w.sws = sws_getContext(spec.width, spec.height, AV_PIX_FMT_RGB24, spec.width, spec.height, AV_PIX_FMT_YUV420P,
                         SWS_POINT, nullptr, nullptr, nullptr);
  return w.sws != nullptr;
}

bool OpenAudio(Writer& w) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP2);
  if (codec == nullptr || (w.audio = avcodec_alloc_context3(codec)) == nullptr) return false;
  w.audio->sample_fmt = AV_SAMPLE_FMT_S16;
  w.audio->sample_rate = SOUND_RATE;
  av_channel_layout_default(&w.audio->ch_layout, 2);
  w.audio->bit_rate = 192000;
  w.audio->time_base = AVRational{1, SOUND_RATE};
  if (avcodec_open2(w.audio, codec, nullptr) < 0) return false;
  if ((w.audioStream = avformat_new_stream(w.format, nullptr)) == nullptr) return false;
  w.audioStream->time_base = w.audio->time_base;
  if (avcodec_parameters_from_context(w.audioStream->codecpar, w.audio) < 0) return false;

  w.samples = av_frame_alloc();
  if (w.samples == nullptr) return false;
  w.samples->format = w.audio->sample_fmt;
  w.samples->sample_rate = SOUND_RATE;
  w.samples->nb_samples = w.audio->frame_size;
  if (av_channel_layout_copy(&w.samples->ch_layout, &w.audio->ch_layout) < 0) return false;
  return av_frame_get_buffer(w.samples, 0) >= 0;
}

}  // namespace

bool BuildMovie(const MovieSpec& spec, Bytes* out, std::string* error) {
  if (out == nullptr || spec.colours.empty() || spec.width <= 0 || spec.height <= 0 || spec.width % 16 != 0 ||
      spec.height % 16 != 0 || spec.framesPerSecond <= 0 || !(spec.seconds > 0.0)) {
    return Fail(error, "bad movie description");
  }
  // The muxer's notes on buffer sizes for disc formats do not concern us.
  av_log_set_level(AV_LOG_ERROR);
  Writer w;
  if (avformat_alloc_output_context2(&w.format, nullptr, "mpeg", nullptr) < 0 || w.format == nullptr)
    return Fail(error, "no MPEG program stream muxer");
  if (avio_open_dyn_buf(&w.format->pb) < 0) return Fail(error, "out of memory");
  if (!OpenVideo(w, spec)) return Fail(error, "cannot open the MPEG-1 video encoder");
  if (spec.sound && !OpenAudio(w)) return Fail(error, "cannot open the MPEG audio layer II encoder");
  if ((w.packet = av_packet_alloc()) == nullptr) return Fail(error, "out of memory");
  if (avformat_write_header(w.format, nullptr) < 0) return Fail(error, "the muxer refused the header");

  const int frames = static_cast<int>(std::lround(spec.seconds * spec.framesPerSecond));
  const std::int64_t soundSamples = std::llround(spec.seconds * SOUND_RATE);
  int frame = 0;
  std::int64_t sample = 0;
  int shownColour = -1;
  // Both streams in time order.
  while (frame < frames || (w.audio != nullptr && sample < soundSamples)) {
    const double videoTime = static_cast<double>(frame) / spec.framesPerSecond;
    const double soundTime = static_cast<double>(sample) / SOUND_RATE;
    const bool videoNext = frame < frames && (w.audio == nullptr || sample >= soundSamples || videoTime <= soundTime);
    if (videoNext) {
      const int part = static_cast<int>(static_cast<std::int64_t>(frame) * static_cast<std::int64_t>(spec.colours.size()) / frames);
      if (part != shownColour) {
        if (!FillPicture(w, spec, spec.colours[static_cast<std::size_t>(part)])) return Fail(error, "out of memory");
        shownColour = part;
      }
      w.picture->pts = frame++;
      if (!Encode(w, w.video, w.videoStream, w.picture)) return Fail(error, "the video encoder failed");
    } else {
      if (av_frame_make_writable(w.samples) < 0) return Fail(error, "out of memory");
      auto* pcm = reinterpret_cast<std::int16_t*>(w.samples->data[0]);
      for (int i = 0; i < w.samples->nb_samples; ++i) {
        const double t = static_cast<double>(sample + i) / SOUND_RATE;
        const auto v = static_cast<std::int16_t>(std::lround(std::sin(2.0 * M_PI * spec.toneHz * t) * 12000.0));
        pcm[2 * i] = v;
        pcm[2 * i + 1] = v;
      }
      w.samples->pts = sample;
      sample += w.samples->nb_samples;
      if (!Encode(w, w.audio, w.audioStream, w.samples)) return Fail(error, "the sound encoder failed");
    }
  }
  if (!Encode(w, w.video, w.videoStream, nullptr) ||
      (w.audio != nullptr && !Encode(w, w.audio, w.audioStream, nullptr))) {
    return Fail(error, "the encoders failed at the end");
  }
  if (av_write_trailer(w.format) < 0) return Fail(error, "the muxer refused the end");
  std::uint8_t* data = nullptr;
  const int size = avio_close_dyn_buf(w.format->pb, &data);
  w.format->pb = nullptr;
  out->assign(data, data + (size > 0 ? size : 0));
  av_free(data);
  return true;
}

Bytes SyntheticMovie() {
  Bytes out;
  BuildMovie(MovieSpec{}, &out, nullptr);
  return out;
}

bool WriteMovieSeeds(const std::string& dir) {
  MovieSpec small;
  small.width = 32;
  small.height = 32;
  small.seconds = 0.4;
  small.colours = {{255, 255, 255}, {0, 0, 0}};
  Bytes movie;
  if (!BuildMovie(small, &movie, nullptr)) return false;
  MovieSpec silent = small;
  silent.sound = false;
  Bytes quiet;
  if (!BuildMovie(silent, &quiet, nullptr)) return false;
  auto cut = [&](std::size_t n) { return Bytes(movie.begin(), movie.begin() + static_cast<std::ptrdiff_t>(std::min(n, movie.size()))); };
  Bytes flipped = movie;
  for (std::size_t i = 64; i < flipped.size(); i += 97) flipped[i] ^= 0x5A;
  const std::vector<NamedBytes> seeds = {
      {"movie.mpg", movie},
      {"silent.mpg", quiet},
      {"half.mpg", cut(movie.size() / 2)},
      {"header.mpg", cut(64)},
      {"damaged.mpg", flipped},
      {"empty.mpg", Bytes{}},
  };
  return WriteHostFiles(dir, seeds);
}

}  // namespace kelvdata
