// The real movie source: FFmpeg demuxes and decodes the file, libswscale fits
// the pictures into the program's window, libswresample turns the sound into
// the 44.1 kHz 16-bit stereo of a streamed secondary buffer of the program's
// sound device. Everything runs on the program's thread when the pump calls
// Service; the clock is the wall clock from Run, stopped while paused.
#include <SDL.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/dshow/backend.h"
#include "platform/dsound/dsound.h"
#include "platform/win32/window.h"

namespace {

constexpr int SOUND_RATE = 44100;
constexpr int SOUND_CHANNELS = 2;
constexpr int SOUND_BLOCK = SOUND_CHANNELS * 2;
// One second of sound in the ring; it is kept about half full.
constexpr DWORD SOUND_BUFFER_BYTES = SOUND_RATE * SOUND_BLOCK;
constexpr std::size_t SOUND_AHEAD_SAMPLES = SOUND_RATE / 2 * SOUND_CHANNELS;
// A file whose first picture is not within this many packets is no movie.
constexpr int FIRST_PICTURE_PACKETS = 4096;
// Bounds on the work of one decoder step, against decoders that never settle.
constexpr int DECODE_STEPS = 4096;
constexpr int MAX_PICTURE_SIDE = 8192;
// Seconds: how far a movie of unknown length may place its frames.
constexpr double MAX_UNKNOWN_LENGTH = 3600.0;

// The windows a movie has drawn into (for MovieWindowPixel).
std::set<HWND>& DrawnWindows() {
  static std::set<HWND> windows;
  return windows;
}

struct PacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using Packet = std::unique_ptr<AVPacket, PacketFree>;

class FfmpegSource : public dshow::MovieSource {
 public:
  ~FfmpegSource() override {
    if (sound_ != nullptr) {
      sound_->Stop();
      sound_->Release();
    }
    av_frame_free(&next_);
    av_frame_free(&shown_);
    av_frame_free(&scratch_);
    if (scaled_ != nullptr) SDL_FreeSurface(scaled_);
    sws_freeContext(sws_);
    swr_free(&swr_);
    avcodec_free_context(&video_);
    avcodec_free_context(&audio_);
    avformat_close_input(&format_);
  }

  HRESULT Open(const std::string& hostPath, IDirectSound* device) {
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    // "file:" keeps a path with a colon from naming another protocol.
    const int opened = avformat_open_input(&format_, ("file:" + hostPath).c_str(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) return VFW_E_UNKNOWN_FILE_TYPE;
    if (avformat_find_stream_info(format_, nullptr) < 0) return VFW_E_UNKNOWN_FILE_TYPE;

    videoIndex_ = av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (videoIndex_ < 0) return VFW_E_UNSUPPORTED_STREAM;
    if (!OpenDecoder(videoIndex_, &video_)) return VFW_E_UNSUPPORTED_STREAM;
    if (video_->width <= 0 || video_->height <= 0 || video_->width > MAX_PICTURE_SIDE ||
        video_->height > MAX_PICTURE_SIDE) {
      return VFW_E_UNSUPPORTED_STREAM;
    }
    audioIndex_ = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, videoIndex_, nullptr, 0);
    if (audioIndex_ >= 0) {
      if (!OpenDecoder(audioIndex_, &audio_) || !OpenResampler()) return VFW_E_UNSUPPORTED_STREAM;
    }

    startTime_ = format_->start_time != AV_NOPTS_VALUE ? static_cast<double>(format_->start_time) / AV_TIME_BASE : 0.0;
    if (format_->duration > 0) duration_ = static_cast<double>(format_->duration) / AV_TIME_BASE;

    scratch_ = av_frame_alloc();
    if (scratch_ == nullptr) return E_OUTOFMEMORY;
    // A file cut before its first picture, or whose pictures do not decode,
    // is refused here rather than playing as a black screen.
    if (!DecodeVideo(FIRST_PICTURE_PACKETS)) return VFW_E_UNKNOWN_FILE_TYPE;

    if (device != nullptr && audio_ != nullptr) CreateSoundBuffer(device);
    return S_OK;
  }

  double Duration() const override { return duration_; }
  double Position() const override { return Clock(); }

  void Run() override {
    if (running_) return;
    running_ = true;
    base_ = std::chrono::steady_clock::now();
    if (sound_ != nullptr) {
      FeedSound();
      sound_->Play(0, 0, DSBPLAY_LOOPING);
    }
  }

  void Pause() override {
    if (!running_) return;
    held_ = Clock();
    running_ = false;
    if (sound_ != nullptr) sound_->Stop();
  }

  void Stop() override {
    Pause();
    held_ = 0.0;
    Rewind();
  }

  void SetOutput(HWND window, bool visible) override {
    window_ = window;
    visible_ = visible;
    if (shown_ != nullptr) Present(shown_);
  }

  bool NeedsTicks() const override { return true; }

  bool Service() override {
    const double now = Clock();
    // The newest picture that is due; those it overtakes are never drawn.
    bool due = false;
    while (next_ != nullptr && nextTime_ <= now) {
      if (shown_ == nullptr && (shown_ = av_frame_alloc()) == nullptr) break;
      av_frame_unref(shown_);
      av_frame_move_ref(shown_, next_);
      due = true;
      if (!DecodeVideo(DECODE_STEPS)) break;
    }
    if (due) Present(shown_);
    DecodeSound();
    if (sound_ != nullptr) {
      FeedSound();
    } else {
      // Nothing plays the sound: it is decoded and dropped, so that its end
      // still comes, on the clock, rather than waiting on a device for ever.
      pcm_.clear();
    }

    const bool videoEnded = next_ == nullptr;
    const bool soundEnded = audio_ == nullptr || (audioDone_ && pcm_.empty() && now >= soundEnd_);
    if (videoEnded && soundEnded) {
      if (sound_ != nullptr) sound_->Stop();
      return true;
    }
    return false;
  }

 private:
  bool OpenDecoder(int index, AVCodecContext** out) {
    const AVCodecParameters* par = format_->streams[index]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    if (codec == nullptr) return false;
    *out = avcodec_alloc_context3(codec);
    if (*out == nullptr || avcodec_parameters_to_context(*out, par) < 0) return false;
    (*out)->pkt_timebase = format_->streams[index]->time_base;
    (*out)->thread_count = 1;
    return avcodec_open2(*out, codec, nullptr) >= 0;
  }

  bool OpenResampler() { return SetUpResampler(audio_->ch_layout, audio_->sample_fmt, audio_->sample_rate); }

  // The resampler for sound in this layout, format and rate; what it was
  // made for is kept, so that frames of another shape never reach it.
  bool SetUpResampler(const AVChannelLayout& layout, int format, int rate) {
    inChannels_ = 0;
    if (rate <= 0 || layout.nb_channels <= 0 || format < 0 || format >= AV_SAMPLE_FMT_NB) return false;
    AVChannelLayout in{};
    if (layout.order == AV_CHANNEL_ORDER_UNSPEC) {
      av_channel_layout_default(&in, layout.nb_channels);
    } else if (av_channel_layout_copy(&in, &layout) < 0) {
      return false;
    }
    AVChannelLayout stereo{};
    av_channel_layout_default(&stereo, SOUND_CHANNELS);
    const int made = swr_alloc_set_opts2(&swr_, &stereo, AV_SAMPLE_FMT_S16, SOUND_RATE, &in,
                                         static_cast<AVSampleFormat>(format), rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&stereo);
    if (made < 0 || swr_init(swr_) < 0) return false;
    inChannels_ = layout.nb_channels;
    inFormat_ = format;
    inRate_ = rate;
    return true;
  }

  void CreateSoundBuffer(IDirectSound* device) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = SOUND_CHANNELS;
    f.nSamplesPerSec = SOUND_RATE;
    f.wBitsPerSample = 16;
    f.nBlockAlign = SOUND_BLOCK;
    f.nAvgBytesPerSec = SOUND_RATE * SOUND_BLOCK;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS;
    desc.dwBufferBytes = SOUND_BUFFER_BYTES;
    desc.lpwfxFormat = &f;
    // Without a buffer the movie plays silently.
    if (device->CreateSoundBuffer(&desc, &sound_, nullptr) != DS_OK) sound_ = nullptr;
  }

  double Clock() const {
    if (!running_) return held_;
    return held_ + std::chrono::duration<double>(std::chrono::steady_clock::now() - base_).count();
  }

  // Seconds from the start of the movie. A frame without a time follows the
  // one before it; a damaged time far past the movie's length is held to
  // just after it, so that the movie still ends.
  double FrameTime(const AVFrame* f, int index, double fallback) const {
    const std::int64_t ts = f->best_effort_timestamp != AV_NOPTS_VALUE ? f->best_effort_timestamp : f->pts;
    if (ts == AV_NOPTS_VALUE) return fallback;
    const double t = static_cast<double>(ts) * av_q2d(format_->streams[index]->time_base) - startTime_;
    const double horizon = (duration_ > 0.0 ? duration_ : MAX_UNKNOWN_LENGTH) + 1.0;
    return std::isfinite(t) ? std::clamp(t, 0.0, horizon) : fallback;
  }

  double FramePeriod() const {
    const AVRational rate = format_->streams[videoIndex_]->avg_frame_rate;
    return rate.num > 0 && rate.den > 0 ? av_q2d(av_inv_q(rate)) : 1.0 / 25.0;
  }

  // One packet from the file into its stream's queue; false at the end of
  // the file (or a read error, which ends it as well).
  bool ReadPacket() {
    if (fileEnded_) return false;
    Packet p(av_packet_alloc());
    if (!p || av_read_frame(format_, p.get()) < 0) {
      fileEnded_ = true;
      return false;
    }
    if (p->stream_index == videoIndex_) {
      videoPackets_.push_back(std::move(p));
    } else if (p->stream_index == audioIndex_ && audio_ != nullptr) {
      audioPackets_.push_back(std::move(p));
    }
    return true;
  }

  // Runs a decoder until it gives a frame (true) or has no more to give.
  bool Receive(AVCodecContext* dec, std::deque<Packet>& queue, bool* flushed, bool* done, AVFrame* out, int steps) {
    for (int i = 0; i < steps && !*done; ++i) {
      const int r = avcodec_receive_frame(dec, out);
      if (r == 0) return true;
      if (r != AVERROR(EAGAIN)) {
        *done = true;
        break;
      }
      if (queue.empty() && !ReadPacket()) {
        if (*flushed) {
          *done = true;
          break;
        }
        avcodec_send_packet(dec, nullptr);
        *flushed = true;
        continue;
      }
      if (queue.empty()) continue;
      // A damaged packet is skipped; the decoder goes on with the next one.
      avcodec_send_packet(dec, queue.front().get());
      queue.pop_front();
    }
    return false;
  }

  bool DecodeVideo(int steps) {
    if (next_ == nullptr) next_ = av_frame_alloc();
    if (next_ == nullptr) return false;
    if (Receive(video_, videoPackets_, &videoFlushed_, &videoDone_, next_, steps)) {
      nextTime_ = lastVideoTime_ = FrameTime(next_, videoIndex_, lastVideoTime_ + FramePeriod());
      return true;
    }
    av_frame_free(&next_);
    return false;
  }

  void DecodeSound() {
    if (audio_ == nullptr) return;
    while (!audioDone_ && pcm_.size() < SOUND_AHEAD_SAMPLES) {
      if (!Receive(audio_, audioPackets_, &audioFlushed_, &audioDone_, scratch_, DECODE_STEPS)) break;
      if (!soundStarted_) {
        soundStarted_ = true;
        soundEnd_ = FrameTime(scratch_, audioIndex_, 0.0);
      }
      Resample(scratch_);
      av_frame_unref(scratch_);
    }
    if (audioDone_ && !resamplerDrained_) {
      resamplerDrained_ = true;
      Resample(nullptr);
    }
  }

  void Resample(const AVFrame* f) {
    // A damaged stream can change its sound's shape from one frame to the
    // next: the resampler follows it, and a frame it cannot take is dropped.
    if (f != nullptr) {
      if (f->extended_data == nullptr || f->nb_samples <= 0) return;
      if (f->ch_layout.nb_channels != inChannels_ || f->format != inFormat_ || f->sample_rate != inRate_) {
        if (!SetUpResampler(f->ch_layout, f->format, f->sample_rate)) return;
      }
    } else if (inChannels_ == 0) {
      return;
    }
    const int room = swr_get_out_samples(swr_, f != nullptr ? f->nb_samples : 0);
    if (room <= 0) return;
    std::vector<std::int16_t> out(static_cast<std::size_t>(room) * SOUND_CHANNELS);
    std::uint8_t* planes[1] = {reinterpret_cast<std::uint8_t*>(out.data())};
    const int n = swr_convert(swr_, planes, room, f != nullptr ? const_cast<const std::uint8_t**>(f->extended_data) : nullptr,
                              f != nullptr ? f->nb_samples : 0);
    if (n <= 0) return;
    pcm_.insert(pcm_.end(), out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n) * SOUND_CHANNELS);
    soundEnd_ += static_cast<double>(n) / SOUND_RATE;
  }

  // Writes what is decoded into the part of the ring that has been played;
  // once the sound has ended, silence, so that nothing plays twice.
  void FeedSound() {
    DWORD play = 0;
    if (sound_->GetCurrentPosition(&play, nullptr) != DS_OK) return;
    played_ += (play + SOUND_BUFFER_BYTES - lastPlay_) % SOUND_BUFFER_BYTES;
    lastPlay_ = play;
    if (written_ < played_) written_ = played_;
    const std::uint64_t ahead = written_ - played_;
    if (ahead + SOUND_BLOCK >= SOUND_BUFFER_BYTES) return;
    DWORD room = static_cast<DWORD>(SOUND_BUFFER_BYTES - SOUND_BLOCK - ahead);
    const DWORD have = static_cast<DWORD>(pcm_.size() * 2);
    if (!audioDone_) room = std::min(room, have);
    if (room == 0) return;
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    if (sound_->Lock(static_cast<DWORD>(written_ % SOUND_BUFFER_BYTES), room, &p1, &n1, &p2, &n2, 0) != DS_OK) return;
    const DWORD fromPcm = std::min(room, have);
    const auto* src = reinterpret_cast<const std::uint8_t*>(pcm_.data());
    auto copy = [&](void* dst, DWORD bytes, DWORD offset) {
      const DWORD real = offset < fromPcm ? std::min(bytes, fromPcm - offset) : 0;
      if (real > 0) std::memcpy(dst, src + offset, real);
      if (real < bytes) std::memset(static_cast<std::uint8_t*>(dst) + real, 0, bytes - real);
    };
    copy(p1, n1, 0);
    if (p2 != nullptr) copy(p2, n2, n1);
    sound_->Unlock(p1, n1, p2, n2);
    pcm_.erase(pcm_.begin(), pcm_.begin() + fromPcm / 2);
    written_ += n1 + n2;
  }

  void Rewind() {
    videoPackets_.clear();
    audioPackets_.clear();
    pcm_.clear();
    if (av_seek_frame(format_, -1, format_->start_time != AV_NOPTS_VALUE ? format_->start_time : 0,
                      AVSEEK_FLAG_BACKWARD) < 0) {
      avformat_seek_file(format_, -1, INT64_MIN, 0, INT64_MAX, 0);
    }
    fileEnded_ = false;
    avcodec_flush_buffers(video_);
    videoFlushed_ = videoDone_ = false;
    if (audio_ != nullptr) {
      avcodec_flush_buffers(audio_);
      if (inChannels_ > 0) swr_init(swr_);
    }
    audioFlushed_ = audioDone_ = resamplerDrained_ = soundStarted_ = false;
    soundEnd_ = 0.0;
    av_frame_free(&next_);
    lastVideoTime_ = 0.0;
    DecodeVideo(FIRST_PICTURE_PACKETS);
    if (sound_ != nullptr) {
      sound_->SetCurrentPosition(0);
      void* p1 = nullptr;
      void* p2 = nullptr;
      DWORD n1 = 0, n2 = 0;
      if (sound_->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER) == DS_OK) {
        std::memset(p1, 0, n1);
        sound_->Unlock(p1, n1, p2, n2);
      }
    }
    written_ = played_ = 0;
    lastPlay_ = 0;
  }

  // Draws the picture over the whole window, its aspect kept, black around.
  void Present(const AVFrame* f) {
    if (!visible_ || window_ == nullptr || f == nullptr) return;
    auto* native = static_cast<SDL_Window*>(platform::NativeWindow(window_));
    if (native == nullptr) return;
    // The window belongs to the 3D board's OpenGL when it is open; a plain
    // framebuffer keeps SDL from making a renderer of its own on it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_Surface* surface = SDL_GetWindowSurface(native);
    if (surface == nullptr || f->width <= 0 || f->height <= 0) return;

    float aspect = static_cast<float>(f->width) / static_cast<float>(f->height);
    if (f->sample_aspect_ratio.num > 0 && f->sample_aspect_ratio.den > 0)
      aspect *= static_cast<float>(f->sample_aspect_ratio.num) / static_cast<float>(f->sample_aspect_ratio.den);
    int w = surface->w;
    int h = static_cast<int>(static_cast<float>(w) / aspect + 0.5f);
    if (h > surface->h) {
      h = surface->h;
      w = static_cast<int>(static_cast<float>(h) * aspect + 0.5f);
    }
    w = std::clamp(w, 1, surface->w);
    h = std::clamp(h, 1, surface->h);

    if (scaled_ == nullptr || scaled_->w != w || scaled_->h != h) {
      if (scaled_ != nullptr) SDL_FreeSurface(scaled_);
      scaled_ = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
      if (scaled_ == nullptr) return;
    }
    sws_ = sws_getCachedContext(sws_, f->width, f->height, static_cast<AVPixelFormat>(f->format), w, h,
                                AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (sws_ == nullptr) return;
    std::uint8_t* planes[4] = {static_cast<std::uint8_t*>(scaled_->pixels), nullptr, nullptr, nullptr};
    int strides[4] = {scaled_->pitch, 0, 0, 0};
    sws_scale(sws_, f->data, f->linesize, 0, f->height, planes, strides);

    SDL_Rect place{(surface->w - w) / 2, (surface->h - h) / 2, w, h};
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    SDL_BlitSurface(scaled_, nullptr, surface, &place);
    SDL_UpdateWindowSurface(native);
    DrawnWindows().insert(window_);
  }

  AVFormatContext* format_ = nullptr;
  int videoIndex_ = -1;
  int audioIndex_ = -1;
  AVCodecContext* video_ = nullptr;
  AVCodecContext* audio_ = nullptr;
  std::deque<Packet> videoPackets_;
  std::deque<Packet> audioPackets_;
  bool fileEnded_ = false;
  bool videoFlushed_ = false;
  bool videoDone_ = false;
  bool audioFlushed_ = false;
  bool audioDone_ = false;
  bool resamplerDrained_ = false;
  double startTime_ = 0.0;
  double duration_ = 0.0;

  AVFrame* next_ = nullptr;  // decoded, not yet due
  double nextTime_ = 0.0;
  double lastVideoTime_ = 0.0;
  AVFrame* shown_ = nullptr;  // on the screen now
  AVFrame* scratch_ = nullptr;
  SwsContext* sws_ = nullptr;
  SDL_Surface* scaled_ = nullptr;
  HWND window_ = nullptr;
  bool visible_ = false;

  SwrContext* swr_ = nullptr;
  int inChannels_ = 0;  // what the resampler takes; 0 while it has no set-up
  int inFormat_ = -1;
  int inRate_ = 0;
  std::vector<std::int16_t> pcm_;  // interleaved stereo, not yet in the ring
  bool soundStarted_ = false;
  double soundEnd_ = 0.0;  // seconds: where the decoded sound ends
  IDirectSoundBuffer* sound_ = nullptr;
  std::uint64_t written_ = 0;  // bytes written into the ring, ever
  std::uint64_t played_ = 0;   // bytes the ring has played, ever
  DWORD lastPlay_ = 0;

  bool running_ = false;
  std::chrono::steady_clock::time_point base_;
  double held_ = 0.0;  // the clock while not running, and its base while running
};

class FfmpegBackend : public dshow::Backend {
 public:
  FfmpegBackend() { av_log_set_level(AV_LOG_QUIET); }

  HRESULT Open(const std::string& hostPath, IDirectSound* sound, std::unique_ptr<dshow::MovieSource>* out) override {
    auto source = std::make_unique<FfmpegSource>();
    const HRESULT hr = source->Open(hostPath, sound);
    if (hr == S_OK) *out = std::move(source);
    return hr;
  }
};

}  // namespace

namespace dshow {

Backend* MakeFfmpegBackend() { return new FfmpegBackend(); }

}  // namespace dshow

namespace platform {

bool MovieWindowPixel(HWND window, int x, int y, std::uint8_t rgb[3]) {
  if (DrawnWindows().count(window) == 0 || !IsWindow(window)) return false;
  auto* native = static_cast<SDL_Window*>(NativeWindow(window));
  SDL_Surface* surface = native != nullptr ? SDL_GetWindowSurface(native) : nullptr;
  if (surface == nullptr || x < 0 || y < 0 || x >= surface->w || y >= surface->h) return false;
  if (SDL_LockSurface(surface) != 0) return false;
  const int bpp = surface->format->BytesPerPixel;
  const auto* p = static_cast<const std::uint8_t*>(surface->pixels) + y * surface->pitch + x * bpp;
  Uint32 pixel = 0;
  std::memcpy(&pixel, p, static_cast<std::size_t>(std::min(bpp, 4)));
  SDL_UnlockSurface(surface);
  SDL_GetRGB(pixel, surface->format, &rgb[0], &rgb[1], &rgb[2]);
  return true;
}

}  // namespace platform
