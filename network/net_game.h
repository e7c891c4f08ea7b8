// The network game: the DirectPlay objects, the installed connections and
// modems, the listed sessions, the seven player slots of the joined session
// (slot 0 this machine's player), the host's "##SERVER##" player, the receive
// pump with its handlers, and the senders of the game's messages. One object,
// installed as g_NetGame by InstallNetworkGame; everything runs on the
// game's thread inside the lobby commands, the scenes' frames and the pump.
//
// Slot i of the network game is slot i of the players list and rider slot i
// of the race; messages name players by their DirectPlay id, never by slot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/services/net_game.h"
#include "network/lobby_settings.h"
#include "network/net_messages.h"
#include "platform/dplay/dplay.h"

class RaceManager;

constexpr DWORD NET_MAX_PLAYERS = 8;
// Session flags: keepalive and host migration; joining disabled adds 0x20.
constexpr DWORD NET_SESSION_FLAGS = DPSESSION_KEEPALIVE | DPSESSION_MIGRATEHOST;
constexpr DWORD NET_SESSION_FLAGS_CLOSED = NET_SESSION_FLAGS | DPSESSION_JOINDISABLED;
extern const GUID NET_APPLICATION_GUID;
extern const char NET_SERVER_NAME[];      // "##SERVER##"
extern const char NET_NEW_PLAYER_NAME[];  // "##NEWPLAYER##"
// The pump handles at most this many messages of one queue a frame; the
// rest wait for the next frame.
constexpr std::uint32_t NET_MAX_MESSAGES_PER_FRAME = 255;

struct NetConnection {
  GUID serviceProvider{};
  char name[NET_NAME_TEXT_SIZE] = {};
};

struct NetSessionEntry {
  DPSESSIONDESC2 desc{};  // its name pointer points to `name`
  char name[NET_NAME_TEXT_SIZE] = {};
};

struct NetPlayerName {
  char shortName[NET_NAME_TEXT_SIZE] = {};
  char longName[NET_NAME_TEXT_SIZE] = {};
};

extern IDirectPlay4A* g_DirectPlay;
extern IDirectPlayLobby3A* g_DirectPlayLobby;
extern NetConnection g_NetConnections[NET_MAX_CONNECTIONS];
extern std::uint8_t g_NetConnectionCount;
extern NetSessionEntry g_NetSessions[NET_MAX_SESSIONS];
extern NetPlayerName g_NetPlayerNames[NET_PLAYER_SLOTS];
extern DPID g_NetServerPlayerId;
extern std::uint32_t g_NetReceiveBufferSize;

class DirectPlayNetGame final : public NetGame {
 public:
  DirectPlayNetGame();
  ~DirectPlayNetGame() override;
  DirectPlayNetGame(const DirectPlayNetGame&) = delete;
  DirectPlayNetGame& operator=(const DirectPlayNetGame&) = delete;

  // Start-up: the DirectPlay object with the connection list, the lobby
  // object, the modem list (left empty when the modem provider is missing).
  bool CreateDirectPlay();
  bool CreateLobby();
  void EnumModems();

  // Connection and sessions.
  void SelectConnectionKind(std::uint8_t kind) override;
  std::uint8_t ConnectionIndex() const override { return settings.connectionIndex; }
  void StepSetting(std::uint8_t setting, bool up) override;
  const char* GetSettingText(std::uint8_t setting) override;
  std::uint8_t FirstShownSession() const override { return settings.firstShownSession; }
  void ScrollSessionList(bool forward) override;
  const char* GetSessionText(std::uint8_t row) override;
  const char* ListedSessionName(std::uint8_t session) override;
  const char* GetPlayerText(std::uint8_t slot) override;
  bool BuildAddress() override;
  bool InitializeConnection() override;
  bool EnumSessions() override;
  void EnumPlayers(std::uint8_t session, bool current) override;
  bool HostSession() override;
  bool JoinSession() override;
  void LeaveSession() override { Leave(); }
  // True when the session was left (or none was open).
  bool Leave();
  bool DisableJoining() override;
  void EnableJoining() override { SetJoining(true); }
  bool SetJoining(bool open);
  bool CreateLocalPlayer(const char* name);
  bool CreateServerPlayer();
  void SetLocalPlayerName(const char* name) override;

  // The pump and its handlers.
  void Receive() override;
  void HandleSystemMessage(std::span<const std::uint8_t> message, DPID receiver);
  void HandleGameMessage(std::span<const std::uint8_t> message, DPID sender, DPID receiver);

  // Race load: kind 1 the local rider into slot 0, kind 2 a remote rider
  // into the first empty slot.
  void RegisterRider(Rider* rider, std::uint8_t kind) override;
  bool Register(Rider* rider, std::uint8_t kind);
  void SetRaceManager(RaceManager* manager) override;

  // The race run together: the start and end handshakes, the clocks, the
  // host's relay of states and conditions, the final order and the results.
  bool UpdateStartSync() override;
  void UpdateTimers(float frameTime) override;
  void SendSnapshotIfDue() override;
  void BroadcastSnapshot();
  void SendFactors() override;
  bool UpdateRaceEnd(unsigned ms) override;
  // The local rider is out but the race has not yet written its own record.
  bool OwnReportPending() const;
  void ComputeFinalOrder();
  void SendResults() override;

  // Senders. "To all" is one send per occupied remote slot.
  void SendSignal(std::uint32_t type) override { SendSignalTo(type, true, 0); }
  void SendSignalTo(std::uint32_t type, std::uint32_t playerId) override { SendSignalTo(type, false, playerId); }
  void SendSignalTo(std::uint32_t type, bool broadcast, DPID target);
  void SendValue(std::uint32_t type, std::uint32_t value) override { SendValueTo(type, true, 0, value); }
  void SendValueTo(std::uint32_t type, bool broadcast, DPID target, std::uint32_t value);
  void SendSelection(std::uint16_t eventIndex, std::uint16_t pageValue) override;
  void SendPlayerInfoTo(bool broadcast, DPID playerId, const char* name, DPID target, std::uint16_t riderNumber);
  void SendPlayerInfo(const char* name, std::uint16_t riderNumber) override;
  void SendPlayerText(const char* text) override;
  void SendRaceSetup(DPID newcomer);
  void SendRaceStart() override;
  void SendRiderState(std::uint32_t type, NetRiderRecord record) override;
  void SendRaceClock(std::uint32_t ms) override;
  void SendResult(std::uint32_t fromId, std::uint32_t toId, const NetResult& result) override;

  // The slot 0..6 whose player id is `id`, from `first` on; -1 for none (and
  // for id 0).
  static int SlotOf(DPID id, int first = 0);
  static DPID SlotId(int slot);

  Rider* riders[20] = {};
  RaceManager* raceManager = nullptr;
  NetLobbySettings settings;
  DPSESSIONDESC2 sessionDesc{};
  char sessionDescName[NET_NAME_TEXT_SIZE] = {};
  std::vector<std::uint8_t> receiveBuffer;
  NetSnapshot snapshot;
  NetAllFactors allFactors;
  std::uint8_t migrationHalfSeen = 0;
  std::vector<std::uint8_t> address;
  std::uint8_t allReady = 0;
  std::uint8_t readyCount = 0;
  std::uint8_t resultsDone = 0;
  std::uint8_t outCount = 0;
  float endWait = 5.0f;
  // Seconds of frame time the host's end has waited for its own record.
  float ownReportWait = 0.0f;
  float snapshotClock = 0.0f;
  // timeGetTime of the previous frame, 0 while the clock is not started;
  // differences are taken modulo 2^32 so the wrap after 49.7 days costs
  // nothing.
  std::uint32_t lastTimeMs = 0;
  float factorsClock = 0.0f;
  // The host's own player as this client knows it: the sender of the race
  // start, or of the announcement of a new server.
  DPID hostPlayerId = 0;

  // How a message leaves: guaranteed Send, Send without flags, or SendEx
  // without flags (neither guaranteed nor asynchronous).
  enum class SendMode : std::uint8_t { GUARANTEED, PLAIN, SEND_EX };
  // Every game message this machine sends goes through here.
  void Transmit(DPID from, DPID to, std::span<const std::uint8_t> bytes, SendMode mode);

 private:
  void ResetSnapshotRecord(int slot, DPID id);
  void ResetFactorsRecord(int slot, DPID id);
  // Frees slot `slot` as leaving and a destroyed player do.
  void FreeSlot(int slot);
  void SetServerPlayer(DPID id);
  void Send(DPID from, DPID to, std::span<const std::uint8_t> bytes, bool guaranteed);
  void SendToAll(DPID from, std::span<const std::uint8_t> bytes, bool guaranteed);
  DPID LocalId() const { return SlotId(0); }
  void Pump(DPID player, bool serverQueue);
  void PlayerCreated(DPID id, const char* shortName, const char* longName);
  void PlayerDestroyed(DPID id, const char* longName);
  // Host migration: DPSYS_HOST, and the destruction of a server player; the
  // second of the two sends NET_MSG_NEW_SERVER.
  void HostMigrated();
  void ServerPlayerDestroyed(DPID id);
  // `id` is a "##SERVER##" player of the session.
  static bool IsServerPlayer(DPID id);
  // `sender` is the host's: its server player or, on a client, the host's
  // own player.
  bool FromHost(DPID sender) const;
  void CountMigrationHalf();
  // The new host's snapshot and condition tables, from this machine's view.
  void RebuildHostTables();

  void OnPlayerInfoHost(const NetPlayerInfo& m, DPID sender);
  void OnPlayerInfoClient(const NetPlayerInfo& m, DPID sender);
  void TakePlayerInfo(int slot, const NetPlayerInfo& m);
  void OnRaceSetup(const NetRaceSetup& m);
  void OnRaceStart(const NetRaceStart& m);
  void OnResult(const NetResultMessage& m);
  void MarkOut(int slot);
  // The own record as the race would have written it: out.
  void MarkOwnRecordOut();

  // The capture's view of the machine (network/net_capture.h): a message
  // handled with what it changed, the riders at a state tick, the results
  // table, and the counts and notices whenever they change.
  void CaptureHandled(std::span<const std::uint8_t> message, DPID sender, DPID receiver);
  void CaptureRiders(std::uint32_t frameMs);
  void CaptureResults();
  void CaptureFlags();
  std::int32_t capturedFlags = -1;
};

// Builds the network game, installs it as g_NetGame and gives the program
// its global object's slot (start-up creates the DirectPlay objects and
// lists the connections and modems).
void InstallNetworkGame();
// The installed network game (null before InstallNetworkGame).
DirectPlayNetGame* TheNetworkGame();
