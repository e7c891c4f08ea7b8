#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/object3d.h"
#include "platform/win32/msgbox.h"
#include "tests/render_glide/object_fixture.h"
#include "tools/object_files.h"

namespace {

using kelvdata::SkinnedObjectFile;

const char kObjectError[] = "File error opening object data.\nPlease reinstall Kelvarro.";

// A quarter turn about y: (x, y, z) becomes (z, y, -x).
kelvdata::Matrix Turn() {
  kelvdata::Matrix m = kelvdata::IdentityMatrix();
  m[0] = 0.0f;
  m[2] = -1.0f;
  m[8] = 1.0f;
  m[10] = 0.0f;
  return m;
}

// One static pose: a group of one parameter with a single grid point.
kelvdata::SkinnedNode StillNode(std::int32_t parent, std::uint16_t vertices, const kelvdata::Matrix& pose) {
  kelvdata::SkinnedNode n;
  n.parent = parent;
  n.vertexCount = vertices;
  n.groups = {{{{1, 1.0f}}, {0}}};
  n.poses = {pose};
  return n;
}

// A triangle in the plane x = `x` of node space, corners (x, 0, 0), (x, 0, 1),
// (x, -1, 0), in the order a skinned file keeps.
std::vector<kelvdata::LitMeshVertex> Triangle(float x) {
  return {{x, 0, 0, 1, 1, 1, 1, 0, 0}, {x, 0, 1, 1, 1, 1, 1, 1, 0}, {x, -1, 0, 1, 1, 1, 1, 0, 1}};
}

class SkeletonTest : public kelvtest::ObjectTest {
 protected:
  // Loads the file as DATA\UI\MAN.ACT; the message boxes are cleared first.
  bool LoadSkinned(const SkinnedObjectFile& f, Object3D* o) {
    platform::ClearRecordedMessageBoxes();
    OpenUiArchive({{"MAN.ACT", kelvdata::BuildSkinnedObjectFile(f)}});
    return o->Load("DATA\\UI\\MAN.ACT");
  }
};

TEST_F(SkeletonTest, SkeletonsBeyondTheLimitsAreRefused) {
  const auto flat = [](int nodes) {
    SkinnedObjectFile f = kelvdata::SkinnedChain("NULL", 0);
    f.nodes.resize(static_cast<std::size_t>(nodes), f.nodes[1]);
    return f;
  };
  const struct {
    const char* what;
    SkinnedObjectFile file;
    bool loads;
  } cases[] = {
      {"chain 10,000 deep", kelvdata::SkinnedChain("NULL", 10000), false},
      {"chain as deep as allowed", kelvdata::SkinnedChain("NULL", SKELETON_MAX_DEPTH), true},
      {"chain one deeper", kelvdata::SkinnedChain("NULL", SKELETON_MAX_DEPTH + 1), false},
      {"as many nodes as allowed", flat(SKELETON_MAX_NODES), true},
      {"one node more", flat(SKELETON_MAX_NODES + 1), false},
  };
  for (const auto& c : cases) {
    Object3D o;
    EXPECT_EQ(c.loads, LoadSkinned(c.file, &o)) << c.what;
    EXPECT_EQ(c.loads ? std::vector<std::string>{} : std::vector<std::string>{kObjectError}, Boxes()) << c.what;
    EXPECT_EQ(c.loads ? c.file.nodes.size() : 0u, o.nodeCount) << c.what;
  }
}

TEST_F(SkeletonTest, DeepestChainAddsEveryAncestor) {
  SkinnedObjectFile f = kelvdata::SkinnedChain("NULL", SKELETON_MAX_DEPTH);
  for (kelvdata::SkinnedNode& n : f.nodes) n.poses = {kelvdata::TranslationMatrix(1.0f, 0.0f, 0.0f)};
  Object3D o;
  ASSERT_TRUE(LoadSkinned(f, &o));
  o.SetPosition(0.0f, 0.0f, 8.0f);
  o.Update(16, 1);
  // Node i of the chain: its own step and one per ancestor.
  for (int i : {0, 1, 10, SKELETON_MAX_DEPTH}) {
    EXPECT_EQ(static_cast<float>(i + 1), o.nodeWorld[i].m[12]) << i;
    EXPECT_EQ(8.0f, o.nodeWorld[i].m[14]) << i;
  }
  EXPECT_EQ(1.0f, o.nodeWorld[SKELETON_MAX_DEPTH + 1].m[12]);  // the roots after the chain
}

TEST_F(SkeletonTest, ParentsAreSteppedBeforeTheirChildren) {
  // Node 0 hangs below node 1, which has the higher number.
  SkinnedObjectFile f;
  f.texture = "NULL";
  f.mesh = kelvdata::MakeLitMesh(Triangle(0.0f), false);
  f.nodes = {StillNode(1, 3, kelvdata::TranslationMatrix(1.0f, 0.0f, 0.0f)),
             StillNode(-1, 0, kelvdata::TranslationMatrix(0.0f, 2.0f, 0.0f)),
             StillNode(-1, 0, kelvdata::IdentityMatrix())};
  Object3D o;
  ASSERT_TRUE(LoadSkinned(f, &o));
  o.Update(16, 1);  // the first frame already has the parent's pose of this frame
  EXPECT_EQ(1.0f, o.nodeWorld[0].m[12]);
  EXPECT_EQ(2.0f, o.nodeWorld[0].m[13]);
}

TEST_F(SkeletonTest, NodeWithoutThePoseGroupPassesItsParentsPoseOn) {
  // Node 0 rises by 5 in group 1; node 1 below it has no group 1; node 2
  // below node 1 does. Node 3 is the root whose local matrix node 1 needs.
  SkinnedObjectFile f;
  f.texture = "NULL";
  f.mesh = kelvdata::MakeLitMesh(Triangle(0.0f), false);
  f.nodes = {StillNode(-1, 3, kelvdata::IdentityMatrix()), StillNode(0, 0, kelvdata::IdentityMatrix()),
             StillNode(1, 0, kelvdata::IdentityMatrix()), StillNode(-1, 0, kelvdata::IdentityMatrix())};
  f.nodes[0].groups.push_back({{{1, 1.0f}}, {1}});
  f.nodes[0].poses.push_back(kelvdata::TranslationMatrix(0.0f, 5.0f, 0.0f));
  f.nodes[2].groups.push_back({{{1, 1.0f}}, {0}});
  Object3D o;
  ASSERT_TRUE(LoadSkinned(f, &o));
  o.Update(16, 1);
  EXPECT_EQ(0.0f, o.nodeWorld[2].m[13]);
  o.Update(16, 2);  // group 1
  EXPECT_EQ(5.0f, o.nodeWorld[0].m[13]);
  EXPECT_EQ(5.0f, o.nodeWorld[2].m[13]);
}

TEST_F(SkeletonTest, SkinnedPartsLandWhereTheirNodesPutThem) {
  // Node 0: a quarter turn about y. Node 1 below it: 2 along x. Node 2 below
  // node 1: 1 up. Node 3: the root whose local matrix node 1 needs. Each of
  // the first three owns one triangle at x = 0, 1, 2 of its own space.
  SkinnedObjectFile f;
  f.texture = "NULL";
  std::vector<kelvdata::LitMeshVertex> vertices;
  for (float x : {0.0f, 1.0f, 2.0f}) {
    for (const kelvdata::LitMeshVertex& v : Triangle(x)) vertices.push_back(v);
  }
  f.mesh = kelvdata::MakeLitMesh(vertices, false);
  f.nodes = {StillNode(-1, 3, Turn()), StillNode(0, 3, kelvdata::TranslationMatrix(2.0f, 0.0f, 0.0f)),
             StillNode(1, 3, kelvdata::TranslationMatrix(0.0f, 1.0f, 0.0f)),
             StillNode(-1, 0, kelvdata::IdentityMatrix())};
  Object3D o;
  ASSERT_TRUE(LoadSkinned(f, &o));
  o.SetPosition(0.0f, 0.0f, 8.0f);
  o.Update(16, 1);
  ASSERT_TRUE(o.Draw());
  const std::vector<platform::GlideDraw> draws = TakeDraws();
  ASSERT_EQ(1u, draws.size());
  // Node space -> world: node 0 (x, y, z) -> (z, y, 8 - x); node 1
  // (x + 2, y, z) turned -> (z, y, 6 - x); node 2 (x + 2, y + 1, z) turned
  // -> (z, y + 1, 6 - x). The view puts (X, Y, w) at (100 + 100 X / w,
  // 50 - 100 Y / w).
  const struct {
    float x, y, w;
  } expected[] = {
      {100.0f, 50.0f, 8.0f}, {112.5f, 50.0f, 8.0f}, {100.0f, 62.5f, 8.0f},  // node 0: w = 8
      {100.0f, 50.0f, 5.0f}, {120.0f, 50.0f, 5.0f}, {100.0f, 70.0f, 5.0f},  // node 1: w = 6 - 1
      {100.0f, 25.0f, 4.0f}, {125.0f, 25.0f, 4.0f}, {100.0f, 50.0f, 4.0f},  // node 2: w = 6 - 2, one up
  };
  ASSERT_EQ(std::size(expected), draws[0].vertices.size());
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const platform::GlideVertex& v = draws[0].vertices[i];
    EXPECT_NEAR(expected[i].x, v.x, 1e-3f) << i;
    EXPECT_NEAR(expected[i].y, v.y, 1e-3f) << i;
    EXPECT_NEAR(1.0f / expected[i].w, v.q, 1e-6f) << i;
  }
}

// The pose step keeps the product order of the parent chain: a node's chain
// is its parent's local matrix times the parent's chain, nearest first.
TEST_F(SkeletonTest, ChainProductsKeepTheirOrder) {
  class Plain : public SceneObject {
   public:
    bool Load(const char*) override { return true; }
    bool Update(unsigned, int) override { return true; }
    bool Draw() override { return true; }
  } o;
  // Node i below node i - 1; poses with rotations and translations whose
  // rounding depends on the order of the products.
  constexpr int kNodes = 5;
  o.nodeCount = kNodes;
  o.parents = {NODE_ROOT, 0, 1, 2, 3};
  o.localMatrices.assign(kNodes, g_IdentityMatrix);
  o.nodeWorld.assign(kNodes, g_IdentityMatrix);
  o.nodeVertexCounts.assign(kNodes, 0);
  o.poseGroups.assign(kNodes, {});
  o.poseMatrices.assign(kNodes, {});
  for (int i = 0; i < kNodes; ++i) {
    const Quaternion q(0.9f, 0.1f * static_cast<float>(i + 1), 0.3f, -0.2f);
    Matrix4 m;
    q.ToMatrix(&m);
    m.m[12] = 0.37f * static_cast<float>(i + 1);
    m.m[13] = -1.3f;
    m.m[14] = 0.11f;
    o.poseMatrices[i] = {m};
    o.poseGroups[i] = {PoseGroup{{1}, {1.0f}, {0}}};
  }
  ASSERT_TRUE(o.NodeTablesValid());
  Matrix4 base = g_IdentityMatrix;
  base.m[12] = 3.1f;
  base.m[14] = 7.7f;

  Matrix4 chain = g_IdentityMatrix;
  for (int i = 0; i < kNodes; ++i) {
    float p = 0.0f;
    o.SetPoseWeights(static_cast<std::uint16_t>(i), 0, 1, &p);
    o.BlendNodeMatrix(static_cast<std::uint16_t>(i), &base);
    // By definition: the ancestors' local matrices multiplied nearest first,
    // L(i - 1) x (L(i - 2) x (... x identity)).
    Matrix4 expected = g_IdentityMatrix;
    for (int a = 0; a < i; ++a) {
      Matrix4 product;
      MultiplyMatrix(o.poseMatrices[a][0], expected, &product);
      expected = product;
    }
    o.GetNodeWorldMatrix(&chain, static_cast<std::uint16_t>(i));
    EXPECT_EQ(0, std::memcmp(&expected, &chain, sizeof(Matrix4))) << i;
    Matrix4 world;
    MultiplyMatrix(o.poseMatrices[i][0], expected, &world);
    MultiplyMatrix(world, base, &world);
    EXPECT_EQ(0, std::memcmp(&world, &o.nodeWorld[i], sizeof(Matrix4))) << i;
  }
}

}  // namespace
