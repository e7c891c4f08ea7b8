// The application shell: start-up, the message loop, the window procedure,
// the shutdown and the exit handlers, on a temporary game root.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/app.h"
#include "engine/app_internal.h"
#include "engine/archive.h"
#include "engine/cd_audio.h"
#include "engine/display.h"
#include "engine/mixer.h"
#include "engine/program_objects.h"
#include "engine/scene/scene.h"
#include "engine/scene/scene_table.h"
#include "engine/system.h"
#include "engine/text_database.h"
#include "frontend/front_end_install.h"
#include "platform/dinput/input_test.h"
#include "platform/mixer/mixer.h"
#include "platform/win32/files.h"
#include "platform/win32/interrupt.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/registry.h"
#include "platform/win32/window.h"
#include "tests/engine/program_fixture.h"
#include "tools/bbf.h"

namespace {

using kelvtest::DeviceLog;
using kelvtest::Devices;
using kelvtest::LogEntries;
using Log = std::vector<std::string>;
using Texts = std::vector<std::string>;

const char* const kRegistryMessage = "Error: Registry key not found.\nPlease reinstall Kelvarro.";
const char* const kInsertDisc = "Please insert the Kelvarro CD-ROM.";

// Messages that reached the default window procedure.
std::vector<UINT>& Defaulted() {
  static std::vector<UINT> messages;
  return messages;
}

LRESULT RecordingDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Defaulted().push_back(msg);
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class AppTest : public kelvtest::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    g_SavedAutoRunPolicy = AUTORUN_POLICY_DEFAULT;
    Defaulted().clear();
    g_DefaultWindowProc = RecordingDefault;
  }
  void TearDown() override {
    g_DefaultWindowProc = DefWindowProcA;
    platform::ClearInterrupt();
    ProgramTest::TearDown();
  }

  static void SetDword(const char* name, DWORD value) { ASSERT_TRUE(WriteRegistryDword(name, value)); }
  // The music lines' volumes, as the player's options would leave them.
  static void SetMusicLines(int cd, int digital, int aux) {
    g_Mixer.Line(MIXER_LINE_CD)->SetVolume(cd);
    g_Mixer.Line(MIXER_LINE_DIGITAL)->SetVolume(digital);
    g_Mixer.Line(MIXER_LINE_AUX)->SetVolume(aux);
  }

  // The Explorer policy value, or -1 when it does not exist.
  static long long AutoRunPolicy() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, AUTORUN_POLICY_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    const bool ok = RegQueryValueExA(key, AUTORUN_POLICY_VALUE, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                     &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok ? static_cast<long long>(value) : -1;
  }
  static void SetAutoRunPolicy(DWORD value) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, AUTORUN_POLICY_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, AUTORUN_POLICY_VALUE, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&value), 4),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  // A read-only drive under the game root (a disc); with the track archive
  // and the disc's marker file when `withArchive`.
  platform::DriveMapping Disc(char letter, bool withArchive) {
    const std::string folder = std::string("disc_") + letter;
    std::filesystem::create_directories(Host(folder));
    if (withArchive) {
      Put(folder + "/DATA/QDV.DAT", {1});
      Put(folder + "/DATA/TRACK.BBF", kelvdata::BuildBbf({{"TRACK.DAT", {9}}}));
    }
    return {letter, Host(folder), true};
  }

  // Starts the game as WinMain does, without entering the loop.
  bool Start() {
    char commandLine[] = "";
    return g_App.Init(nullptr, commandLine);
  }

  LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) { return SendMessageA(g_App.hwnd, msg, wParam, lParam); }

  // Every message waiting in the queue, taken out.
  static std::vector<UINT> DrainQueue() {
    std::vector<UINT> out;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) out.push_back(msg.message);
    return out;
  }
};

// ---- Start-up ---------------------------------------------------------------

TEST_F(AppTest, StartsWithoutAnyRegistryValues) {
  WriteGame();
  ASSERT_TRUE(Start());
  EXPECT_TRUE(Boxes().empty());

  EXPECT_EQ(g_GameWidth, 0u);
  EXPECT_EQ(g_GameHeight, 0u);
  EXPECT_EQ(g_ScreenWidth, 640u);
  EXPECT_EQ(g_ScreenHeight, 480u);
  EXPECT_TRUE(IsWindow(g_App.hwnd));
  EXPECT_EQ(g_MainWindow, g_App.hwnd);
  EXPECT_EQ(g_AppReady, 1);
  EXPECT_EQ(g_TrackArchiveOnDisc, 0);
  EXPECT_TRUE(g_UiArchive.IsOpen());
  EXPECT_TRUE(g_MiscArchive.IsOpen());
  EXPECT_TRUE(g_TrackArchive.IsOpen());
  EXPECT_EQ(g_App.sceneCount, 40u);
  EXPECT_EQ(g_SceneNumber, FIRST_SCENE);

  // The steps in their order, up to the first scene.
  EXPECT_EQ(DeviceLog(), (Log{"mci open error", "mixerOpen error", "GameController::Command 81 0 0 'NULL'",
                              "GameController::Command 40 0 0 ''", "GameController::Command 40 1 0 ''",
                              "GameController::Command 40 2 0 ''", "Renderer::Open 640x480",
                              "Cursor::SetDirectInput DirectInput", "Cursor::Create", "Cursor::SetAcquired 1",
                              "Renderer::AssignTextureSizeClasses 1", "ui scene made",
                              "GameController::ClearRaceScene", "GameController::SetUiScene",
                              "Renderer::SetDefaultStates", "ui scene Load SCENE27.SCN"}));
}

TEST_F(AppTest, TheRaceSizeIsReadOnlyWithItsWidth) {
  const struct {
    bool width, height;
    std::uint32_t expectWidth, expectHeight;
  } cases[] = {{true, true, 800, 600}, {false, true, 0, 0}, {true, false, 800, 0}};
  for (const auto& c : cases) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, CONFIG_KEY, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, "GameWidth");
      RegDeleteValueA(key, "GameHeight");
      RegCloseKey(key);
    }
    if (c.width) SetDword("GameWidth", 800);
    if (c.height) SetDword("GameHeight", 600);
    g_GameWidth = 0;
    g_GameHeight = 0;
    platform::UseTestWindowing(true);
    ASSERT_TRUE(g_App.CreateMainWindow());
    EXPECT_EQ(g_GameWidth, c.expectWidth);
    EXPECT_EQ(g_GameHeight, c.expectHeight);
    // The front end's size whatever the race size.
    EXPECT_EQ(g_ScreenWidth, 640u);
  }
}

TEST_F(AppTest, TheTextDatabaseFollowsTheLoadedLanguage) {
  const struct {
    long long language;  // -1: the option load leaves it alone
    const char* texts;
  } cases[] = {{-1, "texts 0"}, {3, "texts 3"}, {7, "texts 7"}, {8, "texts 0"}, {9, "texts 0"}};
  for (const auto& c : cases) {
    ProgramTest::TearDown();
    ProgramTest::SetUp();
    WriteGame();
    if (c.language >= 0) frontEnd_.optionLanguage = static_cast<std::uint32_t>(c.language);
    ASSERT_TRUE(Start()) << c.language;
    ASSERT_EQ(g_TextDatabase.Count(), 1u) << c.language;
    EXPECT_STREQ(g_TextDatabase.Text(0), c.texts) << c.language;
  }
}

// The option load that reads Language belongs to the front end: with its own
// front end the program takes the configuration's language before it loads
// the texts.
TEST_F(AppTest, TheProgramTakesTheLanguageFromTheFrontEndsOptionLoad) {
  WriteGame();
  SetDword("Language", 3);
  const ProgramObjectSlot frontEndSlots[] = {PROGRAM_OBJECT_GAME_CONTROLLER, PROGRAM_OBJECT_PLAYERS_LIST,
                                             PROGRAM_OBJECT_SINGLE_RACE, PROGRAM_OBJECT_CHAMPIONSHIP};
  std::vector<ProgramObject> saved;
  for (ProgramObjectSlot slot : frontEndSlots) saved.push_back(GetProgramObject(slot));
  InstallFrontEnd();
  GetProgramObject(PROGRAM_OBJECT_GAME_CONTROLLER).construct();
  // The real first scene finds no scene file here; the texts are loaded before it.
  Start();
  for (std::size_t i = 0; i < saved.size(); ++i) SetProgramObject(frontEndSlots[i], saved[i]);
  InstallFrontEndServices(&frontEnd_);
  EXPECT_EQ(g_Language, 3u);
  ASSERT_EQ(g_TextDatabase.Count(), 1u);
  EXPECT_STREQ(g_TextDatabase.Text(0), "texts 3");
}

// A failed start is no success: WinMain returns non-zero, and a failure that
// showed no box says on standard error what failed and where it looked.
TEST_F(AppTest, AFailedStartSaysWhyAndReturnsNonZero) {
  const struct {
    const char* name;
    std::function<void()> spoil;
    Texts boxes;
    std::string line;  // after "Kelvarro: cannot start in <game root>: "; empty for none
  } cases[] = {
      {"no UI archive", [this] { std::filesystem::remove(Host("DATA/UI.BBF")); }, {},
       "DATA\\UI.BBF is missing (start the game from its data folder, the one that holds DATA)"},
      {"no MISC archive", [this] { std::filesystem::remove(Host("DATA/MISC.BBF")); }, {},
       "DATA\\MISC.BBF is missing (start the game from its data folder, the one that holds DATA)"},
      {"damaged UI archive", [this] { Put("DATA/UI.BBF", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'a', 'r'}); },
       {}, "DATA\\UI.BBF is not an archive the game can read"},
      {"no DirectInput",
       [] { platform::FailTestInput(platform::TestInputFailure::CREATE, true); }, {},
       "the input devices failed: no keyboard or joystick could be opened"},
      {"no scene table", [this] { std::filesystem::remove(Host("DATA/QDV.BIN")); },
       {"File error opening game data.\nPlease reinstall Kelvarro."}, ""},
      {"no text database", [this] { Put("DATA/UI.BBF", kelvdata::BuildBbf({{"OTHER.TDB", {0, 0, 0, 0}}})); },
       {"File error opening textDB data.\nPlease reinstall Kelvarro."}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramTest::TearDown();
    ProgramTest::SetUp();
    WriteGame();
    SetAutoRunPolicy(0x91);
    c.spoil();
    testing::internal::CaptureStderr();
    const int result = RunWinMain();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, EXIT_STARTUP_FAILED);
    EXPECT_EQ(Boxes(), c.boxes);
    const std::string expected =
        c.line.empty() ? "" : "Kelvarro: cannot start in " + std::filesystem::current_path().string() + ": " + c.line + "\n";
    EXPECT_EQ(err, expected);
    // The AutoRun policy switched off at start-up is back.
    EXPECT_EQ(AutoRunPolicy(), 0x91);
  }
}

TEST_F(AppTest, AMissingTextDatabaseEndsTheStartUp) {
  WriteGame();
  Put("DATA/UI.BBF", kelvdata::BuildBbf({{"OTHER.TDB", {0, 0, 0, 0}}}));
  EXPECT_EQ(RunWinMain(), EXIT_STARTUP_FAILED);
  EXPECT_EQ(Boxes(), Texts{"File error opening textDB data.\nPlease reinstall Kelvarro."});
  EXPECT_EQ(LogEntries("ui scene made"), Log{});
}

TEST_F(AppTest, AFailedClassRegistrationEndsTheStartUpSilently) {
  WriteGame();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "qdvclass";
  ASSERT_NE(RegisterClassA(&wc), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunWinMain(), EXIT_STARTUP_FAILED);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("the main window could not be created"), std::string::npos);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(g_App.hwnd, nullptr);
}

TEST_F(AppTest, TrackArchiveMissingAndNoCdPath) {
  WriteGame(false);
  EXPECT_EQ(RunWinMain(), EXIT_STARTUP_FAILED);
  EXPECT_EQ(Boxes(), Texts{kRegistryMessage});
  EXPECT_EQ(g_TrackArchiveOnDisc, 1);
  EXPECT_EQ(LogEntries("Renderer::Open"), Log{});
}

TEST_F(AppTest, ACdPathTooLongForTheArchivePathCountsAsMissing) {
  WriteGame(false);
  // 250 characters fit the registry's 256 bytes; with "DATA\TRACK.BBF" the
  // path would pass 260.
  ASSERT_TRUE(WriteRegistryString("CDPath", std::string(250, 'x').c_str()));
  platform::ScriptMessageBoxAnswers({IDCANCEL});
  EXPECT_FALSE(Start());
  EXPECT_EQ(Boxes(), Texts{kRegistryMessage});
}

TEST_F(AppTest, TrackArchiveFromTheDiscInCdPath) {
  WriteGame(false);
  platform::SetDriveMap({Disc('E', true)});
  ASSERT_TRUE(WriteRegistryString("CDPath", "E:\\"));
  ASSERT_TRUE(Start());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(g_TrackArchive.IsOpen());
  EXPECT_EQ(g_TrackArchiveOnDisc, 1);
}

TEST_F(AppTest, TrackArchiveFoundOnAnotherDrive) {
  // CDPath names a drive that no longer holds the disc; the search finds it.
  WriteGame(false);
  platform::SetDriveMap({Disc('E', false), Disc('G', true)});
  ASSERT_TRUE(WriteRegistryString("CDPath", "E:\\"));
  ASSERT_TRUE(Start());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(g_TrackArchive.IsOpen());
  char cdPath[REGISTRY_STRING_SIZE] = "";
  ASSERT_TRUE(ReadRegistryString("CDPath", cdPath));
  EXPECT_STREQ(cdPath, "G:\\");
}

TEST_F(AppTest, InsertDiscPromptAnsweredOkThenCancel) {
  WriteGame(false);
  ASSERT_TRUE(WriteRegistryString("CDPath", "E:\\"));
  SetAutoRunPolicy(0x91);
  platform::ScriptMessageBoxAnswers({IDOK, IDCANCEL});
  EXPECT_EQ(RunWinMain(), EXIT_STARTUP_FAILED);
  ASSERT_EQ(Boxes(), (Texts{kInsertDisc, kInsertDisc}));
  for (const platform::MessageBoxCall& box : platform::RecordedMessageBoxes()) {
    EXPECT_EQ(box.type, MESSAGE_BOX_INSERT_DISC);
    EXPECT_EQ(box.caption, "Kelvarro");
  }
  EXPECT_FALSE(g_TrackArchive.IsOpen());
  EXPECT_EQ(AutoRunPolicy(), 0x91);
}

TEST_F(AppTest, ADiscWithoutTheArchiveAsksInsteadOfSearchingForever) {
  WriteGame(false);
  auto disc = Disc('E', false);
  Put("disc_E/DATA/QDV.DAT", {1});  // looks like the disc, but no archive
  platform::SetDriveMap({disc});
  ASSERT_TRUE(WriteRegistryString("CDPath", "E:\\"));
  platform::ScriptMessageBoxAnswers({IDCANCEL});
  EXPECT_FALSE(Start());
  EXPECT_EQ(Boxes(), Texts{kInsertDisc});
}

// A Ctrl-C or SIGTERM at the disc prompt ends the start-up as Cancel does,
// however often the prompt would have been answered OK.
TEST_F(AppTest, ASignalEndsTheDiscPrompt) {
  WriteGame(false);
  ASSERT_TRUE(WriteRegistryString("CDPath", "E:\\"));
  SetAutoRunPolicy(0x91);
  std::vector<int> answers(1000, IDOK);
  answers.push_back(IDCANCEL);
  platform::ScriptMessageBoxAnswers(answers);
  platform::InjectInterrupt(platform::SIGNAL_TERMINATE);
  EXPECT_EQ(RunWinMain(), EXIT_STARTUP_FAILED);
  EXPECT_EQ(Boxes(), Texts{kInsertDisc});
  EXPECT_EQ(AutoRunPolicy(), 0x91);
  DeviceLog().clear();
  Exit();
  EXPECT_EQ(LogEntries("GameController::Command 41"),
            (Log{"GameController::Command 41 0 0 ''", "GameController::Command 41 1 0 ''",
                 "GameController::Command 41 2 0 ''"}));
}

// ---- The message loop -------------------------------------------------------

// A Ctrl-C or SIGTERM, during the start-up or while the game runs, ends it
// through the same shutdown as the window's close box.
TEST_F(AppTest, ASignalClosesTheProgramInOrder) {
  for (const bool whileRunning : {false, true}) {
    SCOPED_TRACE(whileRunning ? "while running" : "during the start-up");
    ProgramTest::TearDown();
    ProgramTest::SetUp();
    platform::ClearInterrupt();
    WriteGame();
    SetAutoRunPolicy(0x91);
    int frames = 0;
    frontEnd_.nextScene.onRender = [&] {
      ++frames;
      if (frames == 1 && whileRunning) platform::InjectInterrupt(platform::SIGNAL_INTERRUPT);
      // Without the signal's close, the test ends the run itself.
      if (frames == 20) g_App.RequestClose();
    };
    if (!whileRunning) platform::InjectInterrupt(platform::SIGNAL_TERMINATE);
    EXPECT_EQ(RunWinMain(), 0);
    EXPECT_EQ(frames, whileRunning ? 1 : 0);
    EXPECT_EQ(LogEntries("ui scene deleted"), Log{"ui scene deleted"});
    EXPECT_FALSE(g_UiArchive.IsOpen());
    EXPECT_EQ(AutoRunPolicy(), 0x91);
    EXPECT_FALSE(IsWindow(g_App.hwnd));
  }
}

TEST_F(AppTest, ThreeFailedSceneChangesCloseTheProgram) {
  WriteGame();
  SetAutoRunPolicy(0x91);
  // Scene 27 asks for scene 5 three times over; its load always fails.
  frontEnd_.nextScene.onRender = [this] {
    frontEnd_.sceneChanges = {5, 5, 5, 5};
    frontEnd_.nextScene.onRender = nullptr;
    frontEnd_.nextScene.loadOk = false;
  };
  EXPECT_EQ(RunWinMain(), EXIT_RUN_FAILED);
  // The third failure closed the program; the fourth change never ran.
  EXPECT_EQ(LogEntries("ui scene Load SCENE5.SCN").size(), 3u);
  EXPECT_EQ(frontEnd_.sceneChanges.size(), 1u);
  EXPECT_EQ(g_AppClosing, 1);
  EXPECT_FALSE(IsWindow(g_App.hwnd));
  EXPECT_EQ(AutoRunPolicy(), 0x91);
}

TEST_F(AppTest, FailuresAnywhereInTheRunCountTowardsTheThree) {
  WriteGame();
  // Scene 27 changes to scene 30, whose first two frames fail; then a change
  // to scene 31 fails and is the third failure.
  frontEnd_.nextScene.onRender = [this] {
    frontEnd_.sceneChanges = {30};
    frontEnd_.nextScene.renderResults = {false, false};
    frontEnd_.nextScene.onRender = [this] {
      if (Current()->script.renderResults.empty()) {
        frontEnd_.sceneChanges = {31, 32};
        frontEnd_.nextScene.renderResults = {};
        frontEnd_.nextScene.onRender = nullptr;
        frontEnd_.nextScene.loadOk = false;
      }
    };
  };
  EXPECT_EQ(RunWinMain(), EXIT_RUN_FAILED);
  EXPECT_EQ(Boxes(), (Texts{"Error: RenderScene failed.", "Error: RenderScene failed."}));
  EXPECT_EQ(LogEntries("ui scene Load SCENE31.SCN").size(), 1u);
  EXPECT_EQ(LogEntries("ui scene Load SCENE32.SCN").size(), 0u);
}

TEST_F(AppTest, ALostSceneCountsEveryPassUntilTheClose) {
  WriteGame();
  // A failed change leaves no scene: each idle pass without one is a failure.
  frontEnd_.nextScene.onRender = [this] {
    frontEnd_.sceneChanges = {5};
    frontEnd_.nextScene.onRender = nullptr;
    frontEnd_.nextScene.loadOk = false;
  };
  EXPECT_EQ(RunWinMain(), EXIT_RUN_FAILED);
  EXPECT_EQ(g_CurrentScene, nullptr);
  EXPECT_EQ(LogEntries("ui scene Load SCENE5.SCN").size(), 1u);
  EXPECT_EQ(g_AppClosing, 1);
}

TEST_F(AppTest, ASecondCloseRequestPostsNoSecondClose) {
  WriteGame();
  ASSERT_TRUE(Start());
  DrainQueue();
  g_App.RequestClose();
  g_App.RequestClose();
  Send(WM_SYSCOMMAND, SC_CLOSE);
  EXPECT_EQ(DrainQueue(), std::vector<UINT>{WM_CLOSE});
  EXPECT_EQ(g_AppClosing, 1);
}

TEST_F(AppTest, NoFramesRunWhileNotReadyPausedOrClosing) {
  WriteGame();
  // Scene 27 pauses the program by a deactivation; the program must then
  // wait and run no further frame until it is active again.
  int frames = 0;
  frontEnd_.nextScene.onRender = [this, &frames] {
    ++frames;
    if (frames == 1) {
      Send(WM_ACTIVATEAPP, 0);
      EXPECT_EQ(g_AppPaused, 1);
      // Coming back is sent at the next pass of the loop.
      PostMessageA(g_App.hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    } else {
      g_App.RequestClose();
    }
  };
  EXPECT_EQ(RunWinMain(), 0);
  EXPECT_EQ(frames, 2);
}

// ---- The window procedure -----------------------------------------------------

TEST_F(AppTest, KeysDuringTheStartUpScenesNeverReachTheDefaultProcedure) {
  WriteGame();
  frontEnd_.nextScene.acceptsKeys = true;
  ASSERT_TRUE(Start());
  const UINT keys[] = {WM_KEYDOWN, WM_KEYUP, WM_CHAR, MSG_MOVIE_EVENT};
  for (std::uint32_t scene : {27u, 32u, 26u, 33u}) {
    ASSERT_TRUE(CreateScene(static_cast<int>(scene)));
    DeviceLog().clear();
    Defaulted().clear();
    for (UINT key : keys) EXPECT_EQ(Send(key, 'A', 1), 0);
    // The scene gets them in both cases; the system only outside start-up.
    EXPECT_EQ(LogEntries("ui scene OnKey").size(), 4u) << scene;
    EXPECT_EQ(Defaulted(), IsStartupScene(scene) ? std::vector<UINT>{} : std::vector<UINT>(keys, keys + 4))
        << scene;
  }
  // A scene that does not take keys gets none.
  frontEnd_.nextScene.acceptsKeys = false;
  ASSERT_TRUE(CreateScene(5));
  DeviceLog().clear();
  Send(WM_KEYDOWN, 'A', 1);
  EXPECT_EQ(LogEntries("ui scene OnKey"), Log{});
}

TEST_F(AppTest, MouseMessagesGoToTheSceneAndNeverFurther) {
  WriteGame();
  ASSERT_TRUE(Start());
  for (bool accepts : {true, false}) {
    frontEnd_.nextScene.acceptsMouse = accepts;
    ASSERT_TRUE(CreateScene(5));
    DeviceLog().clear();
    Defaulted().clear();
    for (UINT msg = WM_MOUSEFIRST; msg <= WM_MOUSELAST; ++msg) EXPECT_EQ(Send(msg, 0, 0x00100020), 0);
    EXPECT_EQ(LogEntries("ui scene OnMouse").size(), accepts ? 10u : 0u);
    EXPECT_TRUE(Defaulted().empty());
  }
}

TEST_F(AppTest, SystemCommands) {
  WriteGame();
  ASSERT_TRUE(Start());
  DrainQueue();
  Defaulted().clear();
  // No screen saver, no monitor power-down.
  EXPECT_EQ(Send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
  EXPECT_EQ(Send(WM_SYSCOMMAND, SC_MONITORPOWER), 0);
  EXPECT_TRUE(Defaulted().empty());
  // Others go on to the system.
  Send(WM_SYSCOMMAND, SC_MINIMIZE);
  EXPECT_EQ(Defaulted(), std::vector<UINT>{WM_SYSCOMMAND});
  EXPECT_EQ(g_AppClosing, 0);
  // The close box is a close request.
  EXPECT_EQ(Send(WM_SYSCOMMAND, SC_CLOSE), 0);
  EXPECT_EQ(g_AppClosing, 1);

  // No system pointer over the window.
  platform::ClearRecordedWindowCalls();
  EXPECT_EQ(Send(WM_SETCURSOR), TRUE);
  ASSERT_EQ(platform::RecordedWindowCalls().size(), 1u);
  EXPECT_EQ(platform::RecordedWindowCalls()[0].kind, platform::WindowCallKind::SetCursor);
  EXPECT_EQ(platform::RecordedWindowCalls()[0].value, 0);
}

TEST_F(AppTest, AClickOnTheMovieWindowPlaysTheMovie) {
  WriteGame();
  ASSERT_TRUE(Start());
  HWND movie = reinterpret_cast<HWND>(0x4321);
  g_MovieWindow = movie;
  frontEnd_.nextScene.movie = true;
  ASSERT_TRUE(CreateScene(5));
  DeviceLog().clear();
  EXPECT_EQ(Send(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(movie)), MA_NOACTIVATEANDEAT);
  EXPECT_EQ(DeviceLog(), Log{"GameController::Command 78 1 0 'NULL'"});
  // Another window, or a scene without a movie: the system answers.
  EXPECT_EQ(Send(WM_MOUSEACTIVATE, 0x99), MA_ACTIVATE);
  frontEnd_.nextScene.movie = false;
  ASSERT_TRUE(CreateScene(6));
  DeviceLog().clear();
  EXPECT_EQ(Send(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(movie)), MA_ACTIVATE);
  EXPECT_EQ(LogEntries("GameController::Command"), Log{});
}

TEST_F(AppTest, TheCdTrackStartsAgainWhenItEnds) {
  kelvtest::InsertGameCd();
  WriteGame();
  ASSERT_TRUE(Start());
  g_CdAudio.track = 2;
  const struct {
    std::uint32_t sceneState;
    bool paused;
    bool playsAgain;
  } cases[] = {{2, false, true}, {5, false, false}, {2, true, false}};
  for (const auto& c : cases) {
    g_CdAudio.Play();
    Current()->SetState(c.sceneState);
    g_AppPaused = c.paused ? 1 : 0;
    DeviceLog().clear();
    EXPECT_EQ(Send(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, g_CdAudio.device), 0);
    EXPECT_EQ(LogEntries("mci play").size(), c.playsAgain ? 1u : 0u);
    EXPECT_EQ(g_CdAudio.state, c.playsAgain ? CDAUDIO_PLAYING : CDAUDIO_STOPPED);
  }
  // Not this device: the CD's answer is the result.
  EXPECT_EQ(Send(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 12345), 1);
}

TEST_F(AppTest, DeactivationAndActivationOfAnOrdinaryScene) {
  kelvtest::InsertGameCd();
  platform::SetTestMixerPresent(true);
  WriteGame();
  ASSERT_TRUE(Start());
  SetMusicLines(0, 0, 10);
  ASSERT_TRUE(CreateScene(5));
  g_CdAudio.track = 2;
  g_CdAudio.Play();
  DeviceLog().clear();

  Send(WM_ACTIVATE, WA_INACTIVE);
  Send(WM_ACTIVATEAPP, 0);
  EXPECT_EQ(DeviceLog(), (Log{"mci stop", "mci close", "Cursor::SetAcquired 0"}));
  EXPECT_EQ(g_AppPaused, 1);
  EXPECT_EQ(Current()->deactivated, 1);

  DeviceLog().clear();
  Send(WM_ACTIVATEAPP, 1);
  Send(WM_ACTIVATE, WA_ACTIVE);
  // The music comes back because a music line is audible, and the mouse.
  EXPECT_EQ(DeviceLog(), (Log{"mci open", "mci set", "mci status", "mci play", "Cursor::SetAcquired 1"}));
  EXPECT_EQ(g_CdAudio.state, CDAUDIO_PLAYING);
  EXPECT_EQ(g_AppPaused, 0);
  EXPECT_EQ(Current()->reactivated, 1);
  EXPECT_TRUE(Current()->RestorePending());

  // Silent music lines: the mouse only.
  SetMusicLines(0, 0, 0);
  Send(WM_ACTIVATEAPP, 0);
  DeviceLog().clear();
  Send(WM_ACTIVATE, WA_CLICKACTIVE);
  EXPECT_EQ(DeviceLog(), Log{"Cursor::SetAcquired 1"});
  // A minimised activation changes nothing.
  Send(WM_ACTIVATEAPP, 0);
  DeviceLog().clear();
  Send(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1));
  EXPECT_EQ(DeviceLog(), Log{});
  EXPECT_EQ(g_AppPaused, 1);
}

TEST_F(AppTest, ActivationResumesMusicAndMouseOnlyInTheScenesThatWantIt) {
  kelvtest::InsertGameCd();
  platform::SetTestMixerPresent(true);
  WriteGame(true, 40);
  ASSERT_TRUE(Start());
  SetMusicLines(50, 0, 0);
  g_CdAudio.track = 2;
  const struct {
    int scene;
    std::uint32_t state;
    bool resumes;
  } cases[] = {{5, 2, true}, {5, 5, false}, {27, 2, false}, {32, 5, false}, {33, 5, true}, {33, 2, false}};
  for (const auto& c : cases) {
    ASSERT_TRUE(CreateScene(c.scene));
    Current()->SetState(c.state);
    Send(WM_ACTIVATEAPP, 0);
    DeviceLog().clear();
    Send(WM_ACTIVATE, WA_ACTIVE);
    const Log resumed = {"mci open", "mci set", "mci status", "mci play", "Cursor::SetAcquired 1"};
    EXPECT_EQ(DeviceLog(), c.resumes ? resumed : Log{})
        << c.scene << " " << c.state;
    EXPECT_EQ(g_AppPaused, 0);
  }
}

TEST_F(AppTest, AnExclusiveWindowIsClosedInTheBackgroundExceptDuringStartUp) {
  Devices().exclusiveWindow = true;
  WriteGame();
  ASSERT_TRUE(Start());
  DrainQueue();

  // During the start-up sequence the window stays.
  DeviceLog().clear();
  platform::InjectFocus(g_App.hwnd, false);
  DrainQueue();
  EXPECT_EQ(g_AppPaused, 1);
  platform::InjectFocus(g_App.hwnd, true);
  DrainQueue();
  EXPECT_EQ(g_AppPaused, 0);
  EXPECT_EQ(LogEntries("Renderer::"), Log{});
  EXPECT_FALSE(IsIconic(g_App.hwnd));

  // Elsewhere it is closed and the program goes to the task bar.
  ASSERT_TRUE(CreateScene(5));
  DeviceLog().clear();
  platform::InjectFocus(g_App.hwnd, false);
  DrainQueue();
  EXPECT_EQ(LogEntries("Renderer::"), Log{"Renderer::SuspendExclusiveWindow"});
  EXPECT_TRUE(IsIconic(g_App.hwnd));
  EXPECT_EQ(g_AppPaused, 1);

  // A reopen that fails leaves the program paused, without mouse or music.
  Devices().resumeFails = true;
  DeviceLog().clear();
  platform::InjectRestored(g_App.hwnd);
  platform::InjectFocus(g_App.hwnd, true);
  DrainQueue();
  EXPECT_EQ(LogEntries("Renderer::"), Log{"Renderer::ResumeExclusiveWindow 0"});
  EXPECT_EQ(LogEntries("Cursor::"), Log{});
  EXPECT_EQ(g_AppPaused, 1);

  // The next activation tries again.
  Devices().resumeFails = false;
  platform::InjectFocus(g_App.hwnd, false);
  DrainQueue();
  DeviceLog().clear();
  platform::InjectRestored(g_App.hwnd);
  platform::InjectFocus(g_App.hwnd, true);
  DrainQueue();
  EXPECT_EQ(LogEntries("Renderer::"), Log{"Renderer::ResumeExclusiveWindow 0"});
  EXPECT_EQ(LogEntries("Cursor::"), Log{"Cursor::SetAcquired 1"});
  EXPECT_EQ(g_AppPaused, 0);
  EXPECT_FALSE(IsIconic(g_App.hwnd));
}

TEST_F(AppTest, MoviesCloseAndReopenAnExclusiveWindow) {
  WriteGame();
  ASSERT_TRUE(Start());
  // Without an exclusive window nothing happens.
  DeviceLog().clear();
  Send(MSG_MOVIE_STARTING);
  Send(MSG_MOVIE_CLOSED);
  EXPECT_EQ(DeviceLog(), Log{});

  Devices().exclusiveWindow = true;
  Send(MSG_MOVIE_STARTING);
  Send(MSG_MOVIE_CLOSED);
  EXPECT_EQ(DeviceLog(), (Log{"Renderer::SuspendExclusiveWindow", "Renderer::ResumeExclusiveWindow 1"}));
  EXPECT_EQ(GetFocus(), g_App.hwnd);

  // Closing: the window is left alone.
  g_AppClosing = 1;
  DeviceLog().clear();
  Send(MSG_MOVIE_STARTING);
  Send(MSG_MOVIE_CLOSED);
  EXPECT_EQ(DeviceLog(), Log{});
}

// ---- Shutdown and exit ------------------------------------------------------

TEST_F(AppTest, TheErrorBoxComesUpOverARestoredMainWindow) {
  CreateWindow();
  ShowWindow(g_App.hwnd, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(g_App.hwnd));
  EXPECT_EQ(ShowMessageBox("Error: test.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR), IDOK);
  ASSERT_EQ(platform::RecordedMessageBoxes().size(), 1u);
  const platform::MessageBoxCall& box = platform::RecordedMessageBoxes()[0];
  EXPECT_EQ(box.owner, g_App.hwnd);
  EXPECT_FALSE(box.ownerMinimised);
  EXPECT_FALSE(IsIconic(g_App.hwnd));
}

TEST_F(AppTest, ShutdownAndExitHandlersRunInTheirOrder) {
  kelvtest::InsertGameCd();
  platform::SetTestMixerPresent(true);
  WriteGame();
  SetAutoRunPolicy(0x91);
  // The option load found the mixer like this at start.
  g_App.savedMixerVolumes[SAVED_MIXER_CD] = 11;
  g_App.savedMixerVolumes[SAVED_MIXER_SYNTH] = 66;
  g_App.savedMixerEnabled[SAVED_MIXER_WAVE] = 1;
  frontEnd_.nextScene.onRender = [] {
    g_CdAudio.track = 2;
    g_CdAudio.Play();
    EXPECT_EQ(AutoRunPolicy(), 0xFF);  // off while the game runs
    DeviceLog().clear();
    g_App.RequestClose();
  };
  EXPECT_EQ(RunWinMain(), 0);

  // WM_CLOSE, then WM_DESTROY ended the loop.
  EXPECT_EQ(DeviceLog(), (Log{"ui scene deleted", "GameController::ClearUiScene", "GameController::ClearRaceScene",
                              "Cursor::SetAcquired 0", "mci stop", "mci close", "Renderer::Close"}));
  EXPECT_FALSE(g_UiArchive.IsOpen());
  EXPECT_FALSE(g_MiscArchive.IsOpen());
  EXPECT_FALSE(g_TrackArchive.IsOpen());
  EXPECT_EQ(AutoRunPolicy(), 0x91);
  EXPECT_FALSE(IsWindow(g_App.hwnd));

  // The exit handlers: the options are saved through the game controller
  // before the mixer is put back (66 of 100 on a line of 0..65535 is 43249,
  // 11 is 7208); the CD is closed already.
  DeviceLog().clear();
  Exit();
  EXPECT_EQ(DeviceLog(), (Log{"Cursor::Release",
                              "GameController::Command 41 0 0 ''",
                              "GameController::Command 41 1 0 ''",
                              "GameController::Command 41 2 0 ''",
                              "mixer volume 5 43249",
                              "mixer volume 0 0",
                              "mixer volume 1 7208",
                              "mixer volume 2 0",
                              "mixer volume 3 0",
                              "mixer volume 4 0",
                              "mixer mute 5 1",
                              "mixer mute 0 1",
                              "mixer mute 1 1",
                              "mixer mute 2 1",
                              "mixer mute 3 1",
                              "mixer mute 4 0",
                              "mixerClose",
                              "TextureManager::ClearNames",
                              "Renderer::Close"}));
  EXPECT_EQ(g_CdAudio.state, CDAUDIO_CLOSED);
  EXPECT_EQ(AutoRunPolicy(), 0x91);
  EXPECT_EQ(g_TextDatabase.Count(), 0u);
  EXPECT_EQ(g_UiArchive.FirstMember(), nullptr);
  EXPECT_EQ(g_SceneTable, nullptr);
}

TEST_F(AppTest, TheExitHandlersRestoreTheAutoRunPolicyAfterAFailedStartUp) {
  WriteGame();
  std::filesystem::remove(Host("DATA/QDV.BIN"));
  // The policy key exists without the value.
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, AUTORUN_POLICY_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_FALSE(Start());
  EXPECT_EQ(AutoRunPolicy(), -1);
  Exit();
  // A value that did not exist before the game is written with the default.
  EXPECT_EQ(AutoRunPolicy(), 0x95);
}

}  // namespace
