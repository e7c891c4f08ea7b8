// The HUD's widgets and their loading, the two message slots, the intro
// sequence, the session table and the starting grid, and the drawing.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "engine/services/event.h"
#include "engine/services/front_end.h"
#include "engine/text_database.h"
#include "race/race_hud_internal.h"
#include "race/race_manager.h"
#include "riders/rider.h"
#include "ui/font.h"

using namespace hud_internal;

namespace {

constexpr int RACE_STATE_INTRO = 1;

// The fade callbacks take no argument: one race, one manager at a time.
bool g_Slot1Ended = false;
bool g_Slot2Ended = false;

const char* DbText(std::uint32_t id) { return g_TextDatabase.Text(id); }

void Copy(char* to, std::size_t size, const char* from) {
  std::strncpy(to, from ? from : "", size - 1);
  to[size - 1] = '\0';
}

// One text set up from the text database (or left empty).
void SetUp(StaticText& t, std::uint16_t font, std::uint8_t top, std::uint8_t left, std::uint8_t centreH,
           std::uint8_t centreV, float x, float y, const float colour[3], const char* s) {
  t.SetFont(font);
  t.SetAnchors(top, left);
  t.SetCentring(centreH, centreV);
  t.SetScale(1.0f, 1.0f, 1.0f);
  Say(t, x, y, s, colour);
}

// The event's index in its list; false outside the game modes with events.
bool EventIndex(std::uint32_t* index) {
  *index = 0;
  switch (g_GameMode) {
    case GAME_MODE_SINGLE_RACE:
    case GAME_MODE_QUICK_RACE:
    case GAME_MODE_CHAMPIONSHIP:
    case GAME_MODE_MULTIPLAYER:
      *index = g_Event ? g_Event->CurrentEntry() : 0;
      return true;
    default:
      return false;
  }
}

bool LoadNumbered(Panel& p, const char* stem, std::uint32_t n) {
  char path[64];
  // "%02u": a leading zero below 10, the number as it is from 10 on.
  std::snprintf(path, sizeof path, "%s%02u.OSP", stem, n);
  return p.Load(path);
}

// Every widget a message draws, in drawing order; backdrops flagged.
struct WidgetVisitor {
  virtual void Visit(Panel& p, bool backdrop) = 0;
  virtual void Visit(StaticText& t) = 0;

 protected:
  ~WidgetVisitor() = default;
};

void VisitRider(HudRiderWidgets& r, WidgetVisitor& v, bool place, bool helmet, bool time) {
  if (place) v.Visit(r.rows[0]);
  v.Visit(r.number, false);
  if (helmet) v.Visit(r.helmet, false);
  v.Visit(r.rows[1]);
  if (time) v.Visit(r.rows[2]);
}

std::uint32_t StandingsPageSize(HudMessage m) { return m == HUD_STANDINGS_PAGES ? 6u : 10u; }

void VisitMessage(RaceManager& m, HudMessage message, WidgetVisitor& v) {
  RaceHud& h = m.hud;
  const std::uint8_t a = h.shownRiders[0] < 20 ? h.shownRiders[0] : 0;
  const std::uint8_t b = h.shownRiders[1] < RaceHud::RIDER_ENTRIES ? h.shownRiders[1] : 0;
  switch (message) {
    case HUD_NONE:
    case HUD_MESSAGE_COUNT:
      return;
    case HUD_BANNER:
      v.Visit(h.messageBackdrop, true);
      v.Visit(h.bannerBackdrop, true);
      v.Visit(h.raceTypeTitle);
      v.Visit(h.eventName);
      v.Visit(h.eventFlag, false);
      return;
    case HUD_SESSION_INFO: {
      v.Visit(h.messageBackdrop, true);
      v.Visit(h.raceTypeTitle);
      for (StaticText& t : h.columnTitles) v.Visit(t);
      for (StaticText& t : h.counters) v.Visit(t);
      for (std::uint32_t s = 0; s < 20; ++s) {
        if (!m.Present(s)) continue;
        HudRiderWidgets& r = h.riders[s];
        v.Visit(r.rows[0]);
        v.Visit(r.number, false);
        v.Visit(r.helmet, false);
        v.Visit(r.rows[1]);
        v.Visit(r.rows[2]);
      }
      const std::uint32_t pair = static_cast<std::uint32_t>(h.keyHelpTimer / 3.0f) % RaceHud::KEY_PAIRS;
      v.Visit(h.press);
      v.Visit(h.keyNames[pair]);
      v.Visit(h.keyActions[pair]);
      return;
    }
    case HUD_STARTING_GRID: {
      v.Visit(h.messageBackdrop, true);
      v.Visit(h.gridPanel, false);
      v.Visit(h.gridTitle);
      v.Visit(h.gridSubtitle);
      const std::uint32_t n = g_GameMode == GAME_MODE_MULTIPLAYER ? 7u : (g_RiderCount < 20 ? g_RiderCount : 20u);
      for (std::uint32_t k = 0; k < n; ++k) {
        const std::uint8_t slot = m.gridOrder[n - 1 - k];
        if (slot >= 20 || !m.Present(slot)) continue;
        VisitRider(h.riders[slot], v, false, true, false);
      }
      return;
    }
    case HUD_HELP:
      v.Visit(h.timers[HUD_HELP] < 2.5f ? h.helpTexts[0] : h.helpTexts[1]);
      return;
    case HUD_FINAL_LAP:
      v.Visit(h.messageBackdrop, true);
      v.Visit(h.finalLapText);
      return;
    case HUD_LAST_LAP:
      v.Visit(h.messageBackdrop, true);
      v.Visit(h.lastLapText);
      return;
    case HUD_LAP_DISPLAY:
      v.Visit(h.messageBackdrop, true);
      v.Visit(h.riders[a].number, false);
      v.Visit(h.riders[b].number, false);
      v.Visit(h.riders[a].rows[1]);
      v.Visit(h.riders[b].rows[1]);
      v.Visit(h.lapTimes[0]);
      v.Visit(h.lapTimes[1]);
      v.Visit(h.difference);
      return;
    case HUD_FASTEST_LAP:
      v.Visit(h.messageBackdrop, true);
      v.Visit(h.fastestLapTitle);
      v.Visit(h.riders[a].number, false);
      v.Visit(h.riders[a].helmet, false);
      v.Visit(h.riders[a].rows[1]);
      v.Visit(h.riders[a].rows[2]);
      v.Visit(h.speedLine);
      return;
    case HUD_GAP:
      v.Visit(h.messageBackdrop, true);
      v.Visit(h.gapArrow, false);
      VisitRider(h.riders[a], v, true, true, false);
      VisitRider(h.riders[b], v, true, true, false);
      v.Visit(h.gapText);
      return;
    case HUD_LAP_COUNT:
      v.Visit(h.messageBackdrop, true);
      v.Visit(h.lapCountText);
      return;
    case HUD_STANDINGS_PAGES:
    case HUD_STANDINGS_LIST: {
      v.Visit(h.messageBackdrop, true);
      const std::uint32_t size = StandingsPageSize(message);
      for (std::uint32_t k = 0; k < size; ++k) {
        const std::uint32_t i = h.page * size + k;
        if (i >= h.standingsCount || i >= 20) break;
        HudRiderWidgets& r = h.riders[h.standingsOrder[i] < 20 ? h.standingsOrder[i] : 0];
        v.Visit(r.rows[0]);
        v.Visit(r.number, false);
        v.Visit(r.rows[1]);
        if (message == HUD_STANDINGS_PAGES) {
          v.Visit(r.helmet, false);
          v.Visit(r.rows[2]);
        }
      }
      return;
    }
    case HUD_FINISH:
      v.Visit(h.messageBackdrop, true);
      v.Visit(h.finisherTitles[h.finisherTitle ? 1 : 0]);
      v.Visit(h.riders[a].number, false);
      v.Visit(h.riders[a].rows[1]);
      v.Visit(h.positionLine);
      v.Visit(h.finisherLine);
      v.Visit(h.speedLine);
      return;
    case HUD_RETIRED:
      v.Visit(h.messageBackdrop, true);
      v.Visit(h.retiredText);
      return;
    case HUD_STOPPED:
      v.Visit(h.messageBackdrop, true);
      v.Visit(h.stoppedText);
      return;
    case HUD_ALONE:
      v.Visit(h.messageBackdrop, true);
      v.Visit(h.aloneText);
      return;
    case HUD_SESSION_OVER:
      v.Visit(h.messageBackdrop, true);
      v.Visit(h.sessionEndText);
      return;
    case HUD_PIT_WAIT:
      v.Visit(h.messageBackdrop, true);
      for (StaticText& t : h.pitTexts) v.Visit(t);
      return;
    case HUD_SPLIT:
      v.Visit(h.messageBackdrop, true);
      v.Visit(h.gapArrow, false);
      v.Visit(h.riders[a].number, false);
      v.Visit(h.riders[a].rows[1]);
      v.Visit(h.splitLines[0]);
      v.Visit(h.splitLines[1]);
      v.Visit(h.riders[b].number, false);
      v.Visit(h.riders[b].rows[1]);
      v.Visit(h.splitLines[2]);
      v.Visit(h.splitLines[3]);
      return;
    case HUD_RIDER_INFO:
      v.Visit(h.messageBackdrop, true);
      v.Visit(h.riders[a].number, false);
      v.Visit(h.riders[a].helmet, false);
      v.Visit(h.riders[a].rows[1]);
      if (Moto()) v.Visit(h.positionLine);
      return;
    case HUD_YELLOW_FLAG:
      v.Visit(h.yellowFlag, false);
      return;
    case HUD_BLUE_FLAG:
      v.Visit(h.blueFlag, false);
      return;
  }
}

struct Updater final : WidgetVisitor {
  unsigned ms = 0;
  void Visit(Panel& p, bool) override { p.Update(ms, 0); }
  void Visit(StaticText& t) override { t.Update(ms, 0); }
};

struct Drawer final : WidgetVisitor {
  bool glide = true;
  void Visit(Panel& p, bool backdrop) override {
    // The Glide build darkens by the backdrop's colour; Direct3D blends by
    // alpha throughout.
    if (glide) g_Renderer.SetSrcBlend(backdrop ? BLEND_ZERO : BLEND_ONE);
    p.Draw();
  }
  void Visit(StaticText& t) override {
    if (glide) g_Renderer.SetSrcBlend(BLEND_ONE);
    t.Draw();
  }
};

struct Fader final : WidgetVisitor {
  float target = 0.0f;
  float backdropTarget = 0.0f;
  unsigned ms = 500;
  void (*backdropCallback)() = nullptr;
  void Visit(Panel& p, bool backdrop) override {
    p.StartFade(backdrop ? backdropTarget : target, ms, backdrop ? backdropCallback : nullptr);
  }
  void Visit(StaticText& t) override { t.StartFade(target, ms, nullptr); }
};

struct AlphaSetter final : WidgetVisitor {
  float alpha = 0.0f;
  void Visit(Panel& p, bool) override { p.SetAlpha(alpha); }
  void Visit(StaticText& t) override { t.SetAlpha(alpha); }
};

// The fade-in of a message, every widget from 0 (the backdrop to 0.5).
void FadeMessageIn(RaceManager& m, HudMessage message, unsigned ms) {
  AlphaSetter zero;
  VisitMessage(m, message, zero);
  Fader in;
  in.target = 1.0f;
  in.backdropTarget = 0.5f;
  in.ms = ms;
  VisitMessage(m, message, in);
}

void FadeMessageOut(RaceManager& m, HudMessage message, unsigned ms) {
  Fader out;
  out.ms = ms;
  out.backdropCallback = message == HUD_YELLOW_FLAG || message == HUD_BLUE_FLAG ? EndSlot2 : EndSlot1;
  if (message == HUD_YELLOW_FLAG || message == HUD_BLUE_FLAG) {
    Panel& flag = message == HUD_YELLOW_FLAG ? m.hud.yellowFlag : m.hud.blueFlag;
    flag.StartFade(0.0f, ms, EndSlot2);
    return;
  }
  VisitMessage(m, message, out);
}

void Resize(Panel& p, float x, float y, float w, float h) {
  p.SetScale(w, h, p.depth);
  p.SetPosition(x, y, p.z);
}

void PlaceRowPanel(Panel& p, float x, float y, float w, float h) {
  p.SetAnchors(1, 1);
  Resize(p, x, y, w, h);
}

}  // namespace

namespace hud_internal {

float ScreenW() { return static_cast<float>(g_ScreenWidth); }
float ScreenH() { return static_cast<float>(g_ScreenHeight); }
bool Moto() { return g_RaceType == 3 || g_RaceType == 4; }
bool Session() { return g_RaceType == 1 || g_RaceType == 2; }

void EndSlot1() { g_Slot1Ended = true; }
void EndSlot2() { g_Slot2Ended = true; }

void Say(StaticText& t, float x, float y, const char* s, const float colour[3]) {
  // The string may be the text's own: lay out a copy, so that nothing is
  // allocated for it.
  char copy[256];
  Copy(copy, sizeof copy, s ? s : t.String());
  t.SetPosition(x, y, t.originZ);
  t.SetColour(colour[0], colour[1], colour[2], 0, 0);
  t.SetText(copy);
}

void SayTwoTone(StaticText& t, float x, float y, const char* s, const float base[3], const float range[3],
                unsigned first, unsigned end) {
  Say(t, x, y, s, base);
  if (end > first) t.SetColour(range[0], range[1], range[2], first, end);
  // The range's colour is now the text's own: the next layout starts from
  // the base again.
  t.colourR = base[0];
  t.colourG = base[1];
  t.colourB = base[2];
}

void PlacePanel(Panel& p, std::uint8_t yFromTop, std::uint8_t xFromLeft, float x, float y, float w, float h) {
  p.SetAnchors(yFromTop, xFromLeft);
  Resize(p, x, y, w, h);
}

void FadeIn(StaticText& t, unsigned ms) {
  t.SetAlpha(0.0f);
  t.StartFade(1.0f, ms, nullptr);
}

void FadeIn(Panel& p, float to, unsigned ms) {
  p.SetAlpha(0.0f);
  p.StartFade(to, ms, nullptr);
}

void FadeOutMessage(RaceManager& m, HudMessage message) { FadeMessageOut(m, message, 500); }
void FadeInMessage(RaceManager& m, HudMessage message) { FadeMessageIn(m, message, 500); }

Rider* PresentRider(RaceManager& m, std::uint32_t slot) { return m.Present(slot) ? m.riders[slot] : nullptr; }

bool IsOut(const Rider& r) { return r.out != 0; }

bool RaceOver(Rider& r) { return r.IsRaceOver(); }

void TwoDigits(std::uint32_t n, char* out) {
  if (n > 99) n = 99;
  out[0] = static_cast<char>('0' + n / 10);
  out[1] = static_cast<char>('0' + n % 10);
  out[2] = '\0';
}

}  // namespace hud_internal

void FormatLapTime(std::uint32_t minutes, std::uint32_t seconds, std::uint32_t hundredths, char* out) {
  TwoDigits(minutes % 100, out);
  out[2] = '\'';
  FormatShortTime(seconds, hundredths, out + 3);
}

void FormatShortTime(std::uint32_t seconds, std::uint32_t hundredths, char* out) {
  TwoDigits(seconds % 100, out);
  out[2] = '"';
  TwoDigits(hundredths % 100, out + 3);
}

float HudSpeed(float kmh, bool mph) { return mph ? std::ceil(kmh * 0.621f) : kmh; }

bool RaceManager::LoadHud() {
  if (!lapTimes && !AllocateLapTimes()) return false;
  RaceHud& h = hud;
  if (!h.yellowFlag.Load("DATA\\TRACK\\YFLAG.OSP")) return false;
  h.yellowFlag.SetAlpha(0.0f);
  if (!h.blueFlag.Load("DATA\\TRACK\\BFLAG.OSP")) return false;
  h.blueFlag.SetAlpha(0.0f);
  if (!h.press.Load("DATA\\TRACK\\PRESS.STX")) return false;
  for (StaticText& t : h.keyNames) {
    if (!t.Load("DATA\\TRACK\\NAME.STX")) return false;
  }
  for (std::uint32_t i = 0; i < RaceHud::KEY_PAIRS; ++i) {
    char path[32];
    std::snprintf(path, sizeof path, "DATA\\TRACK\\HELP%u.STX", i + 1);
    if (!h.keyActions[i].Load(path)) return false;
  }
  if (!h.messageBackdrop.Load("DATA\\TRACK\\BPANEL.OSP") || !h.bannerBackdrop.Load("DATA\\TRACK\\BPANEL.OSP") ||
      !h.gridPanel.Load("DATA\\TRACK\\GRID.OSP") || !h.gapArrow.Load("DATA\\TRACK\\ARROW.OSP")) {
    return false;
  }
  std::uint16_t numbers[20];
  for (std::uint8_t s = 0; s < 20; ++s) numbers[s] = g_FrontEnd ? g_FrontEnd->RiderNumber(s) : s;
  for (std::uint32_t s = 0; s < 20; ++s) {
    if (!LoadNumbered(h.riders[s].helmet, "DATA\\TRACK\\HELMET", numbers[s])) return false;
  }
  for (std::uint32_t s = 0; s < 20; ++s) {
    if (!LoadNumbered(h.riders[s].number, "DATA\\TRACK\\NUMBER", numbers[s])) return false;
  }
  HudRiderWidgets& extra = h.riders[RaceHud::PLAYER_EXTRA];
  if (!LoadNumbered(extra.helmet, "DATA\\TRACK\\HELMET", numbers[0]) ||
      !LoadNumbered(extra.number, "DATA\\TRACK\\NUMBER", numbers[0])) {
    return false;
  }
  for (HudRiderWidgets& r : h.riders) {
    for (StaticText& t : r.rows) {
      if (!t.Load("DATA\\TRACK\\NAME.STX")) return false;
    }
  }
  std::uint32_t event = 0;
  const bool hasEvent = EventIndex(&event);
  if (!LoadNumbered(h.eventFlag, "DATA\\UI\\FLAG", event)) return false;

  const float w = ScreenW();
  const float sh = ScreenH();
  h.messageBackdrop.SetAnchors(0, 0);
  h.messageBackdrop.SetColour(1.0f, 1.0f, 1.0f);
  Resize(h.messageBackdrop, 0.0f, 0.0f, w, 95.0f);
  h.bannerBackdrop.SetAnchors(1, 1);
  h.bannerBackdrop.SetColour(1.0f, 1.0f, 1.0f);
  Resize(h.bannerBackdrop, 0.0f, 0.0f, w, 139.0f);
  if (g_RenderBuild == RENDER_BUILD_DIRECT3D) {
    // At alpha 0.5 they darken the picture.
    h.messageBackdrop.SetColour(0.01f, 0.01f, 0.01f);
    h.bannerBackdrop.SetColour(0.01f, 0.01f, 0.01f);
  }
  h.gapArrow.SetAnchors(0, 0);
  Resize(h.gapArrow, 270.0f, 16.0f, 100.0f, 18.0f);
  h.gridPanel.SetAnchors(0, 0);
  Resize(h.gridPanel, w / 2.0f - 30.0f, 70.0f, 39.0f, sh - 140.0f);
  h.eventFlag.SetAnchors(0, 1);
  Resize(h.eventFlag, w / 2.0f - 40.0f, 37.0f, 80.0f, 53.0f);
  h.yellowFlag.SetAlpha(0.0f);
  h.blueFlag.SetAlpha(0.0f);

  const float* hl = HUD_HIGHLIGHT;
  SetUp(h.gridTitle, 3, 1, 1, 0, 0, 0.0f, 0.0f, hl, DbText(61));
  Say(h.gridTitle, (w * 0.5f - h.gridTitle.textWidth) * 0.5f, sh * 0.5f - h.gridTitle.textHeight - 2.0f, nullptr, hl);
  SetUp(h.gridSubtitle, 3, 1, 1, 0, 1, 0.0f, 0.0f, hl, DbText(70));
  Say(h.gridSubtitle, (w * 0.5f - h.gridSubtitle.textWidth) * 0.5f, sh * 0.5f + 2.0f, nullptr, hl);
  SetUp(h.fastestLapTitle, 0, 0, 1, 1, 0, 320.0f, 76.0f, hl, DbText(49));
  SetUp(h.lastLapText, 0, 0, 1, 0, 0, 5.0f, 28.0f, hl, DbText(57));
  SetUp(h.finisherTitles[0], 0, 0, 1, 1, 0, 320.0f, 76.0f, hl, DbText(58));
  SetUp(h.finisherTitles[1], 0, 0, 1, 1, 0, 320.0f, 76.0f, hl, DbText(59));
  SetUp(h.finisherLine, 0, 0, 1, 0, 0, 40.0f, 5.0f, hl, "");
  SetUp(h.lapCountText, 0, 0, 1, 0, 0, 5.0f, 37.0f, hl, "");
  SetUp(h.splitLines[0], 0, 0, 1, 0, 0, 43.0f, 31.0f, hl, DbText(55));
  SetUp(h.splitLines[1], 0, 0, 1, 0, 0, 43.0f, 9.0f, hl, DbText(56));
  SetUp(h.splitLines[2], 0, 0, 1, 0, 0, 412.0f, 31.0f, hl, DbText(55));
  SetUp(h.splitLines[3], 0, 0, 1, 0, 0, 412.0f, 9.0f, hl, DbText(56));
  SetUp(h.helpTexts[0], 3, 1, 1, 1, 1, 320.0f, 240.0f, WHITE, DbText(40));
  SetUp(h.helpTexts[1], 3, 1, 1, 1, 1, 320.0f, 240.0f, WHITE, DbText(41));
  SetUp(h.speedLine, 0, 0, 0, 0, 0, 0.0f, 0.0f, hl, "");
  SetUp(h.finalLapText, 0, 0, 1, 0, 0, 5.0f, 28.0f, hl, "");
  SayTwoTone(h.finalLapText, 5.0f, 28.0f, DbText(45), hl, WHITE, 0, 1);
  SetUp(h.retiredText, 0, 0, 1, 0, 0, 5.0f, 35.0f, hl, DbText(44));
  SetUp(h.stoppedText, 0, 0, 1, 0, 0, 5.0f, 35.0f, hl, DbText(43));
  SetUp(h.aloneText, 0, 0, 1, 0, 0, 5.0f, 28.0f, hl, DbText(25));
  SetUp(h.positionLine, 3, 0, 0, 0, 0, 40.0f, 28.0f, hl, "");
  SetUp(h.gapText, 3, 0, 1, 1, 0, 320.0f, 37.0f, hl, "");
  SetUp(h.difference, 0, 0, 1, 1, 0, 320.0f, 43.0f, WHITE, "");
  for (StaticText& t : h.pitTexts) SetUp(t, 0, 0, 1, 0, 0, 0.0f, 28.0f, WHITE, "");
  for (StaticText& t : h.lapTimes) SetUp(t, 0, 0, 1, 0, 0, 0.0f, 21.0f, WHITE, "");

  const std::uint32_t titles[5] = {0, 65, 66, 67, 68};
  const char* title = g_RaceType >= 1 && g_RaceType <= 4 ? DbText(titles[g_RaceType]) : "";
  unsigned firstWord = 0;
  while (title[firstWord] != '\0' && title[firstWord] != ' ') ++firstWord;
  if (Session()) firstWord = static_cast<unsigned>(std::strlen(title));
  SetUp(h.raceTypeTitle, 2, 1, 1, 1, 1, 320.0f, 69.0f, WHITE, "");
  SayTwoTone(h.raceTypeTitle, 320.0f, 69.0f, title, WHITE, hl, 0, firstWord);
  SetUp(h.eventName, 2, 0, 1, 1, 0, 320.0f, 5.0f, WHITE, hasEvent ? DbText(119 + event) : "");

  SetUp(h.columnTitles[0], 0, 1, 1, 0, 0, w * 60.0f / 640.0f, 60.0f, hl, DbText(22));
  SetUp(h.columnTitles[1], 0, 1, 1, 0, 0, w * 185.0f / 640.0f, 60.0f, hl, DbText(62));
  SetUp(h.columnTitles[2], 0, 1, 1, 0, 0, w * 470.0f / 640.0f, 60.0f, hl, DbText(48));
  SetUp(h.counters[0], 0, 0, 1, 0, 0, w * 60.0f / 640.0f, 40.0f, WHITE, "");
  SetUp(h.counters[1], 0, 0, 1, 0, 0, w * 368.0f / 640.0f, 40.0f, WHITE, "");
  SetUp(h.sessionEndText, 0, 0, 1, 0, 0, 5.0f, 40.0f, hl, DbText(g_RaceType == 1 ? 46 : 47));

  // The key help keeps its files' fonts and texts but for the key names.
  h.press.SetAnchors(0, 1);
  Say(h.press, 40.0f, 30.0f, nullptr, WHITE);
  const float keyX = 10.0f * static_cast<float>(std::strlen(h.press.String())) + 45.0f;
  for (std::uint32_t i = 0; i < RaceHud::KEY_PAIRS; ++i) {
    h.keyNames[i].SetAnchors(0, 1);
    Say(h.keyNames[i], keyX, 30.0f, DbText(10 + i), hl);
    h.keyActions[i].SetAnchors(0, 1);
    Say(h.keyActions[i], keyX + h.keyNames[i].textWidth + 3.0f, 30.0f, nullptr, WHITE);
  }

  for (std::uint32_t s = 0; s < RaceHud::RIDER_ENTRIES; ++s) {
    HudRiderWidgets& r = h.riders[s];
    const std::uint8_t slot = static_cast<std::uint8_t>(s < 20 ? s : 0);
    char name[32];
    Copy(name, sizeof name, g_FrontEnd ? g_FrontEnd->RiderName(slot) : "");
    r.helmet.SetAnchors(1, 1);
    r.number.SetAnchors(1, 1);
    r.rows[0].SetFont(0);
    r.rows[2].SetFont(0);
    for (StaticText& t : r.rows) t.SetAnchors(1, 1);
    Say(r.rows[0], 0.0f, 0.0f, "00", WHITE);
    Say(r.rows[1], 0.0f, 0.0f, name, WHITE);
    Say(r.rows[2], 0.0f, 0.0f, "--'--\"--", WHITE);
  }
  return true;
}

namespace {

// The session table: counters, rows and the key help, laid out again on
// every frame.
void LayOutSessionInfo(RaceManager& m) {
  RaceHud& h = m.hud;
  const float w = ScreenW();
  const float sh = ScreenH();
  const std::uint32_t count = g_RiderCount < 20 ? g_RiderCount : 20;
  std::uint32_t running = 0;
  for (std::uint32_t s = 0; s < count; ++s) {
    if (m.Present(s) && m.riders[s]->state != RIDER_OUT) ++running;
  }
  char line[300];
  const char* label = DbText(63);
  std::snprintf(line, sizeof line, "%s %u", label, running);
  SayTwoTone(h.counters[0], w * 60.0f / 640.0f, 40.0f, line, WHITE, HUD_HIGHLIGHT, 0,
             static_cast<unsigned>(std::strlen(label)));
  char clock[9];
  FormatLapTime(m.clock.minutes, m.clock.seconds, m.clock.hundredths, clock);
  label = DbText(64);
  std::snprintf(line, sizeof line, "%s %s", label, clock);
  SayTwoTone(h.counters[1], w * 368.0f / 640.0f, 40.0f, line, WHITE, HUD_HIGHLIGHT, 0,
             static_cast<unsigned>(std::strlen(label)));

  if (count > 0) {
    const float r = static_cast<float>(static_cast<std::int32_t>(sh) - 140) / static_cast<float>(count);
    const float s = r < 52.0f ? r : 52.0f;
    bool taken[21] = {};
    const std::uint32_t last = m.resultCount < 20 ? m.resultCount : 20;
    for (std::uint32_t i = 0; i < count; ++i) {
      if (!m.Present(i)) continue;
      Rider& rider = *m.riders[i];
      const bool best = rider.lap > 1 && rider.bestLap.totalMs != 0;
      std::uint32_t row = 0;
      if (best) {
        for (std::uint32_t j = 0; j < count; ++j) {
          if (j == i || !m.Present(j)) continue;
          const Rider& o = *m.riders[j];
          if (o.lap > 1 && o.bestLap.totalMs != 0 && o.bestLap.totalMs < rider.bestLap.totalMs) ++row;
        }
        while (row < last && taken[row]) ++row;
        if (row > last) row = last;
      } else {
        row = last > 0 ? last - 1 : 0;
        while (row > 0 && taken[row]) --row;
      }
      // A row past the table would leave the screen: the last one is
      // shared instead.
      if (row > 19) row = 19;
      taken[row] = true;
      const float y = 80.0f + static_cast<float>(row) * r;
      HudRiderWidgets& wd = h.riders[i];
      for (StaticText& t : wd.rows) t.SetAnchors(1, 1);
      wd.rows[0].SetFont(0);
      wd.rows[2].SetFont(0);
      char place[3];
      TwoDigits(row + 1, place);
      Say(wd.rows[0], w * 60.0f / 640.0f, y + r - 15.0f, place, WHITE);
      const float x = w * 185.0f / 640.0f;
      PlaceRowPanel(wd.number, x, y + r - s, s - 2.0f, s - 2.0f);
      PlaceRowPanel(wd.helmet, x + s, y + r - s + 0.16f * (s - 2.0f), s - 2.0f, s - 2.0f);
      const float* colour = rider.state == RIDER_OUT ? HUD_HIGHLIGHT : WHITE;
      Say(wd.rows[1], x + 2.0f * s, y + r - 15.0f, nullptr, colour);
      char time[9] = "--'--\"--";
      if (best) FormatLapTime(rider.bestLap.minutes, rider.bestLap.seconds, rider.bestLap.hundredths, time);
      Say(wd.rows[2], w * 470.0f / 640.0f, y + r - 15.0f, time, colour);
    }
  }

  // The key help: one pair every 3 s over a 27 s cycle.
  const float t = h.keyHelpTimer;
  const std::uint32_t pair = static_cast<std::uint32_t>(t / 3.0f) % RaceHud::KEY_PAIRS;
  StaticText& name = h.keyNames[pair];
  StaticText& action = h.keyActions[pair];
  const float total = h.press.textWidth + 3.0f + name.textWidth + 3.0f + action.textWidth;
  float x = (w - total) / 2.0f;
  Say(h.press, x, 17.0f, nullptr, WHITE);
  x += h.press.textWidth + 3.0f;
  Say(name, x, 17.0f, nullptr, HUD_HIGHLIGHT);
  x += name.textWidth + 3.0f;
  Say(action, x, 17.0f, nullptr, WHITE);
  const float phase = std::fmod(t, 3.0f);
  if (phase >= 0.05f && phase < 0.15f) {
    name.StartFade(1.0f, 500, nullptr);
    action.StartFade(1.0f, 500, nullptr);
  } else if (phase >= 2.45f && phase < 2.55f) {
    name.StartFade(0.0f, 500, nullptr);
    action.StartFade(0.0f, 500, nullptr);
  }
}

void PrepareSessionInfo(RaceManager& m) {
  RaceHud& h = m.hud;
  Resize(h.messageBackdrop, 0.0f, 30.0f, ScreenW(), ScreenH() - 60.0f);
  Say(h.raceTypeTitle, 320.0f, 40.0f, nullptr, WHITE);
  const std::uint32_t titles[5] = {0, 65, 66, 67, 68};
  const char* title = g_RaceType >= 1 && g_RaceType <= 4 ? DbText(titles[g_RaceType]) : "";
  SayTwoTone(h.raceTypeTitle, 320.0f, 40.0f, title, WHITE, HUD_HIGHLIGHT, 0, static_cast<unsigned>(std::strlen(title)));
  h.keyHelpTimer = 0.0f;
  for (std::uint32_t i = 0; i < RaceHud::KEY_PAIRS; ++i) {
    h.keyNames[i].SetAlpha(0.0f);
    h.keyActions[i].SetAlpha(0.0f);
  }
  LayOutSessionInfo(m);
  FadeMessageIn(m, HUD_SESSION_INFO, 500);
}

void LayOutGrid(RaceManager& m) {
  RaceHud& h = m.hud;
  const float w = ScreenW();
  const float sh = ScreenH();
  Resize(h.messageBackdrop, 0.0f, 65.0f, w, sh - 130.0f);
  const std::uint32_t n = g_GameMode == GAME_MODE_MULTIPLAYER ? 7u : (g_RiderCount < 20 ? g_RiderCount : 20u);
  if (n == 0) return;
  const float r = static_cast<float>(static_cast<std::int32_t>(sh) - 140) / static_cast<float>(n);
  const float s = r < 52.0f ? r : 52.0f;
  float y = 70.0f;
  for (std::uint32_t k = 0; k < n; ++k, y += r) {
    const std::uint8_t slot = m.gridOrder[n - 1 - k];
    if (slot >= 20 || !m.Present(slot)) continue;
    HudRiderWidgets& wd = h.riders[slot];
    PlaceRowPanel(wd.number, w / 2.0f + 40.0f, y + r - s, s - 2.0f, s - 2.0f);
    PlaceRowPanel(wd.helmet, w / 2.0f + 40.0f + s, y + r - s + 0.16f * (s - 2.0f), s - 2.0f, s - 2.0f);
    wd.rows[1].SetAnchors(1, 1);
    Say(wd.rows[1], w / 2.0f + 40.0f + 2.0f * s, y + r - 15.0f, nullptr, WHITE);
  }
}

void PrepareGrid(RaceManager& m) {
  RaceHud& h = m.hud;
  LayOutGrid(m);
  h.messageBackdrop.SetAlpha(0.5f);
  FadeIn(h.gridPanel, 1.0f, 1000);
  FadeIn(h.gridTitle, 1000);
  FadeIn(h.gridSubtitle, 1000);
  for (std::uint32_t s = 0; s < 20; ++s) {
    if (!m.Present(s)) continue;
    h.riders[s].number.SetAlpha(1.0f);
    h.riders[s].helmet.SetAlpha(1.0f);
    FadeIn(h.riders[s].rows[1], 1000);
  }
}

void RunIntro(RaceManager& m) {
  RaceHud& h = m.hud;
  std::memset(h.finishShown, 0, sizeof h.finishShown);
  const float t = h.introTimer;
  if (t <= 5.0f) {
    if (h.timers[HUD_BANNER] == 0.0f) {
      Resize(h.messageBackdrop, 0.0f, 0.0f, ScreenW(), 95.0f);
      FadeMessageIn(m, HUD_BANNER, 1000);
    }
    if (h.timers[HUD_BANNER] > 3.0f) FadeMessageOut(m, HUD_BANNER, 1000);
    h.slot1 = HUD_BANNER;
  } else if (t <= 10.0f) {
    if (Session()) {
      if (h.timers[HUD_SESSION_INFO] == 0.0f) PrepareSessionInfo(m);
      h.slot1 = HUD_SESSION_INFO;
    } else {
      if (h.timers[HUD_STARTING_GRID] == 0.0f) PrepareGrid(m);
      if (h.timers[HUD_STARTING_GRID] > 3.0f) {
        Fader out;
        out.ms = 1000;
        out.backdropCallback = EndSlot1;
        VisitMessage(m, HUD_STARTING_GRID, out);
      }
      h.slot1 = HUD_STARTING_GRID;
    }
  } else if (t > 11.0f && h.introHelp) {
    if (h.timers[HUD_HELP] == 0.0f) {
      FadeIn(h.helpTexts[0], 500);
      h.helpTexts[1].SetAlpha(0.0f);
    }
    if (h.timers[HUD_HELP] > 4.0f) {
      h.helpTexts[0].StartFade(0.0f, 500, nullptr);
      h.helpTexts[1].StartFade(0.0f, 500, EndSlot1);
    }
    h.slot1 = HUD_HELP;
  }
}

// The message's own update: its timer, then its widgets.
void UpdateSlot(RaceManager& m, HudMessage message, float dt, unsigned ms) {
  if (message == HUD_NONE) return;
  RaceHud& h = m.hud;
  h.timers[message] += dt;
  if (message == HUD_HELP) {
    const float t = h.timers[HUD_HELP];
    if (t >= 1.5f && t < 2.0f) h.helpTexts[0].StartFade(0.0f, 500, nullptr);
    if (t >= 2.5f && t < 3.0f) h.helpTexts[1].StartFade(1.0f, 500, nullptr);
    h.helpTexts[0].Update(ms, 0);
    h.helpTexts[1].Update(ms, 0);
    return;
  }
  if (message == HUD_SESSION_INFO) {
    h.keyHelpTimer += dt;
    if (h.keyHelpTimer >= 27.0f) h.keyHelpTimer = 0.1f;
  }
  Updater u;
  u.ms = ms;
  VisitMessage(m, message, u);
}

}  // namespace

void RaceManager::UpdateMessages(int raceState, float frameTimeMs) {
  RaceHud& h = hud;
  const float dt = frameTimeMs / 1000.0f;
  const unsigned ms = frameTimeMs > 0.0f ? static_cast<unsigned>(frameTimeMs) : 0u;
  h.introTimer += dt;
  if (raceState == RACE_STATE_INTRO) {
    RunIntro(*this);
  } else {
    RunRaceMessages(*this, dt);
  }
  UpdateSlot(*this, h.slot1, dt, ms);
  UpdateSlot(*this, h.slot2, dt, ms);
  if (g_Slot1Ended) {
    g_Slot1Ended = false;
    const HudMessage cleared[] = {HUD_FASTEST_LAP, HUD_FINISH, HUD_RETIRED, HUD_STOPPED,
                                  HUD_PIT_WAIT,    HUD_SPLIT,  HUD_RIDER_INFO, HUD_ALONE};
    for (HudMessage c : cleared) h.timers[c] = 0.0f;
    if (h.timers[HUD_GAP] > 8.0f) h.timers[HUD_GAP] = 0.0f;
    if (h.timers[HUD_STANDINGS_PAGES] > 0.0f || h.timers[HUD_STANDINGS_LIST] > 0.0f) {
      h.timers[HUD_STANDINGS_PAGES] = h.timers[HUD_STANDINGS_LIST] = 0.0f;
      h.timers[HUD_LAP_COUNT] = 0.0f;
    }
    h.slot1 = HUD_NONE;
  }
  if (g_Slot2Ended) {
    g_Slot2Ended = false;
    h.timers[HUD_YELLOW_FLAG] = h.timers[HUD_BLUE_FLAG] = 0.0f;
    h.slot2 = HUD_NONE;
  }
}

bool RaceManager::DrawHud() {
  RaceHud& h = hud;
  const bool glide = g_RenderBuild != RENDER_BUILD_DIRECT3D;
  g_Renderer.SetAlphaBlendEnable(true);
  g_Renderer.SetSrcBlend(glide ? BLEND_ONE : BLEND_SRC_ALPHA);
  g_Renderer.SetDestBlend(glide ? BLEND_ONE_MINUS_SRC_COLOUR : BLEND_ONE_MINUS_SRC_ALPHA);
  if (h.slot1 == HUD_SESSION_INFO) LayOutSessionInfo(*this);
  if (h.slot1 == HUD_STARTING_GRID) LayOutGrid(*this);
  Drawer d;
  d.glide = glide;
  VisitMessage(*this, h.slot1, d);
  VisitMessage(*this, h.slot2, d);
  if (g_OptionFiltering) g_Renderer.SetTextureFilter(true);
  return true;
}

void RaceManager::SkipIntro() {
  hud.introTimer = 10.1f;
  hud.slot1 = HUD_NONE;
}

void RaceManager::ShowRiderInfo() {
  hud.timers[HUD_RIDER_INFO] = 0.0f;
  hud.riderInfoRequested = 1;
}

void RaceManager::EnableFlagOverlay(bool on) {
  hud.flagOverlayOn = on ? 1 : 0;
  hud.yellowShown = hud.blueShown = 0;
  hud.timers[HUD_YELLOW_FLAG] = hud.timers[HUD_BLUE_FLAG] = 0.0f;
  hud.yellowFlag.SetAlpha(0.0f);
  hud.blueFlag.SetAlpha(0.0f);
  hud.slot2 = HUD_NONE;
}

void RaceManager::ShowSessionInfo(bool restart) {
  RaceHud& h = hud;
  if (restart) {
    FadeMessageOut(*this, HUD_SESSION_INFO, 500);
    h.timers[HUD_SESSION_INFO] = 0.0f;
  } else {
    if (h.slot1 != HUD_SESSION_INFO) PrepareSessionInfo(*this);
    h.riderInfoRequested = 0;
  }
  h.slot1 = HUD_SESSION_INFO;
}

bool RaceManager::ShowsFullScreenList() const {
  return hud.slot1 == HUD_SESSION_INFO || hud.slot1 == HUD_STARTING_GRID;
}

void RaceManager::ShowBannerAgain() {
  RaceHud& h = hud;
  h.messageBackdrop.SetAlpha(0.5f);
  h.bannerBackdrop.SetAlpha(0.5f);
  FadeIn(h.raceTypeTitle, 1000);
  FadeIn(h.eventName, 1000);
  h.eventFlag.SetAlpha(1.0f);
}
