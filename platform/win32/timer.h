// Time: timeGetTime, milliseconds from a monotonic clock, wrapping at 2^32.
#pragma once

#include "platform/win32/types.h"

DWORD timeGetTime();
void Sleep(DWORD milliseconds);

namespace platform {

// Test backend: time stands at `ms` and moves only by AdvanceTime (and Sleep).
void UseTestTime(DWORD ms);
void AdvanceTime(DWORD ms);
void UseRealTime();

}  // namespace platform
