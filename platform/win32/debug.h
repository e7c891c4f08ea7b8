// Debugger output: written to standard error when KELVARRO_DEBUG_OUTPUT is
// set, otherwise dropped; recorded by the test backend.
#pragma once

#include <string>
#include <vector>

void OutputDebugStringA(const char* text);

namespace platform {

void RecordDebugOutput(bool on);
const std::vector<std::string>& RecordedDebugOutput();
void ClearRecordedDebugOutput();

}  // namespace platform
