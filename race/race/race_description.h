// The race description file: the fonts, sun, track, backdrop and sky
// variants, effects texture, event name, ground object, static objects and
// the optional track object of one race. Read whole before anything loads,
// so that a damaged file is refused before the race builds half a world.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/maths.h"

class DataReader;

// Entry type bytes the file must carry.
constexpr std::uint8_t RACE_ENTRY_TRACK = 0;
constexpr std::uint8_t RACE_ENTRY_STATIC_OBJECT = 3;
constexpr std::uint8_t RACE_ENTRY_BACKDROP = 5;
constexpr std::uint8_t RACE_ENTRY_SKY = 11;
constexpr std::uint8_t RACE_ENTRY_GROUND = 12;

// Hostile counts would otherwise make the race allocate and load for ever.
constexpr std::uint16_t RACE_MAX_FONTS = 64;
constexpr std::uint16_t RACE_MAX_STATIC_OBJECTS = 4096;
// Names, with their NUL, as the data paths can hold them.
constexpr std::uint32_t RACE_MAX_NAME = 260;

struct RaceVariant {
  std::uint8_t type = 0;
  std::string file;
};

struct RaceStaticObject {
  std::string file;
  Vector3 position;
  Vector3 scale;
};

struct RaceDescription {
  std::uint16_t textureSizeGroups = 0;
  std::vector<std::string> fonts;
  std::uint8_t sunFlag = 0;
  Vector3 sunDirection;
  std::string track;
  RaceVariant backdrops[3];  // clear, fog, rain
  RaceVariant skies[3];
  std::string effectsTexture;
  std::string eventName;
  std::string ground;
  Vector3 groundPosition;
  Vector3 groundScale;
  std::vector<RaceStaticObject> staticObjects;
  bool hasTrackObject = false;
  std::string trackObject;
};

// The variant (0 clear, 1 fog, 2 rain) that a weather code 0..3 selects.
int RaceVariantOfWeather(std::uint16_t weather);

// Reads the whole file; false when it is short, a count or a string does
// not fit the bytes left, a float is not sane, or an entry type is wrong
// (the backdrop and sky variants are checked for `weather` only).
bool ReadRaceDescription(DataReader& in, std::uint16_t weather, RaceDescription* out);
