// Shared between the application's start-up and its shutdown.
#pragma once

#include <string>

#include "platform/win32/window.h"

// Start-up steps that fail without a box of their own say on standard error
// what failed and in which game root: BeginStartupStep before the step,
// StartupStepFailed (which returns false) when it fails.
void BeginStartupStep();
bool StartupStepFailed(const std::string& what);

// Switches AutoRun off and remembers that it has to go back.
void DisableAutoRunForGame();
// Puts the AutoRun policy back once, whichever exit path comes first.
void RestoreAutoRunOnce();

// What WindowProc hands the messages it does not consume to: DefWindowProcA,
// or a test's recorder.
extern WNDPROC g_DefaultWindowProc;
