// Small helpers shared by the rider physics files.
#pragma once

#include <cmath>

#include "engine/maths.h"
#include "riders/rider.h"
#include "riders/rider_setup.h"
#include "world/track.h"

namespace riderphys {

constexpr float kGravity = 11.767981f;  // 1.2 g
constexpr float kPi = 3.14159265f;

// The unit vector of v; a zero vector stays zero so that nothing undefined
// reaches the state.
inline Vector3 Unit(const Vector3& v) {
  const float l2 = LengthSquared(v);
  if (!(l2 > 0.0f) || !std::isfinite(l2)) return Vector3(0.0f, 0.0f, 0.0f);
  const float l = std::sqrt(l2);
  return v / l;
}

inline float Length(const Vector3& v) { return std::sqrt(LengthSquared(v)); }
inline float Clamp(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }
inline float Clamp01(float v) { return Clamp(v, 0.0f, 1.0f); }

inline Vector3 Row(const float axes[3][3], int r) { return Vector3(axes[r][0], axes[r][1], axes[r][2]); }
inline Vector3 MatrixRow(const Matrix4& m, int r) { return Vector3(m.m[r * 4], m.m[r * 4 + 1], m.m[r * 4 + 2]); }
inline void AxesFromMatrix(const Matrix4& m, float axes[3][3]) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) axes[r][c] = m.m[r * 4 + c];
}

// The skill class as a table index.
inline int SkillClass(const Rider& rider) { return rider.skill > 2 ? 2 : rider.skill; }

// Set-up value i of the rider's slot, clamped to 0..1.
inline float Setup(const Rider& rider, int i) {
  return Clamp01(SetupValue(g_RiderSetups[rider.index < 20 ? rider.index : 0], i));
}
inline int Slot(const Rider& rider) { return rider.index < 20 ? rider.index : 0; }

// Damage wear: a result at or below 0 becomes 0.
inline void Wear(float* condition, float amount) {
  *condition -= amount;
  if (*condition <= 0.0f) *condition = 0.0f;
}

// The ground height under a point; the stored value stays when the track
// finds no ground.
inline void Height(Rider& rider, const Vector3& p, std::uint16_t* section, std::uint16_t* triangle, float* height,
                   bool useSections) {
  ++rider.physics.groundQueries;
  if (rider.track) rider.track->getheight(&p, section, triangle, height, useSections);
}

// The unit normal and plane of the ground at a point; level ground without a
// track.
inline TrackSurface Surface(Rider& rider, const Vector3& p, std::uint16_t section, std::uint16_t triangle,
                            bool useSections) {
  ++rider.physics.groundQueries;
  TrackSurface s;
  s.ny = 1.0f;
  if (rider.track) rider.track->GetSurface(&s, &p, section, triangle, useSections);
  return s;
}
inline Vector3 Normal(const TrackSurface& s) { return Vector3(s.nx, s.ny, s.nz); }

// X(a): rows (1,0,0), (0,cos,sin), (0,-sin,cos).
inline Matrix4 RotationX(float a) {
  Matrix4 m = g_IdentityMatrix;
  const float c = std::cos(a);
  const float s = std::sin(a);
  m.m[5] = c;
  m.m[6] = s;
  m.m[9] = -s;
  m.m[10] = c;
  return m;
}
// Z(t): rows (cos,-sin,0), (sin,cos,0), (0,0,1).
inline Matrix4 RotationZ(float t) {
  Matrix4 m = g_IdentityMatrix;
  const float c = std::cos(t);
  const float s = std::sin(t);
  m.m[0] = c;
  m.m[1] = -s;
  m.m[4] = s;
  m.m[5] = c;
  return m;
}

inline Matrix4 Multiply(const Matrix4& a, const Matrix4& b) {
  Matrix4 out;
  MultiplyMatrix(a, b, &out);
  return out;
}

}  // namespace riderphys

// Inverse of a matrix whose rotation rows are orthogonal: each row divided by
// its squared length, transposed; translation -(row . t) / |row|^2.
Matrix4 InvertRigidMatrix(const Matrix4& m);
