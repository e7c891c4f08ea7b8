// The setup program's application: reads and checks the configuration,
// checks the installed build's graphics prerequisite, and runs the property
// sheet with that build's settings page and the game controls page.
#pragma once

#include "platform/win32/types.h"

class SetupApp {
 public:
  // The whole run; always FALSE (the program then ends).
  BOOL InitInstance();

  // The run stopped on a missing prerequisite or a bad configuration,
  // without showing the sheet (the program then ends with a failure).
  bool aborted = false;
};

extern SetupApp g_SetupApp;

// 0, 0x100, 0x200, 0x300, 0x500 or 0x600.
void DetectDirectXVersion(DWORD* version);

// Puts every global of the program back to its value before a run (a test
// runs the program several times in one process).
void ResetSetupState();
