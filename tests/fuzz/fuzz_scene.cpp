// Fuzz target for the UI scene reader: the first byte is the scene number
// (which picks the dialogs, the panels' colour key and the focus-list
// command), the rest the plain scene file, whose widgets, objects, fonts,
// dialogs and focus list come from a small UI archive. A scene that loads
// runs its start actions and frames and takes keys and clicks; its focus
// stays inside its list.
#include <cstddef>
#include <cstdint>

#include "engine/archive.h"
#include "engine/cursor.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/text_database.h"
#include "frontend/game_controller.h"
#include "frontend/ui_scene.h"
#include "platform/glide/glide.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/timer.h"
#include "platform/win32/window.h"
#include "tests/fuzz/front_end_fuzz.h"
#include "tests/support/fuzz_renderer.h"
#include "tools/seeds.h"

namespace {

struct SceneRoot : kelvfuzz::FrontEndRoot {
  SceneRoot() : FrontEndRoot("kelv-fuzz-scene") {
    kelvfuzz::InRoot inRoot(*this);
    platform::UseTestTime(1000);
    GetProgramObject(PROGRAM_OBJECT_CURSOR).construct();
    kelvtest::OpenFuzzRenderer();
    g_UiArchive.Close();
    kelvfuzz::Check(kelvdata::WriteHostFile("DATA/UI.BBF", kelvdata::BuildBbf(kelvdata::SceneFuzzMembers())));
    kelvfuzz::Check(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    kelvfuzz::Check(g_TextDatabase.Load("DATA\\UI\\TEXTS.TDB"));
  }
};

LPARAM At(int x, int y) { return static_cast<LPARAM>(x | y << 16); }

void CheckFocus(const UiScene& s) { kelvfuzz::Check(s.focusCount == 0 || (s.focusIndex >= 0 && s.focusIndex < s.focusCount)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static SceneRoot root;
  if (size < 1) return 0;
  kelvfuzz::InRoot inRoot(root);
  kelvfuzz::Check(kelvdata::WriteHostFile("DATA/UI/FUZZ.SCN", kelvdata::Bytes(data + 1, data + size)));
  g_SceneNumber = data[0] % 34;
  g_Cursor.mousePresent = data[0] & 0x80 ? 1 : 0;
  {
    UiScene scene;
    g_GameController.SetUiScene(&scene);
    if (scene.Load("DATA\\UI\\FUZZ.SCN")) {
      CheckFocus(scene);
      for (int frame = 0; frame < 4; ++frame) {
        scene.RenderScene();
        platform::AdvanceTime(60);
      }
      for (UINT key : {VK_RIGHT, VK_RIGHT, VK_LEFT, VK_RETURN, VK_ESCAPE}) {
        scene.OnKey(WM_KEYDOWN, key, 0);
        scene.OnKey(WM_KEYUP, key, 0);
        CheckFocus(scene);
      }
      for (int p = 0; p < 4; ++p) {
        scene.OnMouse(WM_LBUTTONDOWN, 0, At(50 + 60 * p, 50 + 80 * p));
        scene.OnMouse(WM_LBUTTONUP, 0, At(50 + 60 * p, 50 + 80 * p));
        CheckFocus(scene);
      }
      scene.RenderScene();
    }
    g_GameController.ClearUiScene();
  }
  g_GameController.pendingSceneChange = 0;
  g_ChooserTimer = 0;
  platform::ClearGlideRecords();
  platform::ClearRecordedMessageBoxes();
  return 0;
}
