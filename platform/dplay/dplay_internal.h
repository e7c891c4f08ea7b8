// Inside the DirectPlay layer: creation of the DirectPlay object.
#pragma once

#include "platform/dplay/dplay.h"

namespace dplay {

// `connected`: already bound to TCP/IP (as DirectPlayCreate makes it).
IDirectPlay4A* NewDirectPlay(bool connected);

// Takes the port, loss, loss start and peer timeout from the environment
// (once; later calls do nothing).
void ApplyEnvironment();
// Where a new object's even spread of losses starts (0..99).
extern int g_lossStart;

// CoCreateInstance's part for the DirectPlay classes; `known` false for any
// other class.
HRESULT CreateObject(REFCLSID clsid, void* outer, REFIID iid, void** out, bool* known);

}  // namespace dplay
