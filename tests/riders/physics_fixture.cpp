#include "tests/riders/physics_fixture.h"

#include <cmath>
#include <cstring>

#include "engine/game_settings.h"
#include "riders/rider_setup.h"

namespace kelvtest {

void MakePhysicsOnly(Rider& r) {
  r.partCount = 7;
  r.partOffsets.reset(new Matrix4[7]);
  for (int i = 0; i < 7; ++i) r.partOffsets[i] = g_IdentityMatrix;
  r.nodeCount = 11;
  r.nodeWorld.assign(11, g_IdentityMatrix);
  // Spread the nodes so that the skeleton's matrices are not all alike.
  for (int i = 0; i < 11; ++i) r.nodeWorld[i].m[13] = 0.1f * static_cast<float>(i);
  r.poseGroups.resize(11);
  r.jointTurned.reset(new Matrix4[11]);
  r.jointRest.reset(new Matrix4[11]);
  r.jointCrash.reset(new Matrix4[11]);
  r.jointRelative.reset(new Matrix4[11]);
  for (int i = 0; i < 11; ++i) {
    r.jointTurned[i] = r.jointRest[i] = r.jointCrash[i] = r.jointRelative[i] = g_IdentityMatrix;
  }
  for (auto& table : r.jointTables) table.reset(new float[11]());
  r.started = 1;
}

PhysicsRider::PhysicsRider() { MakePhysicsOnly(*this); }

void PhysicsRider::ComputeControls() {
  const ScriptedControls c = script ? script(frame) : ScriptedControls{};
  ++frame;
  physics.previousShiftInput = physics.shiftInput;
  physics.throttle = c.throttle;
  physics.brake = c.brake;
  physics.steer = c.steer;
  physics.shiftInput = c.shift;
  physics.handlebarAngle = c.handlebar;
}

std::unique_ptr<Track> FlatCourse(int sections, float halfWidth) {
  const float height = 0.0f;
  const float w = halfWidth;
  auto track = std::make_unique<Track>();
  track->sectionCount = static_cast<std::uint16_t>(sections);
  track->sections.reset(new TrackSection[sections]);
  for (int s = 0; s < sections; ++s) {
    TrackSection& t = track->sections[s];
    const float z0 = 5.0f * static_cast<float>(s);
    const float z1 = z0 + 5.0f;
    for (int i = 0; i <= 4; ++i) {
      const float x = -w + 0.5f * w * static_cast<float>(i);
      t.positions.push_back(Vector3(x, height, z0));
      t.positions.push_back(Vector3(x, height, z1));
    }
    // Two triangles a quad, wound as the ground search expects.
    for (int i = 0; i < 4; ++i) {
      const std::uint16_t a = static_cast<std::uint16_t>(2 * i);
      const std::uint16_t b = static_cast<std::uint16_t>(a + 1);
      const std::uint16_t c = static_cast<std::uint16_t>(a + 2);
      const std::uint16_t d = static_cast<std::uint16_t>(a + 3);
      for (std::uint16_t v : {a, b, c, b, d, c}) t.indices.push_back(v);
    }
    TrackSurface flat;
    flat.c = height;
    flat.ny = 1.0f;
    t.surfaces.assign(8, flat);
    t.vertexCount = static_cast<std::uint16_t>(t.positions.size());
    t.indexCount = static_cast<std::uint16_t>(t.indices.size());
    t.sideNormal1 = Vector3(1.0f, 0.0f, 0.0f);
    t.sidePoint1 = t.edgePoint1 = Vector3(-w, 0.0f, z0);
    t.sideNormal2 = Vector3(-1.0f, 0.0f, 0.0f);
    t.sidePoint2 = t.edgePoint2 = Vector3(w, 0.0f, z0);
    t.direction = Vector3(0.0f, 0.0f, 1.0f);
    t.centre = Vector3(0.0f, height, z0 + 2.5f);
  }
  track->BuildNodes();
  return track;
}

void FillSetup(int slot, float v) {
  for (int i = 0; i < RIDER_SETUP_VALUES; ++i) SetSetupValue(g_RiderSetups[slot], i, v);
}

void ResetPhysicsGlobals() {
  for (int i = 0; i < 20; ++i) {
    g_ConditionSuspension[i] = g_ConditionWheels[i] = g_ConditionEngine[i] = g_ConditionBrakes[i] =
        g_ConditionGearbox[i] = 1.0f;
    FillSetup(i, 0.5f);
  }
  g_OptionDamages = 0;
  g_OptionManualShift = 0;
  g_OptionParticle = 0;
  g_GameSkill = 0;
  g_RaceLengthMinutes = 5;
  g_RaceLengthRecord.milliseconds = 5u * 60000u;
}

namespace {

void Mix(std::uint64_t* h, const void* data, std::size_t n) {
  const auto* b = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < n; ++i) {
    *h ^= b[i];
    *h *= 1099511628211ull;
  }
}

void MixFloat(std::uint64_t* h, float f) { Mix(h, &f, sizeof f); }
void MixVector(std::uint64_t* h, const Vector3& v) {
  MixFloat(h, v.x);
  MixFloat(h, v.y);
  MixFloat(h, v.z);
}

}  // namespace

std::uint64_t PhysicsHash(const Rider& rider) {
  std::uint64_t h = 14695981039346656037ull;
  const RiderPhysics& p = rider.physics;
  MixVector(&h, p.position);
  MixVector(&h, p.velocity);
  MixVector(&h, p.angularVelocity);
  MixFloat(&h, p.orientation.w);
  MixFloat(&h, p.orientation.x);
  MixFloat(&h, p.orientation.y);
  MixFloat(&h, p.orientation.z);
  for (const ContactPoint* c : {&p.chassisPoint, static_cast<const ContactPoint*>(&p.frontWheel),
                                static_cast<const ContactPoint*>(&p.rearWheel)}) {
    MixVector(&h, c->world);
    MixVector(&h, c->velocity);
    MixFloat(&h, c->groundHeight);
  }
  MixFloat(&h, p.frontWheel.spinRate);
  MixFloat(&h, p.rearWheel.spinRate);
  MixFloat(&h, p.revs);
  Mix(&h, &p.gear, sizeof p.gear);
  Mix(&h, &p.crashed, sizeof p.crashed);
  MixFloat(&h, p.frontTravel);
  MixFloat(&h, p.rearTravel);
  MixVector(&h, p.crashBodyPoint);
  MixFloat(&h, p.leanRate);
  return h;
}

int PlaceOnGrid(Rider& r, const Track& track, int i) {
  const int section = track.sectionCount - 2 - i / 2;
  const TrackNode& node = track.nodes[section];
  const Vector3 d = track.sections[section].direction;
  const float across = (i % 2 ? 1.5f : -1.5f) / node.halfWidth;
  const float x = node.centre.x + across * node.across.x;
  const float z = node.centre.z + across * node.across.z;
  float heading = std::acos(d.z / std::sqrt(d.x * d.x + d.z * d.z));
  if (d.x < 0.0f) heading = 6.2831855f - heading;
  r.gridSpot[0] = x;
  r.gridSpot[1] = z;
  r.gridSpot[2] = heading;
  r.physics.sectionHint = static_cast<std::uint16_t>(section);
  r.Place(x, node.groundHeight + 0.6f, z, heading);
  r.state = RIDER_WAITING;
  return section;
}

}  // namespace kelvtest
