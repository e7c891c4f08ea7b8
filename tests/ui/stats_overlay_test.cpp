// The scene's statistics overlay draws its two lines as static texts once
// the UI toolkit is installed.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/services/ui.h"
#include "tests/ui/ui_fixture.h"
#include "ui/ui_install.h"

namespace {

class StatsScene : public Scene {
 public:
  bool Load(const char*) override { return true; }
};

class StatsOverlayTest : public kelvtest::UiTest {
 protected:
  void TearDown() override {
    InstallUiServices(nullptr);
    UiTest::TearDown();
  }
  // One drawn triangle, collected and shown.
  static void CollectAndDraw(Scene* scene) {
    g_GeometryPipeline.trianglesReceived = 0;
    g_GeometryPipeline.positionsTransformed = 0;
    g_Renderer.ResetStatistics();
    ScreenVertex v[3] = {};
    for (ScreenVertex& c : v) c.q = 1.0f;
    g_Renderer.DrawTriangles(3, v);
    scene->CollectStats();
    platform::ClearGlideRecords();
    scene->DrawStats();
  }
};

TEST_F(StatsOverlayTest, TheTwoLinesDrawAtTheTopAndBottomInGreen) {
  UseFonts(1);
  InstallUi();
  StatsScene scene;
  ASSERT_TRUE(scene.Start("NONE"));
  CollectAndDraw(&scene);
  ASSERT_STREQ("000001 TOUT ", scene.StatsLine(0));
  ASSERT_STREQ("640X480X16  RGB", scene.StatsLine(1));
  const auto& draws = platform::RecordedGlideDraws();
  // The two lines, then the renderer's fade step.
  ASSERT_EQ(3u, draws.size());
  EXPECT_EQ(6u * 12u, draws[0].vertices.size());
  EXPECT_EQ(6u * 15u, draws[1].vertices.size());
  // Line 1: x 320 - 5 x 12, 1 pixel from the top; line 2 1 pixel from the
  // bottom, 12 pixels high.
  EXPECT_FLOAT_EQ(260.0f, draws[0].vertices[0].x);
  EXPECT_FLOAT_EQ(1.0f, draws[0].vertices[0].y);
  EXPECT_FLOAT_EQ(320.0f - 75.0f, draws[1].vertices[0].x);
  EXPECT_FLOAT_EQ(480.0f - 1.0f - kelvtest::kGlyphHeight, draws[1].vertices[0].y);
  EXPECT_EQ(0xFF00FF7Fu, draws[0].vertices[0].argb);
}

TEST_F(StatsOverlayTest, WithoutTheToolkitTheLinesAreOnlyBuilt) {
  UseFonts(1);
  StatsScene scene;
  ASSERT_TRUE(scene.Start("NONE"));
  CollectAndDraw(&scene);
  EXPECT_STREQ("640X480X16  RGB", scene.StatsLine(1));
  // Only the renderer's fade step.
  EXPECT_EQ(1u, platform::RecordedGlideDraws().size());
}

}  // namespace
