// DirectDraw and Direct3D in the shape the Direct3D renderer was written
// against: driver, mode and device enumeration, a flipping primary surface
// with one back buffer, a Z-buffer, system-memory and texture surfaces, one
// device with its render states and pre-transformed triangle lists, and a
// viewport. The machine behind it is fixed and deterministic (ddraw_machine.h);
// drawing goes to OpenGL (backend_gl.cpp) or, for tests, to a recording
// backend that draws nothing (platform::UseDirectDrawTestBackend).
//
// Differences from the real thing, kept on purpose: there is no exclusive
// display mode switch on today's desktops, so the mode is a frame of its size
// presented scaled into the window; surfaces are never lost unless a test
// asks for it (platform::SetDirectDrawSurfacesLost).
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

// ---- Results ---------------------------------------------------------------

constexpr HRESULT MakeDdResult(int code) { return static_cast<HRESULT>(0x88760000u | static_cast<std::uint32_t>(code)); }

constexpr HRESULT DD_OK = 0;
constexpr HRESULT D3D_OK = 0;
constexpr HRESULT DDENUMRET_CANCEL = 0;
constexpr HRESULT DDENUMRET_OK = 1;
constexpr HRESULT D3DENUMRET_CANCEL = 0;
constexpr HRESULT D3DENUMRET_OK = 1;

constexpr HRESULT E_NOTIMPL_RESULT = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_FAIL_RESULT = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DDERR_UNSUPPORTED = E_NOTIMPL_RESULT;
constexpr HRESULT DDERR_GENERIC = E_FAIL_RESULT;
constexpr HRESULT DDERR_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DDERR_CANNOTATTACHSURFACE = MakeDdResult(10);
constexpr HRESULT DDERR_INVALIDMODE = MakeDdResult(120);
constexpr HRESULT DDERR_INVALIDOBJECT = MakeDdResult(130);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MakeDdResult(145);
constexpr HRESULT DDERR_INVALIDRECT = MakeDdResult(150);
constexpr HRESULT DDERR_NOCOLORKEY = MakeDdResult(215);
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = MakeDdResult(212);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDdResult(225);
constexpr HRESULT DDERR_NOTFOUND = MakeDdResult(255);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MakeDdResult(380);
constexpr HRESULT DDERR_SURFACEALREADYATTACHED = MakeDdResult(410);
constexpr HRESULT DDERR_SURFACEBUSY = MakeDdResult(430);
constexpr HRESULT DDERR_CANTLOCKSURFACE = MakeDdResult(435);
constexpr HRESULT DDERR_SURFACELOST = MakeDdResult(450);
constexpr HRESULT DDERR_WASSTILLDRAWING = MakeDdResult(540);
constexpr HRESULT DDERR_INVALIDDIRECTDRAWGUID = MakeDdResult(561);
constexpr HRESULT DDERR_NODIRECTDRAWHW = MakeDdResult(563);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MakeDdResult(564);
constexpr HRESULT DDERR_EXCLUSIVEMODEALREADYSET = MakeDdResult(581);
constexpr HRESULT DDERR_NOTFLIPPABLE = MakeDdResult(582);
constexpr HRESULT DDERR_NOTLOCKED = MakeDdResult(584);
constexpr HRESULT D3DERR_SCENE_IN_SCENE = MakeDdResult(730);
constexpr HRESULT D3DERR_SCENE_NOT_IN_SCENE = MakeDdResult(731);
constexpr HRESULT D3DERR_SCENE_END_FAILED = MakeDdResult(733);
constexpr HRESULT D3DERR_INVALIDVERTEXFORMAT = MakeDdResult(2048);

// ---- Flags -------------------------------------------------------------------

constexpr DWORD DDSCL_FULLSCREEN = 0x1;
constexpr DWORD DDSCL_ALLOWREBOOT = 0x2;
constexpr DWORD DDSCL_NORMAL = 0x8;
constexpr DWORD DDSCL_EXCLUSIVE = 0x10;
constexpr DWORD DDSCL_FPUSETUP = 0x200;

constexpr DWORD DDSD_CAPS = 0x1;
constexpr DWORD DDSD_HEIGHT = 0x2;
constexpr DWORD DDSD_WIDTH = 0x4;
constexpr DWORD DDSD_PITCH = 0x8;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x20;
constexpr DWORD DDSD_PIXELFORMAT = 0x1000;
constexpr DWORD DDSD_TEXTURESTAGE = 0x100000;

constexpr DWORD DDSCAPS_BACKBUFFER = 0x4;
constexpr DWORD DDSCAPS_COMPLEX = 0x8;
constexpr DWORD DDSCAPS_FLIP = 0x10;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x800;
constexpr DWORD DDSCAPS_TEXTURE = 0x1000;
constexpr DWORD DDSCAPS_3DDEVICE = 0x2000;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x4000;
constexpr DWORD DDSCAPS_ZBUFFER = 0x20000;
constexpr DWORD DDSCAPS_LOCALVIDMEM = 0x10000000;
constexpr DWORD DDSCAPS_ALLOCONLOAD = 0x4000000;
constexpr DWORD DDSCAPS2_OPAQUE = 0x4000;

constexpr DWORD DDPF_ALPHAPIXELS = 0x1;
constexpr DWORD DDPF_PALETTEINDEXED4 = 0x8;
constexpr DWORD DDPF_PALETTEINDEXED8 = 0x20;
constexpr DWORD DDPF_RGB = 0x40;
constexpr DWORD DDPF_ZBUFFER = 0x400;
constexpr DWORD DDPF_STENCILBUFFER = 0x4000;

constexpr DWORD DDBD_8 = 0x800;
constexpr DWORD DDBD_16 = 0x400;
constexpr DWORD DDBD_24 = 0x200;
constexpr DWORD DDBD_32 = 0x100;

constexpr DWORD DDCAPS_3D = 0x1;

constexpr DWORD DDBLT_COLORFILL = 0x400;
constexpr DWORD DDBLT_WAIT = 0x1000000;
constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x0;
constexpr DWORD DDBLTFAST_WAIT = 0x10;
constexpr DWORD DDFLIP_WAIT = 0x1;
constexpr DWORD DDLOCK_WAIT = 0x1;
constexpr DWORD DDCKEY_SRCBLT = 0x8;

constexpr DWORD D3DCOLOR_MONO = 1;
constexpr DWORD D3DCOLOR_RGB = 2;
constexpr DWORD D3DPTEXTURECAPS_PERSPECTIVE = 0x1;
constexpr DWORD D3DPRASTERCAPS_ZBUFFERLESSHSR = 0x8000;
constexpr DWORD D3DPCMPCAPS_NEVER = 0x1;
constexpr DWORD D3DPCMPCAPS_LESS = 0x2;
constexpr DWORD D3DPCMPCAPS_EQUAL = 0x4;
constexpr DWORD D3DPCMPCAPS_LESSEQUAL = 0x8;
constexpr DWORD D3DPCMPCAPS_GREATER = 0x10;
constexpr DWORD D3DPCMPCAPS_NOTEQUAL = 0x20;
constexpr DWORD D3DPCMPCAPS_GREATEREQUAL = 0x40;
constexpr DWORD D3DPCMPCAPS_ALWAYS = 0x80;

constexpr DWORD D3DCLEAR_TARGET = 0x1;
constexpr DWORD D3DCLEAR_ZBUFFER = 0x2;

constexpr DWORD D3DFVF_XYZRHW = 0x4;
constexpr DWORD D3DFVF_DIFFUSE = 0x40;
constexpr DWORD D3DFVF_SPECULAR = 0x80;
constexpr DWORD D3DFVF_TEX1 = 0x100;
constexpr DWORD D3DFVF_TLVERTEX_FORMAT = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;
constexpr DWORD D3DDP_DONOTCLIP = 0x4;
constexpr DWORD D3DDP_DONOTLIGHT = 0x10;

enum D3DPRIMITIVETYPE : DWORD { D3DPT_POINTLIST = 1, D3DPT_TRIANGLELIST = 4 };

// The render states the device keeps (numbered as in DirectX 6).
enum D3DRENDERSTATETYPE : DWORD {
  D3DRENDERSTATE_ANTIALIAS = 2,
  D3DRENDERSTATE_TEXTUREPERSPECTIVE = 4,
  D3DRENDERSTATE_ZENABLE = 7,
  D3DRENDERSTATE_FILLMODE = 8,
  D3DRENDERSTATE_SHADEMODE = 9,
  D3DRENDERSTATE_ZWRITEENABLE = 14,
  D3DRENDERSTATE_ALPHATESTENABLE = 15,
  D3DRENDERSTATE_TEXTUREMAG = 17,
  D3DRENDERSTATE_TEXTUREMIN = 18,
  D3DRENDERSTATE_SRCBLEND = 19,
  D3DRENDERSTATE_DESTBLEND = 20,
  D3DRENDERSTATE_TEXTUREMAPBLEND = 21,
  D3DRENDERSTATE_CULLMODE = 22,
  D3DRENDERSTATE_ZFUNC = 23,
  D3DRENDERSTATE_ALPHAREF = 24,
  D3DRENDERSTATE_ALPHAFUNC = 25,
  D3DRENDERSTATE_DITHERENABLE = 26,
  D3DRENDERSTATE_ALPHABLENDENABLE = 27,
  D3DRENDERSTATE_FOGENABLE = 28,
  D3DRENDERSTATE_SPECULARENABLE = 29,
  D3DRENDERSTATE_ZVISIBLE = 30,
  D3DRENDERSTATE_STIPPLEDALPHA = 33,
  D3DRENDERSTATE_FOGCOLOR = 34,
  D3DRENDERSTATE_EDGEANTIALIAS = 40,
  D3DRENDERSTATE_COLORKEYENABLE = 41,
};
constexpr int D3D_RENDER_STATE_COUNT = 64;

constexpr DWORD D3DSHADE_FLAT = 1;
constexpr DWORD D3DSHADE_GOURAUD = 2;
constexpr DWORD D3DFILL_SOLID = 3;
constexpr DWORD D3DCULL_NONE = 1;
constexpr DWORD D3DCULL_CW = 2;
constexpr DWORD D3DCULL_CCW = 3;
constexpr DWORD D3DFILTER_NEAREST = 1;
constexpr DWORD D3DFILTER_LINEAR = 2;
constexpr DWORD D3DTBLEND_MODULATE = 2;
constexpr DWORD D3DTBLEND_MODULATEALPHA = 4;
constexpr DWORD D3DANTIALIAS_NONE = 0;

constexpr DWORD D3DBLEND_ZERO = 1;
constexpr DWORD D3DBLEND_ONE = 2;
constexpr DWORD D3DBLEND_SRCCOLOR = 3;
constexpr DWORD D3DBLEND_INVSRCCOLOR = 4;
constexpr DWORD D3DBLEND_SRCALPHA = 5;
constexpr DWORD D3DBLEND_INVSRCALPHA = 6;
constexpr DWORD D3DBLEND_DESTALPHA = 7;
constexpr DWORD D3DBLEND_INVDESTALPHA = 8;
constexpr DWORD D3DBLEND_DESTCOLOR = 9;
constexpr DWORD D3DBLEND_INVDESTCOLOR = 10;

constexpr DWORD D3DCMP_NEVER = 1;
constexpr DWORD D3DCMP_LESS = 2;
constexpr DWORD D3DCMP_EQUAL = 3;
constexpr DWORD D3DCMP_LESSEQUAL = 4;
constexpr DWORD D3DCMP_GREATER = 5;
constexpr DWORD D3DCMP_NOTEQUAL = 6;
constexpr DWORD D3DCMP_GREATEREQUAL = 7;
constexpr DWORD D3DCMP_ALWAYS = 8;

// ---- Records -------------------------------------------------------------------

struct RECT {
  LONG left;
  LONG top;
  LONG right;   // exclusive
  LONG bottom;  // exclusive
};

struct DDPIXELFORMAT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwFourCC;
  DWORD dwRGBBitCount;  // also the Z bit depth of a Z format
  DWORD dwRBitMask;
  DWORD dwGBitMask;
  DWORD dwBBitMask;
  DWORD dwRGBAlphaBitMask;
};

struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
};

struct DDSCAPS2 {
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCaps3;
  DWORD dwCaps4;
};

struct DDSURFACEDESC2 {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  LONG lPitch;
  DWORD dwBackBufferCount;
  DWORD dwTextureStage;
  void* lpSurface;
  DDCOLORKEY ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS2 ddsCaps;
};

// The caps record; its real layout is 380 bytes, kept so that its size field
// can be checked as the callers set it.
struct DDCAPS {
  DWORD dwSize;
  DWORD dwCaps;
  DWORD dwVidMemTotal;
  DWORD dwVidMemFree;
  BYTE reserved[380 - 16];
};
static_assert(sizeof(DDCAPS) == 380);

struct D3DPRIMCAPS {
  DWORD dwSize;
  DWORD dwMiscCaps;
  DWORD dwRasterCaps;
  DWORD dwZCmpCaps;
  DWORD dwSrcBlendCaps;
  DWORD dwDestBlendCaps;
  DWORD dwAlphaCmpCaps;
  DWORD dwShadeCaps;
  DWORD dwTextureCaps;
  DWORD dwTextureFilterCaps;
  DWORD dwTextureBlendCaps;
  DWORD dwTextureAddressCaps;
  DWORD dwStippleWidth;
  DWORD dwStippleHeight;
};

// The device description of DirectX 6 (252 bytes); the fields the game reads
// are named, the rest is padding of the same size.
struct D3DDEVICEDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dcmColorModel;
  DWORD dwDevCaps;
  BYTE transformCapsAndLighting[28];
  BYTE bClipping;
  BYTE padding[3];
  D3DPRIMCAPS dpcLineCaps;
  D3DPRIMCAPS dpcTriCaps;
  DWORD dwDeviceRenderBitDepth;
  DWORD dwDeviceZBufferBitDepth;
  DWORD dwMaxBufferSize;
  DWORD dwMaxVertexCount;
  DWORD dwMinTextureWidth;
  DWORD dwMinTextureHeight;
  DWORD dwMaxTextureWidth;
  DWORD dwMaxTextureHeight;
  BYTE rest[252 - 192];
};
static_assert(sizeof(D3DDEVICEDESC) == 252);

struct D3DVIEWPORT2 {
  DWORD dwSize;
  DWORD dwX;
  DWORD dwY;
  DWORD dwWidth;
  DWORD dwHeight;
  float dvClipX;
  float dvClipY;
  float dvClipWidth;
  float dvClipHeight;
  float dvMinZ;
  float dvMaxZ;
};

struct D3DRECT {
  LONG x1;
  LONG y1;
  LONG x2;  // exclusive
  LONG y2;  // exclusive
};

// One pre-transformed vertex of the 32-byte format D3DFVF_TLVERTEX_FORMAT.
struct D3DTLVERTEX {
  float sx;
  float sy;
  float sz;   // depth 0..1, smaller nearer
  float rhw;  // 1/w
  DWORD color;     // diffuse ARGB
  DWORD specular;  // RGB added when enabled; its alpha is the fog factor (255 no fog)
  float tu;
  float tv;
};
static_assert(sizeof(D3DTLVERTEX) == 32);

struct D3DSTATS {
  DWORD dwSize;
  DWORD dwTrianglesDrawn;
  DWORD dwLinesDrawn;
  DWORD dwPointsDrawn;
  DWORD dwSpansDrawn;
  DWORD dwVerticesProcessed;
};

// ---- Objects -------------------------------------------------------------------

class IDirectDraw4;
class IDirectDrawSurface4;
class IDirect3D3;
class IDirect3DDevice3;
class IDirect3DViewport3;
class IDirect3DTexture2;

// Interface identifiers the objects answer to in QueryInterface.
extern const GUID IID_IDirectDraw4;
extern const GUID IID_IDirect3D3;
extern const GUID IID_IDirect3DTexture2;

using LPDDENUMCALLBACKA = BOOL (*)(GUID* guid, char* description, char* name, void* context);
using LPDDENUMMODESCALLBACK2 = HRESULT (*)(DDSURFACEDESC2* mode, void* context);
using LPD3DENUMDEVICESCALLBACK = HRESULT (*)(GUID* guid, char* description, char* name, D3DDEVICEDESC* hardware,
                                             D3DDEVICEDESC* emulation, void* context);
using LPD3DENUMPIXELFORMATSCALLBACK = HRESULT (*)(DDPIXELFORMAT* format, void* context);

HRESULT DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, void* context);
// The first DirectDraw object of a driver (null: the primary driver). Its only
// use is QueryInterface for IDirectDraw4, as in DirectX 6.
class IDirectDraw;
HRESULT DirectDrawCreate(GUID* guid, IDirectDraw** out, void* outer);

// Reference counting shared by every object.
class DirectDrawObject {
 public:
  virtual ~DirectDrawObject() = default;
  DWORD AddRef() { return ++references_; }
  // Releases made by the callers are recorded (not those an object makes
  // of what it holds while it goes).
  DWORD Release();

 protected:
  virtual void RecordRelease() {}
  DWORD references_ = 1;
};

class IDirectDraw : public DirectDrawObject {
 public:
  HRESULT QueryInterface(REFIID iid, void** out);
  int driver = 0;
};

class IDirectDraw4 : public DirectDrawObject {
 public:
  void RecordRelease() override;
  ~IDirectDraw4() override;
  HRESULT QueryInterface(REFIID iid, void** out);
  HRESULT GetCaps(DDCAPS* hardware, DDCAPS* emulation);
  HRESULT EnumDisplayModes(DWORD flags, DDSURFACEDESC2* pattern, void* context, LPDDENUMMODESCALLBACK2 callback);
  HRESULT SetCooperativeLevel(HWND window, DWORD flags);
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refresh, DWORD flags);
  HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** out, void* outer);
  HRESULT GetAvailableVidMem(DDSCAPS2* caps, DWORD* total, DWORD* free);
  HRESULT FlipToGDISurface();
  int driver = 0;
};

class IDirectDrawSurface4 : public DirectDrawObject {
 public:
  void RecordRelease() override;
  ~IDirectDrawSurface4() override;
  HRESULT QueryInterface(REFIID iid, void** out);
  HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface4** out);
  HRESULT AddAttachedSurface(IDirectDrawSurface4* surface);
  HRESULT GetSurfaceDesc(DDSURFACEDESC2* out);
  HRESULT Lock(RECT* rect, DDSURFACEDESC2* out, DWORD flags, HANDLE event);
  HRESULT Unlock(RECT* rect);
  HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key);
  HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key);
  HRESULT Blt(RECT* destination, IDirectDrawSurface4* source, RECT* sourceRect, DWORD flags, void* fx);
  HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface4* source, RECT* sourceRect, DWORD flags);
  HRESULT Flip(IDirectDrawSurface4* override, DWORD flags);
  HRESULT IsLost();
  HRESULT Restore();

  // Inside the layer.
  struct State;
  State* state = nullptr;
};

class IDirect3D3 : public DirectDrawObject {
 public:
  void RecordRelease() override;
  ~IDirect3D3() override;
  HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK callback, void* context);
  HRESULT EnumZBufferFormats(const GUID& device, LPD3DENUMPIXELFORMATSCALLBACK callback, void* context);
  HRESULT CreateDevice(const GUID& device, IDirectDrawSurface4* target, IDirect3DDevice3** out, void* outer);
  HRESULT CreateViewport(IDirect3DViewport3** out, void* outer);
  int driver = 0;
};

class IDirect3DViewport3 : public DirectDrawObject {
 public:
  void RecordRelease() override;
  ~IDirect3DViewport3() override;
  HRESULT SetViewport2(D3DVIEWPORT2* viewport);
  // Clears the rectangles (right and bottom edges exclusive) of the viewport.
  HRESULT Clear2(DWORD count, D3DRECT* rects, DWORD flags, DWORD colour, float z, DWORD stencil);

  IDirect3DDevice3* device = nullptr;  // set by AddViewport
  D3DVIEWPORT2 viewport{};
  bool viewportSet = false;
};

class IDirect3DTexture2 : public DirectDrawObject {
 public:
  ~IDirect3DTexture2() override;
  // Copies the source texture's texels and colour key into this one.
  HRESULT Load(IDirect3DTexture2* source);
  IDirectDrawSurface4* surface = nullptr;  // held, not counted
};

class IDirect3DDevice3 : public DirectDrawObject {
 public:
  void RecordRelease() override;
  ~IDirect3DDevice3() override;
  HRESULT GetCaps(D3DDEVICEDESC* hardware, D3DDEVICEDESC* emulation);
  HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context);
  HRESULT AddViewport(IDirect3DViewport3* viewport);
  HRESULT SetCurrentViewport(IDirect3DViewport3* viewport);
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
  HRESULT SetTexture(DWORD stage, IDirect3DTexture2* texture);
  HRESULT BeginScene();
  HRESULT EndScene();
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, void* vertices, DWORD count, DWORD flags);
  HRESULT GetStats(D3DSTATS* out);

  int driver = 0;
  int device = 0;
  IDirectDrawSurface4* target = nullptr;  // counted
  IDirect3DViewport3* current = nullptr;  // counted
  IDirect3DTexture2* texture = nullptr;   // counted
  DWORD states[D3D_RENDER_STATE_COUNT] = {};
  bool inScene = false;
  D3DSTATS stats{};
};
