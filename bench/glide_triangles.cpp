// 5,000 textured, blended, depth-tested, perspective-correct triangles per
// frame at 640x480 through the Glide layer (grDrawVertexArrayContiguous),
// against a plain OpenGL program drawing the same triangles in one call into
// the same frame in the same run. Goal: the Glide layer keeps at least 80% of
// the plain program's frame rate ("ratio" counter) at every batch size. Both
// sides clear the frame, draw, show it through the board's presentation
// (scaled, with gamma) and finish it (grFinish); the texture is sent once.
//
// Needs an OpenGL window: run with SDL_VIDEODRIVER=offscreen where there is
// no display (Mesa's llvmpipe then draws).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bench/interleaved.h"
#include "platform/glide/glide.h"
#include "platform/win32/crt.h"
#include "platform/win32/window.h"

namespace {

constexpr int TRIANGLES = 5000;
constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;

struct Vertex {
  float x, y;
  std::uint32_t unused;
  std::uint32_t argb;
  float z, q, s, t;
  std::uint8_t tail[16];
};
static_assert(sizeof(Vertex) == 48);

float Random(float from, float to) {
  return from + (to - from) * static_cast<float>(crt::rand()) / static_cast<float>(crt::RAND_MAX_VALUE);
}

struct Board {
  HWND hwnd = nullptr;
  GrContext_t context = 0;
  std::vector<FxU16> texels;
  std::vector<Vertex> vertices;

  Board() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "KELVBENCH";
    RegisterClassA(&wc);
    hwnd = CreateWindowExA(0, "KELVBENCH", "Kelvarro", WS_OVERLAPPED | WS_VISIBLE, 0, 0, WIDTH, HEIGHT, nullptr,
                           nullptr, nullptr, nullptr);
    if (hwnd == nullptr) return;
    grGlideInit();
    context = grSstWinOpen(static_cast<FxU32>(reinterpret_cast<std::uintptr_t>(hwnd)), GR_RESOLUTION_640x480,
                           GR_REFRESH_60Hz, GR_COLORFORMAT_RGBA, GR_ORIGIN_UPPER_LEFT, 2, 1);
    if (context == 0) return;

    // The game's state for textured, blended, depth-tested drawing.
    grVertexLayout(GR_PARAM_XY, 0, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_PARGB, 12, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_Z, 16, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_Q, 20, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_ST0, 24, GR_PARAM_ENABLE);
    grAlphaCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_CONSTANT,
                   GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_FUNCTION_LOCAL,
                 GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);
    grAlphaTestFunction(GR_CMP_ALWAYS);
    grDepthBufferMode(GR_DEPTHBUFFER_ZBUFFER);
    grDepthBufferFunction(GR_CMP_GEQUAL);
    grDepthMask(FXTRUE);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE_MINUS_SRC_COLOR, GR_BLEND_ONE, GR_BLEND_ZERO);
    guGammaCorrectionRGB(1.2f, 1.2f, 1.2f);

    texels.resize(256 * 256);
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        texels[y * 256 + x] = static_cast<FxU16>(0x8000 | ((x >> 3) << 10) | ((y >> 3) << 5) | (((x ^ y) >> 3) & 31));
      }
    }
    GrTexInfo info{GR_LOD_LOG2_256, GR_LOD_LOG2_256, GR_ASPECT_LOG2_1x1, GR_TEXFMT_ARGB_1555, texels.data()};
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);

    // Triangles of about 20 to 50 pixels a side all over the screen, each at
    // its own depth and with perspective across it.
    crt::srand(1);
    for (int i = 0; i < TRIANGLES; ++i) {
      float cx = Random(0.0f, WIDTH), cy = Random(0.0f, HEIGHT), z = Random(1.0f, 65535.0f);
      for (int k = 0; k < 3; ++k) {
        float q = Random(0.25f, 1.0f);
        Vertex v{};
        v.x = std::clamp(cx + Random(-25.0f, 25.0f), 0.0f, static_cast<float>(WIDTH));
        v.y = std::clamp(cy + Random(-25.0f, 25.0f), 0.0f, static_cast<float>(HEIGHT));
        v.argb = 0xFF000000u | static_cast<std::uint32_t>(crt::rand() & 0xFFFF) << 8 | 0x80;
        v.z = z;
        v.q = q;
        v.s = Random(0.0f, 256.0f) * q;
        v.t = Random(0.0f, 256.0f) * q;
        vertices.push_back(v);
      }
    }
  }
  ~Board() {
    if (context != 0) grSstWinClose(context);
    grGlideShutdown();
    if (hwnd != nullptr) DestroyWindow(hwnd);
    UnregisterClassA("KELVBENCH", nullptr);
  }

  void GlideFrame(int batch) {
    grClipWindow(0, 0, WIDTH, HEIGHT);
    grBufferClear(0, 0, 0);
    for (int first = 0; first < TRIANGLES; first += batch) {
      int n = std::min(batch, TRIANGLES - first);
      grDrawVertexArrayContiguous(GR_TRIANGLES, static_cast<FxU32>(n * 3), &vertices[first * 3], sizeof(Vertex));
    }
    grBufferSwap(0);
    grFinish();
  }
  bool PlainFrame() {
    bool ok = platform::BenchmarkPlainGLFrame(vertices.data(), static_cast<FxU32>(vertices.size()), sizeof(Vertex),
                                              texels.data(), 256, 256, GR_BLEND_ONE, GR_BLEND_ONE_MINUS_SRC_COLOR);
    grFinish();
    return ok;
  }
};

Board& TheBoard() {
  static Board board;
  return board;
}

// Frames alternate between the two sides, each side going first in every
// other pair; the counters give each side's median frame rate and their
// ratio, and the repetitions their spread. The argument is the number of
// triangles per draw call on the Glide side (the plain program draws all in
// one call): 5000 in one call, batches of 100 and 20 as the game's objects
// come, and 2 for the quads of the 2D widgets (the cost of a call).

void BM_GlideVsPlainGL(benchmark::State& state) {
  Board& b = TheBoard();
  if (b.context == 0) {
    state.SkipWithError("no OpenGL window (set SDL_VIDEODRIVER=offscreen without a display)");
    return;
  }
  int batch = static_cast<int>(state.range(0));
  for (int i = 0; i < 3; ++i) {  // compiles and sends what the frames need
    b.GlideFrame(batch);
    if (!b.PlainFrame()) {
      state.SkipWithError("plain OpenGL frame failed");
      return;
    }
  }
  std::vector<double> glide, plain;
  kelvbench::Interleave(state, [&] { b.GlideFrame(batch); }, [&] { b.PlainFrame(); }, &glide, &plain);
  const double g = kelvbench::Median(glide), p = kelvbench::Median(plain);
  state.counters["glide_fps"] = 1.0 / g;
  state.counters["plain_fps"] = 1.0 / p;
  state.counters["ratio"] = p / g;
}
BENCHMARK(BM_GlideVsPlainGL)->Arg(TRIANGLES)->Arg(100)->Arg(20)->Arg(2)->Apply([](auto* b) { kelvbench::WithSpread(b); });

}  // namespace
