// The starting-grid screen's pictures of a round's course (the data set's
// DATA\UI\03C01Onn.ACT), drawn as the screen draws its objects: lit from the
// viewer, multiplied into a white background, seen by the front end's
// camera. Compared with a reference image in tests/references/
// (KELVARRO_UPDATE_REFERENCES=1 rewrites it).
#include <gtest/gtest.h>

#include <string>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/display.h"
#include "engine/geometry_pipeline.h"
#include "engine/object3d.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "tests/render_glide/picture_fixture.h"
#include "tests/support/picture.h"
#include "tools/course_set.h"

namespace {

class CoursePreviewPictureTest : public kelvtest::PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    savedCamera_ = g_Camera;
    savedLight_ = g_LightDirection;
  }
  void TearDown() override {
    g_Camera = savedCamera_;
    g_LightDirection = savedLight_;
    g_GeometryPipeline.objectMatrix = nullptr;
    PictureTest::TearDown();
  }

  Camera savedCamera_;
  Vector3 savedLight_;
};

bool Dark(unsigned rgb) { return (rgb >> 16 & 0xFF) < 90 && (rgb >> 8 & 0xFF) < 90 && (rgb & 0xFF) < 90; }
bool White(unsigned rgb) { return rgb == 0xFFFFFFu; }

TEST_F(CoursePreviewPictureTest, MapAndHeightsOfBrackensRound) {
  KELV_OPEN_PICTURE(OpenScreen());
  OpenUiArchive(kelvdata::CoursePreviewMembers());
  // Round 2 (index 1) is on Bracken.
  ASSERT_EQ(kelvdata::DataSetRoundCourse(1), kelvdata::COURSE_BRACKEN);
  Object3D map;
  Object3D heights;
  ASSERT_TRUE(map.LoadObject("DATA\\UI\\03C01O02.ACT", true));
  ASSERT_TRUE(heights.LoadObject("DATA\\UI\\03C01O14.ACT", true));

  g_Camera = Camera();
  g_Camera.position = Vector3(0.0f, 0.0f, -39.5f);
  g_Camera.SetFov(0.41887903f);
  g_Camera.LookAt(Vector3(0.0f, 0.0f, 0.0f));
  g_GeometryPipeline.SetupProjection();
  g_LightDirection = Vector3(0.0f, 0.0f, 1.0f);
  g_Renderer.clearRed = g_Renderer.clearGreen = g_Renderer.clearBlue = 1.0f;
  g_Renderer.ClearRect(0, 0, 639, 479, true);
  g_Renderer.SetSrcBlend(BLEND_ZERO);
  g_Renderer.SetDestBlend(BLEND_SRC_COLOUR);
  g_Renderer.SetZEnable(true);
  g_Renderer.SetZWriteEnable(true);
  ASSERT_TRUE(map.Draw());
  ASSERT_TRUE(heights.Draw());
  const platform::Picture p = Presented();

  // A unit at the origin's depth of 39.5 is 319.5 / (39.5 tan 0.41887903)
  // = 18.16 pixels. The heights' strip runs from x -14 to 14 (66 to 574)
  // with its foot at y -4.2 (316): ink just above the foot at both ends,
  // white below it. The tabletop's top, 1.6 m at sections 70 to 72, stands
  // 0.35 + 0.8 = 1.15 units high: ink 1 unit above the foot there (x =
  // -14 + 28 x 71 / 120 = 2.57, screen 366; y 298), white 1.4 units up (290)
  // and beside it at section 50 (flat ground, 0.35 units: x -2.33, screen 277).
  EXPECT_TRUE(Dark(kelvtest::PixelAt(p, 80, 312))) << std::hex << kelvtest::PixelAt(p, 80, 312);
  EXPECT_TRUE(Dark(kelvtest::PixelAt(p, 560, 312))) << std::hex << kelvtest::PixelAt(p, 560, 312);
  EXPECT_TRUE(White(kelvtest::PixelAt(p, 320, 322))) << std::hex << kelvtest::PixelAt(p, 320, 322);
  EXPECT_TRUE(Dark(kelvtest::PixelAt(p, 366, 298))) << std::hex << kelvtest::PixelAt(p, 366, 298);
  EXPECT_TRUE(White(kelvtest::PixelAt(p, 366, 290))) << std::hex << kelvtest::PixelAt(p, 366, 290);
  EXPECT_TRUE(White(kelvtest::PixelAt(p, 277, 298))) << std::hex << kelvtest::PixelAt(p, 277, 298);

  // The map fits 8 units of height around y 4.5, from 0.5 to 8.5 (87 to
  // 231): nothing above it.
  EXPECT_TRUE(White(kelvtest::PixelAt(p, 320, 15))) << std::hex << kelvtest::PixelAt(p, 320, 15);
  EXPECT_TRUE(kelvtest::MatchesReference(p, Reference("course_preview_bracken.png")));
}

}  // namespace
