#include "tools/tex.h"


#include "tools/seeds.h"

namespace kelvdata {

Bytes BuildTex(std::uint16_t width, std::uint16_t height, const std::function<Rgb(int x, int y)>& texel) {
  ByteWriter w;
  w.U16(width);
  w.U16(height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = texel(x, y);
      w.U8(c.r);
      w.U8(c.g);
      w.U8(c.b);
    }
  }
  return w.Take();
}

Bytes BuildTexRaw(std::uint16_t width, std::uint16_t height, const Bytes& texelBytes) {
  ByteWriter w;
  w.U16(width);
  w.U16(height);
  w.Raw(texelBytes);
  return w.Take();
}

bool WriteTexSeeds(const std::string& dir) {
  auto checker = [](int x, int y) { return ((x ^ y) & 1) ? Rgb{250, 0, 200} : Rgb{40, 120, 240}; };
  Bytes truncated = BuildTex(8, 8, checker);
  truncated.resize(truncated.size() - 5);
  return WriteHostFiles(dir, {
      {"square.tex", BuildTex(8, 8, checker)},
      {"wide.tex", BuildTex(16, 4, checker)},
      {"tall.tex", BuildTex(2, 16, checker)},
      {"one.tex", BuildTex(1, 1, checker)},
      {"odd.tex", BuildTex(3, 3, checker)},
      {"aspect16.tex", BuildTex(32, 2, checker)},
      {"width_zero.tex", BuildTexRaw(0, 8, Bytes(24, 7))},
      {"height_zero.tex", BuildTexRaw(8, 0, Bytes(24, 7))},
      {"truncated.tex", truncated},
      {"huge.tex", BuildTexRaw(0xFFFF, 0xFFFF, Bytes(48, 7))},
      {"short_header.tex", Bytes{8, 0, 8}},
      // The largest texture a board takes, and a wide one that must be reduced.
      {"large256.tex", BuildTex(256, 256, [](int x, int y) { return Rgb{std::uint8_t(x), std::uint8_t(y), std::uint8_t(x ^ y)}; })},
      {"wide512.tex", BuildTex(512, 128, checker)},
  });
}

}  // namespace kelvdata
