#include "tools/tdb.h"

#include <gtest/gtest.h>

namespace {

TEST(TdbWriterTest, WritesCountThenLengthWithNulAndText) {
  using kelvdata::Bytes;
  EXPECT_EQ((Bytes{0, 0, 0, 0}), kelvdata::BuildTdb({}));
  EXPECT_EQ((Bytes{2, 0, 0, 0,            // count
                   3, 0, 'H', 'i', 0,     // "Hi"
                   1, 0, 0}),             // ""
            kelvdata::BuildTdb({"Hi", ""}));
  // Raw records keep their length and bytes as given.
  EXPECT_EQ((Bytes{7, 0, 0, 0, 9, 1, 'a', 'b'}), kelvdata::BuildTdbRaw(7, {{0x109, "ab"}}));
}

TEST(TdbWriterTest, CutsATextTooLongForItsLength) {
  kelvdata::Bytes bytes = kelvdata::BuildTdb({std::string(70000, 'x')});
  ASSERT_EQ(4u + 2u + 65535u, bytes.size());
  EXPECT_EQ(0xFF, bytes[4]);
  EXPECT_EQ(0xFF, bytes[5]);
  EXPECT_EQ(0, bytes.back());
}

}  // namespace
