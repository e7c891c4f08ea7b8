// The mesh that carries a session: every machine connected to every other,
// the packets between them, machines joining and leaving, host migration,
// and the system messages that tell the players.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/dplay/directplay.h"

namespace dplay {

DWORD Message::Size() const {
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

void Message::WriteTo(std::uint8_t* out) const {
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

void DirectPlay::Pump(std::uint32_t waitMs) {
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

bool DirectPlay::Lost() {
  lossCounter_ += std::clamp(g_switches.lossPercent, 0, 100);
  if (lossCounter_ >= 100) {
    lossCounter_ -= 100;
    return true;
  }
  return false;
}

void DirectPlay::Handle(const NetEvent& e) {
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

void DirectPlay::HandleDatagram(const NetEvent& e) {
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
    if (it == listed_.end()) {
      if (listed_.size() >= MAX_LISTED) return;
      it = listed_.insert(listed_.end(), Listed{});
    }
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

void DirectPlay::HandleConnected(PeerHandle peer) {
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

void DirectPlay::HandleDisconnected(PeerHandle peer) {
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

void DirectPlay::Refuse(PeerHandle peer, std::uint8_t reason) {
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

Node* DirectPlay::NodeOfPeer(PeerHandle peer) {
  auto it = std::find_if(nodes_.begin(), nodes_.end(), [&](const Node& n) { return n.peer == peer; });
  return it == nodes_.end() ? nullptr : &*it;
}

void DirectPlay::HandlePacket(PeerHandle peer, const Packet& p) {
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

void DirectPlay::AcceptJoin(PeerHandle peer, const Packet& p) {
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

void DirectPlay::AcceptLink(PeerHandle peer, const Packet& p) {
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

void DirectPlay::Welcomed(const Packet& p) {
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

Packet DirectPlay::LinkPacket() const {
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

void DirectPlay::NodeGone(std::uint32_t node) {
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

void DirectPlay::DeliverHost(std::uint32_t oldHost) {
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

void DirectPlay::AddRemote(std::uint32_t node, const PlayerRecord& r) {
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

Message DirectPlay::CreateMessage(const Player& p) const {
  Message m;
  m.systemType = DPSYS_CREATEPLAYERORGROUP;
  m.player = p.id;
  m.currentPlayers = static_cast<DWORD>(players_.size() + 1);
  m.shortName = p.shortName;
  m.longName = p.longName;
  return m;
}

void DirectPlay::RemovePlayer(DPID id) {
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

void DirectPlay::DeliverSystem(DWORD type) {
  Message m;
  m.systemType = type;
  Deliver(m);
}

void DirectPlay::Deliver(Message m) {
  for (Player& p : players_) {
    if (!p.local || p.id == m.player) continue;
    m.from = DPID_SYSMSG;
    m.to = p.id;
    p.queue.push_back(m);
  }
}

void DirectPlay::Broadcast(const Packet& packet) {
  if (!endpoint_) return;
  const std::vector<std::uint8_t> bytes = Encode(packet);
  for (const Node& n : nodes_) {
    if (n.linked) endpoint_->Send(n.peer, bytes, true);
  }
}

Packet DirectPlay::DestroyPacket(DPID id) {
  Packet p;
  p.kind = Kind::DESTROY;
  p.id = id;
  return p;
}

Player* DirectPlay::Find(DPID id) {
  auto it = std::find_if(players_.begin(), players_.end(), [&](const Player& p) { return p.id == id; });
  return it == players_.end() ? nullptr : &*it;
}

const Node* DirectPlay::FindNode(std::uint32_t node) const {
  auto it = std::find_if(nodes_.begin(), nodes_.end(), [&](const Node& n) { return n.node == node; });
  return it == nodes_.end() ? nullptr : &*it;
}

}  // namespace dplay
