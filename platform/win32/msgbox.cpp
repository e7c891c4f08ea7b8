// Message boxes through SDL2, or standard error when there is no display.
#include "platform/win32/msgbox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/codepage_internal.h"
#include "platform/win32/interrupt.h"
#include "platform/win32/window.h"

namespace {

bool g_TestBoxes = false;
std::vector<int> g_Script;
std::size_t g_ScriptNext = 0;
std::vector<platform::MessageBoxCall> g_Recorded;

// The game's texts are Windows-1252; SDL and terminals want UTF-8.
std::string ToUtf8(const char* text) {
  using platform::codepage_detail::kHigh1252;
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    unsigned cp = *p;
    if (cp >= 0x80 && cp < 0xA0) cp = kHigh1252[cp - 0x80] ? kHigh1252[cp - 0x80] : '?';
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

bool HaveDisplay() {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) return false;
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

// Nobody can answer: Cancel where there is one, so that a question asked
// again and again (the disc prompt) ends.
int Unanswered(bool okCancel) { return okCancel ? IDCANCEL : IDOK; }

int ToStandardError(const std::string& caption, const std::string& text, bool okCancel) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
  return Unanswered(okCancel);
}

}  // namespace

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
  const char* t = text ? text : "";
  const char* c = caption ? caption : "Error";
  bool okCancel = (type & 0xF) == MB_OKCANCEL;
  if (g_TestBoxes) {
    g_Recorded.push_back({t, c, type, owner, IsIconic(owner) != FALSE});
    // A Ctrl-C or SIGTERM answers before anyone could.
    if (platform::InterruptRequested()) return Unanswered(okCancel);
    return g_ScriptNext < g_Script.size() ? g_Script[g_ScriptNext++] : IDOK;
  }
  std::string utfText = ToUtf8(t), utfCaption = ToUtf8(c);
  if (!HaveDisplay() || platform::InterruptRequested()) return ToStandardError(utfCaption, utfText, okCancel);

  Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
  switch (type & 0xF0) {
    case MB_ICONHAND: flags = SDL_MESSAGEBOX_ERROR; break;
    case MB_ICONEXCLAMATION: flags = SDL_MESSAGEBOX_WARNING; break;
    default: break;
  }
  SDL_MessageBoxButtonData buttons[2] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | (okCancel ? 0u : static_cast<Uint32>(SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT)), IDOK,
       "OK"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"},
  };
  SDL_MessageBoxData data{};
  data.flags = flags;
  data.window = static_cast<SDL_Window*>(platform::NativeWindow(owner));
  data.title = utfCaption.c_str();
  data.message = utfText.c_str();
  data.numbuttons = okCancel ? 2 : 1;
  data.buttons = buttons;
  int pressed = -1;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) return ToStandardError(utfCaption, utfText, okCancel);
  // Closed without a button, or a signal came while it was open.
  if ((pressed != IDOK && pressed != IDCANCEL) || platform::InterruptRequested()) return Unanswered(okCancel);
  return pressed;
}

namespace platform {

void UseTestMessageBoxes(bool on) { g_TestBoxes = on; }

void ScriptMessageBoxAnswers(const std::vector<int>& answers) {
  g_Script = answers;
  g_ScriptNext = 0;
}

const std::vector<MessageBoxCall>& RecordedMessageBoxes() { return g_Recorded; }

void ClearRecordedMessageBoxes() { g_Recorded.clear(); }

}  // namespace platform
