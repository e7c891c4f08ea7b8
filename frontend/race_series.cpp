#include "frontend/race_series.h"

#include <cstdint>
#include <cstring>

#include "engine/data_reader.h"
#include "engine/disk_file.h"
#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "engine/system.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/series_internal.h"
#include "platform/win32/files.h"
#include "riders/rider_physics.h"

namespace {

constexpr const char* kSingleRaceFileError = "File error opening single race data.\nPlease reinstall Kelvarro.";

// Bytes of an entry before its names, between its names and its lap record,
// and in all (names excluded).
constexpr std::uint32_t kEntryHead = 4;
constexpr std::uint32_t kLapRecordOffset = 1 + 8 * 2;
constexpr std::uint32_t kSetupOffset = 1 + 11 * 2;
constexpr std::uint32_t kEntryFixed = kEntryHead + kSetupOffset + 28 * 4;
// The smallest entry: three one-byte names.
constexpr std::uint32_t kEntryMinimum = kEntryFixed + 3 * 5;

bool ReadSetup(DataReader* r, RiderSetup* setup) {
  for (int f = 0; f < RIDER_SETUP_FIELDS; ++f) {
    if (f == 4) continue;
    if (!r->F32(&setup->field[f])) return false;
  }
  return true;
}

// Reads past a name; false when it is damaged.
bool SkipName(DataReader* r) {
  char scratch[SERIES_NAME_SIZE];
  return r->String(scratch, SERIES_NAME_SIZE);
}

}  // namespace

void ResetBikeConditions(std::uint32_t count) {
  for (std::uint32_t i = 0; i < count && i < PLAYER_SLOTS; ++i) {
    g_ConditionEngine[i] = g_ConditionWheels[i] = g_ConditionSuspension[i] = 1.0f;
    g_ConditionBrakes[i] = g_ConditionGearbox[i] = 1.0f;
  }
}

void AddPoints(std::int16_t* points, int add) {
  int v = *points + add;
  if (v > INT16_MAX) v = INT16_MAX;
  if (v < INT16_MIN) v = INT16_MIN;
  *points = static_cast<std::int16_t>(v);
}

void CopySetup(RiderSetup* to, const RiderSetup& from) {
  for (int f = 0; f < RIDER_SETUP_FIELDS; ++f) {
    if (f != 4) to->field[f] = from.field[f];
  }
}

std::uint8_t MotoPoints(std::uint32_t position) {
  static constexpr std::uint8_t kPoints[15] = {20, 17, 15, 13, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1};
  return position >= 1 && position <= 15 ? kPoints[position - 1] : 0;
}

bool ReadRaceEntry(DataReader* r, RaceEntry* e, RiderSetup* setup) {
  std::uint16_t unused = 0, minutes = 0, seconds = 0, hundredths = 0;
  if (!r->U16(&unused) || !r->U16(&e->sceneNumber) || !r->String(e->trackName, SERIES_NAME_SIZE) ||
      !r->String(e->name2, SERIES_NAME_SIZE) || !r->String(e->name3, SERIES_NAME_SIZE) || !r->U8(&e->playerAtBack) ||
      !r->U16(&e->entryFee) || !r->U16(&e->prize1) || !r->U16(&e->prize2) || !r->U16(&e->prize3) ||
      !r->U16(&e->weather)) {
    return false;
  }
  for (std::uint16_t& info : e->trackInfo) {
    if (!r->U16(&info)) return false;
  }
  if (!r->U16(&minutes) || !r->U16(&seconds) || !r->U16(&hundredths)) return false;
  e->lapRecord = RaceTime();
  e->lapRecord.minutes = minutes;
  e->lapRecord.seconds = seconds;
  e->lapRecord.hundredths = hundredths;
  e->lapRecord.totalMs = hundredths * 10u + seconds * 1000u + minutes * 60000u;
  return ReadSetup(r, setup);
}

RaceSeries::RaceSeries() = default;

RaceSeries::~RaceSeries() = default;

RaceEntry* RaceSeries::Current() {
  if (current < 0 || current >= entryCount) return nullptr;
  return &entries[static_cast<std::size_t>(current)];
}

void RaceSeries::ClampCurrent() {
  if (current < 0 || current >= entryCount) current = 0;
}

std::uint16_t RaceSeries::GetCurrentSceneNumber() {
  RaceEntry* e = Current();
  return e ? e->sceneNumber : 0;
}

void RaceSeries::Previous() {
  if (entryCount == 0) return;
  current = static_cast<std::int16_t>(current - 1 < 0 ? entryCount - 1 : current - 1);
}

void RaceSeries::Next() {
  if (entryCount == 0) return;
  current = static_cast<std::int16_t>(current + 1 >= entryCount ? 0 : current + 1);
}

void RaceSeries::Select(std::uint8_t i) {
  if (i < entryCount) current = i;
}

bool RaceSeries::ApplySetup() {
  if (Current()) CopySetup(&g_RiderSetups[0], setups[static_cast<std::size_t>(current)]);
  g_GameController.Command(CMD_LOAD_OPTIONS, 1, 0, "NULL");
  g_GameController.Command(CMD_LOAD_OPTIONS, 2, 0, "NULL");
  g_GameController.Command(CMD_SHOW_SETUP, 0, 0, "NULL");
  return true;
}

bool RaceSeries::ParseFile(const char* fileName, std::uint16_t* money, std::vector<RaceEntry>* outEntries,
                           std::vector<RiderSetup>* outSetups) {
  DiskFile file;
  if (!fileName || !file.Open(fileName, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) return false;
  DataReader r(&file);
  std::uint16_t count = 0;
  // A damaged count is refused here, before any allocation.
  if (!r.U16(money) || !r.U16(&count) || r.Remaining() < static_cast<std::uint64_t>(count) * kEntryMinimum) {
    return false;
  }
  std::vector<RaceEntry> newEntries(count);
  std::vector<RiderSetup> newSetups(count);
  for (std::uint16_t i = 0; i < count; ++i) {
    if (!ReadRaceEntry(&r, &newEntries[i], &newSetups[i])) return false;
  }
  *outEntries = std::move(newEntries);
  *outSetups = std::move(newSetups);
  return true;
}

bool RaceSeries::ReadFile(const char* fileName, const char* fileError) {
  // The whole file is read before anything changes: a damaged one leaves
  // the series as it was.
  std::uint16_t money = 0;
  std::vector<RaceEntry> newEntries;
  std::vector<RiderSetup> newSetups;
  if (!ParseFile(fileName, &money, &newEntries, &newSetups)) {
    ShowMessageBox(fileError, "Kelvarro", MESSAGE_BOX_ERROR);
    return false;
  }
  g_PlayersList.entries[0].money = static_cast<std::int16_t>(money > INT16_MAX ? INT16_MAX : money);
  g_GameController.Command(CMD_RESET_CONDITIONS, 1, 0, "NULL");
  entryCount = static_cast<std::uint16_t>(newEntries.size());
  entries = std::move(newEntries);
  setups = std::move(newSetups);
  fileName_ = fileName;
  ClampCurrent();
  return true;
}

bool RaceSeries::WriteInPlace(std::uint32_t fieldOffset, const void* bytes, std::uint32_t size) {
  if (!Current() || fileName_.empty()) return false;
  DiskFile file;
  if (!file.Open(fileName_.c_str(), GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, 0)) {
    ShowMessageBox(kSingleRaceFileError, "Kelvarro", MESSAGE_BOX_ERROR);
    return false;
  }
  DataReader r(&file);
  std::uint16_t money = 0, count = 0;
  if (!r.U16(&money) || !r.U16(&count) || count != entryCount) return false;
  for (std::int16_t i = 0; i <= current; ++i) {
    if (!r.Skip(kEntryHead) || !SkipName(&r) || !SkipName(&r) || !SkipName(&r)) return false;
    if (i == current) break;
    for (std::uint32_t left = kSetupOffset + 28 * 4; left > 0;) {
      const int n = left > 8 ? 8 : static_cast<int>(left);
      if (!r.Skip(n)) return false;
      left -= static_cast<std::uint32_t>(n);
    }
  }
  // The field and everything after it in the entry must lie in the file.
  if (r.Remaining() < kSetupOffset + 28 * 4) return false;
  const int at = file.Tell() + static_cast<int>(fieldOffset);
  return file.Seek(at) && file.Write(bytes, static_cast<int>(size));
}

bool RaceSeries::SaveLapRecord(const RaceTime& rt) {
  RaceEntry* e = Current();
  if (!e) return false;
  e->lapRecord = rt;
  std::uint8_t bytes[6];
  const std::uint16_t words[3] = {rt.minutes, rt.seconds, rt.hundredths};
  for (int i = 0; i < 3; ++i) {
    bytes[2 * i] = static_cast<std::uint8_t>(words[i]);
    bytes[2 * i + 1] = static_cast<std::uint8_t>(words[i] >> 8);
  }
  return WriteInPlace(kLapRecordOffset, bytes, sizeof bytes);
}

bool RaceSeries::StoreSetup() {
  RaceEntry* e = Current();
  if (!e) return false;
  RiderSetup& setup = setups[static_cast<std::size_t>(current)];
  CopySetup(&setup, g_RiderSetups[0]);
  std::uint8_t bytes[28 * 4];
  int at = 0;
  for (int f = 0; f < RIDER_SETUP_FIELDS; ++f) {
    if (f == 4) continue;
    std::uint32_t u;
    std::memcpy(&u, &setup.field[f], 4);
    for (int b = 0; b < 4; ++b) bytes[at++] = static_cast<std::uint8_t>(u >> (8 * b));
  }
  return WriteInPlace(kSetupOffset, bytes, sizeof bytes);
}

SingleRace::SingleRace() { Reset(); }

SingleRace::~SingleRace() = default;

bool SingleRace::Load(const char* fileName) {
  if (!ReadFile(fileName, kSingleRaceFileError)) return false;
  SetWeather(chosenWeather);
  return true;
}

void SingleRace::SetWeather(std::uint8_t w) {
  chosenWeather = w;
  for (RaceEntry& e : entries) e.weather = w;
}

void SingleRace::Reset() {
  g_GameController.Command(CMD_RESET_SETUP, 0, 0, "NULL");
  g_RaceType = RACE_TYPE_NONE;
  current = 0;
  g_WeatherChanged = 0;
  g_WeatherRolled = 0;
  g_PracticeSkipped = 0;
  g_QualifyingSkipped = 0;
  g_QualifyingSkippedNoFee = 0;
  for (std::uint32_t i = 0; i < g_RiderCount && i < PLAYER_SLOTS; ++i) {
    motoPositions[i][0] = motoPositions[i][1] = 0;
    g_PlayersList.entries[i].points = 0;
  }
  ResetBikeConditions(g_RiderCount);
  g_RandomRoundOrder = 0;
  g_MissileMode = 0;
}

void SingleRace::AwardMotoPoints() {
  const int moto = g_RaceType - RACE_TYPE_MOTO_1;
  if (moto < 0 || moto > 1) return;
  for (std::uint32_t i = 0; i < g_RiderCount && i < PLAYER_SLOTS; ++i) {
    if (outOfRace[i] == 0) AddPoints(&g_PlayersList.entries[i].points, MotoPoints(motoPositions[i][moto]));
  }
}
