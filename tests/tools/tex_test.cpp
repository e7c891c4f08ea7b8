// The .TEX writer lays out the size and the texels as the format says.
#include <gtest/gtest.h>

#include "tools/tex.h"

namespace {

TEST(TexWriter, SizeThenRowsFromTheTopInRgbOrder) {
  const kelvdata::Bytes bytes = kelvdata::BuildTex(
      2, 0x0102, [](int x, int y) { return kelvdata::Rgb{std::uint8_t(x), std::uint8_t(y), std::uint8_t(9)}; });
  ASSERT_EQ(4u + 2u * 0x0102u * 3u, bytes.size());
  EXPECT_EQ((kelvdata::Bytes{2, 0, 2, 1, 0, 0, 9, 1, 0, 9, 0, 1, 9}),
            kelvdata::Bytes(bytes.begin(), bytes.begin() + 13));
}

}  // namespace
