// The player's network state send against the frame step it rides beside:
// a physics-only player rides the synthetic course at a fixed 16 ms frame,
// damage on; each iteration runs one live racing step (PlayerRider::Update)
// and then one PlayerRider::SendNetState (six predicted steps, the save and
// the restore, the record), each timed on its own, 10,000 iterations a run,
// five runs. Counters: `send_us` and `step_us` (per call), `ratio` (send
// over step), heap allocations per send (goal 0) and sends whose record
// was not delivered (must be 0).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>

#include "bench/course_root.h"
#include "engine/archive.h"
#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/services/net_game.h"
#include "engine/system.h"
#include "platform/glide/glide.h"
#include "platform/win32/crt.h"
#include "platform/win32/msgbox.h"
#include "riders/player_rider.h"
#include "tests/riders/physics_fixture.h"
#include "tests/world/allocation_counter.h"
#include "tools/bbf.h"
#include "tools/track_course.h"
#include "world/track.h"

namespace {

// Keeps only a count, so that the session itself allocates nothing.
class CountingNetGame : public NetGame {
 public:
  void SendRiderState(std::uint32_t type, NetRiderRecord) override {
    if (type == NET_MSG_RIDER_STATE) ++delivered;
  }
  long delivered = 0;
};

float g_Steer = 0.0f;
const ControlCallbacks kControls = {
    [] {},
    [] { return 0.6f; },
    [] { return 0.0f; },
    [] { return g_Steer < 0.0f ? -g_Steer : 0.0f; },
    [] { return g_Steer > 0.0f ? g_Steer : 0.0f; },
    [] { return 0.0f; },
    [] { return 0.0f; },
};

void BM_SendNetState(benchmark::State& state) {
  CourseRoot root("net");
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
  CountingNetGame net;
  InstallNetGame(&net);
  PlayerRider player;
  kelvtest::MakePhysicsOnly(player);
  player.controls = kControls;
  player.SetTrack(&track);
  player.Reset();
  player.state = RIDER_RACING;
  const TrackNode& n = track.nodes[10];
  const Vector3 d = track.sections[10].direction;
  float heading = std::acos(std::fmax(-1.0f, std::fmin(1.0f, d.z)));
  if (d.x < 0.0f) heading = 6.2831855f - heading;
  player.physics.sectionHint = 10;
  player.Place(n.centre.x, n.groundHeight + 0.6f, n.centre.z, heading);
  auto steer = [&] {
    const TrackNode& ahead = track.nodes[(player.physics.sectionHint + 2) % track.sectionCount];
    const Vector3 to = ahead.centre - player.physics.position;
    g_Steer =
        std::fmax(-0.4f, std::fmin(0.4f, (to.x * player.physics.axes[0][0] + to.z * player.physics.axes[0][2]) * 0.2f));
  };
  // Settle and send once outside the measurement (the first send sets up
  // its fixed storage).
  for (int f = 0; f < 60; ++f) {
    steer();
    player.Update(16, RIDER_RACING);
  }
  player.SendNetState();
  net.delivered = 0;

  double sendSeconds = 0.0;
  double stepSeconds = 0.0;
  long calls = 0;
  long allocations = 0;
  for (auto _ : state) {
    steer();
    const auto t0 = std::chrono::steady_clock::now();
    player.Update(16, RIDER_RACING);
    const auto t1 = std::chrono::steady_clock::now();
    kelvtest::StartCountingAllocations();
    const auto t2 = std::chrono::steady_clock::now();
    player.SendNetState();
    const auto t3 = std::chrono::steady_clock::now();
    allocations += kelvtest::StopCountingAllocations();
    stepSeconds += std::chrono::duration<double>(t1 - t0).count();
    sendSeconds += std::chrono::duration<double>(t3 - t2).count();
    ++calls;
  }
  InstallNetGame(nullptr);
  state.counters["send_us"] = sendSeconds / static_cast<double>(calls) * 1e6;
  state.counters["step_us"] = stepSeconds / static_cast<double>(calls) * 1e6;
  state.counters["ratio"] = stepSeconds > 0.0 ? sendSeconds / stepSeconds : 0.0;
  state.counters["allocs_per_send"] = static_cast<double>(allocations) / static_cast<double>(calls);
  state.counters["undelivered"] = static_cast<double>(calls - net.delivered);
}
BENCHMARK(BM_SendNetState)->Iterations(10000)->Repetitions(5)->Unit(benchmark::kMicrosecond);

}  // namespace
