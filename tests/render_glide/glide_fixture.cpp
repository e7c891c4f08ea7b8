#include "tests/render_glide/glide_fixture.h"

#include "engine/archive.h"
#include "engine/program_objects.h"
#include "engine/scene/scene.h"
#include "engine/system.h"
#include "platform/win32/msgbox.h"

namespace kelvtest {

void GlideTest::SetUp() {
  GameRootTest::SetUp();
  platform::UseGlideTestBackend(true);
  // The recording board needs a window handle, not a window.
  g_MainWindow = reinterpret_cast<HWND>(std::uintptr_t{1});
  platform::SetGlideBoard(platform::GlideBoard{});
  GetProgramObject(PROGRAM_OBJECT_RENDERER).construct();
  GetProgramObject(PROGRAM_OBJECT_TEXTURE_MANAGER).construct();
  g_RiderCount = 20;
  g_FrameTime = 0.0f;
  g_ScreenWidth = 640;
  g_ScreenHeight = 480;
}

void GlideTest::TearDown() {
  g_Renderer.Close();
  g_UiArchive.Close();
  platform::UseGlideTestBackend(false);
  g_MainWindow = nullptr;
  platform::SetGlideBoard(platform::GlideBoard{});
  g_RiderCount = 20;
  GameRootTest::TearDown();
}

void GlideTest::UseBoard(const platform::GlideBoard& board) { platform::SetGlideBoard(board); }

bool GlideTest::OpenAt(std::uint32_t width, std::uint32_t height) {
  g_ScreenWidth = width;
  g_ScreenHeight = height;
  const bool ok = g_Renderer.Open();
  platform::ClearGlideRecords();
  return ok;
}

std::vector<platform::GlideCall> GlideTest::Calls(const std::string& function) {
  std::vector<platform::GlideCall> out;
  for (const platform::GlideCall& c : platform::RecordedGlideCalls()) {
    if (c.function == function) out.push_back(c);
  }
  return out;
}

std::vector<std::string> GlideTest::CallNames() {
  std::vector<std::string> out;
  for (const platform::GlideCall& c : platform::RecordedGlideCalls()) out.push_back(c.function);
  return out;
}

std::vector<std::string> GlideTest::Boxes() {
  std::vector<std::string> out;
  for (const platform::MessageBoxCall& b : platform::RecordedMessageBoxes()) out.push_back(b.text);
  return out;
}

}  // namespace kelvtest
