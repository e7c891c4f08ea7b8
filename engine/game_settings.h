// Game-wide settings that the front end keeps and the engine's loaders read.
// The storage lives here so that the engine needs no front-end header.
#pragma once

#include <cstdint>

// The kind of race the race scene runs: 1 practice, 2 qualifying, 3 and 4
// the two motos; picks texture variants when objects load.
extern std::uint8_t g_RaceType;

// The kind of game: 0 single race, 1 quick race, 2 championship, 3 network.
enum GameMode : std::uint8_t {
  GAME_MODE_SINGLE_RACE = 0,
  GAME_MODE_QUICK_RACE = 1,
  GAME_MODE_CHAMPIONSHIP = 2,
  GAME_MODE_MULTIPLAYER = 3,
};
extern std::uint8_t g_GameMode;

// The hidden missile mode: the player's rider can fire its missile.
extern std::uint8_t g_MissileMode;

// The skill class 0..2: moves the slider item texts 857..867 by 11 per class.
extern std::uint8_t g_GameSkill;

// The player's options: globals while the game runs, values of the
// configuration between runs (the front end loads and saves them; the race,
// riders and world read them).
extern std::uint8_t g_OptionWeather;
extern std::uint8_t g_OptionFogDistance;
extern std::uint8_t g_OptionReplay;
extern std::uint8_t g_OptionManualShift;  // the player's manual gearbox
extern std::uint8_t g_OptionDrawDistance;
extern std::uint8_t g_OptionFFEnable;
extern std::uint8_t g_OptionMPH;  // the HUD shows speeds in miles per hour
extern std::uint8_t g_OptionSkyEnable;  // 1 gives the sky 36 clouds, else 6
extern std::uint8_t g_OptionRenderQuality;
extern std::uint8_t g_OptionPerspectiveCorrection;
extern std::uint8_t g_OptionFiltering;
extern std::uint8_t g_OptionLensflare;
extern std::uint8_t g_OptionParticle;  // the riders' dirt particles
extern std::uint8_t g_OptionDamages;   // bike wear
// 0 none, 1 blob, 2 the bike's parts, 3 the bike and the rider's body.
extern std::uint8_t g_OptionShadows;
// The camera mode the player chose, 0..4.
extern std::uint32_t g_CameraType;
// The race's three help switches (F2, F3, F4), kept for the whole run: a
// target speed for the player's rider, the track's and the rider's aids.
extern bool g_HelpToggleF2;
extern bool g_HelpToggleF3;
extern bool g_HelpToggleF4;

// The race length as the race-length slider sets it: the minutes (2..40)
// with four other fields that the slider clears, and the length in
// milliseconds (minutes x 60000).
struct RaceLengthRecord {
  std::uint16_t before[3];
  std::uint16_t minutes;
  std::uint16_t after;
  std::uint32_t milliseconds;
};
extern RaceLengthRecord g_RaceLengthRecord;
inline std::uint16_t& g_RaceLengthMinutes = g_RaceLengthRecord.minutes;
