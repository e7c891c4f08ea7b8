// Vectors, matrices and quaternions of all geometry.
//
// Everything is single precision and evaluated in the order written here:
// races and replays repeat bit for bit, so keep each formula's operation
// order when changing anything (the build forbids fused multiply-adds).
//
// Matrices use the row-vector convention: a point is the row vector
// (x, y, z, 1) times the matrix; rows 0..2 are the images of the axes and
// elements 12..14 the translation.
#pragma once

struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  Vector3() = default;
  Vector3(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

  Vector3& operator-=(const Vector3& v) {
    x = x - v.x;
    y = y - v.y;
    z = z - v.z;
    return *this;
  }
  Vector3& operator*=(float s) {
    x = x * s;
    y = y * s;
    z = z * s;
    return *this;
  }
};

inline Vector3 operator+(const Vector3& a, const Vector3& b) { return Vector3(a.x + b.x, a.y + b.y, a.z + b.z); }
inline Vector3 operator-(const Vector3& a, const Vector3& b) { return Vector3(a.x - b.x, a.y - b.y, a.z - b.z); }
inline Vector3 operator-(const Vector3& v) { return Vector3(-v.x, -v.y, -v.z); }
inline Vector3 operator*(float s, const Vector3& v) { return Vector3(v.x * s, v.y * s, v.z * s); }
inline Vector3 operator/(const Vector3& v, float s) { return Vector3(v.x / s, v.y / s, v.z / s); }

inline float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vector3 Cross(const Vector3& a, const Vector3& b) {
  return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
inline float LengthSquared(const Vector3& v) { return v.x * v.x + v.y * v.y + v.z * v.z; }

// 16 floats, row-major: element (row r, column c) is m[r * 4 + c].
struct Matrix4 {
  float m[16];
};

inline constexpr Matrix4 g_IdentityMatrix = {{1.0f, 0.0f, 0.0f, 0.0f,  //
                                              0.0f, 1.0f, 0.0f, 0.0f,  //
                                              0.0f, 0.0f, 1.0f, 0.0f,  //
                                              0.0f, 0.0f, 0.0f, 1.0f}};

// The point v transformed by m (row vector times matrix, w = 1).
Vector3 TransformPoint(const Vector3& v, const Matrix4& m);

// *out = a x b on the affine part (transforming by *out is transforming by a,
// then by b); column 3 of *out is 0, 0, 0, 1. `out` may be a or b.
void MultiplyMatrix(const Matrix4& a, const Matrix4& b, Matrix4* out);

// The straight line through (x0, y0) and (x1, y1) at x; the midpoint of y0
// and y1 when x0 equals x1.
float LinearMap(float x0, float y0, float x1, float y1, float x);

// A rotation (w, x, y, z), w first in memory.
struct Quaternion {
  float w;
  float x;
  float y;
  float z;

  Quaternion() : w(0.0f), x(0.0f), y(0.0f), z(0.0f) {}
  Quaternion(float aw, float ax, float ay, float az) : w(aw), x(ax), y(ay), z(az) {}
  explicit Quaternion(const Matrix4& m) { SetFromMatrix(m); }

  // The rotation of the 3x3 part of m (m should be a rotation).
  void SetFromMatrix(const Matrix4& m);
  // The rotation matrix of a unit quaternion; the rest of *out is the identity's.
  void ToMatrix(Matrix4* out) const;
  float Norm() const;
};

Quaternion operator*(float s, const Quaternion& q);
Quaternion operator*(const Quaternion& q, float s);
Quaternion operator/(const Quaternion& q, float s);
Quaternion operator-(const Quaternion& a, const Quaternion& b);
// Rotate by a, then by b: the matrix of a * b is the matrix of a times the
// matrix of b.
Quaternion operator*(const Quaternion& a, const Quaternion& b);

// Spherical interpolation from a (t = 0) to b (t = 1) the shorter way round.
// t below 0 gives a, above 1 gives b (negated when that is the shorter way).
Quaternion Slerp(const Quaternion& a, const Quaternion& b, float t);
