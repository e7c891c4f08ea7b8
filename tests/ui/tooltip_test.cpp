#include "ui/tooltip.h"

#include <gtest/gtest.h>

#include "engine/renderer.h"

#include <string>

#include "engine/display.h"
#include "platform/glide/glide.h"
#include "tests/ui/widget_fixture.h"
#include "ui/button.h"

namespace {

class TooltipTest : public kelvtest::WidgetTest {
 protected:
  void TearDown() override {
    g_ScreenWidth = 640;
    g_ScreenHeight = 480;
    WidgetTest::TearDown();
  }
  // A button whose tooltip shows the texts `lines` of the database
  // {"zero", "One", "Two", 78 x "x"}.
  void LoadTooltip(const std::vector<std::uint32_t>& lines, Button* b) {
    kelvdata::ButtonFile f = kelvtest::SampleButton(100.0f, 200.0f, 80.0f, 40.0f);
    f.hasTooltip = 1;
    f.tooltipLines = lines;
    OpenWidgetArchives({{"B.BTN", kelvdata::BuildButton(f)}}, {"zero", "One", "Two", std::string(78, 'x')});
    ASSERT_TRUE(b->Load("DATA\\UI\\B.BTN"));
  }
  static void Owner(Tooltip* t, int left, int right, int top, int bottom) {
    t->ownerLeft = static_cast<std::uint16_t>(left);
    t->ownerRight = static_cast<std::uint16_t>(right);
    t->ownerTop = static_cast<std::uint16_t>(top);
    t->ownerBottom = static_cast<std::uint16_t>(bottom);
  }
};

TEST_F(TooltipTest, TheBoxIsTenPixelsLargerThanItsText) {
  Button one;
  LoadTooltip({1}, &one);
  // "One": three 8 x 12 glyphs.
  EXPECT_EQ(34, one.tooltip.width);
  EXPECT_EQ(22, one.tooltip.height);
  Button two;
  LoadTooltip({1, 2}, &two);
  EXPECT_EQ(34, two.tooltip.width);
  EXPECT_EQ(34, two.tooltip.height);
}

TEST_F(TooltipTest, PlacementByThePointerOrTheOwnerCentre) {
  const struct {
    const char* what;
    std::uint32_t screenW, screenH;
    bool mouse;
    int px, py;
    std::uint32_t line;  // text of the one line
    int owner[4];        // left, right, top, bottom
    int x, y;
  } cases[] = {
      // The 10-pixel margin wins over the pointer.
      {"pointer at (20, 20)", 640, 480, true, 20, 20, 1, {0, 100, 0, 100}, 10, 10},
      // The box ends at the pointer, above and left of it.
      {"pointer at the right edge", 640, 480, true, 639, 300, 1, {600, 639, 280, 320}, 639 - 34, 300 - 22},
      {"a box too wide for the margin", 640, 480, true, 300, 300, 3, {250, 350, 250, 350}, 640 - 634, 300 - 22},
      // (400, 300) is (320, 240) in the layout.
      {"800 x 600", 800, 600, true, 400, 300, 1, {300, 500, 250, 350}, 320 - 34, 240 - 22},
      // Above the owner, its right edge at the owner's centre.
      {"no mouse", 640, 480, false, 0, 0, 1, {100, 180, 200, 240}, 140 - 34, 200 - 22},
      {"pointer off the owner", 640, 480, true, 5, 5, 1, {100, 180, 200, 240}, 140 - 34, 200 - 22},
      {"no mouse, owner at the top left", 640, 480, false, 0, 0, 1, {0, 20, 0, 20}, 10, 10},
  };
  for (const auto& c : cases) {
    Button b;
    LoadTooltip({c.line}, &b);
    g_ScreenWidth = c.screenW;
    g_ScreenHeight = c.screenH;
    if (c.mouse) MouseAt(c.px, c.py);
    else NoMouse();
    Tooltip& t = b.tooltip;
    Owner(&t, c.owner[0], c.owner[1], c.owner[2], c.owner[3]);
    t.Show();
    EXPECT_TRUE(t.shown) << c.what;
    EXPECT_EQ(c.x, t.boxX) << c.what;
    EXPECT_EQ(c.y, t.boxY) << c.what;
    EXPECT_FLOAT_EQ(static_cast<float>(c.x), t.background.x) << c.what;
    g_ScreenWidth = 640;
    g_ScreenHeight = 480;
  }
}

TEST_F(TooltipTest, LinesByThePointerAreSpacedByTheBoxHeight) {
  Button b;
  LoadTooltip({1, 2}, &b);
  MouseAt(300, 300);
  Tooltip& t = b.tooltip;
  Owner(&t, 250, 350, 250, 350);
  t.Show();
  // step = (34 - 5 x 2 - 1) / 2 + 5 = 16; the box is at (266, 266).
  EXPECT_FLOAT_EQ(271.0f, t.lines[0].originX);
  EXPECT_FLOAT_EQ(271.0f, t.lines[0].originY);
  EXPECT_FLOAT_EQ(287.0f, t.lines[1].originY);
  // Kept as written: Layout places them 2 pixels above the box, 12 apart.
  t.Layout();
  EXPECT_FLOAT_EQ(264.0f, t.lines[0].originY);
  EXPECT_FLOAT_EQ(276.0f, t.lines[1].originY);
}

TEST_F(TooltipTest, TheBackgroundGrowsFromTheLowerRightCornerAndTheLinesComeAfter) {
  Button b;
  LoadTooltip({1, 2}, &b);
  Tooltip& t = b.tooltip;
  Owner(&t, 100, 180, 200, 240);
  t.Show();
  const int right = t.boxX + t.width;
  const int bottom = t.boxY + t.height;
  // The tenth step scales by 9/64 s / 0.3 s = 0.46875: 15 of 34 pixels.
  for (int i = 0; i < 10; ++i) t.Update(16, 1);
  EXPECT_FLOAT_EQ(15.0f, t.background.w);
  EXPECT_FLOAT_EQ(static_cast<float>(right - 15), t.background.x);
  EXPECT_FLOAT_EQ(static_cast<float>(bottom - 15), t.background.y);
  g_Renderer.ResetStatistics();
  ASSERT_TRUE(t.Draw());
  const std::uint32_t backgroundOnly = g_Renderer.statistics.trianglesDrawn;
  EXPECT_EQ(2u, backgroundOnly);
  // 0.3 s is passed on the 20th step.
  for (int i = 0; i < 10; ++i) t.Update(16, 1);
  EXPECT_FALSE(t.animating);
  EXPECT_FLOAT_EQ(static_cast<float>(t.boxX), t.background.x);
  EXPECT_FLOAT_EQ(34.0f, t.background.w);
  g_Renderer.ResetStatistics();
  ASSERT_TRUE(t.Draw());
  // Six characters of two triangles each join the background.
  EXPECT_EQ(backgroundOnly + 12, g_Renderer.statistics.trianglesDrawn);

  // Hiding shrinks it back into the same corner.
  t.Hide();
  for (int i = 0; i < 10; ++i) t.Update(16, 1);
  // 1 - 0.46875 of 34 pixels.
  EXPECT_FLOAT_EQ(18.0f, t.background.w);
  for (int i = 0; i < 10; ++i) t.Update(16, 1);
  g_Renderer.ResetStatistics();
  ASSERT_TRUE(t.Draw());
  EXPECT_EQ(0u, g_Renderer.statistics.trianglesDrawn);
}

TEST_F(TooltipTest, ATooltipWithoutLinesShowsNothing) {
  Button b;
  LoadTooltip({}, &b);
  MouseAt(120, 220);
  b.SetHighlight(1, 1);
  for (int i = 0; i < 100; ++i) b.Update(16, 1);
  EXPECT_FALSE(b.tooltip.shown);
  g_Renderer.ResetStatistics();
  ASSERT_TRUE(b.DrawTooltip());
  EXPECT_EQ(0u, g_Renderer.statistics.trianglesDrawn);
}

}  // namespace
