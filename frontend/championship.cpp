#include "frontend/championship.h"

#include <strings.h>

#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "frontend/game_controller.h"
#include "frontend/options.h"
#include "frontend/players_list.h"
#include "frontend/series_internal.h"
#include "platform/win32/crt.h"

Championship::Championship() = default;

Championship::~Championship() = default;

bool Championship::Load(const char* fileName) {
  if (!ReadFile(fileName, "File error opening championship data.\nPlease reinstall Kelvarro.")) return false;
  roundPlayed.assign(entryCount, 0);
  for (int i = 0; i < 20; ++i) {
    positions[i].assign(static_cast<std::size_t>(entryCount) * 2, 0);
    noScore[i].assign(static_cast<std::size_t>(entryCount) * 2, 0);
  }
  for (std::uint16_t r = 0; r < entryCount; ++r) {
    entries[r].weather = 0;
    if (strcasecmp(entries[r].trackName, "BRAZIL") != 0 && g_OptionWeather) RollWeather(r);
  }
  return true;
}

void Championship::RollWeather(std::uint16_t round) {
  if (round >= entryCount) return;
  const float r = static_cast<float>(crt::rand()) * 3.0518509e-05f;
  std::uint16_t w = 0;
  if (r < 0.15f) {
    w = 1;
  } else if (r < 0.30f) {
    w = g_OptionFogDistance ? 2 : 3;
  }
  entries[round].weather = w;
}

std::uint16_t Championship::GetCurrentSceneNumber() {
  RaceEntry* e = Current();
  if (!e) return 0;
  roundPlayed[static_cast<std::size_t>(current)] = 1;
  return e->sceneNumber;
}

void Championship::Previous() { current = previousRound; }

void Championship::Next() {
  previousRound = current;
  ++roundsStarted;
  if (entryCount == 0) return;
  std::uint16_t unplayed = 0;
  for (std::uint8_t p : roundPlayed) unplayed = static_cast<std::uint16_t>(unplayed + (p == 0));
  if (unplayed == 0) return;
  if (g_RandomRoundOrder) {
    int p;
    do {
      p = crt::rand() / (crt::RAND_MAX_VALUE / entryCount);
    } while (p >= entryCount || roundPlayed[static_cast<std::size_t>(p)] != 0);
    current = static_cast<std::int16_t>(p);
    return;
  }
  for (std::uint16_t r = 0; r < entryCount; ++r) {
    if (roundPlayed[r] == 0) {
      current = static_cast<std::int16_t>(r);
      return;
    }
  }
}

void Championship::PayEntryFee() {
  if (roundsStarted < entryCount) AddMoney(&g_PlayersList.entries[0].money, -entries[roundsStarted].entryFee);
}

std::uint16_t Championship::GetNextRoundFee() const {
  const std::uint32_t next = roundsStarted + 1u;
  return next < entryCount ? entries[next].entryFee : 0;
}

void Championship::AwardMotoPoints() {
  const int moto = g_RaceType - RACE_TYPE_MOTO_1;
  RaceEntry* e = Current();
  if (!e || moto < 0 || moto > 1) return;
  const std::size_t column = static_cast<std::size_t>(current) * 2 + static_cast<std::size_t>(moto);
  if (!g_NoBudget && outOfRace[0] == 0) {
    const std::uint8_t place = positions[0][column];
    const int prize = place == 1 ? e->prize1 : place == 2 ? e->prize2 : place == 3 ? e->prize3 : 0;
    AddMoney(&g_PlayersList.entries[0].money, prize);
  }
  for (std::uint32_t i = 0; i < g_RiderCount && i < 20; ++i) {
    if (outOfRace[i] == 0) AddPoints(&g_PlayersList.entries[i].points, MotoPoints(positions[i][column]));
  }
}

std::uint8_t Championship::GetMotoPoints(std::uint32_t slot, std::uint32_t round, bool moto1) const {
  if (slot >= 20 || round >= entryCount || roundPlayed[round] == 0) return 0;
  const std::size_t column = round * 2 + (moto1 ? 0 : 1);
  if (noScore[slot][column]) return 0;
  return MotoPoints(positions[slot][column]);
}

void Championship::SetMotoResult(std::uint32_t slot, std::uint32_t round, bool moto1, std::uint8_t points,
                                 bool noScoreFlag) {
  if (slot >= 20 || round >= entryCount) return;
  const std::size_t column = round * 2 + (moto1 ? 0 : 1);
  noScore[slot][column] = noScoreFlag ? 1 : 0;
  std::uint8_t position = 20;
  if (!noScoreFlag) {
    for (std::uint8_t p = 1; p <= 15; ++p) {
      if (MotoPoints(p) == points) position = p;
    }
  }
  positions[slot][column] = position;
}

void Championship::Reset() {
  g_GameController.Command(CMD_RESET_CONDITIONS, 0, 0, "NULL");
  g_GameController.Command(CMD_RESET_SETUP, 0, 0, "NULL");
  g_RaceType = RACE_TYPE_NONE;
  current = 0;
  previousRound = 0;
  roundsStarted = 0;
  g_WeatherChanged = 0;
  g_WeatherRolled = 0;
  g_PracticeSkipped = 0;
  g_QualifyingSkipped = 0;
  g_QualifyingSkippedNoFee = 0;
  roundPlayed.assign(entryCount, 0);
  for (int i = 0; i < 20; ++i) {
    positions[i].assign(static_cast<std::size_t>(entryCount) * 2, 0);
    noScore[i].assign(static_cast<std::size_t>(entryCount) * 2, 0);
  }
  for (std::uint32_t i = 0; i < g_RiderCount && i < 20; ++i) g_PlayersList.entries[i].points = 0;
  ResetBikeConditions(g_RiderCount);
  g_RandomRoundOrder = 0;
  g_MissileMode = 0;
}
