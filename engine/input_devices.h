// The controller the player rides with (a keyboard or a joystick, as the
// setup program chose it), its six control bindings, and the force-feedback
// effects of a force-feedback joystick. The setup program stores the device
// and the bindings as indexes into DirectInput's enumeration order, so the
// tables here are filled in exactly that order. The start-up steps are
// members of App (engine/app.h).
#pragma once

#include <cstdint>

#include "engine/app.h"
#include "platform/dinput/dinput.h"

constexpr std::uint32_t MAX_INPUT_DEVICES = 5;
constexpr std::uint32_t MAX_INPUT_OBJECTS = 256;
constexpr std::uint32_t MAX_FORCE_EFFECT_INFOS = 50;
constexpr std::uint32_t FORCE_EFFECT_SLOTS = 10;
// Effects that App::CreateForceEffects makes, in rising strength.
constexpr std::uint32_t FORCE_EFFECT_LEVELS = 6;

struct InputDeviceInfo {
  GUID instance;
  std::uint32_t type;  // the full DirectInput device type; its low byte is the kind
  char productName[MAX_PATH];
};

enum InputObjectKind : std::uint32_t {
  INPUT_OBJECT_AXIS = 0,  // X, Y, Z, Rx, Ry, Rz and sliders (and any unknown type)
  INPUT_OBJECT_BUTTON = 1,
  INPUT_OBJECT_POV = 2,
  INPUT_OBJECT_KEY = 3,
};

struct InputObjectInfo {
  std::uint32_t kind;    // InputObjectKind
  std::uint32_t offset;  // byte offset in the device state; a key's DIK code
  char name[MAX_PATH];
  GUID type;
};

struct ForceEffectInfo {
  GUID guid;
  std::uint32_t type;
  char name[MAX_PATH];
};

extern InputDeviceInfo g_InputDevices[MAX_INPUT_DEVICES];
extern std::uint32_t g_InputDeviceCount;
// The device in use.
extern std::uint32_t g_InputDeviceIndex;

// The objects of the device in use, in enumeration order.
extern InputObjectInfo g_InputObjects[MAX_INPUT_OBJECTS];
extern std::uint32_t g_InputObjectCount;

// Copies of the six bound objects in ControlBinding order.
extern InputObjectInfo g_BoundControls[CONTROL_BINDING_COUNT];

extern ForceEffectInfo g_ForceEffectInfos[MAX_FORCE_EFFECT_INFOS];
extern std::uint32_t g_ForceEffectInfoCount;

extern IDirectInputA* g_DirectInput;
extern IDirectInputDevice2A* g_InputDevice;
// The device in use is a joystick.
extern std::uint8_t g_JoystickInput;
// The joystick has force feedback.
extern std::uint8_t g_ForceFeedback;
// Slots 0..5: the effects of rising strength; null where none was made.
extern IDirectInputEffect* g_ForceEffects[FORCE_EFFECT_SLOTS];

// The six gains of CreateForceEffects by FFGainLevel (0 low, 1 normal, 2 high).
extern const DWORD g_ForceEffectGains[3][FORCE_EFFECT_LEVELS];

// DirectInput enumeration callbacks filling the tables.
BOOL EnumInputDeviceCallback(const DIDEVICEINSTANCEA* device, void* ref);
BOOL EnumInputObjectCallback(const DIDEVICEOBJECTINSTANCEA* object, void* ref);
BOOL EnumEffectCallback(const DIEFFECTINFOA* effect, void* ref);

// Exit: unacquires and releases the input device, then releases DirectInput.
void ReleaseInputDevices();
// Exit: releases each effect that was made and clears its slot.
void ReleaseForceEffects();
