// One sound effect: a short PCM sound from a .SFX file in its own static
// secondary buffer, played once or looped, with volume, pan and frequency
// changed while it plays.
//
// The record carries its operations as function pointers, chosen when it is
// constructed: real ones while a sound device exists, do-nothing ones
// otherwise, so every caller can use every sample without asking. The 3D
// operations are chosen again when the buffer is created.
//
// .SFX file, little-endian: u8 bits per sample (8 or 16), u8 channels (1 or
// 2), u16 sample rate in Hz, then the PCM data to the end of the file
// (8-bit unsigned or 16-bit signed, channels interleaved).
#pragma once

#include "platform/dsound/dsound.h"
#include "platform/win32/types.h"

// While set, samples do not start, and a change of volume or frequency stops
// a playing sample.
extern BYTE g_SoundMuted;
// While set, every play and every volume change uses -4000 (set by the race,
// cleared by every new scene).
extern BYTE g_SoundMuffled;

constexpr LONG SOUND_MUFFLED_VOLUME = -4000;
constexpr DWORD SOUND_DEFAULT_FREQUENCY = 22050;

struct SoundSample {
  using PlayOp = void (*)(SoundSample* self, bool loop);
  using VoidOp = void (*)(SoundSample* self);
  using FrequencyOp = void (*)(SoundSample* self, DWORD hz);
  using LongOp = void (*)(SoundSample* self, LONG value);
  using StatusOp = void (*)(SoundSample* self, DWORD* status);
  using UploadOp = bool (*)(SoundSample* self);
  using CreateBufferOp = bool (*)(SoundSample* self, const WAVEFORMATEX* format);
  using FloatOp = void (*)(SoundSample* self, float value);
  using ModeOp = void (*)(SoundSample* self, DWORD mode);
  using VectorOp = void (*)(SoundSample* self, float x, float y, float z);
  using ConeAnglesOp = void (*)(SoundSample* self, DWORD inside, DWORD outside);

  // Operations, in the record's order.
  PlayOp playOp;
  VoidOp stopOp;
  FrequencyOp setFrequencyOp;
  LongOp setVolumeOp;
  LongOp setPanOp;
  StatusOp getStatusOp;
  VoidOp lowPassOp;
  VoidOp rewindOp;
  UploadOp uploadOp;
  CreateBufferOp createBufferOp;
  FloatOp setMinDistanceOp;
  FloatOp setMaxDistanceOp;
  ModeOp setModeOp;
  VectorOp setPositionOp;
  ConeAnglesOp setConeAnglesOp;
  VectorOp setConeOrientationOp;
  LongOp setConeOutsideVolumeOp;
  VectorOp setVelocityOp;

  IDirectSoundBuffer* buffer;
  BYTE playing;    // set by Play, cleared by Stop
  DWORD dataSize;  // bytes of PCM data
  BYTE* data;      // the PCM data, held only while loading
  DWORD lowPassFormat[4];
  LONG volume;      // cached, hundredths of a decibel, 0 = full
  LONG pan;         // cached
  DWORD frequency;  // cached, Hz
  BYTE is3D;
  IDirectSound3DBuffer* buffer3D;

  SoundSample();
  ~SoundSample();
  SoundSample(const SoundSample&) = delete;
  SoundSample& operator=(const SoundSample&) = delete;

  // Reads the .SFX file into a new buffer. Always true: a failure has been
  // reported in a box and leaves the sample silent.
  bool Load(const char* path);
  bool ReadSfx(const char* path);
  void Enable3D(bool on);
  // How long one play from the start lasts at the buffer's frequency, in
  // seconds; 0 without a buffer.
  float PlaySeconds();

  // Calls through the operation pointers.
  void Play(bool loop) { playOp(this, loop); }
  void Stop() { stopOp(this); }
  void SetFrequency(DWORD hz) { setFrequencyOp(this, hz); }
  void SetVolume(LONG v) { setVolumeOp(this, v); }
  void SetPan(LONG p) { setPanOp(this, p); }
  // Leaves *status unchanged when there is nothing to ask.
  void GetStatus(DWORD* status) { getStatusOp(this, status); }
  void LowPass() { lowPassOp(this); }
  void Rewind() { rewindOp(this); }
  bool Upload() { return uploadOp(this); }
  bool CreateBuffer(const WAVEFORMATEX* format) { return createBufferOp(this, format); }
  void SetMinDistance(float d) { setMinDistanceOp(this, d); }
  void SetMaxDistance(float d) { setMaxDistanceOp(this, d); }
  void SetMode(DWORD mode) { setModeOp(this, mode); }
  void SetPosition(float x, float y, float z) { setPositionOp(this, x, y, z); }
  void SetConeAngles(DWORD inside, DWORD outside) { setConeAnglesOp(this, inside, outside); }
  void SetConeOrientation(float x, float y, float z) { setConeOrientationOp(this, x, y, z); }
  void SetConeOutsideVolume(LONG v) { setConeOutsideVolumeOp(this, v); }
  void SetVelocity(float x, float y, float z) { setVelocityOp(this, x, y, z); }
};

// A sample played once, as the game's frames see it: it runs for the
// sample's length in frame time from its start. Whatever the game decides
// from it (random numbers drawn, a sound started again) then follows the
// frames alone. The buffer's own status follows the audio thread's clock,
// and a decision taken from it would send a race another way on every run.
struct OneShotClock {
  float left = 0.0f;  // seconds of the play still to come

  // After `s` was told to play once: a sample that did not start (no
  // buffer, sound muted) is not running.
  void Start(SoundSample* s) { left = s->playing ? s->PlaySeconds() : 0.0f; }
  void Advance(float dt) { left = left > dt ? left - dt : 0.0f; }
  bool Running() const { return left > 0.0f; }
  void Clear() { left = 0.0f; }
};
