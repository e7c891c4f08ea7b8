// Event selection and the flow between the sessions of an event: the game
// mode, the current event, the event data, the weather and its
// announcement, the entry fee, and the way on from the results screens.
#include <cstdio>
#include <new>

#include "engine/app.h"
#include "engine/game_settings.h"
#include "engine/services/net_game.h"
#include "engine/system.h"
#include "engine/text_database.h"
#include "frontend/championship.h"
#include "frontend/commands_internal.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/race_series.h"
#include "frontend/ui_scene.h"
#include "riders/rider_physics.h"

namespace {

// Round index 9 of the single races is always clear.
constexpr std::int16_t kClearEntry = 9;

void SetStaticText(UiScene* scene, std::uint16_t i, const char* text) {
  if (i < scene->staticTexts.count) scene->staticTexts[i].SetText(text);
}

void SetGameMode(std::int32_t a1, std::int32_t, const char*) { g_GameMode = static_cast<std::uint8_t>(a1); }

void StepSingleRace(int step) {
  if (g_SingleRace.entryCount == 0) return;
  std::int32_t c = g_SingleRace.current + step;
  if (c < 0) c = g_SingleRace.entryCount - 1;
  if (c >= g_SingleRace.entryCount) c = 0;
  g_SingleRace.current = static_cast<std::int16_t>(c);
}

void PreviousEvent(std::int32_t, std::int32_t, const char*) {
  if (IsChampionshipSeries()) {
    g_Championship.RestorePreviousRound();
  } else {
    StepSingleRace(-1);
  }
}

void NextEvent(std::int32_t, std::int32_t, const char*) {
  if (IsChampionshipSeries()) {
    g_Championship.NextRound();
  } else {
    StepSingleRace(1);
  }
}

std::uint16_t CurrentEntryScene(RaceSeries& series) {
  const RaceEntry* e = series.Current();
  return e ? e->sceneNumber : 0;
}

// After qualifying, moto 2 or a restart: the countdown screen (19) when the
// player's best lap beat someone's, else the last-chance screen (22).
std::int32_t SceneByRank(RaceSeries& series) {
  if (g_QualifyingSkipped || g_QualifyingSkippedNoFee) return 22;
  const std::uint32_t mine = series.bestLaps[0].totalMs;
  if (mine == 0) return 22;
  std::uint32_t rank = 1;
  for (std::uint32_t i = 1; i < g_RiderCount && i < PLAYER_SLOTS; ++i) {
    if (!g_PlayersList.IsPresent(i)) continue;
    if (series.bestLaps[i].totalMs < mine) ++rank;
  }
  return rank < g_RiderCount ? 19 : 22;
}

void MarkRoundPlayed() {
  if (g_Championship.current >= 0 && static_cast<std::size_t>(g_Championship.current) < g_Championship.roundPlayed.size()) {
    g_Championship.roundPlayed[static_cast<std::size_t>(g_Championship.current)] = 1;
  }
}

void ContinueEvent(std::int32_t, std::int32_t, const char*) {
  const std::uint8_t type = g_RaceType;
  if (g_GameMode == GAME_MODE_MULTIPLAYER) {
    if (type != RACE_TYPE_RESUME) {
      GoToScene(16);
    } else if (g_NetChampionship) {
      MarkRoundPlayed();
      GoToScene(CurrentEntryScene(g_Championship));
    } else {
      GoToScene(CurrentEntryScene(g_SingleRace));
    }
    return;
  }
  if (g_GameMode == GAME_MODE_CHAMPIONSHIP) {
    MarkRoundPlayed();
    if (type == RACE_TYPE_NONE || type == RACE_TYPE_PRACTICE || type == RACE_TYPE_MOTO_1) {
      CommitGarage();
      GoToScene(CurrentEntryScene(g_Championship));
    } else if (type == RACE_TYPE_RESUME) {
      GoToScene(CurrentEntryScene(g_Championship));
    } else {
      GoToScene(SceneByRank(g_Championship));
    }
    return;
  }
  if (type == RACE_TYPE_NONE || type == RACE_TYPE_PRACTICE || type == RACE_TYPE_MOTO_1 || type == RACE_TYPE_RESUME) {
    GoToScene(CurrentEntryScene(g_SingleRace));
  } else {
    GoToScene(SceneByRank(g_SingleRace));
  }
}

// Rolls the round's weather once after each race and announces a change
// (scene 20, which leaves to g_SceneAfterWeather); otherwise the garage.
void WeatherStep(std::int32_t after) {
  if (!g_WeatherRolled && g_Championship.current != kClearEntry && g_OptionWeather) {
    RaceEntry* e = g_Championship.Current();
    const std::uint16_t before = e ? e->weather : 0;
    g_Championship.RollWeather(static_cast<std::uint16_t>(g_Championship.current));
    g_WeatherRolled = 1;
    e = g_Championship.Current();
    if (e && e->weather != before) {
      g_WeatherChanged = 1;
      g_SceneAfterWeather = after;
      GoToScene(20);
      return;
    }
  }
  if (g_WeatherChanged) {
    g_SceneAfterWeather = after;
    GoToScene(20);
  } else {
    GoToScene(5);
  }
}

void AfterRace(std::int32_t, std::int32_t, const char*) {
  if (!IsChampionshipSeries()) return;
  const int fee = g_Championship.GetNextRoundFee();
  const int money = g_GameController.money;
  if (money < fee) {
    if (g_RaceType == RACE_TYPE_MOTO_2) {
      OpenDialog(0);
    } else {
      WeatherStep(2);
    }
    return;
  }
  if (g_RaceType == RACE_TYPE_MOTO_2) {
    g_Championship.NextRound();
    const bool net = g_GameMode == GAME_MODE_MULTIPLAYER;
    GoToScene(g_NoBudget ? (net ? 24 : 18) : (net ? 23 : 3));
    return;
  }
  WeatherStep(2);
}

void AwardMotoPoints(std::int32_t, std::int32_t, const char*) { g_Championship.AwardMotoPoints(); }

void PayEntryFee(std::int32_t, std::int32_t, const char*) {
  if (g_NoBudget) return;
  g_Championship.PayEntryFee();
  Nested(CMD_RESET_CONDITIONS, 1);
}

void SetRaceType(std::int32_t a1, std::int32_t, const char*) { g_RaceType = static_cast<std::uint8_t>(a1); }

void LoadEventData(std::int32_t, std::int32_t, const char*) {
  if (g_GameSkill > 2) return;
  char list[32];
  char table[32];
  std::snprintf(list, sizeof list, "DATA\\UI\\LIST%d.PLT", g_GameSkill + 1);
  std::snprintf(table, sizeof table, "DATA\\UI\\CMP%d.RLT", g_GameSkill + 2);
  g_PlayersList.Load(list);
  if (IsChampionshipSeries()) {
    g_Championship.Load(table);
  } else {
    g_SingleRace.Load(table);
  }
  UiScene* scene = CurrentUiScene();
  if (g_SceneNumber == 1 && scene && scene->GetState() != 0) {
    Nested(CMD_SHOW_RIDER_CHOICE);
    Nested(CMD_REFRESH_PLAYER_NAME);
  }
}

void ShowWeatherButtons(UiScene* scene, std::int32_t shown) {
  const std::uint16_t first = g_SceneNumber == 4 ? 6 : 4;
  int on = -1;
  std::uint32_t text = 0;
  if (!g_OptionWeather || shown == 0) {
    on = 0, text = 32;
  } else if (shown == 1) {
    on = 1, text = 33;
  } else if (shown == 2 || shown == 3) {
    on = 2, text = 34;
  } else {
    return;
  }
  for (int b = 0; b < 3; ++b) {
    const std::uint16_t i = static_cast<std::uint16_t>(first + b);
    if (i < scene->buttons.count) scene->buttons[i].SetToggle(b == on);
  }
  SetStaticText(scene, 9, g_TextDatabase.Text(text));
}

void SetWeather(std::int32_t a1, std::int32_t, const char*) {
  if (g_OptionWeather && g_SingleRace.current != kClearEntry) {
    g_SingleRace.SetWeather(a1 == 2 && !g_OptionFogDistance ? 3 : static_cast<std::uint8_t>(a1));
  } else {
    g_SingleRace.SetWeather(0);
    a1 = 0;
  }
  // The network game sends a1 as given here, before 2 becomes 3.
  UiScene* scene = CurrentUiScene();
  if (scene && (g_SceneNumber == 4 || g_SceneNumber == 21)) ShowWeatherButtons(scene, a1);
}

void ShowEvent(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  if (g_SingleRace.current != 0 && scene->choosers.count > 0) {
    scene->choosers[0].GoToPage(static_cast<std::uint16_t>(g_SingleRace.current));
  }
  const RaceEntry* e = g_SingleRace.Current();
  if (g_OptionWeather && g_SingleRace.current != kClearEntry && e) {
    Nested(CMD_SET_WEATHER, e->weather);
  } else {
    Nested(CMD_SET_WEATHER, 0);
  }
}

void FormatLapRecord(const RaceTime& t, char* out, std::size_t size) {
  if (t.totalMs == 0) {
    std::snprintf(out, size, "--'--\"--");
  } else {
    std::snprintf(out, size, "%02d'%02d\"%02d", t.minutes % 100, t.seconds % 100, t.hundredths % 100);
  }
}

void ShowEntryFacts(UiScene* scene, const RaceEntry& e) {
  char text[64];
  FormatLapRecord(e.lapRecord, text, sizeof text);
  SetStaticText(scene, 3, text);
  if (g_OptionMPH) {
    std::snprintf(text, sizeof text, "%.2f MI", static_cast<double>(static_cast<float>(e.trackInfo[1]) * 0.001f * 0.621f));
  } else {
    std::snprintf(text, sizeof text, "%d M", e.trackInfo[1]);
  }
  SetStaticText(scene, 1, text);
  static const std::uint32_t kFirst[3] = {27, 28, 26};
  static const std::uint32_t kSecond[3] = {29, 30, 31};
  if (e.trackInfo[0] < 3) SetStaticText(scene, 5, g_TextDatabase.Text(kFirst[e.trackInfo[0]]));
  if (e.trackInfo[2] < 3) SetStaticText(scene, 7, g_TextDatabase.Text(kSecond[e.trackInfo[2]]));
}

void ShowTrackInfo(std::int32_t, std::int32_t, const char*) {
  g_RaceType = RACE_TYPE_NONE;
  g_PreviousRaceType = 0;
  g_PracticeSkipped = 0;
  g_QualifyingSkipped = 0;
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  if (!IsChampionshipSeries()) {
    if (const RaceEntry* e = g_SingleRace.Current()) ShowEntryFacts(scene, *e);
    const bool clearOff = scene->buttons.count > 6 && !scene->buttons[6].toggleState;
    if (g_SingleRace.current == kClearEntry && clearOff) Nested(CMD_SET_WEATHER, 0);
    return;
  }
  if (scene->choosers.count > 0 && g_Championship.current >= 0) {
    scene->choosers[0].GoToPage(static_cast<std::uint16_t>(g_Championship.current));
  }
  const RaceEntry* e = g_Championship.Current();
  if (!e) return;
  ShowEntryFacts(scene, *e);
  if (e->weather == 0) SetStaticText(scene, 9, g_TextDatabase.Text(32));
  if (e->weather == 1) SetStaticText(scene, 9, g_TextDatabase.Text(33));
  if (e->weather == 2 || e->weather == 3) SetStaticText(scene, 9, g_TextDatabase.Text(34));
}

void StartEvent(std::int32_t a1, std::int32_t, const char*) {
  const std::uint8_t type = g_RaceType;
  if (a1 == 0) {
    if (type != RACE_TYPE_MOTO_1) {
      GoToScene(10);
    } else if (g_NoBudget) {
      WeatherStep(26);
    } else {
      GoToScene(2);
    }
    return;
  }
  if (IsChampionshipSeries()) {
    if (type == RACE_TYPE_MOTO_1) {
      GoToScene(26);
    } else if (type == RACE_TYPE_MOTO_2) {
      GoToScene(9);
    } else if (g_NoBudget) {
      WeatherStep(type == RACE_TYPE_PRACTICE ? 12 : 13);
    } else {
      GoToScene(2);
    }
    return;
  }
  switch (g_GameMode) {
    case GAME_MODE_SINGLE_RACE: GoToScene(type == RACE_TYPE_MOTO_2 ? 4 : 5); break;
    case GAME_MODE_QUICK_RACE:
      g_SingleRace.Reset();
      GoToScene(0);
      break;
    default:
      if (type != RACE_TYPE_MOTO_2) {
        GoToScene(5);
        break;
      }
      // A new event: its choice has to be confirmed again, and players may
      // join between events.
      g_NetConfirmed = 0;
      if (g_NetGame->isHost) g_NetGame->EnableJoining();
      GoToScene(21);
      break;
  }
}

void EndEvent(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene || scene->IsClosing()) return;
  if (g_Championship.AllRoundsDone()) {
    g_Championship.Reset();
    if (g_GameMode == GAME_MODE_MULTIPLAYER) g_NetGame->LeaveSession();
    GoToScene(0);
    return;
  }
  if (g_GameController.money < static_cast<int>(g_Championship.GetNextRoundFee())) {
    OpenDialog(2);
    return;
  }
  if (g_NoBudget) {
    g_ConditionEngine[0] = g_ConditionWheels[0] = g_ConditionSuspension[0] = g_ConditionBrakes[0] =
        g_ConditionGearbox[0] = 1.0f;
    g_Championship.NextRound();
    GoToScene(g_GameMode == GAME_MODE_MULTIPLAYER ? 24 : 18);
  } else {
    GoToScene(2);
  }
}

void ShowRoundWeather(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  scene->exitSceneSet = 1;
  scene->exitScene = g_SceneAfterWeather;
  WidgetList<Panel> panels;
  panels.items.reset(new (std::nothrow) Panel[1]);
  WidgetList<StaticText> texts;
  texts.items.reset(new (std::nothrow) StaticText[1]);
  if (!panels.items || !texts.items) {
    ShowMessageBox("Error: not enough memory.\nAborting program execution.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    g_App.RequestClose();
    return;
  }
  panels.count = 1;
  texts.count = 1;
  const RaceEntry* e = g_Championship.Current();
  const int weather = e ? e->weather : -1;
  const char* picture = nullptr;
  if (weather == 0) picture = "DATA\\UI\\30C00O01.OSP";
  if (weather == 1) picture = "DATA\\UI\\30C00O02.OSP";
  if (weather == 2 || weather == 3) picture = "DATA\\UI\\30C00O03.OSP";
  if (picture) panels[0].Load(picture);
  scene->panels = std::move(panels);
  StaticText& t = texts[0];
  t.SetFont(0);
  t.SetAnchors(1, 1);
  t.SetCentring(1, 0);
  t.SetPosition(320.0f, 150.0f, 0.0f);
  t.SetScale(1.0f, 1.0f, 1.0f);
  t.SetText(g_TextDatabase.Text(1009));
  t.SetColour(kOrange[0], kOrange[1], kOrange[2], 0, 0);
  scene->staticTexts = std::move(texts);
}

void StartDirectRace(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene || scene->choosers.count == 0 || !scene->choosers[0].IsIdle()) return;
  const std::int16_t shown = scene->choosers[0].currentPage;
  Nested(CMD_SET_GAME_MODE, GAME_MODE_SINGLE_RACE);
  Nested(CMD_SET_RACE_TYPE, RACE_TYPE_QUALIFYING);
  Nested(CMD_LOAD_EVENT_DATA);
  g_PlayersList.Select(0, 8);
  g_PlayersList.Select(8, 0);
  GoToScene(shown == 0 ? 33 : 43);
}

}  // namespace

bool Championship::AllRoundsDone() const {
  for (std::uint8_t played : roundPlayed) {
    if (!played) return false;
  }
  return true;
}

void RaceSeries::GetLapRecord(RaceTime* out) {
  if (RaceEntry* e = Current()) *out = e->lapRecord;
}

void RegisterEventCommands(CommandTable* table) {
  table->handlers[CMD_SET_GAME_MODE] = SetGameMode;
  table->handlers[CMD_PREVIOUS_EVENT] = PreviousEvent;
  table->handlers[CMD_NEXT_EVENT] = NextEvent;
  table->handlers[CMD_CONTINUE_EVENT] = ContinueEvent;
  table->handlers[CMD_AFTER_RACE] = AfterRace;
  table->handlers[CMD_AWARD_MOTO_POINTS] = AwardMotoPoints;
  table->handlers[CMD_PAY_ENTRY_FEE] = PayEntryFee;
  table->handlers[CMD_SET_RACE_TYPE] = SetRaceType;
  table->handlers[CMD_LOAD_EVENT_DATA] = LoadEventData;
  table->handlers[CMD_SET_WEATHER] = SetWeather;
  table->handlers[CMD_SHOW_EVENT] = ShowEvent;
  table->handlers[CMD_SHOW_TRACK_INFO] = ShowTrackInfo;
  table->handlers[CMD_START_EVENT] = StartEvent;
  table->handlers[CMD_END_EVENT] = EndEvent;
  table->handlers[CMD_SHOW_ROUND_WEATHER] = ShowRoundWeather;
  table->handlers[CMD_START_DIRECT_RACE] = StartDirectRace;
}
