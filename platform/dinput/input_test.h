// Test backend of the DirectInput layer: virtual keyboards, joysticks (with or
// without force feedback) and mice in place of SDL's devices, their state
// fed by the test, unplugging, chosen failures, and a record of the effects
// created and played.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/dinput/dinput.h"

namespace platform {

// The effects a force-feedback device can play, named as DirectInput names
// them ("Constant Force", "Ramp Force", "Square", "Sine", "Triangle",
// "Sawtooth Up", "Sawtooth Down", "Spring", "Damper", "Inertia", "Friction",
// "Custom Force").
enum class InputEffectKind {
  CONSTANT,
  RAMP,
  SQUARE,
  SINE,
  TRIANGLE,
  SAWTOOTH_UP,
  SAWTOOTH_DOWN,
  SPRING,
  DAMPER,
  INERTIA,
  FRICTION,
  CUSTOM,
};

// One effect of a device's effect list: its kind, and whether the device
// shapes it with an attack and fade envelope (the effect type then carries
// DIEFT_FFATTACK | DIEFT_FFFADE besides its basic type).
struct InputEffectSupport {
  InputEffectKind kind;
  bool envelope = true;
};

// An effect as the device plays it (SDL's haptic units): lengths and period
// in milliseconds, magnitudes and levels -32767..32767 (0..32767 for the
// envelope), phase in hundredths of a degree, direction in Cartesian
// components as given.
struct HapticEffect {
  InputEffectKind kind = InputEffectKind::SINE;
  std::uint32_t lengthMs = 0;      // 0xFFFFFFFF for ever
  std::uint8_t directionType = 1;  // 0 polar, 1 Cartesian, 2 spherical
  std::int32_t direction[3] = {};
  std::int32_t axes = 0;            // axes the effect acts on
  std::uint16_t triggerButton = 0;  // 0: none, else button number + 1
  std::uint16_t triggerIntervalMs = 0;
  // Periodic effects.
  std::int16_t magnitude = 0;
  std::int16_t offset = 0;
  std::uint16_t phase = 0;
  std::uint16_t periodMs = 0;
  // Constant force (level) and ramp (start, end).
  std::int16_t level = 0;
  std::int16_t start = 0;
  std::int16_t end = 0;
  // Envelope.
  std::uint16_t attackLengthMs = 0;
  std::uint16_t attackLevel = 0;
  std::uint16_t fadeLengthMs = 0;
  std::uint16_t fadeLevel = 0;

  bool operator==(const HapticEffect&) const = default;
};

using TestInputDevice = int;

struct TestKeyboardSpec {
  std::string name = "Keyboard";
  // DIK codes of the keys it has; empty: every key of the standard keyboard.
  std::vector<BYTE> keys;
};

struct TestJoystickSpec {
  std::string name = "Joystick";
  int axes = 2;     // 0..8: X, Y, Z, Rx, Ry, Rz, slider, slider
  int buttons = 4;  // 0..32
  int hats = 0;     // 0..4
  DWORD subtype = DIDEVTYPEJOYSTICK_TRADITIONAL;
  // Empty: no force feedback.
  std::vector<InputEffectSupport> effects;
};

// Hat positions for SetTestHat, combined for the diagonals.
constexpr BYTE TEST_HAT_CENTRED = 0;
constexpr BYTE TEST_HAT_UP = 1;
constexpr BYTE TEST_HAT_RIGHT = 2;
constexpr BYTE TEST_HAT_DOWN = 4;
constexpr BYTE TEST_HAT_LEFT = 8;

// Operations that the test can make fail.
enum class TestInputFailure {
  CREATE,            // DirectInputCreateA
  ENUM_DEVICES,      // IDirectInput::EnumDevices
  CREATE_DEVICE,     // IDirectInput::CreateDevice
  QUERY_DEVICE2,     // QueryInterface for IDirectInputDevice2 (gives no interface)
  ENUM_OBJECTS,      // IDirectInputDevice::EnumObjects
  ACQUIRE,           // IDirectInputDevice::Acquire
  GET_CAPABILITIES,  // IDirectInputDevice::GetCapabilities
  SET_RANGE,         // SetProperty DIPROP_RANGE
  SET_DEADZONE,      // SetProperty DIPROP_DEADZONE
  CREATE_EFFECT,     // IDirectInputDevice2::CreateEffect
  COUNT
};

// Switching either way forgets every virtual device, failure and record.
// The test backend starts with no device at all. Switch only while no
// DirectInput object is alive.
void UseTestInput(bool on);

// Devices are enumerated in the order of the real one: keyboards, then
// joysticks, then mice, each group in the order added. The first keyboard
// and the first mouse are the system devices (GUID_SysKeyboard,
// GUID_SysMouse); other devices get instance GUIDs from their name and
// their place among devices of the same name.
TestInputDevice AddTestKeyboard(const TestKeyboardSpec& spec = {});
TestInputDevice AddTestJoystick(const TestJoystickSpec& spec = {});
TestInputDevice AddTestMouse(const std::string& name = "Mouse");

void SetTestKey(TestInputDevice device, BYTE dik, bool down);
// Raw axis position -32768..32767, as SDL reports it.
void SetTestAxis(TestInputDevice device, int axis, int value);
void SetTestButton(TestInputDevice device, int button, bool down);
void SetTestHat(TestInputDevice device, int hat, BYTE position);
// Relative motion, added up until the next read.
void MoveTestMouse(TestInputDevice device, int dx, int dy, int wheel = 0);
void SetTestMouseButton(TestInputDevice device, int button, bool down);

// An unplugged device leaves the enumeration, and devices made for it lose
// their input; plugging it back in brings it back with the same GUID.
void UnplugTestDevice(TestInputDevice device);
void PlugTestDevice(TestInputDevice device);

void FailTestInput(TestInputFailure operation, bool fail);

// Whether the mouse is captured (exclusive access, acquired).
bool TestMouseCaptured();

// The parameters of an effect, copied out of a DIEFFECT.
struct EffectParams {
  DWORD flags = 0;
  DWORD duration = 0;
  DWORD samplePeriod = 0;
  DWORD gain = 0;
  DWORD triggerButton = 0;
  DWORD triggerRepeatInterval = 0;
  std::vector<DWORD> axes;
  std::vector<LONG> directions;
  std::optional<DIENVELOPE> envelope;
  std::optional<DIPERIODIC> periodic;
  DWORD typeSpecificSize = 0;
  std::vector<BYTE> typeSpecific;
};
// CreateEffect calls as the device received them.
struct TestEffectCreation {
  TestInputDevice device;
  GUID effect;
  EffectParams params;
  HRESULT result;
};

// What reached the force-feedback device.
enum class HapticCallKind { UPLOAD, UPDATE, RUN, STOP, DESTROY };
struct HapticCall {
  TestInputDevice device;
  HapticCallKind kind;
  int effectId;
  HapticEffect effect;       // UPLOAD and UPDATE
  std::uint32_t iterations;  // RUN
};

const std::vector<TestEffectCreation>& RecordedEffectCreations();
const std::vector<HapticCall>& RecordedHapticCalls();
void ClearInputRecords();

// SDL's own virtual joystick, which the SDL backend (test input off) lists
// like a real one. Returns an id for the calls below, -1 on failure.
int AttachSdlVirtualJoystick(const std::string& name, int axes, int buttons, int hats);
void SetSdlVirtualAxis(int joystick, int axis, int value);
void SetSdlVirtualButton(int joystick, int button, bool down);
void SetSdlVirtualHat(int joystick, int hat, BYTE position);
void DetachSdlVirtualJoystick(int joystick);

// Mouse events pushed into SDL's own queue, as a real mouse sends them; the
// SDL backend gathers them at the next PeekMessageA. `sdlButton` is SDL's
// button number (1 left, 2 middle, 3 right, 4 and 5 the side buttons).
// False when SDL's event queue is not available.
bool PushSdlMouseMotion(int dx, int dy);
bool PushSdlMouseWheel(int notches, bool flipped);
bool PushSdlMouseButton(int sdlButton, bool down);

}  // namespace platform
