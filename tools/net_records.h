// Writers of the network messages that the game reads from its peers.
#pragma once

#include <array>
#include <cstdint>

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

// Seeds of the remote rider's fuzz target: single records and a stream of
// records, each followed by a byte that the target takes as frames to run.
bool WriteRiderStateSeeds(const std::string& dir);

}  // namespace kelvdata
