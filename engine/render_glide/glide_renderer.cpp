// Renderer of kelvarro_glide: every operation of Renderer over Glide 3.
#include "engine/render_glide/glide_renderer.h"

#include <cstdint>
#include <new>

#include "engine/display.h"
#include "engine/geometry_pipeline.h"
#include "engine/scene/scene.h"
#include "engine/system.h"
#include "engine/texture_manager.h"

namespace {

void Report(const char* text) { ShowMessageBox(text, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR); }

constexpr float GAMMA = 1.2f;
// Texture memory that the budget leaves for the board's own use.
constexpr long long TEXTURE_BUDGET_RESERVE = 134218;
// The halving rotation covers the groups below the user-interface ones.
constexpr int LAST_REDUCIBLE_SIZE_CLASS = 33;

struct Resolution {
  int width;
  int height;
  GrScreenResolution_t constant;
};
constexpr Resolution RESOLUTIONS[GlideRenderer::RESOLUTION_COUNT] = {
    {512, 384, GR_RESOLUTION_512x384},   {640, 480, GR_RESOLUTION_640x480},
    {800, 600, GR_RESOLUTION_800x600},   {1024, 768, GR_RESOLUTION_1024x768},
    {1280, 1024, GR_RESOLUTION_1280x1024},
};

FxU32 MainWindowHandle() { return static_cast<FxU32>(reinterpret_cast<std::uintptr_t>(g_MainWindow)); }

GrContext_t OpenWindow(int index) {
  return grSstWinOpen(MainWindowHandle(), RESOLUTIONS[index].constant, GR_REFRESH_60Hz, GR_COLORFORMAT_RGBA,
                      GR_ORIGIN_UPPER_LEFT, 2, 1);
}

// 0..1 to 0..255 by truncation.
FxU32 Channel(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 1.0f) return 255;
  return static_cast<FxU32>(value * 255.0f);
}

// R, G, B in the top three bytes of an RGBA word, alpha 0.
GrColor_t Rgba(float red, float green, float blue) {
  return (Channel(red) << 24) | (Channel(green) << 16) | (Channel(blue) << 8);
}

void ForEachUnit(const Renderer& r, void (*fn)(GrChipID_t)) {
  fn(GR_TMU0);
  if (r.textureUnits > 1) fn(GR_TMU1);
}

void SetFilter(const Renderer& r, GrTextureFilterMode_t mode) {
  grTexFilterMode(GR_TMU0, mode, mode);
  if (r.textureUnits > 1) grTexFilterMode(GR_TMU1, mode, mode);
}

bool SizeClassCounted(int entry, int groups, std::uint32_t riders) {
  if (entry >= SIZE_CLASS_FIRST_LAND && entry <= SIZE_CLASS_FIRST_LAND + 7 && entry > groups) return false;
  if (riders < 20 && entry >= SIZE_CLASS_FIRST_RIDER && entry <= SIZE_CLASS_LAST_RIDER - static_cast<int>(riders))
    return false;
  return true;
}

long long SizeClassCost(std::uint8_t entry) { return static_cast<long long>(entry) * entry * 2048; }

}  // namespace

void (*GlideRenderer::presentObserver)() = nullptr;

// ---- Resolutions and the device open -----------------------------------------

int GlideRenderer::ResolutionWidth(int index) { return RESOLUTIONS[index].width; }
int GlideRenderer::ResolutionHeight(int index) { return RESOLUTIONS[index].height; }
GrScreenResolution_t GlideRenderer::ResolutionConstant(int index) { return RESOLUTIONS[index].constant; }

int GlideRenderer::ChooseResolution(std::uint32_t width, std::uint32_t height, unsigned long long m) {
  if (width == 1280 && height == 1024) return m >= 8 ? 4 : m >= 5 ? 3 : m >= 3 ? 2 : 1;
  if (width == 1024 && height == 768) return m >= 5 ? 3 : m >= 3 ? 2 : 1;
  if (width == 800 && height == 600) return m >= 3 ? 2 : 1;
  if (width == 640 && height == 480) return 1;
  if (width == 512 && height == 384) return 0;
  return -1;
}

bool GlideRenderer::OpenDevice(Renderer& r) {
  grGlideInit();
  if (!grGetString(GR_HARDWARE)) {
    Report("Error: No 3DFX hardware found.");
    grGlideShutdown();
    return false;
  }
  FxI32 fbMemory = 0;
  FxI32 fbCount = 0;
  if (!grGet(GR_MEMORY_FB, sizeof fbMemory, &fbMemory) || !grGet(GR_NUM_FB, sizeof fbCount, &fbCount)) {
    grGlideShutdown();
    return false;
  }
  // The thresholds compare with the product exactly as the board reports it.
  unsigned long long m =
      static_cast<unsigned long long>(static_cast<FxU32>(fbMemory)) * static_cast<FxU32>(fbCount);
  FxI32 units = 1;
  grGet(GR_NUM_TMU, sizeof units, &units);
  r.textureUnits = units == 2 ? 2 : 1;
  if (m == 0) {
    FxI32 uma = 0;
    grGet(GR_MEMORY_UMA, sizeof uma, &uma);
    m = static_cast<FxU32>(uma);
  }
  grSstSelect(0);

  int index = ChooseResolution(g_ScreenWidth, g_ScreenHeight, m);
  if (index < 0) {
    Report("Error: Resolution not supported, please restart setup program.");
    grGlideShutdown();
    return false;
  }
  g_ScreenWidth = static_cast<std::uint32_t>(RESOLUTIONS[index].width);
  g_ScreenHeight = static_cast<std::uint32_t>(RESOLUTIONS[index].height);

  GrContext_t context = 0;
  for (; index >= 0; --index) {
    context = OpenWindow(index);
    if (context) break;
  }
  if (!context) {
    Report("3DFX initialization error.");
    grGlideShutdown();
    return false;
  }
  r.context = context;
  r.resolution = index;
  if (!grSelectContext(context)) {
    Report("3DFX context selection error.");
    grGlideShutdown();
    r.context = 0;
    return false;
  }
  g_ScreenWidth = static_cast<std::uint32_t>(RESOLUTIONS[index].width);
  g_ScreenHeight = static_cast<std::uint32_t>(RESOLUTIONS[index].height);

  // The fixed state that all drawing code assumes.
  guGammaCorrectionRGB(GAMMA, GAMMA, GAMMA);
  ForEachUnit(r, [](GrChipID_t tmu) { grTexMipMapMode(tmu, GR_MIPMAP_DISABLE, FXFALSE); });
  grAlphaCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_CONSTANT,
                 GR_COMBINE_OTHER_TEXTURE, FXFALSE);
  ForEachUnit(r, [](GrChipID_t tmu) {
    grTexCombine(tmu, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_FUNCTION_LOCAL,
                 GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
    grTexClampMode(tmu, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);
  });
  grBufferClear(0, 0, 0);
  grBufferSwap(1);
  grBufferClear(0, 0, 0);

  grCoordinateSpace(GR_WINDOW_COORDS);
  grVertexLayout(GR_PARAM_XY, offsetof(ScreenVertex, x), GR_PARAM_ENABLE);
  grVertexLayout(GR_PARAM_PARGB, offsetof(ScreenVertex, colour), GR_PARAM_ENABLE);
  grVertexLayout(GR_PARAM_Z, offsetof(ScreenVertex, z), GR_PARAM_ENABLE);
  grVertexLayout(GR_PARAM_Q, offsetof(ScreenVertex, q), GR_PARAM_ENABLE);
  grVertexLayout(GR_PARAM_ST0, offsetof(ScreenVertex, s), GR_PARAM_ENABLE);
  if (r.textureUnits > 1) grVertexLayout(GR_PARAM_ST1, offsetof(ScreenVertex, s), GR_PARAM_ENABLE);

  // Fog rises linearly over the table; the race puts in its own range.
  FxI32 entries = 0;
  grGet(GR_FOG_TABLE_ENTRIES, sizeof entries, &entries);
  if (entries > 1 && entries <= 256) {
    GrFog_t table[256];
    for (int i = 0; i < entries; ++i) table[i] = static_cast<GrFog_t>(i * 255 / (entries - 1));
    table[entries - 1] = 255;
    grFogTable(table);
  }

  r.deviceOpen = 1;
  FxI32 stateSize = 0;
  grGet(GR_GLIDE_STATE_SIZE, sizeof stateSize, &stateSize);
  delete[] r.savedState;
  r.savedState = stateSize > 0 ? new (std::nothrow) std::uint8_t[stateSize] : nullptr;
  if (r.savedState) grGlideGetState(r.savedState);
  return true;
}

GrAlphaBlendFnc_t GlideRenderer::BlendFactorConstant(std::int32_t factor, GrAlphaBlendFnc_t fallback) {
  switch (factor) {
    case BLEND_ZERO: return GR_BLEND_ZERO;
    case BLEND_ONE: return GR_BLEND_ONE;
    case BLEND_SRC_COLOUR: return GR_BLEND_SRC_COLOR;
    case BLEND_ONE_MINUS_SRC_COLOUR: return GR_BLEND_ONE_MINUS_SRC_COLOR;
    case BLEND_SRC_ALPHA: return GR_BLEND_SRC_ALPHA;
    case BLEND_ONE_MINUS_SRC_ALPHA: return GR_BLEND_ONE_MINUS_SRC_ALPHA;
    case BLEND_ONE_MINUS_DEST_COLOUR: return GR_BLEND_ONE_MINUS_DST_COLOR;
    default: return fallback;
  }
}

void GlideRenderer::SendBlend(const Renderer& r) {
  if (r.cache.alphaBlendEnable == 1) {
    grAlphaBlendFunction(BlendFactorConstant(r.cache.srcBlend, GR_BLEND_ONE),
                         BlendFactorConstant(r.cache.destBlend, GR_BLEND_ZERO), GR_BLEND_ONE, GR_BLEND_ZERO);
  } else {
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
  }
}

void GlideRenderer::SendColourCombine(const Renderer& r) {
  const GrCombineLocal_t local = r.cache.shadeMode == SHADE_FLAT ? GR_COMBINE_LOCAL_CONSTANT : GR_COMBINE_LOCAL_ITERATED;
  if (r.cache.textureBlend == TEXBLEND_MODULATE) {
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, local, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
  } else if (r.cache.textureBlend == TEXBLEND_COLOUR) {
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, local, GR_COMBINE_OTHER_NONE, FXFALSE);
  }
}

// ---- Renderer ------------------------------------------------------------------

Renderer::Renderer() {}

bool Renderer::Open() {
  ForgetStates();
  fadeElapsed = 0.0f;
  fadeDarkness = 1.0f;
  fadeDuration = 1.0f;
  fadeDirection = FADE_IN;
  fadeCallback = nullptr;
  depthBias = 0;
  resolution = GlideRenderer::RESOLUTION_NONE;
  if (!GlideRenderer::OpenDevice(*this)) return false;

  grClipWindow(0, 0, g_ScreenWidth - 1, g_ScreenHeight - 1);
  g_ViewWidth = static_cast<float>(g_ScreenWidth) - 1.0f;
  g_ViewHeight = static_cast<float>(g_ScreenHeight) - 1.0f;
  g_ViewRect = {0.0f, static_cast<float>(g_ScreenWidth) - 1.0f, 0.0f, static_cast<float>(g_ScreenHeight) - 1.0f};
  BuildFadeQuad(static_cast<float>(g_ScreenWidth), static_cast<float>(g_ScreenHeight));
  return true;
}

void Renderer::Close() {
  if (!deviceOpen) return;
  if (context) grSstWinClose(context);
  context = 0;
  grGlideShutdown();
  deviceOpen = 0;
  delete[] savedState;
  savedState = nullptr;
}

bool Renderer::ClearRect(int x0, int y0, int x1, int y1, bool) {
  grClipWindow(static_cast<FxU32>(x0), static_cast<FxU32>(y0), static_cast<FxU32>(x1), static_cast<FxU32>(y1));
  grBufferClear(Rgba(clearRed, clearGreen, clearBlue), 0, 0);
  grClipWindow(0, 0, g_ScreenWidth - 1, g_ScreenHeight - 1);
  return true;
}

bool Renderer::RestoreSurfaces() {
  grClipWindow(0, 0, g_ScreenWidth, g_ScreenHeight);
  grBufferClear(0, 0, 0);
  grClipWindow(0, 0, g_ScreenWidth - 1, g_ScreenHeight - 1);
  return true;
}

PresentResult Renderer::Present() {
  grBufferSwap(1);
  if (GlideRenderer::presentObserver) GlideRenderer::presentObserver();
  return PresentResult::SHOWN;
}

bool Renderer::DrawFade() {
  if (!StepFade(g_FrameTime)) return true;
  const FxU32 dark = Channel(fadeDarkness);
  const std::uint32_t colour = 0xFF000000u | (dark << 16) | (dark << 8) | dark;
  for (ScreenVertex& v : fadeQuad) v.colour = colour;
  // The frame is multiplied by 1 - darkness.
  SetSrcBlend(BLEND_ZERO);
  SetDestBlend(BLEND_ONE_MINUS_SRC_COLOUR);
  SetAlphaBlendEnable(true);
  SetZEnable(false);
  // Untextured, no alpha test; the texture manager forgets its selection so
  // that the next Select of any texture turns texturing back on.
  g_TextureManager.Select(0);
  grDrawVertexArrayContiguous(GR_TRIANGLES, 6, fadeQuad, sizeof(ScreenVertex));
  statistics.trianglesDrawn += 2;
  SetAlphaBlendEnable(false);
  return true;
}

// ---- Cached states ---------------------------------------------------------------

bool Renderer::SetAlphaBlendEnable(bool on) {
  if (RenderStateChanged(cache.alphaBlendEnable, on)) GlideRenderer::SendBlend(*this);
  return true;
}

bool Renderer::SetSrcBlend(BlendFactor factor) {
  if (RenderStateChanged(cache.srcBlend, factor)) GlideRenderer::SendBlend(*this);
  return true;
}

bool Renderer::SetDestBlend(BlendFactor factor) {
  if (RenderStateChanged(cache.destBlend, factor)) GlideRenderer::SendBlend(*this);
  return true;
}

bool Renderer::SetZEnable(bool on) {
  if (RenderStateChanged(cache.zEnable, on)) grDepthBufferMode(on ? GR_DEPTHBUFFER_ZBUFFER : GR_DEPTHBUFFER_DISABLE);
  return true;
}

bool Renderer::SetZWriteEnable(bool on) {
  if (RenderStateChanged(cache.zWriteEnable, on)) grDepthMask(on ? FXTRUE : FXFALSE);
  return true;
}

bool Renderer::SetZFunc(DepthCompare compare) {
  // Larger depth is nearer.
  if (RenderStateChanged(cache.zFunc, compare)) grDepthBufferFunction(compare == DEPTH_NEARER ? GR_CMP_GREATER : GR_CMP_GEQUAL);
  return true;
}

bool Renderer::SetZVisibleEnable(bool on) {
  RenderStateChanged(cache.zVisible, on);
  return true;
}

bool Renderer::SetFogEnable(bool on) {
  if (RenderStateChanged(cache.fogEnable, on)) grFogMode(on ? GR_FOG_WITH_TABLE_ON_Q : GR_FOG_DISABLE);
  return true;
}

bool Renderer::SetFogRange(float nearDistance, float farDistance) {
  FxI32 entries = 0;
  grGet(GR_FOG_TABLE_ENTRIES, sizeof entries, &entries);
  // A board that reports no usable table size keeps its table.
  if (entries <= 0 || entries > 256) return true;
  GrFog_t table[256];
  guFogGenerateLinear(table, nearDistance, farDistance);
  grFogTable(table);
  return true;
}

bool Renderer::SetFogColour(float red, float green, float blue) {
  grFogColorValue(Rgba(red, green, blue));
  return true;
}

bool Renderer::SetTextureFilter(bool bilinear) {
  if (RenderStateChanged(cache.textureFilter, bilinear))
    SetFilter(*this, bilinear ? GR_TEXTUREFILTER_BILINEAR : GR_TEXTUREFILTER_POINT_SAMPLED);
  return true;
}

bool Renderer::SetTextureBlend(TextureBlend blend) {
  if (blend != TEXBLEND_MODULATE && blend != TEXBLEND_COLOUR) return false;
  if (RenderStateChanged(cache.textureBlend, blend)) GlideRenderer::SendColourCombine(*this);
  return true;
}

bool Renderer::SetShadeMode(ShadeMode mode) {
  if (RenderStateChanged(cache.shadeMode, mode)) GlideRenderer::SendColourCombine(*this);
  return true;
}

bool Renderer::SetStippledAlpha(bool on) {
  RenderStateChanged(cache.stippledAlpha, on);
  return true;
}

bool Renderer::SetSpecularEnable(bool on) {
  RenderStateChanged(cache.specular, on);
  return true;
}

bool Renderer::SetAntiAliasEnable(bool on) {
  RenderStateChanged(cache.antiAlias, on);
  return true;
}

bool Renderer::SetEdgeAntiAliasEnable(bool on) {
  RenderStateChanged(cache.edgeAntiAlias, on);
  return true;
}

bool Renderer::SetPerspectiveCorrection(bool on) {
  // Glide always interpolates texture coordinates by q.
  RenderStateChanged(cache.perspectiveCorrection, on);
  return true;
}

bool Renderer::SetColourKeyEnable(bool on) {
  if (RenderStateChanged(cache.colourKey, on)) grChromakeyMode(on ? GR_CHROMAKEY_ENABLE : GR_CHROMAKEY_DISABLE);
  return true;
}

bool Renderer::SetDitherEnable(bool on) {
  if (RenderStateChanged(cache.dither, on)) grDitherMode(on ? GR_DITHER_2x2 : GR_DITHER_DISABLE);
  return true;
}

bool Renderer::SetFillMode(FillMode mode) {
  RenderStateChanged(cache.fillMode, mode);
  return true;
}

bool Renderer::SetCullMode(CullMode mode) {
  if (RenderStateChanged(cache.cullMode, mode)) grCullMode(GR_CULL_DISABLE);
  return true;
}

bool Renderer::SetAlphaTest(bool keyed) {
  if (keyed) {
    grAlphaTestFunction(GR_CMP_GREATER);
    grAlphaTestReferenceValue(g_TextureManager.alphaReference);
  } else {
    grAlphaTestFunction(GR_CMP_ALWAYS);
  }
  return true;
}

bool Renderer::SetDefaultStates() {
  SetAntiAliasEnable(false);
  SetEdgeAntiAliasEnable(false);
  SetShadeMode(SHADE_GOURAUD);
  SetPerspectiveCorrection(true);
  SetTextureFilter(true);
  SetTextureBlend(TEXBLEND_MODULATE);
  SetZEnable(true);
  SetZWriteEnable(true);
  SetZFunc(DEPTH_NEARER_OR_EQUAL);
  SetZVisibleEnable(false);
  SetAlphaBlendEnable(false);
  SetStippledAlpha(false);
  SetSrcBlend(BLEND_ONE);
  SetDestBlend(BLEND_ONE);
  SetColourKeyEnable(false);
  SetFillMode(FILL_SOLID);
  SetDitherEnable(true);
  SetSpecularEnable(false);
  SetCullMode(CULL_NONE);
  SetFogEnable(false);
  return true;
}

// ---- Drawing -------------------------------------------------------------------------

bool Renderer::DrawTriangles(std::uint16_t count, const ScreenVertex* vertices) {
  if (count % 3 != 0) return false;
  if (count == 0) return true;
  grDrawVertexArrayContiguous(GR_TRIANGLES, count, const_cast<ScreenVertex*>(vertices), sizeof(ScreenVertex));
  statistics.trianglesDrawn += count / 3u;
  return true;
}

bool Renderer::DrawPoints(std::uint16_t count, const ScreenVertex* vertices) {
  if (count == 0) return true;
  grDrawVertexArrayContiguous(GR_POINTS, count, const_cast<ScreenVertex*>(vertices), sizeof(ScreenVertex));
  return true;
}

bool Renderer::DrawFullScreenImage(const std::uint16_t* pixels, int strideBytes) {
  return grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_565, g_ScreenWidth - 1, g_ScreenHeight - 1,
                          FXFALSE, strideBytes, const_cast<std::uint16_t*>(pixels)) != FXFALSE;
}

// ---- Texture budget ------------------------------------------------------------------

void Renderer::AssignTextureSizeClasses(std::uint16_t groupsInUse) {
  for (int i = 0; i < TEXTURE_SIZE_CLASS_COUNT; ++i) g_TextureSizeClasses[i] = 8;
  g_TextureSizeClasses[45] = 1;
  g_TextureSizeClasses[46] = 1;

  FxI32 perUnit = 0;
  grGet(GR_MEMORY_TMU, sizeof perUnit, &perUnit);
  const long long budget =
      static_cast<long long>(textureUnits) * static_cast<FxU32>(perUnit) - TEXTURE_BUDGET_RESERVE;

  const int groups = groupsInUse > 8 ? 8 : groupsInUse;
  const std::uint32_t riders = g_RiderCount > 20 ? 20 : g_RiderCount;
  long long total = 0;
  for (int i = 0; i < TEXTURE_SIZE_CLASS_COUNT; ++i) {
    if (SizeClassCounted(i, groups, riders)) total += SizeClassCost(g_TextureSizeClasses[i]);
  }

  // Halve the counted groups in turn, entry 0 first. An entry stops at 1
  // (32 pixels): when every one has, the budget cannot be met and the
  // table stays as it is.
  int next = 0;
  while (total > budget) {
    bool reducible = false;
    for (int tries = 0; tries <= LAST_REDUCIBLE_SIZE_CLASS && !reducible; ++tries) {
      const int i = next;
      next = next == LAST_REDUCIBLE_SIZE_CLASS ? 0 : next + 1;
      if (!SizeClassCounted(i, groups, riders) || g_TextureSizeClasses[i] <= 1) continue;
      total -= SizeClassCost(g_TextureSizeClasses[i]);
      g_TextureSizeClasses[i] = static_cast<std::uint8_t>(g_TextureSizeClasses[i] >> 1);
      total += SizeClassCost(g_TextureSizeClasses[i]);
      reducible = true;
    }
    if (!reducible) break;
  }
}

// ---- Statistics ------------------------------------------------------------------------

void Renderer::GetStatistics(RendererStatistics* out) {
  // What was sent into the pipeline is counted there.
  statistics.trianglesIn = g_GeometryPipeline.trianglesReceived;
  statistics.verticesIn = g_GeometryPipeline.positionsTransformed;
  FxI32 pixels = 0;
  if (deviceOpen && grGet(GR_STATS_PIXELS_OUT, sizeof pixels, &pixels)) statistics.pixelsWritten = static_cast<FxU32>(pixels);
  *out = statistics;
}

void Renderer::ResetStatistics() {
  statistics = {};
  g_GeometryPipeline.positionsTransformed = 0;
  g_GeometryPipeline.trianglesReceived = 0;
  g_GeometryPipeline.verticesEmitted = 0;
  g_GeometryPipeline.trianglesEmitted = 0;
  if (deviceOpen) grReset(GR_STATS_PIXELS);
}

// ---- The Glide window around deactivation and movies ----------------------------------------

bool Renderer::HoldsExclusiveWindow() { return deviceOpen != 0; }

bool Renderer::ClosesWindowForMovies() { return true; }

void Renderer::SuspendExclusiveWindow() {
  // Already closed (a deactivation after a failed reopen): nothing to save.
  if (context == 0) return;
  if (savedState) grGlideGetState(savedState);
  if (!grSstWinClose(context)) Report("Error: Failed closing 3DFX device.");
  context = 0;
}

bool Renderer::ResumeExclusiveWindow(bool selectContext) {
  // An activation that no deactivation preceded finds the window open.
  if (context != 0) return true;
  const int index = resolution >= 0 && resolution < GlideRenderer::RESOLUTION_COUNT ? resolution : 1;
  const GrContext_t reopened = OpenWindow(index);
  if (!reopened) {
    Report("Error: 3DFX re-initialization failed.");
    return false;
  }
  context = reopened;
  if (selectContext && !grSelectContext(context)) {
    Report("Error: 3DFX context selection failed.");
    return false;
  }
  if (savedState) grGlideSetState(savedState);
  guGammaCorrectionRGB(GAMMA, GAMMA, GAMMA);
  ClearRect(0, 0, static_cast<int>(g_ScreenWidth), static_cast<int>(g_ScreenHeight), true);
  return true;
}
