// Texture storage of kelvarro_dx: every slot's texture is a DirectDraw
// texture surface in the device's one 16-bit format, filled from a
// system-memory surface that the .TEX file was converted into, with the key
// colour as its source colour key.
#include <cstring>
#include <memory>
#include <new>

#include "engine/archive.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "render_d3d/direct3d_renderer.h"
#include "render_d3d/direct3d_textures.h"

TextureFormatInfo g_TextureFormats[MAX_TEXTURE_FORMATS];
std::uint8_t g_TextureFormatCount = 0;
std::uint8_t g_ChosenTextureFormat = 0;
IDirectDrawSurface4* g_TextureSurfaces[TEXTURE_SLOT_COUNT] = {};
IDirect3DTexture2* g_TextureInterfaces[TEXTURE_SLOT_COUNT] = {};

namespace {

void Report(const char* text) { ShowMessageBox(text, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR); }

bool ValidSlot(TextureSlot slot) { return slot < TEXTURE_SLOT_COUNT; }

void UpperCase(char* s) {
  for (; *s; ++s)
    if (*s >= 'a' && *s <= 'z') *s = static_cast<char>(*s - 'a' + 'A');
}

bool EqualNoCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    const char x = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 32) : *a;
    const char y = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 32) : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

int LowestBit(DWORD mask) {
  if (mask == 0) return 0;
  int n = 0;
  while (!((mask >> n) & 1u)) ++n;
  return n;
}

int Width(DWORD mask) {
  int n = 0;
  for (DWORD m = mask >> LowestBit(mask); m & 1u; m >>= 1) ++n;
  return n;
}

const DDPIXELFORMAT& ChosenFormat() { return g_TextureFormats[g_ChosenTextureFormat].pixelFormat; }

bool HardwareDevice() {
  return g_ChosenDriver < g_DisplayDriverCount && g_ChosenDevice < g_DisplayDrivers[g_ChosenDriver].deviceCount &&
         g_DisplayDrivers[g_ChosenDriver].devices[g_ChosenDevice].kind == D3D_DEVICE_HARDWARE;
}

void ReleaseSlot(int slot) {
  if (g_TextureInterfaces[slot]) g_TextureInterfaces[slot]->Release();
  if (g_TextureSurfaces[slot]) g_TextureSurfaces[slot]->Release();
  g_TextureInterfaces[slot] = nullptr;
  g_TextureSurfaces[slot] = nullptr;
}

DDSURFACEDESC2 TextureDesc(DWORD width, DWORD height, DWORD caps) {
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  d.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT | DDSD_TEXTURESTAGE;
  d.dwWidth = width;
  d.dwHeight = height;
  d.dwTextureStage = 0;
  d.ddpfPixelFormat = ChosenFormat();
  d.ddsCaps.dwCaps = caps;
  d.ddsCaps.dwCaps2 = DDSCAPS2_OPAQUE;
  return d;
}

// Copies `from` into `to` through their texture interfaces.
HRESULT LoadTexture(IDirect3DTexture2* to, IDirectDrawSurface4* from) {
  IDirect3DTexture2* source = nullptr;
  if (from->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&source)) != DD_OK) return DDERR_GENERIC;
  const HRESULT result = to->Load(source);
  source->Release();
  return result;
}

}  // namespace

DWORD ConvertTexel(std::uint8_t red, std::uint8_t green, std::uint8_t blue, const DDPIXELFORMAT& f) {
  auto channel = [](std::uint8_t v, DWORD mask) -> DWORD {
    const int width = Width(mask);
    if (width == 0) return 0;
    return static_cast<DWORD>(v >> (8 - (width > 8 ? 8 : width))) << LowestBit(mask);
  };
  return channel(red, f.dwRBitMask) | channel(green, f.dwGBitMask) | channel(blue, f.dwBBitMask);
}

HRESULT TextureFormatCallback(DDPIXELFORMAT* format, void*) {
  TextureFormatInfo& t = g_TextureFormats[g_TextureFormatCount];
  t = {};
  t.pixelFormat = *format;
  if (format->dwFlags & DDPF_PALETTEINDEXED8) {
    t.palettized = 1;
    t.bitsPerPixel = 8;
  } else if (format->dwFlags & DDPF_PALETTEINDEXED4) {
    t.palettized = 1;
    t.bitsPerPixel = 4;
  } else if (format->dwFlags & DDPF_RGB) {
    t.bitsPerPixel = format->dwRGBBitCount;
    t.redBits = static_cast<std::uint32_t>(Width(format->dwRBitMask));
    t.greenBits = static_cast<std::uint32_t>(Width(format->dwGBitMask));
    t.blueBits = static_cast<std::uint32_t>(Width(format->dwBBitMask));
  }
  ++g_TextureFormatCount;
  return g_TextureFormatCount < MAX_TEXTURE_FORMATS ? D3DENUMRET_OK : D3DENUMRET_CANCEL;
}

bool ChooseTextureFormat() {
  g_TextureFormatCount = 0;
  Direct3DRenderer::device->EnumTextureFormats(TextureFormatCallback, nullptr);
  if (g_TextureFormatCount == 0) {
    Report("Error: can't find a valid texture format.");
    return false;
  }
  for (std::uint8_t i = 0; i < g_TextureFormatCount; ++i) {
    const TextureFormatInfo& t = g_TextureFormats[i];
    if (!t.palettized && t.bitsPerPixel == 16 && t.redBits == 5 && t.greenBits == 5 && t.blueBits == 5 &&
        (t.pixelFormat.dwFlags & DDPF_ALPHAPIXELS)) {
      g_ChosenTextureFormat = i;
      return true;
    }
  }
  for (std::uint8_t i = 0; i < g_TextureFormatCount; ++i) {
    const TextureFormatInfo& t = g_TextureFormats[i];
    if (!t.palettized && t.bitsPerPixel == 16 && t.redBits + t.greenBits + t.blueBits == 16) {
      g_ChosenTextureFormat = i;
      return true;
    }
  }
  return false;
}

bool ReadTexSurface(const char* name, IDirectDrawSurface4** out, std::uint8_t limit, bool keyed, std::uint8_t keyRed,
                    std::uint8_t keyGreen, std::uint8_t keyBlue) {
  *out = nullptr;
  TexImage image;
  switch (ReadTexImage(name, limit, &image)) {
    case TexRead::OK: break;
    case TexRead::NOT_FOUND: Report("File error opening texture data.\nPlease reinstall Kelvarro."); return false;
    default: Report("Error loading texture.\nPlease reinstall Kelvarro."); return false;
  }
  constexpr const char* LOAD_ERROR = "Error loading texture.\nPlease reinstall Kelvarro.";
  const std::uint32_t outWidth = image.outWidth;
  const std::uint32_t outHeight = image.outHeight;

  DDSURFACEDESC2 desc = TextureDesc(outWidth, outHeight, DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY);
  IDirectDrawSurface4* surface = nullptr;
  if (!Direct3DRenderer::directDraw || Direct3DRenderer::directDraw->CreateSurface(&desc, &surface, nullptr) != DD_OK) {
    Report(LOAD_ERROR);
    return false;
  }
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof locked;
  if (surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) != DD_OK) {
    surface->Release();
    Report(LOAD_ERROR);
    return false;
  }
  const DDPIXELFORMAT& f = ChosenFormat();
  const TextureFormatInfo& info = g_TextureFormats[g_ChosenTextureFormat];
  const bool alphaBit = info.redBits + info.greenBits + info.blueBits != 16;
  const DWORD key = ConvertTexel(keyRed, keyGreen, keyBlue, f);
  for (std::uint32_t y = 0; y < outHeight; ++y) {
    auto* to = reinterpret_cast<std::uint8_t*>(locked.lpSurface) + static_cast<std::size_t>(y) * locked.lPitch;
    for (std::uint32_t x = 0; x < outWidth; ++x) {
      const std::uint8_t* t = image.Kept(x, y);
      DWORD texel = ConvertTexel(t[0], t[1], t[2], f);
      if (alphaBit && !(keyed && texel == key)) texel |= 0x8000u;
      const auto v = static_cast<std::uint16_t>(texel);
      std::memcpy(to + x * 2u, &v, 2);
    }
  }
  surface->Unlock(nullptr);
  *out = surface;
  return true;
}

TextureManager::TextureManager() {
  std::memset(description, 0, sizeof description);
  std::memset(memorySize, 0, sizeof memorySize);
  std::memset(startAddress, 0, sizeof startAddress);
  std::memset(keyed, 0, sizeof keyed);
  nextFreeAddress[0] = nextFreeAddress[1] = TEXTURE_ADDRESS_UNKNOWN;
  std::memset(unit, 0, sizeof unit);
  std::memset(state, 0, sizeof state);
  // Texture coordinates are used as they stand in this build.
  for (int i = 0; i < TEXTURE_SLOT_COUNT; ++i) sScale[i] = tScale[i] = 1.0f;
  alphaReference = static_cast<std::uint8_t>(Direct3DRenderer::KEYED_ALPHA_REFERENCE);
  selected = 0;
  for (auto& n : name) std::strcpy(n, UNUSED_TEXTURE_NAME);
  std::strcpy(name[0], "NULL");
  std::memset(width, 0, sizeof width);
  std::memset(height, 0, sizeof height);
  std::memset(keyColour, 0, sizeof keyColour);
  g_ColourKey = {0, 0, 0};
}

bool TextureManager::Load(char* fileName, TextureSlot* slotOut, std::uint8_t callerLimit) {
  UpperCase(fileName);
  const std::uint8_t limit = TextureLimitForName(fileName, callerLimit);
  if (std::strcmp(fileName, "NULL") == 0) {
    *slotOut = 0;
    return true;
  }
  for (int i = 1; i < TEXTURE_SLOT_COUNT; ++i) {
    if (g_TextureSurfaces[i] && EqualNoCase(name[i], fileName)) {
      *slotOut = static_cast<TextureSlot>(i);
      return true;
    }
  }
  int slot = 0;
  for (int i = 1; i < TEXTURE_SLOT_COUNT && slot == 0; ++i) {
    if (!g_TextureSurfaces[i]) slot = i;
  }
  if (slot == 0) return false;
  const bool isKeyed = std::strchr(fileName, '_') != nullptr;
  const ColourKey key = g_ColourKey;
  IDirectDrawSurface4* loaded = nullptr;
  if (!ReadTexSurface(fileName, &loaded, limit, isKeyed, key.red, key.green, key.blue)) return false;

  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  loaded->GetSurfaceDesc(&desc);
  if (isKeyed) {
    DWORD converted = 0;
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof locked;
    HRESULT result;
    while ((result = loaded->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr)) == DDERR_WASSTILLDRAWING) {
    }
    if (result == DD_OK) {
      converted = ConvertTexel(key.red, key.green, key.blue, locked.ddpfPixelFormat);
      loaded->Unlock(nullptr);
    }
    DDCOLORKEY colourKey{converted, converted};
    loaded->SetColorKey(DDCKEY_SRCBLT, &colourKey);
  }
  const bool hardware = HardwareDevice();
  DDSURFACEDESC2 textureDesc = TextureDesc(desc.dwWidth, desc.dwHeight,
                                           DDSCAPS_TEXTURE | DDSCAPS_ALLOCONLOAD |
                                               (hardware ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY));
  IDirectDrawSurface4* surface = nullptr;
  if (Direct3DRenderer::directDraw->CreateSurface(&textureDesc, &surface, nullptr) != DD_OK) {
    loaded->Release();
    Report("Error: Not enough video memory to load textures.\nPlease use setup program to select a lower resolution.");
    return false;
  }
  g_TextureSurfaces[slot] = surface;
  surface->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&g_TextureInterfaces[slot]));
  if (g_TextureInterfaces[slot]) LoadTexture(g_TextureInterfaces[slot], loaded);
  loaded->Release();
  DDSURFACEDESC2 placed{};
  placed.dwSize = sizeof placed;
  surface->GetSurfaceDesc(&placed);
  if (hardware && !(placed.ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY)) {
    ReleaseSlot(slot);
    Report("Error: no video memory to load texture.\nPlease use setup program to select a lower resolution.");
    return false;
  }
  std::strncpy(name[slot], fileName, TEXTURE_NAME_SIZE - 1);
  name[slot][TEXTURE_NAME_SIZE - 1] = '\0';
  width[slot] = static_cast<std::uint16_t>(desc.dwWidth);
  height[slot] = static_cast<std::uint16_t>(desc.dwHeight);
  keyed[slot] = isKeyed;
  keyColour[slot] = key;
  state[slot] = TEXTURE_LOADED;
  *slotOut = static_cast<TextureSlot>(slot);
  return true;
}

bool TextureManager::Select(TextureSlot slot) {
  if (!ValidSlot(slot)) slot = 0;
  if (slot == selected) return true;
  IDirect3DDevice3* device = Direct3DRenderer::device;
  if (!device) return true;
  // The selection moves only when the device took the texture.
  if (device->SetTexture(0, slot == 0 ? nullptr : g_TextureInterfaces[slot]) == D3D_OK) selected = slot;
  return true;
}

void TextureManager::Free(TextureSlot slot) {
  if (slot == 0 || !ValidSlot(slot)) return;
  if (selected != 0) Select(0);
  if (std::strcmp(name[slot], UNUSED_TEXTURE_NAME) == 0) return;
  std::strcpy(name[slot], UNUSED_TEXTURE_NAME);
  ReleaseSlot(slot);
  state[slot] = TEXTURE_UNUSED;
}

bool TextureManager::Reload(TextureSlot slot) {
  if (slot == 0 || !ValidSlot(slot) || !g_TextureSurfaces[slot]) return false;
  const std::uint32_t larger = width[slot] > height[slot] ? width[slot] : height[slot];
  const auto limit = static_cast<std::uint8_t>((larger + 31u) / 32u);
  IDirectDrawSurface4* loaded = nullptr;
  if (!ReadTexSurface(name[slot], &loaded, limit, keyed[slot] != 0, keyColour[slot].red, keyColour[slot].green,
                      keyColour[slot].blue))
    return false;
  if (g_TextureInterfaces[slot]) LoadTexture(g_TextureInterfaces[slot], loaded);
  loaded->Release();
  return true;
}

bool TextureManager::ReloadAll() {
  for (int i = 1; i < TEXTURE_SLOT_COUNT; ++i) {
    IDirectDrawSurface4* s = g_TextureSurfaces[i];
    if (!s || s->IsLost() != DDERR_SURFACELOST) continue;
    if (s->Restore() != DD_OK || !Reload(static_cast<TextureSlot>(i))) return false;
  }
  return true;
}

// Freed surfaces are released at once here: there is nothing to gather.
void TextureManager::Repack() {}

void TextureManager::SampleTexel(TextureSlot slot, float u, float v, float* red, float* green, float* blue) {
  *red = *green = *blue = 0.0f;
  if (!ValidSlot(slot) || g_TextureFormatCount == 0) return;
  std::uint8_t rgb[3];
  if (!ReadTexTexel(name[slot], u, v, rgb)) return;
  // As many high bits of each channel as the chosen format keeps.
  const TextureFormatInfo& f = g_TextureFormats[g_ChosenTextureFormat];
  auto keep = [](std::uint8_t value, std::uint32_t bits) {
    const std::uint32_t b = bits > 8 ? 8 : bits;
    const auto mask = static_cast<std::uint8_t>(0xFFu << (8 - b));
    return static_cast<float>(value & mask) / 255.0f;
  };
  *red = keep(rgb[0], f.redBits);
  *green = keep(rgb[1], f.greenBits);
  *blue = keep(rgb[2], f.blueBits);
}

void TextureManager::ClearNames() {
  for (int i = 0; i < TEXTURE_SLOT_COUNT; ++i) {
    name[i][0] = '\0';
    ReleaseSlot(i);
  }
}

// ---- The texture budget ----------------------------------------------------------------

namespace {

bool SizeClassInUse(int entry, int groups, std::uint32_t riders) {
  if (entry >= SIZE_CLASS_FIRST_LAND && entry <= SIZE_CLASS_FIRST_LAND + 7 && entry > groups) return false;
  if (riders < 20 && entry >= SIZE_CLASS_FIRST_RIDER && entry <= SIZE_CLASS_LAST_RIDER - static_cast<int>(riders))
    return false;
  return true;
}

long long SizeClassCost(std::uint8_t entry) { return static_cast<long long>(entry) * entry * 2048; }

}  // namespace

void Renderer::AssignTextureSizeClasses(std::uint16_t groupsInUse) {
  DWORD largest = 0;
  if (Direct3DRenderer::device) {
    D3DDEVICEDESC hardware{}, emulation{};
    hardware.dwSize = emulation.dwSize = sizeof(D3DDEVICEDESC);
    if (Direct3DRenderer::device->GetCaps(&hardware, &emulation) == D3D_OK) {
      largest = hardware.dwMaxTextureWidth < hardware.dwMaxTextureHeight ? hardware.dwMaxTextureWidth
                                                                         : hardware.dwMaxTextureHeight;
    }
  }
  std::uint8_t c = 32;
  if (largest >= 1024) c = 32;
  else if (largest >= 512) c = 16;
  else if (largest >= 256) c = 8;
  else if (largest >= 128) c = 4;
  else if (largest >= 64) c = 2;
  else if (largest >= 32) c = 1;
  const std::uint8_t small = c < 8 ? c : 8;
  for (int i = 0; i < TEXTURE_SIZE_CLASS_COUNT; ++i) g_TextureSizeClasses[i] = small;
  for (int i = 1; i <= 28; ++i) g_TextureSizeClasses[i] = c;
  g_TextureSizeClasses[31] = c;
  g_TextureSizeClasses[45] = 1;
  g_TextureSizeClasses[46] = 1;

  DWORD freeMemory = 0;
  if (Direct3DRenderer::directDraw) {
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
    DWORD total = 0;
    if (Direct3DRenderer::directDraw->GetAvailableVidMem(&caps, &total, &freeMemory) != DD_OK) freeMemory = 0;
  }
  long long budget = freeMemory;
  if (g_ChosenDriver < g_DisplayDriverCount && std::strstr(g_DisplayDrivers[g_ChosenDriver].name, "3dfxV2"))
    budget /= 2;

  const int groups = groupsInUse;
  const std::uint32_t riders = g_RiderCount > 20 ? 20 : g_RiderCount;
  long long need = 0;
  for (int i = 0; i < TEXTURE_SIZE_CLASS_COUNT; ++i) {
    if (SizeClassInUse(i, groups, riders)) need += SizeClassCost(g_TextureSizeClasses[i]);
  }
  // Halve the entries in use in turn from entry 0, the position carried over;
  // the walk wraps after entry 31 while it is above 8, then after 41. It
  // stops when no halvable entry in use is left above 0 (a budget that even
  // the fixed entries exceed cannot be met).
  int next = 0;
  while (need > budget) {
    bool halved = false;
    for (int tries = 0; tries < 42 && !halved; ++tries) {
      const int last = g_TextureSizeClasses[31] > 8 ? 31 : 41;
      if (next > last) next = 0;
      const int i = next++;
      if (!SizeClassInUse(i, groups, riders) || g_TextureSizeClasses[i] == 0) continue;
      need -= SizeClassCost(g_TextureSizeClasses[i]);
      g_TextureSizeClasses[i] = static_cast<std::uint8_t>(g_TextureSizeClasses[i] >> 1);
      need += SizeClassCost(g_TextureSizeClasses[i]);
      halved = true;
    }
    if (!halved) break;
  }
}
