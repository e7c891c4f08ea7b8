// A scene is one screen of the game: a front-end screen (UiScene) or a race
// (RaceScene). Exactly one exists at a time, g_CurrentScene; WinMain runs its
// frame step once per idle pass of the message loop.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/maths.h"
#include "engine/services/ui.h"
#include "platform/win32/types.h"

// The scene that the start-up sequence begins with; 27 to 32 form that
// sequence, which the frame step and the window procedure treat specially.
constexpr std::uint32_t FIRST_SCENE = 27;
constexpr std::uint32_t LAST_STARTUP_SCENE = 32;

// The restore-failure limit of the frame step: more failed restores in a row
// than this end the program.
constexpr std::uint32_t MAX_RESTORE_FAILURES = 30;

// Something a scene owns and deletes with itself.
class SceneOwned {
 public:
  virtual ~SceneOwned() = default;
};

class Scene {
 public:
  Scene();
  virtual ~Scene();

  virtual bool Load(const char* sceneFile) = 0;
  virtual bool ResetRenderStates();
  virtual bool ResetClearColour();
  virtual bool Start(const char* sceneFile);
  virtual void RequestRestore();
  virtual bool RestoreSurfaces();
  virtual bool RunFrame();
  virtual bool RenderScene();
  // WM_KEYDOWN, WM_KEYUP, WM_CHAR and MSG_MOVIE_EVENT.
  virtual void OnKey(UINT msg, WPARAM wParam, LPARAM lParam);
  // The mouse messages 0x200 to 0x209.
  virtual void OnMouse(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual bool AcceptsKeys();
  virtual bool AcceptsMouse();
  virtual std::uint32_t GetState();
  virtual bool SetFogColour(float unused1, float unused2, float red, float green, float blue);
  virtual bool CreateStatsTexts();
  virtual bool ResetStats();
  virtual bool CollectStats();
  virtual bool DrawStats();

  // g_FrameTime from the milliseconds of the frame: 0.001 to 0.05 s.
  void SetFrameTime(unsigned elapsedMs);

  // The two lines of the statistics overlay as DrawStats built them last,
  // and where it placed them (x; y is 1 unit from the anchored edge).
  const char* StatsLine(int line) const { return line == 0 ? statsLine1_ : statsLine2_; }
  float StatsLineX(int line) const { return line == 0 ? statsLine1X_ : statsLine2X_; }

  // Set by the window procedure on deactivation and activation; the race
  // scene reads and clears them.
  std::uint8_t deactivated = 0;
  std::uint8_t reactivated = 0;

 protected:
  std::uint8_t acceptsKeys_ = 0;
  std::uint8_t acceptsMouse_ = 0;
  // Set: the next frame restores the rendering surfaces instead of drawing.
  std::uint8_t restore_ = 1;
  Matrix4 transform_ = g_IdentityMatrix;
  std::uint32_t state_ = 0;
  // A word for the derived scenes (the race keeps its camera mode there).
  std::uint32_t sceneWord_ = 0;
  std::vector<std::unique_ptr<SceneOwned>> owned_;

 private:
  // Statistics window of 30 frames.
  std::uint32_t statsStart_ = 0;
  std::uint32_t statsFrames_ = 0;
  std::uint32_t statsPixelSum_ = 0;
  float statsFps_ = 0.0f;
  std::uint32_t statsTrianglesOut_ = 0;
  std::uint32_t statsOverdraw_ = 0;  // hundredths
  std::uint32_t statsTrianglesIn_ = 0;
  std::uint32_t statsVerticesIn_ = 0;
  // The overlay's two lines; null while the UI toolkit is not installed.
  std::unique_ptr<OverlayText> statsTexts_[2];
  char statsLine1_[128] = {};
  char statsLine2_[64] = {};
  float statsLine1X_ = 0.0f;
  float statsLine2X_ = 0.0f;
};

// The current scene, made by CreateScene; null when there is none.
extern Scene* g_CurrentScene;
// Number of the current scene, set by CreateScene.
extern std::uint32_t g_SceneNumber;
// Seconds of the current frame; written only by Scene::SetFrameTime.
extern float g_FrameTime;
// Turns the statistics overlay on.
extern std::uint8_t g_ShowFrameStats;
// Failed restores in a row, over all scenes that use the base frame step.
extern std::uint32_t g_RestoreFailureCount;

class Dialog;
// The current scene's dialogs, built by its loader and freed with the scene.
// Whoever builds the array sets g_FreeDialogs, which knows the dialog type.
extern Dialog* g_Dialogs;
extern std::uint16_t g_DialogCount;
extern void (*g_FreeDialogs)(Dialog* dialogs);

// True for the start-up sequence (scenes 27 to 32).
inline bool IsStartupScene(std::uint32_t sceneNumber) {
  return sceneNumber >= FIRST_SCENE && sceneNumber <= LAST_STARTUP_SCENE;
}

// Deletes the current scene, if there is one, and tells the game controller
// that there is no UI scene and no race scene any more.
void DeleteCurrentScene();
