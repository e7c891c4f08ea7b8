// The race's HUD: the files it loads, the intro sequence, the session table,
// the race messages and the flags, on the recording board; then its
// pictures on the OpenGL one, and a frame of it without an allocation.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "engine/services/front_end.h"
#include "engine/text_database.h"
#include "platform/win32/msgbox.h"
#include "race/race/race_scene.h"
#include "race/race_manager.h"
#include "riders/player_rider.h"
#include "engine/display.h"
#include "engine/geometry_pipeline.h"
#include "tests/support/null_front_end.h"
#include "tests/race/race_doubles.h"
#include "tests/render_glide/picture_fixture.h"
#include "tests/support/picture.h"
#include "tests/world/allocation_counter.h"
#include "tools/ui_files.h"
#include "tools/ui_samples.h"
#include "tests/riders/physics_fixture.h"
#include "tests/world/track_fixture.h"
#include "tools/bbf.h"
#include "tools/dataset.h"
#include "tools/hud_files.h"
#include "tools/tdb.h"
#include "ui/font.h"
#include "ui/widget_io.h"

namespace {

using kelvtest::PhysicsRider;

constexpr int INTRO = 1;
constexpr int RACING = 2;

// Race numbers and names of the players list: slot 0 rides number 7, slot 1
// number 10, the others their slot's number with those two swapped.
class NumbersFrontEnd : public kelvtest::NullFrontEnd {
 public:
  std::uint16_t RiderNumber(std::uint8_t slot) override {
    switch (slot) {
      case 0: return 7;
      case 1: return 10;
      case 7: return 0;
      case 10: return 1;
      default: return slot;
    }
  }
  const char* RiderName(std::uint8_t slot) override { return names[slot % 4]; }
  const char* names[4] = {"ODA MERRIN", "TAVISH ROOKE", "LENA KORVITZ", "INGA FARROW"};
};

// The program-wide state a HUD test changes: saved at set-up, put back (with
// the services and fonts uninstalled) at tear-down.
class HudGlobals {
 public:
  void Save() {
    riders_ = g_RiderCount;
    type_ = g_RaceType;
    mode_ = g_GameMode;
    mph_ = g_OptionMPH;
    minutes_ = g_RaceLengthMinutes;
    pit_ = g_PitTimerMs;
    alone_ = g_NetOpponentsGone;
  }
  void Restore() {
    InstallFrontEndServices(nullptr);
    InstallEventServices(nullptr);
    g_Fonts = nullptr;
    g_FontCount = 0;
    g_RiderCount = riders_;
    g_RaceType = type_;
    g_GameMode = mode_;
    g_OptionMPH = mph_;
    g_RaceLengthMinutes = minutes_;
    g_PitTimerMs = pit_;
    g_NetOpponentsGone = alone_;
    kelvtest::ResetPhysicsGlobals();
  }

 private:
  std::uint32_t riders_ = 0;
  std::uint8_t type_ = 0, mode_ = 0, mph_ = 0;
  std::uint16_t minutes_ = 0;
  std::uint32_t pit_ = 0;
  std::uint8_t alone_ = 0;
};

class RaceHudTest : public kelvtest::TrackTest {
 protected:
  void SetUp() override {
    TrackTest::SetUp();
    ASSERT_TRUE(OpenAt(640, 480));
    kelvtest::ResetPhysicsGlobals();
    saved_.Save();
    g_RiderCount = 5;
    g_RaceType = 3;
    g_GameMode = GAME_MODE_SINGLE_RACE;
    g_RaceLengthMinutes = 5;
    g_OptionMPH = 0;
    g_PitTimerMs = 0;
    g_NetOpponentsGone = 0;
    // Fonts without glyphs: the layout runs, nothing has a width.
    g_Fonts = fonts_;
    g_FontCount = 4;
    InstallEventServices(&event_);
    InstallFrontEndServices(&frontEnd_);
    platform::UseTestMessageBoxes(true);
    platform::ClearRecordedMessageBoxes();
    ui_ = kelvdata::HudUiMembers();
    ui_.push_back({"TEXTS.TDB", kelvdata::BuildTdb(kelvdata::DataSetTexts(0))});
    track_ = kelvdata::HudTrackMembers();
  }
  void TearDown() override {
    g_UiArchive.Close();
    saved_.Restore();
    TrackTest::TearDown();
  }

  void OpenArchives() {
    OpenTrackArchive(track_);
    g_UiArchive.Close();
    Put("DATA/UI.BBF", kelvdata::BuildBbf(ui_));
    ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    ASSERT_TRUE(g_TextDatabase.Load("DATA\\UI\\TEXTS.TDB"));
  }

  // The manager with `count` racing riders and its HUD loaded.
  void Make(std::uint32_t count) {
    g_RiderCount = count;
    OpenArchives();
    m_ = std::make_unique<RaceManager>();
    m_->SetNodeCount(100);
    riders_.clear();
    for (std::uint32_t i = 0; i < count; ++i) {
      auto r = std::make_unique<PhysicsRider>();
      r->SetIndex(static_cast<std::uint8_t>(i));
      r->Reset();
      r->Place(2.0f * static_cast<float>(i), 0.6f, 0.0f, 0.0f);
      r->state = RIDER_RACING;
      r->racePosition = static_cast<std::uint8_t>(i + 1);
      ASSERT_TRUE(m_->RegisterRider(r.get(), i == 0 ? 1 : 2));
      riders_.push_back(std::move(r));
    }
    ASSERT_TRUE(m_->LoadHud());
  }

  // Runs the HUD for `seconds` in frames of 100 ms.
  void Run(int state, float seconds) {
    for (int i = 0; i < static_cast<int>(seconds * 10.0f + 0.5f); ++i) m_->UpdateMessages(state, 100.0f);
  }

  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (const platform::MessageBoxCall& c : platform::RecordedMessageBoxes()) out.push_back(c.text);
    return out;
  }

  HudGlobals saved_;
  Font fonts_[4];
  kelvtest::RecordingEvent event_;
  NumbersFrontEnd frontEnd_;
  std::vector<kelvdata::BbfMember> ui_;
  std::vector<kelvdata::BbfMember> track_;
  std::unique_ptr<RaceManager> m_;
  std::vector<std::unique_ptr<PhysicsRider>> riders_;
};

// The texture coordinates of race number n's cell, as the tool lays them
// out: four cells of 64 x 51 texels across.
float CellU(int n) { return static_cast<float>((n % 4) * 64) / 256.0f; }
float CellV(int n) { return static_cast<float>((n / 4) * 51) / 256.0f; }

TEST_F(RaceHudTest, LoadsEachRidersHelmetAndNumberByItsRaceNumber) {
  event_.entry = 3;
  Make(20);
  const HudRiderWidgets* r = m_->hud.riders;
  // Slot 0 rides number 7 ("HELMET07.OSP"), slot 1 number 10.
  EXPECT_FLOAT_EQ(r[0].helmet.u[0], CellU(7));
  EXPECT_FLOAT_EQ(r[0].helmet.v[0], CellV(7));
  EXPECT_FLOAT_EQ(r[1].number.u[0], CellU(10));
  EXPECT_FLOAT_EQ(r[1].number.v[0], CellV(10));
  EXPECT_FLOAT_EQ(r[7].helmet.v[0], CellV(0));
  // The extra entry holds the player's again.
  EXPECT_FLOAT_EQ(r[RaceHud::PLAYER_EXTRA].helmet.u[0], CellU(7));
  EXPECT_FLOAT_EQ(r[RaceHud::PLAYER_EXTRA].number.v[0], CellV(7));
  EXPECT_STREQ(r[0].rows[1].String(), "ODA MERRIN");
  // The event's flag and name: entry 3.
  EXPECT_FLOAT_EQ(m_->hud.eventFlag.u[0], 192.0f / 256.0f);
  EXPECT_STREQ(m_->hud.eventName.String(), "DUNMORE OPEN");
  EXPECT_NE(m_->lapTimes, nullptr);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(RaceHudTest, AMissingOrDamagedFileFailsTheLoadWithItsText) {
  const std::string panel = ui_internal::PANEL_ERROR;
  const std::string text = ui_internal::STATIC_TEXT_ERROR;
  struct Case {
    const char* member;
    bool ui;
    bool damaged;
    std::string box;
  } cases[] = {{"YFLAG.OSP", false, false, panel},   {"NAME.STX", false, false, text},
               {"HELP9.STX", false, true, text},     {"BPANEL.OSP", false, true, panel},
               {"HELMET07.OSP", false, false, panel}, {"NUMBER10.OSP", false, false, panel},
               {"FLAG03.OSP", true, false, panel}};
  event_.entry = 3;
  const std::vector<kelvdata::BbfMember> ui = ui_;
  const std::vector<kelvdata::BbfMember> track = track_;
  for (const Case& c : cases) {
    ui_ = ui;
    track_ = track;
    std::vector<kelvdata::BbfMember>& members = c.ui ? ui_ : track_;
    for (auto it = members.begin(); it != members.end(); ++it) {
      if (it->name != c.member) continue;
      if (c.damaged) {
        it->data.resize(it->data.size() / 2);
      } else {
        members.erase(it);
      }
      break;
    }
    platform::ClearRecordedMessageBoxes();
    g_RiderCount = 20;
    OpenArchives();
    RaceManager m;
    EXPECT_FALSE(m.LoadHud()) << c.member;
    EXPECT_EQ(Boxes(), std::vector<std::string>{c.box}) << c.member;
  }
}

TEST_F(RaceHudTest, TheIntroShowsBannerThenGridOrSessionThenHelp) {
  struct Case {
    std::uint8_t raceType;
    HudMessage middle;
  } cases[] = {{3, HUD_STARTING_GRID}, {1, HUD_SESSION_INFO}};
  for (const Case& c : cases) {
    g_RaceType = c.raceType;
    Make(3);
    Run(INTRO, 0.1f);
    EXPECT_EQ(m_->hud.slot1, HUD_BANNER);
    Run(INTRO, 4.8f);  // 4.9 s
    EXPECT_EQ(m_->hud.slot1, HUD_BANNER);
    Run(INTRO, 0.3f);  // 5.2 s
    EXPECT_EQ(m_->hud.slot1, c.middle);
    EXPECT_TRUE(m_->ShowsFullScreenList());
    Run(INTRO, 4.7f);  // 9.9 s
    EXPECT_EQ(m_->hud.slot1, c.middle);
    Run(INTRO, 1.2f);  // 11.1 s
    EXPECT_EQ(m_->hud.slot1, HUD_HELP);
    EXPECT_FALSE(m_->ShowsFullScreenList());
    // The help texts take turns: the first before 2.5 s, the second after.
    EXPECT_GT(m_->hud.helpTexts[0].alpha, 0.0f);
    Run(INTRO, 3.0f);
    EXPECT_LT(m_->hud.helpTexts[0].alpha, 0.2f);
    EXPECT_GT(m_->hud.helpTexts[1].alpha, 0.7f);
    // The race empties the slot of the intro's messages.
    Run(RACING, 0.1f);
    EXPECT_EQ(m_->hud.slot1, HUD_NONE);
  }
}

TEST_F(RaceHudTest, SkippingTheIntroShowsNothingUntilElevenSeconds) {
  for (bool network : {false, true}) {
    g_GameMode = network ? GAME_MODE_MULTIPLAYER : GAME_MODE_SINGLE_RACE;
    Make(3);
    Run(INTRO, 2.0f);
    m_->SkipIntro();
    EXPECT_EQ(m_->hud.slot1, HUD_NONE);
    Run(INTRO, 0.8f);  // 10.9 s
    EXPECT_EQ(m_->hud.slot1, HUD_NONE);
    Run(INTRO, 0.3f);  // 11.2 s
    // A network race waits for every player's intro.
    EXPECT_EQ(m_->hud.slot1, network ? HUD_NONE : HUD_HELP) << network;
    if (network) {
      m_->EnableIntroHelp();
      Run(INTRO, 0.1f);
      EXPECT_EQ(m_->hud.slot1, HUD_HELP);
    }
  }
}

TEST_F(RaceHudTest, SessionRowsRankBestLapsAndPlaceRidersWithoutOneLast) {
  g_RaceType = 1;
  Make(5);
  auto best = [](PhysicsRider& r, std::uint32_t lap, std::uint32_t ms) {
    r.lap = lap;
    r.bestLap = RaceTimeFromMs(ms);
  };
  best(*riders_[0], 3, 62000);
  best(*riders_[1], 2, 61000);
  best(*riders_[2], 4, 62000);  // a tie with rider 0: the next free row
  best(*riders_[3], 1, 0);      // no lap yet
  best(*riders_[4], 3, 0);      // laps but no time
  riders_[4]->state = RIDER_OUT;
  m_->ShowSessionInfo(false);
  EXPECT_EQ(m_->hud.slot1, HUD_SESSION_INFO);
  struct Row {
    std::uint32_t slot;
    std::uint32_t row;
    const char* time;
  } rows[] = {{1, 0, "01'01\"00"}, {0, 1, "01'02\"00"}, {2, 2, "01'02\"00"}, {4, 3, "--'--\"--"},
              {3, 4, "--'--\"--"}};
  // Rows of (480 - 140) / 5 = 68 pixels from y 80; the texts 15 above a
  // row's bottom.
  for (const Row& r : rows) {
    const HudRiderWidgets& w = m_->hud.riders[r.slot];
    char place[3] = {static_cast<char>('0' + (r.row + 1) / 10), static_cast<char>('0' + (r.row + 1) % 10), 0};
    EXPECT_STREQ(w.rows[0].String(), place) << r.slot;
    EXPECT_FLOAT_EQ(w.rows[0].originY, 80.0f + 68.0f * static_cast<float>(r.row) + 68.0f - 15.0f) << r.slot;
    EXPECT_STREQ(w.rows[2].String(), r.time) << r.slot;
    // Number and helmet squares of 52 - 2 at x 185, in the row's bottom.
    EXPECT_FLOAT_EQ(w.number.y, 80.0f + 68.0f * static_cast<float>(r.row) + 16.0f) << r.slot;
    EXPECT_FLOAT_EQ(w.number.w, 50.0f) << r.slot;
  }
  // A rider out of the session is written in the highlight colour.
  EXPECT_FLOAT_EQ(m_->hud.riders[4].rows[2].colourG, HUD_HIGHLIGHT[1]);
  EXPECT_FLOAT_EQ(m_->hud.riders[0].rows[2].colourG, 1.0f);
  EXPECT_STREQ(m_->hud.counters[0].String(), "RIDERS ON TRACK 4");
}

TEST_F(RaceHudTest, TheFinalLapWaitsForABusySlotAndTheLastLapShowsOnceWhenThePlayerIsFollowed) {
  Make(3);
  riders_[0]->followed = 1;
  m_->ShowRiderInfo();
  Run(RACING, 0.1f);
  EXPECT_EQ(m_->hud.slot1, HUD_RIDER_INFO);
  m_->finalLapStarted = 1;
  Run(RACING, 3.0f);
  EXPECT_EQ(m_->hud.slot1, HUD_RIDER_INFO) << "held 3 s, then 0.5 s of fading";
  EXPECT_EQ(m_->finalLapStarted, 1);
  Run(RACING, 1.0f);
  EXPECT_EQ(m_->hud.slot1, HUD_FINAL_LAP);
  EXPECT_EQ(m_->finalLapStarted, 1);
  Run(RACING, 3.0f);
  EXPECT_EQ(m_->finalLapStarted, 0);
  Run(RACING, 1.0f);
  EXPECT_EQ(m_->hud.slot1, HUD_NONE);

  // Rider 0 past its final lap: shown only while the camera is on it.
  PhysicsRider& p = *riders_[0];
  p.raceTime = RaceTimeFromMs(301000);
  p.finalLap = 2;
  p.lap = 4;
  p.followed = 0;
  riders_[1]->followed = 1;
  Run(RACING, 1.0f);
  EXPECT_EQ(m_->hud.slot1, HUD_NONE);
  riders_[1]->followed = 0;
  p.followed = 1;
  Run(RACING, 0.1f);
  EXPECT_EQ(m_->hud.slot1, HUD_LAST_LAP);
  Run(RACING, 4.0f);
  EXPECT_EQ(m_->hud.slot1, HUD_NONE);
  Run(RACING, 2.0f);
  EXPECT_EQ(m_->hud.slot1, HUD_NONE) << "once per race";
}

TEST_F(RaceHudTest, TwoFinishersInOneFrameShowTheLeaderFirstAndSpeedsRoundUpInMph) {
  struct Case {
    bool mph;
    const char* speed;
  } cases[] = {{false, "AVERAGE SPEED  90 KMH"}, {true, "AVERAGE SPEED  56 MPH"}};
  for (const Case& c : cases) {
    g_OptionMPH = c.mph ? 1 : 0;
    Make(2);
    m_->hud.lastLapDue = 0;
    riders_[0]->followed = 1;
    for (std::uint32_t i = 0; i < 2; ++i) {
      PhysicsRider& r = *riders_[i];
      r.raceTime = RaceTimeFromMs(400000);
      r.finalLap = 2;
      r.lap = 5;
      r.racePosition = static_cast<std::uint8_t>(2 - i);  // rider 1 leads
      // 2500 m over 100 whole seconds (the hundredths do not count):
      // 90 km/h, 55.89 mph shown as 56.
      r.raceDistance = 2500.0f;
      m_->lapTimes->rows[3].crossing[i] = RaceTimeFromMs(100990 + 1000 * (1 - i));
    }
    // The second finisher: 101 s for 2525 m, the same speed.
    riders_[0]->raceDistance = 2525.0f;
    Run(RACING, 0.1f);
    ASSERT_EQ(m_->hud.slot1, HUD_FINISH);
    EXPECT_EQ(m_->hud.shownRiders[0], 1);
    EXPECT_EQ(m_->hud.finisherTitle, 1);
    EXPECT_STREQ(m_->hud.speedLine.String(), c.speed);
    EXPECT_STREQ(m_->hud.finisherLine.String(), "RACE 01'40\"99");
    Run(RACING, 5.8f);
    ASSERT_EQ(m_->hud.slot1, HUD_FINISH);
    EXPECT_EQ(m_->hud.shownRiders[0], 0);
    EXPECT_EQ(m_->hud.finisherTitle, 0);
    EXPECT_STREQ(m_->hud.speedLine.String(), c.speed);
    Run(RACING, 5.8f);
    EXPECT_EQ(m_->hud.slot1, HUD_NONE);
  }
}

// Rider 1 about to lap rider 0 (followed): 98 nodes ahead, two behind it on
// the track.
class FlagTest : public RaceHudTest {
 protected:
  void SetUpFlags() {
    Make(2);
    riders_[0]->followed = 1;
    Place(0, 150, 50, 0.0f);
    Place(1, 248, 48, -2.0f);
    m_->EnableFlagOverlay(true);
  }
  void Place(std::uint32_t i, std::int32_t progress, std::uint16_t node, float z) {
    PhysicsRider& r = *riders_[i];
    r.progress = progress;
    r.physics.sectionHint = node;
    r.physics.position = Vector3(0.0f, 0.6f, z);
    r.physics.axes[2][0] = 0.0f;
    r.physics.axes[2][1] = 0.0f;
    r.physics.axes[2][2] = 1.0f;
  }
  void Airborne(bool up) {
    for (WheelContact* w : {&riders_[0]->physics.frontWheel, &riders_[0]->physics.rearWheel}) {
      w->groundHeight = 0.0f;
      w->world.y = up ? 0.5f : 0.1f;
    }
  }
};

TEST_F(FlagTest, TheBlueFlagKeepsItsStateWhileTheFollowedRiderIsInTheAir) {
  SetUpFlags();
  Airborne(true);
  Run(RACING, 0.1f);
  EXPECT_EQ(m_->hud.blueShown, 0) << "not raised in the air";
  Airborne(false);
  Run(RACING, 0.1f);
  EXPECT_EQ(m_->hud.blueShown, 1);
  EXPECT_EQ(m_->hud.slot2, HUD_BLUE_FLAG);
  Place(1, 262, 62, 20.0f);  // gone ahead
  Airborne(true);
  Run(RACING, 1.0f);
  EXPECT_EQ(m_->hud.blueShown, 1) << "not lowered in the air";
  EXPECT_EQ(m_->hud.slot2, HUD_BLUE_FLAG);
  Airborne(false);
  Run(RACING, 1.0f);
  EXPECT_EQ(m_->hud.blueShown, 0);
  EXPECT_EQ(m_->hud.slot2, HUD_NONE) << "the fade-out's end empties slot 2";
}

TEST_F(FlagTest, BlockingTheLappingRiderCountsUpToThreeSeconds) {
  struct Case {
    const char* name;
    Vector3 player;  // rider 0's place; the lapping rider at the origin facing +z
    bool counts;
  } cases[] = {{"just ahead", Vector3(0.0f, 0.6f, 2.0f), true},
               {"ahead and a little aside", Vector3(1.0f, 0.6f, 3.0f), true},
               {"beside it", Vector3(2.0f, 0.6f, 0.5f), false},
               {"too far ahead", Vector3(0.0f, 0.6f, 4.5f), false}};
  for (const Case& c : cases) {
    SetUpFlags();
    Airborne(false);
    riders_[1]->physics.position = Vector3(0.0f, 0.6f, 0.0f);
    riders_[0]->physics.position = c.player;
    Run(RACING, 3.0f);
    const float t = riders_[0]->blockingTime;
    if (c.counts) {
      EXPECT_NEAR(t, 3.0f, 0.11f) << c.name;
    } else {
      EXPECT_EQ(t, 0.0f) << c.name;
    }
  }
}

TEST(HudFormatTest, LapTimesSpeedsAndTwoDigitNumbers) {
  char t[9];
  FormatLapTime(1, 2, 3, t);
  EXPECT_STREQ(t, "01'02\"03");
  FormatShortTime(59, 99, t);
  EXPECT_STREQ(t, "59\"99");
  EXPECT_FLOAT_EQ(HudSpeed(100.0f, false), 100.0f);
  EXPECT_FLOAT_EQ(HudSpeed(100.0f, true), 63.0f);  // 62.1 rounded up
  EXPECT_FLOAT_EQ(HudSpeed(0.0f, true), 0.0f);
}

// The HUD on the OpenGL board: each message over a white or black screen
// at both sizes, against its reference and one pixel worked out by hand.
class HudPictureTest : public kelvtest::PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    kelvtest::ResetPhysicsGlobals();
    saved_.Save();
    g_RenderBuild = RENDER_BUILD_GLIDE;
    g_GameMode = GAME_MODE_SINGLE_RACE;
    g_RaceLengthMinutes = 5;
    g_OptionMPH = 0;
    g_Fonts = fonts_;
    g_FontCount = 4;
    InstallEventServices(&event_);
    InstallFrontEndServices(&frontEnd_);
  }
  void TearDown() override {
    m_.reset();
    riders_.clear();
    for (Font& f : fonts_) f.FreeTexture();
    g_TrackArchive.Close();
    saved_.Restore();
    PictureTest::TearDown();
  }

  // The screen, the archives with the data set's HUD files, fonts and texts.
  bool OpenHud() {
    if (!OpenScreen()) return false;
    g_Renderer.AssignTextureSizeClasses(2);
    kelvdata::RasterFont sans;
    std::string error;
    if (!kelvdata::RasteriseFont("DejaVuSans", 12, &sans, &error)) {
      ADD_FAILURE() << error;
      return false;
    }
    std::vector<kelvdata::BbfMember> ui = kelvdata::HudUiMembers();
    ui.push_back({"FONT.FNT", kelvdata::FontFileFor(sans, "DATA\\UI\\_FONT.TEX")});
    ui.push_back({"_FONT.TEX", sans.tex});
    ui.push_back({"TEXTS.TDB", kelvdata::BuildTdb(kelvdata::DataSetTexts(0))});
    OpenUiArchive(ui);
    Put("DATA/TRACK.BBF", kelvdata::BuildBbf(kelvdata::HudTrackMembers()));
    if (!g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) return false;
    g_ColourKey = {0, 0, 0};
    return g_TextDatabase.Load("DATA\\UI\\TEXTS.TDB");
  }

  // The screen at a size with the fonts loaded on it, and a new manager
  // with `count` riders and its HUD.
  void Begin(std::uint32_t width, std::uint32_t height, std::uint8_t raceType, std::uint32_t count) {
    m_.reset();
    riders_.clear();
    g_Renderer.Close();
    g_ScreenWidth = width;
    g_ScreenHeight = height;
    ASSERT_TRUE(g_Renderer.Open());
    g_Renderer.SetDefaultStates();
    g_Renderer.RestoreSurfaces();
    for (Font& f : fonts_) {
      f.FreeTexture();
      ASSERT_TRUE(f.Load("DATA\\UI\\FONT.FNT"));
    }
    g_RaceType = raceType;
    g_RiderCount = count;
    m_ = std::make_unique<RaceManager>();
    m_->SetNodeCount(100);
    for (std::uint32_t i = 0; i < count; ++i) {
      auto r = std::make_unique<PhysicsRider>();
      r->SetIndex(static_cast<std::uint8_t>(i));
      r->Reset();
      r->state = RIDER_RACING;
      r->racePosition = static_cast<std::uint8_t>(i + 1);
      for (WheelContact* w : {&r->physics.frontWheel, &r->physics.rearWheel}) w->world.y = w->groundHeight = 0.0f;
      ASSERT_TRUE(m_->RegisterRider(r.get(), i == 0 ? 1 : 2));
      m_->SetGridSlot(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i));
      riders_.push_back(std::move(r));
    }
    ASSERT_TRUE(m_->LoadHud());
  }

  // The HUD for `seconds` in frames of 20 ms.
  void Run(int state, float seconds) {
    for (int i = 0; i < static_cast<int>(seconds * 50.0f + 0.5f); ++i) m_->UpdateMessages(state, 20.0f);
  }

  platform::Picture Draw(bool white) {
    const float c = white ? 1.0f : 0.0f;
    g_Renderer.clearRed = g_Renderer.clearGreen = g_Renderer.clearBlue = c;
    g_Renderer.ClearRect(0, 0, g_ScreenWidth - 1, g_ScreenHeight - 1, true);
    m_->DrawHud();
    return Presented();
  }

  // Over white, the backdrop (white, ZERO x source + (1 - source) x screen)
  // leaves 1 - its alpha of the screen.
  static unsigned UnderBackdrop(float alpha) {
    const unsigned v = static_cast<unsigned>((1.0f - alpha) * 255.0f + 0.5f);
    return v << 16 | v << 8 | v;
  }

  HudGlobals saved_;
  Font fonts_[4];
  kelvtest::RecordingEvent event_;
  NumbersFrontEnd frontEnd_;
  std::unique_ptr<RaceManager> m_;
  std::vector<std::unique_ptr<PhysicsRider>> riders_;
};

constexpr struct {
  std::uint32_t width, height;
  const char* suffix;
} kSizes[] = {{640, 480, "640"}, {800, 600, "800"}};

TEST_F(HudPictureTest, SessionTableAndStartingGrid) {
  KELV_OPEN_PICTURE(OpenHud());
  for (const auto& size : kSizes) {
    Begin(size.width, size.height, 1, 5);
    for (std::uint32_t i = 0; i < 5; ++i) {
      riders_[i]->lap = 3;
      riders_[i]->bestLap = RaceTimeFromMs(60000 + 1370 * ((i * 3) % 5));
    }
    riders_[3]->bestLap = RaceTime();
    m_->ShowSessionInfo(false);
    Run(RACING, 0.6f);
    platform::Picture p = Draw(true);
    // The right edge of the table is bare backdrop.
    EXPECT_TRUE(kelvtest::PixelNear(p, static_cast<int>(size.width) - 3, static_cast<int>(size.height) / 2,
                                    UnderBackdrop(m_->hud.messageBackdrop.alpha), 5));
    EXPECT_TRUE(kelvtest::MatchesReference(p, Reference(std::string("hud_session_") + size.suffix + ".png")));

    Begin(size.width, size.height, 3, 5);
    Run(INTRO, 6.0f);
    ASSERT_EQ(m_->hud.slot1, HUD_STARTING_GRID);
    p = Draw(true);
    // The grid's backdrop is at half at once: half the white screen.
    EXPECT_FLOAT_EQ(m_->hud.messageBackdrop.alpha, 0.5f);
    EXPECT_TRUE(kelvtest::PixelNear(p, 3, static_cast<int>(size.height) / 2, 0x808080, 5));
    EXPECT_TRUE(kelvtest::MatchesReference(p, Reference(std::string("hud_grid_") + size.suffix + ".png")));
  }
}

TEST_F(HudPictureTest, StandingsPageAndFinish) {
  KELV_OPEN_PICTURE(OpenHud());
  for (const auto& size : kSizes) {
    Begin(size.width, size.height, 3, 5);
    for (std::uint32_t i = 0; i < 5; ++i) {
      PhysicsRider& r = *riders_[i];
      r.lap = 2;
      r.progress = 160 - static_cast<std::int32_t>(i) * 17;
      m_->lapTimes->rows[0].crossing[i] = RaceTimeFromMs(61230 + 1500 * i);
    }
    m_->clock = RaceTimeFromMs(120000);
    Run(RACING, 8.0f);
    ASSERT_EQ(m_->hud.slot1, HUD_STANDINGS_PAGES);
    platform::Picture p = Draw(true);
    EXPECT_TRUE(kelvtest::PixelNear(p, static_cast<int>(size.width) - 3, static_cast<int>(size.height) - 50,
                                    UnderBackdrop(m_->hud.messageBackdrop.alpha), 5));
    EXPECT_TRUE(kelvtest::MatchesReference(p, Reference(std::string("hud_standings_") + size.suffix + ".png")));

    Begin(size.width, size.height, 3, 2);
    m_->hud.lastLapDue = 0;
    for (std::uint32_t i = 0; i < 2; ++i) {
      PhysicsRider& r = *riders_[i];
      r.raceTime = RaceTimeFromMs(400000);
      r.finalLap = 2;
      r.lap = 5;
      r.raceDistance = 2500.0f;
      m_->lapTimes->rows[3].crossing[i] = RaceTimeFromMs(100990 + 1000 * i);
    }
    Run(RACING, 1.0f);
    ASSERT_EQ(m_->hud.slot1, HUD_FINISH);
    p = Draw(true);
    EXPECT_TRUE(kelvtest::PixelNear(p, static_cast<int>(size.width) - 3, static_cast<int>(size.height) - 50,
                                    UnderBackdrop(m_->hud.messageBackdrop.alpha), 5));
    EXPECT_TRUE(kelvtest::MatchesReference(p, Reference(std::string("hud_finish_") + size.suffix + ".png")));
  }
}

TEST_F(HudPictureTest, YellowAndBlueFlags) {
  KELV_OPEN_PICTURE(OpenHud());
  for (const auto& size : kSizes) {
    for (bool blue : {false, true}) {
      Begin(size.width, size.height, 3, 2);
      riders_[0]->followed = 1;
      riders_[0]->progress = 150;
      riders_[0]->physics.sectionHint = 50;
      riders_[1]->progress = blue ? 248 : 155;
      riders_[1]->physics.sectionHint = blue ? 48 : 55;
      riders_[1]->physics.crashed = blue ? 0 : 1;
      m_->EnableFlagOverlay(true);
      Run(RACING, 1.0f);
      ASSERT_EQ(m_->hud.slot2, blue ? HUD_BLUE_FLAG : HUD_YELLOW_FLAG);
      const Panel& flag = blue ? m_->hud.blueFlag : m_->hud.yellowFlag;
      const platform::Picture p = Draw(false);
      // 4 pixels into the flag's top-left corner (64 x 48 at 10 from the top
      // right) lies texel (68, 1) of a light band: the texel scaled by the
      // flag's alpha over black.
      const float a = flag.alpha;
      const unsigned texel = blue ? 0x1E50E6 : 0xFADC14;
      unsigned expected = 0;
      for (int shift : {16, 8, 0}) {
        expected |= static_cast<unsigned>(static_cast<float>((texel >> shift) & 0xFF) * a + 0.5f) << shift;
      }
      EXPECT_TRUE(kelvtest::PixelNear(p, static_cast<int>(size.width) - 74 + 4, 11, expected, 8)) << blue;
      const std::string name = std::string(blue ? "hud_blue_flag_" : "hud_yellow_flag_") + size.suffix + ".png";
      EXPECT_TRUE(kelvtest::MatchesReference(p, Reference(name)));
    }
  }
}

TEST_F(HudPictureTest, DrawingTheHudAllocatesNothingPerFrame) {
  KELV_OPEN_PICTURE(OpenHud());
  struct Case {
    std::uint8_t raceType;
    int state;
    float lead;  // seconds run before counting
    HudMessage shown;
  } cases[] = {{1, RACING, 0.0f, HUD_SESSION_INFO}, {3, INTRO, 6.0f, HUD_STARTING_GRID}};
  for (const Case& c : cases) {
    Begin(640, 480, c.raceType, 5);
    for (std::uint32_t i = 0; i < 5; ++i) {
      riders_[i]->lap = 2;
      riders_[i]->bestLap = RaceTimeFromMs(60000 + 1000 * i);
    }
    if (c.shown == HUD_SESSION_INFO) m_->ShowSessionInfo(false);
    Run(c.state, c.lead + 0.5f);
    ASSERT_EQ(m_->hud.slot1, c.shown);
    // The first frames choose the board's programs for the HUD's states.
    for (int frame = 0; frame < 5; ++frame) m_->DrawHud();
    kelvtest::StartCountingAllocations();
    for (int frame = 0; frame < 50; ++frame) {
      m_->UpdateMessages(c.state, 20.0f);
      m_->DrawHud();
    }
    EXPECT_EQ(kelvtest::StopCountingAllocations(), 0) << c.raceType;
  }
}

}  // namespace
