// Between the sessions of an event: the results table of the last session,
// the championship standings, the starting-grid screen on which the riders
// pick their places in the order of their qualifying times, the session
// choice and the random grid.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "engine/app.h"
#include "engine/geometry_pipeline.h"
#include "engine/object3d.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/system.h"
#include "engine/text_database.h"
#include "frontend/championship.h"
#include "frontend/commands_internal.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/race_series.h"
#include "frontend/ui_scene.h"
#include "platform/win32/crt.h"
#include "riders/rider_physics.h"

std::uint8_t g_GridOrder[20] = {};
std::uint8_t g_GatePickOrder[20] = {};

namespace {

constexpr float kRandScale = 3.0518509e-05f;
constexpr std::int32_t kResultsTexts = 64;
constexpr std::int32_t kStandingsTexts = 521;
constexpr std::uint8_t kRowPoints[15] = {20, 17, 15, 13, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1};

std::uint32_t RiderCount() { return g_RiderCount < PLAYER_SLOTS ? g_RiderCount : PLAYER_SLOTS; }

bool NewTexts(WidgetList<StaticText>* list, std::int32_t count) {
  list->items.reset(new (std::nothrow) StaticText[static_cast<std::size_t>(count)]);
  if (!list->items) {
    ShowMessageBox("Error: not enough memory.\nAborting program execution.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    g_App.RequestClose();
    return false;
  }
  list->count = static_cast<std::uint16_t>(count);
  return true;
}

// Font, anchors (y flag first), position, scale and colour; then the text.
void Place(StaticText* t, std::uint16_t font, std::uint8_t fromTop, std::uint8_t fromLeft, float x, float y, float sz,
           const float* colour, const char* text) {
  t->SetFont(font);
  t->SetAnchors(fromTop, fromLeft);
  t->SetPosition(x, y, 0.0f);
  t->SetScale(1.0f, 1.0f, sz);
  t->SetText(text);
  t->SetColour(colour[0], colour[1], colour[2], 0, 0);
}

const float kWhite[3] = {1.0f, 1.0f, 1.0f};

void FormatTime(const RaceTime& t, char* out, std::size_t size) {
  std::snprintf(out, size, "%02d'%02d\"%02d", t.minutes % 100, t.seconds % 100, t.hundredths % 100);
}

std::uint8_t MotoPosition(std::uint32_t s) {
  return IsChampionshipSeries() ? g_Championship.GetMotoPosition(s) : g_SingleRace.GetMotoPosition(s);
}

void ShowRiderList(std::int32_t a1, std::int32_t a2, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  if (g_SceneNumber == 12) {
    g_RaceType = RACE_TYPE_PRACTICE;
    g_PreviousRaceType = RACE_TYPE_PRACTICE;
    g_QualifyingSkippedNoFee = 0;
  }
  WidgetList<StaticText> texts;
  if (!NewTexts(&texts, kResultsTexts)) return;
  RaceSeries& series = CurrentSeries();
  const std::uint32_t riders = RiderCount();
  const std::uint32_t n = g_GameMode == GAME_MODE_MULTIPLAYER ? 7 : riders;
  const float h = n > 0 ? 295.0f / static_cast<float>(n) : 0.0f;
  for (std::uint32_t r = 0; r < n; ++r) {
    const float y = 115.0f + static_cast<float>(r) * h;
    char place[8] = "";
    if (r < riders) std::snprintf(place, sizeof place, r + 1 < 10 ? "0%u" : "%u", r + 1);
    Place(&texts[static_cast<std::uint16_t>(r + 40)], 0, 1, 1, 85.0f, y, 1.0f, kWhite, place);
    Place(&texts[static_cast<std::uint16_t>(r)], 0, 1, 1, 225.0f, y, 0.0f, kWhite, "");
    Place(&texts[static_cast<std::uint16_t>(r + 20)], 0, 1, 1, 485.0f, y, 0.0f, kWhite, "");
  }
  char title[600] = "";
  if (a2 != 0) {
    std::snprintf(title, sizeof title, "%s", g_TextDatabase.Text(167));
  } else if (g_RaceType == RACE_TYPE_PRACTICE) {
    std::snprintf(title, sizeof title, "%s", g_TextDatabase.Text(156));
  } else if (g_RaceType == RACE_TYPE_QUALIFYING) {
    std::snprintf(title, sizeof title, "%s", g_TextDatabase.Text(157));
  } else if (g_RaceType == RACE_TYPE_MOTO_1 || g_RaceType == RACE_TYPE_MOTO_2) {
    std::snprintf(title, sizeof title, "%s %s", g_TextDatabase.Text(164),
                  g_TextDatabase.Text(g_RaceType == RACE_TYPE_MOTO_1 ? 67 : 68));
  }
  Place(&texts[60], 2, 1, 1, 320.0f, 77.0f, 1.0f, kOrange, title);
  texts[60].SetCentring(1, 0);
  texts[60].SetText(title);
  Place(&texts[61], 2, 0, 1, 85.0f, 362.0f, 1.0f, kOrange, g_TextDatabase.Text(159));
  Place(&texts[62], 2, 0, 1, 225.0f, 362.0f, 1.0f, kOrange, g_TextDatabase.Text(160));
  Place(&texts[63], 2, 0, 1, 485.0f, 362.0f, 1.0f, kOrange, g_TextDatabase.Text(a1 == 1 ? 161 : 158));

  // Which rows hold a rider: tracked apart from the texts, so that no name
  // can pass for a free row.
  bool taken[PLAYER_SLOTS] = {};
  const std::uint8_t moto = g_RaceType == RACE_TYPE_MOTO_1 || g_RaceType == RACE_TYPE_MOTO_2;
  for (std::uint32_t s = 0; s < n && s < PLAYER_SLOTS; ++s) {
    if (!g_PlayersList.IsPresent(s)) continue;
    const bool out = series.outOfRace[s] != 0;
    std::uint32_t q = 1;
    if (a2 != 0) {
      for (std::uint32_t t = 0; t < n && t < PLAYER_SLOTS; ++t) {
        if (t != s && g_PlayersList.IsPresent(t) && g_PlayersList.entries[t].points > g_PlayersList.entries[s].points) ++q;
      }
    } else if (moto) {
      q = MotoPosition(s);
    } else {
      const std::uint32_t mine = series.bestLaps[s].totalMs;
      for (std::uint32_t t = 0; t < n && t < PLAYER_SLOTS; ++t) {
        const std::uint32_t theirs = series.bestLaps[t].totalMs;
        if (t != s && theirs != 0 && theirs < mine) ++q;
      }
      if (g_GameMode == GAME_MODE_CHAMPIONSHIP && !g_NoBudget && s == 0 && mine != 0 && q == 1) {
        g_PlayersList.entries[0].money = static_cast<std::int16_t>(g_PlayersList.entries[0].money + 1000);
      }
    }
    if (a2 == 0 && out) q = n;
    // The search stays inside the table; a rider without a free row is
    // left out rather than written past it.
    std::int32_t row = q >= 1 ? static_cast<std::int32_t>(q) - 1 : 0;
    if (row >= static_cast<std::int32_t>(n)) row = static_cast<std::int32_t>(n) - 1;
    const std::int32_t step = (a2 != 0 || !out) ? 1 : -1;
    while (row >= 0 && row < static_cast<std::int32_t>(n) && taken[row]) row += step;
    if (row < 0 || row >= static_cast<std::int32_t>(n)) continue;
    taken[row] = true;
    texts[static_cast<std::uint16_t>(row)].SetText(g_PlayersList.entries[s].name);

    char value[300] = "";
    if (a1 == 1) {
      const std::uint32_t behind = series.GetLapsBehind(s);
      if (out) {
        std::snprintf(value, sizeof value, "DNF");
      } else if (moto && behind > 0) {
        std::snprintf(value, sizeof value, "%02u %s", behind % 100, g_TextDatabase.Text(behind == 1 ? 53 : 54));
      } else {
        const bool lap = g_RaceType == RACE_TYPE_PRACTICE || g_RaceType == RACE_TYPE_QUALIFYING;
        FormatTime(lap ? series.bestLaps[s] : series.raceTimes[s], value, sizeof value);
      }
    } else if (a2 == 0) {
      if (out) {
        std::snprintf(value, sizeof value, "DNF");
      } else {
        std::snprintf(value, sizeof value, "%02d", row < 15 ? kRowPoints[row] : 0);
      }
    }
    if (a2 == 1) {
      const int points = g_PlayersList.entries[s].points;
      std::snprintf(value, sizeof value, points >= 100 ? "%d" : points >= 10 ? " %d" : "  %d", points);
    }
    texts[static_cast<std::uint16_t>(row + 20)].SetText(value);
  }
  for (std::uint32_t row = 0; row < PLAYER_SLOTS; ++row) {
    if (row < n && taken[row] && row < riders) continue;
    for (std::uint32_t k : {row, row + 20, row + 40}) texts[static_cast<std::uint16_t>(k)].SetText("");
  }
  scene->staticTexts = std::move(texts);
}

// A rider's mark on the grid screen: the first character of its extra text.
char Mark(std::uint32_t slot) { return slot < PLAYER_SLOTS ? g_PlayersList.entries[slot].extraText[0] : '\0'; }

void SetMark(StaticText* t, std::uint32_t slot) {
  const char text[2] = {Mark(slot), '\0'};
  t->SetText(text);
}

bool PlayerAtBack() {
  const RaceEntry* e = CurrentSeries().Current();
  return e && e->playerAtBack;
}

// The first free pick at or after p; past the last rider the first free one.
std::uint32_t FreePickUp(std::uint32_t p, std::uint32_t riders) {
  while (p < riders && g_GatePickOrder[p] != riders + 1) ++p;
  if (p < riders) return p;
  for (p = 0; p < riders && g_GatePickOrder[p] != riders + 1; ++p) {
  }
  return p;
}

std::uint32_t FreePickDown(std::int32_t p, std::uint32_t riders) {
  while (p >= 0 && g_GatePickOrder[p] != riders + 1) --p;
  if (p >= 0) return static_cast<std::uint32_t>(p);
  return FreePickUp(0, riders);
}

void ShuffleGrid(std::int32_t, std::int32_t, const char*) {
  const std::uint32_t riders = RiderCount();
  if (riders == 0) return;
  bool taken[PLAYER_SLOTS + 1] = {};
  const bool back = PlayerAtBack();
  const std::uint32_t player = back ? 0 : riders - 1;
  for (std::uint32_t k = 0; k + 1 < riders; ++k) {
    std::uint32_t r = 0;
    do {
      r = GameController::ValueToStep20(static_cast<float>(crt::rand()) * kRandScale);
    } while (r == 0 || r >= riders || taken[r]);
    taken[r] = true;
    g_GridOrder[back ? riders - 1 - k : k] = static_cast<std::uint8_t>(r);
    g_GatePickOrder[k] = static_cast<std::uint8_t>(r);
  }
  g_GatePickOrder[riders - 1] = 0;
  g_GridOrder[player] = 0;
}

void BuildBikeObjects(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  g_LightDirection = -Vector3(0.0f, 0.0f, -1.0f);
  const std::int32_t e = CurrentSeries().current;
  std::vector<std::unique_ptr<SceneObject>> objects;
  for (int i = 0; i < 2; ++i) {
    std::unique_ptr<Object3D> o(new (std::nothrow) Object3D());
    if (!o) return;
    o->alternateSelection = 1;
    char name[40];
    const int number = i == 0 ? e + 1 : e + 13;
    std::snprintf(name, sizeof name, number < 10 ? "DATA\\UI\\03C01O0%d.ACT" : "DATA\\UI\\03C01O%d.ACT", number);
    o->LoadObject(name, true);
    objects.push_back(std::move(o));
  }
  scene->SetObjects(std::move(objects));

  WidgetList<StaticText> texts;
  if (!NewTexts(&texts, 21)) return;
  const std::uint32_t riders = RiderCount();
  const float w = riders > 0 ? 540.0f / static_cast<float>(riders) : 540.0f;
  const float size = w < 40.0f ? w : 40.0f;
  for (std::uint32_t i = 0; i < PLAYER_SLOTS; ++i) {
    g_GatePickOrder[i] = static_cast<std::uint8_t>(riders + 1);
    StaticText& t = texts[static_cast<std::uint16_t>(i)];
    const bool used = i < riders;
    t.SetFont(used ? 1 : 0);
    t.SetAnchors(1, 1);
    t.SetCentring(0, 0);
    t.SetPosition(50.0f + w * static_cast<float>(i) + w * 0.25f, 391.0f - size * 0.5f, 0.0f);
    if (used) {
      t.SetScale(size * 0.02f, size * 0.02f, 1.0f);
    } else {
      t.SetScale(1.0f, 1.0f, 1.0f);
    }
    t.SetText("");
    t.SetColour(1.0f, 1.0f, 1.0f, 0, 0);
  }
  texts[20].SetFont(0);
  texts[20].SetAnchors(0, 1);
  texts[20].SetCentring(1, 0);
  texts[20].SetPosition(320.0f, 32.0f, 0.0f);
  texts[20].SetText("");

  RaceSeries& series = CurrentSeries();
  std::uint32_t playerPick = riders > 0 ? riders - 1 : 0;
  if (!g_QualifyingSkipped && !g_QualifyingSkippedNoFee) {
    for (std::uint32_t s = 0; s < riders; ++s) {
      if (!g_PlayersList.IsPresent(s)) continue;
      const std::uint32_t mine = series.bestLaps[s].totalMs;
      std::uint32_t p = 0;
      if (mine != 0) {
        for (std::uint32_t t = 0; t < riders; ++t) {
          const std::uint32_t theirs = series.bestLaps[t].totalMs;
          if (t != s && g_PlayersList.IsPresent(t) && theirs != 0 && theirs < mine) ++p;
        }
        p = FreePickUp(p, riders);
      } else {
        p = FreePickDown(static_cast<std::int32_t>(riders) - 1, riders);
      }
      if (p >= riders) continue;
      g_GatePickOrder[p] = static_cast<std::uint8_t>(s);
      if (s == 0) playerPick = p;
    }
  } else {
    ShuffleGrid(0, 0, nullptr);
    playerPick = riders - 1;
  }
  const bool back = PlayerAtBack();
  for (std::uint32_t i = 0; i < riders; ++i) {
    const std::uint32_t t = back ? riders - 1 - i : i;
    if (i <= playerPick && g_GatePickOrder[i] < riders) {
      SetMark(&texts[static_cast<std::uint16_t>(t)], g_GatePickOrder[i]);
    }
  }
  scene->staticTexts = std::move(texts);
}

bool TextIs(UiScene* scene, std::uint32_t i, const char* s) {
  return i < scene->staticTexts.count && std::strcmp(scene->staticTexts[static_cast<std::uint16_t>(i)].String(), s) == 0;
}

void MovePlayerLine(std::int32_t a1, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  const std::uint32_t riders = RiderCount();
  const char mark[2] = {Mark(0), '\0'};
  std::int32_t t = -1;
  for (std::uint32_t i = 0; i < riders; ++i) {
    if (TextIs(scene, i, mark)) {
      t = static_cast<std::int32_t>(i);
      break;
    }
  }
  if (t < 0) return;
  std::int32_t found = -1;
  if (a1 != 0) {
    for (std::int32_t i = t + 1; i < static_cast<std::int32_t>(riders) && found < 0; ++i) {
      if (TextIs(scene, static_cast<std::uint32_t>(i), "")) found = i;
    }
    for (std::int32_t i = 0; i < t && found < 0; ++i) {
      if (TextIs(scene, static_cast<std::uint32_t>(i), "")) found = i;
    }
  } else {
    for (std::int32_t i = t - 1; i >= 0 && found < 0; --i) {
      if (TextIs(scene, static_cast<std::uint32_t>(i), "")) found = i;
    }
    for (std::int32_t i = static_cast<std::int32_t>(riders) - 1; i > t && found < 0; --i) {
      if (TextIs(scene, static_cast<std::uint32_t>(i), "")) found = i;
    }
  }
  if (found < 0) return;
  scene->staticTexts[static_cast<std::uint16_t>(t)].SetText("");
  scene->staticTexts[static_cast<std::uint16_t>(found)].SetText(mark);
}

void StartRace(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  const std::uint32_t riders = RiderCount();
  const bool back = PlayerAtBack();
  std::uint32_t q = 0;
  while (q < riders && g_GatePickOrder[q] != 0) ++q;
  for (std::uint32_t i = q + 1; i < riders; ++i) {
    const std::uint32_t rider = g_GatePickOrder[i];
    if (rider >= riders) continue;
    for (std::uint32_t k = 0; k < riders; ++k) {
      const std::uint32_t t = back ? riders - 1 - k : k;
      if (TextIs(scene, t, "")) {
        SetMark(&scene->staticTexts[static_cast<std::uint16_t>(t)], rider);
        break;
      }
    }
  }
  for (std::uint32_t m = 0; m < riders && m < scene->staticTexts.count; ++m) {
    const char c = scene->staticTexts[static_cast<std::uint16_t>(m)].String()[0];
    for (std::uint32_t k = 0; k < riders; ++k) {
      if (c != '\0' && Mark(k) == c) {
        g_GridOrder[m] = static_cast<std::uint8_t>(k);
        break;
      }
    }
  }
  if (IsChampionshipSeries()) {
    CommitGarage();
    GoToScene(g_Championship.MarkRoundDone());
  } else {
    const RaceEntry* e = g_SingleRace.Current();
    GoToScene(e ? e->sceneNumber : 0);
  }
}

void SetupQualifying(std::int32_t a1, std::int32_t a2, const char*) {
  if (a1 == 0) {
    g_RaceType = RACE_TYPE_PRACTICE;
    g_PracticeSkipped = 1;
    g_QualifyingSkipped = 0;
    g_QualifyingSkippedNoFee = 0;
  } else {
    g_RaceType = RACE_TYPE_QUALIFYING;
    g_PracticeSkipped = 0;
    g_QualifyingSkipped = a2 == 1 ? 1 : 0;
    g_QualifyingSkippedNoFee = a2 == 1 ? 0 : 1;
    const std::uint32_t riders = RiderCount();
    for (std::uint32_t i = 0; i < riders; ++i) g_GridOrder[i] = static_cast<std::uint8_t>(riders + 1);
    if (riders > 0) g_GridOrder[PlayerAtBack() ? 0 : riders - 1] = 0;
    for (std::uint32_t rider = 1; rider < riders; ++rider) {
      std::uint32_t p = 0;
      do {
        float f = static_cast<float>(crt::rand()) * kRandScale * static_cast<float>(riders) - 0.001f;
        if (f < 0.0f) f = 0.0f;
        p = static_cast<std::uint32_t>(f);
      } while (p >= riders || g_GridOrder[p] != riders + 1);
      g_GridOrder[p] = static_cast<std::uint8_t>(rider);
    }
  }
  const bool worn = g_ConditionEngine[0] < 1.0f || g_ConditionWheels[0] < 1.0f || g_ConditionSuspension[0] < 1.0f ||
                    g_ConditionBrakes[0] < 1.0f || g_ConditionGearbox[0] < 1.0f;
  GoToScene(IsChampionshipSeries() && !g_NoBudget && g_QualifyingSkippedNoFee && worn ? 2 : 5);
}

void ShowStandings(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  const std::uint32_t riders = RiderCount();
  std::uint32_t order[PLAYER_SLOTS];
  std::uint32_t placed = 0;
  for (std::uint32_t s = 0; s < riders; ++s) {
    if (!g_PlayersList.IsPresent(s)) continue;
    std::uint32_t at = placed;
    while (at > 0 && g_PlayersList.entries[order[at - 1]].points < g_PlayersList.entries[s].points) {
      order[at] = order[at - 1];
      --at;
    }
    order[at] = s;
    ++placed;
  }

  WidgetList<Panel> panels;
  panels.items.reset(new (std::nothrow) Panel[12]);
  WidgetList<StaticText> texts;
  if (!panels.items || !NewTexts(&texts, kStandingsTexts)) return;
  panels.count = 12;
  for (std::uint16_t i = 0; i < 12; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, i < 10 ? "DATA\\UI\\FLAG0%d.OSP" : "DATA\\UI\\FLAG%d.OSP", i);
    if (!panels[i].Load(name)) {
      g_GameController.Command(CMD_QUIT, 0, 0, "NULL");
      return;
    }
    panels[i].SetPosition(151.0f + 37.0f * i, 80.0f, 0.0f);
    panels[i].SetScale(35.0f, 26.0f, 0.0f);
  }
  scene->panels = std::move(panels);

  const float h = riders > 0 ? 305.0f / static_cast<float>(riders) : 0.0f;
  for (std::uint32_t r = 0; r < riders; ++r) {
    const float y = 105.0f + static_cast<float>(r) * h;
    Place(&texts[static_cast<std::uint16_t>(r)], 0, 1, 1, 10.0f, y, 1.0f, kWhite,
          r < placed ? g_PlayersList.entries[order[r]].name : "");
  }
  Place(&texts[520], 0, 1, 0, 15.0f, 94.0f, 1.0f, kOrange, g_TextDatabase.Text(35));
  std::uint32_t k = 20;
  for (std::uint32_t c = 0; c <= 12; ++c) {
    const float x = 150.0f + 37.0f * static_cast<float>(c);
    for (std::uint32_t r = 0; r < riders; ++r) {
      const float y = 105.0f + static_cast<float>(r) * h;
      const bool named = r < placed;
      if (c < 12) {
        // Rounds past the championship's end count as not played.
        const bool played = named && c < g_Championship.roundPlayed.size() && g_Championship.roundPlayed[c];
        for (int m = 0; m < 2 && k < 520; ++m, ++k) {
          char text[8] = "";
          if (played) {
            const std::uint8_t points = g_Championship.GetMotoPoints(order[r], c, m == 0);
            if (points == 0) {
              std::snprintf(text, sizeof text, "--");
            } else {
              std::snprintf(text, sizeof text, "%02d", points);
            }
          }
          Place(&texts[static_cast<std::uint16_t>(k)], 0, 1, 1, x + 15.0f * static_cast<float>(m), y, 1.0f, kOrange,
                text);
        }
      } else if (k < 520) {
        char text[8] = "";
        if (named) {
          const int points = g_PlayersList.entries[order[r]].points;
          std::snprintf(text, sizeof text, points >= 100 ? "%03d" : "%02d", points);
        }
        Place(&texts[static_cast<std::uint16_t>(k)], 0, 1, 0, 15.0f, y, 1.0f, kWhite, text);
        ++k;
      }
    }
  }
  scene->staticTexts = std::move(texts);
}

}  // namespace

std::uint32_t RaceSeries::GetLapsBehind(std::uint32_t r) const {
  if (r >= PLAYER_SLOTS) return 0;
  float most = 0.0f;
  for (std::uint32_t i = 0; i < g_RiderCount && i < PLAYER_SLOTS; ++i) {
    if (g_PlayersList.IsPresent(i) && !outOfRace[i] && lapsRidden[i] > most) most = lapsRidden[i];
  }
  const float behind = most - lapsRidden[r];
  return behind >= 1.0f && !outOfRace[r] ? static_cast<std::uint32_t>(std::floor(behind)) : 0;
}

std::uint8_t SingleRace::GetMotoPosition(std::uint32_t r) const {
  if (r >= PLAYER_SLOTS) return 0;
  return motoPositions[r][g_RaceType == RACE_TYPE_MOTO_1 ? 0 : 1];
}

std::uint8_t Championship::GetMotoPosition(std::uint32_t r) const {
  if (r >= PLAYER_SLOTS || current < 0) return 0;
  const std::size_t column = static_cast<std::size_t>(current) * 2 + (g_RaceType == RACE_TYPE_MOTO_1 ? 0 : 1);
  return column < positions[r].size() ? positions[r][column] : 0;
}

void RegisterSessionCommands(CommandTable* table) {
  table->handlers[CMD_SHOW_RIDER_LIST] = ShowRiderList;
  table->handlers[CMD_BUILD_BIKE_OBJECTS] = BuildBikeObjects;
  table->handlers[CMD_MOVE_PLAYER_LINE] = MovePlayerLine;
  table->handlers[CMD_START_RACE] = StartRace;
  table->handlers[CMD_SETUP_QUALIFYING] = SetupQualifying;
  table->handlers[CMD_SHOW_STANDINGS] = ShowStandings;
  table->handlers[CMD_SHUFFLE_GRID] = ShuffleGrid;
}
