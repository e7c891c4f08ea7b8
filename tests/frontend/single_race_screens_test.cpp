// The synthetic data set's single-race screens hold their widgets at the
// indices the front end's commands use: the options screen's sliders and
// option buttons show and change the options they stand for, and the event
// screen's texts and weather buttons show the current event; the sessions
// and the quick race lead to the current event's own race. A widget one
// place off would show or change another option, without any error.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/app.h"
#include "engine/archive.h"
#include "engine/game_settings.h"
#include "engine/mixer.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/text_database.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/race_series.h"
#include "frontend/ui_scene.h"
#include "platform/win32/timer.h"
#include "tests/frontend/front_end_fixture.h"
#include "tests/support/fuzz_renderer.h"
#include "tools/dataset.h"
#include "ui/font.h"

namespace {

class SingleRaceScreensTest : public kelvtest::FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    platform::UseTestTime(1000);
    kelvtest::OpenFuzzRenderer();
    g_UiArchive.Close();
    ASSERT_TRUE(kelvdata::WriteDataSet(root_.string()));
    ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    ASSERT_TRUE(g_TextDatabase.Load(TextDatabaseFile(0)));
  }
  void TearDown() override {
    g_GameController.ClearUiScene();
    scene_.reset();
    g_TextDatabase.Release();
    g_Renderer.Close();
    g_SceneNumber = 0;
    platform::UseRealTime();
    FrontEndTest::TearDown();
  }

  // The data set's scene `n`, started (its start list run) and running.
  UiScene* Start(int n) {
    g_SceneNumber = static_cast<std::uint32_t>(n);
    scene_ = std::make_unique<UiScene>();
    g_GameController.SetUiScene(scene_.get());
    const std::string file = "DATA\\UI\\SCENE" + std::to_string(n) + ".SCN";
    if (!scene_->Load(file.c_str())) return nullptr;
    for (int frame = 0; frame < 20; ++frame) {
      scene_->RenderScene();
      platform::AdvanceTime(20);
    }
    return scene_.get();
  }

  static const char* StaticText(UiScene* s, std::uint16_t i) { return s->staticTexts[i].String(); }
};

TEST_F(SingleRaceScreensTest, OptionsScreenShowsAndTogglesEachOptionAtItsIndex) {
  g_GameSkill = 2;
  g_RaceLengthMinutes = 10;
  g_RiderCount = 12;
  for (MixerLineKind line : {MIXER_LINE_CD, MIXER_LINE_DIGITAL, MIXER_LINE_AUX}) g_Mixer.Line(line)->SetVolume(30);
  g_Mixer.Line(MIXER_LINE_WAVE)->SetVolume(70);
  // Each option button, the option it stands for, and whether it shows "on"
  // for the option's 0 (fog and draw distance) or its 1.
  struct Row {
    std::uint16_t button;
    std::uint8_t* option;
    bool onForZero;
  };
  const Row rows[] = {{3, &g_OptionManualShift, false}, {4, &g_OptionMPH, false},
                      {5, &g_OptionSkyEnable, false},   {6, &g_OptionFogDistance, true},
                      {7, &g_OptionDrawDistance, true}, {8, &g_OptionWeather, false},
                      {9, &g_OptionFFEnable, false},    {10, &g_OptionDamages, false}};
  // Alternate values, so that a button reading its neighbour's option shows.
  std::uint8_t value = 1;
  for (const Row& r : rows) {
    *r.option = value;
    value ^= 1;
  }

  UiScene* s = Start(6);
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->sliders.count, 5);
  ASSERT_GE(s->buttons.count, 11);
  const int sliders[5] = {2, 4, 3, 7, 4};  // skill, minutes / 2 - 1, music, effects, riders - 8
  for (std::uint16_t i = 0; i < 5; ++i) EXPECT_EQ(s->sliders[i].value, sliders[i]) << "slider " << i;
  for (const Row& r : rows) {
    const bool on = r.onForZero ? *r.option == 0 : *r.option != 0;
    EXPECT_EQ(s->buttons[r.button].toggleState, on ? 1 : 0) << "button " << r.button;
    const std::uint8_t before = *r.option;
    s->buttons[r.button].Press();
    EXPECT_EQ(*r.option, before ^ 1) << "button " << r.button;
  }
}

TEST_F(SingleRaceScreensTest, EventScreenShowsTheCurrentEventAndItsWeather) {
  g_OptionWeather = 1;
  g_OptionMPH = 0;
  g_GameController.Command(CMD_SET_GAME_MODE, GAME_MODE_SINGLE_RACE, 0, "NULL");
  g_GameController.Command(CMD_LOAD_EVENT_DATA, 0, 0, "NULL");
  ASSERT_FALSE(g_SingleRace.entries.empty());

  UiScene* s = Start(4);
  ASSERT_NE(s, nullptr);
  ASSERT_GE(s->staticTexts.count, 10);
  ASSERT_GE(s->buttons.count, 9);
  // The first entry of the data set's table, on its first course: 463 m,
  // a record of 1'20"00, sandy ground with many jumps; clear weather.
  EXPECT_STREQ(StaticText(s, 1), "463 M");
  EXPECT_STREQ(StaticText(s, 3), "01'20\"00");
  EXPECT_STREQ(StaticText(s, 5), g_TextDatabase.Text(26));
  EXPECT_STREQ(StaticText(s, 7), g_TextDatabase.Text(31));
  EXPECT_STREQ(StaticText(s, 9), g_TextDatabase.Text(32));
  EXPECT_EQ(s->buttons[6].state, 2);
  EXPECT_EQ(s->buttons[7].state, 0);

  // The rain button: every event rains, and the screen says so.
  s->buttons[7].Press();
  EXPECT_EQ(g_SingleRace.entries[1].weather, 1);
  EXPECT_STREQ(StaticText(s, 9), g_TextDatabase.Text(33));
  EXPECT_EQ(s->buttons[7].state, 2);
  EXPECT_EQ(s->buttons[6].state, 0);

  // The next event, on the second course: its facts once the page has
  // turned.
  s->buttons[5].Press();
  for (int frame = 0; frame < 40; ++frame) {
    s->RenderScene();
    platform::AdvanceTime(20);
  }
  EXPECT_EQ(g_SingleRace.current, 1);
  EXPECT_STREQ(StaticText(s, 1), "578 M");
  EXPECT_STREQ(StaticText(s, 3), "01'21\"10");
}

TEST_F(SingleRaceScreensTest, PlayerScreenShowsTheSkillClassAndTheChosenRidersRatings) {
  g_GameSkill = 1;
  g_GameController.Command(CMD_SET_GAME_MODE, GAME_MODE_SINGLE_RACE, 0, "NULL");
  g_GameController.Command(CMD_LOAD_EVENT_DATA, 0, 0, "NULL");
  UiScene* s = Start(1);
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->progressBars.count, 6);
  ASSERT_GE(s->buttons.count, 4);
  EXPECT_STREQ(StaticText(s, 0), g_TextDatabase.Text(109));
  EXPECT_STREQ(s->editTexts[0].String(), g_PlayersList.entries[0].name);
  for (std::uint16_t i = 0; i < 6; ++i) EXPECT_EQ(s->progressBars[i].value, g_PlayersList.entries[0].ratings[i]) << i;

  // The next rider: the chooser's page and, once the page has turned and
  // settled, the colours and the ratings follow.
  s->buttons[3].Press();
  for (int frame = 0; frame < 80; ++frame) {
    s->RenderScene();
    platform::AdvanceTime(20);
  }
  EXPECT_EQ(s->choosers[0].currentPage, 1);
  EXPECT_EQ(s->choosers[1].currentPage, 1);
  for (std::uint16_t i = 0; i < 6; ++i) EXPECT_EQ(s->progressBars[i].value, g_PlayersList.entries[1].ratings[i]) << i;
}

TEST_F(SingleRaceScreensTest, StartingGridCountsDownInItsTextAndStartsTheEventsRace) {
  g_GameController.Command(CMD_SET_GAME_MODE, GAME_MODE_SINGLE_RACE, 0, "NULL");
  g_GameController.Command(CMD_LOAD_EVENT_DATA, 0, 0, "NULL");
  g_RiderCount = 8;
  for (int scene : {19, 22}) {
    UiScene* s = Start(scene);
    ASSERT_NE(s, nullptr) << scene;
    // The grid's places, their marks and the countdown below them (text 20).
    ASSERT_EQ(s->staticTexts.count, 21) << scene;
    const std::string countdown = StaticText(s, 20);
    EXPECT_EQ(countdown.rfind(std::string(g_TextDatabase.Text(48)) + ": 29", 0), 0u) << scene << ": " << countdown;
    // The start button takes the grid and goes to the event's race.
    g_GameController.nextScene = 0;
    s->buttons[2].Press();
    EXPECT_EQ(g_GameController.nextScene, g_SingleRace.Current()->sceneNumber) << scene;
    EXPECT_EQ(s->GetState(), UI_SCENE_CLOSING) << scene;
  }
}

// The first moto of the special-weather event on the wet course: the event
// screen's button goes to the grid with the player at its back (he has no
// lap time), and the grid's start to that course's race, not the first's.
TEST_F(SingleRaceScreensTest, FirstMotoGoesByTheGridToTheEventsOwnRace) {
  g_GameController.Command(CMD_SET_GAME_MODE, GAME_MODE_SINGLE_RACE, 0, "NULL");
  g_GameController.Command(CMD_LOAD_EVENT_DATA, 0, 0, "NULL");
  g_RiderCount = 8;
  ASSERT_GE(g_SingleRace.entries.size(), 10u);
  g_SingleRace.current = 9;
  const std::uint16_t race = g_SingleRace.Current()->sceneNumber;
  ASSERT_NE(race, g_SingleRace.entries[0].sceneNumber);
  std::memset(g_SingleRace.bestLaps, 0, sizeof g_SingleRace.bestLaps);

  UiScene* s = Start(4);
  ASSERT_NE(s, nullptr);
  g_GameController.nextScene = 0;
  s->buttons[3].Press();
  EXPECT_EQ(g_GameController.nextScene, 22);
  EXPECT_EQ(g_RaceType, 2) << "the race that follows is the first moto";

  s = Start(22);
  ASSERT_NE(s, nullptr);
  g_GameController.nextScene = 0;
  s->buttons[2].Press();
  EXPECT_EQ(g_GameController.nextScene, race);
}

// The quick race's event screen (scene 21): the course's facts in the same
// texts as the single race's, the weather's radio buttons at 4 to 6, the
// quick race's focus list, and its race button straight to the shown
// course's race as the first moto.
TEST_F(SingleRaceScreensTest, QuickRaceScreenRacesTheShownCourseInTheChosenWeather) {
  g_OptionWeather = 1;
  g_OptionMPH = 0;
  g_GameController.Command(CMD_SET_GAME_MODE, GAME_MODE_QUICK_RACE, 0, "NULL");
  g_GameController.Command(CMD_LOAD_EVENT_DATA, 0, 0, "NULL");
  g_RiderCount = 8;
  ASSERT_GE(g_SingleRace.entries.size(), 2u);
  g_SingleRace.current = 1;

  UiScene* s = Start(21);
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->buttons.count, 7);
  ASSERT_GE(s->staticTexts.count, 10);
  EXPECT_EQ(s->focusCount, 7) << "the quick race's own focus list";
  const std::string length = std::to_string(g_SingleRace.Current()->trackInfo[1]) + " M";
  EXPECT_STREQ(StaticText(s, 1), length.c_str());
  EXPECT_STREQ(StaticText(s, 9), g_TextDatabase.Text(32));
  EXPECT_EQ(s->buttons[4].state, 2);

  s->buttons[5].Press();
  EXPECT_EQ(g_SingleRace.Current()->weather, 1);
  EXPECT_STREQ(StaticText(s, 9), g_TextDatabase.Text(33));
  EXPECT_EQ(s->buttons[5].state, 2);
  EXPECT_EQ(s->buttons[4].state, 0);

  g_GameController.nextScene = 0;
  s->buttons[3].Press();
  EXPECT_EQ(g_GameController.nextScene, g_SingleRace.entries[1].sceneNumber);
  EXPECT_EQ(g_RaceType, 2);
}

// The race ends every moto of every mode on the results screen (scene 11),
// so its buttons must lead to what follows each moto: continuing the event
// after the second moto would send a finished event back to a starting
// grid. The way on is button 1.
TEST_F(SingleRaceScreensTest, MotoResultsLeadToWhatFollowsEachMoto) {
  struct Row {
    GameMode mode;
    std::uint8_t raceType;
    std::int32_t next;
    const char* what;
  };
  const Row rows[] = {
      {GAME_MODE_SINGLE_RACE, 3, 5, "single race, first moto: the garage, whose way on is the second moto"},
      {GAME_MODE_SINGLE_RACE, 4, 4, "single race, second moto: the event screen"},
      {GAME_MODE_QUICK_RACE, 3, 0, "quick race: the main menu"},
      {GAME_MODE_CHAMPIONSHIP, 3, 26, "championship, first moto: the points before the second"},
      {GAME_MODE_CHAMPIONSHIP, 4, 9, "championship, second moto: the standings"},
  };
  g_RiderCount = 8;
  for (const Row& row : rows) {
    g_GameController.Command(CMD_SET_GAME_MODE, row.mode, 0, "NULL");
    g_GameController.Command(CMD_LOAD_EVENT_DATA, 0, 0, "NULL");
    UiScene* s = Start(11);
    ASSERT_NE(s, nullptr) << row.what;
    const std::uint16_t buttons = s->buttons.count;
    ASSERT_GE(buttons, 2) << row.what;
    for (std::uint16_t b = 0; b < buttons; ++b) {
      g_RaceType = row.raceType;
      s = Start(11);
      ASSERT_NE(s, nullptr) << row.what;
      g_GameController.nextScene = -1;
      s->buttons[b].Press();
      const std::int32_t next = g_GameController.nextScene;
      EXPECT_NE(next, 19) << row.what << ", button " << b;
      EXPECT_NE(next, 22) << row.what << ", button " << b;
      if (b == 1) EXPECT_EQ(next, row.next) << row.what;
    }
  }
}

// The credits (scene 28) draw each line's shadow in the scene's font 1
// behind the line in its font 0: glyph for glyph the same size in every
// language, or the shadow sticks out around its line.
TEST_F(SingleRaceScreensTest, CreditsShadowsAreTheSizeOfTheirLines) {
  const std::uint32_t language = g_Language;
  for (std::uint32_t l : {0u, 7u}) {
    g_Language = l;
    UiScene* s = Start(28);
    ASSERT_NE(s, nullptr) << "language " << l;
    ASSERT_GE(g_FontCount, 2) << "language " << l;
    const std::uint8_t characters[] = {'A', 'W', 'i', ' ', 0xC8};
    for (const std::uint8_t c : characters) {
      if (!g_Fonts[0].HasGlyph(c)) continue;
      EXPECT_TRUE(g_Fonts[1].HasGlyph(c)) << "character " << int{c} << " language " << l;
      EXPECT_EQ(g_Fonts[0].GlyphWidth(c), g_Fonts[1].GlyphWidth(c)) << "character " << int{c} << " language " << l;
      EXPECT_EQ(g_Fonts[0].GlyphHeight(c), g_Fonts[1].GlyphHeight(c)) << "character " << int{c} << " language " << l;
    }
    g_GameController.ClearUiScene();
    scene_.reset();
  }
  g_Language = language;
}

}  // namespace
