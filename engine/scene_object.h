// The root of everything that is loaded, updated and drawn: widgets, 3D
// objects, track pieces, effects and riders. It holds what they all share (a
// transform, a texture, a state word, owned sounds) and, for skinned models,
// the node hierarchy whose matrices it blends from pose grids.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/maths.h"
#include "engine/texture_manager.h"

class DataReader;

struct SoundSample;

// Parent number of a root node.
constexpr std::uint32_t NODE_ROOT = 0xFFFFFFFFu;
// A blend has 2^n corners for n pose parameters; at most three parameters.
constexpr int POSE_MAX_PARAMETERS = 3;
constexpr int POSE_MAX_CORNERS = 8;
// Skeletons larger or deeper than any real model are refused, so that a
// hostile file cannot make the pose step slow. A rider with its bike has a
// few dozen nodes a handful of levels deep.
constexpr int SKELETON_MAX_NODES = 256;
constexpr int SKELETON_MAX_DEPTH = 64;  // ancestors of a node

// One pose group of a node: a grid of pose numbers over 0..3 parameters.
struct PoseGroup {
  std::vector<std::uint16_t> steps;  // grid steps per parameter
  std::vector<float> values;         // per parameter, from the model file; the first is the cycle time in seconds
  std::vector<std::uint16_t> grid;   // pose numbers, parameter 0 varying fastest
};

class SceneObject {
 public:
  SceneObject();
  // Frees the texture slot, the node tables and every owned sound.
  virtual ~SceneObject();
  SceneObject(const SceneObject&) = delete;
  SceneObject& operator=(const SceneObject&) = delete;

  // Translation (elements 12..14).
  virtual void SetPosition(float x, float y, float z);
  // The diagonal (elements 0, 5, 10); nothing else changes.
  virtual void SetScale(float x, float y, float z);
  virtual void SetMatrix(const Matrix4* m);
  virtual void SetState(std::uint32_t state);
  virtual bool Load(const char* path) = 0;
  // Once per frame.
  virtual bool Update(unsigned ms, int mode) = 0;
  virtual bool Draw() = 0;
  // The product of the local matrices of the node's ancestors, nearest first
  // (the identity for a root): the parent's local matrix times the parent's
  // own chain as this call last computed it (the pose steps make it), so
  // that a frame costs one product per node. Parents go first.
  virtual void GetNodeWorldMatrix(Matrix4* out, std::uint16_t node);
  // Node world matrix = (weighted sum of the blend's corner poses) x parent
  // chain x base; the blended pose also becomes the node's local matrix.
  // Parents must be stepped before their children.
  virtual void BlendNodeMatrix(std::uint16_t node, const Matrix4* base);
  // Chooses the blend corners and weights for `n` parameters of a node's pose
  // group. Each parameter is clamped to 0..1 in the caller's array.
  virtual void SetPoseWeights(std::uint16_t node, std::uint16_t group, std::uint8_t n, float* params);
  // Like SetPoseWeights followed by BlendNodeMatrix, but with the one grid
  // point nearest to the parameters (halves round up).
  virtual void SelectNearestPose(std::uint16_t node, std::uint16_t group, std::uint16_t n, float* params,
                                 const Matrix4* base);
  // Stops every owned sample that is playing.
  virtual void StopSounds();

  // Whether the node tables can be stepped safely: at most
  // SKELETON_MAX_NODES nodes, every table sized by the node count, parents -1
  // or below both the node count and the local-matrix count, no parent
  // cycles, no chain deeper than SKELETON_MAX_DEPTH, at most three parameters
  // per group with grid steps of at least 1, grids as large as their steps
  // say, and every pose number below its node's pose count. Loaders check
  // this before use. Linear in the size of the tables.
  bool NodeTablesValid() const;
  // The nodes in an order that steps every parent before its children: index
  // order when parents are numbered below their children. Empty when the
  // parent table has a cycle or a parent outside it.
  std::vector<std::uint16_t> ParentsFirstOrder() const;
  // Reads the node tables of a skinned file for `n` nodes: each node's pose
  // groups (parameters, grid steps, values and the pose grid), then the
  // parents, then the skinned-mesh positions per node. A grid the bytes left
  // cannot hold is refused before it is allocated. False on damage, with no
  // box: the caller reports it in its file's own words.
  bool ReadNodeTables(DataReader* r, std::uint16_t n);

  std::uint8_t flags = 0;  // meaning given by derived classes
  TextureSlot texture = 0;
  Matrix4 matrix;
  std::uint8_t kindFlags[2] = {0, 0};  // meaning given by derived classes
  std::vector<SoundSample*> sounds;    // owned
  std::uint32_t state = 0;

  // Skeleton of a skinned model; empty for everything else.
  std::uint16_t nodeCount = 0;
  std::uint16_t cornerCount = 0;
  std::uint16_t cornerPoses[POSE_MAX_CORNERS] = {};
  float cornerWeights[POSE_MAX_CORNERS] = {};
  std::vector<std::vector<Matrix4>> poseMatrices;  // per node
  std::vector<Matrix4> nodeWorld;                  // per node: the result of the pose step
  std::vector<std::uint16_t> nodeVertexCounts;     // per node: skinned-mesh positions of the node
  std::uint8_t skinned = 0;
  std::vector<std::vector<PoseGroup>> poseGroups;  // per node
  std::vector<std::uint32_t> parents;              // per node; NODE_ROOT for a root
  // Written by the pose step for nodes numbered below its size and read as
  // the parents' matrices: the skinned loaders make it one per root node.
  std::vector<Matrix4> localMatrices;

 private:
  const PoseGroup* Group(std::uint16_t node, std::uint16_t group) const;
  void ApplyPose(std::uint16_t node, const Matrix4& pose, const Matrix4* base);

  // Per node: its parent-chain matrix as GetNodeWorldMatrix last computed it.
  std::vector<Matrix4> chain_;
};
