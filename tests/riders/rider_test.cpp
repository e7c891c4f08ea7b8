// The rider base class: its race times, its lap rules, its start state and
// the sound bank that all riders share.
#include <gtest/gtest.h>

#include "engine/game_settings.h"
#include "engine/sound_sample.h"
#include "platform/win32/crt.h"
#include "riders/race_time.h"
#include "riders/rider.h"

namespace {

// The least concrete rider: the controls and set-up do nothing.
class TestRider : public Rider {
 public:
  void ComputeControls() override {}
  void SetupAi() override {}
};

class RiderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedType_ = g_RaceType;
    savedLength_ = g_RaceLengthRecord;
    g_RaceType = 3;
    g_RaceLengthMinutes = 5;
    g_RaceLengthRecord.milliseconds = 5u * 60000u;
  }
  void TearDown() override {
    FreeRiderSounds();
    g_RiderSoundsLoaded = 0;
    g_RaceType = savedType_;
    g_RaceLengthRecord = savedLength_;
  }

 private:
  std::uint8_t savedType_ = 0;
  RaceLengthRecord savedLength_ = {};
};

TEST(RaceTimeTest, CarriesEveryDigitAndKeepsTheTotal) {
  struct Case {
    std::uint32_t startMs, addMs;
    std::uint16_t thousandths, hundredths, seconds, minutes, hours;
  };
  const Case cases[] = {
      {0, 9, 9, 0, 0, 0, 0},
      {9, 1, 0, 1, 0, 0, 0},
      {990, 10, 0, 0, 1, 0, 0},
      {59990, 10, 0, 0, 0, 1, 0},
      {3599999, 1, 0, 0, 0, 0, 1},
      {0, 3723456, 6, 45, 3, 2, 1},  // one step larger than every digit
  };
  for (const Case& c : cases) {
    RaceTime t;
    t.Add(c.startMs);
    t.Add(c.addMs);
    EXPECT_EQ(t.thousandths, c.thousandths) << c.startMs << "+" << c.addMs;
    EXPECT_EQ(t.hundredths, c.hundredths) << c.startMs << "+" << c.addMs;
    EXPECT_EQ(t.seconds, c.seconds) << c.startMs << "+" << c.addMs;
    EXPECT_EQ(t.minutes, c.minutes) << c.startMs << "+" << c.addMs;
    EXPECT_EQ(t.hours, c.hours) << c.startMs << "+" << c.addMs;
    EXPECT_EQ(t.totalMs, c.startMs + c.addMs);
  }
}

TEST_F(RiderTest, PastTheFinalLapOnlyAfterTheTimeIsUpAndTwoLapsOn) {
  struct Case {
    std::uint32_t raceMs, finalLap, lap;
    bool past;
  };
  const Case cases[] = {
      {300000, 3, 9, false},  // the time is not yet past the length
      {300001, 3, 4, false},
      {300001, 3, 5, true},
      {300001, 0, 9, false},  // the final lap is not fixed yet
      {300001, 5, 3, true},   // unsigned: a lap below the final lap wraps
  };
  for (const Case& c : cases) {
    TestRider rider;
    rider.raceTime.Add(c.raceMs);
    rider.finalLap = c.finalLap;
    rider.lap = c.lap;
    EXPECT_EQ(rider.IsPastFinalLap(), c.past) << c.raceMs << " " << c.finalLap << " " << c.lap;
  }
}

TEST_F(RiderTest, AMotoStartsEveryRiderWaitingAndUndrawn) {
  TestRider rider;
  EXPECT_EQ(rider.started, 1);
  EXPECT_EQ(rider.state, RIDER_WAITING);
  EXPECT_FLOAT_EQ(rider.trackTime, 300.0f);
  EXPECT_FLOAT_EQ(rider.entryTime, 300.0f);
  EXPECT_EQ(rider.lod, RIDER_LOD_HIDDEN);
  EXPECT_FLOAT_EQ(rider.reflectionLevel, 1.0f);
  EXPECT_EQ(rider.startHints[1], 6);
  EXPECT_EQ(rider.startHints[2], 0);
}

TEST_F(RiderTest, PracticeStartsAboutHalfTheRidersLate) {
  g_RaceType = 1;
  crt::srand(11);
  int late = 0;
  for (int i = 0; i < 40; ++i) {
    TestRider rider;
    if (!rider.started) {
      ++late;
      EXPECT_EQ(rider.state, RIDER_OUT);
      EXPECT_EQ(rider.trackTime, 0.0f);
    } else {
      EXPECT_EQ(rider.state, RIDER_WAITING);
    }
    EXPECT_GE(rider.entryTime, 0.05f * 300.0f - 0.01f);
    EXPECT_LE(rider.entryTime, 0.25f * 300.0f + 0.01f);
  }
  EXPECT_GT(late, 5);
  EXPECT_LT(late, 35);
}

TEST_F(RiderTest, FollowingAgainRefreshesTheHud) {
  TestRider rider;
  rider.SetFollowed();
  EXPECT_TRUE(rider.IsFollowed());
  rider.ClearFollowed();
  EXPECT_FALSE(rider.IsFollowed());
  EXPECT_EQ(rider.hudRefresh, 1);
}

TEST_F(RiderTest, TheFirstRiderDeletedFreesTheSharedBankForAll) {
  auto first = std::make_unique<TestRider>();
  auto second = std::make_unique<TestRider>();
  ASSERT_TRUE(AllocateRiderSounds(33));
  g_RiderSoundsLoaded = 1;
  first.reset();
  EXPECT_EQ(g_RiderSounds, nullptr);
  EXPECT_EQ(g_RiderSoundsLoaded, 0);
  second.reset();  // nothing left to free twice (the sanitizer would see it)
  EXPECT_EQ(g_RiderSounds, nullptr);
}

}  // namespace
