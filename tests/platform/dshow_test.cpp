// The movie layer with its FFmpeg backend, on SDL's offscreen video and the
// sound device's test output: the synthetic movie decoded into a real
// window at its own pace, its tone in the mix, its end as EC_COMPLETE; and
// the files it refuses.
#include "platform/dshow/dshow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/dsound/dsound.h"
#include "platform/win32/window.h"
#include "tests/support/game_root.h"
#include "tools/movie.h"

namespace {

constexpr UINT MOVIE_EVENT = 0x400 + 13;

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

class MovieDecodeTest : public kelvtest::GameRootTest {
 protected:
  void SetUp() override {
    GameRootTest::SetUp();
    platform::UseTestWindowing(false);
    platform::UseOpenGLWindows(false);
    platform::UseTestSound(true);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "MOVIETEST";
    ASSERT_NE(RegisterClassA(&wc), 0);
  }
  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
    UnregisterClassA("MOVIETEST", nullptr);
    unsetenv("KELVARRO_WINDOW");
    platform::SetMovieSoundDevice(nullptr);
    if (sound_ != nullptr) sound_->Release();
    platform::UseTestSound(false);
    platform::UseOpenGLWindows(true);
    GameRootTest::TearDown();
  }

  // A 400 x 200 window: a 4:3 picture fills its height, 267 pixels wide
  // from x = 66, with black on either side.
  void MakeWindow() {
    setenv("KELVARRO_WINDOW", "400x200", 1);
    window_ = CreateWindowExA(0, "MOVIETEST", "movie", WS_POPUP | WS_VISIBLE, 0, 0, 400, 200, nullptr, nullptr,
                              nullptr, nullptr);
    ASSERT_NE(window_, nullptr) << "the test run sets SDL_VIDEODRIVER=offscreen";
    ASSERT_NE(platform::NativeWindow(window_), nullptr);
  }

  IGraphBuilder* Render(const std::string& file, HRESULT* result) {
    IGraphBuilder* graph = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                               reinterpret_cast<void**>(&graph)),
              S_OK);
    *result = graph != nullptr ? graph->RenderFile(Wide(file).c_str(), nullptr) : E_FAIL;
    return graph;
  }

  HWND window_ = nullptr;
  IDirectSound* sound_ = nullptr;
};

bool Near(const std::uint8_t got[3], int r, int g, int b, int tolerance) {
  return std::abs(got[0] - r) <= tolerance && std::abs(got[1] - g) <= tolerance && std::abs(got[2] - b) <= tolerance;
}

TEST_F(MovieDecodeTest, PlaysTheMovieIntoTheWindowWithItsSoundToTheEnd) {
  kelvdata::MovieSpec spec;
  spec.seconds = 1.0;
  spec.colours = {{200, 40, 40}, {40, 80, 220}};
  kelvdata::Bytes movie;
  std::string error;
  ASSERT_TRUE(kelvdata::BuildMovie(spec, &movie, &error)) << error;
  Put("DATA/MOVIES/INTRO.MPG", movie);
  MakeWindow();
  ASSERT_EQ(DirectSoundCreate(nullptr, &sound_, nullptr), DS_OK);
  platform::SetMovieSoundDevice(sound_);

  HRESULT rendered;
  IGraphBuilder* graph = Render("DATA\\MOVIES\\INTRO.MPG", &rendered);
  ASSERT_EQ(rendered, S_OK);
  IVideoWindow* video = nullptr;
  IMediaControl* control = nullptr;
  IMediaEventEx* events = nullptr;
  IMediaPosition* position = nullptr;
  ASSERT_EQ(graph->QueryInterface(IID_IVideoWindow, reinterpret_cast<void**>(&video)), S_OK);
  ASSERT_EQ(graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)), S_OK);
  ASSERT_EQ(graph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(&events)), S_OK);
  ASSERT_EQ(graph->QueryInterface(IID_IMediaPosition, reinterpret_cast<void**>(&position)), S_OK);
  REFTIME duration = 0.0;
  ASSERT_EQ(position->get_Duration(&duration), S_OK);
  EXPECT_NEAR(duration, 1.0, 0.15);
  ASSERT_EQ(video->put_Owner(reinterpret_cast<OAHWND>(window_)), S_OK);
  ASSERT_EQ(events->SetNotifyWindow(reinterpret_cast<OAHWND>(window_), MOVIE_EVENT, 7), S_OK);
  ASSERT_EQ(video->put_FullScreenMode(OATRUE), S_OK);
  ASSERT_EQ(video->put_Visible(OATRUE), S_OK);

  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(control->Run(), S_OK);
  bool sawFirstColour = false;
  bool sawBorder = false;
  bool ended = false;
  float loudest = 0.0f;
  std::vector<float> mix(2 * 441);
  while (!ended && std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == MOVIE_EVENT) {
        EXPECT_EQ(msg.hwnd, window_);
        EXPECT_EQ(msg.lParam, 7);
        ended = true;
      }
    }
    std::uint8_t px[3];
    if (!sawFirstColour && platform::MovieWindowPixel(window_, 200, 100, px)) {
      // The first picture's colour, through YUV and back.
      sawFirstColour = Near(px, 200, 40, 40, 10);
      EXPECT_TRUE(sawFirstColour) << int(px[0]) << "," << int(px[1]) << "," << int(px[2]);
      ASSERT_TRUE(platform::MovieWindowPixel(window_, 60, 100, px));
      sawBorder = Near(px, 0, 0, 0, 0);
      ASSERT_TRUE(platform::MovieWindowPixel(window_, 80, 100, px));
      EXPECT_TRUE(Near(px, 200, 40, 40, 10)) << "the picture starts at x = 66";
    }
    // The output takes 10 ms of sound every pass.
    ASSERT_TRUE(platform::RenderMix(441, mix.data()));
    for (float v : mix) loudest = std::max(loudest, std::fabs(v));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(sawFirstColour);
  EXPECT_TRUE(sawBorder);
  ASSERT_TRUE(ended) << "no EC_COMPLETE within 10 s";
  // Not before the movie's own length has passed.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  EXPECT_GT(loudest, 0.1f) << "the tone was not heard";

  long code = 0;
  LONG_PTR p1 = 0, p2 = 0;
  ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 100), S_OK);
  EXPECT_EQ(code, EC_COMPLETE);
  EXPECT_EQ(events->FreeEventParams(code, p1, p2), S_OK);
  EXPECT_EQ(events->GetEvent(&code, &p1, &p2, 100), E_ABORT);
  std::uint8_t last[3];
  ASSERT_TRUE(platform::MovieWindowPixel(window_, 200, 100, last));
  EXPECT_TRUE(Near(last, 40, 80, 220, 10)) << int(last[0]) << "," << int(last[1]) << "," << int(last[2]);

  // Stopped, the movie can play again from the start.
  EXPECT_EQ(control->Stop(), S_OK);
  REFTIME at = -1.0;
  EXPECT_EQ(position->get_CurrentPosition(&at), S_OK);
  EXPECT_EQ(at, 0.0);
  events->Release();
  position->Release();
  control->Release();
  video->Release();
  EXPECT_EQ(graph->Release(), 0u);
}

// A machine without sound (or a sound buffer that could not be made): the
// movie's sound has nowhere to go, and the movie still ends after its length.
TEST_F(MovieDecodeTest, WithoutSoundTheMovieStillEndsAfterItsLength) {
  kelvdata::MovieSpec spec;
  spec.seconds = 1.0;
  kelvdata::Bytes movie;
  ASSERT_TRUE(kelvdata::BuildMovie(spec, &movie, nullptr));
  Put("DATA/MOVIES/INTRO.MPG", movie);
  MakeWindow();
  platform::SetMovieSoundDevice(nullptr);
  HRESULT rendered;
  IGraphBuilder* graph = Render("DATA\\MOVIES\\INTRO.MPG", &rendered);
  ASSERT_EQ(rendered, S_OK);
  IVideoWindow* video = nullptr;
  IMediaControl* control = nullptr;
  IMediaEventEx* events = nullptr;
  ASSERT_EQ(graph->QueryInterface(IID_IVideoWindow, reinterpret_cast<void**>(&video)), S_OK);
  ASSERT_EQ(graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)), S_OK);
  ASSERT_EQ(graph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(&events)), S_OK);
  ASSERT_EQ(video->put_Owner(reinterpret_cast<OAHWND>(window_)), S_OK);
  ASSERT_EQ(events->SetNotifyWindow(reinterpret_cast<OAHWND>(window_), MOVIE_EVENT, 7), S_OK);
  ASSERT_EQ(video->put_Visible(OATRUE), S_OK);

  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(control->Run(), S_OK);
  bool ended = false;
  while (!ended && std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ended = ended || msg.message == MOVIE_EVENT;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(ended) << "no EC_COMPLETE within 10 s";
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  long code = 0;
  LONG_PTR p1 = 0, p2 = 0;
  ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 100), S_OK);
  EXPECT_EQ(code, EC_COMPLETE);
  events->FreeEventParams(code, p1, p2);
  control->Stop();
  events->Release();
  control->Release();
  video->Release();
  EXPECT_EQ(graph->Release(), 0u);
}

TEST_F(MovieDecodeTest, RefusesFilesThatAreNoPlayableMovie) {
  kelvdata::MovieSpec spec;
  spec.width = 32;
  spec.height = 32;
  spec.seconds = 0.4;
  kelvdata::Bytes movie;
  ASSERT_TRUE(kelvdata::BuildMovie(spec, &movie, nullptr));
  spec.sound = false;
  kelvdata::Bytes silent;
  ASSERT_TRUE(kelvdata::BuildMovie(spec, &silent, nullptr));
  const std::string text = "This is a text file, no movie at all.\n";

  struct Case {
    const char* name;
    kelvdata::Bytes bytes;
    bool present;
    HRESULT result;
  };
  const Case cases[] = {
      {"a movie", movie, true, S_OK},
      {"a movie without sound", silent, true, S_OK},
      {"missing", {}, false, VFW_E_NOT_FOUND},
      {"empty", {}, true, VFW_E_UNKNOWN_FILE_TYPE},
      {"text", kelvdata::Bytes(text.begin(), text.end()), true, VFW_E_UNKNOWN_FILE_TYPE},
      {"cut in half: plays up to the cut", kelvdata::Bytes(movie.begin(), movie.begin() + movie.size() / 2), true,
       S_OK},
      {"cut inside the header", kelvdata::Bytes(movie.begin(), movie.begin() + 40), true, VFW_E_UNKNOWN_FILE_TYPE},
      {"zeros", kelvdata::Bytes(4096, 0), true, VFW_E_UNKNOWN_FILE_TYPE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(Host("DATA"));
    if (c.present) Put("DATA/M.MPG", c.bytes);
    HRESULT result;
    IGraphBuilder* graph = Render("data\\m.mpg", &result);
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(result, c.result);
    IVideoWindow* video = nullptr;
    ASSERT_EQ(graph->QueryInterface(IID_IVideoWindow, reinterpret_cast<void**>(&video)), S_OK);
    // Without a rendered movie the video window has nothing to show.
    EXPECT_EQ(video->put_Owner(0) == S_OK, c.result == S_OK);
    video->Release();
    graph->Release();
  }
}

}  // namespace
