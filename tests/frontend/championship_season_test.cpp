// A championship played through the data set's own screens, the races
// themselves stood in for by their results: the round screen's practice,
// the garage's repair and its way on, the points after the first moto, the
// standings after the second and the next round. A whole season of it keeps
// the memory it holds from round to round.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/text_database.h"
#include "frontend/championship.h"
#include "frontend/game_controller.h"
#include "frontend/garage.h"
#include "frontend/players_list.h"
#include "frontend/ui_scene.h"
#include "platform/dsound/dsound.h"
#include "platform/glide/glide.h"
#include "platform/mci/mci.h"
#include "platform/mixer/mixer.h"
#include "platform/win32/timer.h"
#include "riders/rider_physics.h"
#include "tests/frontend/data_set_screens.h"
#include "tests/support/fuzz_renderer.h"
#include "tools/dataset.h"

// The bytes this test program holds through operator new: every block
// carries its size in front of it, so a block freed later is taken off
// whoever allocated it.
namespace {

std::atomic<long long> g_LiveBytes{0};
constexpr std::size_t kHeader = 16;  // keeps the blocks aligned as malloc's

void* Allocate(std::size_t n) {
  auto* p = static_cast<unsigned char*>(std::malloc(n + kHeader));
  if (p == nullptr) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(p) = n;
  g_LiveBytes.fetch_add(static_cast<long long>(n), std::memory_order_relaxed);
  return p + kHeader;
}

void Free(void* q) noexcept {
  if (q == nullptr) return;
  auto* p = static_cast<unsigned char*>(q) - kHeader;
  g_LiveBytes.fetch_sub(static_cast<long long>(*reinterpret_cast<std::size_t*>(p)), std::memory_order_relaxed);
  std::free(p);
}

}  // namespace

void* operator new(std::size_t n) { return Allocate(n); }
void* operator new[](std::size_t n) { return Allocate(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  try {
    return Allocate(n);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }

namespace {

// The data set's scenes (only the championship's own are pressed).
constexpr int ROUND_SCENE = 18;
constexpr int GARAGE_SCENE = 5;
constexpr int BETWEEN_MOTOS_SCENE = 26;
constexpr int STANDINGS_SCENE = 9;
// Buttons of those scenes.
constexpr std::uint16_t ROUND_PRACTICE = 2;
constexpr std::uint16_t GARAGE_CONTINUE = 1;
constexpr std::uint16_t GARAGE_REPAIR_ENGINE = 4;
constexpr std::uint16_t SECOND_MOTO = 0;
constexpr std::uint16_t NEXT_ROUND = 0;

class ChampionshipSeasonTest : public kelvtest::DataSetScreensTest {
 protected:
  void SetUp() override {
    DataSetScreensTest::SetUp();
    // The first skill class: its start money pays a repair in every round
    // and still the last round's entry fee.
    g_GameSkill = 0;
    g_RiderCount = 8;
    g_GameController.Command(CMD_SET_GAME_MODE, GAME_MODE_CHAMPIONSHIP, 0, "NULL");
    g_GameController.Command(CMD_LOAD_EVENT_DATA, 0, 0, "NULL");
    ASSERT_GE(g_Championship.entryCount, 10);
  }
  // What a moto leaves behind: the race scene advanced the race type, and
  // its end stored every rider's place (the player `playerPlace`, the others
  // in slot order around him) and scored them.
  static void RaceMoto(std::uint8_t raceType, std::uint8_t playerPlace) {
    g_RaceType = raceType;
    const int index = 2 * g_Championship.current + (raceType - RACE_TYPE_MOTO_1);
    std::uint8_t next = 1;
    for (std::uint32_t slot = 0; slot < g_RiderCount; ++slot) {
      if (next == playerPlace) ++next;
      g_Championship.positions[slot][static_cast<std::size_t>(index)] = slot == 0 ? playerPlace : next++;
    }
    g_Championship.AwardMotoPoints();
  }

  // The bytes the game holds: the recording backends' forgotten calls keep
  // their room (a vector's capacity), which is the backends', not the
  // game's.
  static long long Held() {
    platform::ClearGlideRecords();
    platform::ClearRecordedMixerCalls();
    platform::ClearRecordedSoundCalls();
    platform::ClearRecordedMciCalls();
    return g_LiveBytes.load() - Room(platform::RecordedGlideCalls()) - Room(platform::RecordedGlideDraws()) -
           Room(platform::RecordedMixerCalls()) - Room(platform::RecordedSoundCalls()) -
           Room(platform::RecordedMciCalls());
  }
  template <typename T>
  static long long Room(const std::vector<T>& v) {
    return static_cast<long long>(v.capacity() * sizeof(T));
  }

  // One round from its screen to the next round's; false at the first step
  // that does not lead where it should.
  void PlayRound() {
    const std::int16_t round = g_Championship.current;
    const int raceScene = g_Championship.entries[static_cast<std::size_t>(round)].sceneNumber;
    UiScene* s = Show(ROUND_SCENE);
    ASSERT_NE(s, nullptr);
    EXPECT_STRNE(s->staticTexts[1].String(), "") << "the course's length";
    EXPECT_EQ(Press(s, ROUND_PRACTICE), raceScene);
    EXPECT_EQ(g_Championship.roundPlayed[static_cast<std::size_t>(round)], 1);
    g_RaceType = RACE_TYPE_PRACTICE;

    // The practice broke the engine's condition down to a half: one repair
    // step, paid, kept by the way on to qualifying.
    g_ConditionEngine[0] = 0.5f;
    const std::int16_t money = g_PlayersList.entries[0].money;
    s = Show(GARAGE_SCENE);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->sliders[0].value, 5);
    EXPECT_EQ(Press(s, GARAGE_REPAIR_ENGINE), -1);
    EXPECT_EQ(s->sliders[0].value, 6);
    EXPECT_EQ(Press(s, GARAGE_CONTINUE), raceScene);
    EXPECT_NEAR(g_ConditionEngine[0], 0.6f, 1e-5f);
    EXPECT_EQ(g_PlayersList.entries[0].money, money - g_RepairPrice[0]);
    g_RaceType = RACE_TYPE_QUALIFYING;

    RaceMoto(RACE_TYPE_MOTO_1, 2);
    s = Show(BETWEEN_MOTOS_SCENE);
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->staticTexts[21].String(), "17") << "second place's points";
    EXPECT_EQ(Press(s, SECOND_MOTO), raceScene);

    RaceMoto(RACE_TYPE_MOTO_2, 1);
    s = Show(STANDINGS_SCENE);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Press(s, NEXT_ROUND), ROUND_SCENE);
    EXPECT_EQ(g_Championship.current, round + 1);
    g_GameController.ClearUiScene();
    scene_.reset();
    platform::ClearGlideRecords();
  }
};

TEST_F(ChampionshipSeasonTest, ARoundGoesFromItsScreenThroughTheGarageAndBothMotosToTheNext) {
  g_OptionWeather = 0;
  PlayRound();
  EXPECT_EQ(g_PlayersList.entries[0].points, 17 + 20);
  EXPECT_EQ(g_Championship.previousRound, 0);
  // The standings show the player first with both motos' points.
  UiScene* s = Show(STANDINGS_SCENE);
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s->staticTexts[0].String(), g_PlayersList.entries[0].name);
  EXPECT_STREQ(s->staticTexts[20].String(), "17");
  EXPECT_STREQ(s->staticTexts[21].String(), "20");
  // Each round's flag heads its two columns in the row of the "total"
  // heading, 80 to 106 pixels from the top of the 640 x 480 screen, not
  // over the last riders' rows.
  ASSERT_EQ(s->panels.count, 12);
  for (std::uint16_t i = 0; i < 12; ++i) {
    float top = 1e9f, bottom = -1e9f, left = 1e9f;
    for (const ScreenVertex& v : s->panels[i].vertices) {
      top = std::min(top, v.y);
      bottom = std::max(bottom, v.y);
      left = std::min(left, v.x);
    }
    EXPECT_FLOAT_EQ(top, 80.0f) << "flag " << i;
    EXPECT_FLOAT_EQ(bottom, 106.0f) << "flag " << i;
    EXPECT_FLOAT_EQ(left, 151.0f + 37.0f * i) << "flag " << i;
  }
}

TEST_F(ChampionshipSeasonTest, AWholeSeasonHoldsNoMoreMemoryFromRoundToRound) {
  g_OptionWeather = 0;
  const int rounds = g_Championship.entryCount - 1;
  // The first round makes what stays for the season: the fonts' and
  // textures' slots, the series' tables. Every later round gives back all
  // it takes, to the byte: a leak of a few bytes a round would fill memory
  // over the long sessions a player plays.
  PlayRound();
  const long long start = Held();
  for (int r = 1; r < rounds; ++r) {
    PlayRound();
    if (HasFatalFailure() || HasNonfatalFailure()) return;
    EXPECT_EQ(Held() - start, 0) << "bytes held more after round " << r + 1;
  }
}

}  // namespace
