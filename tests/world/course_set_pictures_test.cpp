// The data set's second course drawn on the virtual board's OpenGL backend
// (offscreen): from above its start line, which is wide enough for the
// grid, and further on, where the course narrows. The start is compared with
// a reference image in tests/references/ (KELVARRO_UPDATE_REFERENCES=1
// rewrites it).
#include <gtest/gtest.h>

#include <cmath>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/display.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "tests/render_glide/picture_fixture.h"
#include "tests/support/picture.h"
#include "tools/course_set.h"
#include "world/track.h"

namespace {

class CourseSetPictureTest : public kelvtest::PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    savedCamera_ = g_Camera;
    g_RenderBuild = RENDER_BUILD_GLIDE;
    g_ShowSectionMarkers = 0;
  }
  void TearDown() override {
    g_TrackArchive.Close();
    g_Camera = savedCamera_;
    g_GeometryPipeline.objectMatrix = nullptr;
    PictureTest::TearDown();
  }

  void OpenBracken(Track* track) {
    ASSERT_TRUE(OpenScreen()) << "no OpenGL window here";
    g_Renderer.AssignTextureSizeClasses(2);
    std::vector<kelvdata::BbfMember> members = kelvdata::CourseMembers();
    for (kelvdata::BbfMember& m : kelvdata::ExtraCourseMembers()) members.push_back(std::move(m));
    Put("DATA/TRACK.BBF", kelvdata::BuildBbf(members));
    ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    ASSERT_TRUE(track->Load(kelvdata::DataSetCourseOf(kelvdata::COURSE_BRACKEN).track));
    g_Renderer.clearRed = 0.4f;
    g_Renderer.clearGreen = 0.6f;
    g_Renderer.clearBlue = 0.9f;
  }

  // 20 m above the centre line at section `s`, looking straight down with
  // the course running up the screen.
  static platform::Picture DrawFromAbove(Track* track, float s) {
    float x = 0.0f, z = 0.0f, ax = 0.0f, az = 0.0f;
    kelvdata::BrackenPoint(s, &x, &z);
    kelvdata::BrackenPoint(s + 0.01f, &ax, &az);
    const float y = kelvdata::BrackenHeight(s);
    g_Camera = Camera();
    g_Camera.position = Vector3(x - (ax - x), y + 20.0f, z - (az - z));
    g_Camera.LookAt(Vector3(x, y, z));
    g_GeometryPipeline.SetupProjection();
    const auto section = static_cast<std::int16_t>(s);
    track->SetVisibleWindow(static_cast<std::int16_t>(section - 6), static_cast<std::int16_t>(section + 6), 0);
    g_Renderer.ClearRect(0, 0, 639, 479, true);
    track->Draw();
    return Presented();
  }

  Camera savedCamera_;
};

bool Earth(unsigned rgb) {
  const unsigned r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
  return r > g && g > b && r > 40;
}

bool Grass(unsigned rgb) {
  const unsigned r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF;
  return g > r + 20;
}

// The projection's scale is 1 / tan(0.6981317) = 1.1918 times the half width
// of 319.5 pixels, so at 20 m below the eye a pixel covers
// 20 / (1.1918 x 319.5) = 0.0525 m across: 180 pixels from the middle lie
// 9.45 m out, 240 pixels 12.6 m, 316 pixels 16.6 m.
TEST_F(CourseSetPictureTest, TheStartIsWideEnoughForTheGridAndTheCourseNarrowsAfterIt) {
  Track track;
  OpenBracken(&track);
  const platform::Picture start = DrawFromAbove(&track, 0.0f);
  // The start line is 12.5 m either side, its banks 3 m more: earth at
  // 9.45 m on both sides, grass at 16.6 m.
  for (int x : {140, 500}) EXPECT_TRUE(Earth(kelvtest::PixelAt(start, x, 240))) << std::hex << kelvtest::PixelAt(start, x, 240);
  for (int x : {4, 635}) EXPECT_TRUE(Grass(kelvtest::PixelAt(start, x, 240))) << std::hex << kelvtest::PixelAt(start, x, 240);
  EXPECT_TRUE(kelvtest::MatchesReference(start, Reference("course_bracken_start.png")));

  // Fifteen sections on the course is 6.5 m either side with its banks to
  // 9.5 m: grass at 12.6 m.
  const platform::Picture narrow = DrawFromAbove(&track, 15.0f);
  EXPECT_TRUE(Earth(kelvtest::PixelAt(narrow, 320, 240))) << std::hex << kelvtest::PixelAt(narrow, 320, 240);
  for (int x : {80, 560}) EXPECT_TRUE(Grass(kelvtest::PixelAt(narrow, x, 240))) << std::hex << kelvtest::PixelAt(narrow, x, 240);
}

}  // namespace
