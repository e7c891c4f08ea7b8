#include "engine/input_devices.h"

#include <cstring>

#include "engine/system.h"

InputDeviceInfo g_InputDevices[MAX_INPUT_DEVICES];
std::uint32_t g_InputDeviceCount = 0;
std::uint32_t g_InputDeviceIndex = 0;
InputObjectInfo g_InputObjects[MAX_INPUT_OBJECTS];
std::uint32_t g_InputObjectCount = 0;
InputObjectInfo g_BoundControls[CONTROL_BINDING_COUNT];
ForceEffectInfo g_ForceEffectInfos[MAX_FORCE_EFFECT_INFOS];
std::uint32_t g_ForceEffectInfoCount = 0;
IDirectInputA* g_DirectInput = nullptr;
IDirectInputDevice2A* g_InputDevice = nullptr;
std::uint8_t g_JoystickInput = 0;
std::uint8_t g_ForceFeedback = 0;
IDirectInputEffect* g_ForceEffects[FORCE_EFFECT_SLOTS] = {};

const DWORD g_ForceEffectGains[3][FORCE_EFFECT_LEVELS] = {
    {2500, 2915, 3330, 3745, 4160, 5000},
    {3500, 4080, 4690, 5240, 5850, 7000},
    {5000, 5830, 6660, 7490, 8320, 10000},
};

namespace {

constexpr const char* kKeyboardValues[CONTROL_BINDING_COUNT] = {"Accel", "Brake", "Left", "Right", "GearUp", "GearDn"};
constexpr const char* kJoystickValues[CONTROL_BINDING_COUNT] = {"AccelJ", "BrakeJ",  "LeftJ",
                                                                "RightJ", "GearUpJ", "GearDnJ"};
// Accelerate A, brake Z, left and right arrows, gear up S, gear down X.
constexpr BYTE kDefaultKeys[CONTROL_BINDING_COUNT] = {DIK_A, DIK_Z, DIK_LEFT, DIK_RIGHT, DIK_S, DIK_X};

constexpr LONG AXIS_RANGE = 10000;
constexpr DWORD AXIS_DEAD_ZONE = 2000;

template <std::size_t N>
void CopyName(char (&out)[N], const char* name) {
  // Names longer than the field are cut to fit; the rest is zero.
  std::size_t n = std::strlen(name);
  if (n > N - 1) n = N - 1;
  std::memcpy(out, name, n);
  std::memset(out + n, 0, N - n);
}

BYTE TypeOf(std::uint32_t deviceType) { return GET_DIDEVICE_TYPE(deviceType); }

InputObjectKind KindOf(const GUID& type) {
  if (IsEqualGUID(type, GUID_Button)) return INPUT_OBJECT_BUTTON;
  if (IsEqualGUID(type, GUID_POV)) return INPUT_OBJECT_POV;
  if (IsEqualGUID(type, GUID_Key)) return INPUT_OBJECT_KEY;
  return INPUT_OBJECT_AXIS;
}

// An object for a binding that names none: read as a key at offset 0, it
// never shows as pressed on either kind of controller.
const InputObjectInfo kNoObject = {INPUT_OBJECT_KEY, 0, "", {}};

void ShowError(const char* text) { ShowMessageBox(text, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR); }

// The defaults of the kind of controller in use.
void SetDefaultBindings(App& app) {
  if (g_JoystickInput) {
    app.SetDefaultJoystickBindings();
  } else {
    app.SetDefaultKeyboardBindings();
  }
}

}  // namespace

BOOL EnumInputDeviceCallback(const DIDEVICEINSTANCEA* device, void*) {
  if (device == nullptr) return DIENUM_CONTINUE;
  if (TypeOf(device->dwDevType) == DIDEVTYPE_MOUSE) return DIENUM_CONTINUE;
  if (g_InputDeviceCount >= MAX_INPUT_DEVICES) return DIENUM_STOP;
  InputDeviceInfo& info = g_InputDevices[g_InputDeviceCount++];
  info.instance = device->guidInstance;
  info.type = device->dwDevType;
  CopyName(info.productName, device->tszProductName);
  return g_InputDeviceCount < MAX_INPUT_DEVICES ? DIENUM_CONTINUE : DIENUM_STOP;
}

BOOL EnumInputObjectCallback(const DIDEVICEOBJECTINSTANCEA* object, void*) {
  if (g_InputObjectCount >= MAX_INPUT_OBJECTS) return DIENUM_STOP;
  if (object == nullptr) return DIENUM_CONTINUE;
  InputObjectInfo& info = g_InputObjects[g_InputObjectCount++];
  info.kind = KindOf(object->guidType);
  info.offset = object->dwOfs;
  CopyName(info.name, object->tszName);
  info.type = object->guidType;
  return DIENUM_CONTINUE;
}

BOOL EnumEffectCallback(const DIEFFECTINFOA* effect, void*) {
  if (effect == nullptr) return DIENUM_CONTINUE;
  if (g_ForceEffectInfoCount >= MAX_FORCE_EFFECT_INFOS) return DIENUM_STOP;
  ForceEffectInfo& info = g_ForceEffectInfos[g_ForceEffectInfoCount++];
  info.guid = effect->guid;
  info.type = effect->dwEffType;
  CopyName(info.name, effect->tszName);
  return g_ForceEffectInfoCount < MAX_FORCE_EFFECT_INFOS ? DIENUM_CONTINUE : DIENUM_STOP;
}

void ReleaseInputDevices() {
  if (g_InputDevice != nullptr) {
    g_InputDevice->Unacquire();
    g_InputDevice->Release();
    g_InputDevice = nullptr;
  }
  if (g_DirectInput != nullptr) {
    g_DirectInput->Release();
    g_DirectInput = nullptr;
  }
}

void ReleaseForceEffects() {
  for (IDirectInputEffect*& effect : g_ForceEffects) {
    if (effect != nullptr) effect->Release();
    effect = nullptr;
  }
}

bool App::InitInputDevices() {
  // DirectInput 5 on the program instance.
  ReleaseInputDevices();
  if (DirectInputCreateA(hInstance, 0x0500, &g_DirectInput, nullptr) != DI_OK || g_DirectInput == nullptr) {
    g_DirectInput = nullptr;
    return false;
  }
  if (!EnumInputDevices()) return false;

  // The device in use, as IDirectInputDevice2.
  if (g_InputDeviceIndex >= g_InputDeviceCount) return false;
  IDirectInputDeviceA* first = nullptr;
  if (g_DirectInput->CreateDevice(g_InputDevices[g_InputDeviceIndex].instance, &first, nullptr) != DI_OK ||
      first == nullptr) {
    return false;
  }
  if (g_InputDevice != nullptr) {
    g_InputDevice->Release();
    g_InputDevice = nullptr;
  }
  void* second = nullptr;
  const HRESULT hr = first->QueryInterface(IID_IDirectInputDevice2A, &second);
  first->Release();
  if (hr != DI_OK || second == nullptr) return false;
  g_InputDevice = static_cast<IDirectInputDevice2A*>(second);

  g_InputObjectCount = 0;
  if (g_InputDevice->EnumObjects(EnumInputObjectCallback, nullptr, DIDFT_ALL) != DI_OK) return false;

  if (!LoadControlBindings()) {
    SetDefaultBindings(*this);
  } else {
    ValidateControlBindings();
  }

  const BYTE type = TypeOf(g_InputDevices[g_InputDeviceIndex].type);
  g_InputDevice->SetCooperativeLevel(
      hwnd, type == DIDEVTYPE_JOYSTICK ? DISCL_EXCLUSIVE | DISCL_BACKGROUND : DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
  const DIDATAFORMAT* format = nullptr;
  switch (type) {
    case DIDEVTYPE_MOUSE:
      format = &c_dfDIMouse;
      break;
    case DIDEVTYPE_KEYBOARD:
      format = &c_dfDIKeyboard;
      break;
    case DIDEVTYPE_JOYSTICK:
      format = &c_dfDIJoystick;
      break;
    default:
      ShowError("Error: Unknown input device");
      return false;
  }
  g_InputDevice->SetDataFormat(format);

  const HRESULT acquired = g_InputDevice->Acquire();
  if (acquired != DI_OK && acquired != DI_NOEFFECT) return false;

  if (type == DIDEVTYPE_JOYSTICK) {
    DIDEVCAPS caps;
    std::memset(&caps, 0, sizeof caps);
    caps.dwSize = sizeof caps;
    if (g_InputDevice->GetCapabilities(&caps) == DI_OK && (caps.dwFlags & DIDC_FORCEFEEDBACK)) {
      g_ForceFeedback = 1;
      g_ForceEffectInfoCount = 0;
      g_InputDevice->EnumEffects(EnumEffectCallback, nullptr, DIEFT_ALL);
      CreateForceEffects();
    }
  }

  SetupBoundControls();
  return true;
}

bool App::EnumInputDevices() {
  g_InputDeviceCount = 0;
  if (g_DirectInput->EnumDevices(0, EnumInputDeviceCallback, nullptr, DIEDFL_ATTACHEDONLY) != DI_OK) return false;

  DWORD value = 0;
  if (!ReadRegistryDword("DIDevice", &value) || value >= g_InputDeviceCount) {
    g_JoystickInput = 0;
    g_ForceFeedback = 0;
    value = 0;
  }
  inputDeviceIndex = value;

  DWORD kind = 0;
  if (!ReadRegistryDword("InputDevice", &kind)) {
    kind = 0;
    g_ForceFeedback = 0;
    inputDeviceIndex = 0;
  }
  g_JoystickInput = kind != 0 ? 1 : 0;

  if (inputDeviceIndex < g_InputDeviceCount) {
    const BYTE type = TypeOf(g_InputDevices[inputDeviceIndex].type);
    if ((g_JoystickInput && type == DIDEVTYPE_JOYSTICK) || (!g_JoystickInput && type == DIDEVTYPE_KEYBOARD)) {
      g_InputDeviceIndex = inputDeviceIndex;
      return true;
    }
  }

  // The keyboard: the first one in the table.
  inputDeviceIndex = 0;
  g_JoystickInput = 0;
  g_ForceFeedback = 0;
  g_InputDeviceIndex = 0;
  for (std::uint32_t i = 0; i < g_InputDeviceCount; ++i) {
    if (TypeOf(g_InputDevices[i].type) == DIDEVTYPE_KEYBOARD) {
      g_InputDeviceIndex = i;
      break;
    }
  }
  return true;
}

bool App::LoadControlBindings() {
  const char* const* names = g_JoystickInput ? kJoystickValues : kKeyboardValues;
  for (int i = 0; i < CONTROL_BINDING_COUNT; ++i) {
    DWORD value = 0;
    if (!ReadRegistryDword(names[i], &value)) return false;
    controlBindings[i] = value;
  }
  return true;
}

void App::ValidateControlBindings() {
  for (std::uint32_t binding : controlBindings) {
    if (binding >= g_InputObjectCount) {
      SetDefaultBindings(*this);
      return;
    }
  }
  if (!g_JoystickInput) {
    for (int i = 0; i < CONTROL_BINDING_COUNT; ++i) {
      for (int j = i + 1; j < CONTROL_BINDING_COUNT; ++j) {
        if (controlBindings[i] == controlBindings[j]) {
          SetDefaultKeyboardBindings();
          return;
        }
      }
    }
    return;
  }
  // Pairs: accelerate and brake, left and right, gear up and gear down. One
  // axis or hat may serve both actions of its pair; nothing may serve two
  // pairs, and a button serves one action only.
  for (int i = 0; i < CONTROL_BINDING_COUNT; ++i) {
    for (int j = i + 1; j < CONTROL_BINDING_COUNT; ++j) {
      if (controlBindings[i] != controlBindings[j]) continue;
      const bool samePair = i / 2 == j / 2;
      if (!samePair || g_InputObjects[controlBindings[i]].kind == INPUT_OBJECT_BUTTON) {
        SetDefaultJoystickBindings();
        return;
      }
    }
  }
}

void App::SetDefaultKeyboardBindings() {
  for (int i = 0; i < CONTROL_BINDING_COUNT; ++i) {
    controlBindings[i] = 0;
    for (std::uint32_t k = 0; k < g_InputObjectCount; ++k) {
      if (g_InputObjects[k].offset == kDefaultKeys[i]) {
        controlBindings[i] = k;
        break;
      }
    }
  }
}

void App::SetDefaultJoystickBindings() {
  controlBindings[CONTROL_ACCELERATE] = FindInputObject(GUID_YAxis, 0);
  controlBindings[CONTROL_BRAKE] = FindInputObject(GUID_YAxis, 0);
  controlBindings[CONTROL_LEFT] = FindInputObject(GUID_XAxis, 0);
  controlBindings[CONTROL_RIGHT] = FindInputObject(GUID_XAxis, 0);
  controlBindings[CONTROL_GEAR_UP] = FindInputObject(GUID_Button, 0);
  controlBindings[CONTROL_GEAR_DOWN] = FindInputObject(GUID_Button, 1);
}

std::uint32_t App::FindInputObject(const GUID& type, std::uint8_t n) {
  std::uint32_t seen = 0;
  for (std::uint32_t i = 0; i < g_InputObjectCount; ++i) {
    if (!IsEqualGUID(g_InputObjects[i].type, type)) continue;
    if (seen == n) return i;
    ++seen;
  }
  return 0;
}

bool App::SetupBoundControls() {
  for (int i = 0; i < CONTROL_BINDING_COUNT; ++i) {
    const std::uint32_t index = controlBindings[i];
    g_BoundControls[i] = index < g_InputObjectCount ? g_InputObjects[index] : kNoObject;
    if (g_BoundControls[i].kind != INPUT_OBJECT_AXIS) continue;

    DIPROPRANGE range;
    std::memset(&range, 0, sizeof range);
    range.diph.dwSize = sizeof range;
    range.diph.dwHeaderSize = sizeof range.diph;
    range.diph.dwObj = g_BoundControls[i].offset;
    range.diph.dwHow = DIPH_BYOFFSET;
    range.lMin = -AXIS_RANGE;
    range.lMax = AXIS_RANGE;
    if (g_InputDevice == nullptr || FAILED(g_InputDevice->SetProperty(DIPROP_RANGE, &range.diph))) {
      ShowError("Error: Unable to set joystick range.");
    }

    DIPROPDWORD deadZone;
    std::memset(&deadZone, 0, sizeof deadZone);
    deadZone.diph.dwSize = sizeof deadZone;
    deadZone.diph.dwHeaderSize = sizeof deadZone.diph;
    deadZone.diph.dwObj = g_BoundControls[i].offset;
    deadZone.diph.dwHow = DIPH_BYOFFSET;
    deadZone.dwData = AXIS_DEAD_ZONE;
    if (g_InputDevice == nullptr || FAILED(g_InputDevice->SetProperty(DIPROP_DEADZONE, &deadZone.diph))) {
      ShowError("Error: Unable to set joystick deadzone.");
    }
  }
  return true;
}

void App::CreateForceEffects() {
  DWORD level = 1;
  if (!ReadRegistryDword("FFGainLevel", &level) || level > 2) level = 1;

  if (g_ForceEffectInfoCount == 0 || g_InputDevice == nullptr) return;
  // A square wave if there is one; else the last plain periodic effect; else
  // the first effect of the list.
  std::uint32_t chosen = g_ForceEffectInfoCount;
  for (std::uint32_t i = 0; i < g_ForceEffectInfoCount && chosen == g_ForceEffectInfoCount; ++i) {
    if (std::strcmp(g_ForceEffectInfos[i].name, "Square") == 0) chosen = i;
  }
  if (chosen == g_ForceEffectInfoCount) {
    for (std::uint32_t i = 0; i < g_ForceEffectInfoCount; ++i) {
      if (g_ForceEffectInfos[i].type == DIEFT_PERIODIC) chosen = i;
    }
  }
  if (chosen == g_ForceEffectInfoCount) chosen = 0;

  DWORD axes[2] = {DIJOFS_X, DIJOFS_Y};
  LONG direction[2] = {0, -1};
  DIENVELOPE envelope;
  std::memset(&envelope, 0, sizeof envelope);
  envelope.dwSize = sizeof envelope;
  envelope.dwAttackLevel = 10000;
  envelope.dwAttackTime = 0;
  envelope.dwFadeLevel = 10000;
  envelope.dwFadeTime = 0;
  DIPERIODIC periodic;
  periodic.dwMagnitude = 10000;
  periodic.lOffset = 0;
  periodic.dwPhase = 18000;
  periodic.dwPeriod = 150000;

  DIEFFECT effect;
  std::memset(&effect, 0, sizeof effect);
  effect.dwSize = sizeof effect;
  effect.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
  effect.dwDuration = 150000;
  effect.dwSamplePeriod = 0;
  effect.dwTriggerButton = DIEB_NOTRIGGER;
  effect.dwTriggerRepeatInterval = 0;
  effect.cAxes = 2;
  effect.rgdwAxes = axes;
  effect.rglDirection = direction;
  effect.lpEnvelope = &envelope;
  effect.cbTypeSpecificParams = sizeof periodic;
  effect.lpvTypeSpecificParams = &periodic;

  for (std::uint32_t i = 0; i < FORCE_EFFECT_LEVELS; ++i) {
    if (g_ForceEffects[i] != nullptr) {
      g_ForceEffects[i]->Release();
      g_ForceEffects[i] = nullptr;
    }
    effect.dwGain = g_ForceEffectGains[level][i];
    IDirectInputEffect* made = nullptr;
    if (SUCCEEDED(g_InputDevice->CreateEffect(g_ForceEffectInfos[chosen].guid, &effect, &made, nullptr))) {
      g_ForceEffects[i] = made;
    } else if (made != nullptr) {
      made->Release();
    }
  }
}
