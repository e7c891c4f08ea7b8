#include "race/race/race_description.h"

#include "engine/data_reader.h"

namespace {

bool ReadName(DataReader& in, std::string* out) {
  char buf[RACE_MAX_NAME];
  if (!in.String(buf, RACE_MAX_NAME)) return false;
  *out = buf;
  return true;
}

bool ReadVector(DataReader& in, Vector3* v) { return in.F32(&v->x) && in.F32(&v->y) && in.F32(&v->z); }

bool ReadVariants(DataReader& in, RaceVariant* variants, int chosen, std::uint8_t type) {
  for (int i = 0; i < 3; ++i) {
    if (!in.U8(&variants[i].type) || !ReadName(in, &variants[i].file)) return false;
  }
  return variants[chosen].type == type;
}

}  // namespace

int RaceVariantOfWeather(std::uint16_t weather) {
  switch (weather) {
    case 0:
      return 0;
    case 2:
      return 1;
    default:
      return 2;
  }
}

bool ReadRaceDescription(DataReader& in, std::uint16_t weather, RaceDescription* out) {
  RaceDescription& d = *out;
  std::uint16_t fontCount = 0;
  if (!in.U16(&d.textureSizeGroups) || !in.U16(&fontCount)) return false;
  // Each font name takes at least five bytes.
  if (fontCount > RACE_MAX_FONTS || fontCount * 5ull > in.Remaining()) return false;
  d.fonts.resize(fontCount);
  for (std::string& f : d.fonts) {
    if (!ReadName(in, &f)) return false;
  }
  std::uint8_t type = 0;
  if (!in.U8(&d.sunFlag) || !ReadVector(in, &d.sunDirection) || !in.U8(&type) || type != RACE_ENTRY_TRACK ||
      !ReadName(in, &d.track)) {
    return false;
  }
  const int variant = RaceVariantOfWeather(weather);
  if (!ReadVariants(in, d.backdrops, variant, RACE_ENTRY_BACKDROP) ||
      !ReadVariants(in, d.skies, variant, RACE_ENTRY_SKY)) {
    return false;
  }
  if (!ReadName(in, &d.effectsTexture) || !ReadName(in, &d.eventName) || !in.U8(&type) ||
      type != RACE_ENTRY_GROUND || !ReadName(in, &d.ground) || !ReadVector(in, &d.groundPosition) ||
      !ReadVector(in, &d.groundScale)) {
    return false;
  }
  std::uint16_t objectCount = 0;
  // An object is a type byte, a name of at least five bytes and six floats.
  if (!in.U16(&objectCount) || objectCount > RACE_MAX_STATIC_OBJECTS || objectCount * 30ull > in.Remaining()) {
    return false;
  }
  d.staticObjects.resize(objectCount);
  for (RaceStaticObject& o : d.staticObjects) {
    if (!in.U8(&type) || type != RACE_ENTRY_STATIC_OBJECT || !ReadName(in, &o.file) || !ReadVector(in, &o.position) ||
        !ReadVector(in, &o.scale)) {
      return false;
    }
  }
  std::uint8_t flag = 0;
  if (!in.U8(&flag)) return false;
  d.hasTrackObject = flag != 0;
  return !d.hasTrackObject || ReadName(in, &d.trackObject);
}
