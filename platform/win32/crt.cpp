// The original runtime's generator, so that sequences repeat exactly.
#include "platform/win32/crt.h"

#include <cstdint>

namespace crt {

namespace {
std::uint32_t g_State = 1;
}

void srand(unsigned int seed) { g_State = static_cast<std::uint32_t>(seed); }

unsigned int state() { return g_State; }

int rand() {
  g_State = g_State * 214013u + 2531011u;
  return static_cast<int>((g_State >> 16) & 0x7fff);
}

}  // namespace crt
