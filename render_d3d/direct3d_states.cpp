// Renderer of kelvarro_dx: the render-state cache over the device's states,
// the scene defaults, drawing, clearing, the fade and the statistics.
#include <cstring>
#include <vector>

#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/geometry_pipeline.h"
#include "engine/scene/scene.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "render_d3d/direct3d_renderer.h"

namespace {

DWORD Channel(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 1.0f) return 255;
  return static_cast<DWORD>(value * 255.0f);
}

DWORD OpaqueColour(float red, float green, float blue) {
  return 0xFF000000u | Channel(red) << 16 | Channel(green) << 8 | Channel(blue);
}

// A scene is begun by the first draw of a pass and ended by DrawFade.
bool g_sceneOpen = false;

bool BeginSceneOnce() {
  IDirect3DDevice3* device = Direct3DRenderer::device;
  if (!device) return false;
  if (!g_sceneOpen) g_sceneOpen = device->BeginScene() == D3D_OK;
  return g_sceneOpen;
}

std::vector<D3DTLVERTEX>& Converted(std::size_t count) {
  static std::vector<D3DTLVERTEX> vertices;
  vertices.resize(count);
  return vertices;
}

bool Draw(D3DPRIMITIVETYPE type, std::uint16_t count, const ScreenVertex* vertices) {
  if (!BeginSceneOnce()) return false;
  std::vector<D3DTLVERTEX>& out = Converted(count);
  for (std::uint16_t i = 0; i < count; ++i) out[i] = Direct3DRenderer::ToDirect3DVertex(vertices[i]);
  return Direct3DRenderer::device->DrawPrimitive(type, D3DFVF_TLVERTEX_FORMAT, out.data(), count,
                                                 D3DDP_DONOTCLIP | D3DDP_DONOTLIGHT) == D3D_OK;
}

}  // namespace

DWORD Direct3DRenderer::BlendConstant(std::int32_t factor) {
  switch (factor) {
    case BLEND_ZERO: return D3DBLEND_ZERO;
    case BLEND_ONE: return D3DBLEND_ONE;
    case BLEND_SRC_COLOUR: return D3DBLEND_SRCCOLOR;
    case BLEND_ONE_MINUS_SRC_COLOUR: return D3DBLEND_INVSRCCOLOR;
    case BLEND_SRC_ALPHA: return D3DBLEND_SRCALPHA;
    case BLEND_ONE_MINUS_SRC_ALPHA: return D3DBLEND_INVSRCALPHA;
    case BLEND_ONE_MINUS_DEST_COLOUR: return D3DBLEND_INVDESTCOLOR;
    default: return D3DBLEND_ONE;
  }
}

DWORD Direct3DRenderer::CompareConstant(std::int32_t compare) {
  return compare == DEPTH_NEARER ? D3DCMP_LESS : D3DCMP_LESSEQUAL;
}

bool Direct3DRenderer::SetCachedState(std::int32_t& cached, D3DRENDERSTATETYPE state, std::int32_t value) {
  if (cached == value) return true;
  // Stored before the call: a failed set is not sent again for the same value.
  cached = value;
  return device && device->SetRenderState(state, static_cast<DWORD>(value)) == D3D_OK;
}

D3DTLVERTEX Direct3DRenderer::ToDirect3DVertex(const ScreenVertex& v) {
  D3DTLVERTEX out;
  out.sx = v.x;
  out.sy = v.y;
  out.sz = v.z;
  out.rhw = v.q;
  out.color = v.colour;
  // No specular colour is added; its alpha is the fog factor.
  out.specular = (255u - (v.fogAmount & 0xFFu)) << 24;
  out.tu = v.s;
  out.tv = v.t;
  return out;
}

// ---- Cached setters --------------------------------------------------------------

using R = Direct3DRenderer;

bool Renderer::SetAlphaBlendEnable(bool on) { return R::SetCachedState(cache.alphaBlendEnable, D3DRENDERSTATE_ALPHABLENDENABLE, on); }
bool Renderer::SetSrcBlend(BlendFactor f) {
  return R::SetCachedState(cache.srcBlend, D3DRENDERSTATE_SRCBLEND, static_cast<std::int32_t>(R::BlendConstant(f)));
}
bool Renderer::SetDestBlend(BlendFactor f) {
  return R::SetCachedState(cache.destBlend, D3DRENDERSTATE_DESTBLEND, static_cast<std::int32_t>(R::BlendConstant(f)));
}
bool Renderer::SetZEnable(bool on) { return R::SetCachedState(cache.zEnable, D3DRENDERSTATE_ZENABLE, on); }
bool Renderer::SetZWriteEnable(bool on) { return R::SetCachedState(cache.zWriteEnable, D3DRENDERSTATE_ZWRITEENABLE, on); }
bool Renderer::SetZFunc(DepthCompare c) {
  return R::SetCachedState(cache.zFunc, D3DRENDERSTATE_ZFUNC, static_cast<std::int32_t>(R::CompareConstant(c)));
}
bool Renderer::SetZVisibleEnable(bool on) { return R::SetCachedState(cache.zVisible, D3DRENDERSTATE_ZVISIBLE, on); }
bool Renderer::SetFogEnable(bool on) { return R::SetCachedState(cache.fogEnable, D3DRENDERSTATE_FOGENABLE, on); }
bool Renderer::SetShadeMode(ShadeMode mode) {
  return R::SetCachedState(cache.shadeMode, D3DRENDERSTATE_SHADEMODE,
                           mode == SHADE_FLAT ? D3DSHADE_FLAT : D3DSHADE_GOURAUD);
}
bool Renderer::SetStippledAlpha(bool on) { return R::SetCachedState(cache.stippledAlpha, D3DRENDERSTATE_STIPPLEDALPHA, on); }
bool Renderer::SetSpecularEnable(bool on) { return R::SetCachedState(cache.specular, D3DRENDERSTATE_SPECULARENABLE, on); }
bool Renderer::SetAntiAliasEnable(bool on) {
  return R::SetCachedState(cache.antiAlias, D3DRENDERSTATE_ANTIALIAS, on ? 1 : D3DANTIALIAS_NONE);
}
bool Renderer::SetEdgeAntiAliasEnable(bool on) { return R::SetCachedState(cache.edgeAntiAlias, D3DRENDERSTATE_EDGEANTIALIAS, on); }
bool Renderer::SetPerspectiveCorrection(bool on) {
  return R::SetCachedState(cache.perspectiveCorrection, D3DRENDERSTATE_TEXTUREPERSPECTIVE, on);
}
bool Renderer::SetColourKeyEnable(bool on) { return R::SetCachedState(cache.colourKey, D3DRENDERSTATE_COLORKEYENABLE, on); }
bool Renderer::SetDitherEnable(bool on) { return R::SetCachedState(cache.dither, D3DRENDERSTATE_DITHERENABLE, on); }
bool Renderer::SetFillMode(FillMode) { return R::SetCachedState(cache.fillMode, D3DRENDERSTATE_FILLMODE, D3DFILL_SOLID); }
bool Renderer::SetCullMode(CullMode) { return R::SetCachedState(cache.cullMode, D3DRENDERSTATE_CULLMODE, D3DCULL_NONE); }

bool Renderer::SetTextureFilter(bool bilinear) {
  const std::int32_t value = bilinear ? 1 : 0;
  if (cache.textureFilter == value) return true;
  cache.textureFilter = value;
  if (!R::device) return false;
  const DWORD filter = bilinear ? D3DFILTER_LINEAR : D3DFILTER_NEAREST;
  return R::device->SetRenderState(D3DRENDERSTATE_TEXTUREMAG, filter) == D3D_OK &&
         R::device->SetRenderState(D3DRENDERSTATE_TEXTUREMIN, filter) == D3D_OK;
}

// No counterpart: the device's texture blend stays as the scene set it, and
// untextured drawing selects slot 0.
bool Renderer::SetTextureBlend(TextureBlend blend) { return blend == TEXBLEND_MODULATE || blend == TEXBLEND_COLOUR; }

bool Renderer::SetAlphaTest(bool keyed) {
  if (!keyed) {
    const bool enable = R::SetCachedState(cache.alphaTestEnable, D3DRENDERSTATE_ALPHATESTENABLE, 0);
    return R::SetCachedState(cache.alphaFunc, D3DRENDERSTATE_ALPHAFUNC, D3DCMP_ALWAYS) && enable;
  }
  const bool enable = R::SetCachedState(cache.alphaTestEnable, D3DRENDERSTATE_ALPHATESTENABLE, 1);
  const bool func = R::SetCachedState(cache.alphaFunc, D3DRENDERSTATE_ALPHAFUNC, D3DCMP_GREATER);
  // The reference is not cached.
  const bool reference =
      R::device && R::device->SetRenderState(D3DRENDERSTATE_ALPHAREF, R::KEYED_ALPHA_REFERENCE) == D3D_OK;
  return enable && func && reference;
}

bool Renderer::SetFogColour(float red, float green, float blue) {
  if (R::device) R::device->SetRenderState(D3DRENDERSTATE_FOGCOLOR, OpaqueColour(red, green, blue));
  return true;
}

// The device keeps its own fog: the factor comes with each vertex.
bool Renderer::SetFogRange(float, float) { return true; }


bool Renderer::SetDefaultStates() {
  const bool hardware = g_ChosenDriver < g_DisplayDriverCount &&
                        g_ChosenDevice < g_DisplayDrivers[g_ChosenDriver].deviceCount &&
                        g_DisplayDrivers[g_ChosenDriver].devices[g_ChosenDevice].kind == D3D_DEVICE_HARDWARE;
  SetAntiAliasEnable(false);
  SetEdgeAntiAliasEnable(false);
  SetShadeMode(g_OptionRenderQuality ? SHADE_GOURAUD : SHADE_FLAT);
  SetPerspectiveCorrection(g_OptionPerspectiveCorrection != 0);
  // Modulate-alpha: colour and alpha are both texel x vertex.
  R::SetCachedState(cache.textureBlend, D3DRENDERSTATE_TEXTUREMAPBLEND, D3DTBLEND_MODULATEALPHA);
  SetZEnable(true);
  SetZWriteEnable(true);
  SetZFunc(DEPTH_NEARER_OR_EQUAL);
  SetZVisibleEnable(false);
  SetAlphaBlendEnable(false);
  SetStippledAlpha(false);
  SetSrcBlend(BLEND_ONE);
  SetDestBlend(BLEND_ONE);
  SetColourKeyEnable(true);
  SetFillMode(FILL_SOLID);
  SetDitherEnable(hardware);
  SetSpecularEnable(false);
  SetCullMode(CULL_NONE);
  SetFogEnable(false);
  return true;
}

// ---- Drawing ------------------------------------------------------------------------

bool Renderer::DrawTriangles(std::uint16_t count, const ScreenVertex* vertices) {
  if (count % 3 != 0) return false;
  if (count == 0) return true;
  if (!Draw(D3DPT_TRIANGLELIST, count, vertices)) return false;
  statistics.trianglesDrawn += count / 3u;
  return true;
}

bool Renderer::DrawPoints(std::uint16_t count, const ScreenVertex* vertices) {
  if (count == 0) return true;
  return Draw(D3DPT_POINTLIST, count, vertices);
}

bool Renderer::ClearRect(int x0, int y0, int x1, int y1, bool clearDepth) {
  if (!R::viewport) return false;
  D3DRECT rect{x0, y0, x1, y1};
  const DWORD flags = D3DCLEAR_TARGET | (clearDepth ? D3DCLEAR_ZBUFFER : 0);
  return R::viewport->Clear2(1, &rect, flags, OpaqueColour(clearRed, clearGreen, clearBlue), 1.0f, 0) == D3D_OK;
}

bool Renderer::DrawFade() {
  if (!BeginSceneOnce()) return false;
  if (StepFade(g_FrameTime)) {
    const DWORD alpha = Channel(fadeDarkness);
    const std::uint32_t colour = alpha << 24 | 0x020202u;
    for (ScreenVertex& v : fadeQuad) v.colour = colour;
    SetSrcBlend(BLEND_SRC_ALPHA);
    SetDestBlend(BLEND_ONE_MINUS_SRC_ALPHA);
    SetAlphaBlendEnable(true);
    SetZEnable(false);
    // Else a fade below the keyed reference never shows over keyed drawing.
    SetAlphaTest(false);
    if (g_TextureManager.selected != 0) g_TextureManager.Select(0);
    DrawTriangles(6, fadeQuad);
    SetAlphaBlendEnable(false);
  }
  g_sceneOpen = false;
  return R::device->EndScene() == D3D_OK;
}

bool Renderer::DrawFullScreenImage(const std::uint16_t* pixels, int strideBytes) {
  if (!R::directDraw || !R::backBuffer || !R::primary) return false;
  DDSURFACEDESC2 screen{};
  screen.dwSize = sizeof screen;
  R::primary->GetSurfaceDesc(&screen);
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.dwWidth = g_ScreenWidth;
  desc.dwHeight = g_ScreenHeight;
  desc.ddpfPixelFormat = screen.ddpfPixelFormat;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  IDirectDrawSurface4* image = nullptr;
  if (R::directDraw->CreateSurface(&desc, &image, nullptr) != DD_OK) return false;
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof locked;
  if (image->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) != DD_OK) {
    image->Release();
    return false;
  }
  // The picture's 5-6-5 channels into the display's masks.
  const DDPIXELFORMAT& f = locked.ddpfPixelFormat;
  auto place = [](DWORD value, int bits, DWORD mask) -> DWORD {
    if (mask == 0) return 0;
    int shift = 0, width = 0;
    while (!((mask >> shift) & 1u)) ++shift;
    while ((mask >> (shift + width)) & 1u) ++width;
    const DWORD wide = width >= bits ? value << (width - bits) | (width > bits ? value >> (2 * bits - width) : 0)
                                     : value >> (bits - width);
    return (wide << shift) & mask;
  };
  const int bytes = static_cast<int>(f.dwRGBBitCount / 8);
  for (std::uint32_t y = 0; y < g_ScreenHeight; ++y) {
    const auto* row = reinterpret_cast<const std::uint8_t*>(pixels) + static_cast<std::size_t>(y) * strideBytes;
    auto* to = static_cast<std::uint8_t*>(locked.lpSurface) + static_cast<std::size_t>(y) * locked.lPitch;
    for (std::uint32_t x = 0; x < g_ScreenWidth; ++x) {
      std::uint16_t p;
      std::memcpy(&p, row + x * 2, 2);
      const DWORD out = place(p >> 11, 5, f.dwRBitMask) | place((p >> 5) & 0x3F, 6, f.dwGBitMask) |
                        place(p & 0x1F, 5, f.dwBBitMask);
      std::memcpy(to + static_cast<std::size_t>(x) * bytes, &out, bytes);
    }
  }
  image->Unlock(nullptr);
  const bool ok = R::backBuffer->BltFast(0, 0, image, nullptr, DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT) == DD_OK;
  image->Release();
  return ok;
}

// ---- Statistics and the window ----------------------------------------------------------

void Renderer::GetStatistics(RendererStatistics* out) {
  statistics.trianglesIn = g_GeometryPipeline.trianglesReceived;
  statistics.verticesIn = g_GeometryPipeline.positionsTransformed;
  if (R::device) {
    D3DSTATS stats{};
    stats.dwSize = sizeof stats;
    if (R::device->GetStats(&stats) == D3D_OK) statistics.pixelsWritten = stats.dwSpansDrawn;
  }
  *out = statistics;
}

void Renderer::ResetStatistics() {
  statistics = {};
  g_GeometryPipeline.positionsTransformed = 0;
  g_GeometryPipeline.trianglesReceived = 0;
  g_GeometryPipeline.verticesEmitted = 0;
  g_GeometryPipeline.trianglesEmitted = 0;
}

Renderer::Renderer() {}

// The display is a frame presented into the main window: there is no
// window of the renderer's own to close.
bool Renderer::HoldsExclusiveWindow() { return false; }
bool Renderer::ClosesWindowForMovies() { return false; }
void Renderer::SuspendExclusiveWindow() {}
bool Renderer::ResumeExclusiveWindow(bool) { return true; }
