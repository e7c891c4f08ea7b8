// Debugger output goes to standard error on request (KELVARRO_DEBUG_OUTPUT).
#include "platform/win32/debug.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool g_Record = false;
std::vector<std::string> g_Recorded;

}  // namespace

void OutputDebugStringA(const char* text) {
  if (!text) return;
  if (g_Record) g_Recorded.emplace_back(text);
  const char* on = std::getenv("KELVARRO_DEBUG_OUTPUT");
  if (on && *on) {
    std::fputs(text, stderr);
    std::fflush(stderr);
  }
}

namespace platform {

void RecordDebugOutput(bool on) { g_Record = on; }

const std::vector<std::string>& RecordedDebugOutput() { return g_Recorded; }

void ClearRecordedDebugOutput() { g_Recorded.clear(); }

}  // namespace platform
