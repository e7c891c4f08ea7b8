// The rider physics pass of a race: 1, 8 and 20 physics-only riders with
// scripted controls ride the synthetic course at a fixed 16 ms frame with
// damage on, 10,000 frames a run, three runs each. Counters: the pass's
// time per frame and per rider and its share of a 16.7 ms frame (goal:
// under 1 % for 20 riders), ground queries per rider per frame, full-pass
// fallbacks of the ground search, heap allocations per frame after load
// (goal 0) and frames that left a NaN in a rider's state (must be 0).
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
#include "platform/win32/debug.h"
#include "platform/win32/msgbox.h"
#include "tests/riders/physics_fixture.h"
#include "tests/world/allocation_counter.h"
#include "tools/bbf.h"
#include "tools/track_course.h"
#include "world/track.h"

namespace {

bool HasNan(const Rider& r) {
  const RiderPhysics& p = r.physics;
  const float values[] = {p.position.x,
                          p.position.y,
                          p.position.z,
                          p.velocity.x,
                          p.velocity.y,
                          p.velocity.z,
                          p.revs,
                          p.lean,
                          p.orientation.w,
                          p.crashBodyPoint.y,
                          p.angularVelocity.x,
                          p.angularVelocity.y,
                          p.angularVelocity.z,
                          p.rearWheel.spinRate};
  for (float v : values) {
    if (!std::isfinite(v)) return true;
  }
  return false;
}

void BM_RiderPhysicsPass(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  CourseRoot root("riders");
  Track track;
  if (!track.Load(kelvdata::COURSE_TRACK)) {
    state.SkipWithError("the course did not load");
    return;
  }
  kelvtest::ResetPhysicsGlobals();
  g_OptionDamages = 1;
  g_OptionParticle = 1;
  g_RaceType = 3;
  g_FrameTime = 0.016f;
  crt::srand(1);
  std::vector<std::unique_ptr<kelvtest::PhysicsRider>> riders;
  for (int i = 0; i < count; ++i) {
    auto r = std::make_unique<kelvtest::PhysicsRider>();
    kelvtest::PhysicsRider* rp = r.get();
    rp->SetIndex(static_cast<std::uint8_t>(i));
    rp->SetTrack(&track);
    rp->Reset();
    rp->state = RIDER_RACING;
    const int s = (10 + 4 * i) % track.sectionCount;
    const TrackNode& n = track.nodes[s];
    const Vector3 d = track.sections[s].direction;
    float heading = std::acos(std::fmax(-1.0f, std::fmin(1.0f, d.z)));
    if (d.x < 0.0f) heading = 6.2831855f - heading;
    rp->physics.sectionHint = static_cast<std::uint16_t>(s);
    const float side = static_cast<float>(i % 3 - 1) * 1.5f;
    rp->Place(n.centre.x + side * n.across.x, n.groundHeight + 0.6f, n.centre.z + side * n.across.z, heading);
    // Up to 0.69: faster scripted riders jump off the course at the kicker
    // (see bench/README.md).
    const float throttle = 0.5f + 0.01f * static_cast<float>(i);
    rp->script = [rp, &track, throttle](std::uint32_t f) {
      const TrackNode& ahead = track.nodes[(rp->physics.sectionHint + 2) % track.sectionCount];
      const Vector3 to = ahead.centre - rp->physics.position;
      const float across = to.x * rp->physics.axes[0][0] + to.z * rp->physics.axes[0][2];
      kelvtest::ScriptedControls c;
      c.throttle = (f / 600) % 5 == 4 ? 0.0f : throttle;
      c.brake = (f / 600) % 5 == 4 ? 0.4f : 0.0f;
      c.steer = std::fmax(-0.4f, std::fmin(0.4f, across * 0.2f));
      c.handlebar = c.steer * 0.25f;
      return c;
    };
    riders.push_back(std::move(r));
  }
  const RiderStepKind kind;
  // Settle once, outside the measurement.
  for (auto& r : riders) r->RunFrameStep(16, kind);
  platform::RecordDebugOutput(true);
  platform::ClearRecordedDebugOutput();
  for (auto& r : riders) r->physics.groundQueries = 0;
  long nanFrames = 0;
  long frames = 0;
  double seconds = 0.0;
  kelvtest::StartCountingAllocations();
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    for (auto& r : riders) r->RunFrameStep(16, kind);
    const auto t1 = std::chrono::steady_clock::now();
    seconds += std::chrono::duration<double>(t1 - t0).count();
    ++frames;
    for (auto& r : riders) {
      if (HasNan(*r)) {
        ++nanFrames;
        break;
      }
    }
  }
  const long allocations = kelvtest::StopCountingAllocations();
  std::uint64_t queries = 0;
  for (auto& r : riders) queries += r->physics.groundQueries;
  long fallbacks = 0;
  for (const std::string& line : platform::RecordedDebugOutput()) {
    if (line.rfind("Fallita getheight", 0) == 0) ++fallbacks;
  }
  platform::RecordDebugOutput(false);
  const double perFrame = seconds / static_cast<double>(frames);
  state.counters["frame_us"] = perFrame * 1e6;
  state.counters["rider_us"] = perFrame * 1e6 / count;
  state.counters["share_pct"] = perFrame / 0.0167 * 100.0;
  state.counters["queries_per_rider_frame"] =
      static_cast<double>(queries) / static_cast<double>(frames) / static_cast<double>(count);
  state.counters["fallbacks"] = static_cast<double>(fallbacks);
  state.counters["allocs_per_frame"] = static_cast<double>(allocations) / static_cast<double>(frames);
  state.counters["nan_frames"] = static_cast<double>(nanFrames);
}
BENCHMARK(BM_RiderPhysicsPass)
    ->Arg(1)
    ->Arg(8)
    ->Arg(20)
    ->Iterations(10000)
    ->Repetitions(3)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
