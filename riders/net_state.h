// The rider-state record that a player's machine sends and a remote rider
// follows: position and orientation packed into 20 little-endian bytes.
#pragma once

#include <cstdint>

#include "engine/maths.h"
#include "engine/services/net_game.h"

// One rider state as the record carries it.
struct NetRiderState {
  std::uint32_t type = 0;
  std::uint8_t freshCount = 0;  // the host's count of new states; a sender leaves it 0
  Vector3 position = Vector3(0.0f, 0.0f, 0.0f);
  Quaternion orientation = Quaternion(1.0f, 0.0f, 0.0f, 0.0f);
  std::uint8_t crashed = 0;
  std::uint8_t onTrack = 0;
};

// Positions x 32.767 and quaternion parts x 127, truncated towards zero.
// Values beyond the fields are clamped to +-32767 and +-127 (so a part just
// above 1 cannot wrap round to a flipped sign), and a NaN goes as 0.
NetRiderRecord EncodeRiderState(const NetRiderState& state);
NetRiderState DecodeRiderState(const NetRiderRecord& record);
