// The race series, the championship and the players list: loading and
// damaged files, moving through the entries, weather, fees, points and the
// two in-place writers of the results table.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "frontend/championship.h"
#include "frontend/game_controller.h"
#include "frontend/options.h"
#include "frontend/players_list.h"
#include "platform/win32/crt.h"
#include "platform/win32/msgbox.h"
#include "tests/frontend/front_end_fixture.h"
#include "engine/archive.h"
#include "tools/bbf.h"
#include "tools/frontend_files.h"
#include "tools/race_samples.h"

namespace {

using kelvdata::Bytes;

class SeriesTest : public kelvtest::FrontEndTest {
 protected:
  Bytes Read(const std::string& relative) const {
    std::ifstream in(Host(relative), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  static std::vector<std::string> Boxes() {
    std::vector<std::string> texts;
    for (const auto& box : platform::RecordedMessageBoxes()) texts.push_back(box.text);
    return texts;
  }
};

TEST_F(SeriesTest, SingleRaceLoadsEveryEntryWithTheChosenWeather) {
  g_SingleRace.SetWeather(2);
  ASSERT_TRUE(g_SingleRace.Load("DATA\\UI\\CMP2.RLT"));
  ASSERT_EQ(g_SingleRace.entryCount, 10);
  EXPECT_EQ(g_PlayersList.entries[0].money, 3000);
  EXPECT_STREQ(g_SingleRace.entries[9].trackName, "BRAZIL");
  EXPECT_EQ(g_SingleRace.entries[3].lapRecord.totalMs, 60000u + 23000u + 300u);
  for (const RaceEntry& e : g_SingleRace.entries) EXPECT_EQ(e.weather, 2);
  g_SingleRace.current = 0;
  g_SingleRace.Previous();
  EXPECT_EQ(g_SingleRace.current, 9);
  g_SingleRace.Next();
  EXPECT_EQ(g_SingleRace.current, 0);
  g_SingleRace.Select(10);
  EXPECT_EQ(g_SingleRace.current, 0);
}

TEST_F(SeriesTest, DamagedResultTablesAreRefusedAndChangeNothing) {
  ASSERT_TRUE(g_SingleRace.Load("DATA\\UI\\CMP2.RLT"));
  g_SingleRace.current = 4;
  kelvdata::RltSpec spec = kelvdata::SyntheticRlt(0);
  const Bytes good = kelvdata::BuildRlt(spec);
  Bytes truncated(good.begin(), good.end() - 1);
  Bytes hugeCount = good;
  hugeCount[2] = hugeCount[3] = 0xFF;
  Bytes zeroName = good;
  kelvdata::PatchU32(&zeroName, 8, 0);
  Bytes longName = good;
  kelvdata::PatchU32(&longName, 8, 257);
  Bytes noNul = good;
  noNul[8 + 4 + 5] = 'X';  // "ALDER\0": the NUL replaced
  for (const Bytes& bad : {truncated, hugeCount, zeroName, longName, noNul, Bytes{}}) {
    Put("DATA/UI/BAD.RLT", bad);
    platform::ClearRecordedMessageBoxes();
    EXPECT_FALSE(g_SingleRace.Load("DATA\\UI\\BAD.RLT"));
    EXPECT_EQ(Boxes(), std::vector<std::string>{"File error opening single race data.\nPlease reinstall Kelvarro."});
    EXPECT_EQ(g_SingleRace.entryCount, 10);
    EXPECT_EQ(g_SingleRace.current, 4);
  }
  platform::ClearRecordedMessageBoxes();
  EXPECT_FALSE(g_Championship.Load("DATA\\UI\\MISSING.RLT"));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"File error opening championship data.\nPlease reinstall Kelvarro."});
}

TEST_F(SeriesTest, ALapRecordWriteChangesExactlySixBytes) {
  ASSERT_TRUE(g_SingleRace.Load("DATA\\UI\\CMP2.RLT"));
  const Bytes before = Read("DATA/UI/CMP2.RLT");
  g_SingleRace.current = 3;
  RaceTime record;
  record.minutes = 2;
  record.seconds = 0x0103;
  record.hundredths = 45;
  ASSERT_TRUE(g_SingleRace.SaveLapRecord(record));
  const Bytes after = Read("DATA/UI/CMP2.RLT");
  ASSERT_EQ(after.size(), before.size());
  const std::size_t at = kelvdata::RltLapRecordOffset(kelvdata::SyntheticRlt(0), 3);
  std::vector<std::size_t> changed;
  for (std::size_t i = 0; i < after.size(); ++i) {
    if (after[i] != before[i]) changed.push_back(i);
  }
  EXPECT_EQ(changed, (std::vector<std::size_t>{at, at + 2, at + 3, at + 4}));
  EXPECT_EQ(Bytes(after.begin() + static_cast<long>(at), after.begin() + static_cast<long>(at) + 6),
            (Bytes{2, 0, 3, 1, 45, 0}));
  ASSERT_TRUE(g_SingleRace.Load("DATA\\UI\\CMP2.RLT"));
  EXPECT_EQ(g_SingleRace.entries[3].lapRecord.totalMs, 120000u + 0x0103u * 1000u + 450u);
  EXPECT_EQ(g_SingleRace.entries[3].lapRecord.thousandths, 0);
}

TEST_F(SeriesTest, StoreSetupWritesTheTwentyEightValuesAtTheirOffset) {
  ASSERT_TRUE(g_Championship.Load("DATA\\UI\\CMP2.RLT"));
  const Bytes before = Read("DATA/UI/CMP2.RLT");
  g_Championship.current = 9;
  for (int f = 0; f < 29; ++f) g_RiderSetups[0].field[f] = 0.125f * static_cast<float>(f % 7);
  ASSERT_TRUE(g_Championship.StoreSetup());
  const Bytes after = Read("DATA/UI/CMP2.RLT");
  ASSERT_EQ(after.size(), before.size());
  const std::size_t at = kelvdata::RltSetupOffset(kelvdata::SyntheticRlt(0), 9);
  for (std::size_t i = 0; i < after.size(); ++i) {
    if (i < at || i >= at + 112) EXPECT_EQ(after[i], before[i]) << i;
  }
  float stored[28];
  std::memcpy(stored, after.data() + at, sizeof stored);
  EXPECT_EQ(stored[3], g_RiderSetups[0].field[3]);
  EXPECT_EQ(stored[4], g_RiderSetups[0].field[5]) << "field 4 never reaches the file";
}

TEST_F(SeriesTest, TheInPlaceWritersRefuseAChangedFile) {
  ASSERT_TRUE(g_SingleRace.Load("DATA\\UI\\CMP2.RLT"));
  kelvdata::RltSpec shorter = kelvdata::SyntheticRlt(0);
  shorter.entries.resize(4);
  Put("DATA/UI/CMP2.RLT", kelvdata::BuildRlt(shorter));
  const Bytes before = Read("DATA/UI/CMP2.RLT");
  g_SingleRace.current = 2;
  EXPECT_FALSE(g_SingleRace.StoreSetup());
  EXPECT_EQ(Read("DATA/UI/CMP2.RLT"), before);
  g_SingleRace.entries.clear();
  g_SingleRace.entryCount = 0;
  EXPECT_FALSE(g_SingleRace.StoreSetup()) << "an empty series writes nothing";
}

TEST_F(SeriesTest, RoundWeatherFollowsTheRandomBands) {
  const struct {
    bool weather;
    bool fog;
  } options[] = {{true, true}, {true, false}, {false, true}};
  for (const auto& o : options) {
    g_OptionWeather = o.weather;
    g_OptionFogDistance = o.fog;
    crt::srand(77);
    ASSERT_TRUE(g_Championship.Load("DATA\\UI\\CMP2.RLT"));
    crt::srand(77);
    for (std::uint16_t r = 0; r < g_Championship.entryCount; ++r) {
      std::uint16_t expected = 0;
      if (o.weather && r != 9) {
        const float x = static_cast<float>(crt::rand()) * 3.0518509e-05f;
        expected = x < 0.15f ? 1 : x < 0.30f ? (o.fog ? 2 : 3) : 0;
      }
      EXPECT_EQ(g_Championship.entries[r].weather, expected) << r;
    }
  }
}

TEST_F(SeriesTest, TheWeatherBandsAtTheirEdges) {
  ASSERT_TRUE(g_Championship.Load("DATA\\UI\\CMP2.RLT"));
  // Seeds whose first number falls into each band, found by the generator.
  const struct {
    float low;
    float high;
    std::uint16_t fog;
    std::uint16_t farFog;
  } bands[] = {{0.0f, 0.15f, 1, 1}, {0.15f, 0.30f, 2, 3}, {0.30f, 1.01f, 0, 0}};
  for (const auto& band : bands) {
    unsigned seed = 0;
    for (;; ++seed) {
      crt::srand(seed);
      const float x = static_cast<float>(crt::rand()) * 3.0518509e-05f;
      if (x >= band.low && x < band.high) break;
    }
    for (bool fog : {true, false}) {
      g_OptionFogDistance = fog;
      crt::srand(seed);
      g_Championship.RollWeather(0);
      EXPECT_EQ(g_Championship.entries[0].weather, fog ? band.fog : band.farFog) << band.low;
    }
  }
}

TEST_F(SeriesTest, ChampionshipRoundsFeesPrizesAndPoints) {
  g_RiderCount = 8;
  g_NoBudget = 0;
  ASSERT_TRUE(g_Championship.Load("DATA\\UI\\CMP2.RLT"));
  g_Championship.Reset();
  EXPECT_EQ(g_Championship.MarkRoundDone(), kelvdata::DATA_SET_RACE_SCENE);
  g_Championship.positions[0][0] = 1;
  g_Championship.positions[1][0] = 2;
  g_Championship.positions[2][0] = 3;
  g_Championship.outOfRace[2] = 1;
  g_RaceType = RACE_TYPE_MOTO_1;
  const std::int16_t money = g_PlayersList.entries[0].money;
  g_Championship.AwardMotoPoints();
  EXPECT_EQ(g_PlayersList.entries[0].money, money + 1000);
  EXPECT_EQ(g_PlayersList.entries[0].points, 20);
  EXPECT_EQ(g_PlayersList.entries[1].points, 17);
  EXPECT_EQ(g_PlayersList.entries[2].points, 0) << "out of the race";
  g_Championship.PayEntryFee();
  EXPECT_EQ(g_PlayersList.entries[0].money, money + 1000 - 200);
  g_Championship.NextRound();
  EXPECT_EQ(g_Championship.current, 1);
  EXPECT_EQ(g_Championship.GetNextRoundFee(), 300);
  g_Championship.RestorePreviousRound();
  EXPECT_EQ(g_Championship.current, 0);
  g_Championship.roundsStarted = 9;
  EXPECT_EQ(g_Championship.GetNextRoundFee(), 0) << "no entry past the last";
  g_Championship.roundsStarted = 10;
  g_Championship.PayEntryFee();
  EXPECT_EQ(g_PlayersList.entries[0].money, money + 800);
}

TEST_F(SeriesTest, TheRandomOrderNeverPicksAPlayedRound) {
  ASSERT_TRUE(g_Championship.Load("DATA\\UI\\CMP2.RLT"));
  g_Championship.Reset();
  g_RandomRoundOrder = 1;
  crt::srand(5);
  std::vector<int> seen;
  for (int i = 0; i < 10; ++i) {
    g_Championship.MarkRoundDone();
    g_Championship.NextRound();
    seen.push_back(g_Championship.current);
  }
  EXPECT_EQ(seen.back(), seen[8]) << "with every round played nothing changes";
  std::sort(seen.begin(), seen.end() - 1);
  EXPECT_EQ(std::unique(seen.begin(), seen.end() - 1), seen.end() - 1);
}

TEST_F(SeriesTest, MotoResultsGivenAsPoints) {
  ASSERT_TRUE(g_Championship.Load("DATA\\UI\\CMP2.RLT"));
  const struct {
    std::uint8_t points;
    bool noScore;
    std::uint8_t position;
  } cases[] = {{20, false, 1}, {17, false, 2}, {1, false, 15}, {12, false, 20}, {14, false, 20},
               {16, false, 20}, {0, false, 20}, {20, true, 20}};
  for (const auto& c : cases) {
    g_Championship.SetMotoResult(4, 2, true, c.points, c.noScore);
    EXPECT_EQ(g_Championship.positions[4][4], c.position) << int(c.points);
    EXPECT_EQ(g_Championship.noScore[4][4], c.noScore ? 1 : 0);
  }
  g_Championship.SetMotoResult(25, 2, true, 20, false);
  g_Championship.SetMotoResult(4, 99, true, 20, false);
}

TEST_F(SeriesTest, PlayersListLoadsSelectsAndPublishes) {
  std::strcpy(g_PlayersList.playerName, "TYPED");
  ASSERT_TRUE(g_PlayersList.Load("DATA\\UI\\LIST1.PLT"));
  EXPECT_STREQ(g_PlayersList.playerName, "GARRIK VOLSTAN");
  EXPECT_STREQ(g_PlayersList.entries[5].name, g_PlayersList.entries[25].name);
  EXPECT_EQ(g_PlayersList.entries[5].chosenRider, -1);
  g_RiderSetups[7].field[0] = 0.25f;
  ASSERT_TRUE(g_PlayersList.Load("DATA\\UI\\LIST1.PLT"));
  g_RiderSetups[0].field[4] = 0.5f;
  g_PlayersList.Select(0, 7);
  EXPECT_STREQ(g_PlayersList.entries[0].name, "INGA FARROW");
  EXPECT_EQ(g_PlayersList.entries[0].chosenRider, 7);
  EXPECT_STREQ(g_PlayersList.entries[7].name, "INGA FARROW") << "slot 7 is unchanged";
  EXPECT_FLOAT_EQ(g_RiderSetups[0].field[0], 0.25f);
  EXPECT_FLOAT_EQ(g_RiderSetups[0].field[4], 0.5f);
  g_PlayersList.Select(20, 0);
  g_PlayersList.Select(0, 20);
  EXPECT_EQ(g_PlayersList.entries[0].chosenRider, 7);
  g_GameMode = GAME_MODE_MULTIPLAYER;
  EXPECT_FALSE(g_PlayersList.IsPresent(3));
  g_PlayersList.entries[3].netPlayerId = 99;
  EXPECT_TRUE(g_PlayersList.IsPresent(3));
  EXPECT_FALSE(g_PlayersList.IsPresent(20));
  g_GameMode = GAME_MODE_SINGLE_RACE;
}

TEST_F(SeriesTest, DamagedPlayersListsAreRefusedAndChangeNothing) {
  ASSERT_TRUE(g_PlayersList.Load("DATA\\UI\\LIST1.PLT"));
  std::vector<kelvdata::PltRecordSpec> records = kelvdata::SyntheticPlt(0);
  const Bytes good = kelvdata::BuildPlt(records);
  Bytes longName = good;
  kelvdata::PatchU32(&longName, 2, 300);
  records.pop_back();
  for (const Bytes& bad : {Bytes(good.begin(), good.end() - 1), longName, kelvdata::BuildPlt(records)}) {
    Put("DATA/UI.BBF", kelvdata::BuildBbf({{"LIST1.PLT", bad}}));
    g_UiArchive.Close();
    ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    platform::ClearRecordedMessageBoxes();
    EXPECT_FALSE(g_PlayersList.Load("DATA\\UI\\LIST1.PLT"));
    EXPECT_EQ(Boxes(), std::vector<std::string>{"File error opening players list data.\nPlease reinstall Kelvarro."});
    EXPECT_STREQ(g_PlayersList.entries[19].name, "ELSA FENWICK");
  }
}

}  // namespace
