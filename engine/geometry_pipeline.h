// The one transform, lighting, clipping and projection pipeline: meshes in
// object space become screen-space triangles for Renderer::DrawTriangles.
// Nothing reaches the graphics board in 3D; everything passes through here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/maths.h"
#include "engine/renderer.h"

// Per triangle corner: what the pipeline copies into the screen vertex.
struct VertexAttribute {
  std::uint32_t colour;  // packed ARGB
  float u;
  float v;
};
static_assert(sizeof(VertexAttribute) == 12);

// A packed ARGB colour from channels in 0..1, each trunc(255 x channel) and
// kept within 0..255 (a NaN counts as 0).
std::uint32_t PackColour(float alpha, float red, float green, float blue);

// Per position of a lit mesh: the intensity the pipeline writes, and the unit
// normal it reads.
struct VertexLight {
  float intensity;
  Vector3 normal;
};
static_assert(sizeof(VertexLight) == 16);

// Clip code bits of a transformed vertex.
constexpr std::uint8_t CLIP_BOTTOM = 1;  // y >= bottom
constexpr std::uint8_t CLIP_RIGHT = 2;   // x >= right
constexpr std::uint8_t CLIP_TOP = 4;     // y < top
constexpr std::uint8_t CLIP_LEFT = 8;    // x < left
constexpr std::uint8_t CLIP_NEAR = 16;   // w < near
constexpr std::uint8_t CLIP_FAR = 32;    // w > far

// Both vertex buffers hold this many records; a mesh (all parts together)
// has at most this many positions.
constexpr int PIPELINE_MAX_VERTICES = 5000;

class GeometryPipeline {
 public:
  GeometryPipeline();

  // After the camera has been placed: the view from g_ViewRect and the
  // view-projection from g_Camera.
  void SetupProjection();

  // Transforms `parts` parts of consecutive positions (partSizes[p] each),
  // lights them when `lights` is given, and emits the visible triangles of
  // the index list (attributes[k] belongs to corner k) into the output
  // buffer. Returns the number of vertices emitted (a multiple of 3), also
  // stored in *outCount, with *outVertices the output buffer.
  int TransformMesh(int parts, const Vector3* positions, const std::uint16_t* partSizes,
                    const VertexAttribute* attributes, const std::uint16_t* indices, std::uint16_t indexCount,
                    ScreenVertex** outVertices, std::uint16_t* outCount, VertexLight* lights,
                    const Vector3& lightColour);

  // Whether any of the box (8 corners, 0 the minimum and 7 the maximum) can
  // be in view under the object matrix.
  bool IsBoxVisible(const Vector3* box);

  // Moves emitted vertices `steps` depth units toward the camera.
  void ApplyDepthBias(int count, ScreenVertex* vertices, std::uint32_t steps);

  float viewWidth = 0.0f;
  float viewHeight = 0.0f;
  float halfWidth = 0.0f;
  float halfHeight = 0.0f;
  float centreX = 0.0f;
  float centreY = 0.0f;
  // Null for the identity; otherwise one matrix, or one per part for a mesh
  // of several parts. Drawing code sets it before each object or node.
  const Matrix4* objectMatrix = nullptr;
  // One record per mesh position during a call; the colour word's low byte
  // holds the clip code.
  ScreenVertex transformed[PIPELINE_MAX_VERTICES];
  // The triangles of the last call.
  ScreenVertex output[PIPELINE_MAX_VERTICES];
  Matrix4 viewProjection;
  // Linear fog from `start` to `end`; an empty range keeps the scale at 0.
  void SetLinearFog(float start, float end) {
    fogOn = 1;
    fogStart = start;
    fogEnd = end;
    fogScale = end != start ? 255.0f / (end - start) : 0.0f;
  }

  // Direct3D's vertex fog at distance w as the vertex's fogAmount: 255
  // minus the factor clamp((end - w) x scale, 0..255).
  static std::uint32_t FogAmount(float w, float end, float scale);

  std::uint8_t fogOn = 0;
  float fogStart = 0.0f;
  float fogEnd = 0.0f;
  float fogScale = 0.0f;  // 255 / (end - start)
  float depthScale = 0.0f;
  // Statistics, read and zeroed by the statistics display.
  std::uint32_t positionsTransformed = 0;
  std::uint32_t trianglesReceived = 0;
  std::uint32_t verticesEmitted = 0;
  std::uint32_t trianglesEmitted = 0;

  // Per position during a call: the lit colour factors (0..256 per channel).
  struct LightFactors {
    std::uint16_t red, green, blue;
  };

 private:
  struct Corner;
  void ClipTriangle(const Corner& a, const Corner& b, const Corner& c, std::uint8_t mask);
  Corner ClipEdge(const Corner& a, const Corner& b, std::uint8_t plane) const;
  void Emit(const Corner& a, const Corner& b, const Corner& c);
  std::uint8_t ScreenCode(float x, float y) const;
  // The near and far planes and the view rectangle, as they are now.
  void ReadViewBounds();
  // Step 4 of TransformMesh: the triangles of the index list, clipped and
  // culled, into the output buffer.
  template <bool Lit>
  void EmitTriangles(const VertexAttribute* attributes, const std::uint16_t* indices, int triangles, int total);

  LightFactors lightFactors_[PIPELINE_MAX_VERTICES];
  // Per position during a call: the clip codes again, packed, for the
  // triangle loop's quick rejections.
  std::uint8_t codes_[PIPELINE_MAX_VERTICES];
  int outCount_ = 0;
  bool full_ = false;
  float near_ = 0.0f;
  float far_ = 0.0f;
  float left_ = 0.0f;
  float right_ = 0.0f;
  float top_ = 0.0f;
  float bottom_ = 0.0f;
};

extern GeometryPipeline g_GeometryPipeline;
// Direction the directional light shines in (world space).
extern Vector3 g_LightDirection;

// Load-time welding of meshes. Both return false only when memory runs out.
//
// Removes every position exactly equal (x, y, z compared as floats) to an
// earlier one, keeping the first of each in order, and points the indices
// at the kept positions.
bool WeldVertices(std::vector<Vector3>* positions, std::uint16_t* indices, std::size_t indexCount);

// For a mesh of several parts: collects the distinct positions part by part
// (a position equal to one collected earlier, in this or an earlier part,
// maps to it), sets each part's size to the positions it added, reorders the
// attributes so that record k belongs to index k, and points the indices at
// the collected positions. `attributes` has one record per position on
// entry and one per index on return.
bool BuildWeldedGroups(std::vector<VertexAttribute>* attributes, std::uint16_t* partSizes, int partCount,
                       std::uint16_t* indices, std::size_t indexCount, std::vector<Vector3>* positions);
