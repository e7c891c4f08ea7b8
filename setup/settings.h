// The setup program's current settings: read from the configuration key at
// start, checked value by value, shown and changed by the pages and written
// back by their save routines.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

struct SetupSettings {
  std::uint32_t Version = 0;  // 0 the Direct3D build, 1 the Glide build
  std::uint32_t Language = 0;
  std::uint32_t Device3D = 0;
  std::uint32_t GameWidth = 640;
  std::uint32_t GameHeight = 480;
  std::uint32_t GameBPP = 16;
  std::uint32_t ViewWidth = 639;
  std::uint32_t GlideVer = 0;
  std::uint32_t DIDevice = 0;
  std::uint8_t KeyboardChosen = 1;  // stored as InputDevice 0
  std::uint32_t SoundDevice = 0;
  std::uint32_t FFGainLevel = 0;
  std::uint32_t Shadows = 0;
  std::uint8_t Filtering = 1;
  std::uint8_t PerspectiveCorrection = 1;
  std::uint8_t Lensflare = 1;
  std::uint8_t RenderQuality = 1;
  std::uint8_t Particle = 1;
  std::uint32_t KeyBindings[6] = {};
  std::uint32_t JoyBindings[6] = {};
  std::uint8_t KeyBindingsMissing = 0;
  std::uint8_t JoyBindingsMissing = 0;
  std::uint8_t InputDeviceChanged = 0;
};

extern SetupSettings g_SetupSettings;

constexpr int LANGUAGE_RUSSIAN = 7;

// The binding value names, keyboard then joystick, in action order.
extern const char* const g_KeyBindingValueNames[6];
extern const char* const g_JoyBindingValueNames[6];

// Sets one setting to its default (cases 0 to 6); 7 or more does nothing.
void ApplyDefault(std::uint8_t which);
// Reads every value after Version in the table's order; a value missing or
// out of range takes its default, silently.
void ReadSettings();
