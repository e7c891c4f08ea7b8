// TEMPORARY stand-in until the sound samples land on main. Replaced at that
// merge.
#pragma once

#include <cstdint>

struct SoundSample {
  std::uint8_t playing = 0;
  void Stop();
};
