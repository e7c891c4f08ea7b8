// The rider HUD's readouts as texts, from the followed rider's values.
#pragma once

#include <cstdint>

// Engine speed: five digits of rpm modulo 100000 with at most four leading
// zeros removed ("0", "7543", "23456"). `out` holds at least 6 bytes.
void FormatRevs(float rpm, char* out);
// The speed readout's number: km/h truncated, 0 backwards; in miles per
// hour the ceiling of km/h x 0.621.
std::uint32_t SpeedReadout(float forwardSpeed, bool mph);
// Two digits each of minutes, seconds and hundredths, as 00'00"00. `out`
// holds at least 9 bytes.
void FormatRaceTime(std::uint16_t minutes, std::uint16_t seconds, std::uint16_t hundredths, char* out);

// How a condition line shows: hidden at 0.9 and above, steady down to
// 0.25, blinking below, grey at half alpha when broken.
enum class ConditionShow { HIDDEN, STEADY, BLINKING, BROKEN };
ConditionShow ConditionLineShow(float c);

// The tachometer needle's angle in radians: -pi/2 (straight up) at or
// above the top, from -10 to -90 degrees across the scale, -50 degrees when
// top and bottom are equal.
float NeedleAngle(float value, float top, float bottom);
