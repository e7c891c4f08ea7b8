// The DirectInput objects: DirectInput itself, devices and effects, over a
// backend (SDL or the test backend) that supplies raw input.
#include "platform/dinput/dinput.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/dinput/backend.h"
#include "platform/win32/window.h"

namespace dinput {

Backend& CurrentBackend() {
  static Backend* const sdl = MakeSdlBackend();
  static Backend* const test = MakeTestBackend();
  return TestBackendActive() ? *test : *sdl;
}

namespace {

class DirectInput;
class Device;
class Effect;

// Shared by every DirectInput object.
struct Layer {
  int directInputs = 0;  // DirectInput objects alive
  bool focused = true;   // the program has the input focus
  std::vector<Device*> devices;
};

Layer& L() {
  static Layer layer;
  return layer;
}

Backend& B() { return CurrentBackend(); }

template <std::size_t N>
void CopyName(char (&out)[N], const std::string& name) {
  std::size_t n = std::min(name.size(), N - 1);
  std::memcpy(out, name.data(), n);
  out[n] = '\0';
}

// The effects by kind: DirectInput's name and GUID for each.
struct EffectEntry {
  platform::InputEffectKind kind;
  const char* name;
  const GUID* guid;
};

const EffectEntry kEffects[] = {
    {platform::InputEffectKind::CONSTANT, "Constant Force", &GUID_ConstantForce},
    {platform::InputEffectKind::RAMP, "Ramp Force", &GUID_RampForce},
    {platform::InputEffectKind::SQUARE, "Square", &GUID_Square},
    {platform::InputEffectKind::SINE, "Sine", &GUID_Sine},
    {platform::InputEffectKind::TRIANGLE, "Triangle", &GUID_Triangle},
    {platform::InputEffectKind::SAWTOOTH_UP, "Sawtooth Up", &GUID_SawtoothUp},
    {platform::InputEffectKind::SAWTOOTH_DOWN, "Sawtooth Down", &GUID_SawtoothDown},
    {platform::InputEffectKind::SPRING, "Spring", &GUID_Spring},
    {platform::InputEffectKind::DAMPER, "Damper", &GUID_Damper},
    {platform::InputEffectKind::INERTIA, "Inertia", &GUID_Inertia},
    {platform::InputEffectKind::FRICTION, "Friction", &GUID_Friction},
    {platform::InputEffectKind::CUSTOM, "Custom Force", &GUID_CustomForce},
};

const EffectEntry& EffectOf(platform::InputEffectKind kind) {
  for (const EffectEntry& e : kEffects) {
    if (e.kind == kind) return e;
  }
  return kEffects[0];
}

const char* EffectName(platform::InputEffectKind kind) { return EffectOf(kind).name; }
const GUID& EffectGuid(platform::InputEffectKind kind) { return *EffectOf(kind).guid; }

bool IsPeriodic(platform::InputEffectKind kind) {
  using K = platform::InputEffectKind;
  return kind == K::SQUARE || kind == K::SINE || kind == K::TRIANGLE || kind == K::SAWTOOTH_UP ||
         kind == K::SAWTOOTH_DOWN;
}

DWORD EffectType(const platform::InputEffectSupport& e) {
  using K = platform::InputEffectKind;
  DWORD type = 0;
  switch (e.kind) {
    case K::CONSTANT:
      type = DIEFT_CONSTANTFORCE;
      break;
    case K::RAMP:
      type = DIEFT_RAMPFORCE;
      break;
    case K::SPRING:
    case K::DAMPER:
    case K::INERTIA:
    case K::FRICTION:
      type = DIEFT_CONDITION;
      break;
    case K::CUSTOM:
      type = DIEFT_CUSTOMFORCE;
      break;
    default:
      type = DIEFT_PERIODIC;
      break;
  }
  if (e.envelope && type != DIEFT_CONDITION) type |= DIEFT_FFATTACK | DIEFT_FFFADE;
  return type;
}

// The effect kinds that this layer can turn into haptic effects, with the
// size of their type-specific parameters.
DWORD TypeSpecificSize(platform::InputEffectKind kind) {
  using K = platform::InputEffectKind;
  if (IsPeriodic(kind)) return sizeof(DIPERIODIC);
  if (kind == K::CONSTANT) return sizeof(DICONSTANTFORCE);
  if (kind == K::RAMP) return sizeof(DIRAMPFORCE);
  return 0;
}

// ---- Conversions -----------------------------------------------------------

struct AxisProps {
  LONG min = 0;
  LONG max = 65535;
  DWORD deadzone = 0;  // ten-thousandths of the half range
  DWORD saturation = 10000;
};

}  // namespace

// Inside the dead zone the centre, beyond the saturation the end, rising
// evenly in between.
LONG ScaleAxis(std::int16_t raw, LONG min, LONG max, DWORD deadzone, DWORD saturation) {
  const std::int64_t full = 32767;
  std::int64_t magnitude = raw < 0 ? -static_cast<std::int64_t>(raw) : raw;
  if (magnitude > full) magnitude = full;
  const std::int64_t dz = static_cast<std::int64_t>(std::min<DWORD>(deadzone, 10000)) * full / 10000;
  const std::int64_t sat =
      std::max<std::int64_t>(static_cast<std::int64_t>(std::min<DWORD>(saturation, 10000)) * full / 10000, dz);
  std::int64_t scaled;  // 0..full
  if (magnitude <= dz) {
    scaled = 0;
  } else if (magnitude >= sat) {
    scaled = full;
  } else {
    scaled = (magnitude - dz) * full / (sat - dz);
  }
  const std::int64_t lo = min;
  const std::int64_t hi = max;
  // Centre and half range, kept exact for odd spans: the low end gets the
  // rounding of the negative half.
  const std::int64_t span = hi - lo;
  const std::int64_t centre = lo + span / 2;
  std::int64_t value;
  if (raw < 0) {
    value = centre - scaled * (centre - lo) / full;
  } else {
    value = centre + scaled * (hi - centre) / full;
  }
  return static_cast<LONG>(value);
}

DWORD HatToPov(BYTE hat) {
  switch (hat & 0x0F) {
    case platform::TEST_HAT_UP:
      return 0;
    case platform::TEST_HAT_UP | platform::TEST_HAT_RIGHT:
      return 4500;
    case platform::TEST_HAT_RIGHT:
      return 9000;
    case platform::TEST_HAT_DOWN | platform::TEST_HAT_RIGHT:
      return 13500;
    case platform::TEST_HAT_DOWN:
      return 18000;
    case platform::TEST_HAT_DOWN | platform::TEST_HAT_LEFT:
      return 22500;
    case platform::TEST_HAT_LEFT:
      return 27000;
    case platform::TEST_HAT_UP | platform::TEST_HAT_LEFT:
      return 31500;
    default:
      return 0xFFFFFFFFu;
  }
}

namespace {

std::int16_t ScaleLevel(std::int64_t value, std::int64_t gain) {
  value = std::clamp<std::int64_t>(value, -10000, 10000);
  return static_cast<std::int16_t>(value * gain * 32767 / (10000LL * 10000LL));
}

std::uint16_t Millis16(DWORD micros) { return static_cast<std::uint16_t>(std::min<DWORD>(micros / 1000, 65535)); }

}  // namespace

platform::HapticEffect ToHaptic(platform::InputEffectKind kind, const platform::EffectParams& p, DWORD deviceGain,
                                DWORD buttonOfTrigger) {
  platform::HapticEffect h;
  h.kind = kind;
  const std::int64_t gain =
      static_cast<std::int64_t>(std::min<DWORD>(p.gain, 10000)) * std::min<DWORD>(deviceGain, 10000) / 10000;
  h.lengthMs = p.duration == INFINITE ? 0xFFFFFFFFu : p.duration / 1000;
  h.axes = static_cast<std::int32_t>(p.axes.size());
  if (p.flags & DIEFF_POLAR) {
    h.directionType = 0;
  } else if (p.flags & DIEFF_SPHERICAL) {
    h.directionType = 2;
  } else {
    h.directionType = 1;
  }
  for (std::size_t i = 0; i < p.directions.size() && i < 3; ++i) h.direction[i] = p.directions[i];
  h.triggerButton = p.triggerButton == DIEB_NOTRIGGER ? 0 : static_cast<std::uint16_t>(buttonOfTrigger + 1);
  h.triggerIntervalMs = Millis16(p.triggerRepeatInterval);
  if (p.periodic) {
    h.magnitude = ScaleLevel(p.periodic->dwMagnitude, gain);
    h.offset = ScaleLevel(p.periodic->lOffset, gain);
    h.phase = static_cast<std::uint16_t>(p.periodic->dwPhase % 36000);
    h.periodMs = Millis16(p.periodic->dwPeriod);
  }
  if (kind == platform::InputEffectKind::CONSTANT && p.typeSpecific.size() == sizeof(DICONSTANTFORCE)) {
    DICONSTANTFORCE c;
    std::memcpy(&c, p.typeSpecific.data(), sizeof c);
    h.level = ScaleLevel(c.lMagnitude, gain);
  }
  if (kind == platform::InputEffectKind::RAMP && p.typeSpecific.size() == sizeof(DIRAMPFORCE)) {
    DIRAMPFORCE r;
    std::memcpy(&r, p.typeSpecific.data(), sizeof r);
    h.start = ScaleLevel(r.lStart, gain);
    h.end = ScaleLevel(r.lEnd, gain);
  }
  if (p.envelope) {
    h.attackLengthMs = Millis16(p.envelope->dwAttackTime);
    h.attackLevel = static_cast<std::uint16_t>(ScaleLevel(p.envelope->dwAttackLevel, gain));
    h.fadeLengthMs = Millis16(p.envelope->dwFadeTime);
    h.fadeLevel = static_cast<std::uint16_t>(ScaleLevel(p.envelope->dwFadeLevel, gain));
  }
  return h;
}

namespace {

// ---- Objects of a device ------------------------------------------------------

struct Object {
  GUID type;
  DWORD offset;
  DWORD dwType;
  DWORD flags;
  std::string name;
  int axis = -1;  // joystick axis slot 0..7
};

const GUID* const kAxisGuids[MAX_AXES] = {&GUID_XAxis,  &GUID_YAxis,  &GUID_ZAxis,  &GUID_RxAxis,
                                          &GUID_RyAxis, &GUID_RzAxis, &GUID_Slider, &GUID_Slider};
const char* const kAxisNames[6] = {"X Axis", "Y Axis", "Z Axis", "X Rotation", "Y Rotation", "Z Rotation"};

std::vector<Object> BuildObjects(const DeviceDesc& d) {
  std::vector<Object> out;
  switch (d.kind) {
    case DeviceKind::KEYBOARD:
      for (BYTE dik : d.keys) {
        const char* name = KeyNameOf(dik);
        char fallback[16];
        if (name == nullptr) {
          std::snprintf(fallback, sizeof fallback, "Key %u", static_cast<unsigned>(dik));
          name = fallback;
        }
        out.push_back({GUID_Key, dik, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(dik), 0, name});
      }
      break;
    case DeviceKind::JOYSTICK: {
      const bool ff = !d.effects.empty();
      const int axes = std::min(d.axes, MAX_AXES);
      const int sliders = std::max(0, axes - 6);
      for (int i = 0; i < axes; ++i) {
        const bool actuator = ff && i < 2;
        std::string name;
        if (i < 6) {
          name = kAxisNames[i];
        } else {
          name = sliders == 1 ? "Slider" : "Slider " + std::to_string(i - 5);
        }
        out.push_back({*kAxisGuids[i], static_cast<DWORD>(4 * i),
                       DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(i) | (actuator ? DIDFT_FFACTUATOR : 0),
                       DIDOI_ASPECTPOSITION | (actuator ? DIDOI_FFACTUATOR : 0), name, i});
      }
      const int buttons = std::min(d.buttons, MAX_BUTTONS);
      for (int i = 0; i < buttons; ++i) {
        out.push_back({GUID_Button, DIJOFS_BUTTON(i),
                       DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(i) | (ff ? DIDFT_FFEFFECTTRIGGER : 0),
                       ff ? DIDOI_FFEFFECTTRIGGER : 0, "Button " + std::to_string(i + 1)});
      }
      const int hats = std::min(d.hats, MAX_HATS);
      for (int i = 0; i < hats; ++i) {
        out.push_back({GUID_POV, DIJOFS_POV(i), DIDFT_POV | DIDFT_MAKEINSTANCE(i), 0,
                       hats == 1 ? std::string("Hat Switch") : "Hat Switch " + std::to_string(i + 1)});
      }
      break;
    }
    case DeviceKind::MOUSE: {
      out.push_back({GUID_XAxis, DIMOFS_X, DIDFT_RELAXIS | DIDFT_MAKEINSTANCE(0), 0, "X Axis"});
      out.push_back({GUID_YAxis, DIMOFS_Y, DIDFT_RELAXIS | DIDFT_MAKEINSTANCE(1), 0, "Y Axis"});
      out.push_back({GUID_ZAxis, DIMOFS_Z, DIDFT_RELAXIS | DIDFT_MAKEINSTANCE(2), 0, "Wheel"});
      const char* const names[MOUSE_BUTTONS] = {"Left Button", "Right Button", "Middle Button", "Button 4"};
      for (int i = 0; i < MOUSE_BUTTONS; ++i) {
        out.push_back({GUID_Button, DIMOFS_BUTTON0 + i, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(i), 0, names[i]});
      }
      break;
    }
  }
  return out;
}

bool MatchesFilter(DWORD type, DWORD filter) {
  if (filter == DIDFT_ALL) return true;
  const DWORD kinds = filter & 0xFF;
  const DWORD attributes = filter & 0xFF000000u;
  if (kinds != 0 && (type & kinds) == 0) return false;
  return (type & attributes) == attributes;
}

void FillDeviceInstance(const DeviceDesc& d, DIDEVICEINSTANCEA* out) {
  std::memset(out, 0, sizeof *out);
  out->dwSize = sizeof *out;
  out->guidInstance = d.instance;
  out->guidProduct = d.product;
  out->dwDevType = d.devType;
  CopyName(out->tszInstanceName, d.name);
  CopyName(out->tszProductName, d.name);
  if (!d.effects.empty()) out->guidFFDriver = StableGuid("force feedback driver", 0);
  out->wUsagePage = 1;  // generic desktop
  switch (d.kind) {
    case DeviceKind::KEYBOARD:
      out->wUsage = 6;
      break;
    case DeviceKind::MOUSE:
      out->wUsage = 2;
      break;
    case DeviceKind::JOYSTICK:
      out->wUsage = GET_DIDEVICE_SUBTYPE(d.devType) == DIDEVTYPEJOYSTICK_GAMEPAD ? 5 : 4;
      break;
  }
}

// ---- DirectInput -----------------------------------------------------------------

void OnSdlEvent(const void* event);

class DirectInput final : public IDirectInputA {
 public:
  DirectInput() {
    if (L().directInputs++ == 0) {
      L().focused = true;
      B().Start();
      platform::AddSdlEventListener(OnSdlEvent);
    }
  }

  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return DIERR_INVALIDPARAM;
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IDirectInputA)) {
      AddRef();
      *out = static_cast<IDirectInputA*>(this);
      return DI_OK;
    }
    *out = nullptr;
    return DIERR_NOINTERFACE;
  }
  DWORD AddRef() override { return ++refs_; }
  DWORD Release() override {
    DWORD left = --refs_;
    if (left == 0) {
      if (--L().directInputs == 0) {
        platform::RemoveSdlEventListener(OnSdlEvent);
        B().Stop();
      }
      delete this;
    }
    return left;
  }

  HRESULT CreateDevice(REFGUID instance, IDirectInputDeviceA** out, IUnknownLike* outer) override;

  HRESULT EnumDevices(DWORD devType, LPDIENUMDEVICESCALLBACKA callback, void* ref, DWORD flags) override {
    if (callback == nullptr) return DIERR_INVALIDPARAM;
    if (B().Fails(platform::TestInputFailure::ENUM_DEVICES)) return DIERR_GENERIC;
    for (const DeviceDesc& d : B().Devices()) {
      if (devType != 0 && GET_DIDEVICE_TYPE(d.devType) != GET_DIDEVICE_TYPE(devType)) continue;
      if ((flags & DIEDFL_FORCEFEEDBACK) && d.effects.empty()) continue;
      DIDEVICEINSTANCEA info;
      FillDeviceInstance(d, &info);
      if (callback(&info, ref) == DIENUM_STOP) break;
    }
    return DI_OK;
  }

  HRESULT GetDeviceStatus(REFGUID instance) override {
    for (const DeviceDesc& d : B().Devices()) {
      if (IsEqualGUID(d.instance, instance)) return DI_OK;
    }
    return DIERR_DEVICENOTREG;
  }

  HRESULT RunControlPanel(HWND, DWORD) override { return DI_OK; }

 private:
  ~DirectInput() = default;
  DWORD refs_ = 1;
};

// ---- Devices ------------------------------------------------------------------------

class Device final : public IDirectInputDevice2A {
 public:
  Device(DirectInput* owner, const DeviceDesc& desc) : owner_(owner), desc_(desc), objects_(BuildObjects(desc)) {
    owner_->AddRef();
    L().devices.push_back(this);
  }

  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IDirectInputDeviceA)) {
      AddRef();
      *out = static_cast<IDirectInputDeviceA*>(this);
      return DI_OK;
    }
    if (IsEqualGUID(iid, IID_IDirectInputDevice2A)) {
      if (B().Fails(platform::TestInputFailure::QUERY_DEVICE2)) return DIERR_NOINTERFACE;
      AddRef();
      *out = static_cast<IDirectInputDevice2A*>(this);
      return DI_OK;
    }
    return DIERR_NOINTERFACE;
  }
  DWORD AddRef() override { return ++refs_; }
  DWORD Release() override {
    DWORD left = --refs_;
    if (left == 0) {
      Unacquire();
      auto& v = L().devices;
      v.erase(std::remove(v.begin(), v.end(), this), v.end());
      DirectInput* owner = owner_;
      delete this;
      owner->Release();
    }
    return left;
  }

  HRESULT GetCapabilities(DIDEVCAPS* caps) override {
    if (caps == nullptr || caps->dwSize != sizeof(DIDEVCAPS)) return DIERR_INVALIDPARAM;
    if (B().Fails(platform::TestInputFailure::GET_CAPABILITIES)) return DIERR_GENERIC;
    std::memset(caps, 0, sizeof *caps);
    caps->dwSize = sizeof *caps;
    caps->dwDevType = desc_.devType;
    if (B().Attached(desc_.handle)) caps->dwFlags |= DIDC_ATTACHED;
    for (const Object& o : objects_) {
      if (DIDFT_GETTYPE(o.dwType) & DIDFT_AXIS) ++caps->dwAxes;
      if (DIDFT_GETTYPE(o.dwType) & DIDFT_BUTTON) ++caps->dwButtons;
      if (DIDFT_GETTYPE(o.dwType) & DIDFT_POV) ++caps->dwPOVs;
    }
    if (!desc_.effects.empty()) {
      caps->dwFlags |= DIDC_FORCEFEEDBACK;
      for (const auto& e : desc_.effects) {
        if (e.envelope) caps->dwFlags |= DIDC_FFATTACK | DIDC_FFFADE;
      }
      caps->dwFFSamplePeriod = 1000;
      caps->dwFFMinTimeResolution = 1000;
      caps->dwFFDriverVersion = 1;
    }
    return DI_OK;
  }

  HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, void* ref, DWORD flags) override {
    if (callback == nullptr) return DIERR_INVALIDPARAM;
    if (B().Fails(platform::TestInputFailure::ENUM_OBJECTS)) return DIERR_GENERIC;
    for (const Object& o : objects_) {
      if (!MatchesFilter(o.dwType, flags)) continue;
      DIDEVICEOBJECTINSTANCEA info;
      FillObject(o, &info);
      if (callback(&info, ref) == DIENUM_STOP) break;
    }
    return DI_OK;
  }

  HRESULT GetProperty(REFGUID property, DIPROPHEADER* header) override {
    if (header == nullptr || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
    if (IsEqualGUID(property, DIPROP_RANGE)) {
      if (header->dwSize != sizeof(DIPROPRANGE)) return DIERR_INVALIDPARAM;
      int axis = 0;
      HRESULT hr = OneAxis(*header, &axis);
      if (FAILED(hr)) return hr;
      auto* range = reinterpret_cast<DIPROPRANGE*>(header);
      range->lMin = axes_[axis].min;
      range->lMax = axes_[axis].max;
      return DI_OK;
    }
    if (IsEqualGUID(property, DIPROP_DEADZONE) || IsEqualGUID(property, DIPROP_SATURATION)) {
      if (header->dwSize != sizeof(DIPROPDWORD)) return DIERR_INVALIDPARAM;
      int axis = 0;
      HRESULT hr = OneAxis(*header, &axis);
      if (FAILED(hr)) return hr;
      reinterpret_cast<DIPROPDWORD*>(header)->dwData =
          IsEqualGUID(property, DIPROP_DEADZONE) ? axes_[axis].deadzone : axes_[axis].saturation;
      return DI_OK;
    }
    if (IsEqualGUID(property, DIPROP_FFGAIN)) {
      if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
      if (desc_.effects.empty()) return DIERR_UNSUPPORTED;
      reinterpret_cast<DIPROPDWORD*>(header)->dwData = ffGain_;
      return DI_OK;
    }
    if (IsEqualGUID(property, DIPROP_AXISMODE)) {
      if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
      reinterpret_cast<DIPROPDWORD*>(header)->dwData =
          desc_.kind == DeviceKind::MOUSE ? DIPROPAXISMODE_REL : DIPROPAXISMODE_ABS;
      return DI_OK;
    }
    return DIERR_UNSUPPORTED;
  }

  HRESULT SetProperty(REFGUID property, const DIPROPHEADER* header) override {
    if (header == nullptr || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
    if (IsEqualGUID(property, DIPROP_RANGE)) {
      if (header->dwSize != sizeof(DIPROPRANGE)) return DIERR_INVALIDPARAM;
      const auto* range = reinterpret_cast<const DIPROPRANGE*>(header);
      if (range->lMin >= range->lMax) return DIERR_INVALIDPARAM;
      if (B().Fails(platform::TestInputFailure::SET_RANGE)) return DIERR_GENERIC;
      return ForAxes(*header, [&](AxisProps& a) {
        a.min = range->lMin;
        a.max = range->lMax;
      });
    }
    if (IsEqualGUID(property, DIPROP_DEADZONE) || IsEqualGUID(property, DIPROP_SATURATION)) {
      if (header->dwSize != sizeof(DIPROPDWORD)) return DIERR_INVALIDPARAM;
      const DWORD value = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
      if (value > 10000) return DIERR_INVALIDPARAM;
      const bool deadzone = IsEqualGUID(property, DIPROP_DEADZONE);
      if (deadzone && B().Fails(platform::TestInputFailure::SET_DEADZONE)) return DIERR_GENERIC;
      return ForAxes(*header, [&](AxisProps& a) { (deadzone ? a.deadzone : a.saturation) = value; });
    }
    if (IsEqualGUID(property, DIPROP_FFGAIN)) {
      if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
      if (desc_.effects.empty()) return DIERR_UNSUPPORTED;
      const DWORD value = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
      if (value > 10000) return DIERR_INVALIDPARAM;
      ffGain_ = value;
      return DI_OK;
    }
    if (IsEqualGUID(property, DIPROP_AUTOCENTER)) {
      if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
      if (desc_.effects.empty()) return DIERR_UNSUPPORTED;
      return DI_OK;
    }
    if (IsEqualGUID(property, DIPROP_BUFFERSIZE)) {
      // Only immediate data: no buffer.
      if (header->dwSize != sizeof(DIPROPDWORD)) return DIERR_INVALIDPARAM;
      return reinterpret_cast<const DIPROPDWORD*>(header)->dwData == 0 ? DI_OK : DIERR_UNSUPPORTED;
    }
    return DIERR_UNSUPPORTED;
  }

  HRESULT Acquire() override {
    if (format_ == nullptr) return DIERR_INVALIDPARAM;
    if (B().Fails(platform::TestInputFailure::ACQUIRE)) return DIERR_OTHERAPPHASPRIO;
    if (!B().Attached(desc_.handle)) {
      detached_ = true;
      if (acquired_) LoseInput();
      if (!FindAgain()) return DIERR_INPUTLOST;
    }
    if (acquired_) return DI_NOEFFECT;
    if ((cooperation_ & DISCL_FOREGROUND) && !L().focused) return DIERR_OTHERAPPHASPRIO;
    acquired_ = true;
    lost_ = false;
    if (detached_) {
      // A device plugged in again holds none of the effects downloaded before.
      detached_ = false;
      ++generation_;
    }
    if (desc_.kind == DeviceKind::MOUSE) {
      // Relative motion counts from the acquisition.
      MouseRaw discard;
      B().ReadMouse(desc_.handle, &discard);
      if (cooperation_ & DISCL_EXCLUSIVE) B().CaptureMouse(true);
    }
    return DI_OK;
  }

  HRESULT Unacquire() override {
    if (!acquired_) return DI_NOEFFECT;
    acquired_ = false;
    if (desc_.kind == DeviceKind::MOUSE && (cooperation_ & DISCL_EXCLUSIVE)) B().CaptureMouse(false);
    return DI_OK;
  }

  HRESULT GetDeviceState(DWORD size, void* data) override {
    if (data == nullptr) return DIERR_INVALIDPARAM;
    if (desc_.kind == DeviceKind::JOYSTICK) B().Update();
    HRESULT hr = CheckInput();
    if (FAILED(hr)) return hr;
    if (format_ == nullptr || size != format_->dwDataSize) return DIERR_INVALIDPARAM;
    switch (desc_.kind) {
      case DeviceKind::KEYBOARD: {
        BYTE keys[256] = {};
        B().ReadKeyboard(desc_.handle, keys);
        auto* out = static_cast<BYTE*>(data);
        std::memset(out, 0, 256);
        for (BYTE dik : desc_.keys) out[dik] = keys[dik] ? 0x80 : 0;
        break;
      }
      case DeviceKind::JOYSTICK: {
        JoystickRaw raw;
        B().ReadJoystick(desc_.handle, &raw);
        DIJOYSTATE state{};
        LONG* axes = &state.lX;  // lX..rglSlider[1] are eight consecutive LONGs
        for (int i = 0; i < std::min(desc_.axes, MAX_AXES); ++i) {
          const AxisProps& a = axes_[i];
          axes[i] = ScaleAxis(raw.axes[i], a.min, a.max, a.deadzone, a.saturation);
        }
        for (int i = 0; i < MAX_HATS; ++i) state.rgdwPOV[i] = i < desc_.hats ? HatToPov(raw.hats[i]) : 0xFFFFFFFFu;
        for (int i = 0; i < std::min(desc_.buttons, MAX_BUTTONS); ++i) state.rgbButtons[i] = raw.buttons[i] ? 0x80 : 0;
        std::memcpy(data, &state, sizeof state);
        break;
      }
      case DeviceKind::MOUSE: {
        MouseRaw raw;
        B().ReadMouse(desc_.handle, &raw);
        DIMOUSESTATE state{};
        state.lX = raw.dx;
        state.lY = raw.dy;
        state.lZ = raw.dz;
        for (int i = 0; i < MOUSE_BUTTONS; ++i) state.rgbButtons[i] = raw.buttons[i] ? 0x80 : 0;
        std::memcpy(data, &state, sizeof state);
        break;
      }
    }
    return DI_OK;
  }

  HRESULT SetDataFormat(const DIDATAFORMAT* format) override {
    if (format == nullptr) return DIERR_INVALIDPARAM;
    if (acquired_) return DIERR_ACQUIRED;
    const DIDATAFORMAT* expected = desc_.kind == DeviceKind::KEYBOARD ? &c_dfDIKeyboard
                                   : desc_.kind == DeviceKind::MOUSE  ? &c_dfDIMouse
                                                                      : &c_dfDIJoystick;
    if (format != expected) return DIERR_INVALIDPARAM;
    format_ = format;
    return DI_OK;
  }

  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
    const DWORD access = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
    const DWORD when = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
    if ((access != DISCL_EXCLUSIVE && access != DISCL_NONEXCLUSIVE) ||
        (when != DISCL_FOREGROUND && when != DISCL_BACKGROUND) || (flags & ~(access | when)) != 0) {
      return DIERR_INVALIDPARAM;
    }
    if ((window != nullptr || flags != (DISCL_NONEXCLUSIVE | DISCL_BACKGROUND)) && !IsWindow(window)) {
      return DIERR_INVALIDPARAM;
    }
    if (acquired_) return DIERR_ACQUIRED;
    // The system keyboard and mouse are never held exclusively while the
    // program is in the background.
    if (desc_.kind != DeviceKind::JOYSTICK && flags == (DISCL_EXCLUSIVE | DISCL_BACKGROUND)) return DIERR_UNSUPPORTED;
    cooperation_ = flags;
    return DI_OK;
  }

  HRESULT GetObjectInfo(DIDEVICEOBJECTINSTANCEA* out, DWORD object, DWORD how) override {
    if (out == nullptr || out->dwSize != sizeof *out) return DIERR_INVALIDPARAM;
    const Object* o = FindObject(object, how);
    if (o == nullptr) return DIERR_OBJECTNOTFOUND;
    FillObject(*o, out);
    return DI_OK;
  }

  HRESULT GetDeviceInfo(DIDEVICEINSTANCEA* out) override {
    if (out == nullptr || out->dwSize != sizeof *out) return DIERR_INVALIDPARAM;
    FillDeviceInstance(desc_, out);
    return DI_OK;
  }

  HRESULT RunControlPanel(HWND, DWORD) override { return DI_OK; }

  HRESULT CreateEffect(REFGUID effect, const DIEFFECT* params, IDirectInputEffect** out, IUnknownLike* outer) override;

  HRESULT EnumEffects(LPDIENUMEFFECTSCALLBACKA callback, void* ref, DWORD effectType) override {
    if (callback == nullptr) return DIERR_INVALIDPARAM;
    for (const auto& e : desc_.effects) {
      const DWORD type = EffectType(e);
      if (effectType != DIEFT_ALL && DIEFT_GETTYPE(effectType) != DIEFT_GETTYPE(type)) continue;
      DIEFFECTINFOA info;
      FillEffectInfo(e, &info);
      if (callback(&info, ref) == DIENUM_STOP) break;
    }
    return DI_OK;
  }

  HRESULT GetEffectInfo(DIEFFECTINFOA* out, REFGUID effect) override {
    if (out == nullptr || out->dwSize != sizeof *out) return DIERR_INVALIDPARAM;
    for (const auto& e : desc_.effects) {
      if (IsEqualGUID(EffectGuid(e.kind), effect)) {
        FillEffectInfo(e, out);
        return DI_OK;
      }
    }
    return DIERR_DEVICENOTREG;
  }

  HRESULT Poll() override {
    if (desc_.kind == DeviceKind::JOYSTICK) B().Update();
    HRESULT hr = CheckInput();
    if (FAILED(hr)) return hr;
    // Only joysticks are read on demand.
    return desc_.kind == DeviceKind::JOYSTICK ? DI_OK : DI_NOEFFECT;
  }

  // ---- Inside the layer ----

  // The program lost the focus: a foreground device loses its input.
  void OnFocusLost() {
    if (acquired_ && (cooperation_ & DISCL_FOREGROUND)) LoseInput();
  }

  // DI_OK when the device may be read: acquired and still attached.
  HRESULT CheckInput() {
    if (acquired_ && !B().Attached(desc_.handle)) {
      detached_ = true;
      LoseInput();
    }
    if (lost_) return DIERR_INPUTLOST;
    if (!acquired_) return DIERR_NOTACQUIRED;
    return DI_OK;
  }

  // DI_OK when effects may be downloaded and played.
  HRESULT CheckEffects() {
    HRESULT hr = CheckInput();
    if (hr == DIERR_INPUTLOST) return hr;
    if (!acquired_ || !(cooperation_ & DISCL_EXCLUSIVE)) return DIERR_NOTEXCLUSIVEACQUIRED;
    return DI_OK;
  }

  bool ExclusivelyAcquired() const { return acquired_ && (cooperation_ & DISCL_EXCLUSIVE) && !lost_; }

  const DeviceDesc& Desc() const { return desc_; }
  DWORD FfGain() const { return ffGain_; }
  // Bumped when the device is acquired again after an unplug: effects
  // downloaded before are gone.
  unsigned Generation() const { return generation_; }

  const Object* FindObject(DWORD object, DWORD how) const {
    for (const Object& o : objects_) {
      if (how == DIPH_BYOFFSET && o.offset == object) return &o;
      if (how == DIPH_BYID && (o.dwType & 0x00FFFFFF) == (object & 0x00FFFFFF)) return &o;
    }
    return nullptr;
  }

  std::vector<Effect*> effects;

 private:
  ~Device() = default;

  void LoseInput() {
    if (acquired_ && desc_.kind == DeviceKind::MOUSE && (cooperation_ & DISCL_EXCLUSIVE)) B().CaptureMouse(false);
    acquired_ = false;
    lost_ = true;
  }

  // A device that was unplugged and is attached again (same instance GUID).
  bool FindAgain() {
    for (const DeviceDesc& d : B().Devices()) {
      if (d.kind == desc_.kind && IsEqualGUID(d.instance, desc_.instance)) {
        desc_.handle = d.handle;
        return true;
      }
    }
    return false;
  }

  void FillObject(const Object& o, DIDEVICEOBJECTINSTANCEA* out) const {
    std::memset(out, 0, sizeof *out);
    out->dwSize = sizeof *out;
    out->guidType = o.type;
    out->dwOfs = o.offset;
    out->dwType = o.dwType;
    out->dwFlags = o.flags;
    CopyName(out->tszName, o.name);
    if (o.flags & DIDOI_FFACTUATOR) {
      out->dwFFMaxForce = DI_FFNOMINALMAX;
      out->dwFFForceResolution = 1;
    }
  }

  void FillEffectInfo(const platform::InputEffectSupport& e, DIEFFECTINFOA* out) const {
    std::memset(out, 0, sizeof *out);
    out->dwSize = sizeof *out;
    out->guid = EffectGuid(e.kind);
    out->dwEffType = EffectType(e);
    out->dwStaticParams = DIEP_ALLPARAMS;
    out->dwDynamicParams = DIEP_ALLPARAMS;
    CopyName(out->tszName, EffectName(e.kind));
  }

  // The joystick axis that a header names (by offset or id), or every axis
  // (DIPH_DEVICE).
  template <class F>
  HRESULT ForAxes(const DIPROPHEADER& h, F apply) {
    if (desc_.kind != DeviceKind::JOYSTICK) return DIERR_UNSUPPORTED;
    if (h.dwHow == DIPH_DEVICE) {
      if (h.dwObj != 0) return DIERR_INVALIDPARAM;
      for (AxisProps& a : axes_) apply(a);
      return DI_OK;
    }
    int axis = 0;
    HRESULT hr = OneAxis(h, &axis);
    if (FAILED(hr)) return hr;
    apply(axes_[axis]);
    return DI_OK;
  }

  HRESULT OneAxis(const DIPROPHEADER& h, int* axis) const {
    if (desc_.kind != DeviceKind::JOYSTICK) return DIERR_UNSUPPORTED;
    if (h.dwHow != DIPH_BYOFFSET && h.dwHow != DIPH_BYID) return DIERR_INVALIDPARAM;
    const Object* o = FindObject(h.dwObj, h.dwHow);
    if (o == nullptr) return DIERR_OBJECTNOTFOUND;
    if (o->axis < 0) return DIERR_UNSUPPORTED;
    *axis = o->axis;
    return DI_OK;
  }

  DirectInput* owner_;
  DWORD refs_ = 1;
  DeviceDesc desc_;
  std::vector<Object> objects_;
  const DIDATAFORMAT* format_ = nullptr;
  DWORD cooperation_ = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
  bool acquired_ = false;
  bool lost_ = false;
  AxisProps axes_[MAX_AXES];
  DWORD ffGain_ = 10000;
  unsigned generation_ = 0;
  bool detached_ = false;  // seen unplugged since the last acquisition
};

HRESULT DirectInput::CreateDevice(REFGUID instance, IDirectInputDeviceA** out, IUnknownLike* outer) {
  if (out == nullptr) return DIERR_INVALIDPARAM;
  *out = nullptr;
  if (outer != nullptr) return DIERR_NOAGGREGATION;
  if (B().Fails(platform::TestInputFailure::CREATE_DEVICE)) return DIERR_DEVICENOTREG;
  for (const DeviceDesc& d : B().Devices()) {
    if (IsEqualGUID(d.instance, instance)) {
      *out = new Device(this, d);
      return DI_OK;
    }
  }
  return DIERR_DEVICENOTREG;
}

void OnSdlEvent(const void* event) {
  const auto* e = static_cast<const SDL_Event*>(event);
  if (e->type != SDL_WINDOWEVENT) return;
  switch (e->window.event) {
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED: {
      L().focused = false;
      // A copy: nothing here removes devices, but stay on the safe side.
      std::vector<Device*> devices = L().devices;
      for (Device* d : devices) d->OnFocusLost();
      break;
    }
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      L().focused = true;
      break;
    default:
      break;
  }
}

// ---- Effects ---------------------------------------------------------------------------

class Effect final : public IDirectInputEffect {
 public:
  Effect(Device* device, platform::InputEffectKind kind) : device_(device), kind_(kind) {
    device_->AddRef();
    device_->effects.push_back(this);
  }

  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return DIERR_INVALIDPARAM;
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IDirectInputEffect)) {
      AddRef();
      *out = static_cast<IDirectInputEffect*>(this);
      return DI_OK;
    }
    *out = nullptr;
    return DIERR_NOINTERFACE;
  }
  DWORD AddRef() override { return ++refs_; }
  DWORD Release() override {
    DWORD left = --refs_;
    if (left == 0) {
      Unload();
      auto& v = device_->effects;
      v.erase(std::remove(v.begin(), v.end(), this), v.end());
      Device* device = device_;
      delete this;
      device->Release();
    }
    return left;
  }

  HRESULT GetEffectGuid(GUID* out) override {
    if (out == nullptr) return DIERR_INVALIDPARAM;
    *out = EffectGuid(kind_);
    return DI_OK;
  }

  HRESULT GetParameters(DIEFFECT* out, DWORD flags) override {
    if (out == nullptr || out->dwSize != sizeof(DIEFFECT)) return DIERR_INVALIDPARAM;
    if (flags & DIEP_DURATION) out->dwDuration = params_.duration;
    if (flags & DIEP_SAMPLEPERIOD) out->dwSamplePeriod = params_.samplePeriod;
    if (flags & DIEP_GAIN) out->dwGain = params_.gain;
    if (flags & DIEP_TRIGGERBUTTON) out->dwTriggerButton = params_.triggerButton;
    if (flags & DIEP_TRIGGERREPEATINTERVAL) out->dwTriggerRepeatInterval = params_.triggerRepeatInterval;
    if (flags & (DIEP_AXES | DIEP_DIRECTION)) {
      if (out->cAxes < params_.axes.size()) {
        out->cAxes = static_cast<DWORD>(params_.axes.size());
        return DIERR_INVALIDPARAM;
      }
      out->cAxes = static_cast<DWORD>(params_.axes.size());
      if ((flags & DIEP_AXES) && out->rgdwAxes != nullptr) {
        std::copy(params_.axes.begin(), params_.axes.end(), out->rgdwAxes);
      }
      if ((flags & DIEP_DIRECTION) && out->rglDirection != nullptr) {
        std::copy(params_.directions.begin(), params_.directions.end(), out->rglDirection);
        out->dwFlags = (out->dwFlags & ~(DIEFF_CARTESIAN | DIEFF_POLAR | DIEFF_SPHERICAL)) |
                       (params_.flags & (DIEFF_CARTESIAN | DIEFF_POLAR | DIEFF_SPHERICAL));
      }
    }
    if ((flags & DIEP_ENVELOPE) && out->lpEnvelope != nullptr) {
      if (params_.envelope) {
        *out->lpEnvelope = *params_.envelope;
      } else {
        out->lpEnvelope = nullptr;
      }
    }
    if (flags & DIEP_TYPESPECIFICPARAMS) {
      const DWORD size = static_cast<DWORD>(params_.typeSpecific.size());
      if (out->cbTypeSpecificParams < size || (size > 0 && out->lpvTypeSpecificParams == nullptr)) {
        out->cbTypeSpecificParams = size;
        return DIERR_INVALIDPARAM;
      }
      out->cbTypeSpecificParams = size;
      if (size > 0) std::memcpy(out->lpvTypeSpecificParams, params_.typeSpecific.data(), size);
    }
    return DI_OK;
  }

  HRESULT SetParameters(const DIEFFECT* effect, DWORD flags) override {
    HRESULT hr = Store(effect, flags);
    if (FAILED(hr)) return hr;
    if (flags & DIEP_NODOWNLOAD) return DI_OK;
    if (!device_->ExclusivelyAcquired() || !Complete()) return DI_DOWNLOADSKIPPED;
    hr = Download();
    if (FAILED(hr)) return hr;
    if (flags & DIEP_START) return Start(1, 0);
    return DI_OK;
  }

  HRESULT Start(DWORD iterations, DWORD flags) override {
    HRESULT hr = device_->CheckEffects();
    if (FAILED(hr)) return hr;
    if (!Complete()) return DIERR_INCOMPLETEEFFECT;
    if (!Downloaded()) {
      if (flags & DIES_NODOWNLOAD) return DIERR_NOTDOWNLOADED;
      hr = Download();
      if (FAILED(hr)) return hr;
    }
    if (flags & DIES_SOLO) {
      for (Effect* other : device_->effects) {
        if (other != this) other->Stop();
      }
    }
    if (!B().RunEffect(device_->Desc().handle, id_, iterations)) return DIERR_GENERIC;
    return DI_OK;
  }

  HRESULT Stop() override {
    HRESULT hr = device_->CheckEffects();
    if (FAILED(hr)) return hr;
    if (Downloaded()) B().StopEffect(device_->Desc().handle, id_);
    return DI_OK;
  }

  HRESULT GetEffectStatus(DWORD* out) override {
    if (out == nullptr) return DIERR_INVALIDPARAM;
    *out = 0;
    return DI_OK;
  }

  HRESULT Download() override {
    HRESULT hr = device_->CheckEffects();
    if (FAILED(hr)) return hr;
    if (!Complete()) return DIERR_INCOMPLETEEFFECT;
    const platform::HapticEffect haptic = ToHaptic(kind_, params_, device_->FfGain(), TriggerButtonNumber());
    const Handle handle = device_->Desc().handle;
    if (Downloaded()) return B().UpdateEffect(handle, id_, haptic) ? DI_OK : DIERR_GENERIC;
    id_ = B().UploadEffect(handle, haptic);
    if (id_ < 0) return DIERR_GENERIC;
    generation_ = device_->Generation();
    return DI_OK;
  }

  HRESULT Unload() override {
    if (Downloaded() && B().Attached(device_->Desc().handle)) B().DestroyEffect(device_->Desc().handle, id_);
    id_ = -1;
    return DI_OK;
  }

  // Checks and keeps the parts of `effect` that `flags` names.
  HRESULT Store(const DIEFFECT* effect, DWORD flags) {
    if (effect == nullptr || effect->dwSize != sizeof(DIEFFECT)) return DIERR_INVALIDPARAM;
    platform::EffectParams p = params_;
    p.flags = (p.flags & ~(DIEFF_OBJECTIDS | DIEFF_OBJECTOFFSETS)) |
              (effect->dwFlags & (DIEFF_OBJECTIDS | DIEFF_OBJECTOFFSETS));
    if (flags & DIEP_DURATION) p.duration = effect->dwDuration;
    if (flags & DIEP_SAMPLEPERIOD) p.samplePeriod = effect->dwSamplePeriod;
    if (flags & DIEP_GAIN) {
      if (effect->dwGain > DI_FFNOMINALMAX) return DIERR_INVALIDPARAM;
      p.gain = effect->dwGain;
    }
    if (flags & DIEP_TRIGGERBUTTON) {
      if (effect->dwTriggerButton != DIEB_NOTRIGGER) {
        const Object* o = ObjectOf(effect->dwFlags, effect->dwTriggerButton);
        if (o == nullptr || !(DIDFT_GETTYPE(o->dwType) & DIDFT_BUTTON)) return DIERR_INVALIDPARAM;
      }
      p.triggerButton = effect->dwTriggerButton;
    }
    if (flags & DIEP_TRIGGERREPEATINTERVAL) p.triggerRepeatInterval = effect->dwTriggerRepeatInterval;
    if (flags & DIEP_AXES) {
      if (effect->cAxes == 0 || effect->cAxes > 2 || effect->rgdwAxes == nullptr) return DIERR_INVALIDPARAM;
      p.axes.clear();
      for (DWORD i = 0; i < effect->cAxes; ++i) {
        const Object* o = ObjectOf(effect->dwFlags, effect->rgdwAxes[i]);
        if (o == nullptr || !(o->flags & DIDOI_FFACTUATOR)) return DIERR_INVALIDPARAM;
        p.axes.push_back(effect->rgdwAxes[i]);
      }
    }
    if (flags & DIEP_DIRECTION) {
      const DWORD coordinates = effect->dwFlags & (DIEFF_CARTESIAN | DIEFF_POLAR | DIEFF_SPHERICAL);
      if (coordinates != DIEFF_CARTESIAN && coordinates != DIEFF_POLAR && coordinates != DIEFF_SPHERICAL) {
        return DIERR_INVALIDPARAM;
      }
      if (p.axes.empty() || effect->cAxes != p.axes.size() || effect->rglDirection == nullptr) {
        return DIERR_INVALIDPARAM;
      }
      if (coordinates == DIEFF_POLAR && effect->cAxes != 2) return DIERR_INVALIDPARAM;
      p.flags = (p.flags & ~(DIEFF_CARTESIAN | DIEFF_POLAR | DIEFF_SPHERICAL)) | coordinates;
      p.directions.assign(effect->rglDirection, effect->rglDirection + effect->cAxes);
    }
    if (flags & DIEP_ENVELOPE) {
      if (effect->lpEnvelope == nullptr) {
        p.envelope.reset();
      } else {
        const DIENVELOPE& e = *effect->lpEnvelope;
        if (e.dwSize != sizeof(DIENVELOPE) || e.dwAttackLevel > DI_FFNOMINALMAX || e.dwFadeLevel > DI_FFNOMINALMAX) {
          return DIERR_INVALIDPARAM;
        }
        p.envelope = e;
      }
    }
    if (flags & DIEP_TYPESPECIFICPARAMS) {
      const DWORD size = TypeSpecificSize(kind_);
      if (size == 0) return DIERR_UNSUPPORTED;
      if (effect->cbTypeSpecificParams != size || effect->lpvTypeSpecificParams == nullptr) return DIERR_INVALIDPARAM;
      const auto* bytes = static_cast<const BYTE*>(effect->lpvTypeSpecificParams);
      p.typeSpecific.assign(bytes, bytes + size);
      p.typeSpecificSize = size;
      p.periodic.reset();
      if (IsPeriodic(kind_)) {
        DIPERIODIC periodic;
        std::memcpy(&periodic, bytes, sizeof periodic);
        if (periodic.dwMagnitude > DI_FFNOMINALMAX || periodic.lOffset > 10000 || periodic.lOffset < -10000 ||
            periodic.dwPhase >= 36000) {
          return DIERR_INVALIDPARAM;
        }
        p.periodic = periodic;
      }
    }
    params_ = std::move(p);
    return DI_OK;
  }

 private:
  ~Effect() = default;

  bool Downloaded() const { return id_ >= 0 && generation_ == device_->Generation(); }
  bool Complete() const { return !params_.axes.empty() && !params_.typeSpecific.empty(); }

  const Object* ObjectOf(DWORD effectFlags, DWORD object) const {
    if (effectFlags & DIEFF_OBJECTOFFSETS) return device_->FindObject(object, DIPH_BYOFFSET);
    if (effectFlags & DIEFF_OBJECTIDS) return device_->FindObject(object, DIPH_BYID);
    return nullptr;
  }

  DWORD TriggerButtonNumber() const {
    if (params_.triggerButton == DIEB_NOTRIGGER) return 0;
    const Object* o = ObjectOf(params_.flags, params_.triggerButton);
    return o != nullptr ? DIDFT_GETINSTANCE(o->dwType) : 0;
  }

  Device* device_;
  platform::InputEffectKind kind_;
  DWORD refs_ = 1;
  platform::EffectParams params_;
  int id_ = -1;
  unsigned generation_ = 0;
};

HRESULT Device::CreateEffect(REFGUID guid, const DIEFFECT* params, IDirectInputEffect** out, IUnknownLike* outer) {
  auto finish = [&](HRESULT hr) {
    B().NoteEffectCreation(desc_.handle, guid, params, hr);
    return hr;
  };
  if (out == nullptr) return finish(DIERR_INVALIDPARAM);
  *out = nullptr;
  if (outer != nullptr) return finish(DIERR_NOAGGREGATION);
  if (desc_.effects.empty()) return finish(DIERR_UNSUPPORTED);
  const platform::InputEffectSupport* support = nullptr;
  for (const auto& e : desc_.effects) {
    if (IsEqualGUID(EffectGuid(e.kind), guid)) support = &e;
  }
  if (support == nullptr) return finish(DIERR_DEVICENOTREG);
  if (B().Fails(platform::TestInputFailure::CREATE_EFFECT)) return finish(DIERR_GENERIC);
  if (TypeSpecificSize(support->kind) == 0) return finish(DIERR_UNSUPPORTED);
  auto* effect = new Effect(this, support->kind);
  HRESULT hr = DI_OK;
  if (params != nullptr) {
    hr = effect->SetParameters(params, DIEP_ALLPARAMS);
    if (FAILED(hr)) {
      effect->Release();
      return finish(hr);
    }
  }
  *out = effect;
  return finish(hr);
}

}  // namespace
}  // namespace dinput

HRESULT DirectInputCreateA(HINSTANCE, DWORD version, IDirectInputA** out, IUnknownLike* outer) {
  if (out == nullptr) return DIERR_INVALIDPARAM;
  *out = nullptr;
  if (outer != nullptr) return DIERR_NOAGGREGATION;
  if (version < 0x0300) return DIERR_OLDDIRECTINPUTVERSION;
  if (version > DIRECTINPUT_VERSION) return DIERR_BETADIRECTINPUTVERSION;
  if (dinput::CurrentBackend().Fails(platform::TestInputFailure::CREATE)) return DIERR_GENERIC;
  *out = new dinput::DirectInput();
  return DI_OK;
}
