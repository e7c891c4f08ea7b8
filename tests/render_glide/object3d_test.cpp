#include "engine/object3d.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "platform/win32/msgbox.h"
#include "tests/render_glide/object_fixture.h"
#include "tools/bbf.h"
#include "tools/object_files.h"
#include "tools/object_samples.h"
#include "tools/tex.h"

namespace {

using kelvdata::Bytes;
using kelvdata::PlainObjectFile;
using kelvdata::SkinnedObjectFile;

const char kObjectError[] = "File error opening object data.\nPlease reinstall Kelvarro.";
const char kLitMeshError[] = "Error loading litmesh data.\nPlease reinstall Kelvarro.";
const char kMeshAnimationError[] = "File error opening mesh animation data.\nPlease reinstall Kelvarro.";

kelvdata::ActString ActStringOf(const char* text, bool terminated) {
  kelvdata::ActString s(text);
  s.terminated = terminated;
  return s;
}

PlainObjectFile BoxObject(const char* texture = "DATA\\UI\\BOX.TEX") {
  PlainObjectFile f;
  f.texture = texture;
  f.meshes = {kelvdata::SampleBox(1.0f, 0.0f, 0.0f, 8.0f, true)};
  return f;
}

// A texture member of the given size (its long side has scale 256).
kelvdata::BbfMember Texture(const std::string& name, std::uint16_t w = 256, std::uint16_t h = 64) {
  return {name, kelvdata::BuildTex(w, h, [](int x, int y) {
            return kelvdata::Rgb{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 128};
          })};
}

class Object3DTest : public kelvtest::ObjectTest {
 protected:
  void SetUp() override {
    kelvtest::ObjectTest::SetUp();
    callbacks_ = 0;
  }

  // The members with the textures the objects of these tests name.
  void OpenUiArchiveWithTextures(std::vector<kelvdata::BbfMember> members) {
    for (const char* name : {"BOX.TEX", "PLANE.TEX", "MAN.TEX", "10_OBJ1.TEX", "11_OBJ1.TEX", "11_OBJ2.TEX"})
      members.push_back(Texture(name));
    OpenUiArchive(members);
  }

  // The Glide calls that matter for the fog around a draw, in order.
  static std::vector<std::string> FogAndDraws() {
    std::vector<std::string> out;
    for (const platform::GlideCall& c : platform::RecordedGlideCalls()) {
      if (c.function == "grFogMode") out.push_back(c.args.at(0) == GR_FOG_DISABLE ? "fog off" : "fog on");
      if (c.function == "grDrawVertexArrayContiguous") out.push_back("draw " + std::to_string(static_cast<int>(c.args.at(1))));
    }
    return out;
  }

  static int callbacks_;
};

int Object3DTest::callbacks_ = 0;

TEST_F(Object3DTest, PlainObjectLoadsItsMeshesAndTexture) {
  PlainObjectFile f = BoxObject();
  f.meshes.push_back(kelvdata::SamplePlane(1.0f, 10.0f, 2, true));
  // A 512 x 128 texture: cut to 256 x 128 by the limit of 8, scales 256 and 128.
  OpenUiArchive({{"BOX.ACT", kelvdata::BuildPlainObjectFile(f)}, Texture("BOX.TEX", 512, 128)});
  Object3D o;
  ASSERT_TRUE(o.Load("DATA\\UI\\BOX.ACT"));
  EXPECT_TRUE(Boxes().empty());
  ASSERT_NE(0, o.texture);
  EXPECT_STREQ("DATA\\UI\\BOX.TEX", g_TextureManager.name[o.texture]);
  EXPECT_EQ(256, g_TextureManager.width[o.texture]);
  ASSERT_EQ(2, o.meshCount);
  EXPECT_EQ((std::vector<std::uint8_t>{1, 1}), o.visible);
  EXPECT_EQ(8, o.meshes[0].positionCount);
  EXPECT_EQ(9, o.meshes[1].positionCount);
  EXPECT_EQ(1, o.meshes[0].hasBox);
  EXPECT_TRUE(o.meshes[0].lights.empty());
  // Texture coordinates in the texture's scale: the plane's corners reach 1.
  float maxU = 0, maxV = 0;
  for (const VertexAttribute& a : o.meshes[1].attributes) {
    maxU = std::max(maxU, a.u);
    maxV = std::max(maxV, a.v);
  }
  EXPECT_EQ(256.0f, maxU);
  EXPECT_EQ(128.0f, maxV);

  // Drawn in world coordinates with the texture selected, blending off.
  o.SetPosition(100.0f, 0.0f, 0.0f);  // ignored without a mesh animation
  ASSERT_TRUE(o.Draw());
  std::vector<platform::GlideDraw> draws = TakeDraws();
  ASSERT_EQ(2u, draws.size());
  EXPECT_EQ(o.texture, g_TextureManager.selected);
  EXPECT_EQ(g_TextureManager.startAddress[o.texture], draws[0].state.tmu[0].startAddress);
  EXPECT_EQ(GR_BLEND_ZERO, draws[0].state.rgbDst);
  EXPECT_EQ(nullptr, g_GeometryPipeline.objectMatrix);
  o.visible[0] = 0;
  o.Draw();
  EXPECT_EQ(1u, TakeDraws().size());
}

TEST_F(Object3DTest, LitObjectsGetNormals) {
  OpenUiArchiveWithTextures({{"BOX.ACT", kelvdata::BuildPlainObjectFile(BoxObject())}});
  Object3D o;
  ASSERT_TRUE(o.LoadObject("DATA\\UI\\BOX.ACT", true));
  EXPECT_EQ(8u, o.meshes[0].lights.size());
  EXPECT_EQ(0xFFFFFFFFu, o.meshes[0].attributes[0].colour);
}

TEST_F(Object3DTest, PracticeRaceTakesTheOtherTextureVariant) {
  const struct {
    std::uint8_t raceType;
    const char* texture;
    const char* loaded;
  } cases[] = {
      {1, "data\\ui\\11_obj1.tex", "DATA\\UI\\10_OBJ1.TEX"},
      {1, "DATA\\UI\\11_OBJ1.TEX", "DATA\\UI\\10_OBJ1.TEX"},
      {1, "DATA\\\\UI\\\\11_OBJ1.TEX", "DATA\\UI\\10_OBJ1.TEX"},  // doubled separators, as other names in the data
      {1, "data\\\\ui\\11_obj1.tex", "DATA\\UI\\10_OBJ1.TEX"},
      {2, "DATA\\UI\\11_OBJ1.TEX", "DATA\\UI\\11_OBJ1.TEX"},
      {1, "DATA\\UI\\11_OBJ2.TEX", "DATA\\UI\\11_OBJ2.TEX"},
  };
  for (const auto& c : cases) {
    g_RaceType = c.raceType;
    OpenUiArchiveWithTextures({{"BOX.ACT", kelvdata::BuildPlainObjectFile(BoxObject(c.texture))}});
    Object3D o;
    ASSERT_TRUE(o.Load("DATA\\UI\\BOX.ACT")) << c.texture;
    EXPECT_STREQ(c.loaded, g_TextureManager.name[o.texture]) << c.texture;
  }
}

TEST_F(Object3DTest, AdditiveObjectTurnsFogOffOnlyForItself) {
  PlainObjectFile f = BoxObject();
  f.additive = 1;
  OpenUiArchiveWithTextures({{"BOX.ACT", kelvdata::BuildPlainObjectFile(f)}});
  Object3D o;
  ASSERT_TRUE(o.Load("DATA\\UI\\BOX.ACT"));
  for (const VertexAttribute& a : o.meshes[0].attributes) EXPECT_EQ(0xFF4C4C4Cu, a.colour);

  g_Renderer.SetFogEnable(true);
  platform::ClearGlideRecords();
  o.Draw();
  EXPECT_EQ((std::vector<std::string>{"fog off", "draw 6", "fog on"}), FogAndDraws());
  std::vector<platform::GlideDraw> draws = TakeDraws();
  ASSERT_EQ(1u, draws.size());
  EXPECT_EQ(GR_BLEND_ONE, draws[0].state.rgbSrc);
  EXPECT_EQ(GR_BLEND_ONE, draws[0].state.rgbDst);
  EXPECT_EQ(GR_FOG_DISABLE, draws[0].state.fogMode);
  EXPECT_EQ(1, g_Renderer.cache.fogEnable);

  // With fog off nothing is switched.
  g_Renderer.SetFogEnable(false);
  platform::ClearGlideRecords();
  o.Draw();
  EXPECT_EQ((std::vector<std::string>{"draw 6"}), FogAndDraws());
}

TEST_F(Object3DTest, ObjectWithoutMeshesLoadsAndDrawsNothing) {
  OpenUiArchiveWithTextures({{"NONE.ACT", kelvdata::BuildPlainObjectFile(PlainObjectFile{.texture = "NULL"})}});
  Object3D o;
  ASSERT_TRUE(o.Load("DATA\\UI\\NONE.ACT"));
  EXPECT_EQ(0, o.meshCount);
  EXPECT_EQ(0, o.texture);
  EXPECT_TRUE(o.Update(16, 1));
  EXPECT_TRUE(o.Draw());
  EXPECT_TRUE(TakeDraws().empty());
}

TEST_F(Object3DTest, ModesChooseTheSequence) {
  PlainObjectFile f = BoxObject();
  f.hasMeshAnimation = 1;
  f.meshAnimation = "DATA\\UI\\SPIN.ANM";
  OpenUiArchiveWithTextures({{"BOX.ACT", kelvdata::BuildPlainObjectFile(f)},
                 {"SPIN.ANM", kelvdata::BuildMeshAnimationFile(kelvdata::SampleSpin(1, 8))}});
  Object3D o;
  ASSERT_TRUE(o.Load("DATA\\UI\\BOX.ACT"));
  ASSERT_TRUE(o.HasMeshAnimation());
  EXPECT_EQ(&o.meshAnimation, o.meshPlayer.animation);

  o.Update(100, 2);
  EXPECT_EQ(1, o.meshPlayer.sequence);
  EXPECT_EQ(100u, o.meshPlayer.time);
  o.Update(100, 0);  // other modes keep the sequence
  EXPECT_EQ(1, o.meshPlayer.sequence);
  EXPECT_EQ(200u, o.meshPlayer.time);
  o.Update(100, 3);
  EXPECT_EQ(2, o.meshPlayer.sequence);
  EXPECT_EQ(0, o.meshPlayer.backward);

  o.alternateSelection = 1;
  o.Update(100, 3);  // sequence 0 from its end, backward
  EXPECT_EQ(0, o.meshPlayer.sequence);
  EXPECT_EQ(1, o.meshPlayer.backward);
  EXPECT_EQ(900u, o.meshPlayer.time);
  o.Update(100, 3);  // not restarted
  EXPECT_EQ(800u, o.meshPlayer.time);
  o.Update(100, 1);  // forward again from the start
  EXPECT_EQ(0, o.meshPlayer.backward);
  EXPECT_EQ(100u, o.meshPlayer.time);
}

TEST_F(Object3DTest, AnimatedMeshesFollowTheirKeysAndTheObjectMatrix) {
  // Sequence 2 of the spin lifts the mesh from y = 0 to y = 1 over 500 ms.
  PlainObjectFile f;
  f.texture = "NULL";
  f.meshes = {kelvdata::SamplePlane(1.0f, 0.0f, 1, true)};
  f.hasMeshAnimation = 1;
  f.meshAnimation = "DATA\\UI\\SPIN.ANM";
  OpenUiArchiveWithTextures({{"P.ACT", kelvdata::BuildPlainObjectFile(f)},
                 {"SPIN.ANM", kelvdata::BuildMeshAnimationFile(kelvdata::SampleSpin(1, 8))}});
  Object3D o;
  ASSERT_TRUE(o.Load("DATA\\UI\\P.ACT"));
  o.SetPosition(0.0f, 0.0f, 8.0f);
  o.Update(125, 3);  // half way from its first key (y = 0) to its second (y = 1)
  o.Draw();
  const std::vector<platform::GlideDraw> draws = TakeDraws();
  ASSERT_EQ(1u, draws.size());
  // The plane's top-left corner (-1, 1) is the first corner drawn.
  const platform::GlideVertex& v = draws[0].vertices[0];
  EXPECT_NEAR(100.0f - 100.0f / 8.0f, v.x, 1e-3f);
  EXPECT_NEAR(50.0f - 100.0f * 1.5f / 8.0f, v.y, 1e-3f);
  EXPECT_EQ(BLEND_ONE_MINUS_SRC_COLOUR, g_Renderer.cache.destBlend);
  EXPECT_EQ(nullptr, g_GeometryPipeline.objectMatrix);
}

TEST_F(Object3DTest, UvAnimationScrollsEachMesh) {
  PlainObjectFile f;
  f.texture = "DATA\\UI\\PLANE.TEX";
  f.meshes = {kelvdata::SamplePlane(1.0f, 8.0f, 1, true)};
  f.hasUvAnimation = 1;
  f.uvAnimation = "DATA\\UI\\SCROLL.UVA";
  OpenUiArchiveWithTextures({{"P.ACT", kelvdata::BuildPlainObjectFile(f)},
                 {"SCROLL.UVA", kelvdata::BuildUvAnimationFile(kelvdata::SampleScroll(1))}});
  Object3D o;
  ASSERT_TRUE(o.Load("DATA\\UI\\P.ACT"));
  o.Update(600, 1);  // key 2: u + 0.5, in the texture's scale
  EXPECT_EQ(2, o.uvPlayer.currentKey);
  o.Draw();
  EXPECT_EQ(128.0f, o.meshes[0].scrollU);
  const std::vector<platform::GlideDraw> draws = TakeDraws();
  ASSERT_EQ(1u, draws.size());
  const platform::GlideVertex& v = draws[0].vertices[0];
  EXPECT_FLOAT_EQ((o.meshes[0].attributes[0].u + 128.0f) * v.q, v.s0);
}

TEST_F(Object3DTest, ColourFadeRunsToItsTargetAndCallsBackOnce) {
  OpenUiArchiveWithTextures({{"BOX.ACT", kelvdata::BuildPlainObjectFile(BoxObject())}});
  Object3D o;
  ASSERT_TRUE(o.Load("DATA\\UI\\BOX.ACT"));
  o.fadeDuration = 1000;
  o.fadeElapsed = 0;
  o.fadeTarget = 1.0f;
  o.fadeRange = 0.5f;
  o.fadeCallback = [] { ++callbacks_; };
  o.Update(0, 0);
  EXPECT_FLOAT_EQ(0.5f, o.fadeCurrent);
  EXPECT_EQ(0xFF7F7F7Fu, o.meshes[0].attributes[0].colour);
  o.Update(500, 0);
  EXPECT_FLOAT_EQ(0.75f, o.fadeCurrent);
  EXPECT_EQ(0, callbacks_);
  o.Update(600, 0);
  EXPECT_FLOAT_EQ(1.0f, o.fadeCurrent);
  EXPECT_EQ(1000u, o.fadeElapsed);
  EXPECT_EQ(0xFFFFFFFFu, o.meshes[0].attributes[0].colour);
  EXPECT_EQ(1, callbacks_);
  o.Update(100, 0);
  EXPECT_EQ(1, callbacks_);
}

TEST_F(Object3DTest, SkinnedObjectPosesItsNodes) {
  OpenUiArchiveWithTextures({{"MAN.ACT", kelvdata::BuildSkinnedObjectFile(kelvdata::SampleSkinned("DATA\\UI\\MAN.TEX"))}});
  Object3D o;
  ASSERT_TRUE(o.Load("DATA\\UI\\MAN.ACT"));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(1, o.skinned);
  EXPECT_EQ(2, o.nodeCount);
  EXPECT_EQ(1u, o.localMatrices.size());
  EXPECT_EQ(1, o.meshCount);
  EXPECT_EQ(1, o.meshes[0].skinned);
  EXPECT_EQ(2, o.meshes[0].partCount);
  EXPECT_EQ(3u, o.poseGroups[0].size());
  EXPECT_EQ(1.0f, o.poseGroups[0][0].values[0]);
  EXPECT_EQ((std::vector<std::uint16_t>{0, 1, 1, 0}), o.poseGroups[0][1].grid);

  // Group 0 of the root: 3 grid points over a 1 s cycle, poses y = 0, 1, 2.
  // Its child's group 0: 2 points over 2 s, poses x = 1 and -1.
  o.SetPosition(0.0f, 0.0f, 8.0f);
  o.Update(250, 1);  // root at parameter 0.25: y = 0.5; child at 0.125: x = -0.75
  EXPECT_NEAR(0.5f, o.nodeWorld[0].m[13], 1e-5f);
  EXPECT_NEAR(8.0f, o.nodeWorld[0].m[14], 1e-5f);
  EXPECT_NEAR(-0.75f, o.nodeWorld[1].m[12], 1e-5f);
  EXPECT_NEAR(0.5f, o.nodeWorld[1].m[13], 1e-5f);  // through its parent
  o.Update(750, 1);  // the root's cycle ends and starts again
  EXPECT_NEAR(0.0f, o.nodeWorld[0].m[13], 1e-5f);
  EXPECT_EQ(0.0f, o.nodeTimers[0]);

  o.Draw();  // the parts follow their nodes
  ASSERT_EQ(1u, TakeDraws().size());
  EXPECT_EQ(nullptr, g_GeometryPipeline.objectMatrix);
}

TEST_F(Object3DTest, DamagedObjectFilesAreRefused) {
  const auto plain = [](auto change) {
    PlainObjectFile f = BoxObject("NULL");
    change(&f);
    return kelvdata::BuildPlainObjectFile(f);
  };
  const auto skinned = [](auto change) {
    SkinnedObjectFile f = kelvdata::SampleSkinned("NULL");
    change(&f);
    return kelvdata::BuildSkinnedObjectFile(f);
  };
  const struct {
    const char* what;
    Bytes bytes;
    const char* message;
  } cases[] = {
      {"empty file", Bytes{}, kObjectError},
      {"texture name longer than its field", plain([](PlainObjectFile* f) { f->texture = std::string(260, 'A'); }),
       kObjectError},
      {"texture name without its NUL", plain([](PlainObjectFile* f) { f->texture.terminated = false; }), kObjectError},
      {"texture name length 0", plain([](PlainObjectFile* f) { f->texture.length = 0; }), kObjectError},
      {"length past the file", plain([](PlainObjectFile* f) { f->texture.length = 0xFFFFFFF0u; }), kObjectError},
      {"more meshes than the file holds", plain([](PlainObjectFile* f) { f->meshCount = 60000; }), kObjectError},
      {"one mesh missing", plain([](PlainObjectFile* f) { f->meshCount = 2; }), kObjectError},
      {"mesh index out of range", plain([](PlainObjectFile* f) { f->meshes[0].indices[7] = 40; }), kLitMeshError},
      {"animation name without its NUL", plain([](PlainObjectFile* f) {
         f->hasMeshAnimation = 1;
         f->meshAnimation = ActStringOf("DATA\\UI\\SPIN.ANM", false);
       }), kObjectError},
      {"missing animation", plain([](PlainObjectFile* f) {
         f->hasMeshAnimation = 1;
         f->meshAnimation = "DATA\\UI\\NONE.ANM";
       }), kMeshAnimationError},
      {"skinned texture without its NUL", skinned([](SkinnedObjectFile* f) { f->textureTerminated = false; }),
       kObjectError},
      {"no nodes", skinned([](SkinnedObjectFile* f) { f->nodes.clear(); }), kObjectError},
      {"four pose parameters", skinned([](SkinnedObjectFile* f) {
         f->nodes[1].groups[0].parameters = {{1, 1.0f}, {1, 0.0f}, {1, 0.0f}, {1, 0.0f}};
         f->nodes[1].groups[0].poses = {0};
       }), kObjectError},
      {"grid larger than the file", skinned([](SkinnedObjectFile* f) {
         f->nodes[1].groups[0].parameters = {{60000, 1.0f}, {60000, 0.0f}};
       }), kObjectError},
      {"zero grid size", skinned([](SkinnedObjectFile* f) {
         f->nodes[1].groups[0].parameters = {{0, 1.0f}};
         f->nodes[1].groups[0].poses = {};
       }), kObjectError},
      {"pose number beyond the poses", skinned([](SkinnedObjectFile* f) { f->nodes[1].groups[0].poses = {1, 2}; }),
       kObjectError},
      {"parent cycle", skinned([](SkinnedObjectFile* f) { f->nodes[0].parent = 1; }), kObjectError},
      {"parent outside the nodes", skinned([](SkinnedObjectFile* f) { f->nodes[1].parent = 2; }), kObjectError},
      {"parent that is no root's slot", skinned([](SkinnedObjectFile* f) {
         f->nodes.push_back(f->nodes[1]);  // node 2 hangs below node 1, which is not a root
         f->nodes[2].parent = 1;
         f->nodes[2].vertexCount = 0;
       }), kObjectError},
      {"part sizes that do not add up", skinned([](SkinnedObjectFile* f) { f->nodes[1].vertexCount = 12; }),
       kLitMeshError},
      {"NaN in a pose", skinned([](SkinnedObjectFile* f) {
         f->nodes[0].poses[1][13] = std::numeric_limits<float>::quiet_NaN();
       }), kObjectError},
      {"poses cut short", [&] {
         Bytes b = skinned([](SkinnedObjectFile*) {});
         b.resize(b.size() - 8);
         return b;
       }(), kObjectError},
  };
  for (const auto& c : cases) {
    platform::ClearRecordedMessageBoxes();
    // A member after the object, so that a read past its end would find bytes.
    OpenUiArchiveWithTextures({{"BAD.ACT", c.bytes}, {"NEXT.BIN", Bytes(4096, 0x40)}});
    Object3D o;
    EXPECT_FALSE(o.Load("DATA\\UI\\BAD.ACT")) << c.what;
    EXPECT_EQ(std::vector<std::string>{c.message}, Boxes()) << c.what;
    EXPECT_EQ(0, o.meshCount) << c.what;
    EXPECT_TRUE(o.meshes.empty()) << c.what;
    EXPECT_EQ(0, o.nodeCount) << c.what;
    o.Update(100, 1);
    o.Draw();
    EXPECT_TRUE(TakeDraws().empty()) << c.what;
  }

  platform::ClearRecordedMessageBoxes();
  Object3D missing;
  EXPECT_FALSE(missing.Load("DATA\\UI\\NONE.ACT"));
  EXPECT_EQ(std::vector<std::string>{kObjectError}, Boxes());
}

TEST_F(Object3DTest, TextureFailureFailsTheLoad) {
  OpenUiArchive({{"BOX.ACT", kelvdata::BuildPlainObjectFile(BoxObject())}});
  Object3D o;
  EXPECT_FALSE(o.Load("DATA\\UI\\BOX.ACT"));
  EXPECT_EQ(std::vector<std::string>{"Error loading texture.\nPlease reinstall Kelvarro."}, Boxes());
  EXPECT_EQ(0, o.meshCount);
}

TEST_F(Object3DTest, DataSetObjectsLoadAndDraw) {
  OpenUiArchive(kelvdata::DataSetObjectMembers());
  g_Camera.view.m[14] = 6.0f;  // the objects sit around the origin: move them in front of the eye
  g_GeometryPipeline.SetupProjection();
  for (const char* name : {"DATA\\UI\\BOX.ACT", "DATA\\UI\\PLANE.ACT", "DATA\\UI\\SPIN.ACT"}) {
    Object3D o;
    ASSERT_TRUE(o.LoadObject(name, true)) << name;
    for (int mode = 1; mode <= 3; ++mode) o.Update(100, mode);
    o.Draw();
    EXPECT_FALSE(TakeDraws().empty()) << name;
  }
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
