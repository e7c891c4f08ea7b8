// The ground queries of the rider physics along the synthetic course, with
// the hints each query leaves for the next (Track::getheight, then
// Track::GetSurface on the triangle found), against their floor: one
// point-in-triangle test and one plane evaluation on the triangle already
// known. Both run over the same points in interleaved blocks of one run;
// the counters give the ratio's median and spread (goal: within 3x). Also:
// the full pass after a hint that is far off, and loading the course.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/course_root.h"
#include "engine/archive.h"
#include "engine/display.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/system.h"
#include "platform/glide/glide.h"
#include "platform/win32/debug.h"
#include "platform/win32/msgbox.h"
#include "tools/bbf.h"
#include "tools/track_course.h"
#include "world/track.h"

namespace {

// A rider's path: 4,000 points twice around the course, weaving 2.5 m to
// either side of the centre line.
std::vector<Vector3> RiderPath() {
  std::vector<Vector3> out;
  const int n = 4000;
  for (int k = 0; k < n; ++k) {
    const float s = static_cast<float>(k) * 2.0f * kelvdata::COURSE_SECTIONS / n;
    float x0, z0, x1, z1;
    kelvdata::CoursePoint(s, &x0, &z0);
    kelvdata::CoursePoint(s + 0.01f, &x1, &z1);
    const float l = std::sqrt((x1 - x0) * (x1 - x0) + (z1 - z0) * (z1 - z0));
    const float side = 2.5f * std::sin(static_cast<float>(k) * 0.02f);
    out.push_back(Vector3(x0 + (z1 - z0) / l * side, 0.0f, z0 - (x1 - x0) / l * side));
  }
  return out;
}

struct Hit {
  std::uint16_t section;
  std::uint16_t triangle;
};

// What the physics does per contact point.
float Queries(Track* track, const std::vector<Vector3>& path) {
  std::uint16_t section = 0;
  std::uint16_t triangle = 6;
  float sum = 0.0f;
  for (const Vector3& p : path) {
    float height = 0.0f;
    track->getheight(&p, &section, &triangle, &height, true);
    TrackSurface s;
    track->GetSurface(&s, &p, section, triangle, true);
    sum += height + s.ny;
  }
  return sum;
}

// The floor: the triangle known, one inside test and one plane.
float Floor(const Track& track, const std::vector<Vector3>& path, const std::vector<Hit>& hits) {
  float sum = 0.0f;
  for (std::size_t k = 0; k < path.size(); ++k) {
    const TrackSection& sec = track.sections[hits[k].section];
    const int c = hits[k].triangle;
    const Vector3& q0 = sec.positions[sec.indices[3 * c]];
    const Vector3& q1 = sec.positions[sec.indices[3 * c + 1]];
    const Vector3& q2 = sec.positions[sec.indices[3 * c + 2]];
    const Vector3& p = path[k];
    const bool inside = (p.z - q2.z) * (q1.x - q2.x) - (q1.z - q2.z) * (p.x - q2.x) >= 0.0f &&
                        (p.z - q1.z) * (q0.x - q1.x) - (p.x - q1.x) * (q0.z - q1.z) >= 0.0f &&
                        (p.z - q0.z) * (q2.x - q0.x) - (p.x - q0.x) * (q2.z - q0.z) >= 0.0f;
    const TrackSurface s = sec.surfaces[c];
    benchmark::DoNotOptimize(inside);
    sum += s.a * p.x + s.b * p.z + s.c + s.ny;
  }
  return sum;
}

void BM_GroundQueriesAgainstTheirFloor(benchmark::State& state) {
  CourseRoot root("track");
  Track track;
  if (!track.Load(kelvdata::COURSE_TRACK)) {
    state.SkipWithError("the course did not load");
    return;
  }
  const std::vector<Vector3> path = RiderPath();
  std::vector<Hit> hits;
  std::uint16_t section = 0;
  std::uint16_t triangle = 6;
  int kept = 0;
  for (const Vector3& p : path) {
    float h = 0.0f;
    const Hit before{section, triangle};
    track.getheight(&p, &section, &triangle, &h, true);
    kept += before.section == section && before.triangle == triangle ? 1 : 0;
    hits.push_back({section, triangle});
  }
  using Clock = std::chrono::steady_clock;
  std::vector<double> ratios;
  double queryNs = 0.0;
  double floorNs = 0.0;
  for (auto _ : state) {
    // Alternate which side goes first, so neither always runs warm.
    const bool queriesFirst = ratios.size() % 2 == 0;
    double q = 0.0;
    double f = 0.0;
    for (int side = 0; side < 2; ++side) {
      const auto t0 = Clock::now();
      if ((side == 0) == queriesFirst) {
        benchmark::DoNotOptimize(Queries(&track, path));
        q = std::chrono::duration<double, std::nano>(Clock::now() - t0).count();
      } else {
        benchmark::DoNotOptimize(Floor(track, path, hits));
        f = std::chrono::duration<double, std::nano>(Clock::now() - t0).count();
      }
    }
    queryNs += q;
    floorNs += f;
    ratios.push_back(q / f);
  }
  std::sort(ratios.begin(), ratios.end());
  const double n = static_cast<double>(path.size() * state.iterations());
  state.counters["query_ns"] = queryNs / n;
  state.counters["floor_ns"] = floorNs / n;
  // How often the point was still over the hinted triangle.
  state.counters["hint_kept"] = static_cast<double>(kept) / static_cast<double>(path.size());
  state.counters["ratio_median"] = ratios[ratios.size() / 2];
  state.counters["ratio_p10"] = ratios[ratios.size() / 10];
  state.counters["ratio_p90"] = ratios[ratios.size() * 9 / 10];
  state.SetItemsProcessed(static_cast<std::int64_t>(n));
}
BENCHMARK(BM_GroundQueriesAgainstTheirFloor)->MinTime(2.0)->Unit(benchmark::kMicrosecond);

// A hint on the far side of the course: the near pass fails and every
// section is searched, at worst the whole course.
void BM_FullPassFallback(benchmark::State& state) {
  CourseRoot root("track");
  Track track;
  if (!track.Load(kelvdata::COURSE_TRACK)) {
    state.SkipWithError("the course did not load");
    return;
  }
  const Vector3 p = track.nodes[kelvdata::COURSE_SECTIONS / 2].centre;
  for (auto _ : state) {
    std::uint16_t section = 0;
    std::uint16_t triangle = 6;
    float h = 0.0f;
    benchmark::DoNotOptimize(track.getheight(&p, &section, &triangle, &h, true));
  }
}
BENCHMARK(BM_FullPassFallback)->Unit(benchmark::kMicrosecond);

void BM_LoadCourse(benchmark::State& state) {
  CourseRoot root("track");
  for (auto _ : state) {
    Track track;
    if (!track.Load(kelvdata::COURSE_TRACK)) {
      state.SkipWithError("the course did not load");
      break;
    }
    benchmark::DoNotOptimize(track.sections.get());
  }
  state.counters["sections"] = kelvdata::COURSE_SECTIONS;
}
BENCHMARK(BM_LoadCourse)->Unit(benchmark::kMillisecond);

}  // namespace
