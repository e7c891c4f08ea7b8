// 3D objects drawn through the geometry pipeline and the Glide renderer on
// the virtual board's OpenGL backend (offscreen), compared with reference
// images in tests/references/: a lit, textured box cut by the edges of a 3D
// view smaller than the screen, and an animated object at two times.
// KELVARRO_UPDATE_REFERENCES=1 rewrites them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/display.h"
#include "engine/geometry_pipeline.h"
#include "engine/object3d.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "platform/glide/glide.h"
#include "platform/win32/window.h"
#include "tests/render_glide/picture_fixture.h"
#include "tests/support/picture.h"
#include "tools/bbf.h"
#include "tools/object_files.h"
#include "tools/object_samples.h"

namespace {

class ObjectPictureTest : public kelvtest::PictureTest {
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

  // The renderer at 640 x 480 with a new scene's states; the 3D view is the
  // rectangle (40, 30)-(280, 210) and the camera looks at the origin from
  // above and to the left. False where there is no OpenGL.
  bool Open() {
    if (!OpenScreen()) return false;
    g_ViewRect = {40.0f, 280.0f, 30.0f, 210.0f};
    g_ViewWidth = 240.0f;
    g_ViewHeight = 180.0f;
    g_Camera = Camera();
    g_Camera.position = Vector3(-2.5f, 2.0f, -4.5f);
    g_Camera.LookAt(Vector3(0.0f, 0.0f, 0.0f));
    g_GeometryPipeline.SetupProjection();
    g_LightDirection = Vector3(0.8f, -0.2f, 0.565685f);
    return true;
  }

  // A dark grey screen with the 3D view a lighter grey.
  static void ClearFrame() {
    g_Renderer.clearRed = g_Renderer.clearGreen = g_Renderer.clearBlue = 0.1f;
    g_Renderer.ClearRect(0, 0, 639, 479, true);
    g_Renderer.clearRed = g_Renderer.clearGreen = g_Renderer.clearBlue = 0.3f;
    g_Renderer.ClearRect(40, 30, 280, 210, true);
  }

  // The view and a margin around it, as presented.
  static platform::Picture Presented() { return kelvtest::Crop(PictureTest::Presented(), 32, 22, 256, 196); }

  Camera savedCamera_;
  Vector3 savedLight_;
};

TEST_F(ObjectPictureTest, LitTexturedBoxCutByTheView) {
  KELV_OPEN_PICTURE(Open());
  // A checker-textured box whose left part lies beyond the view's left edge.
  kelvdata::PlainObjectFile f;
  f.texture = "DATA\\UI\\CHECKER.TEX";
  f.meshes = {kelvdata::SampleBox(1.2f, -2.6f, 0.0f, 0.0f, true)};
  OpenUiArchive({{"BOX.ACT", kelvdata::BuildPlainObjectFile(f)}, {"CHECKER.TEX", kelvdata::SampleCheckerTexture()}});
  Object3D o;
  ASSERT_TRUE(o.LoadObject("DATA\\UI\\BOX.ACT", true));

  ClearFrame();
  ASSERT_TRUE(o.Draw());
  platform::Picture p = Presented();
  // Nothing is drawn left of the view: the cut runs down its edge.
  for (int y = 20; y < 180; y += 20) EXPECT_EQ(0x191919u, kelvtest::PixelAt(p, 7, y)) << y;
  EXPECT_NE(0x4C4C4Cu, kelvtest::PixelAt(p, 8, 90));
  EXPECT_TRUE(kelvtest::MatchesReference(p, Reference("object_lit_clipped.png")));
}

TEST_F(ObjectPictureTest, AnimatedObjectAtTwoTimes) {
  KELV_OPEN_PICTURE(Open());
  // The data set's spinning object: a box turned about y by its mesh
  // animation, a plane behind it whose texture scrolls.
  OpenUiArchive(kelvdata::DataSetObjectMembers());
  Object3D o;
  ASSERT_TRUE(o.Load("DATA\\UI\\SPIN.ACT"));
  ASSERT_TRUE(o.HasMeshAnimation());
  ASSERT_TRUE(o.HasUvAnimation());

  o.Update(0, 1);
  ClearFrame();
  o.Draw();
  platform::Picture first = Presented();

  o.Update(250, 1);  // a quarter turn, the texture scrolled by a quarter
  ClearFrame();
  o.Draw();
  platform::Picture later = Presented();

  EXPECT_FALSE(kelvtest::SamePicture(first, later, 8));
  // The camera looks at the box's centre, so the view's centre (160, 120)
  // shows the box at both times (a cube turned by a quarter covers it still);
  // a corner of the view shows its clear colour, 0.3 x 255 truncated.
  for (const platform::Picture* p : {&first, &later}) {
    const unsigned centre = kelvtest::PixelAt(*p, 160 - 32, 120 - 22);
    EXPECT_NE(0x4C4C4Cu, centre);
    EXPECT_NE(0x191919u, centre);
    EXPECT_EQ(0x4C4C4Cu, kelvtest::PixelAt(*p, 44 - 32, 34 - 22));
    EXPECT_EQ(0x191919u, kelvtest::PixelAt(*p, 4, 4));
  }
  EXPECT_TRUE(kelvtest::MatchesReference(first, Reference("object_animated_0ms.png")));
  EXPECT_TRUE(kelvtest::MatchesReference(later, Reference("object_animated_250ms.png")));
}

}  // namespace
