// The centre lines, heights and widths of the data set's second and third
// courses.
#include <cmath>

#include "tools/course_set.h"

namespace kelvdata {

namespace {

constexpr float kPi = 3.14159265f;

float Clamp01(float v) { return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v; }

// sin^2 of a bump `length` sections long starting at `from`, 0 outside.
float Bump(float s, float from, float length) {
  const float t = s - from;
  if (t <= 0.0f || t >= length) return 0.0f;
  const float k = std::sin(kPi * t / length);
  return k * k;
}

}  // namespace

float StartWideHalfWidth(float s, int sections, float narrow) {
  const float n = static_cast<float>(sections);
  float d = s < 0.0f ? -s : s;
  if (d > n * 0.5f) d = n - d;
  // Full width to three sections from the line, `narrow` from nine on.
  return narrow + (12.5f - narrow) * Clamp01((9.0f - d) / 6.0f);
}

void BrackenPoint(float s, float* x, float* z) {
  // Seven sections on, so that the start line lies on the straightest
  // stretch: its curve stays above 150 m for the first eight sections.
  const float theta = 2.0f * kPi * (s - 7.0f) / static_cast<float>(BRACKEN_SECTIONS);
  // A long loop with a tight bend at each end of its back straight.
  const float r = 85.0f + 16.0f * std::cos(2.0f * theta) - 10.0f * std::cos(3.0f * theta) + 5.0f * std::sin(5.0f * theta);
  *x = r * std::cos(theta);
  *z = r * std::sin(theta);
}

float BrackenHeight(float s) {
  // A long climb to 3.5 m.
  const float hill = 3.5f * Bump(s, static_cast<float>(BRACKEN_HILL_TOP - 8), 16.0f);
  if (hill > 0.0f) return hill;
  // The tabletop: a ramp of two and a half sections up to a 1.6 m lip, the
  // flat top, and a longer landing slope back to the ground.
  const float lip = static_cast<float>(BRACKEN_JUMP_LIP);
  const float end = static_cast<float>(BRACKEN_TABLE_END);
  if (s > lip - 2.5f && s <= lip) return 1.6f * (s - (lip - 2.5f)) / 2.5f;
  if (s > lip && s <= end) return 1.6f;
  if (s > end && s < end + 3.0f) return 1.6f * (end + 3.0f - s) / 3.0f;
  return 0.0f;
}

void MirePoint(float s, float* x, float* z) {
  const float theta = 2.0f * kPi * s / static_cast<float>(MIRE_SECTIONS);
  // A squat loop whose two lobes make a hairpin of about 25 m at the far
  // end; the start is on its straightest stretch.
  const float r = 64.0f + 12.0f * std::cos(2.0f * theta + 1.57f) - 6.0f * std::cos(3.0f * theta);
  *x = 1.15f * r * std::cos(theta);
  *z = 0.85f * r * std::sin(theta);
}

float MireHeight(float s) {
  // Rollers of 0.3 m through the infield, one every four sections, and a
  // low rise before the hairpin.
  float h = 0.0f;
  for (int k = 0; k < 4; ++k) h += 0.3f * Bump(s, 30.0f + 4.0f * static_cast<float>(k), 4.0f);
  return h + 1.2f * Bump(s, 60.0f, 10.0f);
}

}  // namespace kelvdata
