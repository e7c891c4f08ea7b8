// The race scene: one race from its loading screen to its end. It owns the
// race manager, the track and its scenery, the riders, the weather effects,
// the trackside cameras, its HUD panels and texts, and the in-race dialogs.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/camera.h"
#include "engine/object3d.h"
#include "engine/scene/scene.h"
#include "engine/services/race.h"
#include "race/race/race_description.h"
#include "race/race_manager.h"
#include "race/replay_recorder.h"
#include "ui/backdrop.h"
#include "ui/panel.h"
#include "ui/static_text.h"
#include "world/lens_flare.h"
#include "world/rain.h"
#include "world/sky.h"
#include "world/track.h"

class Dialog;
class Rider;

// The states of a race besides RACE_STATE_RACING and RACE_STATE_PAUSED,
// which the engine's services give.
constexpr std::uint32_t RACE_STATE_STARTING = 0;
constexpr std::uint32_t RACE_STATE_INTRO = 1;
constexpr std::uint32_t RACE_STATE_FINISHED = 3;

// The race's end flags: over for this machine; every network opponent gone.
extern std::uint8_t g_RaceOver;
extern std::uint8_t g_NetOpponentsGone;
// The pit-stop countdown in milliseconds and split for the HUD (thousandths,
// hundredths, seconds, minutes, hours).
extern std::uint32_t g_PitTimerMs;
extern std::uint16_t g_PitTimerDigits[5];

// The race frame's clocks and flags.
extern float g_RaceClock;  // seconds in the current race state
extern bool g_RaceClockResetRequest;
extern std::uint8_t g_EndFadeStarted;
extern std::uint8_t g_RaceFadingOut;
extern float g_WrongWayBlinkTime;
extern float g_StartRaceTimer;
extern float g_ReplayMarkTime;
extern std::uint32_t g_ListenerCommitCounter;
// The replay director's current shot: time in it and its length (seconds),
// kept across races.
extern float g_DirectorShotTime;
extern float g_DirectorShotLength;
// Raised by the fade-out callbacks of the camera and help panels: the frame
// then hides the panel (race_input.cpp).
extern bool g_CameraPanelHideRequest;
extern bool g_HelpPanelHideRequest;

// The race type a race scene runs after `raceType` (the type run last) in
// `gameMode`, and the previous type it leaves; restart and resume run the
// previous type again.
struct RaceTypeAdvance {
  std::uint8_t raceType;
  std::uint8_t previousRaceType;
};
RaceTypeAdvance AdvanceRaceType(std::uint8_t gameMode, std::uint8_t raceType, std::uint8_t previousRaceType);

// The narrowest race view Page Down gives, in pixels.
constexpr float RACE_MIN_VIEW_WIDTH = 160.0f;
// The race view's width from the registry value "ViewWidth": the screen
// width - 1 when it is missing, and kept within RACE_MIN_VIEW_WIDTH ..
// screen width - 1, so that a value written at a larger resolution or
// damaged cannot make a view wider than the screen or too narrow to use.
float RegistryViewWidth(std::uint32_t screenWidth);

class RaceScene : public Scene {
 public:
  RaceScene();
  ~RaceScene() override;

  bool Load(const char* raceFile) override;
  std::uint32_t GetState() override { return state_; }

  // The frame (race_frame.cpp).
  bool RunFrame() override;
  bool RenderScene() override;
  void FollowLeaderIfNeeded();
  // The camera follows rider `index` (ClearFollowed on the old one).
  void FollowRider(std::uint32_t index);

  // The camera director (race_camera.cpp).
  void SetupFlyIn();
  void DirectCamera(RiderCameraData data, float raceClock);
  void PlaceCamera(RiderCameraData data, std::uint32_t mode);
  void SetProjectionForMode();
  void ApplyCameraMode();
  // The camera position 4 units behind the rider (its position minus four
  // times its forward axis).
  void PutCameraBehind(Rider* rider);
  // The first TV camera whose node range holds `node`; camera 0 when none.
  std::uint16_t TvCameraFor(std::uint32_t node) const;
  // The player's rider sits in the pits of a session with the camera on it:
  // the director shows it from the TV camera over the pits.
  bool InPitView() const;
  // The chase camera's look-around and look-back springs, one frame.
  void UpdateChaseSprings();

  // Keys, pause and the pit stop (race_input.cpp).
  void OnKey(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void OnMouse(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Rejoin();
  void UpdatePitTimer();
  // g_ViewHeight and g_ViewRect from g_ViewWidth.
  static void UpdateViewRect();
  // A dialog hidden as the race leaves it: mode 0, buttons that need a mouse
  // unavailable without one, focus on button 1, inactive.
  static void HideDialog(Dialog* dialog);

  // The race's end (race_end.cpp).
  void EndRace();
  void SaveBestLap();

  // One frame of the loading screen; `picture` is the screen-sized RGB565
  // picture.
  bool ShowLoadingProgress(std::uint8_t percent, const std::uint16_t* picture);
  // Every rider on its grid point; the respawn points from the same points.
  void BuildStartingGrid();
  bool BuildTvCameras();

  std::uint32_t CameraMode() const { return cameraMode; }

  std::uint32_t cameraMode = CAMERA_FIXED;
  std::uint32_t followedRider = 0;
  Panel cameraPanel;
  Panel helpPanel;
  bool cameraPanelShown = false;
  bool helpPanelShown = false;
  bool cameraPanelVisible = false;
  bool helpPanelVisible = false;
  float cameraPanelTime = 0.0f;
  float helpPanelTime = 0.0f;
  std::unique_ptr<TvCamera[]> tvCameras;
  std::uint16_t tvCameraCount = 0;
  Vector3 flyInPoints[3] = {};
  Vector3 flyIn[3] = {};
  RaceManager raceManager;
  Backdrop backdrop;
  Sky sky;
  Track track;
  Rider* riders[20] = {};
  Object3D ground;
  std::unique_ptr<Object3D> trackObject;
  StaticText wrongWayText;
  LensFlareEffect lensFlare;
  RainEffect rain;
  std::uint8_t viewDistance = 30;
  std::uint16_t weather = 0;
  std::uint32_t stateBeforePause = RACE_STATE_RACING;
  bool introSkipRequested = false;
  // A network client has reported the end of its intro to the host.
  bool introDoneReported = false;
  bool sunFlag = false;
  bool inputEnabled = false;
  float waitTime = 0.0f;
  float conditionAtStart[5] = {};
  ReplayRecorder replay;
  bool playback = false;
  StaticText replayMark;
  float savedConditions[5][20] = {};
  float chasePitchInput = 0.0f;
  float chaseYawInput = 0.0f;
  float chasePitchRate = 0.0f;
  float chaseYawRate = 0.0f;
  float chasePitch = 0.0f;
  float chaseYaw = 0.0f;
  bool lookBack = false;

  // The static objects of the race description, in file order.
  std::unique_ptr<std::unique_ptr<Object3D>[]> staticObjects;
  std::uint16_t staticObjectCount = 0;

  // race_input.cpp: the pause and its end, the choice of F5 and F6.
  void Pause();
  void Resume();
  void FollowNext(bool better);

  // The race frame's own state and steps (race_frame.cpp, race_render.cpp).
  // timeGetTime of the previous frame.
  std::uint32_t previousTimeMs = 0;
  // The visible window as the track stores it (wrapped), for the rider tests.
  std::uint16_t windowFirst = 0;
  std::uint16_t windowLast = 0;
  bool showWrongWay = false;
  bool showReplayMark = false;
  // Whether rider i takes part in a draw pass; `bodyPass` widens the window
  // for the chase cameras.
  bool RiderDrawn(std::uint32_t i, bool bodyPass) const;
  // The frame's steps: the starting frame, the end of the race (false: the
  // frame ends here), the simulation, the camera and world, the visible
  // window and the draw passes.
  bool StartRace();
  bool DetectRaceEnd(std::uint32_t dt, bool replayEnded);
  void Simulate(std::uint32_t dt, const float recordedControls[3]);
  void UpdateWorld(std::uint32_t dt);
  void UpdateVisibleWindow();
  bool DrawFrame();
  // The action replay's start and its end (race_replay.cpp).
  void StartActionReplay();
  void CloseActionReplay();

 private:
  bool LoadRiders(const RaceDescription& d);
  bool LoadStaticObjects(const RaceDescription& d);
  bool LoadDialogs();

  // The screen-sized loading picture while Load runs.
  const std::uint16_t* loadingPicture_ = nullptr;
};
