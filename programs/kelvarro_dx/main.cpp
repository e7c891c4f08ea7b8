// kelvarro_dx: the game drawing through Direct3D.
//
// KELVARRO_SCREENSHOT=path.png writes the first presented frame, as shown, to
// that file; with KELVARRO_SCREENSHOT_FRAME=n the n-th one. KELVARRO_SCRIPT=file
// plays scripted keys and shots (platform/win32/input_script.h); a script
// that cannot be read or has a bad line ends the program at once with 2.
// KELVARRO_DIALOG="mode 1, ok" answers the "Select display driver" dialog
// with these steps instead of showing it (each "driver N", "device N",
// "mode N" selects item N of that list; "ok" and "cancel" press the button);
// a bad step ends the program at once with 2.
//
// Ctrl-C and SIGTERM end the game through its own shutdown; it then exits
// with 128 + the signal, as the shell reports a program ended by one.
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "engine/app.h"
#include "engine/program_objects.h"
#include "frontend/front_end_install.h"
#include "network/net_game.h"
#include "platform/ddraw/ddraw_machine.h"
#include "platform/ddraw/driver_dialog.h"
#include "platform/win32/input_script.h"
#include "platform/win32/interrupt.h"
#include "race/race_install.h"
#include "render_d3d/direct3d_renderer.h"
#include "ui/ui_install.h"
#include "world/track.h"

namespace {

std::string screenshotPath;
long screenshotFrame = 1;
long presentedFrames = 0;

bool Screenshot(const std::string& path) { return platform::DirectDrawScreenshot(path); }

void OnPresent() {
  ++presentedFrames;
  if (presentedFrames == screenshotFrame && !screenshotPath.empty() && !Screenshot(screenshotPath))
    std::fprintf(stderr, "kelvarro_dx: cannot write the screenshot %s\n", screenshotPath.c_str());
  platform::RunInputScript(presentedFrames, Screenshot);
}

void OnOpen() { g_AlphaTestForColourKeys = Direct3DRenderer::AlphaTestReplacesColourKey(); }

// The dialog's scripted answers, from KELVARRO_DIALOG; false for a bad step.
bool StartDialogScript() {
  const char* text = std::getenv("KELVARRO_DIALOG");
  if (!text || !*text) return true;
  std::vector<platform::DialogStep> steps;
  std::stringstream all(text);
  std::string step;
  while (std::getline(all, step, ',')) {
    std::stringstream words(step);
    std::string word;
    int index = -1;
    words >> word;
    if (word == "ok") {
      steps.push_back({platform::DialogAction::OK});
    } else if (word == "cancel") {
      steps.push_back({platform::DialogAction::CANCEL});
    } else if ((word == "driver" || word == "device" || word == "mode") && (words >> index) && index >= 0) {
      const int list = word == "driver" ? IDC_DRIVER_LIST : word == "device" ? IDC_DEVICE_LIST : IDC_MODE_LIST;
      steps.push_back({platform::DialogAction::SELECT, list, index});
    } else {
      std::fprintf(stderr, "kelvarro_dx: bad dialog step \"%s\"\n", step.c_str());
      return false;
    }
  }
  platform::UseScriptedDialogs(true);
  platform::ScriptDriverDialog(steps);
  return true;
}

}  // namespace

int main() {
  platform::CatchInterrupts();
  if (const char* path = std::getenv("KELVARRO_SCREENSHOT"); path && *path) {
    screenshotPath = path;
    if (const char* frame = std::getenv("KELVARRO_SCREENSHOT_FRAME"); frame && std::atol(frame) > 0) {
      screenshotFrame = std::atol(frame);
    }
  }
  if (!platform::StartInputScript() || !StartDialogScript()) return 2;
  if (platform::ScriptKeepsTheBeat()) platform::UseDirectDrawFramePacing(false);
  g_RenderBuild = RENDER_BUILD_DIRECT3D;
  Direct3DRenderer::presentObserver = OnPresent;
  Direct3DRenderer::openObserver = OnOpen;
  InstallFrontEnd();
  InstallRace();
  InstallUi();
  InstallNetworkGame();
  ConstructProgramObjects();
  char commandLine[] = "";
  const int result = WinMain(nullptr, nullptr, commandLine, SW_SHOWNORMAL);
  RunProgramExitHandlers();
  if (const int signal = platform::InterruptSignal()) return 128 + signal;
  return result;
}
