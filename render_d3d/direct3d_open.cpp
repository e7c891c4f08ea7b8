// Renderer of kelvarro_dx: choosing the hardware, Open and Close.
#include <cstring>

#include "engine/camera.h"
#include "engine/display.h"
#include "engine/system.h"
#include "render_d3d/direct3d_renderer.h"

DisplayDriverInfo g_DisplayDrivers[MAX_DISPLAY_DRIVERS];
std::uint32_t g_DisplayDriverCount = 0;
std::uint32_t g_ChosenDriver = 0;
std::uint32_t g_ChosenMode = 0;
std::uint32_t g_ChosenDevice = 0;

IDirectDraw4* Direct3DRenderer::directDraw = nullptr;
IDirectDrawSurface4* Direct3DRenderer::primary = nullptr;
IDirectDrawSurface4* Direct3DRenderer::backBuffer = nullptr;
IDirectDrawSurface4* Direct3DRenderer::zBuffer = nullptr;
IDirect3D3* Direct3DRenderer::direct3D = nullptr;
IDirect3DDevice3* Direct3DRenderer::device = nullptr;
IDirect3DViewport3* Direct3DRenderer::viewport = nullptr;
std::uint8_t Direct3DRenderer::backBufferInVideoMemory = 0;
std::uint8_t Direct3DRenderer::zBufferInVideoMemory = 0;
std::uint8_t Direct3DRenderer::alphaTestUsable = 0;
void (*Direct3DRenderer::presentObserver)() = nullptr;
void (*Direct3DRenderer::openObserver)() = nullptr;

namespace {

// The dialog's own selection, taken from the chosen indices the first time
// its procedure runs.
bool g_dialogIndicesTaken = false;
std::uint32_t g_dialogDriver = 0;
std::uint32_t g_dialogDevice = 0;
std::uint32_t g_dialogMode = 0;

// The render bit depth flag of a display depth; 0 for depths without a test.
DWORD RenderDepthFlag(std::uint32_t bits) {
  switch (bits) {
    case 16: return DDBD_16;
    case 24: return DDBD_24;
    case 32: return DDBD_32;
    default: return 0;
  }
}

bool DeviceRendersAt(const Direct3DDeviceInfo& d, std::uint32_t bits) {
  const DWORD flag = RenderDepthFlag(bits);
  return flag == 0 || (d.desc.dwDeviceRenderBitDepth & flag) != 0;
}

template <typename T>
void ReleaseAndClear(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

}  // namespace

void Direct3DRenderer::ForgetDialogSelection() {
  g_dialogIndicesTaken = false;
  g_dialogDriver = g_dialogDevice = g_dialogMode = 0;
}

bool Direct3DRenderer::ChooseFromRegistry() {
  DWORD value = 0;
  if (!ReadRegistryDword("DDDriver", &value)) return false;
  g_ChosenDriver = value;
  if (g_ChosenDriver >= g_DisplayDriverCount) return false;
  const DisplayDriverInfo& driver = g_DisplayDrivers[g_ChosenDriver];
  if (!ReadRegistryDword("3DDevice", &value)) return false;
  g_ChosenDevice = value;
  if (g_ChosenDevice >= driver.deviceCount || !driver.devices[g_ChosenDevice].usable) return false;
  g_ChosenMode = 0;
  DWORD bits = 0;
  if (!ReadRegistryDword("GameBPP", &bits) || bits == 8) return false;
  if (driver.modeCount == 0) return false;
  for (std::uint32_t i = 0; i < driver.modeCount && i < MAX_DISPLAY_MODES; ++i) {
    const DisplayModeInfo& m = driver.modes[i];
    if (m.width != g_ScreenWidth || m.height != g_ScreenHeight || m.bitsPerPixel != bits) continue;
    if (!DeviceRendersAt(driver.devices[g_ChosenDevice], bits)) return false;
    g_ChosenMode = i;
    return true;
  }
  return false;
}

void Direct3DRenderer::FillDriverDialog(HWND dialog, std::uint32_t driver, std::uint32_t device, std::uint32_t mode) {
  for (int id : {IDC_DRIVER_LIST, IDC_DEVICE_LIST, IDC_MODE_LIST}) SendDlgItemMessageA(dialog, id, CB_RESETCONTENT, 0, 0);
  for (std::uint32_t i = 0; i < g_DisplayDriverCount; ++i) {
    SendDlgItemMessageA(dialog, IDC_DRIVER_LIST, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(g_DisplayDrivers[i].description));
  }
  // Indices that name no recorded driver or device select nothing, and the
  // lists below them stay empty.
  if (driver >= g_DisplayDriverCount) return;
  const DisplayDriverInfo& d = g_DisplayDrivers[driver];
  SendDlgItemMessageA(dialog, IDC_DRIVER_LIST, CB_SETCURSEL, driver, 0);
  SetDlgItemTextA(dialog, IDC_DRIVER_TYPE,
                  (d.hardwareCaps.dwCaps & DDCAPS_3D) ? "Driver supports HARDWARE 3D" : "Driver supports SOFTWARE 3D");
  const bool hardware = device < d.deviceCount && d.devices[device].kind == D3D_DEVICE_HARDWARE;
  SetDlgItemTextA(dialog, IDC_DEVICE_TYPE, hardware ? "3D Device is HARDWARE" : "3D Device is SOFTWARE");
  for (std::uint32_t i = 0; i < d.deviceCount; ++i) {
    SendDlgItemMessageA(dialog, IDC_DEVICE_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(d.devices[i].description));
  }
  if (device >= d.deviceCount) return;
  SendDlgItemMessageA(dialog, IDC_DEVICE_LIST, CB_SETCURSEL, device, 0);
  for (std::uint32_t i = 0; i < d.modeCount; ++i) {
    const DisplayModeInfo& m = d.modes[i];
    const bool offered = m.bitsPerPixel != 8 && DeviceRendersAt(d.devices[device], m.bitsPerPixel) &&
                         m.width * 3 == m.height * 4 &&
                         ((m.width == 640 && m.height == 480) || (m.width == 800 && m.height == 600) ||
                          (m.width == 1024 && m.height == 768));
    if (!offered) {
      // The selection falls on the next offered mode after one that cannot be offered.
      if (i == mode) ++mode;
      continue;
    }
    const LRESULT item = SendDlgItemMessageA(dialog, IDC_MODE_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m.label));
    SendDlgItemMessageA(dialog, IDC_MODE_LIST, CB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(i));
    if (i == mode) SendDlgItemMessageA(dialog, IDC_MODE_LIST, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
  }
}

BOOL Direct3DRenderer::SelectDriverDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (!g_dialogIndicesTaken) {
    g_dialogIndicesTaken = true;
    g_dialogDriver = g_ChosenDriver;
    g_dialogDevice = g_ChosenDevice;
    g_dialogMode = g_ChosenMode;
  }
  if (message == WM_INITDIALOG) {
    FillDriverDialog(dialog, g_dialogDriver, g_dialogDevice, g_dialogMode);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int control = static_cast<int>(wParam & 0xFFFF);
  const int notification = static_cast<int>((wParam >> 16) & 0xFFFF);
  if (control == IDOK) {
    g_ChosenDriver = g_dialogDriver;
    g_ChosenDevice = g_dialogDevice;
    const LRESULT selected = SendDlgItemMessageA(dialog, IDC_MODE_LIST, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return TRUE;  // OK without a mode keeps the dialog open
    g_ChosenMode = static_cast<std::uint32_t>(SendDlgItemMessageA(dialog, IDC_MODE_LIST, CB_GETITEMDATA,
                                                                   static_cast<WPARAM>(selected), 0));
    EndDialog(dialog, 1);
    return TRUE;
  }
  if (control == IDCANCEL) {
    EndDialog(dialog, 2);
    return TRUE;
  }
  if (notification != CBN_SELENDOK) return FALSE;
  const LRESULT selected = SendDlgItemMessageA(dialog, control, CB_GETCURSEL, 0, 0);
  if (selected == CB_ERR) return TRUE;
  const auto index = static_cast<std::uint32_t>(selected);
  if (control == IDC_DRIVER_LIST) {
    if (index != g_dialogDriver) {
      g_dialogDriver = index;
      g_dialogDevice = 0;
      g_dialogMode = 0;
    }
  } else if (control == IDC_DEVICE_LIST) {
    if (index != g_dialogDevice) {
      g_dialogDevice = index;
      g_dialogMode = 0;
    }
  } else if (control == IDC_MODE_LIST) {
    g_dialogMode = static_cast<std::uint32_t>(SendDlgItemMessageA(dialog, IDC_MODE_LIST, CB_GETITEMDATA, index, 0));
  }
  FillDriverDialog(dialog, g_dialogDriver, g_dialogDevice, g_dialogMode);
  return TRUE;
}

bool Direct3DRenderer::AlphaTestReplacesColourKey() {
  if (!alphaTestUsable || g_TextureFormatCount == 0) return false;
  const TextureFormatInfo& f = g_TextureFormats[g_ChosenTextureFormat];
  return f.redBits + f.greenBits + f.blueBits < 16;
}

namespace {

void ShowDesktopSurface() {
  if (Direct3DRenderer::directDraw) Direct3DRenderer::directDraw->FlipToGDISurface();
}

}  // namespace

bool Renderer::Open() {
  g_BeforeMessageBox = ShowDesktopSurface;
  // Whatever a failed Open left goes first.
  Close();
  ForgetStates();
  BuildFadeQuad(static_cast<float>(g_ScreenWidth), static_cast<float>(g_ScreenHeight));
  fadeDirection = FADE_IN;
  fadeDarkness = 1.0f;
  fadeDuration = 1.0f;
  fadeElapsed = 0.0f;
  fadeCallback = nullptr;
  depthBias = 0;
  Direct3DRenderer::alphaTestUsable = 0;

  DisplayEnumerationTarget target{g_DisplayDrivers, &g_DisplayDriverCount, &g_ChosenDriver, &g_ChosenDevice};
  g_ChosenMode = 0;
  if (!EnumerateDisplayHardware(target)) return false;

  if (!Direct3DRenderer::ChooseFromRegistry()) {
    const std::intptr_t answer = DialogBoxParamA(nullptr, DRIVER_DIALOG_RESOURCE, g_MainWindow,
                                                 Direct3DRenderer::SelectDriverDialogProc, 0);
    if (answer != 1) return false;
  }
  // Indices from the dialog or the registry are checked before any table read.
  if (g_ChosenDriver >= g_DisplayDriverCount) return false;
  const DisplayDriverInfo& driver = g_DisplayDrivers[g_ChosenDriver];
  if (g_ChosenMode >= driver.modeCount || g_ChosenDevice >= driver.deviceCount) return false;
  const DisplayModeInfo& mode = driver.modes[g_ChosenMode];
  g_ScreenWidth = mode.width;
  g_ScreenHeight = mode.height;

  IDirectDraw* first = nullptr;
  if (DirectDrawCreate(driver.guidPointer, &first, nullptr) != DD_OK) return false;
  IDirectDraw4*& dd = Direct3DRenderer::directDraw;
  const HRESULT queried = first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&dd));
  first->Release();
  if (queried != DD_OK ||
      dd->QueryInterface(IID_IDirect3D3, reinterpret_cast<void**>(&Direct3DRenderer::direct3D)) != DD_OK)
    return false;
  const HRESULT level = dd->SetCooperativeLevel(g_MainWindow, DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE |
                                                                  DDSCL_FPUSETUP);
  if (level != DD_OK && level != DDERR_EXCLUSIVEMODEALREADYSET) return false;
  if (dd->SetDisplayMode(mode.width, mode.height, mode.bitsPerPixel, 0, 0) != DD_OK) return false;
  if (!Direct3DRenderer::CreateSurfaces() || !Direct3DRenderer::CreateZBuffer() ||
      !Direct3DRenderer::CreateDevice() || !Direct3DRenderer::CreateViewport())
    return false;

  g_ViewWidth = static_cast<float>(g_ScreenWidth) - 1.0f;
  g_ViewHeight = static_cast<float>(g_ScreenHeight) - 1.0f;
  g_ViewRect = {0.0f, static_cast<float>(g_ScreenWidth) - 1.0f, 0.0f, static_cast<float>(g_ScreenHeight) - 1.0f};
  SetZEnable(true);
  SetZWriteEnable(true);

  if (!std::strstr(driver.name, "mm3dfx")) {
    D3DDEVICEDESC hardware{}, emulation{};
    hardware.dwSize = emulation.dwSize = sizeof(D3DDEVICEDESC);
    if (Direct3DRenderer::device->GetCaps(&hardware, &emulation) == D3D_OK) {
      const DWORD caps = hardware.dpcTriCaps.dwAlphaCmpCaps;
      Direct3DRenderer::alphaTestUsable = caps != 0 && caps != D3DPCMPCAPS_NEVER && caps != D3DPCMPCAPS_LESSEQUAL;
    }
  }
  BuildFadeQuad(static_cast<float>(g_ScreenWidth), static_cast<float>(g_ScreenHeight));
  const float rhw = 1.0f / g_Camera.nearPlane;
  for (ScreenVertex& v : fadeQuad) SetDirect3DDepth(&v, 0.0f, rhw);
  if (Direct3DRenderer::openObserver) Direct3DRenderer::openObserver();
  return true;
}

void Renderer::Close() {
  ReleaseAndClear(Direct3DRenderer::viewport);
  ReleaseAndClear(Direct3DRenderer::device);
  ReleaseAndClear(Direct3DRenderer::direct3D);
  ReleaseAndClear(Direct3DRenderer::zBuffer);
  ReleaseAndClear(Direct3DRenderer::backBuffer);
  ReleaseAndClear(Direct3DRenderer::primary);
  if (Direct3DRenderer::directDraw) {
    Direct3DRenderer::directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL | DDSCL_ALLOWREBOOT | DDSCL_FPUSETUP);
    ReleaseAndClear(Direct3DRenderer::directDraw);
  }
}
