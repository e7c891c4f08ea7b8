// The twenty riders of the players lists: one rider file each, the data
// set's rider on a bike of its own colour.
#include <cmath>

#include "tools/course_set.h"
#include "tools/rider_files.h"
#include "tools/tex.h"

namespace kelvdata {

namespace {

std::uint8_t Channel(float v) { return static_cast<std::uint8_t>(v < 0.0f ? 0.0f : v > 255.0f ? 255.0f : v); }

// Bike n's colour: twenty hues round the colour wheel, every other one
// darker, so that neighbours on the grid differ.
Rgb BikeColour(int n) {
  const float hue = 6.0f * static_cast<float>((n * 7) % 20) / 20.0f;
  const float value = n % 2 == 0 ? 230.0f : 170.0f;
  const float f = hue - std::floor(hue);
  const float p = value * 0.15f;
  const float q = value * (1.0f - 0.85f * f);
  const float t = value * (0.15f + 0.85f * f);
  switch (static_cast<int>(hue)) {
    case 0: return {Channel(value), Channel(t), Channel(p)};
    case 1: return {Channel(q), Channel(value), Channel(p)};
    case 2: return {Channel(p), Channel(value), Channel(t)};
    case 3: return {Channel(p), Channel(q), Channel(value)};
    case 4: return {Channel(t), Channel(p), Channel(value)};
    default: return {Channel(value), Channel(p), Channel(q)};
  }
}

}  // namespace

std::vector<BbfMember> DataSetRiderFiles() {
  std::vector<BbfMember> out;
  for (int n = 0; n < 20; ++n) {
    const std::string bike = "BIKE" + std::to_string(n) + ".TEX";
    const Rgb c = BikeColour(n);
    out.push_back({bike, BuildTex(64, 64, [c](int x, int y) {
                     const int shade = (x + y) % 16 < 8 ? 0 : 30;
                     return Rgb{static_cast<std::uint8_t>(c.r > shade ? c.r - shade : 0),
                                static_cast<std::uint8_t>(c.g > shade ? c.g - shade : 0),
                                static_cast<std::uint8_t>(c.b > shade ? c.b - shade : 0)};
                   })});
    out.push_back({"RIDER" + std::to_string(n) + ".RDR",
                   BuildRiderFile(SyntheticRider("DATA\\TRACK\\RIDER.TEX", "DATA\\TRACK\\" + bike, "DATA\\TRACK\\RIDER.BNK"))});
  }
  return out;
}

}  // namespace kelvdata
