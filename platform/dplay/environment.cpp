// Settings of the network layer that a test run gives through the
// environment: several games on one machine each need their own port, and a
// run that checks the game under loss needs it injected from outside.
//
//   KELVARRO_NET_PORT          the port hosts listen on and listings ask
//   KELVARRO_NET_LOSS          percent of unguaranteed messages dropped
//   KELVARRO_NET_SEED          where in the even spread of losses a run starts
//   KELVARRO_NET_PEER_TIMEOUT  milliseconds before a silent machine is gone
#include <cstdlib>
#include <string>

#include "platform/dplay/directplay.h"
#include "platform/dplay/dplay_internal.h"

namespace dplay {

namespace {

// A whole decimal number within [low, high]; anything else is ignored so a
// mistyped value cannot turn into port 0 or a negative loss.
bool ReadNumber(const char* name, long low, long high, long* value) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (*end != '\0' || v < low || v > high) return false;
  *value = v;
  return true;
}

}  // namespace

int g_lossStart = 0;

void ApplyEnvironment() {
  static bool applied = false;
  if (applied) return;
  applied = true;
  long v = 0;
  if (ReadNumber("KELVARRO_NET_PORT", 1, 65535, &v)) g_network.port = static_cast<std::uint16_t>(v);
  if (ReadNumber("KELVARRO_NET_LOSS", 0, 100, &v)) g_switches.lossPercent = static_cast<int>(v);
  if (ReadNumber("KELVARRO_NET_SEED", 0, 0x7FFFFFFF, &v)) g_lossStart = static_cast<int>(v % 100);
  if (ReadNumber("KELVARRO_NET_PEER_TIMEOUT", 100, 600000, &v)) g_network.peerTimeoutMs = static_cast<std::uint32_t>(v);
}

}  // namespace dplay
