// Loading 256x256 textures from an archive through the texture manager: the
// file read, the reduction to the size class, the 16-bit conversion and the
// download into the board's texture memory. Each iteration loads one of 64
// textures into the slot the previous one freed; the time is per texture.
// Argument: the size class (8 keeps 256x256, 4 reduces to 128x128).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/display.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "platform/glide/glide.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/window.h"
#include "tools/bbf.h"
#include "tools/tex.h"

namespace {

constexpr int TEXTURES = 64;

struct Textures {
  bool ready = false;
  std::string archivePath;

  Textures() {
    platform::UseTestMessageBoxes(true);
    std::random_device rd;
    archivePath =
        (std::filesystem::temp_directory_path() / ("kelv-bench-tex-" + std::to_string(rd()) + ".bbf")).string();
    std::vector<kelvdata::BbfMember> members;
    for (int i = 0; i < TEXTURES; ++i) {
      members.push_back({"T" + std::to_string(i) + ".TEX", kelvdata::BuildTex(256, 256, [i](int x, int y) {
                           return kelvdata::Rgb{std::uint8_t(x + i), std::uint8_t(y), std::uint8_t(x ^ y)};
                         })});
    }
    if (!kelvdata::WriteHostFile(archivePath, kelvdata::BuildBbf(members))) return;

    GetProgramObject(PROGRAM_OBJECT_RENDERER).construct();
    GetProgramObject(PROGRAM_OBJECT_TEXTURE_MANAGER).construct();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "BENCHTEX";
    RegisterClassA(&wc);
    g_MainWindow = CreateWindowExA(0, "BENCHTEX", "Kelvarro", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                                   nullptr, nullptr, nullptr);
    g_ScreenWidth = 640;
    g_ScreenHeight = 480;
    // Without OpenGL, the board's recording backend still takes the downloads.
    if (!g_MainWindow || !g_Renderer.Open()) {
      platform::UseGlideTestBackend(true);
      g_MainWindow = reinterpret_cast<HWND>(std::uintptr_t{1});
      if (!g_Renderer.Open()) return;
    }
    ready = g_UiArchive.Open(archivePath.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
  }
  ~Textures() {
    g_Renderer.Close();
    g_UiArchive.Close();
    std::error_code ec;
    std::filesystem::remove(archivePath, ec);
  }
};

void BM_TextureLoad(benchmark::State& state) {
  static Textures textures;
  if (!textures.ready) {
    state.SkipWithError("no board");
    return;
  }
  const auto limit = static_cast<std::uint8_t>(state.range(0));
  int next = 0;
  for (auto _ : state) {
    char name[32];
    std::snprintf(name, sizeof name, "DATA\\UI\\T%d.TEX", next);
    next = (next + 1) % TEXTURES;
    TextureSlot slot = 0;
    if (!g_TextureManager.Load(name, &slot, limit)) {
      state.SkipWithError("load failed");
      return;
    }
    g_TextureManager.Free(slot);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextureLoad)->Arg(8)->Arg(4)->Unit(benchmark::kMicrosecond);

}  // namespace
