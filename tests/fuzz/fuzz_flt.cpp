// Fuzz target for the focus-list reader: any bytes as DATA\UI\FUZZ.FLT,
// loaded into a scene of four buttons, two edit texts and two sliders,
// which then takes arrows, Return and clicks. A list that does not load
// shows one box; the focus never leaves the list, and entries that name no
// widget are passed over without harm.
#include <cstddef>
#include <cstdint>

#include "engine/archive.h"
#include "frontend/game_controller.h"
#include "frontend/ui_scene.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/window.h"
#include "tests/fuzz/front_end_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static kelvfuzz::FrontEndRoot root("kelv-fuzz-flt");
  kelvfuzz::InRoot inRoot(root);
  using kelvfuzz::Check;
  g_UiArchive.Close();
  Check(kelvdata::WriteHostFile("DATA/FUZZ.BBF", kelvdata::BuildBbf({{"FUZZ.FLT", kelvdata::Bytes(data, data + size)}})));
  Check(g_UiArchive.Open("DATA\\FUZZ.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  platform::ClearRecordedMessageBoxes();
  {
    UiScene scene;
    scene.buttons.items.reset(new Button[4]);
    scene.buttons.count = 4;
    scene.editTexts.items.reset(new EditText[2]);
    scene.editTexts.count = 2;
    scene.sliders.items.reset(new Slider[2]);
    scene.sliders.count = 2;
    g_GameController.SetUiScene(&scene);
    if (!scene.LoadFocusList("DATA\\UI\\FUZZ.FLT")) {
      Check(platform::RecordedMessageBoxes().size() == 1 && scene.focusCount == 0);
    } else {
      Check(scene.focusCount <= scene.focusList.size());
      scene.inputReady = 1;
      scene.SetState(UI_SCENE_RUNNING);
      for (UINT key : {VK_RIGHT, VK_RIGHT, VK_LEFT, VK_LEFT, VK_LEFT, VK_RETURN, VK_RIGHT}) {
        scene.OnKey(WM_KEYUP, key, 0);
        Check(scene.focusCount == 0 || (scene.focusIndex >= 0 && scene.focusIndex < scene.focusCount));
      }
      scene.AppendFocusEntry({WIDGET_EDIT_TEXT, 1});
      scene.NextFocus();
      scene.RemoveAppendedFocusEntry();
      scene.RemoveAppendedFocusEntry();
      Check(scene.focusCount == 0 || (scene.focusIndex >= 0 && scene.focusIndex < scene.focusCount));
    }
    g_GameController.ClearUiScene();
  }
  g_GameController.pendingSceneChange = 0;
  g_UiArchive.Close();
  platform::ClearRecordedMessageBoxes();
  return 0;
}
