// Renderer of kelvarro_dx: the rendering chain (primary and back buffer,
// Z-buffer, device, viewport), presenting, and the restore after lost surfaces.
#include "engine/display.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "render_d3d/direct3d_renderer.h"

namespace {

void Report(const char* text) { ShowMessageBox(text, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR); }

constexpr DWORD EXCLUSIVE_LEVEL = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_FPUSETUP;

bool ChosenRecordsValid() {
  return g_ChosenDriver < g_DisplayDriverCount && g_ChosenMode < g_DisplayDrivers[g_ChosenDriver].modeCount &&
         g_ChosenDevice < g_DisplayDrivers[g_ChosenDriver].deviceCount;
}

const Direct3DDeviceInfo& ChosenDevice() { return g_DisplayDrivers[g_ChosenDriver].devices[g_ChosenDevice]; }
const DisplayModeInfo& ChosenMode() { return g_DisplayDrivers[g_ChosenDriver].modes[g_ChosenMode]; }

// The exclusive level and the chosen mode again; an exclusive level that is
// already set counts as set.
bool ReenterDisplayMode() {
  IDirectDraw4* dd = Direct3DRenderer::directDraw;
  if (!dd || !ChosenRecordsValid()) return false;
  const HRESULT level = dd->SetCooperativeLevel(g_MainWindow, EXCLUSIVE_LEVEL);
  if (level != DD_OK && level != DDERR_EXCLUSIVEMODEALREADYSET) return false;
  const DisplayModeInfo& m = ChosenMode();
  return dd->SetDisplayMode(m.width, m.height, m.bitsPerPixel, 0, 0) == DD_OK;
}

void FillBlack(IDirectDrawSurface4* surface) {
  DWORD black = 0;
  surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &black);
}

}  // namespace

bool Direct3DRenderer::CreateSurfaces() {
  if (backBuffer) backBuffer->Release();
  backBuffer = nullptr;
  if (primary) primary->Release();
  primary = nullptr;
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
  desc.dwBackBufferCount = 1;
  if (directDraw->CreateSurface(&desc, &primary, nullptr) != DD_OK) return false;
  DDSCAPS2 caps{};
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  if (primary->GetAttachedSurface(&caps, &backBuffer) != DD_OK) return false;
  DDSURFACEDESC2 back{};
  back.dwSize = sizeof back;
  if (backBuffer->GetSurfaceDesc(&back) != DD_OK) return false;
  backBufferInVideoMemory = (back.ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY) != 0;
  return true;
}

HRESULT Direct3DRenderer::ZBufferFormatCallback(DDPIXELFORMAT* format, void* wanted) {
  auto* want = static_cast<DDPIXELFORMAT*>(wanted);
  if ((format->dwFlags & (DDPF_ZBUFFER | DDPF_STENCILBUFFER)) && format->dwRGBBitCount == want->dwRGBBitCount) {
    *want = *format;
    want->dwFlags |= DDPF_ZBUFFER;
    return D3DENUMRET_CANCEL;
  }
  return D3DENUMRET_OK;
}

bool Direct3DRenderer::CreateZBuffer() {
  const Direct3DDeviceInfo& d = ChosenDevice();
  if (!d.needsZBuffer) return true;
  const DWORD depths = d.desc.dwDeviceZBufferBitDepth;
  DWORD bits = 0;
  if (depths & DDBD_16) bits = 16;
  else if (depths & DDBD_8) bits = 8;
  else if (depths & DDBD_24) bits = 24;
  else if (depths & DDBD_32) bits = 32;
  if (bits == 0) {
    Report("Error: unsupported Z-buffer depth requested by device.\nPlease check you have the latest version of "
           "your display driver or reinstall DirectX.");
    return false;
  }
  DDPIXELFORMAT format{};
  format.dwSize = sizeof format;
  format.dwRGBBitCount = bits;
  if (direct3D->EnumZBufferFormats(d.guid, ZBufferFormatCallback, &format) != D3D_OK) {
    Report("Error: Can't enumerate Z Buffer formats.\nPlease use setup program to select another device or "
           "reinstall DirectX.");
    return false;
  }
  if (!(format.dwFlags & DDPF_ZBUFFER)) {
    Report("Error: Can't find a valid Z Buffer format.\nPlease use setup program to select another device.");
    return false;
  }
  const bool hardware = d.kind == D3D_DEVICE_HARDWARE;
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
  desc.dwWidth = ChosenMode().width;
  desc.dwHeight = ChosenMode().height;
  desc.ddpfPixelFormat = format;
  desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | (hardware ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);
  if (zBuffer) zBuffer->Release();
  zBuffer = nullptr;
  if (directDraw->CreateSurface(&desc, &zBuffer, nullptr) != DD_OK) {
    Report("Error: Not enough video memory to create a Z buffer.\nPlease use setup program to select a lower "
           "resolution.");
    return false;
  }
  if (backBuffer->AddAttachedSurface(zBuffer) != DD_OK) return false;
  DDSURFACEDESC2 got{};
  got.dwSize = sizeof got;
  if (zBuffer->GetSurfaceDesc(&got) != DD_OK) return false;
  zBufferInVideoMemory = (got.ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY) != 0;
  if (hardware && !zBufferInVideoMemory) {
    Report("Error: Could not fit the Z-buffer in video memory\nfor this hardware device.\nPlease use setup program "
           "to select a lower resolution.");
    return false;
  }
  return true;
}

bool Direct3DRenderer::CreateDevice() {
  if (device) device->Release();
  device = nullptr;
  const Direct3DDeviceInfo& d = ChosenDevice();
  if (d.kind == D3D_DEVICE_HARDWARE && !backBufferInVideoMemory) {
    Report("Error: Could not fit the rendering surfaces in video memory\nfor this hardware device.\nPlease use setup "
           "program to select a lower resolution.");
    return false;
  }
  if (direct3D->CreateDevice(d.guid, backBuffer, &device, nullptr) != D3D_OK) {
    Report("Error: Unable to create Direct3D device.\nPlease use setup program to select another device or "
           "reinstall DirectX.");
    return false;
  }
  if (!ChooseTextureFormat()) {
    Report("Error: Could not enumerate texture formats.Please use setup program to select another device or "
           "reinstall DirectX.");
    return false;
  }
  return true;
}

bool Direct3DRenderer::CreateViewport() {
  if (viewport) viewport->Release();
  viewport = nullptr;
  if (direct3D->CreateViewport(&viewport, nullptr) != D3D_OK) return false;
  if (device->AddViewport(viewport) != D3D_OK) return false;
  D3DVIEWPORT2 v{};
  v.dwSize = sizeof v;
  v.dwX = 0;
  v.dwY = 0;
  v.dwWidth = ChosenMode().width;
  v.dwHeight = ChosenMode().height;
  v.dvClipX = 0.0f;
  v.dvClipY = 0.0f;
  v.dvClipWidth = static_cast<float>(ChosenMode().width);
  v.dvClipHeight = static_cast<float>(ChosenMode().height);
  v.dvMinZ = 0.0f;
  v.dvMaxZ = 1.0f;
  if (viewport->SetViewport2(&v) != D3D_OK) return false;
  return device->SetCurrentViewport(viewport) == D3D_OK;
}

bool Direct3DRenderer::LeaveFullScreen() {
  if (!directDraw) return false;
  return directDraw->SetCooperativeLevel(g_MainWindow, DDSCL_NORMAL | DDSCL_ALLOWREBOOT | DDSCL_FPUSETUP) == DD_OK;
}

bool Direct3DRenderer::EnterFullScreen() { return ReenterDisplayMode(); }

bool Renderer::RestoreSurfaces() {
  using R = Direct3DRenderer;
  if (!ReenterDisplayMode() || !R::primary) {
    ShowMessageBox("Error: unable to restore full screen display mode.\nPlease check you have the latest version of "
                   "your display driver.",
                   MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  if (R::primary->IsLost() == DDERR_SURFACELOST) R::primary->Restore();
  FillBlack(R::primary);
  if (R::backBuffer && R::backBuffer->IsLost() == DDERR_SURFACELOST) R::backBuffer->Restore();
  if (R::primary->Flip(nullptr, DDFLIP_WAIT) != DD_OK) return false;
  FillBlack(R::primary);
  if (R::zBuffer && R::zBuffer->IsLost() == DDERR_SURFACELOST) R::zBuffer->Restore();
  return true;
}

PresentResult Renderer::Present() {
  using R = Direct3DRenderer;
  if (!R::primary) return PresentResult::FAILED;
  const HRESULT result = R::primary->Flip(nullptr, DDFLIP_WAIT);
  // The scene restores before its next frame.
  if (result == DDERR_SURFACELOST) return PresentResult::SURFACE_LOST;
  if (result != DD_OK) {
    ShowDirectDrawError(result, __FILE__, __LINE__);
    return PresentResult::FAILED;
  }
  if (R::presentObserver) R::presentObserver();
  return PresentResult::SHOWN;
}
