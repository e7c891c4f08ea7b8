// A whole moto without a window: the player's rider and nineteen computer
// riders race three laps of the synthetic course under the race manager,
// which steers the computer riders, counts the laps and classifies the
// finish. The player's controls are recorded to DATA\1.RPY; a second run
// that replays them must end bit for bit the same.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/archive.h"
#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "platform/win32/crt.h"
#include "race/race_manager.h"
#include "race/replay_recorder.h"
#include "riders/ai_rider.h"
#include "riders/player_rider.h"
#include "riders/rider_hud.h"
#include "tests/race/race_doubles.h"
#include "tests/riders/physics_fixture.h"
#include "tests/world/track_fixture.h"
#include "tools/rider_files.h"
#include "tools/tex.h"
#include "tools/track_course.h"
#include "tools/ui_files.h"
#include "ui/font.h"
#include "world/track.h"

namespace {

constexpr int kRiders = 20;
constexpr unsigned kFrameMs = 16;
constexpr int kGridFrames = 60;

// The player's hands: towards the node three ahead at about 12 m/s while
// `on`, nothing otherwise.
struct Driver {
  const Rider* player = nullptr;
  const Track* track = nullptr;
  bool on = false;
  float steer = 0.0f;
  float throttle = 0.0f;
  float brake = 0.0f;
} g_Driver;

void DriverPoll() {
  Driver& d = g_Driver;
  d.steer = d.throttle = d.brake = 0.0f;
  if (!d.on) return;
  const RiderPhysics& p = d.player->physics;
  const int n = d.track->sectionCount;
  const TrackNode& ahead = d.track->nodes[(p.sectionHint + 3) % n];
  const Vector3 to = ahead.centre - p.position;
  const float side = to.x * p.axes[0][0] + to.z * p.axes[0][2];
  d.steer = std::fmax(-1.0f, std::fmin(1.0f, side * 0.15f));
  const float v = p.forwardSpeed;
  if (v < 12.0f) {
    // Never below 0.1: the rider's own hold brake would meet it.
    d.throttle = std::fmax(0.1f, std::fmin(1.0f, (12.0f - v) * 0.5f));
  } else if (v > 15.0f) {
    d.brake = 0.5f;
  }
}
float DriverAccel() { return g_Driver.throttle; }
float DriverBrake() { return g_Driver.brake; }
float DriverLeft() { return g_Driver.steer < 0.0f ? std::cbrt(-g_Driver.steer) : 0.0f; }
float DriverRight() { return g_Driver.steer > 0.0f ? std::cbrt(g_Driver.steer) : 0.0f; }
float DriverNone() { return 0.0f; }

const ControlCallbacks kDriverCallbacks = {DriverPoll,  DriverAccel, DriverBrake, DriverLeft,
                                           DriverRight, DriverNone,  DriverNone};

struct Outcome {
  std::vector<kelvtest::RecordingEvent::Written> results;
  std::vector<std::uint64_t> hashes;
  int frames = 0;
};

class MotoTest : public kelvtest::TrackTest {
 protected:
  void SetUp() override {
    TrackTest::SetUp();
    ASSERT_TRUE(OpenAt(640, 480));
    g_Fonts = fonts_;
    g_FontCount = 4;
    kelvtest::ResetPhysicsGlobals();
    saved_ = {g_RiderCount, g_RaceType, g_GameMode, g_FrameTime};
    g_RiderCount = kRiders;
    g_RaceType = 3;
    g_GameMode = GAME_MODE_SINGLE_RACE;
    // No time: the leader's first crossing fixes the final lap, so the moto
    // is three laps.
    g_RaceLengthMinutes = 0;
    g_RaceLengthRecord.milliseconds = 0;
    InstallEventServices(&event_);
    std::vector<kelvdata::BbfMember> members = kelvdata::CourseMembers();
    const auto tex = kelvdata::BuildTex(32, 32, [](int, int) { return kelvdata::Rgb{200, 200, 200}; });
    kelvdata::SoundBankSpec bank;
    bank.count = 33;
    members.push_back({"RIDER.RDR", kelvdata::BuildRiderFile(kelvdata::SyntheticRider(
                                        "DATA\\TRACK\\R.TEX", "DATA\\TRACK\\R.TEX", "DATA\\TRACK\\R.BNK"))});
    members.push_back({"R.TEX", tex});
    members.push_back({"R.BNK", kelvdata::BuildSoundBank(bank)});
    members.push_back({"BONES.MTX", kelvdata::BuildJointFile(kelvdata::SyntheticJointRest())});
    for (kelvdata::BbfMember& m : kelvdata::RiderShadowMembers()) members.push_back(std::move(m));
    for (kelvdata::BbfMember& m : kelvdata::HudMembers()) members.push_back(std::move(m));
    OpenTrackArchive(members);
    track_ = std::make_unique<Track>();
    ASSERT_TRUE(track_->Load(kelvdata::COURSE_TRACK));
    std::filesystem::create_directories(root_ / "DATA");
  }
  void TearDown() override {
    riders_.clear();
    track_.reset();
    g_Driver = Driver();
    ReleaseHudWidgets();
    g_Fonts = nullptr;
    g_FontCount = 0;
    FreeRiderSounds();
    g_RiderSoundsLoaded = 0;
    InstallEventServices(nullptr);
    g_RiderCount = saved_.riders;
    g_RaceType = saved_.raceType;
    g_GameMode = saved_.gameMode;
    g_FrameTime = saved_.frameTime;
    kelvtest::ResetPhysicsGlobals();
    TrackTest::TearDown();
  }

  // The race's load: riders made, registered and put on the grid behind the
  // start line, two abreast, with their distances counted from there.
  void LoadRiders(RaceManager& m) {
    riders_.clear();
    crt::srand(7);
    m.SetTrack(track_.get());
    ASSERT_TRUE(m.AllocateLapTimes());
    m.resultCount = kRiders;
    const int n = track_->sectionCount;
    for (int i = 0; i < kRiders; ++i) {
      std::unique_ptr<Rider> r;
      if (i == 0) {
        auto player = std::make_unique<PlayerRider>();
        player->controls = kDriverCallbacks;
        r = std::move(player);
      } else {
        r = std::make_unique<AiRider>();
      }
      r->SetIndex(static_cast<std::uint8_t>(i));
      r->effectsTexture = "DATA\\TRACK\\R.TEX";
      ASSERT_TRUE(r->Load("DATA\\TRACK\\RIDER.RDR")) << i;
      r->SetTrack(track_.get());
      if (i > 0) r->SetupAi();
      r->started = 1;
      r->Reset();
      const int section = kelvtest::PlaceOnGrid(*r, *track_, i);
      r->lastNode = static_cast<std::uint32_t>(section);
      r->progress = section - n;
      ASSERT_TRUE(m.RegisterRider(r.get(), i == 0 ? 1 : 2));
      riders_.push_back(std::move(r));
    }
    riders_[0]->followed = 1;
    g_Driver = Driver();
    g_Driver.player = riders_[0].get();
    g_Driver.track = track_.get();
  }

  // One moto, in the race frame's order: the rider pass, the clock, the
  // player (recorded or replayed), the others.
  Outcome Run(ReplayRecorder& recorder, bool playback) {
    Outcome out;
    RaceManager m;
    LoadRiders(m);
    if (::testing::Test::HasFatalFailure()) return out;
    if (playback) {
      riders_[0]->BeginReplay();
      recorder.Rewind();
    } else {
      EXPECT_TRUE(recorder.Create());
      recorder.Start();
    }
    event_.written.clear();
    int state = 1;
    const int maxFrames = kGridFrames + static_cast<int>(600.0f / 0.016f);
    int frame = 0;
    for (; frame < maxFrames; ++frame) {
      if (frame == kGridFrames) state = 2;
      g_FrameTime = 0.016f;
      if (playback && state != 1) {
        ReplayFrame f;
        if (recorder.Read(f)) break;
        g_FrameTime = f.frameTime;
        float controls[3];
        ReplayControls(f, controls);
        riders_[0]->SetReplayControls(controls);
      }
      m.UpdateRiders(state);
      m.StepClock(state, g_FrameTime);
      Rider& player = *riders_[0];
      g_Driver.on = !playback && state != 1;
      if (player.state != RIDER_OUT) player.Update(kFrameMs, state);
      for (int i = 1; i < kRiders; ++i) {
        if (riders_[i]->state != RIDER_OUT) riders_[i]->Update(kFrameMs, state);
      }
      if (!playback && state != 1) {
        float controls[3];
        player.GetReplayControls(controls);
        recorder.Write(MakeReplayFrame(g_FrameTime, controls));
      }
      if (state == 2 && player.IsRaceOver()) state = 3;
      bool over = true;
      for (const auto& r : riders_) over = over && r->IsRaceOver();
      // The recording ends with the last rider's finish; the replay with
      // the recording.
      if (over && !playback) break;
    }
    out.frames = frame;
    for (int i = 0; i < kRiders; ++i) EXPECT_TRUE(riders_[i]->IsRaceOver()) << "rider " << i << " lap " << riders_[i]->lap;
    m.ClassifyMoto();
    out.results = event_.ByPlace();
    for (const auto& r : riders_) out.hashes.push_back(kelvtest::PhysicsHash(*r));
    return out;
  }

  struct Saved {
    std::uint32_t riders;
    std::uint8_t raceType;
    std::uint8_t gameMode;
    float frameTime;
  } saved_{};
  kelvtest::RecordingEvent event_;
  std::unique_ptr<Track> track_;
  std::vector<std::unique_ptr<Rider>> riders_;
  Font fonts_[4];
};

TEST_F(MotoTest, TwentyRidersAreClassifiedAndTheReplayEndsTheSame) {
  ReplayRecorder recorder;
  const Outcome race = Run(recorder, false);
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_EQ(race.results.size(), static_cast<std::size_t>(kRiders));
  // Everybody finished: the places follow the crossings of the last lap,
  // each time later than the one before.
  for (int p = 0; p < kRiders; ++p) {
    const auto& r = race.results[p];
    EXPECT_EQ(r.place, p + 1);
    EXPECT_GT(r.raceTime.totalMs, 0u) << p;
    EXPECT_GT(r.bestLap.totalMs, 0u) << p;
    if (p > 0) EXPECT_GE(r.raceTime.totalMs, race.results[p - 1].raceTime.totalMs) << p;
    EXPECT_GE(r.lapsRidden, 3.0f) << p;
  }
  RecordProperty("frames", race.frames);

  const Outcome replay = Run(recorder, true);
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_EQ(replay.results.size(), race.results.size());
  for (int p = 0; p < kRiders; ++p) {
    EXPECT_EQ(replay.results[p].slot, race.results[p].slot) << p;
    EXPECT_EQ(replay.results[p].raceTime.totalMs, race.results[p].raceTime.totalMs) << p;
    EXPECT_EQ(replay.results[p].bestLap.totalMs, race.results[p].bestLap.totalMs) << p;
  }
  EXPECT_EQ(replay.hashes, race.hashes);
  recorder.Delete();
}

}  // namespace
