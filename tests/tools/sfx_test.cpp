#include "tools/sfx.h"

#include <gtest/gtest.h>

namespace {

using kelvdata::Bytes;

TEST(SfxWriterTest, WritesBitsChannelsRateThenThePcm) {
  EXPECT_EQ((Bytes{16, 2, 0x44, 0xAC,  // 16 bits, stereo, 44,100 Hz
                   1, 2, 3, 4, 5}),
            kelvdata::BuildSfx(16, 2, 44100, {1, 2, 3, 4, 5}));
  EXPECT_EQ((Bytes{8, 1, 0x11, 0x2B}), kelvdata::BuildSfx(8, 1, 11025, {}));
}

TEST(SfxWriterTest, SineToneIsSignedSixteenBitOrUnsignedEightBitInEveryChannel) {
  // A quarter of the rate: 0, peak, 0, -peak.
  Bytes pcm16 = kelvdata::SineTonePcm(16, 2, 8000, 2000.0, 1.0, 4);
  EXPECT_EQ((Bytes{0, 0, 0, 0, 0xFF, 0x7F, 0xFF, 0x7F, 0, 0, 0, 0, 0x01, 0x80, 0x01, 0x80}), pcm16);
  Bytes pcm8 = kelvdata::SineTonePcm(8, 1, 8000, 2000.0, 1.0, 4);
  EXPECT_EQ((Bytes{128, 255, 128, 1}), pcm8);
}

}  // namespace
