#include "engine/sound_switches.h"

std::uint8_t g_SoundMuted = 0;
std::uint8_t g_SoundMuffled = 0;
