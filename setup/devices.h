// The setup program's input and sound device tables, filled by the games' own
// enumeration rules so that the stored indices name the same devices in all
// three programs, and the DirectInput objects it holds.
#pragma once

#include <cstdint>

#include "engine/input_devices.h"
#include "engine/sound_device.h"
#include "platform/dinput/dinput.h"

extern InputDeviceInfo g_SetupInputDevices[MAX_INPUT_DEVICES];
extern std::uint32_t g_SetupInputDeviceCount;
extern SoundDeviceInfo g_SetupSoundDevices[MAX_SOUND_DEVICES];
extern std::uint32_t g_SetupSoundDeviceCount;
extern IDirectInputA* g_SetupDirectInput;
extern IDirectInputDevice2A* g_SetupInputDevice;

bool CreateDirectInput();
// Refills the input table and checks that every joystick gives its second
// interface.
bool EnumInputDevices();
// Makes the device of record DIDevice current; false when DIDevice names no
// record.
bool CreateInputDevice();
bool EnumSoundDevices();
bool HasForceFeedback();
// True only when the configuration key opens and the value is there in at
// most 4 bytes.
bool RegistryValueExists(const char* name);
// Releases the current device, then DirectInput.
void ReleaseSetupInput();

// Whether DIDevice names a joystick of the table. With no record (or an
// index beyond them) the device counts as a keyboard.
bool ChosenDeviceIsJoystick();
