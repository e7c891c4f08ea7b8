#include "tests/render_d3d/direct3d_fixture.h"

#include "engine/archive.h"
#include "engine/program_objects.h"
#include "engine/scene/scene.h"
#include "engine/system.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/registry.h"

namespace kelvtest {

void Direct3DTest::SetUp() {
  GameRootTest::SetUp();
  platform::UseDirectDrawTestBackend(true);
  platform::SetDirectDrawMachine(platform::DefaultDirectDrawMachine());
  platform::UseScriptedDialogs(true);
  Direct3DRenderer::ForgetDialogSelection();
  g_MainWindow = reinterpret_cast<HWND>(std::uintptr_t{1});
  GetProgramObject(PROGRAM_OBJECT_RENDERER).construct();
  GetProgramObject(PROGRAM_OBJECT_TEXTURE_MANAGER).construct();
  g_RenderBuild = RENDER_BUILD_DIRECT3D;
  g_RiderCount = 20;
  g_FrameTime = 0.0f;
  g_ScreenWidth = 640;
  g_ScreenHeight = 480;
  Choose(0, 1, 16);
}

void Direct3DTest::TearDown() {
  g_TextureManager.ClearNames();
  g_Renderer.Close();
  g_UiArchive.Close();
  platform::SetDirectDrawSurfacesLost(false);
  platform::UseDirectDrawTestBackend(false);
  platform::UseScriptedDialogs(false);
  platform::SetDirectDrawMachine(platform::DefaultDirectDrawMachine());
  g_RenderBuild = RENDER_BUILD_GLIDE;
  g_BeforeMessageBox = nullptr;
  g_MainWindow = nullptr;
  g_RiderCount = 20;
  GameRootTest::TearDown();
}

void Direct3DTest::Choose(long driver, long device, long bpp) {
  const char* names[3] = {"DDDriver", "3DDevice", "GameBPP"};
  const long values[3] = {driver, device, bpp};
  for (int i = 0; i < 3; ++i) {
    if (values[i] >= 0) {
      WriteRegistryDword(names[i], static_cast<DWORD>(values[i]));
    } else {
      HKEY key = nullptr;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, CONFIG_KEY, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, names[i]);
        RegCloseKey(key);
      }
    }
  }
}

bool Direct3DTest::OpenAt(std::uint32_t width, std::uint32_t height) {
  g_ScreenWidth = width;
  g_ScreenHeight = height;
  const bool ok = g_Renderer.Open();
  platform::ClearDirectDrawRecords();
  return ok;
}

std::vector<platform::DirectDrawCall> Direct3DTest::Calls(const std::string& function) {
  std::vector<platform::DirectDrawCall> out;
  for (const platform::DirectDrawCall& c : platform::RecordedDirectDrawCalls()) {
    if (c.function == function) out.push_back(c);
  }
  return out;
}

std::vector<std::string> Direct3DTest::CallNames() {
  std::vector<std::string> out;
  for (const platform::DirectDrawCall& c : platform::RecordedDirectDrawCalls()) out.push_back(c.function);
  return out;
}

std::vector<std::string> Direct3DTest::Boxes() {
  std::vector<std::string> out;
  for (const platform::MessageBoxCall& b : platform::RecordedMessageBoxes()) out.push_back(b.text);
  return out;
}

}  // namespace kelvtest
