#include <cmath>

#include "engine/cd_audio.h"
#include "engine/cursor.h"
#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/mixer.h"
#include "engine/services/net_game.h"
#include "platform/win32/window.h"
#include "race/race/race_scene.h"
#include "riders/player_rider.h"
#include "ui/dialog.h"

bool g_CameraPanelHideRequest = false;
bool g_HelpPanelHideRequest = false;

namespace {

constexpr std::uint8_t RACE_TYPE_PRACTICE = 1;
constexpr std::uint8_t RACE_TYPE_QUALIFYING = 2;
constexpr std::uint32_t PIT_WITHDRAW_AFTER_MS = 5000;
constexpr float MIN_VIEW_WIDTH = 160.0f;
constexpr float VIEW_STEP = 10.0f;

// The help panel's icons: the u range per toggle, the v range on and off.
constexpr float HELP_ICON_U[3][2] = {{0.0f, 0.15625f}, {0.15625f, 0.3125f}, {0.3125f, 0.46875f}};
constexpr float HELP_ICON_V_ON[2] = {0.75390601f, 0.87109303f};
constexpr float HELP_ICON_V_OFF[2] = {0.87890601f, 0.99609303f};

bool Session() { return g_RaceType == RACE_TYPE_PRACTICE || g_RaceType == RACE_TYPE_QUALIFYING; }
bool Network() { return g_GameMode == GAME_MODE_MULTIPLAYER; }
bool IsOut(const Rider* r) { return r->state == RIDER_OUT; }
// Retired or given up: the race is over for the rider.
bool IsDone(const Rider* r) { return r->out != 0; }

Dialog* RaceDialog(std::uint16_t i) { return g_Dialogs && i < g_DialogCount ? &g_Dialogs[i] : nullptr; }

int LineVolume(MixerLineKind kind) {
  MixerLine* line = g_Mixer.Line(kind);
  return line ? line->GetVolume() : 0;
}

// The music volume the options show: the CD line's, or the digital line's
// when larger, or else the auxiliary line's when larger than the CD line's.
int MusicVolume() {
  int music = LineVolume(MIXER_LINE_CD);
  if (LineVolume(MIXER_LINE_DIGITAL) > music) {
    music = LineVolume(MIXER_LINE_DIGITAL);
  } else if (LineVolume(MIXER_LINE_AUX) > music) {
    music = LineVolume(MIXER_LINE_AUX);
  }
  return music;
}

void ShowDialog(Dialog* d) {
  if (!d) return;
  d->mode = 1;
  d->SetFocusHighlight(1);
  d->active = 1;
}

}  // namespace

void RaceScene::UpdateViewRect() {
  const float W = static_cast<float>(g_ScreenWidth);
  const float H = static_cast<float>(g_ScreenHeight);
  g_ViewHeight = std::floor(g_ViewWidth * 3.0f / 4.0f);
  if (g_ViewHeight > H - 1.0f) g_ViewHeight = H - 1.0f;
  g_ViewRect.left = std::ceil((W - g_ViewWidth - 1.0f) / 2.0f);
  g_ViewRect.right = std::floor(g_ViewRect.left + g_ViewWidth);
  g_ViewRect.top = std::ceil((H - g_ViewHeight - 1.0f) / 2.0f);
  g_ViewRect.bottom = std::floor(g_ViewRect.top + g_ViewHeight);
}

void RaceScene::HideDialog(Dialog* dialog) {
  if (!dialog) return;
  dialog->ResetFocus(0);
  dialog->active = 0;
}

void RaceScene::Pause() {
  stateBeforePause = state_;
  state_ = RACE_STATE_PAUSED;
  if (!Network()) {
    track.StopSounds();
    if (weather == 1) rain.StopSounds();
    for (std::uint32_t i = 0; i < 20; ++i) {
      if (raceManager.Present(i) && riders[i] && !IsOut(riders[i])) riders[i]->StopSounds();
    }
  }
  if (playback) {
    ShowDialog(RaceDialog(4));
  } else if (Dialog* d = RaceDialog(0)) {
    ShowDialog(d);
    const std::uint16_t replayButton = Session() ? 3 : 2;
    d->SetButtonState(WIDGET_BUTTON, replayButton, g_OptionReplay);
    d->SetButtonState(WIDGET_BUTTON, static_cast<std::uint16_t>(replayButton + 1), g_OptionFFEnable);
    d->SetWidgetValue(WIDGET_SLIDER, 0, MusicVolume() / 10);
    d->SetWidgetValue(WIDGET_SLIDER, 1, LineVolume(MIXER_LINE_WAVE) / 10);
  }
  acceptsMouse_ = 1;
  g_Cursor.SetAcquired(true);
}

void RaceScene::Resume() {
  Dialog* d = RaceDialog(playback ? 4 : 0);
  if (!d || !d->active) return;
  state_ = stateBeforePause;
  HideDialog(d);
  if (!playback && g_CdAudio.state == CDAUDIO_PLAYING) g_CdAudio.Stop();
  acceptsMouse_ = 0;
  g_Cursor.SetAcquired(false);
}

void RaceScene::FollowNext(bool better) {
  Rider* player = riders[0];
  const std::uint32_t from = Session() && player && !IsDone(player) ? 0 : followedRider;
  if (from >= 20 || !riders[from]) return;
  const std::uint8_t position = riders[from]->racePosition;
  std::int32_t next = -1;   // one place better (F5) or worse (F6)
  std::int32_t wrap = -1;   // the worst (F5) or the best (F6)
  for (std::uint32_t i = 0; i < 20; ++i) {
    if (!raceManager.Present(i) || !riders[i] || IsOut(riders[i])) continue;
    const std::uint8_t p = riders[i]->racePosition;
    if (better) {
      if (p < position && (next < 0 || p > riders[next]->racePosition)) next = static_cast<std::int32_t>(i);
      if (wrap < 0 || p > riders[wrap]->racePosition) wrap = static_cast<std::int32_t>(i);
    } else {
      if (p > position && (next < 0 || p < riders[next]->racePosition)) next = static_cast<std::int32_t>(i);
      if (wrap < 0 || p < riders[wrap]->racePosition) wrap = static_cast<std::int32_t>(i);
    }
  }
  if (next < 0) next = wrap;
  if (next < 0 || static_cast<std::uint32_t>(next) == followedRider) return;
  const std::uint32_t chosen = static_cast<std::uint32_t>(next);
  if (Session() && player && IsOut(player)) {
    if (followedRider == 0) {
      raceManager.ShowSessionInfo(true);
      raceManager.EnableFlagOverlay(true);
      PutCameraBehind(riders[chosen]);
      cameraMode = g_CameraType;
      ApplyCameraMode();
    } else if (chosen == 0) {
      raceManager.ShowSessionInfo(false);
      raceManager.EnableFlagOverlay(false);
    }
  }
  if (followedRider < 20 && riders[followedRider]) riders[followedRider]->ClearFollowed();
  followedRider = chosen;
  riders[chosen]->SetFollowed();
  if (!IsOut(riders[chosen])) raceManager.ShowRiderInfo();
}

void RaceScene::OnKey(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!inputEnabled) return;
  for (std::uint16_t i = 0; i < g_DialogCount && g_Dialogs; ++i) {
    if (g_Dialogs[i].active && g_Dialogs[i].OnKey(msg, wParam, lParam)) break;
  }
  Rider* player = riders[0];
  // The player's rider sits in the pits and the camera is on it.
  const bool playerInPits = Session() && player && IsOut(player) && followedRider == 0;
  const bool riding = state_ != RACE_STATE_STARTING && state_ != RACE_STATE_PAUSED && cameraMode != CAMERA_FIXED;

  if (msg == WM_KEYUP) {
    switch (wParam) {
      case VK_F1:
        if (!Session() || state_ != RACE_STATE_RACING || g_PitTimerMs != 0 || followedRider != 0 || !player) break;
        if (!IsOut(player)) {
          player->Withdraw(false);
          if (Network()) g_NetGame->SendSignal(NET_MSG_RIDER_OUT);
          raceManager.EnableFlagOverlay(false);
        } else if (!IsDone(player)) {
          Rejoin();
          raceManager.EnableFlagOverlay(true);
        }
        break;
      case VK_ESCAPE:
        if (state_ == RACE_STATE_INTRO) {
          introSkipRequested = true;
        } else if (state_ == RACE_STATE_FINISHED || state_ == 4) {
        } else if (state_ == RACE_STATE_PAUSED || g_EndFadeStarted) {
          Resume();
        } else {
          Pause();
        }
        break;
      case VK_SHIFT:
        if (riding && !playback && !playerInPits) lookBack = false;
        break;
      case 'Y':
      case 'N':
        if (riding) chasePitchInput = 0.0f;
        break;
      case 'G':
      case 'J':
        if (riding) chaseYawInput = 0.0f;
        break;
      default:
        break;
    }
    return;
  }
  if (msg != WM_KEYDOWN) return;

  if (wParam == VK_PRIOR || wParam == VK_NEXT) {
    const float widest = static_cast<float>(g_ScreenWidth) - 1.0f;
    g_ViewWidth += wParam == VK_PRIOR ? VIEW_STEP : -VIEW_STEP;
    if (g_ViewWidth > widest) g_ViewWidth = widest;
    if (g_ViewWidth < MIN_VIEW_WIDTH) g_ViewWidth = MIN_VIEW_WIDTH;
    UpdateViewRect();
    return;
  }
  if (!riding) return;

  bool cameraChanged = false;
  int helpToggle = -1;
  switch (wParam) {
    case VK_SHIFT:
      if (!playback && cameraMode != CAMERA_SCRIPTED && !playerInPits) lookBack = true;
      break;
    case VK_SPACE:
      if (state_ != RACE_STATE_INTRO && g_MissileMode) {
        if (auto* p = dynamic_cast<PlayerRider*>(player)) p->FireMissile();
      }
      break;
    case 'Y':
      chasePitchInput = 1.0f;
      break;
    case 'N':
      chasePitchInput = -1.0f;
      break;
    case 'J':
      chaseYawInput = 1.0f;
      break;
    case 'G':
      chaseYawInput = -1.0f;
      break;
    case VK_F2:
      g_HelpToggleF2 = !g_HelpToggleF2;
      helpToggle = 0;
      break;
    case VK_F3:
      g_HelpToggleF3 = !g_HelpToggleF3;
      helpToggle = 1;
      break;
    case VK_F4:
      g_HelpToggleF4 = !g_HelpToggleF4;
      helpToggle = 2;
      break;
    case VK_F5:
    case VK_F6:
      if (state_ != RACE_STATE_INTRO) FollowNext(wParam == VK_F5);
      break;
    case VK_F7:
    case VK_F8:
      if (playback || raceManager.ShowsFullScreenList() || cameraMode == CAMERA_SCRIPTED) break;
      // The player's modes run from the chase camera to the TV camera and
      // wrap round.
      if (wParam == VK_F7) {
        cameraMode = cameraMode == CAMERA_HELMET || cameraMode > CAMERA_TV ? CAMERA_TV : cameraMode - 1;
      } else {
        cameraMode = cameraMode >= CAMERA_TV ? CAMERA_HELMET : cameraMode + 1;
      }
      cameraChanged = true;
      break;
    default:
      break;
  }
  if (helpToggle >= 0) {
    const bool on = helpToggle == 0 ? g_HelpToggleF2 : helpToggle == 1 ? g_HelpToggleF3 : g_HelpToggleF4;
    const float* u = HELP_ICON_U[helpToggle];
    const float* v = on ? HELP_ICON_V_ON : HELP_ICON_V_OFF;
    helpPanel.SetUvs(u[0], v[0], u[1], v[0], u[1], v[1], u[0], v[1]);
    helpPanelTime = 0.0f;
    helpPanelShown = true;
    helpPanelVisible = false;
    g_HelpPanelHideRequest = false;
  }
  if (cameraChanged) {
    g_CameraType = cameraMode;
    // A new mode starts at its own place rather than springing from the old.
    g_Camera.snap = 1;
    cameraPanelTime = 0.0f;
    cameraPanelShown = true;
    cameraPanelVisible = false;
    g_CameraPanelHideRequest = false;
    ApplyCameraMode();
  }
}

void RaceScene::OnMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
  for (std::uint16_t i = 0; i < g_DialogCount && g_Dialogs; ++i) {
    if (g_Dialogs[i].active && g_Dialogs[i].mode == 1) {
      g_Dialogs[i].OnMouse(msg, wParam, lParam);
      return;
    }
  }
}

void RaceScene::Rejoin() {
  if (Network()) g_NetGame->SendSignal(NET_MSG_RIDER_BACK);
  Rider* player = riders[0];
  if (!player) return;
  player->Withdraw(true);
  Vector3 position(0.0f, 0.0f, 0.0f);
  float heading = 0.0f;
  if (raceManager.FindRespawnPoint(player->GetLap(), 0, &position, &heading)) {
    player->Place(position.x, position.y, position.z, heading);
  }
  raceManager.ShowSessionInfo(true);
  if (followedRider < 20 && riders[followedRider]) riders[followedRider]->ClearFollowed();
  followedRider = 0;
  player->SetFollowed();
  PutCameraBehind(player);
  cameraMode = g_CameraType;
  ApplyCameraMode();
}

void RaceScene::UpdatePitTimer() {
  if (g_PitTimerMs == 0) return;
  const auto frameMs = static_cast<std::uint32_t>(g_FrameTime * 1000.0f);
  g_PitTimerMs = g_PitTimerMs > frameMs ? g_PitTimerMs - frameMs : 0;
  const std::uint32_t ms = g_PitTimerMs % 1000;
  const std::uint32_t seconds = g_PitTimerMs / 1000;
  g_PitTimerDigits[0] = static_cast<std::uint16_t>(ms % 10);
  g_PitTimerDigits[1] = static_cast<std::uint16_t>(ms / 10);
  g_PitTimerDigits[2] = static_cast<std::uint16_t>(seconds % 60);
  g_PitTimerDigits[3] = static_cast<std::uint16_t>(seconds % 3600 / 60);
  g_PitTimerDigits[4] = static_cast<std::uint16_t>(seconds / 3600);

  Rider* player = riders[0];
  const std::uint32_t full = std::uint32_t{g_RaceLengthMinutes} * 12000u;
  // Withdrawn once: until the pit-stop step takes it out, the rider is no
  // longer started.
  if (player && !IsOut(player) && player->started && full > g_PitTimerMs &&
      full - g_PitTimerMs > PIT_WITHDRAW_AFTER_MS) {
    player->Withdraw(false);
    if (Network()) g_NetGame->SendSignal(NET_MSG_RIDER_OUT);
    raceManager.EnableFlagOverlay(false);
  }
  if (g_PitTimerDigits[3] == 0 && g_PitTimerDigits[2] == 0) {
    g_PitTimerMs = 0;
    Rejoin();
    raceManager.EnableFlagOverlay(false);
  }
}
