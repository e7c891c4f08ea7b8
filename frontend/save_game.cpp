// Save games: a championship in progress with the players list, the options
// that shape the event and the player's bike, in four slots.
#include <cstring>
#include <string>

#include "engine/data_reader.h"
#include "engine/disk_file.h"
#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "frontend/championship.h"
#include "frontend/game_controller.h"
#include "frontend/options.h"
#include "frontend/players_list.h"
#include "frontend/series_internal.h"
#include "platform/win32/files.h"
#include "riders/rider_physics.h"

namespace {

constexpr const char* kSavePaths[4] = {"DATA\\SAVE\\01.SVD", "DATA\\SAVE\\02.SVD", "DATA\\SAVE\\03.SVD",
                                       "DATA\\SAVE\\04.SVD"};
constexpr const char* kTempPaths[4] = {"DATA\\SAVE\\01.TMP", "DATA\\SAVE\\02.TMP", "DATA\\SAVE\\03.TMP",
                                       "DATA\\SAVE\\04.TMP"};

constexpr const char* kResultTables[3] = {"DATA\\UI\\CMP2.RLT", "DATA\\UI\\CMP3.RLT", "DATA\\UI\\CMP4.RLT"};
constexpr const char* kPlayersLists[3] = {"DATA\\UI\\LIST1.PLT", "DATA\\UI\\LIST2.PLT", "DATA\\UI\\LIST3.PLT"};

float* const kConditions[5] = {g_ConditionEngine, g_ConditionWheels, g_ConditionSuspension, g_ConditionBrakes,
                               g_ConditionGearbox};

class Out {
 public:
  void U8(std::uint8_t v) { bytes.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void F32(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    U32(u);
  }
  // The text cut to fit a 256-byte field, with its NUL.
  void Name(const char* s) {
    char field[PLAYER_NAME_SIZE];
    CopyName(field, sizeof field, s);
    const std::size_t n = std::strlen(field) + 1;
    U32(static_cast<std::uint32_t>(n));
    bytes.insert(bytes.end(), field, field + n);
  }
  std::string bytes;
};

// A save file as read, before anything is applied.
struct SaveGame {
  char label[PLAYER_NAME_SIZE] = {};
  std::uint8_t skill = 0;
  std::uint32_t riderCount = 0;
  std::uint16_t minutes = 0;
  std::uint8_t damages = 0;
  std::uint8_t weatherOption = 0;
  std::uint16_t current = 0;
  std::uint16_t previous = 0;
  std::uint16_t weather = 0;
  std::uint16_t chosenRider = 0;
  char name[PLAYER_NAME_SIZE] = {};
  std::uint16_t money = 0;
  float conditions[5] = {};
  RiderSetup setup;
  std::vector<std::uint8_t> positions[20];
  std::vector<std::uint8_t> noScore[20];
  std::vector<std::uint8_t> played;
};

bool ReadHeader(DataReader* r, SaveGame* s) {
  if (!r->String(s->label, sizeof s->label) || !r->U8(&s->skill) || !r->U32(&s->riderCount) ||
      !r->U16(&s->minutes) || !r->U8(&s->damages) || !r->U8(&s->weatherOption) || !r->U16(&s->current) ||
      !r->U16(&s->previous) || !r->U16(&s->weather) || !r->U16(&s->chosenRider) ||
      !r->String(s->name, sizeof s->name) || !r->U16(&s->money)) {
    return false;
  }
  for (float& c : s->conditions) {
    if (!r->F32(&c)) return false;
  }
  for (int f = 0; f < RIDER_SETUP_FIELDS; ++f) {
    if (f != 4 && !r->F32(&s->setup.field[f])) return false;
  }
  return true;
}

// The whole file, checked against the round count of the saved skill's
// results table: anything out of range or a length that differs refuses it.
bool ParseSave(const char* path, SaveGame* s, std::uint16_t* rounds) {
  DiskFile file;
  if (!file.Open(path, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) return false;
  DataReader r(&file);
  if (!ReadHeader(&r, s)) return false;
  if (s->skill > 2 || s->riderCount < 8 || s->riderCount > 20 || s->minutes < 2 || s->minutes > 40) return false;
  if (s->chosenRider >= 20 && s->chosenRider != 0xFFFF) return false;
  std::uint16_t money = 0;
  std::vector<RaceEntry> entries;
  std::vector<RiderSetup> setups;
  if (!RaceSeries::ParseFile(kResultTables[s->skill], &money, &entries, &setups)) return false;
  *rounds = static_cast<std::uint16_t>(entries.size());
  if (s->current >= *rounds || s->previous >= *rounds) return false;
  const std::uint64_t tables = static_cast<std::uint64_t>(s->riderCount) * *rounds * 2 * 2 + *rounds;
  if (r.Remaining() != tables) return false;
  for (auto* table : {&s->positions, &s->noScore}) {
    for (std::uint32_t i = 0; i < s->riderCount; ++i) {
      (*table)[i].resize(static_cast<std::size_t>(*rounds) * 2);
      if (!r.Bytes((*table)[i].data(), (*table)[i].size())) return false;
    }
  }
  s->played.resize(*rounds);
  return r.Bytes(s->played.data(), s->played.size());
}

}  // namespace

const char* SaveGamePath(std::uint32_t slot) { return slot < 4 ? kSavePaths[slot] : nullptr; }

bool ReadSaveGameName(std::uint32_t slot, char* out, std::size_t size) {
  if (slot >= 4 || size == 0) return false;
  DiskFile file;
  if (!file.Open(kSavePaths[slot], GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) return false;
  DataReader r(&file);
  char label[PLAYER_NAME_SIZE];
  if (!r.String(label, sizeof label)) return false;
  CopyName(out, size, label);
  return true;
}

bool Championship::Save(std::uint32_t slot, const char* label) {
  if (slot < 2 || slot > 5) return false;
  const std::uint32_t index = slot - 2;
  const std::uint32_t riders = g_RiderCount < 20 ? g_RiderCount : 20;
  Out out;
  out.Name(label ? label : "");
  out.U8(g_GameSkill);
  out.U32(riders);
  out.U16(g_RaceLengthMinutes);
  out.U8(g_OptionDamages);
  out.U8(g_OptionWeather);
  out.U16(static_cast<std::uint16_t>(current));
  out.U16(static_cast<std::uint16_t>(previousRound));
  const RaceEntry* e = Current();
  out.U16(e ? e->weather : 0);
  out.U16(static_cast<std::uint16_t>(g_PlayersList.entries[0].chosenRider));
  out.Name(g_PlayersList.entries[0].name);
  out.U16(static_cast<std::uint16_t>(g_GameController.money));
  for (float c : g_GameController.conditions) out.F32(c);
  for (int f = 0; f < RIDER_SETUP_FIELDS; ++f) {
    if (f != 4) out.F32(g_RiderSetups[0].field[f]);
  }
  for (auto* table : {&positions, &noScore}) {
    for (std::uint32_t i = 0; i < riders; ++i) {
      for (std::uint16_t r = 0; r < entryCount; ++r) {
        out.U8((*table)[i][2u * r]);
        out.U8((*table)[i][2u * r + 1]);
      }
    }
  }
  for (std::uint8_t p : roundPlayed) out.U8(p);

  // Written beside the old save and renamed over it: a failure at any step
  // leaves the old save as it was.
  {
    DiskFile file;
    if (!file.Open(kTempPaths[index], GENERIC_WRITE, CREATE_ALWAYS, 0)) return false;
    const bool written = file.Write(out.bytes.data(), static_cast<int>(out.bytes.size())) && file.Close();
    if (!written) {
      DeleteFileA(kTempPaths[index]);
      return false;
    }
  }
  if (!MoveFileExA(kTempPaths[index], kSavePaths[index], MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileA(kTempPaths[index]);
    return false;
  }
  return true;
}

bool Championship::LoadSaveGame(std::uint32_t slot) {
  if (slot < 2 || slot > 5) return false;
  SaveGame s;
  std::uint16_t rounds = 0;
  if (!ParseSave(kSavePaths[slot - 2], &s, &rounds)) return false;
  // The players list is read into a scratch list first, so that a damaged
  // one refuses the restore before anything has changed.
  {
    static PlayersList scratch;
    if (!scratch.Load(kPlayersLists[s.skill])) return false;
  }

  g_GameController.Command(CMD_SET_SKILL, s.skill, 0, "NULL");
  g_RiderCount = s.riderCount;
  if (!Load(kResultTables[s.skill]) || entryCount != rounds) return false;
  g_PlayersList.Load(kPlayersLists[s.skill]);

  SetRaceLengthMinutes(s.minutes);
  g_OptionDamages = s.damages;
  g_OptionWeather = s.weatherOption;
  current = static_cast<std::int16_t>(s.current);
  previousRound = static_cast<std::int16_t>(s.previous);
  entries[s.current].weather = s.weather;
  // No rider chosen before saving (-1): slot 0 keeps the list's first rider.
  if (s.chosenRider != 0xFFFF) {
    const auto c = static_cast<std::uint8_t>(s.chosenRider);
    g_PlayersList.Select(0, c);
    g_PlayersList.Select(c, 0);
  }

  CopyName(g_PlayersList.entries[0].name, PLAYER_NAME_SIZE, s.name);
  CopyName(g_PlayersList.playerName, PLAYER_NAME_SIZE, s.name);
  g_PlayersList.entries[0].money = static_cast<std::int16_t>(s.money);
  for (int p = 0; p < 5; ++p) {
    kConditions[p][0] = s.conditions[p];
    g_GameController.conditions[p] = s.conditions[p];
  }
  CopySetup(&g_RiderSetups[0], s.setup);

  roundsStarted = 0;
  for (std::uint16_t r = 0; r < rounds; ++r) {
    roundPlayed[r] = s.played[r];
    if (s.played[r]) ++roundsStarted;
  }
  for (std::uint32_t i = 0; i < s.riderCount; ++i) {
    positions[i] = s.positions[i];
    noScore[i] = s.noScore[i];
  }
  for (std::uint32_t i = 0; i < s.riderCount; ++i) {
    int points = 0;
    for (std::uint16_t r = 0; r < rounds; ++r) points += GetMotoPoints(i, r, true) + GetMotoPoints(i, r, false);
    g_PlayersList.entries[i].points = 0;
    AddPoints(&g_PlayersList.entries[i].points, points);
  }
  g_RaceType = RACE_TYPE_NONE;
  g_PreviousRaceType = RACE_TYPE_NONE;
  return true;
}
