// Windows and the message queue over SDL2 (see window.h).
#include "platform/win32/window.h"

#include <SDL.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

#include "platform/win32/interrupt.h"

namespace {

// ---------------------------------------------------------------------------
// Keys: SDL scancode -> virtual key, set-1 scan code and extended flag. The
// number-pad keys have a second virtual key for Num Lock off.

struct KeyInfo {
  SDL_Scancode sdl;
  UINT vk;
  BYTE scan;
  bool extended;
  UINT vkNumLockOff;
};

constexpr KeyInfo kKeys[] = {
    {SDL_SCANCODE_A, 'A', 0x1E, false, 0},
    {SDL_SCANCODE_B, 'B', 0x30, false, 0},
    {SDL_SCANCODE_C, 'C', 0x2E, false, 0},
    {SDL_SCANCODE_D, 'D', 0x20, false, 0},
    {SDL_SCANCODE_E, 'E', 0x12, false, 0},
    {SDL_SCANCODE_F, 'F', 0x21, false, 0},
    {SDL_SCANCODE_G, 'G', 0x22, false, 0},
    {SDL_SCANCODE_H, 'H', 0x23, false, 0},
    {SDL_SCANCODE_I, 'I', 0x17, false, 0},
    {SDL_SCANCODE_J, 'J', 0x24, false, 0},
    {SDL_SCANCODE_K, 'K', 0x25, false, 0},
    {SDL_SCANCODE_L, 'L', 0x26, false, 0},
    {SDL_SCANCODE_M, 'M', 0x32, false, 0},
    {SDL_SCANCODE_N, 'N', 0x31, false, 0},
    {SDL_SCANCODE_O, 'O', 0x18, false, 0},
    {SDL_SCANCODE_P, 'P', 0x19, false, 0},
    {SDL_SCANCODE_Q, 'Q', 0x10, false, 0},
    {SDL_SCANCODE_R, 'R', 0x13, false, 0},
    {SDL_SCANCODE_S, 'S', 0x1F, false, 0},
    {SDL_SCANCODE_T, 'T', 0x14, false, 0},
    {SDL_SCANCODE_U, 'U', 0x16, false, 0},
    {SDL_SCANCODE_V, 'V', 0x2F, false, 0},
    {SDL_SCANCODE_W, 'W', 0x11, false, 0},
    {SDL_SCANCODE_X, 'X', 0x2D, false, 0},
    {SDL_SCANCODE_Y, 'Y', 0x15, false, 0},
    {SDL_SCANCODE_Z, 'Z', 0x2C, false, 0},
    {SDL_SCANCODE_1, '1', 0x02, false, 0},
    {SDL_SCANCODE_2, '2', 0x03, false, 0},
    {SDL_SCANCODE_3, '3', 0x04, false, 0},
    {SDL_SCANCODE_4, '4', 0x05, false, 0},
    {SDL_SCANCODE_5, '5', 0x06, false, 0},
    {SDL_SCANCODE_6, '6', 0x07, false, 0},
    {SDL_SCANCODE_7, '7', 0x08, false, 0},
    {SDL_SCANCODE_8, '8', 0x09, false, 0},
    {SDL_SCANCODE_9, '9', 0x0A, false, 0},
    {SDL_SCANCODE_0, '0', 0x0B, false, 0},
    {SDL_SCANCODE_RETURN, VK_RETURN, 0x1C, false, 0},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0x01, false, 0},
    {SDL_SCANCODE_BACKSPACE, VK_BACK, 0x0E, false, 0},
    {SDL_SCANCODE_TAB, VK_TAB, 0x0F, false, 0},
    {SDL_SCANCODE_SPACE, VK_SPACE, 0x39, false, 0},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS, 0x0C, false, 0},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS, 0x0D, false, 0},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4, 0x1A, false, 0},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6, 0x1B, false, 0},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5, 0x2B, false, 0},
    {SDL_SCANCODE_NONUSHASH, VK_OEM_5, 0x2B, false, 0},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1, 0x27, false, 0},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7, 0x28, false, 0},
    {SDL_SCANCODE_GRAVE, VK_OEM_3, 0x29, false, 0},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA, 0x33, false, 0},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, 0x34, false, 0},
    {SDL_SCANCODE_SLASH, VK_OEM_2, 0x35, false, 0},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102, 0x56, false, 0},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, 0x3A, false, 0},
    {SDL_SCANCODE_F1, VK_F1, 0x3B, false, 0},
    {SDL_SCANCODE_F2, VK_F2, 0x3C, false, 0},
    {SDL_SCANCODE_F3, VK_F3, 0x3D, false, 0},
    {SDL_SCANCODE_F4, VK_F4, 0x3E, false, 0},
    {SDL_SCANCODE_F5, VK_F5, 0x3F, false, 0},
    {SDL_SCANCODE_F6, VK_F6, 0x40, false, 0},
    {SDL_SCANCODE_F7, VK_F7, 0x41, false, 0},
    {SDL_SCANCODE_F8, VK_F8, 0x42, false, 0},
    {SDL_SCANCODE_F9, VK_F9, 0x43, false, 0},
    {SDL_SCANCODE_F10, VK_F10, 0x44, false, 0},
    {SDL_SCANCODE_F11, VK_F11, 0x57, false, 0},
    {SDL_SCANCODE_F12, VK_F12, 0x58, false, 0},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT, 0x37, true, 0},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, 0x46, false, 0},
    {SDL_SCANCODE_PAUSE, VK_PAUSE, 0x45, false, 0},
    {SDL_SCANCODE_INSERT, VK_INSERT, 0x52, true, 0},
    {SDL_SCANCODE_HOME, VK_HOME, 0x47, true, 0},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR, 0x49, true, 0},
    {SDL_SCANCODE_DELETE, VK_DELETE, 0x53, true, 0},
    {SDL_SCANCODE_END, VK_END, 0x4F, true, 0},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT, 0x51, true, 0},
    {SDL_SCANCODE_RIGHT, VK_RIGHT, 0x4D, true, 0},
    {SDL_SCANCODE_LEFT, VK_LEFT, 0x4B, true, 0},
    {SDL_SCANCODE_DOWN, VK_DOWN, 0x50, true, 0},
    {SDL_SCANCODE_UP, VK_UP, 0x48, true, 0},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, 0x45, true, 0},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, 0x35, true, 0},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, 0x37, false, 0},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, 0x4A, false, 0},
    {SDL_SCANCODE_KP_PLUS, VK_ADD, 0x4E, false, 0},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN, 0x1C, true, 0},
    {SDL_SCANCODE_KP_1, VK_NUMPAD1, 0x4F, false, VK_END},
    {SDL_SCANCODE_KP_2, VK_NUMPAD2, 0x50, false, VK_DOWN},
    {SDL_SCANCODE_KP_3, VK_NUMPAD3, 0x51, false, VK_NEXT},
    {SDL_SCANCODE_KP_4, VK_NUMPAD4, 0x4B, false, VK_LEFT},
    {SDL_SCANCODE_KP_5, VK_NUMPAD5, 0x4C, false, VK_CLEAR},
    {SDL_SCANCODE_KP_6, VK_NUMPAD6, 0x4D, false, VK_RIGHT},
    {SDL_SCANCODE_KP_7, VK_NUMPAD7, 0x47, false, VK_HOME},
    {SDL_SCANCODE_KP_8, VK_NUMPAD8, 0x48, false, VK_UP},
    {SDL_SCANCODE_KP_9, VK_NUMPAD9, 0x49, false, VK_PRIOR},
    {SDL_SCANCODE_KP_0, VK_NUMPAD0, 0x52, false, VK_INSERT},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, 0x53, false, VK_DELETE},
    {SDL_SCANCODE_APPLICATION, VK_APPS, 0x5D, true, 0},
    {SDL_SCANCODE_LCTRL, VK_CONTROL, 0x1D, false, 0},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT, 0x2A, false, 0},
    {SDL_SCANCODE_LALT, VK_MENU, 0x38, false, 0},
    {SDL_SCANCODE_LGUI, VK_LWIN, 0x5B, true, 0},
    {SDL_SCANCODE_RCTRL, VK_CONTROL, 0x1D, true, 0},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT, 0x36, false, 0},
    {SDL_SCANCODE_RALT, VK_MENU, 0x38, true, 0},
    {SDL_SCANCODE_RGUI, VK_RWIN, 0x5C, true, 0},
};

const KeyInfo* FindKey(SDL_Scancode sc) {
  for (const KeyInfo& k : kKeys) {
    if (k.sdl == sc) return &k;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// State.

struct WindowClass {
  std::string name;
  WNDPROC proc;
  ATOM atom;
};

struct Window {
  WNDPROC proc = nullptr;
  DWORD style = 0;
  HWND parent = nullptr;  // set for child windows only
  std::vector<HWND> children;
  std::string text;
  SDL_Window* sdl = nullptr;
  Uint32 sdlId = 0;  // SDL's window id (a made-up one with the test backend)
  bool visible = false;
  bool minimized = false;
  bool destroying = false;
};

struct QueuedMessage {
  MSG msg;
  std::string text;  // UTF-8 typed with a WM_KEYDOWN, for TranslateMessage
};

HCURSOR const kArrowCursor = reinterpret_cast<HCURSOR>(static_cast<std::uintptr_t>(0x3001));

struct State {
  bool test = false;
  std::vector<WindowClass> classes;
  ATOM nextAtom = 0xC000;
  std::map<std::uintptr_t, std::unique_ptr<Window>> windows;
  std::uintptr_t nextHandle = 0x10010;
  std::deque<QueuedMessage> queue;
  bool quit = false;
  int quitCode = 0;
  HWND focus = nullptr;
  HWND active = nullptr;
  HCURSOR cursor = kArrowCursor;
  // The last WM_KEYDOWN taken from the queue, until TranslateMessage uses it.
  bool keyPending = false;
  MSG pendingKey{};
  std::string pendingText;
  bool sdlVideo = false;  // we initialised SDL's video subsystem
  bool openGL = true;
  bool sdlCursorShown = true;
  std::deque<SDL_Event> injected;
  Uint32 nextTestSdlId = 0x7000;
  bool closePostedThisPump = false;
  int testWidth = 1024;
  int testHeight = 768;
  bool testMouse = true;
  std::vector<platform::WindowCall> calls;
  std::vector<platform::ProcCall> procCalls;
  unsigned procCallsGeneration = 0;  // counts clears of procCalls
  std::vector<platform::SdlEventListener> listeners;
  // Modifier keys held, from the key events (injected ones carry no
  // modifier state of their own).
  bool altDown[2] = {false, false};
  bool ctrlDown[2] = {false, false};
  bool screenSaverHeldOff = false;
  bool interruptDelivered = false;
  std::string warnedWindowSize;  // the last bad KELVARRO_WINDOW reported
  // The window thread: the one that first used the windows.
  std::thread::id owner = std::this_thread::get_id();
};

State& S() {
  static State s;
  return s;
}

// Messages posted by other threads (the CD player's end of track), moved into
// the queue by the window thread's next pump. Never destroyed: a thread may
// post during exit handlers.
struct CrossThreadPosts {
  std::mutex lock;
  std::vector<MSG> posts;
};

CrossThreadPosts& Cross() {
  static CrossThreadPosts* c = new CrossThreadPosts;
  return *c;
}

std::uintptr_t Key(HWND h) { return reinterpret_cast<std::uintptr_t>(h); }

Window* Find(HWND h) {
  if (h == nullptr) return nullptr;
  auto it = S().windows.find(Key(h));
  return it == S().windows.end() ? nullptr : it->second.get();
}

bool IsTopLevel(const Window* w) { return w->parent == nullptr; }

HWND TopLevelOf(HWND h) {
  for (Window* w = Find(h); w != nullptr && w->parent != nullptr; w = Find(w->parent)) h = w->parent;
  return h;
}

bool IsSelfOrDescendant(HWND h, HWND ancestor) {
  for (Window* w = Find(h); w != nullptr; w = Find(w->parent)) {
    if (h == ancestor) return true;
    h = w->parent;
  }
  return false;
}

void Record(platform::WindowCallKind kind, HWND h, std::intptr_t value) {
  if (S().test) S().calls.push_back({kind, h, value});
}

LRESULT CallProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(h);
  if (w == nullptr || w->proc == nullptr) return 0;
  WNDPROC proc = w->proc;
  std::size_t slot = 0;
  unsigned generation = S().procCallsGeneration;
  bool record = S().test;
  if (record) {
    slot = S().procCalls.size();
    S().procCalls.push_back({h, message, wParam, lParam, 0});
  }
  LRESULT r = proc(h, message, wParam, lParam);
  // Entered first, completed here: nested calls stay in the order they began.
  if (record && generation == S().procCallsGeneration) S().procCalls[slot].result = r;
  return r;
}

void Post(HWND h, UINT message, WPARAM wParam, LPARAM lParam, std::string text = {}) {
  QueuedMessage q{};
  q.msg.hwnd = h;
  q.msg.message = message;
  q.msg.wParam = wParam;
  q.msg.lParam = lParam;
  q.text = std::move(text);
  S().queue.push_back(std::move(q));
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> out;
  for (auto& [key, w] : S().windows) {
    if (IsTopLevel(w.get()) && !w->destroying) out.push_back(reinterpret_cast<HWND>(key));
  }
  return out;
}

// The screen saver stays off only while one of our windows is active, as the
// game swallows the screen saver's start only then.
void ApplyScreenSaver() {
  State& s = S();
  const bool hold = s.active != nullptr;
  if (hold == s.screenSaverHeldOff) return;
  s.screenSaverHeldOff = hold;
  if (s.test || !s.sdlVideo) return;
  if (hold) SDL_DisableScreenSaver();
  else SDL_EnableScreenSaver();
}

// Activation, in Win32's order: the application's activation first, its
// deactivation last.
void Activate(HWND h) {
  State& s = S();
  if (s.active == h) return;
  HWND old = s.active;
  s.active = h;
  if (old != nullptr) {
    Window* ow = Find(old);
    WORD min = (ow != nullptr && ow->minimized) ? 1 : 0;
    CallProc(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, min), reinterpret_cast<LPARAM>(h));
  } else {
    for (HWND t : TopLevelWindows()) CallProc(t, WM_ACTIVATEAPP, TRUE, 0);
  }
  ApplyScreenSaver();
  Window* w = Find(h);
  if (w == nullptr || s.active != h) return;  // destroyed or changed by a handler
  CallProc(h, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, w->minimized ? 1 : 0), reinterpret_cast<LPARAM>(old));
}

void Deactivate() {
  State& s = S();
  HWND old = s.active;
  if (old == nullptr) return;
  s.active = nullptr;
  ApplyScreenSaver();
  Window* w = Find(old);
  CallProc(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, (w != nullptr && w->minimized) ? 1 : 0), 0);
  for (HWND t : TopLevelWindows()) CallProc(t, WM_ACTIVATEAPP, FALSE, 0);
}

// ---------------------------------------------------------------------------
// SDL.

// The system pointer shows unless the cursor is NULL.
void ApplyCursor() {
  State& s = S();
  bool show = s.cursor != nullptr;
  if (s.test || !s.sdlVideo || show == s.sdlCursorShown) return;
  SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
  s.sdlCursorShown = show;
}

bool InitVideo() {
  State& s = S();
  if (s.sdlVideo) return true;
  // The game minimises itself where it wants to.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // The screen saver follows activation (ApplyScreenSaver), not SDL's start.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "Kelvarro: no video: %s\n", SDL_GetError());
    return false;
  }
  s.sdlVideo = true;
  s.sdlCursorShown = true;
  if (s.screenSaverHeldOff) SDL_DisableScreenSaver();
  ApplyCursor();
  return true;
}

// KELVARRO_WINDOW="WIDTHxHEIGHT": a plain development window of that size.
bool DevelopmentWindowSize(int* width, int* height) {
  const char* v = std::getenv("KELVARRO_WINDOW");
  if (v == nullptr || *v == '\0') return false;
  std::string_view text(v);
  auto number = [&](std::string_view part, int* out) {
    auto [end, err] = std::from_chars(part.data(), part.data() + part.size(), *out);
    return err == std::errc() && end == part.data() + part.size() && *out > 0 && *out <= 16384;
  };
  std::size_t cross = text.find_first_of("xX");
  int w = 0, h = 0;
  if (cross == std::string_view::npos || !number(text.substr(0, cross), &w) || !number(text.substr(cross + 1), &h)) {
    // Asked for at every window and screen-size query: said once per value.
    if (S().warnedWindowSize != text) {
      S().warnedWindowSize = text;
      std::fprintf(stderr, "Kelvarro: KELVARRO_WINDOW=\"%s\" is not WIDTHxHEIGHT; ignored\n", v);
    }
    return false;
  }
  *width = w;
  *height = h;
  return true;
}

bool DesktopSize(int* width, int* height) {
  if (!InitVideo()) return false;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
  *width = mode.w;
  *height = mode.h;
  return true;
}

SDL_Window* CreateSdlWindow(const char* title, DWORD style, int x, int y, int width, int height) {
  if (!InitVideo()) return nullptr;
  Uint32 flags = (style & WS_VISIBLE) ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
  int devW = 0, devH = 0;
  if (DevelopmentWindowSize(&devW, &devH)) {
    x = y = static_cast<int>(SDL_WINDOWPOS_CENTERED);
    width = devW;
    height = devH;
  } else {
    int deskW = 0, deskH = 0;
    if (x == CW_USEDEFAULT) x = y = static_cast<int>(SDL_WINDOWPOS_UNDEFINED);
    if (width == CW_USEDEFAULT || width <= 0 || height <= 0) {
      width = 640;
      height = 480;
    }
    if (style & WS_POPUP) {
      bool desktop = DesktopSize(&deskW, &deskH) && x == 0 && y == 0 && width == deskW && height == deskH;
      flags |= desktop ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_BORDERLESS;
    }
  }
  // The renderer draws into this window with OpenGL; drivers without it get a plain window.
  SDL_Window* win = nullptr;
  if (S().openGL) win = SDL_CreateWindow(title, x, y, width, height, flags | SDL_WINDOW_OPENGL);
  if (win == nullptr) win = SDL_CreateWindow(title, x, y, width, height, flags);
  if (win == nullptr) std::fprintf(stderr, "Kelvarro: window creation failed: %s\n", SDL_GetError());
  return win;
}

HWND FromSdlId(Uint32 id) {
  for (auto& [key, w] : S().windows) {
    if (w->sdlId == id && id != 0 && !w->destroying) return reinterpret_cast<HWND>(key);
  }
  return nullptr;
}

// Keyboard input goes to the focus window when it lies in the window that
// SDL names, else to that window.
HWND KeyTarget(Uint32 sdlId) {
  HWND top = FromSdlId(sdlId);
  HWND focus = S().focus;
  if (focus != nullptr && Find(focus) != nullptr && (top == nullptr || TopLevelOf(focus) == top)) return focus;
  if (top != nullptr) return top;
  return S().active;
}

char32_t NextCodePoint(const std::string& s, std::size_t* i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = byte(*i);
  int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
  if (extra <= 0) {
    ++*i;
    return extra == 0 ? c : 0xFFFD;
  }
  char32_t cp = c & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    if (*i + k >= s.size() || (byte(*i + k) & 0xC0) != 0x80) {
      ++*i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (byte(*i + k) & 0x3F);
  }
  *i += extra + 1;
  return cp;
}

// The bytes of UTF-8 text in the current code page; characters that it
// lacks are dropped.
std::vector<BYTE> CodePageBytes(const std::string& utf8) {
  std::vector<BYTE> out;
  std::size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp = NextCodePoint(utf8, &i);
    int b = cp == 0xFFFD ? -1 : platform::CodePageByte(cp);
    if (b > 0) out.push_back(static_cast<BYTE>(b));
  }
  return out;
}

void ReleaseModifiers() {
  State& s = S();
  s.altDown[0] = s.altDown[1] = false;
  s.ctrlDown[0] = s.ctrlDown[1] = false;
}

void HandleKey(const SDL_KeyboardEvent& k) {
  const KeyInfo* info = FindKey(k.keysym.scancode);
  if (info == nullptr) return;
  HWND target = KeyTarget(k.windowID);
  if (target == nullptr) return;
  State& s = S();
  UINT vk = info->vk;
  if (info->vkNumLockOff != 0 && (k.keysym.mod & KMOD_NUM) == 0) vk = info->vkNumLockOff;
  bool down = k.type == SDL_KEYDOWN;
  if (vk == VK_MENU) s.altDown[info->extended ? 1 : 0] = down;
  if (vk == VK_CONTROL) s.ctrlDown[info->extended ? 1 : 0] = down;
  const bool alt = s.altDown[0] || s.altDown[1] || (k.keysym.mod & KMOD_ALT) != 0;
  const bool ctrl = s.ctrlDown[0] || s.ctrlDown[1] || (k.keysym.mod & KMOD_CTRL) != 0;
  // As on Windows: F10, Alt itself and keys pressed with Alt are system
  // keys, except with Ctrl as well (AltGr).
  const bool system = !ctrl && (alt || vk == VK_F10 || vk == VK_MENU);
  DWORD lp = 1u | (static_cast<DWORD>(info->scan) << 16) | (info->extended ? 1u << 24 : 0u);
  if (alt) lp |= 1u << 29;
  if (down) {
    if (k.repeat != 0) lp |= 1u << 30;
  } else {
    lp |= (1u << 30) | (1u << 31);
  }
  const UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
  Post(target, message, vk, static_cast<LPARAM>(lp));
}

// Text travels with the key message that typed it; text with no key waiting
// (input methods) becomes WM_CHAR at once.
void HandleText(const SDL_TextInputEvent& t) {
  HWND target = KeyTarget(t.windowID);
  if (target == nullptr) return;
  std::string text(t.text);
  auto& q = S().queue;
  for (auto it = q.rbegin(); it != q.rend(); ++it) {
    UINT m = it->msg.message;
    if (it->msg.hwnd != target || (m != WM_KEYDOWN && m != WM_KEYUP && m != WM_SYSKEYDOWN && m != WM_SYSKEYUP &&
                                   m != WM_CHAR)) {
      continue;
    }
    // Text typed with Alt is a system character, which the program does not take.
    if (m == WM_SYSKEYDOWN) return;
    if (m == WM_KEYDOWN && it->text.empty()) {
      it->text = text;
      return;
    }
    break;
  }
  for (BYTE b : CodePageBytes(text)) Post(target, WM_CHAR, b, 1);
}

void SendSetCursor(HWND h) {
  CallProc(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void HandleWindowEvent(const SDL_WindowEvent& e) {
  HWND h = FromSdlId(e.windowID);
  Window* w = Find(h);
  if (w == nullptr) return;
  switch (e.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      // A window that the system never minimised (a minimise request can be
      // ignored) must not come back as active-but-minimised, which the game
      // would wait out for ever.
      if (w->sdl != nullptr && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_MINIMIZED) == 0) w->minimized = false;
      Activate(h);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      // The keys held now belong to another window.
      ReleaseModifiers();
      if (S().active == h) Deactivate();
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      if (!w->minimized) {
        w->minimized = true;
        if (S().active == h) Deactivate();
      }
      break;
    case SDL_WINDOWEVENT_RESTORED:
      if (w->minimized) {
        w->minimized = false;
        // An active window that was minimised is told again, now restored.
        if (S().active == h) CallProc(h, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
      }
      break;
    case SDL_WINDOWEVENT_SHOWN:
      w->visible = true;
      break;
    case SDL_WINDOWEVENT_HIDDEN:
      w->visible = false;
      break;
    case SDL_WINDOWEVENT_CLOSE:
      Post(h, WM_SYSCOMMAND, SC_CLOSE, 0);
      S().closePostedThisPump = true;
      break;
    case SDL_WINDOWEVENT_ENTER:
      SendSetCursor(h);
      break;
    default:
      break;
  }
}

// The close box of the active window, or else of the first top-level one;
// false when there is no window yet.
bool PostCloseToMainWindow() {
  HWND h = S().active;
  if (h == nullptr) {
    auto tops = TopLevelWindows();
    if (!tops.empty()) h = tops.front();
  }
  if (h == nullptr) return false;
  Post(h, WM_SYSCOMMAND, SC_CLOSE, 0);
  return true;
}

// A Ctrl-C or SIGTERM closes the main window once, as its close box does;
// before there is a window it waits for one.
void DeliverInterrupt() {
  State& s = S();
  if (s.interruptDelivered || !platform::InterruptRequested()) return;
  if (PostCloseToMainWindow()) s.interruptDelivered = true;
}

void HandleSdlEvent(const SDL_Event& e) {
  // A copy: a listener may remove itself.
  std::vector<platform::SdlEventListener> listeners = S().listeners;
  for (auto l : listeners) l(&e);
  switch (e.type) {
    case SDL_WINDOWEVENT:
      HandleWindowEvent(e.window);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      HandleKey(e.key);
      break;
    case SDL_TEXTINPUT:
      HandleText(e.text);
      break;
    case SDL_MOUSEMOTION:
      // Otherwise the mouse is read elsewhere.
      if (HWND h = FromSdlId(e.motion.windowID)) SendSetCursor(h);
      break;
    case SDL_QUIT:
      // A quit request from outside any window: close the main window.
      if (!S().closePostedThisPump) PostCloseToMainWindow();
      break;
    default:
      break;
  }
}

void Pump() {
  State& s = S();
  s.closePostedThisPump = false;
  std::vector<MSG> posts;
  {
    std::lock_guard<std::mutex> hold(Cross().lock);
    posts.swap(Cross().posts);
  }
  // A window destroyed meanwhile takes its messages with it.
  for (const MSG& m : posts)
    if (m.hwnd == nullptr || Find(m.hwnd) != nullptr) Post(m.hwnd, m.message, m.wParam, m.lParam);
  if (s.test) {
    while (!s.injected.empty()) {
      SDL_Event e = s.injected.front();
      s.injected.pop_front();
      HandleSdlEvent(e);
    }
  } else if (SDL_WasInit(SDL_INIT_EVENTS) != 0) {
    SDL_Event e;
    while (SDL_PollEvent(&e) != 0) HandleSdlEvent(e);
  }
  DeliverInterrupt();
}

void Inject(const SDL_Event& e) {
  if (S().test) {
    S().injected.push_back(e);
  } else if (SDL_WasInit(SDL_INIT_EVENTS) != 0) {
    SDL_Event copy = e;
    SDL_PushEvent(&copy);
  }
}

Uint32 SdlIdOf(HWND h) {
  Window* w = Find(TopLevelOf(h));
  return w != nullptr ? w->sdlId : 0;
}

void InjectWindowEvent(HWND h, SDL_WindowEventID id) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = SdlIdOf(h);
  e.window.event = static_cast<Uint8>(id);
  Inject(e);
}

void DestroyAll() {
  State& s = S();
  for (auto& [key, w] : s.windows) {
    if (w->sdl != nullptr) SDL_DestroyWindow(w->sdl);
  }
  s.windows.clear();
  s.classes.clear();
  s.queue.clear();
  s.injected.clear();
  s.quit = false;
  s.quitCode = 0;
  s.focus = nullptr;
  s.active = nullptr;
  s.cursor = kArrowCursor;
  s.keyPending = false;
  s.pendingText.clear();
  s.calls.clear();
  s.procCalls.clear();
  ++s.procCallsGeneration;
  s.interruptDelivered = false;
  ReleaseModifiers();
  ApplyScreenSaver();
  if (s.sdlVideo) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    s.sdlVideo = false;
  }
}

bool SameName(const std::string& a, const char* b) {
  std::size_t n = std::char_traits<char>::length(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

const WindowClass* FindClass(const char* name) {
  if (name == nullptr) return nullptr;
  if (reinterpret_cast<std::uintptr_t>(name) <= 0xFFFF) {  // an atom
    for (const WindowClass& c : S().classes) {
      if (c.atom == reinterpret_cast<std::uintptr_t>(name)) return &c;
    }
    return nullptr;
  }
  for (const WindowClass& c : S().classes) {
    if (SameName(c.name, name)) return &c;
  }
  return nullptr;
}

ATOM Register(WNDPROC proc, const char* name) {
  if (proc == nullptr || name == nullptr || reinterpret_cast<std::uintptr_t>(name) <= 0xFFFF ||
      *name == '\0' || FindClass(name) != nullptr) {
    return 0;
  }
  ATOM atom = S().nextAtom++;
  S().classes.push_back({name, proc, atom});
  return atom;
}

// Shows, restores or minimises a window as ShowWindow and OpenIcon do.
void ApplyShow(HWND h, Window* w, int command) {
  State& s = S();
  switch (command) {
    case SW_HIDE:
      w->visible = false;
      if (w->sdl != nullptr) SDL_HideWindow(w->sdl);
      if (s.active == h) Deactivate();
      return;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
      w->visible = true;
      if (!w->minimized) {
        w->minimized = true;
        if (w->sdl != nullptr) SDL_MinimizeWindow(w->sdl);
        if (s.active == h) Deactivate();
      }
      return;
    default:
      break;
  }
  bool wasMinimized = w->minimized;
  w->visible = true;
  w->minimized = false;
  if (w->sdl != nullptr) {
    SDL_ShowWindow(w->sdl);
    if (wasMinimized) SDL_RestoreWindow(w->sdl);
    if (command == SW_MAXIMIZE) SDL_MaximizeWindow(w->sdl);
  }
  if (!IsTopLevel(w) || command == SW_SHOWNOACTIVATE || command == SW_SHOWNA) return;
  if (s.active != h) {
    Activate(h);
  } else if (wasMinimized) {
    CallProc(h, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
  }
}

bool Matches(const MSG& m, HWND filter, UINT lo, UINT hi) {
  if (filter == reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1))) {
    if (m.hwnd != nullptr) return false;
  } else if (filter != nullptr && !IsSelfOrDescendant(m.hwnd, filter)) {
    return false;
  }
  if (lo == 0 && hi == 0) return true;
  return m.message >= lo && m.message <= hi;
}

}  // namespace

// ---------------------------------------------------------------------------
// Classes and windows.

ATOM RegisterClassA(const WNDCLASSA* wc) {
  return wc == nullptr ? 0 : Register(wc->lpfnWndProc, wc->lpszClassName);
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
  if (wc == nullptr || wc->cbSize != sizeof(WNDCLASSEXA)) return 0;
  return Register(wc->lpfnWndProc, wc->lpszClassName);
}

BOOL UnregisterClassA(const char* className, HINSTANCE) {
  const WindowClass* c = FindClass(className);
  if (c == nullptr) return FALSE;
  for (auto& [key, w] : S().windows) {
    if (w->proc == c->proc) return FALSE;  // still in use
  }
  auto& v = S().classes;
  v.erase(v.begin() + (c - v.data()));
  return TRUE;
}

HWND CreateWindowExA(DWORD, const char* className, const char* windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU, HINSTANCE, void*) {
  State& s = S();
  const WindowClass* c = FindClass(className);
  if (c == nullptr) return nullptr;
  bool child = (style & WS_CHILD) != 0;
  if (child && Find(parent) == nullptr) return nullptr;

  auto w = std::make_unique<Window>();
  w->proc = c->proc;
  w->style = style;
  if (windowName != nullptr) w->text = windowName;
  if (child) {
    w->parent = parent;
  } else if (s.test) {
    w->sdlId = s.nextTestSdlId++;
  } else {
    w->sdl = CreateSdlWindow(windowName != nullptr ? windowName : "", style, x, y, width, height);
    if (w->sdl == nullptr) return nullptr;
    w->sdlId = SDL_GetWindowID(w->sdl);
    SDL_StartTextInput();
  }
  HWND h = reinterpret_cast<HWND>(s.nextHandle);
  s.nextHandle += 0x10;
  Window* raw = w.get();
  s.windows.emplace(Key(h), std::move(w));
  if (child) Find(parent)->children.push_back(h);

  if (CallProc(h, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(h);
    return nullptr;
  }
  if (Find(h) != raw) return nullptr;  // the window destroyed itself
  if (style & WS_VISIBLE) {
    raw->visible = true;
    if (!child) Activate(h);
  }
  return Find(h) != nullptr ? h : nullptr;
}

BOOL DestroyWindow(HWND h) {
  State& s = S();
  Window* w = Find(h);
  if (w == nullptr || w->destroying) return FALSE;
  Record(platform::WindowCallKind::DestroyWindow, h, 0);
  w->destroying = true;
  if (s.active == h) s.active = nullptr;
  if (s.focus != nullptr && IsSelfOrDescendant(s.focus, h)) s.focus = nullptr;

  CallProc(h, WM_DESTROY, 0, 0);
  // Children after their parent, as Win32 does.
  std::vector<HWND> children = Find(h) != nullptr ? Find(h)->children : std::vector<HWND>{};
  for (HWND c : children) DestroyWindow(c);

  w = Find(h);
  if (w == nullptr) return TRUE;
  if (Window* p = Find(w->parent)) {
    auto& pc = p->children;
    pc.erase(std::remove(pc.begin(), pc.end(), h), pc.end());
  }
  auto& q = s.queue;
  q.erase(std::remove_if(q.begin(), q.end(), [&](const QueuedMessage& m) { return m.msg.hwnd == h; }), q.end());
  if (s.keyPending && s.pendingKey.hwnd == h) s.keyPending = false;
  if (s.focus == h) s.focus = nullptr;
  if (s.active == h) s.active = nullptr;
  ApplyScreenSaver();
  if (w->sdl != nullptr) SDL_DestroyWindow(w->sdl);
  s.windows.erase(Key(h));
  return TRUE;
}

BOOL IsWindow(HWND h) { return Find(h) != nullptr ? TRUE : FALSE; }

int GetWindowTextA(HWND h, char* text, int size) {
  if (text == nullptr || size <= 0) return 0;
  Window* w = Find(h);
  const std::size_t n = w != nullptr ? std::min(w->text.size(), static_cast<std::size_t>(size - 1)) : 0;
  if (n > 0) std::memcpy(text, w->text.data(), n);
  text[n] = '\0';
  return static_cast<int>(n);
}

namespace {

// False once the callback asked to stop.
bool EnumChildren(HWND parent, WNDENUMPROC callback, LPARAM lParam, bool* any) {
  Window* p = Find(parent);
  if (p == nullptr) return true;
  // A copy: the callback may make or destroy windows.
  const std::vector<HWND> children = p->children;
  for (HWND c : children) {
    if (Find(c) == nullptr) continue;
    *any = true;
    if (!callback(c, lParam) || !EnumChildren(c, callback, lParam, any)) return false;
  }
  return true;
}

}  // namespace

BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM lParam) {
  if (callback == nullptr) return FALSE;
  bool any = false;
  EnumChildren(parent, callback, lParam, &any);
  return any ? TRUE : FALSE;
}

BOOL ShowWindow(HWND h, int command) {
  Window* w = Find(h);
  if (w == nullptr) return FALSE;
  Record(platform::WindowCallKind::ShowWindow, h, command);
  BOOL wasVisible = w->visible ? TRUE : FALSE;
  ApplyShow(h, w, command);
  return wasVisible;
}

BOOL UpdateWindow(HWND h) {
  if (Find(h) == nullptr) return FALSE;
  Record(platform::WindowCallKind::UpdateWindow, h, 0);
  return TRUE;
}

BOOL IsIconic(HWND h) {
  Window* w = Find(h);
  return (w != nullptr && w->minimized) ? TRUE : FALSE;
}

BOOL OpenIcon(HWND h) {
  Window* w = Find(h);
  if (w == nullptr) return FALSE;
  Record(platform::WindowCallKind::OpenIcon, h, 0);
  if (w->minimized) ApplyShow(h, w, SW_RESTORE);
  return TRUE;
}

HWND SetFocus(HWND h) {
  if (h != nullptr && Find(h) == nullptr) return nullptr;
  Record(platform::WindowCallKind::SetFocus, h, 0);
  HWND previous = S().focus;
  S().focus = h;
  return previous;
}

HWND GetFocus() { return S().focus; }

BOOL SetForegroundWindow(HWND h) {
  Window* w = Find(TopLevelOf(h));
  if (w == nullptr) return FALSE;
  Record(platform::WindowCallKind::SetForegroundWindow, h, 0);
  if (w->sdl != nullptr) SDL_RaiseWindow(w->sdl);
  Activate(TopLevelOf(h));
  return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
  State& s = S();
  Record(platform::WindowCallKind::SetCursor, nullptr, reinterpret_cast<std::intptr_t>(cursor));
  HCURSOR previous = s.cursor;
  s.cursor = cursor;
  ApplyCursor();
  return previous;
}

int GetSystemMetrics(int index) {
  State& s = S();
  if (index == SM_MOUSEPRESENT) return s.test ? (s.testMouse ? 1 : 0) : 1;
  if (index != SM_CXSCREEN && index != SM_CYSCREEN) return 0;
  int w = 0, h = 0;
  if (s.test) {
    w = s.testWidth;
    h = s.testHeight;
  } else if (!DevelopmentWindowSize(&w, &h) && !DesktopSize(&w, &h)) {
    return 0;
  }
  return index == SM_CXSCREEN ? w : h;
}

HGDIOBJ GetStockObject(int object) {
  if (object < WHITE_BRUSH || object > BLACK_BRUSH) return nullptr;
  return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(0x2000 + object));
}

HICON LoadIconA(HINSTANCE, const char* name) {
  if (name == nullptr) return nullptr;
  std::uintptr_t id = reinterpret_cast<std::uintptr_t>(name);
  return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(0x4000 + (id <= 0xFFFF ? id : 0xFFFF)));
}

// ---------------------------------------------------------------------------
// Messages.

BOOL PeekMessageA(MSG* out, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove) {
  if (out == nullptr) return FALSE;
  State& s = S();
  Pump();
  for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
    if (!Matches(it->msg, hwnd, filterMin, filterMax)) continue;
    *out = it->msg;
    if (remove & PM_REMOVE) {
      if (it->msg.message == WM_KEYDOWN) {
        s.keyPending = true;
        s.pendingKey = it->msg;
        s.pendingText = std::move(it->text);
      }
      s.queue.erase(it);
    }
    return TRUE;
  }
  if (s.quit) {
    *out = MSG{};
    out->message = WM_QUIT;
    out->wParam = static_cast<WPARAM>(s.quitCode);
    if (remove & PM_REMOVE) s.quit = false;
    return TRUE;
  }
  return FALSE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (msg == nullptr) return FALSE;
  UINT m = msg->message;
  if (m != WM_KEYDOWN && m != WM_KEYUP && m != WM_SYSKEYDOWN && m != WM_SYSKEYUP) return FALSE;
  if (m != WM_KEYDOWN) return TRUE;
  State& s = S();
  std::vector<BYTE> chars;
  bool ours = s.keyPending && s.pendingKey.hwnd == msg->hwnd && s.pendingKey.wParam == msg->wParam &&
              s.pendingKey.lParam == msg->lParam;
  if (ours) {
    chars = CodePageBytes(s.pendingText);
    s.keyPending = false;
    s.pendingText.clear();
  }
  if (chars.empty()) {
    switch (msg->wParam) {
      case VK_BACK:
        chars.push_back(8);
        break;
      case VK_TAB:
        chars.push_back(9);
        break;
      case VK_RETURN:
        chars.push_back(13);
        break;
      case VK_ESCAPE:
        chars.push_back(27);
        break;
      default:
        break;
    }
  }
  // In front of the queue, so that the characters come before later keys.
  for (auto it = chars.rbegin(); it != chars.rend(); ++it) {
    QueuedMessage q{};
    q.msg.hwnd = msg->hwnd;
    q.msg.message = WM_CHAR;
    q.msg.wParam = *it;
    q.msg.lParam = msg->lParam;
    s.queue.push_front(std::move(q));
  }
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (msg == nullptr || msg->hwnd == nullptr) return 0;
  return CallProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WaitMessage() {
  State& s = S();
  Pump();
  if (!s.queue.empty() || s.quit || s.test) return TRUE;
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return TRUE;
  // In short waits: a signal does not wake SDL's wait.
  SDL_Event e;
  while (!platform::InterruptRequested()) {
    if (SDL_WaitEventTimeout(&e, 100) != 0) {
      HandleSdlEvent(e);
      break;
    }
  }
  DeliverInterrupt();
  return TRUE;
}

LRESULT SendMessageA(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallProc(h, message, wParam, lParam);
}

BOOL PostMessageA(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
  if (std::this_thread::get_id() != S().owner) {
    MSG m{};
    m.hwnd = h;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    {
      std::lock_guard<std::mutex> hold(Cross().lock);
      Cross().posts.push_back(m);
    }
    // Wakes a WaitMessage blocked on SDL's queue.
    if (SDL_WasInit(SDL_INIT_EVENTS) != 0) {
      SDL_Event wake{};
      wake.type = SDL_USEREVENT;
      SDL_PushEvent(&wake);
    }
    return TRUE;
  }
  if (h != nullptr && Find(h) == nullptr) return FALSE;
  Post(h, message, wParam, lParam);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  S().quit = true;
  S().quitCode = exitCode;
}

LRESULT DefWindowProcA(HWND h, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(h);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(h, WM_CLOSE, 0, 0);
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_ACTIVATE;
    default:
      return 0;
  }
}

// ---------------------------------------------------------------------------
// Platform side.

namespace platform {

void* NativeWindow(HWND h) {
  Window* w = Find(h);
  return w != nullptr ? w->sdl : nullptr;
}

void UseOpenGLWindows(bool on) { S().openGL = on; }

bool ScreenSaverHeldOff() { return S().screenSaverHeldOff; }

void AddSdlEventListener(SdlEventListener listener) {
  auto& v = S().listeners;
  if (listener != nullptr && std::find(v.begin(), v.end(), listener) == v.end()) v.push_back(listener);
}

void RemoveSdlEventListener(SdlEventListener listener) {
  auto& v = S().listeners;
  v.erase(std::remove(v.begin(), v.end(), listener), v.end());
}

void UseTestWindowing(bool on) {
  DestroyAll();
  S().test = on;
}

void SetTestScreen(int width, int height, bool mousePresent) {
  S().testWidth = width;
  S().testHeight = height;
  S().testMouse = mousePresent;
}

bool InjectKey(HWND hwnd, const TestKey& key) {
  // The variant asked for first, then any key that gives this code.
  const KeyInfo* found = nullptr;
  for (int pass = 0; pass < 2 && found == nullptr; ++pass) {
    for (const KeyInfo& k : kKeys) {
      UINT vk = (!key.numLock && k.vkNumLockOff != 0) ? k.vkNumLockOff : k.vk;
      if (vk == key.vk && (pass == 1 || k.extended == key.extended)) {
        found = &k;
        break;
      }
    }
  }
  if (found == nullptr) return false;
  SDL_Event e{};
  e.type = key.down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.windowID = SdlIdOf(hwnd);
  e.key.state = key.down ? SDL_PRESSED : SDL_RELEASED;
  e.key.repeat = key.repeat ? 1 : 0;
  e.key.keysym.scancode = found->sdl;
  e.key.keysym.sym = SDL_GetKeyFromScancode(found->sdl);
  e.key.keysym.mod = key.numLock ? KMOD_NUM : KMOD_NONE;
  Inject(e);
  if (key.down && !key.text.empty()) InjectText(hwnd, key.text);
  return true;
}

void InjectText(HWND hwnd, const std::string& utf8) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  e.text.windowID = SdlIdOf(hwnd);
  std::size_t n = std::min(utf8.size(), sizeof(e.text.text) - 1);
  std::copy_n(utf8.data(), n, e.text.text);
  Inject(e);
}

void InjectFocus(HWND hwnd, bool gained) {
  InjectWindowEvent(hwnd, gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST);
}
void InjectMinimized(HWND hwnd) { InjectWindowEvent(hwnd, SDL_WINDOWEVENT_MINIMIZED); }
void InjectRestored(HWND hwnd) { InjectWindowEvent(hwnd, SDL_WINDOWEVENT_RESTORED); }
void InjectCloseButton(HWND hwnd) { InjectWindowEvent(hwnd, SDL_WINDOWEVENT_CLOSE); }

void InjectMouseMove(HWND hwnd, int x, int y) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.windowID = SdlIdOf(hwnd);
  e.motion.x = x;
  e.motion.y = y;
  Inject(e);
}

void InjectMouseMotion(HWND hwnd, int dx, int dy) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.windowID = SdlIdOf(hwnd);
  e.motion.xrel = dx;
  e.motion.yrel = dy;
  Inject(e);
}

void InjectMouseButton(HWND hwnd, int button, bool down) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.windowID = SdlIdOf(hwnd);
  e.button.button = static_cast<Uint8>(button);
  e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.button.clicks = 1;
  Inject(e);
}

const std::vector<WindowCall>& RecordedWindowCalls() { return S().calls; }
void ClearRecordedWindowCalls() { S().calls.clear(); }
const std::vector<ProcCall>& RecordedProcCalls() { return S().procCalls; }
void ClearRecordedProcCalls() {
  S().procCalls.clear();
  ++S().procCallsGeneration;
}

}  // namespace platform
