// What the engine, the riders and the race ask of the network session. The
// multiplayer library installs the real session; until then every caller
// gets the unconnected one below: the period is 0.2 s, the tick is never
// raised and every send is dropped. Tests install recording doubles.
#pragma once

#include <array>
#include <cstdint>

constexpr std::uint32_t NET_MSG_EVENT_OPTION = 0x1001;
constexpr std::uint32_t NET_MSG_CONFIRM = 0x1005;
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
class RaceManager;

// The network game's globals that the front end and the race read. The
// player count includes this machine (1 when alone or outside a session).
extern std::uint8_t g_NetPlayerCount;
// Sessions found by the last listing.
extern std::uint8_t g_NetSessionCount;
// A client received the race start; the race load clears it.
extern std::uint8_t g_NetRaceStartReceived;
// This machine became the host by migration; the UI scene clears it.
extern std::uint8_t g_NetBecameHost;
// The session was lost; the UI scene clears it.
extern std::uint8_t g_NetSessionLost;
// A client received the host's confirmation of the chosen event.
extern std::uint8_t g_NetConfirmed;

// The lobby's connection settings, as the lobby's step buttons number them.
enum NetLobbySetting : std::uint8_t {
  NET_SETTING_MODEM = 0,
  NET_SETTING_COM_PORT = 1,
  NET_SETTING_BAUD_RATE = 2,
  NET_SETTING_PARITY = 3,
  NET_SETTING_STOP_BITS = 4,
  NET_SETTING_FLOW_CONTROL = 5,
  NET_SETTING_COUNT = 6,
};

constexpr std::uint32_t NET_TEXT_SIZE = 256;

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
  // Each frame of a network race, before the riders are updated. The rider
  // states' clock runs on real time, so machines with different frame rates
  // send at the same rate: when it has reached the period, one period is
  // taken off and periodTick is raised for this frame only (so a long frame
  // gives one tick and the rest carries over); otherwise the real time since
  // the previous frame is added. The 30-second condition cycle runs on the
  // frame time passed in. The unconnected session keeps the tick clear.
  virtual void UpdateTimers(float frameTime) { (void)frameTime; }

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
  // The race load hands over its manager; the race scene takes it back (null)
  // when it goes, and with it every registered rider.
  virtual void SetRaceManager(RaceManager* manager) { (void)manager; }
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

  // What the lobby reads and writes. Texts are 256-byte, NUL-terminated.
  std::uint8_t inSession = 0;
  // The chosen session, as its index in the whole list.
  std::uint8_t sessionIndex = 0;
  char sessionName[NET_TEXT_SIZE] = {};
  char hostAddress[NET_TEXT_SIZE] = {};
  char phoneNumber[NET_TEXT_SIZE] = {};
  // Per player slot, the line of text that player sent last.
  char slotTexts[7][NET_TEXT_SIZE] = {};

  // The lobby's operations; the unconnected session fails every one that
  // can fail and shows empty texts.
  virtual void SelectConnectionKind(std::uint8_t kind) { (void)kind; }
  virtual std::uint8_t ConnectionIndex() const { return 0; }
  // Up: the setting's next value, held at its top; down: the previous one,
  // held at 0.
  virtual void StepSetting(std::uint8_t setting, bool up) {
    (void)setting;
    (void)up;
  }
  virtual const char* GetSettingText(std::uint8_t setting) {
    (void)setting;
    return "";
  }
  virtual std::uint8_t FirstShownSession() const { return 0; }
  // Forward: one row on, held so that the last row shows the last session;
  // back: one row back, held at the first.
  virtual void ScrollSessionList(bool forward) { (void)forward; }
  virtual const char* GetSessionText(std::uint8_t row) {
    (void)row;
    return "";
  }
  // The listed session's name ("" past the list).
  virtual const char* ListedSessionName(std::uint8_t session) {
    (void)session;
    return "";
  }
  virtual const char* GetPlayerText(std::uint8_t slot) {
    (void)slot;
    return "";
  }
  virtual bool BuildAddress() { return false; }
  virtual bool InitializeConnection() { return false; }
  virtual bool EnumSessions() { return false; }
  // The players of a listed session (current false) or of the joined one.
  virtual void EnumPlayers(std::uint8_t session, bool current) {
    (void)session;
    (void)current;
  }
  virtual bool HostSession() { return false; }
  virtual bool JoinSession() { return false; }
  virtual bool DisableJoining() { return false; }
  // The receive pump: every frame of a network game.
  virtual void Receive() {}
  virtual void SendPlayerText(const char* text) { (void)text; }
  virtual void SendSelection(std::uint16_t eventIndex, std::uint16_t pageValue) {
    (void)eventIndex;
    (void)pageValue;
  }
  // Host: the grid and the race start to every other player.
  virtual void SendRaceStart() {}
  // This machine's player's DirectPlay name.
  virtual void SetLocalPlayerName(const char* name) { (void)name; }
  // This machine's player's name and rider choice, to the host (on the host,
  // to every other player).
  virtual void SendPlayerInfo(const char* name, std::uint16_t riderNumber) {
    (void)name;
    (void)riderNumber;
  }

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
  // A client's start report (NET_MSG_READY, NET_MSG_INTRO_DONE) to the
  // server player: sent when `due`, and again whenever the server changed,
  // which it then clears. The host reports to nobody.
  void ReportToServer(std::uint32_t type, bool due) {
    if (isHost || (!due && !serverChanged)) return;
    SendSignalTo(type, serverPlayerId);
    serverChanged = 0;
  }
  // Every frame of the starting state: true once every player is ready.
  virtual bool UpdateStartSync() { return true; }
  // Every frame once the local rider's race is over: true once the results
  // are complete. The host's wait after the last report runs on the frame
  // time; `ms` is the frame's milliseconds.
  virtual bool UpdateRaceEnd(unsigned ms) {
    (void)ms;
    return true;
  }
  virtual void SendSnapshotIfDue() {}
  virtual void SendFactors() {}
};

// Never null.
extern NetGame* g_NetGame;
// Null puts the unconnected session back.
void InstallNetGame(NetGame* game);
