// Placing a rider, the ground frame under it and what the camera follows.
#include <cmath>

#include "engine/camera.h"
#include "riders/rider_physics_internal.h"

using namespace riderphys;

Matrix4 InvertRigidMatrix(const Matrix4& m) {
  Matrix4 out = g_IdentityMatrix;
  const Vector3 t(m.m[12], m.m[13], m.m[14]);
  for (int r = 0; r < 3; ++r) {
    const Vector3 row = MatrixRow(m, r);
    const float l2 = LengthSquared(row);
    const float inv = l2 > 0.0f ? 1.0f / l2 : 0.0f;
    out.m[0 * 4 + r] = row.x * inv;
    out.m[1 * 4 + r] = row.y * inv;
    out.m[2 * 4 + r] = row.z * inv;
    out.m[12 + r] = -Dot(row, t) * inv;
  }
  return out;
}

void Rider::Place(float x, float y, float z, float heading) {
  RiderPhysics& p = physics;
  matrix = g_IdentityMatrix;
  matrix.m[12] = x;
  matrix.m[13] = y;
  matrix.m[14] = z;
  const float c = std::cos(heading);
  const float s = std::sin(heading);
  matrix.m[0] = c;
  matrix.m[10] = c;
  matrix.m[2] = -s;
  matrix.m[8] = s;
  AxesFromMatrix(matrix, p.axes);
  p.orientation = Quaternion(matrix);
  p.position = Vector3(x, y, z);
  for (ContactPoint* point : {&p.chassisPoint, static_cast<ContactPoint*>(&p.frontWheel),
                              static_cast<ContactPoint*>(&p.rearWheel)}) {
    point->world = TransformPoint(point->local, matrix);
  }
  p.velocity = Vector3(0.0f, 0.0f, 0.0f);
  p.angularVelocity = Vector3(0.0f, 0.0f, 0.0f);
  p.leanRate = 0.0f;
}

bool Rider::Update(unsigned, int) {
  RiderPhysics& p = physics;
  RiderGroundFrame& g = groundFrame;
  const Vector3 forward = Row(p.axes, 2);
  const bool useSections = p.onTrack != 0;
  const TrackSurface here = Surface(*this, p.position, p.sectionHint, p.triangleHint, useSections);
  Vector3 n = Normal(here);
  if (n.x == forward.x && n.y == forward.y && n.z == forward.z) {
    n.x = n.x + 0.01f;
    n = Unit(n);
  }
  const Vector3 f = Unit(forward - Dot(forward, n) * n);
  g.right = Cross(n, f);
  g.normal = n;
  g.forward = f;
  g.anchors[0] = p.frontWheel.world;
  g.anchors[1] = p.rearWheel.world;
  g.surface = here;
  g.upY = std::fabs(p.axes[1][1]);
  g.axes01 = p.axes[0][1];
  g.chassisSection = p.chassisPoint.sectionHint;
  g.chassisTriangle = p.chassisPoint.triangleHint;
  g.chassisGround = p.chassisPoint.groundHeight;
  g.riding = p.crashed ? 0 : 1;
  if (p.crashed) {
    g.bodySurface = Surface(*this, p.crashBodyPoint, p.crashBodySection, p.crashBodyTriangle, false);
    g.bodyHeight = p.crashBodyPoint.y;
    g.bodySection = p.crashBodySection;
    g.bodyTriangle = p.crashBodyTriangle;
  } else {
    g.bodySurface = here;
    g.bodyHeight = p.crashBodyGround;
    g.bodySection = p.chassisPoint.sectionHint;
    g.bodyTriangle = p.chassisPoint.triangleHint;
  }
  g.partlyAirborne = p.contactCount < 3 ? 1 : 0;
  g.second = 1;
  shadow.front = g.anchors[0];
  shadow.rear = g.anchors[1];
  shadow.right = g.right;
  shadow.up = g.normal;
  shadow.forward = g.forward;
  shadow.bikePlane = g.surface;
  shadow.bikeUpY = g.upY;
  shadow.lean = g.axes01;
  shadow.bikeHints[0] = g.chassisSection;
  shadow.bikeHints[1] = g.chassisTriangle;
  shadow.chassisHeight = g.chassisGround;
  shadow.useSections = g.riding;
  shadow.bodyPlane = g.bodySurface;
  shadow.bodyHeight = g.bodyHeight;
  shadow.bodyHints[0] = g.bodySection;
  shadow.bodyHints[1] = g.bodyTriangle;
  shadow.partsFlag = g.partlyAirborne;
  shadow.secondFlag = g.second;
  shadow.replaced = p.justRecovered;
  shadow.Update(0, static_cast<int>(state));

  const Vector3 look(g_Camera.view.m[2], g_Camera.view.m[6], g_Camera.view.m[10]);
  const float d = Dot(p.position - g_Camera.position, look);
  const float t = std::tan(g_Camera.fieldOfView);
  if (d < -1.0f) {
    lod = RIDER_LOD_HIDDEN;
  } else if (d > 35.0f / t) {
    lod = p.crashed ? 1 : 2;
  } else if (d >= 12.0f / t) {
    lod = 1;
  } else {
    lod = 0;
  }
  return true;
}

void Rider::GetCameraData(RiderCameraData* out) {
  const RiderPhysics& p = physics;
  out->matrix = matrix;
  float fx = matrix.m[8];
  float fz = matrix.m[10];
  if (p.crashed && !nodeWorld.empty()) {
    fx = nodeWorld[0].m[8];
    fz = nodeWorld[0].m[10];
  }
  out->pitch = std::asin(Clamp(p.axes[2][1], -1.0f, 1.0f));
  const float l = std::sqrt(fx * fx + fz * fz);
  float heading = 0.0f;
  if (l != 0.0f) {
    heading = std::asin(Clamp(fx / l, -1.0f, 1.0f));
    if (fz < 0.0f) heading = kPi - heading;
  }
  out->heading = heading;
  out->groundHeight = p.chassisPoint.groundHeight;
  out->sectionHint = p.sectionHint;
  out->triangleHint = p.triangleHint;
  out->crashed = p.crashed;
  out->onTrack = p.onTrack;
  const Matrix4& joint = nodeWorld.empty() ? matrix : nodeWorld[0];
  out->head = MatrixRow(joint, 3) + 1.7f * MatrixRow(joint, 1);
}
