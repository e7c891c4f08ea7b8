#include "tests/engine/program_fixture.h"

#include "platform/dsound/dsound.h"

#include "engine/app.h"
#include "engine/display.h"
#include "engine/program_objects.h"
#include "engine/scene/scene_table.h"
#include "engine/system.h"
#include "platform/dinput/input_test.h"
#include "platform/mci/mci.h"
#include "platform/mixer/mixer.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/timer.h"
#include "platform/win32/window.h"
#include "tools/bbf.h"
#include "tools/tdb.h"

namespace kelvtest {

TestScene::TestScene(const char* k, const SceneScript& s) : kind(k), script(s) {
  acceptsKeys_ = s.acceptsKeys ? 1 : 0;
  acceptsMouse_ = s.acceptsMouse ? 1 : 0;
  state_ = s.state;
  Log(kind + " scene made");
}

TestScene::~TestScene() { Log(kind + " scene deleted"); }

bool TestScene::Load(const char* sceneFile) {
  Log(kind + " scene Load " + sceneFile);
  if (script.onLoad) script.onLoad();
  return script.loadOk;
}

bool TestScene::RenderScene() {
  Log(kind + " scene RenderScene");
  if (script.onRender) script.onRender();
  if (script.renderResults.empty()) return true;
  bool r = script.renderResults.front();
  script.renderResults.pop_front();
  return r;
}

void TestScene::OnKey(UINT msg, WPARAM wParam, LPARAM) {
  Log(kind + " scene OnKey " + std::to_string(msg) + " " + std::to_string(wParam));
}

void TestScene::OnMouse(UINT msg, WPARAM, LPARAM lParam) {
  Log(kind + " scene OnMouse " + std::to_string(msg) + " " + std::to_string(lParam));
}

void TestFrontEnd::ClearSceneChange() {
  if (!sceneChanges.empty()) sceneChanges.pop_front();
}

void TestFrontEnd::SetUiScene(Scene* scene) {
  Log("GameController::SetUiScene");
  uiScene = scene;
}

void TestFrontEnd::ClearUiScene() {
  Log("GameController::ClearUiScene");
  uiScene = nullptr;
}

void TestFrontEnd::SetRaceScene(Scene* scene) {
  Log("GameController::SetRaceScene");
  raceScene = scene;
}

void TestFrontEnd::ClearRaceScene() {
  Log("GameController::ClearRaceScene");
  raceScene = nullptr;
}

void TestFrontEnd::Command(std::uint32_t id, std::uint32_t a1, std::uint32_t a2, const char* text) {
  Log("GameController::Command " + std::to_string(id) + " " + std::to_string(a1) + " " + std::to_string(a2) + " '" +
      text + "'");
  if (id == CMD_LOAD_OPTIONS && a1 == 0 && optionLanguage) g_Language = *optionLanguage;
}

Scene* TestFrontEnd::NewUiScene() { return failCreate ? nullptr : new TestScene("ui", nextScene); }

bool TestFrontEnd::IsMovieScene(const Scene* scene) {
  return scene == uiScene && static_cast<const TestScene*>(scene)->script.movie;
}

Scene* TestRace::NewRaceScene() { return failCreate ? nullptr : new TestScene("race", nextScene); }

void ProgramTest::SetUp() {
  GameRootTest::SetUp();
  platform::UseTestWindowing(true);
  platform::UseTestSound(true);
  platform::UseTestTime(1000);
  // A keyboard and a mouse, as every machine has.
  platform::UseTestInput(true);
  platform::AddTestKeyboard();
  platform::AddTestMouse();
  ResetDevices();

  // The program's globals as a fresh process has them.
  g_AppReady = 0;
  g_AppPaused = 0;
  g_AppClosing = 0;
  g_TrackArchiveOnDisc = 0;
  g_Language = 0;
  g_MovieWindow = nullptr;
  g_MainWindow = nullptr;
  g_CurrentScene = nullptr;
  g_SceneNumber = 0;
  g_FrameTime = 0.0f;
  g_ShowFrameStats = 0;
  g_RestoreFailureCount = 0;
  g_ScreenWidth = 0;
  g_ScreenHeight = 0;
  g_GameWidth = 0;
  g_GameHeight = 0;
  g_ViewWidth = 0.0f;
  g_ViewHeight = 0.0f;
  g_ViewRect = {0.0f, 0.0f, 0.0f, 0.0f};

  InstallFrontEndServices(&frontEnd_);
  InstallRaceServices(&race_);
  ConstructProgramObjects();
  exited_ = false;
}

void ProgramTest::Exit() {
  if (exited_) return;
  exited_ = true;
  RunProgramExitHandlers();
}

void ProgramTest::TearDown() {
  Exit();
  InstallFrontEndServices(nullptr);
  InstallRaceServices(nullptr);
  platform::UseTestWindowing(false);
  platform::UseTestInput(false);
  platform::UseTestCd(false);
  platform::UseTestMixer(false);
  platform::UseRealTime();
  GameRootTest::TearDown();
}

kelvdata::Bytes ProgramTest::SceneTable(std::uint32_t count, const std::vector<std::uint32_t>& races) {
  std::vector<kelvdata::QdvEntry> entries;
  for (std::uint32_t i = 0; i < count; ++i) {
    bool race = false;
    for (std::uint32_t r : races) race = race || r == i;
    entries.push_back({race ? 1u : 0u, "SCENE" + std::to_string(i) + ".SCN", 0});
  }
  return kelvdata::BuildQdv(entries);
}

void ProgramTest::LoadTable(std::uint32_t count, const std::vector<std::uint32_t>& races) {
  Put("DATA/QDV.BIN", SceneTable(count, races));
  ASSERT_TRUE(g_App.LoadSceneTable("DATA\\QDV.BIN"));
}

void ProgramTest::WriteGame(bool trackArchive, std::uint32_t count) {
  std::vector<kelvdata::BbfMember> ui;
  for (int language = 0; language < 8; ++language) {
    ui.push_back({"GAMETXT" + std::to_string(language) + ".TDB",
                  kelvdata::BuildTdb({"texts " + std::to_string(language)})});
  }
  Put("DATA/UI.BBF", kelvdata::BuildBbf(ui));
  Put("DATA/MISC.BBF", kelvdata::BuildBbf({{"MISC.DAT", {1, 2, 3}}}));
  if (trackArchive) Put("DATA/TRACK.BBF", kelvdata::BuildBbf({{"TRACK.DAT", {4, 5, 6}}}));
  Put("DATA/QDV.BIN", SceneTable(count, {10, 11}));
}

int ProgramTest::RunWinMain() {
  char commandLine[] = "";
  return WinMain(nullptr, nullptr, commandLine, SW_SHOWNORMAL);
}

void ProgramTest::CreateWindow() { ASSERT_TRUE(g_App.CreateMainWindow()); }

std::vector<std::string> ProgramTest::Boxes() {
  std::vector<std::string> out;
  for (const platform::MessageBoxCall& c : platform::RecordedMessageBoxes()) out.push_back(c.text);
  return out;
}

}  // namespace kelvtest
