// Save games: a round trip, the exact bytes, and damaged saves that must
// change nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "frontend/championship.h"
#include "frontend/game_controller.h"
#include "frontend/options.h"
#include "frontend/players_list.h"
#include "platform/win32/files.h"
#include "riders/rider_physics.h"
#include "tests/frontend/front_end_fixture.h"
#include "tools/frontend_files.h"

namespace {

using kelvdata::Bytes;

class SaveGameTest : public kelvtest::FrontEndTest {
 protected:
  Bytes Read(const std::string& relative) const {
    std::ifstream in(Host(relative), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  // A championship of skill 0 in its third round, two rounds played.
  static void PlayTwoRounds() {
    g_GameSkill = 0;
    g_RiderCount = 8;
    g_OptionDamages = 1;
    g_OptionWeather = 1;
    SetRaceLengthMinutes(6);
    ASSERT_TRUE(g_Championship.Load("DATA\\UI\\CMP2.RLT"));
    ASSERT_TRUE(g_PlayersList.Load("DATA\\UI\\LIST1.PLT"));
    g_Championship.Reset();
    g_PlayersList.Select(0, 3);
    g_PlayersList.Select(3, 0);
    for (int round = 0; round < 2; ++round) {
      g_Championship.MarkRoundDone();
      for (std::uint32_t i = 0; i < 8; ++i) {
        g_Championship.positions[i][2 * round] = static_cast<std::uint8_t>(i + 1);
        g_Championship.positions[i][2 * round + 1] = static_cast<std::uint8_t>(8 - i);
      }
      g_Championship.noScore[5][2 * round] = 1;
      g_Championship.NextRound();
    }
    g_Championship.entries[2].weather = 1;
    std::strcpy(g_PlayersList.entries[0].name, "SEED PLAYER");
    g_GameController.money = 2500;
    g_GameController.conditions[1] = 0.7f;
    for (int f = 0; f < 29; ++f) g_RiderSetups[0].field[f] = 0.25f;
  }
};

TEST_F(SaveGameTest, ASavedChampionshipComesBackWhole) {
  PlayTwoRounds();
  ASSERT_TRUE(g_Championship.Save(2, "ROUND THREE"));
  const auto positions = g_Championship.positions[4];
  g_Championship.Reset();
  g_RiderCount = 12;
  g_GameSkill = 2;
  g_Championship.current = 0;
  ASSERT_TRUE(g_Championship.LoadSaveGame(2));
  EXPECT_EQ(g_GameSkill, 0);
  EXPECT_EQ(g_RiderCount, 8u);
  EXPECT_EQ(g_RaceLengthMinutes, 6);
  EXPECT_EQ(g_Championship.current, 2);
  EXPECT_EQ(g_Championship.previousRound, 1);
  EXPECT_EQ(g_Championship.entries[2].weather, 1);
  EXPECT_EQ(g_Championship.positions[4], positions);
  EXPECT_EQ(g_Championship.noScore[5][0], 1);
  EXPECT_EQ(g_Championship.roundsStarted, 2);
  EXPECT_EQ(g_PlayersList.entries[0].chosenRider, 3);
  EXPECT_STREQ(g_PlayersList.entries[0].name, "SEED PLAYER");
  EXPECT_STREQ(g_PlayersList.playerName, "SEED PLAYER");
  EXPECT_EQ(g_PlayersList.entries[0].money, 2500);
  EXPECT_FLOAT_EQ(g_ConditionWheels[0], 0.7f);
  EXPECT_FLOAT_EQ(g_GameController.conditions[1], 0.7f);
  // Slot 0 was first and eighth in both rounds.
  EXPECT_EQ(g_PlayersList.entries[0].points, 2 * (20 + 8));
  EXPECT_EQ(g_PlayersList.entries[5].points, 2 * 15) << "moto 1 did not score";
  EXPECT_EQ(g_RaceType, 0);
  char label[256];
  ASSERT_TRUE(ReadSaveGameName(0, label, sizeof label));
  EXPECT_STREQ(label, "ROUND THREE");
  EXPECT_FALSE(ReadSaveGameName(1, label, sizeof label));
}

TEST_F(SaveGameTest, TheFileHoldsExactlyTheListedFields) {
  PlayTwoRounds();
  ASSERT_TRUE(g_Championship.Save(2, "ROUND THREE"));
  kelvdata::SvdSpec spec = kelvdata::SyntheticSvd();
  spec.minutes = 6;
  spec.conditions[1] = 0.7f;
  for (std::uint32_t i = 0; i < 8; ++i) {
    std::vector<std::uint8_t> positions(20, 0), noScore(20, 0);
    for (int round = 0; round < 2; ++round) {
      positions[2 * round] = static_cast<std::uint8_t>(i + 1);
      positions[2 * round + 1] = static_cast<std::uint8_t>(8 - i);
      if (i == 5) noScore[2 * round] = 1;
    }
    spec.positions[i] = positions;
    spec.noScore[i] = noScore;
  }
  EXPECT_EQ(Read("DATA/SAVE/01.SVD"), kelvdata::BuildSvd(spec));
}

TEST_F(SaveGameTest, AFailedSaveKeepsTheOldOne) {
  PlayTwoRounds();
  ASSERT_TRUE(g_Championship.Save(3, "OLD"));
  const Bytes old = Read("DATA/SAVE/02.SVD");
  platform::InjectWriteLimit(10);
  EXPECT_FALSE(g_Championship.Save(3, "NEW"));
  platform::InjectWriteLimit(-1);
  EXPECT_EQ(Read("DATA/SAVE/02.SVD"), old);
  EXPECT_FALSE(std::filesystem::exists(Host("DATA/SAVE/02.TMP")));
  EXPECT_FALSE(g_Championship.Save(6, "NONE"));
  EXPECT_FALSE(g_Championship.Save(1, "NONE"));
}

TEST_F(SaveGameTest, ADamagedSaveIsRefusedAndChangesNothing) {
  PlayTwoRounds();
  const kelvdata::SvdSpec good = kelvdata::SyntheticSvd();
  kelvdata::SvdSpec riders = good;
  riders.riderCount = 99;
  kelvdata::SvdSpec skill = good;
  skill.skill = 7;
  kelvdata::SvdSpec rider = good;
  rider.chosenRider = 0xFFF0;
  kelvdata::SvdSpec round = good;
  round.current = 10;
  kelvdata::SvdSpec previous = good;
  previous.previous = 10;
  Bytes truncated = kelvdata::BuildSvd(good);
  truncated.pop_back();
  Bytes longer = kelvdata::BuildSvd(good);
  longer.push_back(0);
  Bytes label = kelvdata::BuildSvd(good);
  kelvdata::PatchU32(&label, 0, 0);
  const Bytes bad[] = {kelvdata::BuildSvd(riders), kelvdata::BuildSvd(skill), kelvdata::BuildSvd(rider),
                       kelvdata::BuildSvd(round),  kelvdata::BuildSvd(previous), truncated, longer, label};
  g_GameSkill = 1;
  g_RiderCount = 12;
  g_Championship.current = 2;
  const std::int16_t money = g_PlayersList.entries[0].money;
  for (const Bytes& b : bad) {
    Put("DATA/SAVE/04.SVD", b);
    EXPECT_FALSE(g_Championship.LoadSaveGame(5));
    EXPECT_EQ(g_GameSkill, 1);
    EXPECT_EQ(g_RiderCount, 12u);
    EXPECT_EQ(g_Championship.current, 2);
    EXPECT_EQ(g_Championship.roundsStarted, 2);
    EXPECT_EQ(g_PlayersList.entries[0].money, money);
    EXPECT_STREQ(g_PlayersList.entries[0].name, "SEED PLAYER");
  }
  EXPECT_FALSE(g_Championship.LoadSaveGame(4)) << "a missing file";
}

TEST_F(SaveGameTest, ASaveWithoutAChosenRiderKeepsTheFirstRider) {
  kelvdata::SvdSpec spec = kelvdata::SyntheticSvd();
  spec.chosenRider = 0xFFFF;
  Put("DATA/SAVE/01.SVD", kelvdata::BuildSvd(spec));
  ASSERT_TRUE(g_Championship.LoadSaveGame(2));
  EXPECT_EQ(g_PlayersList.entries[0].riderNumber, 0);
  EXPECT_STREQ(g_PlayersList.entries[0].name, "SEED PLAYER");
}

}  // namespace
