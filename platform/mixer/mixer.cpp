#include "platform/mixer/mixer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/mixer/backend.h"

namespace mixer_detail {
namespace {

constexpr int kLines = static_cast<int>(Line::COUNT);
constexpr DWORD kChannels = 2;

struct LineInfo {
  DWORD componentType;
  const char* shortName;
  const char* name;
};

constexpr LineInfo kLineInfo[kLines] = {
    {MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, "Master", "Master Volume"},
    {MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, "CD", "CD Audio"},
    {MIXERLINE_COMPONENTTYPE_SRC_DIGITAL, "Digital", "Digital"},
    {MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY, "Aux", "Auxiliary"},
    {MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, "Wave", "Wave"},
    {MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER, "Synth", "Synthesizer"},
};

// A name cut to its field, always terminated.
template <std::size_t N>
void CopyName(char (&field)[N], const char* name) {
  const std::size_t n = std::min(std::strlen(name), N - 1);
  std::memcpy(field, name, n);
  field[n] = '\0';
}

// Control ids: two per line, the volume control first.
DWORD VolumeControlId(int line) { return 2 * static_cast<DWORD>(line) + 1; }
DWORD MuteControlId(int line) { return 2 * static_cast<DWORD>(line) + 2; }

struct LineState {
  std::array<DWORD, kChannels> volume{platform::MIXER_VOLUME_MAX, platform::MIXER_VOLUME_MAX};
  bool muted = false;
};

struct State {
  std::array<LineState, kLines> lines;
  std::set<std::uintptr_t> handles;
  std::uintptr_t nextHandle = 0x4D580;
};

State& S() {
  static State s;
  return s;
}

int LineOfType(DWORD type) {
  for (int i = 0; i < kLines; ++i)
    if (kLineInfo[i].componentType == type) return i;
  return -1;
}

bool ValidObject(HMIXEROBJ object, DWORD flags) {
  // Only mixer handles are accepted as objects (the game opens the device).
  if ((flags & MIXER_OBJECTF_HMIXER) == 0) return false;
  return S().handles.count(reinterpret_cast<std::uintptr_t>(object)) != 0;
}

MMRESULT Note(const char* op, DWORD line, DWORD control, DWORD left, DWORD right, MMRESULT result) {
  CurrentBackend().Note({op, line, control, {left, right}, result});
  return result;
}

float Gain(DWORD value, DWORD minimum, DWORD maximum, bool muted) {
  if (muted || maximum <= minimum || value <= minimum) return 0.0f;
  if (value >= maximum) return 1.0f;
  return static_cast<float>(value - minimum) / static_cast<float>(maximum - minimum);
}

void ApplyLine(int line) {
  Backend& b = CurrentBackend();
  DWORD minimum = 0, maximum = 0;
  b.Bounds(&minimum, &maximum);
  const LineState& l = S().lines[line];
  b.Apply(static_cast<Line>(line), Gain(l.volume[0], minimum, maximum, l.muted),
          Gain(l.volume[1], minimum, maximum, l.muted));
}

// The control of an id, as line and kind; false for an unknown control or a
// line the device lacks.
bool FindControl(DWORD id, int* line, bool* volume) {
  if (id == 0 || id > 2 * kLines) return false;
  *line = static_cast<int>((id - 1) / 2);
  *volume = (id - 1) % 2 == 0;
  Backend& b = CurrentBackend();
  return !b.LineMissing(static_cast<Line>(*line)) && !b.LineWithoutControls(static_cast<Line>(*line));
}

}  // namespace

void ResetLines() {
  Backend& b = CurrentBackend();
  DWORD minimum = 0, maximum = 0;
  b.Bounds(&minimum, &maximum);
  for (int i = 0; i < kLines; ++i) {
    S().lines[i].volume.fill(maximum);
    S().lines[i].muted = false;
    ApplyLine(i);
  }
}

}  // namespace mixer_detail

using mixer_detail::Backend;
using mixer_detail::CurrentBackend;
using platform::TestMixerFailure;

UINT mixerGetNumDevs() { return CurrentBackend().Present() ? 1 : 0; }

MMRESULT mixerOpen(HMIXER* mixer, UINT deviceId, DWORD_PTR callback, DWORD_PTR, DWORD flags) {
  using mixer_detail::Note;
  Backend& b = CurrentBackend();
  if (mixer == nullptr) return Note("mixerOpen", 0, 0, 0, 0, MMSYSERR_INVALPARAM);
  *mixer = nullptr;
  if (callback != CALLBACK_NULL || flags != CALLBACK_NULL) return Note("mixerOpen", 0, 0, 0, 0, MMSYSERR_INVALFLAG);
  if (!b.Present() || deviceId != 0) return Note("mixerOpen", 0, 0, 0, 0, MMSYSERR_BADDEVICEID);
  if (b.Fails(TestMixerFailure::OPEN)) return Note("mixerOpen", 0, 0, 0, 0, MMSYSERR_NODRIVER);
  std::uintptr_t h = mixer_detail::S().nextHandle++;
  mixer_detail::S().handles.insert(h);
  *mixer = reinterpret_cast<HMIXER>(h);
  return Note("mixerOpen", 0, 0, 0, 0, MMSYSERR_NOERROR);
}

MMRESULT mixerClose(HMIXER mixer) {
  using mixer_detail::Note;
  auto& handles = mixer_detail::S().handles;
  auto it = handles.find(reinterpret_cast<std::uintptr_t>(mixer));
  if (it == handles.end()) return Note("mixerClose", 0, 0, 0, 0, MMSYSERR_INVALHANDLE);
  if (CurrentBackend().Fails(TestMixerFailure::CLOSE)) return Note("mixerClose", 0, 0, 0, 0, MMSYSERR_ERROR);
  handles.erase(it);
  return Note("mixerClose", 0, 0, 0, 0, MMSYSERR_NOERROR);
}

MMRESULT mixerGetLineInfoA(HMIXEROBJ object, MIXERLINEA* line, DWORD flags) {
  using namespace mixer_detail;
  if (line == nullptr || line->cbStruct < sizeof(MIXERLINEA))
    return Note("mixerGetLineInfo", 0, 0, 0, 0, MMSYSERR_INVALPARAM);
  const DWORD type = line->dwComponentType;
  if (!ValidObject(object, flags)) return Note("mixerGetLineInfo", type, 0, 0, 0, MMSYSERR_INVALHANDLE);
  // Only the query by component type is offered.
  if ((flags & 0xF) != MIXER_GETLINEINFOF_COMPONENTTYPE)
    return Note("mixerGetLineInfo", type, 0, 0, 0, MMSYSERR_INVALFLAG);
  Backend& b = CurrentBackend();
  const int i = LineOfType(type);
  if (i < 0 || b.LineMissing(static_cast<Line>(i))) return Note("mixerGetLineInfo", type, 0, 0, 0, MIXERR_INVALLINE);
  if (b.Fails(TestMixerFailure::GET_LINE_INFO)) return Note("mixerGetLineInfo", type, 0, 0, 0, MMSYSERR_ERROR);
  const DWORD size = line->cbStruct;
  std::memset(line, 0, sizeof(MIXERLINEA));
  line->cbStruct = size;
  line->dwDestination = 0;
  line->dwSource = i == 0 ? 0 : static_cast<DWORD>(i - 1);
  line->dwLineID = i == 0 ? 0 : 0x10000u * static_cast<DWORD>(i);
  line->fdwLine = MIXERLINE_LINEF_ACTIVE;
  line->dwComponentType = type;
  line->cChannels = kChannels;
  line->cConnections = i == 0 ? kLines - 1 : 0;
  line->cControls = b.LineWithoutControls(static_cast<Line>(i)) ? 0 : 2;
  CopyName(line->szShortName, kLineInfo[i].shortName);
  CopyName(line->szName, kLineInfo[i].name);
  return Note("mixerGetLineInfo", type, 0, 0, 0, MMSYSERR_NOERROR);
}

MMRESULT mixerGetLineControlsA(HMIXEROBJ object, MIXERLINECONTROLSA* controls, DWORD flags) {
  using namespace mixer_detail;
  if (controls == nullptr || controls->cbStruct < sizeof(MIXERLINECONTROLSA))
    return Note("mixerGetLineControls", 0, 0, 0, 0, MMSYSERR_INVALPARAM);
  const DWORD type = controls->dwControlType;
  const DWORD id = controls->dwLineID;
  const int i = id == 0 ? 0 : (id % 0x10000u == 0 ? static_cast<int>(id / 0x10000u) : -1);
  const DWORD lineType = i >= 0 && i < kLines ? kLineInfo[i].componentType : 0;
  if (!ValidObject(object, flags)) return Note("mixerGetLineControls", lineType, type, 0, 0, MMSYSERR_INVALHANDLE);
  if ((flags & 0xF) != MIXER_GETLINECONTROLSF_ONEBYTYPE)
    return Note("mixerGetLineControls", lineType, type, 0, 0, MMSYSERR_INVALFLAG);
  if (controls->cControls != 1 || controls->pamxctrl == nullptr || controls->cbmxctrl < sizeof(MIXERCONTROLA))
    return Note("mixerGetLineControls", lineType, type, 0, 0, MMSYSERR_INVALPARAM);
  Backend& b = CurrentBackend();
  if (i < 0 || i >= kLines || b.LineMissing(static_cast<Line>(i)))
    return Note("mixerGetLineControls", lineType, type, 0, 0, MIXERR_INVALLINE);
  if ((type != MIXERCONTROL_CONTROLTYPE_VOLUME && type != MIXERCONTROL_CONTROLTYPE_MUTE) ||
      b.LineWithoutControls(static_cast<Line>(i)))
    return Note("mixerGetLineControls", lineType, type, 0, 0, MIXERR_INVALCONTROL);
  if (b.Fails(TestMixerFailure::GET_LINE_CONTROLS)) return Note("mixerGetLineControls", lineType, type, 0, 0, MMSYSERR_ERROR);
  MIXERCONTROLA* c = controls->pamxctrl;
  const DWORD size = controls->cbmxctrl;
  std::memset(c, 0, sizeof(MIXERCONTROLA));
  c->cbStruct = size;
  c->dwControlType = type;
  if (type == MIXERCONTROL_CONTROLTYPE_VOLUME) {
    c->dwControlID = VolumeControlId(i);
    b.Bounds(&c->Bounds.u.dwMinimum, &c->Bounds.u.dwMaximum);
    c->Metrics.cSteps = c->Bounds.u.dwMaximum - c->Bounds.u.dwMinimum + 1;
    CopyName(c->szName, "Volume");
    CopyName(c->szShortName, "Volume");
  } else {
    c->dwControlID = MuteControlId(i);
    c->Bounds.u.dwMinimum = 0;
    c->Bounds.u.dwMaximum = 1;
    CopyName(c->szName, "Mute");
    CopyName(c->szShortName, "Mute");
  }
  return Note("mixerGetLineControls", lineType, type, 0, 0, MMSYSERR_NOERROR);
}

namespace {

// The details' shape for a control: one or two channels of the control's kind.
bool DetailsFit(const MIXERCONTROLDETAILS* d, bool volume) {
  if (d->cbStruct < sizeof(MIXERCONTROLDETAILS) || d->paDetails == nullptr || d->cMultipleItems != 0) return false;
  if (d->cChannels != 1 && d->cChannels != mixer_detail::kChannels) return false;
  return d->cbDetails == (volume ? sizeof(MIXERCONTROLDETAILS_UNSIGNED) : sizeof(MIXERCONTROLDETAILS_BOOLEAN));
}

}  // namespace

MMRESULT mixerGetControlDetailsA(HMIXEROBJ object, MIXERCONTROLDETAILS* details, DWORD flags) {
  using namespace mixer_detail;
  if (details == nullptr) return Note("mixerGetControlDetails", 0, 0, 0, 0, MMSYSERR_INVALPARAM);
  if (!ValidObject(object, flags)) return Note("mixerGetControlDetails", 0, 0, 0, 0, MMSYSERR_INVALHANDLE);
  if ((flags & 0xF) != MIXER_GETCONTROLDETAILSF_VALUE)
    return Note("mixerGetControlDetails", 0, 0, 0, 0, MMSYSERR_INVALFLAG);
  int i = 0;
  bool volume = false;
  if (!FindControl(details->dwControlID, &i, &volume))
    return Note("mixerGetControlDetails", 0, 0, 0, 0, MIXERR_INVALCONTROL);
  const DWORD type = volume ? MIXERCONTROL_CONTROLTYPE_VOLUME : MIXERCONTROL_CONTROLTYPE_MUTE;
  if (!DetailsFit(details, volume)) return Note("mixerGetControlDetails", kLineInfo[i].componentType, type, 0, 0, MMSYSERR_INVALPARAM);
  if (CurrentBackend().Fails(TestMixerFailure::GET_DETAILS))
    return Note("mixerGetControlDetails", kLineInfo[i].componentType, type, 0, 0, MMSYSERR_ERROR);
  const LineState& l = S().lines[i];
  if (volume) {
    auto* out = static_cast<MIXERCONTROLDETAILS_UNSIGNED*>(details->paDetails);
    // One channel asks for the line as a whole: the louder side.
    if (details->cChannels == 1) {
      out[0].dwValue = std::max(l.volume[0], l.volume[1]);
    } else {
      out[0].dwValue = l.volume[0];
      out[1].dwValue = l.volume[1];
    }
    return Note("mixerGetControlDetails", kLineInfo[i].componentType, type, l.volume[0], l.volume[1], MMSYSERR_NOERROR);
  }
  auto* out = static_cast<MIXERCONTROLDETAILS_BOOLEAN*>(details->paDetails);
  for (DWORD c = 0; c < details->cChannels; ++c) out[c].fValue = l.muted ? 1 : 0;
  return Note("mixerGetControlDetails", kLineInfo[i].componentType, type, l.muted, l.muted, MMSYSERR_NOERROR);
}

MMRESULT mixerSetControlDetails(HMIXEROBJ object, MIXERCONTROLDETAILS* details, DWORD flags) {
  using namespace mixer_detail;
  if (details == nullptr) return Note("mixerSetControlDetails", 0, 0, 0, 0, MMSYSERR_INVALPARAM);
  if (!ValidObject(object, flags)) return Note("mixerSetControlDetails", 0, 0, 0, 0, MMSYSERR_INVALHANDLE);
  if ((flags & 0xF) != MIXER_SETCONTROLDETAILSF_VALUE)
    return Note("mixerSetControlDetails", 0, 0, 0, 0, MMSYSERR_INVALFLAG);
  int i = 0;
  bool volume = false;
  if (!FindControl(details->dwControlID, &i, &volume))
    return Note("mixerSetControlDetails", 0, 0, 0, 0, MIXERR_INVALCONTROL);
  const DWORD type = volume ? MIXERCONTROL_CONTROLTYPE_VOLUME : MIXERCONTROL_CONTROLTYPE_MUTE;
  if (!DetailsFit(details, volume)) return Note("mixerSetControlDetails", kLineInfo[i].componentType, type, 0, 0, MMSYSERR_INVALPARAM);
  Backend& b = CurrentBackend();
  if (volume) {
    const auto* in = static_cast<const MIXERCONTROLDETAILS_UNSIGNED*>(details->paDetails);
    const DWORD left = in[0].dwValue;
    const DWORD right = details->cChannels == 1 ? left : in[1].dwValue;
    if (b.Fails(TestMixerFailure::SET_DETAILS)) return Note("mixerSetControlDetails", kLineInfo[i].componentType, type, left, right, MMSYSERR_ERROR);
    DWORD minimum = 0, maximum = 0;
    b.Bounds(&minimum, &maximum);
    S().lines[i].volume = {std::clamp(left, minimum, maximum), std::clamp(right, minimum, maximum)};
    ApplyLine(i);
    return Note("mixerSetControlDetails", kLineInfo[i].componentType, type, left, right, MMSYSERR_NOERROR);
  }
  const auto* in = static_cast<const MIXERCONTROLDETAILS_BOOLEAN*>(details->paDetails);
  const DWORD muted = in[0].fValue != 0 ? 1 : 0;
  if (b.Fails(TestMixerFailure::SET_DETAILS)) return Note("mixerSetControlDetails", kLineInfo[i].componentType, type, muted, muted, MMSYSERR_ERROR);
  S().lines[i].muted = muted != 0;
  ApplyLine(i);
  return Note("mixerSetControlDetails", kLineInfo[i].componentType, type, muted, muted, MMSYSERR_NOERROR);
}

namespace platform {

void MixerLineState(DWORD componentType, DWORD* left, DWORD* right, bool* muted) {
  const int i = mixer_detail::LineOfType(componentType);
  if (i < 0) return;
  const auto& l = mixer_detail::S().lines[i];
  if (left) *left = l.volume[0];
  if (right) *right = l.volume[1];
  if (muted) *muted = l.muted;
}

}  // namespace platform
