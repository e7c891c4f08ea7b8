#include "engine/text_database.h"

#include <string>
#include <vector>

#include "engine/archive.h"
#include "platform/win32/msgbox.h"
#include "tests/support/game_root.h"
#include "tools/bbf.h"
#include "tools/tdb.h"

namespace {

using kelvdata::Bytes;
using kelvdata::BuildTdb;
using kelvdata::BuildTdbRaw;

const char kErrorText[] = "File error opening textDB data.\nPlease reinstall Kelvarro.";

class TextDatabaseTest : public kelvtest::GameRootTest {
 protected:
  void TearDown() override {
    g_TextDatabase.Release();
    g_UiArchive.Close();
    kelvtest::GameRootTest::TearDown();
  }

  // Writes DATA\UI.BBF with the members and opens it as the UI archive.
  void OpenUiArchive(const std::vector<kelvdata::BbfMember>& members) {
    Put("DATA/UI.BBF", kelvdata::BuildBbf(members));
    ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  }

  // Every box shown so far must be the text-database error box; returns how many.
  static int ErrorBoxes() {
    int n = 0;
    for (const platform::MessageBoxCall& box : platform::RecordedMessageBoxes()) {
      EXPECT_EQ(kErrorText, box.text);
      EXPECT_EQ("Kelvarro", box.caption);
      EXPECT_EQ(MB_TOPMOST | MB_ICONHAND, box.type);
      ++n;
    }
    return n;
  }

  static void ExpectEmpty() {
    EXPECT_EQ(0u, g_TextDatabase.Count());
    EXPECT_STREQ("", g_TextDatabase.Text(0));
  }
};

TEST_F(TextDatabaseTest, LoadsEveryTextByItsId) {
  const std::vector<std::string> texts = {"Start race", "", "Lap %d/%d", "\xC4\xE5\xED\xFC"};
  OpenUiArchive({{"OTHER.TEX", Bytes(10, 0xAA)}, {"GAMETXT0.TDB", BuildTdb(texts)}});
  ASSERT_TRUE(g_TextDatabase.Load("DATA\\UI\\GAMETXT0.TDB"));
  ASSERT_EQ(texts.size(), g_TextDatabase.Count());
  for (std::uint32_t id = 0; id < texts.size(); ++id) EXPECT_EQ(texts[id], g_TextDatabase.Text(id)) << id;
  EXPECT_EQ(0, ErrorBoxes());
}

TEST_F(TextDatabaseTest, IdsAtOrBeyondTheCountGiveTheEmptyText) {
  OpenUiArchive({{"GAMETXT0.TDB", BuildTdb({"Quit", "Options"})}});
  ASSERT_TRUE(g_TextDatabase.Load("DATA\\UI\\GAMETXT0.TDB"));
  for (std::uint32_t id : {2u, 3u, 1000u, 0xFFFFFFFFu}) EXPECT_STREQ("", g_TextDatabase.Text(id)) << id;
  EXPECT_STREQ("Options", g_TextDatabase.Text(1));
}

TEST_F(TextDatabaseTest, CountZeroLoadsEmpty) {
  OpenUiArchive({{"GAMETXT0.TDB", BuildTdb({})}});
  ASSERT_TRUE(g_TextDatabase.Load("DATA\\UI\\GAMETXT0.TDB"));
  ExpectEmpty();
  g_TextDatabase.Release();
  ExpectEmpty();
  EXPECT_EQ(0, ErrorBoxes());
}

TEST_F(TextDatabaseTest, LanguageChoosesTheFile) {
  const struct {
    DWORD language;
    const char* file;
  } cases[] = {
      {LANGUAGE_ENGLISH, "DATA\\UI\\GAMETXT0.TDB"},    {LANGUAGE_ITALIAN, "DATA\\UI\\GAMETXT1.TDB"},
      {LANGUAGE_SPANISH, "DATA\\UI\\GAMETXT2.TDB"},    {LANGUAGE_PORTUGUESE, "DATA\\UI\\GAMETXT3.TDB"},
      {LANGUAGE_DUTCH, "DATA\\UI\\GAMETXT4.TDB"},      {LANGUAGE_FRENCH, "DATA\\UI\\GAMETXT5.TDB"},
      {LANGUAGE_GERMAN, "DATA\\UI\\GAMETXT6.TDB"},     {LANGUAGE_RUSSIAN, "DATA\\UI\\GAMETXT7.TDB"},
      {8, "DATA\\UI\\GAMETXT0.TDB"},                   {9, "DATA\\UI\\GAMETXT0.TDB"},
      {0xFFFFFFFFu, "DATA\\UI\\GAMETXT0.TDB"},
  };
  for (const auto& c : cases) EXPECT_STREQ(c.file, TextDatabaseFile(c.language)) << c.language;

  // Language 9 reads the English file of an archive holding several.
  OpenUiArchive({{"GAMETXT6.TDB", BuildTdb({"Rennen"})}, {"GAMETXT0.TDB", BuildTdb({"Race"})}});
  ASSERT_TRUE(g_TextDatabase.Load(TextDatabaseFile(9)));
  EXPECT_STREQ("Race", g_TextDatabase.Text(0));
  ASSERT_TRUE(g_TextDatabase.Load(TextDatabaseFile(LANGUAGE_GERMAN)));
  EXPECT_STREQ("Rennen", g_TextDatabase.Text(0));
}

TEST_F(TextDatabaseTest, MissingFileShowsTheErrorBox) {
  OpenUiArchive({{"GAMETXT0.TDB", BuildTdb({"Race"})}});
  EXPECT_FALSE(g_TextDatabase.Load("DATA\\UI\\GAMETXT3.TDB"));
  ExpectEmpty();
  EXPECT_EQ(1, ErrorBoxes());
}

TEST_F(TextDatabaseTest, DamagedFilesAreRejectedAndLeaveNothingLoaded) {
  const std::string nul(1, '\0');
  Bytes cutInText = BuildTdb({"Start race", "Options"});
  cutInText.resize(cutInText.size() - 3);
  Bytes cutInLength = BuildTdbRaw(2, {{5, "Quit" + nul}});
  cutInLength.push_back(7);
  const struct {
    const char* name;
    Bytes tdb;
  } cases[] = {
      {"empty member", {}},
      {"count cut short", {1, 0}},
      {"count beyond the member", BuildTdbRaw(3, {{5, "Quit" + nul}, {5, "Back" + nul}})},
      {"huge count", BuildTdbRaw(0xFFFFFFFFu, {{5, "Quit" + nul}})},
      {"length beyond the member", BuildTdbRaw(2, {{5, "Quit" + nul}, {40, "Back" + nul}})},
      {"length cut short", cutInLength},
      {"length zero", BuildTdbRaw(2, {{0, ""}, {5, "Quit" + nul}})},
      {"last byte not NUL", BuildTdbRaw(2, {{5, "Quit" + nul}, {4, "Back"}})},
      {"cut inside a text", cutInText},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    platform::ClearRecordedMessageBoxes();
    g_UiArchive.Close();
    // A good database loaded first must be gone afterwards; the member that
    // follows offers bytes that a read past the damaged member would take.
    OpenUiArchive({{"GAMETXT1.TDB", BuildTdb({"Race", "Quit"})},
                   {"GAMETXT0.TDB", c.tdb},
                   {"ZZZ.BIN", Bytes(300, 'x')}});
    ASSERT_TRUE(g_TextDatabase.Load("DATA\\UI\\GAMETXT1.TDB"));
    EXPECT_FALSE(g_TextDatabase.Load("DATA\\UI\\GAMETXT0.TDB"));
    ExpectEmpty();
    EXPECT_EQ(1, ErrorBoxes());
  }
}

}  // namespace
