// The game's own mouse cursor: the DirectInput mouse moves it inside a clip
// rectangle, its button changes become WM_LBUTTONDOWN and WM_LBUTTONUP posted
// to the main window at its position, and it draws itself as a shadow and a
// pointer picture.
#pragma once

#include "platform/win32/types.h"

struct IDirectInputA;

class Cursor {
 public:
  Cursor();

  // Keeps a non-null DirectInput; false for null.
  bool SetDirectInput(IDirectInputA* directInput);
  // The system mouse for the window, its data format, exclusive foreground
  // access and the two textures. True when the mouse exists for this window.
  bool Create(HWND window);
  // Acquires (on) or releases (off) the mouse; nothing without a mouse.
  void SetAcquired(bool on);
  // Frees and reloads the two cursor textures around a display change.
  void FreeTextures();
  bool ReloadTextures();
  void SetClipRect(int left, int top, int right, int bottom, bool keepInside);
  // Exit handler.
  void Release();
};

extern Cursor& g_Cursor;
