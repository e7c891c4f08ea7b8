// Race description files: the fonts, sun, track, the backdrop and sky
// variants, the effects texture, the event name, the ground object, the
// static objects and an optional track object of one race.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/bytes.h"

namespace kelvdata {

struct RaceNamedSpec {
  std::uint8_t type = 0;
  std::string file;
};

struct RacePlacedSpec {
  std::uint8_t type = 3;
  std::string file;
  float position[3] = {0.0f, 0.0f, 0.0f};
  float scale[3] = {1.0f, 1.0f, 1.0f};
};

struct RaceDescriptionSpec {
  std::uint16_t textureSizeGroups = 1;
  std::vector<std::string> fonts;
  std::uint8_t sunFlag = 1;
  float sunDirection[3] = {0.0f, -1.0f, 0.0f};
  std::uint8_t trackType = 0;
  std::string track;
  // Clear, fog, rain: types 5 and 11 for a well-formed file.
  RaceNamedSpec backdrops[3];
  RaceNamedSpec skies[3];
  std::string effectsTexture;
  std::string eventName;
  std::uint8_t groundType = 12;
  std::string ground;
  float groundPosition[3] = {0.0f, 0.0f, 0.0f};
  float groundScale[3] = {1.0f, 1.0f, 1.0f};
  std::vector<RacePlacedSpec> staticObjects;
  bool hasTrackObject = false;
  std::string trackObject;
};

Bytes BuildRaceDescription(const RaceDescriptionSpec& spec);

// The loading-screen picture (LOAD640/800/1024.TEX): u16 width, u16 height,
// then the pixels row after row as red, green, blue bytes.
struct RgbPixel {
  std::uint8_t r, g, b;
};
Bytes BuildLoadingPicture(std::uint16_t width, std::uint16_t height, RgbPixel (*pixel)(int x, int y));

// A race on `track` with every variant of the right type, two fonts, a
// sun and two static objects, naming files under DATA\\TRACK.
RaceDescriptionSpec SyntheticRaceDescription(const std::string& track);

}  // namespace kelvdata
