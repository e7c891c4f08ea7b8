// Inside the DirectPlay layer: the network that carries its packets (ENet
// over UDP, or the test backend's virtual network). An endpoint is one UDP
// port with connections to other endpoints, reliable ordered packets on one
// channel, unreliable ones on another, and plain datagrams for listings.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dplay {

struct Address {
  std::uint32_t ip = 0;  // IPv4, host byte order
  std::uint16_t port = 0;
  bool operator==(const Address&) const = default;
};

using PeerHandle = std::uint64_t;  // 0: none

struct NetEvent {
  enum Type { CONNECTED, DISCONNECTED, RECEIVED, DATAGRAM } type = CONNECTED;
  PeerHandle peer = 0;
  Address from;  // DATAGRAM
  std::vector<std::uint8_t> bytes;
};

class Endpoint {
 public:
  virtual ~Endpoint() = default;
  virtual std::uint16_t Port() const = 0;
  // Starts a connection; CONNECTED or DISCONNECTED follows.
  virtual PeerHandle Connect(const Address& to) = 0;
  // Graceful: the other side sees DISCONNECTED; this side sees nothing more.
  virtual void Disconnect(PeerHandle peer) = 0;
  virtual Address PeerAddress(PeerHandle peer) const = 0;
  virtual void Send(PeerHandle peer, const std::vector<std::uint8_t>& bytes, bool reliable) = 0;
  virtual void SendDatagram(const Address& to, const std::vector<std::uint8_t>& bytes, bool broadcast) = 0;
  // Sends what is queued and collects what arrived, waiting up to `waitMs`
  // for the first event.
  virtual void Service(std::uint32_t waitMs, std::vector<NetEvent>* events) = 0;
  // Bytes put on the wire so far, headers included.
  virtual std::uint64_t WireBytes() const = 0;
  // Dead-peer detection for the peers connected from now on.
  virtual void SetPeerTimeout(std::uint32_t ms) = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;
  // Binds a UDP port (0: any free one); null when it cannot.
  virtual std::unique_ptr<Endpoint> Open(std::uint16_t port) = 0;
  // A numeric or named IPv4 host; false when it cannot be resolved.
  virtual bool Resolve(const std::string& host, std::uint32_t* ip) = 0;
  virtual std::uint32_t NowMs() = 0;
};

Backend& CurrentBackend();
Backend* MakeEnetBackend();
Backend* MakeTestBackend();
bool TestBackendActive();

}  // namespace dplay
