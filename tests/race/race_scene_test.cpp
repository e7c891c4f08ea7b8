// The race scene's set-up: the race type it runs next, the entry fee and the
// bike conditions it settles, and the race description it reads.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/data_reader.h"
#include "engine/disk_file.h"
#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "engine/services/front_end.h"
#include "race/race/race_description.h"
#include "race/race/race_scene.h"
#include "riders/rider_physics.h"
#include "tools/race_files.h"
#include "tests/support/null_front_end.h"

namespace {

class RecordingFrontEnd : public kelvtest::NullFrontEnd {
 public:
  void Command(std::uint32_t id, std::uint32_t, std::uint32_t, const char*) override { commands.push_back(id); }
  std::uint8_t GetFlag(SessionFlag f) override { return flags[f]; }
  void SetFlag(SessionFlag f, std::uint8_t v) override { flags[f] = v; }
  std::uint16_t SeriesWeather(bool championship) override { return championship ? 2 : 1; }
  std::uint8_t NetPlayerCount() override { return 4; }

  std::uint8_t flags[8] = {};
  std::vector<std::uint32_t> commands;
};

TEST(RaceTypeAdvance, FollowsTheSessionsAndReplaysRestartsAndResumes) {
  struct Case {
    std::uint8_t mode, type, previous, wantType, wantPrevious;
  };
  const Case cases[] = {
      {GAME_MODE_SINGLE_RACE, 0, 0, 1, 1},
      {GAME_MODE_SINGLE_RACE, 1, 1, 2, 2},
      {GAME_MODE_CHAMPIONSHIP, 2, 2, 3, 3},
      {GAME_MODE_CHAMPIONSHIP, 3, 3, 4, 4},
      {GAME_MODE_CHAMPIONSHIP, 4, 4, 1, 1},
      // No session chosen in a quick race or network game: the first moto.
      {GAME_MODE_QUICK_RACE, 0, 0, 3, 3},
      {GAME_MODE_MULTIPLAYER, 0, 0, 3, 3},
      {GAME_MODE_CHAMPIONSHIP, 0, 0, 1, 1},
      {GAME_MODE_CHAMPIONSHIP, 5, 2, 2, 5},
      {GAME_MODE_CHAMPIONSHIP, 6, 1, 1, 6},
  };
  for (const Case& c : cases) {
    const RaceTypeAdvance a = AdvanceRaceType(c.mode, c.type, c.previous);
    EXPECT_EQ(a.raceType, c.wantType) << int(c.mode) << " " << int(c.type);
    EXPECT_EQ(a.previousRaceType, c.wantPrevious) << int(c.mode) << " " << int(c.type);
  }
}

class RaceSceneConstruction : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = {g_RaceType, g_GameMode, g_RiderCount};
    InstallFrontEndServices(&frontEnd_);
    g_RiderCount = 8;
    for (int i = 0; i < 20; ++i) {
      g_ConditionEngine[i] = g_ConditionWheels[i] = g_ConditionSuspension[i] = 0.5f;
      g_ConditionBrakes[i] = g_ConditionGearbox[i] = 0.5f;
    }
  }
  void TearDown() override {
    InstallFrontEndServices(nullptr);
    g_RaceType = saved_.type;
    g_GameMode = saved_.mode;
    g_RiderCount = saved_.riders;
  }
  using F = FrontEndServices;
  RecordingFrontEnd frontEnd_;
  struct {
    std::uint8_t type, mode;
    std::uint32_t riders;
  } saved_{};
};

TEST_F(RaceSceneConstruction, ChargesTheEntryFeeOncePerEvent) {
  struct Case {
    const char* name;
    std::uint8_t type, previous, practiceSkipped, qualifyingSkipped, noBudget;
    bool fee;
  };
  const Case cases[] = {
      {"practice", 0, 0, 0, 0, 0, true},
      {"qualifying after practice", 1, 1, 0, 0, 0, false},
      {"qualifying, practice skipped", 1, 1, 1, 0, 0, true},
      {"first moto, qualifying skipped", 2, 2, 0, 1, 0, true},
      {"second moto", 3, 3, 0, 0, 0, false},
      {"no budget", 0, 0, 0, 0, 1, false},
      {"restart of practice", 5, 1, 0, 0, 0, false},
      {"resume of practice", 6, 1, 0, 0, 0, false},
  };
  for (const Case& c : cases) {
    frontEnd_ = RecordingFrontEnd();
    frontEnd_.flags[F::FLAG_PREVIOUS_RACE_TYPE] = c.previous;
    frontEnd_.flags[F::FLAG_PRACTICE_SKIPPED] = c.practiceSkipped;
    frontEnd_.flags[F::FLAG_QUALIFYING_SKIPPED] = c.qualifyingSkipped;
    frontEnd_.flags[F::FLAG_QUALIFYING_SKIPPED_NO_FEE] = 1;
    frontEnd_.flags[F::FLAG_NO_BUDGET] = c.noBudget;
    frontEnd_.flags[F::FLAG_WEATHER_CHANGED] = frontEnd_.flags[F::FLAG_WEATHER_ROLLED] = 1;
    g_GameMode = GAME_MODE_CHAMPIONSHIP;
    g_RaceType = c.type;
    {
      RaceScene scene;
      EXPECT_EQ(scene.weather, 2) << c.name;
    }
    EXPECT_EQ(frontEnd_.commands, c.fee ? std::vector<std::uint32_t>{CMD_RACE_ENTRY_FEE} : std::vector<std::uint32_t>{})
        << c.name;
    EXPECT_EQ(frontEnd_.flags[F::FLAG_PRACTICE_SKIPPED], 0) << c.name;
    EXPECT_EQ(frontEnd_.flags[F::FLAG_QUALIFYING_SKIPPED], c.qualifyingSkipped) << c.name;
    EXPECT_EQ(frontEnd_.flags[F::FLAG_QUALIFYING_SKIPPED_NO_FEE], 0) << c.name;
    EXPECT_EQ(frontEnd_.flags[F::FLAG_WEATHER_CHANGED] | frontEnd_.flags[F::FLAG_WEATHER_ROLLED], 0) << c.name;
  }
}

TEST_F(RaceSceneConstruction, RestoresTheBikesExceptOnAReturnFromTheGarage) {
  g_GameMode = GAME_MODE_SINGLE_RACE;
  g_RaceType = 1;
  g_ConditionEngine[0] = 1.5f;
  {
    RaceScene scene;
    EXPECT_EQ(g_RaceType, 2);
    EXPECT_EQ(scene.weather, 1);
    EXPECT_EQ(scene.conditionAtStart[0], 1.0f);
    EXPECT_EQ(g_ConditionGearbox[7], 1.0f);
    // Only the riders of the race.
    EXPECT_EQ(g_ConditionGearbox[8], 0.5f);
  }
  for (int i = 0; i < 20; ++i) g_ConditionWheels[i] = 0.25f;
  g_PitTimerMs = 1234;
  frontEnd_.flags[F::FLAG_PREVIOUS_RACE_TYPE] = 2;
  g_RaceType = 6;
  {
    RaceScene scene;
    EXPECT_EQ(g_RaceType, 2);
    EXPECT_EQ(scene.conditionAtStart[1], 0.25f);
    EXPECT_EQ(g_ConditionWheels[3], 0.25f);
    EXPECT_EQ(g_PitTimerMs, 1234u);
  }
  // A championship keeps the player's wear unless money does not count.
  g_GameMode = GAME_MODE_CHAMPIONSHIP;
  g_RaceType = 3;
  {
    RaceScene scene;
    EXPECT_EQ(scene.conditionAtStart[1], 0.25f);
    EXPECT_EQ(g_ConditionWheels[3], 1.0f);
    EXPECT_EQ(g_PitTimerMs, 0u);
  }
}

TEST_F(RaceSceneConstruction, NetworkRaceCountsItsPlayersAndChargesTheFeeOfAChampionshipMoto) {
  g_GameMode = GAME_MODE_MULTIPLAYER;
  g_RaceType = 2;
  frontEnd_.flags[F::FLAG_NET_CHAMPIONSHIP] = 1;
  RaceScene scene;
  EXPECT_EQ(g_RaceType, 3);
  EXPECT_EQ(scene.raceManager.resultCount, 4);
  EXPECT_EQ(scene.weather, 2);
  EXPECT_EQ(frontEnd_.commands, std::vector<std::uint32_t>{CMD_RACE_ENTRY_FEE});
}

// ---- The race description -------------------------------------------------

kelvdata::RaceDescriptionSpec GoodSpec() {
  kelvdata::RaceDescriptionSpec s;
  s.fonts = {"DATA\\TRACK\\F0.FNT", "DATA\\TRACK\\F1.FNT"};
  s.sunDirection[0] = 1.0f;
  s.track = "DATA\\TRACK\\COURSE.TRK";
  s.backdrops[0] = {5, "CLEAR.BKD"};
  s.backdrops[1] = {5, "FOG.BKD"};
  s.backdrops[2] = {5, "RAIN.BKD"};
  s.skies[0] = {11, "CLEAR.SKY"};
  s.skies[1] = {11, "FOG.SKY"};
  s.skies[2] = {11, "RAIN.SKY"};
  s.effectsTexture = "FX.TEX";
  s.eventName = "Synthetic";
  s.ground = "GROUND.ACT";
  s.groundScale[1] = 2.0f;
  s.staticObjects.push_back({3, "TREE.ACT", {1.0f, 2.0f, 3.0f}, {1.0f, 1.0f, 1.0f}});
  return s;
}

class RaceDescriptionRead : public ::testing::Test {
 protected:
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  bool Read(const kelvdata::Bytes& bytes, std::uint16_t weather, RaceDescription* d) {
    if (!kelvdata::WriteHostFile(path_, bytes)) return false;
    DiskFile f;
    if (!f.Open(path_.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) return false;
    DataReader in(&f);
    return ReadRaceDescription(in, weather, d);
  }
  std::string path_ = (std::filesystem::temp_directory_path() / ("kelv-race-" + std::to_string(::getpid()) + ".rac")).string();
};

TEST_F(RaceDescriptionRead, ReadsEveryField) {
  RaceDescription d;
  ASSERT_TRUE(Read(kelvdata::BuildRaceDescription(GoodSpec()), 0, &d));
  EXPECT_EQ(d.fonts.size(), 2u);
  EXPECT_EQ(d.fonts[1], "DATA\\TRACK\\F1.FNT");
  EXPECT_EQ(d.sunDirection.x, 1.0f);
  EXPECT_EQ(d.track, "DATA\\TRACK\\COURSE.TRK");
  EXPECT_EQ(d.skies[2].file, "RAIN.SKY");
  EXPECT_EQ(d.eventName, "Synthetic");
  EXPECT_EQ(d.groundScale.y, 2.0f);
  ASSERT_EQ(d.staticObjects.size(), 1u);
  EXPECT_EQ(d.staticObjects[0].position.z, 3.0f);
  EXPECT_FALSE(d.hasTrackObject);
  EXPECT_TRUE(d.trackObject.empty());

  kelvdata::RaceDescriptionSpec s = GoodSpec();
  s.hasTrackObject = true;
  s.trackObject = "EXTRA.ACT";
  ASSERT_TRUE(Read(kelvdata::BuildRaceDescription(s), 0, &d));
  EXPECT_EQ(d.trackObject, "EXTRA.ACT");
}

TEST_F(RaceDescriptionRead, ChecksTheTypesOfWhatItUses) {
  struct Case {
    const char* name;
    void (*damage)(kelvdata::RaceDescriptionSpec&);
    std::uint16_t weather;
    bool ok;
  };
  const Case cases[] = {
      {"track type", [](kelvdata::RaceDescriptionSpec& s) { s.trackType = 1; }, 0, false},
      {"ground type", [](kelvdata::RaceDescriptionSpec& s) { s.groundType = 3; }, 0, false},
      {"object type", [](kelvdata::RaceDescriptionSpec& s) { s.staticObjects[0].type = 12; }, 0, false},
      {"clear backdrop used", [](kelvdata::RaceDescriptionSpec& s) { s.backdrops[0].type = 0; }, 0, false},
      {"clear sky used", [](kelvdata::RaceDescriptionSpec& s) { s.skies[0].type = 5; }, 0, false},
      {"fog backdrop unused", [](kelvdata::RaceDescriptionSpec& s) { s.backdrops[1].type = 0; }, 0, true},
      {"fog backdrop used", [](kelvdata::RaceDescriptionSpec& s) { s.backdrops[1].type = 0; }, 2, false},
      // Weather 3 takes the rain variants, weather 1 too.
      {"far fog, clear sky unused", [](kelvdata::RaceDescriptionSpec& s) { s.skies[0].type = 0; }, 3, true},
      {"far fog, rain sky used", [](kelvdata::RaceDescriptionSpec& s) { s.skies[2].type = 0; }, 3, false},
      {"rain, rain backdrop used", [](kelvdata::RaceDescriptionSpec& s) { s.backdrops[2].type = 0; }, 1, false},
  };
  for (const Case& c : cases) {
    kelvdata::RaceDescriptionSpec s = GoodSpec();
    c.damage(s);
    RaceDescription d;
    EXPECT_EQ(Read(kelvdata::BuildRaceDescription(s), c.weather, &d), c.ok) << c.name;
  }
  EXPECT_EQ(RaceVariantOfWeather(0), 0);
  EXPECT_EQ(RaceVariantOfWeather(1), 2);
  EXPECT_EQ(RaceVariantOfWeather(2), 1);
  EXPECT_EQ(RaceVariantOfWeather(3), 2);
}

TEST_F(RaceDescriptionRead, RefusesCountsAndLengthsPastTheBytesLeft) {
  const kelvdata::Bytes good = kelvdata::BuildRaceDescription(GoodSpec());
  RaceDescription d;
  // Every truncation fails.
  for (std::size_t n = 0; n < good.size(); n += 7) {
    EXPECT_FALSE(Read(kelvdata::Bytes(good.begin(), good.begin() + static_cast<long>(n)), 0, &d)) << n;
  }
  // A font count of 65535, a first font name of 4 GB, a NaN sun.
  kelvdata::Bytes b = good;
  b[2] = b[3] = 0xff;
  EXPECT_FALSE(Read(b, 0, &d));
  b = good;
  kelvdata::PatchU32(&b, 4, 0xfffffff0u);
  EXPECT_FALSE(Read(b, 0, &d));
  kelvdata::RaceDescriptionSpec s = GoodSpec();
  s.sunDirection[1] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(Read(kelvdata::BuildRaceDescription(s), 0, &d));
  // A static-object count far past the objects that follow.
  s = GoodSpec();
  kelvdata::Bytes many = kelvdata::BuildRaceDescription(s);
  const std::size_t countAt = many.size() - 1 - (1 + 4 + 9 + 24) - 2;
  many[countAt] = 0xff;
  many[countAt + 1] = 0x0f;
  EXPECT_FALSE(Read(many, 0, &d));
}

}  // namespace
