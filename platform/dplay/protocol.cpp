// Encoding and checked decoding of the layer's packets.
#include "platform/dplay/protocol.h"

#include <cstring>

namespace dplay {
namespace {

constexpr std::uint8_t MAGIC[3] = {'K', 'D', 'P'};

bool IsDatagram(Kind kind) { return kind == Kind::QUERY || kind == Kind::SESSION; }
bool CarriesVersion(Kind kind) {
  return IsDatagram(kind) || kind == Kind::JOIN || kind == Kind::WELCOME || kind == Kind::LINK;
}

class Writer {
 public:
  void U8(std::uint8_t v) { out.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void Guid(const GUID& g) {
    U32(g.Data1);
    U16(g.Data2);
    U16(g.Data3);
    for (BYTE b : g.Data4) U8(b);
  }
  void Str(const std::string& s) {
    const std::size_t n = std::min<std::size_t>(s.size(), 255);
    U8(static_cast<std::uint8_t>(n));
    out.insert(out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
  }
  void Player(const PlayerRecord& p) {
    U32(p.id);
    Str(p.shortName);
    Str(p.longName);
  }
  void Players(const std::vector<PlayerRecord>& players) {
    const std::size_t n = std::min(players.size(), MAX_LIST_PLAYERS);
    U8(static_cast<std::uint8_t>(n));
    for (std::size_t i = 0; i < n; ++i) Player(players[i]);
  }
  std::vector<std::uint8_t> out;
};

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
  bool ok() const { return ok_; }
  bool AtEnd() const { return ok_ && p_ == end_; }
  std::size_t Left() const { return static_cast<std::size_t>(end_ - p_); }
  std::uint8_t U8() {
    if (!Need(1)) return 0;
    return *p_++;
  }
  std::uint16_t U16() {
    const std::uint16_t lo = U8();
    return static_cast<std::uint16_t>(lo | (U8() << 8));
  }
  std::uint32_t U32() {
    const std::uint32_t lo = U16();
    return lo | (static_cast<std::uint32_t>(U16()) << 16);
  }
  GUID Guid() {
    GUID g{};
    g.Data1 = U32();
    g.Data2 = U16();
    g.Data3 = U16();
    for (BYTE& b : g.Data4) b = U8();
    return g;
  }
  std::string Str() {
    const std::size_t n = U8();
    if (!Need(n)) return {};
    std::string s(reinterpret_cast<const char*>(p_), n);
    p_ += n;
    // A NUL inside a name would cut it short on the game's side.
    if (s.find('\0') != std::string::npos) ok_ = false;
    return s;
  }
  PlayerRecord Player() {
    PlayerRecord p;
    p.id = U32();
    if (p.id == 0 || p.id == 1) ok_ = false;
    p.shortName = Str();
    p.longName = Str();
    return p;
  }
  std::vector<PlayerRecord> Players() {
    const std::size_t n = U8();
    if (n > MAX_LIST_PLAYERS) ok_ = false;
    std::vector<PlayerRecord> out;
    for (std::size_t i = 0; i < n && ok_; ++i) out.push_back(Player());
    return out;
  }
  void Fail() { ok_ = false; }
  const std::uint8_t* Here() const { return p_; }
  void Skip(std::size_t n) {
    if (Need(n)) p_ += n;
  }

 private:
  bool Need(std::size_t n) {
    if (!ok_ || Left() < n) {
      ok_ = false;
      return false;
    }
    return true;
  }
  const std::uint8_t* p_;
  const std::uint8_t* end_;
  bool ok_ = true;
};

}  // namespace

std::vector<std::uint8_t> Encode(const Packet& packet) {
  Writer w;
  if (CarriesVersion(packet.kind)) {
    for (std::uint8_t m : MAGIC) w.U8(m);
    w.U8(PROTOCOL_VERSION);
  }
  w.U8(static_cast<std::uint8_t>(packet.kind));
  switch (packet.kind) {
    case Kind::QUERY:
      w.Guid(packet.application);
      w.U8(packet.availableOnly ? 1 : 0);
      break;
    case Kind::SESSION:
      w.Guid(packet.application);
      w.Guid(packet.instance);
      w.U32(packet.flags);
      w.U32(packet.maxPlayers);
      w.U32(packet.currentPlayers);
      w.Str(packet.name);
      w.Players(packet.players);
      break;
    case Kind::JOIN:
      w.Guid(packet.instance);
      break;
    case Kind::WELCOME: {
      w.Guid(packet.instance);
      w.U32(packet.node);
      w.U32(packet.hostNode);
      w.U32(packet.nextNode);
      w.U32(packet.flags);
      w.U32(packet.maxPlayers);
      w.Str(packet.name);
      const std::size_t n = std::min(packet.nodes.size(), MAX_NODES);
      w.U8(static_cast<std::uint8_t>(n));
      for (std::size_t i = 0; i < n; ++i) {
        w.U32(packet.nodes[i].node);
        w.U32(packet.nodes[i].ip);
        w.U16(packet.nodes[i].port);
      }
      w.Players(packet.players);
      break;
    }
    case Kind::REFUSE:
      w.U8(packet.reason);
      break;
    case Kind::LINK:
      w.Guid(packet.instance);
      w.U32(packet.node);
      w.U32(packet.nextNode);
      w.Players(packet.players);
      break;
    case Kind::CREATE:
    case Kind::NAME:
      w.Player(packet.players.empty() ? PlayerRecord{} : packet.players.front());
      break;
    case Kind::DESTROY:
      w.U32(packet.id);
      break;
    case Kind::DATA:
      w.U32(packet.from);
      w.U32(packet.to);
      w.out.insert(w.out.end(), packet.payload.begin(), packet.payload.end());
      break;
    case Kind::DESC:
      w.U32(packet.flags);
      w.U32(packet.maxPlayers);
      w.Str(packet.name);
      break;
  }
  return std::move(w.out);
}

bool Decode(const std::uint8_t* data, std::size_t size, Packet* out) {
  if (data == nullptr || size == 0) return false;
  Reader r(data, size);
  Packet p;
  const bool versioned = size >= 4 && std::memcmp(data, MAGIC, 3) == 0;
  if (versioned) {
    r.Skip(3);
    if (r.U8() != PROTOCOL_VERSION) return false;
  }
  p.kind = static_cast<Kind>(r.U8());
  if (!r.ok()) return false;
  const auto kindValue = static_cast<std::uint8_t>(p.kind);
  if (kindValue < 1 || kindValue > static_cast<std::uint8_t>(Kind::DESC)) return false;
  if (versioned != CarriesVersion(p.kind)) return false;
  switch (p.kind) {
    case Kind::QUERY: {
      p.application = r.Guid();
      const std::uint8_t available = r.U8();
      if (available > 1) r.Fail();
      p.availableOnly = available == 1;
      break;
    }
    case Kind::SESSION:
      p.application = r.Guid();
      p.instance = r.Guid();
      p.flags = r.U32();
      p.maxPlayers = r.U32();
      p.currentPlayers = r.U32();
      p.name = r.Str();
      p.players = r.Players();
      break;
    case Kind::JOIN:
      p.instance = r.Guid();
      break;
    case Kind::WELCOME: {
      p.instance = r.Guid();
      p.node = r.U32();
      p.hostNode = r.U32();
      p.nextNode = r.U32();
      p.flags = r.U32();
      p.maxPlayers = r.U32();
      p.name = r.Str();
      const std::size_t n = r.U8();
      if (n > MAX_NODES) r.Fail();
      for (std::size_t i = 0; i < n && r.ok(); ++i) {
        NodeRecord node;
        node.node = r.U32();
        node.ip = r.U32();
        node.port = r.U16();
        if (node.node == 0 || node.node > MAX_NODE_ID) r.Fail();
        p.nodes.push_back(node);
      }
      p.players = r.Players();
      if (p.node == 0 || p.node > MAX_NODE_ID || p.hostNode == 0 || p.hostNode > MAX_NODE_ID) r.Fail();
      break;
    }
    case Kind::REFUSE:
      p.reason = r.U8();
      break;
    case Kind::LINK:
      p.instance = r.Guid();
      p.node = r.U32();
      p.nextNode = r.U32();
      p.players = r.Players();
      if (p.node == 0 || p.node > MAX_NODE_ID) r.Fail();
      break;
    case Kind::CREATE:
    case Kind::NAME:
      p.players.push_back(r.Player());
      break;
    case Kind::DESTROY:
      p.id = r.U32();
      break;
    case Kind::DATA:
      p.from = r.U32();
      p.to = r.U32();
      if (!r.ok() || r.Left() > MAX_PAYLOAD) return false;
      p.payload.assign(r.Here(), r.Here() + r.Left());
      r.Skip(r.Left());
      break;
    case Kind::DESC:
      p.flags = r.U32();
      p.maxPlayers = r.U32();
      p.name = r.Str();
      break;
  }
  if (!r.AtEnd()) return false;
  *out = std::move(p);
  return true;
}

}  // namespace dplay
