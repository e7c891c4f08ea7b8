// The rider file's middle fields, shared by the rider and its shadow: the
// node tables, the skinned body, the bike parts at two levels of detail and
// the far mesh. One reader with one set of checks for both files.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/lit_mesh.h"

class DataReader;
class SceneObject;

constexpr int RIDER_MIN_NODES = 11;
constexpr int RIDER_MIN_PARTS = 7;

struct RiderFileMeshes {
  LitMesh* body = nullptr;
  std::unique_ptr<LitMesh[]>* nearParts = nullptr;  // null: read and dropped
  std::unique_ptr<LitMesh[]>* middleParts = nullptr;
  std::unique_ptr<LitMesh>* farMesh = nullptr;
  std::uint16_t* partCount = nullptr;
  bool lit = true;
  // The texture's scales, given to every mesh before it is read.
  float sScale = 1.0f;
  float tScale = 1.0f;
};

// Reads from the node count up to and including the far mesh into `object`'s
// node tables (marked skinned) and the meshes of `out`. On damage reports
// `error` (unless a mesh reported its own) and returns false; what was read
// stays with its owner.
bool ReadRiderMeshes(SceneObject* object, DataReader* r, const RiderFileMeshes& out, const char* error);

// A mesh read that fails quietly (its allocation) still fails with a reason:
// `error` when nothing else said why.
bool LoadRiderMesh(LitMesh* mesh, DataReader* r, bool lit, const char* error);
