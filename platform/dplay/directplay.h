// Inside the DirectPlay layer: the DirectPlay object. Its interface calls
// live in dplay.cpp; the mesh of connections that carries a session (the
// packets, machines joining and leaving, host migration) in mesh.cpp.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/dplay/backend.h"
#include "platform/dplay/dplay.h"
#include "platform/dplay/dplay_internal.h"
#include "platform/dplay/dplay_test.h"
#include "platform/dplay/protocol.h"

namespace dplay {

extern platform::DirectPlayNetwork g_network;
extern platform::DirectPlayTestSwitches g_switches;

// A call that is waiting for an answer waits this long per round.
inline constexpr std::uint32_t WAIT_STEP_MS = 10;
inline constexpr std::uint32_t MAX_SESSION_PLAYERS = 250;
// A player whose queue is not read keeps at most this many messages; later
// ones are dropped, so a peer cannot grow our memory without bound.
inline constexpr std::size_t MAX_QUEUE = 4096;
// Sessions a listing keeps track of; answers for more are ignored.
inline constexpr std::size_t MAX_LISTED = 256;

struct Message {
  DPID from = 0;
  DPID to = 0;
  DWORD systemType = 0;  // 0: a game message
  DPID player = 0;       // CREATE, DESTROY: the player concerned
  DWORD currentPlayers = 0;
  std::string shortName;
  std::string longName;
  std::vector<std::uint8_t> bytes;

  DWORD Size() const;

  // The system messages' name pointers point into `out` itself.
  void WriteTo(std::uint8_t* out) const;
};

struct Player {
  DPID id = 0;
  std::string shortName;
  std::string longName;
  bool local = false;
  std::deque<Message> queue;
};

struct Node {
  std::uint32_t node = 0;
  PeerHandle peer = 0;
  Address address;
  bool linked = false;
};

struct Listed {
  GUID instance{};
  GUID application{};
  DWORD flags = 0;
  DWORD maxPlayers = 0;
  DWORD currentPlayers = 0;
  std::string name;
  std::vector<PlayerRecord> players;
  Address address;
  std::uint32_t lastSeen = 0;
};

inline std::uint32_t NodeOf(DPID id) { return id >> 8; }

class DirectPlay final : public IDirectPlay4A {
 public:
  explicit DirectPlay(bool connected) : connected_(connected) {}
  ~DirectPlay() { Reset(); }

  HRESULT QueryInterface(REFIID iid, void** out) override;
  DWORD AddRef() override { return ++refs_; }
  DWORD Release() override;
  HRESULT EnumConnections(const GUID*, LPDPENUMCONNECTIONSCALLBACK callback, void* context, DWORD) override;
  HRESULT InitializeConnection(const void* address, DWORD) override;
  HRESULT EnumSessions(DPSESSIONDESC2* desc, DWORD timeOut, LPDPENUMSESSIONSCALLBACK2 callback, void* context,
                       DWORD flags) override;
  HRESULT Open(DPSESSIONDESC2* desc, DWORD flags) override;
  HRESULT Close() override;
  HRESULT CreatePlayer(DPID* id, DPNAME* name, HANDLE, void*, DWORD, DWORD) override;
  HRESULT DestroyPlayer(DPID id) override;
  HRESULT EnumPlayers(GUID* session, LPDPENUMPLAYERSCALLBACK2 callback, void* context, DWORD flags) override;
  HRESULT GetPlayerName(DPID id, void* buffer, DWORD* size) override;
  HRESULT SetPlayerName(DPID id, DPNAME* name, DWORD) override;
  HRESULT GetPlayerAddress(DPID id, void* buffer, DWORD* size) override;
  HRESULT GetMessageCount(DPID id, DWORD* count) override;
  HRESULT Receive(DPID* from, DPID* to, DWORD flags, void* buffer, DWORD* size) override;
  HRESULT Send(DPID from, DPID to, DWORD flags, void* data, DWORD size) override;
  HRESULT SendEx(DPID from, DPID to, DWORD flags, void* data, DWORD size, DWORD, DWORD, void*,
                 DWORD* messageId) override;
  HRESULT SetSessionDesc(DPSESSIONDESC2* desc, DWORD) override;
  std::uint16_t BoundPort() const { return endpoint_ ? endpoint_->Port() : 0; }
  platform::DirectPlayTraffic Traffic() const;

 private:
  enum class State { NONE, JOINING, IN_SESSION };

  static std::uint32_t Now() { return CurrentBackend().NowMs(); }

  bool EnsureEndpoint();
  void DropEndpoint();

  // The address that a listing asks: "" broadcasts; "host" or "host:port".
  bool Target(Address* target, bool* broadcast);
  void Query(const Address& target, bool broadcast, DWORD flags);
  void Report(const GUID& application, DWORD flags, LPDPENUMSESSIONSCALLBACK2 callback, void* context);
  HRESULT Create(const DPSESSIONDESC2& desc);
  HRESULT StartJoin(const DPSESSIONDESC2& desc);
  HRESULT JoinProgress();
  void Reset();
  void Pump(std::uint32_t waitMs);
  void Flush() { Pump(0); }
  bool Lost();
  void Handle(const NetEvent& e);
  void HandleDatagram(const NetEvent& e);
  void HandleConnected(PeerHandle peer);
  void HandleDisconnected(PeerHandle peer);
  void Refuse(PeerHandle peer, std::uint8_t reason);
  Node* NodeOfPeer(PeerHandle peer);
  void HandlePacket(PeerHandle peer, const Packet& p);
  void AcceptJoin(PeerHandle peer, const Packet& p);
  void AcceptLink(PeerHandle peer, const Packet& p);
  void Welcomed(const Packet& p);
  Packet LinkPacket() const;

  // A machine has gone: its players are destroyed, and when it was the host
  // another machine takes over (or the session is lost).
  void NodeGone(std::uint32_t node);

  // DPSYS_HOST after the old host's player destructions, or with the test
  // switch ahead of those still unread (whether the old host destroyed its
  // players before leaving or not).
  void DeliverHost(std::uint32_t oldHost);
  void AddRemote(std::uint32_t node, const PlayerRecord& r);
  Message CreateMessage(const Player& p) const;
  void RemovePlayer(DPID id);
  void DeliverSystem(DWORD type);

  // A system message goes to every local player's queue but the one it
  // concerns.
  void Deliver(Message m);
  void Broadcast(const Packet& packet);
  static Packet DestroyPacket(DPID id);
  static PlayerRecord Record(const Player& p) { return {p.id, p.shortName, p.longName}; }

  Player* Find(DPID id);
  const Node* FindNode(std::uint32_t node) const;

  DWORD refs_ = 1;
  bool connected_;
  std::string hostText_;
  std::unique_ptr<Endpoint> endpoint_;
  std::uint64_t closedWireBytes_ = 0;
  std::uint64_t payloadBytes_ = 0;

  bool enumerating_ = false;
  GUID enumApplication_{};
  std::uint32_t enumStart_ = 0;
  std::uint32_t lastQuery_ = 0;
  std::vector<Listed> listed_;

  State state_ = State::NONE;
  GUID instance_{};
  GUID application_{};
  DWORD flags_ = 0;
  DWORD maxPlayers_ = 0;
  std::string name_;
  std::uint32_t myNode_ = 0;
  std::uint32_t hostNode_ = 0;
  std::uint32_t nextNode_ = 0;
  std::uint32_t nextLocal_ = 1;
  std::vector<Player> players_;
  std::vector<Node> nodes_;
  std::map<PeerHandle, std::uint32_t> strangers_;  // connected, not yet introduced: since when
  std::deque<std::pair<std::uint32_t, NetEvent>> delayed_;
  int lossCounter_ = g_lossStart;

  PeerHandle hostPeer_ = 0;
  HRESULT joinResult_ = DP_OK;
  std::uint32_t joinDeadline_ = 0;
};

}  // namespace dplay
