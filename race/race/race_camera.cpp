// The race's camera director: the trackside TV cameras made at load time,
// the intro fly-in, the action replay's random shots, what each camera mode
// is given to follow and where it aims, the field of view per mode, the
// mode icon, and the 3D sound listener that follows the camera.
#include <cmath>
#include <memory>
#include <new>

#include "engine/camera.h"
#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "engine/sound_device.h"
#include "engine/sound_sample.h"
#include "platform/win32/crt.h"
#include "race/race/race_scene.h"
#include "riders/rider.h"

float g_DirectorShotTime = 0.0f;
float g_DirectorShotLength = 0.0f;

namespace {

constexpr std::uint16_t MAX_TV_CAMERAS = 100;
constexpr std::uint8_t RACE_TYPE_PRACTICE = 1;
constexpr std::uint8_t RACE_TYPE_QUALIFYING = 2;
constexpr float PI = 3.14159265f;
// A TV camera's field of view runs from 5 to 60 degrees.
constexpr float TV_FOV_LOW = 0.08726646f;
constexpr float TV_FOV_RANGE = 0.9599311f;
// The chase camera's look keys turn it by 70 degrees; at rest it looks
// 10 degrees down.
constexpr float CHASE_LOOK_ANGLE = 1.2217305f;
constexpr float CHASE_PITCH_OFFSET = 1.3962634f;

// The camera icon's place in the 4 x 4 grid of its panel texture, for the
// modes the player chooses: u from, u to, v from, v to.
constexpr float CAMERA_ICONS[5][4] = {
    {0.0f, 0.25f, 0.5f, 0.75f},    // chase
    {0.25f, 0.5f, 0.5f, 0.75f},    // near
    {0.0f, 0.25f, 0.25f, 0.5f},    // far
    {0.25f, 0.5f, 0.25f, 0.5f},    // medium
    {0.25f, 0.5f, 0.0f, 0.25f},    // TV
};

// Where the listener's camera stood at its last update: program-wide, so the
// first velocity of a race is taken from where the previous race left it.
Vector3 listenerPrevious(0.0f, 0.0f, 0.0f);

// 0..1 from the platform's C-runtime generator.
float Random() { return static_cast<float>(crt::rand()) / static_cast<float>(crt::RAND_MAX_VALUE); }

Vector3 Row(const Matrix4& m, int r) { return Vector3(m.m[r * 4], m.m[r * 4 + 1], m.m[r * 4 + 2]); }
void SetRow(Matrix4* m, int r, const Vector3& v) {
  m->m[r * 4] = v.x;
  m->m[r * 4 + 1] = v.y;
  m->m[r * 4 + 2] = v.z;
}

// Node k of the course, taken round the loop on a course shorter than the
// fixed node numbers the director uses. The course has nodes.
const TrackNode& NodeAt(const Track& track, std::uint32_t k) { return track.nodes[k % track.nodes.size()]; }

// The ground under a point. A point off every section triangle keeps
// `fallback`, the ground height of the node it was placed from.
float GroundHeight(Track& track, const Vector3& point, std::uint16_t* section, std::uint16_t* triangle,
                   float fallback) {
  float height = fallback;
  track.getheight(&point, section, triangle, &height, true);
  return height;
}

Vector3 SurfaceNormal(const Track& track, const Vector3& point, std::uint16_t section, std::uint16_t triangle) {
  TrackSurface s;
  track.GetSurface(&s, &point, section, triangle, true);
  return Vector3(s.nx, s.ny, s.nz);
}

// The intro's easing: 0 at v = -1, 1 at v = 1, slow at both ends.
float Ease(float v) {
  const float a = std::atan(-2.0f);
  return (a - std::atan(2.0f * v)) / (2.0f * a);
}

bool Session() { return g_RaceType == RACE_TYPE_PRACTICE || g_RaceType == RACE_TYPE_QUALIFYING; }

// The replay director: holds a shot for its length, then cuts to a mode
// drawn at random (TV shots the longest).
void DirectReplayShot(RaceScene* scene) {
  if (g_DirectorShotLength == 0.0f) g_DirectorShotLength = 5.0f + 6.0f * Random();  // the run's first replay
  if (g_DirectorShotTime < g_DirectorShotLength) {
    g_DirectorShotTime += g_FrameTime;
    return;
  }
  const float r = Random();
  std::uint32_t mode = CAMERA_BIKE;
  if (r <= 0.4f) {
    mode = CAMERA_TV;
  } else if (r <= 0.58f) {
    mode = CAMERA_LOW;
  } else if (r <= 0.76f) {
    mode = CAMERA_HELMET;
  } else if (r <= 0.94f) {
    mode = CAMERA_FAR;
  }
  scene->cameraMode = mode;
  const float r2 = Random();
  if (mode == CAMERA_TV) {
    g_DirectorShotLength = 15.0f + 10.0f * r2;  // the TV camera sets its own field of view
  } else {
    g_DirectorShotLength = 5.0f + 6.0f * r2;
    scene->SetProjectionForMode();
  }
  g_DirectorShotTime = 0.0f;
}

// Deferred: the frame commits the listener every third frame.
void UpdateListener(const Vector3& at) {
  if (g_SoundListener == nullptr || g_SoundMuted) return;
  const Vector3 camera = g_Camera.position;
  const Vector3 velocity = g_FrameTime > 0.0f ? (camera - listenerPrevious) / g_FrameTime : Vector3();
  const Matrix4& view = g_Camera.view;
  g_SoundListener->SetPosition(at.x, at.y, at.z, DS3D_DEFERRED);
  g_SoundListener->SetVelocity(velocity.x, velocity.y, velocity.z, DS3D_DEFERRED);
  g_SoundListener->SetOrientation(view.m[2], view.m[6], view.m[10], view.m[1], view.m[5], view.m[9], DS3D_DEFERRED);
  listenerPrevious = camera;
}

}  // namespace

bool RaceScene::BuildTvCameras() {
  std::unique_ptr<TvCamera[]> work(new (std::nothrow) TvCamera[MAX_TV_CAMERAS]);
  if (!work) return false;
  tvCameras.reset();
  tvCameraCount = 0;
  if (track.nodes.empty() || track.sectionCount == 0) return true;

  // Camera 0 looks over the start line. Signed: on a course of fewer than
  // eight nodes its stretch starts at node 0 rather than before the course.
  const std::int64_t n = static_cast<std::int64_t>(track.nodes.size());
  TvCamera& first = work[0];
  float r = Random();
  first.kind = r < 0.3f ? 1 : r < 0.6f ? 2 : 3;
  std::int64_t firstStart = n - static_cast<std::int64_t>(3.0f * Random()) - 5;
  if (firstStart < 0) firstStart = 0;
  first.firstNode = static_cast<std::uint32_t>(firstStart);
  first.lastNode = 10;
  first.sectionHint = 3;
  first.triangleHint = 0;
  const TrackNode& edge = NodeAt(track, 3);
  const float reach = first.kind == 2 ? edge.halfWidth * 0.7f : edge.halfWidth;
  first.position = edge.centre + reach * edge.across;
  first.position.y = GroundHeight(track, first.position, &first.sectionHint, &first.triangleHint, edge.groundHeight);
  first.position = first.position + SurfaceNormal(track, first.position, first.sectionHint, first.triangleHint);
  if (first.kind != 3) first.position.y += Random();
  if (first.kind == 1) {
    first.fieldOfView = 0.0f;
    first.zoomSize = 2.0f + 10.0f * Random();
  } else {
    first.fieldOfView = TV_FOV_LOW + TV_FOV_RANGE * Random();
    first.zoomSize = 0.0f;
  }

  // Then stretches of 11 to 25 nodes round the course up to camera 0's.
  std::uint16_t count = 1;
  while (count < MAX_TV_CAMERAS && static_cast<std::int64_t>(work[count - 1].lastNode) < firstStart - 1) {
    const TvCamera& previous = work[count - 1];
    TvCamera& c = work[count];
    r = Random();
    c.kind = r < 0.25f ? 0 : r < 0.5f ? 1 : r < 0.75f ? 2 : 3;
    c.firstNode = previous.lastNode + 1;
    if (static_cast<std::int64_t>(previous.lastNode) < firstStart - 35) {
      c.lastNode = c.firstNode + 10 + static_cast<std::uint32_t>(15.0f * Random());
    } else {
      c.lastNode = static_cast<std::uint32_t>(firstStart - 1);
    }
    const std::uint32_t middle = (c.firstNode + c.lastNode) / 2;
    c.sectionHint = static_cast<std::uint16_t>(middle);
    c.triangleHint = 0;
    const TrackNode& node = NodeAt(track, middle);
    const float halfWidth = node.halfWidth;
    const float offset = (2.0f * Random() - 1.0f) * (c.kind == 2 ? halfWidth * 0.7f : halfWidth);
    const Vector3 direction = track.sections[track.SectionIndex(c.sectionHint)].direction;
    c.position = node.centre + offset * node.across;
    c.position = c.position + ((2.0f * Random() - 1.0f) * 4.0f) * direction;
    c.position.y = GroundHeight(track, c.position, &c.sectionHint, &c.triangleHint, node.groundHeight);
    c.position = c.position + 0.5f * SurfaceNormal(track, c.position, c.sectionHint, c.triangleHint);
    if (c.kind != 3) {
      // Up to 3 above the centre line, up to 1 at the edge.
      const float h1 = 3.0f * Random();
      const float h2 = Random();
      c.position.y += halfWidth != 0.0f ? h1 + (h2 - h1) * std::fabs(offset) / halfWidth : h1 + (h2 - h1) / 2.0f;
    }
    c.zoomSize = c.kind == 1 ? 2.0f + 10.0f * Random() : 0.0f;
    c.fieldOfView = TV_FOV_LOW + TV_FOV_RANGE * Random();
    ++count;
  }

  tvCameras.reset(new (std::nothrow) TvCamera[count]);
  if (!tvCameras) return false;
  for (std::uint16_t i = 0; i < count; ++i) tvCameras[i] = work[i];
  tvCameraCount = count;
  return true;
}

void RaceScene::SetupFlyIn() {
  if (track.nodes.empty()) return;
  const std::uint32_t nodes[3] = {10, 5, 1};
  const float heights[3] = {5.0f, 2.0f, 1.0f};
  for (int i = 0; i < 3; ++i) {
    const TrackNode& node = NodeAt(track, nodes[i]);
    flyInPoints[i] = Vector3(node.centre.x, node.groundHeight + heights[i], node.centre.z);
  }
  const Vector3& p0 = flyInPoints[0];
  const Vector3& p1 = flyInPoints[1];
  const Vector3& p2 = flyInPoints[2];
  // K2 s^2 + K1 s + K0 passes P0, P1 and P2 at s = 0, 0.5 and 1.
  flyIn[0] = 2.0f * (p0 - 2.0f * p1 + p2);
  flyIn[1] = -3.0f * p0 + 4.0f * p1 - p2;
  flyIn[2] = p0;
}

bool RaceScene::InPitView() const {
  return !playback && Session() && followedRider == 0 && riders[0] != nullptr && riders[0]->state == RIDER_OUT;
}

void RaceScene::DirectCamera(RiderCameraData data, float raceClock) {
  if (playback) {
    DirectReplayShot(this);
  } else {
    if (InPitView()) {
      // The TV camera over the pits, looking at the world's origin.
      cameraMode = CAMERA_TV;
      data.matrix = g_IdentityMatrix;
      const float nodeGround = track.nodes.empty() ? 0.0f : track.nodes[0].groundHeight;
      std::uint16_t section = 0;
      std::uint16_t triangle = 0;
      const Vector3 origin(0.0f, 0.0f, 0.0f);
      const float ground = track.sectionCount != 0 ? GroundHeight(track, origin, &section, &triangle, nodeGround)
                                                   : nodeGround;
      data.matrix.m[13] = ground + 0.3f;
      data.crashed = 0;
    }
    if (state_ == RACE_STATE_INTRO && raceClock <= 10.0f) {
      const Vector3 rider = Row(data.matrix, 3);
      const float s = Ease(0.2f * raceClock - 1.0f);
      SetRow(&data.matrix, 3, (s * s) * flyIn[0] + s * flyIn[1] + flyIn[2]);
      // The view rests on the start line, then turns to the rider from 5 s
      // to 8 s.
      Vector3 look(0.0f, 0.0f, 0.0f);
      if (!track.nodes.empty()) {
        const TrackNode& start = track.nodes[0];
        look = Vector3(start.centre.x, start.groundHeight, start.centre.z);
      }
      if (raceClock > 5.0f) {
        float u = (raceClock - 5.0f) / 3.0f;
        if (u > 1.0f) u = 1.0f;
        look = look + Ease(2.0f * u - 1.0f) * (rider - look);
      }
      data.head = look;
    }
  }
  PlaceCamera(data, cameraMode);
}

std::uint16_t RaceScene::TvCameraFor(std::uint32_t node) const {
  for (std::uint16_t i = 0; i < tvCameraCount; ++i) {
    const TvCamera& c = tvCameras[i];
    const bool holds = c.firstNode < c.lastNode ? c.firstNode <= node && node <= c.lastNode
                                                : node >= c.firstNode || node <= c.lastNode;
    if (holds) return i;
  }
  return 0;
}

void RaceScene::UpdateChaseSprings() {
  const float dt = g_FrameTime;
  const float yawTarget = lookBack ? chaseYawInput * CHASE_LOOK_ANGLE + PI : chaseYawInput * CHASE_LOOK_ANGLE;
  const float yawStiffness = lookBack ? 50.0f : 20.0f;
  chaseYawRate -= (10.0f * chaseYawRate + yawStiffness * (chaseYaw - yawTarget)) * dt;
  chaseYaw += chaseYawRate * dt;
  const float pitchTarget = (chasePitchInput + 1.0f) * CHASE_LOOK_ANGLE - CHASE_PITCH_OFFSET;
  chasePitchRate -= (10.0f * chasePitchRate + 20.0f * (chasePitch - pitchTarget)) * dt;
  chasePitch += chasePitchRate * dt;
}

void RaceScene::PlaceCamera(RiderCameraData data, std::uint32_t mode) {
  const Vector3 side = Row(data.matrix, 0);
  const Vector3 up = Row(data.matrix, 1);
  const Vector3 forward = Row(data.matrix, 2);
  const Vector3 p = Row(data.matrix, 3);
  const std::uint32_t back = lookBack ? 1 : 0;
  Vector3 look = p;
  bool aim = true;
  switch (mode) {
    case CAMERA_HELMET: {
      g_Camera.UpdateHelmet({data.head, data, back});
      UpdateChaseSprings();
      const float distance = data.crashed ? 0.1f : 5.0f;
      const float a = chaseYaw + data.heading;
      const float b = chasePitch + data.pitch;
      // Kept as the game aims it: across from the look point, height and
      // depth from the rider's position.
      look = Vector3(data.head.x + distance * std::sin(a), p.y + distance * std::sin(b),
                     p.z + distance * std::cos(a));
      break;
    }
    case CAMERA_NEAR:
      look = p + Vector3(0.0f, 1.5f, 0.0f);
      g_Camera.UpdateNear({look, data, back});
      break;
    case CAMERA_FAR:
      look = p + Vector3(0.0f, 1.2f, 0.0f);
      g_Camera.UpdateFar({look, data, back});
      break;
    case CAMERA_MEDIUM:
      look = p + Vector3(0.0f, 1.2f, 0.0f);
      g_Camera.UpdateMedium({look, data, back});
      break;
    case CAMERA_TV: {
      if (tvCameraCount != 0) {
        std::uint32_t node = 0;
        if (!InPitView() && followedRider < 20 && riders[followedRider] != nullptr) {
          node = riders[followedRider]->GetTrackNode();
        }
        g_Camera.UpdateTv(data, &tvCameras[TvCameraFor(node)]);
      }
      look = p + up;
      break;
    }
    case CAMERA_LOW:
      g_Camera.UpdateLow({p - Vector3(0.0f, 0.4f, 0.0f), data, 0});
      look = p;
      break;
    case CAMERA_BIKE:
      g_Camera.UpdateBike({p + 0.2f * up - 0.4f * side, data, 0});
      look = data.crashed ? p : p + 0.5f * forward;
      break;
    case CAMERA_FIXED:
      g_Camera.UpdateFixed(p);
      look = data.head;
      break;
    default:  // scripted: the race moves the camera itself
      aim = false;
      break;
  }
  if (aim) g_Camera.LookAt(look);
  UpdateListener(mode == CAMERA_HELMET || mode == CAMERA_BIKE ? p : g_Camera.position);
}

void RaceScene::SetProjectionForMode() {
  switch (cameraMode) {
    case CAMERA_HELMET:
    case CAMERA_SCRIPTED:
    case CAMERA_BIKE:
      g_Camera.SetFov(0.8726646f);  // 50 degrees
      break;
    case CAMERA_NEAR:
    case CAMERA_MEDIUM:
    case CAMERA_LOW:
    case CAMERA_FIXED:
      g_Camera.SetFov(0.6981317f);  // 40 degrees
      break;
    case CAMERA_FAR:
      g_Camera.SetFov(0.6108652f);  // 35 degrees
      break;
    default:  // the TV camera sets its own
      break;
  }
}

void RaceScene::ApplyCameraMode() {
  const bool overview = cameraMode == CAMERA_TV || cameraMode == CAMERA_FIXED;
  raceManager.EnableFlagOverlay(!overview);
  if (cameraPanelShown) {
    cameraPanel.SetPosition(5.0f, overview ? 5.0f : 85.0f, cameraPanel.z);
    if (cameraMode <= CAMERA_TV) {
      const float* icon = CAMERA_ICONS[cameraMode];
      cameraPanel.SetUvs(icon[0], icon[2], icon[1], icon[2], icon[1], icon[3], icon[0], icon[3]);
    }
  }
  SetProjectionForMode();
}

void RaceScene::PutCameraBehind(Rider* rider) {
  if (rider == nullptr) return;
  RiderCameraData data{};
  rider->GetCameraData(&data);
  g_Camera.position = Row(data.matrix, 3) - 4.0f * Row(data.matrix, 2);
}
