#include "engine/archive.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32/files.h"
#include "tests/support/game_root.h"
#include "tools/bbf.h"

namespace {

namespace fs = std::filesystem;
using kelvdata::Bytes;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

void PutU32(Bytes* b, std::size_t offset, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Offsets in the file format.
constexpr std::size_t FIRST_HEADER = 8;
constexpr std::size_t HEADER = 540;

class ArchiveTest : public kelvtest::GameRootTest {
 protected:
  void SetUp() override {
    GameRootTest::SetUp();
    members_ = {{"_CUROBJ.TEX", Text("0123456789")}, {"EMPTY.BIN", {}}, {"GameTxt0.Tdb", Text("abcdefghijklmnop")}};
    Put("data/ui.bbf", kelvdata::BuildBbf(members_));
  }
  void TearDown() override {
    g_UiArchive.Close();
    GameRootTest::TearDown();
  }
  Bytes Slurp(const std::string& relative) const {
    std::ifstream in(Host(relative), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string ReadAll(ArchiveFile& f) {
    std::string s(static_cast<std::size_t>(f.Size()), '\0');
    EXPECT_TRUE(f.Read(s.data(), f.Size()));
    return s;
  }

  std::vector<kelvdata::BbfMember> members_;
};

TEST_F(ArchiveTest, ListsAndReadsMembers) {
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  std::vector<std::string> names;
  for (const BbfMemberNode* n = g_UiArchive.FirstMember(); n; n = n->next) {
    names.push_back(n->name);
    EXPECT_EQ(n->nameLength, std::string(n->name).size() + 1);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"_CUROBJ.TEX", "EMPTY.BIN", "GameTxt0.Tdb"}));
  EXPECT_EQ(g_UiArchive.Tell(), 8);

  // Names match without regard to case, in either direction.
  ArchiveFile tex;
  ASSERT_TRUE(tex.SetArchive(&g_UiArchive));
  ASSERT_TRUE(tex.Open("_curobj.tex", GENERIC_READ, MEMBER_OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_STREQ(tex.MemberName(), "_CUROBJ.TEX");
  EXPECT_EQ(tex.Tell(), static_cast<int>(FIRST_HEADER + HEADER));  // absolute, not 0
  EXPECT_EQ(tex.Size(), 10);
  EXPECT_EQ(ReadAll(tex), "0123456789");

  ArchiveFile txt;
  ASSERT_TRUE(txt.SetArchive(&g_UiArchive));
  ASSERT_TRUE(txt.Open("GAMETXT0.TDB", GENERIC_READ, MEMBER_OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_EQ(txt.Tell(), static_cast<int>(FIRST_HEADER + 3 * HEADER + 10));
  EXPECT_EQ(ReadAll(txt), "abcdefghijklmnop");

  ArchiveFile empty;
  ASSERT_TRUE(empty.SetArchive(&g_UiArchive));
  ASSERT_TRUE(empty.Open("empty.bin", GENERIC_READ, MEMBER_OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_EQ(empty.Size(), 0);
  char c;
  EXPECT_TRUE(empty.Read(&c, 0));
  EXPECT_FALSE(empty.Read(&c, 1));

  ArchiveFile missing;
  ASSERT_TRUE(missing.SetArchive(&g_UiArchive));
  EXPECT_FALSE(missing.Open("NOPE.TEX", GENERIC_READ, MEMBER_OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_FALSE(missing.Open("_CUROBJ.TEX", GENERIC_READ, 2, FILE_SHARE_READ));
  // Creating needs write access to the archive, and a present name cannot be created.
  EXPECT_FALSE(missing.Open("_CUROBJ.TEX", GENERIC_READ | GENERIC_WRITE, MEMBER_CREATE, 0));
  EXPECT_FALSE(missing.Open("NEW.TEX", GENERIC_READ | GENERIC_WRITE, MEMBER_CREATE, 0));
  EXPECT_FALSE(missing.IsOpen());

  // Unbound, or bound to nothing usable.
  ArchiveFile unbound;
  EXPECT_FALSE(unbound.Open("_CUROBJ.TEX", GENERIC_READ, MEMBER_OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_FALSE(unbound.SetArchive(nullptr));
  BbfArchive closed;
  EXPECT_FALSE(unbound.SetArchive(&closed));
  EXPECT_EQ(unbound.Tell(), -1);
}

TEST_F(ArchiveTest, ReadsStayInsideTheMember) {
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ArchiveFile f;
  ASSERT_TRUE(f.SetArchive(&g_UiArchive));
  ASSERT_TRUE(f.Open("_CUROBJ.TEX", GENERIC_READ, MEMBER_OPEN_EXISTING, FILE_SHARE_READ));
  const int start = f.Tell();
  char buf[64] = {};
  ASSERT_TRUE(f.Seek(6));
  EXPECT_EQ(f.Tell(), start + 6);
  // 4 bytes remain: an all-or-nothing read of 5 fails and moves nothing...
  EXPECT_FALSE(f.Read(buf, 5));
  EXPECT_EQ(f.Tell(), start + 6);
  // ...a partial read stops at the member's end, not in the next header.
  int n = 64;
  EXPECT_TRUE(f.ReadSome(buf, &n));
  EXPECT_EQ(std::string(buf, n), "6789");
  n = 64;
  EXPECT_FALSE(f.ReadSome(buf, &n));
  EXPECT_EQ(n, 0);
  n = 0;
  EXPECT_TRUE(f.ReadSome(buf, &n));

  // Seeks: both ends of the member allowed, nothing outside.
  EXPECT_TRUE(f.Seek(10));
  EXPECT_FALSE(f.Seek(11));
  EXPECT_FALSE(f.Seek(-1));
  EXPECT_EQ(f.Tell(), start + 10);
  EXPECT_TRUE(f.SeekRelative(-10));
  EXPECT_FALSE(f.SeekRelative(-1));
  EXPECT_FALSE(f.SeekRelative(11));
  EXPECT_EQ(f.Tell(), start);
  EXPECT_TRUE(f.SeekToEnd());
  EXPECT_EQ(f.Tell(), start + 10);
  EXPECT_TRUE(f.SeekToStart());
  ASSERT_TRUE(f.Read(buf, 3));
  EXPECT_EQ(std::string(buf, 3), "012");
  // Opened for reading only.
  EXPECT_FALSE(f.Write("x", 1));
  EXPECT_TRUE(f.Close());
  EXPECT_FALSE(f.Close());
  EXPECT_EQ(f.Tell(), -1);
  EXPECT_FALSE(f.Read(buf, 1));
}

TEST_F(ArchiveTest, MembersReadAlternatelyKeepTheirOwnPositions) {
  ASSERT_TRUE(g_UiArchive.Open("data/ui.bbf", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ArchiveFile a, b;
  ASSERT_TRUE(a.SetArchive(&g_UiArchive));
  ASSERT_TRUE(b.SetArchive(&g_UiArchive));
  ASSERT_TRUE(a.Open("_CUROBJ.TEX", GENERIC_READ, MEMBER_OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(b.Open("GAMETXT0.TDB", GENERIC_READ, MEMBER_OPEN_EXISTING, FILE_SHARE_READ));
  std::string ra, rb;
  char c;
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(a.Read(&c, 1));
    ra += c;
    ASSERT_TRUE(b.Read(&c, 1));
    rb += c;
    // A seek of the archive itself in between changes nothing for the members.
    ASSERT_TRUE(g_UiArchive.SeekToStart());
  }
  EXPECT_EQ(ra, "0123456789");
  EXPECT_EQ(rb, "abcdefghij");
  // Copies and equality.
  ArchiveFile copy = b;
  EXPECT_TRUE(copy == b);
  EXPECT_TRUE(copy != a);
  ASSERT_TRUE(copy.Read(&c, 1));
  EXPECT_EQ(c, 'k');
  BbfArchive same;
  ASSERT_TRUE(same.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_TRUE(same == g_UiArchive);
  EXPECT_TRUE(same != g_MiscArchive);
}

TEST_F(ArchiveTest, ArchivePositionsStayAfterTheFileHeader) {
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_FALSE(g_UiArchive.Seek(4));
  EXPECT_TRUE(g_UiArchive.Seek(8));
  EXPECT_FALSE(g_UiArchive.SeekRelative(-1));
  EXPECT_TRUE(g_UiArchive.SeekRelative(540));
  EXPECT_EQ(g_UiArchive.Tell(), 548);
  char c;
  EXPECT_FALSE(g_UiArchive.Write(&c, 1));  // read access only
  EXPECT_TRUE(g_UiArchive.FindMember("empty.BIN"));
  EXPECT_EQ(g_UiArchive.Tell(), static_cast<int>(FIRST_HEADER + HEADER + 10));
  EXPECT_FALSE(g_UiArchive.FindMember("EMPTY"));
  // Closing forgets the members; the archive opens again as before.
  EXPECT_TRUE(g_UiArchive.Close());
  EXPECT_FALSE(g_UiArchive.IsOpen());
  EXPECT_FALSE(g_UiArchive.FindMember("EMPTY.BIN"));
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_TRUE(g_UiArchive.FindMember("EMPTY.BIN"));
}

struct Damage {
  const char* what;
  void (*apply)(Bytes*);
};

TEST_F(ArchiveTest, DamagedArchivesDoNotOpen) {
  const Bytes good = kelvdata::BuildBbf(members_);
  const Damage damages[] = {
      {"bad magic", [](Bytes* b) { (*b)[0] = 'X'; }},
      {"file header size 9", [](Bytes* b) { PutU32(b, 4, 9); }},
      {"shorter than the file header", [](Bytes* b) { b->resize(5); }},
      {"member header size 539", [](Bytes* b) { PutU32(b, FIRST_HEADER, 539); }},
      {"member header size 0", [](Bytes* b) { PutU32(b, FIRST_HEADER, 0); }},
      {"data offset one too far", [](Bytes* b) { PutU32(b, FIRST_HEADER + 268, FIRST_HEADER + HEADER + 1); }},
      {"data offset inside the header", [](Bytes* b) { PutU32(b, FIRST_HEADER + 268, FIRST_HEADER); }},
      {"data offset beyond the file", [](Bytes* b) { PutU32(b, FIRST_HEADER + 268, 0xFFFFFFF0u); }},
      {"data size beyond the file", [](Bytes* b) { PutU32(b, FIRST_HEADER + 272, 0xFFFFFFFFu); }},
      {"data size one too many", [](Bytes* b) { PutU32(b, b->size() - 16 - HEADER + 272, 17); }},
      {"last data cut short", [](Bytes* b) { b->pop_back(); }},
      {"name without NUL", [](Bytes* b) { std::fill(b->begin() + FIRST_HEADER + 4, b->begin() + FIRST_HEADER + 264, 'N'); }},
      {"second member's header size", [](Bytes* b) { PutU32(b, FIRST_HEADER + HEADER + 10, 541); }},
  };
  for (const auto& d : damages) {
    SCOPED_TRACE(d.what);
    Bytes bad = good;
    d.apply(&bad);
    Put("data/bad.bbf", bad);
    BbfArchive a;
    EXPECT_FALSE(a.Open("DATA\\BAD.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    EXPECT_FALSE(a.IsOpen());
    EXPECT_EQ(a.FirstMember(), nullptr);
    EXPECT_FALSE(a.FindMember("_CUROBJ.TEX"));
    // Also when the caller could write: the damaged file is never rewritten.
    EXPECT_FALSE(a.Open("DATA\\BAD.BBF", GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, 0));
    EXPECT_EQ(Slurp("data/bad.bbf"), bad);
    // The same object opens a sound archive afterwards.
    EXPECT_TRUE(a.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  }

  // Names differing only in case are duplicates.
  Put("data/dup.bbf", kelvdata::BuildBbf({{"A.TEX", Text("1")}, {"a.tex", Text("2")}}));
  BbfArchive dup;
  EXPECT_FALSE(dup.Open("DATA\\DUP.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_EQ(dup.FirstMember(), nullptr);

  // Missing files, and an empty file where an archive must exist.
  BbfArchive a;
  EXPECT_FALSE(a.Open("DATA\\NONE.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  Put("data/empty.bbf", {});
  EXPECT_FALSE(a.Open("DATA\\EMPTY.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_TRUE(Slurp("data/empty.bbf").empty());
}

TEST_F(ArchiveTest, CutShortLastHeaderLeavesTheCompleteMembers) {
  for (std::size_t extra : {std::size_t{1}, std::size_t{100}, HEADER - 1}) {
    SCOPED_TRACE(extra);
    Bytes b = kelvdata::BuildBbf(members_);
    std::size_t at = b.size();
    b.resize(at + extra, 0);
    if (extra >= 4) PutU32(&b, at, 540);
    Put("data/cut.bbf", b);
    BbfArchive a;
    ASSERT_TRUE(a.Open("DATA\\CUT.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    int count = 0;
    for (const BbfMemberNode* n = a.FirstMember(); n; n = n->next) ++count;
    EXPECT_EQ(count, 3);
    ArchiveFile f;
    ASSERT_TRUE(f.SetArchive(&a));
    ASSERT_TRUE(f.Open("GAMETXT0.TDB", GENERIC_READ, MEMBER_OPEN_EXISTING, FILE_SHARE_READ));
    EXPECT_EQ(ReadAll(f), "abcdefghijklmnop");
    char c;
    EXPECT_FALSE(f.Read(&c, 1));
  }
}

TEST_F(ArchiveTest, MembersCreatedThroughTheClassesMatchTheWriter) {
  BbfArchive a;
  ASSERT_TRUE(a.Open("DATA\\NEW.BBF", GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, 0));
  EXPECT_EQ(a.FirstMember(), nullptr);
  for (const auto& m : members_) {
    ArchiveFile f;
    ASSERT_TRUE(f.SetArchive(&a));
    ASSERT_TRUE(f.Open(m.name.c_str(), GENERIC_READ | GENERIC_WRITE, MEMBER_CREATE, 0));
    EXPECT_EQ(f.Size(), 0);
    if (!m.data.empty()) {
      ASSERT_TRUE(f.Write(m.data.data(), 3));
      int n = static_cast<int>(m.data.size()) - 3;
      ASSERT_TRUE(f.WriteSome(m.data.data() + 3, &n));
      EXPECT_EQ(n, static_cast<int>(m.data.size()) - 3);
    }
    EXPECT_EQ(f.Size(), static_cast<int>(m.data.size()));
    // A created member is listed at once.
    ArchiveFile twice;
    ASSERT_TRUE(twice.SetArchive(&a));
    EXPECT_FALSE(twice.Open(m.name.c_str(), GENERIC_WRITE, MEMBER_CREATE, 0));
    EXPECT_TRUE(f.Close());
  }
  a.Close();
  EXPECT_EQ(Slurp("data/NEW.BBF"), kelvdata::BuildBbf(members_));

  // Mode 4 opens the existing member; only the last member may grow.
  ASSERT_TRUE(a.Open("DATA\\NEW.BBF", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, 0));
  ArchiveFile first, last;
  ASSERT_TRUE(first.SetArchive(&a));
  ASSERT_TRUE(first.Open("_CUROBJ.TEX", GENERIC_READ | GENERIC_WRITE, MEMBER_OPEN_ALWAYS, 0));
  ASSERT_TRUE(first.Seek(8));
  EXPECT_FALSE(first.Write("XYZ", 3));
  int n = 3;
  EXPECT_TRUE(first.WriteSome("XYZ", &n));
  EXPECT_EQ(n, 2);
  EXPECT_TRUE(first.Close());
  ASSERT_TRUE(last.SetArchive(&a));
  ASSERT_TRUE(last.Open("GAMETXT0.TDB", GENERIC_READ | GENERIC_WRITE, MEMBER_OPEN_ALWAYS, 0));
  ASSERT_TRUE(last.SeekToEnd());
  ASSERT_TRUE(last.Write("qr", 2));
  EXPECT_TRUE(last.Close());
  a.Close();

  members_[0].data = Text("01234567XY");
  members_[2].data = Text("abcdefghijklmnopqr");
  EXPECT_EQ(Slurp("data/NEW.BBF"), kelvdata::BuildBbf(members_));

  // A new file opened only for reading cannot become an archive.
  BbfArchive ro;
  EXPECT_FALSE(ro.Open("DATA\\OTHER.BBF", GENERIC_READ, OPEN_ALWAYS, 0));
}

TEST_F(ArchiveTest, ReadOnlyDiscOpensForReading) {
  Put("disc/data/track.bbf", kelvdata::BuildBbf(members_));
  platform::SetDriveMap({{'E', Host("disc"), true}});
  BbfArchive a;
  EXPECT_FALSE(a.Open("E:\\DATA\\TRACK.BBF", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, 0));
  ASSERT_TRUE(a.Open("E:\\DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ArchiveFile f;
  ASSERT_TRUE(f.SetArchive(&a));
  ASSERT_TRUE(f.Open("_CUROBJ.TEX", GENERIC_READ, MEMBER_OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_EQ(ReadAll(f), "0123456789");
}

}  // namespace

namespace {

TEST_F(ArchiveTest, HeaderDamagedAfterOpeningIsRefused) {
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  {
    std::fstream f(Host("data/ui.bbf"), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(FIRST_HEADER + 268));
    f.write("\x01\x00\x00\x00", 4);  // first member's data offset
  }
  ArchiveFile f;
  ASSERT_TRUE(f.SetArchive(&g_UiArchive));
  EXPECT_FALSE(f.Open("_CUROBJ.TEX", GENERIC_READ, MEMBER_OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_FALSE(f.IsOpen());
  ASSERT_TRUE(f.Open("GAMETXT0.TDB", GENERIC_READ, MEMBER_OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_EQ(ReadAll(f), "abcdefghijklmnop");
}

}  // namespace

namespace {

// Archives in a game folder whose path is longer than any Windows path open
// and read; two archives are the same only when their whole paths are.
TEST_F(ArchiveTest, OpensUnderAGameRootWithAVeryLongPath) {
  fs::path deep = root_;
  for (char c : {'a', 'b', 'c', 'd', 'e'}) deep /= std::string(120, c);
  fs::create_directories(deep / "data");
  fs::copy_file(Host("data/ui.bbf"), deep / "data" / "ui.bbf");
  fs::copy_file(Host("data/ui.bbf"), deep / "data" / "misc.bbf");
  fs::current_path(deep);
  ASSERT_GT(fs::current_path().string().size(), 2 * MAX_PATH);

  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ArchiveFile f;
  ASSERT_TRUE(f.SetArchive(&g_UiArchive));
  ASSERT_TRUE(f.Open("GAMETXT0.TDB", GENERIC_READ, MEMBER_OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_EQ(ReadAll(f), "abcdefghijklmnop");

  BbfArchive same, other;
  ASSERT_TRUE(same.Open("data/ui.bbf", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(other.Open("DATA\\MISC.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_TRUE(g_UiArchive == same);
  EXPECT_TRUE(g_UiArchive != other);
}

}  // namespace
