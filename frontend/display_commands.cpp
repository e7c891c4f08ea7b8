// The general commands of every screen: quitting, texts, progress bars,
// sliders, choosers, the scene's exit and Escape action, the dialogs, the
// focus list, the movie and the credits.
#include <cstdio>
#include <new>

#include "engine/app.h"
#include "engine/cd_audio.h"
#include "engine/cursor.h"
#include "engine/mixer.h"
#include "engine/system.h"
#include "engine/text_database.h"
#include "frontend/commands_internal.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/ui_scene.h"

namespace {

int Volume(MixerLineKind kind) {
  MixerLine* line = g_Mixer.Line(kind);
  return line ? line->GetVolume() : 0;
}

// Dialogs 2 and up do not work in a network race.
bool NetRaceGuard(std::int32_t dialog) {
  return g_GameMode == GAME_MODE_MULTIPLAYER && g_SceneNumber >= 27 && dialog >= 2;
}

void Quit(std::int32_t a1, std::int32_t, const char*) {
  if (a1 == 0) {
    g_App.RequestClose();
    return;
  }
  if (CurrentUiScene() && g_SceneNumber == 0) OpenDialog(0);
}

void StepBar(std::int32_t a1, int step) {
  UiScene* scene = CurrentUiScene();
  if (!scene || a1 < 0 || a1 >= scene->progressBars.count) return;
  ProgressBar& bar = scene->progressBars[static_cast<std::uint16_t>(a1)];
  if (step > 0 && bar.value < 99) ++bar.value;
  if (step < 0 && bar.value >= 2) --bar.value;
  bar.UpdateVertices();
}

void BarUp(std::int32_t a1, std::int32_t, const char*) { StepBar(a1, 1); }
void BarDown(std::int32_t a1, std::int32_t, const char*) { StepBar(a1, -1); }

void SetBar(std::int32_t a1, std::int32_t a2, const char*) {
  if (UiScene* scene = CurrentUiScene()) {
    if (a1 >= 0 && a1 < scene->progressBars.count) {
      ProgressBar& bar = scene->progressBars[static_cast<std::uint16_t>(a1)];
      bar.value = static_cast<std::uint16_t>(a2);
      bar.UpdateVertices();
    }
  }
  if (g_GameController.raceScene && g_Dialogs && g_DialogCount > 0) {
    int volume = Volume(MIXER_LINE_WAVE);
    if (a1 != 0) {
      volume = Volume(MIXER_LINE_CD);
      if (Volume(MIXER_LINE_DIGITAL) > volume) {
        volume = Volume(MIXER_LINE_DIGITAL);
      } else if (Volume(MIXER_LINE_AUX) > volume) {
        volume = Volume(MIXER_LINE_AUX);
      }
    }
    g_Dialogs[0].SetWidgetValue(WIDGET_PROGRESS_BAR, static_cast<std::uint16_t>(a1), volume);
  }
}

void ShowNumberedName(std::int32_t a1, std::int32_t a2, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene || a1 < 0 || a1 >= scene->uiTexts.count || a2 < 0 || a2 >= PLAYER_SLOTS) return;
  char text[PLAYER_NAME_SIZE + 8];
  std::snprintf(text, sizeof text, "%d%d %s", a2 / 10 % 10, a2 % 10, g_PlayersList.entries[a2].name);
  scene->uiTexts[static_cast<std::uint16_t>(a1)].SetText(text);
}

void GoToExit(UiScene* scene) {
  if (scene->exitSceneSet) GoToScene(scene->exitScene);
}

void LeaveScene(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  switch (g_SceneNumber) {
    case 1:
      if (g_GameMode == GAME_MODE_MULTIPLAYER) {
        OpenDialog(0);
      } else {
        GoToExit(scene);
      }
      break;
    case 3:
    case 18:
    case 23:
    case 24: OpenDialog(0); break;
    case 6:
      if (Volume(MIXER_LINE_CD) > 0 || Volume(MIXER_LINE_DIGITAL) > 0 || Volume(MIXER_LINE_AUX) > 0) {
        if (g_CdAudio.state == CDAUDIO_NO_DEVICE || g_CdAudio.state == CDAUDIO_CLOSED) g_CdAudio.Open();
        if (g_CdAudio.state != CDAUDIO_PLAYING) g_CdAudio.Play();
      } else {
        if (g_CdAudio.state == CDAUDIO_PLAYING) g_CdAudio.Stop();
        g_CdAudio.Close();
      }
      GoToExit(scene);
      break;
    case 22:
      if (scene->exitSceneSet) GoToScene(g_GameMode == GAME_MODE_QUICK_RACE ? 21 : scene->exitScene);
      break;
    default: GoToExit(scene); break;
  }
}

void SetUiText(std::int32_t a1, std::int32_t, const char* text) {
  UiScene* scene = CurrentUiScene();
  if (scene && a1 >= 0 && a1 < scene->uiTexts.count) scene->uiTexts[static_cast<std::uint16_t>(a1)].SetText(text);
}

void StepSlider(std::int32_t a1, int step) {
  UiScene* scene = CurrentUiScene();
  if (!scene || a1 < 0 || a1 >= scene->sliders.count) return;
  Slider& s = scene->sliders[static_cast<std::uint16_t>(a1)];
  // -1 wraps to 0xFFFF, which the slider ignores like any value past its end.
  s.SetValue(static_cast<std::uint16_t>(s.value + step));
}

void SliderUp(std::int32_t a1, std::int32_t, const char*) { StepSlider(a1, 1); }
void SliderDown(std::int32_t a1, std::int32_t, const char*) { StepSlider(a1, -1); }

void SetExit(std::int32_t a1, std::int32_t a2, const char*) {
  if (UiScene* scene = CurrentUiScene()) {
    scene->exitSceneSet = a1 != 0 ? 1 : 0;
    scene->exitScene = a2;
  }
}

void SetDialogMode(std::int32_t a1, std::int32_t a2, const char*) {
  if (NetRaceGuard(a1) || a1 < 0) return;
  if (Dialog* d = SceneDialog(static_cast<std::uint16_t>(a1))) {
    d->ResetFocus(static_cast<std::uint16_t>(a2));
    if (a2 == 1) d->active = 1;
  }
}

void ShowDialog(std::int32_t a1, std::int32_t, const char*) {
  if (NetRaceGuard(a1) || !g_Dialogs) return;
  for (std::uint16_t i = 0; i < g_DialogCount; ++i) g_Dialogs[i].active = i == a1 ? 1 : 0;
}

void OpenFirstDialog(std::int32_t, std::int32_t, const char*) { OpenDialog(0); }

void ChooserGoToPage(std::int32_t a1, std::int32_t a2, const char*) {
  UiScene* scene = CurrentUiScene();
  if (scene && a1 >= 0 && a1 < scene->choosers.count) {
    scene->choosers[static_cast<std::uint16_t>(a1)].GoToPage(static_cast<std::uint16_t>(a2));
  }
}

void LoadFocusListCommand(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  // The network host's lists come with the network game: until then no
  // machine is the host (scene 16 keeps its list).
  if (g_SceneNumber == 4 || g_SceneNumber == 21) {
    const char* name = "DATA\\UI\\03.FLT";
    if (g_GameMode == GAME_MODE_QUICK_RACE) name = "DATA\\UI\\31.FLT";
    if (g_GameMode == GAME_MODE_MULTIPLAYER) name = "DATA\\UI\\032.FLT";
    scene->LoadFocusList(name);
  }
}

void PlayMovie(std::int32_t a1, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  if (a1 != 0) {
    scene->movie.Play(static_cast<std::uint8_t>(a1));
  } else {
    scene->movie.Pause();
  }
}

bool IsHeading(int line) {
  static const int kHeadings[] = {1, 3, 5, 9, 11, 14, 16, 18, 20, 22, 27, 30, 32, 34, 37, 38, 40, 42, 44, 46, 48, 49, 51};
  for (int h : kHeadings) {
    if (h == line) return true;
  }
  return false;
}

bool HasSpaceBefore(int line) {
  static const int kSpaced[] = {3, 5, 9, 11, 14, 16, 18, 20, 22, 27, 30, 32, 34, 38, 40, 42, 44, 46, 49, 51};
  for (int s : kSpaced) {
    if (s == line) return true;
  }
  return false;
}

void PlacePanels(UiScene* scene, std::uint16_t first, float y) {
  for (std::uint16_t p = first; p < first + 2 && p < scene->panels.count; ++p) scene->panels[p].SetPosition(192.0f, y, 0.0f);
}

void ShowCredits(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  constexpr int kLines = 53;
  WidgetList<StaticText> texts;
  texts.items.reset(new (std::nothrow) StaticText[2 * kLines]);
  if (!texts.items) {
    ShowMessageBox("Error: not enough memory.\nAborting program execution.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    g_App.RequestClose();
    return;
  }
  texts.count = 2 * kLines;
  g_Cursor.SetAcquired(false);
  float y = 480.0f;
  for (int i = 0; i < kLines; ++i) {
    if (i == 0) {
      PlacePanels(scene, 0, y);
      y += 176.0f;
    } else if (i == 1 || i == 48) {
      PlacePanels(scene, i == 1 ? 2 : 6, y + 50.0f);
      y = y + 50.0f + 238.0f + 36.0f;
    } else if (i == 37) {
      PlacePanels(scene, 4, y - 10.0f);
      y = y - 10.0f + 176.0f + 36.0f;
    } else if (i == 25) {
      y += 9.0f;
    } else if (HasSpaceBefore(i)) {
      y += 36.0f;
    }
    const char* line = g_TextDatabase.Text(static_cast<std::uint32_t>(1048 + i));
    StaticText& text = texts[static_cast<std::uint16_t>(kLines + i)];
    text.SetFont(0);
    text.SetAnchors(1, 1);
    text.SetCentring(1, 0);
    text.SetPosition(320.0f, y, 0.0f);
    text.SetScale(1.0f, 1.0f, 1.0f);
    text.SetText(line);
    if (IsHeading(i)) {
      text.SetColour(kOrange[0], kOrange[1], kOrange[2], 0, 0);
    } else {
      text.SetColour(1.0f, 1.0f, 1.0f, 0, 0);
    }
    StaticText& shadow = texts[static_cast<std::uint16_t>(i)];
    shadow.SetFont(1);
    shadow.SetAnchors(1, 1);
    shadow.SetCentring(1, 0);
    shadow.SetPosition(322.0f, y + 3.0f, 0.0f);
    shadow.SetScale(1.0f, 1.0f, 1.0f);
    shadow.SetText(line);
    shadow.SetColour(1.0f, 1.0f, 1.0f, 0, 0);
    y += 18.0f;
  }
  scene->staticTexts = std::move(texts);
}

}  // namespace

void RegisterDisplayCommands(CommandTable* table) {
  table->handlers[CMD_QUIT] = Quit;
  table->handlers[CMD_PROGRESS_BAR_UP] = BarUp;
  table->handlers[CMD_PROGRESS_BAR_DOWN] = BarDown;
  table->handlers[CMD_SET_PROGRESS_BAR] = SetBar;
  table->handlers[CMD_SHOW_NUMBERED_NAME] = ShowNumberedName;
  table->handlers[CMD_LEAVE_SCENE] = LeaveScene;
  table->handlers[CMD_SET_UI_TEXT] = SetUiText;
  table->handlers[CMD_SLIDER_UP] = SliderUp;
  table->handlers[CMD_SLIDER_DOWN] = SliderDown;
  table->handlers[CMD_SET_EXIT] = SetExit;
  table->handlers[CMD_SET_DIALOG_MODE] = SetDialogMode;
  table->handlers[CMD_SHOW_DIALOG] = ShowDialog;
  table->handlers[CMD_OPEN_FIRST_DIALOG] = OpenFirstDialog;
  table->handlers[CMD_CHOOSER_GO_TO_PAGE] = ChooserGoToPage;
  table->handlers[CMD_LOAD_FOCUS_LIST] = LoadFocusListCommand;
  table->handlers[CMD_PLAY_MOVIE] = PlayMovie;
  table->handlers[CMD_SHOW_CREDITS] = ShowCredits;
}
