// Switches that every sound sample obeys.
#pragma once

#include <cstdint>

extern std::uint8_t g_SoundMuted;
// Sounds are played muffled (a pause dialog over a race); every new scene
// starts unmuffled.
extern std::uint8_t g_SoundMuffled;
