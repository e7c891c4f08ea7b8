// The pop-up box of the game (quit, confirm, pause, race end, lobby): the
// widgets a file lists, centred on the screen when loaded, updated and
// drawn as one unit, with a keyboard and mouse focus that moves over its
// buttons, edit texts and sliders. It works only in mode 1; its owners set
// the mode and whether it takes input.
//
// File, little-endian (str = u32 n with the NUL, n bytes): 4 x f32 x, y, w,
// h of the box as designed, then eight lists in the order buttons, edit
// texts, static texts, choosers, progress bars, sliders, 3D objects,
// panels; each a u16 count, then per widget u8 spare, str widget file,
// 3 x f32 position, 3 x f32 size.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/object3d.h"
#include "platform/win32/types.h"
#include "ui/button.h"
#include "ui/chooser.h"
#include "ui/edit_text.h"
#include "ui/panel.h"
#include "ui/progress_bar.h"
#include "ui/slider.h"
#include "ui/static_text.h"
#include "ui/window.h"

// The kinds of widget that the focus and SetWidgetValue name.
enum WidgetKind : std::uint16_t {
  WIDGET_OBJECT3D = 3,
  WIDGET_BUTTON = 4,
  WIDGET_EDIT_TEXT = 7,
  WIDGET_UI_STATIC_TEXT = 8,
  WIDGET_CHOOSER = 9,
  WIDGET_PROGRESS_BAR = 10,
  WIDGET_SLIDER = 13,
};

// No box holds more widgets of one kind; a larger count is refused before
// any widget is built.
constexpr std::uint16_t DIALOG_MAX_WIDGETS = 256;
// Pixels added left and right of a slider's thumb for a click to catch it.
constexpr int DIALOG_THUMB_MARGIN = 5;

template <typename T>
struct WidgetList {
  std::unique_ptr<T[]> items;
  std::uint16_t count = 0;
  T& operator[](std::uint16_t i) { return items[i]; }
};

class Dialog : public Window {
 public:
  Dialog();
  ~Dialog() override;

  bool Load(const char* path) override;
  // Updates and draws; nothing unless the mode is 1.
  bool Update() override;
  bool OnKey(UINT msg, WPARAM key, LPARAM lParam) override;
  bool OnMouse(UINT msg, WPARAM wParam, LPARAM lParam) override;

  void SetFocusHighlight(std::uint8_t on);
  void FocusNext();
  void FocusPrevious();
  // Indices 0-based; out of range they are ignored.
  void SetWidgetValue(std::uint16_t kind, std::uint16_t index, int value);
  void SetButtonState(std::uint16_t kind, std::uint16_t index, std::uint8_t value);
  void SetButtonAction(std::uint16_t button, std::uint16_t action, std::uint16_t a1, std::uint16_t a2,
                       const char* text);
  // Stores the mode; 0 puts the buttons back to their start states and the
  // focus on button 1, 1 highlights the focused widget.
  void ResetFocus(std::uint16_t newMode);

  // Kept: the phase is never reset, so a dialog shown again does not repeat
  // its highlight-only first update.
  std::uint32_t phase = 0;
  std::uint32_t lastTime = 0;
  std::uint16_t focusableCount = 0;
  std::uint16_t focusKind = WIDGET_BUTTON;
  std::uint16_t focusIndex = 1;  // 1-based within the kind
  std::uint16_t mode = 0;
  std::uint8_t active = 0;  // takes keys and the mouse
  // A mouse is present and the pointer lies on no button and no slider:
  // keys are ignored.
  std::uint8_t pointerOff = 0;
  WidgetList<Object3D> objects;
  WidgetList<Panel> panels;
  WidgetList<Button> buttons;
  WidgetList<EditText> editTexts;
  WidgetList<StaticText> staticTexts;
  WidgetList<Chooser> choosers;
  WidgetList<ProgressBar> progressBars;
  WidgetList<Slider> sliders;

 private:
  std::uint16_t CountOf(std::uint16_t kind) const;
  void TakeFocus(std::uint16_t kind, std::uint16_t index);
};
