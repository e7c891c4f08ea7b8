// The synthetic data set's fonts and widget files load with the readers.
#include <gtest/gtest.h>

#include <string>

#include "engine/app.h"
#include "engine/archive.h"
#include "engine/text_database.h"
#include "tests/ui/ui_fixture.h"
#include "tools/dataset.h"
#include "tools/ui_samples.h"
#include "ui/backdrop.h"
#include "ui/edit_text.h"
#include "ui/panel.h"
#include "ui/static_text.h"

namespace {

class DataSetWidgetsTest : public kelvtest::UiTest {};

TEST_F(DataSetWidgetsTest, FontsPanelsAndLabelsLoad) {
  ASSERT_TRUE(kelvdata::WriteDataSet(root_.string()));
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(g_TextDatabase.Load("DATA\\UI\\GAMETXT0.TDB"));
  g_ColourKey = {0, 0, 0};
  Font fonts[5];
  const char* paths[5] = {"DATA\\UI\\FONT1.FNT", "DATA\\UI\\FONT2.FNT", "DATA\\UI\\FONT3.FNT", "DATA\\UI\\FONT4.FNT",
                          "DATA\\UI\\FONT7.FNT"};
  for (int language : {0, 7}) {
    g_Language = static_cast<std::uint32_t>(language);
    for (int i = 0; i < 5; ++i) {
      ASSERT_TRUE(fonts[i].Load(paths[i])) << paths[i] << " language " << language;
      EXPECT_TRUE(fonts[i].HasGlyph('A'));
      // Windows-1251's capital I (0xC8) and small yo (0xB8): Russian only.
      EXPECT_EQ(language == 7, fonts[i].HasGlyph(0xC8)) << paths[i] << " language " << language;
      EXPECT_EQ(language == 7, fonts[i].HasGlyph(0xB8)) << paths[i] << " language " << language;
    }
  }
  // The fonts of single screens are not swapped for language 7: each holds
  // the Cyrillic letters beside ASCII, for every language.
  for (const char* path : {kelvdata::NARROW_FONT, kelvdata::SHADOW_FONT}) {
    for (int language : {0, 7}) {
      g_Language = static_cast<std::uint32_t>(language);
      Font f;
      ASSERT_TRUE(f.Load(path)) << path << " language " << language;
      EXPECT_TRUE(f.HasGlyph('A')) << path;
      EXPECT_TRUE(f.HasGlyph(0xC8)) << path << " language " << language;
      f.FreeTexture();
    }
  }
  g_Fonts = fonts;
  g_FontCount = 5;

  StaticText title;
  ASSERT_TRUE(title.Load("DATA\\UI\\TITLE.STX"));
  EXPECT_STREQ("Kelvarro", title.String());
  EditText name;
  ASSERT_TRUE(name.Load("DATA\\UI\\NAME.EDT"));
  EXPECT_EQ(12u, name.maxLength);
  for (const char* path : {"DATA\\UI\\MENUBKG.OSP", "DATA\\UI\\FLAGS.OSP", "DATA\\TRACK\\PLATE.OSP"}) {
    Panel p;
    EXPECT_TRUE(p.Load(path)) << path;
  }
  // The standings load a flag for each of their 12 rounds.
  for (int round = 0; round < 12; ++round) {
    const std::string path = (round < 10 ? "DATA\\UI\\FLAG0" : "DATA\\UI\\FLAG") + std::to_string(round) + ".OSP";
    Panel p;
    EXPECT_TRUE(p.Load(path.c_str())) << path;
  }
  Backdrop backdrop;
  EXPECT_TRUE(backdrop.Load("DATA\\TRACK\\HORIZON.BKD"));
  EXPECT_TRUE(Boxes().empty());
  for (Font& f : fonts) f.FreeTexture();
}

}  // namespace
