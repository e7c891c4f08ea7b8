#include "engine/maths.h"

#include <cmath>

namespace {

float At(const Matrix4& m, int row, int column) { return m.m[row * 4 + column]; }

}  // namespace

Vector3 TransformPoint(const Vector3& v, const Matrix4& m) {
  const float* e = m.m;
  return Vector3(v.x * e[0] + v.y * e[4] + v.z * e[8] + e[12],  //
                 v.x * e[1] + v.y * e[5] + v.z * e[9] + e[13],  //
                 v.x * e[2] + v.y * e[6] + v.z * e[10] + e[14]);
}

void MultiplyMatrix(const Matrix4& a, const Matrix4& b, Matrix4* out) {
  // Built aside so that out may be a or b.
  Matrix4 r;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      r.m[i * 4 + j] = At(a, i, 0) * At(b, 0, j) + At(a, i, 1) * At(b, 1, j) + At(a, i, 2) * At(b, 2, j);
    }
    r.m[i * 4 + 3] = 0.0f;
  }
  for (int j = 0; j < 3; ++j) {
    r.m[12 + j] = At(a, 3, 0) * At(b, 0, j) + At(a, 3, 1) * At(b, 1, j) + At(a, 3, 2) * At(b, 2, j) + At(b, 3, j);
  }
  r.m[15] = 1.0f;
  *out = r;
}

float LinearMap(float x0, float y0, float x1, float y1, float x) {
  if (x1 == x0) return y0 + (y1 - y0) * 0.5f;
  return y0 + (x - x0) * (y1 - y0) / (x1 - x0);
}

void Quaternion::SetFromMatrix(const Matrix4& m) {
  float trace = At(m, 0, 0) + At(m, 1, 1) + At(m, 2, 2);
  if (trace > 0.0f) {
    float s = std::sqrt(trace + 1.0f);
    w = s / 2.0f;
    s = 0.5f / s;
    x = (At(m, 1, 2) - At(m, 2, 1)) * s;
    y = (At(m, 2, 0) - At(m, 0, 2)) * s;
    z = (At(m, 0, 1) - At(m, 1, 0)) * s;
    return;
  }
  // The largest diagonal element gives the best conditioned component.
  int i = 0;
  if (At(m, 1, 1) > At(m, 0, 0)) i = 1;
  if (At(m, 2, 2) > At(m, i, i)) i = 2;
  int j = (i + 1) % 3;
  int k = (j + 1) % 3;
  float v[3];
  float s = std::sqrt(At(m, i, i) - (At(m, j, j) + At(m, k, k)) + 1.0f);
  v[i] = s / 2.0f;
  if (s != 0.0f) s = 0.5f / s;
  w = (At(m, j, k) - At(m, k, j)) * s;
  v[j] = (At(m, i, j) + At(m, j, i)) * s;
  v[k] = (At(m, i, k) + At(m, k, i)) * s;
  x = v[0];
  y = v[1];
  z = v[2];
}

void Quaternion::ToMatrix(Matrix4* out) const {
  float* e = out->m;
  e[0] = 1.0f - 2.0f * (y * y + z * z);
  e[1] = 2.0f * (x * y + w * z);
  e[2] = 2.0f * (x * z - w * y);
  e[3] = 0.0f;
  e[4] = 2.0f * (x * y - w * z);
  e[5] = 1.0f - 2.0f * (x * x + z * z);
  e[6] = 2.0f * (y * z + w * x);
  e[7] = 0.0f;
  e[8] = 2.0f * (x * z + w * y);
  e[9] = 2.0f * (y * z - w * x);
  e[10] = 1.0f - 2.0f * (x * x + y * y);
  e[11] = 0.0f;
  e[12] = 0.0f;
  e[13] = 0.0f;
  e[14] = 0.0f;
  e[15] = 1.0f;
}

float Quaternion::Norm() const { return std::sqrt(w * w + x * x + y * y + z * z); }

Quaternion operator*(float s, const Quaternion& q) { return Quaternion(q.w * s, q.x * s, q.y * s, q.z * s); }

Quaternion operator*(const Quaternion& q, float s) { return Quaternion(q.w * s, q.x * s, q.y * s, q.z * s); }

Quaternion operator/(const Quaternion& q, float s) {
  float inv = 1.0f / s;
  return Quaternion(q.w * inv, q.x * inv, q.y * inv, q.z * inv);
}

Quaternion operator-(const Quaternion& a, const Quaternion& b) {
  return Quaternion(a.w - b.w, a.x - b.x, a.y - b.y, a.z - b.z);
}

Quaternion operator*(const Quaternion& a, const Quaternion& b) {
  return Quaternion(a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,  //
                    a.w * b.x + a.x * b.w + a.z * b.y - a.y * b.z,  //
                    a.w * b.y + a.y * b.w + a.x * b.z - a.z * b.x,  //
                    a.w * b.z + a.z * b.w + a.y * b.x - a.x * b.y);
}

Quaternion Slerp(const Quaternion& a, const Quaternion& b, float t) {
  Quaternion to = b;
  float d = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
  if (d < 0.0f) {
    to = Quaternion(-b.w, -b.x, -b.y, -b.z);
    d = -d;
  }
  // Rounding can put the dot product of two (nearly) equal unit rotations just
  // above 1, where acos has no value (d is not negative here).
  if (d > 1.0f) d = 1.0f;
  float angle = std::acos(d);
  float s = std::sin(angle);
  bool same = to.w == a.w && to.x == a.x && to.y == a.y && to.z == a.z;
  if (t < 0.0f || s == 0.0f || same) return a;
  if (t > 1.0f) return to;
  float sa = std::sin((1.0f - t) * angle);
  float sb = std::sin(t * angle);
  Quaternion sum(a.w * sa + to.w * sb, a.x * sa + to.x * sb, a.y * sa + to.y * sb, a.z * sa + to.z * sb);
  return sum / s;
}
