// The DirectDraw and Direct3D objects over the fixed machine and the backend.
#include "platform/ddraw/ddraw.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/ddraw/backend.h"
#include "platform/ddraw/ddraw_machine.h"
#include "platform/win32/timer.h"

const GUID IID_IDirectDraw4 = {0x9c59509a, 0x39bd, 0x11d1, {0x8c, 0x4a, 0x00, 0xc0, 0x4f, 0xd9, 0x30, 0xc5}};
const GUID IID_IDirect3D3 = {0xbb223240, 0xe72b, 0x11d0, {0xa9, 0xb4, 0x00, 0xaa, 0x00, 0xc0, 0x99, 0x3e}};
const GUID IID_IDirect3DTexture2 = {0x93281502, 0x8cf8, 0x11d0, {0x89, 0xab, 0x00, 0xa0, 0xc9, 0x05, 0x41, 0x29}};

namespace {

enum SurfaceKind { SURFACE_PRIMARY = 1, SURFACE_BACK = 2, SURFACE_Z = 3, SURFACE_PLAIN = 4, SURFACE_TEXTURE = 5 };

bool g_testBackend = false;
bool g_lostSwitch = false;
bool g_framePacing = true;
std::vector<platform::DirectDrawCall> g_calls;
std::vector<platform::DirectDrawDraw> g_draws;

// The display: one cooperative level, one mode, one flipping chain.
struct Display {
  HWND window = nullptr;
  bool exclusive = false;
  DWORD width = 0;
  DWORD height = 0;
  DWORD bits = 0;
  IDirectDrawSurface4* primary = nullptr;  // not counted
  DWORD textureBytes = 0;                  // video memory taken by textures
  int objects = 0;                         // live DirectDraw objects
} g_display;

std::vector<IDirectDrawSurface4*> g_surfaces;  // every live surface

ddraw::Backend& Backend() { return g_testBackend ? ddraw::NullBackend() : ddraw::GlBackend(); }

void Record(const char* function, std::initializer_list<double> args) {
  if (g_testBackend) g_calls.push_back({function, std::vector<double>(args)});
}

const platform::DirectDrawMachine& Machine() { return platform::CurrentDirectDrawMachine(); }

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool ValidDriver(int d) { return d >= 0 && d < static_cast<int>(Machine().drivers.size()); }

int MaskShift(DWORD mask) {
  if (mask == 0) return 0;
  int s = 0;
  while (!(mask & 1u)) {
    mask >>= 1;
    ++s;
  }
  return s;
}

int MaskWidth(DWORD mask) {
  mask >>= MaskShift(mask);
  int n = 0;
  while (mask & 1u) {
    mask >>= 1;
    ++n;
  }
  return n;
}

// A channel of a packed pixel as 0..255.
std::uint8_t Expand(DWORD pixel, DWORD mask) {
  const int width = MaskWidth(mask);
  if (width == 0) return 0;
  const DWORD v = (pixel & mask) >> MaskShift(mask);
  const DWORD max = (1u << width) - 1u;
  return static_cast<std::uint8_t>((v * 255u + max / 2u) / max);
}

D3DDEVICEDESC DeviceDesc(const platform::Direct3DDeviceSpec& d, bool hardwareSide) {
  D3DDEVICEDESC desc{};
  desc.dwSize = sizeof desc;
  // A software device reports an empty hardware description (colour model 0).
  if (hardwareSide != d.hardware) return desc;
  desc.dcmColorModel = d.colourModel;
  desc.dpcTriCaps.dwSize = sizeof desc.dpcTriCaps;
  desc.dpcTriCaps.dwTextureCaps = d.textureCaps;
  desc.dpcTriCaps.dwRasterCaps = d.rasterCaps;
  desc.dpcTriCaps.dwAlphaCmpCaps = d.alphaCompareCaps;
  desc.dpcTriCaps.dwZCmpCaps = d.alphaCompareCaps;
  desc.dwDeviceRenderBitDepth = d.renderBitDepths;
  desc.dwDeviceZBufferBitDepth = d.zBufferBitDepths;
  desc.dwMaxTextureWidth = d.maxTextureSize;
  desc.dwMaxTextureHeight = d.maxTextureSize;
  desc.dwMinTextureWidth = d.maxTextureSize ? 1 : 0;
  desc.dwMinTextureHeight = d.maxTextureSize ? 1 : 0;
  return desc;
}

}  // namespace

struct IDirectDrawSurface4::State {
  SurfaceKind kind = SURFACE_PLAIN;
  DDSURFACEDESC2 desc{};
  std::vector<std::uint8_t> pixels;  // system-memory and texture surfaces
  bool hasKey = false;
  DWORD key = 0;
  bool lost = false;
  bool locked = false;
  IDirectDrawSurface4* back = nullptr;  // primary: its back buffer (counted)
  IDirectDrawSurface4* z = nullptr;     // back buffer: its Z-buffer (counted)
  IDirect3DTexture2* texture = nullptr; // texture surfaces: their interface (not counted)
  std::uint32_t backendTexture = 0;
  DWORD videoBytes = 0;
};

DWORD DirectDrawObject::Release() {
  static int nesting = 0;
  if (nesting == 0) RecordRelease();
  ++nesting;
  const DWORD left = --references_;
  if (left == 0) delete this;
  --nesting;
  return left;
}

void IDirectDraw4::RecordRelease() { Record("IDirectDraw4::Release", {}); }
void IDirectDrawSurface4::RecordRelease() { Record("IDirectDrawSurface4::Release", {static_cast<double>(state->kind)}); }
void IDirect3D3::RecordRelease() { Record("IDirect3D3::Release", {}); }
void IDirect3DViewport3::RecordRelease() { Record("IDirect3DViewport3::Release", {}); }
void IDirect3DDevice3::RecordRelease() { Record("IDirect3DDevice3::Release", {}); }

// ---- Enumeration and creation ------------------------------------------------------

HRESULT DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, void* context) {
  Record("DirectDrawEnumerateA", {});
  for (const platform::DirectDrawDriverSpec& d : Machine().drivers) {
    GUID guid = d.guid;
    std::vector<char> description(d.description.begin(), d.description.end());
    description.push_back('\0');
    std::vector<char> name(d.name.begin(), d.name.end());
    name.push_back('\0');
    if (!callback(d.primary ? nullptr : &guid, description.data(), name.data(), context)) break;
  }
  return DD_OK;
}

HRESULT DirectDrawCreate(GUID* guid, IDirectDraw** out, void*) {
  *out = nullptr;
  const auto& drivers = Machine().drivers;
  for (int i = 0; i < static_cast<int>(drivers.size()); ++i) {
    const bool match = guid == nullptr ? drivers[i].primary : !drivers[i].primary && SameGuid(*guid, drivers[i].guid);
    if (!match) continue;
    Record("DirectDrawCreate", {static_cast<double>(i)});
    if (drivers[i].failsCreate) return DDERR_NODIRECTDRAWHW;
    auto* dd = new IDirectDraw;
    dd->driver = i;
    *out = dd;
    return DD_OK;
  }
  return DDERR_INVALIDDIRECTDRAWGUID;
}

HRESULT IDirectDraw::QueryInterface(REFIID iid, void** out) {
  *out = nullptr;
  if (!SameGuid(iid, IID_IDirectDraw4)) return DDERR_UNSUPPORTED;
  auto* dd = new IDirectDraw4;
  dd->driver = driver;
  ++g_display.objects;
  *out = dd;
  return DD_OK;
}

IDirectDraw4::~IDirectDraw4() {
  if (--g_display.objects == 0) {
    g_display.exclusive = false;
    g_display.window = nullptr;
  }
}

HRESULT IDirectDraw4::QueryInterface(REFIID iid, void** out) {
  *out = nullptr;
  if (!SameGuid(iid, IID_IDirect3D3)) return DDERR_UNSUPPORTED;
  auto* d3d = new IDirect3D3;
  d3d->driver = driver;
  *out = d3d;
  return DD_OK;
}

HRESULT IDirectDraw4::GetCaps(DDCAPS* hardware, DDCAPS* emulation) {
  if (!ValidDriver(driver)) return DDERR_INVALIDOBJECT;
  for (DDCAPS* caps : {hardware, emulation}) {
    if (caps == nullptr) continue;
    if (caps->dwSize != sizeof(DDCAPS)) return DDERR_INVALIDPARAMS;
    std::memset(reinterpret_cast<BYTE*>(caps) + sizeof(DWORD), 0, sizeof(DDCAPS) - sizeof(DWORD));
  }
  if (hardware) {
    hardware->dwCaps = Machine().drivers[driver].hardwareCaps;
    hardware->dwVidMemTotal = Machine().textureMemory;
    hardware->dwVidMemFree = Machine().textureMemory - std::min(g_display.textureBytes, Machine().textureMemory);
  }
  return DD_OK;
}

HRESULT IDirectDraw4::EnumDisplayModes(DWORD, DDSURFACEDESC2*, void* context, LPDDENUMMODESCALLBACK2 callback) {
  if (!ValidDriver(driver)) return DDERR_INVALIDOBJECT;
  for (const platform::DirectDrawMode& m : Machine().drivers[driver].modes) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.dwWidth = m.width;
    desc.dwHeight = m.height;
    desc.ddpfPixelFormat = m.bitsPerPixel == 16 ? platform::RgbPixelFormat(16, 0xF800, 0x07E0, 0x001F, 0)
                                                : platform::RgbPixelFormat(m.bitsPerPixel, 0xFF0000, 0xFF00, 0xFF, 0);
    if (m.bitsPerPixel == 8) desc.ddpfPixelFormat = {sizeof(DDPIXELFORMAT), DDPF_PALETTEINDEXED8, 0, 8, 0, 0, 0, 0};
    if (callback(&desc, context) == DDENUMRET_CANCEL) break;
  }
  return DD_OK;
}

HRESULT IDirectDraw4::SetCooperativeLevel(HWND window, DWORD flags) {
  Record("IDirectDraw4::SetCooperativeLevel", {static_cast<double>(flags)});
  const bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
  if (exclusive && (flags & DDSCL_FULLSCREEN) == 0) return DDERR_INVALIDPARAMS;
  if (exclusive && g_display.exclusive) return DDERR_EXCLUSIVEMODEALREADYSET;
  g_display.exclusive = exclusive;
  if (window) g_display.window = window;
  return DD_OK;
}

HRESULT IDirectDraw4::SetDisplayMode(DWORD width, DWORD height, DWORD bits, DWORD, DWORD) {
  Record("IDirectDraw4::SetDisplayMode", {static_cast<double>(width), static_cast<double>(height),
                                          static_cast<double>(bits)});
  if (!g_display.exclusive) return DDERR_NOEXCLUSIVEMODE;
  if (Machine().failSetDisplayMode) return DDERR_INVALIDMODE;
  const auto& modes = Machine().drivers[driver].modes;
  const bool offered = std::any_of(modes.begin(), modes.end(), [&](const platform::DirectDrawMode& m) {
    return m.width == width && m.height == height && m.bitsPerPixel == bits;
  });
  if (!offered) return DDERR_INVALIDMODE;
  g_display.width = width;
  g_display.height = height;
  g_display.bits = bits;
  return DD_OK;
}

HRESULT IDirectDraw4::GetAvailableVidMem(DDSCAPS2* caps, DWORD* total, DWORD* free) {
  Record("IDirectDraw4::GetAvailableVidMem", {static_cast<double>(caps ? caps->dwCaps : 0)});
  const DWORD budget = Machine().textureMemory;
  if (total) *total = budget;
  if (free) *free = budget - std::min(g_display.textureBytes, budget);
  return DD_OK;
}

HRESULT IDirectDraw4::FlipToGDISurface() {
  Record("IDirectDraw4::FlipToGDISurface", {});
  return DD_OK;
}

HRESULT IDirectDraw4::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** out, void*) {
  *out = nullptr;
  const DWORD caps = desc->ddsCaps.dwCaps;
  Record("IDirectDraw4::CreateSurface", {static_cast<double>(caps), static_cast<double>(desc->dwWidth),
                                         static_cast<double>(desc->dwHeight)});
  auto make = [](SurfaceKind kind, const DDSURFACEDESC2& d) {
    auto* s = new IDirectDrawSurface4;
    s->state = new IDirectDrawSurface4::State;
    s->state->kind = kind;
    s->state->desc = d;
    s->state->desc.dwSize = sizeof(DDSURFACEDESC2);
    g_surfaces.push_back(s);
    return s;
  };
  const auto displayFormat = [] {
    return g_display.bits == 16 ? platform::RgbPixelFormat(16, 0xF800, 0x07E0, 0x001F, 0)
                                : platform::RgbPixelFormat(32, 0xFF0000, 0xFF00, 0xFF, 0);
  };
  if (caps & DDSCAPS_PRIMARYSURFACE) {
    if (!g_display.exclusive || g_display.width == 0) return DDERR_NOEXCLUSIVEMODE;
    if (g_display.primary) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    if (!Backend().FrameOpen() && !Backend().OpenFrame(g_display.window, static_cast<int>(g_display.width),
                                                       static_cast<int>(g_display.height)))
      return DDERR_GENERIC;
    DDSURFACEDESC2 d = *desc;
    d.dwWidth = g_display.width;
    d.dwHeight = g_display.height;
    d.ddpfPixelFormat = displayFormat();
    d.ddsCaps.dwCaps = caps | DDSCAPS_VIDEOMEMORY;
    IDirectDrawSurface4* primary = make(SURFACE_PRIMARY, d);
    d.ddsCaps.dwCaps = DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE |
                       (Machine().backBufferInSystemMemory ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_VIDEOMEMORY);
    primary->state->back = make(SURFACE_BACK, d);
    g_display.primary = primary;
    *out = primary;
    return DD_OK;
  }
  if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) || desc->dwWidth == 0 ||
      desc->dwHeight == 0 || desc->dwWidth > 4096 || desc->dwHeight > 4096)
    return DDERR_INVALIDPARAMS;
  if (caps & DDSCAPS_ZBUFFER) {
    if (Machine().failCreateZBuffer) return DDERR_OUTOFVIDEOMEMORY;
    DDSURFACEDESC2 d = *desc;
    if ((caps & DDSCAPS_VIDEOMEMORY) && Machine().zBufferInSystemMemory)
      d.ddsCaps.dwCaps = (caps & ~DDSCAPS_VIDEOMEMORY) | DDSCAPS_SYSTEMMEMORY;
    *out = make(SURFACE_Z, d);
    return DD_OK;
  }
  DDSURFACEDESC2 d = *desc;
  if (!(desc->dwFlags & DDSD_PIXELFORMAT)) d.ddpfPixelFormat = displayFormat();
  const DWORD bits = d.ddpfPixelFormat.dwRGBBitCount;
  if (bits != 16 && bits != 32) return DDERR_INVALIDPIXELFORMAT;
  const DWORD bytes = desc->dwWidth * desc->dwHeight * (bits / 8);
  if ((caps & DDSCAPS_TEXTURE) && (caps & DDSCAPS_VIDEOMEMORY)) {
    if (bytes > Machine().textureMemory - std::min(g_display.textureBytes, Machine().textureMemory))
      return DDERR_OUTOFVIDEOMEMORY;
  }
  if (!(caps & (DDSCAPS_VIDEOMEMORY | DDSCAPS_SYSTEMMEMORY))) d.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
  IDirectDrawSurface4* s = make((caps & DDSCAPS_TEXTURE) ? SURFACE_TEXTURE : SURFACE_PLAIN, d);
  s->state->desc.lPitch = static_cast<LONG>(desc->dwWidth * (bits / 8));
  s->state->desc.dwFlags |= DDSD_PITCH | DDSD_PIXELFORMAT;
  s->state->pixels.assign(bytes, 0);
  if (caps & DDSCAPS_TEXTURE) {
    auto* t = new IDirect3DTexture2;
    t->surface = s;
    s->state->texture = t;
    if (caps & DDSCAPS_VIDEOMEMORY) {
      s->state->videoBytes = bytes;
      g_display.textureBytes += bytes;
    }
  }
  *out = s;
  return DD_OK;
}

// ---- Surfaces ---------------------------------------------------------------------------

IDirectDrawSurface4::~IDirectDrawSurface4() {
  if (state->kind == SURFACE_PRIMARY) {
    if (state->back) state->back->Release();
    g_display.primary = nullptr;
    Backend().CloseFrame();
  }
  if (state->kind == SURFACE_BACK && state->z) {
    state->z->Release();
    Backend().SetDepthBits(0);
  }
  if (state->backendTexture) Backend().DeleteTexture(state->backendTexture);
  g_display.textureBytes -= std::min(g_display.textureBytes, state->videoBytes);
  if (state->texture) {
    state->texture->surface = nullptr;
    state->texture->Release();
  }
  g_surfaces.erase(std::remove(g_surfaces.begin(), g_surfaces.end(), this), g_surfaces.end());
  delete state;
}

HRESULT IDirectDrawSurface4::QueryInterface(REFIID iid, void** out) {
  *out = nullptr;
  if (!SameGuid(iid, IID_IDirect3DTexture2) || !state->texture) return DDERR_UNSUPPORTED;
  state->texture->AddRef();
  *out = state->texture;
  return DD_OK;
}

HRESULT IDirectDrawSurface4::GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface4** out) {
  *out = nullptr;
  IDirectDrawSurface4* found = nullptr;
  if ((caps->dwCaps & DDSCAPS_BACKBUFFER) && state->back) found = state->back;
  if ((caps->dwCaps & DDSCAPS_ZBUFFER) && state->z) found = state->z;
  if (!found) return DDERR_NOTFOUND;
  found->AddRef();
  *out = found;
  return DD_OK;
}

HRESULT IDirectDrawSurface4::AddAttachedSurface(IDirectDrawSurface4* surface) {
  Record("IDirectDrawSurface4::AddAttachedSurface", {static_cast<double>(surface->state->kind)});
  if (state->kind != SURFACE_BACK || surface->state->kind != SURFACE_Z) return DDERR_CANNOTATTACHSURFACE;
  if (state->z) return DDERR_SURFACEALREADYATTACHED;
  surface->AddRef();
  state->z = surface;
  Backend().SetDepthBits(static_cast<int>(surface->state->desc.ddpfPixelFormat.dwRGBBitCount));
  return DD_OK;
}

HRESULT IDirectDrawSurface4::GetSurfaceDesc(DDSURFACEDESC2* out) {
  *out = state->desc;
  return DD_OK;
}

HRESULT IDirectDrawSurface4::Lock(RECT*, DDSURFACEDESC2* out, DWORD, HANDLE) {
  if (state->lost) return DDERR_SURFACELOST;
  if (state->pixels.empty()) return DDERR_CANTLOCKSURFACE;
  if (state->locked) return DDERR_SURFACEBUSY;
  state->locked = true;
  *out = state->desc;
  out->lpSurface = state->pixels.data();
  return DD_OK;
}

HRESULT IDirectDrawSurface4::Unlock(RECT*) {
  if (!state->locked) return DDERR_NOTLOCKED;
  state->locked = false;
  return DD_OK;
}

HRESULT IDirectDrawSurface4::SetColorKey(DWORD flags, DDCOLORKEY* key) {
  Record("IDirectDrawSurface4::SetColorKey", {static_cast<double>(flags), static_cast<double>(key ? key->dwColorSpaceLowValue : 0)});
  if (!(flags & DDCKEY_SRCBLT)) return DDERR_INVALIDPARAMS;
  state->hasKey = key != nullptr;
  state->key = key ? key->dwColorSpaceLowValue : 0;
  return DD_OK;
}

HRESULT IDirectDrawSurface4::GetColorKey(DWORD flags, DDCOLORKEY* key) {
  if (!(flags & DDCKEY_SRCBLT) || !key) return DDERR_INVALIDPARAMS;
  if (!state->hasKey) return DDERR_NOCOLORKEY;
  key->dwColorSpaceLowValue = key->dwColorSpaceHighValue = state->key;
  return DD_OK;
}

HRESULT IDirectDrawSurface4::Blt(RECT* destination, IDirectDrawSurface4*, RECT*, DWORD flags, void* fx) {
  const DWORD colour = fx ? *static_cast<DWORD*>(fx) : 0;
  Record("IDirectDrawSurface4::Blt", {static_cast<double>(state->kind), static_cast<double>(flags),
                                      static_cast<double>(colour)});
  if (state->lost) return DDERR_SURFACELOST;
  if (!(flags & DDBLT_COLORFILL)) return DDERR_UNSUPPORTED;
  if (state->kind != SURFACE_PRIMARY && state->kind != SURFACE_BACK) return DDERR_UNSUPPORTED;
  D3DRECT r{0, 0, static_cast<LONG>(state->desc.dwWidth), static_cast<LONG>(state->desc.dwHeight)};
  if (destination) r = {destination->left, destination->top, destination->right, destination->bottom};
  // The fill value is a pixel of the display's format.
  const DDPIXELFORMAT& f = state->desc.ddpfPixelFormat;
  const DWORD argb = 0xFF000000u | static_cast<DWORD>(Expand(colour, f.dwRBitMask)) << 16 |
                     static_cast<DWORD>(Expand(colour, f.dwGBitMask)) << 8 | Expand(colour, f.dwBBitMask);
  Backend().Clear(state->kind == SURFACE_PRIMARY, r, true, argb, false, 1.0f);
  return DD_OK;
}

HRESULT IDirectDrawSurface4::BltFast(DWORD x, DWORD y, IDirectDrawSurface4* source, RECT* sourceRect, DWORD flags) {
  Record("IDirectDrawSurface4::BltFast", {static_cast<double>(state->kind), static_cast<double>(x),
                                          static_cast<double>(y), static_cast<double>(flags)});
  if (state->lost || source->state->lost) return DDERR_SURFACELOST;
  if (state->kind != SURFACE_BACK || source->state->pixels.empty()) return DDERR_UNSUPPORTED;
  const DDSURFACEDESC2& sd = source->state->desc;
  RECT r{0, 0, static_cast<LONG>(sd.dwWidth), static_cast<LONG>(sd.dwHeight)};
  if (sourceRect) r = *sourceRect;
  if (r.left < 0 || r.top < 0 || r.right > static_cast<LONG>(sd.dwWidth) || r.bottom > static_cast<LONG>(sd.dwHeight) ||
      r.left >= r.right || r.top >= r.bottom)
    return DDERR_INVALIDRECT;
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  if (x + static_cast<DWORD>(w) > state->desc.dwWidth || y + static_cast<DWORD>(h) > state->desc.dwHeight)
    return DDERR_INVALIDRECT;
  const DDPIXELFORMAT& f = sd.ddpfPixelFormat;
  const int bytes = static_cast<int>(f.dwRGBBitCount / 8);
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
  for (int j = 0; j < h; ++j) {
    const std::uint8_t* row = source->state->pixels.data() + static_cast<std::size_t>(r.top + j) * sd.lPitch;
    for (int i = 0; i < w; ++i) {
      DWORD p = 0;
      std::memcpy(&p, row + static_cast<std::size_t>(r.left + i) * bytes, bytes);
      std::uint8_t* o = &rgba[(static_cast<std::size_t>(j) * w + i) * 4];
      o[0] = Expand(p, f.dwRBitMask);
      o[1] = Expand(p, f.dwGBitMask);
      o[2] = Expand(p, f.dwBBitMask);
      o[3] = 255;
    }
  }
  Backend().WriteBack(static_cast<int>(x), static_cast<int>(y), w, h, rgba);
  return DD_OK;
}

HRESULT IDirectDrawSurface4::Flip(IDirectDrawSurface4*, DWORD flags) {
  Record("IDirectDrawSurface4::Flip", {static_cast<double>(flags)});
  if (state->kind != SURFACE_PRIMARY) return DDERR_NOTFLIPPABLE;
  if (state->lost || (state->back && state->back->state->lost)) return DDERR_SURFACELOST;
  if (Machine().flipResult != DD_OK) return Machine().flipResult;
  Backend().Flip();
  // A flip that waits is held to the display's 60 Hz, as a monitor holds it.
  static platform::FramePacer pacer{1000.0 / 60.0};
  if ((flags & DDFLIP_WAIT) && g_framePacing && !g_testBackend) pacer.Wait();
  return DD_OK;
}

HRESULT IDirectDrawSurface4::IsLost() {
  Record("IDirectDrawSurface4::IsLost", {static_cast<double>(state->kind)});
  return state->lost ? DDERR_SURFACELOST : DD_OK;
}

HRESULT IDirectDrawSurface4::Restore() {
  Record("IDirectDrawSurface4::Restore", {static_cast<double>(state->kind)});
  state->lost = false;
  return DD_OK;
}

// ---- Direct3D ------------------------------------------------------------------------------

IDirect3D3::~IDirect3D3() = default;

HRESULT IDirect3D3::EnumDevices(LPD3DENUMDEVICESCALLBACK callback, void* context) {
  if (!ValidDriver(driver)) return DDERR_INVALIDOBJECT;
  for (const platform::Direct3DDeviceSpec& d : Machine().drivers[driver].devices) {
    GUID guid = d.guid;
    D3DDEVICEDESC hardware = DeviceDesc(d, true);
    D3DDEVICEDESC emulation = DeviceDesc(d, false);
    std::vector<char> description(d.description.begin(), d.description.end());
    description.push_back('\0');
    std::vector<char> name(d.name.begin(), d.name.end());
    name.push_back('\0');
    if (callback(&guid, description.data(), name.data(), &hardware, &emulation, context) == D3DENUMRET_CANCEL) break;
  }
  return D3D_OK;
}

HRESULT IDirect3D3::EnumZBufferFormats(const GUID&, LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) {
  if (Machine().failEnumZBufferFormats) return DDERR_GENERIC;
  for (DDPIXELFORMAT f : Machine().zFormats) {
    if (callback(&f, context) == D3DENUMRET_CANCEL) break;
  }
  return D3D_OK;
}

HRESULT IDirect3D3::CreateDevice(const GUID& guid, IDirectDrawSurface4* target, IDirect3DDevice3** out, void*) {
  *out = nullptr;
  Record("IDirect3D3::CreateDevice", {});
  if (!ValidDriver(driver) || Machine().failCreateDevice) return DDERR_GENERIC;
  const auto& devices = Machine().drivers[driver].devices;
  for (int i = 0; i < static_cast<int>(devices.size()); ++i) {
    if (!SameGuid(devices[i].guid, guid)) continue;
    if (!target || target->state->kind != SURFACE_BACK) return DDERR_INVALIDPARAMS;
    auto* device = new IDirect3DDevice3;
    device->driver = driver;
    device->device = i;
    device->target = target;
    target->AddRef();
    // Direct3D's own defaults for the states the game may leave unset.
    DWORD* s = device->states;
    s[D3DRENDERSTATE_TEXTUREPERSPECTIVE] = 1;
    s[D3DRENDERSTATE_ZENABLE] = 1;
    s[D3DRENDERSTATE_FILLMODE] = D3DFILL_SOLID;
    s[D3DRENDERSTATE_SHADEMODE] = D3DSHADE_GOURAUD;
    s[D3DRENDERSTATE_ZWRITEENABLE] = 1;
    s[D3DRENDERSTATE_TEXTUREMAG] = D3DFILTER_NEAREST;
    s[D3DRENDERSTATE_TEXTUREMIN] = D3DFILTER_NEAREST;
    s[D3DRENDERSTATE_SRCBLEND] = D3DBLEND_ONE;
    s[D3DRENDERSTATE_DESTBLEND] = D3DBLEND_ZERO;
    s[D3DRENDERSTATE_TEXTUREMAPBLEND] = D3DTBLEND_MODULATE;
    s[D3DRENDERSTATE_CULLMODE] = D3DCULL_CCW;
    s[D3DRENDERSTATE_ZFUNC] = D3DCMP_LESSEQUAL;
    s[D3DRENDERSTATE_ALPHAFUNC] = D3DCMP_ALWAYS;
    *out = device;
    return D3D_OK;
  }
  return DDERR_INVALIDPARAMS;
}

HRESULT IDirect3D3::CreateViewport(IDirect3DViewport3** out, void*) {
  Record("IDirect3D3::CreateViewport", {});
  *out = new IDirect3DViewport3;
  return D3D_OK;
}

IDirect3DViewport3::~IDirect3DViewport3() = default;

HRESULT IDirect3DViewport3::SetViewport2(D3DVIEWPORT2* v) {
  Record("IDirect3DViewport3::SetViewport2", {static_cast<double>(v->dwWidth), static_cast<double>(v->dwHeight)});
  if (!device || v->dwWidth == 0 || v->dwHeight == 0) return DDERR_INVALIDPARAMS;
  viewport = *v;
  viewportSet = true;
  return D3D_OK;
}

HRESULT IDirect3DViewport3::Clear2(DWORD count, D3DRECT* rects, DWORD flags, DWORD colour, float z, DWORD) {
  for (DWORD i = 0; i < count; ++i) {
    Record("IDirect3DViewport3::Clear2", {static_cast<double>(rects[i].x1), static_cast<double>(rects[i].y1),
                                          static_cast<double>(rects[i].x2), static_cast<double>(rects[i].y2),
                                          static_cast<double>(flags), static_cast<double>(colour),
                                          static_cast<double>(z)});
  }
  if (!device || !viewportSet) return DDERR_INVALIDPARAMS;
  if ((flags & D3DCLEAR_ZBUFFER) && !device->target->state->z) return DDERR_INVALIDPARAMS;
  const LONG vw = static_cast<LONG>(viewport.dwX + viewport.dwWidth);
  const LONG vh = static_cast<LONG>(viewport.dwY + viewport.dwHeight);
  for (DWORD i = 0; i < count; ++i) {
    D3DRECT r = rects[i];
    r.x1 = std::max(r.x1, static_cast<LONG>(viewport.dwX));
    r.y1 = std::max(r.y1, static_cast<LONG>(viewport.dwY));
    r.x2 = std::min(r.x2, vw);
    r.y2 = std::min(r.y2, vh);
    if (r.x1 >= r.x2 || r.y1 >= r.y2) continue;
    Backend().Clear(false, r, (flags & D3DCLEAR_TARGET) != 0, colour, (flags & D3DCLEAR_ZBUFFER) != 0, z);
  }
  return D3D_OK;
}

IDirect3DTexture2::~IDirect3DTexture2() = default;

HRESULT IDirect3DTexture2::Load(IDirect3DTexture2* source) {
  Record("IDirect3DTexture2::Load", {});
  if (!surface || !source || !source->surface) return DDERR_INVALIDPARAMS;
  IDirectDrawSurface4::State& to = *surface->state;
  const IDirectDrawSurface4::State& from = *source->surface->state;
  if (to.desc.dwWidth != from.desc.dwWidth || to.desc.dwHeight != from.desc.dwHeight ||
      to.pixels.size() != from.pixels.size())
    return DDERR_INVALIDPARAMS;
  to.pixels = from.pixels;
  to.hasKey = from.hasKey;
  to.key = from.key;
  // The backend holds RGBA8: the alpha channel carries the format's alpha
  // bit, or marks the keyed texels of a texture with a colour key.
  const DDPIXELFORMAT& f = to.desc.ddpfPixelFormat;
  const int bytes = static_cast<int>(f.dwRGBBitCount / 8);
  const std::size_t count = static_cast<std::size_t>(to.desc.dwWidth) * to.desc.dwHeight;
  std::vector<std::uint8_t> rgba(count * 4);
  for (std::size_t i = 0; i < count; ++i) {
    DWORD p = 0;
    std::memcpy(&p, &to.pixels[i * bytes], bytes);
    std::uint8_t* o = &rgba[i * 4];
    o[0] = Expand(p, f.dwRBitMask);
    o[1] = Expand(p, f.dwGBitMask);
    o[2] = Expand(p, f.dwBBitMask);
    o[3] = f.dwRGBAlphaBitMask ? Expand(p, f.dwRGBAlphaBitMask) : 255;
    if (to.hasKey && p == to.key) o[3] = 0;
  }
  if (!to.backendTexture) to.backendTexture = Backend().CreateTexture();
  Backend().UploadTexture(to.backendTexture, static_cast<int>(to.desc.dwWidth), static_cast<int>(to.desc.dwHeight),
                          rgba);
  return D3D_OK;
}

IDirect3DDevice3::~IDirect3DDevice3() {
  if (texture) texture->Release();
  if (current) current->Release();
  if (target) target->Release();
}

HRESULT IDirect3DDevice3::GetCaps(D3DDEVICEDESC* hardware, D3DDEVICEDESC* emulation) {
  if (!ValidDriver(driver)) return DDERR_INVALIDOBJECT;
  const platform::Direct3DDeviceSpec& d = Machine().drivers[driver].devices[device];
  if (hardware) *hardware = DeviceDesc(d, true);
  if (emulation) *emulation = DeviceDesc(d, false);
  return D3D_OK;
}

HRESULT IDirect3DDevice3::EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) {
  for (DDPIXELFORMAT f : Machine().textureFormats) {
    if (callback(&f, context) == D3DENUMRET_CANCEL) break;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice3::AddViewport(IDirect3DViewport3* viewport) {
  Record("IDirect3DDevice3::AddViewport", {});
  if (viewport->device) return DDERR_INVALIDPARAMS;
  viewport->device = this;
  return D3D_OK;
}

HRESULT IDirect3DDevice3::SetCurrentViewport(IDirect3DViewport3* viewport) {
  Record("IDirect3DDevice3::SetCurrentViewport", {});
  if (viewport->device != this || !viewport->viewportSet) return DDERR_INVALIDPARAMS;
  viewport->AddRef();
  if (current) current->Release();
  current = viewport;
  return D3D_OK;
}

HRESULT IDirect3DDevice3::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  Record("IDirect3DDevice3::SetRenderState", {static_cast<double>(state), static_cast<double>(value)});
  if (static_cast<int>(state) <= 0 || static_cast<int>(state) >= D3D_RENDER_STATE_COUNT) return DDERR_INVALIDPARAMS;
  const auto& failing = Machine().failingRenderStates;
  if (std::find(failing.begin(), failing.end(), static_cast<DWORD>(state)) != failing.end()) return DDERR_GENERIC;
  states[state] = value;
  return D3D_OK;
}

HRESULT IDirect3DDevice3::SetTexture(DWORD stage, IDirect3DTexture2* t) {
  Record("IDirect3DDevice3::SetTexture", {static_cast<double>(stage), t ? 1.0 : 0.0});
  if (stage != 0) return DDERR_INVALIDPARAMS;
  if (t) t->AddRef();
  if (texture) texture->Release();
  texture = t;
  return D3D_OK;
}

HRESULT IDirect3DDevice3::BeginScene() {
  Record("IDirect3DDevice3::BeginScene", {});
  if (inScene) return D3DERR_SCENE_IN_SCENE;
  inScene = true;
  return D3D_OK;
}

HRESULT IDirect3DDevice3::EndScene() {
  Record("IDirect3DDevice3::EndScene", {});
  if (!inScene) return D3DERR_SCENE_NOT_IN_SCENE;
  inScene = false;
  return D3D_OK;
}

HRESULT IDirect3DDevice3::DrawPrimitive(D3DPRIMITIVETYPE type, DWORD format, void* vertices, DWORD count,
                                        DWORD flags) {
  Record("IDirect3DDevice3::DrawPrimitive", {static_cast<double>(type), static_cast<double>(format),
                                             static_cast<double>(count), static_cast<double>(flags)});
  if (format != D3DFVF_TLVERTEX_FORMAT) return D3DERR_INVALIDVERTEXFORMAT;
  if (type != D3DPT_TRIANGLELIST && type != D3DPT_POINTLIST) return DDERR_INVALIDPARAMS;
  if (type == D3DPT_TRIANGLELIST && count % 3 != 0) return DDERR_INVALIDPARAMS;
  if (!inScene) return D3DERR_SCENE_NOT_IN_SCENE;
  if (target->state->lost) return DDERR_SURFACELOST;
  const auto* v = static_cast<const D3DTLVERTEX*>(vertices);
  ddraw::BoundTexture bound;
  if (texture && texture->surface) {
    const IDirectDrawSurface4::State& s = *texture->surface->state;
    bound.id = s.backendTexture;
    bound.hasAlpha = s.desc.ddpfPixelFormat.dwRGBAlphaBitMask != 0;
    bound.keyed = s.hasKey;
  }
  if (g_testBackend) {
    platform::DirectDrawDraw d;
    d.vertices.assign(v, v + count);
    std::memcpy(d.states, states, sizeof states);
    d.textured = bound.id != 0 || (texture && texture->surface);
    g_draws.push_back(std::move(d));
  }
  Backend().Draw(states, bound, type, v, count);
  if (type == D3DPT_TRIANGLELIST) stats.dwTrianglesDrawn += count / 3;
  if (type == D3DPT_POINTLIST) stats.dwPointsDrawn += count;
  stats.dwVerticesProcessed += count;
  return D3D_OK;
}

HRESULT IDirect3DDevice3::GetStats(D3DSTATS* out) {
  *out = stats;
  out->dwSize = sizeof(D3DSTATS);
  return D3D_OK;
}

// ---- Test switches --------------------------------------------------------------------------

namespace platform {

void SetDirectDrawSurfacesLost(bool lost) {
  g_lostSwitch = lost;
  if (!lost) return;
  for (IDirectDrawSurface4* s : g_surfaces) {
    if (s->state->kind != SURFACE_PLAIN) s->state->lost = true;
  }
}

void UseDirectDrawFramePacing(bool on) { g_framePacing = on; }

void UseDirectDrawTestBackend(bool on) {
  Backend().CloseFrame();
  g_testBackend = on;
  g_calls.clear();
  g_draws.clear();
}

bool UsingDirectDrawTestBackend() { return g_testBackend; }
const std::vector<DirectDrawCall>& RecordedDirectDrawCalls() { return g_calls; }
const std::vector<DirectDrawDraw>& RecordedDirectDrawDraws() { return g_draws; }
void ClearDirectDrawRecords() {
  g_calls.clear();
  g_draws.clear();
}

bool DirectDrawReadFrame(bool front, Picture* out) { return Backend().Read(front, out); }

bool DirectDrawScreenshot(const std::string& path) {
  Picture picture;
  return DirectDrawReadFrame(true, &picture) && WritePng(path, picture);
}

bool BenchmarkPlainGLDraw(const D3DTLVERTEX* vertices, DWORD count, const std::uint16_t* texels, int texWidth,
                          int texHeight) {
  return Backend().PlainDraw(vertices, count, texels, texWidth, texHeight);
}

void DirectDrawFinish() { Backend().Finish(); }

}  // namespace platform
