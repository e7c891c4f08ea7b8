// The game's own mouse cursor. Declared here as far as the application shell
// and the scene factory use it; its own module implements the operations.
#pragma once

class Cursor {
 public:
  Cursor();

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
