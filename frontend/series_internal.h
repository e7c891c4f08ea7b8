// Helpers the series, the players list, the save games and the garage share.
#pragma once

#include <cstdint>

// Slots 0..count-1 of the five bike-condition arrays to 1.0 (new).
void ResetBikeConditions(std::uint32_t count);
// Money and points grow and shrink saturating at the s16 range.
void AddPoints(std::int16_t* points, int add);
inline void AddMoney(std::int16_t* money, int add) { AddPoints(money, add); }
