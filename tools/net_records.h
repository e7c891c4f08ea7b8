// Writers of the network messages that the game reads from its peers.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tools/bytes.h"

namespace kelvdata {

// The 20-byte rider-state record, field by field as it travels: the type,
// the host's fresh count, a spare byte, the position x, y, z in units of
// 1/32.767 m, the orientation w, x, y, z in units of 1/127, the crashed and
// on-track flags and two spare bytes.
struct RiderStateSpec {
  std::uint32_t type = 0x1016;
  std::uint8_t freshCount = 1;
  std::array<std::int16_t, 3> position = {};
  std::array<std::int8_t, 4> orientation = {127, 0, 0, 0};
  std::uint8_t crashed = 0;
  std::uint8_t onTrack = 1;
};
Bytes BuildRiderState(const RiderStateSpec& spec);

// The game's messages, each written from its table: the u32 type first,
// then the fields at their offsets, every other byte zero.
Bytes BuildNetSignal(std::uint32_t type);
Bytes BuildNetValue(std::uint32_t type, std::uint32_t value);
Bytes BuildNetSelection(std::uint16_t eventIndex, std::uint16_t pageValue);
// The name's bytes fill the 16-byte field as given (cut at 16, zeros after),
// so a name of 16 characters arrives without its NUL.
Bytes BuildNetPlayerInfo(std::uint32_t playerId, const std::string& name, std::uint16_t riderNumber);
// The same for the 36-byte line.
Bytes BuildNetPlayerText(const std::string& text);

// A race time record: thousandths, hundredths, seconds, minutes, hours (u16
// each), two zero bytes, total milliseconds (u32).
struct RaceTimeSpec {
  std::array<std::uint16_t, 5> digits = {};
  std::uint32_t totalMs = 0;
};

struct NetRaceSetupSpec {
  RaceTimeSpec raceLength;
  std::uint16_t skill = 0;
  std::uint8_t championship = 0;
  std::uint8_t weatherOption = 0;
  std::uint8_t noBudget = 0;
  std::uint8_t damageOption = 0;
  std::uint16_t round = 0;
  std::array<std::uint16_t, 100> roundWeather = {};
  std::array<std::uint32_t, 7> playerIds = {};
  // [player k][round r]
  std::array<std::array<std::uint8_t, 100>, 7> noScore1 = {};
  std::array<std::array<std::uint8_t, 100>, 7> noScore2 = {};
  std::array<std::array<std::uint8_t, 100>, 7> points1 = {};
  std::array<std::array<std::uint8_t, 100>, 7> points2 = {};
};
Bytes BuildNetRaceSetup(const NetRaceSetupSpec& spec);

struct NetRaceStartSpec {
  std::uint16_t eventIndex = 0;
  std::uint8_t weather = 0;
  std::uint8_t gridReversal = 0;
  std::array<std::uint32_t, 7> playerIds = {};
  std::array<std::uint8_t, 7> gridPositions = {};
};
Bytes BuildNetRaceStart(const NetRaceStartSpec& spec);

// Seven ids, then seven rider-state records (each record's own type word as
// its spec gives it).
Bytes BuildNetSnapshot(const std::array<std::uint32_t, 7>& playerIds, const std::array<RiderStateSpec, 7>& states);
// Engine, wheels, suspension, clutch, gearbox.
Bytes BuildNetRiderFactors(const std::array<float, 5>& values);
Bytes BuildNetAllFactors(const std::array<std::uint32_t, 7>& playerIds,
                         const std::array<std::array<float, 5>, 7>& values);

struct NetResultSpec {
  std::uint32_t playerId = 0;
  std::uint8_t position = 0;
  RaceTimeSpec finishTime;
  RaceTimeSpec bestLap;
  std::uint8_t laps = 0;
  std::uint8_t out = 0;
};
Bytes BuildNetResult(const NetResultSpec& spec);

// Seeds of the message decoders' fuzz target: a byte that picks the type
// (its index among the 26 in value order), then the message after its type
// word; a first byte of 26 or more is followed by a whole message, type
// word and all.
bool WriteNetMessageSeeds(const std::string& dir);

// Seeds of the remote rider's fuzz target: single records and a stream of
// records, each followed by a byte that the target takes as frames to run.
bool WriteRiderStateSeeds(const std::string& dir);

}  // namespace kelvdata
