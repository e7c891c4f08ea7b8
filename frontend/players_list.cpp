#include "frontend/players_list.h"

#include <cstring>

#include "engine/archive.h"
#include "engine/data_reader.h"
#include "engine/system.h"
#include "frontend/game_controller.h"
#include "frontend/race_series.h"

namespace {

constexpr const char* kDefaultPlayerName = "GARRIK VOLSTAN";

}  // namespace

void CopyName(char* to, std::size_t size, const char* from) {
  if (size == 0) return;
  std::size_t n = from ? strnlen(from, size - 1) : 0;
  if (n) std::memcpy(to, from, n);
  to[n] = '\0';
}

bool ReadPlayerRecord(DataReader* r, PlayerRecord* record) {
  return r->U16(&record->riderNumber) && r->String(record->extraText, PLAYER_NAME_SIZE) &&
         r->String(record->name, PLAYER_NAME_SIZE) && r->String(record->riderFile, PLAYER_NAME_SIZE) &&
         r->Bytes(record->ratings, sizeof record->ratings);
}

PlayersList::PlayersList() {
  entries[0].money = 30000;
  CopyName(playerName, sizeof playerName, kDefaultPlayerName);
}

bool PlayersList::Load(const char* fileName) {
  static constexpr const char* kFileError = "File error opening players list data.\nPlease reinstall Kelvarro.";
  ArchiveFile file;
  if (!fileName || !OpenDataFile(fileName, &file)) {
    ShowMessageBox(kFileError, "Kelvarro", MESSAGE_BOX_ERROR);
    return false;
  }
  // Read whole before anything is applied: a short or damaged file changes
  // nothing.
  DataReader reader(&file);
  static PlayerRecord records[PLAYER_SLOTS];
  for (PlayerRecord& record : records) {
    if (!ReadPlayerRecord(&reader, &record)) {
      ShowMessageBox(kFileError, "Kelvarro", MESSAGE_BOX_ERROR);
      return false;
    }
  }
  for (int i = 0; i < PLAYER_SLOTS; ++i) {
    const PlayerRecord& record = records[i];
    for (PlayerEntry* e : {&entries[i], &entries[PLAYER_SLOTS + i]}) {
      e->riderNumber = record.riderNumber;
      CopyName(e->extraText, sizeof e->extraText, record.extraText);
      CopyName(e->name, sizeof e->name, record.name);
      CopyName(e->riderFile, sizeof e->riderFile, record.riderFile);
      std::memcpy(e->ratings, record.ratings, sizeof e->ratings);
      e->points = 0;
    }
    CopyName(originalNames[i], sizeof originalNames[i], record.name);
    CopySetup(&entries[PLAYER_SLOTS + i].setup, g_RiderSetups[i]);
  }
  CopyName(playerName, sizeof playerName, kDefaultPlayerName);
  return true;
}

void PlayersList::Select(std::uint8_t a, std::uint8_t b) {
  if (a >= PLAYER_SLOTS || b >= PLAYER_SLOTS) return;
  PlayerEntry& slot = entries[a];
  const PlayerEntry& loaded = entries[PLAYER_SLOTS + b];
  CopyName(slot.name, sizeof slot.name, loaded.name);
  CopyName(slot.riderFile, sizeof slot.riderFile, loaded.riderFile);
  slot.riderNumber = loaded.riderNumber;
  CopyName(slot.extraText, sizeof slot.extraText, loaded.extraText);
  std::memcpy(slot.ratings, loaded.ratings, sizeof slot.ratings);
  slot.chosenRider = static_cast<std::int16_t>(loaded.riderNumber);
  CopySetup(&g_RiderSetups[a], loaded.setup);
  if (a == 0) {
    g_GameController.Command(CMD_LOAD_OPTIONS, 1, 0, "");
    g_GameController.Command(CMD_LOAD_OPTIONS, 2, 0, "");
  }
}

void PlayersList::PublishSetup(std::uint16_t a) {
  if (a >= PLAYER_SLOTS) return;
  CopySetup(&g_RiderSetups[a], entries[PLAYER_SLOTS + a].setup);
}

bool PlayersList::IsPresent(std::uint32_t i) const {
  if (i >= PLAYER_SLOTS) return false;
  return g_GameMode != GAME_MODE_MULTIPLAYER || entries[i].netPlayerId != 0;
}
