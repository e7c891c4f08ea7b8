// Menu text that lives in the scene's 3D space: its characters are quads of
// a small mesh that the geometry pipeline draws, so a label can be moved by
// a matrix or by a mesh animation. Characters advance by a fixed step;
// glyph widths are ignored.
//
// File, little-endian (str = u32 n with the NUL, n bytes): u8 animated,
// u8 has text, u16 font, 3 x f32 origin, f32 advance, f32 height,
// 3 x f32 colour, u32 text id (only when has text), u8 spare and str
// animation path (only when animated), u8 spare, u8 sound count, then per
// sound u8 slot and str path.
#pragma once

#include "ui/text.h"

class UiStaticText : public Text {
 public:
  UiStaticText();
  ~UiStaticText() override;

  bool Load(const char* path) override;
  // Builds the character mesh. False when memory runs out (nothing is shown
  // then), or for a string longer than MaxCharacters (the text is left as
  // it was).
  bool SetText(const char* s) override;
  // An animated text ignores it.
  void SetMatrix(const Matrix4* m) override;
  // For the next SetText; the shown mesh keeps its colour.
  void SetColour(float r, float g, float b);

  // The pipeline transforms at most this many characters at once.
  static constexpr std::size_t MaxCharacters = PIPELINE_MAX_VERTICES / 4;
};
