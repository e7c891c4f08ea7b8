#include "engine/movie/movie_player.h"

#include <cctype>
#include <string>

#include "engine/app.h"
#include "engine/renderer.h"
#include "engine/sound_device.h"
#include "engine/system.h"

HWND g_MovieWindow = nullptr;

namespace {

constexpr const char* MOVIE_ERROR = "Error loading movie data.\nPlease reinstall Kelvarro.";
constexpr const char* MOVIE_WINDOW_TEXT = "ActiveMovie Window";
// A disc that is found but lacks the movie is searched again this often
// without asking; after that the insert-disc prompt lets the user give up.
constexpr int FOUND_DISC_RETRIES = 3;

bool ToWide(const char* text, WCHAR (&out)[MAX_PATH]) {
  return MultiByteToWideChar(CP_ACP, 0, text, -1, out, MAX_PATH) > 0;
}

void ReportMovieError() { ShowMessageBox(MOVIE_ERROR, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR); }

template <typename Interface>
void ReleaseInterface(Interface*& p) {
  if (p != nullptr) p->Release();
  p = nullptr;
}

template <typename Interface>
bool Query(IGraphBuilder* graph, const GUID& iid, Interface** out) {
  return graph->QueryInterface(iid, reinterpret_cast<void**>(out)) == S_OK && *out != nullptr;
}

bool SameTextIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
  }
  return *a == *b;
}

bool Ok(HRESULT hr) { return hr == S_OK || hr == S_FALSE; }

}  // namespace

BOOL FindMovieWindowCallback(HWND hwnd, LPARAM) {
  char text[64];
  GetWindowTextA(hwnd, text, sizeof text);
  if (SameTextIgnoringCase(text, MOVIE_WINDOW_TEXT)) {
    g_MovieWindow = hwnd;
    return FALSE;
  }
  return TRUE;
}

MoviePlayer::MoviePlayer() = default;

MoviePlayer::~MoviePlayer() { Release(); }

bool MoviePlayer::RenderWithDiscSearch(const char* file, const WCHAR* wide, bool* reported) {
  HRESULT hr = graph->RenderFile(wide, nullptr);
  int foundDiscRetries = 0;
  for (int attempt = 1; hr == VFW_E_NOT_FOUND; ++attempt) {
    // The first retry goes straight to CDPath, without looking for the disc.
    if (attempt > 1) {
      char root[4];
      const bool disc = FindGameDisc(root);
      if (!disc || ++foundDiscRetries > FOUND_DISC_RETRIES) {
        if (ShowMessageBox("Please insert the Kelvarro CD-ROM.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_INSERT_DISC) !=
            IDOK) {
          return false;
        }
      }
    }
    char cdPath[REGISTRY_STRING_SIZE];
    // A CDPath that names no drive is as good as none.
    if (!ReadRegistryString("CDPath", cdPath) || cdPath[0] == '\0' || cdPath[1] != ':') {
      ShowMessageBox("Error: Registry key not found.\nPlease reinstall Kelvarro.", MESSAGE_BOX_CAPTION,
                     MESSAGE_BOX_ERROR);
      *reported = true;
      return false;
    }
    const std::string path = std::string{cdPath[0], ':', '\\'} + file;
    WCHAR widePath[MAX_PATH];
    // A path too long for the wide buffer cannot name a file on the disc.
    if (!ToWide(path.c_str(), widePath)) return true;
    hr = graph->RenderFile(widePath, nullptr);
  }
  // Any other result goes on: a graph that could not render has no video
  // window, which the next steps report.
  return true;
}

bool MoviePlayer::Open(const char* file) {
  // A second Open replaces the first movie.
  if (graph != nullptr) Close();
  WCHAR wide[MAX_PATH];
  const bool converted = file != nullptr && ToWide(file, wide);
  if (CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                       reinterpret_cast<void**>(&graph)) != S_OK ||
      graph == nullptr) {
    graph = nullptr;
    return false;
  }
  if (!converted) {
    ReportMovieError();
    return false;
  }
  // The movie's sound goes through the game's own device (none: silent).
  platform::SetMovieSoundDevice(g_DirectSound);
  bool reported = false;
  if (!RenderWithDiscSearch(file, wide, &reported)) return false;

  const OAHWND owner = reinterpret_cast<OAHWND>(g_App.hwnd);
  bool ok = Query(graph, IID_IVideoWindow, &videoWindow) && videoWindow->put_Owner(owner) == S_OK &&
            videoWindow->put_WindowStyle(static_cast<long>(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN)) == S_OK &&
            videoWindow->put_MessageDrain(owner) == S_OK;
  if (ok) {
    g_MovieWindow = nullptr;
    EnumChildWindows(g_App.hwnd, FindMovieWindowCallback, 0);
    ok = g_MovieWindow != nullptr;
  }
  ok = ok && Query(graph, IID_IMediaControl, &control) && Query(graph, IID_IMediaEventEx, &events) &&
       events->SetNotifyWindow(owner, static_cast<long>(MSG_MOVIE_EVENT), 0) == S_OK;
  ok = ok && Query(graph, IID_IMediaPosition, &position) && position->get_Duration(&duration) == S_OK;
  if (!ok) {
    ReportMovieError();
    return false;
  }
  return true;
}

bool MoviePlayer::Play(std::uint8_t value) {
  playValue = value;
  if (g_Renderer.ClosesWindowForMovies()) SendMessageA(g_App.hwnd, MSG_MOVIE_STARTING, 0, 0);
  if (videoWindow != nullptr) {
    videoWindow->put_FullScreenMode(OATRUE);
    videoWindow->put_Visible(OATRUE);
  }
  // A movie that never opened does not run.
  if (control == nullptr || !Ok(control->Run())) return false;
  state = MOVIE_PLAYING;
  return true;
}

bool MoviePlayer::Pause() {
  if (control == nullptr || !Ok(control->Pause())) return false;
  state = MOVIE_PAUSED;
  if (videoWindow != nullptr) videoWindow->put_FullScreenMode(OAFALSE);
  return true;
}

bool MoviePlayer::Stop() {
  if (control == nullptr || !Ok(control->Stop())) return false;
  state = MOVIE_STOPPED;
  if (videoWindow != nullptr) videoWindow->put_FullScreenMode(OAFALSE);
  return true;
}

void MoviePlayer::Release() {
  ReleaseInterface(events);
  ReleaseInterface(position);
  ReleaseInterface(control);
  ReleaseInterface(videoWindow);
  ReleaseInterface(graph);
}

void MoviePlayer::Close() {
  Release();
  if (g_MovieWindow != nullptr && g_Renderer.ClosesWindowForMovies()) {
    SendMessageA(g_App.hwnd, MSG_MOVIE_CLOSED, 0, 0);
  }
  g_MovieWindow = nullptr;
}
