#include "tools/effect_files.h"

#include <cmath>

#include "tools/tex.h"

namespace kelvdata {

namespace {

std::uint8_t Channel(float v) { return static_cast<std::uint8_t>(v < 0.0f ? 0 : v > 255.0f ? 255 : v); }

// 1 at the centre of a disc of radius r, falling to 0 at its edge.
float Disc(float dx, float dy, float r) {
  const float d = std::sqrt(dx * dx + dy * dy) / r;
  return d >= 1.0f ? 0.0f : 1.0f - d * d;
}

Rgb Grey(float v) { return Rgb{Channel(v), Channel(v), Channel(v)}; }

}  // namespace

Bytes BuildSkyFile(const SkyFile& file) {
  ByteWriter w;
  w.U32(file.length.value_or(static_cast<std::uint32_t>(file.texture.size() + 1)));
  w.Raw(file.texture.data(), file.texture.size());
  w.U8(0);
  w.F32(file.radius);
  return w.Take();
}

Bytes CloudTex() {
  return BuildTex(256, 64, [](int x, int y) {
    if (x >= 145) return Rgb{0, 0, 0};
    // Three overlapping puffs across the cloud's region.
    float v = Disc(static_cast<float>(x - 40), static_cast<float>(y - 34), 34.0f);
    v = std::fmax(v, Disc(static_cast<float>(x - 80), static_cast<float>(y - 28), 38.0f));
    v = std::fmax(v, Disc(static_cast<float>(x - 115), static_cast<float>(y - 36), 28.0f));
    return Grey(255.0f * v);
  });
}

Bytes EffectsTex() {
  return BuildTex(256, 256, [](int x, int y) {
    if (y < 64) {
      // Smoke: frame f of 8 (32 texels wide), rows of 32.
      const int f = x / 32;
      const float r = 6.0f + 1.2f * static_cast<float>(f);
      const float v = Disc(static_cast<float>(x % 32) - 15.5f, static_cast<float>(y % 32) - 15.5f, r);
      return Grey(v * (255.0f - 18.0f * static_cast<float>(f)));
    }
    if (y < 128) {
      if (x < 80) return Rgb{110, 75, 40};
      return Rgb{0, 0, 0};
    }
    if (y >= 160 && y < 192) {
      // A drop: a bright ring that shrinks and dims as it runs off.
      const int f = x / 32;
      if (f > 7 || x % 32 == 31) return Rgb{0, 0, 0};
      const float d = std::sqrt(std::pow(static_cast<float>(x % 32) - 15.0f, 2.0f) +
                                std::pow(static_cast<float>(y - 160) - 15.5f, 2.0f));
      const float ring = std::fabs(d - (12.0f - static_cast<float>(f))) < 2.0f ? 1.0f : 0.0f;
      const float fade = 1.0f - 0.1f * static_cast<float>(f);
      return Rgb{Channel(150.0f * ring * fade), Channel(170.0f * ring * fade), Channel(210.0f * ring * fade)};
    }
    if (y >= 192) {
      const int cell = x / 64;
      const float dx = static_cast<float>(x % 64) - 31.5f, dy = static_cast<float>(y - 192) - 31.5f;
      switch (cell) {
        case 0: {  // the sun
          const float v = Disc(dx, dy, 30.0f);
          return Rgb{Channel(255.0f * std::sqrt(v)), Channel(240.0f * std::sqrt(v)), Channel(190.0f * v)};
        }
        case 1:
          return Grey(200.0f * Disc(dx, dy, 30.0f));
        case 2: {
          const float d = std::sqrt(dx * dx + dy * dy);
          return std::fabs(d - 24.0f) < 4.0f ? Rgb{90, 160, 120} : Rgb{0, 0, 0};
        }
        default:
          return Rgb{Channel(230.0f * Disc(dx, dy, 20.0f)), Channel(180.0f * Disc(dx, dy, 20.0f)),
                     Channel(120.0f * Disc(dx, dy, 20.0f))};
      }
    }
    return Rgb{0, 0, 0};
  });
}

}  // namespace kelvdata
