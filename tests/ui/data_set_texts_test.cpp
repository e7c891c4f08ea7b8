// The synthetic data set can be read in every language: each text that a
// widget file of its archives (scene widgets, dialogs, button captions and
// tooltips, sliders, static texts, the HUD's labels) or the race HUD and
// the credits name is in every language's database, not empty, and drawn
// by its font without a missing glyph.
//
// Which text ids a widget names is found by loading every widget file with
// a probe database whose text n reads "#n#": the real loaders then show
// exactly the ids the game would look up, and the font each is drawn with.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/app.h"
#include "engine/archive.h"
#include "engine/renderer.h"
#include "engine/text_database.h"
#include "platform/glide/glide.h"
#include "platform/win32/msgbox.h"
#include "tests/support/fuzz_renderer.h"
#include "tests/support/game_root.h"
#include "tools/bbf.h"
#include "tools/dataset.h"
#include "tools/flow_scenes.h"
#include "tools/game_texts.h"
#include "tools/hud_files.h"
#include "tools/race_samples.h"
#include "tools/tdb.h"
#include "tools/ui_samples.h"
#include "ui/button.h"
#include "ui/dialog.h"
#include "ui/edit_text.h"
#include "ui/font.h"
#include "ui/slider.h"
#include "ui/static_text.h"

namespace {

constexpr int kLanguages = 8;
// The fonts every scene of the data set lists, in order (a widget's font
// index picks one): the front end's scenes use the first three, the race
// all four. After them the fonts that single screens put in place of one
// of these: the standings' narrow font 0 and the credits' shadow font 1.
const char* const kFontPaths[] = {"DATA\\UI\\FONT1.FNT", "DATA\\UI\\FONT2.FNT", "DATA\\UI\\FONT3.FNT",
                                  "DATA\\UI\\FONT4.FNT", kelvdata::NARROW_FONT,    kelvdata::SHADOW_FONT};
constexpr int kFontCount = 6;
constexpr int kNarrowFont = 4;
constexpr int kShadowFont = 5;
constexpr int kAnyFont = -1;
constexpr std::uint32_t kProbeCount = 65536;

// A text that the data set shows: a game text id, or a literal string from
// a file; where it was found and the font it is drawn with.
struct Shown {
  long id = -1;  // -1: `literal` instead
  std::string literal;
  std::string where;
  int font = kAnyFont;  // index into kFontPaths
  bool mayBeEmpty = false;
};

// The probe text of id n, and the id back from a probe.
std::string Probe(std::uint32_t id) { return "#" + std::to_string(id) + "#"; }
long ProbeId(const std::string& s) {
  if (s.size() < 3 || s.front() != '#' || s.back() != '#') return -1;
  return std::stol(s.substr(1, s.size() - 2));
}

class DataSetTextsTest : public kelvtest::GameRootTest {
 protected:
  void SetUp() override {
    GameRootTest::SetUp();
    kelvtest::OpenFuzzRenderer();
    ASSERT_TRUE(kelvdata::WriteDataSet(root_.string()));
    ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    // The probe database, alone in an archive that stands in for MISC.
    std::vector<std::string> probe;
    for (std::uint32_t id = 0; id < kProbeCount; ++id) probe.push_back(Probe(id));
    Put("DATA/PROBE.BBF", kelvdata::BuildBbf({{"PROBE.TDB", kelvdata::BuildTdb(probe)}}));
    ASSERT_TRUE(g_MiscArchive.Open("DATA\\PROBE.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    savedLanguage_ = g_Language;
  }
  void TearDown() override {
    g_Fonts = nullptr;
    g_FontCount = 0;
    g_Language = savedLanguage_;
    g_TextDatabase.Release();
    for (BbfArchive* a : {&g_UiArchive, &g_TrackArchive, &g_MiscArchive}) a->Close();
    g_Renderer.Close();
    platform::ClearGlideRecords();
    GameRootTest::TearDown();
  }

  int FontIndex(const Font* font) const {
    for (int i = 0; i < kFontCount; ++i) {
      if (font == &fonts_[i]) return i;
    }
    return kAnyFont;
  }
  void Note(const std::string& s, const Font* font, const std::string& where) {
    if (s.empty()) return;
    Shown shown;
    shown.id = ProbeId(s);
    if (shown.id < 0) shown.literal = s;
    shown.where = where;
    shown.font = FontIndex(font);
    shown_.push_back(shown);
  }
  void NoteText(StaticText& t, const std::string& where) { Note(t.String(), t.font, where); }
  void NoteButton(Button& b, const std::string& where) {
    NoteText(b.caption, where + " caption");
    NoteText(b.offLabel, where + " off label");
    NoteText(b.onLabel, where + " on label");
    for (std::uint16_t i = 0; i < b.tooltip.lineCount; ++i)
      NoteText(b.tooltip.lines[i], where + " tooltip line " + std::to_string(i));
  }
  void NoteSlider(Slider& s, const std::string& where) {
    NoteText(s.caption, where + " caption");
    for (std::uint16_t i = 0; i < s.itemCount; ++i)
      Note(s.Item(i), s.valueLabel.font, where + " item " + std::to_string(i));
    NoteButton(s.track, where + " track");
    NoteButton(s.thumb, where + " thumb");
  }
  void NoteDialog(Dialog& d, const std::string& where) {
    for (std::uint16_t i = 0; i < d.buttons.count; ++i) NoteButton(d.buttons[i], where + " button " + std::to_string(i));
    for (std::uint16_t i = 0; i < d.editTexts.count; ++i)
      NoteText(d.editTexts[i], where + " edit text " + std::to_string(i));
    for (std::uint16_t i = 0; i < d.staticTexts.count; ++i)
      NoteText(d.staticTexts[i], where + " text " + std::to_string(i));
    for (std::uint16_t i = 0; i < d.sliders.count; ++i) NoteSlider(d.sliders[i], where + " slider " + std::to_string(i));
  }

  // Loads every widget file of an archive with the probe database and notes
  // what it shows.
  void LoadWidgets(const BbfArchive& archive, const std::string& folder) {
    for (const BbfMemberNode* m = archive.FirstMember(); m; m = m->next) {
      const std::string name = m->name;
      const std::string path = "DATA\\" + folder + "\\" + name;
      const std::string kind = name.size() > 4 ? name.substr(name.size() - 4) : "";
      const std::string where = folder + "\\" + name;
      if (kind == ".STX") {
        StaticText t;
        ASSERT_TRUE(t.Load(path.c_str())) << path;
        NoteText(t, where);
      } else if (kind == ".EDT") {
        EditText t;
        ASSERT_TRUE(t.Load(path.c_str())) << path;
        NoteText(t, where);
      } else if (kind == ".BTN") {
        Button b;
        ASSERT_TRUE(b.Load(path.c_str())) << path;
        NoteButton(b, where);
      } else if (kind == ".SLD") {
        Slider s;
        ASSERT_TRUE(s.Load(path.c_str())) << path;
        NoteSlider(s, where);
      } else if (kind == ".DLG") {
        Dialog d;
        ASSERT_TRUE(d.Load(path.c_str())) << path;
        NoteDialog(d, where);
      }
    }
  }

  // The fonts of `language` as the game picks them.
  void LoadFonts(int language) {
    g_Language = static_cast<std::uint32_t>(language);
    for (int i = 0; i < kFontCount; ++i) {
      fonts_[i] = Font();
      ASSERT_TRUE(fonts_[i].Load(kFontPaths[i])) << kFontPaths[i] << " in language " << language;
    }
    g_Fonts = fonts_;
    g_FontCount = kFontCount;
  }

  // What is wrong with `text` as shown in `language`; empty when nothing.
  std::string Problems(const Shown& shown, const char* text) const {
    const std::string s = text;
    if (s.empty()) return shown.mayBeEmpty ? "" : "is missing or empty";
    std::string missing;
    for (const unsigned char c : s) {
      for (int f = 0; f < kFontCount; ++f) {
        if ((shown.font == kAnyFont || shown.font == f) && !fonts_[f].HasGlyph(c)) {
          char hex[48];
          std::snprintf(hex, sizeof hex, "%s0x%02X (%s)", missing.empty() ? "" : ", ", c,
                        FontPathForLanguage(kFontPaths[f], g_Language) + 8);
          missing += hex;
        }
      }
    }
    return missing.empty() ? "" : "has characters without a glyph: " + missing;
  }

  Font fonts_[kFontCount];
  std::vector<Shown> shown_;
  std::uint32_t savedLanguage_ = 0;
};

TEST_F(DataSetTextsTest, EveryShownTextIsInEveryLanguageAndItsFontDrawsIt) {
  LoadFonts(0);
  ASSERT_TRUE(g_TextDatabase.Load("DATA\\MISC\\PROBE.TDB"));
  LoadWidgets(g_UiArchive, "UI");
  LoadWidgets(g_TrackArchive, "TRACK");
  ASSERT_TRUE(platform::RecordedMessageBoxes().empty()) << platform::RecordedMessageBoxes().front().text;
  ASSERT_FALSE(shown_.empty());

  // The texts that code names: the main menu's version line; the race HUD's
  // units, labels and messages and the event names (the race draws in fonts
  // 0 and 3 of its four); the standings' heading of the totals; the
  // credits' 53 lines and their shadows, some of them blank on purpose.
  auto named = [this](long id, const std::string& where, int font, bool mayBeEmpty) {
    Shown s;
    s.id = id;
    s.where = where;
    s.font = font;
    s.mayBeEmpty = mayBeEmpty;
    shown_.push_back(s);
  };
  named(39, "the main menu's version line", 0, false);
  std::vector<long> hud;
  for (long id = 10; id <= 25; ++id) hud.push_back(id);
  for (long id = 36; id <= 37; ++id) hud.push_back(id);
  for (long id = 40; id <= 78; ++id) hud.push_back(id);
  for (long id = 119; id < 119 + kelvdata::HUD_EVENTS; ++id) hud.push_back(id);
  for (long id : hud) {
    named(id, "the race HUD", 0, false);
    named(id, "the race HUD", 3, false);
  }
  named(35, "the standings", kNarrowFont, false);
  for (long id = kelvdata::CREDITS_FIRST_TEXT; id < kelvdata::CREDITS_FIRST_TEXT + kelvdata::CREDITS_LINES; ++id) {
    named(id, "the credits", 0, true);
    named(id, "the credits' shadows", kShadowFont, true);
  }

  std::map<std::string, std::set<std::string>> problems;  // "GAMETXTn.TDB text id ..." -> where
  for (int language = 0; language < kLanguages; ++language) {
    g_Fonts = nullptr;
    LoadFonts(language);
    ASSERT_TRUE(g_TextDatabase.Load(TextDatabaseFile(static_cast<DWORD>(language))));
    for (const Shown& s : shown_) {
      const char* text = s.id >= 0 ? g_TextDatabase.Text(static_cast<std::uint32_t>(s.id)) : s.literal.c_str();
      const std::string problem = Problems(s, text);
      if (problem.empty()) continue;
      const std::string what = s.id >= 0 ? "text " + std::to_string(s.id) : "\"" + s.literal + "\"";
      problems[std::string(TextDatabaseFile(static_cast<DWORD>(language)) + 8) + ": " + what + " " + problem].insert(
          s.where);
    }
  }
  std::string report;
  for (const auto& [problem, places] : problems) {
    report += "\n  " + problem + ", shown by";
    for (const std::string& where : places) report += " " + where;
  }
  EXPECT_TRUE(problems.empty()) << problems.size() << " texts cannot be read:" << report;
}

// Each table of the data set's texts writes ids of its own: a text that two
// tables write shows one table's words on the other's screen (the credits'
// lines once showed the save screen's and the race's words). The race's
// table alone gives English defaults that the game's table translates.
TEST(DataSetTextTables, NoTwoTablesWriteTheSameText) {
  using Table = void (*)(int, std::vector<std::string>*);
  struct Named {
    const char* name;
    Table add;
    bool defaults;
  };
  const Named tables[] = {
      {"race", [](int, std::vector<std::string>* t) { kelvdata::AddRaceTexts(t); }, true},
      {"game", kelvdata::AddGameTexts, false},
      {"credits", kelvdata::AddCreditTexts, false},
      {"HUD", kelvdata::AddHudTexts, false},
      {"single race", kelvdata::AddSingleRaceTexts, false},
      {"championship", kelvdata::AddChampionshipTexts, false},
      {"lobby", kelvdata::AddLobbyTexts, false},
  };
  for (int language = 0; language < kLanguages; ++language) {
    std::map<std::size_t, const Named*> writer;  // id -> the table that wrote it
    for (const Named& table : tables) {
      std::vector<std::string> texts;
      table.add(language, &texts);
      const bool credits = table.add == kelvdata::AddCreditTexts;
      for (std::size_t id = 0; id < texts.size(); ++id) {
        // The credits' blank lines are theirs too.
        if (texts[id].empty() && !(credits && id >= kelvdata::CREDITS_FIRST_TEXT)) continue;
        const auto [it, first] = writer.emplace(id, &table);
        if (first || it->second->defaults) {
          it->second = &table;
          continue;
        }
        ADD_FAILURE() << "language " << language << ": text " << id << " is written by the " << it->second->name
                      << " table and the " << table.name << " table";
      }
    }
  }
}

}  // namespace
