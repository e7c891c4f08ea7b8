// DirectShow-shaped movie playback. Our own declarations of the part of the
// interface the game was written against: a filter graph made with
// CoCreateInstance that renders a file, with its media control (run, pause,
// stop), media position (duration), video window (owner, style, message
// drain, full-screen mode, visibility) and media events (fetched and freed
// one by one, announced by a message posted to a window).
//
// Over FFmpeg: whatever container and codecs the file holds. The video is
// drawn into the owner's top-level window, scaled to fill it with its aspect
// kept; the sound plays through a streamed secondary buffer of the program's
// DirectSound device (platform::SetMovieSoundDevice), so the device's gains
// apply to it. Decoding and presentation run on the program's thread, from
// its message pump: a ticker thread only wakes the pump at the movie's pace.
// EC_COMPLETE is queued once every stream has ended, EC_USERABORT when Escape
// is pressed while the movie runs (the key still reaches the program's
// window, as every key and click does).
//
// A test backend (UseTestMovies) decodes nothing: it records the calls,
// makes chosen calls fail and lets the test queue events.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/com.h"
#include "platform/win32/strings.h"
#include "platform/win32/types.h"

using LONG_PTR = std::intptr_t;
using OAHWND = LONG_PTR;
using OAEVENT = LONG_PTR;
using REFTIME = double;

// ---- Results ----------------------------------------------------------------

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
// The file does not exist.
constexpr HRESULT VFW_E_NOT_FOUND = static_cast<HRESULT>(0x80040216u);
// The file exists but is no movie that can be played.
constexpr HRESULT VFW_E_UNKNOWN_FILE_TYPE = static_cast<HRESULT>(0x80040240u);
// A stream of the file has no decoder.
constexpr HRESULT VFW_E_UNSUPPORTED_STREAM = static_cast<HRESULT>(0x80040265u);
// The graph has no video: the video window has nothing to show.
constexpr HRESULT VFW_E_NOT_CONNECTED = static_cast<HRESULT>(0x80040209u);
// A call that needs a rendered graph.
constexpr HRESULT VFW_E_WRONG_STATE = static_cast<HRESULT>(0x80040227u);

inline bool SUCCEEDED_HR(HRESULT hr) { return hr >= 0; }

// ---- Constants ---------------------------------------------------------------

constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

// OATRUE and OAFALSE, the booleans of the automation interfaces.
constexpr long OATRUE = -1;
constexpr long OAFALSE = 0;

// Event codes (IMediaEvent::GetEvent).
constexpr long EC_COMPLETE = 0x01;
constexpr long EC_USERABORT = 0x02;
constexpr long EC_ERRORABORT = 0x03;

// States (IMediaControl::GetState).
enum FILTER_STATE : long { State_Stopped = 0, State_Paused = 1, State_Running = 2 };

extern const GUID CLSID_FilterGraph;
extern const GUID IID_IGraphBuilder;
extern const GUID IID_IMediaControl;
extern const GUID IID_IMediaPosition;
extern const GUID IID_IVideoWindow;
extern const GUID IID_IMediaEvent;
extern const GUID IID_IMediaEventEx;

// ---- Interfaces -----------------------------------------------------------------

class IUnknownMovie {
 public:
  virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
  virtual DWORD AddRef() = 0;
  virtual DWORD Release() = 0;

 protected:
  ~IUnknownMovie() = default;
};

class IGraphBuilder : public IUnknownMovie {
 public:
  // VFW_E_NOT_FOUND when the file does not exist; S_OK when every stream of
  // the file can be played; VFW_E_UNKNOWN_FILE_TYPE or VFW_E_UNSUPPORTED_STREAM
  // otherwise. A second call on a rendered graph fails (VFW_E_WRONG_STATE).
  virtual HRESULT RenderFile(const WCHAR* file, const WCHAR* playList) = 0;

 protected:
  ~IGraphBuilder() = default;
};

class IMediaControl : public IUnknownMovie {
 public:
  virtual HRESULT Run() = 0;
  virtual HRESULT Pause() = 0;
  // Stops and goes back to the start.
  virtual HRESULT Stop() = 0;
  virtual HRESULT GetState(long timeoutMs, FILTER_STATE* state) = 0;

 protected:
  ~IMediaControl() = default;
};

class IMediaPosition : public IUnknownMovie {
 public:
  // Seconds.
  virtual HRESULT get_Duration(REFTIME* length) = 0;
  virtual HRESULT get_CurrentPosition(REFTIME* time) = 0;

 protected:
  ~IMediaPosition() = default;
};

class IVideoWindow : public IUnknownMovie {
 public:
  // The video window becomes a child window of `owner` (text "ActiveMovie
  // Window"); 0 takes it away again.
  virtual HRESULT put_Owner(OAHWND owner) = 0;
  virtual HRESULT put_WindowStyle(long style) = 0;
  // Keys and clicks on the video go to this window (with our window layer
  // they reach the program's window in any case).
  virtual HRESULT put_MessageDrain(OAHWND drain) = 0;
  // OATRUE: the video covers the owner's whole window, aspect kept.
  virtual HRESULT put_FullScreenMode(long mode) = 0;
  virtual HRESULT put_Visible(long visible) = 0;
  virtual HRESULT SetWindowPosition(long left, long top, long width, long height) = 0;

 protected:
  ~IVideoWindow() = default;
};

class IMediaEventEx : public IUnknownMovie {
 public:
  // The oldest waiting event; E_ABORT when none arrives within `timeoutMs`
  // (the wait is never longer than the time-out; 0 does not wait).
  virtual HRESULT GetEvent(long* code, LONG_PTR* param1, LONG_PTR* param2, long timeoutMs) = 0;
  virtual HRESULT FreeEventParams(long code, LONG_PTR param1, LONG_PTR param2) = 0;
  // Posts `message` (wParam 0, lParam `instance`) to `window` whenever an
  // event is queued; a null window stops the notification.
  virtual HRESULT SetNotifyWindow(OAHWND window, long message, LONG_PTR instance) = 0;

 protected:
  ~IMediaEventEx() = default;
};

using IMediaEvent = IMediaEventEx;

HRESULT CoInitialize(void* reserved);
void CoUninitialize();
// CoCreateInstance (platform/win32/com.h) makes CLSID_FilterGraph here;
// another class that is not the network's gives REGDB_E_CLASSNOTREG.

class IDirectSound;

namespace platform {

// The sound device movies play through (the program's own); null: movies
// play without sound. The device must outlive the graphs made while it is set.
void SetMovieSoundDevice(IDirectSound* device);

// Test backend: no decoding. Switching either way forgets the script and the
// record. Switch only while no graph is alive.
void UseTestMovies(bool on);

// The calls that the test can make fail.
enum class TestMovieFailure {
  CREATE_GRAPH,   // CoCreateInstance (REGDB_E_CLASSNOTREG)
  QUERY_VIDEO_WINDOW,   // QueryInterface for IVideoWindow
  QUERY_MEDIA_CONTROL,  // QueryInterface for IMediaControl
  QUERY_MEDIA_EVENT,    // QueryInterface for IMediaEventEx
  QUERY_MEDIA_POSITION, // QueryInterface for IMediaPosition
  PUT_OWNER,
  PUT_WINDOW_STYLE,
  PUT_MESSAGE_DRAIN,
  SET_NOTIFY_WINDOW,
  GET_DURATION,
  RUN,
  PAUSE,
  STOP,
  COUNT
};
// The next `count` calls of that kind fail (E_FAIL, or the result named above).
void InjectMovieFailure(TestMovieFailure call, int count);

// What RenderFile answers for the test backend: a file (host path after the
// game's path rules) that exists renders as a movie of this duration; a
// missing one is VFW_E_NOT_FOUND. `renderResult` replaces S_OK for files
// that exist (VFW_E_UNKNOWN_FILE_TYPE for a file that is no movie).
void SetTestMovie(double durationSeconds, HRESULT renderResult);

// Queues an event on every live graph and posts its notification, as the
// real backend does at the end of the movie (EC_COMPLETE).
void InjectMovieEvent(long code, LONG_PTR param1, LONG_PTR param2);

// Every call on the objects, in order: "CoCreateInstance", "RenderFile
// D:\DATA\X.MPG", "put_Owner", "Run", "GetEvent 1", "Release graph"...
const std::vector<std::string>& RecordedMovieCalls();
void ClearRecordedMovieCalls();

// The colour a movie last drew at (x, y) of a top-level window (FFmpeg
// backend); false when nothing was drawn into that window.
bool MovieWindowPixel(HWND window, int x, int y, std::uint8_t rgb[3]);

}  // namespace platform
