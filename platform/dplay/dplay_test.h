// Settings of the DirectPlay layer's network and its test switches: the port
// and broadcast address, the time limits, injected loss and latency, the
// order of the two host-migration events, and a virtual network (the test
// backend) in place of ENet, with a record of what went on its wire.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dplay/dplay.h"

namespace platform {

struct DirectPlayNetwork {
  // Hosts listen on this port; a listing with an empty host broadcasts to it,
  // and one with a host without ":port" asks it. 0 (hosts only): any free port.
  std::uint16_t port = 28716;
  // Where an empty host address sends its question.
  std::string broadcastAddress = "255.255.255.255";
  // A join, or the first answer of a listing, gives up after this long.
  std::uint32_t connectTimeoutMs = 5000;
  // A listing's first call waits this long for answers before it reports.
  std::uint32_t firstListingMs = 250;
  // A listing asks again at this interval, and forgets a session that has
  // not answered for `sessionExpiryMs`.
  std::uint32_t queryIntervalMs = 1000;
  std::uint32_t sessionExpiryMs = 4000;
  // A machine that has not answered the keepalive for this long is gone.
  std::uint32_t peerTimeoutMs = 5000;
};
void SetDirectPlayNetwork(const DirectPlayNetwork& network);
const DirectPlayNetwork& GetDirectPlayNetwork();

struct DirectPlayTestSwitches {
  // Of every 100 messages sent without DPSEND_GUARANTEED, this many are lost
  // (spread evenly, the same on every run).
  int lossPercent = 0;
  // Every message that arrives is held this long before it is queued.
  std::uint32_t latencyMs = 0;
  // On the machine that becomes host: DPSYS_HOST before the destruction of
  // the old host's players instead of after it.
  bool hostBeforeDestroy = false;
};
void SetDirectPlayTestSwitches(const DirectPlayTestSwitches& switches);

// The virtual network: every DirectPlay object created while it is on talks
// over it instead of ENet. Time stands still except that each wait the layer
// makes inside a call advances it, and AdvanceTestNetwork.
void UseTestNetwork(bool on);
void AdvanceTestNetwork(std::uint32_t ms);
std::uint32_t TestNetworkTime();
// The machine listening on this port stops answering, as a crashed one would.
void SilenceTestNetworkPort(std::uint16_t port);

struct TestNetSend {
  std::uint16_t fromPort;
  std::uint16_t toPort;
  bool reliable;
  bool datagram;  // a listing's question or answer
  std::vector<std::uint8_t> bytes;
};
const std::vector<TestNetSend>& TestNetworkSends();
void ClearTestNetworkSends();

// The port a DirectPlay object listens on (0 before it has one).
std::uint16_t DirectPlayBoundPort(IDirectPlay4A* directPlay);
// Bytes that the object's own sends have put on the wire (protocol headers
// included) and the game payload bytes it was given to send.
struct DirectPlayTraffic {
  std::uint64_t wireBytes = 0;
  std::uint64_t payloadBytes = 0;
};
DirectPlayTraffic DirectPlayTrafficOf(IDirectPlay4A* directPlay);

}  // namespace platform
