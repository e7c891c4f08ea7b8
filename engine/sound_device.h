// The game's sound device: the DirectSound driver, its primary buffer and the
// 3D listener, made once at start-up and released at exit.
#pragma once

#include "platform/dsound/dsound.h"
#include "platform/win32/types.h"

// Null: no sound. Every SoundSample made while it is null does nothing.
extern IDirectSound* g_DirectSound;
extern IDirectSoundBuffer* g_PrimarySoundBuffer;
// Null when the primary buffer has no 3D control.
extern IDirectSound3DListener* g_SoundListener;

constexpr int MAX_SOUND_DEVICES = 5;

struct SoundDeviceInfo {
  GUID guid;
  char module[30];
  char description[70];
};

// The drivers found at start-up, the primary driver left out.
extern SoundDeviceInfo g_SoundDevices[MAX_SOUND_DEVICES];
extern DWORD g_SoundDeviceCount;

// The DirectSoundEnumerateA callback that fills g_SoundDevices (the
// primary driver left out, at most MAX_SOUND_DEVICES); the setup program
// builds its table with it so that both count the drivers alike.
BOOL EnumSoundDeviceRecord(GUID* guid, const char* description, const char* module, void* context);

// The sound step of the application's device start-up: lists the drivers,
// opens the first one (the system's default output, the user's choice) on
// `window` and makes the primary buffer. Any failure leaves g_DirectSound
// null and the game goes on without sound.
void InitSoundDevice(HWND window);
// Makes the primary buffer (22050 Hz, stereo or mono, 16 or 8 bits as the
// device supports) and, with 3D control, the listener. False when the
// buffer cannot be made or the device supports none of the formats (the
// latter reported in a box).
bool CreatePrimarySoundBuffer(HWND window);
// Releases the listener, the primary buffer and the device.
void ReleaseSoundDevice();
