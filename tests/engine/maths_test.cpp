#include "engine/maths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr float kPi = 3.14159265f;

Quaternion AxisAngle(Vector3 axis, float angle) {
  axis = axis / std::sqrt(LengthSquared(axis));
  float s = std::sin(angle * 0.5f);
  return Quaternion(std::cos(angle * 0.5f), axis.x * s, axis.y * s, axis.z * s);
}

float Dot4(const Quaternion& a, const Quaternion& b) { return a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z; }

Matrix4 MatrixOf(const Quaternion& q) {
  Matrix4 m;
  q.ToMatrix(&m);
  return m;
}

void ExpectMatrixNear(const Matrix4& expected, const Matrix4& actual, float tolerance) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(expected.m[i], actual.m[i], tolerance) << "element " << i;
}

// q and -q are the same rotation.
void ExpectSameRotation(const Quaternion& expected, const Quaternion& actual, float tolerance) {
  float sign = Dot4(expected, actual) < 0.0f ? -1.0f : 1.0f;
  EXPECT_NEAR(expected.w, sign * actual.w, tolerance);
  EXPECT_NEAR(expected.x, sign * actual.x, tolerance);
  EXPECT_NEAR(expected.y, sign * actual.y, tolerance);
  EXPECT_NEAR(expected.z, sign * actual.z, tolerance);
}

void ExpectBitEqual(const Quaternion& expected, const Quaternion& actual) {
  EXPECT_EQ(expected.w, actual.w);
  EXPECT_EQ(expected.x, actual.x);
  EXPECT_EQ(expected.y, actual.y);
  EXPECT_EQ(expected.z, actual.z);
}

TEST(VectorTest, OperationsGiveTheirComponentFormulas) {
  Vector3 a(1.0f, 2.0f, 3.0f);
  Vector3 b(-4.0f, 0.5f, 2.0f);
  struct Case {
    std::string name;
    Vector3 actual;
    Vector3 expected;
  };
  Vector3 minusInPlace = a;
  minusInPlace -= b;
  Vector3 timesInPlace = a;
  timesInPlace *= -2.0f;
  std::vector<Case> cases = {
      {"sum", a + b, {-3.0f, 2.5f, 5.0f}},
      {"difference", a - b, {5.0f, 1.5f, 1.0f}},
      {"scale", 2.0f * a, {2.0f, 4.0f, 6.0f}},
      {"divide", a / 4.0f, {0.25f, 0.5f, 0.75f}},
      {"subtract in place", minusInPlace, {5.0f, 1.5f, 1.0f}},
      {"scale in place", timesInPlace, {-2.0f, -4.0f, -6.0f}},
      {"cross", Cross(a, b), {2.0f * 2.0f - 3.0f * 0.5f, 3.0f * -4.0f - 1.0f * 2.0f, 1.0f * 0.5f - 2.0f * -4.0f}},
      {"cross of axes", Cross({1, 0, 0}, {0, 1, 0}), {0.0f, 0.0f, 1.0f}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected.x, c.actual.x) << c.name;
    EXPECT_EQ(c.expected.y, c.actual.y) << c.name;
    EXPECT_EQ(c.expected.z, c.actual.z) << c.name;
  }
  EXPECT_EQ(-4.0f + 1.0f + 6.0f, Dot(a, b));
  EXPECT_EQ(14.0f, LengthSquared(a));
  EXPECT_EQ(0.0f, Dot(Cross(a, b), a));
}

TEST(MatrixTest, TransformPointRotatesRowsThenTranslates) {
  // Rows 0..2 are the images of the axes: x -> y, y -> -x, z -> z; then +(10, 20, 30).
  Matrix4 m = {{0, 1, 0, 0,   //
                -1, 0, 0, 0,  //
                0, 0, 1, 0,   //
                10, 20, 30, 1}};
  Vector3 p = TransformPoint({1.0f, 2.0f, 3.0f}, m);
  EXPECT_EQ(10.0f - 2.0f, p.x);
  EXPECT_EQ(20.0f + 1.0f, p.y);
  EXPECT_EQ(30.0f + 3.0f, p.z);
  Vector3 same = TransformPoint({1.0f, 2.0f, 3.0f}, g_IdentityMatrix);
  EXPECT_EQ(1.0f, same.x);
  EXPECT_EQ(2.0f, same.y);
  EXPECT_EQ(3.0f, same.z);
}

TEST(MatrixTest, MultiplyByIdentityKeepsTheAffinePartAndResetsColumnThree) {
  // Column 3 holds junk; the product puts 0, 0, 0, 1 there.
  Matrix4 a = {{1, 2, 3, 7,    //
                4, 5, 6, 8,    //
                7, 8, 10, 9,   //
                -1, -2, -3, 5}};
  Matrix4 expected = {{1, 2, 3, 0,  //
                       4, 5, 6, 0,  //
                       7, 8, 10, 0,  //
                       -1, -2, -3, 1}};
  Matrix4 left;
  MultiplyMatrix(g_IdentityMatrix, a, &left);
  Matrix4 right;
  MultiplyMatrix(a, g_IdentityMatrix, &right);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(expected.m[i], left.m[i]) << "identity x a, element " << i;
    EXPECT_EQ(expected.m[i], right.m[i]) << "a x identity, element " << i;
  }
}

TEST(MatrixTest, ProductTransformsByTheFirstThenTheSecond) {
  Matrix4 a = {{0, 1, 0, 0,   //
                -1, 0, 0, 0,  //
                0, 0, 2, 0,   //
                1, 2, 3, 1}};
  Matrix4 b = {{1, 0, 0, 0,   //
                0, 0, 1, 0,   //
                0, -1, 0, 0,  //
                -5, 4, 0.5f, 1}};
  Vector3 p(0.5f, -1.5f, 2.0f);
  Vector3 expected = TransformPoint(TransformPoint(p, a), b);
  Matrix4 ab;
  MultiplyMatrix(a, b, &ab);
  Vector3 actual = TransformPoint(p, ab);
  EXPECT_EQ(expected.x, actual.x);
  EXPECT_EQ(expected.y, actual.y);
  EXPECT_EQ(expected.z, actual.z);

  // Writing over an operand gives the same product.
  Matrix4 intoA = a;
  MultiplyMatrix(intoA, b, &intoA);
  Matrix4 intoB = b;
  MultiplyMatrix(a, intoB, &intoB);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(ab.m[i], intoA.m[i]) << i;
    EXPECT_EQ(ab.m[i], intoB.m[i]) << i;
  }
}

TEST(LinearMapTest, Cases) {
  struct Case {
    float x0, y0, x1, y1, x, expected;
  };
  const Case cases[] = {
      {2, 10, 2, 20, 5, 15},          // x0 = x1: the midpoint
      {0, 0, 10, 100, 2.5f, 25},      // between the points
      {0, 0, 10, 100, 20, 200},       // beyond them
      {0, 0.8f, -5, 0.1f, 0, 0.8f},   // the contact restitution line
      {0, 0.8f, -5, 0.1f, -5, 0.1f},  //
      {1, 5, 3, 5, 100, 5},           // flat
  };
  for (const Case& c : cases) {
    EXPECT_FLOAT_EQ(c.expected, LinearMap(c.x0, c.y0, c.x1, c.y1, c.x))
        << c.x0 << " " << c.y0 << " " << c.x1 << " " << c.y1 << " at " << c.x;
  }
}

TEST(QuaternionTest, ComponentOperators) {
  Quaternion a(1.0f, -2.0f, 4.0f, 8.0f);
  Quaternion b(0.5f, 0.5f, -1.0f, 2.0f);
  ExpectBitEqual(Quaternion(2.0f, -4.0f, 8.0f, 16.0f), a * 2.0f);
  ExpectBitEqual(Quaternion(2.0f, -4.0f, 8.0f, 16.0f), 2.0f * a);
  ExpectBitEqual(Quaternion(0.25f, -0.5f, 1.0f, 2.0f), a / 4.0f);
  ExpectBitEqual(Quaternion(0.5f, -2.5f, 5.0f, 6.0f), a - b);
  EXPECT_FLOAT_EQ(std::sqrt(85.0f), a.Norm());
  ExpectBitEqual(Quaternion(0.0f, 0.0f, 0.0f, 0.0f), Quaternion());
  // w comes first in memory.
  static_assert(sizeof(Quaternion) == 16);
  EXPECT_EQ(1.0f, reinterpret_cast<const float*>(&a)[0]);
}

TEST(QuaternionTest, IdentityBothWays) {
  Matrix4 m = MatrixOf(Quaternion(1.0f, 0.0f, 0.0f, 0.0f));
  for (int i = 0; i < 16; ++i) EXPECT_EQ(g_IdentityMatrix.m[i], m.m[i]) << i;
  ExpectBitEqual(Quaternion(1.0f, 0.0f, 0.0f, 0.0f), Quaternion(g_IdentityMatrix));
}

TEST(QuaternionTest, ToMatrixRotatesLikeTheRowConvention) {
  // A quarter turn about y: x -> -z, z -> x (right-handed, row vector times matrix).
  Matrix4 m = MatrixOf(AxisAngle({0, 1, 0}, kPi / 2.0f));
  Vector3 x = TransformPoint({1, 0, 0}, m);
  Vector3 z = TransformPoint({0, 0, 1}, m);
  EXPECT_NEAR(0.0f, x.x, 1e-6f);
  EXPECT_NEAR(-1.0f, x.z, 1e-6f);
  EXPECT_NEAR(1.0f, z.x, 1e-6f);
  EXPECT_NEAR(0.0f, z.z, 1e-6f);
}

// Which way SetFromMatrix goes for a matrix: -1 for a positive trace, else the
// axis of the largest diagonal element.
int BranchOf(const Matrix4& m) {
  if (m.m[0] + m.m[5] + m.m[10] > 0.0f) return -1;
  int i = 0;
  if (m.m[5] > m.m[0]) i = 1;
  if (m.m[10] > m.m[i * 5]) i = 2;
  return i;
}

TEST(QuaternionTest, RoundTripsThroughTheMatrixInEveryBranch) {
  struct Case {
    std::string name;
    Quaternion q;
    int branch;
  };
  const std::vector<Case> cases = {
      {"small turn", AxisAngle({1, 2, 3}, 0.3f), -1},
      {"two thirds turn", AxisAngle({0.2f, -1, 0.4f}, 2.0f), -1},
      {"half turn about x", AxisAngle({1, 0, 0}, kPi), 0},
      {"near half turn, mostly x", AxisAngle({1, 0.3f, -0.2f}, 2.8f), 0},
      {"half turn about y", AxisAngle({0, 1, 0}, kPi), 1},
      {"near half turn, mostly y", AxisAngle({-0.1f, 1, 0.4f}, 3.0f), 1},
      {"half turn about z", AxisAngle({0, 0, 1}, kPi), 2},
      {"near half turn, mostly z", AxisAngle({0.3f, 0.2f, -1}, 2.5f), 2},
      {"exact half turn about x", Quaternion(0, 1, 0, 0), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Matrix4 m = MatrixOf(c.q);
    ASSERT_EQ(c.branch, BranchOf(m)) << "the case does not test the branch it names";
    Quaternion back(m);
    ExpectSameRotation(c.q, back, 2e-6f);
    EXPECT_NEAR(1.0f, back.Norm(), 2e-6f);
    ExpectMatrixNear(m, MatrixOf(back), 2e-6f);
  }
}

TEST(QuaternionTest, MatrixOfAProductIsTheProductOfTheMatrices) {
  const Quaternion qs[] = {
      AxisAngle({1, 0, 0}, 0.7f),
      AxisAngle({0, 1, 0}, -1.2f),
      AxisAngle({1, 2, 3}, 2.9f),
      AxisAngle({-3, 0.5f, 1}, 0.05f),
  };
  for (const Quaternion& a : qs) {
    for (const Quaternion& b : qs) {
      Matrix4 expected;
      MultiplyMatrix(MatrixOf(a), MatrixOf(b), &expected);
      ExpectMatrixNear(expected, MatrixOf(a * b), 2e-6f);
    }
  }
  // Not commutative: the order matters.
  Matrix4 ab = MatrixOf(qs[0] * qs[1]);
  Matrix4 ba = MatrixOf(qs[1] * qs[0]);
  EXPECT_GT(std::fabs(ab.m[2] - ba.m[2]) + std::fabs(ab.m[6] - ba.m[6]), 0.1f);
}

TEST(SlerpTest, EndsAndOutOfRangeParameters) {
  Quaternion a = AxisAngle({0, 1, 0}, 0.4f);
  Quaternion b = AxisAngle({1, 1, 0}, 1.1f);
  Quaternion far = Quaternion(-b.w, -b.x, -b.y, -b.z);  // the same rotation the long way
  struct Case {
    std::string name;
    Quaternion from, to;
    float t;
    Quaternion expected;
  };
  const std::vector<Case> cases = {
      {"t 0", a, b, 0.0f, a},       {"t 1", a, b, 1.0f, b},        {"t 1.5", a, b, 1.5f, b},
      {"t -0.5", a, b, -0.5f, a},   {"t 1.5, negated", a, far, 1.5f, b},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Quaternion r = Slerp(c.from, c.to, c.t);
    if (c.t < 0.0f || c.t > 1.0f) {
      ExpectBitEqual(c.expected, r);
    } else {
      EXPECT_NEAR(c.expected.w, r.w, 2e-6f);
      EXPECT_NEAR(c.expected.x, r.x, 2e-6f);
      EXPECT_NEAR(c.expected.y, r.y, 2e-6f);
      EXPECT_NEAR(c.expected.z, r.z, 2e-6f);
    }
  }
}

TEST(SlerpTest, GoesTheShorterWayAtAnEvenPace) {
  Quaternion a = AxisAngle({0, 0, 1}, 0.2f);
  Quaternion b = AxisAngle({0, 0, 1}, 1.4f);
  Quaternion negB(-b.w, -b.x, -b.y, -b.z);
  for (float t : {0.25f, 0.5f, 0.9f}) {
    SCOPED_TRACE(t);
    Quaternion expected = AxisAngle({0, 0, 1}, 0.2f + 1.2f * t);
    ExpectSameRotation(expected, Slerp(a, b, t), 2e-6f);
    Quaternion viaNegated = Slerp(a, negB, t);
    ExpectSameRotation(expected, viaNegated, 2e-6f);
    EXPECT_GT(viaNegated.w * a.w + viaNegated.z * a.z, 0.0f) << "took the long way";
  }
}

TEST(SlerpTest, EqualAndOppositeOperandsGiveTheFirst) {
  // Rotations whose dot product with themselves rounds to 1, above it and
  // below it.
  std::vector<Quaternion> qs = {AxisAngle({1, 2, 3}, 0.3f), AxisAngle({0, 1, 0}, kPi), Quaternion(1, 0, 0, 0)};
  int belowOne = 0;
  for (int i = 0; i < 50; ++i) {
    Quaternion q = AxisAngle({std::sin(i * 0.37f), std::cos(i * 0.11f), 0.5f}, i * 0.13f);
    q = q / q.Norm();
    qs.push_back(q);
    Quaternion shorter = q * std::nextafter(1.0f, 0.0f);
    if (Dot4(shorter, shorter) < 1.0f) ++belowOne;
    qs.push_back(shorter);
  }
  ASSERT_GT(belowOne, 0);
  for (const Quaternion& a : qs) {
    Quaternion negA(-a.w, -a.x, -a.y, -a.z);
    for (float t : {0.0f, 0.3f, 0.5f, 1.0f, 2.0f}) {
      SCOPED_TRACE(t);
      ExpectBitEqual(a, Slerp(a, a, t));
      ExpectBitEqual(a, Slerp(a, negA, t));
    }
  }
}

TEST(SlerpTest, NearlyEqualRotationsNeverGiveNaN) {
  // Normalised quaternions whose dot product with themselves rounds above 1,
  // and neighbours one rounding step apart.
  int aboveOne = 0;
  for (int i = 0; i < 2000; ++i) {
    Quaternion a = AxisAngle({std::sin(i * 0.37f), std::cos(i * 0.11f), 0.5f}, i * 0.013f);
    a = a / a.Norm();
    if (Dot4(a, a) > 1.0f) ++aboveOne;
    Quaternion b = a;
    b.x = std::nextafter(b.x, 2.0f);
    Quaternion c = a;
    c.w = std::nextafter(c.w, -2.0f);
    for (float t : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f}) {
      for (const Quaternion& r : {Slerp(a, a, t), Slerp(a, b, t), Slerp(c, a, t)}) {
        ASSERT_TRUE(std::isfinite(r.w) && std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.z))
            << "i " << i << " t " << t;
        ASSERT_NEAR(a.w, r.w, 1e-5f);
        ASSERT_NEAR(a.x, r.x, 1e-5f);
      }
    }
  }
  EXPECT_GT(aboveOne, 0) << "no case had its dot product round above 1";
}

}  // namespace
