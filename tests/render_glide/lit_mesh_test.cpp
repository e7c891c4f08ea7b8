#include "engine/lit_mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/camera.h"
#include "engine/disk_file.h"
#include "engine/display.h"
#include "engine/renderer.h"
#include "platform/win32/msgbox.h"
#include "tests/render_glide/object_fixture.h"
#include "tools/object_files.h"
#include "tools/object_samples.h"

namespace {

using kelvdata::Bytes;
using kelvdata::LitMeshRecord;
using kelvdata::LitMeshVertex;
using kelvdata::MakeLitMesh;

const char kLitMeshError[] = "Error loading litmesh data.\nPlease reinstall Kelvarro.";

LitMeshVertex V(float x, float y, float z, float r = 1, float g = 1, float b = 1, float a = 1, float u = 0,
                float v = 0) {
  return {x, y, z, r, g, b, a, u, v};
}

class LitMeshTest : public kelvtest::ObjectTest {
 protected:
  // Writes the bytes (after a 3-byte lead, so the record is not at the start)
  // and loads a mesh from them.
  bool Load(LitMesh* mesh, const Bytes& record, bool lit, bool box, bool trailing = true) {
    Bytes bytes = {7, 7, 7};
    bytes.insert(bytes.end(), record.begin(), record.end());
    if (trailing) bytes.insert(bytes.end(), 64, 0xEE);  // what follows the record in the owner's file
    Put("mesh.bin", bytes);
    DiskFile file;
    EXPECT_TRUE(file.Open("mesh.bin", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    file.Seek(3);
    return mesh->Load(&file, lit, box);
  }
  bool Load(LitMesh* mesh, const LitMeshRecord& record, bool lit) {
    kelvdata::ByteWriter w;
    kelvdata::WriteLitMesh(&w, record);
    return Load(mesh, w.Take(), lit, record.box.has_value());
  }

};

TEST_F(LitMeshTest, OneTriangleKeepsItsCornersAndColours) {
  // Stored corners c0, c1, c2: the file holds c0's attributes in the third
  // record (see FileTriangle).
  const std::vector<LitMeshVertex> tri = kelvdata::FileTriangle(V(-2, 2, 8, 1.0f, 0.5f, 0.25f, 0.2f, 0.5f, 0.25f),
                                                                V(2, 2, 8, 0, 1, 0, 1, 1, 0),
                                                                V(-2, -2, 8, 0, 0, 1, 1, 0, 1));
  LitMesh mesh;
  mesh.sScale = 256.0f;
  mesh.tScale = 64.0f;
  ASSERT_TRUE(Load(&mesh, MakeLitMesh(tri, false), false));
  ASSERT_EQ(3, mesh.positionCount);
  ASSERT_EQ(3, mesh.indexCount);
  const float xs[3] = {-2, 2, -2}, ys[3] = {2, 2, -2};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(xs[k], mesh.positions[mesh.indices[k]].x) << k;
    EXPECT_EQ(ys[k], mesh.positions[mesh.indices[k]].y) << k;
  }
  // ARGB of trunc(255 x channel); u and v in the texture's scale.
  EXPECT_EQ(0x33FF7F3Fu, mesh.attributes[0].colour);
  EXPECT_EQ(128.0f, mesh.attributes[0].u);
  EXPECT_EQ(16.0f, mesh.attributes[0].v);
  EXPECT_EQ(0xFF0000FFu, mesh.attributes[2].colour);
  EXPECT_EQ(0, mesh.hasBox);
  EXPECT_TRUE(mesh.lights.empty());
  EXPECT_EQ(mesh.positions.size(), mesh.basePositions.size());

  ASSERT_TRUE(mesh.Draw());
  const std::vector<platform::GlideDraw> draws = TakeDraws();
  ASSERT_EQ(1u, draws.size());
  const std::vector<platform::GlideVertex>& out = draws[0].vertices;
  ASSERT_EQ(3u, out.size());
  EXPECT_FLOAT_EQ(75.0f, out[0].x);
  EXPECT_FLOAT_EQ(25.0f, out[0].y);
  EXPECT_EQ(0xFFFF7F3Fu, out[0].argb);
  EXPECT_EQ(3, mesh.emittedCount);
}

TEST_F(LitMeshTest, SharedPositionsAreWelded) {
  // A square as two triangles: six corners, four positions.
  LitMesh mesh;
  ASSERT_TRUE(Load(&mesh, kelvdata::SamplePlane(1.0f, 8.0f, 1, false), false));
  EXPECT_EQ(4, mesh.positionCount);
  EXPECT_EQ(6, mesh.indexCount);
  EXPECT_EQ(6u, mesh.attributes.size());
}

TEST_F(LitMeshTest, LitMeshesAreWhiteWithNormals) {
  LitMesh mesh;
  ASSERT_TRUE(Load(&mesh, kelvdata::SampleBox(1.0f, 0, 0, 0, false), true));
  EXPECT_EQ(8, mesh.positionCount);
  for (const VertexAttribute& a : mesh.attributes) EXPECT_EQ(0xFFFFFFFFu, a.colour);
  ASSERT_EQ(8u, mesh.lights.size());
  // Each corner's normal points out of the box along its diagonal.
  for (int i = 0; i < 8; ++i) {
    const Vector3& p = mesh.positions[i];
    const Vector3& n = mesh.lights[i].normal;
    EXPECT_NEAR(1.0f, LengthSquared(n), 1e-5f);
    EXPECT_GT(Dot(p, n), 1.0f) << i;
  }
}

TEST_F(LitMeshTest, BoundingBoxDecidesVisibility) {
  LitMesh mesh;
  ASSERT_TRUE(Load(&mesh, kelvdata::SampleBox(1.0f, 0, 0, 8, true), false));
  EXPECT_EQ(1, mesh.hasBox);
  EXPECT_EQ(-1.0f, mesh.box[0].x);
  EXPECT_EQ(9.0f, mesh.box[7].z);
  mesh.Draw();
  EXPECT_EQ(1u, TakeDraws().size());

  LitMesh behind;
  ASSERT_TRUE(Load(&behind, kelvdata::SampleBox(1.0f, 0, 0, -8, true), false));
  behind.Draw();
  EXPECT_EQ(0u, TakeDraws().size());
  EXPECT_EQ(0, behind.emittedCount);
}

TEST_F(LitMeshTest, ScrollOffsetShiftsOnlyTheDrawing) {
  LitMesh mesh;
  mesh.sScale = 256.0f;
  mesh.tScale = 256.0f;
  ASSERT_TRUE(Load(&mesh, kelvdata::SamplePlane(1.0f, 8.0f, 1, false), false));
  const std::vector<VertexAttribute> stored = mesh.attributes;
  mesh.scrollU = 0.5f;
  mesh.Draw();
  const std::vector<platform::GlideDraw> draws = TakeDraws();
  ASSERT_EQ(1u, draws.size());
  const std::vector<platform::GlideVertex>& out = draws[0].vertices;
  ASSERT_EQ(6u, out.size());
  for (int k = 0; k < 6; ++k) EXPECT_FLOAT_EQ((stored[k].u + 0.5f) * out[k].q, out[k].s0) << k;
  for (int k = 0; k < 6; ++k) EXPECT_EQ(stored[k].u, mesh.attributes[k].u) << k;
}

TEST_F(LitMeshTest, DepthBiasOfTheRenderer) {
  LitMesh mesh;
  ASSERT_TRUE(Load(&mesh, kelvdata::SamplePlane(1.0f, 8.0f, 1, false), false));
  mesh.Draw();
  g_Renderer.SetDepthBias(10);
  mesh.Draw();
  g_Renderer.SetDepthBias(0);
  const std::vector<platform::GlideDraw> draws = TakeDraws();
  ASSERT_EQ(2u, draws.size());
  const auto& plain = draws[0].vertices;
  const auto& biased = draws[1].vertices;
  for (std::size_t k = 0; k < plain.size(); ++k) {
    EXPECT_FLOAT_EQ(plain[k].z + 10.0f, biased[k].z);
    EXPECT_GT(biased[k].q, plain[k].q);
  }
}

TEST_F(LitMeshTest, SkinnedPartsWeldIntoTheirOwnGroups) {
  // The box's 36 corners as two parts: faces -x, +x, -y (18 corners) and
  // +y, -z, +z. Part 1 only adds the positions part 0 has not collected.
  LitMesh mesh;
  mesh.partCount = 2;
  mesh.partSizes = {18, 18};
  mesh.skinned = 1;
  ASSERT_TRUE(Load(&mesh, kelvdata::SampleBox(1.0f, 0, 0, 8, false), false));
  EXPECT_EQ(8, mesh.positionCount);
  EXPECT_EQ(8, mesh.partSizes[0]);
  EXPECT_EQ(0, mesh.partSizes[1]);
  EXPECT_EQ(36u, mesh.attributes.size());
  // Corner colours follow their corners: -x is red, +y yellow (the corners
  // are not reversed for a skinned mesh).
  EXPECT_EQ(0xFFFF0000u, mesh.attributes[0].colour);
  EXPECT_EQ(0xFFFFFF00u, mesh.attributes[18].colour);
}

TEST_F(LitMeshTest, DamagedRecordsAreRefused) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<LitMeshVertex> tri = {V(0, 0, 8), V(1, 0, 8), V(0, 1, 8)};
  const auto record = [&](auto change) {
    LitMeshRecord r = MakeLitMesh(tri, true);
    change(&r);
    kelvdata::ByteWriter w;
    kelvdata::WriteLitMesh(&w, r);
    return w.Take();
  };
  // 5,001 distinct positions (1,667 triangles).
  std::vector<LitMeshVertex> many;
  for (int i = 0; i < 5001; ++i) many.push_back(V(static_cast<float>(i), 0, 8));
  const struct {
    const char* what;
    Bytes bytes;
    bool box;
  } cases[] = {
      {"no vertices", record([](LitMeshRecord* r) { *r = MakeLitMesh({}, false); }), false},
      {"index count differs", record([](LitMeshRecord* r) {
         r->indexCount = 6;
         r->indices = {0, 1, 2, 0, 1, 2};
       }), true},
      {"index count 0", record([](LitMeshRecord* r) {
         r->indexCount = 0;
         r->indices.clear();
       }), true},
      {"not whole triangles", record([&](LitMeshRecord* r) { *r = MakeLitMesh({V(0, 0, 8), V(1, 0, 8), V(0, 1, 8), V(1, 1, 8)}, true); }),
       true},
      {"index at the vertex count", record([](LitMeshRecord* r) { r->indices[1] = 3; }), true},
      {"index far beyond", record([](LitMeshRecord* r) { r->indices[2] = 65535; }), true},
      {"NaN position", record([&](LitMeshRecord* r) { r->vertices[1].y = nan; }), true},
      {"infinite texture coordinate", record([](LitMeshRecord* r) {
         r->vertices[2].u = std::numeric_limits<float>::infinity();
       }), true},
      {"position beyond any model", record([](LitMeshRecord* r) { r->vertices[0].x = -2.0e9f; }), true},
      {"NaN in the box", record([&](LitMeshRecord* r) { (*r->box)[5] = nan; }), true},
      {"box cut short", [&] {
         Bytes b = record([](LitMeshRecord*) {});
         b.resize(b.size() - 4);
         return b;
       }(), true},
      {"vertices cut short", [&] {
         Bytes b = record([](LitMeshRecord*) {});
         b.resize(40);
         return b;
       }(), true},
      {"more positions than the pipeline holds", record([&](LitMeshRecord* r) { *r = MakeLitMesh(many, false); }),
       false},
  };
  for (const auto& c : cases) {
    platform::ClearRecordedMessageBoxes();
    LitMesh mesh;
    // Nothing after the record: a short one runs into the end of the file.
    EXPECT_FALSE(Load(&mesh, c.bytes, false, c.box, false)) << c.what;
    EXPECT_EQ(std::vector<std::string>{kLitMeshError}, Boxes()) << c.what;
    EXPECT_EQ(0, mesh.positionCount) << c.what;
    EXPECT_TRUE(mesh.positions.empty() && mesh.attributes.empty() && mesh.indices.empty()) << c.what;
    mesh.Draw();
  }
  EXPECT_TRUE(TakeDraws().empty());
}

TEST_F(LitMeshTest, SkinnedPartSizesMustCoverTheVertices) {
  for (std::vector<std::uint16_t> sizes : {std::vector<std::uint16_t>{18, 12}, {18, 20}, {}}) {
    platform::ClearRecordedMessageBoxes();
    LitMesh mesh;
    mesh.partCount = static_cast<std::uint16_t>(sizes.size());
    mesh.partSizes = sizes;
    mesh.skinned = 1;
    EXPECT_FALSE(Load(&mesh, kelvdata::SampleBox(1.0f, 0, 0, 8, false), false));
    EXPECT_EQ(std::vector<std::string>{kLitMeshError}, Boxes());
  }
}

}  // namespace
