// Shared between the application's start-up and its shutdown.
#pragma once

#include "platform/win32/window.h"

// Switches AutoRun off and remembers that it has to go back.
void DisableAutoRunForGame();
// Puts the AutoRun policy back once, whichever exit path comes first.
void RestoreAutoRunOnce();

// What WindowProc hands the messages it does not consume to: DefWindowProcA,
// or a test's recorder.
extern WNDPROC g_DefaultWindowProc;
