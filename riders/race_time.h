// A race time kept as digits with carries, as the race clock, the lap table
// and every rider's lap and best-lap times hold it, plus its total.
#pragma once

#include <cstdint>

struct RaceTime {
  std::uint16_t thousandths = 0;  // milliseconds modulo 10, 0..9
  std::uint16_t hundredths = 0;   // 0..99
  std::uint16_t seconds = 0;      // 0..59
  std::uint16_t minutes = 0;      // 0..59
  std::uint16_t hours = 0;
  std::uint16_t unused = 0;  // keeps the 16-byte record's padding zero
  std::uint32_t totalMs = 0;

  // Adds to the thousandths digit, carries upwards and recomputes the total
  // from the digits.
  void Add(std::uint32_t ms);
  void Clear() { *this = RaceTime(); }
};
static_assert(sizeof(RaceTime) == 16, "a race time travels as 16 bytes");
