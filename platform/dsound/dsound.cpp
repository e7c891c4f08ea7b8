#include "platform/dsound/dsound.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/dsound/mixer.h"

const GUID IID_IDirectSoundBuffer = {0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const GUID IID_IDirectSound3DBuffer = {0x279AFA86, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const GUID IID_IDirectSound3DListener = {0x279AFA84, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

namespace {

using platform::dsound_detail::HundredthsDbToGain;
using platform::dsound_detail::Mixer;
using platform::dsound_detail::Voice;

constexpr DWORD kAllFormats = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT | DSCAPS_PRIMARY16BIT |
                              DSCAPS_CONTINUOUSRATE | DSCAPS_EMULDRIVER | DSCAPS_SECONDARYMONO |
                              DSCAPS_SECONDARYSTEREO | DSCAPS_SECONDARY8BIT | DSCAPS_SECONDARY16BIT;

class Device;

// Game-thread state of the platform module; the audio thread never reads it.
struct State {
  bool test = false;
  bool record = true;
  std::vector<std::string> testDrivers{"Test Output"};
  // What the test system reports as its default output: the first test
  // driver unless a test says otherwise; testDefaultKnown false when it
  // cannot tell.
  bool testDefaultIsFirst = true;
  bool testDefaultKnown = true;
  std::string testDefault;
  std::string testOpened;
  DWORD testCaps = kAllFormats;
  int createFailures = 0;
  int lockFailures = 0;
  HRESULT lockError = DSERR_GENERIC;
  std::vector<platform::SoundCall> calls;
  Device* testDevice = nullptr;
};

State& S() {
  static State state;
  return state;
}

HRESULT Log(const void* object, const char* op, long long a, long long b, HRESULT result) {
  State& s = S();
  if (s.test && s.record) s.calls.push_back({object, op, a, b, result});
  return result;
}

bool SameGuid(const GUID& x, const GUID& y) { return std::memcmp(&x, &y, sizeof(GUID)) == 0; }

// A stable identifier for an output device, made from its name.
GUID GuidForDevice(const std::string& name) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : name) {
    h ^= c;
    h *= 1099511628211ull;
  }
  GUID g{};
  g.Data1 = static_cast<DWORD>(h >> 32);
  g.Data2 = static_cast<WORD>(h >> 16);
  g.Data3 = static_cast<WORD>(0x4000 | (h & 0x0FFF));
  const char tag[8] = {'K', 'v', 'S', 'n', 'd', 'D', 'e', 'v'};
  std::memcpy(g.Data4, tag, 8);
  return g;
}

// An output device as SDL names it; an empty name is SDL's default device.
struct OutputDevice {
  std::string name;
  std::string description;
};

// SDL's audio subsystem, held while a device or an enumeration needs it.
bool InitSdlAudio() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "Kelvarro: no sound: %s\n", SDL_GetError());
    return false;
  }
  return true;
}

// The name of the system's default output; false when the system cannot tell.
bool DefaultOutputName(std::string* name) {
  State& s = S();
  if (s.test) {
    if (s.testDefaultIsFirst) {
      if (s.testDrivers.empty()) return false;
      *name = s.testDrivers.front();
      return true;
    }
    *name = s.testDefault;
    return s.testDefaultKnown;
  }
  char* reported = nullptr;
  SDL_AudioSpec spec{};
  if (SDL_GetDefaultAudioInfo(&reported, &spec, 0) != 0 || reported == nullptr) return false;
  *name = reported;
  SDL_free(reported);
  return true;
}

// Needs SDL audio (or the test backend). The system's default output comes
// first, so that the first driver is the one the user chose: SDL's own order
// need not put it there. When the default cannot be named, or is not among
// the listed outputs (SDL could not open it by that name), the first entry
// is SDL's default device, opened without a name.
std::vector<OutputDevice> OutputDevices() {
  std::vector<OutputDevice> list;
  State& s = S();
  if (s.test) {
    // A test machine without drivers has no sound at all.
    if (s.testDrivers.empty()) return list;
    for (const std::string& name : s.testDrivers) list.push_back({name, name});
  } else {
    int n = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < n; ++i) {
      const char* name = SDL_GetAudioDeviceName(i, 0);
      if (name != nullptr) list.push_back({name, name});
    }
  }
  std::string preferred;
  bool known = DefaultOutputName(&preferred);
  auto it = known ? std::find_if(list.begin(), list.end(),
                                 [&preferred](const OutputDevice& d) { return d.name == preferred; })
                  : list.end();
  if (it != list.end()) {
    std::rotate(list.begin(), it, it + 1);
  } else {
    list.insert(list.begin(), {"", known && !preferred.empty() ? preferred : "Default Sound Device"});
  }
  return list;
}

const char* ModuleName() {
  if (S().test) return "test";
  const char* driver = SDL_GetCurrentAudioDriver();
  return driver != nullptr ? driver : "";
}

// ---------------------------------------------------------------------------

class Device final : public IDirectSound {
 public:
  Device() = default;
  ~Device();
  bool Open(const std::string& name);

  HRESULT QueryInterface(REFIID, void** out) override {
    if (out) *out = nullptr;
    return DSERR_NOINTERFACE;
  }
  DWORD AddRef() override { return ++refs_; }
  DWORD Release() override;
  HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** out, void* outer) override;
  HRESULT GetCaps(DSCAPS* caps) override;
  HRESULT SetCooperativeLevel(HWND window, DWORD level) override;
  HRESULT GetSpeakerConfig(DWORD* config) override;
  HRESULT SetSpeakerConfig(DWORD config) override;

  Mixer& mixer() { return mixer_; }
  DWORD level() const { return level_; }
  void PrimaryGone() { primary_ = nullptr; }

 private:
  static void SdlCallback(void* user, Uint8* stream, int len);

  DWORD refs_ = 1;
  DWORD level_ = 0;
  DWORD speakers_ = DSSPEAKER_STEREO;
  IDirectSoundBuffer* primary_ = nullptr;
  SDL_AudioDeviceID sdl_ = 0;
  bool sdlAudio_ = false;
  Mixer mixer_;
};

// What both kinds of buffer answer alike: they count references, and offer
// no interface but their own (no 3D voices: IID_IDirectSound3DBuffer included).
class BufferBase : public IDirectSoundBuffer {
 public:
  const IDirectSoundBuffer* Self() const { return this; }

  HRESULT QueryInterface(REFIID iid, void** out) final {
    if (out == nullptr) return DSERR_INVALIDPARAM;
    if (SameGuid(iid, IID_IDirectSoundBuffer)) {
      AddRef();
      *out = static_cast<IDirectSoundBuffer*>(this);
      return DS_OK;
    }
    *out = nullptr;
    return Log(Self(), "QueryInterface", 0, 0, DSERR_NOINTERFACE);
  }
  DWORD AddRef() final { return ++refs_; }

 protected:
  ~BufferBase() = default;

  DWORD refs_ = 1;
};

class SecondaryBuffer final : public BufferBase {
 public:
  SecondaryBuffer(Device* device, DWORD flags, const WAVEFORMATEX& format, BYTE* data, DWORD bytes)
      : device_(device), flags_(flags), format_(format), data_(data), bytes_(bytes) {
    device_->AddRef();
    voice_.data = data_;
    voice_.frames = bytes_ / format_.nBlockAlign;
    voice_.channels = format_.nChannels;
    voice_.bits = format_.wBitsPerSample;
    voice_.hz = format_.nSamplesPerSec;
    device_->mixer().Add(&voice_);
  }

  DWORD Release() override {
    DWORD left = --refs_;
    if (left == 0) {
      Log(Self(), "Release", 0, 0, DS_OK);
      device_->mixer().Remove(&voice_);
      delete[] data_;
      Device* device = device_;
      delete this;
      device->Release();
    }
    return left;
  }

  HRESULT GetCaps(DSBCAPS* caps) override {
    if (caps == nullptr || caps->dwSize != sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
    caps->dwFlags = flags_ | DSBCAPS_LOCSOFTWARE;
    caps->dwBufferBytes = bytes_;
    caps->dwUnlockTransferRate = 0;
    caps->dwPlayCpuOverhead = 0;
    return DS_OK;
  }

  HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override {
    std::uint64_t frame;
    {
      std::lock_guard<std::mutex> hold(device_->mixer().Lock());
      frame = voice_.position >> 32;
    }
    DWORD offset = static_cast<DWORD>(std::min<std::uint64_t>(frame * format_.nBlockAlign, bytes_ - 1));
    offset -= offset % format_.nBlockAlign;
    if (play) *play = offset;
    if (write) *write = offset;
    return DS_OK;
  }

  HRESULT GetFormat(WAVEFORMATEX* format, DWORD size, DWORD* written) override {
    if (format == nullptr) {
      if (written == nullptr) return DSERR_INVALIDPARAM;
      *written = sizeof(WAVEFORMATEX);
      return DS_OK;
    }
    if (size < sizeof(WAVEFORMATEX)) return DSERR_INVALIDPARAM;
    *format = format_;
    if (written) *written = sizeof(WAVEFORMATEX);
    return DS_OK;
  }

  HRESULT GetVolume(LONG* volume) override {
    if (volume == nullptr) return DSERR_INVALIDPARAM;
    if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    *volume = volume_;
    return DS_OK;
  }
  HRESULT GetPan(LONG* pan) override {
    if (pan == nullptr) return DSERR_INVALIDPARAM;
    if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    *pan = pan_;
    return DS_OK;
  }
  HRESULT GetFrequency(DWORD* hz) override {
    if (hz == nullptr) return DSERR_INVALIDPARAM;
    if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    std::lock_guard<std::mutex> hold(device_->mixer().Lock());
    *hz = voice_.hz;
    return DS_OK;
  }

  HRESULT GetStatus(DWORD* status) override {
    if (status == nullptr) return DSERR_INVALIDPARAM;
    DWORD st = 0;
    {
      std::lock_guard<std::mutex> hold(device_->mixer().Lock());
      if (voice_.playing) st = DSBSTATUS_PLAYING | (voice_.looping ? DSBSTATUS_LOOPING : 0);
    }
    if (lost_) st |= DSBSTATUS_BUFFERLOST;
    *status = st;
    return DS_OK;
  }

  HRESULT Play(DWORD, DWORD, DWORD flags) override {
    if (lost_) return Log(Self(), "Play", flags, 0, DSERR_BUFFERLOST);
    {
      std::lock_guard<std::mutex> hold(device_->mixer().Lock());
      if (!voice_.playing) ++voice_.change;
      voice_.playing = true;
      voice_.looping = (flags & DSBPLAY_LOOPING) != 0;
    }
    return Log(Self(), "Play", flags, 0, DS_OK);
  }

  HRESULT Stop() override {
    {
      std::lock_guard<std::mutex> hold(device_->mixer().Lock());
      ++voice_.change;
      voice_.playing = false;
    }
    return Log(Self(), "Stop", 0, 0, DS_OK);
  }

  HRESULT SetCurrentPosition(DWORD offset) override {
    if (offset >= bytes_) return Log(Self(), "SetCurrentPosition", offset, 0, DSERR_INVALIDPARAM);
    {
      std::lock_guard<std::mutex> hold(device_->mixer().Lock());
      ++voice_.change;
      voice_.position = static_cast<std::uint64_t>(offset / format_.nBlockAlign) << 32;
    }
    return Log(Self(), "SetCurrentPosition", offset, 0, DS_OK);
  }

  HRESULT SetFormat(const WAVEFORMATEX*) override { return DSERR_INVALIDCALL; }

  HRESULT SetVolume(LONG volume) override {
    if (!(flags_ & DSBCAPS_CTRLVOLUME)) return Log(Self(), "SetVolume", volume, 0, DSERR_CONTROLUNAVAIL);
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX)
      return Log(Self(), "SetVolume", volume, 0, DSERR_INVALIDPARAM);
    volume_ = volume;
    UpdateGains();
    return Log(Self(), "SetVolume", volume, 0, DS_OK);
  }

  HRESULT SetPan(LONG pan) override {
    if (!(flags_ & DSBCAPS_CTRLPAN)) return Log(Self(), "SetPan", pan, 0, DSERR_CONTROLUNAVAIL);
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return Log(Self(), "SetPan", pan, 0, DSERR_INVALIDPARAM);
    pan_ = pan;
    UpdateGains();
    return Log(Self(), "SetPan", pan, 0, DS_OK);
  }

  HRESULT SetFrequency(DWORD hz) override {
    if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return Log(Self(), "SetFrequency", hz, 0, DSERR_CONTROLUNAVAIL);
    if (hz == DSBFREQUENCY_ORIGINAL) hz = format_.nSamplesPerSec;
    if (hz < DSBFREQUENCY_MIN || hz > DSBFREQUENCY_MAX) return Log(Self(), "SetFrequency", hz, 0, DSERR_INVALIDPARAM);
    {
      std::lock_guard<std::mutex> hold(device_->mixer().Lock());
      voice_.hz = hz;
    }
    return Log(Self(), "SetFrequency", hz, 0, DS_OK);
  }

  HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2,
               DWORD flags) override {
    State& s = S();
    if (s.test && s.lockFailures > 0) {
      --s.lockFailures;
      if (s.lockError == DSERR_BUFFERLOST) lost_ = true;
      return Log(Self(), "Lock", offset, bytes, s.lockError);
    }
    if (lost_) return Log(Self(), "Lock", offset, bytes, DSERR_BUFFERLOST);
    if (locked_ || part1 == nullptr || bytes1 == nullptr) return Log(Self(), "Lock", offset, bytes, DSERR_INVALIDPARAM);
    if (flags & DSBLOCK_FROMWRITECURSOR) GetCurrentPosition(nullptr, &offset);
    if (flags & DSBLOCK_ENTIREBUFFER) bytes = bytes_;
    if (offset >= bytes_ || bytes == 0 || bytes > bytes_) return Log(Self(), "Lock", offset, bytes, DSERR_INVALIDPARAM);
    DWORD first = std::min(bytes, bytes_ - offset);
    DWORD second = bytes - first;
    if (second > 0 && (part2 == nullptr || bytes2 == nullptr))
      return Log(Self(), "Lock", offset, bytes, DSERR_INVALIDPARAM);
    {
      std::lock_guard<std::mutex> hold(device_->mixer().Lock());
      voice_.locked = true;
    }
    // A pass may still be reading the data it took before the lock.
    device_->mixer().WaitForPass();
    locked_ = true;
    lockedPart_ = data_ + offset;
    *part1 = lockedPart_;
    *bytes1 = first;
    if (part2) *part2 = second > 0 ? data_ : nullptr;
    if (bytes2) *bytes2 = second;
    return Log(Self(), "Lock", offset, bytes, DS_OK);
  }

  HRESULT Unlock(void* part1, DWORD bytes1, void*, DWORD bytes2) override {
    if (!locked_ || part1 != lockedPart_) return Log(Self(), "Unlock", bytes1, bytes2, DSERR_INVALIDPARAM);
    locked_ = false;
    lockedPart_ = nullptr;
    {
      std::lock_guard<std::mutex> hold(device_->mixer().Lock());
      voice_.locked = false;
    }
    return Log(Self(), "Unlock", bytes1, bytes2, DS_OK);
  }

  HRESULT Restore() override {
    lost_ = false;
    return Log(Self(), "Restore", 0, 0, DS_OK);
  }

 private:
  ~SecondaryBuffer() = default;

  void UpdateGains() {
    float gain = HundredthsDbToGain(volume_);
    float left = gain * HundredthsDbToGain(pan_ > 0 ? -pan_ : 0);
    float right = gain * HundredthsDbToGain(pan_ < 0 ? pan_ : 0);
    std::lock_guard<std::mutex> hold(device_->mixer().Lock());
    voice_.gainLeft = left;
    voice_.gainRight = right;
  }

  Device* device_;
  DWORD flags_;
  WAVEFORMATEX format_;
  BYTE* data_;
  DWORD bytes_;
  LONG volume_ = 0;
  LONG pan_ = 0;
  bool lost_ = false;
  bool locked_ = false;
  BYTE* lockedPart_ = nullptr;
  Voice voice_;
};

// The primary buffer stands for the device's output: it always plays, and
// its format is only recorded (the mixer's output format is fixed).
class PrimaryBuffer final : public BufferBase {
 public:
  PrimaryBuffer(Device* device, DWORD flags) : device_(device), flags_(flags) { device_->AddRef(); }

  DWORD Release() override {
    DWORD left = --refs_;
    if (left == 0) {
      Log(Self(), "Release", 0, 0, DS_OK);
      Device* device = device_;
      device->PrimaryGone();
      delete this;
      device->Release();
    }
    return left;
  }
  HRESULT GetCaps(DSBCAPS* caps) override {
    if (caps == nullptr || caps->dwSize != sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
    caps->dwFlags = flags_ | DSBCAPS_LOCSOFTWARE;
    caps->dwBufferBytes = 4 * Mixer::CHUNK_FRAMES;
    caps->dwUnlockTransferRate = 0;
    caps->dwPlayCpuOverhead = 0;
    return DS_OK;
  }
  HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override {
    if (play) *play = 0;
    if (write) *write = 0;
    return DS_OK;
  }
  HRESULT GetFormat(WAVEFORMATEX* format, DWORD size, DWORD* written) override {
    if (format == nullptr) {
      if (written == nullptr) return DSERR_INVALIDPARAM;
      *written = sizeof(WAVEFORMATEX);
      return DS_OK;
    }
    if (size < sizeof(WAVEFORMATEX)) return DSERR_INVALIDPARAM;
    *format = format_;
    if (written) *written = sizeof(WAVEFORMATEX);
    return DS_OK;
  }
  HRESULT GetVolume(LONG*) override { return DSERR_CONTROLUNAVAIL; }
  HRESULT GetPan(LONG*) override { return DSERR_CONTROLUNAVAIL; }
  HRESULT GetFrequency(DWORD*) override { return DSERR_CONTROLUNAVAIL; }
  HRESULT GetStatus(DWORD* status) override {
    if (status == nullptr) return DSERR_INVALIDPARAM;
    *status = DSBSTATUS_PLAYING | DSBSTATUS_LOOPING;
    return DS_OK;
  }
  HRESULT Play(DWORD, DWORD, DWORD) override { return DS_OK; }
  HRESULT Stop() override { return DS_OK; }
  HRESULT SetCurrentPosition(DWORD) override { return DSERR_INVALIDCALL; }
  HRESULT SetFormat(const WAVEFORMATEX* format) override {
    if (format == nullptr) return Log(Self(), "SetFormat", 0, 0, DSERR_INVALIDPARAM);
    if (device_->level() < DSSCL_PRIORITY) return Log(Self(), "SetFormat", 0, 0, DSERR_PRIOLEVELNEEDED);
    bool ok = format->wFormatTag == WAVE_FORMAT_PCM && (format->nChannels == 1 || format->nChannels == 2) &&
              (format->wBitsPerSample == 8 || format->wBitsPerSample == 16) &&
              format->nBlockAlign == format->nChannels * format->wBitsPerSample / 8 &&
              format->nSamplesPerSec >= DSBFREQUENCY_MIN && format->nSamplesPerSec <= DSBFREQUENCY_MAX;
    if (!ok) return Log(Self(), "SetFormat", format->nSamplesPerSec, format->nChannels, DSERR_BADFORMAT);
    format_ = *format;
    return Log(Self(), "SetFormat", format->nSamplesPerSec,
               static_cast<long long>(format->nChannels) * 100 + format->wBitsPerSample, DS_OK);
  }
  HRESULT SetVolume(LONG) override { return DSERR_CONTROLUNAVAIL; }
  HRESULT SetPan(LONG) override { return DSERR_CONTROLUNAVAIL; }
  HRESULT SetFrequency(DWORD) override { return DSERR_CONTROLUNAVAIL; }
  HRESULT Lock(DWORD, DWORD, void**, DWORD*, void**, DWORD*, DWORD) override { return DSERR_PRIOLEVELNEEDED; }
  HRESULT Unlock(void*, DWORD, void*, DWORD) override { return DSERR_INVALIDCALL; }
  HRESULT Restore() override { return DS_OK; }

 private:
  ~PrimaryBuffer() = default;

  Device* device_;
  DWORD flags_;
  // The usual power-on format of a sound card.
  WAVEFORMATEX format_{WAVE_FORMAT_PCM, 2, 22050, 22050 * 2, 2, 8, 0};
};

// ---------------------------------------------------------------------------

bool Device::Open(const std::string& name) {
  if (S().test) {
    S().testDevice = this;
    S().testOpened = name;
    return true;
  }
  if (!InitSdlAudio()) return false;
  sdlAudio_ = true;
  SDL_AudioSpec want{};
  want.freq = platform::SOUND_OUTPUT_RATE;
  want.format = AUDIO_F32SYS;
  want.channels = platform::SOUND_OUTPUT_CHANNELS;
  want.samples = 1024;
  want.callback = &Device::SdlCallback;
  want.userdata = this;
  SDL_AudioSpec have{};
  sdl_ = SDL_OpenAudioDevice(name.empty() ? nullptr : name.c_str(), 0, &want, &have, 0);
  if (sdl_ == 0) {
    std::fprintf(stderr, "Kelvarro: cannot open the sound device: %s\n", SDL_GetError());
    return false;
  }
  SDL_PauseAudioDevice(sdl_, 0);
  return true;
}

Device::~Device() {
  if (sdl_ != 0) SDL_CloseAudioDevice(sdl_);
  if (sdlAudio_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  if (S().testDevice == this) {
    S().testDevice = nullptr;
    S().testOpened.clear();
  }
}

void Device::SdlCallback(void* user, Uint8* stream, int len) {
  auto* device = static_cast<Device*>(user);
  device->mixer_.Mix(reinterpret_cast<float*>(stream), len / static_cast<int>(sizeof(float) * 2));
}

DWORD Device::Release() {
  DWORD left = --refs_;
  if (left == 0) {
    Log(static_cast<const IDirectSound*>(this), "Release", 0, 0, DS_OK);
    delete this;
  }
  return left;
}

HRESULT Device::CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** out, void* outer) {
  const void* self = static_cast<const IDirectSound*>(this);
  if (out == nullptr) return Log(self, "CreateSoundBuffer", 0, 0, DSERR_INVALIDPARAM);
  *out = nullptr;
  if (outer != nullptr) return Log(self, "CreateSoundBuffer", 0, 0, DSERR_NOAGGREGATION);
  if (desc == nullptr || desc->dwSize != sizeof(DSBUFFERDESC))
    return Log(self, "CreateSoundBuffer", 0, 0, DSERR_INVALIDPARAM);
  DWORD flags = desc->dwFlags;
  State& s = S();
  if (s.test && s.createFailures > 0) {
    --s.createFailures;
    return Log(self, "CreateSoundBuffer", flags, desc->dwBufferBytes, DSERR_OUTOFMEMORY);
  }
  // Neither 3D voices nor hardware mixing.
  if (flags & (DSBCAPS_CTRL3D | DSBCAPS_LOCHARDWARE))
    return Log(self, "CreateSoundBuffer", flags, desc->dwBufferBytes, DSERR_CONTROLUNAVAIL);

  if (flags & DSBCAPS_PRIMARYBUFFER) {
    if (desc->dwBufferBytes != 0 || desc->lpwfxFormat != nullptr)
      return Log(self, "CreateSoundBuffer", flags, desc->dwBufferBytes, DSERR_INVALIDPARAM);
    if (primary_ != nullptr) {
      primary_->AddRef();
    } else {
      primary_ = new (std::nothrow) PrimaryBuffer(this, flags);
      if (primary_ == nullptr) return Log(self, "CreateSoundBuffer", flags, 0, DSERR_OUTOFMEMORY);
    }
    *out = primary_;
    return Log(self, "CreateSoundBuffer", flags, 0, DS_OK);
  }

  const WAVEFORMATEX* f = desc->lpwfxFormat;
  DWORD bytes = desc->dwBufferBytes;
  if (f == nullptr || bytes < DSBSIZE_MIN || bytes > DSBSIZE_MAX)
    return Log(self, "CreateSoundBuffer", flags, bytes, DSERR_INVALIDPARAM);
  bool ok = f->wFormatTag == WAVE_FORMAT_PCM && (f->nChannels == 1 || f->nChannels == 2) &&
            (f->wBitsPerSample == 8 || f->wBitsPerSample == 16) &&
            f->nBlockAlign == f->nChannels * f->wBitsPerSample / 8 && f->nSamplesPerSec >= DSBFREQUENCY_MIN &&
            f->nSamplesPerSec <= DSBFREQUENCY_MAX;
  if (!ok) return Log(self, "CreateSoundBuffer", flags, bytes, DSERR_BADFORMAT);
  BYTE* data = new (std::nothrow) BYTE[bytes];
  if (data == nullptr) return Log(self, "CreateSoundBuffer", flags, bytes, DSERR_OUTOFMEMORY);
  // Silence of the format.
  std::memset(data, f->wBitsPerSample == 8 ? 0x80 : 0, bytes);
  auto* buffer = new (std::nothrow) SecondaryBuffer(this, flags, *f, data, bytes);
  if (buffer == nullptr) {
    delete[] data;
    return Log(self, "CreateSoundBuffer", flags, bytes, DSERR_OUTOFMEMORY);
  }
  *out = buffer;
  return Log(self, "CreateSoundBuffer", flags, bytes, DS_OK);
}

HRESULT Device::GetCaps(DSCAPS* caps) {
  if (caps == nullptr || caps->dwSize != sizeof(DSCAPS)) return DSERR_INVALIDPARAM;
  std::memset(caps, 0, sizeof(DSCAPS));
  caps->dwSize = sizeof(DSCAPS);
  caps->dwFlags = S().test ? S().testCaps : kAllFormats;
  caps->dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
  caps->dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
  caps->dwPrimaryBuffers = 1;
  return DS_OK;
}

HRESULT Device::SetCooperativeLevel(HWND window, DWORD level) {
  const void* self = static_cast<const IDirectSound*>(this);
  if (window == nullptr || level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY)
    return Log(self, "SetCooperativeLevel", level, 0, DSERR_INVALIDPARAM);
  level_ = level;
  return Log(self, "SetCooperativeLevel", level, 0, DS_OK);
}

HRESULT Device::GetSpeakerConfig(DWORD* config) {
  if (config == nullptr) return DSERR_INVALIDPARAM;
  *config = speakers_;
  return DS_OK;
}

HRESULT Device::SetSpeakerConfig(DWORD config) {
  speakers_ = config;
  return Log(static_cast<const IDirectSound*>(this), "SetSpeakerConfig", config, 0, DS_OK);
}

}  // namespace

HRESULT DirectSoundEnumerateA(LPDSENUMCALLBACKA callback, void* context) {
  if (callback == nullptr) return DSERR_INVALIDPARAM;
  bool test = S().test;
  if (!test && !InitSdlAudio()) return DS_OK;  // no sound system: no drivers
  std::vector<OutputDevice> devices = OutputDevices();
  std::string module = ModuleName();
  if (!test) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  if (devices.empty()) return DS_OK;
  if (!callback(nullptr, "Primary Sound Driver", "", context)) return DS_OK;
  for (const OutputDevice& d : devices) {
    GUID guid = GuidForDevice(d.name);
    if (!callback(&guid, d.description.c_str(), module.c_str(), context)) break;
  }
  return DS_OK;
}

HRESULT DirectSoundCreate(const GUID* guid, IDirectSound** out, void* outer) {
  if (out == nullptr) return Log(nullptr, "DirectSoundCreate", 0, 0, DSERR_INVALIDPARAM);
  *out = nullptr;
  if (outer != nullptr) return Log(nullptr, "DirectSoundCreate", 0, 0, DSERR_NOAGGREGATION);
  bool test = S().test;
  if (!test && !InitSdlAudio()) return DSERR_NODRIVER;
  std::vector<OutputDevice> devices = OutputDevices();
  if (!test) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  const OutputDevice* chosen = nullptr;
  // Where the output stands in the enumeration (1 = first).
  long long place = 0;
  if (guid == nullptr) {
    // The primary driver: the system's default output, listed first.
    if (!devices.empty()) {
      chosen = &devices.front();
      place = 1;
    }
  } else {
    for (std::size_t i = 0; i < devices.size(); ++i) {
      if (SameGuid(GuidForDevice(devices[i].name), *guid)) {
        chosen = &devices[i];
        place = static_cast<long long>(i) + 1;
        break;
      }
    }
  }
  if (chosen == nullptr) return Log(nullptr, "DirectSoundCreate", 0, 0, DSERR_NODRIVER);
  auto* device = new (std::nothrow) Device();
  if (device == nullptr) return Log(nullptr, "DirectSoundCreate", 0, 0, DSERR_OUTOFMEMORY);
  if (!device->Open(chosen->name)) {
    device->Release();
    return Log(nullptr, "DirectSoundCreate", 0, 0, DSERR_NODRIVER);
  }
  *out = device;
  return Log(static_cast<const IDirectSound*>(device), "DirectSoundCreate", place, 0, DS_OK);
}

namespace platform {

dsound_detail::Mixer* dsound_detail::TestMixer() {
  Device* device = S().testDevice;
  return device != nullptr && S().test ? &device->mixer() : nullptr;
}

void UseTestSound(bool on) {
  State& s = S();
  s.test = on;
  s.record = true;
  s.testDrivers = {"Test Output"};
  s.testDefaultIsFirst = true;
  s.testDefaultKnown = true;
  s.testDefault.clear();
  s.testCaps = kAllFormats;
  s.createFailures = 0;
  s.lockFailures = 0;
  s.calls.clear();
}

void SetTestSoundDrivers(const std::vector<std::string>& names) { S().testDrivers = names; }

void SetTestSoundDefaultOutput(const char* name) {
  State& s = S();
  s.testDefaultIsFirst = false;
  s.testDefaultKnown = name != nullptr;
  s.testDefault = name != nullptr ? name : "";
}

const std::string& TestSoundOutput() { return S().testOpened; }

void SetTestSoundCaps(DWORD flags) { S().testCaps = flags; }

bool RenderMix(int frames, float* out) {
  Device* device = S().testDevice;
  if (frames <= 0) return device != nullptr;
  if (device == nullptr || !S().test) {
    std::fill(out, out + 2 * static_cast<std::size_t>(frames), 0.0f);
    return false;
  }
  device->mixer().Mix(out, frames);
  return true;
}

void InjectSoundBufferCreateFailures(int count) { S().createFailures = count; }

void InjectSoundLockFailures(int count, HRESULT error) {
  S().lockFailures = count;
  S().lockError = error;
}

const std::vector<SoundCall>& RecordedSoundCalls() { return S().calls; }

void ClearRecordedSoundCalls() { S().calls.clear(); }

void RecordSoundCalls(bool on) { S().record = on; }

}  // namespace platform
