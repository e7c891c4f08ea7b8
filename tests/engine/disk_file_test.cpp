#include "engine/disk_file.h"

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/win32/files.h"
#include "tests/support/game_root.h"

namespace {

namespace fs = std::filesystem;

class DiskFileTest : public kelvtest::GameRootTest {
 protected:
  void SetUp() override {
    GameRootTest::SetUp();
    kelvdata::Bytes hundred(120);
    for (std::size_t i = 0; i < hundred.size(); ++i) hundred[i] = static_cast<std::uint8_t>(i);
    Put("data/qdv.bin", hundred);
  }
};

TEST_F(DiskFileTest, OpensThroughTheStreamInterfaceAndKnowsItsPath) {
  DiskFile file;
  Stream& s = file;
  ASSERT_TRUE(s.Open("DATA\\QDV.BIN", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_TRUE(s.IsOpen());
  EXPECT_EQ(s.Size(), 120);
  EXPECT_EQ(s.Tell(), 0);
  EXPECT_TRUE(fs::equivalent(file.FullPath(), Host("data/qdv.bin")));
  ASSERT_NE(file.FilePart(), nullptr);
  EXPECT_STREQ(file.FilePart(), "qdv.bin");
  EXPECT_TRUE(s.Close());
  EXPECT_FALSE(s.IsOpen());
  EXPECT_STREQ(file.FullPath(), "");
  EXPECT_EQ(file.FilePart(), nullptr);
  // Closing again, or a file never opened, reports false and stays closed.
  EXPECT_FALSE(s.Close());
  DiskFile never;
  EXPECT_FALSE(never.Close());
  EXPECT_FALSE(never.IsOpen());
}

TEST_F(DiskFileTest, FailedOpenLeavesTheFileClosedAndReusable) {
  DiskFile file;
  EXPECT_FALSE(file.Open("DATA\\MISSING.BIN", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.FilePart(), nullptr);
  EXPECT_TRUE(file.Open("DATA\\QDV.BIN", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  // Opening again replaces the open file.
  EXPECT_TRUE(file.Open("data/new.bin", GENERIC_WRITE, CREATE_NEW, 0));
  EXPECT_EQ(file.Size(), 0);
  EXPECT_STREQ(file.FilePart(), "new.bin");
}

TEST_F(DiskFileTest, SeeksAndReadsAtTheEnd) {
  DiskFile file;
  ASSERT_TRUE(file.Open("DATA\\QDV.BIN", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(file.Seek(100));
  EXPECT_TRUE(file.SeekRelative(-4));
  EXPECT_EQ(file.Tell(), 96);
  EXPECT_FALSE(file.SeekRelative(-97));
  EXPECT_EQ(file.Tell(), 96);
  EXPECT_FALSE(file.Seek(-1));
  std::uint8_t buf[64];
  ASSERT_TRUE(file.Read(buf, 4));
  EXPECT_EQ(buf[0], 96);
  EXPECT_EQ(buf[3], 99);
  // 20 bytes remain: an all-or-nothing read of 30 fails, a partial one gets 20.
  EXPECT_FALSE(file.Read(buf, 30));
  ASSERT_TRUE(file.Seek(100));
  int n = 30;
  EXPECT_TRUE(file.ReadSome(buf, &n));
  EXPECT_EQ(n, 20);
  EXPECT_EQ(buf[19], 119);
  n = 30;
  EXPECT_FALSE(file.ReadSome(buf, &n));
  EXPECT_EQ(n, 0);
  n = 0;
  EXPECT_TRUE(file.ReadSome(buf, &n));
  EXPECT_TRUE(file.Read(buf, 0));
  // Beyond the end is a valid position; reading there fails.
  EXPECT_TRUE(file.Seek(500));
  EXPECT_EQ(file.Tell(), 500);
  EXPECT_FALSE(file.Read(buf, 1));
  EXPECT_TRUE(file.SeekToEnd());
  EXPECT_EQ(file.Tell(), 120);
  EXPECT_TRUE(file.SeekToStart());
  EXPECT_EQ(file.Tell(), 0);
  // Not opened for writing.
  EXPECT_FALSE(file.Write(buf, 1));
}

TEST_F(DiskFileTest, WritesAndFullDisk) {
  DiskFile file;
  ASSERT_TRUE(file.Open("DATA\\SAVE.SVD", GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS, 0));
  ASSERT_TRUE(file.Write("header", 6));
  platform::InjectWriteLimit(3);
  EXPECT_FALSE(file.Write("abcdef", 6));
  file.Seek(6);
  platform::InjectWriteLimit(3);
  // The disk fills up within the write: a failure that still reports what got written.
  int n = 6;
  EXPECT_FALSE(file.WriteSome("abcdef", &n));
  EXPECT_EQ(n, 3);
  n = 6;
  EXPECT_FALSE(file.WriteSome("abcdef", &n));
  EXPECT_EQ(n, 0);
  platform::InjectWriteLimit(-1);
  EXPECT_EQ(file.Size(), 9);
  char back[9];
  ASSERT_TRUE(file.SeekToStart());
  ASSERT_TRUE(file.Read(back, 9));
  EXPECT_EQ(std::string(back, 9), "headerabc");
  // Read-only files exist too.
  DiskFile reader;
  ASSERT_TRUE(reader.Open("DATA\\SAVE.SVD", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_FALSE(reader.Write("x", 1));
  n = 1;
  EXPECT_FALSE(reader.WriteSome("x", &n));
}

// The host path of a game folder has no length limit of its own: only the
// game's names keep their Windows limits.
TEST_F(DiskFileTest, OpensUnderAGameRootWithAVeryLongPath) {
  fs::path deep = root_;
  for (char c : {'a', 'b', 'c', 'd', 'e'}) deep /= std::string(120, c);
  fs::create_directories(deep / "data");
  fs::copy_file(Host("data/qdv.bin"), deep / "data" / "qdv.bin");
  fs::current_path(deep);
  ASSERT_GT(fs::current_path().string().size(), 2 * MAX_PATH);

  DiskFile file;
  ASSERT_TRUE(file.Open("DATA\\QDV.BIN", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_EQ(file.FullPath(), (deep / "data" / "qdv.bin").string());
  ASSERT_NE(file.FilePart(), nullptr);
  EXPECT_STREQ(file.FilePart(), "qdv.bin");
  EXPECT_EQ(file.Size(), 120);
  EXPECT_TRUE(file.Close());
  EXPECT_STREQ(file.FullPath(), "");
}

}  // namespace
