// The one COM-style object factory of the platform: the movie graph
// (platform/dshow) and the network session objects (platform/dplay) are both
// made by CoCreateInstance.
#pragma once

#include "platform/win32/types.h"

using REFCLSID = const GUID&;

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;

HRESULT CoCreateInstance(REFCLSID clsid, void* outer, DWORD context, REFIID iid, void** out);
