// What the DirectX version probe of the setup program finds: our DirectDraw
// layer serves the DirectX 6 interfaces, unless a test asks for less.
#pragma once

#include "platform/win32/types.h"

namespace platform {

// The highest interface set answered: 0 (no DirectDraw), 0x100, 0x200,
// 0x300, 0x500 or 0x600.
DWORD InstalledDirectXVersion();
// Test override; 0x600 goes back to the layer's own answer.
void SetInstalledDirectXVersion(DWORD version);

}  // namespace platform
