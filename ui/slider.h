// Picks one of a short list of named values by dragging a thumb along a
// track, and applies it at once to the setting its file names: mixer
// volumes and CD music, the sound mute, the race length, or a command of
// the game controller. Built from two buttons (track and thumb) and two
// labels (caption and the current value's name).
//
// File, little-endian (str = u32 n with the NUL, n bytes): u16 item count
// (at least 2), that many u32 text ids, 4 x f32 track box (left, top,
// right, bottom), track and thumb button bodies, caption and value-label
// static-text bodies, 4 x u8 draw layers (track, thumb, caption, value
// label), u16 setting id, u16 variant, u16 spare, str spare.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/scene_object.h"
#include "platform/win32/types.h"
#include "ui/button.h"
#include "ui/static_text.h"

constexpr std::uint32_t SLIDER_ITEM_SIZE = 256;
// No setting has more steps than this; a larger count is refused before the
// names are allocated.
constexpr std::uint16_t SLIDER_MAX_ITEMS = 1024;

// What Apply changes, by the file's setting id.
enum SliderSetting : std::uint16_t {
  SLIDER_MUSIC_VOLUME = 1,
  SLIDER_MUSIC_VOLUME_2 = 2,
  SLIDER_EFFECTS_VOLUME = 3,
  SLIDER_EFFECTS_VOLUME_2 = 4,
  SLIDER_SKILL = 5,
  SLIDER_RACE_LENGTH = 38,
  SLIDER_RACE_LENGTH_2 = 39,
  SLIDER_SETUP_VALUE = 48,
  SLIDER_RIDER_COUNT = 90,
};

class Slider : public SceneObject {
 public:
  Slider();
  ~Slider() override;

  // Moves the whole slider so that the track's top-left corner is at (x, y).
  void SetPosition(float x, float y, float z) override;
  bool Load(const char* path) override;
  bool Update(unsigned ms, int mode) override;
  bool Draw() override;

  // Ignored for i at or past the item count.
  void SetValue(std::uint16_t i);
  void Apply();
  void SetDragging(std::uint8_t on);
  // WM_LBUTTONUP ends the drag and frees the pointer.
  void OnMouseUp(UINT msg, WPARAM wParam, LPARAM lParam);
  const char* Item(std::uint16_t i) const { return items.get() + SLIDER_ITEM_SIZE * static_cast<std::size_t>(i); }

  std::uint16_t itemCount = 0;
  std::uint16_t value = 0;
  float step = 0.0f;  // pixels per item
  std::unique_ptr<char[]> items;  // itemCount names of SLIDER_ITEM_SIZE bytes
  std::uint8_t spare = 0;
  std::uint8_t dragging = 0;
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  Button track;
  Button thumb;
  StaticText caption;
  StaticText valueLabel;
  // Draw layers 0..2 of track, thumb, caption and value label; others never draw.
  std::uint8_t layers[4] = {};
  std::uint16_t settingId = 0;
  std::uint16_t variant = 0;
  std::uint16_t spareWord = 0;
  char spareString[258] = {};

 private:
  int ThumbHalfWidth() const;
  int ThumbHalfHeight() const;
  void PlaceThumb();
  void ComputeStep();
};
