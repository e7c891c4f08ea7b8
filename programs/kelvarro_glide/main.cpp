// kelvarro_glide: the game drawing through the Glide board.
//
// KELVARRO_SCREENSHOT=path.png writes the first presented frame, as shown, to
// that file.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/app.h"
#include "engine/program_objects.h"
#include "engine/render_glide/glide_renderer.h"
#include "frontend/front_end_install.h"
#include "platform/glide/glide.h"
#include "race/race_install.h"
#include "ui/ui_install.h"

namespace {

std::string screenshotPath;

void TakeScreenshot() {
  GlideRenderer::presentObserver = nullptr;
  if (!platform::GlideScreenshot(screenshotPath))
    std::fprintf(stderr, "kelvarro_glide: cannot write the screenshot %s\n", screenshotPath.c_str());
}

}  // namespace

int main() {
  if (const char* path = std::getenv("KELVARRO_SCREENSHOT"); path && *path) {
    screenshotPath = path;
    GlideRenderer::presentObserver = TakeScreenshot;
  }
  InstallFrontEnd();
  InstallRace();
  InstallUi();
  ConstructProgramObjects();
  char commandLine[] = "";
  const int result = WinMain(nullptr, nullptr, commandLine, SW_SHOWNORMAL);
  RunProgramExitHandlers();
  return result;
}
