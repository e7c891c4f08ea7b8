#include "riders/hud_text.h"

#include <cmath>
#include <cstdio>

void FormatRevs(float rpm, char* out) {
  const auto n = static_cast<std::int64_t>(rpm);
  const auto digits = static_cast<unsigned>(((n % 100000) + 100000) % 100000);
  char five[8];
  std::snprintf(five, sizeof(five), "%05u", digits);
  int skip = 0;
  while (skip < 4 && five[skip] == '0') ++skip;
  std::snprintf(out, 6, "%s", five + skip);
}

std::uint32_t SpeedReadout(float forwardSpeed, bool mph) {
  std::uint32_t s = forwardSpeed < 0.0f ? 0u : static_cast<std::uint32_t>(forwardSpeed * 3.6f);
  if (mph) s = static_cast<std::uint32_t>(std::ceil(static_cast<float>(s) * 0.621f));
  return s;
}

void FormatRaceTime(std::uint16_t minutes, std::uint16_t seconds, std::uint16_t hundredths, char* out) {
  std::snprintf(out, 9, "%02u'%02u\"%02u", minutes % 100u, seconds % 100u, hundredths % 100u);
}

ConditionShow ConditionLineShow(float c) {
  if (c >= 0.9f) return ConditionShow::HIDDEN;
  if (c == 0.0f) return ConditionShow::BROKEN;
  if (c < 0.25f) return ConditionShow::BLINKING;
  return ConditionShow::STEADY;
}

float NeedleAngle(float value, float top, float bottom) {
  if (value >= top) return -1.5707964f;
  if (top != bottom) return -0.17453292f - (value - bottom) * 1.3962635f / (top - bottom);
  return -0.87266463f;
}
