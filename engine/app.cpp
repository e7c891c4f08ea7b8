#include "engine/app.h"

#include <cstdio>

#include "engine/app_internal.h"
#include "engine/archive.h"
#include "engine/cd_audio.h"
#include "engine/cursor.h"
#include "engine/display.h"
#include "engine/input_devices.h"
#include "engine/mixer.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/scene/scene_table.h"
#include "engine/services/front_end.h"
#include "engine/sound_device.h"
#include "engine/system.h"
#include "platform/dshow/dshow.h"
#include "platform/win32/crt.h"
#include "platform/win32/timer.h"

std::uint8_t g_AppReady = 0;
std::uint8_t g_AppPaused = 0;
std::uint8_t g_AppClosing = 0;
std::uint8_t g_TrackArchiveOnDisc = 0;
std::uint32_t g_Language = 0;
WNDPROC g_DefaultWindowProc = DefWindowProcA;

namespace {

bool autoRunDisabled = false;

// The resource number of the program's icon.
constexpr WORD ICON_RESOURCE = 101;

// How often the keyboard focus is asked for after a movie before giving up.
constexpr int FOCUS_ATTEMPTS = 40;
constexpr DWORD FOCUS_RETRY_MS = 250;

// Activation of the main window (active and not minimised). False when the
// exclusive window could not be reopened: the program stays paused.
bool Activate(HWND hwnd) {
  const bool startup = IsStartupScene(g_SceneNumber);
  if (g_Renderer.HoldsExclusiveWindow() && hwnd == g_App.hwnd && !g_AppClosing && !startup) {
    ShowWindow(g_App.hwnd, SW_SHOWNORMAL);
    if (!g_Renderer.ResumeExclusiveWindow(false)) return false;
  }
  if (g_CurrentScene) {
    g_CurrentScene->reactivated = 1;
    g_CurrentScene->RequestRestore();
    const std::uint32_t state = g_CurrentScene->GetState();
    if ((g_SceneNumber > LAST_STARTUP_SCENE && state == 5) || (g_SceneNumber < FIRST_SCENE && state != 5)) {
      bool musicOn = false;
      for (MixerLineKind kind : {MIXER_LINE_CD, MIXER_LINE_DIGITAL, MIXER_LINE_AUX}) {
        MixerLine* line = g_Mixer.Line(kind);
        if (line && line->GetVolume() > 0) musicOn = true;
      }
      if (musicOn && g_CdAudio.state != CDAUDIO_PLAYING) {
        g_CdAudio.Open();
        g_CdAudio.Play();
      }
      g_Cursor.SetAcquired(true);
    }
  }
  g_AppPaused = 0;
  return true;
}

void Deactivate() {
  if (g_CurrentScene) g_CurrentScene->deactivated = 1;
  if (g_CdAudio.state == CDAUDIO_PLAYING) g_CdAudio.Stop();
  g_CdAudio.Close();
  g_AppPaused = 1;
  g_Cursor.SetAcquired(false);
}

// WM_CLOSE: everything the scene loaded, the music, the archives, the AutoRun
// policy and the graphics device go before the window.
void Shutdown() {
  DeleteCurrentScene();
  g_Cursor.SetAcquired(false);
  if (g_CdAudio.state == CDAUDIO_PLAYING) g_CdAudio.Stop();
  g_CdAudio.Close();
  g_UiArchive.Close();
  g_MiscArchive.Close();
  g_TrackArchive.Close();
  RestoreAutoRunOnce();
  g_Renderer.Close();
  DestroyWindow(g_App.hwnd);
}

bool MovieReopen() {
  if (!g_Renderer.ResumeExclusiveWindow(true)) return false;
  for (int i = 0; i < FOCUS_ATTEMPTS && !SetFocus(g_App.hwnd); ++i) Sleep(FOCUS_RETRY_MS);
  return true;
}

}  // namespace

void DisableAutoRunForGame() {
  DisableAutoRun();
  autoRunDisabled = true;
}

void RestoreAutoRunOnce() {
  if (!autoRunDisabled) return;
  autoRunDisabled = false;
  RestoreAutoRun();
}

App::App() {
  crt::srand(timeGetTime());
  // For the movie player's filter graphs.
  CoInitialize(nullptr);
}

App::~App() {
  FreeSceneTable();
  sceneCount = 0;
  DeleteCurrentScene();
  for (std::uint32_t a1 = 0; a1 < 3; ++a1) FrontEndCommand(CMD_SAVE_OPTIONS, a1, 0, "");
  g_CdAudio.Close();
  if (g_Mixer.IsOpen()) {
    static constexpr struct {
      MixerLineKind line;
      SavedMixerLine saved;
    } order[] = {{MIXER_LINE_SYNTH, SAVED_MIXER_SYNTH}, {MIXER_LINE_MASTER, SAVED_MIXER_MASTER},
                 {MIXER_LINE_CD, SAVED_MIXER_CD},       {MIXER_LINE_DIGITAL, SAVED_MIXER_DIGITAL},
                 {MIXER_LINE_AUX, SAVED_MIXER_AUX},     {MIXER_LINE_WAVE, SAVED_MIXER_WAVE}};
    for (const auto& o : order) {
      if (MixerLine* line = g_Mixer.Line(o.line)) line->SetVolume(static_cast<int>(savedMixerVolumes[o.saved]));
    }
    for (const auto& o : order) {
      if (MixerLine* line = g_Mixer.Line(o.line)) line->SetEnabled(savedMixerEnabled[o.saved] != 0);
    }
    g_Mixer.Close();
  }
  ReleaseInputDevices();
  ReleaseSoundDevice();
  ReleaseForceEffects();
  // Whatever way the program ended, the AutoRun policy goes back.
  RestoreAutoRunOnce();
}

bool App::CreateMainWindow() {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = 0;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = hInstance;
  wc.hIcon = LoadIconA(hInstance, MAKEINTRESOURCEA(ICON_RESOURCE));
  wc.hIconSm = wc.hIcon;
  wc.hCursor = nullptr;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = "QDVCLASS";
  if (!RegisterClassExA(&wc)) return false;

  if (ReadRegistryDword("GameWidth", &g_GameWidth)) ReadRegistryDword("GameHeight", &g_GameHeight);
  g_ScreenWidth = 640;
  g_ScreenHeight = 480;

  HWND window = CreateWindowExA(0, "QDVCLASS", "Kelvarro", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                hInstance, nullptr);
  if (!window) {
    ShowMessageBox("Error: Unable to create main window.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  hwnd = window;
  g_MainWindow = window;
  SetFocus(hwnd);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  return true;
}

bool App::InitDevices() {
  BeginStartupStep();
  if (!g_Renderer.Open()) return StartupStepFailed("the 3D board cannot be opened");
  BeginStartupStep();
  if (!InitInputDevices()) return StartupStepFailed("the input devices failed: no keyboard or joystick could be opened");
  // The cursor is a convenience: without it the game goes on.
  g_Cursor.SetDirectInput(g_DirectInput);
  if (g_Cursor.Create(hwnd)) g_Cursor.SetAcquired(true);
  InitSoundDevice(hwnd);
  // The network objects start here as their module arrives.
  g_Renderer.AssignTextureSizeClasses(1);
  g_AppReady = 1;
  return true;
}

void App::RequestClose() { SendMessageA(hwnd, MSG_CLOSE_REQUEST, 0, 0); }

int WinMain(HINSTANCE instance, HINSTANCE, char* commandLine, int) {
  if (!g_App.Init(instance, commandLine)) {
    RestoreAutoRunOnce();
    // A start that failed is no success, whether a box said why or a line did.
    return EXIT_STARTUP_FAILED;
  }

  // Failures over the whole run; never reset.
  int failures = 0;
  MSG msg;
  for (;;) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        if (failures < 3) return static_cast<int>(msg.wParam);
        std::fputs("Kelvarro: stopped after three failures (see the messages above)\n", stderr);
        return EXIT_RUN_FAILED;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (!g_AppReady || g_AppPaused || g_AppClosing) {
      WaitMessage();
      continue;
    }
    bool failed;
    if (g_FrontEnd && g_FrontEnd->IsSceneChangePending()) {
      const std::uint32_t next = g_FrontEnd->NextSceneNumber();
      failed = !CreateScene(static_cast<int>(next));
      if (failed) DeleteCurrentScene();
      g_FrontEnd->ClearSceneChange();
    } else if (g_CurrentScene) {
      failed = !g_CurrentScene->RunFrame();
    } else {
      failed = true;
    }
    if (failed && ++failures >= 3) g_App.RequestClose();
  }
}

LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const bool startup = IsStartupScene(g_SceneNumber);
  switch (msg) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;

    case WM_CLOSE:
      Shutdown();
      return 0;

    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        if (hwnd == g_App.hwnd && !g_AppClosing && !startup && g_Renderer.HoldsExclusiveWindow()) {
          g_Renderer.SuspendExclusiveWindow();
          ShowWindow(g_App.hwnd, SW_MINIMIZE);
        }
      } else if (HIWORD(wParam) == 0) {
        if (!Activate(hwnd)) return 0;
      }
      break;

    case WM_ACTIVATEAPP:
      if (wParam == 0) Deactivate();
      break;

    case WM_SETCURSOR:
      SetCursor(nullptr);
      return TRUE;

    case WM_MOUSEACTIVATE:
      if (g_CurrentScene && g_FrontEnd && g_FrontEnd->IsMovieScene(g_CurrentScene) &&
          reinterpret_cast<HWND>(wParam) == g_MovieWindow) {
        SetForegroundWindow(g_App.hwnd);
        FrontEndCommand(CMD_PLAY_MOVIE, 1, 0, "NULL");
        return MA_NOACTIVATEANDEAT;
      }
      break;

    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case MSG_MOVIE_EVENT:
      if (g_CurrentScene && g_CurrentScene->AcceptsKeys()) g_CurrentScene->OnKey(msg, wParam, lParam);
      // Nothing typed during the start-up sequence reaches the system.
      if (startup) return 0;
      break;

    case WM_SYSCOMMAND:
      if (wParam == SC_MONITORPOWER || wParam == SC_SCREENSAVE) return 0;
      if (wParam == SC_CLOSE) {
        g_App.RequestClose();
        return 0;
      }
      break;

    case MM_MCINOTIFY: {
      const int r = g_CdAudio.OnNotify(wParam, lParam);
      if (r != 0) return r;
      // The track has ended: play it again while a scene runs.
      if (g_CurrentScene && g_CurrentScene->GetState() == 2 && !g_AppPaused && wParam == MCI_NOTIFY_SUCCESSFUL &&
          g_CdAudio.state != CDAUDIO_NO_DEVICE && g_CdAudio.state != CDAUDIO_CLOSED) {
        g_CdAudio.Play();
      }
      return 0;
    }

    case MSG_MOVIE_STARTING:
      if (g_Renderer.HoldsExclusiveWindow() && !g_AppClosing) g_Renderer.SuspendExclusiveWindow();
      break;

    case MSG_MOVIE_CLOSED:
      if (g_Renderer.HoldsExclusiveWindow() && !g_AppClosing) {
        if (!MovieReopen()) return 0;
      }
      break;

    case MSG_CLOSE_REQUEST:
      if (!g_AppClosing) {
        g_AppClosing = 1;
        PostMessageA(g_App.hwnd, WM_CLOSE, 0, 0);
      }
      break;

    default:
      if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
        if (g_CurrentScene && g_CurrentScene->AcceptsMouse()) g_CurrentScene->OnMouse(msg, wParam, lParam);
        return 0;
      }
      break;
  }
  return g_DefaultWindowProc(hwnd, msg, wParam, lParam);
}
