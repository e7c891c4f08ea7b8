// The Direct3D side of the renderer of kelvarro_dx: the hardware choice
// (enumeration, registry, the "Select display driver" dialog), the rendering
// chain and its restore, the translations of the neutral render states, the
// texture storage in DirectDraw surfaces and the DirectDraw error box.
#pragma once

#include <cstdint>

#include "engine/renderer.h"
#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/display_enumeration.h"
#include "platform/ddraw/driver_dialog.h"

// The enumeration tables, rebuilt by every Open.
extern DisplayDriverInfo g_DisplayDrivers[MAX_DISPLAY_DRIVERS];
extern std::uint32_t g_DisplayDriverCount;
extern std::uint32_t g_ChosenDriver;
extern std::uint32_t g_ChosenMode;
extern std::uint32_t g_ChosenDevice;

// One texture format as the device reports it.
struct TextureFormatInfo {
  DDPIXELFORMAT pixelFormat;
  std::uint8_t palettized;
  std::uint32_t bitsPerPixel;
  std::uint32_t redBits;
  std::uint32_t greenBits;
  std::uint32_t blueBits;
};
constexpr int MAX_TEXTURE_FORMATS = 50;
extern TextureFormatInfo g_TextureFormats[MAX_TEXTURE_FORMATS];
extern std::uint8_t g_TextureFormatCount;
// The index in g_TextureFormats of the one format every texture uses.
extern std::uint8_t g_ChosenTextureFormat;

class Direct3DRenderer {
 public:
  // The device objects between Open and Close (null when absent).
  static IDirectDraw4* directDraw;
  static IDirectDrawSurface4* primary;
  static IDirectDrawSurface4* backBuffer;
  static IDirectDrawSurface4* zBuffer;
  static IDirect3D3* direct3D;
  static IDirect3DDevice3* device;
  static IDirect3DViewport3* viewport;

  static std::uint8_t backBufferInVideoMemory;
  static std::uint8_t zBufferInVideoMemory;
  static std::uint8_t alphaTestUsable;
  // The alpha reference that SetAlphaTest gives keyed drawing.
  static constexpr DWORD KEYED_ALPHA_REFERENCE = 192;

  // Part of Open: the registry's choice; false leaves the indices as far as
  // they were read.
  static bool ChooseFromRegistry();
  static BOOL SelectDriverDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  static void FillDriverDialog(HWND dialog, std::uint32_t driver, std::uint32_t device, std::uint32_t mode);
  // The dialog's own indices, kept for the whole run (reset for tests).
  static void ForgetDialogSelection();

  static bool CreateSurfaces();
  static bool CreateZBuffer();
  static HRESULT ZBufferFormatCallback(DDPIXELFORMAT* format, void* wanted);
  static bool CreateDevice();
  static bool CreateViewport();
  static bool LeaveFullScreen();
  static bool EnterFullScreen();

  // Whether keyed textures are hidden by the alpha test rather than the
  // colour key (a format with an alpha bit on a device that can test it).
  static bool AlphaTestReplacesColourKey();
  // Called after every presented frame when set (the program's screenshot).
  static void (*presentObserver)();
  // Called at the end of every successful Open.
  static void (*openObserver)();

  static DWORD BlendConstant(std::int32_t factor);
  static DWORD CompareConstant(std::int32_t compare);
  // The device's render state through the cache: sent only when it differs.
  static bool SetCachedState(std::int32_t& cached, D3DRENDERSTATETYPE state, std::int32_t value);
  // A ScreenVertex as the 32-byte pre-transformed vertex.
  static D3DTLVERTEX ToDirect3DVertex(const ScreenVertex& v);
};

// The texture storage's device half: the one format of every texture, chosen
// when the device is created; false after "Error: can't find a valid
// texture format." or without a 16-bit format.
bool ChooseTextureFormat();
HRESULT TextureFormatCallback(DDPIXELFORMAT* format, void* context);

// The box that names a DirectDraw result (its callers' file and line are not shown).
void ShowDirectDrawError(HRESULT code, const char* file = nullptr, int line = 0);
// The constant's name, "Unknown Error" for codes outside the table.
const char* DirectDrawErrorName(HRESULT code);
