// Writers of the race's weather and effect data: the sky file and the two
// textures the effects draw from, the cloud texture and the effects texture.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tools/bytes.h"

namespace kelvdata {

// Sky file, little-endian:
//   u32 name length (with its NUL), the cloud texture's name, f32 radius.
struct SkyFile {
  std::string texture;
  float radius = 1000.0f;
  std::optional<std::uint32_t> length;  // default: the name's size + 1
};
Bytes BuildSkyFile(const SkyFile& file);

// 256 x 64 cloud puffs in the region the clouds take (u 0..0.566, v 0..0.246
// of a 256-pixel-wide texture, the rest black).
Bytes CloudTex();

// The 256 x 256 effects texture, in the regions the effects read:
//   v 0..0.25     the smoke strip: 8 frames across in two rows, soft discs
//                 growing and fading frame by frame;
//   v 0.25..0.5   at u 0..0.28 the dirt clod (brown);
//   v 0.625..0.75 the 8 frames of a rain drop on the lens, 32 texels apart;
//   v 0.75..1     four lens-flare cells: the sun, a soft disc, a ring and a
//                 bright spot.
Bytes EffectsTex();

// Names in the synthetic data set's track archive.
inline constexpr const char* COURSE_SKY = "DATA\\TRACK\\COURSE.SKY";
inline constexpr const char* COURSE_CLOUDS = "DATA\\TRACK\\CLOUDS.TEX";
inline constexpr const char* COURSE_EFFECTS = "DATA\\TRACK\\EFFECTS.TEX";
constexpr float COURSE_SKY_RADIUS = 900.0f;

}  // namespace kelvdata
