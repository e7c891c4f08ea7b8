// The movie player over the movie layer's test backend: opening with the
// disc search, playing to the end with the events reaching the scene, pause,
// stop and close, the Glide window closed and reopened around the movie, and
// every failure the player reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/app.h"
#include "engine/app_internal.h"
#include "engine/movie/movie_player.h"
#include "engine/system.h"
#include "platform/dshow/dshow.h"
#include "platform/win32/files.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/registry.h"
#include "platform/win32/window.h"
#include "tests/engine/program_fixture.h"

namespace {

using kelvtest::DeviceLog;
using kelvtest::Devices;
using kelvtest::LogEntries;
using Calls = std::vector<std::string>;
using Texts = std::vector<std::string>;

constexpr const char* MOVIE = "DATA\\MOVIES\\INTRO.MPG";
constexpr const char* MOVIE_ERROR = "Error loading movie data.\nPlease reinstall Kelvarro.";
constexpr const char* INSERT_DISC = "Please insert the Kelvarro CD-ROM.";
constexpr const char* REGISTRY_ERROR = "Error: Registry key not found.\nPlease reinstall Kelvarro.";

// The window messages around a movie, each with the last movie call made
// before it reached the default procedure.
LRESULT NoteMovieMessages(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == MSG_MOVIE_STARTING || msg == MSG_MOVIE_CLOSED) {
    const Calls& calls = platform::RecordedMovieCalls();
    kelvtest::Log(std::string(msg == MSG_MOVIE_STARTING ? "MSG_MOVIE_STARTING" : "MSG_MOVIE_CLOSED") + " after " +
                  (calls.empty() ? "nothing" : calls.back()));
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A movie scene's key handler, as the front end's: every waiting event is
// fetched and freed, and the end of the movie or Escape stops it.
class MovieScene : public kelvtest::TestScene {
 public:
  explicit MovieScene(MoviePlayer* movie) : TestScene("movie", Script()), movie_(movie) {}

  void OnKey(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg != MSG_MOVIE_EVENT) return TestScene::OnKey(msg, wParam, lParam);
    long code;
    LONG_PTR p1, p2;
    while (movie_->events->GetEvent(&code, &p1, &p2, 100) == S_OK) {
      movie_->events->FreeEventParams(code, p1, p2);
      kelvtest::Log("movie event " + std::to_string(code));
      if (code == EC_COMPLETE || code == EC_USERABORT) movie_->Stop();
    }
  }

 private:
  static kelvtest::SceneScript Script() {
    kelvtest::SceneScript s;
    s.acceptsKeys = true;
    return s;
  }
  MoviePlayer* movie_;
};

class MoviePlayerTest : public kelvtest::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    platform::UseTestMovies(true);
    g_DefaultWindowProc = NoteMovieMessages;
    CreateWindow();
  }
  void TearDown() override {
    movie_.Close();
    g_CurrentScene = nullptr;
    g_DefaultWindowProc = DefWindowProcA;
    platform::UseTestMovies(false);
    ProgramTest::TearDown();
  }

  // Dispatches everything waiting, as the message loop does.
  static void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  // A read-only drive under the game root; the game disc's marker when `disc`,
  // the movie when `movie`.
  platform::DriveMapping Drive(char letter, bool disc, bool movie) {
    const std::string folder = std::string("drive_") + letter;
    std::filesystem::create_directories(Host(folder));
    if (disc) Put(folder + "/DATA/QDV.DAT", {1});
    if (movie) Put(folder + "/DATA/MOVIES/INTRO.MPG", {2});
    return {letter, Host(folder), true};
  }

  static void DeleteCdPath() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, CONFIG_KEY, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, "CDPath");
    RegCloseKey(key);
  }

  // The RenderFile calls made so far.
  static Calls Renders() {
    Calls out;
    for (const std::string& c : platform::RecordedMovieCalls())
      if (c.rfind("RenderFile ", 0) == 0) out.push_back(c.substr(11));
    return out;
  }

  MoviePlayer movie_;
};

TEST_F(MoviePlayerTest, PlaysToItsEndWithTheGlideWindowClosedAroundIt) {
  Devices().exclusiveWindow = true;
  Put("DATA/MOVIES/INTRO.MPG", {1});
  platform::SetTestMovie(2.5, S_OK);
  MovieScene scene(&movie_);
  g_CurrentScene = &scene;

  ASSERT_TRUE(movie_.Open(MOVIE));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(platform::RecordedMovieCalls(),
            (Calls{"CoCreateInstance", "QueryInterface IGraphBuilder", "RenderFile DATA\\MOVIES\\INTRO.MPG",
                   "QueryInterface IVideoWindow", "put_Owner",
                   "put_WindowStyle " + std::to_string(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
                   "put_MessageDrain", "QueryInterface IMediaControl", "QueryInterface IMediaEventEx",
                   "SetNotifyWindow 1037", "QueryInterface IMediaPosition", "get_Duration"}));
  EXPECT_EQ(movie_.duration, 2.5);
  ASSERT_NE(g_MovieWindow, nullptr);
  char text[32];
  GetWindowTextA(g_MovieWindow, text, sizeof text);
  EXPECT_STREQ(text, "ActiveMovie Window");

  // Play: the Glide window closes before the video shows and runs.
  DeviceLog().clear();
  platform::ClearRecordedMovieCalls();
  ASSERT_TRUE(movie_.Play(1));
  EXPECT_EQ(movie_.state, MOVIE_PLAYING);
  EXPECT_EQ(movie_.playValue, 1);
  EXPECT_EQ(DeviceLog(), (Calls{"Renderer::SuspendExclusiveWindow", "MSG_MOVIE_STARTING after nothing"}));
  EXPECT_EQ(platform::RecordedMovieCalls(), (Calls{"put_FullScreenMode 1", "put_Visible 1", "Run"}));

  // The end of the movie reaches the scene, which stops it.
  DeviceLog().clear();
  platform::ClearRecordedMovieCalls();
  platform::InjectMovieEvent(EC_COMPLETE, 0, 0);
  Pump();
  EXPECT_EQ(LogEntries("movie event"), Calls{"movie event 1"});
  EXPECT_EQ(platform::RecordedMovieCalls(),
            (Calls{"GetEvent 1", "FreeEventParams 1", "Stop", "put_FullScreenMode 0", "GetEvent none"}));
  EXPECT_EQ(movie_.state, MOVIE_STOPPED);

  // Pause and stop from playing.
  ASSERT_TRUE(movie_.Play(0));
  platform::ClearRecordedMovieCalls();
  ASSERT_TRUE(movie_.Pause());
  EXPECT_EQ(movie_.state, MOVIE_PAUSED);
  ASSERT_TRUE(movie_.Stop());
  EXPECT_EQ(movie_.state, MOVIE_STOPPED);
  EXPECT_EQ(platform::RecordedMovieCalls(), (Calls{"Pause", "put_FullScreenMode 0", "Stop", "put_FullScreenMode 0"}));

  // Close releases in order, then the Glide window comes back.
  HWND video = g_MovieWindow;
  DeviceLog().clear();
  platform::ClearRecordedMovieCalls();
  movie_.Close();
  EXPECT_EQ(platform::RecordedMovieCalls(), (Calls{"Release media events", "Release media position",
                                                   "Release media control", "Release video window", "Release graph"}));
  EXPECT_EQ(DeviceLog(), (Calls{"Renderer::ResumeExclusiveWindow 1", "MSG_MOVIE_CLOSED after Release graph"}));
  EXPECT_EQ(g_MovieWindow, nullptr);
  EXPECT_FALSE(IsWindow(video));
  EXPECT_EQ(movie_.graph, nullptr);
  EXPECT_EQ(movie_.events, nullptr);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(MoviePlayerTest, EscapeEndsTheMovieAndStillReachesTheWindow) {
  Put("DATA/MOVIES/INTRO.MPG", {1});
  MovieScene scene(&movie_);
  g_CurrentScene = &scene;
  ASSERT_TRUE(movie_.Open(MOVIE));
  ASSERT_TRUE(movie_.Play(1));
  ASSERT_TRUE(platform::InjectKey(g_App.hwnd, {.vk = VK_ESCAPE}));
  Pump();
  EXPECT_EQ(LogEntries("movie event"), Calls{"movie event 2"});
  EXPECT_EQ(LogEntries("movie scene OnKey " + std::to_string(WM_KEYDOWN)),
            Calls{"movie scene OnKey " + std::to_string(WM_KEYDOWN) + " " + std::to_string(VK_ESCAPE)});
  EXPECT_EQ(movie_.state, MOVIE_STOPPED);

  // Not while the movie is stopped.
  ASSERT_TRUE(platform::InjectKey(g_App.hwnd, {.vk = VK_ESCAPE}));
  Pump();
  EXPECT_EQ(LogEntries("movie event").size(), 1u);
}

TEST_F(MoviePlayerTest, WithoutAGlideWindowNoWindowMessagesAreSent) {
  Put("DATA/MOVIES/INTRO.MPG", {1});
  ASSERT_TRUE(movie_.Open(MOVIE));
  ASSERT_TRUE(movie_.Play(1));
  movie_.Close();
  EXPECT_EQ(LogEntries("MSG_MOVIE"), Calls{});
  EXPECT_EQ(LogEntries("Renderer::"), Calls{});
}

// The look-up of a movie missing where the scene names it: CDPath at once,
// then the disc search with the insert-disc prompt.
TEST_F(MoviePlayerTest, LooksForAMissingMovieOnTheDisc) {
  struct Case {
    const char* name;
    bool local;
    const char* cdPath;  // null: no value
    bool eHasMovie;      // E: is where CDPath points
    bool fIsDisc;        // F: holds the game disc...
    bool fHasMovie;      // ...and the movie
    std::vector<int> answers;
    bool opened;
    Calls renders;
    Texts boxes;
  };
  const std::string local = MOVIE;
  const std::string onE = std::string("E:\\") + MOVIE;
  const std::string onF = std::string("F:\\") + MOVIE;
  const Case cases[] = {
      {"installed: the registry is not read", true, nullptr, false, false, false, {}, true, {local}, {}},
      {"under CDPath: no prompt", false, "E:\\", true, false, false, {}, true, {local, onE}, {}},
      {"CDPath's drive root only", false, "E:\\GAME\\", true, false, false, {}, true, {local, onE}, {}},
      {"found by the disc search", false, "E:\\", false, true, true, {}, true, {local, onE, onF}, {}},
      {"no disc: OK, then Cancel", false, "E:\\", false, false, false, {IDOK, IDCANCEL}, false, {local, onE, onE},
       {INSERT_DISC, INSERT_DISC}},
      {"no CDPath", false, nullptr, true, false, false, {}, false, {local}, {REGISTRY_ERROR}},
      {"a CDPath without a drive", false, "GAME", true, false, false, {}, false, {local}, {REGISTRY_ERROR}},
      {"a disc without the movie: bounded, then asks", false, "E:\\", false, true, false, {IDCANCEL}, false,
       {local, onE, onF, onF, onF}, {INSERT_DISC}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(Host("DATA"));
    std::filesystem::remove_all(Host("drive_E"));
    std::filesystem::remove_all(Host("drive_F"));
    DeleteCdPath();
    platform::ClearRecordedMessageBoxes();
    platform::ClearRecordedMovieCalls();
    platform::ScriptMessageBoxAnswers(c.answers);
    if (c.local) Put("DATA/MOVIES/INTRO.MPG", {1});
    ASSERT_TRUE(c.cdPath == nullptr || WriteRegistryString("CDPath", c.cdPath));
    platform::SetDriveMap({Drive('E', false, c.eHasMovie), Drive('F', c.fIsDisc, c.fHasMovie)});

    EXPECT_EQ(movie_.Open(MOVIE), c.opened);
    EXPECT_EQ(Renders(), c.renders);
    EXPECT_EQ(Boxes(), c.boxes);
    EXPECT_EQ(g_MovieWindow != nullptr, c.opened);
    movie_.Close();
  }
}

TEST_F(MoviePlayerTest, EachFailureOfTheGraphIsReportedOnce) {
  using F = platform::TestMovieFailure;
  struct Case {
    const char* name;
    F failure;
    bool box;
  };
  const Case cases[] = {
      {"no filter graph", F::CREATE_GRAPH, false},
      {"no video window", F::QUERY_VIDEO_WINDOW, true},
      {"owner refused", F::PUT_OWNER, true},
      {"style refused", F::PUT_WINDOW_STYLE, true},
      {"drain refused", F::PUT_MESSAGE_DRAIN, true},
      {"no media control", F::QUERY_MEDIA_CONTROL, true},
      {"no media events", F::QUERY_MEDIA_EVENT, true},
      {"no notification", F::SET_NOTIFY_WINDOW, true},
      {"no media position", F::QUERY_MEDIA_POSITION, true},
      {"no duration", F::GET_DURATION, true},
  };
  Put("DATA/MOVIES/INTRO.MPG", {1});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::ClearRecordedMessageBoxes();
    platform::InjectMovieFailure(c.failure, 1);
    EXPECT_FALSE(movie_.Open(MOVIE));
    EXPECT_EQ(Boxes(), c.box ? Texts{MOVIE_ERROR} : Texts{});
    movie_.Close();
  }

  // A file that is no movie, and a name too long to convert.
  platform::ClearRecordedMessageBoxes();
  platform::SetTestMovie(1.0, VFW_E_UNKNOWN_FILE_TYPE);
  EXPECT_FALSE(movie_.Open(MOVIE));
  EXPECT_EQ(g_MovieWindow, nullptr);
  movie_.Close();
  platform::SetTestMovie(1.0, S_OK);
  EXPECT_FALSE(movie_.Open(std::string(300, 'A').c_str()));
  EXPECT_EQ(Boxes(), (Texts{MOVIE_ERROR, MOVIE_ERROR}));
  movie_.Close();
}

TEST_F(MoviePlayerTest, FailedRunPauseAndStopKeepTheStateWithoutABox) {
  Put("DATA/MOVIES/INTRO.MPG", {1});
  // Nothing opened: nothing runs.
  EXPECT_FALSE(movie_.Play(1));
  EXPECT_FALSE(movie_.Pause());
  EXPECT_FALSE(movie_.Stop());
  ASSERT_TRUE(movie_.Open(MOVIE));

  platform::InjectMovieFailure(platform::TestMovieFailure::RUN, 1);
  EXPECT_FALSE(movie_.Play(1));
  EXPECT_EQ(movie_.state, MOVIE_STOPPED);
  ASSERT_TRUE(movie_.Play(1));
  platform::InjectMovieFailure(platform::TestMovieFailure::PAUSE, 1);
  EXPECT_FALSE(movie_.Pause());
  EXPECT_EQ(movie_.state, MOVIE_PLAYING);
  platform::InjectMovieFailure(platform::TestMovieFailure::STOP, 1);
  EXPECT_FALSE(movie_.Stop());
  EXPECT_EQ(movie_.state, MOVIE_PLAYING);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(MoviePlayerTest, CloseReopensTheGlideWindowOnlyAfterAVideoWindow) {
  Devices().exclusiveWindow = true;
  Put("DATA/MOVIES/INTRO.MPG", {1});
  platform::InjectMovieFailure(platform::TestMovieFailure::QUERY_VIDEO_WINDOW, 1);
  EXPECT_FALSE(movie_.Open(MOVIE));
  movie_.Close();
  EXPECT_EQ(LogEntries("MSG_MOVIE_CLOSED"), Calls{});

  // Found, then a later step failed: the window was there, so it is reopened.
  platform::InjectMovieFailure(platform::TestMovieFailure::GET_DURATION, 1);
  EXPECT_FALSE(movie_.Open(MOVIE));
  movie_.Close();
  EXPECT_EQ(LogEntries("MSG_MOVIE_CLOSED").size(), 1u);
}

TEST(FindMovieWindowCallbackTest, FindsTheVideoWindowByItsTextInAnyCase) {
  platform::UseTestWindowing(true);
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "PLAIN";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND main = CreateWindowExA(0, "PLAIN", "main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND other = CreateWindowExA(0, "PLAIN", "ActiveMovie", WS_CHILD, 0, 0, 1, 1, main, nullptr, nullptr, nullptr);
  HWND video = CreateWindowExA(0, "PLAIN", "activemovie WINDOW", WS_CHILD, 0, 0, 1, 1, other, nullptr, nullptr,
                               nullptr);
  HWND after = CreateWindowExA(0, "PLAIN", "ActiveMovie Window", WS_CHILD, 0, 0, 1, 1, main, nullptr, nullptr,
                               nullptr);
  ASSERT_NE(after, nullptr);
  g_MovieWindow = nullptr;
  EnumChildWindows(main, FindMovieWindowCallback, 0);
  EXPECT_EQ(g_MovieWindow, video) << "the first match in creation order, children included, ends the search";
  g_MovieWindow = nullptr;
  EXPECT_EQ(FindMovieWindowCallback(other, 0), TRUE);
  EXPECT_EQ(g_MovieWindow, nullptr);
  platform::UseTestWindowing(false);
}

}  // namespace
