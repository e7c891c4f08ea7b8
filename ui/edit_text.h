// The one-line input field: a static text that shows a caret "|" while it
// has the focus, takes typed characters its font can draw up to a maximum
// length, and deletes the last one on backspace.
//
// File, little-endian: u32 max length, then one static-text body.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "ui/static_text.h"

// The shown string with its caret is built in a 256-byte buffer.
constexpr std::uint32_t EDIT_TEXT_MAX_LENGTH = 254;

class EditText : public StaticText {
 public:
  EditText();

  bool Load(const char* path) override;
  // Shows s followed by the caret while focused; s is cut to the maximum
  // that fits the 256-byte buffer.
  bool SetText(const char* s) override;
  void SetFocus(std::uint8_t on);
  // Backspace on WM_KEYDOWN, printable characters 32..127 but "#" on
  // WM_CHAR; always -1.
  int OnKey(UINT msg, WPARAM key, LPARAM lParam);
  bool InsertChar(std::uint8_t ch);
  bool Backspace();
  // Screen pixels, tested in the 640 x 480 layout scaled to the screen.
  bool HitTest(float x, float y);
  // Clamped to EDIT_TEXT_MAX_LENGTH.
  void SetMaxLength(std::uint32_t n) { maxLength = n < EDIT_TEXT_MAX_LENGTH ? n : EDIT_TEXT_MAX_LENGTH; }

  // The text without its caret, into a 256-byte buffer.
  void TextWithoutCaret(char* out) const;

  std::uint8_t caretShown = 0;
  std::uint32_t maxLength = 0;
};
