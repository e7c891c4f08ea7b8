#include "engine/scene_object.h"

#include <cmath>

#include "engine/sound_sample.h"

namespace {

// Clamps to 0..1; a NaN counts as 0 so that it can never index a grid.
float Clamp01(float v) {
  if (!(v > 0.0f)) return 0.0f;
  if (v > 1.0f) return 1.0f;
  return v;
}

}  // namespace

SceneObject::SceneObject() : matrix(g_IdentityMatrix) {}

SceneObject::~SceneObject() {
  g_TextureManager.Free(texture);
  texture = 0;
  for (SoundSample* s : sounds) delete s;
  sounds.clear();
}

void SceneObject::SetPosition(float x, float y, float z) {
  matrix.m[12] = x;
  matrix.m[13] = y;
  matrix.m[14] = z;
}

void SceneObject::SetScale(float x, float y, float z) {
  matrix.m[0] = x;
  matrix.m[5] = y;
  matrix.m[10] = z;
}

void SceneObject::SetMatrix(const Matrix4* m) { matrix = *m; }

void SceneObject::SetState(std::uint32_t s) { state = s; }

void SceneObject::StopSounds() {
  for (SoundSample* s : sounds) {
    if (s->playing) s->Stop();
  }
}

void SceneObject::GetNodeWorldMatrix(Matrix4* out, std::uint16_t node) {
  *out = g_IdentityMatrix;
  if (node >= parents.size()) return;
  const std::uint32_t parent = parents[node];
  if (parent == NODE_ROOT || parent >= localMatrices.size() || parent >= parents.size()) return;
  // A parent cycle can only come from tables that were never checked; stop
  // walking after as many steps as there are nodes.
  if (chainDepth_ > parents.size()) return;
  ++chainDepth_;
  Matrix4 w;
  GetNodeWorldMatrix(&w, static_cast<std::uint16_t>(parent));
  --chainDepth_;
  MultiplyMatrix(localMatrices[parent], w, out);
}

const PoseGroup* SceneObject::Group(std::uint16_t node, std::uint16_t group) const {
  if (node >= poseGroups.size() || group >= poseGroups[node].size()) return nullptr;
  return &poseGroups[node][group];
}

void SceneObject::SetPoseWeights(std::uint16_t node, std::uint16_t group, std::uint8_t n, float* params) {
  const PoseGroup* g = Group(node, group);
  if (g == nullptr || n > POSE_MAX_PARAMETERS || n > g->steps.size()) {
    cornerCount = 0;
    return;
  }
  for (int j = 0; j < n; ++j) params[j] = Clamp01(params[j]);
  cornerCount = static_cast<std::uint16_t>(1u << n);
  for (int c = 0; c < cornerCount; ++c) {
    std::uint32_t index = 0;
    std::uint32_t stride = 1;
    float weight = 1.0f;
    for (int j = 0; j < n; ++j) {
      const float x = static_cast<float>(g->steps[j] - 1) * params[j];
      const float lo = std::floor(x);
      const float hi = std::ceil(x);
      if ((c >> j & 1) == 0) {
        index += stride * static_cast<std::uint32_t>(lo);
        weight *= 1.0f - (x - lo);
      } else {
        index += stride * static_cast<std::uint32_t>(hi);
        weight *= x - lo;
      }
      stride *= g->steps[j];
    }
    cornerPoses[c] = index < g->grid.size() ? g->grid[index] : 0;
    cornerWeights[c] = weight;
  }
}

void SceneObject::ApplyPose(std::uint16_t node, const Matrix4& pose, const Matrix4* base) {
  Matrix4 w;
  GetNodeWorldMatrix(&w, node);
  if (node < localMatrices.size()) localMatrices[node] = pose;
  Matrix4& world = nodeWorld[node];
  MultiplyMatrix(pose, w, &world);
  MultiplyMatrix(world, *base, &world);
}

void SceneObject::BlendNodeMatrix(std::uint16_t node, const Matrix4* base) {
  if (node >= nodeWorld.size() || node >= poseMatrices.size() || cornerCount == 0) return;
  const std::vector<Matrix4>& poses = poseMatrices[node];
  Matrix4 b = {};
  for (int c = 0; c < cornerCount && c < POSE_MAX_CORNERS; ++c) {
    if (cornerPoses[c] >= poses.size()) continue;
    const Matrix4& p = poses[cornerPoses[c]];
    const float wt = cornerWeights[c];
    for (int r = 0; r < 4; ++r) {
      for (int k = 0; k < 3; ++k) b.m[r * 4 + k] = b.m[r * 4 + k] + wt * p.m[r * 4 + k];
    }
  }
  b.m[3] = 0.0f;
  b.m[7] = 0.0f;
  b.m[11] = 0.0f;
  b.m[15] = 1.0f;
  ApplyPose(node, b, base);
}

void SceneObject::SelectNearestPose(std::uint16_t node, std::uint16_t group, std::uint16_t n, float* params,
                                    const Matrix4* base) {
  const PoseGroup* g = Group(node, group);
  if (g == nullptr || n > POSE_MAX_PARAMETERS || n > g->steps.size()) return;
  if (node >= nodeWorld.size() || node >= poseMatrices.size()) return;
  std::uint32_t index = 0;
  std::uint32_t stride = 1;
  for (int j = 0; j < n; ++j) {
    params[j] = Clamp01(params[j]);
    const float x = static_cast<float>(g->steps[j] - 1) * params[j];
    const float lo = std::floor(x);
    const float hi = std::ceil(x);
    index += stride * static_cast<std::uint32_t>(x - lo >= hi - x ? hi : lo);
    stride *= g->steps[j];
  }
  if (index >= g->grid.size()) return;
  const std::uint16_t pose = g->grid[index];
  if (pose >= poseMatrices[node].size()) return;
  ApplyPose(node, poseMatrices[node][pose], base);
}

bool SceneObject::NodeTablesValid() const {
  const std::size_t n = nodeCount;
  if (poseMatrices.size() != n || nodeWorld.size() != n || nodeVertexCounts.size() != n || poseGroups.size() != n ||
      parents.size() != n || localMatrices.size() > n) {
    return false;
  }
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t p = parents[i];
    if (p != NODE_ROOT && (p >= n || p >= localMatrices.size())) return false;
    // Walking up from any node must reach a root within n steps.
    std::uint32_t at = static_cast<std::uint32_t>(i);
    std::size_t steps = 0;
    while (parents[at] != NODE_ROOT) {
      at = parents[at];
      if (++steps > n) return false;
    }
    for (const PoseGroup& g : poseGroups[i]) {
      const std::size_t params = g.steps.size();
      if (params > POSE_MAX_PARAMETERS || g.values.size() != params) return false;
      std::size_t points = 1;
      for (std::uint16_t s : g.steps) {
        if (s == 0) return false;
        points *= s;
      }
      if (g.grid.size() != points) return false;
      for (std::uint16_t pose : g.grid) {
        if (pose >= poseMatrices[i].size()) return false;
      }
    }
  }
  return true;
}
