#include "engine/game_settings.h"

std::uint8_t g_RaceType = 0;
std::uint8_t g_GameSkill = 0;
std::uint8_t g_OptionMPH = 0;
RaceLengthRecord g_RaceLengthRecord = {};
std::uint8_t g_GameMode = GAME_MODE_SINGLE_RACE;
std::uint8_t g_MissileMode = 0;
std::uint8_t g_OptionFFEnable = 1;
