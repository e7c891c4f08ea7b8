// The real network: one ENet host per endpoint. Listing datagrams share the
// host's UDP socket: ENet's intercept hook takes them out before ENet reads
// its own packets.
#include <enet/enet.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>

#include "platform/dplay/backend.h"

namespace dplay {
namespace {

constexpr std::size_t MAX_PEERS = 32;
constexpr int CHANNEL_RELIABLE = 0;
constexpr int CHANNEL_UNRELIABLE = 1;
constexpr int CLOSE_WAIT_MS = 300;
constexpr std::size_t MAX_PACKET = 128 * 1024;

ENetAddress ToEnet(const Address& a) {
  ENetAddress e{};
  e.host = ENET_HOST_TO_NET_32(a.ip);
  e.port = a.port;
  return e;
}

Address FromEnet(const ENetAddress& e) { return {ENET_NET_TO_HOST_32(e.host), e.port}; }

// Only our datagrams are taken: they begin with the magic, which no ENet
// packet to a valid peer does.
bool IsOurDatagram(const std::uint8_t* data, std::size_t size) {
  return size >= 4 && data[0] == 'K' && data[1] == 'D' && data[2] == 'P';
}

thread_local std::vector<NetEvent>* t_datagrams = nullptr;

int ENET_CALLBACK Intercept(ENetHost* host, ENetEvent*) {
  if (!IsOurDatagram(host->receivedData, host->receivedDataLength)) return 0;
  if (t_datagrams != nullptr) {
    NetEvent e;
    e.type = NetEvent::DATAGRAM;
    e.from = FromEnet(host->receivedAddress);
    e.bytes.assign(host->receivedData, host->receivedData + host->receivedDataLength);
    t_datagrams->push_back(std::move(e));
  }
  return 1;
}

class EnetEndpoint final : public Endpoint {
 public:
  explicit EnetEndpoint(ENetHost* host) : host_(host) {
    host_->intercept = Intercept;
    // No packet of ours comes near this; a peer that announces a larger one
    // is refused before ENet gathers it.
    host_->maximumPacketSize = MAX_PACKET;
    host_->maximumWaitingData = 16 * MAX_PACKET;
    ENetAddress bound{};
    if (enet_socket_get_address(host_->socket, &bound) == 0) port_ = bound.port;
    enet_socket_set_option(host_->socket, ENET_SOCKOPT_BROADCAST, 1);
  }
  ~EnetEndpoint() override {
    // A graceful goodbye: what was sent is delivered before the peers see us
    // go (a hard disconnect would throw it away on both sides). Bounded: a
    // peer that does not answer in time is cut off.
    for (auto& [handle, peer] : peers_) enet_peer_disconnect_later(peer, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(CLOSE_WAIT_MS);
    ENetEvent event;
    while (!peers_.empty() && std::chrono::steady_clock::now() < deadline) {
      if (enet_host_service(host_, &event, 5) <= 0) continue;
      if (event.type == ENET_EVENT_TYPE_DISCONNECT) {
        peers_.erase(HandleOf(event.peer));
      } else if (event.type == ENET_EVENT_TYPE_RECEIVE) {
        enet_packet_destroy(event.packet);
      }
    }
    for (auto& [handle, peer] : peers_) enet_peer_disconnect_now(peer, 0);
    enet_host_flush(host_);
    enet_host_destroy(host_);
  }

  std::uint16_t Port() const override { return port_; }

  PeerHandle Connect(const Address& to) override {
    const ENetAddress address = ToEnet(to);
    ENetPeer* peer = enet_host_connect(host_, &address, 2, 0);
    if (peer == nullptr) return 0;
    return Adopt(peer);
  }

  void Disconnect(PeerHandle handle) override {
    auto it = peers_.find(handle);
    if (it == peers_.end()) return;
    it->second->data = nullptr;
    enet_peer_disconnect_now(it->second, 0);
    peers_.erase(it);
  }

  Address PeerAddress(PeerHandle handle) const override {
    auto it = peers_.find(handle);
    return it == peers_.end() ? Address{} : FromEnet(it->second->address);
  }

  void Send(PeerHandle handle, const std::vector<std::uint8_t>& bytes, bool reliable) override {
    auto it = peers_.find(handle);
    if (it == peers_.end()) return;
    ENetPacket* packet =
        enet_packet_create(bytes.data(), bytes.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
    if (packet == nullptr) return;
    if (enet_peer_send(it->second, reliable ? CHANNEL_RELIABLE : CHANNEL_UNRELIABLE, packet) != 0) {
      enet_packet_destroy(packet);
    }
  }

  void SendDatagram(const Address& to, const std::vector<std::uint8_t>& bytes, bool) override {
    const ENetAddress address = ToEnet(to);
    ENetBuffer buffer;
    buffer.data = const_cast<std::uint8_t*>(bytes.data());
    buffer.dataLength = bytes.size();
    if (enet_socket_send(host_->socket, &address, &buffer, 1) > 0) datagramBytes_ += bytes.size();
  }

  void Service(std::uint32_t waitMs, std::vector<NetEvent>* events) override {
    t_datagrams = events;
    ENetEvent event;
    std::uint32_t wait = waitMs;
    while (enet_host_service(host_, &event, wait) > 0) {
      wait = 0;
      Translate(event, events);
    }
    t_datagrams = nullptr;
    enet_host_flush(host_);
  }

  std::uint64_t WireBytes() const override { return host_->totalSentData + datagramBytes_; }

  void SetPeerTimeout(std::uint32_t ms) override { timeoutMs_ = ms; }

 private:
  PeerHandle Adopt(ENetPeer* peer) {
    const PeerHandle handle = nextHandle_++;
    peer->data = reinterpret_cast<void*>(static_cast<std::uintptr_t>(handle));
    peers_[handle] = peer;
    // Pings at a quarter of the limit keep a quiet peer known to be alive.
    enet_peer_timeout(peer, 0, timeoutMs_, timeoutMs_);
    enet_peer_ping_interval(peer, std::max<std::uint32_t>(timeoutMs_ / 4, 1));
    return handle;
  }

  static PeerHandle HandleOf(const ENetPeer* peer) {
    return static_cast<PeerHandle>(reinterpret_cast<std::uintptr_t>(peer->data));
  }

  void Translate(ENetEvent& event, std::vector<NetEvent>* events) {
    NetEvent e;
    switch (event.type) {
      case ENET_EVENT_TYPE_CONNECT:
        e.type = NetEvent::CONNECTED;
        e.peer = event.peer->data != nullptr ? HandleOf(event.peer) : Adopt(event.peer);
        events->push_back(std::move(e));
        break;
      case ENET_EVENT_TYPE_DISCONNECT: {
        const PeerHandle handle = HandleOf(event.peer);
        if (handle == 0) break;  // one we let go of
        peers_.erase(handle);
        event.peer->data = nullptr;
        e.type = NetEvent::DISCONNECTED;
        e.peer = handle;
        events->push_back(std::move(e));
        break;
      }
      case ENET_EVENT_TYPE_RECEIVE: {
        const PeerHandle handle = HandleOf(event.peer);
        if (handle != 0) {
          e.type = NetEvent::RECEIVED;
          e.peer = handle;
          e.bytes.assign(event.packet->data, event.packet->data + event.packet->dataLength);
          events->push_back(std::move(e));
        }
        enet_packet_destroy(event.packet);
        break;
      }
      case ENET_EVENT_TYPE_NONE:
        break;
    }
  }

  ENetHost* host_;
  std::uint16_t port_ = 0;
  std::map<PeerHandle, ENetPeer*> peers_;
  PeerHandle nextHandle_ = 1;
  std::uint32_t timeoutMs_ = 5000;
  std::uint64_t datagramBytes_ = 0;
};

class EnetBackend final : public Backend {
 public:
  std::unique_ptr<Endpoint> Open(std::uint16_t port) override {
    if (!Started()) return nullptr;
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = port;
    ENetHost* host = enet_host_create(&address, MAX_PEERS, 2, 0, 0);
    if (host == nullptr) return nullptr;
    return std::make_unique<EnetEndpoint>(host);
  }

  bool Resolve(const std::string& host, std::uint32_t* ip) override {
    if (!Started()) return false;
    ENetAddress address{};
    if (enet_address_set_host(&address, host.c_str()) != 0) return false;
    *ip = ENET_NET_TO_HOST_32(address.host);
    return true;
  }

  std::uint32_t NowMs() override {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }

 private:
  bool Started() {
    static const bool ok = enet_initialize() == 0;
    return ok;
  }
};

}  // namespace

Backend* MakeEnetBackend() {
  static EnetBackend backend;
  return &backend;
}

}  // namespace dplay
