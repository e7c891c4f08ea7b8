// The render-state cache of the Direct3D renderer, the scene defaults, the
// fade, clearing and drawing.
#include <gtest/gtest.h>

#include "engine/camera.h"
#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "tests/render_d3d/direct3d_fixture.h"

namespace {

class StatesTest : public kelvtest::Direct3DTest {
 protected:
  // The (state, value) pairs sent to the device since the records were cleared.
  static std::vector<std::pair<int, int>> Sent() {
    std::vector<std::pair<int, int>> out;
    for (const auto& c : Calls("IDirect3DDevice3::SetRenderState"))
      out.emplace_back(static_cast<int>(c.args[0]), static_cast<int>(c.args[1]));
    return out;
  }
};

TEST_F(StatesTest, FirstSetAfterOpenReachesTheDeviceThenOnlyChanges) {
  ASSERT_TRUE(OpenAt(640, 480));
  EXPECT_TRUE(g_Renderer.SetAlphaBlendEnable(false));  // 0, never sent since Open
  EXPECT_TRUE(g_Renderer.SetAlphaBlendEnable(false));
  EXPECT_TRUE(g_Renderer.SetSrcBlend(BLEND_SRC_ALPHA));
  EXPECT_TRUE(g_Renderer.SetSrcBlend(BLEND_SRC_ALPHA));
  EXPECT_TRUE(g_Renderer.SetDestBlend(BLEND_ONE_MINUS_SRC_ALPHA));
  EXPECT_TRUE(g_Renderer.SetZFunc(DEPTH_NEARER));
  EXPECT_TRUE(g_Renderer.SetTextureFilter(true));
  EXPECT_TRUE(g_Renderer.SetTextureFilter(true));
  EXPECT_TRUE(g_Renderer.SetAlphaBlendEnable(true));
  const std::vector<std::pair<int, int>> expected = {
      {D3DRENDERSTATE_ALPHABLENDENABLE, 0}, {D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA},
      {D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA}, {D3DRENDERSTATE_ZFUNC, D3DCMP_LESS},
      {D3DRENDERSTATE_TEXTUREMAG, D3DFILTER_LINEAR}, {D3DRENDERSTATE_TEXTUREMIN, D3DFILTER_LINEAR},
      {D3DRENDERSTATE_ALPHABLENDENABLE, 1}};
  EXPECT_EQ(expected, Sent());
  // Blend factors go to the device whether blending is on or not.
  g_Renderer.SetAlphaBlendEnable(false);
  platform::ClearDirectDrawRecords();
  g_Renderer.SetDestBlend(BLEND_ONE);
  EXPECT_EQ((std::vector<std::pair<int, int>>{{D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE}}), Sent());
}

TEST_F(StatesTest, AFailedSetIsCachedAndNotSentAgain) {
  platform::DirectDrawMachine m = platform::DefaultDirectDrawMachine();
  m.failingRenderStates = {D3DRENDERSTATE_FOGENABLE, D3DRENDERSTATE_TEXTUREMAG};
  platform::SetDirectDrawMachine(m);
  ASSERT_TRUE(OpenAt(640, 480));
  EXPECT_FALSE(g_Renderer.SetFogEnable(true));
  EXPECT_EQ(1, g_Renderer.cache.fogEnable);
  EXPECT_TRUE(g_Renderer.SetFogEnable(true));
  // The minifying filter is sent only when the magnifying one was taken.
  EXPECT_FALSE(g_Renderer.SetTextureFilter(false));
  EXPECT_EQ((std::vector<std::pair<int, int>>{{D3DRENDERSTATE_FOGENABLE, 1},
                                              {D3DRENDERSTATE_TEXTUREMAG, D3DFILTER_NEAREST}}),
            Sent());
}

TEST_F(StatesTest, SceneDefaultsFollowTheOptionsAndTheDevice) {
  struct Case {
    const char* name;
    long device;
    std::uint8_t quality, perspective;
    int shade, perspectiveValue, dither;
  } cases[] = {
      {"hardware, options on", 1, 1, 1, D3DSHADE_GOURAUD, 1, 1},
      {"software, options off", 0, 0, 0, D3DSHADE_FLAT, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Choose(0, c.device, 16);
    g_OptionRenderQuality = c.quality;
    g_OptionPerspectiveCorrection = c.perspective;
    ASSERT_TRUE(OpenAt(640, 480));
    ASSERT_TRUE(g_Renderer.SetDefaultStates());
    const std::vector<std::pair<int, int>> expected = {
        {D3DRENDERSTATE_ANTIALIAS, 0}, {D3DRENDERSTATE_EDGEANTIALIAS, 0}, {D3DRENDERSTATE_SHADEMODE, c.shade},
        {D3DRENDERSTATE_TEXTUREPERSPECTIVE, c.perspectiveValue}, {D3DRENDERSTATE_TEXTUREMAPBLEND, 4},
        // Z enable and write were set by Open.
        {D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL}, {D3DRENDERSTATE_ZVISIBLE, 0},
        {D3DRENDERSTATE_ALPHABLENDENABLE, 0}, {D3DRENDERSTATE_STIPPLEDALPHA, 0},
        {D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE}, {D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE},
        {D3DRENDERSTATE_COLORKEYENABLE, 1}, {D3DRENDERSTATE_FILLMODE, D3DFILL_SOLID},
        {D3DRENDERSTATE_DITHERENABLE, c.dither}, {D3DRENDERSTATE_SPECULARENABLE, 0},
        {D3DRENDERSTATE_CULLMODE, D3DCULL_NONE}, {D3DRENDERSTATE_FOGENABLE, 0}};
    EXPECT_EQ(expected, Sent());
    g_Renderer.Close();
  }
  g_OptionRenderQuality = 1;
  g_OptionPerspectiveCorrection = 1;
}

TEST_F(StatesTest, AlphaTestForKeysComparesGreaterThan192EveryTime) {
  ASSERT_TRUE(OpenAt(640, 480));
  g_Renderer.SetAlphaTest(true);
  g_Renderer.SetAlphaTest(true);
  g_Renderer.SetAlphaTest(false);
  const std::vector<std::pair<int, int>> expected = {
      {D3DRENDERSTATE_ALPHATESTENABLE, 1}, {D3DRENDERSTATE_ALPHAFUNC, D3DCMP_GREATER}, {D3DRENDERSTATE_ALPHAREF, 192},
      {D3DRENDERSTATE_ALPHAREF, 192},      {D3DRENDERSTATE_ALPHATESTENABLE, 0},        {D3DRENDERSTATE_ALPHAFUNC, D3DCMP_ALWAYS}};
  EXPECT_EQ(expected, Sent());
}

TEST_F(StatesTest, FadeDrawsABlackQuadByItsAlphaAndEndsTheScene) {
  ASSERT_TRUE(OpenAt(640, 480));
  g_Renderer.StartFade(1.0f, FADE_OUT, nullptr);
  g_Renderer.SetAlphaTest(true);
  platform::ClearDirectDrawRecords();
  g_FrameTime = 0.25f;
  ASSERT_TRUE(g_Renderer.DrawFade());
  const auto& draws = platform::RecordedDirectDrawDraws();
  ASSERT_EQ(1u, draws.size());
  const platform::DirectDrawDraw& d = draws[0];
  ASSERT_EQ(6u, d.vertices.size());
  // A quarter of the way out: alpha trunc(0.25 x 255) = 63 over near-black.
  const float corners[6][2] = {{0, 0}, {640, 0}, {0, 480}, {640, 0}, {640, 480}, {0, 480}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(0x3F020202u, d.vertices[i].color);
    EXPECT_EQ(corners[i][0], d.vertices[i].sx);
    EXPECT_EQ(corners[i][1], d.vertices[i].sy);
    EXPECT_EQ(0.0f, d.vertices[i].sz);
    EXPECT_FLOAT_EQ(1.0f / g_Camera.nearPlane, d.vertices[i].rhw);
  }
  EXPECT_EQ(D3DBLEND_SRCALPHA, d.states[D3DRENDERSTATE_SRCBLEND]);
  EXPECT_EQ(D3DBLEND_INVSRCALPHA, d.states[D3DRENDERSTATE_DESTBLEND]);
  EXPECT_EQ(1u, d.states[D3DRENDERSTATE_ALPHABLENDENABLE]);
  EXPECT_EQ(0u, d.states[D3DRENDERSTATE_ZENABLE]);
  EXPECT_EQ(0u, d.states[D3DRENDERSTATE_ALPHATESTENABLE]);
  EXPECT_FALSE(d.textured);
  const std::vector<std::string> names = CallNames();
  ASSERT_GE(names.size(), 2u);
  EXPECT_EQ("IDirect3DDevice3::BeginScene", names.front());
  EXPECT_EQ("IDirect3DDevice3::EndScene", names.back());
  EXPECT_EQ(0, g_Renderer.cache.alphaBlendEnable);
}

bool g_callbackRan = false;

TEST_F(StatesTest, FinishedFadeInDrawsNothingButEndsTheSceneAndFadeOutStaysBlack) {
  ASSERT_TRUE(OpenAt(640, 480));
  g_callbackRan = false;
  g_Renderer.StartFade(0.5f, FADE_IN, [] { g_callbackRan = true; });
  g_FrameTime = 1.0f;
  platform::ClearDirectDrawRecords();
  ASSERT_TRUE(g_Renderer.DrawFade());
  EXPECT_TRUE(g_callbackRan);
  EXPECT_TRUE(platform::RecordedDirectDrawDraws().empty());
  EXPECT_EQ((std::vector<std::string>{"IDirect3DDevice3::BeginScene", "IDirect3DDevice3::EndScene"}), CallNames());

  g_Renderer.StartFade(0.5f, FADE_OUT, nullptr);
  platform::ClearDirectDrawRecords();
  ASSERT_TRUE(g_Renderer.DrawFade());
  ASSERT_EQ(1u, platform::RecordedDirectDrawDraws().size());
  EXPECT_EQ(0xFF020202u, platform::RecordedDirectDrawDraws()[0].vertices[0].color);
}

TEST_F(StatesTest, ClearRectClearsOneRectangleInTheClearColour) {
  ASSERT_TRUE(OpenAt(640, 480));
  g_Renderer.clearRed = 1.0f;
  g_Renderer.clearGreen = 0.5f;
  g_Renderer.clearBlue = 0.0f;
  ASSERT_TRUE(g_Renderer.ClearRect(10, 20, 300, 200, false));
  ASSERT_TRUE(g_Renderer.ClearRect(0, 0, 640, 480, true));
  const auto calls = Calls("IDirect3DViewport3::Clear2");
  ASSERT_EQ(2u, calls.size());
  EXPECT_EQ((std::vector<double>{10, 20, 300, 200, D3DCLEAR_TARGET, 0xFFFF7F00u, 1.0}), calls[0].args);
  EXPECT_EQ(static_cast<double>(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER), calls[1].args[4]);
}

TEST_F(StatesTest, TrianglesGoAsOnePreTransformedListInsideTheScene) {
  ASSERT_TRUE(OpenAt(640, 480));
  ScreenVertex v[3] = {};
  for (int i = 0; i < 3; ++i) {
    v[i].x = 10.0f * i;
    v[i].y = 5.0f;
    v[i].z = 0.25f;
    v[i].q = 0.5f;
    v[i].colour = 0x80FF0000u;
    v[i].s = 0.5f;
    v[i].t = 1.0f;
  }
  v[1].fogAmount = 191;
  EXPECT_FALSE(g_Renderer.DrawTriangles(2, v));
  ASSERT_TRUE(g_Renderer.DrawTriangles(3, v));
  const auto draws = Calls("IDirect3DDevice3::DrawPrimitive");
  ASSERT_EQ(1u, draws.size());
  EXPECT_EQ((std::vector<double>{D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX_FORMAT, 3, D3DDP_DONOTCLIP | D3DDP_DONOTLIGHT}),
            draws[0].args);
  const D3DTLVERTEX& out = platform::RecordedDirectDrawDraws()[0].vertices[2];
  EXPECT_EQ(20.0f, out.sx);
  EXPECT_EQ(0.25f, out.sz);
  EXPECT_EQ(0.5f, out.rhw);
  EXPECT_EQ(0x80FF0000u, out.color);
  // No specular colour; the fog factor in its alpha, 255 where no fog was written.
  EXPECT_EQ(0xFF000000u, out.specular);
  EXPECT_EQ(0x40000000u, platform::RecordedDirectDrawDraws()[0].vertices[1].specular);
  EXPECT_EQ(0.5f, out.tu);
  EXPECT_EQ(1u, g_Renderer.statistics.trianglesDrawn);
  EXPECT_EQ("IDirect3DDevice3::BeginScene", CallNames()[0]);
}

}  // namespace
