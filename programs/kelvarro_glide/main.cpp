// kelvarro_glide: the game drawing through the Glide board.
//
// KELVARRO_SCREENSHOT=path.png writes the first presented frame, as shown, to
// that file; with KELVARRO_SCREENSHOT_FRAME=n the n-th one. KELVARRO_SCRIPT=file
// plays scripted keys and shots (platform/win32/input_script.h); a script
// that cannot be read or has a bad line ends the program at once with 2.
//
// Ctrl-C and SIGTERM end the game through its own shutdown (the window's
// close, or the start-up's end); it then exits with 128 + the signal, as the
// shell reports a program ended by one.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/app.h"
#include "engine/program_objects.h"
#include "engine/render_glide/glide_renderer.h"
#include "frontend/front_end_install.h"
#include "network/net_game.h"
#include "platform/glide/glide.h"
#include "platform/win32/input_script.h"
#include "platform/win32/interrupt.h"
#include "race/race_install.h"
#include "ui/ui_install.h"

namespace {

std::string screenshotPath;
long screenshotFrame = 1;
long presentedFrames = 0;

void OnPresent() {
  ++presentedFrames;
  if (presentedFrames == screenshotFrame && !screenshotPath.empty() && !platform::GlideScreenshot(screenshotPath))
    std::fprintf(stderr, "kelvarro_glide: cannot write the screenshot %s\n", screenshotPath.c_str());
  platform::RunInputScript(presentedFrames, platform::GlideScreenshot);
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
  if (!platform::StartInputScript()) return 2;
  if (platform::ScriptKeepsTheBeat()) platform::UseGlideFramePacing(false);
  GlideRenderer::presentObserver = OnPresent;
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
