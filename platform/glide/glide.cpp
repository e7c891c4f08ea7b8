// The Glide front end of the virtual board: the board's figures, the window
// and context, the rendering state, texture memory and the test records.
// Pixels are the OpenGL back end's (glide_gl.cpp).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "platform/glide/glide.h"
#include "platform/glide/glide_internal.h"
#include "platform/win32/window.h"

namespace {

using namespace glide_internal;

struct Library {
  platform::GlideBoard board;
  bool testBackend = false;
  bool initialised = false;
  GrContext_t context = 0;  // the open window, 0 for none
  GrContext_t nextContext = 1;
  int width = 0;
  int height = 0;
  GrColorFormat_t colorFormat = GR_COLORFORMAT_RGBA;
  platform::GlideState state{};
  // The benchmark's capture of the triangles drawn (CaptureGlideTriangles).
  bool capturing = false;
  std::vector<FxU8> captured;
  FxU32 capturedStride = 0;
  float gamma[3] = {1.0f, 1.0f, 1.0f};
  GammaTable gammaTable{};
  std::vector<FxU8> textureMemory[2];
  FxU32 trianglesIn = 0;
  FxU32 trianglesOut = 0;
  FxU32 lines = 0;
  FxU32 points = 0;
  std::vector<platform::GlideCall> calls;
  std::vector<platform::GlideDraw> draws;
};

Library& L() {
  static Library library;
  return library;
}

void Record(const char* function, std::initializer_list<double> args) {
  if (L().testBackend) L().calls.push_back({function, std::vector<double>(args)});
}

bool Open() { return L().context != 0; }
bool UsesGl() { return !L().testBackend && gl::IsOpen(); }

FxU32 TmuMemorySize() { return std::min(L().board.tmuMemory, kMaxTmuMemory) & ~(kTextureAlign - 1); }
int BoardTmus() { return L().board.tmuCount >= 2 ? 2 : 1; }
bool ValidTmu(GrChipID_t tmu) { return tmu >= 0 && tmu < BoardTmus(); }

platform::GlideState DefaultState(int width, int height) {
  platform::GlideState s{};
  s.colorCombine = {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_ITERATED,
                    GR_COMBINE_OTHER_ITERATED, FXFALSE};
  s.alphaCombine = {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_NONE,
                    GR_COMBINE_OTHER_ITERATED, FXFALSE};
  for (platform::GlideTmuState& t : s.tmu) {
    t = {};
    t.evenOdd = GR_MIPMAPLEVELMASK_BOTH;
    t.format = GR_TEXFMT_ARGB_1555;
    t.minFilter = t.magFilter = GR_TEXTUREFILTER_BILINEAR;
    t.sClamp = t.tClamp = GR_TEXTURECLAMP_WRAP;
    t.mipMapMode = GR_MIPMAP_DISABLE;
    t.combine = {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_FUNCTION_LOCAL,
                 GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE};
  }
  s.constantColor = 0xFFFFFFFFu;
  s.rgbSrc = s.alphaSrc = GR_BLEND_ONE;
  s.rgbDst = s.alphaDst = GR_BLEND_ZERO;
  s.alphaTestFunction = GR_CMP_ALWAYS;
  s.alphaTestReference = 0;
  s.chromakeyMode = GR_CHROMAKEY_DISABLE;
  s.depthMode = GR_DEPTHBUFFER_DISABLE;
  s.depthFunction = GR_CMP_LESS;
  s.depthMask = FXFALSE;
  s.ditherMode = GR_DITHER_4x4;
  s.cullMode = GR_CULL_DISABLE;
  s.fogMode = GR_FOG_DISABLE;
  s.clipMinX = s.clipMinY = 0;
  s.clipMaxX = static_cast<FxU32>(width);
  s.clipMaxY = static_cast<FxU32>(height);
  s.coordinateSpace = GR_WINDOW_COORDS;
  s.offsetXY = s.offsetZ = s.offsetQ = s.offsetPARGB = s.offsetRGB = s.offsetA = -1;
  s.offsetST0 = s.offsetST1 = s.offsetQ0 = s.offsetQ1 = -1;
  return s;
}

void ResetStatistics() {
  L().trianglesIn = L().trianglesOut = L().lines = L().points = 0;
}

void CloseWindow() {
  if (L().context == 0) return;
  gl::Close();
  L().context = 0;
  L().width = L().height = 0;
  for (auto& m : L().textureMemory) std::vector<FxU8>().swap(m);
}

bool Contains(const std::vector<FxU32>& list, FxU32 value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

// Bytes of the levels of a texture, largest first; `selected` says which of
// them evenOdd keeps.
struct Level {
  FxU32 bytes;
  bool selected;
};
bool Levels(FxU32 evenOdd, const GrTexInfo* info, std::vector<Level>* levels) {
  if (info == nullptr || TexelBytes(info->format) == 0) return false;
  if (info->smallLodLog2 < GR_LOD_LOG2_1 || info->largeLodLog2 > GR_LOD_LOG2_256 ||
      info->smallLodLog2 > info->largeLodLog2) {
    return false;
  }
  for (GrLOD_t lod = info->largeLodLog2; lod >= info->smallLodLog2; --lod) {
    int w = 0, h = 0;
    if (!LevelSize(lod, info->aspectRatioLog2, &w, &h)) return false;
    bool even = (lod % 2) == 0;
    bool selected = (evenOdd & (even ? GR_MIPMAPLEVELMASK_EVEN : GR_MIPMAPLEVELMASK_ODD)) != 0;
    levels->push_back({static_cast<FxU32>(w * h * TexelBytes(info->format)), selected});
  }
  return true;
}

platform::GlideVertex Decode(const platform::GlideState& s, const FxU8* v) {
  auto f = [&](FxI32 offset, int index, float fallback) {
    if (offset < 0) return fallback;
    float value;
    std::memcpy(&value, v + offset + 4 * index, 4);
    return value;
  };
  platform::GlideVertex out{};
  out.x = f(s.offsetXY, 0, 0.0f);
  out.y = f(s.offsetXY, 1, 0.0f);
  if (s.offsetPARGB >= 0) {
    std::memcpy(&out.argb, v + s.offsetPARGB, 4);
  } else {
    auto byte = [](float c) { return static_cast<FxU32>(std::clamp(c, 0.0f, 255.0f)); };
    FxU32 r = byte(f(s.offsetRGB, 0, 255.0f)), g = byte(f(s.offsetRGB, 1, 255.0f));
    FxU32 b = byte(f(s.offsetRGB, 2, 255.0f)), a = byte(f(s.offsetA, 0, 255.0f));
    out.argb = (a << 24) | (r << 16) | (g << 8) | b;
  }
  out.z = f(s.offsetZ, 0, 0.0f);
  out.q = f(s.offsetQ, 0, 1.0f);
  out.s0 = f(s.offsetST0, 0, 0.0f);
  out.t0 = f(s.offsetST0, 1, 0.0f);
  out.q0 = f(s.offsetQ0, 0, out.q);
  out.s1 = f(s.offsetST1, 0, out.s0);
  out.t1 = f(s.offsetST1, 1, out.t0);
  out.q1 = f(s.offsetQ1, 0, out.q0);
  return out;
}

FxU32 TrianglesOf(FxU32 mode, FxU32 count) {
  switch (mode) {
    case GR_TRIANGLES: return count / 3;
    case GR_TRIANGLE_STRIP:
    case GR_TRIANGLE_FAN:
    case GR_POLYGON: return count >= 3 ? count - 2 : 0;
    default: return 0;
  }
}

// One pixel of a linear-frame-buffer source as R, G, B, A bytes.
bool LfbPixel(GrLfbSrcFmt_t format, const FxU8* p, FxU8* out) {
  auto five = [](FxU32 v) { return static_cast<FxU8>((v << 3) | (v >> 2)); };
  FxU16 w;
  FxU32 d;
  switch (format) {
    case GR_LFB_SRC_FMT_565:
      std::memcpy(&w, p, 2);
      out[0] = five((w >> 11) & 31);
      out[1] = static_cast<FxU8>((((w >> 5) & 63) << 2) | (((w >> 5) & 63) >> 4));
      out[2] = five(w & 31);
      out[3] = 255;
      return true;
    case GR_LFB_SRC_FMT_555:
    case GR_LFB_SRC_FMT_1555:
      std::memcpy(&w, p, 2);
      out[0] = five((w >> 10) & 31);
      out[1] = five((w >> 5) & 31);
      out[2] = five(w & 31);
      out[3] = 255;
      return true;
    case GR_LFB_SRC_FMT_888:
    case GR_LFB_SRC_FMT_8888:
      std::memcpy(&d, p, 4);
      out[0] = static_cast<FxU8>(d >> 16);
      out[1] = static_cast<FxU8>(d >> 8);
      out[2] = static_cast<FxU8>(d);
      out[3] = 255;
      return true;
    default: return false;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Shared helpers.

namespace glide_internal {

bool ResolutionSize(GrScreenResolution_t resolution, int* width, int* height) {
  struct Size {
    GrScreenResolution_t resolution;
    int width, height;
  };
  static constexpr Size kSizes[] = {
      {GR_RESOLUTION_320x200, 320, 200},   {GR_RESOLUTION_320x240, 320, 240},
      {GR_RESOLUTION_400x256, 400, 256},   {GR_RESOLUTION_512x384, 512, 384},
      {GR_RESOLUTION_640x200, 640, 200},   {GR_RESOLUTION_640x350, 640, 350},
      {GR_RESOLUTION_640x400, 640, 400},   {GR_RESOLUTION_640x480, 640, 480},
      {GR_RESOLUTION_800x600, 800, 600},   {GR_RESOLUTION_960x720, 960, 720},
      {GR_RESOLUTION_856x480, 856, 480},   {GR_RESOLUTION_512x256, 512, 256},
      {GR_RESOLUTION_1024x768, 1024, 768}, {GR_RESOLUTION_1280x1024, 1280, 1024},
      {GR_RESOLUTION_1600x1200, 1600, 1200}, {GR_RESOLUTION_400x300, 400, 300},
  };
  for (const Size& s : kSizes) {
    if (s.resolution == resolution) {
      *width = s.width;
      *height = s.height;
      return true;
    }
  }
  return false;
}

int TexelBytes(GrTextureFormat_t format) {
  switch (format) {
    case GR_TEXFMT_RGB_565:
    case GR_TEXFMT_ARGB_1555:
    case GR_TEXFMT_ARGB_4444: return 2;
    default: return 0;
  }
}

bool LevelSize(GrLOD_t lod, GrAspectRatio_t aspect, int* width, int* height) {
  if (lod < GR_LOD_LOG2_1 || lod > GR_LOD_LOG2_256 || aspect < GR_ASPECT_LOG2_1x8 || aspect > GR_ASPECT_LOG2_8x1) {
    return false;
  }
  int longSide = 1 << lod;
  int shortSide = std::max(1, longSide >> (aspect < 0 ? -aspect : aspect));
  *width = aspect >= 0 ? longSide : shortSide;
  *height = aspect >= 0 ? shortSide : longSide;
  return true;
}

void TextureScale(GrAspectRatio_t aspect, float* sScale, float* tScale) {
  aspect = std::clamp(aspect, GR_ASPECT_LOG2_1x8, GR_ASPECT_LOG2_8x1);
  *sScale = aspect >= 0 ? 256.0f : static_cast<float>(256 >> -aspect);
  *tScale = aspect >= 0 ? static_cast<float>(256 >> aspect) : 256.0f;
}

GammaTable MakeGammaTable(const float gamma[3]) {
  GammaTable table{};
  for (int c = 0; c < 3; ++c) {
    float g = gamma[c] > 0.0f ? gamma[c] : 1.0f;
    for (int i = 0; i < 256; ++i) {
      float v = std::pow(static_cast<float>(i) / 255.0f, 1.0f / g) * 255.0f + 0.5f;
      table[c][i] = static_cast<FxU8>(std::clamp(v, 0.0f, 255.0f));
    }
  }
  return table;
}

void ColorBytes(GrColor_t c, FxU8 rgba[4]) {
  FxU8 b3 = static_cast<FxU8>(c >> 24), b2 = static_cast<FxU8>(c >> 16);
  FxU8 b1 = static_cast<FxU8>(c >> 8), b0 = static_cast<FxU8>(c);
  switch (L().colorFormat) {
    case GR_COLORFORMAT_ARGB: rgba[0] = b2, rgba[1] = b1, rgba[2] = b0, rgba[3] = b3; break;
    case GR_COLORFORMAT_ABGR: rgba[0] = b0, rgba[1] = b1, rgba[2] = b2, rgba[3] = b3; break;
    case GR_COLORFORMAT_BGRA: rgba[0] = b1, rgba[1] = b2, rgba[2] = b3, rgba[3] = b0; break;
    default: rgba[0] = b3, rgba[1] = b2, rgba[2] = b1, rgba[3] = b0; break;
  }
}

const std::vector<FxU8>& TextureMemory(int tmu) { return L().textureMemory[tmu == 1 ? 1 : 0]; }
int TmuCount() { return BoardTmus(); }
int CurrentResolutionWidth() { return L().width; }
int CurrentResolutionHeight() { return L().height; }
const GammaTable& CurrentGammaTable() { return L().gammaTable; }

}  // namespace glide_internal

// ---------------------------------------------------------------------------
// Library and board.

void grGlideInit() {
  Record("grGlideInit", {});
  L().initialised = true;
}

void grGlideShutdown() {
  Record("grGlideShutdown", {});
  CloseWindow();
  L().initialised = false;
}

const char* grGetString(FxU32 pname) {
  Record("grGetString", {static_cast<double>(pname)});
  if (!L().board.present) return nullptr;
  switch (pname) {
    case GR_EXTENSION: return "";
    case GR_HARDWARE: return "Kelvarro virtual board";
    case GR_RENDERER: return "Glide";
    case GR_VENDOR: return "Kelvarro";
    case GR_VERSION: return "3.0";
    default: return nullptr;
  }
}

FxU32 grGet(FxU32 pname, FxU32 plength, FxI32* params) {
  Record("grGet", {static_cast<double>(pname), static_cast<double>(plength)});
  const platform::GlideBoard& b = L().board;
  if (params == nullptr || !b.present || Contains(b.failingQueries, pname)) return 0;
  std::vector<FxI32> values;
  auto i32 = [](FxU32 v) { return static_cast<FxI32>(v); };
  switch (pname) {
    case GR_BITS_DEPTH: values = {16}; break;
    case GR_BITS_RGBA: values = {8, 8, 8, 8}; break;
    case GR_BITS_GAMMA: values = {8}; break;
    case GR_FOG_TABLE_ENTRIES: values = {kFogEntries}; break;
    case GR_GAMMA_TABLE_ENTRIES: values = {256}; break;
    case GR_GLIDE_STATE_SIZE: values = {static_cast<FxI32>(sizeof(platform::GlideState))}; break;
    case GR_IS_BUSY:
    case GR_PENDING_BUFFERSWAPS:
    case GR_LFB_PIXEL_PIPE:
    case GR_NON_POWER_OF_TWO_TEXTURES:
    case GR_SUPPORTS_PASSTHRU:
    case GR_NUM_SWAP_HISTORY_BUFFER: values = {0}; break;
    case GR_MAX_TEXTURE_SIZE: values = {256}; break;
    case GR_MAX_TEXTURE_ASPECT_RATIO: values = {3}; break;
    case GR_MEMORY_FB: values = {i32(b.fbMemory)}; break;
    case GR_MEMORY_TMU: values = {i32(b.tmuMemory)}; break;
    case GR_MEMORY_UMA: values = {i32(b.umaMemory)}; break;
    case GR_NUM_BOARDS: values = {1}; break;
    case GR_NUM_FB: values = {i32(b.fbCount)}; break;
    case GR_NUM_TMU: values = {BoardTmus()}; break;
    case GR_REVISION_FB:
    case GR_REVISION_TMU: values = {1}; break;
    case GR_TEXTURE_ALIGN: values = {static_cast<FxI32>(kTextureAlign)}; break;
    case GR_STATS_PIXELS_OUT: values = {i32(UsesGl() ? gl::PixelsOut() : 0)}; break;
    case GR_STATS_PIXELS_IN:
    case GR_STATS_PIXELS_AFUNC_FAIL:
    case GR_STATS_PIXELS_CHROMA_FAIL:
    case GR_STATS_PIXELS_DEPTHFUNC_FAIL: values = {0}; break;
    case GR_STATS_TRIANGLES_IN: values = {i32(L().trianglesIn)}; break;
    case GR_STATS_TRIANGLES_OUT: values = {i32(L().trianglesOut)}; break;
    case GR_STATS_LINES: values = {i32(L().lines)}; break;
    case GR_STATS_POINTS: values = {i32(L().points)}; break;
    case GR_VIEWPORT: values = {0, 0, L().width, L().height}; break;
    case GR_ZDEPTH_MIN_MAX: values = {65535, 0}; break;
    default: return 0;
  }
  FxU32 bytes = static_cast<FxU32>(values.size() * 4);
  if (plength < bytes) return 0;
  std::memcpy(params, values.data(), bytes);
  return bytes;
}

FxBool grReset(FxU32 what) {
  Record("grReset", {static_cast<double>(what)});
  switch (what) {
    case GR_STATS_PIXELS:
      if (UsesGl()) gl::ResetPixels();
      return FXTRUE;
    case GR_STATS_TRIANGLES: L().trianglesIn = L().trianglesOut = 0; return FXTRUE;
    case GR_STATS_LINES: L().lines = 0; return FXTRUE;
    case GR_STATS_POINTS: L().points = 0; return FXTRUE;
    default: return FXFALSE;
  }
}

void grSstSelect(int whichSst) { Record("grSstSelect", {static_cast<double>(whichSst)}); }

// ---------------------------------------------------------------------------
// Windows and contexts.

GrContext_t grSstWinOpen(FxU32 hWnd, GrScreenResolution_t resolution, GrScreenRefresh_t refresh,
                         GrColorFormat_t format, GrOriginLocation_t origin, int nColBuffers, int nAuxBuffers) {
  Record("grSstWinOpen", {static_cast<double>(hWnd), static_cast<double>(resolution), static_cast<double>(refresh),
                          static_cast<double>(format), static_cast<double>(origin), static_cast<double>(nColBuffers),
                          static_cast<double>(nAuxBuffers)});
  Library& l = L();
  int width = 0, height = 0;
  if (!l.board.present || !l.initialised || Open() || hWnd == 0) return 0;
  if (!ResolutionSize(resolution, &width, &height) || Contains(l.board.failingResolutions, resolution)) return 0;
  if (format > GR_COLORFORMAT_BGRA || origin != GR_ORIGIN_UPPER_LEFT || nColBuffers != 2 || nAuxBuffers < 0 ||
      nAuxBuffers > 1) {
    return 0;
  }
  if (!l.testBackend) {
    HWND hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(hWnd));
    void* sdlWindow = platform::NativeWindow(hwnd);
    if (sdlWindow == nullptr || !gl::Open(sdlWindow, width, height)) return 0;
  }
  l.context = l.nextContext++;
  l.width = width;
  l.height = height;
  l.colorFormat = format;
  l.state = DefaultState(width, height);
  l.gamma[0] = l.gamma[1] = l.gamma[2] = 1.0f;
  l.gammaTable = MakeGammaTable(l.gamma);
  for (int t = 0; t < 2; ++t) l.textureMemory[t].assign(t < BoardTmus() ? TmuMemorySize() : 0, 0);
  ResetStatistics();
  return l.context;
}

FxBool grSstWinClose(GrContext_t context) {
  Record("grSstWinClose", {static_cast<double>(context)});
  if (context == 0 || context != L().context || L().board.failWindowClose) return FXFALSE;
  CloseWindow();
  return FXTRUE;
}

FxBool grSelectContext(GrContext_t context) {
  Record("grSelectContext", {static_cast<double>(context)});
  if (L().board.failContextSelection) return FXFALSE;
  return context != 0 && context == L().context ? FXTRUE : FXFALSE;
}

void grGlideGetState(void* state) {
  Record("grGlideGetState", {});
  if (state != nullptr) std::memcpy(state, &L().state, sizeof(platform::GlideState));
}

void grGlideSetState(const void* state) {
  Record("grGlideSetState", {});
  if (state == nullptr) return;
  std::memcpy(&L().state, state, sizeof(platform::GlideState));
  gl::InvalidateState();
}

void guGammaCorrectionRGB(FxFloat red, FxFloat green, FxFloat blue) {
  Record("guGammaCorrectionRGB", {red, green, blue});
  Library& l = L();
  l.gamma[0] = red;
  l.gamma[1] = green;
  l.gamma[2] = blue;
  l.gammaTable = MakeGammaTable(l.gamma);
}

// ---------------------------------------------------------------------------
// State.

void grCoordinateSpace(GrCoordinateSpaceMode_t mode) {
  Record("grCoordinateSpace", {static_cast<double>(mode)});
  L().state.coordinateSpace = mode;
}

void grVertexLayout(FxU32 param, FxI32 offset, FxU32 mode) {
  Record("grVertexLayout", {static_cast<double>(param), static_cast<double>(offset), static_cast<double>(mode)});
  platform::GlideState& s = L().state;
  FxI32 value = mode == GR_PARAM_ENABLE && offset >= 0 ? offset : -1;
  switch (param) {
    case GR_PARAM_XY: s.offsetXY = value; break;
    case GR_PARAM_Z: s.offsetZ = value; break;
    case GR_PARAM_Q: s.offsetQ = value; break;
    case GR_PARAM_PARGB: s.offsetPARGB = value; break;
    case GR_PARAM_RGB: s.offsetRGB = value; break;
    case GR_PARAM_A: s.offsetA = value; break;
    case GR_PARAM_ST0: s.offsetST0 = value; break;
    case GR_PARAM_ST1: s.offsetST1 = value; break;
    case GR_PARAM_Q0: s.offsetQ0 = value; break;
    case GR_PARAM_Q1: s.offsetQ1 = value; break;
    default: return;
  }
  gl::InvalidateState();
}

void grClipWindow(FxU32 minx, FxU32 miny, FxU32 maxx, FxU32 maxy) {
  Record("grClipWindow", {static_cast<double>(minx), static_cast<double>(miny), static_cast<double>(maxx),
                          static_cast<double>(maxy)});
  platform::GlideState& s = L().state;
  FxU32 w = static_cast<FxU32>(L().width), h = static_cast<FxU32>(L().height);
  s.clipMaxX = std::min(maxx, w);
  s.clipMaxY = std::min(maxy, h);
  s.clipMinX = std::min(minx, s.clipMaxX);
  s.clipMinY = std::min(miny, s.clipMaxY);
}

void grColorCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert) {
  Record("grColorCombine", {static_cast<double>(function), static_cast<double>(factor), static_cast<double>(local),
                            static_cast<double>(other), static_cast<double>(invert)});
  L().state.colorCombine = {function, factor, local, other, invert};
}

void grAlphaCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert) {
  Record("grAlphaCombine", {static_cast<double>(function), static_cast<double>(factor), static_cast<double>(local),
                            static_cast<double>(other), static_cast<double>(invert)});
  L().state.alphaCombine = {function, factor, local, other, invert};
}

void grTexCombine(GrChipID_t tmu, GrCombineFunction_t rgbFunction, GrCombineFactor_t rgbFactor,
                  GrCombineFunction_t alphaFunction, GrCombineFactor_t alphaFactor, FxBool rgbInvert,
                  FxBool alphaInvert) {
  Record("grTexCombine", {static_cast<double>(tmu), static_cast<double>(rgbFunction), static_cast<double>(rgbFactor),
                          static_cast<double>(alphaFunction), static_cast<double>(alphaFactor),
                          static_cast<double>(rgbInvert), static_cast<double>(alphaInvert)});
  if (!ValidTmu(tmu)) return;
  L().state.tmu[tmu].combine = {rgbFunction, rgbFactor, alphaFunction, alphaFactor, rgbInvert, alphaInvert};
}

void grConstantColorValue(GrColor_t value) {
  Record("grConstantColorValue", {static_cast<double>(value)});
  L().state.constantColor = value;
}

void grAlphaBlendFunction(GrAlphaBlendFnc_t rgbSrc, GrAlphaBlendFnc_t rgbDst, GrAlphaBlendFnc_t alphaSrc,
                          GrAlphaBlendFnc_t alphaDst) {
  Record("grAlphaBlendFunction", {static_cast<double>(rgbSrc), static_cast<double>(rgbDst),
                                  static_cast<double>(alphaSrc), static_cast<double>(alphaDst)});
  platform::GlideState& s = L().state;
  s.rgbSrc = rgbSrc;
  s.rgbDst = rgbDst;
  s.alphaSrc = alphaSrc;
  s.alphaDst = alphaDst;
}

void grAlphaTestFunction(GrCmpFnc_t function) {
  Record("grAlphaTestFunction", {static_cast<double>(function)});
  L().state.alphaTestFunction = function;
}

void grAlphaTestReferenceValue(GrAlpha_t value) {
  Record("grAlphaTestReferenceValue", {static_cast<double>(value)});
  L().state.alphaTestReference = value;
}

void grChromakeyMode(GrChromakeyMode_t mode) {
  Record("grChromakeyMode", {static_cast<double>(mode)});
  L().state.chromakeyMode = mode;
}

void grChromakeyValue(GrColor_t value) {
  Record("grChromakeyValue", {static_cast<double>(value)});
  L().state.chromakeyValue = value;
}

void grDepthBufferMode(GrDepthBufferMode_t mode) {
  Record("grDepthBufferMode", {static_cast<double>(mode)});
  L().state.depthMode = mode;
}

void grDepthBufferFunction(GrCmpFnc_t function) {
  Record("grDepthBufferFunction", {static_cast<double>(function)});
  L().state.depthFunction = function;
}

void grDepthMask(FxBool mask) {
  Record("grDepthMask", {static_cast<double>(mask)});
  L().state.depthMask = mask;
}

void grDitherMode(GrDitherMode_t mode) {
  Record("grDitherMode", {static_cast<double>(mode)});
  L().state.ditherMode = mode;
}

void grCullMode(GrCullMode_t mode) {
  Record("grCullMode", {static_cast<double>(mode)});
  L().state.cullMode = mode;
}

void grEnable(GrEnableMode_t mode) {
  Record("grEnable", {static_cast<double>(mode)});
  if (mode < 32) L().state.enables |= 1u << mode;
}

void grDisable(GrEnableMode_t mode) {
  Record("grDisable", {static_cast<double>(mode)});
  if (mode < 32) L().state.enables &= ~(1u << mode);
}

void grFogMode(GrFogMode_t mode) {
  Record("grFogMode", {static_cast<double>(mode)});
  L().state.fogMode = mode;
}

void grFogTable(const GrFog_t table[]) {
  Record("grFogTable", {});
  if (table != nullptr) std::memcpy(L().state.fogTable, table, kFogEntries);
}

void grFogColorValue(GrColor_t color) {
  Record("grFogColorValue", {static_cast<double>(color)});
  L().state.fogColor = color;
}

FxFloat guFogTableIndexToW(int i) {
  // Four entries per doubling of w, from w = 1 at entry 0.
  return static_cast<float>(1 << (3 + (i >> 2))) / static_cast<float>(8 - (i & 3));
}

void guFogGenerateLinear(GrFog_t* table, FxFloat nearW, FxFloat farW) {
  if (table == nullptr) return;
  for (int i = 0; i < kFogEntries; ++i) {
    float w = std::min(guFogTableIndexToW(i), 65535.0f);
    float f = farW != nearW ? (w - nearW) / (farW - nearW) : (w >= farW ? 1.0f : 0.0f);
    table[i] = static_cast<GrFog_t>(std::clamp(f, 0.0f, 1.0f) * 255.0f);
  }
}

// ---------------------------------------------------------------------------
// Textures.

void grTexSource(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info) {
  if (info == nullptr) {
    Record("grTexSource", {static_cast<double>(tmu), static_cast<double>(startAddress), static_cast<double>(evenOdd)});
    return;
  }
  Record("grTexSource", {static_cast<double>(tmu), static_cast<double>(startAddress), static_cast<double>(evenOdd),
                         static_cast<double>(info->smallLodLog2), static_cast<double>(info->largeLodLog2),
                         static_cast<double>(info->aspectRatioLog2), static_cast<double>(info->format)});
  if (!ValidTmu(tmu)) return;
  platform::GlideTmuState& t = L().state.tmu[tmu];
  t.sourceSet = true;
  t.startAddress = startAddress;
  t.evenOdd = evenOdd;
  t.smallLod = info->smallLodLog2;
  t.largeLod = info->largeLodLog2;
  t.aspect = info->aspectRatioLog2;
  t.format = info->format;
}

void grTexFilterMode(GrChipID_t tmu, GrTextureFilterMode_t minFilter, GrTextureFilterMode_t magFilter) {
  Record("grTexFilterMode", {static_cast<double>(tmu), static_cast<double>(minFilter), static_cast<double>(magFilter)});
  if (!ValidTmu(tmu)) return;
  L().state.tmu[tmu].minFilter = minFilter;
  L().state.tmu[tmu].magFilter = magFilter;
}

void grTexClampMode(GrChipID_t tmu, GrTextureClampMode_t sClamp, GrTextureClampMode_t tClamp) {
  Record("grTexClampMode", {static_cast<double>(tmu), static_cast<double>(sClamp), static_cast<double>(tClamp)});
  if (!ValidTmu(tmu)) return;
  L().state.tmu[tmu].sClamp = sClamp;
  L().state.tmu[tmu].tClamp = tClamp;
}

void grTexMipMapMode(GrChipID_t tmu, GrMipMapMode_t mode, FxBool lodBlend) {
  Record("grTexMipMapMode", {static_cast<double>(tmu), static_cast<double>(mode), static_cast<double>(lodBlend)});
  if (!ValidTmu(tmu)) return;
  L().state.tmu[tmu].mipMapMode = mode;
  L().state.tmu[tmu].lodBlend = lodBlend;
}

FxU32 grTexTextureMemRequired(FxU32 evenOdd, GrTexInfo* info) {
  Record("grTexTextureMemRequired", {static_cast<double>(evenOdd)});
  std::vector<Level> levels;
  if (!Levels(evenOdd, info, &levels)) return 0;
  FxU32 total = 0;
  for (const Level& level : levels) total += level.selected ? level.bytes : 0;
  return (total + kTextureAlign - 1) & ~(kTextureAlign - 1);
}

FxU32 grTexMinAddress(GrChipID_t tmu) {
  Record("grTexMinAddress", {static_cast<double>(tmu)});
  return 0;
}

FxU32 grTexMaxAddress(GrChipID_t tmu) {
  Record("grTexMaxAddress", {static_cast<double>(tmu)});
  if (!ValidTmu(tmu) || TmuMemorySize() < kTextureAlign) return 0;
  return TmuMemorySize() - kTextureAlign;
}

void grTexDownloadMipMap(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info) {
  if (info == nullptr) {
    Record("grTexDownloadMipMap", {static_cast<double>(tmu), static_cast<double>(startAddress),
                                   static_cast<double>(evenOdd)});
    return;
  }
  Record("grTexDownloadMipMap", {static_cast<double>(tmu), static_cast<double>(startAddress),
                                 static_cast<double>(evenOdd), static_cast<double>(info->smallLodLog2),
                                 static_cast<double>(info->largeLodLog2), static_cast<double>(info->aspectRatioLog2),
                                 static_cast<double>(info->format)});
  std::vector<Level> levels;
  if (!Open() || !ValidTmu(tmu) || info->data == nullptr || !Levels(evenOdd, info, &levels)) return;
  std::vector<FxU8>& memory = L().textureMemory[tmu];
  std::uint64_t needed = 0;
  for (const Level& level : levels) needed += level.selected ? level.bytes : 0;
  if (static_cast<std::uint64_t>(startAddress) + needed > memory.size()) return;
  const FxU8* src = static_cast<const FxU8*>(info->data);
  FxU32 dst = startAddress;
  for (const Level& level : levels) {
    if (level.selected) {
      std::memcpy(memory.data() + dst, src, level.bytes);
      dst += level.bytes;
    }
    src += level.bytes;
  }
  gl::InvalidateTextures(tmu, startAddress, dst);
}

// ---------------------------------------------------------------------------
// Frame.

void grBufferClear(GrColor_t color, GrAlpha_t alpha, FxU32 depth) {
  Record("grBufferClear", {static_cast<double>(color), static_cast<double>(alpha), static_cast<double>(depth)});
  if (UsesGl()) gl::Clear(L().state, color, alpha, depth);
}

void grBufferSwap(FxU32 swapInterval) {
  Record("grBufferSwap", {static_cast<double>(swapInterval)});
  if (UsesGl()) gl::Swap(swapInterval, L().gammaTable);
}

void grFlush() {
  Record("grFlush", {});
  if (UsesGl()) gl::Flush(false);
}

void grFinish() {
  Record("grFinish", {});
  if (UsesGl()) gl::Flush(true);
}

FxBool grLfbWriteRegion(GrBuffer_t dstBuffer, FxU32 dstX, FxU32 dstY, GrLfbSrcFmt_t srcFormat, FxU32 srcWidth,
                        FxU32 srcHeight, FxBool pixelPipeline, FxI32 srcStride, void* srcData) {
  Record("grLfbWriteRegion", {static_cast<double>(dstBuffer), static_cast<double>(dstX), static_cast<double>(dstY),
                              static_cast<double>(srcFormat), static_cast<double>(srcWidth),
                              static_cast<double>(srcHeight), static_cast<double>(pixelPipeline),
                              static_cast<double>(srcStride)});
  FxU8 probe[4];
  FxU8 zero[4] = {0, 0, 0, 0};
  if (!Open() || srcData == nullptr || pixelPipeline || !LfbPixel(srcFormat, zero, probe)) return FXFALSE;
  if (L().board.failFrameBufferWrites) return FXFALSE;
  if (dstBuffer != GR_BUFFER_FRONTBUFFER && dstBuffer != GR_BUFFER_BACKBUFFER) return FXFALSE;
  FxU32 pixelBytes = srcFormat >= GR_LFB_SRC_FMT_888 ? 4 : 2;
  if (srcStride < 0 || static_cast<std::uint64_t>(srcStride) < std::uint64_t{srcWidth} * pixelBytes) return FXFALSE;
  FxU32 w = static_cast<FxU32>(L().width), h = static_cast<FxU32>(L().height);
  if (dstX >= w || dstY >= h || srcWidth == 0 || srcHeight == 0) return FXTRUE;
  FxU32 cw = std::min(srcWidth, w - dstX), ch = std::min(srcHeight, h - dstY);
  if (!UsesGl()) return FXTRUE;
  std::vector<FxU8> rgba(std::size_t{cw} * ch * 4);
  const FxU8* src = static_cast<const FxU8*>(srcData);
  for (FxU32 y = 0; y < ch; ++y) {
    const FxU8* row = src + std::size_t{y} * static_cast<std::size_t>(srcStride);
    for (FxU32 x = 0; x < cw; ++x) LfbPixel(srcFormat, row + x * pixelBytes, &rgba[(std::size_t{y} * cw + x) * 4]);
  }
  gl::WritePixels(dstBuffer == GR_BUFFER_FRONTBUFFER ? 0 : 1, static_cast<int>(dstX), static_cast<int>(dstY),
                  static_cast<int>(cw), static_cast<int>(ch), rgba);
  return FXTRUE;
}

void grDrawVertexArrayContiguous(FxU32 mode, FxU32 count, void* vertices, FxU32 stride) {
  Library& l = L();
  if (l.testBackend) {
    Record("grDrawVertexArrayContiguous", {static_cast<double>(mode), static_cast<double>(count),
                                           static_cast<double>(stride)});
  }
  if (!Open() || vertices == nullptr || count == 0 || l.state.offsetXY < 0) return;
  FxU32 triangles = TrianglesOf(mode, count);
  l.trianglesIn += triangles;
  l.trianglesOut += triangles;
  if (mode == GR_LINES) l.lines += count / 2;
  if (mode == GR_LINE_STRIP && count >= 2) l.lines += count - 1;
  if (mode == GR_POINTS) l.points += count;
  if (l.testBackend) {
    platform::GlideDraw draw{mode, {}, l.state};
    draw.vertices.reserve(count);
    const FxU8* v = static_cast<const FxU8*>(vertices);
    for (FxU32 i = 0; i < count; ++i) draw.vertices.push_back(Decode(l.state, v + std::size_t{i} * stride));
    l.draws.push_back(std::move(draw));
    return;
  }
  if (l.capturing && mode == GR_TRIANGLES && (l.capturedStride == 0 || l.capturedStride == stride)) {
    l.capturedStride = stride;
    const FxU8* v = static_cast<const FxU8*>(vertices);
    l.captured.insert(l.captured.end(), v, v + std::size_t{count} * stride);
  }
  if (gl::IsOpen()) gl::Draw(l.state, mode, count, vertices, stride);
}

// ---------------------------------------------------------------------------
// Platform side.

namespace platform {

void SetGlideBoard(const GlideBoard& board) { L().board = board; }

void CaptureGlideTriangles(bool on) {
  Library& l = L();
  if (on) {
    l.captured.clear();
    l.capturedStride = 0;
  }
  l.capturing = on;
}

const std::vector<FxU8>& CapturedGlideTriangles() { return L().captured; }

void UseGlideFramePacing(bool on) { gl::SetFramePacing(on); }

FxU32 CapturedGlideStride() { return L().capturedStride; }
const GlideBoard& CurrentGlideBoard() { return L().board; }

void UseGlideTestBackend(bool on) {
  CloseWindow();
  Library& l = L();
  l.testBackend = on;
  l.initialised = false;
  l.state = DefaultState(0, 0);
  l.calls.clear();
  l.draws.clear();
  ResetStatistics();
}

const GlideState& CurrentGlideState() { return L().state; }
const std::vector<GlideCall>& RecordedGlideCalls() { return L().calls; }
const std::vector<GlideDraw>& RecordedGlideDraws() { return L().draws; }

void ClearGlideRecords() {
  L().calls.clear();
  L().draws.clear();
}

void GlideFrameSize(int* width, int* height) {
  *width = L().width;
  *height = L().height;
}

const std::vector<FxU8>& GlideTextureMemory(GrChipID_t tmu) { return TextureMemory(tmu); }

bool GlideReadFrame(GrBuffer_t buffer, bool asShown, Picture* out) {
  if (!UsesGl() || out == nullptr) return false;
  if (buffer != GR_BUFFER_FRONTBUFFER && buffer != GR_BUFFER_BACKBUFFER) return false;
  if (!gl::ReadPixels(buffer == GR_BUFFER_FRONTBUFFER ? 0 : 1, out)) return false;
  if (asShown) {
    for (std::size_t i = 0; i < out->rgb.size(); ++i) out->rgb[i] = L().gammaTable[i % 3][out->rgb[i]];
  }
  return true;
}

bool GlideScreenshot(const std::string& path) {
  Picture picture;
  return GlideReadFrame(GR_BUFFER_FRONTBUFFER, true, &picture) && WritePng(path, picture);
}

bool GlideReadWindow(Picture* out) {
  return UsesGl() && out != nullptr && gl::ReadWindow(L().gammaTable, out);
}

}  // namespace platform
