// Writers of the game-mode files: the results table (.RLT), the players list
// (.PLT) and the save game (.SVD), byte by byte from their tables. A "name"
// is a u32 length (the text and its NUL) followed by those bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/bytes.h"

namespace kelvdata {

// The 28 set-up values a file holds: record fields 0..3 and 5..28.
using SetupValues = std::array<float, 28>;

struct RltEntrySpec {
  std::uint16_t unused = 0;
  std::uint16_t sceneNumber = 10;
  std::string trackName = "TRACK";
  std::string name2 = "";
  std::string name3 = "";
  std::uint8_t playerAtBack = 0;
  std::uint16_t entryFee = 0;
  std::uint16_t prizes[3] = {0, 0, 0};
  std::uint16_t weather = 0;
  std::uint16_t trackInfo[3] = {0, 0, 0};
  std::uint16_t lapMinutes = 0;
  std::uint16_t lapSeconds = 0;
  std::uint16_t lapHundredths = 0;
  SetupValues setup = {};
};

struct RltSpec {
  std::uint16_t startMoney = 0;
  std::vector<RltEntrySpec> entries;
};

Bytes BuildRlt(const RltSpec& spec);
// Offsets of an entry's lap record and set-up in a file BuildRlt wrote.
std::size_t RltLapRecordOffset(const RltSpec& spec, std::size_t entry);
std::size_t RltSetupOffset(const RltSpec& spec, std::size_t entry);

struct PltRecordSpec {
  std::uint16_t riderNumber = 0;
  std::string extraText = "A";
  std::string name = "RIDER";
  std::string riderFile = "DATA\\TRACK\\RIDER.RDR";
  std::uint8_t ratings[6] = {50, 50, 50, 50, 50, 50};
};

// Exactly the records given (the game reads 20).
Bytes BuildPlt(const std::vector<PltRecordSpec>& records);

struct SvdSpec {
  std::string label = "SAVE";
  std::uint8_t skill = 0;
  std::uint32_t riderCount = 8;
  std::uint16_t minutes = 4;
  std::uint8_t damages = 1;
  std::uint8_t weatherOption = 1;
  std::uint16_t current = 0;
  std::uint16_t previous = 0;
  std::uint16_t weather = 0;
  std::uint16_t chosenRider = 0;
  std::string playerName = "PLAYER";
  std::uint16_t money = 0;
  float conditions[5] = {1, 1, 1, 1, 1};
  SetupValues setup = {};
  // Per rider slot: round count x 2 bytes (moto 1, moto 2 per round).
  std::vector<std::vector<std::uint8_t>> positions;
  std::vector<std::vector<std::uint8_t>> noScore;
  std::vector<std::uint8_t> played;
};

Bytes BuildSvd(const SvdSpec& spec);

// The synthetic results tables ("CMP2.RLT" to "CMP4.RLT": ten rounds on the
// data set's courses, the special-weather track "BRAZIL" at round index 9 on
// the wet course) and players lists ("LIST1.PLT" to "LIST3.PLT": record i
// numbered i with the mark 'A' + i and its own rider file RIDERi.RDR) of
// skill classes 0..2.
RltSpec SyntheticRlt(int skill);
std::vector<PltRecordSpec> SyntheticPlt(int skill);

// A save game of skill class 0 that matches SyntheticRlt(0): 8 riders, two
// rounds played, round 2 current.
SvdSpec SyntheticSvd();

}  // namespace kelvdata
