#include "setup/devices.h"

#include "engine/system.h"
#include "platform/dsound/dsound.h"
#include "platform/win32/registry.h"
#include "setup/settings.h"

InputDeviceInfo g_SetupInputDevices[MAX_INPUT_DEVICES] = {};
std::uint32_t g_SetupInputDeviceCount = 0;
SoundDeviceInfo g_SetupSoundDevices[MAX_SOUND_DEVICES] = {};
std::uint32_t g_SetupSoundDeviceCount = 0;
IDirectInputA* g_SetupDirectInput = nullptr;
IDirectInputDevice2A* g_SetupInputDevice = nullptr;

namespace {

void ReleaseCurrentDevice() {
  if (g_SetupInputDevice != nullptr) g_SetupInputDevice->Release();
  g_SetupInputDevice = nullptr;
}

// The second interface of a device made from `instance`; null on failure.
IDirectInputDevice2A* MakeDevice2(const GUID& instance) {
  IDirectInputDeviceA* device = nullptr;
  if (g_SetupDirectInput->CreateDevice(instance, &device, nullptr) != DI_OK || device == nullptr) return nullptr;
  void* second = nullptr;
  const HRESULT queried = device->QueryInterface(IID_IDirectInputDevice2A, &second);
  device->Release();
  return queried == DI_OK ? static_cast<IDirectInputDevice2A*>(second) : nullptr;
}

}  // namespace

bool CreateDirectInput() {
  return DirectInputCreateA(nullptr, 0x0500, &g_SetupDirectInput, nullptr) == DI_OK && g_SetupDirectInput != nullptr;
}

bool EnumInputDevices() {
  g_SetupInputDeviceCount = 0;
  if (g_SetupDirectInput == nullptr) return false;
  // The games' own callback and table, copied: one rule for all programs.
  g_InputDeviceCount = 0;
  const HRESULT listed = g_SetupDirectInput->EnumDevices(0, EnumInputDeviceCallback, nullptr, DIEDFL_ATTACHEDONLY);
  for (std::uint32_t i = 0; i < g_InputDeviceCount && i < MAX_INPUT_DEVICES; ++i) g_SetupInputDevices[i] = g_InputDevices[i];
  g_SetupInputDeviceCount = g_InputDeviceCount;
  if (listed != DI_OK) return false;
  for (std::uint32_t i = 0; i < g_SetupInputDeviceCount; ++i) {
    if ((g_SetupInputDevices[i].type & 0xFF) != DIDEVTYPE_JOYSTICK) continue;
    IDirectInputDevice2A* second = MakeDevice2(g_SetupInputDevices[i].instance);
    if (second == nullptr) return false;
    ReleaseCurrentDevice();
    g_SetupInputDevice = second;
  }
  return true;
}

bool CreateInputDevice() {
  // An index beyond the table (a stale configuration, no device at all)
  // names nothing: refused instead of reading an old record.
  if (g_SetupDirectInput == nullptr || g_SetupSettings.DIDevice >= g_SetupInputDeviceCount) return false;
  IDirectInputDeviceA* device = nullptr;
  if (g_SetupDirectInput->CreateDevice(g_SetupInputDevices[g_SetupSettings.DIDevice].instance, &device, nullptr) !=
          DI_OK ||
      device == nullptr)
    return false;
  ReleaseCurrentDevice();
  void* second = nullptr;
  const HRESULT queried = device->QueryInterface(IID_IDirectInputDevice2A, &second);
  device->Release();
  if (queried != DI_OK || second == nullptr) return false;
  g_SetupInputDevice = static_cast<IDirectInputDevice2A*>(second);
  return true;
}

bool EnumSoundDevices() {
  g_SetupSoundDeviceCount = 0;
  g_SoundDeviceCount = 0;
  const HRESULT listed = DirectSoundEnumerateA(EnumSoundDeviceRecord, nullptr);
  for (DWORD i = 0; i < g_SoundDeviceCount && i < MAX_SOUND_DEVICES; ++i) g_SetupSoundDevices[i] = g_SoundDevices[i];
  g_SetupSoundDeviceCount = g_SoundDeviceCount;
  return listed == DS_OK;
}

bool HasForceFeedback() {
  if (g_SetupInputDevice == nullptr) return false;
  DIDEVCAPS caps{};
  caps.dwSize = 44;
  if (g_SetupInputDevice->GetCapabilities(&caps) != DI_OK) return false;
  return (caps.dwFlags & DIDC_FORCEFEEDBACK) != 0;
}

bool RegistryValueExists(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, CONFIG_KEY, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
  BYTE data[4];
  DWORD size = sizeof(data);
  DWORD type = 0;
  const LONG queried = RegQueryValueExA(key, name, nullptr, &type, data, &size);
  RegCloseKey(key);
  return queried == ERROR_SUCCESS;
}

void ReleaseSetupInput() {
  ReleaseCurrentDevice();
  if (g_SetupDirectInput != nullptr) g_SetupDirectInput->Release();
  g_SetupDirectInput = nullptr;
}

bool ChosenDeviceIsJoystick() {
  const std::uint32_t i = g_SetupSettings.DIDevice;
  return i < g_SetupInputDeviceCount && (g_SetupInputDevices[i].type & 0xFF) == DIDEVTYPE_JOYSTICK;
}
