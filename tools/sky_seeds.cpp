// Seeds of the sky fuzz target: track archives holding a sky file and its
// cloud texture, good and damaged.
#include "tools/bbf.h"
#include "tools/effect_files.h"
#include "tools/seeds.h"

namespace kelvdata {

namespace {

Bytes Archive(const SkyFile& sky) {
  return BuildBbf({{"COURSE.SKY", BuildSkyFile(sky)}, {"CLOUDS.TEX", CloudTex()}});
}

}  // namespace

bool WriteSkySeeds(const std::string& dir) {
  SkyFile good{COURSE_CLOUDS, COURSE_SKY_RADIUS, std::nullopt};
  SkyFile longName = good;
  longName.length = 100000;
  SkyFile emptyName = good;
  emptyName.length = 0;
  SkyFile noTexture{"DATA\\TRACK\\NONE.TEX", 500.0f, std::nullopt};
  SkyFile nullTexture{"NULL", 500.0f, std::nullopt};
  SkyFile badRadius{COURSE_CLOUDS, -1.0f, std::nullopt};
  return WriteHostFiles(dir, {{"good.bbf", Archive(good)},
                              {"long_name.bbf", Archive(longName)},
                              {"empty_name.bbf", Archive(emptyName)},
                              {"no_texture.bbf", Archive(noTexture)},
                              {"null_texture.bbf", Archive(nullTexture)},
                              {"bad_radius.bbf", Archive(badRadius)}});
}

}  // namespace kelvdata
