#include "engine/game_settings.h"

std::uint8_t g_RaceType = 0;
std::uint8_t g_GameSkill = 0;
std::uint8_t g_OptionWeather = 1;
std::uint8_t g_OptionFogDistance = 1;
std::uint8_t g_OptionReplay = 1;
std::uint8_t g_OptionManualShift = 0;
std::uint8_t g_OptionDrawDistance = 0;
std::uint8_t g_OptionFFEnable = 1;
std::uint8_t g_OptionMPH = 0;
std::uint8_t g_OptionSkyEnable = 1;
std::uint8_t g_OptionRenderQuality = 1;
std::uint8_t g_OptionPerspectiveCorrection = 1;
std::uint8_t g_OptionFiltering = 1;
std::uint8_t g_OptionLensflare = 1;
std::uint8_t g_OptionParticle = 1;
std::uint8_t g_OptionDamages = 1;
std::uint8_t g_OptionShadows = 3;
std::uint32_t g_CameraType = 1;
bool g_HelpToggleF2 = false;
bool g_HelpToggleF3 = false;
bool g_HelpToggleF4 = false;
RaceLengthRecord g_RaceLengthRecord = {};
std::uint8_t g_GameMode = GAME_MODE_SINGLE_RACE;
std::uint8_t g_MissileMode = 0;
