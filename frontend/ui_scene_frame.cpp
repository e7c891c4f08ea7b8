// The UI scene's frame: its states, the scene timer, the fades that raise
// the pending scene change, the CD track, the timed scenes (attract,
// countdown, credits), the mouse focus, the reactions to confirmed dialogs
// and the drawing order with its render states.
#include <cstdio>
#include <cstring>

#include "engine/camera.h"
#include "engine/cd_audio.h"
#include "engine/cursor.h"
#include "engine/geometry_pipeline.h"
#include "engine/mixer.h"
#include "engine/renderer.h"
#include "engine/services/net_game.h"
#include "engine/system.h"
#include "engine/text_database.h"
#include "frontend/championship.h"
#include "frontend/command_script.h"
#include "frontend/commands_internal.h"
#include "frontend/game_controller.h"
#include "frontend/race_series.h"
#include "frontend/ui_scene.h"
#include "platform/win32/timer.h"

namespace {

// Frames longer than this (a task switch, a load) count as a short one.
constexpr std::uint32_t kLongFrameMs = 500;
constexpr std::uint32_t kLongFrameCountsAs = 10;
constexpr std::int32_t kStartingMs = 100;
constexpr std::int32_t kAttractMs = 4000;
constexpr float kFadeSeconds = 0.25f;
constexpr float kCreditsSpeed = 30.0f;

void SceneChangeReady() { g_UiSceneChangeReady = 1; }

int Volume(MixerLineKind kind) {
  MixerLine* line = g_Mixer.Line(kind);
  return line ? line->GetVolume() : 0;
}

bool AnyMusicVolume() { return Volume(MIXER_LINE_CD) > 0 || Volume(MIXER_LINE_DIGITAL) > 0 || Volume(MIXER_LINE_AUX) > 0; }

void ChooseCdTrack(std::int32_t scene) {
  const std::uint8_t wanted = scene == 28 ? 3 : 2;
  if (g_CdAudio.state == CDAUDIO_PLAYING && g_CdAudio.track != wanted) g_CdAudio.Stop();
  g_CdAudio.track = wanted;
  if (scene == 27 || (scene >= 29 && scene <= 32)) {
    if (g_CdAudio.state == CDAUDIO_PLAYING) g_CdAudio.Stop();
    return;
  }
  if (AnyMusicVolume() && g_CdAudio.state != CDAUDIO_PLAYING) {
    if (g_CdAudio.state == CDAUDIO_CLOSED || g_CdAudio.state == CDAUDIO_NO_DEVICE) g_CdAudio.Open();
    if (g_CdAudio.state != CDAUDIO_PLAYING) g_CdAudio.Play();
  }
}

bool NetChampionship() { return g_GameMode == GAME_MODE_MULTIPLAYER && g_NetChampionship; }

// The series of the event that a leave-the-event reaction ends.
void ResetEvent() {
  if (g_GameMode == GAME_MODE_CHAMPIONSHIP || NetChampionship()) {
    g_Championship.Reset();
  } else {
    g_SingleRace.Reset();
  }
}

void LeaveEvent() {
  ResetEvent();
  if (g_GameMode == GAME_MODE_MULTIPLAYER) g_NetGame->LeaveSession();
  GoToScene(g_GameMode == GAME_MODE_MULTIPLAYER ? 15 : 0);
}

void SessionLost() {
  ResetEvent();
  g_NetGame->LeaveSession();
  GoToScene(15);
}

// The host notice only ends the event over a modem link, which this build
// does not have.
void HostNotice() {}

void EndChampionship(bool alwaysLobby) {
  g_Championship.Reset();
  if (alwaysLobby || g_GameMode == GAME_MODE_MULTIPLAYER) g_NetGame->LeaveSession();
  GoToScene(alwaysLobby || g_GameMode == GAME_MODE_MULTIPLAYER ? 15 : 0);
}

}  // namespace

bool UiScene::AnyDialogShown() const {
  for (std::uint16_t i = 0; i < g_DialogCount; ++i) {
    if (g_Dialogs[i].mode == 1) return true;
  }
  return false;
}

bool UiScene::AnySliderDragging() const {
  for (std::uint16_t i = 0; i < sliders.count; ++i) {
    if (sliders.items[i].dragging) return true;
  }
  return false;
}

void UiScene::StartScene() {
  g_UiSceneTimer = 0;
  g_UiCountdownMs = 30000;
  previousTime = timeGetTime();
  sceneNumber = static_cast<std::int32_t>(g_SceneNumber);

  float z = -39.5f;
  if (sceneNumber == 3 || sceneNumber == 18 || sceneNumber == 23 || sceneNumber == 24) {
    z = -30.5f;
  } else if (sceneNumber == 4 || sceneNumber == 19 || sceneNumber == 21 || sceneNumber == 22) {
    z = -28.5f;
  }
  g_Camera.position = Vector3(0.0f, 0.0f, z);
  g_Camera.SetFov(0.41887903f);
  const bool aside = sceneNumber == 3 || sceneNumber == 18 || sceneNumber == 23 || sceneNumber == 24;
  g_Camera.LookAt(aside ? Vector3(2.0f, 0.0f, 0.0f) : Vector3(0.0f, 0.0f, 0.0f));

  g_Cursor.SetAcquired(sceneNumber != 28);
  ChooseCdTrack(sceneNumber);

  for (std::uint16_t i = 0; i < buttons.count; ++i) buttons[i].SetHighlight(0, 0);
  for (std::uint16_t i = 0; i < sliders.count; ++i) sliders[i].track.SetHighlight(0, 0);
  for (std::uint16_t i = 0; i < editTexts.count; ++i) editTexts[i].SetFocus(0);
  focusIndex = 0;
  if (const FocusEntry* e = FocusedEntry()) {
    if (e->kind == WIDGET_BUTTON && e->index < buttons.count) buttons[e->index].SetHighlight(1, 1);
    if (e->kind == WIDGET_SLIDER && e->index < sliders.count) sliders[e->index].track.SetHighlight(1, 1);
    if (e->kind == WIDGET_EDIT_TEXT && e->index < editTexts.count) editTexts[e->index].SetFocus(1);
  }

  // A start action may replace the list it runs from (a command that
  // loads another scene file does not exist, but commands do rebuild
  // widget lists): run from a copy.
  const std::vector<ButtonAction> actions = startActions;
  for (const ButtonAction& a : actions) g_GameController.Command(a.id, a.a1, a.a2, a.text);

  state_ = UI_SCENE_STARTING;
  g_UiFadeState = 1;
  g_Renderer.StartFade(kFadeSeconds, FADE_IN, nullptr);
}

void UiScene::HighlightEntry(std::int16_t index) {
  SetFocusHighlight(false);
  focusIndex = index;
  if (!ToggleHidesHighlight(focusList[static_cast<std::size_t>(index)])) SetFocusHighlight(true);
}

void UiScene::UpdateWidgets(unsigned elapsed) {
  if (focusCount > 0 && inputReady && g_Cursor.IsMousePresent()) {
    Vector3 p;
    g_Cursor.GetPosition(&p);
    const FocusEntry* focused = FocusedEntry();
    if ((focused && focused->kind == WIDGET_EDIT_TEXT) || AnySliderDragging()) {
      focusHidden = 0;
    } else {
      bool hit = false;
      for (std::uint16_t s = 0; s < sliders.count; ++s) {
        if (!sliders[s].track.HitTest(p.x, p.y)) continue;
        hit = true;
        for (std::uint16_t e = 0; e < focusCount; ++e) {
          if (focusList[e].kind != WIDGET_SLIDER || focusList[e].index != s) continue;
          if (e != focusIndex || focusHidden) HighlightEntry(static_cast<std::int16_t>(e));
        }
      }
      if (!hit) {
        for (std::uint16_t b = 0; b < buttons.count; ++b) {
          if (!buttons[b].HitTest(p.x, p.y)) continue;
          hit = true;
          for (std::uint16_t e = 0; e < focusCount; ++e) {
            if (focusList[e].kind != WIDGET_BUTTON || focusList[e].index != b) continue;
            if (e != focusIndex || focusHidden) HighlightEntry(static_cast<std::int16_t>(e));
          }
        }
      }
      if (hit) {
        focusHidden = 0;
      } else {
        const FocusEntry* f = FocusedEntry();
        if (f && f->kind == WIDGET_BUTTON && f->index < buttons.count) buttons[f->index].SetHighlight(0, 0);
        if (f && f->kind == WIDGET_SLIDER && f->index < sliders.count) sliders[f->index].track.SetHighlight(0, 0);
        focusHidden = 1;
      }
    }
  }
  for (std::uint16_t i = 0; i < buttons.count; ++i) buttons[i].Update(elapsed, 2);
  for (std::uint16_t i = 0; i < editTexts.count; ++i) editTexts[i].Update(elapsed, 2);
  for (std::uint16_t i = 0; i < uiTexts.count; ++i) uiTexts[i].Update(elapsed, 2);
  for (std::uint16_t i = 0; i < staticTexts.count; ++i) staticTexts[i].Update(elapsed, 2);
  for (std::uint16_t i = 0; i < choosers.count; ++i) choosers[i].Update(elapsed, 2);
  for (std::uint16_t i = 0; i < progressBars.count; ++i) progressBars[i].Update(elapsed, 2);
  for (std::uint16_t i = 0; i < sliders.count; ++i) sliders[i].Update(elapsed, 2);
  for (std::uint16_t i = 0; i < panels.count; ++i) panels[i].Update(elapsed, 2);
  for (const auto& o : objects) {
    if (o) o->Update(elapsed, 2);
  }
  if (sceneNumber == 0) infoText.Update(elapsed, 2);
  ShowNetworkNotices();
}

void UiScene::ShowNetworkNotices() {
  // This machine became the host (DIALOG06), the session was lost
  // (DIALOG04). A scene without the notice's dialog lets the notice go.
  const struct {
    std::uint8_t* flag;
    std::uint8_t file;
  } notices[] = {{&g_NetBecameHost, 6}, {&g_NetSessionLost, 4}};
  for (const auto& n : notices) {
    if (!*n.flag) continue;
    const int i = SceneDialogOf(sceneNumber, n.file);
    if (i >= 0) OpenDialog(static_cast<std::uint16_t>(i));
    *n.flag = 0;
  }
}

void UiScene::ReactToDialogs() {
  auto confirmed = [](std::uint16_t i) { return i < g_DialogCount && g_Dialogs[i].mode == 2; };
  const std::int32_t s = sceneNumber;
  switch (s) {
    case 0:
      if (confirmed(0)) GoToScene(28);
      break;
    case 1:
    case 16:
      if (confirmed(1)) HostNotice();
      if (confirmed(0) || confirmed(2)) SessionLost();
      break;
    case 2:
      if (confirmed(0)) {
        if (g_GameMode == GAME_MODE_CHAMPIONSHIP) {
          g_Championship.Reset();
          GoToScene(0);
        } else if (g_GameMode == GAME_MODE_MULTIPLAYER) {
          EndChampionship(true);
        }
      }
      if (confirmed(1)) HostNotice();
      if (confirmed(2)) SessionLost();
      if (confirmed(3) || confirmed(4)) LeaveEvent();
      break;
    case 3:
    case 18:
    case 23:
    case 24:
      if (confirmed(0)) EndChampionship(false);
      if (confirmed(1)) HostNotice();
      if (confirmed(2)) EndChampionship(true);
      break;
    case 4:
    case 21:
    case 5:
      if (confirmed(0)) HostNotice();
      if (confirmed(1)) SessionLost();
      if (s == 5 && (confirmed(6) || confirmed(7))) LeaveEvent();
      break;
    case 8:
      if (confirmed(0)) {
        g_GameController.Command(CMD_SAVE_GAME, 0, 0, "NULL");
        // The save may have replaced the scene's dialogs' owner; look again.
        if (Dialog* d = SceneDialog(0)) d->ResetFocus(0);
      }
      break;
    case 9:
    case 11:
    case 12:
    case 13:
    case 26:
      if (confirmed(0) || confirmed(1)) LeaveEvent();
      if (confirmed(2)) HostNotice();
      if (confirmed(3)) SessionLost();
      break;
    case 10:
      if (confirmed(0) || confirmed(1)) LeaveEvent();
      if (confirmed(2)) EndChampionship(false);
      if (confirmed(3)) HostNotice();
      if (confirmed(4)) EndChampionship(true);
      break;
    case 15:
      if (confirmed(2)) GoToScene(14);
      break;
    case 19:
    case 22:
      if (confirmed(0) || confirmed(1)) LeaveEvent();
      break;
    default: break;
  }
}

bool UiScene::RenderScene() {
  const std::uint32_t now = timeGetTime();
  std::uint32_t elapsed = now - previousTime;
  if (elapsed > kLongFrameMs) elapsed = kLongFrameCountsAs;
  previousTime = now;
  g_UiSceneTimer += static_cast<std::int32_t>(elapsed);

  if (state_ == UI_SCENE_NEW) {
    StartScene();
    return true;
  }
  SetFrameTime(elapsed);

  if (state_ == UI_SCENE_STARTING && g_UiSceneTimer > kStartingMs) {
    g_UiSceneTimer = 0;
    inputReady = 1;
    state_ = UI_SCENE_RUNNING;
    g_UiFadeState = 2;
    if (hasMovie && !movie.Play(focusCount != 0 ? 1 : 0)) return false;
  }

  if (sceneNumber == 27 || (sceneNumber >= 29 && sceneNumber <= 31)) return true;

  if (sceneNumber == 32 && state_ == UI_SCENE_RUNNING && g_UiSceneTimer >= kAttractMs) {
    g_GameController.Command(CMD_SET_GAME_MODE, GAME_MODE_CHAMPIONSHIP, 0, nullptr);
    g_GameController.Command(CMD_SET_RACE_TYPE, RACE_TYPE_MOTO_1, 0, nullptr);
    g_GameController.Command(CMD_LOAD_EVENT_DATA, 0, 0, nullptr);
    g_GameController.Command(CMD_GO_TO_SCENE, 33, 0, nullptr);
  }

  if ((sceneNumber == 19 || sceneNumber == 22) && state_ == UI_SCENE_RUNNING) {
    const Dialog* d0 = SceneDialog(0);
    const Dialog* d1 = SceneDialog(1);
    if ((!d0 || d0->mode == 0) && (!d1 || d1->mode == 0)) {
      g_UiCountdownMs -= static_cast<std::int32_t>(g_FrameTime * 1000.0f);
      if (g_UiCountdownMs < 0) g_UiCountdownMs = 0;
      const int seconds = g_UiCountdownMs / 1000 % 60;
      if (staticTexts.count > 20) {
        const char* label = g_TextDatabase.Text(48);
        char text[300];
        std::snprintf(text, sizeof text, "%s: %d%d", label, seconds / 10, seconds % 10);
        StaticText& t = staticTexts[20];
        t.SetText(text);
        t.SetColour(1.0f, 1.0f, 1.0f, 0, 0);
        t.SetColour(1.0f, 0.7764706f, 0.0980392f, 0, static_cast<unsigned>(std::strlen(label) + 1));
      }
      if (seconds == 0) g_GameController.Command(CMD_START_RACE, 0, 0, "NULL");
    }
  }

  if (sceneNumber == 28 && state_ == UI_SCENE_RUNNING) {
    const float dy = kCreditsSpeed * g_FrameTime;
    for (std::uint16_t i = 0; i < panels.count; ++i) panels[i].SetPosition(panels[i].x, panels[i].y - dy, 0.0f);
    for (std::uint16_t i = 0; i < staticTexts.count; ++i) {
      StaticText& t = staticTexts[i];
      t.SetPosition(t.originX, t.originY - dy, 0.0f);
      char copy[256];
      std::strncpy(copy, t.String(), sizeof copy - 1);
      copy[sizeof copy - 1] = '\0';
      t.SetText(copy);
    }
    if (staticTexts.count > 0) {
      const StaticText& last = staticTexts[static_cast<std::uint16_t>(staticTexts.count - 1)];
      if (last.originY + last.textHeight <= -20.0f) g_GameController.Command(CMD_QUIT, 0, 0, "NULL");
    }
  }

  if (state_ == UI_SCENE_RUNNING && !AnyDialogShown()) RunCommandScriptFrame(this, sceneNumber);
  if (g_GameMode == GAME_MODE_MULTIPLAYER) UpdateNetwork(elapsed);

  if ((state_ == UI_SCENE_RUNNING || g_UiSceneTimer > 0) && !AnyDialogShown()) UpdateWidgets(elapsed);

  ReactToDialogs();

  if (state_ == UI_SCENE_CLOSING && g_UiFadeState == 2) {
    g_UiSceneTimer = 0;
    g_UiFadeState = 3;
    g_Renderer.StartFade(kFadeSeconds, FADE_OUT, SceneChangeReady);
  }
  if (g_UiSceneChangeReady) g_GameController.pendingSceneChange = 1;

  return DrawScene();
}

void UiScene::UpdateNetwork(unsigned elapsed) {
  g_NetGame->Receive();
  const bool running = state_ == UI_SCENE_RUNNING;
  // The host confirms its event only while it is in the lobby; the race
  // start settles the event as well, and is all that a client gets that
  // comes to this screen after the host went racing.
  const bool settled = g_NetConfirmed || g_NetRaceStartReceived;
  if ((sceneNumber == 4 || sceneNumber == 21) && !g_NetGame->isHost && settled && running && g_UiSceneTimer > 2000) {
    g_GameController.Command(CMD_GO_TO_SCENE, 5, 0, "NULL");
  }
  if (sceneNumber == 15) {
    g_UiNetPollTimer += elapsed;
    if (g_UiNetPollTimer >= 10000 && running) {
      g_GameController.Command(CMD_NET_LOBBY, 11, 0, "NULL");
      g_UiNetPollTimer = 0;
    }
  }
  if (sceneNumber == 16) {
    if (g_NetRaceStartReceived && running && g_UiSceneTimer > 2000)
      g_GameController.Command(CMD_NET_START_RACE, 0, 0, "NULL");
    g_UiNetPollTimer += elapsed;
    if (g_UiNetPollTimer >= 10000) {
      g_GameController.Command(CMD_NET_SHOW_PLAYERS, 1, 0, "NULL");
      g_UiNetPollTimer = 0;
      if (g_NetPlayerCount == 1 && g_RaceType != 0 && g_NetGame->isHost) {
        g_RaceType = 0;
        g_PreviousRaceType = 0;
        g_NetGame->EnableJoining();
      }
    }
  }
}

bool UiScene::DrawScene() {
  if (!hasMovie && !background.empty() && !g_Renderer.DrawFullScreenImage(background.data(), 2 * backgroundWidth)) {
    ShowMessageBox("Error: grLfbWriteRegion failed.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  // The scene's own camera: the previous scene (a race) left its projection
  // in the pipeline.
  g_GeometryPipeline.SetupProjection();
  g_Renderer.ResetStatistics();
  g_Renderer.SetSrcBlend(BLEND_ZERO);
  g_Renderer.SetDestBlend(BLEND_SRC_COLOUR);
  g_Renderer.SetZEnable(true);
  g_Renderer.SetZWriteEnable(true);
  for (const auto& o : objects) {
    if (o) o->Draw();
  }

  g_Renderer.SetTextureFilter(false);
  if (sceneNumber == 4 || sceneNumber == 21) {
    // The weather's button draws last, on top of the other two.
    const std::uint16_t n = sceneNumber == 4 ? 6 : 4;
    for (std::uint16_t i = 0; i < n && i < buttons.count; ++i) buttons[i].Draw();
    const RaceEntry* e = g_SingleRace.Current();
    const int weather = e ? e->weather : -1;
    int order[3] = {-1, -1, -1};
    if (weather == 0) {
      order[0] = n + 2, order[1] = n + 1, order[2] = n;
    } else if (weather == 1) {
      order[0] = n, order[1] = n + 2, order[2] = n + 1;
    } else if (weather == 2 || weather == 3) {
      order[0] = n, order[1] = n + 1, order[2] = n + 2;
    }
    for (int b : order) {
      if (b >= 0 && b < buttons.count) buttons[static_cast<std::uint16_t>(b)].Draw();
    }
  } else {
    for (std::uint16_t i = 0; i < buttons.count; ++i) buttons[i].Draw();
  }

  for (std::uint16_t i = 0; i < sliders.count; ++i) sliders[i].Draw();
  g_Renderer.SetTextureFilter(false);
  g_Renderer.SetAlphaBlendEnable(false);
  for (std::uint16_t i = 0; i < choosers.count; ++i) choosers[i].Draw();
  g_Renderer.SetTextureFilter(false);
  g_Renderer.SetAlphaBlendEnable(false);
  for (std::uint16_t i = 0; i < progressBars.count; ++i) progressBars[i].Draw();
  g_Renderer.SetTextureFilter(false);
  g_Renderer.SetAlphaBlendEnable(false);

  const bool credits = sceneNumber == 28 && state_ == UI_SCENE_RUNNING;
  for (std::uint16_t i = 0; i < panels.count; ++i) {
    Panel& p = panels[i];
    if (credits) {
      if (p.y + p.h < 0.0f || p.y >= 480.0f) continue;
      if (i % 2 == 0) {
        g_Renderer.SetAlphaBlendEnable(true);
        g_Renderer.SetTextureFilter(false);
        g_Renderer.SetSrcBlend(BLEND_ZERO);
        g_Renderer.SetDestBlend(BLEND_SRC_COLOUR);
      } else {
        g_Renderer.SetAlphaBlendEnable(false);
        g_Renderer.SetTextureFilter(true);
      }
    }
    p.Draw();
  }

  g_Renderer.SetAlphaBlendEnable(true);
  g_Renderer.SetTextureFilter(true);
  for (std::uint16_t i = 0; i < staticTexts.count; ++i) {
    StaticText& t = staticTexts[i];
    if (credits) {
      if (t.originY + t.textHeight < 0.0f || t.originY >= 480.0f) continue;
      const bool shadow = i < staticTexts.count / 2;
      g_Renderer.SetSrcBlend(shadow ? BLEND_ZERO : BLEND_ONE);
      g_Renderer.SetDestBlend(shadow ? BLEND_SRC_COLOUR : BLEND_ONE_MINUS_SRC_COLOUR);
      t.SetAlpha(shadow ? 1.0f : 0.7f);
    } else {
      g_Renderer.SetSrcBlend(BLEND_ONE);
      g_Renderer.SetDestBlend(BLEND_ONE_MINUS_SRC_COLOUR);
      t.SetAlpha(0.7f);
    }
    t.Draw();
  }
  for (std::uint16_t i = 0; i < editTexts.count; ++i) {
    editTexts[i].SetAlpha(0.7f);
    editTexts[i].Draw();
  }
  for (std::uint16_t i = 0; i < uiTexts.count; ++i) uiTexts[i].Draw();
  if (sceneNumber == 0 && !infoText.Draw()) return false;

  g_Renderer.SetAlphaBlendEnable(false);
  g_Renderer.SetTextureFilter(false);
  g_Renderer.SetSrcBlend(BLEND_ZERO);
  g_Renderer.SetDestBlend(BLEND_SRC_COLOUR);
  g_Renderer.SetZEnable(false);
  g_Renderer.SetZWriteEnable(false);
  for (std::uint16_t i = 0; i < g_DialogCount; ++i) g_Dialogs[i].Update();

  g_Renderer.SetAlphaBlendEnable(false);
  g_Renderer.SetTextureFilter(true);
  g_Renderer.SetSrcBlend(BLEND_ZERO);
  g_Renderer.SetDestBlend(BLEND_SRC_COLOUR);
  g_Renderer.SetZEnable(true);
  g_Renderer.SetZWriteEnable(true);
  if (state_ == UI_SCENE_RUNNING) g_Cursor.Update();

  g_Renderer.SetTextureFilter(false);
  const FocusEntry* f = FocusedEntry();
  if (!focusHidden && f && f->kind == WIDGET_BUTTON && f->index < buttons.count) buttons[f->index].DrawTooltip();
  return g_Renderer.DrawFade();
}
