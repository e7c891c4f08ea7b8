#include "engine/mixer.h"

#include <algorithm>
#include <new>
#include <vector>

#include "platform/mixer/mixer.h"

namespace {

constexpr DWORD kComponentTypes[MIXER_LINE_COUNT] = {
    MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC,
    MIXERLINE_COMPONENTTYPE_SRC_DIGITAL,  MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY,
    MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT,  MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER,
};

// More channels than any device has: a wrong count is not allocated.
constexpr DWORD kMaxChannels = 8;

HMIXEROBJ Object(std::uintptr_t mixer) { return reinterpret_cast<HMIXEROBJ>(mixer); }

// The line's one control of `controlType`, and the line's channel count.
bool FindControl(std::uintptr_t mixer, std::uint32_t kind, DWORD controlType, MIXERCONTROLA* control,
                 DWORD* channels) {
  if (mixer == 0 || kind >= MIXER_LINE_COUNT) return false;
  MIXERLINEA line{};
  line.cbStruct = sizeof line;
  line.dwComponentType = kComponentTypes[kind];
  if (mixerGetLineInfoA(Object(mixer), &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) !=
          MMSYSERR_NOERROR ||
      line.cControls == 0)
    return false;
  MIXERLINECONTROLSA controls{};
  controls.cbStruct = sizeof controls;
  controls.dwLineID = line.dwLineID;
  controls.dwControlType = controlType;
  controls.cControls = 1;
  controls.cbmxctrl = sizeof(MIXERCONTROLA);
  controls.pamxctrl = control;
  if (mixerGetLineControlsA(Object(mixer), &controls, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
      MMSYSERR_NOERROR)
    return false;
  *channels = std::clamp<DWORD>(line.cChannels, 1, kMaxChannels);
  return true;
}

MIXERCONTROLDETAILS Details(const MIXERCONTROLA& control, DWORD channels, DWORD size, void* values) {
  MIXERCONTROLDETAILS d{};
  d.cbStruct = sizeof d;
  d.dwControlID = control.dwControlID;
  d.cChannels = channels;
  d.cMultipleItems = 0;
  d.cbDetails = size;
  d.paDetails = values;
  return d;
}

}  // namespace

Mixer::Mixer() {}

Mixer::~Mixer() {
  delete[] lines;
  lines = nullptr;
  lineCount = 0;
}

bool Mixer::Open() {
  HMIXER h = nullptr;
  if (mixerOpen(&h, 0, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) h = nullptr;
  handle = reinterpret_cast<std::uintptr_t>(h);
  if (!lines) {
    lines = new (std::nothrow) MixerLine[MIXER_LINE_COUNT];
    if (!lines) {
      if (h) mixerClose(h);
      handle = 0;
      return false;
    }
    lineCount = MIXER_LINE_COUNT;
    for (std::uint32_t i = 0; i < MIXER_LINE_COUNT; ++i) {
      lines[i].mixer = handle;
      lines[i].kind = i;
      lines[i].created = 1;
      lines[i].volume = 0;
    }
  }
  return handle != 0;
}

bool Mixer::Close() {
  const bool ok = mixerClose(reinterpret_cast<HMIXER>(handle)) == MMSYSERR_NOERROR;
  // A closed handle is not kept either: it would name no mixer.
  handle = 0;
  return ok;
}

void MixerLine::SetVolume(int v) {
  // The callers' range; anything else would wrap in the unsigned formula.
  const DWORD percent = static_cast<DWORD>(std::clamp(v, 0, 100));
  volume = percent;
  MIXERCONTROLA control{};
  DWORD channels = 0;
  if (!FindControl(mixer, kind, MIXERCONTROL_CONTROLTYPE_VOLUME, &control, &channels)) return;
  const DWORD min = control.Bounds.u.dwMinimum;
  const DWORD max = control.Bounds.u.dwMaximum;
  // Steps of a tenth of the range, divided into hundredths: the divisions
  // are unsigned and in this order, as the saved volumes expect.
  const DWORD value = min + ((max - min) / 10) * percent * 10 / 100;
  std::vector<MIXERCONTROLDETAILS_UNSIGNED> values(channels, MIXERCONTROLDETAILS_UNSIGNED{value});
  MIXERCONTROLDETAILS d = Details(control, channels, sizeof(MIXERCONTROLDETAILS_UNSIGNED), values.data());
  mixerSetControlDetails(Object(mixer), &d, MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE);
}

int MixerLine::GetVolume() {
  MIXERCONTROLA control{};
  DWORD channels = 0;
  if (!FindControl(mixer, kind, MIXERCONTROL_CONTROLTYPE_VOLUME, &control, &channels)) return 0;
  std::vector<MIXERCONTROLDETAILS_UNSIGNED> values(channels);
  MIXERCONTROLDETAILS d = Details(control, channels, sizeof(MIXERCONTROLDETAILS_UNSIGNED), values.data());
  if (mixerGetControlDetailsA(Object(mixer), &d, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) !=
      MMSYSERR_NOERROR)
    return 0;
  DWORD sum = 0;
  for (const auto& v : values) sum += v.dwValue;
  const DWORD average = sum / channels;
  const DWORD min = control.Bounds.u.dwMinimum;
  const DWORD max = control.Bounds.u.dwMaximum;
  const DWORD span = ((max - min) / 10) * 10;
  // A control with fewer than ten steps would divide by zero.
  if (span == 0) return 0;
  const DWORD result = (average * 100 - min * 100) / span;
  return static_cast<int>(std::min<DWORD>(result, 100));
}

bool MixerLine::IsEnabled() {
  MIXERCONTROLA control{};
  DWORD channels = 0;
  if (!FindControl(mixer, kind, MIXERCONTROL_CONTROLTYPE_MUTE, &control, &channels)) return false;
  MIXERCONTROLDETAILS_BOOLEAN muted{0};
  MIXERCONTROLDETAILS d = Details(control, 1, sizeof muted, &muted);
  if (mixerGetControlDetailsA(Object(mixer), &d, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) !=
      MMSYSERR_NOERROR)
    return true;
  return muted.fValue == 0;
}

void MixerLine::SetEnabled(bool on) {
  MIXERCONTROLA control{};
  DWORD channels = 0;
  if (!FindControl(mixer, kind, MIXERCONTROL_CONTROLTYPE_MUTE, &control, &channels)) return;
  MIXERCONTROLDETAILS_BOOLEAN muted{on ? 0 : 1};
  MIXERCONTROLDETAILS d = Details(control, 1, sizeof muted, &muted);
  mixerSetControlDetails(Object(mixer), &d, MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE);
}
