// Fuzz target for the dialog reader and, through it, the button, tooltip,
// chooser, progress-bar and slider readers: the first byte picks which file
// of a small dialog the rest replaces (0 the dialog, 1 a button, 2 a
// chooser, 3 a progress bar, 4 a slider). The dialog is then loaded, shown
// and driven by keys, clicks, drags and its setters on the recording Glide
// board. A load that fails must have shown a box; one that succeeds keeps
// its lists within their counts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/cursor.h"
#include "engine/display.h"
#include "engine/geometry_pipeline.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/system.h"
#include "engine/text_database.h"
#include "engine/texture_manager.h"
#include "platform/glide/glide.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/timer.h"
#include "platform/win32/window.h"
#include "tests/support/fuzz_renderer.h"
#include "tests/support/fuzz_temp_file.h"
#include "tools/bbf.h"
#include "tools/seeds.h"
#include "ui/dialog.h"
#include "ui/font.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

constexpr const char* kReplaced[5] = {"D.DLG", "B.BTN", "C.CHO", "P.PRB", "S.SLD"};

struct World : kelvtest::FuzzTempFile {
  std::vector<kelvdata::BbfMember> members;
  Font fonts[2];

  World() : FuzzTempFile("kelv-fuzz-dialog", ".bbf") {
    platform::UseTestTime(1000);
    GetProgramObject(PROGRAM_OBJECT_CURSOR).construct();
    kelvtest::OpenFuzzRenderer();
    g_Camera.position = Vector3(0.0f, 1.0f, -8.0f);
    g_Camera.LookAt(Vector3(0.0f, 0.0f, 0.0f));
    g_GeometryPipeline.SetupProjection();
    g_FrameTime = 0.05f;
    members = kelvdata::DialogFuzzMembers();
    for (Font& f : fonts) {
      for (int c = 32; c < 127; ++c) {
        f.left[c] = static_cast<float>(c - 32) / 128.0f;
        f.right[c] = f.left[c] + 1.0f / 128.0f;
        f.bottom[c] = 1.0f / 16.0f;
      }
    }
    g_Fonts = fonts;
    g_FontCount = 2;
  }
  ~World() { g_Renderer.Close(); }
};

LPARAM At(int x, int y) { return static_cast<LPARAM>(x | y << 16); }

// Shows the dialog and drives it with and without a mouse.
void Drive(Dialog* d) {
  d->active = 1;
  d->ResetFocus(1);
  for (int i = 0; i < 3; ++i) {
    Check(d->Update());
    platform::AdvanceTime(50);
  }
  for (UINT key : {VK_RIGHT, VK_RIGHT, VK_LEFT, VK_RETURN, VK_LEFT, VK_LEFT, VK_RETURN}) {
    d->OnKey(WM_KEYDOWN, key, 0);
    d->OnKey(WM_KEYUP, key, 0);
    Check(d->Update());
  }
  g_Cursor.mousePresent = 1;
  const int points[][2] = {{65, 155}, {70, 160}, {120, 80}, {200, 90}, {300, 250}, {5, 5}};
  for (const auto& p : points) {
    g_Cursor.x = p[0];
    g_Cursor.y = p[1];
    Check(d->Update());
    d->OnMouse(WM_LBUTTONDOWN, 0, At(p[0], p[1]));
    g_Cursor.x = p[0] + 400;
    Check(d->Update());
    d->OnMouse(WM_LBUTTONUP, 0, At(p[0], p[1]));
    d->OnKey(WM_KEYUP, VK_RETURN, 0);
  }
  g_Cursor.mousePresent = 0;
  for (std::uint16_t i = 0; i < 3; ++i) {
    d->SetWidgetValue(WIDGET_CHOOSER, i, 1);
    d->SetWidgetValue(WIDGET_PROGRESS_BAR, i, 100);
    d->SetWidgetValue(WIDGET_SLIDER, i, 3);
    d->SetButtonState(WIDGET_BUTTON, i, 1);
    d->SetButtonAction(i, 0, 1, 2, "text");
  }
  for (std::uint16_t i = 0; i < d->choosers.count; ++i) {
    d->choosers[i].NextPage();
    d->choosers[i].PreviousPage();
  }
  // Through a tooltip's whole life and two page changes.
  for (int i = 0; i < 140; ++i) {
    Check(d->Update());
    for (std::uint16_t b = 0; b < d->buttons.count; ++b) Check(d->buttons[b].DrawTooltip());
    platform::AdvanceTime(50);
  }
  d->ResetFocus(0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static World world;
  if (size < 1) return 0;
  const char* replaced = kReplaced[data[0] % 5];
  std::vector<kelvdata::BbfMember> members = world.members;
  for (kelvdata::BbfMember& m : members) {
    if (m.name == replaced) m.data = kelvdata::Bytes(data + 1, data + size);
  }
  if (!kelvdata::WriteHostFile(world.path, kelvdata::BuildBbf(members))) return 0;
  Check(g_UiArchive.Open(world.path.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  Check(g_TextDatabase.Load("DATA\\UI\\TEXTS.TDB"));
  platform::ClearRecordedMessageBoxes();
  g_Cursor.mousePresent = 0;
  g_Cursor.SetClipRect(0, 0, 639, 479, true);
  {
    Dialog d;
    if (d.Load("DATA\\UI\\D.DLG")) {
      Check(d.focusableCount == d.buttons.count + d.editTexts.count + d.sliders.count);
      Drive(&d);
    } else {
      Check(!platform::RecordedMessageBoxes().empty());
    }
  }
  g_ChooserTimer = 0;
  platform::ClearGlideRecords();
  platform::ClearRecordedMessageBoxes();
  g_TextDatabase.Release();
  g_UiArchive.Close();
  return 0;
}
