// Windows and the message queue, with Win32 semantics, over SDL2.
//
// One thread. Messages posted (PostMessageA, keyboard input, window-manager
// requests) wait in one FIFO queue; PeekMessageA first pumps the SDL events
// into it. Sent messages (SendMessageA, activation changes) call the window
// procedure at once. WM_QUIT comes after every other waiting message.
//
// A top-level window is one SDL window: borderless over the whole desktop,
// or, when the environment variable KELVARRO_WINDOW="WIDTHxHEIGHT" is set, a
// plain window of that size (for development). Child windows have no SDL
// window of their own. SDL mouse events never become window messages (the
// game's own cursor posts its clicks); only WM_SETCURSOR is sent as the
// pointer enters or moves over a window, so that its procedure can hide it.
//
// Keys pressed with Alt (without Ctrl), Alt itself and F10 arrive as
// WM_SYSKEYDOWN and WM_SYSKEYUP, as on Windows. A Ctrl-C or SIGTERM
// (platform/win32/interrupt.h) arrives as WM_SYSCOMMAND SC_CLOSE to the
// active top-level window, once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/types.h"

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  const char* lpszMenuName;
  const char* lpszClassName;
};

struct WNDCLASSEXA {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  const char* lpszMenuName;
  const char* lpszClassName;
  HICON hIconSm;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_MOUSEACTIVATE = 0x0021;
constexpr UINT WM_KEYFIRST = 0x0100;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_KEYLAST = 0x0109;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_MOUSEFIRST = 0x0200;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSELAST = 0x0209;
constexpr UINT MM_MCINOTIFY = 0x03B9;
constexpr UINT WM_USER = 0x0400;

// WM_ACTIVATE: LOWORD(wParam); HIWORD(wParam) is non-zero for a minimised window.
constexpr WORD WA_INACTIVE = 0;
constexpr WORD WA_ACTIVE = 1;
constexpr WORD WA_CLICKACTIVE = 2;

// WM_SYSCOMMAND (the low four bits of wParam are the system's own).
constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_RESTORE = 0xF120;
constexpr WPARAM SC_SCREENSAVE = 0xF140;
constexpr WPARAM SC_MONITORPOWER = 0xF170;

// WM_SETCURSOR: LOWORD(lParam), where the pointer is.
constexpr WORD HTCLIENT = 1;

// WM_MOUSEACTIVATE results.
constexpr LRESULT MA_ACTIVATE = 1;
constexpr LRESULT MA_ACTIVATEANDEAT = 2;
constexpr LRESULT MA_NOACTIVATE = 3;
constexpr LRESULT MA_NOACTIVATEANDEAT = 4;

// PeekMessageA.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000u;
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_CHILD = 0x40000000u;
constexpr DWORD WS_MINIMIZE = 0x20000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_DISABLED = 0x08000000u;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000u;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000u;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// ShowWindow.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;

// GetSystemMetrics.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_MOUSEPRESENT = 19;

// GetStockObject.
constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;

// Virtual-key codes (wParam of WM_KEYDOWN and WM_KEYUP). Letters and digits
// are their upper-case ASCII codes, 'A'..'Z' and '0'..'9'.
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_CLEAR = 0x0C;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_MENU = 0x12;
constexpr UINT VK_PAUSE = 0x13;
constexpr UINT VK_CAPITAL = 0x14;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_SNAPSHOT = 0x2C;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_LWIN = 0x5B;
constexpr UINT VK_RWIN = 0x5C;
constexpr UINT VK_APPS = 0x5D;
constexpr UINT VK_NUMPAD0 = 0x60;
constexpr UINT VK_NUMPAD1 = 0x61;
constexpr UINT VK_NUMPAD2 = 0x62;
constexpr UINT VK_NUMPAD3 = 0x63;
constexpr UINT VK_NUMPAD4 = 0x64;
constexpr UINT VK_NUMPAD5 = 0x65;
constexpr UINT VK_NUMPAD6 = 0x66;
constexpr UINT VK_NUMPAD7 = 0x67;
constexpr UINT VK_NUMPAD8 = 0x68;
constexpr UINT VK_NUMPAD9 = 0x69;
constexpr UINT VK_MULTIPLY = 0x6A;
constexpr UINT VK_ADD = 0x6B;
constexpr UINT VK_SUBTRACT = 0x6D;
constexpr UINT VK_DECIMAL = 0x6E;
constexpr UINT VK_DIVIDE = 0x6F;
constexpr UINT VK_F1 = 0x70;
constexpr UINT VK_F2 = 0x71;
constexpr UINT VK_F3 = 0x72;
constexpr UINT VK_F4 = 0x73;
constexpr UINT VK_F5 = 0x74;
constexpr UINT VK_F6 = 0x75;
constexpr UINT VK_F7 = 0x76;
constexpr UINT VK_F8 = 0x77;
constexpr UINT VK_F9 = 0x78;
constexpr UINT VK_F10 = 0x79;
constexpr UINT VK_F11 = 0x7A;
constexpr UINT VK_F12 = 0x7B;
constexpr UINT VK_NUMLOCK = 0x90;
constexpr UINT VK_SCROLL = 0x91;
constexpr UINT VK_OEM_1 = 0xBA;       // ;:
constexpr UINT VK_OEM_PLUS = 0xBB;    // =+
constexpr UINT VK_OEM_COMMA = 0xBC;   // ,<
constexpr UINT VK_OEM_MINUS = 0xBD;   // -_
constexpr UINT VK_OEM_PERIOD = 0xBE;  // .>
constexpr UINT VK_OEM_2 = 0xBF;       // /?
constexpr UINT VK_OEM_3 = 0xC0;       // `~
constexpr UINT VK_OEM_4 = 0xDB;       // [{
constexpr UINT VK_OEM_5 = 0xDC;       // \|
constexpr UINT VK_OEM_6 = 0xDD;       // ]}
constexpr UINT VK_OEM_7 = 0xDE;       // '"
constexpr UINT VK_OEM_102 = 0xE2;     // the extra key beside left shift

constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
  return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
  return static_cast<WPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
inline const char* MAKEINTRESOURCEA(WORD id) {
  return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id));
}

// Classes: names compare without regard to case; a second class of the same
// name fails (returns 0).
ATOM RegisterClassA(const WNDCLASSA* wc);
ATOM RegisterClassExA(const WNDCLASSEXA* wc);
BOOL UnregisterClassA(const char* className, HINSTANCE instance);

// Sends WM_CREATE (a result of -1 destroys the window and fails). A visible
// top-level window becomes the active window (WM_ACTIVATEAPP 1, then
// WM_ACTIVATE WA_ACTIVE, sent).
HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                     int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param);
// Sends WM_DESTROY to the window, then destroys its children likewise; its
// waiting posted messages are dropped, and it loses activation and focus
// without further messages. FALSE for no window.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
// The window's text (the name it was created with), cut to `size` - 1
// characters; returns the characters copied.
int GetWindowTextA(HWND hwnd, char* text, int size);
// Calls `callback` for every child of `parent` and their children, in the
// order they were made, until it returns FALSE. FALSE for no children.
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);
BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM lParam);

// Returns whether the window was visible before. Minimising the active
// window deactivates it (WM_ACTIVATE WA_INACTIVE with the minimised flag,
// then WM_ACTIVATEAPP 0); showing or restoring it activates it.
BOOL ShowWindow(HWND hwnd, int command);
BOOL UpdateWindow(HWND hwnd);
BOOL IsIconic(HWND hwnd);
BOOL OpenIcon(HWND hwnd);
// Keyboard focus; returns the window that had it before (NULL for none, and
// NULL without change for an invalid window).
HWND SetFocus(HWND hwnd);
HWND GetFocus();
BOOL SetForegroundWindow(HWND hwnd);
// NULL hides the system pointer; any other handle shows it. Returns the
// previous cursor.
HCURSOR SetCursor(HCURSOR cursor);

int GetSystemMetrics(int index);
HGDIOBJ GetStockObject(int object);
HICON LoadIconA(HINSTANCE instance, const char* name);

// Messages. A NULL hwnd filter takes every message, (HWND)-1 only those
// posted with no window; min = max = 0 takes every message number. WM_QUIT
// is returned whatever the filter, once nothing else matches.
BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove);
// WM_KEYDOWN: puts the characters typed with the key (in the code page of
// the text language) in front of the queue as WM_CHAR. TRUE for key messages.
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
// Returns at once while a message waits; else blocks for the next SDL event
// or a Ctrl-C (returns at once with the test backend).
BOOL WaitMessage();
LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// A NULL hwnd posts a message with no window. FALSE for an invalid window.
// Any thread may post; a post from another thread than the one that first
// used the windows reaches the queue at that thread's next pump.
BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// WM_CLOSE destroys the window; WM_SYSCOMMAND SC_CLOSE sends WM_CLOSE;
// WM_MOUSEACTIVATE answers MA_ACTIVATE; everything else 0.
LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

namespace platform {

// Code page of WM_CHAR: Windows-1251 for language 7, Windows-1252 otherwise.
void SetTextLanguage(int language);
// The byte of a Unicode code point in the current code page, or -1 when it
// has none.
int CodePageByte(char32_t codePoint);

// The SDL_Window* of a top-level window (NULL for child windows, invalid
// handles and the test backend), for the renderer and input.
void* NativeWindow(HWND hwnd);
// Top-level windows are made for OpenGL, for the renderer to draw into
// (on by default). Tests of the window alone switch it off: the GL driver
// loaded under SDL's offscreen video leaks at exit, which the leak checker
// reports.
void UseOpenGLWindows(bool on);
// Whether the system's screen saver is held off: while one of the program's
// windows is active, as the game swallows its start only then.
bool ScreenSaverHeldOff();
// Other platform modules see every SDL event that the queue pumps (the
// argument is a const SDL_Event*), before it is translated.
using SdlEventListener = void (*)(const void* sdlEvent);
void AddSdlEventListener(SdlEventListener listener);
void RemoveSdlEventListener(SdlEventListener listener);

// Test backend: windows are virtual (no SDL, no display). Switching either
// way destroys every window without messages and clears the classes, the
// queue, the quit request and the records.
void UseTestWindowing(bool on);
// What GetSystemMetrics reports with the test backend (default 1024 x 768,
// mouse present).
void SetTestScreen(int width, int height, bool mousePresent);

// Injected input, as SDL would deliver it; it goes through the same
// translation at the next PeekMessageA (with SDL windows it is pushed into
// SDL's own event queue). `extended` picks the right-hand or
// cursor-block variant of keys that have two (Ctrl, Alt, Return...);
// `numLock` is the state of Num Lock for the number pad. `text` is UTF-8.
struct TestKey {
  UINT vk;
  bool down = true;
  bool repeat = false;
  std::string text;
  bool extended = false;
  bool numLock = true;
};
// False when no key of the table has this virtual-key code.
bool InjectKey(HWND hwnd, const TestKey& key);
void InjectText(HWND hwnd, const std::string& utf8);  // text with no key
void InjectFocus(HWND hwnd, bool gained);
void InjectMinimized(HWND hwnd);
void InjectRestored(HWND hwnd);
void InjectCloseButton(HWND hwnd);
void InjectMouseMove(HWND hwnd, int x, int y);
// Motion as a mouse reports it (what DirectInput's mouse reads), and its
// buttons: 1 left, 2 middle, 3 right.
void InjectMouseMotion(HWND hwnd, int dx, int dy);
void InjectMouseButton(HWND hwnd, int button, bool down);

// Record of window-manager calls (test backend only).
enum class WindowCallKind { ShowWindow, UpdateWindow, SetFocus, SetForegroundWindow, SetCursor, DestroyWindow, OpenIcon };
struct WindowCall {
  WindowCallKind kind;
  HWND hwnd;
  std::intptr_t value;  // the ShowWindow command; the cursor handle
};
const std::vector<WindowCall>& RecordedWindowCalls();
void ClearRecordedWindowCalls();

// Record of window-procedure calls and their results (test backend only).
struct ProcCall {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result;
};
const std::vector<ProcCall>& RecordedProcCalls();
void ClearRecordedProcCalls();

}  // namespace platform
