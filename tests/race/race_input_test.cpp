// The race's keys, pause dialog, pit stop and end, on a race scene whose
// riders are placed by hand (no race file loaded).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "engine/camera.h"
#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/mixer.h"
#include "engine/program_objects.h"
#include "engine/services/front_end.h"
#include "platform/mixer/mixer.h"
#include "platform/win32/window.h"
#include "race/race/race_scene.h"
#include "riders/rider.h"
#include "riders/rider_physics.h"
#include "tests/race/race_doubles.h"
#include "tests/race/racing_field.h"
#include "tests/render_glide/glide_fixture.h"
#include "tests/support/null_front_end.h"
#include "ui/dialog.h"

namespace {

class StubRider : public Rider {
 public:
  void ComputeControls() override {}
  void SetupAi() override {}
};

class TestScene : public RaceScene {
 public:
  void SetState(std::uint32_t s) { state_ = s; }
  bool TakesMouse() { return AcceptsMouse(); }
};

class EndFrontEnd : public kelvtest::NullFrontEnd {
 public:
  void Command(std::uint32_t id, std::uint32_t a1, std::uint32_t, const char*) override {
    commands.push_back({id, a1});
  }
  std::uint8_t GetFlag(SessionFlag f) override { return flags[f]; }
  void SetFlag(SessionFlag f, std::uint8_t v) override { flags[f] = v; }
  void AwardMotoPoints(bool championship) override { awards.push_back(championship); }
  void ResetSeries(bool championship) override { resets.push_back(championship); }
  std::int32_t CurrentRound() override { return round; }
  bool RollRoundWeather(std::uint16_t* weather) override {
    ++rolls;
    *weather = 1;
    return rollChanges;
  }
  void GetLapRecord(bool, std::uint8_t out[16]) override { std::memcpy(out, &record, 16); }
  void SaveLapRecord(bool, const std::uint8_t in[16]) override {
    RaceTime r;
    std::memcpy(&r, in, 16);
    saved.push_back(r.totalMs);
  }
  std::uint16_t CurrentSceneNumber(bool) override { return 42; }
  void RaiseSceneChange() override { ++sceneChanges; }

  std::vector<std::pair<std::uint32_t, std::uint32_t>> commands;
  std::uint8_t flags[8] = {};
  std::vector<bool> awards;
  std::vector<bool> resets;
  std::int32_t round = 0;
  bool rollChanges = true;
  int rolls = 0;
  RaceTime record;
  std::vector<std::uint32_t> saved;
  int sceneChanges = 0;
};

class EndNetGame : public kelvtest::RecordingNetGame {
 public:
  void SendResults() override { ++results; }
  void EnableJoining() override { ++joining; }
  void LeaveSession() override { ++left; }
  int results = 0;
  int joining = 0;
  int left = 0;
};

using Go = std::pair<std::uint32_t, std::uint32_t>;

class RaceInputTest : public kelvtest::GlideTest {
 protected:
  static constexpr int kRiders = 4;

  void SetUp() override {
    GlideTest::SetUp();
    ASSERT_TRUE(OpenAt(640, 480));
    saved_ = {g_RaceType, g_GameMode, g_RiderCount, g_RaceLengthMinutes, g_FrameTime, g_CameraType, g_OptionWeather};
    InstallFrontEndServices(&frontEnd_);
    InstallNetGame(&net_);
    InstallEventServices(&event_);
    g_GameMode = GAME_MODE_SINGLE_RACE;
    g_RiderCount = kRiders;
    g_RaceType = 0;
    g_RaceLengthMinutes = 2;
    g_CameraType = CAMERA_HELMET;
    g_PitTimerMs = 0;
    g_EndFadeStarted = 0;
    g_NetOpponentsGone = 0;
    MakeScene();
    g_RaceType = 1;
  }
  void TearDown() override {
    scene_.reset();
    InstallFrontEndServices(nullptr);
    InstallNetGame(nullptr);
    InstallEventServices(nullptr);
    g_RaceType = saved_.raceType;
    g_GameMode = saved_.gameMode;
    g_RiderCount = saved_.riders;
    g_RaceLengthMinutes = saved_.minutes;
    g_FrameTime = saved_.frameTime;
    g_CameraType = saved_.cameraType;
    g_OptionWeather = saved_.weather;
    g_PitTimerMs = 0;
    g_EndFadeStarted = 0;
    g_NetOpponentsGone = 0;
    GlideTest::TearDown();
  }

  // Four riders placed 1st to 4th in slot order, racing, the player's rider
  // followed; the race running.
  void MakeScene() {
    scene_.reset();
    scene_ = std::make_unique<TestScene>();
    kelvtest::FillRacingField<StubRider>(scene_.get(), kRiders);
    scene_->SetState(RACE_STATE_RACING);
  }
  Rider* Player() { return scene_->riders[0]; }
  void Down(UINT key) { scene_->OnKey(WM_KEYDOWN, key, 0); }
  void Up(UINT key) { scene_->OnKey(WM_KEYUP, key, 0); }
  void Follow(std::uint32_t i) {
    scene_->riders[scene_->followedRider]->ClearFollowed();
    scene_->followedRider = i;
    scene_->riders[i]->SetFollowed();
  }

  EndFrontEnd frontEnd_;
  EndNetGame net_;
  kelvtest::RecordingEvent event_;
  std::unique_ptr<TestScene> scene_;
  struct {
    std::uint8_t raceType, gameMode;
    std::uint32_t riders;
    std::uint16_t minutes;
    float frameTime;
    std::uint32_t cameraType;
    std::uint8_t weather;
  } saved_{};
};

TEST_F(RaceInputTest, ViewSizeKeysStopAtTheirLimitsInEveryState) {
  struct Case {
    std::uint32_t state;
    float start;
    UINT key;
    int presses;
    float want;
  };
  const Case cases[] = {
      {RACE_STATE_RACING, 180.0f, VK_NEXT, 3, 160.0f},
      {RACE_STATE_PAUSED, 600.0f, VK_PRIOR, 5, 639.0f},
      {RACE_STATE_STARTING, 400.0f, VK_PRIOR, 1, 410.0f},
      {RACE_STATE_INTRO, 400.0f, VK_NEXT, 1, 390.0f},
  };
  for (const Case& c : cases) {
    scene_->SetState(c.state);
    g_ViewWidth = c.start;
    for (int i = 0; i < c.presses; ++i) Down(c.key);
    EXPECT_EQ(g_ViewWidth, c.want) << c.start;
  }
  // The smallest view, 160 x 120, centred as the frame centres it.
  g_ViewWidth = 170.0f;
  Down(VK_NEXT);
  Down(VK_NEXT);
  EXPECT_EQ(g_ViewHeight, 120.0f);
  EXPECT_EQ(g_ViewRect.left, 240.0f);
  EXPECT_EQ(g_ViewRect.right, 400.0f);
  EXPECT_EQ(g_ViewRect.top, 180.0f);
  EXPECT_EQ(g_ViewRect.bottom, 300.0f);
  // The widest: the height stops at the screen's.
  Down(VK_PRIOR);
  g_ViewWidth = 639.0f;
  Down(VK_PRIOR);
  EXPECT_EQ(g_ViewHeight, 479.0f);
  EXPECT_EQ(g_ViewRect.left, 0.0f);
  EXPECT_EQ(g_ViewRect.right, 639.0f);
  EXPECT_EQ(g_ViewRect.bottom, 479.0f);
}

TEST_F(RaceInputTest, PitStopKeyWorksOnlyForTheFollowedPlayerRacingInASession) {
  struct Case {
    const char* name;
    void (*set)(TestScene*);
  };
  const Case ignored[] = {
      {"pit timer running", [](TestScene*) { g_PitTimerMs = 5000; }},
      {"moto", [](TestScene*) { g_RaceType = 3; }},
      {"intro", [](TestScene* s) { s->SetState(RACE_STATE_INTRO); }},
      {"another rider followed", [](TestScene* s) { s->followedRider = 2; }},
  };
  for (const Case& c : ignored) {
    MakeScene();
    g_RaceType = 1;
    g_PitTimerMs = 0;
    c.set(scene_.get());
    Up(VK_F1);
    EXPECT_EQ(Player()->started, 1) << c.name;
  }
  MakeScene();
  g_RaceType = 2;
  g_PitTimerMs = 0;
  Player()->raceTime.totalMs = 30000;
  Up(VK_F1);
  EXPECT_EQ(Player()->started, 0);
  EXPECT_FLOAT_EQ(Player()->trackTime, 30.0f);
  // In the pits (the pit-stop step took it off): F1 brings it back.
  Player()->state = RIDER_OUT;
  Up(VK_F1);
  EXPECT_EQ(Player()->state, RIDER_RACING);
  EXPECT_EQ(Player()->started, 1);
  // A retired rider stays out.
  Player()->state = RIDER_OUT;
  Player()->out = 1;
  Up(VK_F1);
  EXPECT_EQ(Player()->state, RIDER_OUT);
}

TEST_F(RaceInputTest, FollowKeysStepThroughThePlacesAndWrap) {
  g_RaceType = 3;
  scene_->riders[1]->state = RIDER_OUT;  // not a choice
  struct Step {
    UINT key;
    std::uint32_t want;
  };
  const Step steps[] = {
      {VK_F6, 2}, {VK_F6, 3}, {VK_F6, 0},  // past the last: the leader
      {VK_F5, 3},                          // before the first: the last
      {VK_F5, 2}, {VK_F5, 0},              // the rider out is passed over
  };
  for (const Step& s : steps) {
    const std::uint32_t before = scene_->followedRider;
    Down(s.key);
    EXPECT_EQ(scene_->followedRider, s.want) << before;
    EXPECT_EQ(scene_->riders[s.want]->followed, 1) << before;
    EXPECT_EQ(scene_->riders[before]->followed, 0) << before;
  }
  // Not in the intro.
  scene_->SetState(RACE_STATE_INTRO);
  Down(VK_F6);
  EXPECT_EQ(scene_->followedRider, 0u);
}

TEST_F(RaceInputTest, FollowKeysInASessionCountFromThePlayerInThePits) {
  g_RaceType = 1;
  g_CameraType = CAMERA_FAR;
  Player()->state = RIDER_OUT;
  Down(VK_F6);
  EXPECT_EQ(scene_->followedRider, 1u);
  EXPECT_EQ(scene_->cameraMode, CAMERA_FAR);
  // From the player's first place there is no better one: the last.
  Down(VK_F5);
  EXPECT_EQ(scene_->followedRider, 3u);
}

TEST_F(RaceInputTest, LookBackStaysAsItWasForThePlayerInThePits) {
  Down(VK_SHIFT);
  EXPECT_TRUE(scene_->lookBack);
  Up(VK_SHIFT);
  EXPECT_FALSE(scene_->lookBack);
  // In the pits and watched: neither pressing nor releasing changes it.
  Player()->state = RIDER_OUT;
  Down(VK_SHIFT);
  EXPECT_FALSE(scene_->lookBack);
  scene_->lookBack = true;
  Up(VK_SHIFT);
  EXPECT_TRUE(scene_->lookBack);
}

TEST_F(RaceInputTest, CameraKeysCycleThePlayersModesAndSnap) {
  g_Camera.snap = 0;
  Down(VK_F7);
  EXPECT_EQ(scene_->cameraMode, CAMERA_TV);
  EXPECT_EQ(g_CameraType, CAMERA_TV);
  EXPECT_EQ(g_Camera.snap, 1);
  EXPECT_TRUE(scene_->cameraPanelShown);
  EXPECT_FALSE(scene_->cameraPanelVisible);
  EXPECT_EQ(scene_->cameraPanelTime, 0.0f);
  Down(VK_F8);
  EXPECT_EQ(scene_->cameraMode, CAMERA_HELMET);
  for (int i = 0; i < 12; ++i) {
    Down(i % 3 ? VK_F8 : VK_F7);
    EXPECT_LE(scene_->cameraMode, CAMERA_TV);
  }
  struct Case {
    const char* name;
    std::uint32_t mode;
    bool playback;
  };
  const Case unchanged[] = {
      {"scripted", CAMERA_SCRIPTED, false},
      {"intro camera", CAMERA_FIXED, false},
      {"playback", CAMERA_NEAR, true},
  };
  for (const Case& c : unchanged) {
    scene_->cameraMode = c.mode;
    scene_->playback = c.playback;
    Down(VK_F8);
    EXPECT_EQ(scene_->cameraMode, c.mode) << c.name;
  }
}

TEST_F(RaceInputTest, EscapePausesAndResumesButNotDuringTheFinalFade) {
  Dialog& pause = g_Dialogs[0];
  Up(VK_ESCAPE);
  EXPECT_EQ(scene_->GetState(), RACE_STATE_PAUSED);
  EXPECT_EQ(scene_->stateBeforePause, RACE_STATE_RACING);
  EXPECT_EQ(pause.mode, 1);
  EXPECT_EQ(pause.active, 1);
  EXPECT_TRUE(scene_->TakesMouse());
  Up(VK_ESCAPE);
  EXPECT_EQ(scene_->GetState(), RACE_STATE_RACING);
  EXPECT_EQ(pause.mode, 0);
  EXPECT_EQ(pause.active, 0);
  EXPECT_FALSE(scene_->TakesMouse());

  g_EndFadeStarted = 1;
  Up(VK_ESCAPE);
  EXPECT_EQ(scene_->GetState(), RACE_STATE_RACING);
  EXPECT_EQ(pause.active, 0);
  g_EndFadeStarted = 0;

  scene_->SetState(RACE_STATE_INTRO);
  Up(VK_ESCAPE);
  EXPECT_TRUE(scene_->introSkipRequested);
  scene_->SetState(RACE_STATE_FINISHED);
  Up(VK_ESCAPE);
  EXPECT_EQ(scene_->GetState(), RACE_STATE_FINISHED);

  // The action replay pauses with dialog 4, and a fade resumes only it.
  Dialog& replay = g_Dialogs[4];
  scene_->playback = true;
  scene_->SetState(RACE_STATE_RACING);
  Up(VK_ESCAPE);
  EXPECT_EQ(scene_->GetState(), RACE_STATE_PAUSED);
  EXPECT_EQ(replay.active, 1);
  EXPECT_EQ(pause.active, 0);
  replay.active = 0;
  g_EndFadeStarted = 1;
  Up(VK_ESCAPE);
  EXPECT_EQ(scene_->GetState(), RACE_STATE_PAUSED);
  replay.active = 1;
  Up(VK_ESCAPE);
  EXPECT_EQ(scene_->GetState(), RACE_STATE_RACING);
  EXPECT_EQ(replay.mode, 0);
}

TEST_F(RaceInputTest, PauseDialogShowsTheOptionsAndTheMixerVolumes) {
  platform::UseTestMixer(true);
  platform::SetTestMixerPresent(true);
  GetProgramObject(PROGRAM_OBJECT_MIXER).construct();
  ASSERT_TRUE(g_Mixer.Open());
  Dialog& d = g_Dialogs[0];
  d.sliders.items = std::make_unique<Slider[]>(2);
  d.sliders.count = 2;
  for (std::uint16_t i = 0; i < 2; ++i) {
    d.sliders[i].itemCount = 11;
    d.sliders[i].items = std::make_unique<char[]>(SLIDER_ITEM_SIZE * 11);
  }
  d.buttons.items = std::make_unique<Button[]>(5);
  d.buttons.count = 5;
  for (std::uint16_t i = 0; i < 5; ++i) d.buttons[i].toggle = 1;

  struct Case {
    int cd, digital, aux, wave;
    int music, effects;
  };
  const Case cases[] = {
      {50, 30, 20, 40, 5, 4},
      {50, 80, 90, 100, 8, 10},  // the digital line wins; the aux line is not looked at
      {50, 30, 70, 0, 7, 0},     // the aux line only when the digital one is not larger
      {0, 0, 0, 60, 0, 6},
  };
  for (const Case& c : cases) {
    g_Mixer.Line(MIXER_LINE_CD)->SetVolume(c.cd);
    g_Mixer.Line(MIXER_LINE_DIGITAL)->SetVolume(c.digital);
    g_Mixer.Line(MIXER_LINE_AUX)->SetVolume(c.aux);
    g_Mixer.Line(MIXER_LINE_WAVE)->SetVolume(c.wave);
    Up(VK_ESCAPE);
    EXPECT_EQ(d.sliders[0].value, c.music) << c.cd << " " << c.digital << " " << c.aux;
    EXPECT_EQ(d.sliders[1].value, c.effects) << c.wave;
    Up(VK_ESCAPE);
  }

  const std::uint8_t replayOption = g_OptionReplay;
  const std::uint8_t ffOption = g_OptionFFEnable;
  g_OptionReplay = 1;
  g_OptionFFEnable = 0;
  Up(VK_ESCAPE);
  EXPECT_EQ(d.buttons[3].toggleState, 1);
  EXPECT_EQ(d.buttons[4].toggleState, 0);
  Up(VK_ESCAPE);
  g_RaceType = 3;
  d.buttons[3].toggleState = 0;
  g_OptionReplay = 0;
  g_OptionFFEnable = 1;
  Up(VK_ESCAPE);
  EXPECT_EQ(d.buttons[2].toggleState, 0);
  EXPECT_EQ(d.buttons[3].toggleState, 1);
  g_OptionReplay = replayOption;
  g_OptionFFEnable = ffOption;

  g_Mixer.Close();
  GetProgramObject(PROGRAM_OBJECT_MIXER).exitHandler();
  platform::UseTestMixer(false);
}

TEST_F(RaceInputTest, PitTimerWithdrawsAfterFiveSecondsAndRejoinsUnderOneSecondLeft) {
  for (std::uint8_t mode : {GAME_MODE_SINGLE_RACE, GAME_MODE_MULTIPLAYER}) {
    MakeScene();
    g_GameMode = mode;
    g_RaceType = 1;
    net_.signals.clear();
    g_CameraType = CAMERA_MEDIUM;
    g_FrameTime = 0.5f;
    g_PitTimerMs = 24000;  // two minutes' session
    while (g_PitTimerMs > 19000) scene_->UpdatePitTimer();
    EXPECT_EQ(Player()->started, 1);
    scene_->UpdatePitTimer();
    EXPECT_EQ(Player()->started, 0);
    EXPECT_EQ(g_PitTimerMs, 18500u);
    const std::uint16_t digits[5] = {0, 50, 18, 0, 0};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(g_PitTimerDigits[i], digits[i]) << i;
    // The pit-stop step takes the rider off; the camera goes elsewhere.
    Player()->state = RIDER_OUT;
    Follow(2);
    while (g_PitTimerMs > 1000) scene_->UpdatePitTimer();
    EXPECT_EQ(Player()->state, RIDER_OUT);
    scene_->UpdatePitTimer();
    EXPECT_EQ(g_PitTimerMs, 0u);
    EXPECT_EQ(Player()->state, RIDER_RACING);
    EXPECT_EQ(scene_->followedRider, 0u);
    EXPECT_EQ(scene_->riders[2]->followed, 0);
    EXPECT_EQ(scene_->cameraMode, CAMERA_MEDIUM);
    const std::vector<std::uint32_t> signals =
        mode == GAME_MODE_MULTIPLAYER ? std::vector<std::uint32_t>{NET_MSG_RIDER_OUT, NET_MSG_RIDER_BACK}
                                      : std::vector<std::uint32_t>{};
    EXPECT_EQ(net_.signals, signals);
  }
}

TEST_F(RaceInputTest, GarageLeavesARunningSessionButNotOneWhoseTimeIsUp) {
  g_RaceType = 1;
  scene_->raceManager.clock.totalMs = 120000;
  g_Dialogs[2].mode = 2;
  scene_->EndRace();
  EXPECT_EQ(frontEnd_.commands, (std::vector<Go>{{CMD_GO_TO_SCENE, 12}}));
  EXPECT_EQ(frontEnd_.sceneChanges, 1);
  EXPECT_EQ(g_RaceType, 1);
  EXPECT_EQ(g_Dialogs[2].mode, 0);
  EXPECT_EQ(Player()->out, 1);  // no lap: classified as done

  MakeScene();
  frontEnd_.commands.clear();
  g_RaceType = 2;
  scene_->raceManager.clock.totalMs = 60000;
  scene_->riders[3]->racePosition = 7;
  g_Dialogs[2].mode = 2;
  scene_->EndRace();
  EXPECT_EQ(frontEnd_.commands, (std::vector<Go>{{CMD_GO_TO_SCENE, 5}}));
  EXPECT_EQ(g_RaceType, 6);
  EXPECT_EQ(frontEnd_.flags[FrontEndServices::FLAG_PREVIOUS_RACE_TYPE], 2);
  EXPECT_EQ(g_SavedRaceClock.totalMs, 60000u);
  EXPECT_EQ(g_RiderSnapshots[3].racePosition, 7);
  EXPECT_EQ(Player()->out, 0);
}

TEST_F(RaceInputTest, RestartRestoresTheBikeAndTheNextRaceChargesNoFee) {
  g_GameMode = GAME_MODE_CHAMPIONSHIP;
  g_RaceType = 3;
  float* conditions[5] = {g_ConditionEngine, g_ConditionWheels, g_ConditionSuspension, g_ConditionBrakes,
                          g_ConditionGearbox};
  for (int i = 0; i < 5; ++i) {
    scene_->conditionAtStart[i] = 0.9f - 0.1f * static_cast<float>(i);
    conditions[i][0] = 0.2f;
  }
  g_Dialogs[3].mode = 2;
  scene_->EndRace();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(conditions[i][0], scene_->conditionAtStart[i]) << i;
  EXPECT_EQ(g_RaceType, 5);
  EXPECT_EQ(frontEnd_.flags[FrontEndServices::FLAG_PREVIOUS_RACE_TYPE], 3);
  EXPECT_EQ(frontEnd_.commands, (std::vector<Go>{{CMD_GO_TO_SCENE, 42}}));
  EXPECT_TRUE(frontEnd_.awards.empty());

  scene_.reset();
  frontEnd_.commands.clear();
  RaceScene next;
  EXPECT_EQ(g_RaceType, 3);
  EXPECT_TRUE(frontEnd_.commands.empty());
  EXPECT_FLOAT_EQ(g_ConditionEngine[0], 0.9f);
}

TEST_F(RaceInputTest, AcceptingTheResultMarksAPlayerWithoutALapDone) {
  struct Case {
    std::uint8_t mode, type;
    std::uint32_t bestLap;
    std::uint8_t out;
    std::uint32_t scene;
    std::vector<bool> awards;
  };
  const Case cases[] = {
      {GAME_MODE_SINGLE_RACE, 1, 0, 1, 12, {}},
      {GAME_MODE_SINGLE_RACE, 2, 65000, 0, 13, {}},
      {GAME_MODE_SINGLE_RACE, 3, 65000, 1, 11, {false}},
      {GAME_MODE_CHAMPIONSHIP, 4, 0, 1, 11, {true}},
  };
  for (const Case& c : cases) {
    MakeScene();
    frontEnd_.commands.clear();
    frontEnd_.awards.clear();
    g_GameMode = c.mode;
    g_RaceType = c.type;
    Player()->bestLap.totalMs = c.bestLap;
    g_Dialogs[1].mode = 2;
    scene_->EndRace();
    EXPECT_EQ(Player()->out, c.out) << int(c.type);
    EXPECT_EQ(frontEnd_.commands, (std::vector<Go>{{CMD_GO_TO_SCENE, c.scene}})) << int(c.type);
    EXPECT_EQ(frontEnd_.awards, c.awards) << int(c.type);
  }
}

TEST_F(RaceInputTest, NetworkRaceWithEveryOpponentGoneLeavesWithoutPoints) {
  g_GameMode = GAME_MODE_MULTIPLAYER;
  g_RaceType = 3;
  net_.isHost = 1;
  g_NetOpponentsGone = 1;
  scene_->EndRace();
  EXPECT_TRUE(frontEnd_.awards.empty());
  EXPECT_EQ(frontEnd_.resets.size(), 1u);
  EXPECT_EQ(net_.joining, 1);
  EXPECT_EQ(net_.left, 1);
  EXPECT_EQ(net_.results, 0);
  EXPECT_EQ(frontEnd_.flags[FrontEndServices::FLAG_WEATHER_ROLLED], 0);
  EXPECT_EQ(frontEnd_.commands, (std::vector<Go>{{CMD_GO_TO_SCENE, 15}}));
  EXPECT_EQ(frontEnd_.sceneChanges, 1);
}

TEST_F(RaceInputTest, NetworkChampionshipHostRollsTheNextWeather) {
  struct Case {
    const char* name;
    std::int32_t round;
    std::uint8_t weatherOption;
    bool changes;
    std::uint8_t type;
    bool sent;
  };
  const Case cases[] = {
      {"changed", 3, 1, true, 3, true},   {"same weather", 3, 1, false, 3, false},
      {"last round", 9, 1, true, 3, false}, {"option off", 3, 0, true, 3, false},
      {"second moto", 3, 1, true, 4, false},
  };
  for (const Case& c : cases) {
    MakeScene();
    net_.values.clear();
    net_.results = 0;
    frontEnd_.commands.clear();
    frontEnd_.flags[FrontEndServices::FLAG_WEATHER_CHANGED] = 1;
    frontEnd_.flags[FrontEndServices::FLAG_WEATHER_ROLLED] = 0;
    frontEnd_.flags[FrontEndServices::FLAG_NET_CHAMPIONSHIP] = 1;
    frontEnd_.round = c.round;
    frontEnd_.rollChanges = c.changes;
    g_OptionWeather = c.weatherOption;
    g_GameMode = GAME_MODE_MULTIPLAYER;
    g_RaceType = c.type;
    net_.isHost = 1;
    scene_->EndRace();
    EXPECT_EQ(frontEnd_.flags[FrontEndServices::FLAG_WEATHER_ROLLED], 1) << c.name;
    // A second moto keeps the flag as it was; otherwise it tells.
    const std::uint8_t changed = c.type == 4 ? 1 : c.sent ? 1 : 0;
    EXPECT_EQ(frontEnd_.flags[FrontEndServices::FLAG_WEATHER_CHANGED], changed) << c.name;
    ASSERT_EQ(net_.values.size(), c.sent ? 1u : 0u) << c.name;
    if (c.sent) {
      EXPECT_EQ(net_.values[0].type, NET_MSG_EVENT_OPTION);
      EXPECT_EQ(net_.values[0].value, 1u);
    }
    EXPECT_EQ(net_.results, 1) << c.name;
    EXPECT_EQ(frontEnd_.commands, (std::vector<Go>{{CMD_GO_TO_SCENE, 11}})) << c.name;
  }
  EXPECT_EQ(frontEnd_.awards, std::vector<bool>(5, true));
}

TEST_F(RaceInputTest, LapRecordSkipsRetiredRidersAndFollowsTheRecordSoFar) {
  struct Case {
    std::uint32_t record;
    std::uint32_t best[kRiders];
    std::uint8_t out[kRiders];
    std::vector<std::uint32_t> saved;
  };
  const Case cases[] = {
      {70000, {0, 61000, 62000, 63000}, {0, 1, 0, 0}, {62000}},
      {0, {0, 61000, 62000, 60000}, {0, 1, 0, 0}, {62000, 60000}},
      {50000, {55000, 0, 62000, 60000}, {0, 0, 0, 0}, {}},
  };
  for (const Case& c : cases) {
    frontEnd_.saved.clear();
    frontEnd_.record.totalMs = c.record;
    for (int i = 0; i < kRiders; ++i) {
      scene_->riders[i]->bestLap.totalMs = c.best[i];
      scene_->riders[i]->out = c.out[i];
    }
    scene_->SaveBestLap();
    EXPECT_EQ(frontEnd_.saved, c.saved) << c.record;
  }
}

}  // namespace
