// The rider HUD: the shared widgets' layout, the followed rider's values
// written into them each frame, and their drawing.
#include "riders/rider_hud.h"

#include <cstdio>

#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/text_database.h"
#include "riders/hud_text.h"
#include "riders/rider.h"

StaticText g_HudPositionValue;
Panel g_HudSpeedPanel;
StaticText g_HudSpeedLabel;
StaticText g_HudSpeedValue;
Panel g_HudLapsPanel;
StaticText g_HudLapsLabel;
StaticText g_HudLapsValue;
Panel g_HudLapTimePanel;
StaticText g_HudLapTimeLabel;
StaticText g_HudLapTimeValue;
Panel g_HudRaceTimePanel;
StaticText g_HudRaceTimeLabel;
StaticText g_HudRaceTimeValue;
Panel g_HudTachoPanel;
Panel g_HudTachoCover;
Panel g_HudFrictionPanel;
StaticText g_HudFrictionLabel;
StaticText g_HudGearValue;
StaticText g_HudRevsLabel;
StaticText g_HudRevsValue;

float g_HudBlinkTimers[5] = {};
std::uint8_t g_HudLoaded = 0;

namespace {

constexpr std::uint8_t ON = 1;
constexpr std::uint8_t OFF = 0;

// The position readout exists only in the motos.
bool Motos() { return g_RaceType == 3 || g_RaceType == 4; }

bool LoadValue(StaticText* t, const char* file, float x, float y, const char* first) {
  if (!t->Load(file)) return false;
  t->SetScale(1.0f, 1.0f, 1.0f);
  t->SetPosition(x, y, 0.0f);
  return t->SetText(first);
}

bool LoadLabel(StaticText* t, std::uint32_t textId, std::uint8_t yFromTop, std::uint8_t xFromLeft, bool centred,
               float x, float y) {
  t->SetAnchors(yFromTop, xFromLeft);
  if (centred) t->SetCentring(ON, ON);
  t->SetScale(1.0f, 1.0f, 1.0f);
  t->SetPosition(x, y, 0.0f);
  return t->SetText(g_TextDatabase.Text(textId));
}

// A plate whose file's texture is used as it stands.
bool LoadPlate(Panel* p, const char* file, bool sized, float x, float y) {
  p->SetTextureName("");
  if (!p->Load(file)) return false;
  if (sized) p->SetScale(78.0f, 19.0f, 1.0f);
  p->SetPosition(x, y, p->z);
  return true;
}

bool DrawFaded(StaticText* t) {
  t->SetAlpha(0.7f);
  return t->Draw();
}

}  // namespace

bool LoadHudWidgets() {
  if (!g_HudPositionValue.Load("DATA\\TRACK\\POSV.STX")) return false;
  g_HudPositionValue.SetFont(3);
  g_HudPositionValue.SetCentring(ON, OFF);
  g_HudPositionValue.SetScale(1.0f, 1.0f, 1.0f);
  g_HudPositionValue.SetPosition(320.0f, 2.0f, 0.0f);
  if (!g_HudPositionValue.SetText("01")) return false;

  if (!LoadPlate(&g_HudSpeedPanel, "DATA\\TRACK\\SPEEDT.OSP", true, 0.0f, 43.0f)) return false;
  if (!LoadLabel(&g_HudSpeedLabel, HUD_TEXT_SPEED, ON, OFF, true, 39.0f, 52.0f)) return false;
  if (!LoadValue(&g_HudSpeedValue, "DATA\\TRACK\\SPEEDV.STX", 2.0f, 64.0f, "000 KMH")) return false;
  if (!LoadPlate(&g_HudLapsPanel, "DATA\\TRACK\\NLAPST.OSP", true, 0.0f, 5.0f)) return false;
  if (!LoadLabel(&g_HudLapsLabel, HUD_TEXT_LAPS, ON, OFF, true, 39.0f, 14.0f)) return false;
  if (!LoadValue(&g_HudLapsValue, "DATA\\TRACK\\NLAPSV.STX", 32.0f, 26.0f, "01")) return false;
  if (!LoadPlate(&g_HudLapTimePanel, "DATA\\TRACK\\LTIMET.OSP", true, 0.0f, 5.0f)) return false;
  if (!LoadLabel(&g_HudLapTimeLabel, HUD_TEXT_LAP_TIME, ON, ON, true, 39.0f, 14.0f)) return false;
  if (!LoadValue(&g_HudLapTimeValue, "DATA\\TRACK\\LTIMEV.STX", 2.0f, 26.0f, "00'00\"00")) return false;
  if (!LoadPlate(&g_HudRaceTimePanel, "DATA\\TRACK\\BLAPT.OSP", true, 0.0f, 43.0f)) return false;
  if (!LoadLabel(&g_HudRaceTimeLabel, HUD_TEXT_RACE_TIME, ON, ON, true, 39.0f, 52.0f)) return false;
  if (!LoadValue(&g_HudRaceTimeValue, "DATA\\TRACK\\BLAPV.STX", 2.0f, 64.0f, "00'00\"00")) return false;
  // The tachometer's plate and cover keep their files' texture and place.
  if (!g_HudTachoPanel.Load("DATA\\TRACK\\TACHO.OSP")) return false;
  if (!g_HudTachoCover.Load("DATA\\TRACK\\TACHO2.OSP")) return false;
  if (!LoadPlate(&g_HudFrictionPanel, "DATA\\TRACK\\FRICTION.OSP", false, 8.0f, 43.0f)) return false;

  g_HudFrictionLabel.SetFont(1);
  if (!LoadLabel(&g_HudFrictionLabel, HUD_TEXT_CLUTCH, OFF, OFF, false, 32.0f, 45.0f)) return false;
  if (!LoadValue(&g_HudGearValue, "DATA\\TRACK\\GEARV.STX", 50.0f, 35.0f, "N")) return false;
  g_HudRevsLabel.SetFont(1);
  const float revsX = static_cast<float>(g_ScreenWidth) * 595.0f * 0.0015625f;
  if (!LoadLabel(&g_HudRevsLabel, HUD_TEXT_REVS, OFF, ON, false, revsX, 20.0f)) return false;
  return LoadValue(&g_HudRevsValue, "DATA\\TRACK\\GEARV.STX", 27.0f, 8.0f, "00000");
}

void ReleaseHudWidgets() {
  for (StaticText* t : {&g_HudPositionValue, &g_HudSpeedLabel, &g_HudSpeedValue, &g_HudLapsLabel, &g_HudLapsValue,
                        &g_HudLapTimeLabel, &g_HudLapTimeValue, &g_HudRaceTimeLabel, &g_HudRaceTimeValue,
                        &g_HudFrictionLabel, &g_HudGearValue, &g_HudRevsLabel, &g_HudRevsValue}) {
    t->FreeBuffers();
    // The fonts belong to the race scene, which goes with the race.
    t->font = nullptr;
  }
  for (Panel* p : {&g_HudSpeedPanel, &g_HudLapsPanel, &g_HudLapTimePanel, &g_HudRaceTimePanel, &g_HudTachoPanel,
                   &g_HudTachoCover, &g_HudFrictionPanel}) {
    p->FreeTexture();
  }
  g_HudLoaded = 0;
}

void Rider::SetUpConditionLines() {
  for (int k = 0; k < CONDITION_LINES; ++k) {
    conditionLines[k].SetAnchors(ON, ON);
    conditionLines[k].SetPosition(2.0f, 100.0f + 15.0f * static_cast<float>(k), 0.0f);
    conditionLines[k].SetScale(1.0f, 1.0f, 1.0f);
  }
}

void Rider::UpdateHud(int raceState, int ms) {
  const float rpm = physics.revs * 9.55414f;
  tachometer.value = rpm;
  tachometer.top = 14000.0f;
  tachometer.bottom = 1000.0f;
  tachometer.Update(static_cast<unsigned>(ms), raceState);

  char text[64];
  FormatRevs(rpm, text);
  g_HudRevsValue.SetText(text);

  if (physics.gear == 0) {
    g_HudGearValue.SetColour(0.0f, 1.0f, 0.0f, 0, 0);
    g_HudGearValue.SetText("N");
  } else {
    g_HudGearValue.SetColour(1.0f, 0.0f, 0.0f, 0, 0);
    std::snprintf(text, sizeof text, "%d", physics.gear);
    g_HudGearValue.SetText(text);
  }

  // The clutch light: lit or dark square of the plate's texture.
  const float u0 = (physics.clutchIn ? 221.0f : 239.0f) / 255.0f;
  const float u1 = (physics.clutchIn ? 235.0f : 253.0f) / 255.0f;
  const float v0 = 218.0f / 255.0f;
  const float v1 = 232.0f / 255.0f;
  g_HudFrictionPanel.SetUvs(u0, v0, u1, v0, u1, v1, u0, v1);

  if (Motos() && (racePosition != hudPositionShown || hudRefresh)) {
    std::snprintf(text, sizeof text, "%02u", racePosition % 100u);
    g_HudPositionValue.SetText(text);
    hudPositionShown = racePosition;
  }

  const std::uint32_t speed = SpeedReadout(physics.forwardSpeed, g_OptionMPH != 0);
  std::snprintf(text, sizeof text, "%03u %s", speed % 1000u,
                g_TextDatabase.Text(g_OptionMPH ? HUD_TEXT_MPH : HUD_TEXT_KMH));
  g_HudSpeedValue.SetText(text);

  if (lap != hudLapShown || hudRefresh) {
    std::snprintf(text, sizeof text, "%02u", (lap - 1u) % 100u);
    g_HudLapsValue.SetText(text);
    hudLapShown = lap;
  }

  FormatRaceTime(raceTime.minutes, raceTime.seconds, raceTime.hundredths, text);
  g_HudRaceTimeValue.SetText(text);
  FormatRaceTime(lapTime.minutes, lapTime.seconds, lapTime.hundredths, text);
  g_HudLapTimeValue.SetText(text);
  hudRefresh = 0;

  const float* conditions[CONDITION_LINES] = {g_ConditionSuspension, g_ConditionWheels, g_ConditionEngine,
                                              g_ConditionBrakes, g_ConditionGearbox};
  for (int k = 0; k < CONDITION_LINES; ++k) {
    const float c = conditions[k][index];
    float& t = g_HudBlinkTimers[k];
    StaticText& line = conditionLines[k];
    if (c == 0.0f) {
      // A broken part: grey at half alpha; its blink clock is left alone.
      line.SetColour(0.9f, 0.9f, 0.9f, 0, 0);
      line.SetAlpha(0.5f);
    } else if (c > 0.0f && c < 0.25f) {
      if (t == 0.0f) {
        line.StartFade(0.0f, 500, nullptr);
      } else if (t > 1.0f && !line.IsFading()) {
        line.SetColour(1.0f, 0.046875f, 0.046875f, 0, 0);
        line.StartFade(1.0f, 500, nullptr);
      }
      t += g_FrameTime;
      if (t > 2.5f) t = 0.0f;
    }
    line.Update(static_cast<unsigned>(ms), raceState);
  }
}

bool Rider::DrawHud() {
  g_Renderer.SetAlphaBlendEnable(false);
  for (Panel* p : {&g_HudSpeedPanel, &g_HudLapsPanel, &g_HudLapTimePanel, &g_HudRaceTimePanel, &g_HudTachoPanel}) {
    if (!p->Draw()) return false;
  }

  g_Renderer.SetAlphaBlendEnable(true);
  g_Renderer.SetSrcBlend(BLEND_ONE);
  g_Renderer.SetDestBlend(BLEND_ONE_MINUS_SRC_COLOUR);
  if (Motos() && !DrawFaded(&g_HudPositionValue)) return false;
  for (StaticText* t : {&g_HudSpeedLabel, &g_HudSpeedValue, &g_HudLapsLabel, &g_HudLapsValue, &g_HudLapTimeLabel,
                        &g_HudLapTimeValue, &g_HudRaceTimeLabel, &g_HudRaceTimeValue, &g_HudFrictionLabel,
                        &g_HudGearValue}) {
    if (!DrawFaded(t)) return false;
  }
  g_HudFrictionPanel.SetAlpha(0.7f);
  if (!g_HudFrictionPanel.Draw()) return false;
  if (!DrawFaded(&g_HudRevsLabel) || !DrawFaded(&g_HudRevsValue)) return false;

  g_Renderer.SetAlphaBlendEnable(false);
  if (!tachometer.Draw() || !g_HudTachoCover.Draw()) return false;

  g_Renderer.SetAlphaBlendEnable(true);
  const bool glide = g_RenderBuild == RENDER_BUILD_GLIDE;
  g_Renderer.SetDestBlend(glide ? BLEND_ONE_MINUS_SRC_COLOUR : BLEND_ONE_MINUS_SRC_ALPHA);
  const float* conditions[CONDITION_LINES] = {g_ConditionSuspension, g_ConditionWheels, g_ConditionEngine,
                                              g_ConditionBrakes, g_ConditionGearbox};
  for (int k = 0; k < CONDITION_LINES; ++k) {
    const float c = conditions[k][index];
    // In the Glide build a broken part's line darkens the picture in the
    // shape of its text.
    g_Renderer.SetSrcBlend(glide ? (c == 0.0f ? BLEND_ZERO : BLEND_ONE) : BLEND_SRC_ALPHA);
    char text[96];
    std::snprintf(text, sizeof text, "%s : %d%%", g_TextDatabase.Text(HUD_TEXT_CONDITIONS + k),
                  static_cast<int>(c * 100.0f));
    conditionLines[k].SetText(text);
    if (c < 0.9f && !conditionLines[k].Draw()) return false;
  }

  g_Renderer.SetAlphaBlendEnable(false);
  return true;
}
