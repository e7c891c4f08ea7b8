// The renderer: every drawing of the game goes through g_Renderer. There is
// one Renderer class and one implementation of its operations per program,
// chosen when the program is linked (the Glide one in kelvarro_glide, the
// Direct3D one in kelvarro_dx); nothing here is virtual.
//
// Only the operations that the application shell and the scenes call are
// declared so far; the renderer's own module brings the rest (state setters,
// triangle drawing, fades, the state cache).
#pragma once

#include <cstdint>

// Frame counters for the statistics overlay.
struct RendererStatistics {
  std::uint32_t trianglesDrawn;
  std::uint32_t trianglesIn;    // sent into the geometry pipeline
  std::uint32_t verticesIn;     // sent into the geometry pipeline
  std::uint32_t pixelsWritten;  // as the device counts them
};

// What became of a presented frame.
enum class PresentResult {
  SHOWN,
  SURFACE_LOST,  // the next frame restores the surfaces
  FAILED,        // reported by the renderer
};

class Renderer {
 public:
  Renderer();

  // Opens the device at g_ScreenWidth x g_ScreenHeight (which it may lower)
  // and sets the 3D view to the whole screen. False after a reported failure.
  bool Open();
  void Close();
  // Clears the rectangle (inclusive pixels) to the clear colour.
  bool ClearRect(int x0, int y0, int x1, int y1, bool clearDepth);
  // Brings the device back after a deactivation or a lost surface.
  bool RestoreSurfaces();
  PresentResult Present();
  // One step of the full-screen fade.
  bool DrawFade();

  bool SetZEnable(bool on);
  bool SetZWriteEnable(bool on);
  void SetFogColour(float red, float green, float blue);
  // Puts every cached render state to this build's defaults for a new scene.
  bool SetDefaultStates();

  void GetStatistics(RendererStatistics* out);
  void ResetStatistics();
  void AssignTextureSizeClasses(std::uint16_t groupsInUse);

  // A renderer that holds the screen exclusively with a window of its own
  // (Glide) closes it while the program is in the background and around
  // movies; the others answer false and do nothing.
  bool HoldsExclusiveWindow();
  // Saves the device state and closes the exclusive window; a failure is
  // reported and otherwise ignored.
  void SuspendExclusiveWindow();
  // Reopens the exclusive window and restores the saved state; `selectContext`
  // also selects the device context again. False after a reported failure.
  bool ResumeExclusiveWindow(bool selectContext);

  // Clear colour, 0..1, written by the scenes and read by ClearRect.
  float clearRed = 0.0f;
  float clearGreen = 0.0f;
  float clearBlue = 0.0f;
};

extern Renderer& g_Renderer;
