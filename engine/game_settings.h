// Game-wide settings that the front end keeps and the engine's loaders read.
// The storage lives here so that the engine needs no front-end header.
#pragma once

#include <cstdint>

// The kind of race the race scene runs: 1 practice, 2 qualifying, 3 and 4
// the two motos; picks texture variants when objects load.
extern std::uint8_t g_RaceType;

// The skill class 0..2: moves the slider item texts 857..867 by 11 per class.
extern std::uint8_t g_GameSkill;

// The "MPH" option: the HUD shows speeds in miles per hour while it is set.
extern std::uint8_t g_OptionMPH;

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
