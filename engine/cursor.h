// The game's own mouse cursor. The system pointer is hidden over the main
// window; the mouse is read through DirectInput in exclusive foreground
// mode. The cursor keeps its own position inside a clip rectangle, turns
// mouse-button changes into WM_LBUTTONDOWN and WM_LBUTTONUP posted to the
// main window at its position (the scenes handle clicks as ordinary window
// messages), and draws itself each frame as two 32 x 32 textured quads: a
// shadow multiplied into the picture, then the pointer.
#pragma once

#include <cstdint>

#include "engine/renderer.h"
#include "engine/texture_manager.h"
#include "platform/win32/types.h"

struct IDirectInputA;
struct IDirectInputDeviceA;
struct Vector3;

class Cursor {
 public:
  // The quads as at rest; everything else 0 but the keep-inside flag.
  Cursor();

  // Keeps a non-null DirectInput; false for null.
  bool SetDirectInput(IDirectInputA* directInput);
  // The system mouse for the window (its data format, exclusive foreground
  // access), the clip rectangle of the screen and the two textures. True
  // when the mouse exists for this window.
  bool Create(HWND window);
  // Without a mouse nothing; on: a button still held counts as a new press,
  // and the mouse is acquired; off: it is unacquired.
  void SetAcquired(bool on);
  // The per-frame step: moves, posts the button messages and draws. False
  // without DirectInput or mouse and after a lost device (nothing drawn).
  bool Update();
  // (x, y, 0).
  void GetPosition(Vector3* out);
  // Each coordinate is taken only when it lies on the screen.
  void SetPosition(int x, int y);
  // Each edge is taken only when it lies on the screen; keepInside always.
  void SetClipRect(int left, int top, int right, int bottom, bool keepInside);
  // The system reported a mouse at Create.
  bool IsMousePresent();
  // Around a display change: both textures freed, then loaded again.
  void FreeTextures();
  bool ReloadTextures();
  // Exit handler: the textures freed, the mouse unacquired and released.
  void Release();

  IDirectInputA* directInput = nullptr;
  IDirectInputDeviceA* mouse = nullptr;
  TextureSlot pointerTexture = 0;
  TextureSlot shadowTexture = 0;
  HWND window = nullptr;
  std::uint8_t acquired = 0;
  std::uint8_t mousePresent = 0;
  // The pointer quad (0..5) and the shadow quad (6..11), two triangles each,
  // (0,0)-(32,0)-(32,32) and (0,0)-(32,32)-(0,32) from the position.
  ScreenVertex quads[12];
  int clipLeft = 0;
  int clipTop = 0;
  int clipRight = 0;
  int clipBottom = 0;
  // The hot spot: the quads' top-left corner.
  int x = 0;
  int y = 0;
  std::uint8_t buttonDown = 0;
  // The quads are cut at the clip rectangle's right and bottom edges.
  std::uint8_t keepInside = 1;
};

extern Cursor& g_Cursor;

// The cursor's pictures, members of the UI archive.
inline constexpr const char* CURSOR_POINTER_TEXTURE = "DATA\\\\UI\\\\_CUROBJ.TEX";
inline constexpr const char* CURSOR_SHADOW_TEXTURE = "DATA\\\\UI\\\\_CURSHD.TEX";
constexpr int CURSOR_SIZE = 32;
