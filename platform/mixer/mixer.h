// The audio mixer API (mixerOpen and its line and control calls) with Win32
// semantics. The one mixer device is the program's own audio output: six
// lines whose volume and mute controls are gains in it (platform/dsound
// output stage), never the desktop's volume. Master scales everything the
// program plays, the CD line the CD stream, the wave line every sound
// buffer; the digital, auxiliary and synthesizer lines keep their values but
// have no source. The lines start each run at full volume, unmuted.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/types.h"

struct HMIXER__;
using HMIXER = HMIXER__*;
struct HMIXEROBJ__;
using HMIXEROBJ = HMIXEROBJ__*;
using MMRESULT = UINT;
using DWORD_PTR = std::uintptr_t;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MIXERR_INVALLINE = 1024;
constexpr MMRESULT MIXERR_INVALCONTROL = 1025;

constexpr DWORD CALLBACK_NULL = 0;
// The object of the line and control calls is an HMIXER.
constexpr DWORD MIXER_OBJECTF_HMIXER = 0x80000000u;
constexpr DWORD MIXER_GETLINEINFOF_COMPONENTTYPE = 0x3;
constexpr DWORD MIXER_GETLINECONTROLSF_ONEBYTYPE = 0x2;
constexpr DWORD MIXER_GETCONTROLDETAILSF_VALUE = 0x0;
constexpr DWORD MIXER_SETCONTROLDETAILSF_VALUE = 0x0;

constexpr DWORD MIXERLINE_COMPONENTTYPE_DST_SPEAKERS = 0x4;
constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_DIGITAL = 0x1001;
constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER = 0x1004;
constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC = 0x1005;
constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT = 0x1008;
constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY = 0x1009;

constexpr DWORD MIXERCONTROL_CONTROLTYPE_VOLUME = 0x50030001u;
constexpr DWORD MIXERCONTROL_CONTROLTYPE_MUTE = 0x20010002u;

constexpr DWORD MIXERLINE_LINEF_ACTIVE = 0x1;

struct MIXERLINEA {
  DWORD cbStruct;
  DWORD dwDestination;
  DWORD dwSource;
  DWORD dwLineID;
  DWORD fdwLine;
  DWORD_PTR dwUser;
  DWORD dwComponentType;
  DWORD cChannels;
  DWORD cConnections;
  DWORD cControls;
  char szShortName[16];
  char szName[64];
};

struct MIXERCONTROLA {
  DWORD cbStruct;
  DWORD dwControlID;
  DWORD dwControlType;
  DWORD fdwControl;
  DWORD cMultipleItems;
  char szShortName[16];
  char szName[64];
  union {
    struct {
      LONG lMinimum;
      LONG lMaximum;
    } s;
    struct {
      DWORD dwMinimum;
      DWORD dwMaximum;
    } u;
    DWORD dwReserved[6];
  } Bounds;
  union {
    DWORD cSteps;
    DWORD dwReserved[6];
  } Metrics;
};

struct MIXERLINECONTROLSA {
  DWORD cbStruct;
  DWORD dwLineID;
  union {
    DWORD dwControlID;
    DWORD dwControlType;
  };
  DWORD cControls;
  DWORD cbmxctrl;
  MIXERCONTROLA* pamxctrl;
};

struct MIXERCONTROLDETAILS {
  DWORD cbStruct;
  DWORD dwControlID;
  // 1 sets every channel to the first value.
  DWORD cChannels;
  DWORD cMultipleItems;
  DWORD cbDetails;
  void* paDetails;
};

struct MIXERCONTROLDETAILS_UNSIGNED {
  DWORD dwValue;
};

struct MIXERCONTROLDETAILS_BOOLEAN {
  LONG fValue;
};

UINT mixerGetNumDevs();
// Device 0 only; the callback must be CALLBACK_NULL.
MMRESULT mixerOpen(HMIXER* mixer, UINT deviceId, DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
MMRESULT mixerClose(HMIXER mixer);
MMRESULT mixerGetLineInfoA(HMIXEROBJ mixer, MIXERLINEA* line, DWORD flags);
MMRESULT mixerGetLineControlsA(HMIXEROBJ mixer, MIXERLINECONTROLSA* controls, DWORD flags);
MMRESULT mixerGetControlDetailsA(HMIXEROBJ mixer, MIXERCONTROLDETAILS* details, DWORD flags);
MMRESULT mixerSetControlDetails(HMIXEROBJ mixer, MIXERCONTROLDETAILS* details, DWORD flags);

namespace platform {

// Bounds of every line's volume control.
constexpr DWORD MIXER_VOLUME_MAX = 65535;

// Test backend: the same six lines, with every call recorded, chosen calls
// failing, and the shape of the device settable (no device, a line missing or
// without controls, other volume bounds). Switching either way puts every
// line back to full volume, unmuted, and forgets the record and the faults.
void UseTestMixer(bool on);

enum class TestMixerFailure { OPEN, CLOSE, GET_LINE_INFO, GET_LINE_CONTROLS, GET_DETAILS, SET_DETAILS, COUNT };
void FailTestMixer(TestMixerFailure call, bool fail);
// No mixer device at all: mixerGetNumDevs is 0 and mixerOpen fails.
void SetTestMixerPresent(bool present);
// The line of a component type is missing, or has no controls.
void SetTestMixerLineMissing(DWORD componentType, bool missing);
void SetTestMixerLineWithoutControls(DWORD componentType, bool without);
// Volume bounds of every line (the defaults are 0..MIXER_VOLUME_MAX).
void SetTestMixerVolumeBounds(DWORD minimum, DWORD maximum);

struct MixerCall {
  // "mixerOpen", "mixerClose", "mixerGetLineInfo", "mixerGetLineControls",
  // "mixerGetControlDetails", "mixerSetControlDetails".
  std::string op;
  DWORD line;       // component type of the line concerned, 0 when none
  DWORD control;    // control type concerned, 0 when none
  DWORD values[2];  // the details' values per channel (one channel: both the same)
  MMRESULT result;
};
const std::vector<MixerCall>& RecordedMixerCalls();
void ClearRecordedMixerCalls();
// Also told of every call, as it completes (for logs across devices).
void SetMixerCallObserver(std::function<void(const MixerCall&)> observer);

// The current value of a line's volume control per channel and of its mute
// control, whichever backend runs.
void MixerLineState(DWORD componentType, DWORD* left, DWORD* right, bool* muted);

}  // namespace platform
