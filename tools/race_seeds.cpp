// Seeds of the race-description reader: the synthetic race, the data set's
// course race, one with a track object, one of hundreds of static objects,
// and near misses (wrong entry types, huge counts, a cut file). Seeds of the
// loading-picture reader: a full 640 x 480 picture, a small one, a side of 0
// and a cut file.
#include "tools/race_files.h"
#include "tools/race_samples.h"
#include "tools/seeds.h"

namespace kelvdata {

namespace {

RgbPixel Stripes(int x, int y) {
  return {static_cast<std::uint8_t>(x * 3), static_cast<std::uint8_t>(y * 5), static_cast<std::uint8_t>((x ^ y) & 0xff)};
}

}  // namespace

bool WriteRaceSeeds(const std::string& dir) {
  RaceDescriptionSpec s = SyntheticRaceDescription("DATA\\TRACK\\COURSE.TRK");
  const Bytes good = BuildRaceDescription(s);
  RaceDescriptionSpec withObject = s;
  withObject.hasTrackObject = true;
  withObject.trackObject = "DATA\\TRACK\\EXTRA.ACT";
  RaceDescriptionSpec crowded = s;
  for (int i = 0; i < 500; ++i) {
    crowded.staticObjects.push_back(
        {3, "DATA\\TRACK\\POST.ACT", {static_cast<float>(i), 0.0f, -static_cast<float>(i)}, {1.0f, 1.0f, 1.0f}});
  }
  RaceDescriptionSpec badType = s;
  badType.groundType = 3;
  Bytes manyFonts = good;
  manyFonts[2] = manyFonts[3] = 0xff;
  return WriteHostFiles(dir, {{"synthetic.rac", good},
                              {"course.rac", BuildRaceDescription(CourseRaceSpec())},
                              {"track_object.rac", BuildRaceDescription(withObject)},
                              {"crowded.rac", BuildRaceDescription(crowded)},
                              {"bad_ground_type.rac", BuildRaceDescription(badType)},
                              {"many_fonts.rac", manyFonts},
                              {"cut.rac", Bytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2))}});
}

bool WriteLoadingPictureSeeds(const std::string& dir) {
  const Bytes full = BuildLoadingPicture(640, 480, Stripes);
  return WriteHostFiles(dir, {{"load640.tex", full},
                              {"small.tex", BuildLoadingPicture(4, 3, Stripes)},
                              {"no_width.tex", BuildLoadingPicture(0, 480, Stripes)},
                              {"cut.tex", Bytes(full.begin(), full.begin() + 1000)}});
}

}  // namespace kelvdata
