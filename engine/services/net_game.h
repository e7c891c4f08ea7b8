// What the engine, the riders and the race ask of the network session. The
// multiplayer library installs the real session; until then every caller
// gets the unconnected one below: the period is 0.2 s, the tick is never
// raised and every send is dropped. Tests install recording doubles.
#pragma once

#include <array>
#include <cstdint>

constexpr std::uint32_t NET_MSG_RIDER_STATE = 0x1016;

// The 20-byte rider-state record as it travels (little-endian).
using NetRiderRecord = std::array<std::uint8_t, 20>;

class NetGame {
 public:
  virtual ~NetGame() = default;

  // The time one rider state covers, in seconds.
  float period = 0.2f;
  // Raised for the one frame in which the accumulated time reached the
  // period; clear in every other frame.
  std::uint8_t periodTick = 0;

  virtual void SendRiderState(std::uint32_t type, NetRiderRecord record) {
    (void)type;
    (void)record;
  }
  // Each frame of a network race, before the riders are updated: adds the
  // elapsed seconds and, when they reach the period, takes one period off
  // and raises periodTick for this frame only. The unconnected session
  // keeps the tick clear.
  virtual void UpdateTimers(float elapsed) { (void)elapsed; }
};

// Never null.
extern NetGame* g_NetGame;
// Null puts the unconnected session back.
void InstallNetGame(NetGame* game);
