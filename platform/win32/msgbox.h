// Message boxes. SDL2's message box where a display exists; with no display
// the text goes to standard error and the box answers IDOK. Never blocks a
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
};

// Test backend: boxes are recorded instead of shown and answered from the
// script, in order (IDOK once the script is used up).
void UseTestMessageBoxes(bool on);
void ScriptMessageBoxAnswers(const std::vector<int>& answers);
const std::vector<MessageBoxCall>& RecordedMessageBoxes();
void ClearRecordedMessageBoxes();

}  // namespace platform
