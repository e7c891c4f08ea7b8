// The SDL backend: the system keyboard (SDL's key state), SDL's joysticks
// with their haptic devices, and the system mouse (relative motion gathered
// from SDL's events).
#include <SDL.h>

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <map>

#include "platform/dinput/backend.h"
#include "platform/win32/window.h"

namespace dinput {
namespace {

constexpr Handle KEYBOARD_HANDLE = 1;
constexpr Handle MOUSE_HANDLE = 2;
constexpr Handle JOYSTICK_HANDLE_BASE = 0x100;

struct ScancodeKey {
  SDL_Scancode scancode;
  BYTE dik;
};

const ScancodeKey kScancodes[] = {
    {SDL_SCANCODE_ESCAPE, DIK_ESCAPE},
    {SDL_SCANCODE_1, 0x02},
    {SDL_SCANCODE_2, 0x03},
    {SDL_SCANCODE_3, 0x04},
    {SDL_SCANCODE_4, 0x05},
    {SDL_SCANCODE_5, 0x06},
    {SDL_SCANCODE_6, 0x07},
    {SDL_SCANCODE_7, 0x08},
    {SDL_SCANCODE_8, 0x09},
    {SDL_SCANCODE_9, 0x0A},
    {SDL_SCANCODE_0, DIK_0},
    {SDL_SCANCODE_MINUS, DIK_MINUS},
    {SDL_SCANCODE_EQUALS, DIK_EQUALS},
    {SDL_SCANCODE_BACKSPACE, DIK_BACK},
    {SDL_SCANCODE_TAB, DIK_TAB},
    {SDL_SCANCODE_Q, DIK_Q},
    {SDL_SCANCODE_W, DIK_W},
    {SDL_SCANCODE_E, DIK_E},
    {SDL_SCANCODE_R, DIK_R},
    {SDL_SCANCODE_T, DIK_T},
    {SDL_SCANCODE_Y, DIK_Y},
    {SDL_SCANCODE_U, DIK_U},
    {SDL_SCANCODE_I, DIK_I},
    {SDL_SCANCODE_O, DIK_O},
    {SDL_SCANCODE_P, DIK_P},
    {SDL_SCANCODE_LEFTBRACKET, DIK_LBRACKET},
    {SDL_SCANCODE_RIGHTBRACKET, DIK_RBRACKET},
    {SDL_SCANCODE_RETURN, DIK_RETURN},
    {SDL_SCANCODE_LCTRL, DIK_LCONTROL},
    {SDL_SCANCODE_A, DIK_A},
    {SDL_SCANCODE_S, DIK_S},
    {SDL_SCANCODE_D, DIK_D},
    {SDL_SCANCODE_F, DIK_F},
    {SDL_SCANCODE_G, DIK_G},
    {SDL_SCANCODE_H, DIK_H},
    {SDL_SCANCODE_J, DIK_J},
    {SDL_SCANCODE_K, DIK_K},
    {SDL_SCANCODE_L, DIK_L},
    {SDL_SCANCODE_SEMICOLON, DIK_SEMICOLON},
    {SDL_SCANCODE_APOSTROPHE, DIK_APOSTROPHE},
    {SDL_SCANCODE_GRAVE, DIK_GRAVE},
    {SDL_SCANCODE_LSHIFT, DIK_LSHIFT},
    {SDL_SCANCODE_BACKSLASH, DIK_BACKSLASH},
    {SDL_SCANCODE_NONUSHASH, DIK_BACKSLASH},  // the same key position on ISO boards
    {SDL_SCANCODE_Z, DIK_Z},
    {SDL_SCANCODE_X, DIK_X},
    {SDL_SCANCODE_C, DIK_C},
    {SDL_SCANCODE_V, DIK_V},
    {SDL_SCANCODE_B, DIK_B},
    {SDL_SCANCODE_N, DIK_N},
    {SDL_SCANCODE_M, DIK_M},
    {SDL_SCANCODE_COMMA, DIK_COMMA},
    {SDL_SCANCODE_PERIOD, DIK_PERIOD},
    {SDL_SCANCODE_SLASH, DIK_SLASH},
    {SDL_SCANCODE_RSHIFT, DIK_RSHIFT},
    {SDL_SCANCODE_KP_MULTIPLY, DIK_MULTIPLY},
    {SDL_SCANCODE_LALT, DIK_LMENU},
    {SDL_SCANCODE_SPACE, DIK_SPACE},
    {SDL_SCANCODE_CAPSLOCK, DIK_CAPITAL},
    {SDL_SCANCODE_F1, DIK_F1},
    {SDL_SCANCODE_F2, DIK_F2},
    {SDL_SCANCODE_F3, DIK_F3},
    {SDL_SCANCODE_F4, DIK_F4},
    {SDL_SCANCODE_F5, DIK_F5},
    {SDL_SCANCODE_F6, DIK_F6},
    {SDL_SCANCODE_F7, DIK_F7},
    {SDL_SCANCODE_F8, DIK_F8},
    {SDL_SCANCODE_F9, DIK_F9},
    {SDL_SCANCODE_F10, DIK_F10},
    {SDL_SCANCODE_NUMLOCKCLEAR, DIK_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, DIK_SCROLL},
    {SDL_SCANCODE_KP_7, DIK_NUMPAD7},
    {SDL_SCANCODE_KP_8, DIK_NUMPAD8},
    {SDL_SCANCODE_KP_9, DIK_NUMPAD9},
    {SDL_SCANCODE_KP_MINUS, DIK_SUBTRACT},
    {SDL_SCANCODE_KP_4, DIK_NUMPAD4},
    {SDL_SCANCODE_KP_5, DIK_NUMPAD5},
    {SDL_SCANCODE_KP_6, DIK_NUMPAD6},
    {SDL_SCANCODE_KP_PLUS, DIK_ADD},
    {SDL_SCANCODE_KP_1, DIK_NUMPAD1},
    {SDL_SCANCODE_KP_2, DIK_NUMPAD2},
    {SDL_SCANCODE_KP_3, DIK_NUMPAD3},
    {SDL_SCANCODE_KP_0, DIK_NUMPAD0},
    {SDL_SCANCODE_KP_PERIOD, DIK_DECIMAL},
    {SDL_SCANCODE_NONUSBACKSLASH, DIK_OEM_102},
    {SDL_SCANCODE_F11, DIK_F11},
    {SDL_SCANCODE_F12, DIK_F12},
    {SDL_SCANCODE_KP_ENTER, DIK_NUMPADENTER},
    {SDL_SCANCODE_RCTRL, DIK_RCONTROL},
    {SDL_SCANCODE_KP_DIVIDE, DIK_DIVIDE},
    {SDL_SCANCODE_PRINTSCREEN, DIK_SYSRQ},
    {SDL_SCANCODE_RALT, DIK_RMENU},
    {SDL_SCANCODE_PAUSE, DIK_PAUSE},
    {SDL_SCANCODE_HOME, DIK_HOME},
    {SDL_SCANCODE_UP, DIK_UP},
    {SDL_SCANCODE_PAGEUP, DIK_PRIOR},
    {SDL_SCANCODE_LEFT, DIK_LEFT},
    {SDL_SCANCODE_RIGHT, DIK_RIGHT},
    {SDL_SCANCODE_END, DIK_END},
    {SDL_SCANCODE_DOWN, DIK_DOWN},
    {SDL_SCANCODE_PAGEDOWN, DIK_NEXT},
    {SDL_SCANCODE_INSERT, DIK_INSERT},
    {SDL_SCANCODE_DELETE, DIK_DELETE},
    {SDL_SCANCODE_LGUI, DIK_LWIN},
    {SDL_SCANCODE_RGUI, DIK_RWIN},
    {SDL_SCANCODE_APPLICATION, DIK_APPS},
};

}  // namespace

BYTE DikOfScancode(int scancode) {
  for (const ScancodeKey& k : kScancodes) {
    if (k.scancode == scancode) return k.dik;
  }
  return 0;
}

namespace {

struct Joystick {
  SDL_Joystick* joystick = nullptr;
  SDL_Haptic* haptic = nullptr;
  std::vector<platform::InputEffectSupport> effects;
};

DWORD SubtypeOf(SDL_JoystickType type) {
  switch (type) {
    case SDL_JOYSTICK_TYPE_GAMECONTROLLER:
      return DIDEVTYPEJOYSTICK_GAMEPAD;
    case SDL_JOYSTICK_TYPE_WHEEL:
      return DIDEVTYPEJOYSTICK_WHEEL;
    case SDL_JOYSTICK_TYPE_FLIGHT_STICK:
      return DIDEVTYPEJOYSTICK_FLIGHTSTICK;
    case SDL_JOYSTICK_TYPE_THROTTLE:
      return DIDEVTYPEJOYSTICK_RUDDER;
    default:
      return DIDEVTYPEJOYSTICK_TRADITIONAL;
  }
}

// The effects that the haptic device can play and this layer can give it.
// Periodic effects come first, so that a caller taking the first effect of
// the list gets a periodic one. SDL has no square wave.
std::vector<platform::InputEffectSupport> EffectsOf(SDL_Haptic* haptic) {
  std::vector<platform::InputEffectSupport> out;
  if (haptic == nullptr || SDL_HapticNumAxes(haptic) < 1) return out;
  const unsigned int supported = SDL_HapticQuery(haptic);
  using K = platform::InputEffectKind;
  const std::pair<unsigned int, K> order[] = {
      {SDL_HAPTIC_SINE, K::SINE},
      {SDL_HAPTIC_TRIANGLE, K::TRIANGLE},
      {SDL_HAPTIC_SAWTOOTHUP, K::SAWTOOTH_UP},
      {SDL_HAPTIC_SAWTOOTHDOWN, K::SAWTOOTH_DOWN},
      {SDL_HAPTIC_CONSTANT, K::CONSTANT},
      {SDL_HAPTIC_RAMP, K::RAMP},
  };
  for (const auto& [bit, kind] : order) {
    if (supported & bit) out.push_back({kind, true});
  }
  return out;
}

// The fields that SDL's constant, ramp and periodic effects share.
template <class T>
void SetCommon(T* out, const platform::HapticEffect& h, const SDL_HapticDirection& direction) {
  out->direction = direction;
  out->length = h.lengthMs;
  out->button = h.triggerButton;
  out->interval = h.triggerIntervalMs;
  out->attack_length = h.attackLengthMs;
  out->attack_level = h.attackLevel;
  out->fade_length = h.fadeLengthMs;
  out->fade_level = h.fadeLevel;
}

SDL_HapticEffect ToSdl(const platform::HapticEffect& h) {
  SDL_HapticEffect e;
  SDL_memset(&e, 0, sizeof e);
  SDL_HapticDirection direction;
  SDL_memset(&direction, 0, sizeof direction);
  direction.type = h.directionType == 0   ? SDL_HAPTIC_POLAR
                   : h.directionType == 2 ? SDL_HAPTIC_SPHERICAL
                                          : SDL_HAPTIC_CARTESIAN;
  for (int i = 0; i < 3; ++i) direction.dir[i] = h.direction[i];
  using K = platform::InputEffectKind;
  switch (h.kind) {
    case K::CONSTANT:
      e.type = SDL_HAPTIC_CONSTANT;
      SetCommon(&e.constant, h, direction);
      e.constant.level = h.level;
      break;
    case K::RAMP:
      e.type = SDL_HAPTIC_RAMP;
      SetCommon(&e.ramp, h, direction);
      e.ramp.start = h.start;
      e.ramp.end = h.end;
      break;
    default:
      e.type = h.kind == K::TRIANGLE        ? SDL_HAPTIC_TRIANGLE
               : h.kind == K::SAWTOOTH_UP   ? SDL_HAPTIC_SAWTOOTHUP
               : h.kind == K::SAWTOOTH_DOWN ? SDL_HAPTIC_SAWTOOTHDOWN
                                            : SDL_HAPTIC_SINE;
      e.periodic.type = e.type;
      SetCommon(&e.periodic, h, direction);
      e.periodic.period = h.periodMs;
      e.periodic.magnitude = h.magnitude;
      e.periodic.offset = h.offset;
      e.periodic.phase = h.phase;
      break;
  }
  return e;
}

class SdlBackend;
SdlBackend* g_backend = nullptr;

class SdlBackend final : public Backend {
 public:
  void Start() override {
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    joysticks_ = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    if (!joysticks_) std::fprintf(stderr, "Kelvarro: no joysticks: %s\n", SDL_GetError());
    haptics_ = joysticks_ && SDL_InitSubSystem(SDL_INIT_HAPTIC) == 0;
    mouse_ = MouseRaw{};
    keysFromEvents_.reset();
    g_backend = this;
    platform::AddSdlEventListener(OnEvent);
  }

  void Stop() override {
    platform::RemoveSdlEventListener(OnEvent);
    g_backend = nullptr;
    CaptureMouse(false);
    for (auto& [id, j] : open_) Close(j);
    open_.clear();
    if (haptics_) SDL_QuitSubSystem(SDL_INIT_HAPTIC);
    if (joysticks_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    haptics_ = joysticks_ = false;
  }

  std::vector<DeviceDesc> Devices() override {
    std::vector<DeviceDesc> out;
    DeviceDesc keyboard;
    keyboard.kind = DeviceKind::KEYBOARD;
    keyboard.handle = KEYBOARD_HANDLE;
    keyboard.instance = keyboard.product = GUID_SysKeyboard;
    keyboard.devType = DIDEVTYPE_KEYBOARD | (DIDEVTYPEKEYBOARD_PCENH << 8);
    keyboard.name = "Keyboard";
    for (const KeyName& k : StandardKeys()) keyboard.keys.push_back(k.dik);
    out.push_back(std::move(keyboard));

    if (joysticks_) {
      SDL_JoystickUpdate();
      Refresh();
      std::map<std::string, int> seen;
      const int count = SDL_NumJoysticks();
      for (int i = 0; i < count; ++i) {
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
        auto it = open_.find(id);
        if (it == open_.end()) it = Open(i, id);
        if (it == open_.end()) continue;
        SDL_Joystick* joy = it->second.joystick;
        const char* name = SDL_JoystickName(joy);
        char guid[64];
        SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(joy), guid, sizeof guid);
        const std::string identity = std::string(guid) + ":" + (name != nullptr ? name : "");
        DeviceDesc d;
        d.kind = DeviceKind::JOYSTICK;
        d.handle = JOYSTICK_HANDLE_BASE + static_cast<Handle>(id);
        d.instance = StableGuid("joystick:" + identity, seen[identity]++);
        d.product = StableGuid("joystick product:" + identity, 0);
        d.devType = DIDEVTYPE_JOYSTICK | (SubtypeOf(SDL_JoystickGetType(joy)) << 8) | DIDEVTYPE_HID;
        d.name = name != nullptr && *name != '\0' ? name : "Joystick";
        d.axes = std::clamp(SDL_JoystickNumAxes(joy), 0, MAX_AXES);
        d.buttons = std::clamp(SDL_JoystickNumButtons(joy), 0, MAX_BUTTONS);
        d.hats = std::clamp(SDL_JoystickNumHats(joy), 0, MAX_HATS);
        d.effects = it->second.effects;
        out.push_back(std::move(d));
      }
    }

    DeviceDesc mouse;
    mouse.kind = DeviceKind::MOUSE;
    mouse.handle = MOUSE_HANDLE;
    mouse.instance = mouse.product = GUID_SysMouse;
    mouse.devType = DIDEVTYPE_MOUSE | (DIDEVTYPEMOUSE_TRADITIONAL << 8);
    mouse.name = "Mouse";
    out.push_back(std::move(mouse));
    return out;
  }

  bool Attached(Handle device) override {
    if (device == KEYBOARD_HANDLE || device == MOUSE_HANDLE) return true;
    Joystick* j = Find(device);
    return j != nullptr && SDL_JoystickGetAttached(j->joystick);
  }

  void Update() override {
    if (joysticks_) SDL_JoystickUpdate();
  }

  void ReadKeyboard(Handle, BYTE out[256]) override {
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    for (const ScancodeKey& k : kScancodes) {
      if ((k.scancode < count && state[k.scancode]) || keysFromEvents_[k.scancode]) out[k.dik] = 1;
    }
  }

  void ReadJoystick(Handle device, JoystickRaw* out) override {
    Joystick* j = Find(device);
    if (j == nullptr) return;
    SDL_Joystick* joy = j->joystick;
    const int axes = std::min(SDL_JoystickNumAxes(joy), MAX_AXES);
    for (int i = 0; i < axes; ++i) out->axes[i] = SDL_JoystickGetAxis(joy, i);
    const int buttons = std::min(SDL_JoystickNumButtons(joy), MAX_BUTTONS);
    for (int i = 0; i < buttons; ++i) out->buttons[i] = SDL_JoystickGetButton(joy, i);
    const int hats = std::min(SDL_JoystickNumHats(joy), MAX_HATS);
    for (int i = 0; i < hats; ++i) out->hats[i] = SDL_JoystickGetHat(joy, i);
  }

  void ReadMouse(Handle, MouseRaw* out) override {
    *out = mouse_;
    mouse_.dx = mouse_.dy = mouse_.dz = 0;
  }

  void CaptureMouse(bool on) override {
    if (captured_ == on) return;
    captured_ = on;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE);
  }

  int UploadEffect(Handle device, const platform::HapticEffect& effect) override {
    Joystick* j = Find(device);
    if (j == nullptr || j->haptic == nullptr) return -1;
    SDL_HapticEffect e = ToSdl(effect);
    return SDL_HapticNewEffect(j->haptic, &e);
  }

  bool UpdateEffect(Handle device, int id, const platform::HapticEffect& effect) override {
    Joystick* j = Find(device);
    if (j == nullptr || j->haptic == nullptr) return false;
    SDL_HapticEffect e = ToSdl(effect);
    return SDL_HapticUpdateEffect(j->haptic, id, &e) == 0;
  }

  bool RunEffect(Handle device, int id, std::uint32_t iterations) override {
    Joystick* j = Find(device);
    if (j == nullptr || j->haptic == nullptr) return false;
    return SDL_HapticRunEffect(j->haptic, id, iterations == INFINITE ? SDL_HAPTIC_INFINITY : iterations) == 0;
  }

  bool StopEffect(Handle device, int id) override {
    Joystick* j = Find(device);
    if (j == nullptr || j->haptic == nullptr) return false;
    return SDL_HapticStopEffect(j->haptic, id) == 0;
  }

  void DestroyEffect(Handle device, int id) override {
    Joystick* j = Find(device);
    if (j != nullptr && j->haptic != nullptr) SDL_HapticDestroyEffect(j->haptic, id);
  }

 private:
  static void OnEvent(const void* event) {
    if (g_backend != nullptr) g_backend->Gather(*static_cast<const SDL_Event*>(event));
  }

  void Gather(const SDL_Event& e) {
    switch (e.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (e.key.keysym.scancode >= 0 && e.key.keysym.scancode < SDL_NUM_SCANCODES)
          keysFromEvents_[e.key.keysym.scancode] = e.type == SDL_KEYDOWN;
        break;
      case SDL_MOUSEMOTION:
        mouse_.dx += e.motion.xrel;
        mouse_.dy += e.motion.yrel;
        break;
      case SDL_MOUSEWHEEL:
        mouse_.dz += (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y) * 120;
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        int button = -1;
        switch (e.button.button) {
          case SDL_BUTTON_LEFT:
            button = 0;
            break;
          case SDL_BUTTON_RIGHT:
            button = 1;
            break;
          case SDL_BUTTON_MIDDLE:
            button = 2;
            break;
          case SDL_BUTTON_X1:
            button = 3;
            break;
          default:
            break;
        }
        if (button >= 0) mouse_.buttons[button] = e.type == SDL_MOUSEBUTTONDOWN ? 1 : 0;
        break;
      }
      default:
        break;
    }
  }

  Joystick* Find(Handle device) {
    if (device < JOYSTICK_HANDLE_BASE) return nullptr;
    auto it = open_.find(static_cast<SDL_JoystickID>(device - JOYSTICK_HANDLE_BASE));
    return it == open_.end() ? nullptr : &it->second;
  }

  std::map<SDL_JoystickID, Joystick>::iterator Open(int index, SDL_JoystickID id) {
    Joystick j;
    j.joystick = SDL_JoystickOpen(index);
    if (j.joystick == nullptr) return open_.end();
    if (haptics_ && SDL_JoystickIsHaptic(j.joystick) == SDL_TRUE) {
      j.haptic = SDL_HapticOpenFromJoystick(j.joystick);
      if (j.haptic != nullptr) {
        if (SDL_HapticQuery(j.haptic) & SDL_HAPTIC_GAIN) SDL_HapticSetGain(j.haptic, 100);
        j.effects = EffectsOf(j.haptic);
      }
    }
    return open_.emplace(id, j).first;
  }

  static void Close(Joystick& j) {
    if (j.haptic != nullptr) SDL_HapticClose(j.haptic);
    if (j.joystick != nullptr) SDL_JoystickClose(j.joystick);
    j.haptic = nullptr;
    j.joystick = nullptr;
  }

  // Joysticks that went away are closed (devices made for them are lost).
  void Refresh() {
    for (auto it = open_.begin(); it != open_.end();) {
      if (!SDL_JoystickGetAttached(it->second.joystick)) {
        Close(it->second);
        it = open_.erase(it);
      } else {
        ++it;
      }
    }
  }

  bool joysticks_ = false;
  bool haptics_ = false;
  bool captured_ = false;
  MouseRaw mouse_;
  // Keys as the key events went: events pushed into SDL's queue (scripted
  // input) never reach SDL's own keyboard state, which real keys set.
  std::bitset<SDL_NUM_SCANCODES> keysFromEvents_;
  std::map<SDL_JoystickID, Joystick> open_;
};

}  // namespace

Backend* MakeSdlBackend() {
  static SdlBackend backend;
  return &backend;
}

}  // namespace dinput

namespace platform {

namespace {
// Each virtual joystick keeps the joystick subsystem up and one handle open
// to feed it.
std::map<int, SDL_Joystick*>& VirtualJoysticks() {
  static std::map<int, SDL_Joystick*> joysticks;
  return joysticks;
}
SDL_Joystick* VirtualJoystick(int id) {
  auto it = VirtualJoysticks().find(id);
  return it == VirtualJoysticks().end() ? nullptr : it->second;
}
}  // namespace

int AttachSdlVirtualJoystick(const std::string& name, int axes, int buttons, int hats) {
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return -1;
  SDL_VirtualJoystickDesc desc;
  SDL_zero(desc);
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = static_cast<Uint16>(axes);
  desc.nbuttons = static_cast<Uint16>(buttons);
  desc.nhats = static_cast<Uint16>(hats);
  desc.name = name.c_str();
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  SDL_Joystick* joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
  if (joystick == nullptr) {
    if (index >= 0) SDL_JoystickDetachVirtual(index);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    return -1;
  }
  const int id = SDL_JoystickInstanceID(joystick);
  VirtualJoysticks()[id] = joystick;
  return id;
}

void SetSdlVirtualAxis(int joystick, int axis, int value) {
  if (SDL_Joystick* j = VirtualJoystick(joystick)) {
    SDL_JoystickSetVirtualAxis(j, axis, static_cast<Sint16>(std::clamp(value, -32768, 32767)));
  }
}

void SetSdlVirtualButton(int joystick, int button, bool down) {
  if (SDL_Joystick* j = VirtualJoystick(joystick)) {
    SDL_JoystickSetVirtualButton(j, button, down ? SDL_PRESSED : SDL_RELEASED);
  }
}

void SetSdlVirtualHat(int joystick, int hat, BYTE position) {
  if (SDL_Joystick* j = VirtualJoystick(joystick)) SDL_JoystickSetVirtualHat(j, hat, position);
}

void DetachSdlVirtualJoystick(int joystick) {
  SDL_Joystick* j = VirtualJoystick(joystick);
  if (j == nullptr) return;
  VirtualJoysticks().erase(joystick);
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (SDL_JoystickGetDeviceInstanceID(i) == joystick) {
      SDL_JoystickDetachVirtual(i);
      break;
    }
  }
  SDL_JoystickClose(j);
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

namespace {

bool PushSdlEvent(SDL_Event& e) {
  static const bool ready = SDL_InitSubSystem(SDL_INIT_EVENTS) == 0;
  return ready && SDL_PushEvent(&e) == 1;
}

}  // namespace

bool PushSdlMouseMotion(int dx, int dy) {
  SDL_Event e;
  SDL_zero(e);
  e.type = SDL_MOUSEMOTION;
  e.motion.xrel = dx;
  e.motion.yrel = dy;
  return PushSdlEvent(e);
}

bool PushSdlMouseWheel(int notches, bool flipped) {
  SDL_Event e;
  SDL_zero(e);
  e.type = SDL_MOUSEWHEEL;
  e.wheel.y = flipped ? -notches : notches;
  e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
  return PushSdlEvent(e);
}

bool PushSdlMouseButton(int sdlButton, bool down) {
  SDL_Event e;
  SDL_zero(e);
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.button = static_cast<Uint8>(sdlButton);
  e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  return PushSdlEvent(e);
}

}  // namespace platform
