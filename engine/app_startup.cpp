// App::Init: the start-up sequence of the games.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/app.h"
#include "engine/app_internal.h"
#include "engine/archive.h"
#include "engine/cd_audio.h"
#include "engine/disk_file.h"
#include "engine/mixer.h"
#include "engine/scene/scene.h"
#include "engine/scene/scene_table.h"
#include "engine/services/front_end.h"
#include "engine/system.h"
#include "engine/text_database.h"
#include "platform/win32/files.h"

namespace {

constexpr const char* TRACK_ARCHIVE = "DATA\\TRACK.BBF";

// The boxes shown before the current start-up step began.
unsigned g_BoxesBeforeStep = 0;

// The game root as the host names it: where a player looks first when the
// game was started from the wrong folder.
std::string GameRoot() {
  char buffer[4096];
  const DWORD n = GetFullPathNameA(".", sizeof buffer, buffer, nullptr);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string("the working directory");
}

// Why an archive of the installation did not open, in the player's terms.
std::string ArchiveFailure(const char* path) {
  if (!platform::ResolveGamePath(path, false, nullptr)) {
    return std::string(path) + " is missing (start the game from its data folder, the one that holds DATA)";
  }
  DiskFile file;
  if (!file.Open(path, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) return std::string(path) + " cannot be read";
  return std::string(path) + " is not an archive the game can read";
}

bool OpenArchive(BbfArchive& archive, const char* path) {
  return archive.Open(path, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
}

// `root` followed by the track archive's path; false when it does not fit.
bool TrackArchivePath(const char* root, char (&out)[MAX_PATH]) {
  const int n = std::snprintf(out, sizeof out, "%s%s", root, TRACK_ARCHIVE);
  return n > 0 && static_cast<std::size_t>(n) < sizeof out;
}

// The track archive, from the installation or else from the game disc.
bool OpenTrackArchive() {
  if (OpenArchive(g_TrackArchive, TRACK_ARCHIVE)) return true;

  g_TrackArchiveOnDisc = 1;
  char cdPath[REGISTRY_STRING_SIZE];
  char path[MAX_PATH];
  // A CDPath too long to hold the archive's path is as good as none.
  if (!ReadRegistryString("CDPath", cdPath) || !TrackArchivePath(cdPath, path)) {
    ShowMessageBox("Error: Registry key not found.\nPlease reinstall Kelvarro.", MESSAGE_BOX_CAPTION,
                   MESSAGE_BOX_ERROR);
    return false;
  }
  bool open = OpenArchive(g_TrackArchive, path);
  while (!open) {
    char root[4];
    if (FindGameDisc(root) && TrackArchivePath(root, path)) {
      open = OpenArchive(g_TrackArchive, path);
      if (open) break;
      // A disc without a readable archive: ask, as for no disc, so that the
      // user can end the search.
    }
    if (ShowMessageBox("Please insert the Kelvarro CD-ROM.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_INSERT_DISC) != IDOK) {
      return false;
    }
    open = OpenArchive(g_TrackArchive, path);
  }
  return true;
}

}  // namespace

bool App::LoadSceneTable(const char* path) {
  FreeSceneTable();
  sceneCount = 0;

  DiskFile file;
  SceneTableEntry* table = nullptr;
  std::uint32_t count = 0;
  const bool opened = file.Open(path, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
  if (!opened || !ReadSceneTable(file, &table, &count)) {
    ShowMessageBox("File error opening game data.\nPlease reinstall Kelvarro.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  g_SceneTable = table;
  sceneCount = count;
  return true;
}

void BeginStartupStep() { g_BoxesBeforeStep = ShownMessageBoxCount(); }

bool StartupStepFailed(const std::string& what) {
  // A step that showed its box has said why; the others end with this line.
  if (ShownMessageBoxCount() == g_BoxesBeforeStep) {
    std::fprintf(stderr, "Kelvarro: cannot start in %s: %s\n", GameRoot().c_str(), what.c_str());
    std::fflush(stderr);
  }
  return false;
}

bool App::Init(HINSTANCE instance, const char*) {
  g_CdAudio.Open();
  g_Mixer.Open();
  FrontEndCommand(CMD_RESET_SETUP, 0, 0, "NULL");
  for (std::uint32_t a1 = 0; a1 < 3; ++a1) FrontEndCommand(CMD_LOAD_OPTIONS, a1, 0, "");
  DisableAutoRunForGame();

  hInstance = instance;
  BeginStartupStep();
  if (!CreateMainWindow()) return StartupStepFailed("the main window could not be created");

  for (auto [archive, path] : {std::pair{&g_UiArchive, "DATA\\UI.BBF"}, std::pair{&g_MiscArchive, "DATA\\MISC.BBF"}}) {
    BeginStartupStep();
    if (!OpenArchive(*archive, path)) return StartupStepFailed(ArchiveFailure(path));
  }
  BeginStartupStep();
  if (!OpenTrackArchive()) return StartupStepFailed("DATA\\TRACK.BBF is neither installed nor on a disc");

  // InitDevices reports its own steps.
  if (!InitDevices()) return false;
  BeginStartupStep();
  if (!LoadSceneTable("DATA\\QDV.BIN")) return StartupStepFailed("DATA\\QDV.BIN cannot be read");

  BeginStartupStep();
  const char* texts = TextDatabaseFile(g_Language);
  if (!g_TextDatabase.Load(texts)) return StartupStepFailed(std::string(texts) + " cannot be read");

  BeginStartupStep();
  if (!CreateScene(static_cast<int>(FIRST_SCENE))) return StartupStepFailed("the first scene cannot be made");
  return true;
}
