#include "engine/scene_object.h"

#include <cmath>

#include "engine/data_reader.h"
#include "engine/sound_sample.h"

namespace {

// Clamps to 0..1; a NaN counts as 0 so that it can never index a grid.
float Clamp01(float v) {
  if (!(v > 0.0f)) return 0.0f;
  if (v > 1.0f) return 1.0f;
  return v;
}

constexpr std::uint32_t kDepthUnknown = 0xFFFFFFFFu;
constexpr std::uint32_t kDepthWalking = 0xFFFFFFFEu;

// The number of ancestors of every node and the nodes in parents-first
// order, in one pass: each walk up stops at the first node already placed,
// so every node is visited once. False on a parent outside the table or a
// cycle.
bool WalkParents(const std::vector<std::uint32_t>& parents, std::vector<std::uint32_t>* depth,
                 std::vector<std::uint16_t>* order) {
  const std::size_t n = parents.size();
  depth->assign(n, kDepthUnknown);
  order->clear();
  order->reserve(n);
  std::vector<std::uint32_t> path;
  for (std::size_t i = 0; i < n; ++i) {
    if ((*depth)[i] != kDepthUnknown) continue;
    std::uint32_t at = static_cast<std::uint32_t>(i);
    std::uint32_t next = 0;  // depth of the topmost node on the path
    for (;;) {
      const std::uint32_t d = (*depth)[at];
      if (d == kDepthWalking) return false;
      if (d != kDepthUnknown) {
        next = d + 1;
        break;
      }
      (*depth)[at] = kDepthWalking;
      path.push_back(at);
      const std::uint32_t p = parents[at];
      if (p == NODE_ROOT) break;
      if (p >= n) return false;
      at = p;
    }
    for (std::size_t k = path.size(); k-- > 0;) {
      (*depth)[path[k]] = next++;
      order->push_back(static_cast<std::uint16_t>(path[k]));
    }
    path.clear();
  }
  return true;
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
  if (chain_.size() != parents.size()) chain_.assign(parents.size(), g_IdentityMatrix);
  const std::uint32_t parent = parents[node];
  if (parent != NODE_ROOT && parent < localMatrices.size() && parent < parents.size()) {
    MultiplyMatrix(localMatrices[parent], chain_[parent], out);
  }
  chain_[node] = *out;
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
  if (n > SKELETON_MAX_NODES) return false;
  if (poseMatrices.size() != n || nodeWorld.size() != n || nodeVertexCounts.size() != n || poseGroups.size() != n ||
      parents.size() != n || localMatrices.size() > n) {
    return false;
  }
  std::vector<std::uint32_t> depth;
  std::vector<std::uint16_t> order;
  if (!WalkParents(parents, &depth, &order)) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t p = parents[i];
    if (p != NODE_ROOT && p >= localMatrices.size()) return false;
    if (depth[i] > SKELETON_MAX_DEPTH) return false;
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

std::vector<std::uint16_t> SceneObject::ParentsFirstOrder() const {
  std::vector<std::uint32_t> depth;
  std::vector<std::uint16_t> order;
  if (parents.size() > 0x10000u || !WalkParents(parents, &depth, &order)) order.clear();
  return order;
}

bool SceneObject::ReadNodeTables(DataReader* r, std::uint16_t n) {
  poseGroups.resize(n);
  bool ok = true;
  for (std::uint16_t node = 0; ok && node < n; ++node) {
    std::uint16_t groups = 0;
    ok = r->U16(&groups) && groups * 2ull <= r->Remaining();
    if (ok) poseGroups[node].resize(groups);
    for (std::uint16_t g = 0; ok && g < groups; ++g) {
      PoseGroup& group = poseGroups[node][g];
      std::uint16_t params = 0;
      // A blend has at most eight corners: three parameters.
      ok = r->U16(&params) && params <= POSE_MAX_PARAMETERS;
      if (!ok) break;
      group.steps.resize(params);
      group.values.resize(params);
      std::uint64_t points = 1;
      for (std::uint16_t j = 0; ok && j < params; ++j) {
        ok = r->U16(&group.steps[j]) && r->F32(&group.values[j]);
        points *= group.steps[j];
      }
      ok = ok && points * 2 <= r->Remaining();
      if (!ok) break;
      group.grid.resize(points);
      for (std::uint16_t& pose : group.grid) ok = ok && r->U16(&pose);
    }
  }
  parents.resize(n);
  nodeVertexCounts.resize(n);
  for (std::uint16_t node = 0; ok && node < n; ++node) ok = r->U32(&parents[node]);
  for (std::uint16_t node = 0; ok && node < n; ++node) ok = r->U16(&nodeVertexCounts[node]);
  return ok;
}
