// Throughput of the two maths operations that run most per frame: the matrix
// product (part hierarchies, object transforms) and the quaternion slerp
// (remote riders, animations).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "engine/maths.h"

namespace {

constexpr int kCount = 1024;

Quaternion Rotation(int i) {
  float angle = 0.01f * static_cast<float>(i);
  float s = std::sin(angle * 0.5f);
  Vector3 axis(std::sin(i * 0.7f), std::cos(i * 0.3f), 0.5f);
  axis = axis / std::sqrt(LengthSquared(axis));
  return Quaternion(std::cos(angle * 0.5f), axis.x * s, axis.y * s, axis.z * s);
}

void BM_MultiplyMatrix(benchmark::State& state) {
  std::vector<Matrix4> ms(kCount);
  for (int i = 0; i < kCount; ++i) {
    Rotation(i).ToMatrix(&ms[i]);
    ms[i].m[12] = static_cast<float>(i);
  }
  Matrix4 out = g_IdentityMatrix;
  for (auto _ : state) {
    for (int i = 0; i < kCount; ++i) {
      MultiplyMatrix(ms[i], ms[(i + 1) % kCount], &out);
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_MultiplyMatrix);

void BM_Slerp(benchmark::State& state) {
  std::vector<Quaternion> qs(kCount);
  for (int i = 0; i < kCount; ++i) qs[i] = Rotation(i * 37);
  for (auto _ : state) {
    for (int i = 0; i < kCount; ++i) {
      Quaternion q = Slerp(qs[i], qs[(i + 1) % kCount], static_cast<float>(i % 16) * 0.0625f);
      benchmark::DoNotOptimize(q);
    }
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_Slerp);

}  // namespace
