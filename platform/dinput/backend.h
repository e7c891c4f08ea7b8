// Inside the DirectInput layer: what a source of devices (SDL, or the test
// backend) offers. The DirectInput objects turn this raw input into the
// standard formats, so both sources share every conversion.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dinput/dinput.h"
#include "platform/dinput/input_test.h"

namespace dinput {

enum class DeviceKind { KEYBOARD, JOYSTICK, MOUSE };

constexpr int MAX_AXES = 8;
constexpr int MAX_BUTTONS = 32;
constexpr int MAX_HATS = 4;
constexpr int MOUSE_BUTTONS = 4;

using Handle = std::uint64_t;

struct DeviceDesc {
  DeviceKind kind = DeviceKind::KEYBOARD;
  Handle handle = 0;
  GUID instance{};
  GUID product{};
  DWORD devType = 0;
  std::string name;
  std::vector<BYTE> keys;  // keyboard: DIK codes, ascending
  int axes = 0;
  int buttons = 0;
  int hats = 0;
  std::vector<platform::InputEffectSupport> effects;  // empty: no force feedback
};

struct JoystickRaw {
  std::int16_t axes[MAX_AXES] = {};
  BYTE buttons[MAX_BUTTONS] = {};  // non-zero while down
  BYTE hats[MAX_HATS] = {};        // TEST_HAT_* bits
};

struct MouseRaw {
  LONG dx = 0;
  LONG dy = 0;
  LONG dz = 0;
  BYTE buttons[MOUSE_BUTTONS] = {};  // non-zero while down
};

class Backend {
 public:
  virtual ~Backend() = default;
  // Around the life of the DirectInput objects: the first one starts the
  // backend, the last one released stops it.
  virtual void Start() {}
  virtual void Stop() {}
  // Attached devices in enumeration order.
  virtual std::vector<DeviceDesc> Devices() = 0;
  virtual bool Attached(Handle device) = 0;
  // Brings joystick state up to date (SDL reads the hardware here).
  virtual void Update() {}
  virtual void ReadKeyboard(Handle device, BYTE out[256]) = 0;
  virtual void ReadJoystick(Handle device, JoystickRaw* out) = 0;
  // Takes the motion gathered since the last read.
  virtual void ReadMouse(Handle device, MouseRaw* out) = 0;
  virtual void CaptureMouse(bool on) = 0;
  // Force feedback; an id of -1 is a failure.
  virtual int UploadEffect(Handle device, const platform::HapticEffect& effect) = 0;
  virtual bool UpdateEffect(Handle device, int id, const platform::HapticEffect& effect) = 0;
  virtual bool RunEffect(Handle device, int id, std::uint32_t iterations) = 0;
  virtual bool StopEffect(Handle device, int id) = 0;
  virtual void DestroyEffect(Handle device, int id) = 0;
  // Test backend only.
  virtual bool Fails(platform::TestInputFailure) { return false; }
  virtual void NoteEffectCreation(Handle, const GUID&, const DIEFFECT*, HRESULT) {}
};

// The test backend while platform::UseTestInput is on, else SDL.
Backend& CurrentBackend();
Backend* MakeSdlBackend();
Backend* MakeTestBackend();
bool TestBackendActive();

// Conversions shared by every backend.
// A raw axis position (-32768..32767) in the axis's range with its dead zone
// and saturation (ten-thousandths of the half range).
LONG ScaleAxis(std::int16_t raw, LONG min, LONG max, DWORD deadzone, DWORD saturation);
// TEST_HAT_* bits as a point-of-view value.
DWORD HatToPov(BYTE hat);
// Effect parameters in the device's haptic units; both gains (0..10000)
// scale every level. `triggerButton` is the button number of the trigger.
platform::HapticEffect ToHaptic(platform::InputEffectKind kind, const platform::EffectParams& params, DWORD deviceGain,
                                DWORD triggerButton);

// The standard keyboard: DIK codes in ascending order with their names.
struct KeyName {
  BYTE dik;
  const char* name;
};
const std::vector<KeyName>& StandardKeys();
const char* KeyNameOf(BYTE dik);  // null for a code the table lacks
// The DIK code that the SDL backend reads for an SDL scancode; 0 for a key it
// does not report.
BYTE DikOfScancode(int scancode);

// An instance GUID that stays the same for the same device: from the bytes
// that identify its model and its place among attached devices of that model.
GUID StableGuid(const std::string& identity, int occurrence);

}  // namespace dinput
