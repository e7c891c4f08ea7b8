// The Direct3D renderer drawn through OpenGL (offscreen): each picture has a
// pixel worked out by hand. Without OpenGL these fail.
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/archive.h"
#include "engine/program_objects.h"
#include "engine/scene/scene.h"
#include "engine/system.h"
#include "platform/win32/window.h"
#include "tests/render_d3d/direct3d_fixture.h"
#include "tools/bbf.h"
#include "tools/tex.h"

namespace {

constexpr const char* kWindowClass = "D3DPICTURETEST";

class PicturesTest : public kelvtest::Direct3DTest {
 protected:
  void SetUp() override {
    Direct3DTest::SetUp();
    platform::UseDirectDrawTestBackend(false);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);
    g_MainWindow = CreateWindowExA(0, kWindowClass, "Kelvarro", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                                   nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, g_MainWindow);
    g_ScreenWidth = 640;
    g_ScreenHeight = 480;
    ASSERT_TRUE(g_Renderer.Open());
    g_Renderer.SetDefaultStates();
    g_Renderer.SetTextureFilter(false);
  }
  void TearDown() override {
    g_TextureManager.ClearNames();
    g_Renderer.Close();
    if (g_MainWindow) DestroyWindow(g_MainWindow);
    g_MainWindow = nullptr;
    UnregisterClassA(kWindowClass, nullptr);
    Direct3DTest::TearDown();
  }

  static platform::Picture Shown() {
    EXPECT_EQ(PresentResult::SHOWN, g_Renderer.Present());
    platform::Picture p;
    EXPECT_TRUE(platform::DirectDrawReadFrame(true, &p));
    return p;
  }

  static void ExpectPixel(const platform::Picture& p, int x, int y, int r, int g, int b) {
    ASSERT_EQ(640, p.width);
    const std::uint8_t* c = &p.rgb[(static_cast<std::size_t>(y) * p.width + x) * 3];
    EXPECT_NEAR(r, c[0], 2) << x << "," << y;
    EXPECT_NEAR(g, c[1], 2) << x << "," << y;
    EXPECT_NEAR(b, c[2], 2) << x << "," << y;
  }

  static ScreenVertex V(float x, float y, float z, std::uint32_t colour, float u = 0.0f, float v = 0.0f,
                        std::uint32_t fogAmount = 0) {
    ScreenVertex s{};
    s.fogAmount = fogAmount;
    s.x = x;
    s.y = y;
    s.z = z;
    s.q = 1.0f;
    s.colour = colour;
    s.s = u;
    s.t = v;
    return s;
  }

  // Two triangles over x0..x1 x y0..y1 at depth 0, the texture's corners on
  // the quad's.
  static bool DrawQuad(float x0, float y0, float x1, float y1, std::uint32_t colour, std::uint32_t fogAmount = 0) {
    const ScreenVertex q[6] = {V(x0, y0, 0, colour, 0, 0, fogAmount), V(x1, y0, 0, colour, 1, 0, fogAmount),
                               V(x1, y1, 0, colour, 1, 1, fogAmount), V(x0, y0, 0, colour, 0, 0, fogAmount),
                               V(x1, y1, 0, colour, 1, 1, fogAmount), V(x0, y1, 0, colour, 0, 1, fogAmount)};
    return g_Renderer.DrawTriangles(6, q);
  }

  // A finished fade-in drawn over the frame, which is then shown and read.
  static platform::Picture ShownAfterFadeIn() {
    g_Renderer.StartFade(1.0f, FADE_IN, nullptr);
    g_FrameTime = 2.0f;
    EXPECT_TRUE(g_Renderer.DrawFade());
    return Shown();
  }
};

TEST_F(PicturesTest, ClearLeavesTheRightAndBottomEdgesAndTheFadeDarkensByItsAlpha) {
  g_Renderer.clearRed = 1.0f;
  ASSERT_TRUE(g_Renderer.ClearRect(0, 0, 640, 480, true));
  g_Renderer.clearRed = 0.0f;
  g_Renderer.clearBlue = 1.0f;
  ASSERT_TRUE(g_Renderer.ClearRect(100, 100, 200, 150, false));
  g_Renderer.StartFade(1.0f, FADE_OUT, nullptr);
  g_FrameTime = 0.5f;
  ASSERT_TRUE(g_Renderer.DrawFade());
  const platform::Picture p = Shown();
  // Red under a fade of alpha trunc(0.5 x 255) = 127 towards (2, 2, 2):
  // 255 x 128/255 + 2 x 127/255 = 129.
  ExpectPixel(p, 10, 10, 129, 1, 1);
  ExpectPixel(p, 100, 100, 1, 1, 129);
  ExpectPixel(p, 199, 149, 1, 1, 129);
  // Clear2's right and bottom edges are exclusive.
  ExpectPixel(p, 200, 120, 129, 1, 1);
  ExpectPixel(p, 150, 150, 129, 1, 1);
}

TEST_F(PicturesTest, NearerTrianglesHideFartherOnesAndKeyedTexelsAreNotDrawn) {
  ASSERT_TRUE(g_Renderer.ClearRect(0, 0, 640, 480, true));
  // A far green triangle drawn after a near red one stays hidden where they overlap.
  const ScreenVertex nearRed[3] = {V(0, 0, 0.2f, 0xFFFF0000u), V(400, 0, 0.2f, 0xFFFF0000u), V(0, 400, 0.2f, 0xFFFF0000u)};
  const ScreenVertex farGreen[3] = {V(0, 0, 0.8f, 0xFF00FF00u), V(600, 0, 0.8f, 0xFF00FF00u), V(0, 450, 0.8f, 0xFF00FF00u)};
  ASSERT_TRUE(g_Renderer.DrawTriangles(3, nearRed));
  ASSERT_TRUE(g_Renderer.DrawTriangles(3, farGreen));

  // A keyed 32 x 32 texture: the left half is the key.
  Put("DATA/UI.BBF", kelvdata::BuildBbf({{"_KEY.TEX", kelvdata::BuildTex(32, 32, [](int x, int) {
                                           return x < 16 ? kelvdata::Rgb{250, 0, 200} : kelvdata::Rgb{255, 255, 255};
                                         })}}));
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  g_ColourKey = {250, 0, 200};
  char name[] = "DATA\\UI\\_KEY.TEX";
  TextureSlot slot = 0;
  ASSERT_TRUE(g_TextureManager.Load(name, &slot, 8));
  g_TextureManager.Select(slot);
  g_Renderer.SetZEnable(false);
  // Half-white vertex colour over the quad 450..514 x 300..364.
  ASSERT_TRUE(DrawQuad(450, 300, 514, 364, 0xFF808080u));
  const platform::Picture p = ShownAfterFadeIn();
  ExpectPixel(p, 50, 50, 255, 0, 0);
  ExpectPixel(p, 450, 20, 0, 255, 0);
  ExpectPixel(p, 630, 470, 0, 0, 0);
  // Left half keyed away: the clear colour shows; right half: white x 128/255.
  ExpectPixel(p, 460, 330, 0, 0, 0);
  ExpectPixel(p, 500, 330, 128, 128, 128);
}

TEST_F(PicturesTest, FogMixesTheFogColourInByTheVertexFogFactor) {
  ASSERT_TRUE(g_Renderer.ClearRect(0, 0, 640, 480, true));
  g_Renderer.SetZEnable(false);
  g_Renderer.SetFogColour(0.0f, 0.0f, 1.0f);
  const std::uint32_t red = 0xFFFF0000u;
  // Quads of red: fog amount 191 (fog factor 64), none, and 191 with fog off.
  g_Renderer.SetFogEnable(true);
  ASSERT_TRUE(DrawQuad(0, 100, 100, 200, red, 191));
  ASSERT_TRUE(DrawQuad(200, 100, 300, 200, red, 0));
  g_Renderer.SetFogEnable(false);
  ASSERT_TRUE(DrawQuad(400, 100, 500, 200, red, 191));
  const platform::Picture p = ShownAfterFadeIn();
  // 255 x 64/255 of the red, 255 x 191/255 of the fog's blue.
  ExpectPixel(p, 50, 150, 64, 0, 191);
  ExpectPixel(p, 250, 150, 255, 0, 0);
  ExpectPixel(p, 450, 150, 255, 0, 0);
}

TEST_F(PicturesTest, AlphaTestKeepsOnlyAlphasAboveItsReference) {
  ASSERT_TRUE(g_Renderer.ClearRect(0, 0, 640, 480, true));
  g_Renderer.SetZEnable(false);
  g_Renderer.SetAlphaBlendEnable(false);
  // Keyed drawing compares GREATER against 192: alpha 193 is drawn, 192 is not.
  ASSERT_TRUE(g_Renderer.SetAlphaTest(true));
  ASSERT_TRUE(DrawQuad(0, 100, 100, 200, 0xC1FF0000u));
  ASSERT_TRUE(DrawQuad(200, 100, 300, 200, 0xC0FF0000u));
  ASSERT_TRUE(g_Renderer.SetAlphaTest(false));
  ASSERT_TRUE(DrawQuad(400, 100, 500, 200, 0xC0FF0000u));
  const platform::Picture p = ShownAfterFadeIn();
  ExpectPixel(p, 50, 150, 255, 0, 0);
  ExpectPixel(p, 250, 150, 0, 0, 0);
  ExpectPixel(p, 450, 150, 255, 0, 0);
}

}  // namespace
