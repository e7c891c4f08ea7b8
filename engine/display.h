// The display: the size of the screen the renderer has open, the race size
// from the configuration, and the 3D view inside the screen.
#pragma once

#include <cstdint>

// The 3D view in screen pixels.
struct ViewRect {
  float left;
  float right;
  float top;
  float bottom;
};

// Current display size (640x480 in the front end, the race size in a race).
extern std::uint32_t g_ScreenWidth;
extern std::uint32_t g_ScreenHeight;
// Race display size from "GameWidth" and "GameHeight"; 0 when not configured.
extern std::uint32_t g_GameWidth;
extern std::uint32_t g_GameHeight;
// The 3D view: set to the whole screen when the renderer opens.
extern float g_ViewWidth;
extern float g_ViewHeight;
extern ViewRect g_ViewRect;
