// Fuzz target for the race-description reader: the input is the file. A
// description read whole keeps its counts and names within the limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/data_reader.h"
#include "engine/disk_file.h"
#include "race/race/race_description.h"
#include "tests/support/fuzz_temp_file.h"
#include "tools/bytes.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool NameFits(const std::string& s) { return s.size() < RACE_MAX_NAME; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static kelvtest::FuzzTempFile file("kelv-fuzz-race", ".rac");
  Check(kelvdata::WriteHostFile(file.path, kelvdata::Bytes(data, data + size)));
  for (std::uint16_t weather = 0; weather < 4; ++weather) {
    DiskFile f;
    Check(f.Open(file.path.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    DataReader in(&f);
    RaceDescription d;
    if (!ReadRaceDescription(in, weather, &d)) continue;
    Check(d.fonts.size() <= RACE_MAX_FONTS && d.staticObjects.size() <= RACE_MAX_STATIC_OBJECTS);
    Check(NameFits(d.track) && NameFits(d.ground) && NameFits(d.effectsTexture) && NameFits(d.eventName));
    const int v = RaceVariantOfWeather(weather);
    Check(d.backdrops[v].type == RACE_ENTRY_BACKDROP && d.skies[v].type == RACE_ENTRY_SKY);
    Check(SaneFloat(d.sunDirection.x) && SaneFloat(d.groundScale.z));
  }
  return 0;
}
