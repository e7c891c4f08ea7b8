// A UI scene's 3D object drawn through its whole frame step (clear, draw,
// present) on the virtual board's OpenGL backend (offscreen): the object is
// seen through the scene's own camera whatever projection the previous scene
// left behind, and an object that moves away from the camera between frames
// is still drawn (each frame starts with a cleared depth buffer).
#include <gtest/gtest.h>

#include <memory>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/cursor.h"
#include "engine/geometry_pipeline.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "frontend/front_end_install.h"
#include "frontend/game_controller.h"
#include "frontend/ui_scene.h"
#include "platform/glide/glide.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/timer.h"
#include "tests/render_glide/picture_fixture.h"
#include "tests/support/picture.h"
#include "tools/object_files.h"
#include "tools/object_samples.h"
#include "tools/scene_files.h"
#include "tools/tex.h"

namespace {

// The background's grey (64, 64, 64) as the 16-bit frame buffer keeps it.
constexpr unsigned kBackground = 0x424142u;

class UiSceneObjectsPictureTest : public kelvtest::PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    savedCamera_ = g_Camera;
    InstallFrontEnd();
    GetProgramObject(PROGRAM_OBJECT_GAME_CONTROLLER).construct();
    GetProgramObject(PROGRAM_OBJECT_CURSOR).construct();
    g_Cursor.mousePresent = 0;
  }
  void TearDown() override {
    g_GameController.ClearUiScene();
    scene_.reset();
    g_SceneNumber = 0;
    g_Camera = savedCamera_;
    g_GeometryPipeline.SetupProjection();
    platform::UseRealTime();
    PictureTest::TearDown();
  }

  // The options screen's number (no dialogs, the camera 39.5 in front of
  // the origin) with a grey background and one object: a box of half size 3
  // about the origin, its face towards the camera white (a white texture).
  void LoadScene() {
    kelvdata::PlainObjectFile box;
    box.texture = "DATA\\UI\\WHITE.TEX";
    box.meshes = {kelvdata::SampleBox(3.0f, 0.0f, 0.0f, 0.0f, true)};
    kelvdata::Bytes grey(4 * 4 * 3, 64);
    OpenUiArchive({{"BOX.ACT", kelvdata::BuildPlainObjectFile(box)},
                   {"WHITE.TEX", kelvdata::BuildTex(16, 16, [](int, int) { return kelvdata::Rgb{255, 255, 255}; })},
                   {"P.PIC", kelvdata::BuildBackground(4, 4, grey)},
                   {"NONE.FLT", kelvdata::BuildFlt({})}});
    kelvdata::SceneFile s;
    s.background = "DATA\\UI\\P.PIC";
    kelvdata::SceneObjectEntry object;
    object.path = "DATA\\UI\\BOX.ACT";
    s.objects = {object};
    s.focusList = "DATA\\UI\\NONE.FLT";
    Put("DATA/UI/S.SCN", kelvdata::BuildScene(s));

    g_SceneNumber = 6;
    scene_ = std::make_unique<UiScene>();
    g_GameController.SetUiScene(scene_.get());
    const bool loaded = scene_->Load("DATA\\UI\\S.SCN");
    for (auto& b : platform::RecordedMessageBoxes()) ADD_FAILURE() << b.text;
    ASSERT_TRUE(loaded);
  }

  // One whole frame step, as the main loop runs it, and the shown frame.
  platform::Picture Frame() {
    platform::AdvanceTime(20);
    EXPECT_TRUE(scene_->RunFrame());
    platform::Picture p;
    EXPECT_TRUE(platform::GlideReadFrame(GR_BUFFER_FRONTBUFFER, false, &p));
    return p;
  }

  std::unique_ptr<UiScene> scene_;
  Camera savedCamera_;
};

TEST_F(UiSceneObjectsPictureTest, ObjectsAreSeenThroughTheScenesCameraAndNeverEatenByAnEarlierFrame) {
  KELV_OPEN_PICTURE(OpenScreen());
  platform::UseTestTime(5000);
  // A race ended with its own camera: a wide view from inside the box.
  g_Camera = Camera();
  g_Camera.SetFov(0.6981317f);
  g_Camera.LookAt(Vector3(0.0f, 0.0f, 10.0f));
  g_GeometryPipeline.SetupProjection();
  LoadScene();
  // The restore pass, the start, the fade-in and a few frames after it.
  for (int i = 0; i < 20; ++i) Frame();
  ASSERT_EQ(UI_SCENE_RUNNING, scene_->GetState());
  const platform::Picture near = Frame();

  // The screen's centre (319.5, 239.5) and a half width of 319.5 pixels:
  // the white face 36.5 in front of the camera spans 3 x (1 / tan 0.41887903)
  // x 319.5 / 36.5 = 59.0 pixels each way, 260.5 to 378.5 across.
  EXPECT_TRUE(kelvtest::PixelNear(near, 320, 240, 0xFFFFFFu, 2));
  EXPECT_TRUE(kelvtest::PixelNear(near, 265, 240, 0xFFFFFFu, 2));
  EXPECT_TRUE(kelvtest::PixelNear(near, 256, 240, kBackground, 2));
  EXPECT_TRUE(kelvtest::PixelNear(near, 320, 185, 0xFFFFFFu, 2));
  EXPECT_TRUE(kelvtest::PixelNear(near, 320, 176, kBackground, 2));

  // The camera backs away to 60: the face, 57 away, now lies behind where
  // the previous frame's face was, and spans 3 x 2.24604 x 319.5 / 57 =
  // 37.8 pixels each way.
  g_Camera.position = Vector3(0.0f, 0.0f, -60.0f);
  g_Camera.LookAt(Vector3(0.0f, 0.0f, 0.0f));
  Frame();
  const platform::Picture far = Frame();
  EXPECT_TRUE(kelvtest::PixelNear(far, 320, 240, 0xFFFFFFu, 2));
  EXPECT_TRUE(kelvtest::PixelNear(far, 284, 240, 0xFFFFFFu, 2));
  EXPECT_TRUE(kelvtest::PixelNear(far, 278, 240, kBackground, 2));
}

}  // namespace
