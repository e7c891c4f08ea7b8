// The DirectPlay object's calls: connection, listing, opening and closing a
// session, players, and their messages and queues.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "platform/dplay/address.h"
#include "platform/dplay/directplay.h"
#include "platform/dplay/dplay_internal.h"

namespace dplay {

Backend& CurrentBackend() {
  static Backend* const enet = MakeEnetBackend();
  static Backend* const test = MakeTestBackend();
  return TestBackendActive() ? *test : *enet;
}

platform::DirectPlayNetwork g_network;
platform::DirectPlayTestSwitches g_switches;

namespace {

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

}  // namespace

HRESULT DirectPlay::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return DPERR_INVALIDPARAMS;
  if (!IsEqualGUID(iid, IID_IDirectPlay4A) && !IsEqualGUID(iid, IID_IDirectPlay3A)) {
    *out = nullptr;
    return DPERR_NOINTERFACE;
  }
  AddRef();
  *out = static_cast<IDirectPlay4A*>(this);
  return DP_OK;
}

DWORD DirectPlay::Release() {
  const DWORD left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT DirectPlay::EnumConnections(const GUID*, LPDPENUMCONNECTIONSCALLBACK callback, void* context, DWORD) {
  if (callback == nullptr) return DPERR_INVALIDPARAMS;
  DPCOMPOUNDADDRESSELEMENT e{DPAID_ServiceProvider, sizeof(GUID), &DPSPGUID_TCPIP};
  std::vector<std::uint8_t> connection = EncodeAddress(&e, 1);
  char name[] = "TCP/IP";
  DPNAME dpName{sizeof(DPNAME), 0, name, name};
  callback(&DPSPGUID_TCPIP, connection.data(), static_cast<DWORD>(connection.size()), &dpName, 0, context);
  return DP_OK;
}

HRESULT DirectPlay::InitializeConnection(const void* address, DWORD) {
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

HRESULT DirectPlay::EnumSessions(DPSESSIONDESC2* desc, DWORD timeOut, LPDPENUMSESSIONSCALLBACK2 callback,
                                 void* context, DWORD flags) {
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

HRESULT DirectPlay::Open(DPSESSIONDESC2* desc, DWORD flags) {
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

HRESULT DirectPlay::Close() {
  if (state_ == State::NONE) return DPERR_NOSESSIONS;
  // What was sent goes out first; the other machines then destroy our
  // players as they see us go, as they would after a crash, so that a host
  // that leaves is followed the same way in both cases.
  Flush();
  Reset();
  return DP_OK;
}

HRESULT DirectPlay::CreatePlayer(DPID* id, DPNAME* name, HANDLE, void*, DWORD, DWORD) {
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

HRESULT DirectPlay::DestroyPlayer(DPID id) {
  if (state_ != State::IN_SESSION) return DPERR_INVALIDOBJECT;
  Player* p = Find(id);
  if (p == nullptr || !p->local) return DPERR_INVALIDPLAYER;
  Broadcast(DestroyPacket(id));
  RemovePlayer(id);
  Flush();
  return DP_OK;
}

HRESULT DirectPlay::EnumPlayers(GUID* session, LPDPENUMPLAYERSCALLBACK2 callback, void* context, DWORD flags) {
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

HRESULT DirectPlay::GetPlayerName(DPID id, void* buffer, DWORD* size) {
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

HRESULT DirectPlay::SetPlayerName(DPID id, DPNAME* name, DWORD) {
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

HRESULT DirectPlay::GetPlayerAddress(DPID id, void* buffer, DWORD* size) {
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

HRESULT DirectPlay::GetMessageCount(DPID id, DWORD* count) {
  if (count == nullptr) return DPERR_INVALIDPARAMS;
  Pump(0);
  const Player* p = Find(id);
  if (p == nullptr || !p->local) return DPERR_INVALIDPLAYER;
  *count = static_cast<DWORD>(p->queue.size());
  return DP_OK;
}

HRESULT DirectPlay::Receive(DPID* from, DPID* to, DWORD flags, void* buffer, DWORD* size) {
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

HRESULT DirectPlay::Send(DPID from, DPID to, DWORD flags, void* data, DWORD size) {
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

HRESULT DirectPlay::SendEx(DPID from, DPID to, DWORD flags, void* data, DWORD size, DWORD, DWORD, void*,
                           DWORD* messageId) {
  if (messageId != nullptr) *messageId = 0;
  return Send(from, to, flags, data, size);
}

HRESULT DirectPlay::SetSessionDesc(DPSESSIONDESC2* desc, DWORD) {
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

platform::DirectPlayTraffic DirectPlay::Traffic() const {
  return {closedWireBytes_ + (endpoint_ ? endpoint_->WireBytes() : 0), payloadBytes_};
}

bool DirectPlay::EnsureEndpoint() {
  if (endpoint_) return true;
  endpoint_ = CurrentBackend().Open(0);
  if (endpoint_) endpoint_->SetPeerTimeout(g_network.peerTimeoutMs);
  return endpoint_ != nullptr;
}

void DirectPlay::DropEndpoint() {
  if (endpoint_) closedWireBytes_ += endpoint_->WireBytes();
  endpoint_.reset();
}

bool DirectPlay::Target(Address* target, bool* broadcast) {
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

void DirectPlay::Query(const Address& target, bool broadcast, DWORD flags) {
  Packet q;
  q.kind = Kind::QUERY;
  q.application = enumApplication_;
  q.availableOnly = (flags & DPENUMSESSIONS_AVAILABLE) != 0;
  endpoint_->SendDatagram(target, Encode(q), broadcast);
  lastQuery_ = Now();
}

void DirectPlay::Report(const GUID& application, DWORD flags, LPDPENUMSESSIONSCALLBACK2 callback, void* context) {
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

HRESULT DirectPlay::Create(const DPSESSIONDESC2& desc) {
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

HRESULT DirectPlay::StartJoin(const DPSESSIONDESC2& desc) {
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

HRESULT DirectPlay::JoinProgress() {
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

void DirectPlay::Reset() {
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

IDirectPlay4A* NewDirectPlay(bool connected) {
  ApplyEnvironment();
  return new DirectPlay(connected);
}

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
