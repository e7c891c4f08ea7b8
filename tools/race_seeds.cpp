// Seeds of the race-description reader: the synthetic race, one with a track
// object, and near misses (wrong entry types, huge counts, a cut file).
#include "tools/race_files.h"
#include "tools/seeds.h"

namespace kelvdata {

bool WriteRaceSeeds(const std::string& dir) {
  RaceDescriptionSpec s = SyntheticRaceDescription("DATA\\TRACK\\COURSE.TRK");
  const Bytes good = BuildRaceDescription(s);
  RaceDescriptionSpec withObject = s;
  withObject.hasTrackObject = true;
  withObject.trackObject = "DATA\\TRACK\\EXTRA.ACT";
  RaceDescriptionSpec badType = s;
  badType.groundType = 3;
  Bytes manyFonts = good;
  manyFonts[2] = manyFonts[3] = 0xff;
  return WriteHostFiles(dir, {{"synthetic.rac", good},
                              {"track_object.rac", BuildRaceDescription(withObject)},
                              {"bad_ground_type.rac", BuildRaceDescription(badType)},
                              {"many_fonts.rac", manyFonts},
                              {"cut.rac", Bytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2))}});
}

}  // namespace kelvdata
