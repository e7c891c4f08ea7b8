// The Glide renderer against the virtual board's recording backend: the cache
// rule, the blend pair, drawing, clears, the device open with its resolution
// choice and fallbacks, the texture budget, and the window's close and
// reopen around a deactivation.
#include <gtest/gtest.h>

#include <functional>

#include "engine/geometry_pipeline.h"
#include "engine/render_glide/glide_renderer.h"
#include "engine/scene/scene.h"
#include "platform/win32/msgbox.h"
#include "tests/render_glide/glide_fixture.h"

namespace {

using kelvtest::GlideTest;
using platform::CurrentGlideState;
using platform::GlideBoard;
using platform::RecordedGlideDraws;

class RendererTest : public GlideTest {};

TEST_F(RendererTest, FirstSetterAfterOpenReachesTheDeviceThenOnlyChangesDo) {
  const struct {
    const char* glide;
    std::function<void()> set;
  } setters[] = {
      {"grAlphaBlendFunction", [] { g_Renderer.SetAlphaBlendEnable(false); }},
      {"grAlphaBlendFunction", [] { g_Renderer.SetSrcBlend(BLEND_ONE); }},
      {"grAlphaBlendFunction", [] { g_Renderer.SetDestBlend(BLEND_ZERO); }},
      {"grDepthBufferMode", [] { g_Renderer.SetZEnable(true); }},
      {"grDepthMask", [] { g_Renderer.SetZWriteEnable(true); }},
      {"grDepthBufferFunction", [] { g_Renderer.SetZFunc(DEPTH_NEARER_OR_EQUAL); }},
      {"grFogMode", [] { g_Renderer.SetFogEnable(false); }},
      {"grTexFilterMode", [] { g_Renderer.SetTextureFilter(true); }},
      {"grColorCombine", [] { g_Renderer.SetTextureBlend(TEXBLEND_MODULATE); }},
      {"grChromakeyMode", [] { g_Renderer.SetColourKeyEnable(false); }},
      {"grDitherMode", [] { g_Renderer.SetDitherEnable(true); }},
      {"grCullMode", [] { g_Renderer.SetCullMode(CULL_NONE); }},
  };
  for (const auto& s : setters) {
    ASSERT_TRUE(OpenAt(640, 480));
    s.set();
    const std::size_t first = Calls(s.glide).size();
    EXPECT_GT(first, 0u) << s.glide;
    s.set();
    EXPECT_EQ(first, Calls(s.glide).size()) << s.glide << ": an unchanged value went to the device";

    // A new Open forgets the cache: the same value goes through again.
    g_Renderer.Close();
    ASSERT_TRUE(OpenAt(640, 480));
    s.set();
    EXPECT_GT(Calls(s.glide).size(), 0u) << s.glide << " after a reopen";
    g_Renderer.Close();
  }
}

TEST_F(RendererTest, BlendFactorsWaitForBlendingToBeOn) {
  ASSERT_TRUE(OpenAt(640, 480));
  g_Renderer.SetAlphaBlendEnable(false);
  g_Renderer.SetSrcBlend(BLEND_ZERO);
  g_Renderer.SetDestBlend(BLEND_ONE_MINUS_SRC_COLOUR);
  // Stored only: the off pair stays.
  EXPECT_EQ(GR_BLEND_ONE, CurrentGlideState().rgbSrc);
  EXPECT_EQ(GR_BLEND_ZERO, CurrentGlideState().rgbDst);

  g_Renderer.SetAlphaBlendEnable(true);
  EXPECT_EQ(GR_BLEND_ZERO, CurrentGlideState().rgbSrc);
  EXPECT_EQ(GR_BLEND_ONE_MINUS_SRC_COLOR, CurrentGlideState().rgbDst);
  EXPECT_EQ(GR_BLEND_ONE, CurrentGlideState().alphaSrc);
  EXPECT_EQ(GR_BLEND_ZERO, CurrentGlideState().alphaDst);

  // While on, a factor goes at once.
  g_Renderer.SetSrcBlend(BLEND_ONE);
  EXPECT_EQ(GR_BLEND_ONE, CurrentGlideState().rgbSrc);

  g_Renderer.SetAlphaBlendEnable(false);
  EXPECT_EQ(GR_BLEND_ONE, CurrentGlideState().rgbSrc);
  EXPECT_EQ(GR_BLEND_ZERO, CurrentGlideState().rgbDst);
}

TEST_F(RendererTest, TextureBlendAndShadeModeChooseTheColourCombine) {
  ASSERT_TRUE(OpenAt(640, 480));
  g_Renderer.SetShadeMode(SHADE_GOURAUD);
  EXPECT_TRUE(g_Renderer.SetTextureBlend(TEXBLEND_MODULATE));
  auto cc = CurrentGlideState().colorCombine;
  EXPECT_EQ(GR_COMBINE_FUNCTION_SCALE_OTHER, cc.function);
  EXPECT_EQ(GR_COMBINE_FACTOR_LOCAL, cc.factor);
  EXPECT_EQ(GR_COMBINE_LOCAL_ITERATED, cc.local);
  EXPECT_EQ(GR_COMBINE_OTHER_TEXTURE, cc.other);

  g_Renderer.SetShadeMode(SHADE_FLAT);
  EXPECT_EQ(GR_COMBINE_LOCAL_CONSTANT, CurrentGlideState().colorCombine.local);

  g_Renderer.SetTextureBlend(TEXBLEND_COLOUR);
  EXPECT_EQ(GR_COMBINE_FUNCTION_LOCAL, CurrentGlideState().colorCombine.function);

  platform::ClearGlideRecords();
  EXPECT_FALSE(g_Renderer.SetTextureBlend(static_cast<TextureBlend>(7)));
  EXPECT_TRUE(platform::RecordedGlideCalls().empty());
  EXPECT_EQ(TEXBLEND_COLOUR, g_Renderer.cache.textureBlend);
}

TEST_F(RendererTest, DrawTrianglesTakesWholeTrianglesOnly) {
  ASSERT_TRUE(OpenAt(640, 480));
  ScreenVertex v[6] = {};
  for (int i = 0; i < 6; ++i) {
    v[i].x = 10.0f * i;
    v[i].y = 5.0f + i;
    v[i].colour = 0x80FF0000u + static_cast<std::uint32_t>(i);
    v[i].z = 1000.0f * i;
    v[i].q = 0.5f;
    v[i].s = 64.0f;
    v[i].t = 32.0f;
    v[i].unused0 = 0xDEADBEEF;  // not read by the layout
  }
  EXPECT_TRUE(g_Renderer.DrawTriangles(0, v));
  EXPECT_FALSE(g_Renderer.DrawTriangles(4, v));
  EXPECT_TRUE(RecordedGlideDraws().empty());
  EXPECT_EQ(0u, g_Renderer.statistics.trianglesDrawn);

  EXPECT_TRUE(g_Renderer.DrawTriangles(6, v));
  ASSERT_EQ(1u, RecordedGlideDraws().size());
  const auto& draw = RecordedGlideDraws()[0];
  EXPECT_EQ(GR_TRIANGLES, draw.mode);
  ASSERT_EQ(6u, draw.vertices.size());
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(v[i].x, draw.vertices[i].x);
    EXPECT_EQ(v[i].y, draw.vertices[i].y);
    EXPECT_EQ(v[i].colour, draw.vertices[i].argb);
    EXPECT_EQ(v[i].z, draw.vertices[i].z);
    EXPECT_EQ(v[i].q, draw.vertices[i].q);
    EXPECT_EQ(64.0f, draw.vertices[i].s0);
    EXPECT_EQ(32.0f, draw.vertices[i].t0);
    // Two units: the second reads the same coordinates.
    EXPECT_EQ(64.0f, draw.vertices[i].s1);
  }
  EXPECT_EQ(2u, g_Renderer.statistics.trianglesDrawn);
  // What went into the pipeline is reported beside what was drawn.
  g_GeometryPipeline.trianglesReceived = 7;
  g_GeometryPipeline.positionsTransformed = 21;
  RendererStatistics stats;
  g_Renderer.GetStatistics(&stats);
  EXPECT_EQ(2u, stats.trianglesDrawn);
  EXPECT_EQ(7u, stats.trianglesIn);
  EXPECT_EQ(21u, stats.verticesIn);
  g_Renderer.ResetStatistics();
  g_Renderer.GetStatistics(&stats);
  EXPECT_EQ(0u, stats.trianglesDrawn);
  EXPECT_EQ(0u, stats.trianglesIn);
  EXPECT_EQ(0u, stats.verticesIn);
}

TEST_F(RendererTest, ClearRectClearsInsideThenDrawsOnTheWholeScreenAgain) {
  ASSERT_TRUE(OpenAt(640, 480));
  g_Renderer.clearRed = 0.5f;
  g_Renderer.clearGreen = 0.25f;
  g_Renderer.clearBlue = 1.0f;
  EXPECT_TRUE(g_Renderer.ClearRect(10, 20, 30, 40, false));
  EXPECT_EQ((std::vector<std::string>{"grClipWindow", "grBufferClear", "grClipWindow"}), CallNames());
  EXPECT_EQ((std::vector<double>{10, 20, 30, 40}), Calls("grClipWindow")[0].args);
  // RGBA word, alpha 0; depth 0 (farthest) even when not asked for.
  EXPECT_EQ((std::vector<double>{double(0x7F3FFF00u), 0, 0}), Calls("grBufferClear")[0].args);
  EXPECT_EQ((std::vector<double>{0, 0, 639, 479}), Calls("grClipWindow")[1].args);
}

TEST_F(RendererTest, OpenPutsGlideInItsFixedState) {
  g_ScreenWidth = 640;
  g_ScreenHeight = 480;
  ASSERT_TRUE(g_Renderer.Open());
  ASSERT_EQ(1u, Calls("guGammaCorrectionRGB").size());
  EXPECT_EQ((std::vector<double>{1.2f, 1.2f, 1.2f}), Calls("guGammaCorrectionRGB")[0].args);
  const auto& s = CurrentGlideState();
  EXPECT_EQ(0, s.offsetXY);
  EXPECT_EQ(12, s.offsetPARGB);
  EXPECT_EQ(16, s.offsetZ);
  EXPECT_EQ(20, s.offsetQ);
  EXPECT_EQ(24, s.offsetST0);
  EXPECT_EQ(24, s.offsetST1);
  EXPECT_EQ(GR_WINDOW_COORDS, s.coordinateSpace);
  EXPECT_EQ(GR_COMBINE_FUNCTION_SCALE_OTHER, s.alphaCombine.function);
  EXPECT_EQ(GR_COMBINE_LOCAL_CONSTANT, s.alphaCombine.local);
  EXPECT_EQ(GR_COMBINE_OTHER_TEXTURE, s.alphaCombine.other);
  for (int u = 0; u < 2; ++u) {
    EXPECT_EQ(GR_MIPMAP_DISABLE, s.tmu[u].mipMapMode);
    EXPECT_EQ(GR_TEXTURECLAMP_WRAP, s.tmu[u].sClamp);
    EXPECT_EQ(GR_COMBINE_FUNCTION_LOCAL, s.tmu[u].combine.rgbFunction);
  }
  EXPECT_EQ(639u, s.clipMaxX);
  EXPECT_EQ(479u, s.clipMaxY);
  FxI32 entries = 0;
  ASSERT_TRUE(grGet(GR_FOG_TABLE_ENTRIES, sizeof entries, &entries));
  for (int i = 0; i < entries; ++i) EXPECT_EQ(i * 255 / (entries - 1), s.fogTable[i]) << i;
  EXPECT_EQ(255, s.fogTable[entries - 1]);
  EXPECT_EQ(479.0f, g_ViewRect.bottom);
  EXPECT_EQ(639.0f, g_ViewWidth);
  EXPECT_EQ(640.0f, g_Renderer.fadeQuad[1].x);
  EXPECT_EQ(480.0f, g_Renderer.fadeQuad[2].y);
  EXPECT_EQ(1u, g_Renderer.deviceOpen);
  EXPECT_EQ(2u, g_Renderer.textureUnits);

  // One unit: no second coordinate set.
  g_Renderer.Close();
  GlideBoard one;
  one.tmuCount = 1;
  UseBoard(one);
  ASSERT_TRUE(OpenAt(640, 480));
  EXPECT_EQ(-1, CurrentGlideState().offsetST1);
  EXPECT_EQ(1u, g_Renderer.textureUnits);
}

TEST_F(RendererTest, ResolutionFollowsTheRequestAndTheBoardMemory) {
  const struct {
    std::uint32_t w, h;
    FxU32 fbMemory, fbCount, uma;
    std::uint32_t openW, openH;
  } cases[] = {
      {1280, 1024, 8, 1, 0, 1280, 1024}, {1280, 1024, 7, 1, 0, 1024, 768}, {1280, 1024, 5, 1, 0, 1024, 768},
      {1280, 1024, 3, 2, 0, 1024, 768},  {1280, 1024, 4, 1, 0, 800, 600},  {1280, 1024, 3, 1, 0, 800, 600},
      {1280, 1024, 2, 1, 0, 640, 480},   {1024, 768, 5, 1, 0, 1024, 768},  {1024, 768, 4, 1, 0, 800, 600},
      {1024, 768, 1, 1, 0, 640, 480},    {800, 600, 3, 1, 0, 800, 600},    {800, 600, 2, 1, 0, 640, 480},
      {640, 480, 1, 1, 0, 640, 480},     {512, 384, 1, 1, 0, 512, 384},
      // No frame-buffer units: the unified memory decides.
      {1280, 1024, 4u << 20, 0, 8, 1280, 1024}, {1280, 1024, 4u << 20, 0, 4, 800, 600},
      // The figures as the board reports them, in bytes.
      {1280, 1024, 4u << 20, 1, 0, 1280, 1024},
  };
  for (const auto& c : cases) {
    GlideBoard board;
    board.fbMemory = c.fbMemory;
    board.fbCount = c.fbCount;
    board.umaMemory = c.uma;
    UseBoard(board);
    ASSERT_TRUE(OpenAt(c.w, c.h)) << c.w << "x" << c.h << " m " << c.fbMemory << "x" << c.fbCount;
    EXPECT_EQ(c.openW, g_ScreenWidth) << c.w << "x" << c.h << " m " << c.fbMemory << "x" << c.fbCount;
    EXPECT_EQ(c.openH, g_ScreenHeight);
    int fw = 0, fh = 0;
    platform::GlideFrameSize(&fw, &fh);
    EXPECT_EQ(static_cast<int>(c.openW), fw);
    EXPECT_EQ(static_cast<float>(c.openH) - 1.0f, g_ViewHeight);
    g_Renderer.Close();
  }
  EXPECT_TRUE(platform::RecordedMessageBoxes().empty());
}

TEST_F(RendererTest, OpenFailures) {
  const char resolution[] = "Error: Resolution not supported, please restart setup program.";
  const struct {
    const char* what;
    std::uint32_t w, h;
    std::function<void(GlideBoard&)> board;
    const char* message;  // null: silent
  } cases[] = {
      {"640x400", 640, 400, [](GlideBoard&) {}, resolution},
      {"512x480", 512, 480, [](GlideBoard&) {}, resolution},
      {"no board", 640, 480, [](GlideBoard& b) { b.present = false; }, "Error: No 3DFX hardware found."},
      {"memory query", 640, 480, [](GlideBoard& b) { b.failingQueries = {GR_MEMORY_FB}; }, nullptr},
      {"units query", 640, 480, [](GlideBoard& b) { b.failingQueries = {GR_NUM_FB}; }, nullptr},
      {"no window", 640, 480,
       [](GlideBoard& b) { b.failingResolutions = {GR_RESOLUTION_640x480, GR_RESOLUTION_512x384}; },
       "3DFX initialization error."},
      {"context", 640, 480, [](GlideBoard& b) { b.failContextSelection = true; }, "3DFX context selection error."},
  };
  for (const auto& c : cases) {
    GlideBoard board;
    c.board(board);
    UseBoard(board);
    platform::ClearRecordedMessageBoxes();
    EXPECT_FALSE(OpenAt(c.w, c.h)) << c.what;
    EXPECT_EQ(0u, g_Renderer.deviceOpen) << c.what;
    EXPECT_EQ(c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{}, Boxes()) << c.what;
  }
}

TEST_F(RendererTest, WindowThatCannotOpenFallsToTheNextLowerResolution) {
  GlideBoard board;
  board.failingResolutions = {GR_RESOLUTION_800x600, GR_RESOLUTION_640x480};
  UseBoard(board);
  ASSERT_TRUE(OpenAt(800, 600));
  EXPECT_EQ(512u, g_ScreenWidth);
  EXPECT_EQ(384u, g_ScreenHeight);
  EXPECT_EQ(0, g_Renderer.resolution);
  EXPECT_EQ(512.0f, g_Renderer.fadeQuad[4].x);
  EXPECT_TRUE(platform::RecordedMessageBoxes().empty());
}

// The size table after AssignTextureSizeClasses on a board of `units` x
// `perUnit` bytes.
std::vector<int> SizeClasses(FxU32 units, FxU32 perUnit, std::uint16_t groups, std::uint32_t riders,
                             GlideTest* test) {
  GlideBoard board;
  board.tmuCount = units;
  board.tmuMemory = perUnit;
  platform::SetGlideBoard(board);
  g_ScreenWidth = 640;
  g_ScreenHeight = 480;
  EXPECT_TRUE(g_Renderer.Open());
  g_RiderCount = riders;
  g_Renderer.AssignTextureSizeClasses(groups);
  g_Renderer.Close();
  (void)test;
  return std::vector<int>(g_TextureSizeClasses, g_TextureSizeClasses + TEXTURE_SIZE_CLASS_COUNT);
}

TEST_F(RendererTest, SizeClassesFitTheBudgetInRotationFromEntryZero) {
  // Two 4 MiB units hold everything at 256 pixels.
  std::vector<int> t = SizeClasses(2, 4u << 20, 1, 20, this);
  for (int i = 0; i < 45; ++i) EXPECT_EQ(8, t[i]) << i;
  EXPECT_EQ(1, t[45]);
  EXPECT_EQ(1, t[46]);

  // One unit: ten halvings, in the order 0, 1, then the rider entries from 9.
  t = SizeClasses(1, 4u << 20, 1, 20, this);
  for (int i : {0, 1, 9, 10, 11, 12, 13, 14, 15, 16}) EXPECT_EQ(4, t[i]) << i;
  for (int i : {2, 8, 17, 28, 33, 34, 44}) EXPECT_EQ(8, t[i]) << i;

  // Eight riders, one group: the rotation goes 0, 1, 21 (= 29 - 8); three
  // halvings meet a budget of 3,150,000 bytes.
  t = SizeClasses(1, 3150000 + 134218, 1, 8, this);
  for (int i : {0, 1, 21}) EXPECT_EQ(4, t[i]) << i;
  for (int i : {2, 9, 20, 22, 33}) EXPECT_EQ(8, t[i]) << i;
}

TEST_F(RendererTest, SizeClassesThatCannotMeetTheBudgetStopAtOne) {
  // Eight riders, eight groups, far too little memory: every counted entry
  // below 34 ends at 1; the skipped riders 9..20 and the interface groups
  // keep 8.
  std::vector<int> t = SizeClasses(1, 200000, 8, 8, this);
  for (int i = 0; i <= 8; ++i) EXPECT_EQ(1, t[i]) << i;
  for (int i = 9; i <= 20; ++i) EXPECT_EQ(8, t[i]) << i;
  for (int i = 21; i <= 33; ++i) EXPECT_EQ(1, t[i]) << i;
  for (int i = 34; i <= 44; ++i) EXPECT_EQ(8, t[i]) << i;
  EXPECT_EQ(1, t[45]);
  EXPECT_EQ(1, t[46]);

  // With 20 riders and 8 groups every entry is counted.
  t = SizeClasses(1, 200000, 8, 20, this);
  for (int i = 0; i <= 33; ++i) EXPECT_EQ(1, t[i]) << i;
}

TEST_F(RendererTest, FadeDrawsADarkQuadThatMultipliesTheFrame) {
  ASSERT_TRUE(OpenAt(640, 480));
  g_Renderer.SetZEnable(true);
  g_Renderer.StartFade(2.0f, FADE_OUT, nullptr);
  g_FrameTime = 1.0f;
  EXPECT_TRUE(g_Renderer.DrawFade());
  ASSERT_EQ(1u, RecordedGlideDraws().size());
  const auto& draw = RecordedGlideDraws()[0];
  ASSERT_EQ(6u, draw.vertices.size());
  for (const auto& v : draw.vertices) {
    EXPECT_EQ(0xFF7F7F7Fu, v.argb);
    EXPECT_EQ(65535.0f, v.z);
    EXPECT_EQ(1.0f, v.q);
  }
  EXPECT_EQ(GR_BLEND_ZERO, draw.state.rgbSrc);
  EXPECT_EQ(GR_BLEND_ONE_MINUS_SRC_COLOR, draw.state.rgbDst);
  EXPECT_EQ(GR_DEPTHBUFFER_DISABLE, draw.state.depthMode);
  EXPECT_EQ(GR_COMBINE_FUNCTION_LOCAL, draw.state.colorCombine.function);
  EXPECT_EQ(GR_CMP_ALWAYS, draw.state.alphaTestFunction);
  EXPECT_EQ(2u, g_Renderer.statistics.trianglesDrawn);
  // Blending is off again afterwards.
  EXPECT_EQ(GR_BLEND_ONE, CurrentGlideState().rgbSrc);
  EXPECT_EQ(GR_BLEND_ZERO, CurrentGlideState().rgbDst);

  // A finished fade in draws nothing.
  platform::ClearGlideRecords();
  g_Renderer.StartFade(0.25f, FADE_IN, nullptr);
  g_FrameTime = 0.0625f;
  for (int i = 0; i < 6; ++i) g_Renderer.DrawFade();
  EXPECT_EQ(3u, RecordedGlideDraws().size());
}

TEST_F(RendererTest, FullScreenImageGoesStraightIntoTheBackBuffer) {
  ASSERT_TRUE(OpenAt(640, 480));
  std::vector<std::uint16_t> picture(640 * 480, 0xF800);
  EXPECT_TRUE(g_Renderer.DrawFullScreenImage(picture.data(), 640 * 2));
  ASSERT_EQ(1u, Calls("grLfbWriteRegion").size());
  EXPECT_EQ((std::vector<double>{GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_565, 639, 479, FXFALSE, 1280}),
            Calls("grLfbWriteRegion")[0].args);
}

TEST_F(RendererTest, DeactivationClosesAndReactivationRestoresTheWindow) {
  ASSERT_TRUE(OpenAt(800, 600));
  EXPECT_TRUE(g_Renderer.HoldsExclusiveWindow());
  g_Renderer.SetZFunc(DEPTH_NEARER);
  const GrContext_t before = g_Renderer.context;
  g_Renderer.SuspendExclusiveWindow();
  ASSERT_EQ(1u, Calls("grSstWinClose").size());
  EXPECT_EQ(double(before), Calls("grSstWinClose")[0].args[0]);
  int w = 1, h = 1;
  platform::GlideFrameSize(&w, &h);
  EXPECT_EQ(0, w);

  platform::ClearGlideRecords();
  ASSERT_TRUE(g_Renderer.ResumeExclusiveWindow(false));
  ASSERT_EQ(1u, Calls("grSstWinOpen").size());
  EXPECT_EQ(double(GR_RESOLUTION_800x600), Calls("grSstWinOpen")[0].args[1]);
  EXPECT_TRUE(Calls("grSelectContext").empty());
  EXPECT_NE(0u, g_Renderer.context);
  // The saved state is back, gamma too, and the screen is cleared.
  EXPECT_EQ(GR_CMP_GREATER, CurrentGlideState().depthFunction);
  EXPECT_EQ((std::vector<double>{1.2f, 1.2f, 1.2f}), Calls("guGammaCorrectionRGB").at(0).args);
  ASSERT_EQ(1u, Calls("grBufferClear").size());
  EXPECT_EQ(599u, CurrentGlideState().clipMaxY);

  // An activation without a deactivation before it changes nothing, and a
  // second deactivation closes nothing.
  platform::ClearGlideRecords();
  ASSERT_TRUE(g_Renderer.ResumeExclusiveWindow(false));
  EXPECT_TRUE(Calls("grSstWinOpen").empty());

  // Around a movie the context is selected as well.
  g_Renderer.SuspendExclusiveWindow();
  platform::ClearGlideRecords();
  g_Renderer.SuspendExclusiveWindow();  // already closed
  EXPECT_TRUE(Calls("grSstWinClose").empty());
  ASSERT_TRUE(g_Renderer.ResumeExclusiveWindow(true));
  EXPECT_EQ(1u, Calls("grSelectContext").size());
  EXPECT_TRUE(platform::RecordedMessageBoxes().empty());
}

TEST_F(RendererTest, FailedReopenIsReported) {
  ASSERT_TRUE(OpenAt(640, 480));
  g_Renderer.SuspendExclusiveWindow();
  GlideBoard board;
  board.failingResolutions = {GR_RESOLUTION_640x480};
  UseBoard(board);
  EXPECT_FALSE(g_Renderer.ResumeExclusiveWindow(false));
  EXPECT_EQ(std::vector<std::string>{"Error: 3DFX re-initialization failed."}, Boxes());

  platform::ClearRecordedMessageBoxes();
  board.failingResolutions = {};
  board.failContextSelection = true;
  UseBoard(board);
  EXPECT_FALSE(g_Renderer.ResumeExclusiveWindow(true));
  EXPECT_EQ(std::vector<std::string>{"Error: 3DFX context selection failed."}, Boxes());
}

}  // namespace
