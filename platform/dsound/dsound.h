// DirectSound-shaped sound device. Our own declarations of the interface the
// game was written against: driver enumeration, the device, the primary
// buffer and static secondary buffers with volume, pan and frequency control.
//
// The device is a software mixer over SDL2's audio output (44.1 kHz stereo).
// It has no hardware mixing and no 3D voices: its capabilities say so, and
// buffers asking for 3D control or hardware placement are refused.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/types.h"


#ifndef _WAVEFORMATEX_
#define _WAVEFORMATEX_
struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
};
#endif
constexpr WORD WAVE_FORMAT_PCM = 1;

using D3DVALUE = float;
struct D3DVECTOR {
  D3DVALUE x;
  D3DVALUE y;
  D3DVALUE z;
};

// ---- Results ----------------------------------------------------------------

constexpr HRESULT DS_OK = 0;
constexpr HRESULT DSERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DSERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DSERR_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DSERR_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT DSERR_ALLOCATED = static_cast<HRESULT>(0x8878000Au);
constexpr HRESULT DSERR_CONTROLUNAVAIL = static_cast<HRESULT>(0x8878001Eu);
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032u);
constexpr HRESULT DSERR_PRIOLEVELNEEDED = static_cast<HRESULT>(0x88780046u);
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);
constexpr HRESULT DSERR_ALREADYINITIALIZED = static_cast<HRESULT>(0x88780082u);
constexpr HRESULT DSERR_BUFFERLOST = static_cast<HRESULT>(0x88780096u);
constexpr HRESULT DSERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x887800A0u);
constexpr HRESULT DSERR_UNINITIALIZED = static_cast<HRESULT>(0x887800AAu);

// ---- Constants ----------------------------------------------------------------

// Device capabilities (DSCAPS::dwFlags).
constexpr DWORD DSCAPS_PRIMARYMONO = 0x00000001;
constexpr DWORD DSCAPS_PRIMARYSTEREO = 0x00000002;
constexpr DWORD DSCAPS_PRIMARY8BIT = 0x00000004;
constexpr DWORD DSCAPS_PRIMARY16BIT = 0x00000008;
constexpr DWORD DSCAPS_CONTINUOUSRATE = 0x00000010;
constexpr DWORD DSCAPS_EMULDRIVER = 0x00000020;
constexpr DWORD DSCAPS_CERTIFIED = 0x00000040;
constexpr DWORD DSCAPS_SECONDARYMONO = 0x00000100;
constexpr DWORD DSCAPS_SECONDARYSTEREO = 0x00000200;
constexpr DWORD DSCAPS_SECONDARY8BIT = 0x00000400;
constexpr DWORD DSCAPS_SECONDARY16BIT = 0x00000800;

// Buffer capabilities (DSBUFFERDESC::dwFlags, DSBCAPS::dwFlags).
constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_LOCHARDWARE = 0x00000004;
constexpr DWORD DSBCAPS_LOCSOFTWARE = 0x00000008;
constexpr DWORD DSBCAPS_CTRL3D = 0x00000010;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr DWORD DSBCAPS_CTRLPOSITIONNOTIFY = 0x00000100;
constexpr DWORD DSBCAPS_STICKYFOCUS = 0x00004000;
constexpr DWORD DSBCAPS_GLOBALFOCUS = 0x00008000;
constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x00010000;
constexpr DWORD DSBCAPS_MUTE3DATMAXDISTANCE = 0x00020000;

constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x00000002;
constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;

constexpr DWORD DSBPLAY_LOOPING = 0x00000001;

constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x00000001;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x00000002;

constexpr DWORD DSSCL_NORMAL = 1;
constexpr DWORD DSSCL_PRIORITY = 2;
constexpr DWORD DSSCL_EXCLUSIVE = 3;
constexpr DWORD DSSCL_WRITEPRIMARY = 4;

constexpr DWORD DSSPEAKER_HEADPHONE = 1;
constexpr DWORD DSSPEAKER_MONO = 2;
constexpr DWORD DSSPEAKER_QUAD = 3;
constexpr DWORD DSSPEAKER_STEREO = 4;
constexpr DWORD DSSPEAKER_SURROUND = 5;

// Volume in hundredths of a decibel; -10000 is silence.
constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;
// Pan in hundredths of a decibel of attenuation of the other side.
constexpr LONG DSBPAN_LEFT = -10000;
constexpr LONG DSBPAN_CENTER = 0;
constexpr LONG DSBPAN_RIGHT = 10000;
constexpr DWORD DSBFREQUENCY_ORIGINAL = 0;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 100000;
constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

constexpr DWORD DS3DMODE_NORMAL = 0;
constexpr DWORD DS3DMODE_HEADRELATIVE = 1;
constexpr DWORD DS3DMODE_DISABLE = 2;
constexpr DWORD DS3D_IMMEDIATE = 0;
constexpr DWORD DS3D_DEFERRED = 1;

// ---- Records --------------------------------------------------------------

struct DSCAPS {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwMinSecondarySampleRate;
  DWORD dwMaxSecondarySampleRate;
  DWORD dwPrimaryBuffers;
  DWORD dwMaxHwMixingAllBuffers;
  DWORD dwMaxHwMixingStaticBuffers;
  DWORD dwMaxHwMixingStreamingBuffers;
  DWORD dwFreeHwMixingAllBuffers;
  DWORD dwFreeHwMixingStaticBuffers;
  DWORD dwFreeHwMixingStreamingBuffers;
  DWORD dwMaxHw3DAllBuffers;
  DWORD dwMaxHw3DStaticBuffers;
  DWORD dwMaxHw3DStreamingBuffers;
  DWORD dwFreeHw3DAllBuffers;
  DWORD dwFreeHw3DStaticBuffers;
  DWORD dwFreeHw3DStreamingBuffers;
  DWORD dwTotalHwMemBytes;
  DWORD dwFreeHwMemBytes;
  DWORD dwMaxContigFreeHwMemBytes;
  DWORD dwUnlockTransferRateHwBuffers;
  DWORD dwPlayCpuOverheadSwBuffers;
  DWORD dwReserved1;
  DWORD dwReserved2;
};

struct DSBCAPS {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwUnlockTransferRate;
  DWORD dwPlayCpuOverhead;
};

struct DSBUFFERDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;  // 0 for the primary buffer
  DWORD dwReserved;
  const WAVEFORMATEX* lpwfxFormat;  // null for the primary buffer
};

// ---- Interfaces ---------------------------------------------------------------

// Interface identifiers for QueryInterface.
extern const GUID IID_IDirectSoundBuffer;
extern const GUID IID_IDirectSound3DBuffer;
extern const GUID IID_IDirectSound3DListener;

class IDirectSound3DBuffer {
 public:
  virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
  virtual DWORD AddRef() = 0;
  virtual DWORD Release() = 0;
  virtual HRESULT SetConeAngles(DWORD inside, DWORD outside, DWORD apply) = 0;
  virtual HRESULT SetConeOrientation(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
  virtual HRESULT SetConeOutsideVolume(LONG volume, DWORD apply) = 0;
  virtual HRESULT SetMaxDistance(D3DVALUE distance, DWORD apply) = 0;
  virtual HRESULT SetMinDistance(D3DVALUE distance, DWORD apply) = 0;
  virtual HRESULT SetMode(DWORD mode, DWORD apply) = 0;
  virtual HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
  virtual HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;

 protected:
  ~IDirectSound3DBuffer() = default;
};

class IDirectSound3DListener {
 public:
  virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
  virtual DWORD AddRef() = 0;
  virtual DWORD Release() = 0;
  virtual HRESULT CommitDeferredSettings() = 0;
  virtual HRESULT SetOrientation(D3DVALUE frontX, D3DVALUE frontY, D3DVALUE frontZ, D3DVALUE topX, D3DVALUE topY,
                                 D3DVALUE topZ, DWORD apply) = 0;
  virtual HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
  virtual HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;

 protected:
  ~IDirectSound3DListener() = default;
};

class IDirectSoundBuffer {
 public:
  virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
  virtual DWORD AddRef() = 0;
  virtual DWORD Release() = 0;
  virtual HRESULT GetCaps(DSBCAPS* caps) = 0;
  // Byte offsets of the play and write cursors.
  virtual HRESULT GetCurrentPosition(DWORD* play, DWORD* write) = 0;
  virtual HRESULT GetFormat(WAVEFORMATEX* format, DWORD size, DWORD* written) = 0;
  virtual HRESULT GetVolume(LONG* volume) = 0;
  virtual HRESULT GetPan(LONG* pan) = 0;
  virtual HRESULT GetFrequency(DWORD* hz) = 0;
  virtual HRESULT GetStatus(DWORD* status) = 0;
  // Plays from the current position, once or looping (DSBPLAY_LOOPING). A
  // one-shot that reaches its end stops and goes back to the start.
  virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
  // Stops; the position stays where it is.
  virtual HRESULT Stop() = 0;
  virtual HRESULT SetCurrentPosition(DWORD offset) = 0;
  virtual HRESULT SetFormat(const WAVEFORMATEX* format) = 0;
  virtual HRESULT SetVolume(LONG volume) = 0;
  virtual HRESULT SetPan(LONG pan) = 0;
  // DSBFREQUENCY_ORIGINAL (0) goes back to the format's rate.
  virtual HRESULT SetFrequency(DWORD hz) = 0;
  // One lock at a time; a region past the end wraps to the start (second part).
  virtual HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2,
                       DWORD flags) = 0;
  virtual HRESULT Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) = 0;
  virtual HRESULT Restore() = 0;

 protected:
  ~IDirectSoundBuffer() = default;
};

class IDirectSound {
 public:
  virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
  virtual DWORD AddRef() = 0;
  virtual DWORD Release() = 0;
  virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** out, void* outer) = 0;
  virtual HRESULT GetCaps(DSCAPS* caps) = 0;
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
  virtual HRESULT GetSpeakerConfig(DWORD* config) = 0;
  virtual HRESULT SetSpeakerConfig(DWORD config) = 0;

 protected:
  ~IDirectSound() = default;
};

// Called with a null GUID for the primary driver, then once per output
// device, the system's default output first; returning FALSE stops the
// enumeration.
using LPDSENUMCALLBACKA = BOOL (*)(GUID* guid, const char* description, const char* module, void* context);

HRESULT DirectSoundEnumerateA(LPDSENUMCALLBACKA callback, void* context);
// A null GUID opens the primary driver (the system's default output).
HRESULT DirectSoundCreate(const GUID* guid, IDirectSound** out, void* outer);

namespace platform {

// Output format of the mixer.
constexpr int SOUND_OUTPUT_RATE = 44100;
constexpr int SOUND_OUTPUT_CHANNELS = 2;
// Secondary buffers mixed at once; any further playing buffers are skipped.
constexpr int SOUND_MAX_MIXED_VOICES = 256;

// Test backend: no SDL audio. Enumeration lists the test drivers, devices
// open without an output stream and the mix is rendered on demand with
// RenderMix. Switching it on or off forgets faults and the call log.
void UseTestSound(bool on);
// The output devices the test enumeration lists after the primary driver
// (default: one, "Test Output"). An empty list: a machine without sound.
void SetTestSoundDrivers(const std::vector<std::string>& names);
// The output the test system reports as its default (by default the first
// test driver). Enumeration lists it first; a name not among the drivers, or
// null for a system that cannot tell, puts SDL's unnamed default device first.
void SetTestSoundDefaultOutput(const char* name);
// The driver name the current test device opened ("" for the unnamed default
// device, or when no test device is open).
const std::string& TestSoundOutput();
// Device capability flags the test device reports (default: every
// DSCAPS_PRIMARY* and DSCAPS_SECONDARY* format, emulated driver).
void SetTestSoundCaps(DWORD flags);

// Mixes `frames` frames of the current test device into `out`
// (interleaved stereo floats, SOUND_OUTPUT_RATE). False, with silence in
// `out`, when there is no test device.
bool RenderMix(int frames, float* out);

// Fault injection (test backend): the next `count` CreateSoundBuffer calls
// (primary or secondary) fail with DSERR_OUTOFMEMORY; the next `count` Lock
// calls fail with `error` (DSERR_BUFFERLOST also marks the buffer lost until
// Restore).
void InjectSoundBufferCreateFailures(int count);
void InjectSoundLockFailures(int count, HRESULT error);

// Call log of the test backend: device and buffer calls that succeeded or
// failed, in order.
struct SoundCall {
  const void* object;  // the IDirectSound or IDirectSoundBuffer called
  std::string op;      // "SetVolume", "Play", "CreateSoundBuffer"...
  long long a;         // first argument (volume, flags, offset...), 0 when none
  long long b;         // second argument, 0 when none
  HRESULT result;
};
const std::vector<SoundCall>& RecordedSoundCalls();
void ClearRecordedSoundCalls();
// The log is kept from UseTestSound(true) on; long runs (benchmarks) can stop it.
void RecordSoundCalls(bool on);

}  // namespace platform
