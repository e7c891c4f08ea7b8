// Fuzz target for the remote rider: any bytes as a stream of 20-byte
// rider-state records, each taken by ApplyNetState between frames of
// UpdateRemote on a small flat course. Whatever arrives, the rider's state
// stays finite and its orientation a rotation.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "engine/scene/scene.h"
#include "platform/win32/crt.h"
#include "riders/ai_rider.h"
#include "tests/riders/physics_fixture.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool Finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::unique_ptr<Track> track = kelvtest::FlatCourse(40);
  kelvtest::ResetPhysicsGlobals();
  crt::srand(1);
  g_FrameTime = 0.016f;
  AiRider r;
  kelvtest::MakePhysicsOnly(r);
  r.SetTrack(track.get());
  r.Reset();
  r.state = RIDER_RACING;
  r.physics.sectionHint = 4;
  r.Place(0.0f, 0.5f, 20.0f, 0.0f);
  // Records at most 64 (a few seconds of snapshots); each followed by as
  // many frames as the byte after it says (0..15), up to 12 s in all.
  int frames = 0;
  for (std::size_t at = 0; at + 20 <= size && at < 64 * 21; at += 21) {
    NetRiderRecord record;
    std::memcpy(record.data(), data + at, 20);
    r.ApplyNetState(record);
    const int n = at + 20 < size ? (data[at + 20] & 15) : 12;
    for (int f = 0; f < n && frames < 750; ++f, ++frames) {
      r.UpdateRemote(RIDER_RACING);
      const RiderPhysics& p = r.physics;
      Check(Finite(p.position) && Finite(p.velocity) && Finite(p.angularVelocity));
      Check(std::isfinite(p.steer) && std::isfinite(p.revs) && std::isfinite(p.lean) &&
            std::isfinite(p.handlebarAngle));
      Check(std::isfinite(p.frontLoad) && std::isfinite(p.rearLoad) && std::isfinite(p.chassisLoad));
      Check(std::isfinite(p.rearWheel.spinRate) && std::isfinite(p.frontWheel.spinRate));
      Check(std::fabs(p.orientation.Norm() - 1.0f) < 1e-3f);
      for (float m : r.matrix.m) Check(std::isfinite(m));
    }
  }
  return 0;
}
