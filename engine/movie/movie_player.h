// The movie of a front-end scene: a filter graph for the movie file, shown
// full screen in a child window of the main window, its events posted to the
// main window as MSG_MOVIE_EVENT. A file missing where the scene names it is
// looked up on the game disc.
#pragma once

#include <cstdint>

#include "platform/dshow/dshow.h"
#include "platform/win32/types.h"
#include "platform/win32/window.h"

enum MovieState : std::uint8_t {
  MOVIE_STOPPED = 0,
  MOVIE_PLAYING = 1,
  MOVIE_PAUSED = 2,
};

class MoviePlayer {
 public:
  MoviePlayer();
  // Releases what Close would, should the owner not have closed it.
  ~MoviePlayer();
  MoviePlayer(const MoviePlayer&) = delete;
  MoviePlayer& operator=(const MoviePlayer&) = delete;

  // False after a failure, reported in a box except when the graph cannot be
  // made or the user cancelled the insert-disc prompt.
  bool Open(const char* file);
  // The Glide build first has the main window close the Glide window.
  bool Play(std::uint8_t value);
  bool Pause();
  bool Stop();
  // Releases every interface; the Glide build then has the main window
  // reopen the Glide window when a video window had been found.
  void Close();

  std::uint8_t playValue = 0;  // the argument of the last Play, for the owner
  std::uint8_t state = MOVIE_STOPPED;
  IGraphBuilder* graph = nullptr;
  IMediaControl* control = nullptr;
  IMediaPosition* position = nullptr;
  IVideoWindow* videoWindow = nullptr;
  IMediaEventEx* events = nullptr;
  double duration = 0.0;  // seconds, as the media position reports it

 private:
  // Step 3 of Open: renders the file, from the installation or the disc.
  // False when the search ended (its box, if any, has been shown).
  bool RenderWithDiscSearch(const char* file, const WCHAR* wide, bool* reported);
  void Release();
};

// Child-window enumeration callback: finds the graph's video window by its
// text, "ActiveMovie Window", in any letter case, and stops there.
BOOL FindMovieWindowCallback(HWND hwnd, LPARAM lParam);
