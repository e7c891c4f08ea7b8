// The UI scene's keys and clicks: arrows and Return act on key-up, Escape
// opens the scene's exit dialog, a key in a movie ends it and a key in the
// credits quits; a click focuses and presses the widget under it.
#include "engine/app.h"
#include "engine/cursor.h"
#include "frontend/commands_internal.h"
#include "frontend/game_controller.h"
#include "frontend/ui_scene.h"
#include "platform/win32/window.h"

namespace {

Dialog* InputDialog() {
  for (std::uint16_t i = 0; i < g_DialogCount; ++i) {
    if (g_Dialogs[i].active && g_Dialogs[i].mode == 1) return &g_Dialogs[i];
  }
  return nullptr;
}

// The exit dialog of a scene for Escape, or -1.
int ExitDialog(std::int32_t scene) {
  switch (scene) {
    case 0:
    case 3:
    case 18:
    case 23:
    case 24: return 0;
    case 2: return IsChampionshipSeries() ? 4 : 3;
    case 5: return IsChampionshipSeries() ? 7 : 6;
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
    case 19:
    case 22:
    case 26: return IsChampionshipSeries() ? 1 : 0;
    default: return -1;
  }
}

bool IsMovieSceneNumber(std::int32_t s) { return s == 27 || (s >= 29 && s <= 31); }

}  // namespace

void UiScene::EndMovie() {
  movie.Stop();
  state_ = UI_SCENE_CLOSING;
  g_GameController.Command(CMD_GO_TO_SCENE, 0, 0, "NULL");
  g_GameController.pendingSceneChange = 1;
}

void UiScene::OnKey(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (state_ == UI_SCENE_CLOSING || !inputReady) return;
  if (Dialog* d = InputDialog()) {
    d->OnKey(msg, wParam, lParam);
    return;
  }
  const FocusEntry* focused = focusHidden ? nullptr : FocusedEntry();
  EditText* edit =
      focused && focused->kind == WIDGET_EDIT_TEXT && focused->index < editTexts.count ? &editTexts[focused->index] : nullptr;

  if (msg == WM_KEYDOWN || msg == WM_CHAR || msg == WM_KEYUP) {
    if (IsMovieSceneNumber(sceneNumber)) {
      EndMovie();
      return;
    }
    if (sceneNumber == 28) {
      g_GameController.Command(CMD_QUIT, 0, 0, "NULL");
      return;
    }
    if (msg != WM_KEYUP) {
      if (edit) edit->OnKey(msg, wParam, lParam);
      return;
    }
    if (edit) edit->OnKey(msg, wParam, lParam);
    switch (wParam) {
      case VK_LEFT:
        if (focused) {
          const std::int16_t i = static_cast<std::int16_t>(focusIndex - 1 < 0 ? focusCount - 1 : focusIndex - 1);
          HighlightEntry(i);
        }
        break;
      case VK_RIGHT:
        if (focused) NextFocus();
        break;
      case VK_RETURN:
        if (focused && focused->kind == WIDGET_BUTTON && focused->index < buttons.count) {
          buttons[focused->index].Press();
        } else if (edit) {
          NextFocus();
        }
        break;
      case VK_ESCAPE: {
        const int d = ExitDialog(sceneNumber);
        if (d >= 0) OpenDialog(static_cast<std::uint16_t>(d));
        break;
      }
      default: break;
    }
    return;
  }

  if (msg == MSG_MOVIE_EVENT && movie.events) {
    long code = 0;
    LONG_PTR p1 = 0;
    LONG_PTR p2 = 0;
    bool ended = false;
    while (movie.events && SUCCEEDED_HR(movie.events->GetEvent(&code, &p1, &p2, 100))) {
      movie.events->FreeEventParams(code, p1, p2);
      if (code == EC_COMPLETE || code == EC_USERABORT) ended = true;
    }
    if (ended) EndMovie();
  }
}

void UiScene::OnMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (sceneNumber >= 27 && sceneNumber <= 32) return;
  if (state_ == UI_SCENE_CLOSING || !inputReady || !g_Cursor.IsMousePresent()) return;
  if (Dialog* d = InputDialog()) {
    d->OnMouse(msg, wParam, lParam);
    return;
  }
  for (std::uint16_t i = 0; i < sliders.count; ++i) {
    if (sliders[i].dragging) {
      sliders[i].OnMouseUp(msg, wParam, lParam);
      return;
    }
  }
  if (msg != WM_LBUTTONDOWN) return;
  const float x = static_cast<float>(lParam & 0xFFFF);
  const float y = static_cast<float>((lParam >> 16) & 0xFFFF);

  // The first entry of a kind naming widget i, or -1.
  auto entryOf = [this](std::uint8_t kind, std::uint16_t i) -> int {
    for (std::uint16_t e = 0; e < focusCount; ++e) {
      if (focusList[e].kind == kind && focusList[e].index == i) return e;
    }
    return -1;
  };

  for (std::uint16_t b = 0; b < buttons.count; ++b) {
    if (!buttons[b].HitTest(x, y)) continue;
    if (focusCount == 0) return;
    const int e = entryOf(WIDGET_BUTTON, b);
    if (e < 0) return;
    const FocusEntry* cur = FocusedEntry();
    if (!(cur && cur->kind == WIDGET_BUTTON && cur->index == b)) HighlightEntry(static_cast<std::int16_t>(e));
    focusHidden = 0;
    buttons[b].Press();
    return;
  }
  for (std::uint16_t t = 0; t < editTexts.count; ++t) {
    if (!editTexts[t].HitTest(x, y)) continue;
    const int e = entryOf(WIDGET_EDIT_TEXT, t);
    if (e < 0) {
      focusHidden = 0;
      return;
    }
    if (e != focusIndex || focusHidden) HighlightEntry(static_cast<std::int16_t>(e));
    focusHidden = 0;
    return;
  }
  for (std::uint16_t s = 0; s < sliders.count; ++s) {
    const Button& thumb = sliders[s].thumb;
    const int left = static_cast<int>(thumb.x) - DIALOG_THUMB_MARGIN;
    const int right = static_cast<int>(thumb.x + thumb.w) + DIALOG_THUMB_MARGIN;
    const int top = static_cast<int>(thumb.y);
    const int bottom = static_cast<int>(thumb.y + thumb.h);
    if (x < left || x > right || y < top || y > bottom) continue;
    if (focusCount == 0) return;
    const int e = entryOf(WIDGET_SLIDER, s);
    if (e < 0) return;
    const FocusEntry* cur = FocusedEntry();
    if (!(cur && cur->kind == WIDGET_SLIDER && cur->index == s)) HighlightEntry(static_cast<std::int16_t>(e));
    focusHidden = 0;
    sliders[s].SetDragging(1);
    return;
  }
  const FocusEntry* cur = FocusedEntry();
  if (cur && cur->kind == WIDGET_EDIT_TEXT) {
    NextFocus();
  } else {
    SetFocusHighlight(false);
  }
  focusHidden = 1;
}
