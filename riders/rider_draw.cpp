// A rider's bike parts hung from its frame, its drawing by level of detail
// and the pose of its skeleton.
#include <cmath>

#include "engine/camera.h"
#include "engine/game_settings.h"
#include "engine/geometry_pipeline.h"
#include "engine/scene/scene.h"
#include "engine/texture_manager.h"
#include "riders/rider.h"
#include "world/track.h"

namespace {

// The product a x b with the fourth columns taken as (0, 0, 0, 1).
Matrix4 Rigid(const Matrix4& a, const Matrix4& b) {
  Matrix4 out;
  MultiplyMatrix(a, b, &out);
  out.m[3] = out.m[7] = out.m[11] = 0.0f;
  out.m[15] = 1.0f;
  return out;
}

Matrix4 Product(const Matrix4& a, const Matrix4& b) {
  Matrix4 out;
  MultiplyMatrix(a, b, &out);
  return out;
}

// Springs a parameter towards x: bounces off 0 and 1 with a fifth of its rate.
void Spring(float* value, float* rate, float x, float dt) {
  *rate += (-8.0f * *rate - (*value - x) * 40.0f) * dt;
  *value += *rate * dt;
  if (*value < 0.0f) {
    *value = 0.0f;
    if (*rate < 0.0f) *rate *= -0.2f;
  } else if (*value > 1.0f) {
    *value = 1.0f;
    if (*rate > 0.0f) *rate *= -0.2f;
  }
}

float Clamp(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }

// The lean target of the torso by the rear wheel's speed, m/s.
float TorsoTarget(float u) {
  if (u <= 5.555556f) return u * 0.036f;
  if (u <= 25.0f) return 0.2f + (u - 5.555556f) * 0.010285715f;
  if (u <= 27.777779f) return 0.4f + (u - 25.0f) * 0.07199998f;
  if (u <= 33.333336f) return 0.6f + (u - 27.777779f) * 0.035999987f;
  if (u <= 36.11111f) return 0.8f + (u - 33.333336f) * 0.07200007f;
  return 1.0f;
}

constexpr std::uint16_t GROUP_START = 0;
constexpr std::uint16_t GROUP_RIDING = 1;
constexpr std::uint16_t GROUP_CRASHED = 2;
constexpr std::uint16_t GROUP_CELEBRATION = 3;

}  // namespace

void Rider::UpdatePartMatrices() {
  if (partCount < 7 || !partOffsets) return;
  const Matrix4* o = partOffsets.get();
  partPoses[11] = Product(Rigid(partPoses[10], o[5]), matrix);
  partPoses[12] = Product(o[6], partPoses[11]);
  const float a = physics.handlebarAngle;
  partPoses[8] = g_IdentityMatrix;
  partPoses[8].m[0] = partPoses[8].m[10] = std::cos(a);
  partPoses[8].m[2] = -std::sin(a);
  partPoses[8].m[8] = std::sin(a);
  partPoses[9] = Product(Product(partPoses[8], o[4]), partPoses[11]);
  partPoses[3] = Product(Product(partPoses[2], o[2]), partPoses[9]);
  partPoses[5] = Product(Product(partPoses[4], o[3]), partPoses[11]);
  partPoses[1] = Product(Product(partPoses[0], o[0]), partPoses[3]);
  partPoses[7] = Product(Product(partPoses[6], o[1]), partPoses[5]);
}

bool Rider::Draw() {
  if (lod == RIDER_LOD_HIDDEN || !nearParts || !middleParts || !farMesh) return true;
  g_GeometryPipeline.objectMatrix = &matrix;
  const Vector3 box[8] = {{-0.5f, -1.0f, -1.0f}, {0.5f, -1.0f, -1.0f}, {-0.5f, 1.0f, -1.0f}, {0.5f, 1.0f, -1.0f},
                          {-0.5f, -1.0f, 1.0f},  {0.5f, -1.0f, 1.0f},  {-0.5f, 1.0f, 1.0f},  {0.5f, 1.0f, 1.0f}};
  const bool visible = g_GeometryPipeline.IsBoxVisible(box);
  const Vector3 tint(groundTint[0], groundTint[1], groundTint[2]);
  if (lod == 2) {
    if (!visible) return true;
    g_TextureManager.Select(texture);
    farMesh->lightColour = tint;
    g_GeometryPipeline.objectMatrix = &partPoses[11];
    farMesh->Draw();
    return true;
  }
  LitMesh* parts = lod == 0 ? nearParts.get() : middleParts.get();
  for (int i = 0; i < 7; ++i) parts[i].lightColour = tint;
  bodyMesh.lightColour = tint;
  auto draw = [&](int mesh, int pose) {
    g_GeometryPipeline.objectMatrix = &partPoses[pose];
    parts[mesh].Draw();
  };
  if (visible) {
    g_TextureManager.Select(bikeTexture);
    draw(0, 1);
    draw(1, 7);
    if (lod == 0) {
      draw(3, 5);
      g_TextureManager.Select(texture);
      draw(2, 3);
    }
    g_TextureManager.Select(texture);
    draw(4, 9);
    draw(5, 11);
    draw(6, 12);
  }
  // A fallen rider lies away from the bike's box and is still drawn.
  g_TextureManager.Select(texture);
  if (!nodeWorld.empty()) {
    g_GeometryPipeline.objectMatrix = nodeWorld.data();
    bodyMesh.Draw();
  }
  if (lod == 0 && weather == 0 && !nodeWorld.empty()) {
    reflections[0].Place(nodeWorld[0]);
    reflections[1].Place(partPoses[11]);
    reflections[2].Place(partPoses[9]);
    const std::uint32_t c = static_cast<std::uint32_t>(static_cast<int>(reflectionLevel * 255.0f));
    const std::uint32_t colour = 0xFF000000u | c << 16 | c << 8 | c;
    for (ReflectionOverlay& overlay : reflections) {
      for (VertexAttribute& a : overlay.mesh.attributes) a.colour = colour;
      overlay.Draw();
    }
  }
  return true;
}

bool Rider::DrawShadow() {
  if (physics.onTrack) {
    if (track) {
      const Vector3 ground = track->GetGroundColour(physics.position, physics.sectionHint, physics.triangleHint);
      groundTint[0] = ground.x;
      groundTint[1] = ground.y;
      groundTint[2] = ground.z;
    }
    reflectionLevel = Clamp(((groundTint[0] + groundTint[1] + groundTint[2]) / 3.0f - 0.3f) * 1.6666667f, 0.0f, 1.0f);
  } else if (reflectionLevel < 0.6f) {
    reflectionLevel += (0.6f - reflectionLevel) * g_FrameTime;
  }
  shadow.SetIntensity(reflectionLevel);
  if (g_OptionShadows == 1) {
    shadow.Draw();
  } else if (g_OptionShadows == 2 || g_OptionShadows == 3) {
    shadow.lod = physics.crashed ? 0 : lod;
    const int poses[7] = {1, 7, 3, 5, 9, 11, 12};
    for (int i = 0; i < 7; ++i) shadow.partMatrices[i] = partPoses[poses[i]];
    shadow.nodeMatrices = nodeWorld.data();
    shadow.nodeMatrixCount = static_cast<std::uint16_t>(nodeWorld.size());
    shadow.Draw();
  }
  return true;
}

void Rider::UpdatePose() {
  const float dt = g_FrameTime;
  const RiderPhysics& p = physics;
  enum class Mode { START, RIDING, CRASHED, SETTLE, CELEBRATION } mode;
  std::uint16_t group = GROUP_RIDING;
  if (state == RIDER_WAITING) {
    group = GROUP_START;
    mode = Mode::START;
  } else if ((g_RaceType == 3 || g_RaceType == 4) && timeSinceFinish > 0.0f && racePosition <= 3 && !out) {
    const bool rest = std::fabs(steerParam - 0.5f) <= 0.05f && std::fabs(legSteerParam - 0.5f) <= 0.05f &&
                      torsoParam <= 0.05f && std::fabs(legParam - 0.2f) <= 0.05f;
    if (rest || upperPoseGroup == GROUP_CELEBRATION || lowerPoseGroup == GROUP_CELEBRATION) {
      group = GROUP_CELEBRATION;
      mode = Mode::CELEBRATION;
    } else {
      mode = Mode::SETTLE;
    }
  } else if (p.crashed) {
    group = GROUP_CRASHED;
    mode = Mode::CRASHED;
  } else {
    mode = Mode::RIDING;
  }
  upperPoseGroup = lowerPoseGroup = group;

  switch (mode) {
    case Mode::START:
      Spring(&steerParam, &steerParamRate, (p.steer + 1.0f) * 0.5f, dt);
      Spring(&torsoParam, &torsoParamRate, p.throttle, dt);
      legParam = torsoParam;
      legSteerParam = steerParam;
      break;
    case Mode::RIDING: {
      steerParam = Clamp((p.handlebarAngle + 0.6981317f) * 0.71619725f, -1.0f, 1.0f);
      const Vector3 v = p.rearWheel.velocity;
      const float u = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
      float x = TorsoTarget(u);
      if (p.contactCount == 0) x += 0.5f;
      if (p.contactCount == 1 && p.rearWheel.world.y - p.rearWheel.groundHeight <= 0.1f) x = 0.6f;
      x = Clamp(x, 0.0f, 1.0f);
      float k = (70.0f - p.forwardSpeed * 1.8f) * (std::fabs(p.steer) + 1.0f);
      k = k > 20.0f ? k : 20.0f;
      torsoParamRate += (p.frontLoad / k - (8.0f * torsoParamRate + (torsoParam - x) * 40.0f)) * dt;
      torsoParam += torsoParamRate * dt;
      if (torsoParam < 0.0f) {
        torsoParam = 0.0f;
        if (torsoParamRate < 0.0f) torsoParamRate *= -0.2f;
      } else if (torsoParam > 1.0f) {
        torsoParam = 1.0f;
        if (torsoParamRate > 0.0f) torsoParamRate *= -0.2f;
      }
      legParam = torsoParam;
      if (u > 5.555556f) legParam = Clamp(legParam, 0.2f, 1.0f);
      legSteerParam = Clamp(legSteerParam + ((p.steer + 1.0f) * 0.5f - legSteerParam) * dt * 2.0f, 0.0f, 1.0f);
      break;
    }
    case Mode::CRASHED:
      torsoParamRate = 0.0f;
      steerParam = legSteerParam = 0.5f;
      torsoParam = legParam = 0.0f;
      break;
    case Mode::SETTLE:
      torsoParamRate = 0.0f;
      steerParam += (0.5f - steerParam) * dt * 3.0f;
      legSteerParam += (0.5f - legSteerParam) * dt * 3.0f;
      torsoParam += -torsoParam * dt * 3.0f;
      legParam += (0.2f - legParam) * dt * 3.0f;
      break;
    case Mode::CELEBRATION:
      torsoParamRate = 0.0f;
      steerParam = legSteerParam = 0.5f;
      legParam = 0.2f;
      torsoParam += dt * 0.5f;
      break;
  }

  // The crash pose step poses a fallen rider's skeleton.
  if (nodeCount < 11) return;
  if (p.crashed) {
    PoseFallen();
    return;
  }
  const float dx = p.position.x - g_Camera.position.x;
  const float dy = p.position.y - g_Camera.position.y;
  const float dz = p.position.z - g_Camera.position.z;
  const Vector3 look = g_Camera.viewDirection;
  const float d = dx * look.x + dy * look.y + dz * look.z;
  const bool near = followed || d <= 12.0f / std::tan(g_Camera.fieldOfView) || state == RIDER_WAITING;
  const bool twoParams = group == GROUP_START || group == GROUP_RIDING;
  float upper[2] = {twoParams ? steerParam : torsoParam, torsoParam};
  float lower[2] = {twoParams ? legSteerParam : legParam, legParam};
  // The crash body's matrix follows the frame while the rider rides.
  const Matrix4* base = &partPoses[11];
  auto pose = [&](std::uint16_t first, std::uint16_t last, std::uint16_t g, float* params) {
    // A group absent from a node, or with more parameters than are passed,
    // leaves the node as it was.
    auto count = [&](std::uint16_t node) -> int {
      if (g >= poseGroups[node].size()) return -1;
      const std::size_t n = poseGroups[node][g].steps.size();
      return n <= 2 ? static_cast<int>(n) : -1;
    };
    if (near) {
      const int n = count(first);
      if (n < 0) return;
      float scratch[2] = {params[0], params[1]};
      SetPoseWeights(first, g, static_cast<std::uint8_t>(n), scratch);
      for (std::uint16_t node = first; node <= last; ++node) BlendNodeMatrix(node, base);
    } else {
      for (std::uint16_t node = first; node <= last; ++node) {
        const int n = count(node);
        if (n < 0) continue;
        float scratch[2] = {params[0], params[1]};
        SelectNearestPose(node, g, static_cast<std::uint16_t>(n), scratch, base);
      }
    }
  };
  pose(0, 6, upperPoseGroup, upper);
  pose(7, 10, lowerPoseGroup, lower);
}
