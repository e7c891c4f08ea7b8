// The synthetic data set's main menu in Russian (language 7), drawn through
// the Glide renderer on the virtual board's OpenGL backend (offscreen): the
// scene reads GAMETXT7.TDB and the Cyrillic fonts FONTnC.FNT, and its
// captions show Cyrillic letters. Compared with tests/references/
// ui_menu_russian.png; KELVARRO_UPDATE_REFERENCES=1 rewrites it.
#include <gtest/gtest.h>

#include <memory>

#include "engine/app.h"
#include "engine/archive.h"
#include "engine/cursor.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/text_database.h"
#include "frontend/front_end_install.h"
#include "frontend/game_controller.h"
#include "frontend/ui_scene.h"
#include "platform/win32/timer.h"
#include "tests/render_glide/picture_fixture.h"
#include "tests/support/picture.h"
#include "tools/dataset.h"
#include "ui/font.h"

namespace {

class RussianMenuPictureTest : public kelvtest::PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    savedLanguage_ = g_Language;
    InstallFrontEnd();
    GetProgramObject(PROGRAM_OBJECT_GAME_CONTROLLER).construct();
    GetProgramObject(PROGRAM_OBJECT_CURSOR).construct();
    g_Cursor.mousePresent = 0;
  }
  void TearDown() override {
    g_GameController.ClearUiScene();
    scene_.reset();
    g_TextDatabase.Release();
    g_TrackArchive.Close();
    g_SceneNumber = 0;
    g_Language = savedLanguage_;
    platform::UseRealTime();
    PictureTest::TearDown();
  }

  std::unique_ptr<UiScene> scene_;
  std::uint32_t savedLanguage_ = 0;
};

TEST_F(RussianMenuPictureTest, TheMainMenuShowsCyrillicCaptions) {
  KELV_OPEN_PICTURE(OpenScreen());
  ASSERT_TRUE(kelvdata::WriteDataSet(root_.string()));
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  g_Language = 7;
  ASSERT_TRUE(g_TextDatabase.Load(TextDatabaseFile(g_Language)));

  platform::UseTestTime(5000);
  g_SceneNumber = 0;
  scene_ = std::make_unique<UiScene>();
  g_GameController.SetUiScene(scene_.get());
  ASSERT_TRUE(scene_->Load("DATA\\UI\\SCENE0.SCN"));
  // Started, faded in and running for a while.
  for (int frame = 0; frame < 150; ++frame) {
    ASSERT_TRUE(scene_->RenderScene());
    if (frame < 149) g_Renderer.Present();
    platform::AdvanceTime(20);
  }
  ASSERT_EQ(UI_SCENE_RUNNING, scene_->GetState());
  ASSERT_GE(scene_->buttons.count, 6);
  // The quit button's caption is Russian, in Windows-1251: "Выход".
  EXPECT_STREQ("\xC2\xFB\xF5\xEE\xE4", scene_->buttons[5].caption.String());
  EXPECT_TRUE(g_Fonts[0].HasGlyph(0xFB));

  const platform::Picture shot = Presented();
  ASSERT_EQ(640, shot.width);
  // The quit button at (220, 390), 200 x 40, unfocused: its normal texture
  // (60, 90, 160) left of the caption, within the 16-bit frame buffer's
  // steps (8 for red and blue).
  EXPECT_TRUE(kelvtest::PixelNear(shot, 226, 396, 0x3C5AA0u, 8));
  // Its caption, white at the captions' alpha 0.7 over that texture:
  // (0.3 x 60 + 0.7 x 255, 0.3 x 90 + 0.7 x 255, 0.3 x 160 + 0.7 x 255).
  // In FONT1C (DejaVu Sans, 16 pixels) the five letters are 11, 13, 9, 10
  // and 11 wide, 54 in all, so the caption centred on 320 starts at 293 and
  // its top is at 390 + 20 - 8 = 402. The second letter, the Cyrillic
  // yery at 304, has its lone right stem in column 10 of its cell from row
  // 6 to row 14, with its bowl between: the stem's pixel at (314, 410) is
  // the caption's colour and the gap left of it, (312, 410), the button's.
  EXPECT_TRUE(kelvtest::PixelNear(shot, 314, 410, 0xC4CDE2u, 8));
  EXPECT_TRUE(kelvtest::PixelNear(shot, 312, 410, 0x3C5AA0u, 8));
  EXPECT_TRUE(kelvtest::MatchesReference(shot, Reference("ui_menu_russian.png")));
}

}  // namespace
