// The race's camera director: the trackside cameras made for a course, the
// intro fly-in, what each mode follows and where it aims, the fields of view,
// the mode icon, the sound listener and the replay director's shots.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/camera.h"
#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "engine/sound_device.h"
#include "engine/sound_sample.h"
#include "platform/win32/crt.h"
#include "race/race/race_scene.h"
#include "riders/rider.h"
#include "tests/world/track_fixture.h"
#include "tools/track_course.h"

namespace {

constexpr float kTolerance = 1e-4f;

class StubRider : public Rider {
 public:
  void ComputeControls() override {}
  void SetupAi() override {}
};

class CameraScene : public RaceScene {
 public:
  void SetState(std::uint32_t s) { state_ = s; }
};

// The listener's calls, as the frame leaves them for its commit.
class RecordingListener : public IDirectSound3DListener {
 public:
  struct Call {
    float v[6];
    DWORD apply;
  };
  HRESULT QueryInterface(REFIID, void**) override { return DSERR_NOINTERFACE; }
  DWORD AddRef() override { return 1; }
  DWORD Release() override { return 1; }
  HRESULT CommitDeferredSettings() override { return DS_OK; }
  HRESULT SetOrientation(D3DVALUE fx, D3DVALUE fy, D3DVALUE fz, D3DVALUE tx, D3DVALUE ty, D3DVALUE tz,
                         DWORD apply) override {
    orientations.push_back({{fx, fy, fz, tx, ty, tz}, apply});
    return DS_OK;
  }
  HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override {
    positions.push_back({{x, y, z, 0.0f, 0.0f, 0.0f}, apply});
    return DS_OK;
  }
  HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override {
    velocities.push_back({{x, y, z, 0.0f, 0.0f, 0.0f}, apply});
    return DS_OK;
  }
  std::vector<Call> positions;
  std::vector<Call> velocities;
  std::vector<Call> orientations;
};

Vector3 Unit(const Vector3& v) { return v / std::sqrt(LengthSquared(v)); }

void ExpectNear(const Vector3& want, const Vector3& got, const char* what) {
  EXPECT_NEAR(want.x, got.x, kTolerance) << what;
  EXPECT_NEAR(want.y, got.y, kTolerance) << what;
  EXPECT_NEAR(want.z, got.z, kTolerance) << what;
}

// A rider at (10, 2, 20) riding along +z, upright; its look point leans
// off to x = 11 so that a mix-up of the two shows.
RiderCameraData RiderAt() {
  RiderCameraData d{};
  d.matrix = g_IdentityMatrix;
  d.matrix.m[12] = 10.0f;
  d.matrix.m[13] = 2.0f;
  d.matrix.m[14] = 20.0f;
  d.heading = 0.5f;
  d.pitch = 0.0f;
  d.onTrack = 1;
  d.head = Vector3(11.0f, 3.7f, 20.0f);
  return d;
}

class RaceCameraTest : public kelvtest::TrackTest {
 protected:
  void SetUp() override {
    TrackTest::SetUp();
    ASSERT_TRUE(OpenAt(640, 480));
    saved_ = {g_RaceType, g_GameMode, g_FrameTime, g_DirectorShotTime, g_DirectorShotLength, crt::state()};
    g_GameMode = GAME_MODE_SINGLE_RACE;
    g_RaceType = 3;
    g_FrameTime = 0.02f;
    scene_ = std::make_unique<CameraScene>();
  }
  void TearDown() override {
    for (Rider*& r : scene_->riders) {
      delete r;
      r = nullptr;
    }
    scene_.reset();
    g_SoundListener = nullptr;
    g_SoundMuted = 0;
    g_RaceType = saved_.raceType;
    g_GameMode = saved_.gameMode;
    g_FrameTime = saved_.frameTime;
    g_DirectorShotTime = saved_.shotTime;
    g_DirectorShotLength = saved_.shotLength;
    crt::srand(saved_.random);
    TrackTest::TearDown();
  }

  void LoadStraight(int sections) {
    ASSERT_TRUE(LoadSet(&scene_->track, kelvdata::StraightTrackSet(sections)));
    g_Camera.track = &scene_->track;
  }
  void LoadCourse() {
    OpenTrackArchive(kelvdata::CourseMembers());
    ASSERT_TRUE(scene_->track.Load(kelvdata::COURSE_TRACK));
    g_Camera.track = &scene_->track;
  }
  StubRider* AddRider(std::uint32_t slot, std::uint16_t node) {
    auto* r = new StubRider();
    r->SetIndex(static_cast<std::uint8_t>(slot));
    r->state = RIDER_RACING;
    r->physics.sectionHint = node;
    scene_->riders[slot] = r;
    return r;
  }
  void SetCameras(const std::vector<TvCamera>& cameras) {
    scene_->tvCameras.reset(new TvCamera[cameras.size()]);
    for (std::size_t i = 0; i < cameras.size(); ++i) scene_->tvCameras[i] = cameras[i];
    scene_->tvCameraCount = static_cast<std::uint16_t>(cameras.size());
  }
  // The point the camera aims at must lie along its view direction.
  void ExpectAimedAt(const Vector3& target, const char* what) {
    ExpectNear(Unit(target - g_Camera.position), g_Camera.viewDirection, what);
  }

  std::unique_ptr<CameraScene> scene_;
  struct {
    std::uint8_t raceType, gameMode;
    float frameTime, shotTime, shotLength;
    unsigned int random;
  } saved_{};
};

// Whether camera c holds node k by the director's range rule.
bool Holds(const TvCamera& c, std::uint32_t k) {
  return c.firstNode < c.lastNode ? c.firstNode <= k && k <= c.lastNode : k >= c.firstNode || k <= c.lastNode;
}

TEST_F(RaceCameraTest, TvCamerasCoverTheCourseInConsecutiveStretches) {
  struct Case {
    int nodes;
    unsigned int seed;
    bool capped;  // stops at 100 cameras and leaves the rest uncovered
  };
  const Case cases[] = {{60, 1, false}, {60, 77, false}, {2000, 5, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nodes);
    scene_.reset();  // the scene's dialogs go before the next scene's come
    scene_ = std::make_unique<CameraScene>();
    LoadStraight(c.nodes);
    crt::srand(c.seed);
    ASSERT_TRUE(scene_->BuildTvCameras());
    const std::uint16_t count = scene_->tvCameraCount;
    const TvCamera* cams = scene_->tvCameras.get();
    ASSERT_GE(count, 1);
    ASSERT_LE(count, 100);
    EXPECT_EQ(count == 100, c.capped);

    // Camera 0 covers the start line from a few nodes before the end.
    const std::uint32_t start = cams[0].firstNode;
    EXPECT_GE(start, static_cast<std::uint32_t>(c.nodes - 8));
    EXPECT_LE(start, static_cast<std::uint32_t>(c.nodes - 5));
    EXPECT_EQ(cams[0].lastNode, 10u);
    EXPECT_GE(cams[0].kind, 1u);
    EXPECT_TRUE(Holds(cams[0], 0) && Holds(cams[0], 10) && Holds(cams[0], start) && !Holds(cams[0], 11));

    for (std::uint16_t i = 1; i < count; ++i) {
      SCOPED_TRACE(i);
      const TvCamera& k = cams[i];
      EXPECT_EQ(k.firstNode, cams[i - 1].lastNode + 1);
      if (cams[i - 1].lastNode < start - 35) {
        // 11 to 25 nodes (26 only at the generator's largest value).
        EXPECT_GE(k.lastNode - k.firstNode + 1, 11u);
        EXPECT_LE(k.lastNode - k.firstNode + 1, 26u);
      } else {
        EXPECT_EQ(k.lastNode, start - 1);
      }
      EXPECT_LE(k.kind, 3u);
    }
    if (c.capped) {
      EXPECT_LT(cams[count - 1].lastNode, start - 1);
      // A node past the last stretch falls back on camera 0.
      EXPECT_EQ(scene_->TvCameraFor(start - 2), 0);
    } else {
      EXPECT_EQ(cams[count - 1].lastNode, start - 1);
      for (int node = 0; node < c.nodes; ++node) {
        int holders = 0;
        for (std::uint16_t i = 0; i < count; ++i) holders += Holds(cams[i], static_cast<std::uint32_t>(node)) ? 1 : 0;
        EXPECT_EQ(holders, 1) << node;
      }
    }

    // Every camera stands over the 4 m wide, flat course: camera 0 on its
    // edge, raised by the ground's normal and up to 1 more; the others
    // raised by half the normal and up to 3 more.
    for (std::uint16_t i = 0; i < count; ++i) {
      SCOPED_TRACE(i);
      const TvCamera& k = cams[i];
      EXPECT_LE(std::fabs(k.position.x), 2.0f + kTolerance);
      if (i == 0) {
        EXPECT_NEAR(std::fabs(k.position.x), k.kind == 2 ? 1.4f : 2.0f, kTolerance);
        EXPECT_GE(k.position.y, 1.0f - kTolerance);
        EXPECT_LE(k.position.y, 2.0f + kTolerance);
      } else {
        EXPECT_GE(k.position.y, 0.5f - kTolerance);
        EXPECT_LE(k.position.y, 3.5f + kTolerance);
      }
      if (k.kind == 1) {
        EXPECT_GE(k.zoomSize, 2.0f);
        EXPECT_LE(k.zoomSize, 12.0f);
      } else {
        EXPECT_EQ(k.zoomSize, 0.0f);
      }
      if (i != 0 || k.kind != 1) {
        EXPECT_GE(k.fieldOfView, 0.08726646f);
        EXPECT_LE(k.fieldOfView, 1.0471976f + kTolerance);
      }
    }
  }
}

TEST_F(RaceCameraTest, StartCameraOffTheSectionsStandsOnItsNodesGround) {
  LoadStraight(60);
  // Node 3's edge lies far off the ridden ground: no triangle gives a height.
  scene_->track.nodes[3].halfWidth = 40.0f;
  scene_->track.nodes[3].groundHeight = 6.0f;
  crt::srand(3);
  ASSERT_TRUE(scene_->BuildTvCameras());
  const TvCamera& c = scene_->tvCameras[0];
  EXPECT_NEAR(c.position.x, c.kind == 2 ? 28.0f : 40.0f, kTolerance);
  // 6, then the hinted triangle's normal (straight up), then up to 1 more.
  EXPECT_GE(c.position.y, 7.0f);
  EXPECT_LE(c.position.y, 8.0f);
}

TEST_F(RaceCameraTest, ShortCourseKeepsTheStartCameraOnTheCourse) {
  LoadStraight(4);
  crt::srand(9);
  ASSERT_TRUE(scene_->BuildTvCameras());
  ASSERT_EQ(scene_->tvCameraCount, 1);
  EXPECT_EQ(scene_->tvCameras[0].firstNode, 0u);
  EXPECT_EQ(scene_->TvCameraFor(3), 0);
}

TEST_F(RaceCameraTest, IntroFliesThroughItsThreePointsAndTurnsToTheRider) {
  LoadCourse();
  scene_->SetState(RACE_STATE_INTRO);
  scene_->SetupFlyIn();
  const Track& t = scene_->track;
  auto above = [&](int node, float h) {
    return Vector3(t.nodes[node].centre.x, t.nodes[node].groundHeight + h, t.nodes[node].centre.z);
  };
  const Vector3 startLine(t.nodes[0].centre.x, t.nodes[0].groundHeight, t.nodes[0].centre.z);
  RiderCameraData rider = RiderAt();
  rider.matrix.m[12] = t.nodes[2].centre.x;
  rider.matrix.m[13] = 0.5f;
  rider.matrix.m[14] = t.nodes[2].centre.z;
  const Vector3 riderAt(rider.matrix.m[12], rider.matrix.m[13], rider.matrix.m[14]);
  struct Step {
    float clock;
    Vector3 camera;
    Vector3 aim;
  };
  const Step steps[] = {
      {0.0f, above(10, 5.0f), startLine},
      {5.0f, above(5, 2.0f), startLine},
      {8.5f, Vector3(), riderAt},  // the view has turned to the rider
      {10.0f, above(1, 1.0f), riderAt},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.clock);
    scene_->DirectCamera(rider, s.clock);
    EXPECT_EQ(scene_->cameraMode, CAMERA_FIXED);
    if (s.clock != 8.5f) ExpectNear(s.camera, g_Camera.position, "camera");
    ExpectAimedAt(s.aim, "aim");
  }
  // The flight eases in: at 2.5 s it is 0.1453058 of the way along the curve
  // through the three points (written here in its Lagrange form).
  const float e = 0.1453058f;  // (atan(-2) + pi / 4) / (2 atan(-2))
  const Vector3 p0 = above(10, 5.0f), p1 = above(5, 2.0f), p2 = above(1, 1.0f);
  scene_->DirectCamera(rider, 2.5f);
  ExpectNear(((e - 0.5f) * (e - 1.0f) * 2.0f) * p0 + (e * (e - 1.0f) * -4.0f) * p1 + (e * (e - 0.5f) * 2.0f) * p2,
             g_Camera.position, "eased");
  // Halfway through the turn (6.5 s) the aim lies halfway between the two.
  scene_->DirectCamera(rider, 6.5f);
  ExpectAimedAt(startLine + 0.5f * (riderAt - startLine), "halfway");
  // After the intro the record is the rider's own.
  scene_->SetState(RACE_STATE_RACING);
  scene_->DirectCamera(rider, 10.5f);
  ExpectAimedAt(rider.head, "racing");
}

TEST_F(RaceCameraTest, EachModeFollowsItsTargetAndAimsAtItsPoint) {
  g_Camera.track = nullptr;  // no ground step: the snap points stand as they are
  SetCameras({{Vector3(30.0f, 4.0f, 25.0f), 55, 10, 0, 0, 0.5f, 0.0f, 0}});
  AddRider(0, 3);
  scene_->chasePitch = -0.17453292f;  // the chase springs at rest
  const RiderCameraData rider = RiderAt();
  const float s5 = 5.0f * std::sin(0.5f);
  const float c5 = 5.0f * std::cos(0.5f);
  const float down = -5.0f * std::sin(0.17453292f);
  struct Case {
    const char* name;
    std::uint32_t mode;
    std::uint8_t crashed;
    Vector3 camera;
    Vector3 aim;
  };
  const Case cases[] = {
      // Across from the look point, height and depth from the position.
      {"chase", CAMERA_HELMET, 0, Vector3(11.0f, 3.7f, 20.0f), Vector3(11.0f + s5, 2.0f + down, 20.0f + c5)},
      {"near", CAMERA_NEAR, 0, Vector3(10.0f, 3.5f, 17.0f), Vector3(10.0f, 3.5f, 20.0f)},
      {"far", CAMERA_FAR, 0, Vector3(10.0f, 3.2f, 18.0f), Vector3(10.0f, 3.2f, 20.0f)},
      {"medium", CAMERA_MEDIUM, 0, Vector3(10.0f, 3.2f, 16.0f), Vector3(10.0f, 3.2f, 20.0f)},
      {"tv", CAMERA_TV, 0, Vector3(30.0f, 4.0f, 25.0f), Vector3(10.0f, 3.0f, 20.0f)},
      {"low", CAMERA_LOW, 0, Vector3(10.0f, 1.6f, 18.0f), Vector3(10.0f, 2.0f, 20.0f)},
      {"lagging", CAMERA_BIKE, 0, Vector3(9.6f, 2.2f, 20.0f), Vector3(10.0f, 2.0f, 20.5f)},
      {"fixed", CAMERA_FIXED, 0, Vector3(10.0f, 2.0f, 20.0f), Vector3(11.0f, 3.7f, 20.0f)},
  };
  for (const Case& c : cases) {
    g_Camera.snap = 1;
    RiderCameraData d = rider;
    d.crashed = c.crashed;
    scene_->PlaceCamera(d, c.mode);
    ExpectNear(c.camera, g_Camera.position, c.name);
    ExpectAimedAt(c.aim, c.name);
  }

  // A crashed rider: the chase camera looks only 0.1 ahead, the lagging
  // camera at the rider itself (both cameras stay put in a zero-length frame).
  g_FrameTime = 0.0f;
  struct Crash {
    const char* name;
    std::uint32_t mode;
    Vector3 aim;
  };
  const Crash crashes[] = {
      {"chase crashed", CAMERA_HELMET,
       Vector3(11.0f + 0.1f * std::sin(0.5f), 2.0f - 0.1f * std::sin(0.17453292f), 20.0f + 0.1f * std::cos(0.5f))},
      {"lagging crashed", CAMERA_BIKE, Vector3(10.0f, 2.0f, 20.0f)},
  };
  for (const Crash& c : crashes) {
    g_Camera.snap = 0;
    g_Camera.crashed = 1;
    g_Camera.position = Vector3(12.0f, 2.5f, 17.0f);
    g_Camera.velocity = Vector3(0.0f, 0.0f, 0.0f);
    RiderCameraData d = rider;
    d.crashed = 1;
    scene_->PlaceCamera(d, c.mode);
    ExpectAimedAt(c.aim, c.name);
  }

  // The scripted camera is left where the race put it, and not aimed.
  g_Camera.position = Vector3(1.0f, 2.0f, 3.0f);
  g_Camera.viewDirection = Vector3(0.0f, 0.0f, 1.0f);
  scene_->PlaceCamera(rider, CAMERA_SCRIPTED);
  ExpectNear(Vector3(1.0f, 2.0f, 3.0f), g_Camera.position, "scripted");
  ExpectNear(Vector3(0.0f, 0.0f, 1.0f), g_Camera.viewDirection, "scripted aim");
}

TEST_F(RaceCameraTest, TvCameraIsTheFirstWhoseRangeHoldsTheFollowedRider) {
  g_Camera.track = nullptr;
  // Camera 0 wraps over the start line; camera 3 repeats part of camera 2.
  SetCameras({{Vector3(0.0f, 1.0f, 0.0f), 55, 10, 0, 0, 0.5f, 0.0f, 0},
              {Vector3(1.0f, 1.0f, 0.0f), 11, 30, 0, 0, 0.5f, 0.0f, 0},
              {Vector3(2.0f, 1.0f, 0.0f), 31, 50, 0, 0, 0.5f, 0.0f, 0},
              {Vector3(3.0f, 1.0f, 0.0f), 40, 52, 0, 0, 0.5f, 0.0f, 0}});
  StubRider* r = AddRider(2, 0);
  scene_->followedRider = 2;
  struct Case {
    std::uint16_t node;
    float cameraX;
  };
  const Case cases[] = {{0, 0.0f},  {10, 0.0f}, {57, 0.0f}, {55, 0.0f}, {11, 1.0f},
                        {30, 1.0f}, {45, 2.0f}, {51, 3.0f}, {53, 0.0f}};  // 53: none, camera 0
  for (const Case& c : cases) {
    r->physics.sectionHint = c.node;
    scene_->PlaceCamera(RiderAt(), CAMERA_TV);
    EXPECT_EQ(g_Camera.position.x, c.cameraX) << c.node;
  }
  // Without cameras the TV mode still aims at the rider.
  scene_->tvCameras.reset();
  scene_->tvCameraCount = 0;
  g_Camera.position = Vector3(0.0f, 10.0f, 0.0f);
  scene_->PlaceCamera(RiderAt(), CAMERA_TV);
  ExpectAimedAt(Vector3(10.0f, 3.0f, 20.0f), "no cameras");
}

TEST_F(RaceCameraTest, PlayerInThePitsIsShownFromTheTvCameraOverTheOrigin) {
  LoadCourse();
  crt::srand(11);
  ASSERT_TRUE(scene_->BuildTvCameras());
  // The pits at the origin lie off the course: the height starts from node
  // 0's ground.
  scene_->track.nodes[0].groundHeight = 0.75f;
  StubRider* player = AddRider(0, 40);
  AddRider(1, 40);
  RiderCameraData d = RiderAt();
  d.crashed = 1;
  struct Case {
    const char* name;
    std::uint8_t raceType;
    std::uint32_t followed;
    std::uint32_t playerState;
    bool pits;
  };
  const Case cases[] = {
      {"practice", 1, 0, RIDER_OUT, true},
      {"qualifying", 2, 0, RIDER_OUT, true},
      {"moto", 3, 0, RIDER_OUT, false},
      {"another rider followed", 1, 1, RIDER_OUT, false},
      {"player riding", 1, 0, RIDER_RACING, false},
  };
  for (const Case& c : cases) {
    g_RaceType = c.raceType;
    scene_->followedRider = c.followed;
    player->state = c.playerState;
    scene_->cameraMode = CAMERA_NEAR;
    scene_->SetState(RACE_STATE_RACING);
    scene_->DirectCamera(d, 3.0f);
    EXPECT_EQ(scene_->cameraMode, c.pits ? CAMERA_TV : CAMERA_NEAR) << c.name;
    if (c.pits) ExpectAimedAt(Vector3(0.0f, 0.75f + 0.3f + 1.0f, 0.0f), c.name);
  }
}

TEST_F(RaceCameraTest, ChaseSpringsSettleOnTheLookKeysAndLookBack) {
  struct Case {
    const char* name;
    float yawInput, pitchInput;
    bool lookBack;
    int frames;
    float yaw, pitch;
  };
  const float kPi = 3.14159265f;
  const Case cases[] = {
      {"rest", 0.0f, 0.0f, false, 250, 0.0f, -0.17453292f},
      {"look up and right", 1.0f, 1.0f, false, 250, 1.2217305f, 1.0471976f},
      {"look down and left", -1.0f, -1.0f, false, 250, -1.2217305f, -1.3962634f},
      {"look back", 0.0f, 0.0f, true, 250, kPi, -0.17453292f},
      // One 20 ms frame from rest: the look-back spring is the stiffer.
      {"look back, first frame", 0.0f, 0.0f, true, 1, 50.0f * kPi * 0.0004f, -0.17453292f},
      {"look right, first frame", 1.0f, 0.0f, false, 1, 20.0f * 1.2217305f * 0.0004f, -0.17453292f},
  };
  for (const Case& c : cases) {
    // From rest: straight ahead, 10 degrees down.
    scene_->chaseYaw = scene_->chaseYawRate = 0.0f;
    scene_->chasePitch = -0.17453292f;
    scene_->chasePitchRate = 0.0f;
    scene_->chaseYawInput = c.yawInput;
    scene_->chasePitchInput = c.pitchInput;
    scene_->lookBack = c.lookBack;
    for (int i = 0; i < c.frames; ++i) scene_->UpdateChaseSprings();
    EXPECT_NEAR(scene_->chaseYaw, c.yaw, 1e-3f) << c.name;
    EXPECT_NEAR(scene_->chasePitch, c.pitch, 1e-3f) << c.name;
  }
}

TEST_F(RaceCameraTest, FieldOfViewAndIconFollowTheMode) {
  struct Case {
    std::uint32_t mode;
    float fov;  // < 0: kept
    float y;
    float u0, u1, v0, v1;
  };
  const Case cases[] = {
      {CAMERA_HELMET, 0.8726646f, 85.0f, 0.0f, 0.25f, 0.5f, 0.75f},
      {CAMERA_NEAR, 0.6981317f, 85.0f, 0.25f, 0.5f, 0.5f, 0.75f},
      {CAMERA_FAR, 0.6108652f, 85.0f, 0.0f, 0.25f, 0.25f, 0.5f},
      {CAMERA_MEDIUM, 0.6981317f, 85.0f, 0.25f, 0.5f, 0.25f, 0.5f},
      {CAMERA_TV, -1.0f, 5.0f, 0.25f, 0.5f, 0.0f, 0.25f},
      {CAMERA_SCRIPTED, 0.8726646f, 85.0f, -1.0f, 0, 0, 0},
      {CAMERA_LOW, 0.6981317f, 85.0f, -1.0f, 0, 0, 0},
      {CAMERA_BIKE, 0.8726646f, 85.0f, -1.0f, 0, 0, 0},
      {CAMERA_FIXED, 0.6981317f, 5.0f, -1.0f, 0, 0, 0},
  };
  scene_->cameraPanelShown = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    g_Camera.SetFov(0.3f);
    scene_->cameraPanel.SetUvs(0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f);
    scene_->cameraMode = c.mode;
    scene_->ApplyCameraMode();
    EXPECT_FLOAT_EQ(g_Camera.fieldOfView, c.fov < 0.0f ? 0.3f : c.fov);
    EXPECT_EQ(scene_->cameraPanel.x, 5.0f);
    EXPECT_EQ(scene_->cameraPanel.y, c.y);
    if (c.u0 < 0.0f) {
      EXPECT_EQ(scene_->cameraPanel.GetU(0), 0.9f);  // no icon of its own
      continue;
    }
    // Corners top-left, top-right, bottom-right, bottom-left.
    const float us[4] = {c.u0, c.u1, c.u1, c.u0};
    const float vs[4] = {c.v0, c.v0, c.v1, c.v1};
    for (std::uint8_t i = 0; i < 4; ++i) {
      EXPECT_EQ(scene_->cameraPanel.GetU(i), us[i]);
      EXPECT_EQ(scene_->cameraPanel.GetV(i), vs[i]);
    }
  }
  // A hidden panel is left where it was.
  scene_->cameraPanelShown = false;
  scene_->cameraMode = CAMERA_NEAR;
  scene_->ApplyCameraMode();
  EXPECT_EQ(scene_->cameraPanel.y, 5.0f);
  EXPECT_FLOAT_EQ(g_Camera.fieldOfView, 0.6981317f);
}

TEST_F(RaceCameraTest, ListenerFollowsTheCameraOrTheRiderDeferred) {
  RecordingListener listener;
  g_SoundListener = &listener;
  g_Camera.track = nullptr;
  const RiderCameraData rider = RiderAt();
  g_Camera.snap = 1;
  scene_->PlaceCamera(rider, CAMERA_NEAR);  // camera at (10, 3.5, 17)
  g_Camera.snap = 1;
  scene_->PlaceCamera(rider, CAMERA_FIXED);  // camera at (10, 2, 20)
  g_Camera.snap = 1;
  scene_->PlaceCamera(rider, CAMERA_HELMET);  // camera at the look point; heard at the rider
  ASSERT_EQ(listener.positions.size(), 3u);
  ASSERT_EQ(listener.velocities.size(), 3u);
  ASSERT_EQ(listener.orientations.size(), 3u);
  const float* p = listener.positions[1].v;
  ExpectNear(Vector3(10.0f, 2.0f, 20.0f), Vector3(p[0], p[1], p[2]), "fixed: at the camera");
  p = listener.positions[2].v;
  ExpectNear(Vector3(10.0f, 2.0f, 20.0f), Vector3(p[0], p[1], p[2]), "chase: at the rider");
  // From the near camera to the fixed one in a 20 ms frame.
  const float* v = listener.velocities[1].v;
  ExpectNear(Vector3(0.0f, -75.0f, 150.0f), Vector3(v[0], v[1], v[2]), "velocity");
  v = listener.velocities[2].v;
  ExpectNear(Vector3(50.0f, 85.0f, 0.0f), Vector3(v[0], v[1], v[2]), "velocity");
  // The fixed camera looks from the rider up at its look point.
  const float* o = listener.orientations[1].v;
  ExpectNear(Unit(Vector3(1.0f, 1.7f, 0.0f)), Vector3(o[0], o[1], o[2]), "front");
  ExpectNear(Unit(Vector3(-1.7f, 1.0f, 0.0f)), Vector3(o[3], o[4], o[5]), "top");
  for (const auto* calls : {&listener.positions, &listener.velocities, &listener.orientations}) {
    for (const RecordingListener::Call& c : *calls) EXPECT_EQ(c.apply, DS3D_DEFERRED);
  }
  // The scripted camera is heard too; muted sound leaves the listener alone.
  scene_->PlaceCamera(rider, CAMERA_SCRIPTED);
  EXPECT_EQ(listener.positions.size(), 4u);
  g_SoundMuted = 1;
  scene_->PlaceCamera(rider, CAMERA_NEAR);
  EXPECT_EQ(listener.positions.size(), 4u);
}

TEST_F(RaceCameraTest, ReplayDirectorCutsBetweenRandomShots) {
  g_Camera.track = nullptr;
  scene_->playback = true;
  scene_->cameraMode = CAMERA_MEDIUM;
  g_DirectorShotTime = 0.0f;
  g_DirectorShotLength = 0.0f;
  crt::srand(21);
  // The first replay frame of the run only draws the first shot's length.
  scene_->DirectCamera(RiderAt(), 0.0f);
  EXPECT_EQ(scene_->cameraMode, CAMERA_MEDIUM);
  EXPECT_GE(g_DirectorShotLength, 5.0f);
  EXPECT_LE(g_DirectorShotLength, 11.0f);
  EXPECT_FLOAT_EQ(g_DirectorShotTime, 0.02f);
  // Within a shot nothing changes.
  scene_->DirectCamera(RiderAt(), 0.0f);
  EXPECT_EQ(scene_->cameraMode, CAMERA_MEDIUM);
  EXPECT_FLOAT_EQ(g_DirectorShotTime, 0.04f);

  int counts[9] = {};
  const int shots = 4000;
  for (int i = 0; i < shots; ++i) {
    g_DirectorShotTime = g_DirectorShotLength;
    g_Camera.SetFov(0.3f);
    scene_->DirectCamera(RiderAt(), 0.0f);
    const std::uint32_t mode = scene_->cameraMode;
    ASSERT_LT(mode, 9u);
    ++counts[mode];
    EXPECT_EQ(g_DirectorShotTime, 0.0f);
    if (mode == CAMERA_TV) {
      EXPECT_GE(g_DirectorShotLength, 15.0f);
      EXPECT_LE(g_DirectorShotLength, 25.0f);
      EXPECT_EQ(g_Camera.fieldOfView, 0.3f);  // kept for the TV camera's own
    } else {
      EXPECT_GE(g_DirectorShotLength, 5.0f);
      EXPECT_LE(g_DirectorShotLength, 11.0f);
      EXPECT_NE(g_Camera.fieldOfView, 0.3f);
    }
  }
  const float share[9] = {0.18f, 0.0f, 0.18f, 0.0f, 0.4f, 0.0f, 0.18f, 0.06f, 0.0f};
  for (int m = 0; m < 9; ++m) {
    EXPECT_NEAR(static_cast<float>(counts[m]) / shots, share[m], 0.03f) << m;
  }
}

TEST_F(RaceCameraTest, PutCameraBehindStandsFourUnitsBackAlongTheRider) {
  StubRider* r = AddRider(0, 0);
  r->Place(3.0f, 1.0f, 7.0f, 1.5707964f);  // facing +x
  scene_->PutCameraBehind(r);
  ExpectNear(Vector3(-1.0f, 1.0f, 7.0f), g_Camera.position, "behind");
  scene_->PutCameraBehind(nullptr);  // nothing to follow: the camera stays
  ExpectNear(Vector3(-1.0f, 1.0f, 7.0f), g_Camera.position, "no rider");
}

}  // namespace
