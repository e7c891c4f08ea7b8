// The placements of the race camera by mode: springs and fixed rates towards
// a place the followed rider defines, the look-back swing, the flights about
// a crashed or airborne rider, and the clamps that keep the camera above the
// ground and inside the course.
#include <cmath>

#include "engine/camera.h"
#include "engine/scene/scene.h"
#include "world/track.h"

namespace {

constexpr float kOneDegree = 0.017453292f;
constexpr float kPi = 3.14159265f;

void Clamp(float* v, float low, float high) {
  if (*v < low) *v = low;
  if (*v > high) *v = high;
}

Vector3 Row(const Matrix4& m, int r) { return Vector3(m.m[r * 4], m.m[r * 4 + 1], m.m[r * 4 + 2]); }
Vector3 Side(const RiderCameraData& d) { return Row(d.matrix, 0); }
Vector3 Up(const RiderCameraData& d) { return Row(d.matrix, 1); }
Vector3 Forward(const RiderCameraData& d) { return Row(d.matrix, 2); }
Vector3 Position(const RiderCameraData& d) { return Row(d.matrix, 3); }

float HorizontalLength(const Vector3& v) { return std::sqrt(v.x * v.x + v.z * v.z); }

// The horizontal unit vector towards the rider's back (-z for a rider
// facing straight up or down).
Vector3 BehindRider(const RiderCameraData& d) {
  const Vector3 f = Forward(d);
  const float l = HorizontalLength(f);
  return l > 0.0f ? Vector3(-f.x / l, 0.0f, -f.z / l) : Vector3(0.0f, 0.0f, -1.0f);
}

// Velocity from a move; dt is never 0 (the frame time is at least 1 ms),
// but a caller outside a scene could leave it so.
Vector3 MoveVelocity(const Vector3& from, const Vector3& to) {
  const float dt = g_FrameTime;
  if (!(dt > 0.0f)) return Vector3(0.0f, 0.0f, 0.0f);
  return (to - from) / dt;
}

}  // namespace

bool Camera::KeepInsideBorders() {
  if (track == nullptr || track->sectionCount == 0) return false;
  Vector3 normal;
  float depth = 0.0f;
  track->TestBorders(sectionHint, &normal, position, &depth);
  if (!(depth > 0.0f)) return false;
  position = position + depth * normal;
  return true;
}

namespace {

// Step 5 of a placement: the ground under the camera, taken again after a
// border push; `raise` lifts the camera to 1 above it. Returns whether the
// border push moved the camera.
bool GroundStep(Camera* c, bool raise) {
  if (c->track == nullptr || c->track->sectionCount == 0) return false;
  c->track->getheight(&c->position, &c->sectionHint, &c->triangleHint, &c->groundHeight, true);
  const bool pushed = c->KeepInsideBorders();
  if (pushed) c->track->getheight(&c->position, &c->sectionHint, &c->triangleHint, &c->groundHeight, true);
  if (raise && c->position.y < c->groundHeight + 1.0f) c->position.y = c->groundHeight + 1.0f;
  return pushed;
}

// The crash flight shared by the modes: a spring towards a point behind the
// rider's body, sideways when the camera is about to run into it.
void CrashFlight(Camera* c, const CameraInput& in) {
  const float dt = g_FrameTime;
  const Vector3 e = in.rider.head - in.target;
  const float d = std::sqrt(LengthSquared(e));
  const Vector3 f = d > 0.0f ? e / d : Vector3(0.0f, 0.0f, 1.0f);
  const Vector3 g(f.z, 0.0f, -f.x);
  Vector3 goal = in.target - 4.0f * f;
  Vector3 toTarget = in.target - c->position;
  toTarget.y = 0.0f;
  if (HorizontalLength(toTarget) < 3.0f && Dot(toTarget, c->velocity) > 0.0f) goal = goal + 3.0f * g;
  if (d > 4.0f) goal = goal + 0.5f * d * g - 0.25f * d * f;
  c->velocity = c->velocity + dt * (4.0f * (goal - c->position) - 4.0f * c->velocity);
  c->position = c->position + dt * c->velocity;
}

struct SwingRule {
  float rate;     // of the angle, per second
  float reach;    // distance of the swing point
  bool helmet;    // mode 0: about the rider's own head height
};

// The look-back swing of modes 0 to 3. False when neither looking back nor
// still turning back, and the mode's own rule applies.
bool Swing(Camera* c, const CameraInput& in, int mode, const SwingRule& rule) {
  float& a = c->lookBackAngle[mode];
  if (in.lookBack == 0 && a < kOneDegree) return false;
  const float dt = g_FrameTime;
  a = in.lookBack != 0 ? a + rule.rate * dt : a - rule.rate * dt;
  Clamp(&a, 0.0f, kPi);
  const Vector3 forward = Forward(in.rider);
  const Vector3 side = Side(in.rider);
  Vector3 point;
  float k;
  if (rule.helmet) {
    const Vector3 p = Position(in.rider);
    point = Vector3(p.x, in.rider.head.y, p.z) + 0.5f * std::cos(a) * forward + 0.5f * std::sin(a) * side;
    k = 15.0f * dt;
  } else {
    point = in.target - rule.reach * std::sin(a) * side - rule.reach * std::cos(a) * forward;
    k = in.lookBack != 0 ? (5.0f * a + 3.0f) * dt : 15.0f * dt;
  }
  const Vector3 old = c->position;
  c->position = c->position + k * (point - c->position);
  c->velocity = MoveVelocity(old, c->position);
  return true;
}

// Step 2: a jump to the mode's start point after a mode switch or when a
// crash ends. True when it jumped.
bool Snap(Camera* c, const CameraInput& in, const Vector3& point) {
  if (c->snap == 0 && !(in.rider.crashed == 0 && c->crashed != 0)) return false;
  c->position = point;
  c->velocity = Vector3(0.0f, 0.0f, 0.0f);
  c->sectionHint = in.rider.sectionHint;
  c->triangleHint = in.rider.triangleHint;
  return true;
}

// Steps 4 and 5, shared by every mode.
void Finish(Camera* c, const CameraInput& in, bool raise) {
  c->crashed = in.rider.crashed;
  c->snap = 0;
  GroundStep(c, raise);
}

}  // namespace

void Camera::FlyLoose(CameraInput in) {
  if (snap != 0 && track != nullptr && !track->nodes.empty()) {
    const TrackNode& n = track->nodes[track->SectionIndex(in.rider.sectionHint)];
    position = Vector3(n.centre.x, n.groundHeight + 2.0f, n.centre.z);
    velocity = Vector3(0.0f, 0.0f, 0.0f);
    sectionHint = in.rider.sectionHint;
    triangleHint = in.rider.triangleHint;
  }
  snap = 0;
  CrashFlight(this, in);
  if (GroundStep(this, true) && track != nullptr && !track->nodes.empty()) {
    const TrackNode& n = track->nodes[track->SectionIndex(sectionHint)];
    Vector3 towards(n.centre.x - position.x, 0.0f, n.centre.z - position.z);
    const float h = HorizontalLength(towards);
    if (h > 0.0f) velocity = velocity + 0.2f * (towards / h);
  }
}

void Camera::UpdateHelmet(CameraInput in) {
  if (in.rider.crashed != 0) {
    FlyLoose(in);
  } else if (!Snap(this, in, in.target) && !Swing(this, in, CAMERA_HELMET, {6.2831855f, 0.0f, true})) {
    velocity = MoveVelocity(position, in.target);
    position = in.target;
  }
  Finish(this, in, false);
}

void Camera::UpdateNear(CameraInput in) {
  if (in.rider.onTrack == 0) {
    FlyLoose(in);
  } else if (!Snap(this, in, in.target - 3.0f * Forward(in.rider)) &&
             !Swing(this, in, CAMERA_NEAR, {3.8397243f, 3.0f, false})) {
    if (in.rider.crashed != 0) {
      CrashFlight(this, in);
    } else {
      const float dt = g_FrameTime;
      Vector3 w = position - in.target;
      w.y = 0.0f;
      float h = HorizontalLength(w);
      // Straight above or below the target there is no line to keep: the
      // camera goes to the rider's back.
      Vector3 u = h > 0.0f ? w / h : BehindRider(in.rider);
      if (h > 15.0f) h = 15.0f;
      const float h2 = h + (3.0f - h) * 8.0f * dt;
      const Vector3 old = position;
      position = Vector3(in.target.x + h2 * u.x, in.target.y, in.target.z + h2 * u.z);
      velocity = MoveVelocity(old, position);
    }
  }
  Finish(this, in, true);
}

void Camera::UpdateFar(CameraInput in) {
  if (in.rider.onTrack == 0) {
    FlyLoose(in);
  } else if (!Snap(this, in, in.target - 2.0f * Forward(in.rider)) &&
             !Swing(this, in, CAMERA_FAR, {3.8397243f, 4.0f, false})) {
    if (in.rider.crashed != 0) {
      CrashFlight(this, in);
    } else if (track != nullptr && !track->nodes.empty()) {
      const float dt = g_FrameTime;
      const Vector3 p = Position(in.rider);
      if (LengthSquared(p - position) > 900.0f) position = p - 10.0f * Forward(in.rider) + Vector3(0.0f, 4.0f, 0.0f);
      const TrackNode& nc = track->nodes[track->SectionIndex(sectionHint)];
      const TrackNode& nr = track->nodes[track->SectionIndex(in.rider.sectionHint)];
      const float s = nc.across.z * nr.across.x - nc.across.x * nr.across.z;
      const float m = 0.98480775f;  // sin(80 degrees)
      float lateral;
      if (s <= -m) {
        lateral = nc.halfWidth - 1.0f;
      } else if (s > m) {
        lateral = -(nr.halfWidth - 1.0f);
      } else {
        lateral = LinearMap(-m, nc.halfWidth - 1.0f, m, -(nc.halfWidth - 1.0f), s);
      }
      const Vector3 goal(nr.centre.x + lateral * nr.across.x, p.y + 1.0f, nr.centre.z + lateral * nr.across.z);
      const Vector3 toGoal = goal - position;
      const float d = std::sqrt(LengthSquared(toGoal));
      const Vector3 u = d > 0.0f ? toGoal / d : Vector3(0.0f, 0.0f, 0.0f);
      velocity = velocity + dt * (0.6f * d * (d - 3.0f) * u - 0.2f * d * velocity);
      position = position + dt * velocity;
    }
  }
  Finish(this, in, true);
}

void Camera::UpdateMedium(CameraInput in) {
  if (in.rider.onTrack == 0) {
    FlyLoose(in);
  } else {
    const bool snapped = Snap(this, in, in.target - 4.0f * Forward(in.rider));
    if (snapped) distanceRate = 0.0f;
    if (!snapped && !Swing(this, in, CAMERA_MEDIUM, {3.8397243f, 4.0f, false})) {
      if (in.rider.crashed != 0) {
        CrashFlight(this, in);
      } else {
        const float dt = g_FrameTime;
        Vector3 w = position - in.target;
        float h = HorizontalLength(w);
        if (h > 20.0f) {
          position = Vector3(in.target.x - 10.0f, in.target.y, in.target.z);
          w = position - in.target;
          h = HorizontalLength(w);
        }
        w.y = 0.1f * h;
        const float length = std::sqrt(LengthSquared(w));
        // On the target itself: behind the rider, as the snap would put it.
        const Vector3 u = length > 0.0f ? w / length : BehindRider(in.rider);
        distanceRate = distanceRate - (10.0f * (4.0f - h) + 2.0f * distanceRate) * dt;
        const float h2 = h - distanceRate * dt;
        const Vector3 old = position;
        position = in.target + h2 * u;
        velocity = MoveVelocity(old, position);
      }
    }
  }
  Finish(this, in, true);
}

void Camera::UpdateLow(CameraInput in) {
  if (in.rider.onTrack == 0) {
    FlyLoose(in);
  } else if (!Snap(this, in, in.target - 2.0f * Forward(in.rider))) {
    if (in.rider.crashed != 0) {
      CrashFlight(this, in);
    } else {
      const float dt = g_FrameTime;
      const Vector3 forward = Forward(in.rider), up = Up(in.rider), side = Side(in.rider);
      const Vector3 d = in.target + 6.0f * forward - position;
      const Vector3 old = position;
      position = position + 10.0f * dt * Dot(d, forward) * forward + 2.0f * dt * Dot(d, up) * up +
                 dt * Dot(d, side) * side;
      velocity = MoveVelocity(old, position);
    }
  }
  Finish(this, in, true);
}

void Camera::UpdateBike(CameraInput in) {
  if (in.rider.onTrack == 0) {
    FlyLoose(in);
  } else if (!Snap(this, in, in.target)) {
    if (in.rider.crashed != 0 && LengthSquared(in.target - position) <= 225.0f) {
      CrashFlight(this, in);
    } else {
      velocity = MoveVelocity(position, in.target);
      position = in.target;
    }
  }
  Finish(this, in, false);
}

void Camera::UpdateTv(RiderCameraData rider, const TvCamera* tv) {
  position = tv->position;
  sectionHint = tv->sectionHint;
  triangleHint = tv->triangleHint;
  float fov = tv->fieldOfView;
  const Vector3 p = Position(rider);
  switch (tv->kind) {
    case 1: {
      const float distance = std::sqrt(LengthSquared(p - position));
      // A rider on the camera itself gets the widest view.
      fov = distance > 0.0f ? std::atan(tv->zoomSize / distance) : 1.0471976f;
      Clamp(&fov, 0.034906585f, 1.0471976f);
      break;
    }
    case 2:
      if (track != nullptr && track->sectionCount != 0) {
        const Vector3 dir = track->sections[track->SectionIndex(sectionHint)].direction;
        float n = Dot(p - tv->position, dir) * 0.25f;
        Clamp(&n, -10.0f, 10.0f);
        position = position + n * dir;
        GroundStep(this, true);
      }
      break;
    case 3:
      if (track != nullptr && track->sectionCount != 0) {
        const Vector3 dir = track->sections[track->SectionIndex(sectionHint)].direction;
        float rise = Dot(p - tv->position, dir) * 0.2f;
        Clamp(&rise, 0.0f, 8.0f);
        position.y = position.y + rise;
      }
      break;
    default:
      break;
  }
  snap = 0;
  SetFov(fov);
}

void Camera::UpdateFixed(Vector3 point) {
  position = point;
  GroundStep(this, true);
}
