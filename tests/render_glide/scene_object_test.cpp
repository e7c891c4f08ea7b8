#include "engine/scene_object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/archive.h"
#include "engine/sound_sample.h"
#include "tests/render_glide/glide_fixture.h"
#include "tools/bbf.h"
#include "tools/tex.h"

namespace {

class Plain : public SceneObject {
 public:
  bool Load(const char*) override { return true; }
  bool Update(unsigned, int) override { return true; }
  bool Draw() override { return true; }
};

Matrix4 Translation(float x, float y, float z) {
  Matrix4 m = g_IdentityMatrix;
  m.m[12] = x;
  m.m[13] = y;
  m.m[14] = z;
  return m;
}

// A quarter turn about y.
Matrix4 Turn() {
  Matrix4 m = g_IdentityMatrix;
  m.m[0] = 0.0f;
  m.m[2] = -1.0f;
  m.m[8] = 1.0f;
  m.m[10] = 0.0f;
  return m;
}

void ExpectMatrixNear(const Matrix4& e, const Matrix4& a) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(e.m[i], a.m[i], 1e-5f) << "element " << i;
}

// Node 0 a root with poses that are translations along x by 0, 1, 2, ...;
// node 1 its child. One pose group per node with the given grid steps; grid
// point i holds pose i.
void BuildSkeleton(SceneObject* o, std::vector<std::uint16_t> steps, int poses) {
  o->nodeCount = 2;
  o->parents = {NODE_ROOT, 0};
  o->localMatrices.assign(1, g_IdentityMatrix);
  o->nodeWorld.assign(2, g_IdentityMatrix);
  o->nodeVertexCounts = {3, 3};
  o->poseMatrices.assign(2, {});
  o->poseGroups.assign(2, {});
  std::size_t points = 1;
  for (std::uint16_t s : steps) points *= s;
  for (int node = 0; node < 2; ++node) {
    for (int p = 0; p < poses; ++p) o->poseMatrices[node].push_back(Translation(static_cast<float>(p), 0.0f, 0.0f));
    PoseGroup g;
    g.steps = steps;
    g.values.assign(steps.size(), 1.0f);
    for (std::size_t i = 0; i < points; ++i) g.grid.push_back(static_cast<std::uint16_t>(i));
    o->poseGroups[node].push_back(g);
  }
}

class SceneObjectTest : public kelvtest::GlideTest {
 protected:
  static int stops_;
};

int SceneObjectTest::stops_ = 0;

TEST_F(SceneObjectTest, TransformOperations) {
  Plain o;
  ExpectMatrixNear(g_IdentityMatrix, o.matrix);
  Matrix4 turned = Turn();
  turned.m[12] = 7.0f;
  o.SetMatrix(&turned);
  o.SetScale(2.0f, 3.0f, 4.0f);
  Matrix4 expected = turned;
  expected.m[0] = 2.0f;
  expected.m[5] = 3.0f;
  expected.m[10] = 4.0f;
  ExpectMatrixNear(expected, o.matrix);
  o.SetPosition(1.0f, 2.0f, 3.0f);
  expected.m[12] = 1.0f;
  expected.m[13] = 2.0f;
  expected.m[14] = 3.0f;
  ExpectMatrixNear(expected, o.matrix);
  o.SetState(3);
  EXPECT_EQ(3u, o.state);
}

TEST_F(SceneObjectTest, PoseWeightsTable) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    std::vector<std::uint16_t> steps;
    std::vector<float> params;
    std::vector<float> clamped;
    std::vector<std::uint16_t> poses;
    std::vector<float> weights;
  } cases[] = {
      {{5}, {0.5f}, {0.5f}, {2, 2}, {1.0f, 0.0f}},        // whole x: the hi corner weighs 0
      {{5}, {0.6f}, {0.6f}, {2, 3}, {0.6f, 0.4f}},        //
      {{5}, {1.3f}, {1.0f}, {4, 4}, {1.0f, 0.0f}},        // clamped in the caller's array
      {{5}, {-0.2f}, {0.0f}, {0, 0}, {1.0f, 0.0f}},       //
      {{5}, {nan}, {0.0f}, {0, 0}, {1.0f, 0.0f}},         // a NaN cannot index the grid
      {{1}, {0.7f}, {0.7f}, {0, 0}, {1.0f, 0.0f}},        // one step: always point 0
      {{3, 2}, {0.5f, 0.25f}, {0.5f, 0.25f}, {1, 1, 4, 4}, {0.75f, 0.0f, 0.25f, 0.0f}},
      {{}, {}, {}, {0}, {1.0f}},                          // no parameter: one corner
  };
  for (const auto& c : cases) {
    Plain o;
    BuildSkeleton(&o, c.steps, 8);
    std::vector<float> params = c.params;
    o.SetPoseWeights(1, 0, static_cast<std::uint8_t>(params.size()), params.data());
    ASSERT_EQ(c.poses.size(), o.cornerCount);
    for (std::size_t j = 0; j < params.size(); ++j) EXPECT_EQ(c.clamped[j], params[j]);
    float sum = 0.0f;
    for (std::size_t k = 0; k < c.poses.size(); ++k) {
      EXPECT_EQ(c.poses[k], o.cornerPoses[k]) << k;
      EXPECT_NEAR(c.weights[k], o.cornerWeights[k], 1e-6f) << k;
      sum += o.cornerWeights[k];
    }
    EXPECT_NEAR(1.0f, sum, 1e-6f);
  }
}

TEST_F(SceneObjectTest, BlendedPoseThroughTheParentChain) {
  Plain o;
  BuildSkeleton(&o, {5}, 5);
  o.poseMatrices[0][3] = Turn();
  const Matrix4 base = Translation(0.0f, 10.0f, 0.0f);

  // Root at pose 3 (the turn): its world is turn x base; its local matrix is
  // kept for the child.
  float p = 0.75f;
  o.SetPoseWeights(0, 0, 1, &p);
  o.BlendNodeMatrix(0, &base);
  Matrix4 expected;
  MultiplyMatrix(Turn(), base, &expected);
  ExpectMatrixNear(expected, o.nodeWorld[0]);
  ExpectMatrixNear(Turn(), o.localMatrices[0]);

  // Child between poses 2 and 3 (x = 2.4, 2.6 after weighting): blend x turn x base.
  Matrix4 chain;
  o.GetNodeWorldMatrix(&chain, 1);
  ExpectMatrixNear(Turn(), chain);
  p = 0.65f;
  o.SetPoseWeights(1, 0, 1, &p);
  o.BlendNodeMatrix(1, &base);
  MultiplyMatrix(Translation(2.6f, 0.0f, 0.0f), Turn(), &expected);
  MultiplyMatrix(expected, base, &expected);
  ExpectMatrixNear(expected, o.nodeWorld[1]);
  EXPECT_EQ(1u, o.localMatrices.size());  // the child is not below the local-matrix count

  Matrix4 root;
  o.GetNodeWorldMatrix(&root, 0);
  ExpectMatrixNear(g_IdentityMatrix, root);
}

TEST_F(SceneObjectTest, NearestPoseRoundsHalvesUp) {
  const struct {
    float param;
    float pose;
  } cases[] = {{0.6f, 2.0f}, {0.65f, 3.0f}, {0.625f, 3.0f}, {0.1f, 0.0f}, {2.0f, 4.0f}};
  for (const auto& c : cases) {
    Plain o;
    BuildSkeleton(&o, {5}, 5);
    float p = c.param;
    o.SelectNearestPose(0, 0, 1, &p, &g_IdentityMatrix);
    EXPECT_EQ(c.pose, o.nodeWorld[0].m[12]) << c.param;
    EXPECT_EQ(c.pose, o.localMatrices[0].m[12]) << c.param;
    EXPECT_LE(p, 1.0f);
  }
}

TEST_F(SceneObjectTest, RequestsOutsideTheTablesChangeNothing) {
  Plain o;
  BuildSkeleton(&o, {5}, 5);
  float p[4] = {0.5f, 0.5f, 0.5f, 0.5f};
  o.SetPoseWeights(0, 1, 1, p);  // no group 1
  EXPECT_EQ(0, o.cornerCount);
  o.BlendNodeMatrix(0, &g_IdentityMatrix);
  ExpectMatrixNear(g_IdentityMatrix, o.nodeWorld[0]);
  o.SetPoseWeights(0, 0, 2, p);  // the group has one parameter
  EXPECT_EQ(0, o.cornerCount);
  o.SetPoseWeights(7, 0, 1, p);  // no node 7
  EXPECT_EQ(0, o.cornerCount);
  o.SelectNearestPose(7, 0, 1, p, &g_IdentityMatrix);
  o.BlendNodeMatrix(7, &g_IdentityMatrix);
  Matrix4 m;
  o.GetNodeWorldMatrix(&m, 7);
  ExpectMatrixNear(g_IdentityMatrix, m);
}

TEST_F(SceneObjectTest, NodeTableChecks) {
  const struct {
    const char* what;
    void (*damage)(SceneObject*);
    bool valid;
  } cases[] = {
      {"intact", [](SceneObject*) {}, true},
      {"parent beyond the nodes", [](SceneObject* o) { o->parents[1] = 5; }, false},
      {"parent not below the local count", [](SceneObject* o) { o->parents[0] = 1; }, false},
      {"cycle", [](SceneObject* o) {
         o->localMatrices.assign(2, g_IdentityMatrix);
         o->parents = {1, 0};
       }, false},
      {"self parent", [](SceneObject* o) { o->parents[0] = 0; }, false},
      {"pose number beyond the poses", [](SceneObject* o) { o->poseGroups[1][0].grid[2] = 5; }, false},
      {"zero grid step", [](SceneObject* o) { o->poseGroups[0][0].steps[0] = 0; }, false},
      {"grid smaller than its steps", [](SceneObject* o) { o->poseGroups[0][0].grid.pop_back(); }, false},
      {"four parameters", [](SceneObject* o) {
         PoseGroup& g = o->poseGroups[0][0];
         g.steps = {1, 1, 1, 1};
         g.values.assign(4, 1.0f);
         g.grid = {0};
       }, false},
      {"table of the wrong size", [](SceneObject* o) { o->nodeWorld.pop_back(); }, false},
  };
  for (const auto& c : cases) {
    Plain o;
    BuildSkeleton(&o, {5}, 5);
    c.damage(&o);
    EXPECT_EQ(c.valid, o.NodeTablesValid()) << c.what;
  }
}

TEST_F(SceneObjectTest, CycleInUncheckedTablesEndsTheWalk) {
  Plain o;
  BuildSkeleton(&o, {5}, 5);
  o.localMatrices.assign(2, Translation(1.0f, 0.0f, 0.0f));
  o.parents = {1, 0};
  Matrix4 m;
  o.GetNodeWorldMatrix(&m, 0);  // returns instead of recursing forever
  SUCCEED();
}

TEST_F(SceneObjectTest, SoundsAndTextureBelongToTheObject) {
  stops_ = 0;
  const auto countStop = [](SoundSample* self) {
    ++stops_;
    self->playing = 0;
  };
  {
    Plain empty;
    empty.StopSounds();
  }
  ASSERT_TRUE(OpenAt(640, 480));
  Put("DATA/UI.BBF", kelvdata::BuildBbf({{"SKIN.TEX", kelvdata::BuildTex(8, 8, [](int, int) {
                                            return kelvdata::Rgb{1, 2, 3};
                                          })}}));
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  TextureSlot slot = 0;
  {
    Plain o;
    char name[] = "DATA\\UI\\SKIN.TEX";
    ASSERT_TRUE(g_TextureManager.Load(name, &o.texture, 8));
    slot = o.texture;
    ASSERT_NE(0, slot);
    for (int i = 0; i < 3; ++i) {
      o.sounds.push_back(new SoundSample());
      o.sounds.back()->stopOp = countStop;
    }
    o.sounds[0]->playing = 1;
    o.sounds[2]->playing = 1;
    o.StopSounds();
    EXPECT_EQ(2, stops_);
    EXPECT_EQ(0, o.sounds[0]->playing);
  }  // the samples are deleted with the object (the leak checker sees it otherwise)
  EXPECT_STREQ("UNUSED TEXTURE", g_TextureManager.name[slot]);
}

}  // namespace
