// The one triangle-mesh type: welded positions, per-corner colour and
// texture coordinates, an optional bounding box, optional normals for
// lighting, and optionally a split into parts transformed by their own
// matrices (a skinned model). Read from a lit-mesh record embedded in the
// owner's file; drawn through the geometry pipeline.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/geometry_pipeline.h"
#include "engine/maths.h"

class Stream;

class LitMesh {
 public:
  LitMesh() = default;

  // Reads one record at the stream's position. The owner sets the part
  // count, part sizes and skinned flag (a model of several parts) and the
  // texture scales before. False after a reported failure.
  bool Load(Stream* stream, bool lit, bool hasBox);
  // Normals of the positions from the triangles of `count` indices.
  void ComputeNormals(int count, VertexLight* lightRecords);
  // Transforms and draws the mesh with the pipeline's object matrix (one per
  // part for a skinned mesh). The owner selects the texture and sets the
  // render states. Always true.
  bool Draw();

  std::vector<Vector3> positions;      // welded: each distinct position once
  std::vector<Vector3> basePositions;  // as loaded
  std::vector<VertexAttribute> attributes;  // one per index
  ScreenVertex* output = nullptr;      // the pipeline's buffer after a draw
  std::vector<std::uint16_t> indices;
  std::vector<VertexLight> lights;     // per position, lit meshes only
  Vector3 box[8];                      // corner 0 the minimum, 7 the maximum
  std::uint8_t hasBox = 0;
  Vector3 lightColour = Vector3(1.0f, 1.0f, 1.0f);
  std::uint16_t positionCount = 0;
  std::uint16_t emittedCount = 0;  // vertices of the last draw
  std::uint16_t indexCount = 0;
  // Added to every corner's u and v while drawing (UV animations).
  float scrollU = 0.0f;
  float scrollV = 0.0f;
  std::uint16_t partCount = 0;
  std::vector<std::uint16_t> partSizes;  // positions per part
  std::uint8_t skinned = 0;
  // The texture's scales: stored u and v are in the texture's units.
  float sScale = 1.0f;
  float tScale = 1.0f;

 private:
  void Clear();

  std::vector<VertexAttribute> scrolled_;  // the corners while drawn with a scroll offset
};
