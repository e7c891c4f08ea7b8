// A Glide-3-shaped interface to a virtual 3D board, drawn through OpenGL.
//
// Our own declarations: the functions the game calls, with Glide 3's names,
// argument order, constant values and semantics. The board is virtual: its
// memory figures come from a small configuration (platform::GlideBoard), its
// frame is drawn into an offscreen frame buffer at the opened resolution and
// shown scaled (aspect kept, gamma applied) in the SDL window of the main
// window. Textures live in a byte image of each unit's texture memory, so a
// download replaces whatever overlapped it, as on the hardware.
//
// Conventions the game relies on:
// - Window coordinates: x right, y down from the upper-left corner; clip
//   windows include their lower bounds and exclude their upper bounds.
// - Depth is the vertex z as given (0..65535); the compare functions compare
//   the new value with the stored one (GR_CMP_GREATER passes a larger z).
// - s and t arrive multiplied by q (1/w) in the texture's own scale: 256 on
//   its long side, 256 >> |aspect| on the short one. Interpolation divides by
//   the interpolated q per pixel (perspective-correct).
// - Table fog is indexed by w = 1/q per pixel (guFogTableIndexToW).
// - GrColor_t values follow the colour format given to grSstWinOpen (RGBA:
//   0xRRGGBBAA); the vertex colour GR_PARAM_PARGB is always packed ARGB.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Base types.

using FxU8 = std::uint8_t;
using FxI8 = std::int8_t;
using FxU16 = std::uint16_t;
using FxI16 = std::int16_t;
using FxU32 = std::uint32_t;
using FxI32 = std::int32_t;
using FxBool = FxI32;
using FxFloat = float;

constexpr FxBool FXFALSE = 0;
constexpr FxBool FXTRUE = 1;

using GrColor_t = FxU32;
using GrAlpha_t = FxU8;
using GrFog_t = FxU8;
using GrContext_t = FxU32;  // 0 = no context
using GrChipID_t = FxI32;
using GrScreenResolution_t = FxU32;
using GrScreenRefresh_t = FxU32;
using GrColorFormat_t = FxU32;
using GrOriginLocation_t = FxI32;
using GrBuffer_t = FxI32;
using GrLfbSrcFmt_t = FxU32;
using GrCombineFunction_t = FxI32;
using GrCombineFactor_t = FxI32;
using GrCombineLocal_t = FxI32;
using GrCombineOther_t = FxI32;
using GrTextureFilterMode_t = FxI32;
using GrTextureClampMode_t = FxI32;
using GrMipMapMode_t = FxI32;
using GrAlphaBlendFnc_t = FxI32;
using GrCmpFnc_t = FxI32;
using GrChromakeyMode_t = FxI32;
using GrDepthBufferMode_t = FxI32;
using GrDitherMode_t = FxI32;
using GrCullMode_t = FxI32;
using GrEnableMode_t = FxU32;
using GrFogMode_t = FxU32;
using GrCoordinateSpaceMode_t = FxU32;
using GrLOD_t = FxI32;
using GrAspectRatio_t = FxI32;
using GrTextureFormat_t = FxI32;

// A texture as grTexSource, grTexDownloadMipMap and grTexTextureMemRequired
// see it. Levels of detail are log2 of the long side; the aspect ratio is
// log2(width / height), negative for textures taller than wide. data points
// at the levels from largest to smallest (downloads only).
struct GrTexInfo {
  GrLOD_t smallLodLog2;
  GrLOD_t largeLodLog2;
  GrAspectRatio_t aspectRatioLog2;
  GrTextureFormat_t format;
  void* data;
};

// ---------------------------------------------------------------------------
// Constants.

// Texture units.
constexpr GrChipID_t GR_TMU0 = 0x0;
constexpr GrChipID_t GR_TMU1 = 0x1;

// grGet.
constexpr FxU32 GR_BITS_DEPTH = 0x01;
constexpr FxU32 GR_BITS_RGBA = 0x02;
constexpr FxU32 GR_FIFO_FULLNESS = 0x03;
constexpr FxU32 GR_FOG_TABLE_ENTRIES = 0x04;
constexpr FxU32 GR_GAMMA_TABLE_ENTRIES = 0x05;
constexpr FxU32 GR_GLIDE_STATE_SIZE = 0x06;
constexpr FxU32 GR_GLIDE_VERTEXLAYOUT_SIZE = 0x07;
constexpr FxU32 GR_IS_BUSY = 0x08;
constexpr FxU32 GR_LFB_PIXEL_PIPE = 0x09;
constexpr FxU32 GR_MAX_TEXTURE_SIZE = 0x0a;
constexpr FxU32 GR_MAX_TEXTURE_ASPECT_RATIO = 0x0b;
constexpr FxU32 GR_MEMORY_FB = 0x0c;
constexpr FxU32 GR_MEMORY_TMU = 0x0d;
constexpr FxU32 GR_MEMORY_UMA = 0x0e;
constexpr FxU32 GR_NUM_BOARDS = 0x0f;
constexpr FxU32 GR_NON_POWER_OF_TWO_TEXTURES = 0x10;
constexpr FxU32 GR_NUM_FB = 0x11;
constexpr FxU32 GR_NUM_SWAP_HISTORY_BUFFER = 0x12;
constexpr FxU32 GR_NUM_TMU = 0x13;
constexpr FxU32 GR_PENDING_BUFFERSWAPS = 0x14;
constexpr FxU32 GR_REVISION_FB = 0x15;
constexpr FxU32 GR_REVISION_TMU = 0x16;
constexpr FxU32 GR_STATS_LINES = 0x17;
constexpr FxU32 GR_STATS_PIXELS_AFUNC_FAIL = 0x18;
constexpr FxU32 GR_STATS_PIXELS_CHROMA_FAIL = 0x19;
constexpr FxU32 GR_STATS_PIXELS_DEPTHFUNC_FAIL = 0x1a;
constexpr FxU32 GR_STATS_PIXELS_IN = 0x1b;
constexpr FxU32 GR_STATS_PIXELS_OUT = 0x1c;
constexpr FxU32 GR_STATS_PIXELS = 0x1d;  // grReset: every pixel counter
constexpr FxU32 GR_STATS_POINTS = 0x1e;
constexpr FxU32 GR_STATS_TRIANGLES_IN = 0x1f;
constexpr FxU32 GR_STATS_TRIANGLES_OUT = 0x20;
constexpr FxU32 GR_STATS_TRIANGLES = 0x21;  // grReset: both triangle counters
constexpr FxU32 GR_SWAP_HISTORY = 0x22;
constexpr FxU32 GR_SUPPORTS_PASSTHRU = 0x23;
constexpr FxU32 GR_TEXTURE_ALIGN = 0x24;
constexpr FxU32 GR_VIDEO_POSITION = 0x25;
constexpr FxU32 GR_VIEWPORT = 0x26;
constexpr FxU32 GR_WDEPTH_MIN_MAX = 0x27;
constexpr FxU32 GR_ZDEPTH_MIN_MAX = 0x28;
constexpr FxU32 GR_VERTEX_PARAMETER = 0x29;
constexpr FxU32 GR_BITS_GAMMA = 0x2a;

// grGetString.
constexpr FxU32 GR_EXTENSION = 0xa0;
constexpr FxU32 GR_HARDWARE = 0xa1;
constexpr FxU32 GR_RENDERER = 0xa2;
constexpr FxU32 GR_VENDOR = 0xa3;
constexpr FxU32 GR_VERSION = 0xa4;

// Screen resolutions.
constexpr GrScreenResolution_t GR_RESOLUTION_320x200 = 0x0;
constexpr GrScreenResolution_t GR_RESOLUTION_320x240 = 0x1;
constexpr GrScreenResolution_t GR_RESOLUTION_400x256 = 0x2;
constexpr GrScreenResolution_t GR_RESOLUTION_512x384 = 0x3;
constexpr GrScreenResolution_t GR_RESOLUTION_640x200 = 0x4;
constexpr GrScreenResolution_t GR_RESOLUTION_640x350 = 0x5;
constexpr GrScreenResolution_t GR_RESOLUTION_640x400 = 0x6;
constexpr GrScreenResolution_t GR_RESOLUTION_640x480 = 0x7;
constexpr GrScreenResolution_t GR_RESOLUTION_800x600 = 0x8;
constexpr GrScreenResolution_t GR_RESOLUTION_960x720 = 0x9;
constexpr GrScreenResolution_t GR_RESOLUTION_856x480 = 0xa;
constexpr GrScreenResolution_t GR_RESOLUTION_512x256 = 0xb;
constexpr GrScreenResolution_t GR_RESOLUTION_1024x768 = 0xc;
constexpr GrScreenResolution_t GR_RESOLUTION_1280x1024 = 0xd;
constexpr GrScreenResolution_t GR_RESOLUTION_1600x1200 = 0xe;
constexpr GrScreenResolution_t GR_RESOLUTION_400x300 = 0xf;
constexpr GrScreenResolution_t GR_RESOLUTION_NONE = 0xff;

// Refresh rates.
constexpr GrScreenRefresh_t GR_REFRESH_60Hz = 0x0;
constexpr GrScreenRefresh_t GR_REFRESH_70Hz = 0x1;
constexpr GrScreenRefresh_t GR_REFRESH_72Hz = 0x2;
constexpr GrScreenRefresh_t GR_REFRESH_75Hz = 0x3;
constexpr GrScreenRefresh_t GR_REFRESH_80Hz = 0x4;
constexpr GrScreenRefresh_t GR_REFRESH_90Hz = 0x5;
constexpr GrScreenRefresh_t GR_REFRESH_100Hz = 0x6;
constexpr GrScreenRefresh_t GR_REFRESH_85Hz = 0x7;
constexpr GrScreenRefresh_t GR_REFRESH_120Hz = 0x8;
constexpr GrScreenRefresh_t GR_REFRESH_NONE = 0xff;

// Colour formats of GrColor_t values.
constexpr GrColorFormat_t GR_COLORFORMAT_ARGB = 0x0;
constexpr GrColorFormat_t GR_COLORFORMAT_ABGR = 0x1;
constexpr GrColorFormat_t GR_COLORFORMAT_RGBA = 0x2;
constexpr GrColorFormat_t GR_COLORFORMAT_BGRA = 0x3;

// Origins (only the upper left is supported).
constexpr GrOriginLocation_t GR_ORIGIN_UPPER_LEFT = 0x0;
constexpr GrOriginLocation_t GR_ORIGIN_LOWER_LEFT = 0x1;

// Buffers.
constexpr GrBuffer_t GR_BUFFER_FRONTBUFFER = 0x0;
constexpr GrBuffer_t GR_BUFFER_BACKBUFFER = 0x1;
constexpr GrBuffer_t GR_BUFFER_AUXBUFFER = 0x2;

// Linear-frame-buffer source formats.
constexpr GrLfbSrcFmt_t GR_LFB_SRC_FMT_565 = 0x00;
constexpr GrLfbSrcFmt_t GR_LFB_SRC_FMT_555 = 0x01;
constexpr GrLfbSrcFmt_t GR_LFB_SRC_FMT_1555 = 0x02;
constexpr GrLfbSrcFmt_t GR_LFB_SRC_FMT_888 = 0x04;
constexpr GrLfbSrcFmt_t GR_LFB_SRC_FMT_8888 = 0x05;

// Combine functions.
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_ZERO = 0x0;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_NONE = GR_COMBINE_FUNCTION_ZERO;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_LOCAL = 0x1;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_LOCAL_ALPHA = 0x2;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER = 0x3;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_BLEND_OTHER = GR_COMBINE_FUNCTION_SCALE_OTHER;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL = 0x4;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA = 0x5;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL = 0x6;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL = 0x7;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_BLEND = GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA = 0x8;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL = 0x9;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_BLEND_LOCAL = GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA = 0x10;

// Combine factors. In grTexCombine, 0x4 is the detail factor and 0x5 the
// level-of-detail fraction (both 0 here: no detail textures, no mipmaps).
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ZERO = 0x0;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_NONE = GR_COMBINE_FACTOR_ZERO;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_LOCAL = 0x1;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_OTHER_ALPHA = 0x2;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_LOCAL_ALPHA = 0x3;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_TEXTURE_ALPHA = 0x4;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_DETAIL_FACTOR = GR_COMBINE_FACTOR_TEXTURE_ALPHA;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_TEXTURE_RGB = 0x5;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_LOD_FRACTION = 0x5;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE = 0x8;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE_MINUS_LOCAL = 0x9;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE_MINUS_OTHER_ALPHA = 0xa;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE_MINUS_LOCAL_ALPHA = 0xb;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA = 0xc;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE_MINUS_DETAIL_FACTOR = GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE_MINUS_LOD_FRACTION = 0xd;

// Combine inputs.
constexpr GrCombineLocal_t GR_COMBINE_LOCAL_ITERATED = 0x0;
constexpr GrCombineLocal_t GR_COMBINE_LOCAL_CONSTANT = 0x1;
constexpr GrCombineLocal_t GR_COMBINE_LOCAL_NONE = GR_COMBINE_LOCAL_CONSTANT;
constexpr GrCombineLocal_t GR_COMBINE_LOCAL_DEPTH = 0x2;
constexpr GrCombineOther_t GR_COMBINE_OTHER_ITERATED = 0x0;
constexpr GrCombineOther_t GR_COMBINE_OTHER_TEXTURE = 0x1;
constexpr GrCombineOther_t GR_COMBINE_OTHER_CONSTANT = 0x2;
constexpr GrCombineOther_t GR_COMBINE_OTHER_NONE = GR_COMBINE_OTHER_CONSTANT;

// Texture filtering, clamping, mipmapping.
constexpr GrTextureFilterMode_t GR_TEXTUREFILTER_POINT_SAMPLED = 0x0;
constexpr GrTextureFilterMode_t GR_TEXTUREFILTER_BILINEAR = 0x1;
constexpr GrTextureClampMode_t GR_TEXTURECLAMP_WRAP = 0x0;
constexpr GrTextureClampMode_t GR_TEXTURECLAMP_CLAMP = 0x1;
constexpr GrTextureClampMode_t GR_TEXTURECLAMP_MIRROR_EXT = 0x2;
constexpr GrMipMapMode_t GR_MIPMAP_DISABLE = 0x0;
constexpr GrMipMapMode_t GR_MIPMAP_NEAREST = 0x1;
constexpr GrMipMapMode_t GR_MIPMAP_NEAREST_DITHER = 0x2;

// Mipmap level masks.
constexpr FxU32 GR_MIPMAPLEVELMASK_EVEN = 0x1;
constexpr FxU32 GR_MIPMAPLEVELMASK_ODD = 0x2;
constexpr FxU32 GR_MIPMAPLEVELMASK_BOTH = 0x3;

// Levels of detail and aspect ratios (log2).
constexpr GrLOD_t GR_LOD_LOG2_1 = 0x0;
constexpr GrLOD_t GR_LOD_LOG2_2 = 0x1;
constexpr GrLOD_t GR_LOD_LOG2_4 = 0x2;
constexpr GrLOD_t GR_LOD_LOG2_8 = 0x3;
constexpr GrLOD_t GR_LOD_LOG2_16 = 0x4;
constexpr GrLOD_t GR_LOD_LOG2_32 = 0x5;
constexpr GrLOD_t GR_LOD_LOG2_64 = 0x6;
constexpr GrLOD_t GR_LOD_LOG2_128 = 0x7;
constexpr GrLOD_t GR_LOD_LOG2_256 = 0x8;
constexpr GrAspectRatio_t GR_ASPECT_LOG2_8x1 = 3;
constexpr GrAspectRatio_t GR_ASPECT_LOG2_4x1 = 2;
constexpr GrAspectRatio_t GR_ASPECT_LOG2_2x1 = 1;
constexpr GrAspectRatio_t GR_ASPECT_LOG2_1x1 = 0;
constexpr GrAspectRatio_t GR_ASPECT_LOG2_1x2 = -1;
constexpr GrAspectRatio_t GR_ASPECT_LOG2_1x4 = -2;
constexpr GrAspectRatio_t GR_ASPECT_LOG2_1x8 = -3;

// Texel formats (16-bit ones are supported).
constexpr GrTextureFormat_t GR_TEXFMT_RGB_565 = 0xa;
constexpr GrTextureFormat_t GR_TEXFMT_ARGB_1555 = 0xb;
constexpr GrTextureFormat_t GR_TEXFMT_ARGB_4444 = 0xc;

// Alpha blending factors. The colour factors are shared: as a source factor
// GR_BLEND_SRC_COLOR means the destination colour (GR_BLEND_DST_COLOR), as a
// destination factor the source colour; likewise for ONE_MINUS.
constexpr GrAlphaBlendFnc_t GR_BLEND_ZERO = 0x0;
constexpr GrAlphaBlendFnc_t GR_BLEND_SRC_ALPHA = 0x1;
constexpr GrAlphaBlendFnc_t GR_BLEND_SRC_COLOR = 0x2;
constexpr GrAlphaBlendFnc_t GR_BLEND_DST_COLOR = GR_BLEND_SRC_COLOR;
constexpr GrAlphaBlendFnc_t GR_BLEND_DST_ALPHA = 0x3;
constexpr GrAlphaBlendFnc_t GR_BLEND_ONE = 0x4;
constexpr GrAlphaBlendFnc_t GR_BLEND_ONE_MINUS_SRC_ALPHA = 0x5;
constexpr GrAlphaBlendFnc_t GR_BLEND_ONE_MINUS_SRC_COLOR = 0x6;
constexpr GrAlphaBlendFnc_t GR_BLEND_ONE_MINUS_DST_COLOR = GR_BLEND_ONE_MINUS_SRC_COLOR;
constexpr GrAlphaBlendFnc_t GR_BLEND_ONE_MINUS_DST_ALPHA = 0x7;
constexpr GrAlphaBlendFnc_t GR_BLEND_ALPHA_SATURATE = 0xf;
constexpr GrAlphaBlendFnc_t GR_BLEND_PREFOG_COLOR = GR_BLEND_ALPHA_SATURATE;

// Compare functions (depth and alpha test): new value CMP stored/reference.
constexpr GrCmpFnc_t GR_CMP_NEVER = 0x0;
constexpr GrCmpFnc_t GR_CMP_LESS = 0x1;
constexpr GrCmpFnc_t GR_CMP_EQUAL = 0x2;
constexpr GrCmpFnc_t GR_CMP_LEQUAL = 0x3;
constexpr GrCmpFnc_t GR_CMP_GREATER = 0x4;
constexpr GrCmpFnc_t GR_CMP_NOTEQUAL = 0x5;
constexpr GrCmpFnc_t GR_CMP_GEQUAL = 0x6;
constexpr GrCmpFnc_t GR_CMP_ALWAYS = 0x7;

constexpr GrChromakeyMode_t GR_CHROMAKEY_DISABLE = 0x0;
constexpr GrChromakeyMode_t GR_CHROMAKEY_ENABLE = 0x1;

constexpr GrDepthBufferMode_t GR_DEPTHBUFFER_DISABLE = 0x0;
constexpr GrDepthBufferMode_t GR_DEPTHBUFFER_ZBUFFER = 0x1;

constexpr GrDitherMode_t GR_DITHER_DISABLE = 0x0;
constexpr GrDitherMode_t GR_DITHER_2x2 = 0x1;
constexpr GrDitherMode_t GR_DITHER_4x4 = 0x2;

// Culling by the sign of a triangle's area in window coordinates,
// (x1 - x0)(y2 - y0) - (x2 - x0)(y1 - y0).
constexpr GrCullMode_t GR_CULL_DISABLE = 0x0;
constexpr GrCullMode_t GR_CULL_NEGATIVE = 0x1;
constexpr GrCullMode_t GR_CULL_POSITIVE = 0x2;

// grEnable / grDisable (accepted, no visible effect).
constexpr GrEnableMode_t GR_AA_ORDERED = 0x01;
constexpr GrEnableMode_t GR_ALLOW_MIPMAP_DITHER = 0x02;
constexpr GrEnableMode_t GR_PASSTHRU = 0x03;
constexpr GrEnableMode_t GR_SHAMELESS_PLUG = 0x04;
constexpr GrEnableMode_t GR_VIDEO_SMOOTHING = 0x05;

constexpr GrFogMode_t GR_FOG_DISABLE = 0x0;
constexpr GrFogMode_t GR_FOG_WITH_TABLE_ON_Q = 0x2;
constexpr GrFogMode_t GR_FOG_WITH_TABLE_ON_W = GR_FOG_WITH_TABLE_ON_Q;

constexpr GrCoordinateSpaceMode_t GR_WINDOW_COORDS = 0x00;
constexpr GrCoordinateSpaceMode_t GR_CLIP_COORDS = 0x01;

// Vertex layout parameters.
constexpr FxU32 GR_PARAM_XY = 0x01;
constexpr FxU32 GR_PARAM_Z = 0x02;
constexpr FxU32 GR_PARAM_W = 0x03;
constexpr FxU32 GR_PARAM_Q = 0x04;
constexpr FxU32 GR_PARAM_A = 0x10;
constexpr FxU32 GR_PARAM_RGB = 0x20;
constexpr FxU32 GR_PARAM_PARGB = 0x30;
constexpr FxU32 GR_PARAM_ST0 = 0x40;
constexpr FxU32 GR_PARAM_ST1 = 0x41;
constexpr FxU32 GR_PARAM_Q0 = 0x50;
constexpr FxU32 GR_PARAM_Q1 = 0x51;
constexpr FxU32 GR_PARAM_DISABLE = 0x00;
constexpr FxU32 GR_PARAM_ENABLE = 0x01;

// Primitive modes of grDrawVertexArrayContiguous.
constexpr FxU32 GR_POINTS = 0;
constexpr FxU32 GR_LINE_STRIP = 1;
constexpr FxU32 GR_LINES = 2;
constexpr FxU32 GR_POLYGON = 3;
constexpr FxU32 GR_TRIANGLE_STRIP = 4;
constexpr FxU32 GR_TRIANGLE_FAN = 5;
constexpr FxU32 GR_TRIANGLES = 6;

// ---------------------------------------------------------------------------
// Functions.

// Library and board.
void grGlideInit();
void grGlideShutdown();  // closes every open window
// Null for GR_HARDWARE when there is no board.
const char* grGetString(FxU32 pname);
// Writes the answer into params; returns the number of bytes written, 0 when
// the query is unknown, plength too small, or the board does not answer.
FxU32 grGet(FxU32 pname, FxU32 plength, FxI32* params);
FxBool grReset(FxU32 what);  // GR_STATS_PIXELS, GR_STATS_TRIANGLES
void grSstSelect(int whichSst);

// Windows and contexts. hWnd is the handle of a top-level window of
// platform/win32/window.h (the handles fit in 32 bits). Two colour buffers
// and one auxiliary (depth) buffer are what the board offers; texture memory
// starts empty on every open. Returns 0 on failure.
GrContext_t grSstWinOpen(FxU32 hWnd, GrScreenResolution_t resolution, GrScreenRefresh_t refresh,
                         GrColorFormat_t format, GrOriginLocation_t origin, int nColBuffers,
                         int nAuxBuffers);
FxBool grSstWinClose(GrContext_t context);
FxBool grSelectContext(GrContext_t context);

// The whole rendering state (combine, blend, depth, fog, texture sources,
// clip, layout...), grGet(GR_GLIDE_STATE_SIZE) bytes. Not the texture memory.
void grGlideGetState(void* state);
void grGlideSetState(const void* state);

// Gamma of the presented picture: shown = drawn ^ (1 / gamma) per channel.
void guGammaCorrectionRGB(FxFloat red, FxFloat green, FxFloat blue);

void grCoordinateSpace(GrCoordinateSpaceMode_t mode);  // window coordinates only
void grVertexLayout(FxU32 param, FxI32 offset, FxU32 mode);
void grClipWindow(FxU32 minx, FxU32 miny, FxU32 maxx, FxU32 maxy);
// Clears colour, and depth while depth writes are on (grDepthMask), inside
// the clip window. depth 0..65535.
void grBufferClear(GrColor_t color, GrAlpha_t alpha, FxU32 depth);
// Shows the back buffer; swapInterval 0 does not wait for a retrace.
void grBufferSwap(FxU32 swapInterval);
// grFlush starts everything sent so far; grFinish waits until it is drawn.
void grFlush();
void grFinish();
// Writes pixels straight into a colour buffer (without the pixel pipeline:
// no clip, blend or test). Pixels outside the buffer are dropped. FXFALSE
// for an unknown format, a pixel-pipeline write or no open window.
FxBool grLfbWriteRegion(GrBuffer_t dstBuffer, FxU32 dstX, FxU32 dstY, GrLfbSrcFmt_t srcFormat,
                        FxU32 srcWidth, FxU32 srcHeight, FxBool pixelPipeline, FxI32 srcStride,
                        void* srcData);

// Combine units.
void grColorCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert);
void grAlphaCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert);
void grTexCombine(GrChipID_t tmu, GrCombineFunction_t rgbFunction, GrCombineFactor_t rgbFactor,
                  GrCombineFunction_t alphaFunction, GrCombineFactor_t alphaFactor, FxBool rgbInvert,
                  FxBool alphaInvert);
void grConstantColorValue(GrColor_t value);  // 0xFFFFFFFF after open

// Textures.
void grTexSource(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info);
void grTexFilterMode(GrChipID_t tmu, GrTextureFilterMode_t minFilter, GrTextureFilterMode_t magFilter);
void grTexClampMode(GrChipID_t tmu, GrTextureClampMode_t sClamp, GrTextureClampMode_t tClamp);
void grTexMipMapMode(GrChipID_t tmu, GrMipMapMode_t mode, FxBool lodBlend);
FxU32 grTexTextureMemRequired(FxU32 evenOdd, GrTexInfo* info);
FxU32 grTexMinAddress(GrChipID_t tmu);
// The highest start address: the unit's memory size - the texture alignment.
FxU32 grTexMaxAddress(GrChipID_t tmu);
// A download outside the unit's memory is dropped.
void grTexDownloadMipMap(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info);

// Pixel pipeline.
void grAlphaBlendFunction(GrAlphaBlendFnc_t rgbSrc, GrAlphaBlendFnc_t rgbDst, GrAlphaBlendFnc_t alphaSrc,
                          GrAlphaBlendFnc_t alphaDst);
void grAlphaTestFunction(GrCmpFnc_t function);
void grAlphaTestReferenceValue(GrAlpha_t value);
// With the key on, pixels whose colour-combine "other" colour equals the key
// colour are not drawn.
void grChromakeyMode(GrChromakeyMode_t mode);
void grChromakeyValue(GrColor_t value);
void grDepthBufferMode(GrDepthBufferMode_t mode);
void grDepthBufferFunction(GrCmpFnc_t function);
void grDepthMask(FxBool mask);
void grDitherMode(GrDitherMode_t mode);  // accepted, no visible effect
void grCullMode(GrCullMode_t mode);
void grEnable(GrEnableMode_t mode);
void grDisable(GrEnableMode_t mode);

// Fog.
void grFogMode(GrFogMode_t mode);
void grFogTable(const GrFog_t table[]);  // grGet(GR_FOG_TABLE_ENTRIES) entries
void grFogColorValue(GrColor_t color);
// A table rising linearly from 0 at w = nearW to 255 at w = farW.
void guFogGenerateLinear(GrFog_t* table, FxFloat nearW, FxFloat farW);
// The w at which table entry i applies.
FxFloat guFogTableIndexToW(int i);

// Drawing: count vertices of the registered layout, stride bytes apart.
void grDrawVertexArrayContiguous(FxU32 mode, FxU32 count, void* vertices, FxU32 stride);

// ---------------------------------------------------------------------------
// Platform side: the virtual board, test hooks, pictures.

namespace platform {

// The board that the next grGlideInit finds. Memory in bytes.
struct GlideBoard {
  bool present = true;  // else grGetString(GR_HARDWARE) is null and nothing opens
  FxU32 fbMemory = 4u << 20;  // GR_MEMORY_FB, per frame-buffer unit
  FxU32 fbCount = 1;          // GR_NUM_FB
  FxU32 umaMemory = 0;        // GR_MEMORY_UMA
  FxU32 tmuCount = 2;         // GR_NUM_TMU, 1 or 2
  FxU32 tmuMemory = 4u << 20; // GR_MEMORY_TMU, per unit (up to 16 MiB)
  // Fault injection: grGet answers nothing (0 bytes) for these queries;
  // grSstWinOpen fails at these resolutions; grSelectContext fails;
  // grSstWinClose fails (the window stays open); grLfbWriteRegion fails.
  std::vector<FxU32> failingQueries;
  std::vector<GrScreenResolution_t> failingResolutions;
  bool failContextSelection = false;
  bool failWindowClose = false;
  bool failFrameBufferWrites = false;
};
void SetGlideBoard(const GlideBoard& board);
const GlideBoard& CurrentGlideBoard();

// Test backend: no OpenGL and no window; every call is recorded with its
// arguments, draws with their decoded vertices and the state they were drawn
// with. Switching either way closes everything and clears the records (the
// board stays).
void UseGlideTestBackend(bool on);

// The decoded state, as grGlideGetState saves it.
struct GlideCombine {
  GrCombineFunction_t function;
  GrCombineFactor_t factor;
  GrCombineLocal_t local;
  GrCombineOther_t other;
  FxBool invert;
};
struct GlideTexCombine {
  GrCombineFunction_t rgbFunction;
  GrCombineFactor_t rgbFactor;
  GrCombineFunction_t alphaFunction;
  GrCombineFactor_t alphaFactor;
  FxBool rgbInvert;
  FxBool alphaInvert;
};
struct GlideTmuState {
  bool sourceSet;
  FxU32 startAddress;
  FxU32 evenOdd;
  GrLOD_t smallLod;
  GrLOD_t largeLod;
  GrAspectRatio_t aspect;
  GrTextureFormat_t format;
  GrTextureFilterMode_t minFilter;
  GrTextureFilterMode_t magFilter;
  GrTextureClampMode_t sClamp;
  GrTextureClampMode_t tClamp;
  GrMipMapMode_t mipMapMode;
  FxBool lodBlend;
  GlideTexCombine combine;
};
struct GlideState {
  GlideCombine colorCombine;
  GlideCombine alphaCombine;
  GlideTmuState tmu[2];
  GrColor_t constantColor;
  GrAlphaBlendFnc_t rgbSrc, rgbDst, alphaSrc, alphaDst;
  GrCmpFnc_t alphaTestFunction;
  GrAlpha_t alphaTestReference;
  GrChromakeyMode_t chromakeyMode;
  GrColor_t chromakeyValue;
  GrDepthBufferMode_t depthMode;
  GrCmpFnc_t depthFunction;
  FxBool depthMask;
  GrDitherMode_t ditherMode;
  GrCullMode_t cullMode;
  GrFogMode_t fogMode;
  GrColor_t fogColor;
  GrFog_t fogTable[64];
  FxU32 clipMinX, clipMinY, clipMaxX, clipMaxY;
  GrCoordinateSpaceMode_t coordinateSpace;
  // Byte offsets of the vertex parameters, -1 when disabled.
  FxI32 offsetXY, offsetZ, offsetQ, offsetPARGB, offsetRGB, offsetA, offsetST0, offsetST1, offsetQ0, offsetQ1;
  FxU32 enables;  // bit n set after grEnable(n)
};
const GlideState& CurrentGlideState();

// One vertex as the layout reads it. Absent parameters: z 0, q 1, colour
// 0xFFFFFFFF, s0 and t0 0; q0 is q; unit 1 takes unit 0's s, t and q.
struct GlideVertex {
  float x, y;
  FxU32 argb;
  float z, q;
  float s0, t0, q0;
  float s1, t1, q1;
};
struct GlideCall {
  std::string function;
  std::vector<double> args;  // every numeric argument, in order
};
struct GlideDraw {
  FxU32 mode;
  std::vector<GlideVertex> vertices;
  GlideState state;
};
const std::vector<GlideCall>& RecordedGlideCalls();
const std::vector<GlideDraw>& RecordedGlideDraws();
void ClearGlideRecords();
// The open window's resolution (0 x 0 when none is open).
void GlideFrameSize(int* width, int* height);
// Bytes of a unit's texture memory (test backend and GL alike).
const std::vector<FxU8>& GlideTextureMemory(GrChipID_t tmu);

// Pictures: 8-bit RGB, rows from the top.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<FxU8> rgb;
};
// The colour buffer as drawn (front = the presented frame), at the frame's
// own resolution. With asShown the gamma of presentation is applied.
// False without an open OpenGL window.
bool GlideReadFrame(GrBuffer_t buffer, bool asShown, Picture* out);
// The presented frame as shown (with gamma) to a PNG file.
bool GlideScreenshot(const std::string& path);
// What the window itself shows: the presented frame scaled, aspect kept,
// black bars (re-presents the front buffer and reads the window back).
bool GlideReadWindow(Picture* out);
// Our own minimal PNG writer (8-bit RGB, stored deflate blocks).
bool WritePng(const std::string& path, const Picture& picture);

// Benchmark helper: the same triangles drawn in one call by a plain OpenGL
// program of its own into the open window's back buffer, cleared first: one
// 16-bit ARGB 1555 texture (width x height texels, sent once) modulated by
// the vertex colour, perspective-correct, blended (rgbSrc, rgbDst as Glide
// factors), depth-tested GEQUAL with writes, then shown as grBufferSwap
// shows a frame. Vertices in the layout of the open Glide window. False
// without an open OpenGL window.
// A swap that asks for the display's rate (grBufferSwap(1)) is held to
// about 60 frames a second by the OpenGL backend, as a display would; the
// benchmarks switch this off to measure the drawing alone.
void UseGlideFramePacing(bool on);

// Benchmark helper: while on, the triangle lists of the OpenGL backend's
// draws are also copied, as sent, into one array (the stride of the first;
// draws of another stride are left out), to be drawn again through
// BenchmarkPlainGLFrame. Switching it on empties the array.
void CaptureGlideTriangles(bool on);
const std::vector<FxU8>& CapturedGlideTriangles();
FxU32 CapturedGlideStride();

bool BenchmarkPlainGLFrame(const void* vertices, FxU32 count, FxU32 stride, const FxU16* texels,
                           int texWidth, int texHeight, GrAlphaBlendFnc_t rgbSrc, GrAlphaBlendFnc_t rgbDst);

}  // namespace platform
