// The filter graph and its interfaces over a movie source (backend.h): the
// graph's state, its event queue and notification, its video window, and
// the wake-ups that let the sources play from the program's message pump.
#include "platform/dshow/dshow.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "platform/dplay/dplay_internal.h"
#include "platform/dshow/backend.h"
#include "platform/win32/files.h"
#include "platform/win32/window.h"

const GUID CLSID_FilterGraph = {0xE436EBB3, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
const GUID IID_IGraphBuilder = {0x56A868A9, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
const GUID IID_IMediaControl = {0x56A868B1, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
const GUID IID_IMediaPosition = {0x56A868B2, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
const GUID IID_IVideoWindow = {0x56A868B4, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
const GUID IID_IMediaEvent = {0x56A868B6, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
const GUID IID_IMediaEventEx = {0x56A868C0, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

namespace {

using platform::TestMovieFailure;

constexpr const char* VIDEO_WINDOW_CLASS = "VideoRenderer";
constexpr const char* VIDEO_WINDOW_TEXT = "ActiveMovie Window";
// How often the pump is woken while a movie runs: well above any frame rate.
constexpr auto TICK = std::chrono::milliseconds(5);

bool SameGuid(const GUID& a, const GUID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         std::equal(a.Data4, a.Data4 + 8, b.Data4);
}

// The name as the game spelled it, back in its code page.
std::string Narrow(const WCHAR* wide) {
  int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(n - 1));
  return out;
}

class Graph;

struct Event {
  long code;
  LONG_PTR param1;
  LONG_PTR param2;
};

struct State {
  // A graph still alive at exit must not leave its ticker running.
  ~State() {
    if (!ticker.joinable()) return;
    {
      std::lock_guard<std::mutex> hold(tickerLock);
      tickerStop = true;
    }
    tickerWake.notify_all();
    ticker.join();
  }

  std::vector<Graph*> graphs;
  IDirectSound* sound = nullptr;
  bool listening = false;
  Uint32 tickEvent = 0;
  // The ticker wakes the pump while any graph plays a source that asks for it.
  std::thread ticker;
  std::mutex tickerLock;
  std::condition_variable tickerWake;
  bool tickerStop = false;
  std::atomic<bool> tickPending{false};
};

State& S() {
  static State s;
  return s;
}

void Listen(const void* sdlEvent);
void UpdateTicker();

class Graph {
 public:
  Graph() {
    S().graphs.push_back(this);
    if (!S().listening) {
      platform::AddSdlEventListener(Listen);
      S().listening = true;
    }
  }

  ~Graph() {
    DestroyVideoWindow();
    source_.reset();
    auto& g = S().graphs;
    g.erase(std::remove(g.begin(), g.end(), this), g.end());
    UpdateTicker();
    if (g.empty() && S().listening) {
      platform::RemoveSdlEventListener(Listen);
      S().listening = false;
    }
  }

  DWORD AddRef() { return ++refs_; }
  DWORD Release(const char* which) {
    if (which != nullptr) dshow::Record(std::string("Release ") + which);
    const DWORD left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    TestMovieFailure failure = TestMovieFailure::COUNT;
    void* found = nullptr;
    const char* name = "unknown";
    if (SameGuid(iid, IID_IGraphBuilder)) {
      found = static_cast<IGraphBuilder*>(&builder_);
      name = "IGraphBuilder";
    } else if (SameGuid(iid, IID_IMediaControl)) {
      found = static_cast<IMediaControl*>(&control_);
      failure = TestMovieFailure::QUERY_MEDIA_CONTROL;
      name = "IMediaControl";
    } else if (SameGuid(iid, IID_IMediaPosition)) {
      found = static_cast<IMediaPosition*>(&position_);
      failure = TestMovieFailure::QUERY_MEDIA_POSITION;
      name = "IMediaPosition";
    } else if (SameGuid(iid, IID_IVideoWindow)) {
      found = static_cast<IVideoWindow*>(&video_);
      failure = TestMovieFailure::QUERY_VIDEO_WINDOW;
      name = "IVideoWindow";
    } else if (SameGuid(iid, IID_IMediaEventEx) || SameGuid(iid, IID_IMediaEvent)) {
      found = static_cast<IMediaEventEx*>(&events_);
      failure = TestMovieFailure::QUERY_MEDIA_EVENT;
      name = "IMediaEventEx";
    }
    dshow::Record(std::string("QueryInterface ") + name);
    if (found == nullptr || (failure != TestMovieFailure::COUNT && dshow::TestFails(failure))) return E_NOINTERFACE;
    ++refs_;
    *out = found;
    return S_OK;
  }

  // ---- IGraphBuilder ----

  HRESULT RenderFile(const WCHAR* file) {
    if (file == nullptr) return E_POINTER;
    const std::string name = Narrow(file);
    dshow::Record("RenderFile " + name);
    if (source_) return VFW_E_WRONG_STATE;
    std::string host;
    std::error_code error;
    if (name.empty() || !platform::ResolveGamePath(name.c_str(), false, &host) ||
        !std::filesystem::is_regular_file(host, error)) {
      return VFW_E_NOT_FOUND;
    }
    std::unique_ptr<dshow::MovieSource> source;
    const HRESULT hr = dshow::CurrentBackend().Open(host, S().sound, &source);
    if (hr != S_OK) return hr;
    source_ = std::move(source);
    return S_OK;
  }

  // ---- IMediaControl ----

  HRESULT Run() {
    dshow::Record("Run");
    if (dshow::TestFails(TestMovieFailure::RUN)) return E_FAIL;
    if (!source_) return VFW_E_WRONG_STATE;
    if (state_ != State_Running) {
      source_->Run();
      state_ = State_Running;
      UpdateTicker();
    }
    return S_OK;
  }

  HRESULT Pause() {
    dshow::Record("Pause");
    if (dshow::TestFails(TestMovieFailure::PAUSE)) return E_FAIL;
    if (!source_) return VFW_E_WRONG_STATE;
    if (state_ != State_Paused) {
      source_->Pause();
      state_ = State_Paused;
      UpdateTicker();
    }
    return S_OK;
  }

  HRESULT Stop() {
    dshow::Record("Stop");
    if (dshow::TestFails(TestMovieFailure::STOP)) return E_FAIL;
    if (!source_) return S_OK;
    source_->Stop();
    state_ = State_Stopped;
    completed_ = false;
    UpdateTicker();
    return S_OK;
  }

  HRESULT GetState(FILTER_STATE* state) {
    if (state == nullptr) return E_POINTER;
    *state = state_;
    return S_OK;
  }

  // ---- IMediaPosition ----

  HRESULT Duration(REFTIME* length) {
    dshow::Record("get_Duration");
    if (length == nullptr) return E_POINTER;
    if (dshow::TestFails(TestMovieFailure::GET_DURATION)) return E_FAIL;
    if (!source_) return VFW_E_WRONG_STATE;
    *length = source_->Duration();
    return S_OK;
  }

  HRESULT CurrentPosition(REFTIME* time) {
    if (time == nullptr) return E_POINTER;
    *time = source_ ? source_->Position() : 0.0;
    return S_OK;
  }

  // ---- IVideoWindow ----

  HRESULT PutOwner(OAHWND owner) {
    dshow::Record("put_Owner");
    if (dshow::TestFails(TestMovieFailure::PUT_OWNER)) return E_FAIL;
    if (!source_) return VFW_E_NOT_CONNECTED;
    HWND window = reinterpret_cast<HWND>(owner);
    DestroyVideoWindow();
    if (window == nullptr) {
      UpdateOutput();
      return S_OK;
    }
    if (!IsWindow(window)) return E_INVALIDARG;
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = VIDEO_WINDOW_CLASS;
    RegisterClassA(&wc);  // fails harmlessly when the class exists
    video_window_ = CreateWindowExA(0, VIDEO_WINDOW_CLASS, VIDEO_WINDOW_TEXT, WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                                    window, nullptr, nullptr, nullptr);
    if (video_window_ == nullptr) return E_FAIL;
    owner_ = window;
    UpdateOutput();
    return S_OK;
  }

  HRESULT PutWindowStyle(long style) {
    dshow::Record("put_WindowStyle " + std::to_string(static_cast<unsigned long>(style) & 0xFFFFFFFFu));
    if (dshow::TestFails(TestMovieFailure::PUT_WINDOW_STYLE)) return E_FAIL;
    if (!source_) return VFW_E_NOT_CONNECTED;
    return S_OK;
  }

  HRESULT PutMessageDrain(OAHWND drain) {
    dshow::Record("put_MessageDrain");
    if (dshow::TestFails(TestMovieFailure::PUT_MESSAGE_DRAIN)) return E_FAIL;
    if (!source_) return VFW_E_NOT_CONNECTED;
    (void)drain;  // every key and click reaches the program's window already
    return S_OK;
  }

  HRESULT PutFullScreenMode(long mode) {
    dshow::Record(std::string("put_FullScreenMode ") + (mode != OAFALSE ? "1" : "0"));
    if (!source_) return VFW_E_NOT_CONNECTED;
    full_screen_ = mode != OAFALSE;
    UpdateOutput();
    return S_OK;
  }

  HRESULT PutVisible(long visible) {
    dshow::Record(std::string("put_Visible ") + (visible != OAFALSE ? "1" : "0"));
    if (!source_) return VFW_E_NOT_CONNECTED;
    visible_ = visible != OAFALSE;
    UpdateOutput();
    return S_OK;
  }

  HRESULT SetWindowPosition() {
    dshow::Record("SetWindowPosition");
    return source_ ? S_OK : VFW_E_NOT_CONNECTED;
  }

  // ---- IMediaEventEx ----

  HRESULT GetEvent(long* code, LONG_PTR* param1, LONG_PTR* param2) {
    if (code == nullptr || param1 == nullptr || param2 == nullptr) return E_POINTER;
    // Nothing else runs on this thread while we would wait: an empty queue
    // answers at once.
    if (queue_.empty()) {
      dshow::Record("GetEvent none");
      return E_ABORT;
    }
    const Event e = queue_.front();
    queue_.pop_front();
    *code = e.code;
    *param1 = e.param1;
    *param2 = e.param2;
    dshow::Record("GetEvent " + std::to_string(e.code));
    return S_OK;
  }

  HRESULT SetNotifyWindow(OAHWND window, long message, LONG_PTR instance) {
    dshow::Record("SetNotifyWindow " + std::to_string(message));
    if (dshow::TestFails(TestMovieFailure::SET_NOTIFY_WINDOW)) return E_FAIL;
    notify_window_ = reinterpret_cast<HWND>(window);
    notify_message_ = static_cast<UINT>(message);
    notify_instance_ = instance;
    return S_OK;
  }

  // ---- From the pump ----

  void Queue(long code, LONG_PTR param1, LONG_PTR param2) {
    queue_.push_back({code, param1, param2});
    if (notify_window_ != nullptr) PostMessageA(notify_window_, notify_message_, 0, notify_instance_);
  }

  bool Running() const { return state_ == State_Running; }
  bool Ticking() const { return Running() && source_ && source_->NeedsTicks() && !completed_; }

  void Service() {
    if (!Ticking()) return;
    if (source_->Service()) {
      completed_ = true;
      Queue(EC_COMPLETE, S_OK, 0);
    }
  }

  void UserAbort() {
    if (Running()) Queue(EC_USERABORT, 0, 0);
  }

 private:
  template <typename Interface>
  struct Part : Interface {
    explicit Part(Graph* g) : graph(g) {}
    HRESULT QueryInterface(REFIID iid, void** out) override { return graph->QueryInterface(iid, out); }
    DWORD AddRef() override { return graph->AddRef(); }
    Graph* graph;
  };

  struct Builder : Part<IGraphBuilder> {
    using Part::Part;
    DWORD Release() override { return graph->Release("graph"); }
    HRESULT RenderFile(const WCHAR* file, const WCHAR*) override { return graph->RenderFile(file); }
  };
  struct Control : Part<IMediaControl> {
    using Part::Part;
    DWORD Release() override { return graph->Release("media control"); }
    HRESULT Run() override { return graph->Run(); }
    HRESULT Pause() override { return graph->Pause(); }
    HRESULT Stop() override { return graph->Stop(); }
    HRESULT GetState(long, FILTER_STATE* state) override { return graph->GetState(state); }
  };
  struct Position : Part<IMediaPosition> {
    using Part::Part;
    DWORD Release() override { return graph->Release("media position"); }
    HRESULT get_Duration(REFTIME* length) override { return graph->Duration(length); }
    HRESULT get_CurrentPosition(REFTIME* time) override { return graph->CurrentPosition(time); }
  };
  struct Video : Part<IVideoWindow> {
    using Part::Part;
    DWORD Release() override { return graph->Release("video window"); }
    HRESULT put_Owner(OAHWND owner) override { return graph->PutOwner(owner); }
    HRESULT put_WindowStyle(long style) override { return graph->PutWindowStyle(style); }
    HRESULT put_MessageDrain(OAHWND drain) override { return graph->PutMessageDrain(drain); }
    HRESULT put_FullScreenMode(long mode) override { return graph->PutFullScreenMode(mode); }
    HRESULT put_Visible(long visible) override { return graph->PutVisible(visible); }
    HRESULT SetWindowPosition(long, long, long, long) override { return graph->SetWindowPosition(); }
  };
  struct Events : Part<IMediaEventEx> {
    using Part::Part;
    DWORD Release() override { return graph->Release("media events"); }
    HRESULT GetEvent(long* code, LONG_PTR* p1, LONG_PTR* p2, long) override { return graph->GetEvent(code, p1, p2); }
    HRESULT FreeEventParams(long code, LONG_PTR, LONG_PTR) override {
      dshow::Record("FreeEventParams " + std::to_string(code));
      return S_OK;
    }
    HRESULT SetNotifyWindow(OAHWND window, long message, LONG_PTR instance) override {
      return graph->SetNotifyWindow(window, message, instance);
    }
  };

  void DestroyVideoWindow() {
    if (video_window_ != nullptr && IsWindow(video_window_)) DestroyWindow(video_window_);
    video_window_ = nullptr;
    owner_ = nullptr;
  }

  // The video shows in the owner's top-level window while the video window
  // is visible; the program's window is full screen, so full-screen mode and
  // the window's own place draw the same.
  void UpdateOutput() {
    if (source_) source_->SetOutput(owner_, owner_ != nullptr && (visible_ || full_screen_));
  }

  DWORD refs_ = 1;
  Builder builder_{this};
  Control control_{this};
  Position position_{this};
  Video video_{this};
  Events events_{this};
  std::unique_ptr<dshow::MovieSource> source_;
  FILTER_STATE state_ = State_Stopped;
  bool completed_ = false;
  HWND owner_ = nullptr;
  HWND video_window_ = nullptr;
  bool visible_ = false;
  bool full_screen_ = false;
  HWND notify_window_ = nullptr;
  UINT notify_message_ = 0;
  LONG_PTR notify_instance_ = 0;
  std::deque<Event> queue_;
};

void TickerLoop() {
  State& s = S();
  std::unique_lock<std::mutex> hold(s.tickerLock);
  while (!s.tickerWake.wait_for(hold, TICK, [&] { return s.tickerStop; })) {
    // One wake-up waiting at a time: a busy pump is not flooded.
    if (!s.tickPending.exchange(true) && SDL_WasInit(SDL_INIT_EVENTS) != 0) {
      SDL_Event e{};
      e.type = s.tickEvent;
      if (SDL_PushEvent(&e) != 1) s.tickPending = false;
    }
  }
}

void UpdateTicker() {
  State& s = S();
  const bool wanted = std::any_of(s.graphs.begin(), s.graphs.end(), [](Graph* g) { return g->Ticking(); });
  if (wanted == s.ticker.joinable()) return;
  if (wanted) {
    if (s.tickEvent == 0) {
      const Uint32 type = SDL_RegisterEvents(1);
      if (type == static_cast<Uint32>(-1)) return;
      s.tickEvent = type;
    }
    s.tickerStop = false;
    s.tickPending = false;
    s.ticker = std::thread(TickerLoop);
  } else {
    {
      std::lock_guard<std::mutex> hold(s.tickerLock);
      s.tickerStop = true;
    }
    s.tickerWake.notify_all();
    s.ticker.join();
  }
}

void Listen(const void* sdlEvent) {
  const SDL_Event& e = *static_cast<const SDL_Event*>(sdlEvent);
  State& s = S();
  // A copy: serving a graph may post messages, never release graphs, but
  // stay safe should a listener of ours ever do.
  const std::vector<Graph*> graphs = s.graphs;
  if (s.tickEvent != 0 && e.type == s.tickEvent) {
    s.tickPending = false;
  } else if (e.type == SDL_KEYDOWN && e.key.repeat == 0 && e.key.keysym.scancode == SDL_SCANCODE_ESCAPE) {
    for (Graph* g : graphs) g->UserAbort();
  }
  // Every event the pump sees is a chance to keep the movies going.
  for (Graph* g : graphs) g->Service();
  UpdateTicker();
}

}  // namespace

HRESULT CoInitialize(void*) { return S_OK; }
void CoUninitialize() {}

HRESULT CoCreateInstance(REFCLSID clsid, void* outer, DWORD, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  bool known = false;
  const HRESULT made = dplay::CreateObject(clsid, outer, iid, out, &known);
  if (known) return made;
  dshow::Record("CoCreateInstance");
  if (!SameGuid(clsid, CLSID_FilterGraph)) return REGDB_E_CLASSNOTREG;
  if (outer != nullptr) return E_NOINTERFACE;
  if (dshow::TestFails(TestMovieFailure::CREATE_GRAPH)) return REGDB_E_CLASSNOTREG;
  Graph* graph = new (std::nothrow) Graph();
  if (graph == nullptr) return E_OUTOFMEMORY;
  // The query takes its own reference; the creation's goes away with it or
  // with the graph when the interface is unknown.
  const HRESULT hr = graph->QueryInterface(iid, out);
  graph->Release(nullptr);
  return hr;
}

namespace platform {

void SetMovieSoundDevice(IDirectSound* device) { S().sound = device; }

void InjectMovieEvent(long code, LONG_PTR param1, LONG_PTR param2) {
  const std::vector<Graph*> graphs = S().graphs;
  for (Graph* g : graphs) g->Queue(code, param1, param2);
}

}  // namespace platform
