#include "race/race/loading_picture.h"

#include <new>

#include "engine/data_reader.h"

std::unique_ptr<std::uint16_t[]> ReadLoadingPicture(DataReader& in, std::uint32_t W, std::uint32_t H) {
  std::uint16_t w = 0;
  std::uint16_t h = 0;
  // Sides and size are checked before any allocation, in both builds.
  if (!in.U16(&w) || !in.U16(&h) || w == 0 || h == 0 || w > LOADING_PICTURE_MAX_SIDE ||
      h > LOADING_PICTURE_MAX_SIDE || in.Remaining() < 3ull * w * h || W < 2 || H < 2 ||
      W > LOADING_PICTURE_MAX_SIDE || H > LOADING_PICTURE_MAX_SIDE) {
    return nullptr;
  }
  std::unique_ptr<std::uint8_t[]> rgb(new (std::nothrow) std::uint8_t[3ull * w * h]);
  std::unique_ptr<std::uint16_t[]> screen(new (std::nothrow) std::uint16_t[static_cast<std::size_t>(W) * H]);
  if (!rgb || !screen || !in.Bytes(rgb.get(), 3ull * w * h)) return nullptr;
  for (std::uint32_t y = 0; y < H; ++y) {
    const std::uint32_t py = y * (h - 1u) / (H - 1u);
    for (std::uint32_t x = 0; x < W; ++x) {
      const std::uint32_t px = x * (w - 1u) / (W - 1u);
      const std::uint8_t* p = &rgb[(static_cast<std::size_t>(py) * w + px) * 3];
      screen[static_cast<std::size_t>(y) * W + x] =
          static_cast<std::uint16_t>((p[0] >> 3) << 11 | (p[1] >> 2) << 5 | p[2] >> 3);
    }
  }
  return screen;
}
