// A game program in a test: a temporary game root, the test window backend,
// test time, the recording devices, and test doubles of the front end and the
// race that make scripted scenes and log what the engine asks of them.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/scene/scene.h"
#include "engine/services/front_end.h"
#include "engine/services/race.h"
#include "tests/engine/recording_devices.h"
#include "tests/support/game_root.h"
#include "tools/qdv.h"

namespace kelvtest {

// How the next scene of a kind behaves.
struct SceneScript {
  bool loadOk = true;
  std::deque<bool> renderResults;  // consumed per RenderScene; true when empty
  bool acceptsKeys = false;
  bool acceptsMouse = false;
  std::uint32_t state = 2;
  bool movie = false;
  // Run inside Load and RenderScene, before they return (a test's way of
  // acting from inside the message loop).
  std::function<void()> onLoad;
  std::function<void()> onRender;
};

class TestScene : public Scene {
 public:
  TestScene(const char* kind, const SceneScript& script);
  ~TestScene() override;
  bool Load(const char* sceneFile) override;
  bool RenderScene() override;
  void OnKey(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void OnMouse(UINT msg, WPARAM wParam, LPARAM lParam) override;

  bool RestorePending() const { return restore_ != 0; }
  void SetState(std::uint32_t state) { state_ = state; }

  std::string kind;
  SceneScript script;
};

class TestFrontEnd : public FrontEndServices {
 public:
  bool IsSceneChangePending() override { return !sceneChanges.empty(); }
  std::uint32_t NextSceneNumber() override { return sceneChanges.front(); }
  void ClearSceneChange() override;
  void SetUiScene(Scene* scene) override;
  void ClearUiScene() override;
  void SetRaceScene(Scene* scene) override;
  void ClearRaceScene() override;
  void Command(std::uint32_t id, std::uint32_t a1, std::uint32_t a2, const char* text) override;
  Scene* NewUiScene() override;
  bool IsMovieScene(const Scene* scene) override;

  // What the option load sets g_Language to (left alone when unset), in the
  // front end's place.
  std::optional<std::uint32_t> optionLanguage;
  // Scene changes the game controller asks for, one after the other.
  std::deque<std::uint32_t> sceneChanges;
  Scene* uiScene = nullptr;
  Scene* raceScene = nullptr;
  bool failCreate = false;
  SceneScript nextScene;
};

class TestRace : public RaceServices {
 public:
  Scene* NewRaceScene() override;

  bool failCreate = false;
  SceneScript nextScene;
};

class ProgramTest : public GameRootTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A scene table: every number up to `count` - 1 a front-end scene named
  // "SCENEnn.SCN", except the numbers listed as races.
  static kelvdata::Bytes SceneTable(std::uint32_t count, const std::vector<std::uint32_t>& races);
  // Writes DATA\QDV.BIN and loads it into g_App.
  void LoadTable(std::uint32_t count, const std::vector<std::uint32_t>& races);
  // A complete game root: the three archives (TRACK.BBF only when asked),
  // DATA\QDV.BIN with `count` scenes (10 and 11 races) and one text database
  // per language, whose only text names it ("texts 3").
  void WriteGame(bool trackArchive = true, std::uint32_t count = 40);
  // Creates the main window as start-up does.
  void CreateWindow();
  // The current scene as the test double it is.
  static TestScene* Current() { return static_cast<TestScene*>(g_CurrentScene); }
  // Runs the exit handlers now (TearDown does it otherwise).
  void Exit();
  // Runs WinMain as the program does; the start-up must succeed or fail and
  // the loop must end by itself.
  int RunWinMain();
  // The texts of the message boxes shown so far.
  static std::vector<std::string> Boxes();

  TestFrontEnd frontEnd_;
  TestRace race_;
  bool exited_ = false;
};

}  // namespace kelvtest
