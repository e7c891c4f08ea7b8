// The test backend: virtual devices whose state the test sets.
#include "platform/dinput/backend.h"

#include <algorithm>
#include <array>
#include <map>

namespace dinput {
namespace {

struct TestDevice {
  DeviceKind kind;
  std::string name;
  std::vector<BYTE> keys;
  platform::TestJoystickSpec joystick;
  bool plugged = true;
  std::array<BYTE, 256> keyState{};
  JoystickRaw joystickState;
  MouseRaw mouseState;
  int nextEffect = 0;
};

struct TestState {
  bool active = false;
  std::vector<TestDevice> devices;  // index = TestInputDevice
  std::array<bool, static_cast<int>(platform::TestInputFailure::COUNT)> failures{};
  std::vector<platform::TestEffectCreation> creations;
  std::vector<platform::HapticCall> hapticCalls;
  bool mouseCaptured = false;
};

TestState& T() {
  static TestState s;
  return s;
}

Handle HandleOf(platform::TestInputDevice id) { return static_cast<Handle>(id) + 1; }

TestDevice* Find(Handle handle) {
  if (handle == 0 || handle > T().devices.size()) return nullptr;
  return &T().devices[handle - 1];
}

TestDevice* FindId(platform::TestInputDevice id) {
  if (id < 0 || static_cast<std::size_t>(id) >= T().devices.size()) return nullptr;
  return &T().devices[id];
}

platform::TestInputDevice IdOf(Handle handle) { return static_cast<platform::TestInputDevice>(handle) - 1; }

class TestBackend final : public Backend {
 public:
  std::vector<DeviceDesc> Devices() override {
    std::vector<DeviceDesc> out;
    for (DeviceKind kind : {DeviceKind::KEYBOARD, DeviceKind::JOYSTICK, DeviceKind::MOUSE}) {
      bool firstOfKind = true;
      std::map<std::string, int> seen;
      for (std::size_t i = 0; i < T().devices.size(); ++i) {
        const TestDevice& t = T().devices[i];
        if (t.kind != kind) continue;
        const bool system = firstOfKind && kind != DeviceKind::JOYSTICK;
        firstOfKind = false;
        const int occurrence = seen[t.name]++;
        if (!t.plugged) continue;
        DeviceDesc d;
        d.kind = kind;
        d.handle = HandleOf(static_cast<int>(i));
        d.name = t.name;
        switch (kind) {
          case DeviceKind::KEYBOARD:
            d.instance = system ? GUID_SysKeyboard : StableGuid("keyboard:" + t.name, occurrence);
            d.product = GUID_SysKeyboard;
            d.devType = DIDEVTYPE_KEYBOARD | (DIDEVTYPEKEYBOARD_PCENH << 8);
            d.keys = t.keys;
            break;
          case DeviceKind::MOUSE:
            d.instance = system ? GUID_SysMouse : StableGuid("mouse:" + t.name, occurrence);
            d.product = GUID_SysMouse;
            d.devType = DIDEVTYPE_MOUSE | (DIDEVTYPEMOUSE_TRADITIONAL << 8);
            break;
          case DeviceKind::JOYSTICK:
            d.instance = StableGuid("joystick:" + t.name, occurrence);
            d.product = StableGuid("joystick product:" + t.name, 0);
            d.devType = DIDEVTYPE_JOYSTICK | (t.joystick.subtype << 8) | DIDEVTYPE_HID;
            d.axes = std::clamp(t.joystick.axes, 0, MAX_AXES);
            d.buttons = std::clamp(t.joystick.buttons, 0, MAX_BUTTONS);
            d.hats = std::clamp(t.joystick.hats, 0, MAX_HATS);
            d.effects = t.joystick.effects;
            break;
        }
        out.push_back(std::move(d));
      }
    }
    return out;
  }

  bool Attached(Handle device) override {
    TestDevice* t = Find(device);
    return t != nullptr && t->plugged;
  }

  void ReadKeyboard(Handle device, BYTE out[256]) override {
    if (TestDevice* t = Find(device)) std::copy(t->keyState.begin(), t->keyState.end(), out);
  }

  void ReadJoystick(Handle device, JoystickRaw* out) override {
    if (TestDevice* t = Find(device)) *out = t->joystickState;
  }

  void ReadMouse(Handle device, MouseRaw* out) override {
    TestDevice* t = Find(device);
    if (t == nullptr) return;
    *out = t->mouseState;
    t->mouseState.dx = t->mouseState.dy = t->mouseState.dz = 0;
  }

  void CaptureMouse(bool on) override { T().mouseCaptured = on; }

  int UploadEffect(Handle device, const platform::HapticEffect& effect) override {
    TestDevice* t = Find(device);
    if (t == nullptr || !t->plugged) return -1;
    const int id = t->nextEffect++;
    Record(device, platform::HapticCallKind::UPLOAD, id, effect, 0);
    return id;
  }
  bool UpdateEffect(Handle device, int id, const platform::HapticEffect& effect) override {
    return Record(device, platform::HapticCallKind::UPDATE, id, effect, 0);
  }
  bool RunEffect(Handle device, int id, std::uint32_t iterations) override {
    return Record(device, platform::HapticCallKind::RUN, id, {}, iterations);
  }
  bool StopEffect(Handle device, int id) override { return Record(device, platform::HapticCallKind::STOP, id, {}, 0); }
  void DestroyEffect(Handle device, int id) override { Record(device, platform::HapticCallKind::DESTROY, id, {}, 0); }

  bool Fails(platform::TestInputFailure operation) override {
    const auto i = static_cast<std::size_t>(operation);
    return i < T().failures.size() && T().failures[i];
  }

  void NoteEffectCreation(Handle device, const GUID& effect, const DIEFFECT* params, HRESULT result) override {
    platform::TestEffectCreation c{};
    c.device = IdOf(device);
    c.effect = effect;
    c.result = result;
    if (params != nullptr) {
      platform::EffectParams& p = c.params;
      p.flags = params->dwFlags;
      p.duration = params->dwDuration;
      p.samplePeriod = params->dwSamplePeriod;
      p.gain = params->dwGain;
      p.triggerButton = params->dwTriggerButton;
      p.triggerRepeatInterval = params->dwTriggerRepeatInterval;
      // Arrays as far as they can be read: the caller's counts are not trusted.
      const DWORD axes = std::min<DWORD>(params->cAxes, 8);
      if (params->rgdwAxes != nullptr) p.axes.assign(params->rgdwAxes, params->rgdwAxes + axes);
      if (params->rglDirection != nullptr) p.directions.assign(params->rglDirection, params->rglDirection + axes);
      if (params->lpEnvelope != nullptr) p.envelope = *params->lpEnvelope;
      p.typeSpecificSize = params->cbTypeSpecificParams;
      if (params->cbTypeSpecificParams == sizeof(DIPERIODIC) && params->lpvTypeSpecificParams != nullptr) {
        p.periodic = *static_cast<const DIPERIODIC*>(params->lpvTypeSpecificParams);
      }
    }
    T().creations.push_back(std::move(c));
  }

 private:
  bool Record(Handle device, platform::HapticCallKind kind, int id, const platform::HapticEffect& effect,
              std::uint32_t iterations) {
    TestDevice* t = Find(device);
    if (t == nullptr || !t->plugged) return false;
    T().hapticCalls.push_back({IdOf(device), kind, id, effect, iterations});
    return true;
  }
};

TestBackend& TheTestBackend() {
  static TestBackend backend;
  return backend;
}

platform::TestInputDevice Add(TestDevice device) {
  T().devices.push_back(std::move(device));
  return static_cast<platform::TestInputDevice>(T().devices.size() - 1);
}

}  // namespace

Backend* MakeTestBackend() { return &TheTestBackend(); }

bool TestBackendActive() { return T().active; }

}  // namespace dinput

namespace platform {

using dinput::T;

void UseTestInput(bool on) {
  T() = dinput::TestState{};
  T().active = on;
}

TestInputDevice AddTestKeyboard(const TestKeyboardSpec& spec) {
  dinput::TestDevice d{};
  d.kind = dinput::DeviceKind::KEYBOARD;
  d.name = spec.name;
  if (spec.keys.empty()) {
    for (const auto& k : dinput::StandardKeys()) d.keys.push_back(k.dik);
  } else {
    d.keys = spec.keys;
    std::sort(d.keys.begin(), d.keys.end());
    d.keys.erase(std::unique(d.keys.begin(), d.keys.end()), d.keys.end());
    d.keys.erase(std::remove(d.keys.begin(), d.keys.end(), BYTE{0}), d.keys.end());
  }
  return dinput::Add(std::move(d));
}

TestInputDevice AddTestJoystick(const TestJoystickSpec& spec) {
  dinput::TestDevice d{};
  d.kind = dinput::DeviceKind::JOYSTICK;
  d.name = spec.name;
  d.joystick = spec;
  return dinput::Add(std::move(d));
}

TestInputDevice AddTestMouse(const std::string& name) {
  dinput::TestDevice d{};
  d.kind = dinput::DeviceKind::MOUSE;
  d.name = name;
  return dinput::Add(std::move(d));
}

void SetTestKey(TestInputDevice device, BYTE dik, bool down) {
  if (auto* t = dinput::FindId(device)) t->keyState[dik] = down ? 1 : 0;
}

void SetTestAxis(TestInputDevice device, int axis, int value) {
  auto* t = dinput::FindId(device);
  if (t == nullptr || axis < 0 || axis >= dinput::MAX_AXES) return;
  t->joystickState.axes[axis] = static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
}

void SetTestButton(TestInputDevice device, int button, bool down) {
  auto* t = dinput::FindId(device);
  if (t == nullptr || button < 0 || button >= dinput::MAX_BUTTONS) return;
  t->joystickState.buttons[button] = down ? 1 : 0;
}

void SetTestHat(TestInputDevice device, int hat, BYTE position) {
  auto* t = dinput::FindId(device);
  if (t == nullptr || hat < 0 || hat >= dinput::MAX_HATS) return;
  t->joystickState.hats[hat] = position;
}

void MoveTestMouse(TestInputDevice device, int dx, int dy, int wheel) {
  auto* t = dinput::FindId(device);
  if (t == nullptr) return;
  t->mouseState.dx += dx;
  t->mouseState.dy += dy;
  t->mouseState.dz += wheel;
}

void SetTestMouseButton(TestInputDevice device, int button, bool down) {
  auto* t = dinput::FindId(device);
  if (t == nullptr || button < 0 || button >= dinput::MOUSE_BUTTONS) return;
  t->mouseState.buttons[button] = down ? 1 : 0;
}

void UnplugTestDevice(TestInputDevice device) {
  if (auto* t = dinput::FindId(device)) t->plugged = false;
}

void PlugTestDevice(TestInputDevice device) {
  if (auto* t = dinput::FindId(device)) t->plugged = true;
}

void FailTestInput(TestInputFailure operation, bool fail) {
  const auto i = static_cast<std::size_t>(operation);
  if (i < T().failures.size()) T().failures[i] = fail;
}

bool TestMouseCaptured() { return T().mouseCaptured; }

const std::vector<TestEffectCreation>& RecordedEffectCreations() { return T().creations; }
const std::vector<HapticCall>& RecordedHapticCalls() { return T().hapticCalls; }

void ClearInputRecords() {
  T().creations.clear();
  T().hapticCalls.clear();
}

}  // namespace platform
