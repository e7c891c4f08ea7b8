#include "platform/ddraw/directx_version.h"

namespace {
DWORD g_version = 0x600;
}

namespace platform {

DWORD InstalledDirectXVersion() { return g_version; }
void SetInstalledDirectXVersion(DWORD version) { g_version = version; }

}  // namespace platform
