#include "engine/sound_sample.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/disk_file.h"
#include "engine/sound_device.h"
#include "engine/system.h"

BYTE g_SoundMuted = 0;
BYTE g_SoundMuffled = 0;

namespace {

constexpr const char* kOpenError = "Error opening PCM audio data.\nPlease reinstall Kelvarro.";
constexpr const char* kMemoryError = "Error: not enough system memory to load audio.";

// ---- Without a device (or without a 3D buffer) ----------------------------

void NoPlay(SoundSample*, bool) {}
void NoOp(SoundSample*) {}
void NoFrequency(SoundSample*, DWORD) {}
void NoLong(SoundSample*, LONG) {}
void NoStatus(SoundSample*, DWORD*) {}
bool NoUpload(SoundSample*) { return true; }
bool NoCreateBuffer(SoundSample*, const WAVEFORMATEX*) { return true; }
void NoFloat(SoundSample*, float) {}
void NoMode(SoundSample*, DWORD) {}
void NoVector(SoundSample*, float, float, float) {}
void NoConeAngles(SoundSample*, DWORD, DWORD) {}

// ---- With a device --------------------------------------------------------
// A sample whose buffer could not be made stays silent: every operation
// checks for the buffer first.

void RealStop(SoundSample* s) {
  if (s->buffer == nullptr) return;
  s->buffer->Stop();
  s->playing = 0;
  s->buffer->SetCurrentPosition(0);
}

void RealPlay(SoundSample* s, bool loop) {
  if (s->buffer == nullptr) return;
  if (g_SoundMuted) {
    if (s->playing) {
      s->buffer->Stop();
      s->playing = 0;
    }
    return;
  }
  if (g_SoundMuffled) {
    s->buffer->SetVolume(SOUND_MUFFLED_VOLUME);
    s->volume = SOUND_MUFFLED_VOLUME;
  }
  s->buffer->Play(0, 0, loop ? DSBPLAY_LOOPING : 0);
  s->playing = 1;
}

void RealSetFrequency(SoundSample* s, DWORD hz) {
  if (s->buffer == nullptr) return;
  if (g_SoundMuted && s->playing) RealStop(s);
  if (hz == s->frequency) return;
  hz = std::clamp(hz, DSBFREQUENCY_MIN, DSBFREQUENCY_MAX);
  s->frequency = hz;
  s->buffer->SetFrequency(hz);
}

void RealSetVolume(SoundSample* s, LONG volume) {
  if (s->buffer == nullptr) return;
  if (g_SoundMuted && s->playing) RealStop(s);
  if (g_SoundMuffled) volume = SOUND_MUFFLED_VOLUME;
  if (volume == s->volume) return;
  volume = std::clamp(volume, DSBVOLUME_MIN, DSBVOLUME_MAX);
  s->volume = volume;
  s->buffer->SetVolume(volume);
}

void RealSetPan(SoundSample* s, LONG pan) {
  if (s->buffer == nullptr) return;
  if (s->is3D || s->buffer3D != nullptr) return;
  if (pan == s->pan) return;
  pan = std::clamp(pan, DSBPAN_LEFT, DSBPAN_RIGHT);
  s->pan = pan;
  s->buffer->SetPan(pan);
}

void RealGetStatus(SoundSample* s, DWORD* status) {
  if (s->buffer == nullptr || status == nullptr) return;
  DWORD st = 0;
  if (s->buffer->GetStatus(&st) == DS_OK) *status = st;
}

void RealRewind(SoundSample* s) {
  if (s->buffer == nullptr) return;
  s->buffer->SetCurrentPosition(0);
}

bool RealUpload(SoundSample* s) {
  if (s->buffer == nullptr || s->data == nullptr) return true;
  void* part1 = nullptr;
  void* part2 = nullptr;
  DWORD bytes1 = 0;
  DWORD bytes2 = 0;
  HRESULT hr = s->buffer->Lock(0, s->dataSize, &part1, &bytes1, &part2, &bytes2, 0);
  if (hr == DSERR_BUFFERLOST) {
    s->buffer->Restore();
    hr = s->buffer->Lock(0, s->dataSize, &part1, &bytes1, &part2, &bytes2, 0);
  }
  if (hr != DS_OK || part1 == nullptr) return true;
  DWORD first = std::min(bytes1, s->dataSize);
  std::memcpy(part1, s->data, first);
  if (part2 != nullptr) std::memcpy(part2, s->data + first, std::min(bytes2, s->dataSize - first));
  s->buffer->Unlock(part1, bytes1, part2, bytes2);
  return true;
}

void Real3DMinDistance(SoundSample* s, float d) {
  if (s->is3D && s->buffer3D) s->buffer3D->SetMinDistance(d, DS3D_DEFERRED);
}
void Real3DMaxDistance(SoundSample* s, float d) {
  if (s->is3D && s->buffer3D) s->buffer3D->SetMaxDistance(d, DS3D_DEFERRED);
}
void Real3DMode(SoundSample* s, DWORD mode) {
  if (s->is3D && s->buffer3D) s->buffer3D->SetMode(mode, DS3D_DEFERRED);
}
void Real3DPosition(SoundSample* s, float x, float y, float z) {
  if (s->is3D && s->buffer3D) s->buffer3D->SetPosition(x, y, z, DS3D_DEFERRED);
}
void Real3DConeAngles(SoundSample* s, DWORD inside, DWORD outside) {
  if (s->is3D && s->buffer3D) s->buffer3D->SetConeAngles(inside, outside, DS3D_DEFERRED);
}
void Real3DConeOrientation(SoundSample* s, float x, float y, float z) {
  if (s->is3D && s->buffer3D) s->buffer3D->SetConeOrientation(x, y, z, DS3D_DEFERRED);
}
void Real3DConeOutsideVolume(SoundSample* s, LONG v) {
  if (s->is3D && s->buffer3D) s->buffer3D->SetConeOutsideVolume(v, DS3D_DEFERRED);
}
void Real3DVelocity(SoundSample* s, float x, float y, float z) {
  if (s->is3D && s->buffer3D) s->buffer3D->SetVelocity(x, y, z, DS3D_DEFERRED);
}

void Install3D(SoundSample* s, bool real) {
  s->setMinDistanceOp = real ? Real3DMinDistance : NoFloat;
  s->setMaxDistanceOp = real ? Real3DMaxDistance : NoFloat;
  s->setModeOp = real ? Real3DMode : NoMode;
  s->setPositionOp = real ? Real3DPosition : NoVector;
  s->setConeAnglesOp = real ? Real3DConeAngles : NoConeAngles;
  s->setConeOrientationOp = real ? Real3DConeOrientation : NoVector;
  s->setConeOutsideVolumeOp = real ? Real3DConeOutsideVolume : NoLong;
  s->setVelocityOp = real ? Real3DVelocity : NoVector;
}

void ReleaseBuffers(SoundSample* s) {
  if (s->buffer3D != nullptr) s->buffer3D->Release();
  s->buffer3D = nullptr;
  s->is3D = 0;
  if (s->buffer != nullptr) s->buffer->Release();
  s->buffer = nullptr;
  s->playing = 0;
  Install3D(s, false);
}

bool RealCreateBuffer(SoundSample* s, const WAVEFORMATEX* format) {
  ReleaseBuffers(s);
  if (g_DirectSound == nullptr || format == nullptr) return true;
  DSCAPS caps{};
  caps.dwSize = sizeof(DSCAPS);
  if (g_DirectSound->GetCaps(&caps) != DS_OK) {
    caps = DSCAPS{};
    caps.dwSize = sizeof(DSCAPS);
  }
  DWORD flags = DSBCAPS_STATIC;
  bool hardwareChannels = (format->nChannels == 1 && (caps.dwFlags & DSCAPS_SECONDARYMONO)) ||
                          (format->nChannels == 2 && (caps.dwFlags & DSCAPS_SECONDARYSTEREO));
  bool hardwareBits = (format->wBitsPerSample == 8 && (caps.dwFlags & DSCAPS_SECONDARY8BIT)) ||
                      (format->wBitsPerSample == 16 && (caps.dwFlags & DSCAPS_SECONDARY16BIT));
  if (caps.dwFreeHwMixingStaticBuffers >= 1 && caps.dwFreeHwMemBytes >= s->dataSize && hardwareChannels && hardwareBits)
    flags |= DSBCAPS_LOCHARDWARE;
  flags |= DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME;

  DSBUFFERDESC desc{};
  desc.dwSize = sizeof(DSBUFFERDESC);
  desc.dwFlags = flags;
  desc.dwBufferBytes = s->dataSize;
  desc.lpwfxFormat = format;
  IDirectSoundBuffer* buffer = nullptr;
  if (g_DirectSound->CreateSoundBuffer(&desc, &buffer, nullptr) != DS_OK || buffer == nullptr) return true;
  s->buffer = buffer;

  DSBCAPS bufferCaps{};
  bufferCaps.dwSize = sizeof(DSBCAPS);
  void* buffer3D = nullptr;
  // Without a 3D buffer the sample stays as ReleaseBuffers left it: no 3D.
  if (buffer->GetCaps(&bufferCaps) == DS_OK && (bufferCaps.dwFlags & DSBCAPS_CTRL3D) &&
      buffer->QueryInterface(IID_IDirectSound3DBuffer, &buffer3D) == DS_OK && buffer3D != nullptr) {
    s->buffer3D = static_cast<IDirectSound3DBuffer*>(buffer3D);
    s->is3D = 1;
    Install3D(s, true);
  }
  s->SetMinDistance(10.0f);
  s->SetMaxDistance(1000000.0f);
  s->SetMode(DS3DMODE_NORMAL);
  s->SetConeOrientation(0.0f, 1.0f, 0.0f);
  s->SetConeAngles(360, 360);
  s->SetConeOutsideVolume(0);
  return true;
}

}  // namespace

SoundSample::SoundSample()
    : buffer(nullptr),
      playing(0),
      dataSize(0),
      data(nullptr),
      lowPassFormat{},
      volume(0),
      pan(0),
      frequency(SOUND_DEFAULT_FREQUENCY),
      is3D(0),
      buffer3D(nullptr) {
  bool device = g_DirectSound != nullptr;
  playOp = device ? RealPlay : NoPlay;
  stopOp = device ? RealStop : NoOp;
  setFrequencyOp = device ? RealSetFrequency : NoFrequency;
  setVolumeOp = device ? RealSetVolume : NoLong;
  setPanOp = device ? RealSetPan : NoLong;
  getStatusOp = device ? RealGetStatus : NoStatus;
  // The filter would need the PCM data, which is freed once uploaded, and
  // nothing in the game calls it.
  lowPassOp = NoOp;
  rewindOp = device ? RealRewind : NoOp;
  uploadOp = device ? RealUpload : NoUpload;
  createBufferOp = device ? RealCreateBuffer : NoCreateBuffer;
  Install3D(this, false);
}

SoundSample::~SoundSample() {
  if (buffer3D != nullptr) buffer3D->Release();
  if (buffer != nullptr) buffer->Release();
  delete[] data;
}

bool SoundSample::Load(const char* path) {
  ReadSfx(path);
  return true;
}

bool SoundSample::ReadSfx(const char* path) {
  // A sample loaded again starts from nothing: a bad file leaves it silent.
  ReleaseBuffers(this);
  delete[] data;
  data = nullptr;
  dataSize = 0;

  DiskFile file;
  if (path == nullptr || !file.Open(path, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) {
    ShowMessageBox(kOpenError, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  int size = file.Size();
  BYTE header[4];
  if (size < 4 || !file.Read(header, 4)) {
    ShowMessageBox(kOpenError, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  DWORD bytes = static_cast<DWORD>(size) - 4;
  WORD bits = header[0];
  WORD channels = header[1];
  DWORD rate = static_cast<DWORD>(header[2]) | static_cast<DWORD>(header[3]) << 8;
  // A file no device can play is as bad as a missing one: less than the
  // smallest buffer, or a format outside 8/16 bits, mono/stereo, 100 Hz up.
  if ((bits != 8 && bits != 16) || (channels != 1 && channels != 2) || rate < DSBFREQUENCY_MIN || bytes < DSBSIZE_MIN) {
    ShowMessageBox(kOpenError, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }

  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = channels;
  format.nSamplesPerSec = rate;
  format.nBlockAlign = static_cast<WORD>(bits * channels / 8);
  format.nAvgBytesPerSec = format.nBlockAlign * rate;
  format.wBitsPerSample = bits;
  format.cbSize = 0;

  data = new (std::nothrow) BYTE[bytes];
  if (data == nullptr) {
    ShowMessageBox(kMemoryError, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  dataSize = bytes;
  if (!file.Read(data, static_cast<int>(bytes))) {
    delete[] data;
    data = nullptr;
    dataSize = 0;
    ShowMessageBox(kOpenError, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  CreateBuffer(&format);
  Upload();
  delete[] data;
  data = nullptr;
  file.Close();
  return true;
}

float SoundSample::PlaySeconds() {
  if (buffer == nullptr) return 0.0f;
  WAVEFORMATEX format{};
  DWORD hz = 0;
  if (buffer->GetFormat(&format, sizeof format, nullptr) != DS_OK || format.nBlockAlign == 0) return 0.0f;
  if (buffer->GetFrequency(&hz) != DS_OK || hz == 0) return 0.0f;
  const DWORD frames = dataSize / format.nBlockAlign;
  return static_cast<float>(frames) / static_cast<float>(hz);
}

void SoundSample::Enable3D(bool on) {
  if (on) {
    is3D = buffer3D != nullptr ? 1 : 0;
    return;
  }
  if (buffer3D != nullptr) buffer3D->SetMode(DS3DMODE_DISABLE, DS3D_IMMEDIATE);
  is3D = 0;
}
