// Inside the DirectPlay layer: creation of the DirectPlay object.
#pragma once

#include "platform/dplay/dplay.h"

namespace dplay {

// `connected`: already bound to TCP/IP (as DirectPlayCreate makes it).
IDirectPlay4A* NewDirectPlay(bool connected);

// CoCreateInstance's part for the DirectPlay classes; `known` false for any
// other class.
HRESULT CreateObject(REFCLSID clsid, void* outer, REFIID iid, void** out, bool* known);

}  // namespace dplay
