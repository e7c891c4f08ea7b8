#include "engine/lit_mesh.h"

#include <cmath>
#include <cstring>
#include <new>
#include <utility>

#include "engine/data_reader.h"
#include "engine/renderer.h"
#include "engine/system.h"

namespace {

const char kLitMeshError[] = "Error loading litmesh data.\nPlease reinstall Kelvarro.";
const char kMemoryError[] = "Error: not enough system memory to run.";

void Report(const char* text) { ShowMessageBox(text, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR); }

float FloatAt(const std::uint8_t* p) {
  std::uint32_t u = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                    static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

}  // namespace

void LitMesh::Clear() {
  positions.clear();
  basePositions.clear();
  attributes.clear();
  indices.clear();
  lights.clear();
  scrolled_.clear();
  output = nullptr;
  hasBox = 0;
  positionCount = 0;
  emittedCount = 0;
  indexCount = 0;
}

bool LitMesh::Load(Stream* stream, bool lit, bool withBox) {
  Clear();
  DataReader r(stream);
  enum class Failure { NONE, DATA, QUIET } failure = Failure::NONE;
  try {
    std::uint16_t v = 0;
    std::uint16_t count = 0;
    std::vector<std::uint8_t> raw;
    // One corner per vertex, whole triangles, and the parts (set by the
    // owner) covering every vertex.
    bool ok = r.U16(&v) && v > 0 && v % 3 == 0 && r.U16(&count) && count == v && r.Skip(1);
    if (ok && skinned) {
      std::uint32_t sum = 0;
      for (std::uint16_t s : partSizes) sum += s;
      ok = partCount > 0 && partSizes.size() == partCount && sum == v;
    }
    if (ok) {
      raw.resize(static_cast<std::size_t>(v) * 36);
      ok = r.Bytes(raw.data(), raw.size());
    }
    if (ok) {
      positions.resize(v);
      attributes.resize(v);
      // Room for the scrolled copy a draw may make, so drawing never allocates.
      if (!skinned) scrolled_.reserve(v);
      for (std::size_t i = 0; i < v && ok; ++i) {
        const std::uint8_t* p = &raw[i * 36];
        float f[9];
        for (int k = 0; k < 9; ++k) {
          f[k] = FloatAt(p + k * 4);
          if (!SaneFloat(f[k])) ok = false;
        }
        positions[i] = Vector3(f[0], f[1], f[2]);
        VertexAttribute& a = attributes[i];
        a.colour = lit ? 0xFFFFFFFFu : PackColour(f[6], f[3], f[4], f[5]);
        a.u = f[7] * sScale;
        a.v = f[8] * tScale;
      }
    }
    if (ok) ok = r.Skip(1);
    if (ok) {
      raw.resize(static_cast<std::size_t>(v) * 2);
      ok = r.Bytes(raw.data(), raw.size());
    }
    if (ok) {
      indices.resize(v);
      for (std::size_t k = 0; k < v; ++k) {
        indices[k] = static_cast<std::uint16_t>(raw[k * 2] | raw[k * 2 + 1] << 8);
        if (indices[k] >= v) ok = false;
      }
    }
    if (!ok) {
      failure = Failure::DATA;
    } else {
      indexCount = v;
      if (!skinned) {
        // Each triangle's corners are reversed and its first and last vertex
        // records exchanged.
        for (std::size_t t = 0; t + 2 < v; t += 3) {
          std::swap(indices[t], indices[t + 2]);
          std::swap(positions[t], positions[t + 2]);
          std::swap(attributes[t], attributes[t + 2]);
        }
        if (!WeldVertices(&positions, indices.data(), indexCount)) failure = Failure::QUIET;
      } else if (!BuildWeldedGroups(&attributes, partSizes.data(), partCount, indices.data(), indexCount,
                                    &positions)) {
        failure = Failure::QUIET;
      }
    }
    // The pipeline transforms at most this many positions per mesh.
    if (failure == Failure::NONE && positions.size() > static_cast<std::size_t>(PIPELINE_MAX_VERTICES)) {
      failure = Failure::DATA;
    }
    if (failure == Failure::NONE) {
      positionCount = static_cast<std::uint16_t>(positions.size());
      basePositions = positions;
      if (lit) {
        lights.assign(positionCount, VertexLight{0.0f, Vector3(0.0f, 0.0f, 0.0f)});
        ComputeNormals(indexCount, lights.data());
      }
      if (withBox) {
        for (Vector3& c : box) {
          if (!r.F32(&c.x) || !r.F32(&c.y) || !r.F32(&c.z)) failure = Failure::DATA;
        }
        hasBox = 1;
      }
    }
  } catch (const std::bad_alloc&) {
    Clear();
    Report(kMemoryError);
    return false;
  }
  if (failure != Failure::NONE) {
    Clear();
    if (failure == Failure::DATA) Report(kLitMeshError);
    return false;
  }
  return true;
}

void LitMesh::ComputeNormals(int count, VertexLight* lightRecords) {
  for (int k = 0; k + 2 < count; k += 3) {
    const std::uint16_t i0 = indices[k], i1 = indices[k + 1], i2 = indices[k + 2];
    Vector3 n = Cross(positions[i1] - positions[i0], positions[i2] - positions[i0]);
    const float len = std::sqrt(LengthSquared(n));
    // A triangle without area has no direction to add.
    if (!(len > 0.0f) || !std::isfinite(len)) continue;
    n = n / len;
    for (std::uint16_t i : {i0, i1, i2}) lightRecords[i].normal = lightRecords[i].normal + n;
  }
  for (std::uint16_t i = 0; i < positionCount; ++i) {
    Vector3& n = lightRecords[i].normal;
    const float len = std::sqrt(LengthSquared(n));
    if (len > 0.0f && std::isfinite(len)) n = n / len;
  }
}

bool LitMesh::Draw() {
  emittedCount = 0;
  if (positionCount == 0) return true;
  VertexLight* l = lights.empty() ? nullptr : lights.data();
  if (skinned) {
    g_GeometryPipeline.TransformMesh(partCount, positions.data(), partSizes.data(), attributes.data(),
                                     indices.data(), indexCount, &output, &emittedCount, l, lightColour);
  } else {
    if (hasBox && !g_GeometryPipeline.IsBoxVisible(box)) return true;
    const VertexAttribute* corners = attributes.data();
    if (scrollU != 0.0f || scrollV != 0.0f) {
      // Drawn from a copy, so the stored coordinates never drift.
      scrolled_ = attributes;
      for (VertexAttribute& a : scrolled_) {
        a.u = a.u + scrollU;
        a.v = a.v + scrollV;
      }
      corners = scrolled_.data();
    }
    const std::uint16_t size = positionCount;
    g_GeometryPipeline.TransformMesh(1, positions.data(), &size, corners, indices.data(), indexCount, &output,
                                     &emittedCount, l, lightColour);
  }
  if (emittedCount != 0) {
    if (g_Renderer.depthBias != 0) g_GeometryPipeline.ApplyDepthBias(emittedCount, output, g_Renderer.depthBias);
    if (emittedCount % 3 == 0) g_Renderer.DrawTriangles(emittedCount, output);
  }
  return true;
}
