// Message boxes. SDL2's message box, over its owner's window, where a display
// exists. With no display, or once a Ctrl-C or SIGTERM came
// (platform/win32/interrupt.h), the text goes to standard error and nobody
// answers: IDCANCEL when the box has Cancel, else IDOK. Never blocks a
// headless run.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/types.h"

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

namespace platform {

struct MessageBoxCall {
  std::string text;
  std::string caption;
  UINT type;
  HWND owner;
  bool ownerMinimised;  // as the box came up
};

// Test backend: boxes are recorded instead of shown and answered from the
// script, in order (IDOK once the script is used up); after a Ctrl-C or
// SIGTERM they answer as nobody would.
void UseTestMessageBoxes(bool on);
void ScriptMessageBoxAnswers(const std::vector<int>& answers);
const std::vector<MessageBoxCall>& RecordedMessageBoxes();
void ClearRecordedMessageBoxes();

}  // namespace platform
