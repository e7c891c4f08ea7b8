// The same widget layouts in both builds: the Glide build snaps flat
// vertices to 1/16 pixel, fades by scaling the colour and draws at depth
// 65535, q 1; the Direct3D build places vertices unsnapped, fades by the
// alpha byte alone and draws at the widget's z with rhw 0.5.
#include <gtest/gtest.h>

#include <string>

#include "engine/camera.h"
#include "engine/display.h"
#include "engine/renderer.h"
#include "tests/ui/ui_fixture.h"
#include "ui/backdrop.h"
#include "ui/edit_text.h"
#include "ui/panel.h"
#include "ui/static_text.h"
#include "ui/ui_static_text.h"

namespace {

using kelvtest::kGlyphHeight;
using kelvtest::kGlyphWidth;

constexpr float kQuarterPi = 0.785398163f;

class Direct3DVariantsTest : public kelvtest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    UseFonts(1);
  }
  void TearDown() override {
    g_RenderBuild = RENDER_BUILD_GLIDE;
    UiTest::TearDown();
  }
  static std::string Name(RenderBuild build) { return build == RENDER_BUILD_GLIDE ? "glide" : "direct3d"; }
};

TEST_F(Direct3DVariantsTest, StaticTextSnapsAndFadesPerBuild) {
  // Origin (10.03, 20.03, 0.25), colour (1, 0.5, 0); "A" is 8 x 12.
  const struct {
    RenderBuild build;
    float left, top, secondLeft, bottom;
    float z, q;
    std::uint32_t halfFade;      // after a fade from 1 to 0 half way
    std::uint32_t relaidMask;    // the bytes checked of a layout at alpha 0.5
    std::uint32_t relaid;
    std::uint32_t blueAtQuarter;  // a blue first character at alpha 0.25
  } cases[] = {
      // 10.03 x 16 = 160.48 -> 160 / 16; 0.5 x (1, 0.5, 0) x 255 truncated.
      // (Glide's alpha byte at a layout is left to the static-text tests.)
      {RENDER_BUILD_GLIDE, 10.0f, 20.0f, 18.0f, 32.0f, 65535.0f, 1.0f, 0x7F7F3F00u, 0x00FFFFFFu, 0x007F3F00u,
       0x3F00003Fu},
      {RENDER_BUILD_DIRECT3D, 10.03f, 20.03f, 10.03f + kGlyphWidth, 20.03f + kGlyphHeight, 0.25f, 0.5f, 0x7FFF7F00u,
       0xFFFFFFFFu, 0x7FFF7F00u, 0x3F0000FFu},
  };
  for (const auto& c : cases) {
    g_RenderBuild = c.build;
    const std::string where = Name(c.build);
    StaticText t;
    t.SetPosition(10.03f, 20.03f, 0.25f);
    t.SetColour(1.0f, 0.5f, 0.0f, 0, 0);
    ASSERT_TRUE(t.SetText("AB"));
    EXPECT_FLOAT_EQ(c.left, t.vertices[0].x) << where;
    EXPECT_FLOAT_EQ(c.top, t.vertices[0].y) << where;
    EXPECT_FLOAT_EQ(c.secondLeft, t.vertices[6].x) << where;
    EXPECT_FLOAT_EQ(c.bottom, t.vertices[2].y) << where;
    for (int k : {0, 11}) {
      EXPECT_FLOAT_EQ(c.z, t.vertices[k].z) << where << " @" << k;
      EXPECT_FLOAT_EQ(c.q, t.vertices[k].q) << where << " @" << k;
    }
    EXPECT_EQ(0xFFFF7F00u, t.vertices[0].colour) << where;

    t.StartFade(0.0f, 100, nullptr);
    t.Update(50, 0);
    EXPECT_EQ(c.halfFade, t.vertices[0].colour) << where;
    EXPECT_EQ(c.halfFade, t.vertices[11].colour) << where;

    ASSERT_TRUE(t.SetText("CD"));
    EXPECT_EQ(c.relaid, t.vertices[0].colour & c.relaidMask) << where;

    // A range's colour is packed unscaled by the alpha in both builds.
    t.SetColour(0.0f, 0.0f, 1.0f, 0, 1);
    EXPECT_EQ(0x7F0000FFu, t.vertices[0].colour) << where;

    t.SetAlpha(0.25f);
    EXPECT_EQ(c.blueAtQuarter, t.vertices[0].colour) << where;
  }
}

TEST_F(Direct3DVariantsTest, EditTextCaretFollowsTheBuildsPlacing) {
  const struct {
    RenderBuild build;
    float caretLeft, z, q;
  } cases[] = {
      // The caret is the third character: 10.03 + 16 = 26.03, snapped to 26.
      {RENDER_BUILD_GLIDE, 26.0f, 65535.0f, 1.0f},
      {RENDER_BUILD_DIRECT3D, 10.03f + 2.0f * kGlyphWidth, 0.5f, 0.5f},
  };
  for (const auto& c : cases) {
    g_RenderBuild = c.build;
    const std::string where = Name(c.build);
    EditText e;
    e.SetMaxLength(8);
    e.SetPosition(10.03f, 20.0f, 0.5f);
    ASSERT_TRUE(e.SetText("AB"));
    e.SetFocus(1);
    ASSERT_STREQ("AB|", e.text.get());
    EXPECT_FLOAT_EQ(c.caretLeft, e.vertices[12].x) << where;
    EXPECT_FLOAT_EQ(c.z, e.vertices[12].z) << where;
    EXPECT_FLOAT_EQ(c.q, e.vertices[12].q) << where;
  }
}

TEST_F(Direct3DVariantsTest, UiStaticTextPacksItsColourAlikeInBothBuilds) {
  // These texts do not fade: A = 255 and the colour unscaled everywhere.
  for (RenderBuild build : {RENDER_BUILD_GLIDE, RENDER_BUILD_DIRECT3D}) {
    g_RenderBuild = build;
    UiStaticText t;
    t.font = &g_Fonts[0];
    t.SetColour(1.0f, 0.5f, 0.0f);
    ASSERT_TRUE(t.SetText("A"));
    EXPECT_EQ(0xFFFF7F00u, t.attributes[0].colour) << Name(build);
  }
}

TEST_F(Direct3DVariantsTest, PanelSnapsAndFadesPerBuild) {
  // Position (10.03, 20.03, 0.75), size 100 x 50, colour (1, 0.5, 0).
  const struct {
    RenderBuild build;
    float left, top, right, bottom;
    float z, q;
    std::uint32_t halfFade, quarter, blueAtQuarter;
    float movedZ;  // depth after a move to z 0.125
  } cases[] = {
      {RENDER_BUILD_GLIDE, 10.0f, 20.0f, 110.0f, 70.0f, 65535.0f, 1.0f, 0x7F7F3F00u, 0x3F3F1F00u, 0x3F00003Fu,
       65535.0f},
      // A only: the colour stays whole.
      {RENDER_BUILD_DIRECT3D, 10.03f, 20.03f, 10.03f + 100.0f, 20.03f + 50.0f, 0.75f, 0.5f, 0x7FFF7F00u, 0x3FFF7F00u,
       0x3F0000FFu, 0.125f},
  };
  for (const auto& c : cases) {
    g_RenderBuild = c.build;
    const std::string where = Name(c.build);
    Panel p;
    p.SetAnchors(1, 1);
    p.SetScale(100.0f, 50.0f, 1.0f);
    p.SetPosition(10.03f, 20.03f, 0.75f);
    p.colourR = 1.0f;
    p.colourG = 0.5f;
    p.colourB = 0.0f;
    p.UpdateVertices();
    EXPECT_FLOAT_EQ(c.left, p.vertices[0].x) << where;
    EXPECT_FLOAT_EQ(c.top, p.vertices[0].y) << where;
    EXPECT_FLOAT_EQ(c.right, p.vertices[4].x) << where;
    EXPECT_FLOAT_EQ(c.bottom, p.vertices[4].y) << where;
    for (const ScreenVertex& v : p.vertices) {
      EXPECT_FLOAT_EQ(c.z, v.z) << where;
      EXPECT_FLOAT_EQ(c.q, v.q) << where;
    }
    EXPECT_EQ(0xFFFF7F00u, p.vertices[0].colour) << where;

    p.StartFade(0.0f, 100, nullptr);
    p.Update(50, 0);
    EXPECT_EQ(c.halfFade, p.vertices[5].colour) << where;
    p.SetAlpha(0.25f);
    EXPECT_EQ(c.quarter, p.vertices[5].colour) << where;
    p.SetColour(0.0f, 0.0f, 1.0f);
    EXPECT_EQ(c.blueAtQuarter, p.vertices[5].colour) << where;

    // A later move keeps the build's depth.
    p.SetPosition(10.0f, 20.0f, 0.125f);
    EXPECT_FLOAT_EQ(c.movedZ, p.vertices[3].z) << where;
    EXPECT_FLOAT_EQ(c.q, p.vertices[3].q) << where;
  }
}

class BackdropVariantsTest : public Direct3DVariantsTest {
 protected:
  // A camera at the origin looking along +z with tan(fov) = 1 (320 pixels
  // per unit of height over depth) and its far plane at 400.
  void SetUp() override {
    Direct3DVariantsTest::SetUp();
    savedCamera_ = g_Camera;
    savedView_ = g_ViewRect;
    savedViewWidth_ = g_ViewWidth;
    g_ViewRect = {0.0f, 640.0f, 0.0f, 480.0f};
    g_ViewWidth = 640.0f;
    g_Camera = Camera();
    g_Camera.farPlane = 400.0f;
    g_Camera.SetFov(kQuarterPi);
    g_Camera.position = Vector3(0.0f, 0.0f, 0.0f);
    g_Camera.LookAt(Vector3(0.0f, 0.0f, 10.0f));
  }
  void TearDown() override {
    g_Camera = savedCamera_;
    g_ViewRect = savedView_;
    g_ViewWidth = savedViewWidth_;
    Direct3DVariantsTest::TearDown();
  }
  Camera savedCamera_;
  ViewRect savedView_;
  float savedViewWidth_ = 0.0f;
};

TEST_F(BackdropVariantsTest, BackdropDrawsAtTheFarEndPerBuild) {
  const struct {
    RenderBuild build;
    float z, q;
  } cases[] = {
      // Glide keeps 0.99999 in the spare word and draws at depth 0.
      {RENDER_BUILD_GLIDE, 0.0f, 1.0f},
      {RENDER_BUILD_DIRECT3D, 0.99999f, 1.0f / 400.0f},
  };
  for (const auto& c : cases) {
    g_RenderBuild = c.build;
    const std::string where = Name(c.build);
    Backdrop b;
    b.lowHeight = -500.0f;
    b.highHeight = 500.0f;
    b.distanceAhead = 1000.0f;
    ASSERT_TRUE(b.BuildQuads());
    EXPECT_EQ(0xB2FFFFFFu, b.vertices[0].colour) << where;
    // Built, then projected: the depth and q hold through both.
    for (const char* stage : {"built", "projected"}) {
      for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(c.z, b.vertices[i].z) << where << ' ' << stage << " band @" << i;
        EXPECT_FLOAT_EQ(c.q, b.vertices[i].q) << where << ' ' << stage << " band @" << i;
        EXPECT_FLOAT_EQ(c.z, b.skyQuad[i].z) << where << ' ' << stage << " sky @" << i;
        EXPECT_FLOAT_EQ(c.q, b.skyQuad[i].q) << where << ' ' << stage << " sky @" << i;
      }
      b.Update(0, 0);
    }
    // The band's rows are the same in both builds: 240 -+ 500 x 320 / 1000.
    EXPECT_NEAR(80.0f, b.vertices[0].y, 1e-3f) << where;
    EXPECT_NEAR(400.0f, b.vertices[2].y, 1e-3f) << where;
  }
}

}  // namespace
