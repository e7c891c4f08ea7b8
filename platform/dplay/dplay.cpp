// The DirectPlay object: connection, listing, sessions over a full mesh of
// connections, players and their message queues, host migration.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <memory>
#include <map>
#include <string>
#include <vector>

#include "platform/dplay/address.h"
#include "platform/dplay/backend.h"
#include "platform/dplay/dplay_internal.h"
#include "platform/dplay/dplay_test.h"
#include "platform/dplay/protocol.h"

namespace dplay {

Backend& CurrentBackend() {
  static Backend* const enet = MakeEnetBackend();
  static Backend* const test = MakeTestBackend();
  return TestBackendActive() ? *test : *enet;
}

namespace {

platform::DirectPlayNetwork g_network;
platform::DirectPlayTestSwitches g_switches;

// A call that is waiting for an answer waits this long per round.
constexpr std::uint32_t WAIT_STEP_MS = 10;
constexpr std::uint32_t MAX_SESSION_PLAYERS = 250;
// A player whose queue is not read keeps at most this many messages; later
// ones are dropped, so a peer cannot grow our memory without bound.
constexpr std::size_t MAX_QUEUE = 4096;

struct Message {
  DPID from = 0;
  DPID to = 0;
  DWORD systemType = 0;  // 0: a game message
  DPID player = 0;       // CREATE, DESTROY: the player concerned
  DWORD currentPlayers = 0;
  std::string shortName;
  std::string longName;
  std::vector<std::uint8_t> bytes;

  DWORD Size() const {
    switch (systemType) {
      case 0:
        return static_cast<DWORD>(bytes.size());
      case DPSYS_CREATEPLAYERORGROUP:
        return static_cast<DWORD>(sizeof(DPMSG_CREATEPLAYERORGROUP) + shortName.size() + longName.size() + 2);
      case DPSYS_DESTROYPLAYERORGROUP:
        return static_cast<DWORD>(sizeof(DPMSG_DESTROYPLAYERORGROUP) + shortName.size() + longName.size() + 2);
      default:
        return sizeof(DPMSG_GENERIC);
    }
  }

  // The system messages' name pointers point into `out` itself.
  void WriteTo(std::uint8_t* out) const {
    if (systemType == 0) {
      if (!bytes.empty()) std::memcpy(out, bytes.data(), bytes.size());
      return;
    }
    auto names = [&](std::size_t head, DPNAME* name) {
      char* s = reinterpret_cast<char*>(out + head);
      std::memcpy(s, shortName.c_str(), shortName.size() + 1);
      char* l = s + shortName.size() + 1;
      std::memcpy(l, longName.c_str(), longName.size() + 1);
      *name = DPNAME{sizeof(DPNAME), 0, s, l};
    };
    if (systemType == DPSYS_CREATEPLAYERORGROUP) {
      DPMSG_CREATEPLAYERORGROUP m{};
      m.dwType = systemType;
      m.dwPlayerType = DPPLAYERTYPE_PLAYER;
      m.dpId = player;
      m.dwCurrentPlayers = currentPlayers;
      names(sizeof(m), &m.dpnName);
      std::memcpy(out, &m, sizeof(m));
    } else if (systemType == DPSYS_DESTROYPLAYERORGROUP) {
      DPMSG_DESTROYPLAYERORGROUP m{};
      m.dwType = systemType;
      m.dwPlayerType = DPPLAYERTYPE_PLAYER;
      m.dpId = player;
      names(sizeof(m), &m.dpnName);
      std::memcpy(out, &m, sizeof(m));
    } else {
      DPMSG_GENERIC m{systemType};
      std::memcpy(out, &m, sizeof(m));
    }
  }
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

std::uint32_t NodeOf(DPID id) { return id >> 8; }

std::string Text(const char* s) {
  if (s == nullptr) return {};
  return std::string(s, strnlen(s, 255));
}

GUID NewInstanceGuid(std::uint16_t port) {
  static std::uint32_t counter = 0;
  const auto wall = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  const auto mono = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  GUID g{};
  g.Data1 = static_cast<DWORD>(wall) ^ static_cast<DWORD>(mono >> 17);
  g.Data2 = port;
  g.Data3 = static_cast<WORD>(++counter);
  const std::uint64_t mix = (wall >> 20) * 0x9E3779B97F4A7C15ull ^ mono;
  for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<BYTE>(mix >> (8 * i));
  return g;
}

class DirectPlay final : public IDirectPlay4A {
 public:
  explicit DirectPlay(bool connected) : connected_(connected) {}
  ~DirectPlay() { Reset(); }

  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return DPERR_INVALIDPARAMS;
    if (!IsEqualGUID(iid, IID_IDirectPlay4A) && !IsEqualGUID(iid, IID_IDirectPlay3A)) {
      *out = nullptr;
      return DPERR_NOINTERFACE;
    }
    AddRef();
    *out = static_cast<IDirectPlay4A*>(this);
    return DP_OK;
  }
  DWORD AddRef() override { return ++refs_; }
  DWORD Release() override {
    const DWORD left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT EnumConnections(const GUID*, LPDPENUMCONNECTIONSCALLBACK callback, void* context, DWORD) override {
    if (callback == nullptr) return DPERR_INVALIDPARAMS;
    DPCOMPOUNDADDRESSELEMENT e{DPAID_ServiceProvider, sizeof(GUID), &DPSPGUID_TCPIP};
    std::vector<std::uint8_t> connection = EncodeAddress(&e, 1);
    char name[] = "TCP/IP";
    DPNAME dpName{sizeof(DPNAME), 0, name, name};
    callback(&DPSPGUID_TCPIP, connection.data(), static_cast<DWORD>(connection.size()), &dpName, 0, context);
    return DP_OK;
  }

  HRESULT InitializeConnection(const void* address, DWORD) override {
    if (connected_) return DPERR_ALREADYINITIALIZED;
    bool tcpip = false;
    bool seenProvider = false;
    std::string host;
    const bool ok = WalkAddress(address, 0, [&](const GUID& type, std::uint32_t n, const std::uint8_t* data) {
      if (IsEqualGUID(type, DPAID_ServiceProvider) && n == sizeof(GUID) && !seenProvider) {
        GUID sp;
        std::memcpy(&sp, data, sizeof(sp));
        tcpip = IsEqualGUID(sp, DPSPGUID_TCPIP);
        seenProvider = true;
      } else if (IsEqualGUID(type, DPAID_INet)) {
        host.assign(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), n));
      }
      return true;
    });
    if (!ok || !seenProvider) return DPERR_INVALIDPARAMS;
    // Modem, serial and IPX links do not exist here.
    if (!tcpip) return DPERR_UNAVAILABLE;
    hostText_ = host;
    connected_ = true;
    return DP_OK;
  }

  HRESULT EnumSessions(DPSESSIONDESC2* desc, DWORD timeOut, LPDPENUMSESSIONSCALLBACK2 callback, void* context,
                       DWORD flags) override {
    if (!connected_) return DPERR_UNINITIALIZED;
    if ((flags & DPENUMSESSIONS_STOPASYNC) != 0) {
      enumerating_ = false;
      return DP_OK;
    }
    if (desc == nullptr || callback == nullptr) return DPERR_INVALIDPARAMS;
    if (!EnsureEndpoint()) return DPERR_NOCONNECTION;
    Address target;
    bool broadcast = false;
    if (!Target(&target, &broadcast)) return DPERR_INVALIDPARAMS;
    const bool fresh = !enumerating_ || !IsEqualGUID(enumApplication_, desc->guidApplication);
    if (fresh) {
      enumerating_ = true;
      enumApplication_ = desc->guidApplication;
      enumStart_ = Now();
      listed_.clear();
      Query(target, broadcast, flags);
    }
    const std::uint32_t window = (flags & DPENUMSESSIONS_ASYNC) != 0 ? g_network.firstListingMs
                                 : timeOut != 0                      ? timeOut
                                                                     : g_network.firstListingMs;
    if ((flags & DPENUMSESSIONS_ASYNC) == 0 || (flags & DPENUMSESSIONS_RETURNSTATUS) == 0) {
      // Blocks for the first answers.
      while (Now() - enumStart_ < window) Pump(WAIT_STEP_MS);
    } else {
      Pump(0);
      if (Now() - enumStart_ < window) {
        Pump(WAIT_STEP_MS);
        if (Now() - enumStart_ < window) return DPERR_CONNECTING;
      }
    }
    if (Now() - lastQuery_ >= g_network.queryIntervalMs) Query(target, broadcast, flags);
    Report(desc->guidApplication, flags, callback, context);
    if ((flags & DPENUMSESSIONS_ASYNC) == 0) enumerating_ = false;
    return DP_OK;
  }

  HRESULT Open(DPSESSIONDESC2* desc, DWORD flags) override {
    if (desc == nullptr) return DPERR_INVALIDPARAMS;
    if (!connected_) return DPERR_UNINITIALIZED;
    if ((flags & DPOPEN_CREATE) != 0) {
      if (state_ != State::NONE) return DPERR_ALREADYINITIALIZED;
      return Create(*desc);
    }
    if ((flags & DPOPEN_JOIN) == 0) return DPERR_INVALIDFLAGS;
    if (state_ == State::IN_SESSION) return DPERR_ALREADYINITIALIZED;
    if (state_ == State::NONE) {
      const HRESULT started = StartJoin(*desc);
      if (started != DP_OK) return started;
    }
    for (;;) {
      Pump(WAIT_STEP_MS);
      const HRESULT r = JoinProgress();
      if (r != DPERR_CONNECTING || (flags & DPOPEN_RETURNSTATUS) != 0) return r;
    }
  }

  HRESULT Close() override {
    if (state_ == State::NONE) return DPERR_NOSESSIONS;
    // What was sent goes out first; the other machines then destroy our
    // players as they see us go, as they would after a crash, so that a host
    // that leaves is followed the same way in both cases.
    Flush();
    Reset();
    return DP_OK;
  }

  HRESULT CreatePlayer(DPID* id, DPNAME* name, HANDLE, void*, DWORD, DWORD) override {
    if (id == nullptr) return DPERR_INVALIDPARAMS;
    if (state_ != State::IN_SESSION) return DPERR_INVALIDOBJECT;
    Pump(0);
    if (players_.size() >= std::min<DWORD>(maxPlayers_ == 0 ? MAX_SESSION_PLAYERS : maxPlayers_,
                                           MAX_SESSION_PLAYERS)) {
      return DPERR_CANTADDPLAYER;
    }
    if (nextLocal_ > 255) return DPERR_CANTCREATEPLAYER;
    Player p;
    p.id = myNode_ * 256 + nextLocal_++;
    p.local = true;
    if (name != nullptr) {
      p.shortName = Text(name->lpszShortNameA);
      p.longName = Text(name->lpszLongNameA);
    }
    *id = p.id;
    Message created = CreateMessage(p);
    Deliver(created);
    players_.push_back(std::move(p));
    Packet packet;
    packet.kind = Kind::CREATE;
    packet.players.push_back(Record(players_.back()));
    Broadcast(packet);
    Flush();
    return DP_OK;
  }

  HRESULT DestroyPlayer(DPID id) override {
    if (state_ != State::IN_SESSION) return DPERR_INVALIDOBJECT;
    Player* p = Find(id);
    if (p == nullptr || !p->local) return DPERR_INVALIDPLAYER;
    Broadcast(DestroyPacket(id));
    RemovePlayer(id);
    Flush();
    return DP_OK;
  }

  HRESULT EnumPlayers(GUID* session, LPDPENUMPLAYERSCALLBACK2 callback, void* context, DWORD flags) override {
    if (callback == nullptr) return DPERR_INVALIDPARAMS;
    if (session != nullptr && (flags & DPENUMPLAYERS_SESSION) != 0) {
      auto it = std::find_if(listed_.begin(), listed_.end(),
                             [&](const Listed& l) { return IsEqualGUID(l.instance, *session); });
      if (it == listed_.end()) return DPERR_NOSESSIONS;
      const std::vector<PlayerRecord> players = it->players;
      for (const PlayerRecord& r : players) {
        std::string s = r.shortName;
        std::string l = r.longName;
        DPNAME name{sizeof(DPNAME), 0, s.data(), l.data()};
        if (!callback(r.id, DPPLAYERTYPE_PLAYER, &name, 0, context)) break;
      }
      return DP_OK;
    }
    if (state_ != State::IN_SESSION) return DPERR_NOSESSIONS;
    Pump(0);
    // A copy: the callback may change the session.
    std::vector<PlayerRecord> players;
    for (const Player& p : players_) {
      if ((flags & DPENUMPLAYERS_LOCAL) != 0 && !p.local) continue;
      if ((flags & DPENUMPLAYERS_REMOTE) != 0 && p.local) continue;
      players.push_back(Record(p));
    }
    for (PlayerRecord& r : players) {
      DPNAME name{sizeof(DPNAME), 0, r.shortName.data(), r.longName.data()};
      if (!callback(r.id, DPPLAYERTYPE_PLAYER, &name, 0, context)) break;
    }
    return DP_OK;
  }

  HRESULT GetPlayerName(DPID id, void* buffer, DWORD* size) override {
    if (size == nullptr) return DPERR_INVALIDPARAMS;
    const Player* p = Find(id);
    if (p == nullptr) return DPERR_INVALIDPLAYER;
    const DWORD needed = static_cast<DWORD>(sizeof(DPNAME) + p->shortName.size() + p->longName.size() + 2);
    if (buffer == nullptr || *size < needed) {
      *size = needed;
      return DPERR_BUFFERTOOSMALL;
    }
    auto* out = static_cast<std::uint8_t*>(buffer);
    char* s = reinterpret_cast<char*>(out + sizeof(DPNAME));
    std::memcpy(s, p->shortName.c_str(), p->shortName.size() + 1);
    char* l = s + p->shortName.size() + 1;
    std::memcpy(l, p->longName.c_str(), p->longName.size() + 1);
    const DPNAME name{sizeof(DPNAME), 0, s, l};
    std::memcpy(out, &name, sizeof(name));
    *size = needed;
    return DP_OK;
  }

  HRESULT SetPlayerName(DPID id, DPNAME* name, DWORD) override {
    Player* p = Find(id);
    if (p == nullptr || !p->local) return DPERR_INVALIDPLAYER;
    p->shortName = name != nullptr ? Text(name->lpszShortNameA) : std::string();
    p->longName = name != nullptr ? Text(name->lpszLongNameA) : std::string();
    Packet packet;
    packet.kind = Kind::NAME;
    packet.players.push_back(Record(*p));
    Broadcast(packet);
    Flush();
    return DP_OK;
  }

  HRESULT GetPlayerAddress(DPID id, void* buffer, DWORD* size) override {
    if (size == nullptr) return DPERR_INVALIDPARAMS;
    const Player* p = Find(id);
    if (p == nullptr) return DPERR_INVALIDPLAYER;
    std::string host = "127.0.0.1:" + std::to_string(endpoint_ ? endpoint_->Port() : 0);
    if (!p->local) {
      const Node* n = FindNode(NodeOf(id));
      if (n == nullptr) return DPERR_INVALIDPLAYER;
      host = DottedIp(n->address.ip) + ":" + std::to_string(n->address.port);
    }
    const std::vector<std::uint8_t> blob = TcpipAddress(host);
    if (buffer == nullptr || *size < blob.size()) {
      *size = static_cast<DWORD>(blob.size());
      return DPERR_BUFFERTOOSMALL;
    }
    std::memcpy(buffer, blob.data(), blob.size());
    *size = static_cast<DWORD>(blob.size());
    return DP_OK;
  }

  HRESULT GetMessageCount(DPID id, DWORD* count) override {
    if (count == nullptr) return DPERR_INVALIDPARAMS;
    Pump(0);
    const Player* p = Find(id);
    if (p == nullptr || !p->local) return DPERR_INVALIDPLAYER;
    *count = static_cast<DWORD>(p->queue.size());
    return DP_OK;
  }

  HRESULT Receive(DPID* from, DPID* to, DWORD flags, void* buffer, DWORD* size) override {
    if (from == nullptr || to == nullptr || size == nullptr) return DPERR_INVALIDPARAMS;
    Pump(0);
    Player* owner = nullptr;
    if ((flags & DPRECEIVE_TOPLAYER) != 0) {
      owner = Find(*to);
      if (owner == nullptr || !owner->local) return DPERR_INVALIDPLAYER;
      if (owner->queue.empty()) return DPERR_NOMESSAGES;
    } else {
      for (Player& p : players_) {
        if (p.local && !p.queue.empty()) {
          owner = &p;
          break;
        }
      }
      if (owner == nullptr) return DPERR_NOMESSAGES;
    }
    const Message& m = owner->queue.front();
    const DWORD needed = m.Size();
    if (buffer == nullptr || *size < needed) {
      *size = needed;
      return DPERR_BUFFERTOOSMALL;
    }
    m.WriteTo(static_cast<std::uint8_t*>(buffer));
    *from = m.from;
    *to = m.to;
    *size = needed;
    if ((flags & DPRECEIVE_PEEK) == 0) owner->queue.pop_front();
    return DP_OK;
  }

  HRESULT Send(DPID from, DPID to, DWORD flags, void* data, DWORD size) override {
    if (state_ != State::IN_SESSION) return DPERR_INVALIDOBJECT;
    if ((data == nullptr && size != 0) || size > MAX_PAYLOAD) return DPERR_INVALIDPARAMS;
    const Player* sender = Find(from);
    if (sender == nullptr || !sender->local) return DPERR_INVALIDPLAYER;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::vector<DPID> targets;
    if (to == DPID_ALLPLAYERS) {
      for (const Player& p : players_) {
        if (p.id != from) targets.push_back(p.id);
      }
    } else {
      if (Find(to) == nullptr) return DPERR_INVALIDPLAYER;
      targets.push_back(to);
    }
    const bool guaranteed = (flags & DPSEND_GUARANTEED) != 0;
    for (DPID target : targets) {
      payloadBytes_ += size;
      Player* receiver = Find(target);
      if (receiver->local) {
        Message m;
        m.from = from;
        m.to = target;
        m.bytes.assign(bytes, bytes + size);
        if (receiver->queue.size() < MAX_QUEUE) receiver->queue.push_back(std::move(m));
        continue;
      }
      if (!guaranteed && Lost()) continue;
      const Node* node = FindNode(NodeOf(target));
      if (node == nullptr || !node->linked) continue;
      Packet packet;
      packet.kind = Kind::DATA;
      packet.from = from;
      packet.to = target;
      packet.payload.assign(bytes, bytes + size);
      endpoint_->Send(node->peer, Encode(packet), guaranteed);
    }
    Pump(0);
    return DP_OK;
  }

  HRESULT SendEx(DPID from, DPID to, DWORD flags, void* data, DWORD size, DWORD, DWORD, void*,
                 DWORD* messageId) override {
    if (messageId != nullptr) *messageId = 0;
    return Send(from, to, flags, data, size);
  }

  HRESULT SetSessionDesc(DPSESSIONDESC2* desc, DWORD) override {
    if (desc == nullptr) return DPERR_INVALIDPARAMS;
    if (state_ != State::IN_SESSION) return DPERR_NOSESSIONS;
    if (hostNode_ != myNode_) return DPERR_NOTHOST;
    flags_ = desc->dwFlags;
    maxPlayers_ = desc->dwMaxPlayers;
    if (desc->lpszSessionNameA != nullptr) name_ = Text(desc->lpszSessionNameA);
    Packet packet;
    packet.kind = Kind::DESC;
    packet.flags = flags_;
    packet.maxPlayers = maxPlayers_;
    packet.name = name_;
    Broadcast(packet);
    Flush();
    return DP_OK;
  }

  std::uint16_t BoundPort() const { return endpoint_ ? endpoint_->Port() : 0; }
  platform::DirectPlayTraffic Traffic() const {
    return {closedWireBytes_ + (endpoint_ ? endpoint_->WireBytes() : 0), payloadBytes_};
  }

 private:
  enum class State { NONE, JOINING, IN_SESSION };

  static std::uint32_t Now() { return CurrentBackend().NowMs(); }

  bool EnsureEndpoint() {
    if (endpoint_) return true;
    endpoint_ = CurrentBackend().Open(0);
    if (endpoint_) endpoint_->SetPeerTimeout(g_network.peerTimeoutMs);
    return endpoint_ != nullptr;
  }

  void DropEndpoint() {
    if (endpoint_) closedWireBytes_ += endpoint_->WireBytes();
    endpoint_.reset();
  }

  // The address that a listing asks: "" broadcasts; "host" or "host:port".
  bool Target(Address* target, bool* broadcast) {
    std::string host = hostText_;
    std::uint16_t port = g_network.port;
    const std::size_t colon = host.rfind(':');
    if (colon != std::string::npos) {
      const std::string digits = host.substr(colon + 1);
      if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) {
        return false;
      }
      const unsigned long value = std::stoul(digits);
      if (value == 0 || value > 65535) return false;
      port = static_cast<std::uint16_t>(value);
      host.erase(colon);
    }
    *broadcast = host.empty();
    if (*broadcast) host = g_network.broadcastAddress;
    std::uint32_t ip = 0;
    if (!CurrentBackend().Resolve(host, &ip)) return false;
    *target = {ip, port};
    return true;
  }

  void Query(const Address& target, bool broadcast, DWORD flags) {
    Packet q;
    q.kind = Kind::QUERY;
    q.application = enumApplication_;
    q.availableOnly = (flags & DPENUMSESSIONS_AVAILABLE) != 0;
    endpoint_->SendDatagram(target, Encode(q), broadcast);
    lastQuery_ = Now();
  }

  void Report(const GUID& application, DWORD flags, LPDPENUMSESSIONSCALLBACK2 callback, void* context) {
    const std::uint32_t now = Now();
    listed_.erase(std::remove_if(listed_.begin(), listed_.end(),
                                 [&](const Listed& l) { return now - l.lastSeen > g_network.sessionExpiryMs; }),
                  listed_.end());
    const std::vector<Listed> snapshot = listed_;
    for (const Listed& l : snapshot) {
      if (!IsEqualGUID(l.application, application)) continue;
      const bool full = l.maxPlayers != 0 && l.currentPlayers >= l.maxPlayers;
      if ((flags & DPENUMSESSIONS_AVAILABLE) != 0 && (full || (l.flags & DPSESSION_JOINDISABLED) != 0)) continue;
      std::string name = l.name;
      DPSESSIONDESC2 d{};
      d.dwSize = DPSESSIONDESC2_SIZE;
      d.dwFlags = l.flags;
      d.guidInstance = l.instance;
      d.guidApplication = l.application;
      d.dwMaxPlayers = l.maxPlayers;
      d.dwCurrentPlayers = l.currentPlayers;
      d.lpszSessionNameA = name.data();
      DWORD timeOut = 0;
      if (!callback(&d, &timeOut, 0, context)) return;
    }
    DWORD timeOut = 0;
    callback(nullptr, &timeOut, DPESC_TIMEDOUT, context);
  }

  HRESULT Create(const DPSESSIONDESC2& desc) {
    DropEndpoint();
    endpoint_ = CurrentBackend().Open(g_network.port);
    if (!endpoint_) return DPERR_CANNOTCREATESERVER;
    endpoint_->SetPeerTimeout(g_network.peerTimeoutMs);
    enumerating_ = false;
    instance_ = NewInstanceGuid(endpoint_->Port());
    application_ = desc.guidApplication;
    flags_ = desc.dwFlags;
    maxPlayers_ = desc.dwMaxPlayers;
    name_ = Text(desc.lpszSessionNameA);
    myNode_ = hostNode_ = 1;
    nextNode_ = 2;
    nextLocal_ = 1;
    state_ = State::IN_SESSION;
    return DP_OK;
  }

  HRESULT StartJoin(const DPSESSIONDESC2& desc) {
    auto it = std::find_if(listed_.begin(), listed_.end(),
                           [&](const Listed& l) { return IsEqualGUID(l.instance, desc.guidInstance); });
    if (it == listed_.end() || !EnsureEndpoint()) return DPERR_NOSESSIONS;
    enumerating_ = false;
    instance_ = it->instance;
    application_ = it->application;
    hostPeer_ = endpoint_->Connect(it->address);
    if (hostPeer_ == 0) return DPERR_NOCONNECTION;
    state_ = State::JOINING;
    joinResult_ = DPERR_CONNECTING;
    joinDeadline_ = Now() + g_network.connectTimeoutMs;
    return DP_OK;
  }

  HRESULT JoinProgress() {
    HRESULT r = joinResult_;
    if (r == DPERR_CONNECTING && myNode_ != 0 &&
        std::all_of(nodes_.begin(), nodes_.end(), [](const Node& n) { return n.linked; })) {
      r = DP_OK;
    }
    if (r == DPERR_CONNECTING && static_cast<std::int32_t>(Now() - joinDeadline_) >= 0) r = DPERR_TIMEOUT;
    if (r == DP_OK) {
      state_ = State::IN_SESSION;
      nextLocal_ = 1;
    } else if (r != DPERR_CONNECTING) {
      Reset();
    }
    return r;
  }

  void Reset() {
    DropEndpoint();
    state_ = State::NONE;
    players_.clear();
    nodes_.clear();
    strangers_.clear();
    delayed_.clear();
    myNode_ = hostNode_ = nextNode_ = 0;
    hostPeer_ = 0;
    enumerating_ = false;
    listed_.clear();
  }

  void Pump(std::uint32_t waitMs) {
    if (!endpoint_) return;
    std::vector<NetEvent> events;
    endpoint_->Service(waitMs, &events);
    const std::uint32_t now = Now();
    for (NetEvent& e : events) delayed_.push_back({now + g_switches.latencyMs, std::move(e)});
    // A connection that does not introduce itself in time is let go.
    for (auto it = strangers_.begin(); it != strangers_.end();) {
      if (now - it->second > g_network.connectTimeoutMs) {
        endpoint_->Disconnect(it->first);
        it = strangers_.erase(it);
      } else {
        ++it;
      }
    }
    // In arrival order: a held message keeps everything after it waiting.
    while (!delayed_.empty() && static_cast<std::int32_t>(now - delayed_.front().first) >= 0 && endpoint_) {
      NetEvent e = std::move(delayed_.front().second);
      delayed_.pop_front();
      Handle(e);
    }
  }

  void Flush() { Pump(0); }

  bool Lost() {
    lossCounter_ += std::clamp(g_switches.lossPercent, 0, 100);
    if (lossCounter_ >= 100) {
      lossCounter_ -= 100;
      return true;
    }
    return false;
  }

  void Handle(const NetEvent& e) {
    switch (e.type) {
      case NetEvent::DATAGRAM:
        HandleDatagram(e);
        break;
      case NetEvent::CONNECTED:
        HandleConnected(e.peer);
        break;
      case NetEvent::DISCONNECTED:
        HandleDisconnected(e.peer);
        break;
      case NetEvent::RECEIVED: {
        Packet packet;
        if (!Decode(e.bytes.data(), e.bytes.size(), &packet)) {
          // A stranger that speaks something else is let go; a member's
          // damaged packet is only dropped.
          if (strangers_.count(e.peer) != 0) Refuse(e.peer, 0);
          break;
        }
        HandlePacket(e.peer, packet);
        break;
      }
    }
  }

  void HandleDatagram(const NetEvent& e) {
    Packet p;
    if (!Decode(e.bytes.data(), e.bytes.size(), &p)) return;
    if (p.kind == Kind::QUERY && state_ == State::IN_SESSION && hostNode_ == myNode_ &&
        IsEqualGUID(p.application, application_)) {
      Packet answer;
      answer.kind = Kind::SESSION;
      answer.application = application_;
      answer.instance = instance_;
      answer.flags = flags_;
      answer.maxPlayers = maxPlayers_;
      answer.currentPlayers = static_cast<std::uint32_t>(players_.size());
      answer.name = name_;
      for (const Player& pl : players_) answer.players.push_back(Record(pl));
      endpoint_->SendDatagram(e.from, Encode(answer), false);
    } else if (p.kind == Kind::SESSION && enumerating_ && IsEqualGUID(p.application, enumApplication_)) {
      auto it = std::find_if(listed_.begin(), listed_.end(),
                             [&](const Listed& l) { return IsEqualGUID(l.instance, p.instance); });
      if (it == listed_.end()) it = listed_.insert(listed_.end(), Listed{});
      it->instance = p.instance;
      it->application = p.application;
      it->flags = p.flags;
      it->maxPlayers = p.maxPlayers;
      it->currentPlayers = p.currentPlayers;
      it->name = p.name;
      it->players = p.players;
      it->address = e.from;
      it->lastSeen = Now();
    }
  }

  void HandleConnected(PeerHandle peer) {
    if (state_ == State::JOINING && peer == hostPeer_) {
      Packet join;
      join.kind = Kind::JOIN;
      join.instance = instance_;
      endpoint_->Send(peer, Encode(join), true);
      return;
    }
    for (const Node& n : nodes_) {
      if (n.peer == peer && !n.linked) {
        endpoint_->Send(peer, Encode(LinkPacket()), true);
        return;
      }
    }
    strangers_[peer] = Now();
  }

  void HandleDisconnected(PeerHandle peer) {
    strangers_.erase(peer);
    if (state_ == State::JOINING) {
      if (peer == hostPeer_ || std::any_of(nodes_.begin(), nodes_.end(), [&](const Node& n) { return n.peer == peer; })) {
        joinResult_ = DPERR_NOCONNECTION;
      }
      return;
    }
    auto it = std::find_if(nodes_.begin(), nodes_.end(), [&](const Node& n) { return n.peer == peer; });
    if (it != nodes_.end()) NodeGone(it->node);
  }

  void Refuse(PeerHandle peer, std::uint8_t reason) {
    if (reason != 0) {
      Packet refuse;
      refuse.kind = Kind::REFUSE;
      refuse.reason = reason;
      // The joiner hangs up on reading it.
      endpoint_->Send(peer, Encode(refuse), true);
      return;
    }
    strangers_.erase(peer);
    endpoint_->Disconnect(peer);
  }

  Node* NodeOfPeer(PeerHandle peer) {
    auto it = std::find_if(nodes_.begin(), nodes_.end(), [&](const Node& n) { return n.peer == peer; });
    return it == nodes_.end() ? nullptr : &*it;
  }

  void HandlePacket(PeerHandle peer, const Packet& p) {
    const bool stranger = strangers_.count(peer) != 0;
    if (stranger) {
      if (p.kind == Kind::JOIN) {
        AcceptJoin(peer, p);
      } else if (p.kind == Kind::LINK) {
        AcceptLink(peer, p);
      } else {
        Refuse(peer, 0);
      }
      return;
    }
    if (state_ == State::JOINING && peer == hostPeer_ && myNode_ == 0) {
      if (p.kind == Kind::WELCOME) {
        Welcomed(p);
      } else if (p.kind == Kind::REFUSE) {
        joinResult_ = DPERR_NOCONNECTION;
      }
      return;
    }
    Node* node = NodeOfPeer(peer);
    if (node == nullptr) return;
    if (p.kind == Kind::LINK) {
      if (!node->linked && IsEqualGUID(p.instance, instance_) && p.node == node->node) {
        node->linked = true;
        nextNode_ = std::max(nextNode_, p.nextNode);
        for (const PlayerRecord& r : p.players) AddRemote(node->node, r);
      }
      return;
    }
    if (!node->linked) return;
    const std::uint32_t from = node->node;
    switch (p.kind) {
      case Kind::CREATE:
        AddRemote(from, p.players.front());
        break;
      case Kind::DESTROY:
        if (NodeOf(p.id) == from) RemovePlayer(p.id);
        break;
      case Kind::NAME:
        if (Player* pl = Find(p.players.front().id); pl != nullptr && NodeOf(pl->id) == from) {
          pl->shortName = p.players.front().shortName;
          pl->longName = p.players.front().longName;
        }
        break;
      case Kind::DATA: {
        const Player* sender = Find(p.from);
        Player* receiver = Find(p.to);
        // Only a machine's own players speak through it, and only to ours.
        if (sender == nullptr || NodeOf(p.from) != from || receiver == nullptr || !receiver->local) break;
        Message m;
        m.from = p.from;
        m.to = p.to;
        m.bytes = p.payload;
        if (receiver->queue.size() < MAX_QUEUE) receiver->queue.push_back(std::move(m));
        break;
      }
      case Kind::DESC:
        if (from == hostNode_) {
          flags_ = p.flags;
          maxPlayers_ = p.maxPlayers;
          name_ = p.name;
        }
        break;
      default:
        break;
    }
  }

  void AcceptJoin(PeerHandle peer, const Packet& p) {
    if (state_ != State::IN_SESSION || hostNode_ != myNode_ || !IsEqualGUID(p.instance, instance_)) {
      Refuse(peer, REFUSE_NO_SESSION);
      return;
    }
    if ((flags_ & (DPSESSION_JOINDISABLED | DPSESSION_NEWPLAYERSDISABLED)) != 0) {
      Refuse(peer, REFUSE_DISABLED);
      return;
    }
    if ((maxPlayers_ != 0 && players_.size() >= maxPlayers_) || nodes_.size() + 1 >= MAX_NODES ||
        nextNode_ > MAX_NODE_ID) {
      Refuse(peer, REFUSE_FULL);
      return;
    }
    strangers_.erase(peer);
    Node n;
    n.node = nextNode_++;
    n.peer = peer;
    n.address = endpoint_->PeerAddress(peer);
    n.linked = true;
    Packet w;
    w.kind = Kind::WELCOME;
    w.instance = instance_;
    w.node = n.node;
    w.hostNode = myNode_;
    w.nextNode = nextNode_;
    w.flags = flags_;
    w.maxPlayers = maxPlayers_;
    w.name = name_;
    for (const Node& other : nodes_) {
      if (other.linked) w.nodes.push_back({other.node, other.address.ip, other.address.port});
    }
    for (const Player& pl : players_) {
      if (pl.local) w.players.push_back(Record(pl));
    }
    nodes_.push_back(n);
    endpoint_->Send(peer, Encode(w), true);
  }

  void AcceptLink(PeerHandle peer, const Packet& p) {
    strangers_.erase(peer);
    if (state_ != State::IN_SESSION || !IsEqualGUID(p.instance, instance_) || p.node == myNode_ ||
        FindNode(p.node) != nullptr) {
      endpoint_->Disconnect(peer);
      return;
    }
    Node n;
    n.node = p.node;
    n.peer = peer;
    n.address = endpoint_->PeerAddress(peer);
    n.linked = true;
    nodes_.push_back(n);
    nextNode_ = std::max(nextNode_, p.nextNode);
    endpoint_->Send(peer, Encode(LinkPacket()), true);
    for (const PlayerRecord& r : p.players) AddRemote(p.node, r);
  }

  void Welcomed(const Packet& p) {
    if (!IsEqualGUID(p.instance, instance_)) {
      joinResult_ = DPERR_NOCONNECTION;
      return;
    }
    myNode_ = p.node;
    hostNode_ = p.hostNode;
    nextNode_ = p.nextNode;
    flags_ = p.flags;
    maxPlayers_ = p.maxPlayers;
    name_ = p.name;
    Node host;
    host.node = p.hostNode;
    host.peer = hostPeer_;
    host.address = endpoint_->PeerAddress(hostPeer_);
    host.linked = true;
    nodes_.push_back(host);
    for (const PlayerRecord& r : p.players) AddRemote(p.hostNode, r);
    for (const NodeRecord& r : p.nodes) {
      if (r.node == myNode_ || FindNode(r.node) != nullptr) continue;
      Node n;
      n.node = r.node;
      n.address = {r.ip, r.port};
      n.peer = endpoint_->Connect(n.address);
      if (n.peer == 0) {
        joinResult_ = DPERR_NOCONNECTION;
        return;
      }
      nodes_.push_back(n);
    }
  }

  Packet LinkPacket() const {
    Packet link;
    link.kind = Kind::LINK;
    link.instance = instance_;
    link.node = myNode_;
    link.nextNode = nextNode_;
    for (const Player& pl : players_) {
      if (pl.local) link.players.push_back(Record(pl));
    }
    return link;
  }

  // A machine has gone: its players are destroyed, and when it was the host
  // another machine takes over (or the session is lost).
  void NodeGone(std::uint32_t node) {
    nodes_.erase(std::remove_if(nodes_.begin(), nodes_.end(), [&](const Node& n) { return n.node == node; }),
                 nodes_.end());
    bool becameHost = false;
    bool lost = false;
    if (node == hostNode_) {
      if ((flags_ & DPSESSION_MIGRATEHOST) != 0) {
        // The machine that joined first (the lowest node id) takes over; every
        // machine reaches the same choice from the same mesh.
        std::uint32_t next = myNode_;
        for (const Node& n : nodes_) {
          if (n.linked) next = std::min(next, n.node);
        }
        hostNode_ = next;
        becameHost = next == myNode_;
      } else {
        lost = true;
      }
    }
    std::vector<DPID> gone;
    for (const Player& p : players_) {
      if (!p.local && NodeOf(p.id) == node) gone.push_back(p.id);
    }
    for (DPID id : gone) RemovePlayer(id);
    if (becameHost) DeliverHost(node);
    if (lost) DeliverSystem(DPSYS_SESSIONLOST);
  }

  // DPSYS_HOST after the old host's player destructions, or with the test
  // switch ahead of those still unread (whether the old host destroyed its
  // players before leaving or not).
  void DeliverHost(std::uint32_t oldHost) {
    Message m;
    m.systemType = DPSYS_HOST;
    m.from = DPID_SYSMSG;
    for (Player& p : players_) {
      if (!p.local) continue;
      m.to = p.id;
      auto at = p.queue.end();
      if (g_switches.hostBeforeDestroy) {
        at = std::find_if(p.queue.begin(), p.queue.end(), [&](const Message& q) {
          return q.systemType == DPSYS_DESTROYPLAYERORGROUP && NodeOf(q.player) == oldHost;
        });
      }
      p.queue.insert(at, m);
    }
  }

  void AddRemote(std::uint32_t node, const PlayerRecord& r) {
    if (NodeOf(r.id) != node || Find(r.id) != nullptr) return;
    Player p;
    p.id = r.id;
    p.shortName = r.shortName;
    p.longName = r.longName;
    Message created = CreateMessage(p);
    players_.push_back(std::move(p));
    created.currentPlayers = static_cast<DWORD>(players_.size());
    Deliver(created);
  }

  Message CreateMessage(const Player& p) const {
    Message m;
    m.systemType = DPSYS_CREATEPLAYERORGROUP;
    m.player = p.id;
    m.currentPlayers = static_cast<DWORD>(players_.size() + 1);
    m.shortName = p.shortName;
    m.longName = p.longName;
    return m;
  }

  void RemovePlayer(DPID id) {
    auto it = std::find_if(players_.begin(), players_.end(), [&](const Player& p) { return p.id == id; });
    if (it == players_.end()) return;
    Message m;
    m.systemType = DPSYS_DESTROYPLAYERORGROUP;
    m.player = id;
    m.shortName = it->shortName;
    m.longName = it->longName;
    players_.erase(it);
    Deliver(m);
  }

  void DeliverSystem(DWORD type) {
    Message m;
    m.systemType = type;
    Deliver(m);
  }

  // A system message goes to every local player's queue but the one it
  // concerns.
  void Deliver(Message m) {
    for (Player& p : players_) {
      if (!p.local || p.id == m.player) continue;
      m.from = DPID_SYSMSG;
      m.to = p.id;
      p.queue.push_back(m);
    }
  }

  void Broadcast(const Packet& packet) {
    if (!endpoint_) return;
    const std::vector<std::uint8_t> bytes = Encode(packet);
    for (const Node& n : nodes_) {
      if (n.linked) endpoint_->Send(n.peer, bytes, true);
    }
  }

  static Packet DestroyPacket(DPID id) {
    Packet p;
    p.kind = Kind::DESTROY;
    p.id = id;
    return p;
  }

  static PlayerRecord Record(const Player& p) { return {p.id, p.shortName, p.longName}; }

  Player* Find(DPID id) {
    auto it = std::find_if(players_.begin(), players_.end(), [&](const Player& p) { return p.id == id; });
    return it == players_.end() ? nullptr : &*it;
  }
  const Node* FindNode(std::uint32_t node) const {
    auto it = std::find_if(nodes_.begin(), nodes_.end(), [&](const Node& n) { return n.node == node; });
    return it == nodes_.end() ? nullptr : &*it;
  }

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
  int lossCounter_ = 0;

  PeerHandle hostPeer_ = 0;
  HRESULT joinResult_ = DP_OK;
  std::uint32_t joinDeadline_ = 0;
};

}  // namespace

IDirectPlay4A* NewDirectPlay(bool connected) { return new DirectPlay(connected); }

}  // namespace dplay

namespace platform {

void SetDirectPlayNetwork(const DirectPlayNetwork& network) { dplay::g_network = network; }
const DirectPlayNetwork& GetDirectPlayNetwork() { return dplay::g_network; }
void SetDirectPlayTestSwitches(const DirectPlayTestSwitches& switches) { dplay::g_switches = switches; }

std::uint16_t DirectPlayBoundPort(IDirectPlay4A* directPlay) {
  return directPlay == nullptr ? 0 : static_cast<dplay::DirectPlay*>(directPlay)->BoundPort();
}

DirectPlayTraffic DirectPlayTrafficOf(IDirectPlay4A* directPlay) {
  return directPlay == nullptr ? DirectPlayTraffic{} : static_cast<dplay::DirectPlay*>(directPlay)->Traffic();
}

}  // namespace platform
