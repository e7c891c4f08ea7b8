// The synthetic course drawn on the virtual board's OpenGL backend
// (offscreen), compared with reference images in tests/references/: from
// above the start line and from a rider's height. KELVARRO_UPDATE_REFERENCES=1
// rewrites them. Frames after the load allocate nothing.
#include <gtest/gtest.h>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/display.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "tests/render_glide/picture_fixture.h"
#include "tests/support/picture.h"
#include "tests/world/allocation_counter.h"
#include "tools/track_course.h"
#include "world/track.h"

namespace {

class CoursePictureTest : public kelvtest::PictureTest {
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
    g_ShowSectionMarkers = 0;
    PictureTest::TearDown();
  }

  // The screen open (a failure without OpenGL), the course loaded, the sky
  // colour set and the texture size classes of a race.
  void OpenCourse(Track* track) {
    ASSERT_TRUE(OpenScreen()) << "no OpenGL window here";
    g_Renderer.AssignTextureSizeClasses(2);
    Put("DATA/TRACK.BBF", kelvdata::BuildBbf(kelvdata::CourseMembers()));
    ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    ASSERT_TRUE(track->Load(kelvdata::COURSE_TRACK));
    g_Renderer.clearRed = 0.4f;
    g_Renderer.clearGreen = 0.6f;
    g_Renderer.clearBlue = 0.9f;
  }

  static void Look(const Vector3& from, const Vector3& at) {
    g_Camera = Camera();
    g_Camera.position = from;
    g_Camera.LookAt(at);
    g_GeometryPipeline.SetupProjection();
  }

  static platform::Picture DrawFrame(Track* track) {
    g_Renderer.ClearRect(0, 0, 639, 479, true);
    track->Draw();
    track->DrawTyreMarks(true);
    return Presented();
  }

  Camera savedCamera_;
};

// The sky colour as the frame holds it: 0.4, 0.6, 0.9 of 255, truncated.
constexpr unsigned kSky = 0x6699E5u;

bool Brownish(unsigned rgb) {
  const unsigned r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
  return r > g && g > b && r > 60;
}

TEST_F(CoursePictureTest, FromAboveTheStartLine) {
  Track track;
  OpenCourse(&track);
  // Section 0 starts at (81, 0) running towards +z; the camera 60 m above
  // it looks straight down, so the screen's up is +x: the top rows lie more
  // than 108 m out, past the grass, and show the sky colour; the middle is
  // the dirt of the start line.
  float x = 0.0f, z = 0.0f;
  kelvdata::CoursePoint(0.0f, &x, &z);
  Look(Vector3(x, 60.0f, z), Vector3(x, 0.0f, z));
  track.SetVisibleWindow(-12, 12, 0);
  const platform::Picture p = DrawFrame(&track);
  EXPECT_TRUE(kelvtest::PixelNear(p, 320, 4, kSky, 2));
  EXPECT_TRUE(Brownish(kelvtest::PixelAt(p, 320, 240))) << std::hex << kelvtest::PixelAt(p, 320, 240);
  EXPECT_TRUE(kelvtest::MatchesReference(p, Reference("course_above_start.png")));
}

TEST_F(CoursePictureTest, FromARidersHeight) {
  Track track;
  OpenCourse(&track);
  // 1.2 m above the start line looking along the course: sky above the
  // horizon, dirt straight below the eye.
  float x = 0.0f, z = 0.0f, ax = 0.0f, az = 0.0f;
  kelvdata::CoursePoint(0.0f, &x, &z);
  kelvdata::CoursePoint(3.0f, &ax, &az);
  Look(Vector3(x, 1.2f, z), Vector3(ax, 0.9f, az));
  track.SetVisibleWindow(-2, 30, 0);
  const platform::Picture p = DrawFrame(&track);
  EXPECT_TRUE(kelvtest::PixelNear(p, 320, 10, kSky, 2));
  EXPECT_TRUE(Brownish(kelvtest::PixelAt(p, 320, 470))) << std::hex << kelvtest::PixelAt(p, 320, 470);
  EXPECT_TRUE(kelvtest::MatchesReference(p, Reference("course_rider_height.png")));
}

TEST_F(CoursePictureTest, FramesAllocateNothingAfterLoad) {
  Track track;
  OpenCourse(&track);
  float x = 0.0f, z = 0.0f;
  kelvdata::CoursePoint(0.0f, &x, &z);
  Look(Vector3(x, 3.0f, z - 10.0f), Vector3(x, 0.0f, z + 20.0f));
  g_FrameTime = 0.02f;
  g_ShowSectionMarkers = 1;
  auto frame = [&](int k) {
    track.listenerSection = static_cast<std::uint16_t>(k % 100);
    track.listenerSpeedLevel = 0.5f;
    track.SetVisibleWindow(static_cast<std::int16_t>(k - 3), static_cast<std::int16_t>(k + 12),
                           static_cast<std::uint16_t>(k % 100));
    track.Update(20, 2);
    g_Renderer.ClearRect(0, 0, 639, 479, true);
    track.Draw();
    TyreMarkInput in{};
    in.velocity = Vector3(0.0f, 0.0f, 8.0f);
    in.rearContact1 = Vector3(x + 0.5f, 0.0f, z + static_cast<float>(k) * 0.3f);
    in.rearContact2 = Vector3(x - 0.5f, 0.0f, z + static_cast<float>(k) * 0.3f);
    in.frontContact1 = in.rearContact1;
    in.frontContact2 = in.rearContact2;
    in.triangleHint = 6;
    in.useSections = 1;
    track.AddTyreMarks(in);
    track.DrawTyreMarks(k % 2 == 0);
    g_Renderer.Present();
  };
  for (int k = 0; k < 3; ++k) frame(k);
  kelvtest::StartCountingAllocations();
  for (int k = 3; k < 60; ++k) frame(k);
  EXPECT_EQ(kelvtest::StopCountingAllocations(), 0);
}

}  // namespace
