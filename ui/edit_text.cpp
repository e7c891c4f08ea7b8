#include "ui/edit_text.h"

#include <cmath>
#include <cstring>

#include "engine/archive.h"
#include "engine/data_reader.h"
#include "engine/display.h"
#include "engine/system.h"
#include "platform/win32/window.h"
#include "ui/font.h"
#include "ui/widget_io.h"

namespace {

constexpr std::uint32_t kBufferSize = 256;

}  // namespace

EditText::EditText() = default;

bool EditText::Load(const char* path) {
  ArchiveFile file;
  if (!OpenDataFile(path, &file)) {
    ui_internal::ReportError(ui_internal::EDIT_TEXT_ERROR);
    return false;
  }
  DataReader r(&file);
  std::uint32_t n = 0;
  if (!r.U32(&n)) {
    ui_internal::ReportError(ui_internal::EDIT_TEXT_ERROR);
    return false;
  }
  SetMaxLength(n);
  const bool ok = ReadBody(&r, ui_internal::EDIT_TEXT_ERROR);
  file.Close();
  return ok;
}

void EditText::TextWithoutCaret(char* out) const {
  ui_internal::CopyTruncated(out, kBufferSize, String());
  const std::size_t n = std::strlen(out);
  if (caretShown && n > 0) out[n - 1] = '\0';
}

bool EditText::SetText(const char* s) {
  char shown[kBufferSize];
  ui_internal::CopyTruncated(shown, EDIT_TEXT_MAX_LENGTH + 1, s);
  if (caretShown) std::strcat(shown, "|");
  return StaticText::SetText(shown);
}

void EditText::SetFocus(std::uint8_t on) {
  on = on ? 1 : 0;
  if (on == caretShown) return;
  char plain[kBufferSize];
  TextWithoutCaret(plain);
  caretShown = on;
  SetText(plain);
}

int EditText::OnKey(UINT msg, WPARAM key, LPARAM) {
  if (msg == WM_KEYDOWN && key == 8) {
    Backspace();
  } else if (msg == WM_CHAR && key >= 32 && key <= 127 && key != '#') {
    InsertChar(static_cast<std::uint8_t>(key));
  }
  return -1;
}

bool EditText::InsertChar(std::uint8_t ch) {
  if (!font || !font->HasGlyph(ch)) return true;
  char plain[kBufferSize];
  TextWithoutCaret(plain);
  const std::size_t n = std::strlen(plain);
  if (n >= maxLength) return true;
  plain[n] = static_cast<char>(ch);
  plain[n + 1] = '\0';
  return SetText(plain);
}

bool EditText::Backspace() {
  char plain[kBufferSize];
  TextWithoutCaret(plain);
  const std::size_t n = std::strlen(plain);
  if (n == 0) return true;
  plain[n - 1] = '\0';
  return SetText(plain);
}

bool EditText::HitTest(float x, float y) {
  float top;
  float bottom;
  if (yFromTop) {
    top = std::trunc(originY);
    bottom = originY + textHeight;
  } else {
    bottom = 480.0f - originY;
    top = std::trunc(bottom - textHeight);
  }
  if (centreVertically) {
    top = std::trunc(top - textHeight / 2.0f);
    bottom = std::trunc(bottom - textHeight / 2.0f);
  }
  float left;
  float right;
  if (xFromLeft) {
    left = originX;
    right = originX + textWidth;
  } else {
    right = 640.0f - originX;
    left = right - textWidth;
  }
  if (centreHorizontally) {
    left -= textWidth / 2.0f;
    right -= textWidth / 2.0f;
  }
  if (left == right) {
    const float m = font ? font->GlyphWidth('M') : 10.0f;
    right = left + static_cast<float>(maxLength) * m;
    top -= 5.0f;
    bottom += 5.0f;
  }
  const float sx = static_cast<float>(g_ScreenWidth) / 640.0f;
  const float sy = static_cast<float>(g_ScreenHeight) / 480.0f;
  const float l = std::trunc(left * sx);
  const float r = std::trunc(right * sx);
  const float t = std::trunc(top * sy);
  const float b = std::trunc(bottom * sy);
  return x >= l && x <= r && y >= t && y <= b;
}
