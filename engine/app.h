// The application: start-up, the main window and its window procedure, the
// message loop and the orderly shutdown.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "platform/win32/window.h"

// Window messages of the program, all sent to the main window.
constexpr UINT MSG_MOVIE_EVENT = WM_USER + 13;     // the movie's event notification
constexpr UINT MSG_MOVIE_CLOSED = WM_USER + 14;    // the movie was released
constexpr UINT MSG_MOVIE_STARTING = WM_USER + 15;  // a movie is about to show
constexpr UINT MSG_CLOSE_REQUEST = WM_USER + 16;   // starts the shutdown

// The controller's six bindings, in this order.
enum ControlBinding {
  CONTROL_ACCELERATE,
  CONTROL_BRAKE,
  CONTROL_LEFT,
  CONTROL_RIGHT,
  CONTROL_GEAR_UP,
  CONTROL_GEAR_DOWN,
  CONTROL_BINDING_COUNT
};

// The mixer lines whose state the App saves at start and puts back at exit,
// in the order of its saved arrays.
enum SavedMixerLine {
  SAVED_MIXER_CD,
  SAVED_MIXER_DIGITAL,
  SAVED_MIXER_AUX,
  SAVED_MIXER_WAVE,
  SAVED_MIXER_MASTER,
  SAVED_MIXER_SYNTH,
  SAVED_MIXER_COUNT
};

struct GUID;

class App {
 public:
  App();
  // Exit handler: saves the options, closes the CD and puts the mixer back.
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // The start-up sequence; false ends the program.
  bool Init(HINSTANCE instance, const char* commandLine);
  bool CreateMainWindow();
  bool InitDevices();
  bool LoadSceneTable(const char* path);
  // Sends MSG_CLOSE_REQUEST to the main window (handled before returning).
  void RequestClose();

  // The controller, its bindings and its force-feedback effects
  // (engine/input_devices.cpp). InitInputDevices runs the input steps of
  // InitDevices, from DirectInput to the bound controls.
  bool InitInputDevices();
  bool EnumInputDevices();
  bool LoadControlBindings();
  void ValidateControlBindings();
  void SetDefaultKeyboardBindings();
  void SetDefaultJoystickBindings();
  bool SetupBoundControls();
  void CreateForceEffects();
  // The index of the n-th object (from 0) of g_InputObjects of that type; 0
  // when there is none.
  std::uint32_t FindInputObject(const GUID& type, std::uint8_t n);

  HINSTANCE hInstance = nullptr;
  HWND hwnd = nullptr;
  std::uint32_t sceneCount = 0;
  std::uint32_t inputDeviceIndex = 0;
  std::uint32_t controlBindings[CONTROL_BINDING_COUNT] = {};
  // The mixer as found at start, filled by the option load.
  std::uint32_t savedMixerVolumes[SAVED_MIXER_COUNT] = {};
  std::uint8_t savedMixerEnabled[SAVED_MIXER_COUNT] = {};
  // The front end keeps its skill class and game mode here.
  std::uint8_t gameSkill = 0;
  std::uint8_t gameMode = 0;
};

extern App& g_App;

// Set as the last step of App::InitDevices; frames run only while it is set.
extern std::uint8_t g_AppReady;
// Set while the program is in the background.
extern std::uint8_t g_AppPaused;
// Set once by MSG_CLOSE_REQUEST; no frame runs afterwards.
extern std::uint8_t g_AppClosing;
// DATA\TRACK.BBF had to be opened from the game disc.
extern std::uint8_t g_TrackArchiveOnDisc;
// Language of the texts, 0..7, set by the option load.
extern std::uint32_t g_Language;
// The movie's video window, 0 when there is none; set by the movie player
// (engine/movie).
extern HWND g_MovieWindow;

// What WinMain returns when the start-up fails.
constexpr int EXIT_STARTUP_FAILED = 1;
// The run closed itself after its third failure (a scene that would not load
// or draw): no success either.
constexpr int EXIT_RUN_FAILED = 1;

int WinMain(HINSTANCE instance, HINSTANCE previous, char* commandLine, int showCommand);
LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
