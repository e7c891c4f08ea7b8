// Drawing a screen of widgets allocates nothing per frame after load,
// checked with a counting allocator: this test program's operator new
// counts while a frame is measured.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "engine/camera.h"
#include "engine/display.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "tests/render_glide/picture_fixture.h"
#include "tests/ui/ui_fixture.h"
#include "tools/object_files.h"
#include "tools/object_samples.h"
#include "tools/tex.h"
#include "tools/ui_files.h"
#include "engine/archive.h"
#include "engine/cursor.h"
#include "engine/program_objects.h"
#include "engine/scene/scene.h"
#include "engine/text_database.h"
#include "platform/win32/timer.h"
#include "tools/dataset.h"
#include "ui/backdrop.h"
#include "ui/dialog.h"
#include "ui/edit_text.h"
#include "ui/panel.h"
#include "ui/static_text.h"
#include "ui/ui_static_text.h"

namespace {

// Only the test's own thread counts: the OpenGL driver may allocate on
// threads of its own.
thread_local bool g_Counting = false;
std::atomic<long> g_Allocations{0};

void* Allocate(std::size_t n) {
  if (g_Counting) g_Allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(n ? n : 1);
}

}  // namespace

void* operator new(std::size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

class AllocationTest : public kelvtest::PictureTest {
 protected:
  void TearDown() override {
    g_Fonts = nullptr;
    g_FontCount = 0;
    PictureTest::TearDown();
  }
};

TEST_F(AllocationTest, DrawingAScreenOfWidgetsAllocatesNothingPerFrame) {
  ASSERT_TRUE(OpenScreen()) << "no OpenGL window here";
  kelvdata::FontFile fontFile;
  for (int c = 32; c < 127; ++c) fontFile.glyphs[c] = {0.0f, 0.0f, 0.03125f, 0.046875f};
  fontFile.texture = "DATA\\UI\\_FONT.TEX";
  kelvdata::PanelFile panelFile;
  panelFile.texture = "DATA\\UI\\_FONT.TEX";
  kelvdata::BackdropFile backdropFile;
  backdropFile.texture = "DATA\\UI\\HORIZON.TEX";
  kelvdata::UiStaticTextFile uiFile;
  uiFile.animated = 1;
  uiFile.animation = "DATA\\UI\\SPIN.ANM";
  auto solid = [](int, int) { return kelvdata::Rgb{200, 200, 200}; };
  OpenUiArchive({{"FONT.FNT", kelvdata::BuildFnt(fontFile)},
                 {"_FONT.TEX", kelvdata::BuildTex(32, 32, solid)},
                 {"HORIZON.TEX", kelvdata::BuildTex(64, 64, solid)},
                 {"P.OSP", kelvdata::BuildOsp(panelFile)},
                 {"H.BKD", kelvdata::BuildBackdrop(backdropFile)},
                 {"U.UIS", kelvdata::BuildUiStaticText(uiFile)},
                 {"SPIN.ANM", kelvdata::BuildMeshAnimationFile(kelvdata::SampleSpin(2, 8))}});
  Font font;
  ASSERT_TRUE(font.Load("DATA\\UI\\FONT.FNT"));
  g_Fonts = &font;
  g_FontCount = 1;
  g_Camera = Camera();
  g_Camera.position = Vector3(0.0f, 1.0f, -8.0f);
  g_Camera.LookAt(Vector3(0.0f, 0.0f, 0.0f));
  g_GeometryPipeline.SetupProjection();

  StaticText label;
  ASSERT_TRUE(label.SetText("Single race"));
  label.StartFade(0.0f, 100000, nullptr);
  EditText edit;
  edit.SetMaxLength(8);
  edit.SetFocus(1);
  ASSERT_TRUE(edit.SetText("Name"));
  Panel panel;
  ASSERT_TRUE(panel.Load("DATA\\UI\\P.OSP"));
  panel.StartFade(0.0f, 100000, nullptr);
  Backdrop backdrop;
  ASSERT_TRUE(backdrop.Load("DATA\\UI\\H.BKD"));
  UiStaticText menu;
  ASSERT_TRUE(menu.Load("DATA\\UI\\U.UIS"));
  menu.font = &font;
  ASSERT_TRUE(menu.SetText("Options"));
  SceneObject* screen[] = {&backdrop, &panel, &label, &edit, &menu};

  auto frame = [&screen](int mode) {
    for (SceneObject* o : screen) {
      o->Update(16, mode);
      o->Draw();
    }
    g_Renderer.Present();
  };
  // The first frames may set up what the board keeps.
  for (int mode = 1; mode <= 3; ++mode) frame(mode);
  g_Allocations = 0;
  g_Counting = true;
  for (int i = 0; i < 20; ++i) frame(1 + i % 3);
  g_Counting = false;
  EXPECT_EQ(0, g_Allocations.load());
  font.FreeTexture();
}

TEST_F(AllocationTest, UpdatingAndDrawingAnOpenDialogAllocatesNothingPerFrame) {
  ASSERT_TRUE(OpenScreen()) << "no OpenGL window here";
  ASSERT_TRUE(kelvdata::WriteDataSet(root_.string()));
  g_UiArchive.Close();
  g_TrackArchive.Close();
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(g_TextDatabase.Load("DATA\\UI\\GAMETXT0.TDB"));
  Font fonts[5];
  const char* paths[5] = {"DATA\\UI\\FONT1.FNT", "DATA\\UI\\FONT2.FNT", "DATA\\UI\\FONT3.FNT",
                          "DATA\\UI\\FONT4.FNT", "DATA\\UI\\FONT7.FNT"};
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(fonts[i].Load(paths[i]));
  g_Fonts = fonts;
  g_FontCount = 5;
  GetProgramObject(PROGRAM_OBJECT_CURSOR).construct();
  g_Cursor.mousePresent = 0;
  platform::UseTestTime(1000);
  g_FrameTime = 1.0f / 64.0f;

  Dialog d;
  ASSERT_TRUE(d.Load("DATA\\UI\\DIALOG01.DLG"));
  d.mode = 1;
  d.active = 1;
  auto frame = [&d] {
    d.Update();
    for (std::uint16_t i = 0; i < d.buttons.count; ++i) d.buttons[i].DrawTooltip();
    g_Renderer.Present();
    platform::AdvanceTime(16);
  };
  // Past the tooltip's wait and growth: it is shown in the frames counted.
  for (int i = 0; i < 80; ++i) frame();
  ASSERT_TRUE(d.buttons[0].tooltip.shown);
  g_Allocations = 0;
  g_Counting = true;
  for (int i = 0; i < 40; ++i) frame();
  g_Counting = false;
  platform::UseRealTime();
  EXPECT_EQ(0, g_Allocations.load());
  for (Font& f : fonts) f.FreeTexture();
}

// A readout whose length changes from frame to frame (a speed, a gap) keeps
// its buffers once it has held its longest text.
TEST_F(AllocationTest, AReadoutOfChangingLengthAllocatesOnlyToGrow) {
  StaticText t;
  ASSERT_TRUE(t.SetText("+1:02.345"));
  const char* readouts[] = {"9", "+12.5", "", "+1:02.345", "88"};
  g_Allocations = 0;
  g_Counting = true;
  for (const char* r : readouts) ASSERT_TRUE(t.SetText(r));
  g_Counting = false;
  EXPECT_EQ(0, g_Allocations.load());
  EXPECT_STREQ("88", t.String());
  // A longer text grows the buffers once.
  g_Counting = true;
  ASSERT_TRUE(t.SetText("+1 LAP BEHIND"));
  g_Counting = false;
  EXPECT_GT(g_Allocations.load(), 0);
  EXPECT_STREQ("+1 LAP BEHIND", t.String());
}

}  // namespace
