// Placeholder until the registry, message box and debug-output layers land
// (delete this file when they do).
#include "platform/win32/debug.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/registry.h"
namespace platform {
void SetRegistryFile(const std::string&) {}
void InjectRegistryWriteFailures(int) {}
void UseTestMessageBoxes(bool) {}
void ScriptMessageBoxAnswers(const std::vector<int>&) {}
void ClearRecordedMessageBoxes() {}
void RecordDebugOutput(bool) {}
void ClearRecordedDebugOutput() {}
}  // namespace platform
