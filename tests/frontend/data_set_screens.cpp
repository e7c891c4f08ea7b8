#include "tests/frontend/data_set_screens.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/archive.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/text_database.h"
#include "frontend/game_controller.h"
#include "platform/glide/glide.h"
#include "platform/win32/timer.h"
#include "platform/win32/window.h"
#include "tests/support/fuzz_renderer.h"
#include "tools/dataset.h"

namespace kelvtest {

void DataSetScreensTest::SetUp() {
  FrontEndTest::SetUp();
  g_UiArchive.Close();
  ASSERT_TRUE(kelvdata::WriteDataSet(root_.string()));
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  platform::UseTestTime(1000);
  OpenFuzzRenderer();
  GetProgramObject(PROGRAM_OBJECT_CURSOR).construct();
  ASSERT_TRUE(g_TextDatabase.Load("DATA\\UI\\GAMETXT0.TDB"));
  g_GameController.Command(CMD_LOAD_OPTIONS, 0, 0, "NULL");
}

void DataSetScreensTest::TearDown() {
  g_GameController.ClearUiScene();
  scene_.reset();
  g_TextDatabase.Release();
  g_Renderer.Close();
  platform::ClearGlideRecords();
  g_SceneNumber = 0;
  FrontEndTest::TearDown();
}

UiScene* DataSetScreensTest::Show(int n) {
  NewScene(n);
  // The recording board keeps every call until asked to forget them.
  platform::ClearGlideRecords();
  g_GameController.pendingSceneChange = 0;
  const std::string file = "DATA\\UI\\SCENE" + std::to_string(n) + ".SCN";
  if (!scene_->Load(file.c_str())) return nullptr;
  for (int i = 0; i < 10 && scene_->GetState() != 2; ++i) {
    platform::AdvanceTime(100);
    scene_->RenderScene();
  }
  return scene_->GetState() == 2 ? scene_.get() : nullptr;
}

int DataSetScreensTest::Press(UiScene* s, std::uint16_t b) {
  g_GameController.nextScene = -1;
  EXPECT_LT(b, s->buttons.count);
  if (b < s->buttons.count) s->buttons[b].Press();
  return g_GameController.nextScene;
}

void DataSetScreensTest::Type(UiScene* s, const char* text) {
  for (const char* c = text; *c; ++c) s->OnKey(WM_CHAR, static_cast<WPARAM>(*c), 0);
}

}  // namespace kelvtest
