// 5,000 textured, blended, depth-tested triangles per frame at 640x480,
// through Renderer::DrawTriangles and the virtual Glide board, against the
// board's plain OpenGL program drawing the same triangles in one call into
// the same frame in the same run. Goal: at least 80% of the plain program's
// frame rate under llvmpipe at every batch size ("ratio" counter). Both
// sides clear the frame, draw, show it and finish it (grFinish); the texture
// is loaded once.
#include <benchmark/benchmark.h>

#include <algorithm>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/interleaved.h"
#include "engine/archive.h"
#include "engine/display.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "platform/glide/glide.h"
#include "platform/win32/crt.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/window.h"
#include "tools/bbf.h"
#include "tools/tex.h"

namespace {

constexpr int TRIANGLES = 5000;

struct Scene {
  bool ready = false;
  std::string archivePath;
  std::vector<ScreenVertex> vertices;
  std::vector<FxU16> texels;  // the same texture for the plain program
  TextureSlot slot = 0;

  Scene() {
    platform::UseTestMessageBoxes(true);
    std::random_device rd;
    archivePath =
        (std::filesystem::temp_directory_path() / ("kelv-bench-tri-" + std::to_string(rd()) + ".bbf")).string();
    auto texel = [](int x, int y) {
      return kelvdata::Rgb{std::uint8_t(x), std::uint8_t(y), std::uint8_t((x ^ y) & 0xFF)};
    };
    if (!kelvdata::WriteHostFile(archivePath, kelvdata::BuildBbf({{"BENCH.TEX", kelvdata::BuildTex(256, 256, texel)}})))
      return;
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        const kelvdata::Rgb c = texel(x, y);
        texels.push_back(static_cast<FxU16>(0x8000 | ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3)));
      }
    }

    GetProgramObject(PROGRAM_OBJECT_RENDERER).construct();
    GetProgramObject(PROGRAM_OBJECT_TEXTURE_MANAGER).construct();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "BENCHTRI";
    RegisterClassA(&wc);
    g_MainWindow = CreateWindowExA(0, "BENCHTRI", "Kelvarro", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                                   nullptr, nullptr, nullptr);
    g_ScreenWidth = 640;
    g_ScreenHeight = 480;
    if (!g_MainWindow || !g_Renderer.Open()) return;
    g_Renderer.SetDefaultStates();
    if (!g_UiArchive.Open(archivePath.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) return;
    char name[] = "DATA\\UI\\BENCH.TEX";
    if (!g_TextureManager.Load(name, &slot, 8)) return;

    // Triangles of about 30 pixels scattered over the screen at random
    // depths, half of them hidden behind nearer ones.
    crt::srand(1);
    auto rnd = [](float range) { return static_cast<float>(crt::rand() % 1000) * range / 1000.0f; };
    for (int i = 0; i < TRIANGLES; ++i) {
      const float x = rnd(600.0f);
      const float y = rnd(440.0f);
      const float z = rnd(65535.0f);
      const float q = 0.5f + rnd(0.5f);
      const float corners[3][4] = {{0, 0, 0, 0}, {40, 0, 1, 0}, {0, 40, 0, 1}};
      for (const auto& c : corners) {
        ScreenVertex v{};
        v.x = x + c[0];
        v.y = y + c[1];
        v.colour = 0xFF000000u | (static_cast<std::uint32_t>(crt::rand() % 256) * 0x010101u);
        v.z = z;
        v.q = q;
        v.s = c[2] * 256.0f * q;
        v.t = c[3] * 256.0f * q;
        vertices.push_back(v);
      }
    }
    ready = true;
  }
  ~Scene() {
    g_Renderer.Close();
    g_UiArchive.Close();
    std::error_code ec;
    std::filesystem::remove(archivePath, ec);
  }
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

void DrawStates() {
  g_Renderer.SetZEnable(true);
  g_Renderer.SetZWriteEnable(true);
  g_Renderer.SetZFunc(DEPTH_NEARER_OR_EQUAL);
  g_Renderer.SetSrcBlend(BLEND_ONE);
  g_Renderer.SetDestBlend(BLEND_ONE_MINUS_SRC_COLOUR);
  g_Renderer.SetAlphaBlendEnable(true);
}

// A frame as a scene draws it: clear, states, texture, the triangles `batch`
// at a time, present.
void RendererFrame(const Scene& s, int batch) {
  g_Renderer.ClearRect(0, 0, 640, 480, true);
  DrawStates();
  g_TextureManager.Select(s.slot);
  for (int first = 0; first < TRIANGLES; first += batch) {
    const int n = std::min(batch, TRIANGLES - first);
    g_Renderer.DrawTriangles(static_cast<std::uint16_t>(n * 3), &s.vertices[static_cast<std::size_t>(first) * 3]);
  }
  g_Renderer.Present();
  grFinish();
}

bool PlainFrame(const Scene& s) {
  const bool ok = platform::BenchmarkPlainGLFrame(s.vertices.data(), static_cast<FxU32>(s.vertices.size()),
                                                  sizeof(ScreenVertex), s.texels.data(), 256, 256, GR_BLEND_ONE,
                                                  GR_BLEND_ONE_MINUS_SRC_COLOR);
  grFinish();
  return ok;
}

// Frames alternate between the two sides, each side going first in every
// other pair; the counters give each side's median frame rate and their
// ratio, and the repetitions their spread. The argument is the number of
// triangles per DrawTriangles call (the plain program draws all in one
// call): 5000 in one call, 100 and 20 as meshes come, 2 for widget quads.
void BM_RendererVsPlainGL(benchmark::State& state) {
  Scene& s = TheScene();
  if (!s.ready) {
    state.SkipWithError("no OpenGL window (set SDL_VIDEODRIVER=offscreen without a display)");
    return;
  }
  const int batch = static_cast<int>(state.range(0));
  for (int i = 0; i < 3; ++i) {  // compiles and sends what the frames need
    RendererFrame(s, batch);
    if (!PlainFrame(s)) {
      state.SkipWithError("plain OpenGL frame failed");
      return;
    }
  }
  std::vector<double> renderer, plain;
  kelvbench::Interleave(state, [&] { RendererFrame(s, batch); }, [&] { PlainFrame(s); }, &renderer, &plain);
  const double r = kelvbench::Median(renderer), p = kelvbench::Median(plain);
  state.counters["renderer_fps"] = 1.0 / r;
  state.counters["plain_fps"] = 1.0 / p;
  state.counters["ratio"] = p / r;
}
BENCHMARK(BM_RendererVsPlainGL)->Arg(TRIANGLES)->Arg(100)->Arg(20)->Arg(2)->Apply([](auto* b) { kelvbench::WithSpread(b); });

}  // namespace
