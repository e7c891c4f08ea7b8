// GeometryPipeline::TransformMesh on a 2,000-triangle lit, textured mesh of
// which half lies beyond the right edge of the view, against a floor no
// pipeline can beat: a bare loop that multiplies the same triangle corners
// (the positions the same index list names, 6,000 of them) by the same 4x4
// view-projection. Both sides are given the same mesh and count the same
// 6,000 corners per call. They run interleaved in one loop (pipeline, floor,
// floor, pipeline), so that a change in the machine's load falls on both;
// "ratio" is the pipeline's time over the floor's. Run with repetitions for
// its spread: --benchmark_repetitions=10. Goal: a ratio of 4 or less.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <vector>

#include "engine/camera.h"
#include "engine/display.h"
#include "engine/geometry_pipeline.h"

namespace {

// 50 x 20 quads: 1,071 positions, 2,000 triangles.
constexpr int kColumns = 50;
constexpr int kRows = 20;

struct Mesh {
  std::vector<Vector3> positions;
  std::vector<VertexAttribute> attributes;
  std::vector<std::uint16_t> indices;
  std::vector<VertexLight> lights;
  std::uint16_t size = 0;
};

// A 640 x 480 view with the default camera at the origin looking down +z; a
// wall at distance 10 whose left half fills the view and whose right half
// lies beyond its right edge, slightly turned so that depth varies.
Mesh MakeScene() {
  g_ViewRect = {0.0f, 639.0f, 0.0f, 479.0f};
  g_ViewWidth = 639.0f;
  g_ViewHeight = 479.0f;
  g_Camera = Camera();
  g_Camera.position = Vector3(0.0f, 0.0f, 0.0f);
  g_Camera.LookAt(Vector3(0.0f, 0.0f, 1.0f));
  g_GeometryPipeline.SetupProjection();
  g_GeometryPipeline.objectMatrix = nullptr;
  g_LightDirection = Vector3(0.3f, -0.5f, 0.8f);

  Mesh m;
  const float halfWidth = 8.4f;  // the view's half width at distance 10 is 10 tan(40 deg) = 8.39
  const float x0 = -halfWidth, x1 = 3.0f * halfWidth, y0 = -6.0f, y1 = 6.0f;
  for (int r = 0; r <= kRows; ++r) {
    for (int c = 0; c <= kColumns; ++c) {
      const float x = x0 + (x1 - x0) * static_cast<float>(c) / kColumns;
      const float y = y1 - (y1 - y0) * static_cast<float>(r) / kRows;
      m.positions.push_back(Vector3(x, y, 10.0f + 0.05f * x));
      m.lights.push_back({0.0f, Vector3(0.0f, 0.0f, -1.0f)});
    }
  }
  const auto at = [](int r, int c) { return static_cast<std::uint16_t>(r * (kColumns + 1) + c); };
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      const std::uint16_t tl = at(r, c), tr = at(r, c + 1), bl = at(r + 1, c), br = at(r + 1, c + 1);
      for (std::uint16_t i : {tl, tr, bl, tr, br, bl}) {
        m.indices.push_back(i);
        const float u = static_cast<float>(i % (kColumns + 1)) * 256.0f / kColumns;
        const float v = static_cast<float>(i / (kColumns + 1)) * 256.0f / kRows;
        m.attributes.push_back({0xFFC08040u, u, v});
      }
    }
  }
  m.size = static_cast<std::uint16_t>(m.positions.size());
  return m;
}

// Each side runs this many calls in a row before the other takes over: long
// enough that the clock's own cost does not count, short enough to
// interleave finely.
constexpr int kCallsPerTurn = 16;

using Clock = std::chrono::steady_clock;

void Pipeline(Mesh& m) {
  ScreenVertex* out = nullptr;
  std::uint16_t count = 0;
  g_GeometryPipeline.TransformMesh(1, m.positions.data(), &m.size, m.attributes.data(), m.indices.data(),
                                   static_cast<std::uint16_t>(m.indices.size()), &out, &count, m.lights.data(),
                                   Vector3(1.0f, 1.0f, 1.0f));
  benchmark::DoNotOptimize(out);
  benchmark::DoNotOptimize(count);
}

// The floor: each corner's position times the view-projection, nothing else.
void Floor(const Mesh& m, const Matrix4& matrix, float* out) {
  const Matrix4 p = matrix;  // a copy: the stores below cannot change it
  const Vector3* positions = m.positions.data();
  for (std::uint16_t i : m.indices) {
    const Vector3 v = positions[i];
    for (int j = 0; j < 4; ++j) out[j] = v.x * p.m[j] + v.y * p.m[4 + j] + v.z * p.m[8 + j] + p.m[12 + j];
    out += 4;
  }
  benchmark::DoNotOptimize(out);
  benchmark::ClobberMemory();
}

double Turn(const std::function<void()>& side) {
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < kCallsPerTurn; ++i) side();
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count();
}

void BM_TransformMeshOverFloor(benchmark::State& state) {
  Mesh m = MakeScene();
  const Matrix4 p = g_GeometryPipeline.viewProjection;
  std::vector<float> floorOut(m.indices.size() * 4);
  const std::function<void()> pipeline = [&] { Pipeline(m); };
  const std::function<void()> floor = [&] { Floor(m, p, floorOut.data()); };
  double pipelineNs = 0.0;
  double floorNs = 0.0;
  for (auto _ : state) {
    pipelineNs += Turn(pipeline);
    floorNs += Turn(floor);
    floorNs += Turn(floor);
    pipelineNs += Turn(pipeline);
  }
  const double calls = static_cast<double>(state.iterations()) * 2.0 * kCallsPerTurn;
  const double corners = static_cast<double>(m.indices.size());
  state.counters["ratio"] = pipelineNs / floorNs;
  state.counters["pipeline_ns_per_corner"] = pipelineNs / calls / corners;
  state.counters["floor_ns_per_corner"] = floorNs / calls / corners;
  ScreenVertex* out = nullptr;
  std::uint16_t emitted = 0;
  g_GeometryPipeline.TransformMesh(1, m.positions.data(), &m.size, m.attributes.data(), m.indices.data(),
                                   static_cast<std::uint16_t>(m.indices.size()), &out, &emitted, m.lights.data(),
                                   Vector3(1.0f, 1.0f, 1.0f));
  state.counters["emitted_vertices"] = emitted;
}
BENCHMARK(BM_TransformMeshOverFloor)->MinTime(2.0);

}  // namespace
