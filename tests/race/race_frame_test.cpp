// The race frame on a scene whose riders are placed by hand (no race file
// loaded): the starting frame, the intro's shortcuts, the end of a race
// ridden the wrong way, the frame time after a switch back to the game, and
// the draw states the board receives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "engine/camera.h"
#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/system.h"
#include "engine/services/net_game.h"
#include "platform/win32/timer.h"
#include "race/race/race_scene.h"
#include "riders/rider.h"
#include "tests/race/racing_field.h"
#include "tests/render_glide/glide_fixture.h"

namespace {

constexpr std::uint32_t kStart = 100000;

// A rider that records the frame times it is stepped with and moves nowhere.
class StepRider : public Rider {
 public:
  bool Update(unsigned ms, int) override {
    steps.push_back(ms);
    return true;
  }
  void ComputeControls() override {}
  void SetupAi() override {}
  std::vector<unsigned> steps;
};

class FrameScene : public RaceScene {
 public:
  void SetState(std::uint32_t s) { state_ = s; }
};

class RaceFrameTest : public kelvtest::GlideTest {
 protected:
  static constexpr int kRiders = 4;

  void SetUp() override {
    GlideTest::SetUp();
    ASSERT_TRUE(OpenAt(640, 480));
    saved_ = {g_RaceType, g_GameMode, g_RiderCount, g_RaceLengthMinutes, g_CameraType, g_OptionReplay,
              g_OptionDrawDistance};
    platform::UseTestTime(kStart);
    g_GameMode = GAME_MODE_SINGLE_RACE;
    g_RiderCount = kRiders;
    g_RaceLengthMinutes = 2;
    g_CameraType = CAMERA_HELMET;
    g_OptionReplay = 0;
    ResetRaceGlobals();
    g_RaceType = 1;
    MakeScene(RACE_STATE_RACING);
  }
  void TearDown() override {
    scene_.reset();
    platform::UseRealTime();
    g_RaceType = saved_.raceType;
    g_GameMode = saved_.gameMode;
    g_RiderCount = saved_.riders;
    g_RaceLengthMinutes = saved_.minutes;
    g_CameraType = saved_.cameraType;
    g_OptionReplay = saved_.replay;
    g_OptionDrawDistance = saved_.drawDistance;
    g_RenderBuild = RENDER_BUILD_GLIDE;
    ResetRaceGlobals();
    GlideTest::TearDown();
  }
  static void ResetRaceGlobals() {
    g_PitTimerMs = 0;
    g_RaceOver = 0;
    g_EndFadeStarted = 0;
    g_RaceFadingOut = 0;
    g_RaceClock = 0.0f;
    g_RaceClockResetRequest = false;
    g_NetOpponentsGone = 0;
  }

  // Four riders placed 1st to 4th in slot order, racing, the player's rider
  // followed; the previous frame 10 ms ago.
  void MakeScene(std::uint32_t state) {
    scene_.reset();
    // The scene takes the next race type as it is made; the tests set the
    // type they run.
    const std::uint8_t raceType = g_RaceType;
    scene_ = std::make_unique<FrameScene>();
    g_RaceType = raceType;
    kelvtest::FillRacingField<StepRider>(scene_.get(), kRiders);
    scene_->SetState(state);
    scene_->previousTimeMs = timeGetTime();
  }
  StepRider* Rider(int i) { return static_cast<StepRider*>(scene_->riders[i]); }
  bool Frame(std::uint32_t ms = 10) {
    platform::AdvanceTime(ms);
    return scene_->RenderScene();
  }

  std::unique_ptr<FrameScene> scene_;
  struct {
    std::uint8_t raceType, gameMode;
    std::uint32_t riders;
    std::uint16_t minutes;
    std::uint32_t cameraType;
    std::uint8_t replay, drawDistance;
  } saved_{};
};

TEST_F(RaceFrameTest, StartingFrameDrawsNothingAndSetsUpTheIntro) {
  MakeScene(RACE_STATE_STARTING);
  platform::ClearGlideRecords();
  ASSERT_TRUE(Frame());
  EXPECT_TRUE(platform::RecordedGlideDraws().empty());
  EXPECT_EQ(scene_->GetState(), RACE_STATE_INTRO);
  EXPECT_TRUE(scene_->inputEnabled);
  EXPECT_EQ(g_Renderer.fadeDirection, FADE_IN);
  EXPECT_FLOAT_EQ(g_Renderer.fadeDuration, 2.0f);
  EXPECT_FLOAT_EQ(g_Camera.fieldOfView, 0.6981317f);
  // The grid is kept for a later return from the garage.
  EXPECT_EQ(g_RiderSnapshots[2].racePosition, 3);
}

// The camera lives on after its race: the next race's first frames, or a
// scene made without a track, must not find it on the freed one.
TEST_F(RaceFrameTest, TheCameraLetsGoOfTheTrackOfARaceThatEnded) {
  MakeScene(RACE_STATE_STARTING);
  ASSERT_TRUE(Frame());
  EXPECT_EQ(g_Camera.track, &scene_->track);
  scene_.reset();
  EXPECT_EQ(g_Camera.track, nullptr);
}

TEST_F(RaceFrameTest, StartingFrameTakesTheViewWidthWithinTheScreen) {
  struct Case {
    const char* name;
    bool stored;
    DWORD value;
    float want;
  };
  const Case cases[] = {
      {"missing", false, 0, 639.0f},
      {"narrow", true, 400, 400.0f},
      {"too narrow", true, 20, 160.0f},
      {"wider than the screen", true, 5000, 639.0f},
  };
  for (const Case& c : cases) {
    // The missing case comes first, in the test's fresh registry.
    if (c.stored) WriteRegistryDword("ViewWidth", c.value);
    MakeScene(RACE_STATE_STARTING);
    ASSERT_TRUE(Frame()) << c.name;
    EXPECT_EQ(g_ViewWidth, c.want) << c.name;
    EXPECT_EQ(g_ViewHeight, std::min(479.0f, std::floor(c.want * 3.0f / 4.0f))) << c.name;
    scene_.reset();
  }
}

TEST_F(RaceFrameTest, StartingFrameSetsTheFogOfTheWeatherOnTheBoardAndThePipeline) {
  struct Case {
    std::uint16_t weather;
    float nearDistance, farDistance;
  };
  const Case cases[] = {{0, 0.0f, 500.0f}, {1, -50.0f, 150.0f}, {2, -50.0f, 50.0f}, {3, -150.0f, 150.0f}};
  for (const Case& c : cases) {
    MakeScene(RACE_STATE_STARTING);
    scene_->weather = c.weather;
    scene_->backdrop.colourR = 0.5f;
    platform::ClearGlideRecords();
    ASSERT_TRUE(Frame());
    EXPECT_EQ(g_GeometryPipeline.fogOn, 1) << c.weather;
    EXPECT_EQ(g_GeometryPipeline.fogStart, c.nearDistance) << c.weather;
    EXPECT_EQ(g_GeometryPipeline.fogEnd, c.farDistance) << c.weather;
    EXPECT_FLOAT_EQ(g_GeometryPipeline.fogScale, 255.0f / (c.farDistance - c.nearDistance)) << c.weather;
    ASSERT_EQ(Calls("grFogTable").size(), 1u) << c.weather;
    ASSERT_EQ(Calls("grFogColorValue").size(), 1u) << c.weather;
    // Red 0.5 in the top byte of the RGBA word.
    EXPECT_EQ(static_cast<std::uint32_t>(Calls("grFogColorValue")[0].args[0]) >> 24, 127u) << c.weather;
  }
}

TEST_F(RaceFrameTest, IntroShortcutsJumpToTenPointOneSeconds) {
  struct Case {
    const char* name;
    std::uint8_t raceType;
    float clock;  // before the 10 ms frame
    bool skip;
    float want;
    bool skipStays;
  };
  const Case cases[] = {
      {"practice before 4 s", 1, 3.98f, false, 3.98f + 0.01f, false},
      {"practice at 4 s", 1, 3.995f, false, 10.1f, false},
      {"qualifying just before 10 s", 2, 9.985f, false, 10.1f, false},
      {"practice past 10 s", 1, 10.0f, false, 10.0f + 0.01f, false},
      {"moto without Escape", 3, 5.0f, false, 5.0f + 0.01f, false},
      {"moto with Escape", 3, 9.985f, true, 10.1f, false},
      {"moto with Escape too late", 3, 10.0f, true, 10.0f + 0.01f, true},
  };
  for (const Case& c : cases) {
    g_RaceType = c.raceType;
    MakeScene(RACE_STATE_INTRO);
    scene_->introSkipRequested = c.skip;
    g_RaceClock = c.clock;
    ASSERT_TRUE(Frame()) << c.name;
    EXPECT_FLOAT_EQ(g_RaceClock, c.want) << c.name;
    EXPECT_EQ(scene_->introSkipRequested, c.skipStays) << c.name;
    EXPECT_EQ(scene_->GetState(), RACE_STATE_INTRO) << c.name;
  }
  // Past 15.5 s the race starts and its clock restarts.
  g_RaceType = 3;
  MakeScene(RACE_STATE_INTRO);
  g_RaceClock = 15.495f;
  ASSERT_TRUE(Frame());
  EXPECT_EQ(scene_->GetState(), RACE_STATE_RACING);
  EXPECT_EQ(g_RaceClock, 0.0f);
}

// A client reports the end of its intro once, in its first frame past 10 s,
// in a session as in a moto: the host starts the race only when every
// client has.
TEST_F(RaceFrameTest, ANetworkClientReportsItsIntroDoneOnceInEveryKindOfRace) {
  class Recorder : public NetGame {
   public:
    void SendSignalTo(std::uint32_t type, std::uint32_t) override { sent.push_back(type); }
    std::vector<std::uint32_t> sent;
  };
  NetGame* const saved = g_NetGame;
  const struct {
    std::uint8_t raceType;
    std::uint32_t camera;
  } cases[] = {{1, CAMERA_HELMET}, {2, CAMERA_NEAR}, {3, CAMERA_FIXED}};
  for (const auto& c : cases) {
    Recorder net;
    g_NetGame = &net;
    g_GameMode = GAME_MODE_MULTIPLAYER;
    g_RaceType = c.raceType;
    MakeScene(RACE_STATE_INTRO);
    scene_->cameraMode = c.camera;
    g_RaceClock = 9.995f;
    ASSERT_TRUE(Frame());
    ASSERT_TRUE(Frame());
    ASSERT_TRUE(Frame());
    EXPECT_EQ(net.sent, std::vector<std::uint32_t>{NET_MSG_INTRO_DONE}) << int{c.raceType};
    scene_.reset();
  }
  g_NetGame = saved;
}

TEST_F(RaceFrameTest, TenSecondsTheWrongWayCallsAPitStopInASessionAndRetiresInAMoto) {
  struct Case {
    const char* name;
    std::uint8_t raceType;
    bool othersOver;
    std::uint32_t pitTimer;
    std::uint8_t out;
    std::uint8_t raceOver;
    std::uint32_t state;
  };
  const Case cases[] = {
      // 2 minutes x 12 s, less this frame's 10 ms.
      {"practice", 1, false, 23990, 0, 0, RACE_STATE_RACING},
      {"qualifying", 2, true, 23990, 0, 0, RACE_STATE_RACING},
      {"moto, others riding", 3, false, 0, 1, 0, RACE_STATE_RACING},
      {"moto, others over", 4, true, 0, 1, 1, RACE_STATE_FINISHED},
  };
  for (const Case& c : cases) {
    ResetRaceGlobals();
    g_RaceType = c.raceType;
    MakeScene(RACE_STATE_RACING);
    scene_->riders[0]->wrongWayTime = 10.0f;
    for (int i = 1; i < kRiders; ++i) {
      if (c.othersOver) scene_->riders[i]->out = 1;
    }
    ASSERT_TRUE(Frame()) << c.name;
    EXPECT_EQ(g_PitTimerMs, c.pitTimer) << c.name;
    EXPECT_EQ(scene_->riders[0]->out, c.out) << c.name;
    EXPECT_EQ(g_RaceOver, c.raceOver) << c.name;
    EXPECT_EQ(scene_->GetState(), c.state) << c.name;
    if (c.raceType <= 2) EXPECT_EQ(scene_->riders[0]->wrongWayTime, 0.0f) << c.name;
  }
}

TEST_F(RaceFrameTest, FinishedRaceWaitsTwoSecondsBeforeItEnds) {
  g_RaceType = 3;
  MakeScene(RACE_STATE_RACING);
  scene_->riders[0]->out = 1;  // over for the player
  ASSERT_TRUE(Frame());
  EXPECT_EQ(g_RaceOver, 1);
  EXPECT_EQ(scene_->GetState(), RACE_STATE_FINISHED);
  EXPECT_EQ(g_RaceClock, 0.0f);
  // The final fade starts in the first frame after the clock moved.
  ASSERT_TRUE(Frame());
  EXPECT_EQ(g_EndFadeStarted, 1);
  EXPECT_EQ(g_Renderer.fadeDirection, FADE_OUT);
  g_RaceClock = 1.985f;
  const std::size_t steps = Rider(1)->steps.size();
  ASSERT_TRUE(Frame());
  EXPECT_EQ(Rider(1)->steps.size(), steps + 1);
  // Past 2 s the race ends: nothing more is stepped.
  ASSERT_TRUE(Frame());
  EXPECT_EQ(Rider(1)->steps.size(), steps + 1);
}

TEST_F(RaceFrameTest, SwitchingBackToTheGameCountsAsOneFiftyMillisecondFrame) {
  struct Case {
    bool switchedBack;
    unsigned want;
  };
  for (const Case& c : {Case{true, 50}, Case{false, 5000}}) {
    MakeScene(RACE_STATE_RACING);
    scene_->deactivated = c.switchedBack ? 1 : 0;
    scene_->reactivated = c.switchedBack ? 1 : 0;
    ASSERT_TRUE(Frame(5000));
    ASSERT_EQ(Rider(0)->steps.size(), 1u);
    EXPECT_EQ(Rider(0)->steps[0], c.want);
    EXPECT_EQ(Rider(1)->steps[0], c.want);
    EXPECT_EQ(scene_->deactivated, 0);
    EXPECT_EQ(scene_->reactivated, 0);
    EXPECT_FLOAT_EQ(g_FrameTime, 0.05f);
  }
}

TEST_F(RaceFrameTest, DrawStatesFollowTheWeatherAndTheCamera) {
  struct Case {
    const char* name;
    RenderBuild build;
    std::uint16_t weather;
    std::uint32_t camera;
    std::uint8_t drawDistance;
    bool fog;
    bool screenBlend;  // smoke blended as a screen in the wet
  };
  const Case cases[] = {
      {"clear", RENDER_BUILD_GLIDE, 0, CAMERA_HELMET, 0, false, false},
      {"clear, TV camera, far view", RENDER_BUILD_GLIDE, 0, CAMERA_TV, 0, true, false},
      {"clear, TV camera, near view", RENDER_BUILD_GLIDE, 0, CAMERA_TV, 1, false, false},
      {"rain", RENDER_BUILD_GLIDE, 1, CAMERA_NEAR, 1, true, true},
      {"fog", RENDER_BUILD_GLIDE, 2, CAMERA_HELMET, 0, true, true},
      {"rain, Direct3D factors", RENDER_BUILD_DIRECT3D, 1, CAMERA_NEAR, 1, true, false},
  };
  for (const Case& c : cases) {
    g_RenderBuild = c.build;
    g_OptionDrawDistance = c.drawDistance;
    // A fresh renderer forgets the states the last case left cached.
    g_Renderer.Close();
    ASSERT_TRUE(OpenAt(640, 480));
    MakeScene(RACE_STATE_STARTING);
    scene_->weather = c.weather;
    ASSERT_TRUE(Frame()) << c.name;
    scene_->SetState(RACE_STATE_RACING);
    scene_->cameraMode = c.camera;
    platform::ClearGlideRecords();
    ASSERT_TRUE(Frame()) << c.name;

    const auto depth = Calls("grDepthBufferFunction");
    ASSERT_EQ(depth.size(), 1u) << c.name;
    EXPECT_EQ(depth[0].args[0], GR_CMP_GREATER) << c.name;
    bool fogOn = false;
    for (const platform::GlideCall& m : Calls("grFogMode")) fogOn = fogOn || m.args[0] != GR_FOG_DISABLE;
    EXPECT_EQ(fogOn, c.fog) << c.name;
    bool screen = false;
    for (const platform::GlideCall& b : Calls("grAlphaBlendFunction")) {
      screen = screen || (b.args[0] == GR_BLEND_ONE_MINUS_DST_COLOR && b.args[1] == GR_BLEND_ONE_MINUS_SRC_COLOR);
    }
    EXPECT_EQ(screen, c.screenBlend) << c.name;

    // The strict comparison is never put back in a later frame.
    platform::ClearGlideRecords();
    ASSERT_TRUE(Frame()) << c.name;
    for (const platform::GlideCall& d : Calls("grDepthBufferFunction")) EXPECT_NE(d.args[0], GR_CMP_GEQUAL) << c.name;
    scene_.reset();
  }
}

TEST_F(RaceFrameTest, NarrowViewClearsFourStripsAndAFullOneNone) {
  // The backdrop clears inside the view in both cases; the strips are the
  // difference.
  std::size_t clears[2] = {};
  const float widths[2] = {320.0f, 639.0f};
  for (int i = 0; i < 2; ++i) {
    MakeScene(RACE_STATE_RACING);
    ASSERT_TRUE(scene_->RunFrame());  // the first frame restores the surfaces
    g_ViewWidth = widths[i];
    RaceScene::UpdateViewRect();
    platform::ClearGlideRecords();
    platform::AdvanceTime(10);
    ASSERT_TRUE(scene_->RunFrame());
    clears[i] = Calls("grBufferClear").size();
    EXPECT_EQ(Calls("grBufferSwap").size(), 1u);
    if (i == 0) {
      // The left strip, x 0..160 by y 120..360: the second clip, as each
      // clear puts the whole screen back after it.
      const auto clips = Calls("grClipWindow");
      ASSERT_GE(clips.size(), 3u);
      EXPECT_EQ(clips[2].args, (std::vector<double>{0, 120, 160, 360}));
    }
  }
  EXPECT_EQ(clears[0], clears[1] + 4);
}

TEST_F(RaceFrameTest, FollowsTheLeaderWhenTheFollowedRiderIsOut) {
  g_RaceType = 3;
  MakeScene(RACE_STATE_RACING);
  scene_->FollowRider(2);
  scene_->riders[2]->state = RIDER_OUT;
  scene_->riders[0]->racePosition = 3;
  scene_->riders[1]->racePosition = 1;
  scene_->FollowLeaderIfNeeded();
  EXPECT_EQ(scene_->followedRider, 1u);
  EXPECT_TRUE(scene_->riders[1]->IsFollowed());
  EXPECT_FALSE(scene_->riders[2]->IsFollowed());

  // In a session the camera stays on the player's rider while it waits in
  // the pits, and leaves it once it has given up.
  g_RaceType = 1;
  MakeScene(RACE_STATE_RACING);
  scene_->riders[0]->state = RIDER_OUT;
  scene_->FollowLeaderIfNeeded();
  EXPECT_EQ(scene_->followedRider, 0u);
  scene_->riders[0]->out = 1;
  scene_->FollowLeaderIfNeeded();
  EXPECT_EQ(scene_->followedRider, 1u);
}

TEST_F(RaceFrameTest, MotoEndsThroughItsActionReplay) {
  Put("DATA/KEEP", {});  // the recording goes beside it
  g_RaceType = 3;
  g_OptionReplay = 1;
  MakeScene(RACE_STATE_STARTING);
  for (std::uint8_t k = 0; k < 20; ++k) scene_->raceManager.gridOrder[k] = k;
  ASSERT_TRUE(Frame());
  scene_->SetState(RACE_STATE_RACING);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(Frame());
  scene_->riders[0]->out = 1;
  ASSERT_TRUE(Frame());
  EXPECT_EQ(scene_->GetState(), RACE_STATE_FINISHED);
  EXPECT_EQ(g_EndFadeStarted, 0) << "the replay that follows fades out itself";

  g_RaceClock = 2.5f;
  ASSERT_TRUE(Frame());
  EXPECT_TRUE(scene_->playback);
  EXPECT_EQ(scene_->GetState(), RACE_STATE_STARTING);
  EXPECT_EQ(scene_->cameraMode, CAMERA_TV);
  EXPECT_EQ(g_RaceOver, 0);
  EXPECT_EQ(scene_->replay.totalRecords, 6u) << "five racing frames and the finishing one";
  ASSERT_TRUE(std::filesystem::exists(Host("DATA/1.RPY")));

  // The replay runs its records, then the race ends as if it had not been.
  int frames = 0;
  while (std::filesystem::exists(Host("DATA/1.RPY")) && frames < 20) {
    ASSERT_TRUE(Frame());
    ++frames;
  }
  EXPECT_EQ(frames, 8) << "the start frame, six records and the end of the data";
  EXPECT_EQ(scene_->riders[0]->out, 1);
  EXPECT_EQ(scene_->riders[0]->replayDriven, 0);
}

// A course of 100 straight sections, all running along +z; enough for the
// window and the wrong-way tests, which read only the sections' directions.
void MakeStraightSections(Track* track) {
  track->sectionCount = 100;
  track->sections = std::make_unique<TrackSection[]>(100);
  for (int i = 0; i < 100; ++i) track->sections[i].direction = Vector3(0.0f, 0.0f, 1.0f);
}

TEST_F(RaceFrameTest, VisibleWindowSlidesWithTheCameraAndWraps) {
  MakeStraightSections(&scene_->track);
  scene_->viewDistance = 30;  // the near draw distance
  struct Case {
    const char* name;
    std::uint16_t section;
    Vector3 direction;
    std::uint16_t first, last;
  };
  const Case cases[] = {
      {"ahead", 50, Vector3(0.0f, 0.0f, 1.0f), 50, 79},
      {"back", 50, Vector3(0.0f, 0.0f, -1.0f), 21, 50},
      // d = 0: 50 - 29 + 0.625 x 29 x 0.8 = 35.5 and 50 + 14.5 = 64.5.
      {"across", 50, Vector3(1.0f, 0.0f, 0.0f), 35, 64},
      {"back over the line", 5, Vector3(0.0f, 0.0f, -1.0f), 76, 5},
      {"ahead over the line", 90, Vector3(0.0f, 0.0f, 1.0f), 90, 19},
  };
  for (const Case& c : cases) {
    g_Camera.sectionHint = c.section;
    g_Camera.viewDirection = c.direction;
    scene_->UpdateVisibleWindow();
    EXPECT_EQ(scene_->windowFirst, c.first) << c.name;
    EXPECT_EQ(scene_->windowLast, c.last) << c.name;
  }
}

TEST_F(RaceFrameTest, RidersAreDrawnInsideTheWindowAndCrashedOnesAlways) {
  MakeStraightSections(&scene_->track);
  scene_->windowFirst = 76;  // wrapped: 76..99 and 0..5
  scene_->windowLast = 5;
  struct Case {
    const char* name;
    std::uint16_t section;
    bool crashed;
    bool out;
    std::uint32_t camera;
    bool drawn;
    bool bodyDrawn;
  };
  const Case cases[] = {
      {"inside, before the line", 80, false, false, CAMERA_NEAR, true, true},
      {"inside, after the line", 3, false, false, CAMERA_NEAR, true, true},
      {"outside", 50, false, false, CAMERA_NEAR, false, false},
      {"crashed outside", 50, true, false, CAMERA_NEAR, true, true},
      {"out inside", 80, false, true, CAMERA_NEAR, false, false},
      // The chase cameras widen the body pass by a section at each end.
      {"next to the window, chase", 6, false, false, CAMERA_HELMET, false, true},
      {"next to the window, lagging", 75, false, false, CAMERA_BIKE, false, true},
      {"next to the window, near", 6, false, false, CAMERA_NEAR, false, false},
  };
  for (const Case& c : cases) {
    ::Rider* r = scene_->riders[2];
    r->physics.sectionHint = c.section;
    r->physics.crashed = c.crashed ? 1 : 0;
    r->state = c.out ? RIDER_OUT : RIDER_RACING;
    scene_->cameraMode = c.camera;
    EXPECT_EQ(scene_->RiderDrawn(2, false), c.drawn) << c.name;
    EXPECT_EQ(scene_->RiderDrawn(2, true), c.bodyDrawn) << c.name;
  }
  // With a track object every rider that is not out is drawn.
  scene_->trackObject = std::make_unique<Object3D>();
  scene_->riders[2]->physics.sectionHint = 50;
  scene_->riders[2]->state = RIDER_RACING;
  EXPECT_TRUE(scene_->RiderDrawn(2, false));
  EXPECT_FALSE(scene_->RiderDrawn(kRiders, false)) << "an empty slot";
}

TEST_F(RaceFrameTest, RidingTheWrongWayCountsAndBlinksTheWarning) {
  MakeStraightSections(&scene_->track);
  ::Rider* p = scene_->riders[0];
  // Facing -z on sections that run along +z.
  p->matrix.m[8] = 0.0f;
  p->matrix.m[10] = -1.0f;
  p->physics.sectionHint = 10;
  // A long frame counts as 50 ms.
  ASSERT_TRUE(Frame(100));
  EXPECT_FLOAT_EQ(p->wrongWayTime, 0.05f);
  EXPECT_FLOAT_EQ(g_WrongWayBlinkTime, 0.05f);
  EXPECT_TRUE(scene_->showWrongWay);
  // The warning shows for 4 s of every 8.
  g_WrongWayBlinkTime = 3.99f;
  ASSERT_TRUE(Frame(20));
  EXPECT_FALSE(scene_->showWrongWay);
  g_WrongWayBlinkTime = 7.99f;
  ASSERT_TRUE(Frame(20));
  EXPECT_EQ(g_WrongWayBlinkTime, 0.0f);
  ASSERT_TRUE(Frame(20));
  EXPECT_TRUE(scene_->showWrongWay);
  // Not while the TV camera shows the race, though the time still counts.
  scene_->cameraMode = CAMERA_TV;
  const float before = p->wrongWayTime;
  ASSERT_TRUE(Frame(20));
  EXPECT_FALSE(scene_->showWrongWay);
  EXPECT_FLOAT_EQ(p->wrongWayTime, before + 0.02f);
  // Turned round, or crashed, the count starts again.
  p->matrix.m[10] = 1.0f;
  ASSERT_TRUE(Frame(20));
  EXPECT_EQ(p->wrongWayTime, 0.0f);
  EXPECT_EQ(g_WrongWayBlinkTime, 0.0f);
  p->matrix.m[10] = -1.0f;
  p->physics.crashed = 1;
  ASSERT_TRUE(Frame(20));
  EXPECT_EQ(p->wrongWayTime, 0.0f);
}

}  // namespace
