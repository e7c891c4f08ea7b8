#include "network/net_game.h"

#include <algorithm>
#include <cstring>

#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/services/front_end.h"
#include "engine/system.h"
#include "frontend/championship.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/race_series.h"
#include "network/net_capture.h"
#include "platform/win32/timer.h"
#include "riders/rider.h"

const GUID NET_APPLICATION_GUID = {0x5c1e9a47, 0x2b6d, 0x4f18, {0x9a, 0x3e, 0x71, 0x0d, 0x4b, 0x82, 0xc6, 0x15}};
const char NET_SERVER_NAME[] = "##SERVER##";
const char NET_NEW_PLAYER_NAME[] = "##NEWPLAYER##";

IDirectPlay4A* g_DirectPlay = nullptr;
IDirectPlayLobby3A* g_DirectPlayLobby = nullptr;
NetConnection g_NetConnections[NET_MAX_CONNECTIONS];
std::uint8_t g_NetConnectionCount = 0;
NetSessionEntry g_NetSessions[NET_MAX_SESSIONS];
NetPlayerName g_NetPlayerNames[NET_PLAYER_SLOTS];
DPID g_NetServerPlayerId = 0;
std::uint32_t g_NetReceiveBufferSize = 0;

namespace {

const GUID kKindProviders[4] = {DPSPGUID_IPX, DPSPGUID_TCPIP, DPSPGUID_MODEM, DPSPGUID_SERIAL};

void CopyText(char* to, const char* from) {
  const std::size_t n = from ? strnlen(from, NET_NAME_TEXT_SIZE - 1) : 0;
  if (n > 0) std::memcpy(to, from, n);
  to[n] = '\0';
}

// A name handed to us by the DirectPlay layer for a peer's player: cut to
// the game's 255 characters.
void CopyPeerName(char* to, const char* from) {
  if (!from) {
    to[0] = '\0';
    return;
  }
  const std::size_t n = strnlen(from, NET_NAME_TEXT_SIZE);
  CopyPeerText(std::span(reinterpret_cast<const std::uint8_t*>(from), n), to, NET_NAME_TEXT_SIZE);
}

bool IsServerName(const char* longName) { return longName && std::strcmp(longName, NET_SERVER_NAME) == 0; }

void ReleaseDirectPlay() {
  if (g_DirectPlay) g_DirectPlay->Release();
  g_DirectPlay = nullptr;
}

bool NewDirectPlay() {
  ReleaseDirectPlay();
  void* out = nullptr;
  if (CoCreateInstance(CLSID_DirectPlay, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay4A, &out) != DP_OK) return false;
  g_DirectPlay = static_cast<IDirectPlay4A*>(out);
  return true;
}

BOOL EnumConnectionsCallback(const GUID* serviceProvider, void*, DWORD, const DPNAME* name, DWORD, void*) {
  if (g_NetConnectionCount >= NET_MAX_CONNECTIONS || !serviceProvider) return FALSE;
  NetConnection& c = g_NetConnections[g_NetConnectionCount++];
  c.serviceProvider = *serviceProvider;
  CopyText(c.name, name ? name->lpszShortNameA : "");
  return TRUE;
}

BOOL EnumModemCallback(REFGUID dataType, DWORD size, const void* data, void*) {
  if (g_NetModemCount >= NET_MAX_MODEMS) return FALSE;
  if (IsEqualGUID(dataType, DPAID_Modem) && data) {
    CopyPeerText(std::span(static_cast<const std::uint8_t*>(data), size), g_NetModemNames[g_NetModemCount],
                 NET_NAME_TEXT_SIZE);
    ++g_NetModemCount;
  }
  return TRUE;
}

BOOL EnumSessionsCallback(const DPSESSIONDESC2* desc, DWORD*, DWORD flags, void*) {
  if ((flags & DPESC_TIMEDOUT) != 0 || !desc) return FALSE;
  if (g_NetSessionCount >= NET_MAX_SESSIONS) return FALSE;
  NetSessionEntry& e = g_NetSessions[g_NetSessionCount++];
  e.desc = DPSESSIONDESC2{};
  e.desc.dwSize = desc->dwSize;
  e.desc.dwFlags = desc->dwFlags;
  e.desc.guidInstance = desc->guidInstance;
  e.desc.guidApplication = desc->guidApplication;
  e.desc.dwMaxPlayers = desc->dwMaxPlayers;
  e.desc.dwCurrentPlayers = desc->dwCurrentPlayers;
  CopyPeerName(e.name, desc->lpszSessionNameA);
  e.desc.lpszSessionNameA = e.name;
  return TRUE;
}

BOOL EnumPlayersCallback(DPID id, DWORD, const DPNAME* name, DWORD, void*) {
  const char* longName = name ? name->lpszLongNameA : nullptr;
  if (IsServerName(longName)) {
    g_NetServerPlayerId = id;
    if (g_NetGame) g_NetGame->serverPlayerId = id;
    return TRUE;
  }
  if (g_NetPlayerCount >= NET_PLAYER_SLOTS) return FALSE;
  const std::uint8_t slot = g_NetPlayerCount;
  g_PlayersList.entries[slot].netPlayerId = id;
  CopyPeerName(g_NetPlayerNames[slot].shortName, name ? name->lpszShortNameA : nullptr);
  CopyPeerName(g_NetPlayerNames[slot].longName, longName);
  ++g_NetPlayerCount;
  return g_NetPlayerCount < NET_PLAYER_SLOTS;
}

bool IsModemConnection(std::uint8_t index) {
  return index < g_NetConnectionCount && IsEqualGUID(g_NetConnections[index].serviceProvider, DPSPGUID_MODEM);
}

void FillSessionDesc(DPSESSIONDESC2* d) {
  *d = DPSESSIONDESC2{};
  d->dwSize = DPSESSIONDESC2_SIZE;
  d->dwFlags = NET_SESSION_FLAGS;
  d->guidApplication = NET_APPLICATION_GUID;
  d->dwMaxPlayers = NET_MAX_PLAYERS;
}

HRESULT OpenRepeated(DPSESSIONDESC2* d, DWORD flags) {
  HRESULT r;
  do {
    r = g_DirectPlay->Open(d, flags);
  } while (r == DPERR_CONNECTING);
  return r;
}

DirectPlayNetGame* g_TheNetworkGame = nullptr;

}  // namespace

DirectPlayNetGame::DirectPlayNetGame() {
  period = 0.2f;
  for (int k = 0; k < NET_PLAYER_SLOTS; ++k) {
    ResetSnapshotRecord(k, 0);
    ResetFactorsRecord(k, 0);
  }
}

DirectPlayNetGame::~DirectPlayNetGame() {
  ReleaseDirectPlay();
  if (g_DirectPlayLobby) g_DirectPlayLobby->Release();
  g_DirectPlayLobby = nullptr;
}

DPID DirectPlayNetGame::SlotId(int slot) {
  return slot >= 0 && slot < NET_PLAYER_SLOTS ? g_PlayersList.entries[slot].netPlayerId : 0;
}

int DirectPlayNetGame::SlotOf(DPID id, int first) {
  if (id == 0) return -1;
  for (int k = first; k < NET_PLAYER_SLOTS; ++k) {
    if (g_PlayersList.entries[k].netPlayerId == id) return k;
  }
  return -1;
}

void DirectPlayNetGame::SetServerPlayer(DPID id) {
  g_NetServerPlayerId = id;
  serverPlayerId = id;
}

void DirectPlayNetGame::ResetSnapshotRecord(int slot, DPID id) {
  snapshot.playerIds[slot] = id;
  snapshot.states[slot] = NetRiderStateFields{};
}

void DirectPlayNetGame::ResetFactorsRecord(int slot, DPID id) {
  allFactors.playerIds[slot] = id;
  allFactors.values[slot].fill(1.0f);
}

bool DirectPlayNetGame::CreateDirectPlay() {
  if (!NewDirectPlay()) return false;
  g_NetConnectionCount = 0;
  return g_DirectPlay->EnumConnections(nullptr, EnumConnectionsCallback, nullptr, 0) == DP_OK;
}

bool DirectPlayNetGame::CreateLobby() {
  if (g_DirectPlayLobby) g_DirectPlayLobby->Release();
  g_DirectPlayLobby = nullptr;
  void* out = nullptr;
  if (CoCreateInstance(CLSID_DirectPlayLobby, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlayLobby3A, &out) != DP_OK)
    return false;
  g_DirectPlayLobby = static_cast<IDirectPlayLobby3A*>(out);
  return true;
}

void DirectPlayNetGame::EnumModems() {
  g_NetModemCount = 0;
  IDirectPlay* modem = nullptr;
  if (DirectPlayCreate(&DPSPGUID_MODEM, &modem, nullptr) != DP_OK || !modem) return;
  void* out = nullptr;
  if (modem->QueryInterface(IID_IDirectPlay3A, &out) == DP_OK && out) {
    auto* dp3 = static_cast<IDirectPlay3A*>(out);
    DWORD size = 0;
    if (dp3->GetPlayerAddress(0, nullptr, &size) == DPERR_BUFFERTOOSMALL && size > 0) {
      std::vector<std::uint8_t> buffer(size);
      if (dp3->GetPlayerAddress(0, buffer.data(), &size) == DP_OK && g_DirectPlayLobby) {
        g_DirectPlayLobby->EnumAddress(EnumModemCallback, buffer.data(), size, nullptr);
      }
    }
    dp3->Release();
  }
  modem->Release();
}

void DirectPlayNetGame::SelectConnectionKind(std::uint8_t kind) {
  GUID providers[NET_MAX_CONNECTIONS];
  for (std::uint8_t i = 0; i < g_NetConnectionCount; ++i) providers[i] = g_NetConnections[i].serviceProvider;
  settings.SelectConnectionKind(kind, std::span<const GUID>(providers, g_NetConnectionCount),
                                std::span<const GUID, 4>(kKindProviders));
}

namespace {

// Each lobby setting's index, its step up and its shown text, in the order
// of the NET_SETTING_ numbers.
struct LobbySetting {
  std::uint8_t NetLobbySettings::*index;
  void (NetLobbySettings::*increment)();
  const char* (NetLobbySettings::*text)() const;
};
constexpr LobbySetting kLobbySettings[NET_SETTING_COUNT] = {
    {&NetLobbySettings::modemIndex, &NetLobbySettings::IncrementModem, &NetLobbySettings::GetModemText},
    {&NetLobbySettings::comPortIndex, &NetLobbySettings::IncrementComPort, &NetLobbySettings::GetComPortText},
    {&NetLobbySettings::baudRateIndex, &NetLobbySettings::IncrementBaudRate, &NetLobbySettings::GetBaudRateText},
    {&NetLobbySettings::parityIndex, &NetLobbySettings::IncrementParity, &NetLobbySettings::GetParityText},
    {&NetLobbySettings::stopBitsIndex, &NetLobbySettings::IncrementStopBits, &NetLobbySettings::GetStopBitsText},
    {&NetLobbySettings::flowControlIndex, &NetLobbySettings::IncrementFlowControl,
     &NetLobbySettings::GetFlowControlText},
};

}  // namespace

void DirectPlayNetGame::StepSetting(std::uint8_t setting, bool up) {
  if (setting >= NET_SETTING_COUNT) return;
  const LobbySetting& s = kLobbySettings[setting];
  if (up) {
    (settings.*s.increment)();
  } else if (settings.*s.index > 0) {
    --(settings.*s.index);
  }
}

const char* DirectPlayNetGame::GetSettingText(std::uint8_t setting) {
  return setting < NET_SETTING_COUNT ? (settings.*kLobbySettings[setting].text)() : "";
}

void DirectPlayNetGame::ScrollSessionList(bool forward) {
  if (forward) {
    settings.ScrollSessionList(g_NetSessionCount);
  } else if (settings.firstShownSession >= 1) {
    --settings.firstShownSession;
  }
}

const char* DirectPlayNetGame::GetSessionText(std::uint8_t row) {
  char* names[NET_MAX_SESSIONS];
  const std::uint8_t count = std::min<std::uint8_t>(g_NetSessionCount, NET_MAX_SESSIONS);
  for (std::uint8_t i = 0; i < count; ++i) names[i] = g_NetSessions[i].name;
  return ::GetSessionText(settings, row, std::span<char* const>(names, count));
}

const char* DirectPlayNetGame::ListedSessionName(std::uint8_t session) {
  return session < g_NetSessionCount && session < NET_MAX_SESSIONS ? g_NetSessions[session].name : "";
}

const char* DirectPlayNetGame::GetPlayerText(std::uint8_t slot) {
  char* names[NET_PLAYER_SLOTS];
  for (int k = 0; k < NET_PLAYER_SLOTS; ++k) names[k] = g_NetPlayerNames[k].shortName;
  return ::GetPlayerText(slot, std::span<char* const, NET_PLAYER_SLOTS>(names, NET_PLAYER_SLOTS));
}

bool DirectPlayNetGame::BuildAddress() {
  if (!g_DirectPlayLobby) return false;
  DPCOMPOUNDADDRESSELEMENT e[3] = {};
  DWORD count = 0;
  GUID provider{};
  DPCOMPORTADDRESS port{};
  if (settings.connectionIndex < g_NetConnectionCount) {
    provider = g_NetConnections[settings.connectionIndex].serviceProvider;
    e[count++] = {DPAID_ServiceProvider, sizeof(GUID), &provider};
    if (IsEqualGUID(provider, DPSPGUID_MODEM)) {
      const char* modem = settings.modemIndex < g_NetModemCount ? g_NetModemNames[settings.modemIndex] : "";
      e[count++] = {DPAID_Modem, static_cast<DWORD>(std::strlen(modem) + 1), modem};
      e[count++] = {DPAID_Phone, static_cast<DWORD>(strnlen(phoneNumber, NET_TEXT_SIZE - 1) + 1), phoneNumber};
    } else if (IsEqualGUID(provider, DPSPGUID_TCPIP)) {
      e[count++] = {DPAID_INet, static_cast<DWORD>(strnlen(hostAddress, NET_TEXT_SIZE - 1) + 1), hostAddress};
    } else if (IsEqualGUID(provider, DPSPGUID_SERIAL)) {
      port.dwComPort = settings.comPortIndex + 1u;
      port.dwBaudRate = NetBaudRate(settings.baudRateIndex);
      port.dwStopBits = NetStopBitsValue(settings.stopBitsIndex);
      port.dwParity = NetParityValue(settings.parityIndex);
      port.dwFlowControl = NetFlowControlValue(settings.flowControlIndex);
      e[count++] = {DPAID_ComPort, sizeof port, &port};
    } else if (!IsEqualGUID(provider, DPSPGUID_IPX)) {
      count = 0;
    }
  }
  // The texts must end inside their fields before they are handed on.
  phoneNumber[NET_TEXT_SIZE - 1] = '\0';
  hostAddress[NET_TEXT_SIZE - 1] = '\0';
  DWORD size = 0;
  if (g_DirectPlayLobby->CreateCompoundAddress(e, count, nullptr, &size) != DPERR_BUFFERTOOSMALL) return false;
  std::vector<std::uint8_t> built(size);
  if (g_DirectPlayLobby->CreateCompoundAddress(e, count, built.data(), &size) != DP_OK) return false;
  address = std::move(built);
  return true;
}

bool DirectPlayNetGame::InitializeConnection() {
  if (!NewDirectPlay()) return false;
  return g_DirectPlay->InitializeConnection(address.data(), 0) == DP_OK;
}

bool DirectPlayNetGame::EnumSessions() {
  if (!g_DirectPlay) return false;
  const bool modem = IsModemConnection(settings.connectionIndex);
  if (modem && phoneNumber[0] == '\0') return true;
  FillSessionDesc(&sessionDesc);
  const DWORD flags = DPENUMSESSIONS_AVAILABLE | DPENUMSESSIONS_ASYNC | DPENUMSESSIONS_RETURNSTATUS;
  HRESULT r;
  do {
    // Each try reports the sessions known so far: start the list afresh.
    g_NetSessionCount = 0;
    r = g_DirectPlay->EnumSessions(&sessionDesc, 0, EnumSessionsCallback, nullptr, flags);
    if (r == DPERR_CONNECTING && modem) r = DP_OK;
  } while (r == DPERR_CONNECTING);
  if (r != DP_OK) return false;
  if (sessionIndex >= g_NetSessionCount) sessionIndex = 0;
  return true;
}

void DirectPlayNetGame::EnumPlayers(std::uint8_t session, bool current) {
  if (!g_DirectPlay) return;
  if (!current) {
    // A listed session's players replace those of the one listed before.
    for (int k = 1; k < NET_PLAYER_SLOTS; ++k) {
      g_PlayersList.entries[k].netPlayerId = 0;
      g_NetPlayerNames[k] = NetPlayerName{};
    }
    if (session >= g_NetSessionCount) return;
    GUID instance = g_NetSessions[session].desc.guidInstance;
    if (IsEqualGUID(instance, GUID{})) return;
    g_DirectPlay->EnumPlayers(&instance, EnumPlayersCallback, nullptr, DPENUMPLAYERS_SESSION);
    return;
  }
  g_DirectPlay->EnumPlayers(nullptr, EnumPlayersCallback, nullptr, 0);
}

bool DirectPlayNetGame::HostSession() {
  if (!g_DirectPlay || sessionName[0] == '\0') return false;
  sessionName[NET_TEXT_SIZE - 1] = '\0';
  CopyText(sessionDescName, sessionName);
  FillSessionDesc(&sessionDesc);
  sessionDesc.lpszSessionNameA = sessionDescName;
  if (OpenRepeated(&sessionDesc, DPOPEN_CREATE | DPOPEN_RETURNSTATUS) != DP_OK) return false;
  isHost = 1;
  g_PlayersList.RestoreNames();
  CopyName(g_PlayersList.entries[0].name, PLAYER_NAME_SIZE, g_PlayersList.playerName);
  for (PlayerEntry& e : g_PlayersList.entries) {
    e.netPlayerId = 0;
    e.chosenRider = -1;
  }
  // A listing may have filled slots and the count: the new session has
  // this machine alone.
  for (int k = 1; k < NET_PLAYER_SLOTS; ++k) g_NetPlayerNames[k] = NetPlayerName{};
  g_NetPlayerCount = 1;
  if (!CreateServerPlayer() || !CreateLocalPlayer(NET_NEW_PLAYER_NAME)) {
    g_DirectPlay->Close();
    isHost = 0;
    SetServerPlayer(0);
    g_PlayersList.entries[0].netPlayerId = 0;
    return false;
  }
  inSession = 1;
  return true;
}

bool DirectPlayNetGame::JoinSession() {
  if (!g_DirectPlay || sessionIndex >= g_NetSessionCount) return false;
  const NetSessionEntry& listed = g_NetSessions[sessionIndex];
  if (listed.name[0] == '\0') return false;
  CopyText(sessionDescName, listed.name);
  sessionDesc = listed.desc;
  sessionDesc.lpszSessionNameA = sessionDescName;
  if (OpenRepeated(&sessionDesc, DPOPEN_JOIN | DPOPEN_RETURNSTATUS) != DP_OK) return false;
  if (!CreateLocalPlayer(NET_NEW_PLAYER_NAME)) {
    g_DirectPlay->Close();
    return false;
  }
  for (int k = 1; k < NET_PLAYER_SLOTS; ++k) {
    if (SlotId(k) != 0) Send(LocalId(), SlotId(k), EncodeNetValue(NET_MSG_HELLO, 0), true);
  }
  inSession = 1;
  return true;
}

void DirectPlayNetGame::FreeSlot(int slot) {
  PlayerEntry& e = g_PlayersList.entries[slot];
  e.netPlayerId = 0;
  g_PlayersList.Select(static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(slot));
  e.chosenRider = -1;
  g_PlayersList.entries[slot + PLAYER_SLOTS].chosenRider = -1;
  g_NetPlayerNames[slot] = NetPlayerName{};
  slotTexts[slot][0] = '\0';
}

bool DirectPlayNetGame::Leave() {
  if (!inSession || !g_DirectPlay) return true;
  if (g_DirectPlay->DestroyPlayer(LocalId()) == DPERR_INVALIDOBJECT) return false;
  if (isHost) {
    if (g_DirectPlay->DestroyPlayer(g_NetServerPlayerId) == DPERR_INVALIDOBJECT) return false;
    for (int k = 0; k < NET_PLAYER_SLOTS; ++k) {
      ResetSnapshotRecord(k, 0);
      ResetFactorsRecord(k, 0);
    }
    isHost = 0;
  }
  const HRESULT closed = g_DirectPlay->Close();
  if (closed != DP_OK && closed != DPERR_NOSESSIONS) return false;
  for (int k = 0; k < NET_PLAYER_SLOTS; ++k) FreeSlot(k);
  for (std::uint32_t i = 0; i < g_RiderCount && i < 20; ++i) riders[i] = nullptr;
  raceManager = nullptr;
  g_NetPlayerCount = 1;
  SetServerPlayer(0);
  localPlayerId = 0;
  allReady = readyCount = startReceived = introDoneCount = resultsDone = outCount = 0;
  isHost = migrationHalfSeen = isChampionship = periodTick = inSession = serverChanged = 0;
  lastTimeMs = 0;
  hostPlayerId = 0;
  g_NetChampionship = 0;
  // The host's confirmation and race start were that session's: a session
  // joined later must not go on with them.
  g_NetConfirmed = g_NetRaceStartReceived = 0;
  return true;
}

bool DirectPlayNetGame::SetJoining(bool open) {
  if (!g_DirectPlay || !isHost) return false;
  sessionDesc.dwFlags = open ? NET_SESSION_FLAGS : NET_SESSION_FLAGS_CLOSED;
  return g_DirectPlay->SetSessionDesc(&sessionDesc, 0) == DP_OK;
}

bool DirectPlayNetGame::DisableJoining() { return SetJoining(false); }

bool DirectPlayNetGame::CreateLocalPlayer(const char* name) {
  CopyText(g_NetPlayerNames[0].shortName, name);
  CopyText(g_NetPlayerNames[0].longName, name);
  char shortCopy[NET_NAME_TEXT_SIZE];
  char longCopy[NET_NAME_TEXT_SIZE];
  CopyText(shortCopy, name);
  CopyText(longCopy, name);
  DPNAME n{sizeof(DPNAME), 0, shortCopy, longCopy};
  DPID id = 0;
  if (g_DirectPlay->CreatePlayer(&id, &n, nullptr, nullptr, 0, 0) != DP_OK) return false;
  g_PlayersList.entries[0].netPlayerId = id;
  localPlayerId = id;
  if (isHost) {
    snapshot.playerIds[0] = id;
    allFactors.playerIds[0] = id;
  }
  return true;
}

bool DirectPlayNetGame::CreateServerPlayer() {
  char shortCopy[] = "##SERVER##";
  char longCopy[] = "##SERVER##";
  DPNAME n{sizeof(DPNAME), 0, shortCopy, longCopy};
  DPID id = 0;
  if (g_DirectPlay->CreatePlayer(&id, &n, nullptr, nullptr, 0, 0) != DP_OK) return false;
  SetServerPlayer(id);
  return true;
}

void DirectPlayNetGame::SetLocalPlayerName(const char* name) {
  CopyText(g_NetPlayerNames[0].shortName, name);
  CopyText(g_NetPlayerNames[0].longName, name);
  if (!g_DirectPlay || LocalId() == 0) return;
  char shortCopy[NET_NAME_TEXT_SIZE];
  char longCopy[NET_NAME_TEXT_SIZE];
  CopyText(shortCopy, name);
  CopyText(longCopy, name);
  DPNAME n{sizeof(DPNAME), 0, shortCopy, longCopy};
  g_DirectPlay->SetPlayerName(LocalId(), &n, DPSET_GUARANTEED);
}

void DirectPlayNetGame::Receive() {
  CaptureFlags();
  if (LocalId() == 0 || !g_DirectPlay) return;
  Pump(LocalId(), false);
  if (isHost && g_NetServerPlayerId != 0) Pump(g_NetServerPlayerId, true);
}

void DirectPlayNetGame::Pump(DPID player, bool serverQueue) {
  DWORD count = 0;
  if (g_DirectPlay->GetMessageCount(player, &count) != DP_OK) return;
  count = std::min<DWORD>(count, NET_MAX_MESSAGES_PER_FRAME);
  for (DWORD i = 0; i < count; ++i) {
    // A handler may leave the session or lose the object.
    if (!g_DirectPlay || LocalId() == 0) return;
    DPID from = 0;
    DPID to = player;
    DWORD size = 0;
    const HRESULT peek = g_DirectPlay->Receive(&from, &to, DPRECEIVE_TOPLAYER | DPRECEIVE_PEEK, nullptr, &size);
    if (peek != DP_OK && peek != DPERR_BUFFERTOOSMALL) return;
    // The buffer grows and never shrinks; its size is the one truth.
    if (peek == DPERR_BUFFERTOOSMALL && size > receiveBuffer.size()) receiveBuffer.resize(size);
    g_NetReceiveBufferSize = static_cast<std::uint32_t>(receiveBuffer.size());
    from = 0;
    to = player;
    size = g_NetReceiveBufferSize;
    if (g_DirectPlay->Receive(&from, &to, DPRECEIVE_TOPLAYER, receiveBuffer.data(), &size) != DP_OK) continue;
    const std::span<const std::uint8_t> message(receiveBuffer.data(), std::min<std::size_t>(size, receiveBuffer.size()));
    if (from == DPID_SYSMSG) {
      if (!serverQueue && message.size() >= sizeof(DWORD)) {
        DWORD type = 0;
        std::memcpy(&type, message.data(), sizeof type);
        NetCaptureSystem(type, message.size());
      }
      // Every system message reaches both of the host's queues: the local
      // player's copy is the one handled.
      if (!serverQueue) HandleSystemMessage(message, player);
      continue;
    }
    if (from == player) continue;
    if (serverQueue && from == LocalId()) continue;
    NetCaptureMessage(false, from, player, message, false);
    if (NetCaptureOn()) {
      CaptureHandled(message, from, player);
    } else {
      HandleGameMessage(message, from, player);
    }
  }
}

void DirectPlayNetGame::HandleSystemMessage(std::span<const std::uint8_t> message, DPID) {
  if (message.size() < sizeof(DWORD)) return;
  DWORD type = 0;
  std::memcpy(&type, message.data(), sizeof type);
  switch (type) {
    case DPSYS_CREATEPLAYERORGROUP: {
      if (message.size() < sizeof(DPMSG_CREATEPLAYERORGROUP)) return;
      DPMSG_CREATEPLAYERORGROUP m;
      std::memcpy(&m, message.data(), sizeof m);
      PlayerCreated(m.dpId, m.dpnName.lpszShortNameA, m.dpnName.lpszLongNameA);
      break;
    }
    case DPSYS_DESTROYPLAYERORGROUP: {
      if (message.size() < sizeof(DPMSG_DESTROYPLAYERORGROUP)) return;
      DPMSG_DESTROYPLAYERORGROUP m;
      std::memcpy(&m, message.data(), sizeof m);
      PlayerDestroyed(m.dpId, m.dpnName.lpszLongNameA);
      break;
    }
    case DPSYS_HOST: HostMigrated(); break;
    case DPSYS_SESSIONLOST: g_NetSessionLost = 1; break;
    default: break;
  }
}

void DirectPlayNetGame::PlayerCreated(DPID id, const char* shortName, const char* longName) {
  if (IsServerName(longName) || id == LocalId() || id == 0) return;
  Send(LocalId(), id, EncodeNetValue(NET_MSG_HELLO, 0), true);
  if (isHost) {
    SendRaceSetup(id);
    for (int k = 0; k < NET_PLAYER_SLOTS; ++k) {
      const PlayerEntry& e = g_PlayersList.entries[k];
      if (e.netPlayerId != 0 && e.chosenRider != -1)
        SendPlayerInfoTo(false, e.netPlayerId, e.name, id, e.riderNumber);
    }
  }
  if (SlotOf(id, 1) >= 0) return;
  int slot = -1;
  for (int k = 1; k < NET_PLAYER_SLOTS && slot < 0; ++k) {
    if (SlotId(k) == 0) slot = k;
  }
  if (slot < 0) return;
  g_PlayersList.entries[slot].netPlayerId = id;
  CopyPeerName(g_NetPlayerNames[slot].shortName, shortName);
  CopyPeerName(g_NetPlayerNames[slot].longName, longName);
  if (isHost) {
    ResetSnapshotRecord(slot, id);
    ResetFactorsRecord(slot, id);
  }
  if (isChampionship) {
    g_PlayersList.entries[slot].points = 0;
    const int current = std::max<int>(g_Championship.current, 0);
    for (int r = 0; r < current; ++r) {
      const std::size_t at = static_cast<std::size_t>(r) * 2;
      if (at + 1 < g_Championship.noScore[slot].size()) {
        g_Championship.noScore[slot][at] = 1;
        g_Championship.noScore[slot][at + 1] = 1;
      }
    }
  }
  if (g_NetPlayerCount < NET_PLAYER_SLOTS) ++g_NetPlayerCount;
}

void DirectPlayNetGame::PlayerDestroyed(DPID id, const char* longName) {
  const int slot = SlotOf(id);
  if (slot >= 0) {
    FreeSlot(slot);
    if (isHost) {
      ResetSnapshotRecord(slot, 0);
      ResetFactorsRecord(slot, 0);
    }
    if (g_NetPlayerCount > 1) --g_NetPlayerCount;
    if (g_SceneNumber == 16) FrontEndCommand(CMD_NET_SHOW_PLAYERS, 1, 0, "NULL");
    FrontEndCommand(CMD_NET_PLAYER_COUNT, 0, 0, "NULL");
  }
  if (IsServerName(longName)) ServerPlayerDestroyed(id);
}

void DirectPlayNetGame::RegisterRider(Rider* rider, std::uint8_t kind) { Register(rider, kind); }

bool DirectPlayNetGame::Register(Rider* rider, std::uint8_t kind) {
  if (kind == 1) {
    riders[0] = rider;
    return true;
  }
  if (kind == 2) {
    for (std::uint32_t i = 1; i < g_RiderCount && i < 20; ++i) {
      if (!riders[i]) {
        riders[i] = rider;
        return true;
      }
    }
    ShowMessageBox("Error: internal error 14:3521.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  ShowMessageBox("Error: internal error 14:3530.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
  return false;
}

DirectPlayNetGame* TheNetworkGame() { return g_TheNetworkGame; }

namespace {
ProgramStorage<DirectPlayNetGame> netGameStorage;
}  // namespace

void InstallNetworkGame() {
  SetProgramObject(PROGRAM_OBJECT_NET_GAME, {"g_NetGame",
                                             [] {
                                               netGameStorage.Construct();
                                               g_TheNetworkGame = &netGameStorage.object();
                                               // Without the objects the lobby fails its
                                               // calls and shows its own dialogs.
                                               if (g_TheNetworkGame->CreateDirectPlay() &&
                                                   g_TheNetworkGame->CreateLobby()) {
                                                 g_TheNetworkGame->EnumModems();
                                               }
                                               InstallNetGame(g_TheNetworkGame);
                                             },
                                             [] {
                                               InstallNetGame(nullptr);
                                               g_TheNetworkGame = nullptr;
                                               netGameStorage.Destroy();
                                             }});
}
