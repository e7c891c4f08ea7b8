// A race repeats frame for frame whatever the sound card does: the same race
// on the synthetic data set, once with the mixer stalled (every sound plays
// on for ever) and once with it far ahead of the frames (every one-shot ends
// at once), leaves its riders and the shared random sequence in the same
// state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "engine/sound_device.h"
#include "engine/text_database.h"
#include "platform/dsound/dsound.h"
#include "platform/win32/crt.h"
#include "platform/win32/timer.h"
#include "race/race/race_scene.h"
#include "riders/rider.h"
#include "tests/race/data_set_fixture.h"
#include "tools/dataset.h"
#include "tools/frontend_files.h"
#include "tools/race_samples.h"

namespace {

constexpr std::uint32_t kStart = 100000;

struct RiderSnapshot {
  Vector3 position, velocity;
  float revs;
  std::uint32_t state;
  std::uint8_t racePosition;
  bool operator==(const RiderSnapshot& o) const {
    return position.x == o.position.x && position.y == o.position.y && position.z == o.position.z &&
           velocity.x == o.velocity.x && velocity.y == o.velocity.y && velocity.z == o.velocity.z &&
           revs == o.revs && state == o.state && racePosition == o.racePosition;
  }
};

struct RaceOutcome {
  std::vector<RiderSnapshot> riders;
  unsigned generator = 0;
  int trackOneShots = 0;  // one-shots the track started
};

class RaceRepeatTest : public kelvtest::DataSetRaceTest {
 protected:
  void SetUp() override {
    DataSetRaceTest::SetUp();
    // Rain: the thunder claps at random besides the track's one-shots.
    frontEnd_.weather = 1;
    g_RiderCount = 8;
    platform::UseTestSound(true);
    platform::RecordSoundCalls(false);
    InitSoundDevice(reinterpret_cast<HWND>(static_cast<std::intptr_t>(0x5150)));
    ASSERT_NE(g_DirectSound, nullptr);
    ASSERT_TRUE(OpenAt(640, 480));
  }
  void TearDown() override {
    ReleaseSoundDevice();
    platform::UseTestSound(false);
    g_SoundFadeOut = 0;
    DataSetRaceTest::TearDown();
  }

  // A first moto of `frames` frames of 50 ms each from the same generator
  // state, the mixer rendering `mixed` output frames after each.
  RaceOutcome Race(int frames, int mixed) {
    RaceOutcome out;
    platform::UseTestTime(kStart);
    g_RaceType = 2;
    g_TrackRandomOffset = Vector3(0.0f, 0.0f, 0.0f);
    g_TrackRandomVelocity = Vector3(0.0f, 0.0f, 0.0f);
    crt::srand(7);
    RaceScene scene;
    if (!scene.Load(kelvdata::COURSE_RACE)) {
      ADD_FAILURE() << (Boxes().empty() ? "the race does not load" : Boxes().back());
      return out;
    }
    std::vector<float> mix(2 * static_cast<std::size_t>(mixed > 0 ? mixed : 1));
    std::vector<std::uint8_t> wasPlaying(scene.track.oneShots.size(), 0);
    for (int f = 0; f < frames; ++f) {
      platform::AdvanceTime(50);
      if (!scene.RunFrame()) {
        ADD_FAILURE() << "frame " << f;
        break;
      }
      for (std::size_t i = 0; i < wasPlaying.size(); ++i) {
        const bool now = scene.track.oneShots[i].Running();
        if (now && !wasPlaying[i]) ++out.trackOneShots;
        wasPlaying[i] = now;
      }
      if (mixed > 0) platform::RenderMix(mixed, mix.data());
    }
    for (std::uint32_t i = 0; i < 8; ++i) {
      const Rider* r = scene.riders[i];
      if (!r) continue;
      out.riders.push_back({r->physics.position, r->physics.velocity, r->physics.revs, r->state, r->racePosition});
    }
    out.generator = crt::state();
    return out;
  }

};

TEST_F(RaceRepeatTest, TheSameRaceRepeatsWhateverTheMixerHasPlayed) {
  // 45 s: the intro and half a minute of racing, time for the track's
  // one-shots and the thunder to start and, on the fast mixer, to end.
  constexpr int kFrames = 900;
  const RaceOutcome stalled = Race(kFrames, 0);
  const RaceOutcome ahead = Race(kFrames, platform::SOUND_OUTPUT_RATE / 2);
  ASSERT_EQ(stalled.riders.size(), 8u);
  ASSERT_GT(stalled.trackOneShots, 0) << "no one-shot started: the race shows nothing";
  EXPECT_EQ(stalled.trackOneShots, ahead.trackOneShots);
  EXPECT_EQ(stalled.generator, ahead.generator);
  ASSERT_EQ(stalled.riders.size(), ahead.riders.size());
  for (std::size_t i = 0; i < stalled.riders.size(); ++i) {
    EXPECT_TRUE(stalled.riders[i] == ahead.riders[i]) << "rider " << i;
  }
  // The riders raced: the field is not still on its grid.
  int moving = 0;
  for (const RiderSnapshot& r : stalled.riders) moving += r.state == RIDER_RACING && LengthSquared(r.velocity) > 1.0f;
  EXPECT_GT(moving, 3);
}

}  // namespace
