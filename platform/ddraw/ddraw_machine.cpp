// The fixed display hardware of the DirectDraw layer.
#include "platform/ddraw/ddraw_machine.h"

namespace platform {

namespace {

DirectDrawMachine& Machine() {
  static DirectDrawMachine machine = DefaultDirectDrawMachine();
  return machine;
}

}  // namespace

GUID DirectDrawTestGuid(DWORD n) {
  GUID g{};
  g.Data1 = 0x6b656c76u;  // fixed so that stored choices stay valid between runs
  g.Data2 = 0x6464;
  g.Data3 = 0x7261;
  g.Data4[4] = static_cast<BYTE>(n >> 24);
  g.Data4[5] = static_cast<BYTE>(n >> 16);
  g.Data4[6] = static_cast<BYTE>(n >> 8);
  g.Data4[7] = static_cast<BYTE>(n);
  return g;
}

DDPIXELFORMAT RgbPixelFormat(DWORD bits, DWORD red, DWORD green, DWORD blue, DWORD alpha) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  f.dwFlags = DDPF_RGB | (alpha ? DDPF_ALPHAPIXELS : 0);
  f.dwRGBBitCount = bits;
  f.dwRBitMask = red;
  f.dwGBitMask = green;
  f.dwBBitMask = blue;
  f.dwRGBAlphaBitMask = alpha;
  return f;
}

DDPIXELFORMAT ZPixelFormat(DWORD bits) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  f.dwFlags = DDPF_ZBUFFER;
  f.dwRGBBitCount = bits;
  return f;
}

DirectDrawMachine DefaultDirectDrawMachine() {
  DirectDrawMachine m;
  DirectDrawDriverSpec driver;
  driver.primary = true;
  driver.guid = {};
  driver.name = "display";
  driver.description = "Primary Display Driver";
  driver.hardwareCaps = DDCAPS_3D;
  driver.failsCreate = false;
  for (DWORD bits : {16u, 32u}) {
    driver.modes.push_back({640, 480, bits});
    driver.modes.push_back({800, 600, bits});
    driver.modes.push_back({1024, 768, bits});
    driver.modes.push_back({1280, 1024, bits});
  }
  const DWORD allCompares = D3DPCMPCAPS_NEVER | D3DPCMPCAPS_LESS | D3DPCMPCAPS_EQUAL | D3DPCMPCAPS_LESSEQUAL |
                            D3DPCMPCAPS_GREATER | D3DPCMPCAPS_NOTEQUAL | D3DPCMPCAPS_GREATEREQUAL |
                            D3DPCMPCAPS_ALWAYS;
  driver.devices.push_back({"RGB Emulation", "Microsoft Direct3D RGB Software Emulation", DirectDrawTestGuid(1),
                            false, D3DPTEXTURECAPS_PERSPECTIVE, 0, allCompares, DDBD_16 | DDBD_32,
                            DDBD_16 | DDBD_24 | DDBD_32, 1024, D3DCOLOR_RGB});
  driver.devices.push_back({"Direct3D HAL", "Direct3D OpenGL Hardware Abstraction Layer", DirectDrawTestGuid(2),
                            true, D3DPTEXTURECAPS_PERSPECTIVE, 0, allCompares, DDBD_16 | DDBD_32,
                            DDBD_16 | DDBD_24 | DDBD_32, 2048, D3DCOLOR_RGB});
  m.drivers.push_back(driver);
  m.textureFormats.push_back(RgbPixelFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000));
  m.textureFormats.push_back(RgbPixelFormat(16, 0xF800, 0x07E0, 0x001F, 0));
  m.zFormats = {ZPixelFormat(16), ZPixelFormat(24), ZPixelFormat(32)};
  m.textureMemory = 16u << 20;
  return m;
}

void SetDirectDrawMachine(const DirectDrawMachine& machine) { Machine() = machine; }
const DirectDrawMachine& CurrentDirectDrawMachine() { return Machine(); }

}  // namespace platform
