// 5,000 textured, blended, depth-tested, perspective-correct triangles per
// frame at 640x480 through the DirectDraw/Direct3D layer (DrawPrimitive of
// pre-transformed vertices inside one scene), against a plain OpenGL
// program drawing the same triangles in one call into the same frame in the
// same run. Goal: the Direct3D layer keeps at least 80% of the plain
// program's frame rate ("ratio" counter) at every batch size. Both sides
// clear the frame, draw, present it (Flip) and finish it; the texture is
// sent once.
//
// Needs an OpenGL window: run with SDL_VIDEODRIVER=offscreen where there is
// no display (Mesa's llvmpipe then draws).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "bench/interleaved.h"
#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/ddraw_machine.h"
#include "platform/win32/crt.h"
#include "platform/win32/window.h"

namespace {

constexpr int TRIANGLES = 5000;
constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;

float Random(float from, float to) {
  return from + (to - from) * static_cast<float>(crt::rand()) / static_cast<float>(crt::RAND_MAX_VALUE);
}

struct Display {
  HWND hwnd = nullptr;
  IDirectDraw4* dd = nullptr;
  IDirectDrawSurface4* primary = nullptr;
  IDirectDrawSurface4* back = nullptr;
  IDirectDrawSurface4* z = nullptr;
  IDirectDrawSurface4* texture = nullptr;
  IDirect3DTexture2* textureInterface = nullptr;
  IDirect3D3* d3d = nullptr;
  IDirect3DDevice3* device = nullptr;
  IDirect3DViewport3* viewport = nullptr;
  std::vector<std::uint16_t> texels;
  std::vector<D3DTLVERTEX> vertices;
  bool ready = false;

  Display() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "KELVBENCHDX";
    RegisterClassA(&wc);
    hwnd = CreateWindowExA(0, "KELVBENCHDX", "Kelvarro", WS_OVERLAPPED | WS_VISIBLE, 0, 0, WIDTH, HEIGHT, nullptr,
                           nullptr, nullptr, nullptr);
    if (hwnd == nullptr) return;
    platform::UseDirectDrawFramePacing(false);
    IDirectDraw* first = nullptr;
    if (DirectDrawCreate(nullptr, &first, nullptr) != DD_OK) return;
    first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&dd));
    first->Release();
    if (!dd || dd->QueryInterface(IID_IDirect3D3, reinterpret_cast<void**>(&d3d)) != DD_OK) return;
    if (dd->SetCooperativeLevel(hwnd, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE) != DD_OK ||
        dd->SetDisplayMode(WIDTH, HEIGHT, 16, 0, 0) != DD_OK)
      return;
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    desc.dwBackBufferCount = 1;
    if (dd->CreateSurface(&desc, &primary, nullptr) != DD_OK) return;
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    primary->GetAttachedSurface(&caps, &back);
    DDSURFACEDESC2 zd{};
    zd.dwSize = sizeof zd;
    zd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    zd.dwWidth = WIDTH;
    zd.dwHeight = HEIGHT;
    zd.ddpfPixelFormat = platform::ZPixelFormat(16);
    zd.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | DDSCAPS_VIDEOMEMORY;
    if (dd->CreateSurface(&zd, &z, nullptr) != DD_OK || back->AddAttachedSurface(z) != DD_OK) return;
    const GUID hardware = platform::CurrentDirectDrawMachine().drivers[0].devices[1].guid;
    if (d3d->CreateDevice(hardware, back, &device, nullptr) != D3D_OK) return;
    d3d->CreateViewport(&viewport, nullptr);
    device->AddViewport(viewport);
    D3DVIEWPORT2 v{sizeof(D3DVIEWPORT2), 0, 0, WIDTH, HEIGHT, 0.0f, 0.0f, WIDTH, HEIGHT, 0.0f, 1.0f};
    viewport->SetViewport2(&v);
    device->SetCurrentViewport(viewport);

    texels.resize(256 * 256);
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        texels[y * 256 + x] =
            static_cast<std::uint16_t>(0x8000 | ((x >> 3) << 10) | ((y >> 3) << 5) | (((x ^ y) >> 3) & 31));
      }
    }
    DDSURFACEDESC2 td{};
    td.dwSize = sizeof td;
    td.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    td.dwWidth = td.dwHeight = 256;
    td.ddpfPixelFormat = platform::RgbPixelFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000);
    td.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
    IDirectDrawSurface4* loaded = nullptr;
    if (dd->CreateSurface(&td, &loaded, nullptr) != DD_OK) return;
    DDSURFACEDESC2 locked{};
    loaded->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr);
    std::memcpy(locked.lpSurface, texels.data(), texels.size() * 2);
    loaded->Unlock(nullptr);
    td.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY;
    dd->CreateSurface(&td, &texture, nullptr);
    IDirect3DTexture2* source = nullptr;
    loaded->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&source));
    texture->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&textureInterface));
    textureInterface->Load(source);
    source->Release();
    loaded->Release();

    // The game's state for textured, blended, depth-tested drawing.
    device->SetTexture(0, textureInterface);
    const std::pair<D3DRENDERSTATETYPE, DWORD> states[] = {
        {D3DRENDERSTATE_TEXTUREMAPBLEND, D3DTBLEND_MODULATEALPHA}, {D3DRENDERSTATE_TEXTUREPERSPECTIVE, 1},
        {D3DRENDERSTATE_TEXTUREMAG, D3DFILTER_LINEAR}, {D3DRENDERSTATE_TEXTUREMIN, D3DFILTER_LINEAR},
        {D3DRENDERSTATE_ZENABLE, 1}, {D3DRENDERSTATE_ZWRITEENABLE, 1}, {D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRENDERSTATE_ALPHABLENDENABLE, 1}, {D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA},
        {D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA}, {D3DRENDERSTATE_CULLMODE, D3DCULL_NONE},
        {D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD}};
    for (const auto& [state, value] : states) device->SetRenderState(state, value);

    crt::srand(1);
    for (int i = 0; i < TRIANGLES; ++i) {
      const float cx = Random(0.0f, WIDTH), cy = Random(0.0f, HEIGHT), depth = Random(0.0f, 1.0f);
      for (int k = 0; k < 3; ++k) {
        D3DTLVERTEX v{};
        v.sx = std::clamp(cx + Random(-25.0f, 25.0f), 0.0f, static_cast<float>(WIDTH));
        v.sy = std::clamp(cy + Random(-25.0f, 25.0f), 0.0f, static_cast<float>(HEIGHT));
        v.sz = depth;
        v.rhw = Random(0.25f, 1.0f);
        v.color = 0x80000000u | static_cast<std::uint32_t>(crt::rand() & 0xFFFF) << 8 | 0x80;
        v.specular = 0xFF000000u;
        v.tu = Random(0.0f, 1.0f);
        v.tv = Random(0.0f, 1.0f);
        vertices.push_back(v);
      }
    }
    ready = true;
  }
  ~Display() {
    for (DirectDrawObject* o : std::initializer_list<DirectDrawObject*>{viewport, device, d3d, z, back, primary}) {
      if (o) o->Release();
    }
    if (textureInterface) textureInterface->Release();
    if (texture) texture->Release();
    if (dd) dd->Release();
    if (hwnd != nullptr) DestroyWindow(hwnd);
    UnregisterClassA("KELVBENCHDX", nullptr);
  }

  void Direct3DFrame(int batch) {
    D3DRECT all{0, 0, WIDTH, HEIGHT};
    viewport->Clear2(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    device->BeginScene();
    for (int first = 0; first < TRIANGLES; first += batch) {
      const int n = std::min(batch, TRIANGLES - first);
      device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX_FORMAT, &vertices[first * 3],
                            static_cast<DWORD>(n * 3), D3DDP_DONOTCLIP | D3DDP_DONOTLIGHT);
    }
    device->EndScene();
    primary->Flip(nullptr, DDFLIP_WAIT);
    platform::DirectDrawFinish();
  }
  bool PlainFrame() {
    const bool ok = platform::BenchmarkPlainGLDraw(vertices.data(), static_cast<DWORD>(vertices.size()),
                                                   texels.data(), 256, 256);
    platform::DirectDrawFinish();
    return ok;
  }
};

Display& TheDisplay() {
  static Display display;
  return display;
}

// Frames alternate between the two sides (bench/interleaved.h); the
// counters give each side's median frame rate and their ratio. The argument
// is the number of triangles per DrawPrimitive (the plain program draws all
// in one call): 5000 in one call, batches of 100 and 20 as the game's
// objects come, and 2 for the quads of the 2D widgets.
void BM_Direct3DVsPlainGL(benchmark::State& state) {
  Display& d = TheDisplay();
  if (!d.ready) {
    state.SkipWithError("no OpenGL window (set SDL_VIDEODRIVER=offscreen without a display)");
    return;
  }
  const int batch = static_cast<int>(state.range(0));
  for (int i = 0; i < 3; ++i) {
    d.Direct3DFrame(batch);
    if (!d.PlainFrame()) {
      state.SkipWithError("plain OpenGL frame failed");
      return;
    }
  }
  std::vector<double> direct3D, plain;
  kelvbench::Interleave(
      state, [&] { d.Direct3DFrame(batch); }, [&] { d.PlainFrame(); }, &direct3D, &plain);
  const double g = kelvbench::Median(direct3D), p = kelvbench::Median(plain);
  state.counters["direct3d_fps"] = 1.0 / g;
  state.counters["plain_fps"] = 1.0 / p;
  state.counters["ratio"] = p / g;
}
BENCHMARK(BM_Direct3DVsPlainGL)->Arg(TRIANGLES)->Arg(100)->Arg(20)->Arg(2)->Apply([](auto* b) { kelvbench::WithSpread(b); });

}  // namespace
