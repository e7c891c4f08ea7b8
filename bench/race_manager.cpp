// The race manager's frame for 20 physics-only riders on the synthetic
// course in a practice session: the rider pass (nearest riders, contact,
// the computer riders' lines and speeds), the clock and lap step and the
// pit stops, interleaved frame by frame with the riders' own physics pass,
// which follows the manager's target speeds and steering. 10,000 frames a
// run, three runs. Counters: `race_us` and `race_pct` (the manager's share
// of a 16.7 ms frame), `physics_us`, `together_pct` (both; goal under 1 %),
// `allocs_per_frame` (goal 0) and `laps` (laps completed, to show the
// riders ride).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/course_root.h"
#include "engine/archive.h"
#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/system.h"
#include "platform/glide/glide.h"
#include "platform/win32/crt.h"
#include "platform/win32/msgbox.h"
#include "race/race_manager.h"
#include "tests/riders/physics_fixture.h"
#include "tests/world/allocation_counter.h"
#include "tools/bbf.h"
#include "tools/track_course.h"
#include "world/track.h"

namespace {

void BM_RaceManagerFrame(benchmark::State& state) {
  constexpr int kCount = 20;
  CourseRoot root("race");
  Track track;
  if (!track.Load(kelvdata::COURSE_TRACK)) {
    state.SkipWithError("the course did not load");
    return;
  }
  kelvtest::ResetPhysicsGlobals();
  g_RiderCount = kCount;
  g_RaceType = 1;
  g_GameMode = GAME_MODE_SINGLE_RACE;
  g_RaceLengthMinutes = 30;
  g_FrameTime = 0.016f;
  crt::srand(1);
  RaceManager manager;
  manager.SetTrack(&track);
  manager.AllocateLapTimes();
  std::vector<std::unique_ptr<kelvtest::PhysicsRider>> riders;
  std::vector<Vector3> grid;
  const int n = track.sectionCount;
  for (int i = 0; i < kCount; ++i) {
    auto r = std::make_unique<kelvtest::PhysicsRider>();
    kelvtest::PhysicsRider* rp = r.get();
    rp->SetIndex(static_cast<std::uint8_t>(i));
    rp->SetTrack(&track);
    rp->Reset();
    rp->state = RIDER_RACING;
    const int s = n - 2 - i / 2;
    const TrackNode& node = track.nodes[s];
    const Vector3 d = track.sections[s].direction;
    float heading = std::acos(std::fmax(-1.0f, std::fmin(1.0f, d.z / std::sqrt(d.x * d.x + d.z * d.z))));
    if (d.x < 0.0f) heading = 6.2831855f - heading;
    rp->physics.sectionHint = static_cast<std::uint16_t>(s);
    const float side = (i % 2 ? 1.5f : -1.5f) / node.halfWidth;
    const Vector3 at(node.centre.x + side * node.across.x, node.groundHeight + 0.6f, node.centre.z + side * node.across.z);
    rp->Place(at.x, at.y, at.z, heading);
    rp->lastNode = static_cast<std::uint32_t>(s);
    rp->progress = s - n;
    grid.push_back(at);
    // The manager's target speed and steering, as a computer rider's
    // controller follows them.
    rp->script = [rp](std::uint32_t) {
      kelvtest::ScriptedControls c;
      const float v = rp->physics.forwardSpeed;
      c.throttle = v < rp->targetSpeed ? std::fmin(1.0f, (rp->targetSpeed - v) * 0.36f) : 0.0f;
      c.brake = v > rp->targetSpeed + 5.555556f ? std::fmin(1.0f, (v - rp->targetSpeed) * 0.072f) : 0.0f;
      c.steer = rp->physics.steer;
      c.handlebar = c.steer * 0.3f;
      return c;
    };
    manager.RegisterRider(rp, i == 0 ? 1 : 2);
    riders.push_back(std::move(r));
  }
  manager.SetRespawnPoints(grid.data(), static_cast<std::uint32_t>(grid.size()));
  const RiderStepKind kind;
  for (auto& r : riders) r->RunFrameStep(16, kind);
  double raceSeconds = 0.0;
  double physicsSeconds = 0.0;
  long frames = 0;
  kelvtest::StartCountingAllocations();
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    manager.UpdateRiders(2);
    manager.StepClock(2, g_FrameTime);
    manager.UpdatePitStops();
    const auto t1 = std::chrono::steady_clock::now();
    for (auto& r : riders) {
      if (r->state != RIDER_OUT) r->RunFrameStep(16, kind);
    }
    const auto t2 = std::chrono::steady_clock::now();
    raceSeconds += std::chrono::duration<double>(t1 - t0).count();
    physicsSeconds += std::chrono::duration<double>(t2 - t1).count();
    ++frames;
  }
  const long allocations = kelvtest::StopCountingAllocations();
  long laps = 0;
  for (auto& r : riders) laps += static_cast<long>(r->lap) - 1;
  const double race = raceSeconds / static_cast<double>(frames);
  const double physics = physicsSeconds / static_cast<double>(frames);
  state.counters["race_us"] = race * 1e6;
  state.counters["race_pct"] = race / 0.0167 * 100.0;
  state.counters["physics_us"] = physics * 1e6;
  state.counters["together_pct"] = (race + physics) / 0.0167 * 100.0;
  state.counters["allocs_per_frame"] = static_cast<double>(allocations) / static_cast<double>(frames);
  state.counters["laps"] = static_cast<double>(laps);
}
BENCHMARK(BM_RaceManagerFrame)->Iterations(10000)->Repetitions(3)->Unit(benchmark::kMicrosecond);

}  // namespace
