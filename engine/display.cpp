#include "engine/display.h"

std::uint32_t g_ScreenWidth = 0;
std::uint32_t g_ScreenHeight = 0;
std::uint32_t g_GameWidth = 0;
std::uint32_t g_GameHeight = 0;
float g_ViewWidth = 0.0f;
float g_ViewHeight = 0.0f;
ViewRect g_ViewRect = {0.0f, 0.0f, 0.0f, 0.0f};
