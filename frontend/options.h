// The player's options: globals while the game runs, REG_DWORD values of the
// configuration between runs (loaded by command 40 and saved by command 41,
// both with a1 0). g_OptionSkyEnable (world/sky.h), g_RiderCount
// (engine/renderer.h), g_Language (engine/app.h), g_GameSkill and the race
// length (engine/game_settings.h) are kept where their readers live.
#pragma once

#include <cstdint>

extern std::uint8_t g_OptionWeather;
extern std::uint8_t g_OptionFogDistance;
extern std::uint8_t g_OptionReplay;
extern std::uint8_t g_OptionManualShift;
extern std::uint8_t g_OptionDrawDistance;
extern std::uint8_t g_OptionFFEnable;
extern std::uint8_t g_OptionMPH;
extern std::uint8_t g_OptionRenderQuality;
extern std::uint8_t g_OptionPerspectiveCorrection;
extern std::uint8_t g_OptionFiltering;
extern std::uint8_t g_OptionLensflare;
extern std::uint8_t g_OptionParticle;
extern std::uint8_t g_OptionDamages;
extern std::uint8_t g_OptionShadows;  // 0..3
// The camera mode the player chose, 0..4.
extern std::uint32_t g_CameraType;

// Sets the race length to whole minutes (every other field 0).
void SetRaceLengthMinutes(std::uint16_t minutes);
