// kelvsetup: the setup program. Reads the installation's configuration,
// shows its property sheet and writes what both games read.
//
// KELVSETUP_SCRIPT plays the user's actions without a screen, for example
// "tab 1; select 1006 3; ok" (platform/mfc/mfc.h); without a display and
// without a script the sheet closes as Cancel would.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/glide/glide_library.h"
#include "platform/mfc/mfc.h"
#include "setup/app.h"
#include "setup/sheet.h"

int main(int argc, char** argv) {
  std::string name = argc > 0 && argv[0] != nullptr ? argv[0] : "kelvsetup";
  name = name.substr(name.find_last_of('/') + 1);
  name = name.substr(0, name.find('.'));
  platform::mfc::SetAppName(name);
  RegisterSetupBitmaps();
  platform::RegisterGlideLibrary();
  if (const char* script = std::getenv("KELVSETUP_SCRIPT")) {
    std::vector<SheetStep> steps;
    if (!platform::mfc::ParseSheetScript(script, &steps)) {
      std::fprintf(stderr, "%s: KELVSETUP_SCRIPT: unknown step in \"%s\"\n", name.c_str(), script);
      return 2;
    }
    platform::mfc::UseScriptedSheets(true);
    platform::mfc::ScriptSheet(steps);
  }
  g_SetupApp.InitInstance();
  return g_SetupApp.aborted ? 1 : 0;
}
