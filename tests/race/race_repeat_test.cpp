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
#include "tests/support/null_front_end.h"
#include "tests/world/track_fixture.h"
#include "tools/dataset.h"
#include "tools/frontend_files.h"
#include "tools/race_samples.h"

namespace {

constexpr std::uint32_t kStart = 100000;

class RainyFrontEnd : public kelvtest::NullFrontEnd {
 public:
  RainyFrontEnd() {
    const auto list = kelvdata::SyntheticPlt(0);
    for (std::size_t i = 0; i < list.size() && i < 20; ++i) files[i] = list[i].riderFile;
    for (std::uint8_t i = 0; i < 20; ++i) order[i] = i;
  }
  // Rain: the thunder claps at random besides the track's one-shots.
  std::uint16_t SeriesWeather(bool) override { return 1; }
  const char* RiderFile(std::uint8_t slot) override { return slot < 20 ? files[slot].c_str() : ""; }
  const std::uint8_t* GridOrder() override { return order; }

  std::string files[20];
  std::uint8_t order[20] = {};
};

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

class RaceRepeatTest : public kelvtest::TrackTest {
 protected:
  void SetUp() override {
    TrackTest::SetUp();
    saved_ = {g_RaceType, g_GameMode, g_RiderCount};
    ASSERT_TRUE(kelvdata::WriteDataSet(root_.string()));
    for (BbfArchive* a : {&g_UiArchive, &g_MiscArchive, &g_TrackArchive}) a->Close();
    ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    ASSERT_TRUE(g_MiscArchive.Open("DATA\\MISC.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    ASSERT_TRUE(g_TextDatabase.Load("DATA\\UI\\GAMETXT0.TDB"));
    InstallFrontEndServices(&frontEnd_);
    g_GameMode = GAME_MODE_SINGLE_RACE;
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
    platform::UseRealTime();
    InstallFrontEndServices(nullptr);
    for (BbfArchive* a : {&g_UiArchive, &g_MiscArchive}) a->Close();
    g_RaceType = saved_.type;
    g_GameMode = saved_.mode;
    g_RiderCount = saved_.riders;
    g_SoundFadeOut = 0;
    TrackTest::TearDown();
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

  RainyFrontEnd frontEnd_;
  struct {
    std::uint8_t type, mode;
    std::uint32_t riders;
  } saved_{};
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
