// Pictures drawn through the renderer and the texture manager on the virtual
// board's OpenGL backend (offscreen), compared with reference images in
// tests/references/: the fade, a clear of a rectangle, keyed and blended
// textured triangles, and fog. KELVARRO_UPDATE_REFERENCES=1 rewrites them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/display.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "platform/glide/glide.h"
#include "platform/win32/window.h"
#include "tests/render_glide/picture_fixture.h"
#include "tests/support/picture.h"
#include "tools/bbf.h"
#include "tools/tex.h"

namespace {

using kelvdata::Rgb;

class RendererPictureTest : public kelvtest::PictureTest {
 protected:
  // The main window and the renderer at 640x480 with a new scene's states,
  // depth test off; false where there is no OpenGL.
  bool Open() {
    if (!OpenScreen()) return false;
    g_Renderer.SetZEnable(false);
    return true;
  }

  static void Clear(int x0, int y0, int x1, int y1, float r, float g, float b) {
    g_Renderer.clearRed = r;
    g_Renderer.clearGreen = g;
    g_Renderer.clearBlue = b;
    g_Renderer.ClearRect(x0, y0, x1, y1, true);
  }
};

ScreenVertex Vertex(float x, float y, std::uint32_t colour, float s = 0.0f, float t = 0.0f, float q = 1.0f,
                    float z = 0.0f) {
  ScreenVertex v{};
  v.x = x;
  v.y = y;
  v.colour = colour;
  v.z = z;
  v.q = q;
  v.s = s * q;
  v.t = t * q;
  return v;
}

// Two triangles covering (x0, y0)-(x1, y1), texture coordinates 0..sMax, 0..tMax.
void Quad(float x0, float y0, float x1, float y1, std::uint32_t colour, float sMax = 0.0f, float tMax = 0.0f) {
  const ScreenVertex v[6] = {Vertex(x0, y0, colour, 0, 0),       Vertex(x1, y0, colour, sMax, 0),
                             Vertex(x0, y1, colour, 0, tMax),    Vertex(x1, y0, colour, sMax, 0),
                             Vertex(x1, y1, colour, sMax, tMax), Vertex(x0, y1, colour, 0, tMax)};
  EXPECT_TRUE(g_Renderer.DrawTriangles(6, v));
}

// Four colour bands under everything.
void Bands() {
  const float colours[4][3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f}};
  for (int i = 0; i < 4; ++i) {
    g_Renderer.clearRed = colours[i][0];
    g_Renderer.clearGreen = colours[i][1];
    g_Renderer.clearBlue = colours[i][2];
    g_Renderer.ClearRect(32 * i, 0, 32 * (i + 1), 64, true);
  }
}

TEST_F(RendererPictureTest, ClearOfARectangle) {
  KELV_OPEN_PICTURE(Open());
  Clear(0, 0, 640, 480, 0.2f, 0.4f, 0.6f);
  Clear(16, 8, 80, 40, 1.0f, 0.5f, 0.0f);
  // Drawing covers the whole screen again (less the last row and column).
  g_TextureManager.Select(0);
  Quad(88, 8, 96, 16, 0xFFFFFFFFu);
  platform::Picture p = Presented();
  EXPECT_EQ(0xFF7F00u, kelvtest::PixelAt(p, 16, 8));
  EXPECT_EQ(0xFF7F00u, kelvtest::PixelAt(p, 79, 39));
  EXPECT_EQ(0x336699u, kelvtest::PixelAt(p, 80, 39));
  EXPECT_TRUE(kelvtest::MatchesReference(kelvtest::Crop(p, 0, 0, 128, 48), Reference("renderer_clear_rect.png")));
}

TEST_F(RendererPictureTest, FadeHalfwayDarkensTheFrameByHalf) {
  KELV_OPEN_PICTURE(Open());
  Bands();
  g_Renderer.StartFade(2.0f, FADE_OUT, nullptr);
  g_FrameTime = 1.0f;
  g_Renderer.DrawFade();
  platform::Picture p = Presented();
  // 255 x (1 - 127/255) = 128.
  EXPECT_NEAR(128, static_cast<int>(kelvtest::PixelAt(p, 5, 5) >> 16), 1);
  EXPECT_EQ(0u, kelvtest::PixelAt(p, 5, 5) & 0xFFFF);
  EXPECT_TRUE(kelvtest::MatchesReference(kelvtest::Crop(p, 0, 0, 128, 64), Reference("renderer_fade.png")));

  // Finished, a fade out keeps the frame black.
  Bands();
  g_Renderer.DrawFade();
  p = Presented();
  EXPECT_EQ(0u, kelvtest::PixelAt(p, 100, 5));
}

TEST_F(RendererPictureTest, KeyedAndBlendedTexturedTriangles) {
  KELV_OPEN_PICTURE(Open());
  // Squares of yellow and blue on the front end's key colour; a grey ramp.
  OpenUiArchive({{"_SQUARES.TEX", kelvdata::BuildTex(32, 32,
                                                     [](int x, int y) {
                                                       if (((x / 8) + (y / 8)) % 2) return Rgb{250, 0, 200};
                                                       return (x / 16) ? Rgb{250, 230, 40} : Rgb{40, 80, 250};
                                                     })},
                 {"RAMP.TEX", kelvdata::BuildTex(64, 32, [](int x, int) {
                    return Rgb{std::uint8_t(x * 4), std::uint8_t(x * 4), std::uint8_t(255 - x * 4)};
                  })}});
  g_ColourKey = {250, 0, 200};
  char keyedName[] = "DATA\\UI\\_SQUARES.TEX";
  char rampName[] = "DATA\\UI\\RAMP.TEX";
  TextureSlot keyed = 0;
  TextureSlot ramp = 0;
  ASSERT_TRUE(g_TextureManager.Load(keyedName, &keyed, 8));
  ASSERT_TRUE(g_TextureManager.Load(rampName, &ramp, 8));

  Bands();
  g_Renderer.SetTextureFilter(false);
  g_TextureManager.Select(keyed);
  // Key texels are not drawn: the bands show through.
  Quad(0, 0, 64, 64, 0xFFFFFFFFu, g_TextureManager.sScale[keyed], g_TextureManager.tScale[keyed]);

  // Added over the frame, scaled by a grey vertex colour.
  g_TextureManager.Select(ramp);
  g_Renderer.SetSrcBlend(BLEND_ONE);
  g_Renderer.SetDestBlend(BLEND_ONE_MINUS_SRC_COLOUR);
  g_Renderer.SetAlphaBlendEnable(true);
  Quad(64, 0, 128, 64, 0xFF808080u, g_TextureManager.sScale[ramp], g_TextureManager.tScale[ramp]);
  g_Renderer.SetAlphaBlendEnable(false);

  // A perspective-textured, filtered rectangle lying back: at the top it is
  // twice as far (q 0.5) and half as wide.
  g_Renderer.SetTextureFilter(true);
  const float s = g_TextureManager.sScale[ramp];
  const float t = g_TextureManager.tScale[ramp];
  const ScreenVertex v[6] = {
      Vertex(32, 64, 0xFFFFFFFFu, 0, 0, 0.5f),   Vertex(96, 64, 0xFFFFFFFFu, s, 0, 0.5f),
      Vertex(0, 128, 0xFFFFFFFFu, 0, t, 1.0f),    Vertex(96, 64, 0xFFFFFFFFu, s, 0, 0.5f),
      Vertex(128, 128, 0xFFFFFFFFu, s, t, 1.0f),  Vertex(0, 128, 0xFFFFFFFFu, 0, t, 1.0f)};
  ASSERT_TRUE(g_Renderer.DrawTriangles(6, v));

  platform::Picture p = Presented();
  EXPECT_EQ(0xFF0000u, kelvtest::PixelAt(p, 20, 4));  // key texel: the red band
  EXPECT_EQ(0x00FF00u, kelvtest::PixelAt(p, 36, 20));
  // Texel (2, 2), blue {40, 80, 250}: five bits each (5, 10, 31), widened to
  // 8 bits as v x 255 / 31 (41, 82, 255), times the white vertex colour.
  EXPECT_TRUE(kelvtest::PixelNear(p, 4, 4, 0x2952FFu, 1));
  // Ramp texel 16 (64, 64, 191 -> 8, 8, 23 -> 66, 66, 189) times the grey
  // 128/255 (33, 33, 95), added to the blue band scaled by 1 - source:
  // 33, 33, 95 + 255 x 160/255.
  EXPECT_TRUE(kelvtest::PixelNear(p, 80, 10, 0x2121FFu, 1));
  EXPECT_TRUE(kelvtest::MatchesReference(kelvtest::Crop(p, 0, 0, 128, 128), Reference("renderer_textures.png")));
}

TEST_F(RendererPictureTest, FogThickensWithDistance) {
  KELV_OPEN_PICTURE(Open());
  Clear(0, 0, 640, 480, 0.0f, 0.0f, 0.0f);
  g_TextureManager.Select(0);
  g_Renderer.SetFogColour(0.75f, 0.75f, 1.0f);
  g_Renderer.SetFogEnable(true);
  // Eight red quads, each farther away (w = 1/q from 1 up to far beyond the table).
  for (int i = 0; i < 8; ++i) {
    const float q = 1.0f / static_cast<float>(1 << (2 * i));
    const float x0 = 16.0f * i;
    const ScreenVertex v[6] = {Vertex(x0, 0, 0xFFFF0000u, 0, 0, q),        Vertex(x0 + 16, 0, 0xFFFF0000u, 0, 0, q),
                               Vertex(x0, 32, 0xFFFF0000u, 0, 0, q),       Vertex(x0 + 16, 0, 0xFFFF0000u, 0, 0, q),
                               Vertex(x0 + 16, 32, 0xFFFF0000u, 0, 0, q), Vertex(x0, 32, 0xFFFF0000u, 0, 0, q)};
    ASSERT_TRUE(g_Renderer.DrawTriangles(6, v));
  }
  g_Renderer.SetFogEnable(false);
  platform::Picture p = Presented();
  // The table built at open: entry i = trunc(i x 255 / 63), four entries per
  // doubling of w. w = 1: entry 0, no fog.
  EXPECT_TRUE(kelvtest::PixelNear(p, 8, 16, 0xFF0000u, 1));
  // w = 4: entry 8, 32/255 of the fog colour (191, 191, 255): red 255 - 64 x
  // 32/255 = 247, green 191 x 32/255 = 24, blue 32.
  EXPECT_TRUE(kelvtest::PixelNear(p, 24, 16, 0xF71820u, 1));
  EXPECT_TRUE(kelvtest::MatchesReference(kelvtest::Crop(p, 0, 0, 128, 32), Reference("renderer_fog.png")));
}

}  // namespace
