// The rider HUD's shared widgets: laid out once per race by the first
// rider's Load, written and drawn for the followed rider only.
#pragma once

#include <cstdint>

#include "ui/panel.h"
#include "ui/static_text.h"

extern StaticText g_HudPositionValue;
extern Panel g_HudSpeedPanel;
extern StaticText g_HudSpeedLabel;
extern StaticText g_HudSpeedValue;
extern Panel g_HudLapsPanel;
extern StaticText g_HudLapsLabel;
extern StaticText g_HudLapsValue;
extern Panel g_HudLapTimePanel;
extern StaticText g_HudLapTimeLabel;
extern StaticText g_HudLapTimeValue;
extern Panel g_HudRaceTimePanel;
extern StaticText g_HudRaceTimeLabel;
extern StaticText g_HudRaceTimeValue;
extern Panel g_HudTachoPanel;
extern Panel g_HudTachoCover;
extern Panel g_HudFrictionPanel;
extern StaticText g_HudFrictionLabel;
extern StaticText g_HudGearValue;
extern StaticText g_HudRevsLabel;
extern StaticText g_HudRevsValue;

// Seconds per condition line, shared by all riders: the blink's clock.
extern float g_HudBlinkTimers[5];
// The widgets are laid out for the current race.
extern std::uint8_t g_HudLoaded;

// Text-database numbers of the HUD's texts.
constexpr std::uint32_t HUD_TEXT_KMH = 36;
constexpr std::uint32_t HUD_TEXT_MPH = 37;
constexpr std::uint32_t HUD_TEXT_RACE_TIME = 50;
constexpr std::uint32_t HUD_TEXT_LAPS = 54;
constexpr std::uint32_t HUD_TEXT_LAP_TIME = 69;
constexpr std::uint32_t HUD_TEXT_SPEED = 71;
constexpr std::uint32_t HUD_TEXT_REVS = 72;
constexpr std::uint32_t HUD_TEXT_CLUTCH = 73;
constexpr std::uint32_t HUD_TEXT_CONDITIONS = 74;  // suspension .. gearbox, 74..78

// Loads and lays out the 20 widgets in order; the first failure stops it
// (its widget reported why). Does not touch g_HudLoaded.
bool LoadHudWidgets();
// Releases the widgets' textures, texts and fonts so that the next race
// loads them again, and clears g_HudLoaded.
void ReleaseHudWidgets();
