#include "engine/game_settings.h"

std::uint8_t g_RaceType = 0;
