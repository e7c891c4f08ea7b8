// What the engine, the riders and the race ask of the network session. The
// multiplayer library installs the real session; until then every caller
// gets the unconnected one below: the period is 0.2 s, the tick is never
// raised and every send is dropped. Tests install recording doubles.
#pragma once

#include <array>
#include <cstdint>

constexpr std::uint32_t NET_MSG_EVENT_OPTION = 0x1001;
constexpr std::uint32_t NET_MSG_READY = 0x1008;
constexpr std::uint32_t NET_MSG_RIDER_OUT = 0x1011;
constexpr std::uint32_t NET_MSG_RIDER_BACK = 0x1012;
constexpr std::uint32_t NET_MSG_INTRO_DONE = 0x1013;
constexpr std::uint32_t NET_MSG_START_RACE = 0x1015;
constexpr std::uint32_t NET_MSG_RIDER_STATE = 0x1016;
constexpr std::uint32_t NET_MSG_RACE_CLOCK = 0x1021;
constexpr std::uint32_t NET_MSG_LAST_LAP = 0x1022;
constexpr std::uint32_t NET_MSG_RIDER_FINISHED = 0x1023;
constexpr std::uint32_t NET_MSG_RESULT = 0x1024;

class Rider;

// One rider's result as it travels: the two 16-byte race times are the
// race's time records copied whole.
struct NetResult {
  std::uint8_t position = 0;
  std::array<std::uint8_t, 16> crossingTime = {};
  std::array<std::uint8_t, 16> bestLap = {};
  std::uint32_t laps = 0;
  std::uint8_t out = 0;
};

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

  // What the race reads and sends.
  std::uint8_t isHost = 0;
  std::uint8_t isChampionship = 0;
  // Raised when the host changed; the race clears it once it has reported
  // its finish again.
  std::uint8_t serverChanged = 0;
  std::uint32_t localPlayerId = 0;
  std::uint32_t serverPlayerId = 0;
  virtual void RegisterRider(Rider* rider, std::uint8_t slot) {
    (void)rider;
    (void)slot;
  }
  virtual void SendRaceClock(std::uint32_t ms) { (void)ms; }
  // A message of its type alone, to every other player.
  virtual void SendSignal(std::uint32_t type) { (void)type; }
  // A message of its type and one value, to every other player.
  virtual void SendValue(std::uint32_t type, std::uint32_t value) {
    (void)type;
    (void)value;
  }
  virtual void SendResult(std::uint32_t fromId, std::uint32_t toId, const NetResult& result) {
    (void)fromId;
    (void)toId;
    (void)result;
  }
  // The host's results of the race to every other player.
  virtual void SendResults() {}
  // The session takes new players again.
  virtual void EnableJoining() {}
  virtual void LeaveSession() {}

  // The race's synchronisation, called by the race frame. The unconnected
  // session lets a race start and end at once.
  // Host: NET_MSG_INTRO_DONE counted; start: NET_MSG_START_RACE arrived
  // (on the host, sent).
  std::uint8_t introDoneCount = 0;
  std::uint8_t startReceived = 0;
  // A message of its type alone, to one player.
  virtual void SendSignalTo(std::uint32_t type, std::uint32_t playerId) {
    (void)type;
    (void)playerId;
  }
  // Every frame of the starting state: true once every player is ready.
  virtual bool UpdateStartSync() { return true; }
  // Every frame once the local rider's race is over: true once the results
  // are complete.
  virtual bool UpdateRaceEnd(unsigned ms) {
    (void)ms;
    return true;
  }
  virtual void SendSnapshotIfDue() {}
  virtual void SendFactors() {}
  virtual void Receive() {}
};

// Never null.
extern NetGame* g_NetGame;
// Null puts the unconnected session back.
void InstallNetGame(NetGame* game);
