#include "riders/net_state.h"

#include <cmath>

namespace {

std::int32_t Quantise(float v, float scale, std::int32_t limit) {
  const float s = v * scale;
  if (std::isnan(s)) return 0;
  const float lim = static_cast<float>(limit);
  if (s >= lim) return limit;
  if (s <= -lim) return -limit;
  return static_cast<std::int32_t>(std::trunc(s));
}

void PutInt16(NetRiderRecord& r, int at, std::int32_t v) {
  const auto u = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
  r[at] = static_cast<std::uint8_t>(u & 0xff);
  r[at + 1] = static_cast<std::uint8_t>(u >> 8);
}

std::int16_t GetInt16(const NetRiderRecord& r, int at) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(r[at] | (r[at + 1] << 8)));
}

float GetInt8(const NetRiderRecord& r, int at) { return static_cast<float>(static_cast<std::int8_t>(r[at])); }

}  // namespace

NetRiderRecord EncodeRiderState(const NetRiderState& state) {
  NetRiderRecord r{};
  for (int i = 0; i < 4; ++i) r[i] = static_cast<std::uint8_t>(state.type >> (8 * i));
  r[4] = state.freshCount;
  PutInt16(r, 6, Quantise(state.position.x, 32.767f, 32767));
  PutInt16(r, 8, Quantise(state.position.y, 32.767f, 32767));
  PutInt16(r, 10, Quantise(state.position.z, 32.767f, 32767));
  const float q[4] = {state.orientation.w, state.orientation.x, state.orientation.y, state.orientation.z};
  for (int i = 0; i < 4; ++i) {
    r[12 + i] = static_cast<std::uint8_t>(static_cast<std::int8_t>(Quantise(q[i], 127.0f, 127)));
  }
  r[16] = state.crashed;
  r[17] = state.onTrack;
  return r;
}

NetRiderState DecodeRiderState(const NetRiderRecord& r) {
  NetRiderState s;
  s.type = std::uint32_t{r[0]} | (std::uint32_t{r[1]} << 8) | (std::uint32_t{r[2]} << 16) | (std::uint32_t{r[3]} << 24);
  s.freshCount = r[4];
  constexpr float kPosition = 0.03051851f;
  constexpr float kPart = 0.007874016f;
  s.position = Vector3(static_cast<float>(GetInt16(r, 6)) * kPosition, static_cast<float>(GetInt16(r, 8)) * kPosition,
                       static_cast<float>(GetInt16(r, 10)) * kPosition);
  s.orientation =
      Quaternion(GetInt8(r, 12) * kPart, GetInt8(r, 13) * kPart, GetInt8(r, 14) * kPart, GetInt8(r, 15) * kPart);
  s.crashed = r[16];
  s.onTrack = r[17];
  return s;
}
