#include "setup/settings.h"

#include "engine/system.h"

SetupSettings g_SetupSettings;

const char* const g_KeyBindingValueNames[6] = {"Accel", "Brake", "Left", "Right", "GearUp", "GearDn"};
const char* const g_JoyBindingValueNames[6] = {"AccelJ", "BrakeJ", "LeftJ", "RightJ", "GearUpJ", "GearDnJ"};

void ApplyDefault(std::uint8_t which) {
  SetupSettings& s = g_SetupSettings;
  switch (which) {
    case 0: s.Device3D = 0; break;
    case 1: s.DIDevice = 0; break;
    case 2: s.SoundDevice = 0; break;
    case 3: s.KeyboardChosen = 1; break;
    case 4: s.KeyBindingsMissing = 1; break;
    case 5: s.JoyBindingsMissing = 1; break;
    case 6: s.FFGainLevel = 1; break;
    default: break;
  }
}

namespace {

// The value when it was read and lies in [low, high], else `fallback`.
std::uint32_t Ranged(const char* name, std::uint32_t low, std::uint32_t high, std::uint32_t fallback) {
  DWORD v = 0;
  if (!ReadRegistryDword(name, &v) || v < low || v > high) return fallback;
  return v;
}

std::uint8_t Flag(const char* name) { return static_cast<std::uint8_t>(Ranged(name, 0, 1, 1)); }

}  // namespace

void ReadSettings() {
  SetupSettings& s = g_SetupSettings;
  DWORD v = 0;
  if (ReadRegistryDword("3DDevice", &v)) s.Device3D = v; else ApplyDefault(0);
  s.GameWidth = Ranged("GameWidth", 640, 0xFFFFFFFFu, 640);
  s.GameHeight = Ranged("GameHeight", 480, 0xFFFFFFFFu, 480);
  s.GameBPP = Ranged("GameBPP", 16, 32, 16);
  s.ViewWidth = Ranged("ViewWidth", 0, s.GameWidth - 1, s.GameWidth - 1);
  s.GlideVer = Ranged("GlideVer", 0, 0xFFFFFFFFu, 0);
  if (ReadRegistryDword("DIDevice", &v)) s.DIDevice = v; else ApplyDefault(1);
  if (ReadRegistryDword("InputDevice", &v)) s.KeyboardChosen = v == 0 ? 1 : 0; else ApplyDefault(3);
  if (ReadRegistryDword("SoundDevice", &v)) s.SoundDevice = v; else ApplyDefault(2);
  if (ReadRegistryDword("FFGainLevel", &v) && v <= 2) s.FFGainLevel = v; else ApplyDefault(6);
  for (int i = 0; i < 6; ++i) {
    if (ReadRegistryDword(g_KeyBindingValueNames[i], &v)) s.KeyBindings[i] = v; else ApplyDefault(4);
  }
  for (int i = 0; i < 6; ++i) {
    if (ReadRegistryDword(g_JoyBindingValueNames[i], &v)) s.JoyBindings[i] = v; else ApplyDefault(5);
  }
  s.Filtering = Flag("Filtering");
  s.PerspectiveCorrection = Flag("PerspectiveCorrection");
  s.Shadows = Ranged("Shadows", 0, 3, 0);
  s.RenderQuality = Flag("RenderQuality");
  s.Lensflare = Flag("Lensflare");
  s.Particle = Flag("Particle");
  s.Language = Ranged("Language", 0, 7, 0);
}
