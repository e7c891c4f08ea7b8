// The riders of the current event (20 rider slots, slot 0 the player) and
// the riders that can be chosen (20 loaded entries), read from the players
// list file of the skill class ("DATA\UI\LIST1.PLT" to "LIST3.PLT").
//
// Players list file, little-endian (name = u32 n with the NUL, n bytes,
// n 1..256): exactly 20 records of u16 rider number, names extra text, name
// and rider file, 6 x u8 ratings.
#pragma once

#include <cstdint>

#include "riders/rider_setup.h"

class DataReader;

constexpr int PLAYER_SLOTS = 20;
constexpr std::uint32_t PLAYER_NAME_SIZE = 256;

struct PlayerEntry {
  std::uint16_t riderNumber = 0;
  char name[PLAYER_NAME_SIZE] = {};
  std::uint32_t netPlayerId = 0;  // 0: the slot is free
  char extraText[PLAYER_NAME_SIZE] = {};
  std::int16_t money = 0;  // entry 0 only
  char riderFile[PLAYER_NAME_SIZE] = {};
  std::int16_t points = 0;
  std::int16_t chosenRider = -1;  // -1 while none was chosen
  std::uint8_t gridPosition = 0;
  std::uint8_t ratings[6] = {};
  RiderSetup setup;
};

// One record of the file as read.
struct PlayerRecord {
  std::uint16_t riderNumber = 0;
  char extraText[PLAYER_NAME_SIZE] = {};
  char name[PLAYER_NAME_SIZE] = {};
  char riderFile[PLAYER_NAME_SIZE] = {};
  std::uint8_t ratings[6] = {};
};

bool ReadPlayerRecord(DataReader* r, PlayerRecord* record);

class PlayersList {
 public:
  PlayersList();

  // All 20 records must read; a damaged file changes nothing.
  bool Load(const char* fileName);
  // Slot a takes loaded entry 20 + b; slot 0 also reloads the set-up editor.
  // Out-of-range indices do nothing.
  void Select(std::uint8_t a, std::uint8_t b);
  // g_RiderSetups slot a = loaded entry 20 + a's set-up.
  void PublishSetup(std::uint16_t a);
  // Slot i holds a rider of the race: below 20 and, in a network game, taken.
  bool IsPresent(std::uint32_t i) const;
  // Slot a's name; slot 0's also becomes the player's own name.
  void SetName(std::uint32_t a, const char* text);
  // Every slot takes its name back from the list as loaded.
  void RestoreNames();

  PlayerEntry entries[2 * PLAYER_SLOTS];
  char originalNames[PLAYER_SLOTS][PLAYER_NAME_SIZE] = {};
  char playerName[PLAYER_NAME_SIZE] = {};
};

// Copies `from` into a field of `size` bytes, cut with a NUL.
void CopyName(char* to, std::size_t size, const char* from);
