// Filling the display tables from DirectDraw's enumeration.
#include "platform/ddraw/display_enumeration.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

// Copies at most size - 1 characters and terminates.
void CopyCut(char* to, std::size_t size, const char* from) {
  std::size_t n = from ? std::strlen(from) : 0;
  if (n > size - 1) n = size - 1;
  if (n) std::memcpy(to, from, n);
  to[n] = '\0';
}

bool EqualNoCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
  }
  return *a == *b;
}

}  // namespace

BOOL EnumDriverCallback(GUID* guid, char* description, char* name, void* context) {
  auto* target = static_cast<DisplayEnumerationTarget*>(context);
  DisplayDriverInfo& d = target->drivers[*target->driverCount];
  std::memset(&d, 0, sizeof d);
  if (guid) {
    d.guid = *guid;
    d.guidPointer = &d.guid;
  }
  CopyCut(d.description, sizeof d.description, description);
  CopyCut(d.name, sizeof d.name, name);
  IDirectDraw* dd = nullptr;
  if (DirectDrawCreate(d.guidPointer, &dd, nullptr) != DD_OK) return TRUE;
  IDirectDraw4* dd4 = nullptr;
  if (dd->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&dd4)) != DD_OK) {
    dd->Release();
    return TRUE;
  }
  d.hardwareCaps.dwSize = sizeof(DDCAPS);
  d.emulationCaps.dwSize = sizeof(DDCAPS);
  dd4->GetCaps(&d.hardwareCaps, &d.emulationCaps);
  dd4->Release();
  dd->Release();
  ++*target->driverCount;
  return *target->driverCount < MAX_DISPLAY_DRIVERS ? TRUE : FALSE;
}

HRESULT EnumModeCallback(DDSURFACEDESC2* mode, void* context) {
  auto* d = static_cast<DisplayDriverInfo*>(context);
  DisplayModeInfo& m = d->modes[d->modeCount];
  m.width = mode->dwWidth;
  m.height = mode->dwHeight;
  m.bitsPerPixel = mode->ddpfPixelFormat.dwRGBBitCount;
  std::snprintf(m.label, sizeof m.label, "%lu x %lu x %lu", static_cast<unsigned long>(m.width),
                static_cast<unsigned long>(m.height), static_cast<unsigned long>(m.bitsPerPixel));
  ++d->modeCount;
  return d->modeCount < MAX_DISPLAY_MODES ? DDENUMRET_OK : DDENUMRET_CANCEL;
}

HRESULT EnumDeviceCallback(GUID* guid, char* description, char* name, D3DDEVICEDESC* hardware,
                           D3DDEVICEDESC* emulation, void* context) {
  auto* target = static_cast<DisplayEnumerationTarget*>(context);
  DisplayDriverInfo& driver = target->drivers[*target->chosenDriver];
  const std::uint32_t index = driver.deviceCount;
  Direct3DDeviceInfo& d = driver.devices[index];
  std::memset(&d, 0, sizeof d);
  if (guid) d.guid = *guid;
  CopyCut(d.description, sizeof d.description, description);
  CopyCut(d.name, sizeof d.name, name);
  if (hardware->dcmColorModel != 0) {
    d.kind = D3D_DEVICE_HARDWARE;
    d.desc = *hardware;
    *target->chosenDevice = index;
  } else {
    d.desc = *emulation;
    d.kind = EqualNoCase(d.name, "MMX Emulation") ? D3D_DEVICE_MMX : D3D_DEVICE_SOFTWARE;
  }
  d.usable = (d.desc.dpcTriCaps.dwTextureCaps & D3DPTEXTURECAPS_PERSPECTIVE) != 0;
  d.needsZBuffer = d.desc.dwDeviceZBufferBitDepth != 0 &&
                   (d.desc.dpcTriCaps.dwRasterCaps & D3DPRASTERCAPS_ZBUFFERLESSHSR) == 0;
  ++driver.deviceCount;
  return driver.deviceCount < MAX_DIRECT3D_DEVICES ? D3DENUMRET_OK : D3DENUMRET_CANCEL;
}

bool EnumerateDisplayHardware(const DisplayEnumerationTarget& target) {
  *target.driverCount = 0;
  *target.chosenDriver = 0;
  *target.chosenDevice = 0;
  DisplayEnumerationTarget context = target;
  if (DirectDrawEnumerateA(EnumDriverCallback, &context) != DD_OK || *target.driverCount == 0) return false;
  for (std::uint32_t i = 0; i < *target.driverCount; ++i) {
    DisplayDriverInfo& d = target.drivers[i];
    *target.chosenDriver = i;
    IDirectDraw* dd = nullptr;
    if (DirectDrawCreate(d.guidPointer, &dd, nullptr) != DD_OK) return false;
    IDirectDraw4* dd4 = nullptr;
    const HRESULT queried = dd->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&dd4));
    dd->Release();
    if (queried != DD_OK) return false;
    d.modeCount = 0;
    IDirect3D3* d3d = nullptr;
    bool ok = dd4->EnumDisplayModes(0, nullptr, &d, EnumModeCallback) == DD_OK &&
              dd4->QueryInterface(IID_IDirect3D3, reinterpret_cast<void**>(&d3d)) == DD_OK;
    if (ok) {
      d.deviceCount = 0;
      ok = d3d->EnumDevices(EnumDeviceCallback, &context) == D3D_OK;
    }
    if (d3d) d3d->Release();
    dd4->Release();
    if (!ok) return false;
  }
  return true;
}
