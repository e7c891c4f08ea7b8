// The widgets drawn through the Glide renderer on the virtual board's OpenGL
// backend (offscreen), compared with reference images in tests/references/:
// texts in two rasterised fonts with one half faded, a panel anchored to
// each corner, and the backdrop for two camera headings.
// KELVARRO_UPDATE_REFERENCES=1 rewrites them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/camera.h"
#include "engine/display.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/texture_manager.h"
#include "tests/render_glide/picture_fixture.h"
#include "tests/support/picture.h"
#include "tools/tex.h"
#include "tools/ui_files.h"
#include "tools/ui_samples.h"
#include "ui/backdrop.h"
#include "ui/font.h"
#include "ui/panel.h"
#include "ui/static_text.h"
#include "engine/archive.h"
#include "engine/cursor.h"
#include "engine/program_objects.h"
#include "engine/scene/scene.h"
#include "engine/text_database.h"
#include "platform/win32/timer.h"
#include "tools/dataset.h"
#include "ui/dialog.h"

namespace {

using kelvdata::Rgb;

// A picture of every `step`-th pixel of each row and column.
platform::Picture Downsample(const platform::Picture& p, int step) {
  platform::Picture out;
  out.width = p.width / step;
  out.height = p.height / step;
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const auto at = p.rgb.begin() + (static_cast<std::ptrdiff_t>(y * step) * p.width + x * step) * 3;
      out.rgb.insert(out.rgb.end(), at, at + 3);
    }
  }
  return out;
}

// The four corners of a picture, each w x h, side by side in a 2w x 2h one.
platform::Picture Corners(const platform::Picture& p, int w, int h) {
  platform::Picture out;
  out.width = 2 * w;
  out.height = 2 * h;
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const int sx = x < w ? x : p.width - 2 * w + x;
      const int sy = y < h ? y : p.height - 2 * h + y;
      const auto at = p.rgb.begin() + (static_cast<std::ptrdiff_t>(sy) * p.width + sx) * 3;
      out.rgb.insert(out.rgb.end(), at, at + 3);
    }
  }
  return out;
}

// Each channel within `tolerance` of 0xRRGGBB.
::testing::AssertionResult Near(unsigned expected, unsigned actual, int tolerance) {
  for (int shift : {16, 8, 0}) {
    const int e = static_cast<int>((expected >> shift) & 0xFF);
    const int a = static_cast<int>((actual >> shift) & 0xFF);
    if (std::abs(e - a) > tolerance) {
      return ::testing::AssertionFailure() << std::hex << "expected 0x" << expected << ", got 0x" << actual;
    }
  }
  return ::testing::AssertionSuccess();
}

class WidgetPictureTest : public kelvtest::PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    savedCamera_ = g_Camera;
    // Pictures need the OpenGL board: no skipping.
    ASSERT_TRUE(OpenScreen()) << "no OpenGL window here: the picture tests need one";
    g_Renderer.SetZEnable(false);
  }
  void TearDown() override {
    g_Fonts = nullptr;
    g_FontCount = 0;
    g_Camera = savedCamera_;
    PictureTest::TearDown();
  }
  static void Clear(float r, float g, float b) {
    g_Renderer.clearRed = r;
    g_Renderer.clearGreen = g;
    g_Renderer.clearBlue = b;
    g_Renderer.ClearRect(0, 0, 640, 480, true);
  }

  Camera savedCamera_;
};

TEST_F(WidgetPictureTest, TextsInTwoFontsWithOneHalfFaded) {
  kelvdata::RasterFont sans;
  kelvdata::RasterFont bold;
  std::string error;
  ASSERT_TRUE(kelvdata::RasteriseFont("DejaVuSans", 16, &sans, &error)) << error;
  ASSERT_TRUE(kelvdata::RasteriseFont("DejaVuSans-Bold", 24, &bold, &error)) << error;
  // A third font whose "#" is a solid 16 x 16 block, for a pixel worked out by hand.
  kelvdata::FontFile block;
  block.glyphs[static_cast<int>('#')] = {0.0f, 0.0f, 0.0625f, 0.0625f};
  block.texture = "DATA\\UI\\_BLOCK.TEX";
  OpenUiArchive({{"FONT1.FNT", kelvdata::FontFileFor(sans, "DATA\\UI\\_FONTS1.TEX")},
                 {"_FONTS1.TEX", sans.tex},
                 {"FONT2.FNT", kelvdata::FontFileFor(bold, "DATA\\UI\\_FONTS2.TEX")},
                 {"_FONTS2.TEX", bold.tex},
                 {"FONT3.FNT", kelvdata::BuildFnt(block)},
                 {"_BLOCK.TEX", kelvdata::BuildTex(8, 8, [](int, int) { return Rgb{255, 255, 255}; })}});
  g_ColourKey = {0, 0, 0};
  Font fonts[3];
  ASSERT_TRUE(fonts[0].Load("DATA\\UI\\FONT1.FNT"));
  ASSERT_TRUE(fonts[1].Load("DATA\\UI\\FONT2.FNT"));
  ASSERT_TRUE(fonts[2].Load("DATA\\UI\\FONT3.FNT"));
  g_Fonts = fonts;
  g_FontCount = 3;

  StaticText title, single, championship, options, blocks;
  title.SetFont(1);
  title.SetPosition(8.0f, 6.0f, 0.0f);
  title.colourR = 1.0f, title.colourG = 0.8f, title.colourB = 0.2f;
  ASSERT_TRUE(title.SetText("Kelvarro"));
  single.SetFont(0);
  single.SetPosition(8.0f, 44.0f, 0.0f);
  ASSERT_TRUE(single.SetText("Single race"));
  championship.SetFont(0);
  championship.SetPosition(8.0f, 70.0f, 0.0f);
  ASSERT_TRUE(championship.SetText("Championship"));
  championship.SetColour(0.3f, 1.0f, 0.3f, 0, 5);
  options.SetFont(1);
  options.SetPosition(8.0f, 100.0f, 0.0f);
  ASSERT_TRUE(options.SetText("Options"));
  options.SetAlpha(0.0f);
  options.StartFade(1.0f, 500, nullptr);
  options.Update(250, 0);
  blocks.SetFont(2);
  blocks.SetPosition(160.0f, 100.0f, 0.0f);
  blocks.colourR = 1.0f, blocks.colourG = 0.5f, blocks.colourB = 0.0f;
  ASSERT_TRUE(blocks.SetText("##"));
  blocks.StartFade(0.0f, 400, nullptr);
  blocks.Update(200, 0);

  Clear(0.1f, 0.15f, 0.3f);
  for (StaticText* t : {&title, &single, &championship, &options, &blocks}) ASSERT_TRUE(t->Draw());
  const platform::Picture p = Presented();
  // Half way from 1 to 0: 1 x 0.5 x 255 = 127 red, 0.5 x 0.5 x 255 = 63 green.
  EXPECT_TRUE(Near(0x7F3F00u, kelvtest::PixelAt(p, 168, 108), 2));
  EXPECT_TRUE(Near(0x7F3F00u, kelvtest::PixelAt(p, 190, 114), 2));
  EXPECT_TRUE(kelvtest::MatchesReference(kelvtest::Crop(p, 0, 0, 224, 136), Reference("ui_texts.png")));
  for (Font& f : fonts) f.FreeTexture();
}

TEST_F(WidgetPictureTest, APanelAnchoredToEachCorner) {
  const struct {
    std::uint8_t yFromTop, xFromLeft;
    const char* texture;
    float r, g, b;
  } panels[] = {{1, 1, "NULL", 1.0f, 0.0f, 0.0f},
                {1, 0, "DATA\\UI\\GREEN.TEX", 1.0f, 1.0f, 1.0f},
                {0, 1, "DATA\\UI\\RAMP.TEX", 1.0f, 1.0f, 1.0f},
                {0, 0, "DATA\\UI\\GREEN.TEX", 0.5f, 0.5f, 0.5f}};
  std::vector<kelvdata::BbfMember> members = {
      {"GREEN.TEX", kelvdata::BuildTex(16, 16, [](int, int) { return Rgb{0, 255, 0}; })},
      {"RAMP.TEX", kelvdata::BuildTex(32, 32, [](int x, int y) {
         return Rgb{static_cast<std::uint8_t>(x * 8), static_cast<std::uint8_t>(y * 8), 200};
       })}};
  for (int i = 0; i < 4; ++i) {
    kelvdata::PanelFile f;
    f.yFromTop = panels[i].yFromTop;
    f.xFromLeft = panels[i].xFromLeft;
    f.texture = panels[i].texture;
    f.position[0] = 8.0f;
    f.position[1] = 8.0f;
    f.size[0] = 48.0f;
    f.size[1] = 32.0f;
    f.colour[0] = panels[i].r;
    f.colour[1] = panels[i].g;
    f.colour[2] = panels[i].b;
    members.push_back({"P" + std::to_string(i) + ".OSP", kelvdata::BuildOsp(f)});
  }
  OpenUiArchive(members);
  Panel p[4];
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(p[i].Load(("DATA\\UI\\P" + std::to_string(i) + ".OSP").c_str()));
  Clear(0.2f, 0.2f, 0.2f);
  for (Panel& panel : p) ASSERT_TRUE(panel.Draw());
  const platform::Picture shot = Presented();
  // Top left: 8..56 x 8..40, vertex colour only.
  EXPECT_EQ(0xFF0000u, kelvtest::PixelAt(shot, 30, 20));
  EXPECT_EQ(0x333333u, kelvtest::PixelAt(shot, 57, 20));
  // Bottom right: 640 - 8 - 48 = 584..632, 480 - 8 - 32 = 440..472; green at half colour.
  EXPECT_TRUE(Near(0x007F00u, kelvtest::PixelAt(shot, 600, 450), 2));
  EXPECT_EQ(0x333333u, kelvtest::PixelAt(shot, 600, 473));
  EXPECT_TRUE(kelvtest::MatchesReference(Corners(shot, 64, 48), Reference("ui_panels.png")));
}

TEST_F(WidgetPictureTest, TheBackdropForTwoHeadings) {
  kelvdata::BackdropFile f;
  f.texture = "DATA\\UI\\HORIZON.TEX";
  OpenUiArchive({{"HORIZON.TEX", kelvdata::HorizonTex()}, {"H.BKD", kelvdata::BuildBackdrop(f)}});
  g_ViewRect = {0.0f, 640.0f, 0.0f, 480.0f};
  g_ViewWidth = 640.0f;
  g_ViewHeight = 480.0f;
  Backdrop b;
  ASSERT_TRUE(b.Load("DATA\\UI\\H.BKD"));
  g_Camera = Camera();
  g_Camera.SetFov(0.785398163f);
  g_Camera.position = Vector3(0.0f, 2.0f, 0.0f);
  const float headings[2] = {0.0f, 0.3f};
  const char* references[2] = {"ui_backdrop_heading0.png", "ui_backdrop_heading03.png"};
  for (int i = 0; i < 2; ++i) {
    g_Camera.LookAt(Vector3(std::sin(headings[i]) * 10.0f, 2.0f, std::cos(headings[i]) * 10.0f));
    Clear(0.0f, 0.0f, 0.0f);
    b.Update(0, 0);
    ASSERT_TRUE(b.Draw());
    const platform::Picture shot = Presented();
    // Below the band (it ends at 240 + 1502 x 320 / 10000 = 288): the ground
    // clear, (120, 95, 60) as the board keeps it in 5 bits per channel.
    EXPECT_TRUE(Near(0x7B5A39u, kelvtest::PixelAt(shot, 320, 470), 4));
    // Above the band (144): the sky row stretched over the sky quad.
    EXPECT_TRUE(Near(0x6BA5EFu, kelvtest::PixelAt(shot, 320, 20), 6));
    EXPECT_TRUE(kelvtest::MatchesReference(Downsample(shot, 4), Reference(references[i])));
  }
}

TEST_F(WidgetPictureTest, TheSyntheticDialogWithTheFocusOnAButtonAndItsTooltip) {
  ASSERT_TRUE(kelvdata::WriteDataSet(root_.string()));
  g_UiArchive.Close();
  g_TrackArchive.Close();
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(g_TextDatabase.Load("DATA\\UI\\GAMETXT0.TDB"));
  g_ColourKey = {0, 0, 0};
  Font fonts[5];
  const char* paths[5] = {"DATA\\UI\\FONT1.FNT", "DATA\\UI\\FONT2.FNT", "DATA\\UI\\FONT3.FNT",
                          "DATA\\UI\\FONT4.FNT", "DATA\\UI\\FONT7.FNT"};
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(fonts[i].Load(paths[i])) << paths[i];
  g_Fonts = fonts;
  g_FontCount = 5;
  GetProgramObject(PROGRAM_OBJECT_CURSOR).construct();
  g_Cursor.mousePresent = 0;
  g_Camera = Camera();
  g_Camera.position = Vector3(0.0f, 2.0f, -10.0f);
  g_Camera.LookAt(Vector3(0.0f, 0.0f, 0.0f));
  g_GeometryPipeline.SetupProjection();
  platform::UseTestTime(5000);
  g_FrameTime = 1.0f / 64.0f;

  Dialog d;
  ASSERT_TRUE(d.Load("DATA\\UI\\DIALOG01.DLG"));
  d.mode = 1;
  d.active = 1;
  // 1.1 s: the tooltip has waited 0.8 s and grown for 0.3 s.
  for (int frame = 0; frame < 72; ++frame) {
    Clear(0.1f, 0.1f, 0.15f);
    ASSERT_TRUE(d.Update());
    for (std::uint16_t i = 0; i < d.buttons.count; ++i) ASSERT_TRUE(d.buttons[i].DrawTooltip());
    if (frame < 71) g_Renderer.Present();
    platform::AdvanceTime(16);
  }
  platform::UseRealTime();
  ASSERT_EQ(WIDGET_BUTTON, d.focusKind);
  ASSERT_EQ(Button::HIGHLIGHTED, d.buttons[0].state);
  ASSERT_TRUE(d.buttons[0].tooltip.shown);
  ASSERT_FALSE(d.buttons[0].tooltip.animating);
  const platform::Picture shot = Presented();
  // The focused button, designed at (40, 250) in a box centred at (100, 80),
  // shows its highlighted texture (90, 150, 240) left of its caption, within
  // the 16-bit frame buffer's steps (8 for red and blue).
  EXPECT_TRUE(Near(0x5A96F0u, kelvtest::PixelAt(shot, 145, 366), 8));
  // The dialog box at (100, 80), 440 x 320, with the tooltip above its button.
  EXPECT_TRUE(kelvtest::MatchesReference(Downsample(kelvtest::Crop(shot, 100, 80, 440, 320), 2),
                                         Reference("ui_dialog.png")));
  for (Font& f : fonts) f.FreeTexture();
}

}  // namespace
