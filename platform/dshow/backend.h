// Inside the movie layer: what a source of movies (FFmpeg, or the test
// backend) offers the filter-graph objects. The objects keep the graph's
// state, its events and its window; a source only plays one file.
#pragma once

#include <memory>
#include <string>

#include "platform/dshow/dshow.h"

class IDirectSound;

namespace dshow {

class MovieSource {
 public:
  virtual ~MovieSource() = default;
  virtual double Duration() const = 0;
  virtual double Position() const = 0;
  // Stop goes back to the start.
  virtual void Run() = 0;
  virtual void Pause() = 0;
  virtual void Stop() = 0;
  // The top-level window the video is drawn into (null: nowhere), and
  // whether it shows.
  virtual void SetOutput(HWND window, bool visible) = 0;
  // Called from the pump while the graph runs: decodes and shows what is due
  // and feeds the sound. True once every stream has ended.
  virtual bool Service() = 0;
  // Whether a ticker should wake the pump for this source.
  virtual bool NeedsTicks() const = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;
  // `hostPath` names an existing file. S_OK with a source, or the reason
  // the file cannot be played (VFW_E_UNKNOWN_FILE_TYPE, VFW_E_UNSUPPORTED_STREAM).
  virtual HRESULT Open(const std::string& hostPath, IDirectSound* sound, std::unique_ptr<MovieSource>* out) = 0;
};

// The test backend while platform::UseTestMovies is on, else FFmpeg.
Backend& CurrentBackend();
Backend* MakeFfmpegBackend();
Backend* MakeTestBackend();
bool TestBackendActive();

// Test backend: the chosen failures (consumed by the call) and the record.
bool TestFails(platform::TestMovieFailure call);
void Record(const std::string& call);

}  // namespace dshow
