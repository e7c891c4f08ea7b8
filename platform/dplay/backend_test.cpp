// The test backend: a virtual network of endpoints on 127.0.0.1 in this
// process, with a clock that moves only when the layer waits or the test
// advances it, a record of every send, and machines that fall silent.
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "platform/dplay/backend.h"
#include "platform/dplay/dplay_test.h"

namespace dplay {
namespace {

constexpr std::uint32_t LOOPBACK = 0x7F000001;

class TestEndpoint;

struct Link {
  std::uint16_t remotePort = 0;
  PeerHandle remoteHandle = 0;
};

struct TestState {
  bool active = false;
  std::uint32_t now = 1000;
  std::map<std::uint16_t, TestEndpoint*> endpoints;
  std::map<std::uint16_t, std::uint32_t> silencedAt;
  std::vector<platform::TestNetSend> sends;
  std::uint16_t nextPort = 50000;
};

TestState& T() {
  static TestState s;
  return s;
}

bool Silenced(std::uint16_t port) { return T().silencedAt.count(port) != 0; }

class TestEndpoint final : public Endpoint {
 public:
  explicit TestEndpoint(std::uint16_t port) : port_(port) { T().endpoints[port] = this; }
  ~TestEndpoint() override {
    for (auto& [handle, link] : links_) Drop(link);
    T().endpoints.erase(port_);
  }

  std::uint16_t Port() const override { return port_; }

  PeerHandle Connect(const Address& to) override {
    const PeerHandle mine = nextHandle_++;
    auto it = T().endpoints.find(to.port);
    if (to.ip != LOOPBACK || it == T().endpoints.end() || Silenced(to.port) || Silenced(port_)) {
      // Nobody answers: the connection fails once the time limit passes.
      pendingFailures_.push_back({mine, T().now + platform::GetDirectPlayNetwork().connectTimeoutMs});
      return mine;
    }
    TestEndpoint* other = it->second;
    const PeerHandle theirs = other->nextHandle_++;
    links_[mine] = {other->port_, theirs};
    other->links_[theirs] = {port_, mine};
    inbox_.push_back({NetEvent::CONNECTED, mine, {}, {}});
    other->inbox_.push_back({NetEvent::CONNECTED, theirs, {}, {}});
    return mine;
  }

  void Disconnect(PeerHandle peer) override {
    auto it = links_.find(peer);
    if (it == links_.end()) return;
    Drop(it->second);
    links_.erase(it);
  }

  Address PeerAddress(PeerHandle peer) const override {
    auto it = links_.find(peer);
    return it == links_.end() ? Address{} : Address{LOOPBACK, it->second.remotePort};
  }

  void Send(PeerHandle peer, const std::vector<std::uint8_t>& bytes, bool reliable) override {
    auto it = links_.find(peer);
    if (it == links_.end() || Silenced(port_)) return;
    T().sends.push_back({port_, it->second.remotePort, reliable, false, bytes});
    wire_ += bytes.size();
    if (TestEndpoint* other = Find(it->second.remotePort)) {
      other->inbox_.push_back({NetEvent::RECEIVED, it->second.remoteHandle, {}, bytes});
    }
  }

  void SendDatagram(const Address& to, const std::vector<std::uint8_t>& bytes, bool broadcast) override {
    if (Silenced(port_)) return;
    T().sends.push_back({port_, to.port, false, true, bytes});
    wire_ += bytes.size();
    if (!broadcast && to.ip != LOOPBACK) return;
    if (TestEndpoint* other = Find(to.port)) {
      other->inbox_.push_back({NetEvent::DATAGRAM, 0, {LOOPBACK, port_}, bytes});
    }
  }

  void Service(std::uint32_t waitMs, std::vector<NetEvent>* events) override {
    T().now += waitMs;
    CheckTimeouts();
    if (Silenced(port_)) {
      inbox_.clear();
      return;
    }
    for (NetEvent& e : inbox_) events->push_back(std::move(e));
    inbox_.clear();
  }

  std::uint64_t WireBytes() const override { return wire_; }
  void SetPeerTimeout(std::uint32_t ms) override { timeoutMs_ = ms; }

 private:
  static TestEndpoint* Find(std::uint16_t port) {
    auto it = T().endpoints.find(port);
    return it == T().endpoints.end() || Silenced(port) ? nullptr : it->second;
  }

  // The other end sees the link go.
  static void Drop(const Link& link) {
    auto it = T().endpoints.find(link.remotePort);
    if (it == T().endpoints.end()) return;
    it->second->links_.erase(link.remoteHandle);
    it->second->inbox_.push_back({NetEvent::DISCONNECTED, link.remoteHandle, {}, {}});
  }

  void CheckTimeouts() {
    for (auto it = links_.begin(); it != links_.end();) {
      auto silent = T().silencedAt.find(it->second.remotePort);
      if (silent != T().silencedAt.end() && T().now >= silent->second + timeoutMs_) {
        inbox_.push_back({NetEvent::DISCONNECTED, it->first, {}, {}});
        it = links_.erase(it);
      } else {
        ++it;
      }
    }
    for (auto it = pendingFailures_.begin(); it != pendingFailures_.end();) {
      if (T().now >= it->second) {
        inbox_.push_back({NetEvent::DISCONNECTED, it->first, {}, {}});
        it = pendingFailures_.erase(it);
      } else {
        ++it;
      }
    }
  }

  std::uint16_t port_;
  std::map<PeerHandle, Link> links_;
  std::vector<std::pair<PeerHandle, std::uint32_t>> pendingFailures_;
  std::vector<NetEvent> inbox_;
  PeerHandle nextHandle_ = 1;
  std::uint32_t timeoutMs_ = 5000;
  std::uint64_t wire_ = 0;
};

class TestBackend final : public Backend {
 public:
  std::unique_ptr<Endpoint> Open(std::uint16_t port) override {
    if (port == 0) {
      while (T().endpoints.count(T().nextPort) != 0 || T().silencedAt.count(T().nextPort) != 0) ++T().nextPort;
      port = T().nextPort++;
    } else if (T().endpoints.count(port) != 0) {
      return nullptr;
    }
    return std::make_unique<TestEndpoint>(port);
  }

  bool Resolve(const std::string& host, std::uint32_t* ip) override {
    unsigned a, b, c, d;
    char tail;
    if (host == "localhost") {
      *ip = LOOPBACK;
      return true;
    }
    if (std::sscanf(host.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4 || a > 255 || b > 255 || c > 255 ||
        d > 255) {
      return false;
    }
    *ip = (a << 24) | (b << 16) | (c << 8) | d;
    return true;
  }

  std::uint32_t NowMs() override { return T().now; }
};

}  // namespace

Backend* MakeTestBackend() {
  static TestBackend backend;
  return &backend;
}

bool TestBackendActive() { return T().active; }

}  // namespace dplay

namespace platform {

void UseTestNetwork(bool on) {
  dplay::T().active = on;
  dplay::T().silencedAt.clear();
  dplay::T().sends.clear();
}

void AdvanceTestNetwork(std::uint32_t ms) { dplay::T().now += ms; }

std::uint32_t TestNetworkTime() { return dplay::T().now; }

void SilenceTestNetworkPort(std::uint16_t port) { dplay::T().silencedAt[port] = dplay::T().now; }

const std::vector<TestNetSend>& TestNetworkSends() { return dplay::T().sends; }

void ClearTestNetworkSends() { dplay::T().sends.clear(); }

}  // namespace platform
