// The messages of the race after the intro, checked in their order on every
// frame: final and last lap, lap display, fastest lap, gaps, standings,
// finish, retired, stopped or pit wait, split, rider information, alone,
// session over and the flag overlay with the player's blocking time.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/game_settings.h"
#include "engine/text_database.h"
#include "platform/win32/crt.h"
#include "race/race/race_scene.h"
#include "race/race_hud_internal.h"
#include "riders/rider.h"

using namespace hud_internal;

namespace {

const char* DbText(std::uint32_t id) { return g_TextDatabase.Text(id); }
unsigned Length(const char* s) { return static_cast<unsigned>(std::strlen(s)); }

constexpr float GAP_COLOUR[3] = {0.84375f, 0.53125f, 0.0234370f};
constexpr float YELLOW[3] = {1.0f, 1.0f, 0.0f};

void LapTimeText(const RaceTime& t, char* out) { FormatLapTime(t.minutes, t.seconds, t.hundredths, out); }

bool Free(const RaceHud& h, HudMessage m) { return h.slot1 == HUD_NONE || h.slot1 == m; }

// Puts `message` into slot 1, prepares it at timer 0 and starts its
// fade-out once the timer is past `hold`: true on that frame.
template <class Prepare>
bool Show(RaceManager& m, HudMessage message, float hold, Prepare prepare) {
  RaceHud& h = m.hud;
  h.slot1 = message;
  if (h.timers[message] == 0.0f) {
    h.fadingOut[message] = 0;
    prepare();
  }
  if (h.timers[message] > hold && !h.fadingOut[message]) {
    h.fadingOut[message] = 1;
    FadeOutMessage(m, message);
    return true;
  }
  return false;
}

void PlaceBackdrop(RaceManager& m, float height) {
  PlacePanel(m.hud.messageBackdrop, 0, 0, 0.0f, 0.0f, ScreenW(), height);
}

void SpeedText(float kmh, char* out, std::size_t size, unsigned* numberFirst, unsigned* numberEnd) {
  const bool mph = g_OptionMPH != 0;
  const char* label = DbText(60);
  char number[32];
  std::snprintf(number, sizeof number, "%3.0f", static_cast<double>(HudSpeed(kmh, mph)));
  std::snprintf(out, size, "%s %s %s", label, number, DbText(mph ? 37 : 36));
  *numberFirst = Length(label) + 1;
  *numberEnd = *numberFirst + Length(number);
}

void SaySpeed(StaticText& t, float x, float y, float kmh) {
  char line[300];
  unsigned first = 0;
  unsigned end = 0;
  SpeedText(kmh, line, sizeof line, &first, &end);
  t.SetAnchors(0, 0);
  SayTwoTone(t, x, y, line, HUD_HIGHLIGHT, WHITE, first, end);
}

// "label value" with the label in the highlight colour and the value white.
void SayLabelled(StaticText& t, float x, float y, const char* label, const char* value) {
  char line[300];
  std::snprintf(line, sizeof line, "%s %s", label, value);
  SayTwoTone(t, x, y, line, WHITE, HUD_HIGHLIGHT, 0, Length(label));
}

void SayPositionLine(RaceManager& m, std::uint8_t slot, float x, float y) {
  char place[3];
  TwoDigits(m.riders[slot] ? m.riders[slot]->racePosition : 0, place);
  StaticText& t = m.hud.positionLine;
  t.SetFont(3);
  t.SetAnchors(0, 0);
  t.SetCentring(0, 0);
  SayLabelled(t, x, y, DbText(22), place);
}

// A rider's row texts, number and helmet placed from the bottom left.
void RiderBlock(HudRiderWidgets& r, float numberX, float numberY, float helmetX, float helmetY, float size,
                float nameX, float nameY) {
  PlacePanel(r.number, 0, 1, numberX, numberY, size, size);
  PlacePanel(r.helmet, 0, 1, helmetX, helmetY, size, size);
  r.rows[1].SetAnchors(0, 1);
  Say(r.rows[1], nameX, nameY, nullptr, WHITE);
}

Rider* FindByPosition(RaceManager& m, std::uint32_t position, std::uint32_t minLap) {
  for (std::uint32_t s = 0; s < 20; ++s) {
    Rider* r = PresentRider(m, s);
    if (r && r->state != RIDER_OUT && r->racePosition == position && r->lap >= minLap) return r;
  }
  return nullptr;
}

void ArrowUvs(Panel& arrow, char kind) {
  const float u0 = 0.533333f;
  const float u1 = 0.996078f;
  const float v0 = 0.780392f;
  const float v1 = 0.843137f;
  if (kind == '^') {
    arrow.SetUvs(u1, v0, u0, v0, u0, v1, u1, v1);
  } else {
    arrow.SetUvs(u0, v0, u1, v0, u1, v1, u0, v1);
  }
}

void PrepareGap(RaceManager& m) {
  RaceHud& h = m.hud;
  const float w = ScreenW();
  PlaceBackdrop(m, 95.0f);
  PlacePanel(h.gapArrow, 0, 1, w / 2.0f - 50.0f, 16.0f, 100.0f, 18.0f);
  ArrowUvs(h.gapArrow, h.gapKind);
  char gap[9];
  LapTimeText(m.ComputeGap(h.shownRiders[0], h.shownRiders[1]), gap);
  h.gapText.SetFont(3);
  h.gapText.SetAnchors(0, 1);
  h.gapText.SetCentring(1, 0);
  Say(h.gapText, 320.0f, 37.0f, gap, GAP_COLOUR);
  const float half = h.gapText.textWidth / 2.0f > 50.0f ? h.gapText.textWidth / 2.0f : 50.0f;
  for (int side = 0; side < 2; ++side) {
    const std::uint8_t slot = h.shownRiders[side];
    HudRiderWidgets& r = h.riders[slot];
    char place[3];
    TwoDigits(m.riders[slot]->racePosition, place);
    r.rows[0].SetFont(3);
    r.rows[0].SetAnchors(0, 1);
    Say(r.rows[0], 0.0f, 32.0f, place, HUD_HIGHLIGHT);
    const float p = r.rows[0].textWidth;
    const float from = side == 0 ? 0.0f : w / 2.0f + half;
    const float to = side == 0 ? w / 2.0f - half : w;
    const float x = from + (to - from - (p + 95.0f)) / 2.0f;
    Say(r.rows[0], x, 32.0f, nullptr, HUD_HIGHLIGHT);
    RiderBlock(r, x + p + 5.0f, 41.0f, x + p + 50.0f, 34.6f, 40.0f, x, 17.0f);
  }
  FadeInMessage(m, HUD_GAP);
}

// The gap message's steps for the followed rider `f`.
void RunGap(RaceManager& m, std::uint8_t f, float* timer) {
  RaceHud& h = m.hud;
  Rider& rider = *m.riders[f];
  h.slot1 = HUD_GAP;
  if (*timer == 0.0f) {
    h.fadingOut[HUD_GAP] = 0;
    Rider* ahead = f == h.leaderSlot ? nullptr : FindByPosition(m, rider.racePosition - 1u, rider.lap);
    if (ahead) {
      h.gapKind = '*';
      h.shownRiders[0] = ahead->index;
      h.shownRiders[1] = f;
      PrepareGap(m);
    } else {
      *timer = 5.0f;
    }
  } else if (*timer > 3.0f && *timer < 5.0f) {
    FadeOutMessage(m, HUD_GAP);
    *timer = 5.0f;
  }
  if (*timer == 5.0f) {
    Rider* behind = rider.racePosition < g_RiderCount
                        ? FindByPosition(m, rider.racePosition + 1u, rider.lap > 0 ? rider.lap - 1u : 0u)
                        : nullptr;
    if (behind) {
      h.gapKind = '^';
      h.shownRiders[0] = f;
      h.shownRiders[1] = behind->index;
      PrepareGap(m);
    } else {
      // Nothing to show: the fade-out that may be running must not end a
      // later message.
      h.messageBackdrop.fadeCallback = nullptr;
      m.followedLapDone = 0;
      *timer = 0.0f;
      h.slot1 = HUD_NONE;
    }
  } else if (*timer > 8.0f && !h.fadingOut[HUD_GAP]) {
    h.fadingOut[HUD_GAP] = 1;
    FadeOutMessage(m, HUD_GAP);
    m.followedLapDone = 0;
  }
}

// The lap display of practice and qualifying.
void RunLapDisplay(RaceManager& m, std::uint8_t f, float dt) {
  RaceHud& h = m.hud;
  Rider& rider = *m.riders[f];
  if (RaceOver(rider) || rider.lap < 2 || !Free(h, HUD_LAP_DISPLAY)) {
    m.followedLapFlag2 = 0;
    return;
  }
  if (rider.lap == 2) m.followedLapFlag2 = 0;
  const bool compare = m.followedLapFlag2 != 0;
  std::uint8_t reference = f;
  RaceTime referenceTime;
  RaceTime lapTime = rider.lapTime;
  if (g_RaceType == 1) {
    referenceTime = compare ? m.followedReferenceLap : rider.bestLap;
    if (compare) lapTime = m.followedLastLap;
  } else if (compare) {
    reference = m.fastestLapHolderCopy < 20 ? m.fastestLapHolderCopy : f;
    referenceTime = m.followedReferenceLap;
    lapTime = m.followedLastLap;
  } else {
    for (std::uint32_t s = 0; s < 20; ++s) {
      Rider* r = PresentRider(m, s);
      if (!r || r->lap <= 1 || r->bestLap.totalMs == 0) continue;
      if (referenceTime.totalMs == 0 || r->bestLap.totalMs < referenceTime.totalMs) {
        reference = static_cast<std::uint8_t>(s);
        referenceTime = r->bestLap;
      }
    }
  }
  const std::uint8_t lapEntry = reference == f ? static_cast<std::uint8_t>(RaceHud::PLAYER_EXTRA) : f;
  const bool fresh = h.slot1 != HUD_LAP_DISPLAY || reference != h.referenceShown;
  h.shownRiders[0] = reference;
  h.shownRiders[1] = lapEntry;
  h.referenceShown = reference;
  h.slot1 = HUD_LAP_DISPLAY;
  if (lapEntry == RaceHud::PLAYER_EXTRA) {
    // The extra entry shows this rider's number by its texture coordinates.
    const Panel& from = h.riders[f].number;
    h.riders[lapEntry].number.SetUvs(from.u[0], from.v[0], from.u[1], from.v[1], from.u[2], from.v[2], from.u[3],
                                     from.v[3]);
    h.riders[lapEntry].rows[1].SetAnchors(0, 1);
    Say(h.riders[lapEntry].rows[1], 0.0f, 43.0f, h.riders[f].rows[1].String(), WHITE);
  }
  const float w = ScreenW();
  const RaceTime* times[2] = {&referenceTime, &lapTime};
  const std::uint8_t entries[2] = {reference, lapEntry};
  for (int side = 0; side < 2; ++side) {
    HudRiderWidgets& r = h.riders[entries[side]];
    r.rows[1].SetAnchors(0, 1);
    Say(r.rows[1], 0.0f, 43.0f, nullptr, WHITE);
    const float x = (w / 2.0f - 50.0f - (r.rows[1].textWidth + 35.0f)) / 2.0f + (side ? w / 2.0f + 50.0f : 0.0f);
    PlacePanel(r.number, 0, 1, x, 43.0f, 30.0f, 30.0f);
    Say(r.rows[1], x + 35.0f, 43.0f, nullptr, WHITE);
    char t[9];
    LapTimeText(*times[side], t);
    h.lapTimes[side].SetAnchors(0, 1);
    Say(h.lapTimes[side], x, 21.0f, t, WHITE);
  }
  if (fresh) {
    PlaceBackdrop(m, 95.0f);
    FadeInMessage(m, HUD_LAP_DISPLAY);
    h.difference.SetAlpha(0.0f);
    h.differenceTimer = 0.0f;
  }
  if (compare) {
    const bool faster = lapTime.totalMs < referenceTime.totalMs;
    const std::uint32_t d = faster ? referenceTime.totalMs - lapTime.totalMs : lapTime.totalMs - referenceTime.totalMs;
    const RaceTime diff = RaceTimeFromMs(d);
    char line[12];
    line[0] = faster ? '-' : '+';
    LapTimeText(diff, line + 1);
    const float green[3] = {0.0f, 1.0f, 0.0f};
    const float red[3] = {1.0f, 0.0f, 0.0f};
    h.difference.SetFont(0);
    h.difference.SetAnchors(0, 1);
    h.difference.SetCentring(1, 0);
    SayTwoTone(h.difference, 320.0f, 43.0f, line, WHITE, faster ? green : red, 0, 1);
    if (h.differenceTimer == 0.0f) h.difference.StartFade(1.0f, 500, nullptr);
    h.differenceTimer += dt;
    if (h.differenceTimer >= 4.0f) {
      h.difference.SetAlpha(0.0f);
      h.differenceTimer = 0.0f;
      m.followedLapFlag2 = 0;
    }
  }
}

void PrepareFastestLap(RaceManager& m) {
  RaceHud& h = m.hud;
  const std::uint8_t holder = m.fastestLapHolder < 20 ? m.fastestLapHolder : 0;
  h.shownRiders[0] = holder;
  HudRiderWidgets& r = h.riders[holder];
  PlaceBackdrop(m, 95.0f);
  RiderBlock(r, 10.0f, 22.0f, 55.0f, 15.6f, 40.0f, 100.0f, 22.0f);
  char t[9];
  LapTimeText(m.riders[holder]->bestLap, t);
  r.rows[2].SetFont(0);
  r.rows[2].SetAnchors(0, 1);
  Say(r.rows[2], 10.0f * static_cast<float>(Length(r.rows[1].String())) + 105.0f, 22.0f, t, HUD_HIGHLIGHT);
  SaySpeed(h.speedLine, 10.0f, 22.0f, m.fastestLapSpeedKmh);
  FadeInMessage(m, HUD_FASTEST_LAP);
}

// Rows of the standings: the order is fixed when the first page is built.
void OrderPages(RaceManager& m) {
  RaceHud& h = m.hud;
  h.standingsCount = 0;
  for (int outPass = 0; outPass < 2; ++outPass) {
    for (std::uint32_t p = 1; p <= 255 && h.standingsCount < 20; ++p) {
      for (std::uint32_t s = 0; s < 20; ++s) {
        Rider* r = PresentRider(m, s);
        if (r && (IsOut(*r) ? 1 : 0) == outPass && r->racePosition == p) {
          h.standingsOrder[h.standingsCount++] = static_cast<std::uint8_t>(s);
        }
      }
    }
  }
}

void OrderList(RaceManager& m) {
  RaceHud& h = m.hud;
  bool listed[20] = {};
  std::uint32_t present = 0;
  for (std::uint32_t s = 0; s < 20; ++s) present += PresentRider(m, s) ? 1 : 0;
  h.standingsCount = 0;
  std::int32_t previous = -1;
  for (std::uint32_t p = 1; p <= present; ++p) {
    std::int32_t chosen = -1;
    for (std::uint32_t s = 0; s < 20 && chosen < 0; ++s) {
      Rider* r = PresentRider(m, s);
      if (r && !IsOut(*r) && r->racePosition == p) chosen = static_cast<std::int32_t>(s);
    }
    for (std::uint32_t s = 0; s < 20 && chosen < 0; ++s) {
      Rider* r = PresentRider(m, s);
      if (r && !IsOut(*r) && r->racePosition + 1u == p && static_cast<std::int32_t>(s) != previous) {
        chosen = static_cast<std::int32_t>(s);
      }
    }
    for (std::uint32_t s = 0; s < 20 && chosen < 0; ++s) {
      Rider* r = PresentRider(m, s);
      if (r && IsOut(*r) && !listed[s]) chosen = static_cast<std::int32_t>(s);
    }
    if (chosen < 0) chosen = 0;
    listed[chosen] = true;
    previous = chosen;
    h.standingsOrder[h.standingsCount++] = static_cast<std::uint8_t>(chosen);
  }
}

void LayOutStandings(RaceManager& m, HudMessage message) {
  RaceHud& h = m.hud;
  const float w = ScreenW();
  const bool pages = message == HUD_STANDINGS_PAGES;
  const std::uint32_t size = pages ? 6u : 10u;
  const std::uint32_t leaderSlot = h.standingsOrder[0];
  Rider* leader = m.riders[leaderSlot];
  for (std::uint32_t k = 0; k < size; ++k) {
    const std::uint32_t i = h.page * size + k;
    if (i >= h.standingsCount) break;
    const std::uint8_t slot = h.standingsOrder[i];
    Rider* rider = m.riders[slot];
    HudRiderWidgets& r = h.riders[slot];
    const float x = pages ? 3.0f + static_cast<float>(k / 3) * (w - 6.0f) / 2.0f
                          : 6.0f + static_cast<float>(k / 4) * (w - 12.0f) / 3.0f;
    const float y = pages ? 62.0f - 26.0f * static_cast<float>(k % 3) : 72.0f - 23.0f * static_cast<float>(k % 4);
    char place[3];
    TwoDigits(i + 1, place);
    for (StaticText& t : r.rows) t.SetAnchors(0, 1);
    r.rows[0].SetFont(0);
    Say(r.rows[0], x, y, place, WHITE);
    if (pages) {
      PlacePanel(r.number, 0, 1, x + 23.0f, y, 20.0f, 20.0f);
      PlacePanel(r.helmet, 0, 1, x + 45.0f, y - 3.2f, 20.0f, 20.0f);
      Say(r.rows[1], x + 70.0f, y, nullptr, WHITE);
      char line[300];
      if (i == 0 && m.lapTimes) {
        LapTimeText(m.lapTimes->LastCrossing(rider->lap, slot), line);
      } else if (IsOut(*rider)) {
        std::snprintf(line, sizeof line, "%s", DbText(44));
      } else {
        const std::int32_t n = m.nodeCount > 0 ? static_cast<std::int32_t>(m.nodeCount) : 1;
        auto laps = [n](std::int32_t d) { return d >= 0 ? d / n : -((-d + n - 1) / n); };
        const std::int32_t behind = leader ? laps(leader->progress) - laps(rider->progress) : 0;
        if (behind >= 1) {
          char two[3];
          TwoDigits(static_cast<std::uint32_t>(behind), two);
          std::snprintf(line, sizeof line, "+%s %s", two, DbText(behind == 1 ? 53 : 54));
        } else {
          const RaceTime gap = m.ComputeGap(static_cast<std::uint8_t>(leaderSlot), slot);
          line[0] = '+';
          if (gap.minutes == 0 && gap.hours == 0) {
            FormatShortTime(gap.seconds, gap.hundredths, line + 1);
          } else {
            LapTimeText(gap, line + 1);
          }
        }
      }
      r.rows[2].SetFont(0);
      Say(r.rows[2], x + 202.0f, y, line, YELLOW);
    } else {
      PlacePanel(r.number, 0, 1, x + 21.0f, y, 15.0f, 15.0f);
      Say(r.rows[1], x + 39.0f, y, nullptr, WHITE);
    }
  }
}

// Shows the rows of the current page up to the one due by the timer.
void RevealRows(RaceManager& m, HudMessage message, std::uint32_t size) {
  RaceHud& h = m.hud;
  const float t = h.pageTimer - 0.5f - static_cast<float>(h.page * size);
  const std::int32_t due = t < 0.0f ? 0 : static_cast<std::int32_t>(t) + 1;
  while (h.rowsShown < due && h.rowsShown < size) {
    const std::uint32_t i = h.page * size + h.rowsShown;
    if (i < h.standingsCount) {
      HudRiderWidgets& r = h.riders[h.standingsOrder[i]];
      for (StaticText& text : r.rows) FadeIn(text, 500);
      FadeIn(r.number, 1.0f, 500);
      FadeIn(r.helmet, 1.0f, 500);
    }
    ++h.rowsShown;
  }
  (void)message;
}

void HideRows(RaceManager& m, std::uint32_t size) {
  RaceHud& h = m.hud;
  for (std::uint32_t k = 0; k < size; ++k) {
    const std::uint32_t i = h.page * size + k;
    if (i >= h.standingsCount) break;
    HudRiderWidgets& r = h.riders[h.standingsOrder[i]];
    for (StaticText& text : r.rows) text.SetAlpha(0.0f);
    r.number.SetAlpha(0.0f);
    r.helmet.SetAlpha(0.0f);
  }
  h.rowsShown = 0;
}

void RunStandings(RaceManager& m, std::uint8_t leaderSlot, float dt) {
  RaceHud& h = m.hud;
  if (h.slot1 == HUD_NONE || h.slot1 == HUD_LAP_COUNT) {
    h.slot1 = HUD_LAP_COUNT;
    if (h.timers[HUD_LAP_COUNT] == 0.0f) {
      PlaceBackdrop(m, 95.0f);
      Rider* leader = m.riders[leaderSlot];
      const std::uint32_t laps = leader && leader->lap > 0 ? leader->lap - 1 : 0;
      const char* first = DbText(h.standingsRounds % 2 ? 50 : 51);
      char head[300];
      std::snprintf(head, sizeof head, "%s %s ", first, DbText(52));
      char line[400];
      std::snprintf(line, sizeof line, "%s%u %s", head, laps, DbText(laps < 2 ? 53 : 54));
      char number[16];
      std::snprintf(number, sizeof number, "%u", laps);
      h.lapCountText.SetAnchors(0, 1);
      SayTwoTone(h.lapCountText, 5.0f, 37.0f, line, HUD_HIGHLIGHT, WHITE, Length(head), Length(head) + Length(number));
      FadeInMessage(m, HUD_LAP_COUNT);
    }
    const float t = h.timers[HUD_LAP_COUNT];
    if (t > 3.0f && t <= 4.0f) {
      h.messageBackdrop.StartFade(0.0f, 500, nullptr);
      h.lapCountText.StartFade(0.0f, 500, nullptr);
    }
    if (t <= 4.0f) return;
    // The pages or the list follow the lap count.
    const HudMessage next = h.standingsRounds % 2 ? HUD_STANDINGS_PAGES : HUD_STANDINGS_LIST;
    h.slot1 = next;
    h.page = 0;
    h.pageTimer = 0.0f;
    h.rowsShown = 0;
    h.fadingOut[next] = 0;
    if (next == HUD_STANDINGS_PAGES) {
      OrderPages(m);
    } else {
      OrderList(m);
    }
    PlaceBackdrop(m, 95.0f);
    h.messageBackdrop.StartFade(0.5f, 500, nullptr);
    LayOutStandings(m, next);
    const std::uint32_t size = next == HUD_STANDINGS_PAGES ? 6u : 10u;
    HideRows(m, size);
    return;
  }
  const HudMessage message = h.slot1;
  if (message != HUD_STANDINGS_PAGES && message != HUD_STANDINGS_LIST) return;
  const std::uint32_t size = message == HUD_STANDINGS_PAGES ? 6u : 10u;
  h.pageTimer += dt;
  if (h.fadingOut[message]) return;
  LayOutStandings(m, message);
  RevealRows(m, message, size);
  if (h.pageTimer >= static_cast<float>((h.page + 1) * size) + 0.45f) {
    if ((h.page + 1) * size < m.resultCount && (h.page + 1) * size < h.standingsCount) {
      ++h.page;
      h.rowsShown = 0;
      LayOutStandings(m, message);
      HideRows(m, size);
    } else {
      h.fadingOut[message] = 1;
      FadeOutMessage(m, message);
      h.standingsDue = 0;
      h.timers[HUD_LAP_COUNT] = 0.0f;
      h.pageTimer = 0.0f;
    }
  }
}

void PrepareFinish(RaceManager& m, std::uint8_t slot) {
  RaceHud& h = m.hud;
  Rider& rider = *m.riders[slot];
  h.shownRiders[0] = slot;
  h.finisherTitle = rider.racePosition == 1 ? 1 : 0;
  PlaceBackdrop(m, 95.0f);
  HudRiderWidgets& r = h.riders[slot];
  PlacePanel(r.number, 0, 1, 40.0f, 28.0f, 30.0f, 30.0f);
  r.rows[1].SetAnchors(0, 1);
  r.rows[1].SetScale(1.5f, 1.5f, 1.0f);
  Say(r.rows[1], 75.0f, 28.0f, nullptr, WHITE);
  r.rows[1].SetScale(1.0f, 1.0f, 1.0f);
  SayPositionLine(m, slot, 40.0f, 28.0f);
  const RaceTime finish = m.lapTimes ? m.lapTimes->LastCrossing(rider.lap, slot) : RaceTime();
  char t[9];
  LapTimeText(finish, t);
  h.finisherLine.SetAnchors(0, 1);
  SayLabelled(h.finisherLine, 40.0f, 5.0f, DbText(50), t);
  // Whole seconds of the finishing time; none yet reads as standing still.
  const std::uint32_t seconds = finish.minutes * 60u + finish.hours * 3600u + finish.seconds;
  const float kmh = seconds > 0 ? rider.raceDistance / static_cast<float>(seconds) * 3.6f : 0.0f;
  SaySpeed(h.speedLine, 40.0f, 5.0f, kmh);
  FadeInMessage(m, HUD_FINISH);
}

bool FinishDue(RaceManager& m, std::uint8_t slot) {
  Rider* r = PresentRider(m, slot);
  return r && r->state != RIDER_OUT && RaceOver(*r) && !IsOut(*r) && !m.hud.finishShown[slot];
}

void PrepareText(RaceManager& m, HudMessage message, StaticText& t, float height) {
  PlaceBackdrop(m, height);
  (void)t;
  FadeInMessage(m, message);
}

RaceTime LastLapOf(const RaceManager& m, const Rider& r, std::uint8_t slot) {
  if (!m.lapTimes || r.lap < 2) return RaceTime();
  const RaceTime last = m.lapTimes->LastCrossing(r.lap, slot);
  if (r.lap == 2) return last;
  const RaceTime before = m.lapTimes->LastCrossing(r.lap - 1, slot);
  const std::uint32_t a = last.totalMs / 10u;
  const std::uint32_t b = before.totalMs / 10u;
  return RaceTimeFromHundredths(a > b ? a - b : 0u);
}

bool PrepareSplit(RaceManager& m, std::uint8_t f) {
  RaceHud& h = m.hud;
  Rider& rider = *m.riders[f];
  const std::uint32_t p = rider.racePosition;
  Rider* other = nullptr;
  char kind = '*';
  if (p == 1) {
    other = FindByPosition(m, 2, 2);
    kind = '^';
  } else if (p == 10) {
    other = FindByPosition(m, 9, 2);
  } else if (p >= 2 && p <= 9) {
    if ((crt::rand() & 1) == 0) {
      other = FindByPosition(m, p + 1, 2);
      kind = '^';
    }
    if (!other) {
      other = FindByPosition(m, p - 1, 2);
      kind = '*';
    }
  }
  if (!other) return false;
  h.gapKind = kind;
  h.shownRiders[0] = kind == '*' ? other->index : f;
  h.shownRiders[1] = kind == '*' ? f : other->index;
  const float w = ScreenW();
  PlaceBackdrop(m, 95.0f);
  PlacePanel(h.gapArrow, 0, 1, w / 2.0f - 50.0f, 31.0f, 100.0f, 27.0f);
  ArrowUvs(h.gapArrow, kind);
  for (int side = 0; side < 2; ++side) {
    const std::uint8_t slot = h.shownRiders[side];
    Rider& r = *m.riders[slot];
    HudRiderWidgets& wd = h.riders[slot];
    StaticText& best = h.splitLines[2 * side];
    StaticText& last = h.splitLines[2 * side + 1];
    char t[9];
    LapTimeText(r.bestLap, t);
    best.SetAnchors(0, 1);
    SayLabelled(best, 0.0f, 31.0f, DbText(55), t);
    LapTimeText(LastLapOf(m, r, slot), t);
    last.SetAnchors(0, 1);
    SayLabelled(last, 0.0f, 9.0f, DbText(56), t);
    wd.rows[1].SetAnchors(0, 1);
    Say(wd.rows[1], 0.0f, 53.0f, nullptr, WHITE);
    float width = wd.rows[1].textWidth + 45.0f;
    if (best.textWidth > width) width = best.textWidth;
    if (last.textWidth > width) width = last.textWidth;
    const float from = side == 0 ? 0.0f : w / 2.0f + 50.0f;
    const float to = side == 0 ? w / 2.0f - 50.0f : w;
    const float x = from + (to - from - width) / 2.0f;
    PlacePanel(wd.number, 0, 1, x, 53.0f, 30.0f, 30.0f);
    Say(wd.rows[1], x + 45.0f, 53.0f, nullptr, WHITE);
    SayLabelled(best, x, 31.0f, DbText(55), nullptr);
    SayLabelled(last, x, 9.0f, DbText(56), nullptr);
  }
  FadeInMessage(m, HUD_SPLIT);
  return true;
}

void PreparePitWait(RaceManager& m) {
  RaceHud& h = m.hud;
  PlaceBackdrop(m, 70.0f);
  const std::uint32_t wait = std::uint32_t{g_RaceLengthMinutes} * 12u;
  char minutes[3];
  char seconds[3];
  TwoDigits(wait / 60u, minutes);
  TwoDigits(wait % 60u, seconds);
  const char* parts[5] = {DbText(19), minutes, DbText(20), seconds, DbText(21)};
  const float xs[5] = {5.0f, 140.0f, 170.0f, 210.0f, 240.0f};
  for (int i = 0; i < 5; ++i) {
    StaticText& t = h.pitTexts[i];
    t.SetFont(0);
    t.SetAnchors(0, 1);
    Say(t, xs[i], 28.0f, parts[i], i % 2 ? WHITE : HUD_HIGHLIGHT);
  }
  FadeInMessage(m, HUD_PIT_WAIT);
}

void PrepareRiderInfo(RaceManager& m, std::uint8_t f) {
  RaceHud& h = m.hud;
  h.shownRiders[0] = f;
  PlaceBackdrop(m, 70.0f);
  RiderBlock(h.riders[f], 20.0f, 15.0f, 65.0f, 8.6f, 40.0f, 110.0f, 15.0f);
  if (Moto()) SayPositionLine(m, f, 10.0f, 15.0f);
  FadeInMessage(m, HUD_RIDER_INFO);
}

std::int32_t Mod(std::int32_t a, std::int32_t n) { return n > 0 ? ((a % n) + n) % n : a; }

bool Grounded(const Rider& r) {
  const WheelContact& f = r.physics.frontWheel;
  const WheelContact& b = r.physics.rearWheel;
  return f.world.y - f.groundHeight <= 0.2f && b.world.y - b.groundHeight <= 0.2f;
}

void RunFlags(RaceManager& m, std::uint8_t f, float dt) {
  RaceHud& h = m.hud;
  Rider& followed = *m.riders[f];
  const std::int32_t n = static_cast<std::int32_t>(m.nodeCount);
  if (!h.blueShown) {
    bool crash = false;
    const std::int32_t here = Mod(followed.progress, n);
    for (std::uint32_t s = 0; s < 20 && !crash; ++s) {
      Rider* r = PresentRider(m, s);
      if (!r || r->state == RIDER_OUT || !r->physics.crashed) continue;
      const std::int32_t there = Mod(r->progress, n);
      crash = there > here && there <= here + 10;
    }
    if (crash) {
      if (!h.yellowShown) {
        h.yellowShown = 1;
        h.yellowFlag.StartFade(1.0f, 500, nullptr);
      }
      h.slot2 = HUD_YELLOW_FLAG;
    } else if (h.yellowShown) {
      h.yellowShown = 0;
      FadeOutMessage(m, HUD_YELLOW_FLAG);
    }
  }
  if (!h.yellowShown && !followed.physics.crashed && Grounded(followed)) {
    // Airborne, the flag keeps the state it had.
    const std::int32_t node = followed.GetTrackNode();
    Rider* lapping = nullptr;
    for (std::uint32_t s = 0; s < 20 && !lapping; ++s) {
      Rider* r = PresentRider(m, s);
      if (!r || s == f || r->state == RIDER_OUT || r->physics.crashed) continue;
      const std::int32_t there = r->GetTrackNode();
      if (r->progress > followed.progress && there >= node - 5 && there <= node) lapping = r;
    }
    if (lapping) {
      h.lappingRider = lapping->index;
      if (!h.blueShown) {
        h.blueShown = 1;
        h.blueFlag.StartFade(1.0f, 500, nullptr);
      }
      h.slot2 = HUD_BLUE_FLAG;
    } else if (h.blueShown) {
      h.blueShown = 0;
      FadeOutMessage(m, HUD_BLUE_FLAG);
    } else if (m.riders[0]) {
      m.riders[0]->blockingTime = 0.0f;
    }
  }
  Rider* player = m.riders[0];
  if (h.blueShown && f == 0 && player && !followed.physics.crashed && h.lappingRider < 20 &&
      m.riders[h.lappingRider]) {
    const Rider& lapping = *m.riders[h.lappingRider];
    const Vector3 d = player->physics.position - lapping.physics.position;
    const float distance = std::sqrt(LengthSquared(d));
    const Vector3 forward(lapping.physics.axes[2][0], lapping.physics.axes[2][1], lapping.physics.axes[2][2]);
    const bool inCone = distance > 0.0f && Dot(d, forward) / distance > 0.766f;
    if (distance < 4.0f && inCone) {
      player->blockingTime += dt;
    } else {
      player->blockingTime = 0.0f;
    }
  }
}

}  // namespace

namespace hud_internal {

void RunRaceMessages(RaceManager& m, float dt) {
  RaceHud& h = m.hud;
  if (h.slot1 == HUD_BANNER || h.slot1 == HUD_STARTING_GRID || h.slot1 == HUD_HELP) h.slot1 = HUD_NONE;

  bool haveFollowed = false;
  bool haveLeader = false;
  for (std::uint32_t s = 0; s < 20; ++s) {
    Rider* r = PresentRider(m, s);
    if (!r || r->state == RIDER_OUT) continue;
    if (!haveFollowed && r->IsFollowed()) {
      h.followedSlot = static_cast<std::uint8_t>(s);
      haveFollowed = true;
    }
    if (!haveLeader && r->racePosition == 1 && !IsOut(*r)) {
      h.leaderSlot = static_cast<std::uint8_t>(s);
      haveLeader = true;
    }
  }
  const std::uint8_t f = h.followedSlot;
  Rider* player = PresentRider(m, 0);

  if (Moto()) {
    if (m.finalLapStarted && Free(h, HUD_FINAL_LAP)) {
      if (Show(m, HUD_FINAL_LAP, 3.0f, [&] {
            PlaceBackdrop(m, 70.0f);
            FadeInMessage(m, HUD_FINAL_LAP);
          })) {
        m.finalLapStarted = 0;
      }
    } else if (h.slot1 != HUD_FINAL_LAP && h.timers[HUD_FINAL_LAP] > 0.0f) {
      h.timers[HUD_FINAL_LAP] = 0.0f;
      m.finalLapStarted = 0;
    }
    if (h.lastLapDue && player && haveFollowed && f == 0 && player->IsPastFinalLap() && Free(h, HUD_LAST_LAP)) {
      if (Show(m, HUD_LAST_LAP, 3.0f, [&] {
            PlaceBackdrop(m, 70.0f);
            FadeInMessage(m, HUD_LAST_LAP);
          })) {
        h.lastLapDue = 0;
      }
    } else if (h.slot1 != HUD_LAST_LAP && h.timers[HUD_LAST_LAP] > 0.0f) {
      h.timers[HUD_LAST_LAP] = 0.0f;
    }
  }

  if (Session() && haveFollowed) RunLapDisplay(m, f, dt);

  if (m.fastestLapSet && Free(h, HUD_FASTEST_LAP) && m.fastestLapHolder < 20 &&
      PresentRider(m, m.fastestLapHolder) && !RaceOver(*m.riders[m.fastestLapHolder])) {
    if (Show(m, HUD_FASTEST_LAP, 3.0f, [&] { PrepareFastestLap(m); })) m.fastestLapSet = 0;
  }

  if (Moto() && haveFollowed && m.followedLapDone && Free(h, HUD_GAP)) RunGap(m, f, &h.timers[HUD_GAP]);

  if (Moto()) {
    const bool standingsSlot = h.slot1 == HUD_NONE || h.slot1 == HUD_LAP_COUNT || h.slot1 == HUD_STANDINGS_PAGES ||
                               h.slot1 == HUD_STANDINGS_LIST;
    if (standingsSlot) {
      bool all = true;
      bool any = false;
      for (std::uint32_t s = 0; s < 20; ++s) {
        Rider* r = PresentRider(m, s);
        if (!r || IsOut(*r)) continue;
        any = true;
        if (r->lap == 1 || r->lap - 1 < h.standingsRounds + 1) all = false;
      }
      if (any && all) {
        ++h.standingsRounds;
        h.standingsDue = 1;
      }
      if (h.standingsDue && player && !RaceOver(*player) && haveLeader) RunStandings(m, h.leaderSlot, dt);
    }

    if (Free(h, HUD_FINISH)) {
      std::int32_t who = -1;
      if (h.slot1 == HUD_FINISH) {
        who = h.shownRiders[0];
      } else if (haveLeader && FinishDue(m, h.leaderSlot)) {
        who = h.leaderSlot;
      } else if (haveFollowed && FinishDue(m, f)) {
        who = f;
      }
      if (who >= 0) {
        const std::uint8_t slot = static_cast<std::uint8_t>(who);
        if (Show(m, HUD_FINISH, 5.0f, [&] { PrepareFinish(m, slot); })) h.finishShown[slot] = 1;
      }
    }
  }

  if (player && IsOut(*player)) {
    const float wrongWay = player->wrongWayTime;
    const float blocking = player->blockingTime;
    const bool stopped = wrongWay >= 10.0f || blocking >= 3.0f;
    if (!stopped && !h.finishShown[0] && Free(h, HUD_RETIRED) && h.slot1 != HUD_STOPPED &&
        h.slot1 != HUD_SESSION_INFO) {
      if (Show(m, HUD_RETIRED, 3.0f, [&] { PrepareText(m, HUD_RETIRED, h.retiredText, 95.0f); })) {
        h.finishShown[0] = 1;
      }
    }
    if (Moto() && stopped && !h.finishShown[0] && Free(h, HUD_STOPPED)) {
      if (Show(m, HUD_STOPPED, 3.0f, [&] { PrepareText(m, HUD_STOPPED, h.stoppedText, 95.0f); })) {
        h.finishShown[0] = 1;
      }
    }
  }
  if (Session() && g_PitTimerMs > 0 && player && player->state != RIDER_OUT) {
    if (h.slot1 != HUD_PIT_WAIT) h.timers[HUD_PIT_WAIT] = 0.0f;
    Show(m, HUD_PIT_WAIT, 10.0f, [&] { PreparePitWait(m); });
  }

  if (Moto() && haveFollowed && m.followedLapFlag1 && Free(h, HUD_SPLIT) && !RaceOver(*m.riders[f]) &&
      m.riders[f]->lap >= 2) {
    if (h.timers[HUD_SPLIT] == 0.0f && h.slot1 != HUD_SPLIT) {
      if (PrepareSplit(m, f)) {
        h.slot1 = HUD_SPLIT;
        h.fadingOut[HUD_SPLIT] = 0;
      } else {
        m.followedLapFlag1 = 0;
      }
    } else if (Show(m, HUD_SPLIT, 3.0f, [] {})) {
      m.followedLapFlag1 = 0;
    }
  }

  if (h.riderInfoRequested && haveFollowed) {
    if (h.slot1 != HUD_RIDER_INFO) h.timers[HUD_RIDER_INFO] = 0.0f;
    if (Show(m, HUD_RIDER_INFO, 3.0f, [&] { PrepareRiderInfo(m, f); })) h.riderInfoRequested = 0;
  }

  if (g_NetOpponentsGone) {
    if (h.slot1 != HUD_ALONE) h.timers[HUD_ALONE] = 0.0f;
    if (!h.fadingOut[HUD_ALONE] || h.slot1 != HUD_ALONE) {
      Show(m, HUD_ALONE, 3.0f, [&] { PrepareText(m, HUD_ALONE, h.aloneText, 70.0f); });
    }
  }

  if (Session()) {
    float& t = h.timers[HUD_SESSION_OVER];
    if (h.slot1 != HUD_SESSION_OVER && t > 3.0f && t < 4.0f) t = 0.0f;
    if (m.clock.totalMs > std::uint32_t{g_RaceLengthMinutes} * 60000u && player && player->state != RIDER_OUT &&
        h.slot1 != HUD_RIDER_INFO && t < 4.0f) {
      if (h.slot1 != HUD_SESSION_OVER) t = 0.0f;
      Show(m, HUD_SESSION_OVER, 3.0f, [&] { PrepareText(m, HUD_SESSION_OVER, h.sessionEndText, 95.0f); });
    }
  }

  if (h.flagOverlayOn && haveFollowed) RunFlags(m, f, dt);
}

}  // namespace hud_internal
