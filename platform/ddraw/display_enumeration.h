// The display drivers, their modes and their 3D devices as the games and the
// setup program record them: the same tables filled by the same rules, so
// that the indices stored in the registry name the same hardware in both.
#pragma once

#include <cstdint>

#include "platform/ddraw/ddraw.h"

constexpr int MAX_DISPLAY_DRIVERS = 5;
constexpr int MAX_DISPLAY_MODES = 50;
constexpr int MAX_DIRECT3D_DEVICES = 5;

enum Direct3DDeviceKind : std::uint32_t {
  D3D_DEVICE_SOFTWARE = 0,
  D3D_DEVICE_HARDWARE = 1,
  D3D_DEVICE_MMX = 2,
};

struct DisplayModeInfo {
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t bitsPerPixel;
  char label[40];  // "%lu x %lu x %lu"
};

struct Direct3DDeviceInfo {
  char name[30];
  char description[70];
  GUID guid;
  D3DDEVICEDESC desc;  // the hardware description of a hardware device, else the emulation one
  std::uint32_t kind;  // Direct3DDeviceKind
  std::uint8_t usable;        // perspective-correct texturing
  std::uint8_t needsZBuffer;  // names a Z depth and has no Z-less hidden-surface removal
};

struct DisplayDriverInfo {
  char name[30];
  char description[70];
  GUID guid;
  GUID* guidPointer;  // null for the primary driver
  DDCAPS hardwareCaps;
  DDCAPS emulationCaps;
  std::uint32_t modeCount;
  DisplayModeInfo modes[MAX_DISPLAY_MODES];
  std::uint32_t deviceCount;
  Direct3DDeviceInfo devices[MAX_DIRECT3D_DEVICES];
};

// Where an enumeration writes: the table, its count, and the indices it
// leaves behind (the last driver, and the last hardware device of any
// driver or 0).
struct DisplayEnumerationTarget {
  DisplayDriverInfo* drivers;
  std::uint32_t* driverCount;
  std::uint32_t* chosenDriver;
  std::uint32_t* chosenDevice;
};

// The DirectDraw driver callback: records the driver when its objects can be
// made; stops after MAX_DISPLAY_DRIVERS. `context` is the target.
BOOL EnumDriverCallback(GUID* guid, char* description, char* name, void* context);
// Appends a mode to the driver (context); stops after MAX_DISPLAY_MODES.
HRESULT EnumModeCallback(DDSURFACEDESC2* mode, void* context);
// Appends a device to the target's current driver; stops after MAX_DIRECT3D_DEVICES.
HRESULT EnumDeviceCallback(GUID* guid, char* description, char* name, D3DDEVICEDESC* hardware,
                           D3DDEVICEDESC* emulation, void* context);

// The whole enumeration: drivers, then each driver's modes and devices. False
// when no driver can be used or a call of the per-driver pass fails.
bool EnumerateDisplayHardware(const DisplayEnumerationTarget& target);
