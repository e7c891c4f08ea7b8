#include "tests/render_glide/picture_fixture.h"

#include <gtest/gtest.h>

#include "engine/archive.h"
#include "engine/display.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "platform/win32/window.h"

namespace kelvtest {

namespace {
constexpr const char* kWindowClass = "PICTURETEST";
}

void PictureTest::SetUp() {
  GameRootTest::SetUp();
  platform::UseGlideTestBackend(false);
  platform::SetGlideBoard({});
  GetProgramObject(PROGRAM_OBJECT_RENDERER).construct();
  GetProgramObject(PROGRAM_OBJECT_TEXTURE_MANAGER).construct();
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = kWindowClass;
  RegisterClassA(&wc);
}

void PictureTest::TearDown() {
  g_Renderer.Close();
  g_UiArchive.Close();
  if (g_MainWindow) DestroyWindow(g_MainWindow);
  g_MainWindow = nullptr;
  UnregisterClassA(kWindowClass, nullptr);
  GameRootTest::TearDown();
}

bool PictureTest::OpenScreen() {
  g_MainWindow = CreateWindowExA(0, kWindowClass, "Kelvarro", WS_POPUP | WS_VISIBLE, 0, 0,
                                 GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                 nullptr, nullptr);
  if (!g_MainWindow) return false;
  g_ScreenWidth = 640;
  g_ScreenHeight = 480;
  if (!g_Renderer.Open()) return false;
  g_Renderer.SetDefaultStates();
  g_Renderer.RestoreSurfaces();
  return true;
}

void PictureTest::OpenUiArchive(const std::vector<kelvdata::BbfMember>& members) {
  Put("DATA/UI.BBF", kelvdata::BuildBbf(members));
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
}

platform::Picture PictureTest::Presented() {
  g_Renderer.Present();
  platform::Picture p;
  EXPECT_TRUE(platform::GlideReadFrame(GR_BUFFER_FRONTBUFFER, false, &p));
  return p;
}

std::string PictureTest::Reference(const std::string& name) {
  return std::string(KELV_SOURCE_DIR) + "/tests/references/" + name;
}

}  // namespace kelvtest
