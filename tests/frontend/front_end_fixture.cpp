#include "tests/frontend/front_end_fixture.h"

#include <cstdint>
#include <memory>
#include <string>

#include "engine/archive.h"
#include "engine/cd_audio.h"
#include "engine/mixer.h"
#include "engine/program_objects.h"
#include "engine/scene/scene.h"
#include "frontend/front_end_install.h"
#include "frontend/game_controller.h"
#include "platform/mci/mci.h"
#include "platform/mixer/mixer.h"
#include "tools/bbf.h"
#include "tools/frontend_files.h"

namespace kelvtest {

void FrontEndTest::SetUp() {
  GameRootTest::SetUp();
  platform::UseTestMixer(true);
  platform::SetTestMixerPresent(true);
  platform::UseTestCd(true);
  platform::InsertTestDisc({{false, 300}, {true, 150}, {true, 75}});
  std::vector<kelvdata::BbfMember> lists;
  for (int skill = 0; skill < 3; ++skill) {
    Put("DATA/UI/CMP" + std::to_string(skill + 2) + ".RLT", kelvdata::BuildRlt(kelvdata::SyntheticRlt(skill)));
    lists.push_back({"LIST" + std::to_string(skill + 1) + ".PLT", kelvdata::BuildPlt(kelvdata::SyntheticPlt(skill))});
  }
  Put("DATA/UI.BBF", kelvdata::BuildBbf(lists));
  Put("DATA/SAVE/.keep", {});
  InstallFrontEnd();
  for (ProgramObjectSlot slot :
       {PROGRAM_OBJECT_MIXER, PROGRAM_OBJECT_GAME_CONTROLLER, PROGRAM_OBJECT_PLAYERS_LIST, PROGRAM_OBJECT_SINGLE_RACE,
        PROGRAM_OBJECT_CHAMPIONSHIP, PROGRAM_OBJECT_CD_AUDIO, PROGRAM_OBJECT_APP}) {
    if (GetProgramObject(slot).construct) GetProgramObject(slot).construct();
  }
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(g_Mixer.Open());
}

void FrontEndTest::TearDown() {
  g_GameController.ClearUiScene();
  scene_.reset();
  // The App saves the options when it goes: into this test's root, not the
  // next one's.
  GetProgramObject(PROGRAM_OBJECT_APP).exitHandler();
  g_UiArchive.Close();
  g_CdAudio.Close();
  g_Mixer.Close();
  platform::UseTestCd(false);
  platform::UseTestMixer(false);
  GameRootTest::TearDown();
}

UiScene* FrontEndTest::MakeScene(int sliders, int items, int buttons, int texts) {
  scene_ = std::make_unique<UiScene>();
  scene_->sliders.items = std::make_unique<::Slider[]>(static_cast<std::size_t>(sliders));
  scene_->sliders.count = static_cast<std::uint16_t>(sliders);
  for (int i = 0; i < sliders; ++i) {
    ::Slider& s = scene_->sliders[static_cast<std::uint16_t>(i)];
    s.itemCount = static_cast<std::uint16_t>(items);
    s.items = std::make_unique<char[]>(SLIDER_ITEM_SIZE * static_cast<std::size_t>(items));
  }
  scene_->buttons.items = std::make_unique<Button[]>(static_cast<std::size_t>(buttons));
  scene_->buttons.count = static_cast<std::uint16_t>(buttons);
  scene_->uiTexts.items = std::make_unique<UiStaticText[]>(static_cast<std::size_t>(texts));
  scene_->uiTexts.count = static_cast<std::uint16_t>(texts);
  g_GameController.SetUiScene(scene_.get());
  return scene_.get();
}

UiScene* FrontEndTest::NewScene(int number) {
  g_GameController.ClearUiScene();
  scene_.reset();
  g_SceneNumber = static_cast<std::uint32_t>(number);
  scene_ = std::make_unique<UiScene>();
  g_GameController.SetUiScene(scene_.get());
  return scene_.get();
}

int FrontEndTest::Slider(int i) { return g_GameController.uiScene->sliders[static_cast<std::uint16_t>(i)].value; }

const char* FrontEndTest::Text(int i) {
  return g_GameController.uiScene->uiTexts[static_cast<std::uint16_t>(i)].String();
}

}  // namespace kelvtest
