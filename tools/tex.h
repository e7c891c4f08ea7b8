// Writer of texture files (.TEX): u16 width, u16 height, then the texels row
// by row from the top, each texel R, G, B (8 bits each). No other header.
#pragma once

#include <cstdint>
#include <functional>

#include "tools/bytes.h"

namespace kelvdata {

struct Rgb {
  std::uint8_t r;
  std::uint8_t g;
  std::uint8_t b;
};

// A texture whose texel (x, y) is texel(x, y).
Bytes BuildTex(std::uint16_t width, std::uint16_t height, const std::function<Rgb(int x, int y)>& texel);

// The size fields and then the texel bytes exactly as given, which need not
// hold width x height texels (for damaged files).
Bytes BuildTexRaw(std::uint16_t width, std::uint16_t height, const Bytes& texelBytes);

}  // namespace kelvdata
