#include "tests/support/fuzz_renderer.h"

#include <cstdint>
#include <cstdlib>

#include "engine/display.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/system.h"
#include "platform/glide/glide.h"
#include "platform/win32/msgbox.h"

namespace kelvtest {

void OpenFuzzRenderer() {
  platform::UseTestMessageBoxes(true);
  platform::UseGlideTestBackend(true);
  g_MainWindow = reinterpret_cast<HWND>(std::uintptr_t{1});
  GetProgramObject(PROGRAM_OBJECT_RENDERER).construct();
  GetProgramObject(PROGRAM_OBJECT_TEXTURE_MANAGER).construct();
  g_ScreenWidth = 640;
  g_ScreenHeight = 480;
  if (!g_Renderer.Open()) std::abort();
  g_Renderer.SetDefaultStates();
}

}  // namespace kelvtest
