#include "ui/dialog.h"

#include <cmath>
#include <new>

#include "engine/archive.h"
#include "engine/cursor.h"
#include "engine/data_reader.h"
#include "engine/display.h"
#include "engine/system.h"
#include "platform/win32/timer.h"
#include "platform/win32/window.h"
#include "ui/widget_io.h"

using ui_internal::ReportError;

namespace {

// Reads one list: the widgets are built, loaded from their files and
// placed, moved by (dx, dy). False after a reported failure.
template <typename T>
bool ReadList(DataReader* r, WidgetList<T>* list, float dx, float dy) {
  std::uint16_t count = 0;
  // An entry holds at least its spare byte, a path of one byte and six floats.
  if (!r->U16(&count) || count > DIALOG_MAX_WIDGETS || count * std::uint64_t{30} > r->Remaining()) {
    ReportError(ui_internal::DIALOG_ERROR);
    return false;
  }
  list->items.reset();
  list->count = 0;
  if (count == 0) return true;
  list->items.reset(new (std::nothrow) T[count]);
  if (!list->items) return false;
  list->count = count;
  for (std::uint16_t i = 0; i < count; ++i) {
    std::uint8_t spare = 0;
    char path[ui_internal::PATH_SIZE];
    if (!r->U8(&spare) || !r->String(path, ui_internal::PATH_SIZE)) {
      ReportError(ui_internal::DIALOG_ERROR);
      return false;
    }
    T& widget = (*list)[i];
    if (!widget.Load(path)) return false;
    float v[6];
    for (float& f : v) {
      if (!r->F32(&f)) {
        ReportError(ui_internal::DIALOG_ERROR);
        return false;
      }
    }
    widget.SetPosition(v[0] + dx, v[1] + dy, v[2]);
    widget.SetScale(v[3], v[4], v[5]);
  }
  return true;
}

void SetTextAgain(StaticText* label) {
  char copy[256];
  ui_internal::CopyTruncated(copy, sizeof copy, label->String());
  label->SetText(copy);
}

}  // namespace

Dialog::Dialog() = default;

Dialog::~Dialog() = default;

bool Dialog::Load(const char* path) {
  ArchiveFile file;
  if (!OpenDataFile(path, &file)) {
    ReportError(ui_internal::DIALOG_ERROR);
    return false;
  }
  DataReader r(&file);
  float box[4];
  for (float& f : box) {
    if (!r.F32(&f)) {
      ReportError(ui_internal::DIALOG_ERROR);
      file.Close();
      return false;
    }
  }
  w = box[2];
  h = box[3];
  x = static_cast<float>(g_ScreenWidth) / 2.0f - w / 2.0f;
  y = static_cast<float>(g_ScreenHeight) / 2.0f - h / 2.0f;
  const float dx = x - box[0];
  const float dy = y - box[1];
  // Choosers, progress bars and 3D objects keep the file's place.
  const bool ok = ReadList(&r, &buttons, dx, dy) && ReadList(&r, &editTexts, dx, dy) &&
                  ReadList(&r, &staticTexts, dx, dy) && ReadList(&r, &choosers, 0.0f, 0.0f) &&
                  ReadList(&r, &progressBars, 0.0f, 0.0f) && ReadList(&r, &sliders, dx, dy) &&
                  ReadList(&r, &objects, 0.0f, 0.0f) && ReadList(&r, &panels, dx, dy);
  file.Close();
  if (!ok) return false;
  for (std::uint16_t i = 0; i < buttons.count; ++i) {
    if (!buttons[i].BuildQuad()) return false;
  }
  for (std::uint16_t i = 0; i < staticTexts.count; ++i) SetTextAgain(&staticTexts[i]);
  focusableCount = static_cast<std::uint16_t>(buttons.count + editTexts.count + sliders.count);
  for (std::uint16_t i = 0; i < buttons.count; ++i) buttons[i].state = buttons[i].StartState();
  return true;
}

std::uint16_t Dialog::CountOf(std::uint16_t kind) const {
  switch (kind) {
    case WIDGET_BUTTON: return buttons.count;
    case WIDGET_EDIT_TEXT: return editTexts.count;
    case WIDGET_SLIDER: return sliders.count;
    default: return 0;
  }
}

void Dialog::SetFocusHighlight(std::uint8_t on) {
  if (focusIndex == 0 || focusIndex > CountOf(focusKind)) return;
  const std::uint16_t i = static_cast<std::uint16_t>(focusIndex - 1);
  switch (focusKind) {
    case WIDGET_BUTTON: buttons[i].SetHighlight(on, 0); break;
    case WIDGET_EDIT_TEXT: editTexts[i].SetFocus(on); break;
    case WIDGET_SLIDER: sliders[i].track.SetHighlight(on, 0); break;
    default: break;
  }
}

void Dialog::TakeFocus(std::uint16_t kind, std::uint16_t index) {
  SetFocusHighlight(0);
  focusKind = kind;
  focusIndex = index;
  SetFocusHighlight(1);
}

void Dialog::FocusNext() {
  if (CountOf(focusKind) == 0 && focusableCount == 0) return;
  SetFocusHighlight(0);
  ++focusIndex;
  if (focusIndex > CountOf(focusKind)) {
    static constexpr std::uint16_t kCycle[3] = {WIDGET_BUTTON, WIDGET_EDIT_TEXT, WIDGET_SLIDER};
    int at = 0;
    while (at < 3 && kCycle[at] != focusKind) ++at;
    for (int n = 1; n <= 3; ++n) {
      const std::uint16_t kind = kCycle[(at + n) % 3];
      if (CountOf(kind) != 0) {
        focusKind = kind;
        break;
      }
    }
    focusIndex = 1;
  }
  SetFocusHighlight(1);
}

void Dialog::FocusPrevious() {
  if (CountOf(focusKind) == 0 && focusableCount == 0) return;
  SetFocusHighlight(0);
  if (focusIndex > 1 && focusIndex - 1 <= CountOf(focusKind)) {
    --focusIndex;
  } else {
    static constexpr std::uint16_t kCycle[3] = {WIDGET_BUTTON, WIDGET_SLIDER, WIDGET_EDIT_TEXT};
    int at = 0;
    while (at < 3 && kCycle[at] != focusKind) ++at;
    for (int n = 1; n <= 3; ++n) {
      const std::uint16_t kind = kCycle[(at + n) % 3];
      if (CountOf(kind) != 0) {
        focusKind = kind;
        break;
      }
    }
    focusIndex = CountOf(focusKind);
  }
  SetFocusHighlight(1);
}

bool Dialog::Update() {
  if (mode != 1) return true;
  const std::uint32_t now = timeGetTime();
  const std::uint32_t dt = now - lastTime;
  lastTime = now;
  if (phase == 0) {
    phase = 1;
    SetFocusHighlight(1);
    return true;
  }
  if (phase == 1) phase = 2;

  if (phase == 2 && active && g_Cursor.IsMousePresent()) {
    Vector3 p;
    g_Cursor.GetPosition(&p);
    if (focusKind == WIDGET_EDIT_TEXT) {
      pointerOff = 0;
    } else {
      bool hit = false;
      for (std::uint16_t i = 0; i < sliders.count; ++i) {
        if (!sliders[i].track.HitTest(p.x, p.y) && !sliders[i].dragging) continue;
        hit = true;
        const std::uint16_t index = static_cast<std::uint16_t>(i + 1);
        if (focusKind != WIDGET_SLIDER || index != focusIndex || pointerOff) TakeFocus(WIDGET_SLIDER, index);
      }
      if (!hit) {
        for (std::uint16_t i = 0; i < buttons.count; ++i) {
          if (!buttons[i].HitTest(p.x, p.y)) continue;
          hit = true;
          const std::uint16_t index = static_cast<std::uint16_t>(i + 1);
          if (focusKind != WIDGET_BUTTON || index != focusIndex || pointerOff) TakeFocus(WIDGET_BUTTON, index);
        }
      }
      if (hit) {
        pointerOff = 0;
      } else {
        SetFocusHighlight(0);
        pointerOff = 1;
      }
    }
  }

  const int step = static_cast<int>(phase);
  for (std::uint16_t i = 0; i < objects.count; ++i) objects[i].Update(dt, step);
  for (std::uint16_t i = 0; i < buttons.count; ++i) buttons[i].Update(dt, step);
  for (std::uint16_t i = 0; i < editTexts.count; ++i) editTexts[i].Update(dt, step);
  for (std::uint16_t i = 0; i < choosers.count; ++i) choosers[i].Update(dt, step);
  for (std::uint16_t i = 0; i < progressBars.count; ++i) progressBars[i].Update(dt, step);
  for (std::uint16_t i = 0; i < sliders.count; ++i) sliders[i].Update(dt, step);

  g_Renderer.SetSrcBlend(BLEND_ZERO);
  g_Renderer.SetDestBlend(BLEND_SRC_COLOUR);
  g_Renderer.SetTextureFilter(false);
  g_Renderer.SetAlphaBlendEnable(false);
  for (std::uint16_t i = 0; i < objects.count; ++i) objects[i].Draw();
  for (std::uint16_t i = 0; i < panels.count; ++i) panels[i].Draw();
  for (std::uint16_t i = 0; i < buttons.count; ++i) buttons[i].Draw();
  for (std::uint16_t i = 0; i < choosers.count; ++i) choosers[i].Draw();
  for (std::uint16_t i = 0; i < progressBars.count; ++i) progressBars[i].Draw();
  for (std::uint16_t i = 0; i < sliders.count; ++i) sliders[i].Draw();
  g_Renderer.SetAlphaBlendEnable(true);
  g_Renderer.SetTextureFilter(true);
  g_Renderer.SetSrcBlend(BLEND_ONE);
  g_Renderer.SetDestBlend(BLEND_ONE_MINUS_SRC_COLOUR);
  for (std::uint16_t i = 0; i < editTexts.count; ++i) {
    editTexts[i].SetAlpha(0.7f);
    editTexts[i].Draw();
  }
  for (std::uint16_t i = 0; i < staticTexts.count; ++i) {
    staticTexts[i].SetAlpha(0.7f);
    staticTexts[i].Draw();
  }
  return true;
}

bool Dialog::OnKey(UINT msg, WPARAM key, LPARAM lParam) {
  if (!active || mode != 1) return false;
  if (msg == WM_KEYDOWN) {
    if (focusKind == WIDGET_EDIT_TEXT && !pointerOff && focusIndex >= 1 && focusIndex <= editTexts.count)
      editTexts[focusIndex - 1].OnKey(WM_KEYDOWN, key, lParam);
    return false;
  }
  if (msg != WM_KEYUP || pointerOff) return false;
  switch (key) {
    case VK_LEFT: FocusPrevious(); return true;
    case VK_RIGHT: FocusNext(); return true;
    case VK_RETURN:
      if (focusKind == WIDGET_BUTTON && focusIndex >= 1 && focusIndex <= buttons.count) {
        buttons[focusIndex - 1].Press();
      } else if (focusKind == WIDGET_EDIT_TEXT) {
        TakeFocus(WIDGET_BUTTON, 1);
      }
      return true;
    default: return false;
  }
}

bool Dialog::OnMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!active || mode != 1 || !g_Cursor.IsMousePresent()) return false;
  for (std::uint16_t i = 0; i < sliders.count; ++i) {
    if (sliders[i].dragging) {
      sliders[i].OnMouseUp(msg, wParam, lParam);
      return true;
    }
  }
  if (msg != WM_LBUTTONDOWN) return false;
  const int px = static_cast<int>(lParam & 0xFFFF);
  const int py = static_cast<int>((lParam >> 16) & 0xFFFF);
  const float fx = static_cast<float>(px);
  const float fy = static_cast<float>(py);
  for (std::uint16_t i = 0; i < sliders.count; ++i) {
    const Button& t = sliders[i].thumb;
    const int l = static_cast<int>(t.x) - DIALOG_THUMB_MARGIN;
    const int r = static_cast<int>(t.x + t.w) + DIALOG_THUMB_MARGIN;
    const int top = static_cast<int>(t.y);
    const int bottom = static_cast<int>(t.y + t.h);
    if (px < l || px > r || py < top || py > bottom) continue;
    const std::uint16_t index = static_cast<std::uint16_t>(i + 1);
    if (focusKind != WIDGET_SLIDER || index != focusIndex) TakeFocus(WIDGET_SLIDER, index);
    sliders[i].SetDragging(1);
    return true;
  }
  for (std::uint16_t i = 0; i < buttons.count; ++i) {
    if (!buttons[i].HitTest(fx, fy)) continue;
    const std::uint16_t index = static_cast<std::uint16_t>(i + 1);
    if (focusKind != WIDGET_BUTTON || index != focusIndex) TakeFocus(WIDGET_BUTTON, index);
    buttons[i].Press();
    return true;
  }
  for (std::uint16_t i = 0; i < editTexts.count; ++i) {
    if (!editTexts[i].HitTest(fx, fy)) continue;
    const std::uint16_t index = static_cast<std::uint16_t>(i + 1);
    if (focusKind != WIDGET_EDIT_TEXT || index != focusIndex) TakeFocus(WIDGET_EDIT_TEXT, index);
    return true;
  }
  return false;
}

void Dialog::SetWidgetValue(std::uint16_t kind, std::uint16_t index, int value) {
  switch (kind) {
    case WIDGET_CHOOSER:
      if (index < choosers.count && value >= 0 && value <= 0xFFFF)
        choosers[index].GoToPage(static_cast<std::uint16_t>(value));
      break;
    case WIDGET_PROGRESS_BAR:
      if (index < progressBars.count) {
        progressBars[index].value = static_cast<std::uint16_t>(value < 0 ? 0 : value > 100 ? 100 : value);
        progressBars[index].UpdateVertices();
      }
      break;
    case WIDGET_SLIDER:
      if (index < sliders.count && value >= 0 && value <= 0xFFFF)
        sliders[index].SetValue(static_cast<std::uint16_t>(value));
      break;
    default: break;
  }
}

void Dialog::SetButtonState(std::uint16_t, std::uint16_t index, std::uint8_t value) {
  if (index >= buttons.count) return;
  Button& b = buttons[index];
  if (b.toggle) b.toggleState = value;
  if (b.radio) b.state = value ? Button::PRESSED : Button::NORMAL;
}

void Dialog::SetButtonAction(std::uint16_t button, std::uint16_t action, std::uint16_t a1, std::uint16_t a2,
                             const char* text) {
  if (button >= buttons.count || action >= buttons[button].actionCount) return;
  ButtonAction& a = buttons[button].actions[action];
  a.a1 = a1;
  a.a2 = a2;
  ui_internal::CopyTruncated(a.text, BUTTON_ACTION_TEXT_SIZE, text);
}

void Dialog::ResetFocus(std::uint16_t newMode) {
  mode = newMode;
  if (newMode == 0) {
    for (std::uint16_t i = 0; i < buttons.count; ++i) buttons[i].state = buttons[i].StartState();
    focusKind = WIDGET_BUTTON;
    focusIndex = 1;
  } else if (newMode == 1) {
    SetFocusHighlight(1);
  }
}
