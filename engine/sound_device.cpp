#include "engine/sound_device.h"

#include <cstring>

#include "engine/system.h"

IDirectSound* g_DirectSound = nullptr;
IDirectSoundBuffer* g_PrimarySoundBuffer = nullptr;
IDirectSound3DListener* g_SoundListener = nullptr;
SoundDeviceInfo g_SoundDevices[MAX_SOUND_DEVICES] = {};
DWORD g_SoundDeviceCount = 0;

namespace {

constexpr DWORD kPrimaryRate = 22050;

void CopyCut(char* field, std::size_t size, const char* text) {
  std::memset(field, 0, size);
  if (text != nullptr) std::strncpy(field, text, size - 1);
}

// The primary driver (no GUID) stands for one of the others and is left out.
BOOL EnumSoundDeviceCallback(GUID* guid, const char* description, const char* module, void*) {
  if (guid == nullptr) return TRUE;
  SoundDeviceInfo& info = g_SoundDevices[g_SoundDeviceCount];
  info.guid = *guid;
  CopyCut(info.module, sizeof(info.module), module);
  CopyCut(info.description, sizeof(info.description), description);
  ++g_SoundDeviceCount;
  return g_SoundDeviceCount < MAX_SOUND_DEVICES ? TRUE : FALSE;
}

void ReleasePrimary() {
  if (g_SoundListener != nullptr) g_SoundListener->Release();
  g_SoundListener = nullptr;
  if (g_PrimarySoundBuffer != nullptr) g_PrimarySoundBuffer->Release();
  g_PrimarySoundBuffer = nullptr;
}

}  // namespace

bool CreatePrimarySoundBuffer(HWND window) {
  if (g_DirectSound == nullptr) return false;
  DSCAPS caps{};
  caps.dwSize = sizeof(DSCAPS);
  if (g_DirectSound->GetCaps(&caps) != DS_OK) {
    caps = DSCAPS{};
    caps.dwSize = sizeof(DSCAPS);
  }
  DSBUFFERDESC desc{};
  desc.dwSize = sizeof(DSBUFFERDESC);
  desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
  if (caps.dwFreeHw3DStaticBuffers >= 1) desc.dwFlags |= DSBCAPS_CTRL3D;
  IDirectSoundBuffer* primary = nullptr;
  if (g_DirectSound->CreateSoundBuffer(&desc, &primary, nullptr) != DS_OK || primary == nullptr) return false;
  g_PrimarySoundBuffer = primary;

  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nSamplesPerSec = kPrimaryRate;
  if (caps.dwFlags & DSCAPS_PRIMARYSTEREO) {
    format.nChannels = 2;
  } else if (caps.dwFlags & DSCAPS_PRIMARYMONO) {
    format.nChannels = 1;
  } else {
    ShowMessageBox("Error: mono/stereo primary sound buffer not supported.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    ReleasePrimary();
    return false;
  }
  if (caps.dwFlags & DSCAPS_PRIMARY16BIT) {
    format.wBitsPerSample = 16;
  } else if (caps.dwFlags & DSCAPS_PRIMARY8BIT) {
    format.wBitsPerSample = 8;
  } else {
    ShowMessageBox("Error: 8/16 bit primary sound buffer not supported.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    ReleasePrimary();
    return false;
  }
  format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
  format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;

  // Only the exclusive level may change the output format.
  g_DirectSound->SetCooperativeLevel(window, DSSCL_EXCLUSIVE);
  primary->SetFormat(&format);
  g_DirectSound->SetCooperativeLevel(window, DSSCL_NORMAL);

  DSBCAPS bufferCaps{};
  bufferCaps.dwSize = sizeof(DSBCAPS);
  void* listener = nullptr;
  if (primary->GetCaps(&bufferCaps) == DS_OK && (bufferCaps.dwFlags & DSBCAPS_CTRL3D) &&
      primary->QueryInterface(IID_IDirectSound3DListener, &listener) == DS_OK)
    g_SoundListener = static_cast<IDirectSound3DListener*>(listener);
  return true;
}

BOOL EnumSoundDeviceRecord(GUID* guid, const char* description, const char* module, void* context) {
  return EnumSoundDeviceCallback(guid, description, module, context);
}

void InitSoundDevice(HWND window) {
  g_SoundDeviceCount = 0;
  DirectSoundEnumerateA(EnumSoundDeviceCallback, nullptr);
  if (g_SoundDeviceCount == 0) return;
  // The setup program's SoundDevice choice is not read: always the first driver.
  if (DirectSoundCreate(&g_SoundDevices[0].guid, &g_DirectSound, nullptr) != DS_OK) {
    g_DirectSound = nullptr;
    return;
  }
  g_DirectSound->SetCooperativeLevel(window, DSSCL_NORMAL);
  g_DirectSound->SetSpeakerConfig(DSSPEAKER_STEREO);
  if (!CreatePrimarySoundBuffer(window)) {
    ReleasePrimary();
    g_DirectSound->Release();
    g_DirectSound = nullptr;
  }
}

void ReleaseSoundDevice() {
  ReleasePrimary();
  if (g_DirectSound != nullptr) g_DirectSound->Release();
  g_DirectSound = nullptr;
}
