// The race's frame step: timing, the race states, the end of the race, the
// simulation, the camera and the world. The drawing is race_render.cpp.
#include <cmath>

#include "engine/cd_audio.h"
#include "engine/cursor.h"
#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/services/front_end.h"
#include "engine/services/net_game.h"
#include "engine/sound_sample.h"
#include "engine/system.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/timer.h"
#include "race/race/race_scene.h"
#include "riders/player_rider.h"
#include "ui/dialog.h"

float g_RaceClock = 0.0f;
bool g_RaceClockResetRequest = false;
std::uint8_t g_EndFadeStarted = 0;
std::uint8_t g_RaceFadingOut = 0;
float g_WrongWayBlinkTime = 0.0f;
float g_StartRaceTimer = 0.0f;
float g_ReplayMarkTime = 0.0f;
std::uint32_t g_ListenerCommitCounter = 0;

namespace {

constexpr std::uint8_t RACE_TYPE_PRACTICE = 1;
constexpr std::uint8_t RACE_TYPE_QUALIFYING = 2;
constexpr std::uint8_t RACE_TYPE_MOTO_1 = 3;
constexpr std::uint8_t RACE_TYPE_MOTO_2 = 4;
constexpr std::uint8_t RACE_TYPE_RESUME = 6;
constexpr std::uint32_t REACTIVATED_FRAME_MS = 50;
constexpr float FORTY_DEGREES = 0.6981317f;
constexpr float INTRO_CUT_FROM = 4.0f;
constexpr float INTRO_SKIP_UNTIL = 10.0f;
constexpr float INTRO_RESUME_AT = 10.1f;
constexpr float INTRO_END = 15.5f;
constexpr float HOST_START_DELAY = 5.0f;
constexpr float END_WAIT = 2.0f;
constexpr float FADE_SECONDS = 2.0f;
constexpr float WRONG_WAY_LIMIT = 10.0f;
constexpr float BLOCKING_LIMIT = 3.0f;
constexpr float NET_FINISH_LIMIT = 300.0f;
constexpr float WRONG_WAY_SHOWN = 4.0f;
constexpr float WRONG_WAY_PERIOD = 8.0f;
constexpr unsigned PANEL_FADE_MS = 500;
constexpr float PANEL_SHOWN = 1.5f;

// Near and far fog distances per weather code: clear, rain, fog, fog with
// far visibility.
constexpr float FOG_RANGE[4][2] = {{0.0f, 500.0f}, {-50.0f, 150.0f}, {-50.0f, 50.0f}, {-150.0f, 150.0f}};

bool Session() { return g_RaceType == RACE_TYPE_PRACTICE || g_RaceType == RACE_TYPE_QUALIFYING; }
bool Moto() { return g_RaceType == RACE_TYPE_MOTO_1 || g_RaceType == RACE_TYPE_MOTO_2; }
bool Network() { return g_GameMode == GAME_MODE_MULTIPLAYER; }

Dialog* RaceDialog(std::uint16_t i) { return g_Dialogs && i < g_DialogCount ? &g_Dialogs[i] : nullptr; }
bool DialogMode(std::uint16_t i, std::uint16_t mode) {
  const Dialog* d = RaceDialog(i);
  return d && d->mode == mode;
}

Vector3 Forward(const RiderCameraData& d) { return Vector3(d.matrix.m[8], d.matrix.m[9], d.matrix.m[10]); }

void HideCameraPanel() { g_CameraPanelHideRequest = true; }
void HideHelpPanel() { g_HelpPanelHideRequest = true; }

// A HUD panel shown on a key: faded in, held 1.5 s, faded out, then hidden
// through its hide request.
void StepPanel(Panel& panel, bool& shown, bool& fadedIn, float& time, bool& hideRequest, void (*hide)()) {
  if (shown) {
    if (time == 0.0f) {
      panel.SetAlpha(0.0f);
      panel.StartFade(1.0f, PANEL_FADE_MS, nullptr);
      fadedIn = true;
    }
    if (time > PANEL_SHOWN && fadedIn) {
      panel.StartFade(0.0f, PANEL_FADE_MS, hide);
      fadedIn = false;
    }
    panel.Update(static_cast<unsigned>(g_FrameTime * 1000.0f), 0);
    time += g_FrameTime;
  }
  if (hideRequest) {
    time = 0.0f;
    shown = false;
    hideRequest = false;
  }
}

}  // namespace

bool RaceScene::RunFrame() {
  if (restore_) {
    if (RestoreSurfaces()) {
      g_RestoreFailureCount = 0;
      return true;
    }
    if (++g_RestoreFailureCount > MAX_RESTORE_FAILURES) {
      ShowMessageBox(
          "Error: Unable to restore rendering surfaces. Aborting program execution.\n"
          "Please check you have the latest version of your display driver.",
          MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
      return false;
    }
    return true;
  }
  g_Renderer.statistics = {};
  if (g_ViewWidth < static_cast<float>(g_ScreenWidth) - 1.0f) {
    const int w = static_cast<int>(g_ScreenWidth);
    const int h = static_cast<int>(g_ScreenHeight);
    const int left = static_cast<int>(g_ViewRect.left);
    const int right = static_cast<int>(g_ViewRect.right);
    const int top = static_cast<int>(g_ViewRect.top);
    const int bottom = static_cast<int>(g_ViewRect.bottom);
    g_Renderer.clearRed = g_Renderer.clearGreen = g_Renderer.clearBlue = 0.0f;
    g_Renderer.ClearRect(0, 0, w, top, false);
    g_Renderer.ClearRect(0, top, left, bottom, false);
    g_Renderer.ClearRect(right, top, w, bottom, false);
    g_Renderer.ClearRect(0, bottom, w, h, false);
  }
  if (!RenderScene()) {
    ShowMessageBox("Error: RenderScene failed.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  if (g_ShowFrameStats) {
    CollectStats();
    DrawStats();
  }
  switch (g_Renderer.Present()) {
    case PresentResult::SHOWN:
      return true;
    case PresentResult::SURFACE_LOST:
      RequestRestore();
      return true;
    case PresentResult::FAILED:
      break;
  }
  return false;
}

bool RaceScene::RenderScene() {
  // Time.
  const std::uint32_t now = timeGetTime();
  if (deactivated && reactivated) {
    previousTimeMs = now - REACTIVATED_FRAME_MS;
    deactivated = 0;
    reactivated = 0;
  }
  std::uint32_t dt = now - previousTimeMs;
  previousTimeMs = now;
  SetFrameTime(dt);
  if (g_RaceClockResetRequest) {
    dt = 0;
    g_RaceClock = 0.0f;
    g_RaceClockResetRequest = false;
  }
  if (state_ != RACE_STATE_PAUSED) g_RaceClock += g_FrameTime;

  // The starting frame(s) draw nothing.
  if (state_ == RACE_STATE_STARTING) return StartRace();

  Rider* player = riders[0];
  const bool network = Network();

  // Intro shortcuts.
  if (state_ == RACE_STATE_INTRO && !network) {
    if (Session()) {
      if (g_RaceClock >= INTRO_CUT_FROM && g_RaceClock <= INTRO_SKIP_UNTIL) g_RaceClock = INTRO_RESUME_AT;
    } else if (introSkipRequested && g_RaceClock <= INTRO_SKIP_UNTIL) {
      g_RaceClock = INTRO_RESUME_AT;
      raceManager.SkipIntro();
      introSkipRequested = false;
    }
  }

  // The network finish wait.
  if (network && player) {
    bool someoneOver = waitTime > 0.0f;
    for (std::uint32_t i = 0; i < 20 && !someoneOver; ++i) {
      if (raceManager.Present(i) && riders[i] && riders[i]->out == 0 && riders[i]->IsRaceOver()) someoneOver = true;
    }
    if (someoneOver && !player->physics.crashed) waitTime += g_FrameTime;
  }

  FollowLeaderIfNeeded();

  // Intro: the start, and the hand-over to the player's camera.
  if (state_ == RACE_STATE_INTRO) {
    if (network && g_NetGame->isHost && g_FrontEnd &&
        g_NetGame->introDoneCount + 1 >= g_FrontEnd->NetPlayerCount()) {
      g_StartRaceTimer += g_FrameTime;
      if (g_StartRaceTimer > HOST_START_DELAY && !g_NetGame->startReceived) {
        g_NetGame->SendSignal(NET_MSG_START_RACE);
        g_NetGame->startReceived = 1;
      }
    }
    if (network ? g_NetGame->startReceived != 0 : g_RaceClock > INTRO_END) {
      raceManager.EnableFlagOverlay(cameraMode != CAMERA_TV && cameraMode != CAMERA_FIXED);
      state_ = RACE_STATE_RACING;
      g_RaceClock = 0.0f;
    } else if (g_RaceClock > INTRO_SKIP_UNTIL) {
      // Due in the first frame past 10 s whatever the camera: a practice or
      // qualifying intro has no fixed camera to leave, and the host waits
      // for every client's report before it starts the race.
      if (network) g_NetGame->ReportToServer(NET_MSG_INTRO_DONE, !introDoneReported);
      introDoneReported = true;
      if (cameraMode == CAMERA_FIXED) {
        if (followedRider < 20 && riders[followedRider]) PutCameraBehind(riders[followedRider]);
        cameraMode = g_CameraType;
        SetProjectionForMode();
      }
    }
  }

  // Leaving the pause.
  if (state_ == RACE_STATE_PAUSED) {
    if (playback) {
      if (DialogMode(4, 2) || DialogMode(4, 0)) {
        RaceDialog(4)->active = 0;
        state_ = stateBeforePause;
        acceptsMouse_ = 0;
        g_Cursor.SetAcquired(false);
      }
    } else if (DialogMode(1, 2) || DialogMode(2, 2) || DialogMode(3, 2)) {
      if (Dialog* d = RaceDialog(0)) {
        d->ResetFocus(0);
        d->active = 0;
      }
      state_ = stateBeforePause;
      if (g_CdAudio.state == CDAUDIO_PLAYING) g_CdAudio.Stop();
      acceptsMouse_ = 0;
      g_Cursor.SetAcquired(false);
    }
  }

  // Playback timing.
  bool replayEnded = false;
  float recordedControls[3] = {};
  if (playback && (state_ == RACE_STATE_RACING || state_ == RACE_STATE_FINISHED)) {
    ReplayFrame f;
    replayEnded = replay.Read(f);
    if (!replayEnded) {
      if (f.frameTime > g_FrameTime) {
        // The replay never runs faster than the race did.
        const auto waitMs = static_cast<std::uint32_t>((f.frameTime - g_FrameTime) * 1000.0f);
        const std::uint32_t from = timeGetTime();
        while (timeGetTime() - from < waitMs) Sleep(1);
      }
      g_FrameTime = f.frameTime;
      ReplayControls(f, recordedControls);
    }
    g_ReplayMarkTime += g_FrameTime;
    if (g_ReplayMarkTime >= 2.0f) g_ReplayMarkTime = 0.0f;
    showReplayMark = g_ReplayMarkTime <= 1.0f;
  } else if (!playback) {
    g_ReplayMarkTime = 0.0f;
    showReplayMark = false;
  }

  // The end of the race.
  if (player) {
    if (!DetectRaceEnd(dt, replayEnded)) return true;
  }

  // The pit stop's countdown.
  if (g_PitTimerMs > 0) UpdatePitTimer();

  // Simulation.
  const bool simulate = state_ != RACE_STATE_PAUSED || network;
  if (simulate) Simulate(dt, recordedControls);

  // Recording.
  if (Moto() && !network && !playback && (state_ == RACE_STATE_RACING || state_ == RACE_STATE_FINISHED)) {
    float controls[3] = {};
    if (player) player->GetReplayControls(controls);
    replay.Write(MakeReplayFrame(g_FrameTime, controls));
  }

  // Camera and world.
  if (simulate) UpdateWorld(dt);

  // The backdrop follows the camera even while paused.
  backdrop.Update(dt, static_cast<int>(state_));

  // Drawing.
  UpdateVisibleWindow();
  return DrawFrame();
}

bool RaceScene::StartRace() {
  if (!playback) {
    g_ViewWidth = RegistryViewWidth(g_ScreenWidth);
    UpdateViewRect();
  }
  // The camera's placements and ground queries use this race's track.
  g_Camera.track = &track;
  g_Camera.Reset();
  lookBack = false;
  if (!playback) g_Camera.SetFov(FORTY_DEGREES);
  g_WrongWayBlinkTime = 0.0f;
  g_RaceClock = 0.0f;
  g_StartRaceTimer = 0.0f;
  g_EndFadeStarted = 0;
  g_RaceFadingOut = 0;
  const bool network = Network();
  if (Moto() && !network && !playback && replay.Create()) replay.Start();
  g_Cursor.SetAcquired(false);

  const float* fog = FOG_RANGE[weather < 4 ? weather : 0];
  SetFogColour(fog[0], fog[1], backdrop.colourR, backdrop.colourG, backdrop.colourB);
  g_Renderer.SetFogRange(fog[0], fog[1]);
  g_GeometryPipeline.SetLinearFog(fog[0], fog[1]);

  if (followedRider < 20 && riders[followedRider]) riders[followedRider]->SetFollowed();

  if (network) {
    g_NetGame->ReportToServer(NET_MSG_READY, waitTime == 0.0f);
    Dialog* synchro = RaceDialog(5);
    if (!g_NetGame->UpdateStartSync()) {
      g_RaceClockResetRequest = true;
      waitTime = 0.001f;
      g_Renderer.fadeDuration = 0.0f;
      g_Renderer.fadeDarkness = 0.0f;
      g_Renderer.ResetStatistics();
      if (synchro) {
        synchro->mode = 1;
        synchro->SetFocusHighlight(1);
        synchro->active = 1;
        if (!synchro->Update()) return false;
      }
      g_Renderer.SetTextureFilter(g_OptionFiltering != 0);
      return g_Renderer.DrawFade();
    }
    if (synchro) synchro->ResetFocus(0);
    g_RaceClock = 0.0f;
    waitTime = 0.0f;
  }

  state_ = playback ? RACE_STATE_RACING : RACE_STATE_INTRO;
  inputEnabled = true;
  SetupFlyIn();
  if (!playback && g_CdAudio.state == CDAUDIO_PLAYING) g_CdAudio.Stop();

  auto snapshotRiders = [&](bool restore) {
    for (std::uint32_t i = 0; i < 20; ++i) {
      if (!riders[i] || (network && !raceManager.Present(i))) continue;
      if (restore) {
        riders[i]->RestoreSnapshot(static_cast<std::uint8_t>(i));
      } else {
        riders[i]->StoreSnapshot();
      }
    }
  };
  const std::uint8_t previous = g_FrontEnd ? g_FrontEnd->GetFlag(FrontEndServices::FLAG_PREVIOUS_RACE_TYPE) : 0;
  Rider* player = riders[0];
  if (previous == RACE_TYPE_RESUME) {
    snapshotRiders(true);
    if (player && player->state != RIDER_OUT) {
      player->Withdraw(true);
      Vector3 position(0.0f, 0.0f, 0.0f);
      float heading = 0.0f;
      if (raceManager.FindRespawnPoint(player->GetLap(), 0, &position, &heading)) {
        player->Place(position.x, position.y, position.z, heading);
      }
      FollowRider(0);
      PutCameraBehind(player);
      cameraMode = g_CameraType;
      ApplyCameraMode();
    }
    raceManager.RestoreClock();
    g_Renderer.StartFade(FADE_SECONDS, FADE_IN, nullptr);
    state_ = RACE_STATE_RACING;
    return true;
  }
  if (!playback) snapshotRiders(false);
  if (state_ == RACE_STATE_INTRO) g_Renderer.StartFade(FADE_SECONDS, FADE_IN, nullptr);
  return true;
}

bool RaceScene::DetectRaceEnd(std::uint32_t dt, bool replayEnded) {
  Rider* p = riders[0];
  const bool network = Network();
  const bool chosen1 = DialogMode(1, 2);
  const bool chosen234 = DialogMode(2, 2) || DialogMode(3, 2) || DialogMode(4, 2);
  const bool wrongWay = p->wrongWayTime >= WRONG_WAY_LIMIT;
  const bool blocking = p->blockingTime >= BLOCKING_LIMIT;
  const bool mayEnd = p->IsRaceOver() || wrongWay || blocking || waitTime >= NET_FINISH_LIMIT || g_NetOpponentsGone ||
                      chosen1 || chosen234 || (playback && replayEnded);
  if (mayEnd) {
    if (network) {
      if (waitTime >= NET_FINISH_LIMIT) p->out = 1;
      if (chosen234 && !chosen1) {
        for (std::uint16_t i = 2; i <= 4; ++i) HideDialog(RaceDialog(i));
      }
      if (chosen1 && !p->IsRaceOver()) {
        if (!Session() || p->bestLap.totalMs == 0) p->out = 1;
        g_RaceOver = 1;
      }
      if (p->wrongWayTime > WRONG_WAY_LIMIT || p->blockingTime > BLOCKING_LIMIT) p->out = 1;
      if (!g_RaceOver && (g_NetGame->UpdateRaceEnd(dt) || g_NetOpponentsGone)) g_RaceOver = 1;
    } else {
      if (!wrongWay && !blocking) {
        g_RaceOver = 1;
      } else if (Session()) {
        p->wrongWayTime = 0.0f;
        g_PitTimerMs = std::uint32_t{g_RaceLengthMinutes} * 12000u;
      } else {
        p->out = 1;
        bool othersOver = true;
        for (std::uint32_t i = 1; i < 20; ++i) {
          if (raceManager.Present(i) && riders[i] && !riders[i]->IsRaceOver()) othersOver = false;
        }
        if (othersOver) g_RaceOver = 1;
      }
      if (chosen1) {
        if (!Session() || p->bestLap.totalMs == 0) p->out = 1;
        g_RaceOver = 1;
      }
      if (chosen234) g_RaceOver = 1;
      if (playback && replayEnded) g_RaceOver = 1;
    }
    if (g_RaceOver && state_ != RACE_STATE_FINISHED) {
      state_ = RACE_STATE_FINISHED;
      g_RaceClock = 0.0f;
    }
  }

  // Two seconds after the finish (at once when the replay data ended).
  if (state_ != RACE_STATE_FINISHED || !(g_RaceClock > END_WAIT || (playback && replayEnded))) return true;
  std::uint8_t* order = raceManager.gridOrder;
  const std::uint8_t* frontOrder = g_FrontEnd ? g_FrontEnd->GridOrder() : nullptr;
  bool orderValid = true;
  for (int k = 0; k < 20; ++k) {
    if (order[k] >= 20 && frontOrder) order[k] = frontOrder[k];
    if (order[k] >= 20) orderValid = false;
  }
  if (Moto() && !network && !DialogMode(3, 2) && g_OptionReplay && !playback && !g_MissileMode && orderValid) {
    StartActionReplay();
    return false;
  }
  if (playback) CloseActionReplay();
  EndRace();
  return false;
}

void RaceScene::Simulate(std::uint32_t dt, const float recordedControls[3]) {
  const bool network = Network();
  const int state = static_cast<int>(state_);
  Rider* player = riders[0];
  raceManager.UpdateRiders(state);
  raceManager.StepClock(state, dt == 0 ? 0.0f : g_FrameTime);
  if (!playback) {
    raceManager.UpdateMessages(state, static_cast<float>(dt));
    if (!Moto()) {
      raceManager.UpdatePitStops();
      const bool muffle = raceManager.ShowsFullScreenList() || state_ == RACE_STATE_INTRO;
      if (muffle && !g_SoundMuffled) {
        g_SoundMuffled = 1;
        for (Rider* r : riders) {
          if (r) r->UpdateSound();
        }
      }
      g_SoundMuffled = muffle ? 1 : 0;
    }
  }
  if (network) g_NetGame->UpdateTimers(g_FrameTime);

  if (player && state_ != RACE_STATE_PAUSED) {
    if (player->state != RIDER_OUT) {
      if (playback && (state_ == RACE_STATE_RACING || state_ == RACE_STATE_FINISHED)) {
        player->SetReplayControls(recordedControls);
      }
      player->Update(dt, state);
    } else if (Session() && (state_ == RACE_STATE_RACING || state_ == RACE_STATE_FINISHED) && followedRider == 0) {
      raceManager.ShowSessionInfo(false);
    }
  }
  const std::uint32_t count = g_RiderCount < 20 ? g_RiderCount : 20;
  for (std::uint32_t i = 1; i < count; ++i) {
    Rider* r = riders[i];
    if (!r || r->state == RIDER_OUT) continue;
    if (network) {
      if (raceManager.Present(i)) r->UpdateRemote(state);
    } else {
      r->Update(dt, state);
    }
  }
  if (network) {
    if (g_NetGame->isHost) g_NetGame->SendSnapshotIfDue();
    g_NetGame->SendFactors();
    g_NetGame->Receive();
  }
}

void RaceScene::UpdateWorld(std::uint32_t dt) {
  const int state = static_cast<int>(state_);
  Rider* followed = followedRider < 20 ? riders[followedRider] : nullptr;
  RiderCameraData data = {};
  if (followed) followed->GetCameraData(&data);
  DirectCamera(data, g_RaceClock);

  sky.Update(dt, state);
  if (weather == 1) rain.Update(dt, state);
  track.Update(dt, state);
  ground.Update(dt, state);
  for (std::uint16_t i = 0; i < staticObjectCount; ++i) {
    if (staticObjects[i]) staticObjects[i]->Update(dt, state);
  }
  if (followed) followed->UpdateHud(state, static_cast<int>(dt));

  StepPanel(cameraPanel, cameraPanelShown, cameraPanelVisible, cameraPanelTime, g_CameraPanelHideRequest,
            HideCameraPanel);
  StepPanel(helpPanel, helpPanelShown, helpPanelVisible, helpPanelTime, g_HelpPanelHideRequest, HideHelpPanel);

  // Wrong way.
  Rider* p = riders[0];
  if (!p || p->IsRaceOver() || p->state == RIDER_OUT || state_ == RACE_STATE_PAUSED) return;
  RiderCameraData pd = {};
  p->GetCameraData(&pd);
  const bool backwards = track.sectionCount > 0 &&
                         Dot(Forward(pd), track.sections[track.SectionIndex(pd.sectionHint)].direction) < -0.5f;
  if (backwards && !pd.crashed && !g_RaceOver) {
    p->wrongWayTime += g_FrameTime;
    if (followedRider == 0) {
      g_WrongWayBlinkTime += g_FrameTime;
      showWrongWay = g_WrongWayBlinkTime <= WRONG_WAY_SHOWN && !playback && cameraMode != CAMERA_TV;
      if (g_WrongWayBlinkTime >= WRONG_WAY_PERIOD) g_WrongWayBlinkTime = 0.0f;
    }
  } else {
    p->wrongWayTime = 0.0f;
    g_WrongWayBlinkTime = 0.0f;
    showWrongWay = false;
  }
}

void RaceScene::FollowLeaderIfNeeded() {
  auto valid = [&](std::uint32_t i) {
    return i < 20 && riders[i] && raceManager.Present(i) && riders[i]->state != RIDER_OUT;
  };
  if (valid(followedRider) || raceManager.ShowsFullScreenList()) return;
  Rider* player = riders[0];
  if (!(followedRider != 0 || Moto() || (player && player->out != 0))) return;
  std::int32_t best = -1;
  for (std::uint32_t i = 0; i < 20; ++i) {
    if (valid(i) && (best < 0 || riders[i]->racePosition < riders[best]->racePosition)) {
      best = static_cast<std::int32_t>(i);
    }
  }
  if (best >= 0) {
    FollowRider(static_cast<std::uint32_t>(best));
    raceManager.ShowRiderInfo();
  } else if (Session() && followedRider != 0) {
    FollowRider(0);
  }
}

void RaceScene::FollowRider(std::uint32_t index) {
  if (followedRider < 20 && riders[followedRider]) riders[followedRider]->ClearFollowed();
  followedRider = index;
  if (index < 20 && riders[index]) riders[index]->SetFollowed();
}
