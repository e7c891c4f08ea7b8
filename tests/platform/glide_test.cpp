// The virtual 3D board: its figures and faults through the recording test
// backend, and its pictures through the real OpenGL path (headless, on SDL's
// offscreen driver), compared with reference pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/glide/glide.h"
#include "platform/win32/window.h"
#include "tests/support/picture.h"

namespace {

// The game's screen vertex: 48 bytes, x y at 0, packed ARGB at 12, z at 16,
// q at 20, s t at 24.
struct Vertex {
  float x, y;
  std::uint32_t unused;
  std::uint32_t argb;
  float z, q, s, t;
  std::uint8_t tail[16];
};
static_assert(sizeof(Vertex) == 48);

Vertex V(float x, float y, std::uint32_t argb, float z = 0.0f, float q = 1.0f, float s = 0.0f, float t = 0.0f) {
  return Vertex{x, y, 0, argb, z, q, s * q, t * q, {}};
}

void GameLayout() {
  grCoordinateSpace(GR_WINDOW_COORDS);
  grVertexLayout(GR_PARAM_XY, 0, GR_PARAM_ENABLE);
  grVertexLayout(GR_PARAM_PARGB, 12, GR_PARAM_ENABLE);
  grVertexLayout(GR_PARAM_Z, 16, GR_PARAM_ENABLE);
  grVertexLayout(GR_PARAM_Q, 20, GR_PARAM_ENABLE);
  grVertexLayout(GR_PARAM_ST0, 24, GR_PARAM_ENABLE);
}

void Draw(std::vector<Vertex> v) {
  grDrawVertexArrayContiguous(GR_TRIANGLES, static_cast<FxU32>(v.size()), v.data(), sizeof(Vertex));
}

// Two triangles covering (x0, y0)-(x1, y1), texture coordinates s0..s1, t0..t1.
std::vector<Vertex> Quad(float x0, float y0, float x1, float y1, std::uint32_t argb, float z = 0.0f, float q = 1.0f,
                         float s0 = 0.0f, float t0 = 0.0f, float s1 = 0.0f, float t1 = 0.0f) {
  return {V(x0, y0, argb, z, q, s0, t0), V(x1, y0, argb, z, q, s1, t0), V(x0, y1, argb, z, q, s0, t1),
          V(x1, y0, argb, z, q, s1, t0), V(x1, y1, argb, z, q, s1, t1), V(x0, y1, argb, z, q, s0, t1)};
}

GrTexInfo Info(GrLOD_t lod, GrAspectRatio_t aspect, void* data = nullptr) {
  return GrTexInfo{lod, lod, aspect, GR_TEXFMT_ARGB_1555, data};
}

FxI32 Get(FxU32 pname) {
  FxI32 value = -1;
  EXPECT_EQ(grGet(pname, 4, &value), 4u) << "query " << pname;
  return value;
}

// ---------------------------------------------------------------------------
// Recorded: no pixels.

class GlideRecordedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetGlideBoard({});
    platform::UseGlideTestBackend(true);
    grGlideInit();
  }
  void TearDown() override {
    platform::UseGlideTestBackend(false);
    platform::SetGlideBoard({});
  }
  static GrContext_t OpenAt(GrScreenResolution_t resolution) {
    return grSstWinOpen(0x10010, resolution, GR_REFRESH_60Hz, GR_COLORFORMAT_RGBA, GR_ORIGIN_UPPER_LEFT, 2, 1);
  }
};

TEST_F(GlideRecordedTest, DefaultBoardAnswersInGlideUnits) {
  EXPECT_NE(grGetString(GR_HARDWARE), nullptr);
  EXPECT_EQ(Get(GR_MEMORY_FB), 4 << 20);
  EXPECT_EQ(Get(GR_NUM_FB), 1);
  EXPECT_EQ(Get(GR_MEMORY_UMA), 0);
  EXPECT_EQ(Get(GR_NUM_TMU), 2);
  EXPECT_EQ(Get(GR_MEMORY_TMU), 4 << 20);
  EXPECT_EQ(Get(GR_FOG_TABLE_ENTRIES), 64);
  EXPECT_EQ(Get(GR_TEXTURE_ALIGN), 8);
  EXPECT_EQ(Get(GR_GLIDE_STATE_SIZE), static_cast<FxI32>(sizeof(platform::GlideState)));
  EXPECT_EQ(grTexMinAddress(GR_TMU1), 0u);
  EXPECT_EQ(grTexMaxAddress(GR_TMU1), (4u << 20) - 8);
  FxI32 small = 0;
  EXPECT_EQ(grGet(GR_MEMORY_FB, 3, &small), 0u);  // too short for the answer
  FxI32 rgba[4] = {};
  EXPECT_EQ(grGet(GR_BITS_RGBA, sizeof rgba, rgba), 16u);
}

TEST_F(GlideRecordedTest, ConfiguredBoardsAndFailingQueries) {
  platform::GlideBoard board;
  board.fbMemory = 2 << 20;
  board.fbCount = 0;
  board.umaMemory = 8 << 20;
  board.tmuCount = 1;
  board.tmuMemory = 2 << 20;
  board.failingQueries = {GR_NUM_FB};
  platform::SetGlideBoard(board);
  EXPECT_EQ(Get(GR_MEMORY_FB), 2 << 20);
  EXPECT_EQ(Get(GR_MEMORY_UMA), 8 << 20);
  EXPECT_EQ(Get(GR_NUM_TMU), 1);
  FxI32 value = 77;
  EXPECT_EQ(grGet(GR_NUM_FB, 4, &value), 0u);
  EXPECT_EQ(value, 77);
  EXPECT_EQ(grTexMaxAddress(GR_TMU0), (2u << 20) - 8);
  EXPECT_EQ(grTexMaxAddress(GR_TMU1), 0u);  // no second unit

  board = {};
  board.present = false;
  platform::SetGlideBoard(board);
  EXPECT_EQ(grGetString(GR_HARDWARE), nullptr);
  EXPECT_EQ(grGet(GR_MEMORY_FB, 4, &value), 0u);
  EXPECT_EQ(OpenAt(GR_RESOLUTION_640x480), 0u);
}

TEST_F(GlideRecordedTest, WindowOpenFailsAtInjectedResolutionsAndContextSelectionCanFail) {
  platform::GlideBoard board;
  board.failingResolutions = {GR_RESOLUTION_1280x1024, GR_RESOLUTION_1024x768};
  platform::SetGlideBoard(board);
  EXPECT_EQ(OpenAt(GR_RESOLUTION_1280x1024), 0u);
  EXPECT_EQ(OpenAt(GR_RESOLUTION_1024x768), 0u);
  GrContext_t context = OpenAt(GR_RESOLUTION_800x600);
  ASSERT_NE(context, 0u);
  int w = 0, h = 0;
  platform::GlideFrameSize(&w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  EXPECT_EQ(OpenAt(GR_RESOLUTION_640x480), 0u);  // one window at a time
  EXPECT_TRUE(grSelectContext(context));
  EXPECT_FALSE(grSelectContext(context + 1));
  EXPECT_FALSE(grSstWinClose(context + 1));

  board.failContextSelection = true;
  board.failWindowClose = true;
  board.failFrameBufferWrites = true;
  platform::SetGlideBoard(board);
  EXPECT_FALSE(grSelectContext(context));
  FxU16 pixel = 0;
  EXPECT_FALSE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_565, 1, 1, FXFALSE, 2, &pixel));
  EXPECT_FALSE(grSstWinClose(context));
  board.failWindowClose = false;
  platform::SetGlideBoard(board);
  EXPECT_TRUE(grSstWinClose(context));
  EXPECT_FALSE(grSstWinClose(context));
  EXPECT_EQ(OpenAt(GR_RESOLUTION_NONE), 0u);
  GrContext_t again = OpenAt(GR_RESOLUTION_640x480);
  EXPECT_NE(again, 0u);
  EXPECT_NE(again, context);
}

TEST_F(GlideRecordedTest, TextureMemoryRequirements) {
  struct Case {
    GrLOD_t lod;
    GrAspectRatio_t aspect;
    FxU32 bytes;
  };
  const Case cases[] = {
      {GR_LOD_LOG2_256, GR_ASPECT_LOG2_1x1, 256 * 256 * 2},
      {GR_LOD_LOG2_256, GR_ASPECT_LOG2_4x1, 256 * 64 * 2},
      {GR_LOD_LOG2_256, GR_ASPECT_LOG2_1x8, 32 * 256 * 2},
      {GR_LOD_LOG2_2, GR_ASPECT_LOG2_1x1, 8},
      {GR_LOD_LOG2_1, GR_ASPECT_LOG2_1x1, 8},  // rounded up to the alignment
      {GR_LOD_LOG2_2, GR_ASPECT_LOG2_8x1, 8},  // 4x1: the short side is at least one texel
  };
  for (const Case& c : cases) {
    GrTexInfo info = Info(c.lod, c.aspect);
    EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &info), c.bytes) << c.lod << " " << c.aspect;
  }
  GrTexInfo chain{GR_LOD_LOG2_1, GR_LOD_LOG2_16, GR_ASPECT_LOG2_1x1, GR_TEXFMT_ARGB_1555, nullptr};
  EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &chain), 688u);  // 512 + 128 + 32 + 8 + 2
  EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_EVEN, &chain), 552u);  // 16x16, 4x4 and 1x1
  GrTexInfo bad = Info(9, GR_ASPECT_LOG2_1x1);
  EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &bad), 0u);
}

TEST_F(GlideRecordedTest, DownloadReplacesWhatItOverlapsAndStaysInsideTheUnit) {
  GrContext_t context = OpenAt(GR_RESOLUTION_640x480);
  ASSERT_NE(context, 0u);
  const std::vector<FxU8>& memory = platform::GlideTextureMemory(GR_TMU1);
  ASSERT_EQ(memory.size(), 4u << 20);
  std::vector<FxU16> a(16 * 16, 0x7C00), b(8 * 8, 0x03E0);
  GrTexInfo infoA = Info(GR_LOD_LOG2_16, GR_ASPECT_LOG2_1x1, a.data());
  GrTexInfo infoB = Info(GR_LOD_LOG2_8, GR_ASPECT_LOG2_1x1, b.data());
  grTexDownloadMipMap(GR_TMU1, 1024, GR_MIPMAPLEVELMASK_BOTH, &infoA);
  grTexDownloadMipMap(GR_TMU1, 1024 + 256, GR_MIPMAPLEVELMASK_BOTH, &infoB);
  auto texel = [&](FxU32 address) { return static_cast<FxU16>(memory[address] | (memory[address + 1] << 8)); };
  EXPECT_EQ(texel(1024), 0x7C00);
  EXPECT_EQ(texel(1024 + 254), 0x7C00);
  EXPECT_EQ(texel(1024 + 256), 0x03E0);
  EXPECT_EQ(texel(1024 + 256 + 126), 0x03E0);
  EXPECT_EQ(texel(1024 + 256 + 128), 0x7C00);
  EXPECT_EQ(texel(1022), 0);
  EXPECT_EQ(platform::GlideTextureMemory(GR_TMU0)[1024], 0);

  // A download that would pass the end of the unit is dropped whole.
  grTexDownloadMipMap(GR_TMU0, (4u << 20) - 256, GR_MIPMAPLEVELMASK_BOTH, &infoA);
  EXPECT_EQ(platform::GlideTextureMemory(GR_TMU0)[(4u << 20) - 256], 0);
  grTexDownloadMipMap(GR_TMU0, (4u << 20) - 512, GR_MIPMAPLEVELMASK_BOTH, &infoA);
  EXPECT_EQ(platform::GlideTextureMemory(GR_TMU0)[(4u << 20) - 1], 0x7C);

  // Texture memory starts empty on every open.
  EXPECT_TRUE(grSstWinClose(context));
  ASSERT_NE(OpenAt(GR_RESOLUTION_640x480), 0u);
  EXPECT_EQ(platform::GlideTextureMemory(GR_TMU1)[1024], 0);
}

TEST_F(GlideRecordedTest, DrawsCarryTheirDecodedVerticesAndState) {
  ASSERT_NE(OpenAt(GR_RESOLUTION_640x480), 0u);
  GameLayout();
  grDepthBufferMode(GR_DEPTHBUFFER_ZBUFFER);
  grDepthBufferFunction(GR_CMP_GEQUAL);
  grClipWindow(0, 0, 1000, 1000);
  Draw({V(1.5f, 2.0f, 0x80FF0000u, 65535.0f, 0.5f, 10.0f, 20.0f), V(3, 4, 1), V(5, 6, 2)});
  ASSERT_EQ(platform::RecordedGlideDraws().size(), 1u);
  const platform::GlideDraw& d = platform::RecordedGlideDraws()[0];
  EXPECT_EQ(d.mode, GR_TRIANGLES);
  ASSERT_EQ(d.vertices.size(), 3u);
  EXPECT_EQ(d.vertices[0].x, 1.5f);
  EXPECT_EQ(d.vertices[0].argb, 0x80FF0000u);
  EXPECT_EQ(d.vertices[0].z, 65535.0f);
  EXPECT_EQ(d.vertices[0].q, 0.5f);
  EXPECT_EQ(d.vertices[0].s0, 5.0f);  // s arrives multiplied by q
  EXPECT_EQ(d.vertices[0].q0, 0.5f);  // no per-unit q: the vertex q
  EXPECT_EQ(d.state.depthFunction, GR_CMP_GEQUAL);
  EXPECT_EQ(d.state.clipMaxX, 640u);  // clipped to the frame
  EXPECT_EQ(d.state.clipMaxY, 480u);
  FxI32 triangles = Get(GR_STATS_TRIANGLES_OUT);
  EXPECT_EQ(triangles, 1);
  EXPECT_TRUE(grReset(GR_STATS_TRIANGLES));
  EXPECT_EQ(Get(GR_STATS_TRIANGLES_OUT), 0);
}

TEST_F(GlideRecordedTest, SavedStateComesBack) {
  ASSERT_NE(OpenAt(GR_RESOLUTION_640x480), 0u);
  GameLayout();
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE_MINUS_SRC_COLOR, GR_BLEND_ONE, GR_BLEND_ZERO);
  grFogColorValue(0x11223300u);
  grTexClampMode(GR_TMU1, GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_WRAP);
  std::vector<FxU8> saved(static_cast<std::size_t>(Get(GR_GLIDE_STATE_SIZE)));
  grGlideGetState(saved.data());
  grAlphaBlendFunction(GR_BLEND_ZERO, GR_BLEND_ZERO, GR_BLEND_ZERO, GR_BLEND_ZERO);
  grVertexLayout(GR_PARAM_XY, 0, GR_PARAM_DISABLE);
  grTexClampMode(GR_TMU1, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);
  grGlideSetState(saved.data());
  const platform::GlideState& s = platform::CurrentGlideState();
  EXPECT_EQ(s.rgbDst, GR_BLEND_ONE_MINUS_SRC_COLOR);
  EXPECT_EQ(s.offsetXY, 0);
  EXPECT_EQ(s.fogColor, 0x11223300u);
  EXPECT_EQ(s.tmu[1].sClamp, GR_TEXTURECLAMP_CLAMP);
  ASSERT_FALSE(platform::RecordedGlideCalls().empty());
  EXPECT_EQ(platform::RecordedGlideCalls().back().function, "grGlideSetState");
}

TEST(GlideFog, TableIndicesAndLinearTables) {
  EXPECT_EQ(guFogTableIndexToW(0), 1.0f);
  EXPECT_EQ(guFogTableIndexToW(3), 1.6f);
  EXPECT_EQ(guFogTableIndexToW(4), 2.0f);
  EXPECT_EQ(guFogTableIndexToW(63), 262144.0f / 5.0f);
  GrFog_t table[64];
  guFogGenerateLinear(table, 2.0f, 34.0f);
  EXPECT_EQ(table[0], 0);  // w = 1, nearer than the start
  EXPECT_EQ(table[4], 0);  // w = 2, the start
  EXPECT_EQ(table[12], 47);   // w = 8: 255 x 6 / 32, truncated
  EXPECT_EQ(table[20], 239);  // w = 32: 255 x 30 / 32
  EXPECT_EQ(table[24], 255);  // w = 64, past the end
  EXPECT_EQ(table[63], 255);
  for (int i = 1; i < 64; ++i) EXPECT_GE(table[i], table[i - 1]);
}

// ---------------------------------------------------------------------------
// Pictures through OpenGL.

std::string Reference(const std::string& name) { return std::string(KELV_SOURCE_DIR) + "/tests/references/" + name; }

class GlidePictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::UseGlideTestBackend(false);
    platform::SetGlideBoard({});
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "GLIDETEST";
    RegisterClassA(&wc);
    grGlideInit();
  }
  void TearDown() override {
    if (context_ != 0) grSstWinClose(context_);
    grGlideShutdown();
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    UnregisterClassA("GLIDETEST", nullptr);
  }
  // False where there is no OpenGL.
  bool OpenWindow(DWORD style, int width, int height, GrScreenResolution_t resolution = GR_RESOLUTION_320x240) {
    hwnd_ = CreateWindowExA(0, "GLIDETEST", "Kelvarro", style, 0, 0, width, height, nullptr, nullptr, nullptr, nullptr);
    if (hwnd_ == nullptr) return false;
    context_ = grSstWinOpen(static_cast<FxU32>(reinterpret_cast<std::uintptr_t>(hwnd_)), resolution, GR_REFRESH_60Hz,
                            GR_COLORFORMAT_RGBA, GR_ORIGIN_UPPER_LEFT, 2, 1);
    if (context_ == 0) return false;
    GameLayout();
    return true;
  }
  bool Open() {
    return OpenWindow(WS_POPUP | WS_VISIBLE, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  }
  // The game's fixed state for textured drawing: texel x vertex colour,
  // alpha = texel alpha x constant alpha, unit 0 passing its texel.
  static void TexturedState() {
    grAlphaCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_CONSTANT,
                   GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_FUNCTION_LOCAL,
                 GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_TEXTURE, FXFALSE);
  }
  // The texture downloaded to unit 0 at `address` and drawn from there with
  // the filter, in the textured state.
  static void UseTexture(FxU32 address, GrTexInfo& info, GrTextureFilterMode_t filter) {
    grTexDownloadMipMap(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexFilterMode(GR_TMU0, filter, filter);
    TexturedState();
  }
  static void VertexColourState() {
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
  }
  static platform::Picture Shown() {
    grBufferSwap(0);
    platform::Picture p;
    EXPECT_TRUE(platform::GlideReadFrame(GR_BUFFER_FRONTBUFFER, false, &p));
    return p;
  }
  HWND hwnd_ = nullptr;
  GrContext_t context_ = 0;
};

// A 16x16 ARGB 1555 checker of red and blue, with keyed (alpha 0) white
// texels on the diagonal.
std::vector<FxU16> Checker() {
  std::vector<FxU16> t(16 * 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      bool red = ((x / 4) + (y / 4)) % 2 == 0;
      t[y * 16 + x] = x == y ? 0x7FFF : static_cast<FxU16>(0x8000 | (red ? 0x7C00 : 0x001F));
    }
  }
  return t;
}

TEST_F(GlidePictureTest, ClearOfAClipRectangleExcludesItsUpperBounds) {
  KELV_OPEN_PICTURE(Open());
  grBufferClear(0x0000FF00u, 0, 0);  // RGBA: blue
  grClipWindow(10, 20, 50, 40);
  grBufferClear(0xFF000000u, 0, 0);  // red
  grClipWindow(0, 0, 320, 240);
  platform::Picture p = Shown();
  EXPECT_EQ(kelvtest::PixelAt(p, 10, 20), 0xFF0000u);
  EXPECT_EQ(kelvtest::PixelAt(p, 49, 39), 0xFF0000u);
  EXPECT_EQ(kelvtest::PixelAt(p, 50, 39), 0x0000FFu);
  EXPECT_EQ(kelvtest::PixelAt(p, 49, 40), 0x0000FFu);
  EXPECT_EQ(kelvtest::PixelAt(p, 9, 20), 0x0000FFu);
  EXPECT_TRUE(kelvtest::MatchesReference(kelvtest::Crop(p, 0, 0, 64, 48), Reference("glide_clear_clip.png")));
}

TEST_F(GlidePictureTest, FlatAndGouraudTrianglesWithTheDepthTest) {
  KELV_OPEN_PICTURE(Open());
  VertexColourState();
  grBufferClear(0, 0, 0);
  grDepthBufferMode(GR_DEPTHBUFFER_ZBUFFER);
  grDepthBufferFunction(GR_CMP_GEQUAL);
  grDepthMask(FXTRUE);
  Draw({V(4, 4, 0xFFFF0000u, 100), V(60, 4, 0xFFFF0000u, 100), V(4, 60, 0xFFFF0000u, 100)});
  Draw({V(64, 4, 0xFFFF0000u, 100), V(124, 4, 0xFF00FF00u, 100), V(64, 90, 0xFF0000FFu, 100)});
  // Farther (smaller z) loses against what is there; nearer wins.
  Draw(Quad(2, 2, 30, 30, 0xFFFFFF00u, 50));
  Draw(Quad(40, 2, 62, 30, 0xFF00FFFFu, 200));
  platform::Picture p = Shown();
  EXPECT_EQ(kelvtest::PixelAt(p, 10, 10), 0xFF0000u);
  EXPECT_EQ(kelvtest::PixelAt(p, 3, 3), 0xFFFF00u);  // outside the red triangle
  EXPECT_EQ(kelvtest::PixelAt(p, 45, 8), 0x00FFFFu);
  // Pixel centre (74.5, 14.5) of the Gouraud triangle: green weight 10.5/60,
  // blue 10.5/86, red the rest: 179.2, 44.6, 31.1.
  EXPECT_TRUE(kelvtest::PixelNear(p, 74, 14, 0xB32D1Fu, 1));
  EXPECT_TRUE(kelvtest::MatchesReference(kelvtest::Crop(p, 0, 0, 128, 96), Reference("glide_flat_gouraud.png")));
}

TEST_F(GlidePictureTest, ClearKeepsTheDepthWhileDepthWritesAreOff) {
  KELV_OPEN_PICTURE(Open());
  VertexColourState();
  grDepthBufferMode(GR_DEPTHBUFFER_ZBUFFER);
  grDepthBufferFunction(GR_CMP_GEQUAL);
  grDepthMask(FXTRUE);
  grBufferClear(0, 0, 0);
  Draw(Quad(0, 0, 40, 20, 0xFFFFFFFFu, 1000));
  grDepthMask(FXFALSE);
  grBufferClear(0, 0, 0);
  Draw(Quad(0, 0, 20, 20, 0xFFFF0000u, 500));  // behind what the clear kept
  grDepthMask(FXTRUE);
  grClipWindow(20, 0, 40, 20);
  grBufferClear(0, 0, 0);
  grClipWindow(0, 0, 320, 240);
  Draw(Quad(20, 0, 40, 20, 0xFF00FF00u, 500));
  platform::Picture p = Shown();
  EXPECT_EQ(kelvtest::PixelAt(p, 10, 10), 0x000000u);
  EXPECT_EQ(kelvtest::PixelAt(p, 30, 10), 0x00FF00u);
}

TEST_F(GlidePictureTest, CullingBySignOfTheArea) {
  KELV_OPEN_PICTURE(Open());
  VertexColourState();
  grBufferClear(0, 0, 0);
  // Clockwise on the screen (y down): positive area.
  auto clockwise = [](float x, std::uint32_t c) {
    return std::vector<Vertex>{V(x, 0, c), V(x + 20, 0, c), V(x, 20, c)};
  };
  auto anticlockwise = [](float x, std::uint32_t c) {
    return std::vector<Vertex>{V(x, 0, c), V(x, 20, c), V(x + 20, 0, c)};
  };
  grCullMode(GR_CULL_NEGATIVE);
  Draw(clockwise(0, 0xFFFF0000u));
  Draw(anticlockwise(30, 0xFFFF0000u));
  grCullMode(GR_CULL_POSITIVE);
  Draw(clockwise(60, 0xFF00FF00u));
  Draw(anticlockwise(90, 0xFF00FF00u));
  grCullMode(GR_CULL_DISABLE);
  Draw(clockwise(120, 0xFF0000FFu));
  Draw(anticlockwise(150, 0xFF0000FFu));
  platform::Picture p = Shown();
  EXPECT_EQ(kelvtest::PixelAt(p, 3, 3), 0xFF0000u);
  EXPECT_EQ(kelvtest::PixelAt(p, 33, 3), 0x000000u);
  EXPECT_EQ(kelvtest::PixelAt(p, 63, 3), 0x000000u);
  EXPECT_EQ(kelvtest::PixelAt(p, 93, 3), 0x00FF00u);
  EXPECT_EQ(kelvtest::PixelAt(p, 123, 3), 0x0000FFu);
  EXPECT_EQ(kelvtest::PixelAt(p, 153, 3), 0x0000FFu);
}

TEST_F(GlidePictureTest, ChromaKeyDropsTexelsOfTheKeyColour) {
  KELV_OPEN_PICTURE(Open());
  std::vector<FxU16> texels = Checker();
  for (FxU16& t : texels) t |= 0x8000;  // no alpha keying here
  GrTexInfo info = Info(GR_LOD_LOG2_16, GR_ASPECT_LOG2_1x1, texels.data());
  UseTexture(0, info, GR_TEXTUREFILTER_POINT_SAMPLED);
  grBufferClear(0x00FF0000u, 0, 0);  // green
  grChromakeyValue(0x0000FF00u);     // blue, RGBA
  grChromakeyMode(GR_CHROMAKEY_ENABLE);
  Draw(Quad(0, 0, 64, 64, 0xFFFFFFFFu, 0, 1, 0, 0, 256, 256));
  platform::Picture p = Shown();
  EXPECT_EQ(kelvtest::PixelAt(p, 5, 1), 0xFF0000u);
  EXPECT_EQ(kelvtest::PixelAt(p, 17, 1), 0x00FF00u);  // a blue texel: not drawn
  EXPECT_EQ(kelvtest::PixelAt(p, 1, 1), 0xFFFFFFu);   // white stays
}

TEST_F(GlidePictureTest, LinesAndPoints) {
  KELV_OPEN_PICTURE(Open());
  VertexColourState();
  grBufferClear(0, 0, 0);
  std::vector<Vertex> line = {V(0, 10.5f, 0xFFFFFFFFu), V(20, 10.5f, 0xFFFFFFFFu)};
  grDrawVertexArrayContiguous(GR_LINES, 2, line.data(), sizeof(Vertex));
  std::vector<Vertex> point = {V(30.5f, 5.5f, 0xFFFF0000u)};
  grDrawVertexArrayContiguous(GR_POINTS, 1, point.data(), sizeof(Vertex));
  platform::Picture p = Shown();
  EXPECT_EQ(kelvtest::PixelAt(p, 0, 10), 0xFFFFFFu);
  EXPECT_EQ(kelvtest::PixelAt(p, 19, 10), 0xFFFFFFu);
  EXPECT_EQ(kelvtest::PixelAt(p, 10, 9), 0x000000u);
  EXPECT_EQ(kelvtest::PixelAt(p, 10, 11), 0x000000u);
  EXPECT_EQ(kelvtest::PixelAt(p, 30, 5), 0xFF0000u);
  EXPECT_EQ(Get(GR_STATS_LINES), 1);
  EXPECT_EQ(Get(GR_STATS_POINTS), 1);
}

TEST_F(GlidePictureTest, KeyedTexelsAreNotDrawn) {
  KELV_OPEN_PICTURE(Open());
  std::vector<FxU16> texels = Checker();
  GrTexInfo info = Info(GR_LOD_LOG2_16, GR_ASPECT_LOG2_1x1, texels.data());
  UseTexture(0, info, GR_TEXTUREFILTER_POINT_SAMPLED);
  grAlphaTestFunction(GR_CMP_GREATER);
  grAlphaTestReferenceValue(127);
  grBufferClear(0x00FF0000u, 0, 0);  // green
  // 64x64 pixels, s and t 0..256: four pixels per texel.
  Draw({V(0, 0, 0xFFFFFFFFu, 0, 1, 0, 0), V(64, 0, 0xFFFFFFFFu, 0, 1, 256, 0), V(0, 64, 0xFFFFFFFFu, 0, 1, 0, 256)});
  Draw({V(64, 0, 0xFF808080u, 0, 1, 0, 0), V(128, 0, 0xFF808080u, 0, 1, 256, 0),
        V(64, 64, 0xFF808080u, 0, 1, 0, 256)});
  platform::Picture p = Shown();
  EXPECT_EQ(kelvtest::PixelAt(p, 1, 1), 0x00FF00u);   // texel (0, 0) is keyed
  EXPECT_EQ(kelvtest::PixelAt(p, 5, 1), 0xFF0000u);   // texel (1, 0): red
  EXPECT_EQ(kelvtest::PixelAt(p, 17, 1), 0x0000FFu);  // texel (4, 0): blue
  EXPECT_EQ(kelvtest::PixelAt(p, 69, 1), 0x800000u);  // modulated by grey
  EXPECT_TRUE(kelvtest::MatchesReference(kelvtest::Crop(p, 0, 0, 128, 64), Reference("glide_keyed_texture.png")));
}

TEST_F(GlidePictureTest, BlendedPerspectiveTexture) {
  KELV_OPEN_PICTURE(Open());
  std::vector<FxU16> texels = Checker();
  for (FxU16& t : texels) t |= 0x8000;
  GrTexInfo info = Info(GR_LOD_LOG2_16, GR_ASPECT_LOG2_1x1, texels.data());
  UseTexture(0, info, GR_TEXTUREFILTER_BILINEAR);
  grBufferClear(0x40404000u, 0, 0);
  // A floor going away: the far edge at w = 4, the near edge at w = 1.
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE_MINUS_SRC_COLOR, GR_BLEND_ONE, GR_BLEND_ZERO);
  Draw({V(40, 10, 0xFFC0C0C0u, 0, 0.25f, 0, 0), V(88, 10, 0xFFC0C0C0u, 0, 0.25f, 256, 0),
        V(0, 90, 0xFFC0C0C0u, 0, 1.0f, 0, 256), V(88, 10, 0xFFC0C0C0u, 0, 0.25f, 256, 0),
        V(128, 90, 0xFFC0C0C0u, 0, 1.0f, 256, 256), V(0, 90, 0xFFC0C0C0u, 0, 1.0f, 0, 256)});
  platform::Picture p = Shown();
  EXPECT_EQ(kelvtest::PixelAt(p, 2, 2), 0x404040u);
  // In the first triangle q = 0.25 + 0.009375 (y - 10), s q = 4/3 x + 2/3 y
  // - 60, t q = 3.2 y - 32. At the pixel centre (30.5, 50.5): s 22.8, t 205.8,
  // texel (1.4, 12.9), inside a blue cell for all four bilinear samples.
  // Blue x 192/255 plus the clear colour x (1 - source): 64, 64, 192 + 15.8.
  EXPECT_TRUE(kelvtest::PixelNear(p, 30, 50, 0x4040D0u, 1));
  EXPECT_TRUE(kelvtest::MatchesReference(kelvtest::Crop(p, 0, 0, 128, 96), Reference("glide_blended_texture.png")));
}

TEST_F(GlidePictureTest, TableFogByW) {
  KELV_OPEN_PICTURE(Open());
  VertexColourState();
  GrFog_t table[64];
  guFogGenerateLinear(table, 1.0f, 128.0f);
  grFogTable(table);
  grFogColorValue(0xFFFFFF00u);
  grFogMode(GR_FOG_WITH_TABLE_ON_Q);
  grBufferClear(0, 0, 0);
  // Strips at w = 1, 2, 4 ... 128 (q = 1/w), and one whose w runs 1..128.
  for (int i = 0; i < 8; ++i) {
    float q = 1.0f / static_cast<float>(1 << i);
    Draw(Quad(static_cast<float>(i * 16), 0, static_cast<float>(i * 16 + 16), 32, 0xFF0000FFu, 0, q));
  }
  Draw({V(0, 40, 0xFF0000FFu, 0, 1.0f), V(128, 40, 0xFF0000FFu, 0, 1.0f / 128), V(0, 56, 0xFF0000FFu, 0, 1.0f),
        V(128, 40, 0xFF0000FFu, 0, 1.0f / 128), V(128, 56, 0xFF0000FFu, 0, 1.0f / 128),
        V(0, 56, 0xFF0000FFu, 0, 1.0f)});
  platform::Picture p = Shown();
  EXPECT_EQ(kelvtest::PixelAt(p, 8, 16), 0x0000FFu);    // w = 1: no fog
  EXPECT_EQ(kelvtest::PixelAt(p, 120, 16), 0xFFFFFFu);  // w = 128: all fog
  // w = 8 is entry 12 exactly: trunc(255 x 7/127) = 14 parts of white.
  EXPECT_TRUE(kelvtest::PixelNear(p, 56, 16, 0x0E0EFFu, 1));
  EXPECT_TRUE(kelvtest::MatchesReference(kelvtest::Crop(p, 0, 0, 128, 64), Reference("glide_fog.png")));
}

TEST_F(GlidePictureTest, FrameBufferWriteOfA565Picture) {
  KELV_OPEN_PICTURE(Open());
  grBufferClear(0, 0, 0);
  std::vector<FxU16> picture(16 * 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) picture[y * 16 + x] = static_cast<FxU16>((x << 11) | (y << 5) | 31);
  }
  // As the game writes its backgrounds: one column and row less than the picture.
  EXPECT_TRUE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_565, 15, 15, FXFALSE, 32, picture.data()));
  EXPECT_FALSE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_565, 15, 15, FXFALSE, 16, picture.data()));
  EXPECT_FALSE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, 0x0f, 15, 15, FXFALSE, 32, picture.data()));
  // Past the edge: what lies outside is dropped.
  EXPECT_TRUE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 310, 230, GR_LFB_SRC_FMT_565, 16, 16, FXFALSE, 32,
                               picture.data()));
  platform::Picture p = Shown();
  EXPECT_EQ(kelvtest::PixelAt(p, 0, 0), 0x0000FFu);
  EXPECT_EQ(kelvtest::PixelAt(p, 14, 3), 0x730CFFu);  // r 14 -> 115, g 3 -> 12
  EXPECT_EQ(kelvtest::PixelAt(p, 15, 3), 0x000000u);
  EXPECT_EQ(kelvtest::PixelAt(p, 3, 15), 0x000000u);
  EXPECT_EQ(kelvtest::PixelAt(p, 319, 239), 0x4A24FFu);  // r 9 -> 74, g 9 -> 36
}

TEST_F(GlidePictureTest, DrawingReadsWhatALaterDownloadPutInItsMemory) {
  KELV_OPEN_PICTURE(Open());
  std::vector<FxU16> red(16 * 16, 0xFC00), green(8 * 8, 0x83E0);
  GrTexInfo a = Info(GR_LOD_LOG2_16, GR_ASPECT_LOG2_1x1, red.data());
  GrTexInfo b = Info(GR_LOD_LOG2_8, GR_ASPECT_LOG2_1x1, green.data());
  UseTexture(4096, a, GR_TEXTUREFILTER_POINT_SAMPLED);
  grBufferClear(0, 0, 0);
  Draw(Quad(0, 0, 16, 16, 0xFFFFFFFFu, 0, 1, 0, 0, 256, 256));
  // The 8x8 texture takes the first four rows of the 16x16 one.
  grTexDownloadMipMap(GR_TMU0, 4096, GR_MIPMAPLEVELMASK_BOTH, &b);
  Draw(Quad(20, 0, 36, 16, 0xFFFFFFFFu, 0, 1, 0, 0, 256, 256));
  platform::Picture p = Shown();
  EXPECT_EQ(kelvtest::PixelAt(p, 5, 2), 0xFF0000u);
  EXPECT_EQ(kelvtest::PixelAt(p, 25, 2), 0x00FF00u);
  EXPECT_EQ(kelvtest::PixelAt(p, 25, 3), 0x00FF00u);
  EXPECT_EQ(kelvtest::PixelAt(p, 25, 4), 0xFF0000u);
}

TEST_F(GlidePictureTest, DrawsInOneStateKeepTheirPlaceAroundFrameBufferWrites) {
  KELV_OPEN_PICTURE(Open());
  VertexColourState();
  grBufferClear(0, 0, 0);
  Draw(Quad(0, 0, 20, 20, 0xFFFF0000u));
  std::vector<FxU16> blue(10 * 10, 0x001F);
  ASSERT_TRUE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 5, 5, GR_LFB_SRC_FMT_565, 10, 10, FXFALSE, 20, blue.data()));
  Draw(Quad(12, 12, 30, 30, 0xFF00FF00u));
  platform::Picture p = Shown();
  EXPECT_EQ(kelvtest::PixelAt(p, 2, 2), 0xFF0000u);
  EXPECT_EQ(kelvtest::PixelAt(p, 7, 7), 0x0000FFu);  // written over the first quad
  EXPECT_EQ(kelvtest::PixelAt(p, 13, 13), 0x00FF00u);  // drawn over the write
  EXPECT_EQ(kelvtest::PixelAt(p, 17, 3), 0xFF0000u);
}

TEST_F(GlidePictureTest, TextureOnTheSecondUnitPassesThroughTheFirst) {
  KELV_OPEN_PICTURE(Open());
  std::vector<FxU16> red(16 * 16, 0xFC00), blue(16 * 16, 0x801F);
  GrTexInfo onUnit0 = Info(GR_LOD_LOG2_16, GR_ASPECT_LOG2_1x1, red.data());
  GrTexInfo onUnit1 = Info(GR_LOD_LOG2_16, GR_ASPECT_LOG2_1x1, blue.data());
  grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &onUnit0);
  grTexDownloadMipMap(GR_TMU1, 0, GR_MIPMAPLEVELMASK_BOTH, &onUnit1);
  grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &onUnit0);
  grTexSource(GR_TMU1, 0, GR_MIPMAPLEVELMASK_BOTH, &onUnit1);
  TexturedState();
  grBufferClear(0, 0, 0);
  Draw(Quad(0, 0, 16, 16, 0xFFFFFFFFu, 0, 1, 0, 0, 256, 256));
  // Unit 0 hands on what unit 1 sampled.
  grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_FUNCTION_SCALE_OTHER,
               GR_COMBINE_FACTOR_ONE, FXFALSE, FXFALSE);
  Draw(Quad(20, 0, 36, 16, 0xFFFFFFFFu, 0, 1, 0, 0, 256, 256));
  platform::Picture p = Shown();
  EXPECT_EQ(kelvtest::PixelAt(p, 8, 8), 0xFF0000u);
  EXPECT_EQ(kelvtest::PixelAt(p, 28, 8), 0x0000FFu);
}

TEST_F(GlidePictureTest, WindowShowsTheFrameScaledWithGammaAndBars) {
  KELV_OPEN_PICTURE(OpenWindow(WS_OVERLAPPED | WS_VISIBLE, 800, 400));
  guGammaCorrectionRGB(1.2f, 1.2f, 1.2f);
  grBufferClear(0x80808000u, 0, 0);
  grBufferSwap(1);
  platform::Picture drawn, shown, window;
  ASSERT_TRUE(platform::GlideReadFrame(GR_BUFFER_FRONTBUFFER, false, &drawn));
  ASSERT_TRUE(platform::GlideReadFrame(GR_BUFFER_FRONTBUFFER, true, &shown));
  ASSERT_TRUE(platform::GlideReadWindow(&window));
  // 255 x (128 / 255) ^ (1 / 1.2) = 143.6.
  EXPECT_EQ(kelvtest::PixelAt(drawn, 160, 120), 0x808080u);
  EXPECT_EQ(kelvtest::PixelAt(shown, 160, 120), 0x909090u);
  ASSERT_EQ(window.width, 800);
  ASSERT_EQ(window.height, 400);
  // 320x240 scaled to 533x400 in the middle of 800x400.
  EXPECT_EQ(kelvtest::PixelAt(window, 400, 200), 0x909090u);
  EXPECT_EQ(kelvtest::PixelAt(window, 140, 200), 0x909090u);
  EXPECT_EQ(kelvtest::PixelAt(window, 125, 200), 0x000000u);
  EXPECT_EQ(kelvtest::PixelAt(window, 675, 200), 0x000000u);

  std::string path = (std::filesystem::temp_directory_path() / "kelvarro_glide_shot.png").string();
  ASSERT_TRUE(platform::GlideScreenshot(path));
  platform::Picture file;
  std::string error;
  ASSERT_TRUE(kelvtest::ReadPng(path, &file, &error)) << error;
  EXPECT_TRUE(kelvtest::SamePicture(shown, file, 0));
  std::filesystem::remove(path);
}

TEST_F(GlidePictureTest, AWindowOfTheFramesSizeShowsItPixelForPixel) {
  KELV_OPEN_PICTURE(OpenWindow(WS_OVERLAPPED | WS_VISIBLE, 320, 240));
  guGammaCorrectionRGB(1.0f, 1.2f, 2.0f);
  VertexColourState();
  grBufferClear(0, 0, 0);
  Draw({V(0, 0, 0xFFFF0000u), V(320, 0, 0xFF00FF00u), V(0, 240, 0xFF0000FFu)});
  grBufferSwap(1);
  platform::Picture shown, window;
  ASSERT_TRUE(platform::GlideReadFrame(GR_BUFFER_FRONTBUFFER, true, &shown));
  ASSERT_TRUE(platform::GlideReadWindow(&window));
  EXPECT_TRUE(kelvtest::SamePicture(shown, window, 0));
  // Pixel centre (80.5, 60.5): green weight 80.5/320, blue 60.5/240, red the
  // rest: drawn 127, 64, 64; shown 127, 255 x (64/255)^(1/1.2) = 81,
  // 255 x (64/255)^(1/2) = 128.
  EXPECT_TRUE(kelvtest::PixelNear(window, 80, 60, 0x7F5180u, 2));
}

TEST_F(GlidePictureTest, PixelCounterCountsWhatWasWritten) {
  KELV_OPEN_PICTURE(Open());
  VertexColourState();
  EXPECT_TRUE(grReset(GR_STATS_PIXELS));
  Draw(Quad(0, 0, 10, 10, 0xFFFFFFFFu));
  grAlphaTestFunction(GR_CMP_NEVER);
  Draw(Quad(0, 0, 10, 10, 0xFFFFFFFFu));
  EXPECT_EQ(Get(GR_STATS_PIXELS_OUT), 100);
  grBufferSwap(0);  // presenting the frame is not counted
  EXPECT_EQ(Get(GR_STATS_PIXELS_OUT), 100);
  EXPECT_TRUE(grReset(GR_STATS_PIXELS));
  EXPECT_EQ(Get(GR_STATS_PIXELS_OUT), 0);
}

// ---------------------------------------------------------------------------
// Comparing pictures.

TEST(PictureComparison, ChannelToleranceAndAnOutlierBudget) {
  platform::Picture base;
  base.width = 4;
  base.height = 2;
  base.rgb.assign(4 * 2 * 3, 100);
  const struct {
    const char* what;
    std::vector<std::pair<int, int>> changes;  // channel index, amount
    int tolerance, outliers;
    bool same;
  } cases[] = {
      {"identical", {}, 0, 0, true},
      {"within the tolerance", {{0, 2}, {5, -2}}, 2, 0, true},
      {"one channel past it", {{0, 3}}, 2, 0, false},
      {"two channels of one pixel count once", {{0, 3}, {1, 50}}, 2, 1, true},
      {"outliers within the budget", {{0, 200 - 100}, {23, -100}}, 2, 2, true},
      {"one more than the budget", {{0, 100}, {12, 100}, {23, -100}}, 2, 2, false},
  };
  for (const auto& c : cases) {
    platform::Picture changed = base;
    for (auto [at, amount] : c.changes) changed.rgb[at] = static_cast<FxU8>(changed.rgb[at] + amount);
    EXPECT_EQ(c.same, static_cast<bool>(kelvtest::SamePicture(base, changed, c.tolerance, c.outliers))) << c.what;
  }
  platform::Picture other = base;
  other.width = 8;
  other.height = 1;
  EXPECT_FALSE(kelvtest::SamePicture(base, other, 255, 8));
}

// ---------------------------------------------------------------------------
// Our PNG files.

TEST(GlidePng, WrittenPicturesReadBackAndDamageIsFound) {
  platform::Picture big;
  big.width = 300;
  big.height = 100;  // more than one stored block
  for (int i = 0; i < big.width * big.height * 3; ++i) big.rgb.push_back(static_cast<FxU8>(i * 7));
  std::string path = (std::filesystem::temp_directory_path() / "kelvarro_png_test.png").string();
  ASSERT_TRUE(platform::WritePng(path, big));
  platform::Picture back;
  std::string error;
  ASSERT_TRUE(kelvtest::ReadPng(path, &back, &error)) << error;
  EXPECT_TRUE(kelvtest::SamePicture(big, back, 0));

  std::FILE* f = std::fopen(path.c_str(), "r+b");
  ASSERT_NE(f, nullptr);
  std::fseek(f, 200, SEEK_SET);
  std::fputc(0x55 ^ std::fgetc(f), f);
  std::fclose(f);
  EXPECT_FALSE(kelvtest::ReadPng(path, &back, &error));
  EXPECT_NE(error.find("CRC"), std::string::npos) << error;
  std::filesystem::remove(path);

  platform::Picture wrong;
  wrong.width = 2;
  wrong.height = 2;
  EXPECT_FALSE(platform::WritePng(path, wrong));
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
