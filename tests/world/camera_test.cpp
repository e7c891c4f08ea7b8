// The race camera: its projection and aim, the border push, and the
// placements of the camera modes on the straight test track.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/camera.h"
#include "engine/scene/scene.h"
#include "tests/world/track_fixture.h"
#include "world/track.h"

namespace {

bool Finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
float Horizontal(const Vector3& v) { return std::sqrt(v.x * v.x + v.z * v.z); }

class CameraTest : public kelvtest::TrackTest {
 protected:
  void SetUp() override {
    TrackTest::SetUp();
    savedFrameTime_ = g_FrameTime;
    ASSERT_TRUE(LoadSet(&track_, kelvdata::StraightTrackSet(40)));
    g_Camera.track = &track_;
    g_FrameTime = 0.01f;
  }
  void TearDown() override {
    g_FrameTime = savedFrameTime_;
    TrackTest::TearDown();
  }

  // A rider on the straight track facing +z at (0, 0, z), in section z / 4.
  static CameraInput Rider(float z, Vector3 target) {
    CameraInput in{};
    in.rider.matrix = g_IdentityMatrix;
    in.rider.matrix.m[14] = z;
    in.rider.sectionHint = static_cast<std::uint16_t>(z / 4.0f);
    in.rider.triangleHint = 0;
    in.rider.onTrack = 1;
    in.rider.head = Vector3(0.0f, 1.6f, z);
    in.target = target;
    return in;
  }

  Track track_;
  float savedFrameTime_ = 0.0f;
};

TEST_F(CameraTest, SetFovBuildsTheProjectionFactors) {
  Camera c;
  c.SetFov(0.6108652f);
  EXPECT_NEAR(c.projection.m[0], 1.4281480f, 1e-6f);
  EXPECT_EQ(c.projection.m[5], c.projection.m[0]);
  EXPECT_NEAR(c.projection.m[10], 1.0002f, 1e-6f);
  EXPECT_EQ(c.projection.m[11], 1.0f);
  EXPECT_NEAR(c.projection.m[14], -0.10002001f, 1e-7f);
  EXPECT_EQ(c.projection.m[15], 0.0f);
  EXPECT_EQ(c.fieldOfView, 0.6108652f);
}

TEST_F(CameraTest, LookAtStraightDownGivesAnOrthonormalView) {
  Camera c;
  c.position = Vector3(3.0f, 10.0f, -2.0f);
  c.LookAt(Vector3(3.0f, 0.0f, -2.0f));
  EXPECT_EQ(c.viewDirection.y, -1.0f);
  const Vector3 right(c.view.m[0], c.view.m[4], c.view.m[8]);
  const Vector3 up(c.view.m[1], c.view.m[5], c.view.m[9]);
  EXPECT_TRUE(Finite(right) && Finite(up));
  EXPECT_NEAR(LengthSquared(up), 1.0f, 1e-5f);
  EXPECT_NEAR(LengthSquared(right), 1.0f, 1e-5f);
  EXPECT_NEAR(Dot(up, c.viewDirection), 0.0f, 1e-6f);
  // The eye maps to the view-space origin.
  const Vector3 eye = TransformPoint(c.position, c.view);
  EXPECT_NEAR(LengthSquared(eye), 0.0f, 1e-8f);
}

TEST_F(CameraTest, LookAtItsOwnPositionKeepsTheView) {
  Camera c;
  c.position = Vector3(1.0f, 2.0f, 3.0f);
  c.LookAt(Vector3(1.0f, 2.0f, 10.0f));
  const Matrix4 before = c.view;
  c.LookAt(c.position);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(c.view.m[i], before.m[i]) << i;
  EXPECT_EQ(c.viewDirection.z, 1.0f);
}

TEST_F(CameraTest, KeepInsideBordersPushesBackOnlyWhenOutside) {
  Camera& c = g_Camera;
  c.sectionHint = 5;
  c.position = Vector3(1.0f, 1.0f, 21.0f);
  EXPECT_FALSE(c.KeepInsideBorders());
  EXPECT_EQ(c.position.x, 1.0f);
  c.position = Vector3(-3.5f, 1.0f, 21.0f);
  EXPECT_TRUE(c.KeepInsideBorders());
  EXPECT_NEAR(c.position.x, -2.0f, 1e-5f);
  EXPECT_EQ(c.position.z, 21.0f);
  c.track = nullptr;
  c.position = Vector3(-30.0f, 1.0f, 21.0f);
  EXPECT_FALSE(c.KeepInsideBorders());
}

TEST_F(CameraTest, NearModeTreatsAFarCameraAs15AwayAndClosesTo3) {
  Camera& c = g_Camera;
  const Vector3 target(0.0f, 1.5f, 80.0f);
  c.position = Vector3(0.0f, 1.5f, 40.0f);
  c.sectionHint = 10;
  CameraInput in = Rider(80.0f, target);
  c.UpdateNear(in);
  // 15 + (3 - 15) x 8 x 0.01, on the line towards the old position.
  EXPECT_NEAR(80.0f - c.position.z, 14.04f, 1e-4f);
  EXPECT_EQ(c.position.x, 0.0f);
  EXPECT_EQ(c.position.y, 1.5f);
  for (int k = 0; k < 300; ++k) c.UpdateNear(in);
  EXPECT_NEAR(Horizontal(c.position - target), 3.0f, 1e-3f);
}

TEST_F(CameraTest, LookingBackInNearModeTurnsRoundInAbout082Seconds) {
  Camera& c = g_Camera;
  const Vector3 target(0.0f, 1.5f, 80.0f);
  c.position = Vector3(0.0f, 1.5f, 77.0f);
  c.sectionHint = 19;
  CameraInput in = Rider(80.0f, target);
  in.lookBack = 1;
  int frames = 0;
  while (c.lookBackAngle[CAMERA_NEAR] < 3.14159265f && frames < 200) {
    c.UpdateNear(in);
    ++frames;
  }
  EXPECT_NEAR(frames * 0.01f, 0.82f, 0.011f);
  for (int k = 0; k < 100; ++k) c.UpdateNear(in);
  EXPECT_NEAR(c.position.z, 83.0f, 0.05f) << "in front of the rider";
  // Released: the angle turns back and the normal rule takes over below
  // one degree.
  in.lookBack = 0;
  frames = 0;
  while (c.lookBackAngle[CAMERA_NEAR] >= 0.017453292f && frames < 200) {
    c.UpdateNear(in);
    ++frames;
  }
  EXPECT_NEAR(frames * 0.01f, 0.82f, 0.02f);
  const float before = c.lookBackAngle[CAMERA_NEAR];
  c.UpdateNear(in);
  EXPECT_EQ(c.lookBackAngle[CAMERA_NEAR], before);
  EXPECT_EQ(c.position.y, 1.5f);
}

TEST_F(CameraTest, TheEndOfACrashSnapsTheCameraBehindTheRider) {
  Camera& c = g_Camera;
  c.position = Vector3(1.0f, 6.0f, 30.0f);
  c.velocity = Vector3(3.0f, 1.0f, 0.0f);
  c.crashed = 1;
  c.sectionHint = 3;
  CameraInput in = Rider(80.0f, Vector3(0.0f, 1.5f, 80.0f));
  in.rider.triangleHint = 5;
  c.UpdateNear(in);
  EXPECT_EQ(c.position.z, 77.0f);
  EXPECT_EQ(c.position.y, 1.5f);
  EXPECT_EQ(c.velocity.x, 0.0f);
  // The rider's hints, then the ground step's search from them: z = 77 lies
  // in section 19.
  EXPECT_EQ(c.sectionHint, 19);
  EXPECT_EQ(c.crashed, 0);
  EXPECT_EQ(c.snap, 0);
}

TEST_F(CameraTest, CrashFlightGoesSidewaysWhenTheRiderIsThrownClear) {
  Camera& c = g_Camera;
  c.position = Vector3(0.0f, 3.0f, 70.0f);
  c.crashed = 1;
  c.sectionHint = 17;
  CameraInput in = Rider(80.0f, Vector3(0.0f, 1.0f, 80.0f));
  in.rider.crashed = 1;
  // The head 8 ahead of the bike: f = +z, g = +x, goal = target - 4 f + 4 g - 2 f.
  in.rider.head = Vector3(0.0f, 1.0f, 88.0f);
  c.UpdateNear(in);
  EXPECT_NEAR(c.velocity.x, 0.01f * 4.0f * 4.0f, 1e-5f);
  EXPECT_NEAR(c.velocity.z, 0.01f * 4.0f * (74.0f - 70.0f), 1e-4f);
}

TEST_F(CameraTest, PlacementsRightAboveTheTargetStayFinite) {
  const Vector3 target(0.0f, 1.5f, 80.0f);
  for (int mode : {CAMERA_NEAR, CAMERA_MEDIUM}) {
    Camera& c = g_Camera;
    c = Camera();
    c.track = &track_;
    c.sectionHint = 20;
    c.position = Vector3(0.0f, 6.0f, 80.0f);
    CameraInput in = Rider(80.0f, target);
    for (int k = 0; k < 50; ++k) {
      if (mode == CAMERA_NEAR) c.UpdateNear(in);
      else c.UpdateMedium(in);
      ASSERT_TRUE(Finite(c.position) && Finite(c.velocity)) << mode << " frame " << k;
    }
    EXPECT_LT(c.position.z, 80.0f) << "settles behind the rider, mode " << mode;
  }
}

TEST_F(CameraTest, EachModeSettlesWhereItsRuleSays) {
  // A still rider at z = 80 facing +z, its head at (0, 1.6, 80); the camera
  // starts a little behind and to the side, and follows for 30 s (the far
  // camera's spring is lightly damped).
  const struct {
    CameraMode mode;
    Vector3 target;
    Vector3 want;  // where it ends
    float tolerance;
  } cases[] = {
      {CAMERA_HELMET, Vector3(0.0f, 1.6f, 80.0f), Vector3(0.0f, 1.6f, 80.0f), 0.0f},
      {CAMERA_BIKE, Vector3(0.0f, 0.8f, 80.0f), Vector3(0.0f, 0.8f, 80.0f), 0.0f},
      // In front of the rider, 6 along its forward axis.
      {CAMERA_LOW, Vector3(0.0f, 1.0f, 80.0f), Vector3(0.0f, 1.0f, 86.0f), 1e-3f},
      // Three from the goal above the centre line of the rider's section.
      {CAMERA_FAR, Vector3(0.0f, 1.2f, 80.0f), Vector3(), 1e-3f},
  };
  for (const auto& k : cases) {
    Camera& c = g_Camera;
    c = Camera();
    c.track = &track_;
    c.position = Vector3(0.5f, 2.0f, 76.0f);
    c.sectionHint = 19;
    const CameraInput in = Rider(80.0f, k.target);
    for (int f = 0; f < 3000; ++f) {
      switch (k.mode) {
        case CAMERA_HELMET: c.UpdateHelmet(in); break;
        case CAMERA_BIKE: c.UpdateBike(in); break;
        case CAMERA_LOW: c.UpdateLow(in); break;
        default: c.UpdateFar(in); break;
      }
    }
    if (k.mode == CAMERA_FAR) {
      // Sections that run the same way: no lateral offset, the goal above
      // the centre of the rider's node at P.y + 1; the spring rests 3 from it.
      const Vector3 centre = track_.nodes[20].centre;
      const Vector3 goal(centre.x, 1.0f, centre.z);
      EXPECT_NEAR(std::sqrt(LengthSquared(c.position - goal)), 3.0f, k.tolerance);
      EXPECT_LT(c.position.z, goal.z);
      continue;
    }
    EXPECT_NEAR(c.position.x, k.want.x, k.tolerance) << k.mode;
    EXPECT_NEAR(c.position.y, k.want.y, k.tolerance) << k.mode;
    EXPECT_NEAR(c.position.z, k.want.z, k.tolerance) << k.mode;
  }
}

TEST_F(CameraTest, MediumModeHoldsItsDistanceOnASpring) {
  Camera& c = g_Camera;
  const Vector3 target(0.0f, 1.2f, 80.0f);
  c.position = Vector3(0.0f, 1.2f, 70.0f);
  c.sectionHint = 17;
  const CameraInput in = Rider(80.0f, target);
  float nearest = 100.0f;
  for (int f = 0; f < 1000; ++f) {
    c.UpdateMedium(in);
    nearest = std::fmin(nearest, Horizontal(c.position - target));
  }
  // From 10 away it overshoots inside its rest length, then settles a
  // little short of 4 behind, raised by a tenth of its distance.
  EXPECT_LT(nearest, Horizontal(c.position - target) - 0.1f);
  EXPECT_NEAR(Horizontal(c.position - target), 3.64f, 0.05f);
  EXPECT_LT(c.position.z, 80.0f);
  EXPECT_NEAR(c.position.y - target.y, 0.1f * Horizontal(c.position - target), 0.01f);
}

TEST_F(CameraTest, ZoomingTvCameraKeepsItsFieldOfViewBetween2And60Degrees) {
  TvCamera tv{};
  tv.position = Vector3(3.0f, 4.0f, 40.0f);
  tv.sectionHint = 10;
  tv.fieldOfView = 0.5f;
  tv.kind = 1;
  const struct {
    float riderZ, zoom, want;
  } cases[] = {
      {40.0f, 10.0f, 1.0471976f},    // on the camera: the widest
      {41.0f, 100.0f, 1.0471976f},   // near
      {140.0f, 0.1f, 0.034906585f},  // far
      {90.0f, 20.0f, std::atan(20.0f / std::sqrt(9.0f + 16.0f + 2500.0f))},
  };
  for (const auto& k : cases) {
    tv.zoomSize = k.zoom;
    RiderCameraData rider = Rider(k.riderZ, Vector3()).rider;
    g_Camera.snap = 1;
    g_Camera.UpdateTv(rider, &tv);
    EXPECT_NEAR(g_Camera.fieldOfView, k.want, 1e-6f) << k.riderZ;
    EXPECT_NEAR(g_Camera.projection.m[0], 1.0f / std::tan(k.want), 1e-3f);
    EXPECT_EQ(g_Camera.snap, 0);
    EXPECT_EQ(g_Camera.position.z, 40.0f);
  }
}

TEST_F(CameraTest, FixedCameraStaysAboveTheGroundAndInsideTheCourse) {
  Camera& c = g_Camera;
  c.sectionHint = 10;
  c.UpdateFixed(Vector3(-5.0f, -3.0f, 42.0f));
  EXPECT_NEAR(c.position.x, -2.0f, 1e-5f);
  EXPECT_EQ(c.position.y, 1.0f);
  EXPECT_EQ(c.groundHeight, 0.0f);
}

}  // namespace
