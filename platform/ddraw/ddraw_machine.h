// The display hardware the DirectDraw layer reports: a fixed, deterministic
// list, so that the games and the setup program, which store their choices
// as indices into it, always agree. By default: one primary driver (no GUID)
// with the modes 640x480, 800x600, 1024x768 and 1280x1024 at 16 and 32 bits,
// a software "RGB Emulation" device and a hardware device; texture formats
// 1-5-5-5 then 5-6-5; Z formats of 16, 24 and 32 bits. No name holds a
// string that the games treat specially, so those paths stay unreachable
// here. Tests replace the machine to reach the limits and the failures.
#pragma once

#include <string>
#include <vector>

#include "platform/ddraw/ddraw.h"
#include "platform/glide/glide.h"  // platform::Picture

namespace platform {

struct DirectDrawMode {
  DWORD width;
  DWORD height;
  DWORD bitsPerPixel;
};

struct Direct3DDeviceSpec {
  std::string name;
  std::string description;
  GUID guid;
  bool hardware;              // reports its description as the hardware one
  DWORD textureCaps;          // D3DPTEXTURECAPS_*
  DWORD rasterCaps;           // D3DPRASTERCAPS_*
  DWORD alphaCompareCaps;     // D3DPCMPCAPS_*
  DWORD renderBitDepths;      // DDBD_*
  DWORD zBufferBitDepths;     // DDBD_*
  DWORD maxTextureSize;       // 0: reports none
  DWORD colourModel;          // D3DCOLOR_RGB or D3DCOLOR_MONO
};

struct DirectDrawDriverSpec {
  bool primary;  // reported without a GUID
  GUID guid;
  std::string name;
  std::string description;
  DWORD hardwareCaps;    // DDCAPS_*
  bool failsCreate;      // DirectDrawCreate refuses it
  std::vector<DirectDrawMode> modes;
  std::vector<Direct3DDeviceSpec> devices;
};

struct DirectDrawMachine {
  std::vector<DirectDrawDriverSpec> drivers;
  std::vector<DDPIXELFORMAT> textureFormats;  // in enumeration order
  std::vector<DDPIXELFORMAT> zFormats;        // in enumeration order
  DWORD textureMemory;                        // GetAvailableVidMem for textures
  // Fault injection.
  bool backBufferInSystemMemory = false;
  bool zBufferInSystemMemory = false;
  bool failCreateDevice = false;
  bool failEnumZBufferFormats = false;
  bool failCreateZBuffer = false;
  bool failSetDisplayMode = false;
  HRESULT flipResult = DD_OK;  // what Flip answers besides lost surfaces
  std::vector<DWORD> failingRenderStates;  // SetRenderState refuses these
};

// The machine every DirectDraw call answers from (the default one unless a
// test set another).
DirectDrawMachine DefaultDirectDrawMachine();
void SetDirectDrawMachine(const DirectDrawMachine& machine);
const DirectDrawMachine& CurrentDirectDrawMachine();

// GUIDs of the default devices, and a GUID built from a number for tests.
GUID DirectDrawTestGuid(DWORD n);
// Pixel formats by their masks.
DDPIXELFORMAT RgbPixelFormat(DWORD bits, DWORD red, DWORD green, DWORD blue, DWORD alpha);
DDPIXELFORMAT ZPixelFormat(DWORD bits);

// The layer's own switches.
// Lost surfaces never happen under OpenGL: while this is on, every surface
// reports itself lost (IsLost, Flip, Lock) until it is restored.
void SetDirectDrawSurfacesLost(bool lost);

// Test backend: no OpenGL and no window; every call is recorded with its
// numeric arguments, draws with their vertices and the render states they
// were drawn with. Switching either way releases the frame and clears the
// records.
void UseDirectDrawTestBackend(bool on);
bool UsingDirectDrawTestBackend();
struct DirectDrawCall {
  std::string function;
  std::vector<double> args;
};
struct DirectDrawDraw {
  std::vector<D3DTLVERTEX> vertices;
  DWORD states[D3D_RENDER_STATE_COUNT];
  bool textured;
};
const std::vector<DirectDrawCall>& RecordedDirectDrawCalls();
const std::vector<DirectDrawDraw>& RecordedDirectDrawDraws();
void ClearDirectDrawRecords();

// The frame (back buffer: the one being drawn; front: the last presented),
// at the display mode's size, rows from the top. False without an OpenGL frame.
bool DirectDrawReadFrame(bool front, Picture* out);
// The presented frame to a PNG file.
bool DirectDrawScreenshot(const std::string& path);

// A flip with DDFLIP_WAIT is held to about 60 frames a second by the OpenGL
// backend, as a display would; the benchmarks switch this off to measure the
// drawing alone.
void UseDirectDrawFramePacing(bool on);

// Benchmark helpers: a frame opened directly (no window enumeration), the
// same triangles drawn by a plain OpenGL program of the same effect
// (textured, modulated, perspective-correct, depth-tested, blended by source
// alpha), and a wait for the GPU.
bool BenchmarkPlainGLDraw(const D3DTLVERTEX* vertices, DWORD count, const std::uint16_t* texels1555, int texWidth,
                          int texHeight);
void DirectDrawFinish();

}  // namespace platform
