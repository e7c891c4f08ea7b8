#include "tools/race_files.h"

namespace kelvdata {

namespace {

// A u32 length that counts the NUL, then the text and its NUL.
void String(ByteWriter& w, const std::string& s) {
  w.U32(static_cast<std::uint32_t>(s.size() + 1));
  w.Raw(s.data(), s.size());
  w.U8(0);
}

void Floats(ByteWriter& w, const float* v) {
  for (int i = 0; i < 3; ++i) w.F32(v[i]);
}

}  // namespace

Bytes BuildRaceDescription(const RaceDescriptionSpec& spec) {
  ByteWriter w;
  w.U16(spec.textureSizeGroups);
  w.U16(static_cast<std::uint16_t>(spec.fonts.size()));
  for (const std::string& f : spec.fonts) String(w, f);
  w.U8(spec.sunFlag);
  Floats(w, spec.sunDirection);
  w.U8(spec.trackType);
  String(w, spec.track);
  for (const RaceNamedSpec& b : spec.backdrops) {
    w.U8(b.type);
    String(w, b.file);
  }
  for (const RaceNamedSpec& s : spec.skies) {
    w.U8(s.type);
    String(w, s.file);
  }
  String(w, spec.effectsTexture);
  String(w, spec.eventName);
  w.U8(spec.groundType);
  String(w, spec.ground);
  Floats(w, spec.groundPosition);
  Floats(w, spec.groundScale);
  w.U16(static_cast<std::uint16_t>(spec.staticObjects.size()));
  for (const RacePlacedSpec& o : spec.staticObjects) {
    w.U8(o.type);
    String(w, o.file);
    Floats(w, o.position);
    Floats(w, o.scale);
  }
  w.U8(spec.hasTrackObject ? 1 : 0);
  if (spec.hasTrackObject) String(w, spec.trackObject);
  return w.Take();
}

Bytes BuildLoadingPicture(std::uint16_t width, std::uint16_t height, RgbPixel (*pixel)(int x, int y)) {
  ByteWriter w;
  w.U16(width);
  w.U16(height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const RgbPixel p = pixel(x, y);
      w.U8(p.r);
      w.U8(p.g);
      w.U8(p.b);
    }
  }
  return w.Take();
}

RaceDescriptionSpec SyntheticRaceDescription(const std::string& track) {
  RaceDescriptionSpec s;
  s.fonts = {"DATA\\TRACK\\RACE0.FNT", "DATA\\TRACK\\RACE1.FNT"};
  s.sunDirection[0] = 0.3f;
  s.sunDirection[1] = 0.8f;
  s.sunDirection[2] = 0.5f;
  s.track = track;
  const char* backdrops[3] = {"DATA\\TRACK\\CLEAR.BKD", "DATA\\TRACK\\FOG.BKD", "DATA\\TRACK\\RAIN.BKD"};
  const char* skies[3] = {"DATA\\TRACK\\CLEAR.SKY", "DATA\\TRACK\\FOG.SKY", "DATA\\TRACK\\RAIN.SKY"};
  for (int i = 0; i < 3; ++i) {
    s.backdrops[i] = {5, backdrops[i]};
    s.skies[i] = {11, skies[i]};
  }
  s.effectsTexture = "DATA\\TRACK\\EFFECTS.TEX";
  s.eventName = "Synthetic Course";
  s.ground = "DATA\\TRACK\\GROUND.ACT";
  s.staticObjects.push_back({3, "DATA\\TRACK\\POST.ACT", {10.0f, 0.0f, 5.0f}, {1.0f, 1.0f, 1.0f}});
  s.staticObjects.push_back({3, "DATA\\TRACK\\POST.ACT", {-10.0f, 0.0f, 5.0f}, {1.0f, 2.0f, 1.0f}});
  return s;
}

}  // namespace kelvdata
