// Bytes on the wire per peer during a race-like exchange over ENet on the
// loopback, against the game payload they carry. A host (with its server
// player) and two clients run 16 ms frames in real time for 3 s: every
// 0.2 s each client sends its 20-byte rider state to the server player and
// the server player sends the 172-byte snapshot to each client, neither
// guaranteed; every frame each machine services its network and empties
// its queues. Per peer means one host-client link, both ways: the client's
// sends and its share of the host's. Counters: `wire_Bps` (ENet headers and
// keepalives included, UDP/IP headers not), `payload_Bps` and `ratio` (wire
// over payload; goal: at most 1.5).
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/dplay/dplay.h"
#include "platform/dplay/dplay_test.h"

namespace {

const GUID kApp = {0x6d2a4b10, 0x1c3e, 0x4f50, {0x80, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77}};
constexpr int CLIENTS = 2;
constexpr int FRAME_MS = 16;
constexpr int TICK_MS = 200;
constexpr int RUN_MS = 3000;

IDirectPlay4A* NewDirectPlay(const std::string& host) {
  void* out = nullptr;
  CoCreateInstance(CLSID_DirectPlay, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay4A, &out);
  auto* dp = static_cast<IDirectPlay4A*>(out);
  void* lobbyOut = nullptr;
  CoCreateInstance(CLSID_DirectPlayLobby, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlayLobby3A, &lobbyOut);
  auto* lobby = static_cast<IDirectPlayLobby3A*>(lobbyOut);
  DPCOMPOUNDADDRESSELEMENT e[2] = {{DPAID_ServiceProvider, sizeof(GUID), &DPSPGUID_TCPIP},
                                   {DPAID_INet, static_cast<DWORD>(host.size() + 1), host.c_str()}};
  DWORD size = 0;
  lobby->CreateCompoundAddress(e, 2, nullptr, &size);
  std::vector<std::uint8_t> address(size);
  lobby->CreateCompoundAddress(e, 2, address.data(), &size);
  dp->InitializeConnection(address.data(), 0);
  lobby->Release();
  return dp;
}

DPID CreatePlayer(IDirectPlay4A* dp, const char* name) {
  std::string s = name;
  std::string l = name;
  DPNAME n{sizeof(DPNAME), 0, s.data(), l.data()};
  DPID id = 0;
  dp->CreatePlayer(&id, &n, nullptr, nullptr, 0, 0);
  return id;
}

void Drain(IDirectPlay4A* dp, DPID player, std::vector<std::uint8_t>* buffer) {
  for (;;) {
    DPID from = 0;
    DPID to = player;
    auto size = static_cast<DWORD>(buffer->size());
    const HRESULT r = dp->Receive(&from, &to, DPRECEIVE_TOPLAYER, buffer->data(), &size);
    if (r == DPERR_BUFFERTOOSMALL) {
      buffer->resize(size);
      continue;
    }
    if (r != DP_OK) return;
  }
}

void Frame(IDirectPlay4A* dp, const std::vector<DPID>& players, std::vector<std::uint8_t>* buffer) {
  DWORD n = 0;
  dp->GetMessageCount(players.front(), &n);
  for (DPID p : players) Drain(dp, p, buffer);
}

void BM_RaceTraffic(benchmark::State& state) {
  platform::UseTestNetwork(false);
  platform::DirectPlayNetwork network;
  network.port = 0;
  network.broadcastAddress = "127.0.0.1";
  platform::SetDirectPlayNetwork(network);

  IDirectPlay4A* host = NewDirectPlay("");
  std::string name = "Bench";
  DPSESSIONDESC2 desc{};
  desc.dwSize = DPSESSIONDESC2_SIZE;
  desc.dwFlags = DPSESSION_KEEPALIVE | DPSESSION_MIGRATEHOST;
  desc.guidApplication = kApp;
  desc.dwMaxPlayers = 8;
  desc.lpszSessionNameA = name.data();
  if (host->Open(&desc, DPOPEN_CREATE | DPOPEN_RETURNSTATUS) != DP_OK) {
    state.SkipWithError("cannot host");
    return;
  }
  const DPID server = CreatePlayer(host, "##SERVER##");
  const DPID hostPlayer = CreatePlayer(host, "Host");
  const std::string where = "127.0.0.1:" + std::to_string(platform::DirectPlayBoundPort(host));

  std::vector<IDirectPlay4A*> clients;
  std::vector<DPID> riders;
  std::vector<std::uint8_t> buffer(512);
  for (int c = 0; c < CLIENTS; ++c) {
    IDirectPlay4A* dp = NewDirectPlay(where);
    DPSESSIONDESC2 listed{};
    bool found = false;
    struct Found {
      DPSESSIONDESC2* desc;
      bool* found;
    } found_{&listed, &found};
    auto callback = [](const DPSESSIONDESC2* s, DWORD*, DWORD flags, void* context) -> BOOL {
      if ((flags & DPESC_TIMEDOUT) != 0) return FALSE;
      auto* f = static_cast<Found*>(context);
      *f->desc = *s;
      *f->found = true;
      return FALSE;
    };
    DPSESSIONDESC2 ask{};
    ask.dwSize = DPSESSIONDESC2_SIZE;
    ask.guidApplication = kApp;
    for (int i = 0; i < 500 && !found; ++i) {
      dp->EnumSessions(&ask, 0, callback, &found_,
                       DPENUMSESSIONS_AVAILABLE | DPENUMSESSIONS_ASYNC | DPENUMSESSIONS_RETURNSTATUS);
      Frame(host, {server, hostPlayer}, &buffer);
      for (std::size_t k = 0; k < clients.size(); ++k) Frame(clients[k], {riders[k]}, &buffer);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    HRESULT r = found ? DPERR_CONNECTING : DPERR_NOSESSIONS;
    for (int i = 0; r == DPERR_CONNECTING && i < 1000; ++i) {
      r = dp->Open(&listed, DPOPEN_JOIN | DPOPEN_RETURNSTATUS);
      Frame(host, {server, hostPlayer}, &buffer);
      for (std::size_t k = 0; k < clients.size(); ++k) Frame(clients[k], {riders[k]}, &buffer);
    }
    if (r != DP_OK) {
      state.SkipWithError("cannot join");
      return;
    }
    clients.push_back(dp);
    riders.push_back(CreatePlayer(dp, "Rider"));
  }

  std::uint8_t riderState[20] = {0x16, 0x10};
  std::uint8_t snapshot[172] = {0x17, 0x10};
  double wire = 0;
  double payload = 0;
  for (auto _ : state) {
    platform::DirectPlayTraffic before[CLIENTS + 1];
    before[0] = platform::DirectPlayTrafficOf(host);
    for (int c = 0; c < CLIENTS; ++c) before[c + 1] = platform::DirectPlayTrafficOf(clients[c]);
    const auto start = std::chrono::steady_clock::now();
    auto nextTick = start;
    for (;;) {
      const auto now = std::chrono::steady_clock::now();
      if (now - start >= std::chrono::milliseconds(RUN_MS)) break;
      if (now >= nextTick) {
        nextTick += std::chrono::milliseconds(TICK_MS);
        for (int c = 0; c < CLIENTS; ++c) {
          clients[c]->SendEx(riders[c], server, 0, riderState, sizeof(riderState), 0, 0, nullptr, nullptr);
        }
        for (int c = 0; c < CLIENTS; ++c) {
          host->SendEx(server, riders[c], 0, snapshot, sizeof(snapshot), 0, 0, nullptr, nullptr);
        }
      }
      Frame(host, {server, hostPlayer}, &buffer);
      for (int c = 0; c < CLIENTS; ++c) Frame(clients[c], {riders[c]}, &buffer);
      std::this_thread::sleep_for(std::chrono::milliseconds(FRAME_MS));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double w = static_cast<double>(platform::DirectPlayTrafficOf(host).wireBytes - before[0].wireBytes) / CLIENTS;
    double p =
        static_cast<double>(platform::DirectPlayTrafficOf(host).payloadBytes - before[0].payloadBytes) / CLIENTS;
    for (int c = 0; c < CLIENTS; ++c) {
      w += static_cast<double>(platform::DirectPlayTrafficOf(clients[c]).wireBytes - before[c + 1].wireBytes) /
           CLIENTS;
      p += static_cast<double>(platform::DirectPlayTrafficOf(clients[c]).payloadBytes - before[c + 1].payloadBytes) /
           CLIENTS;
    }
    wire = w / seconds;
    payload = p / seconds;
  }
  state.counters["wire_Bps"] = wire;
  state.counters["payload_Bps"] = payload;
  state.counters["ratio"] = payload > 0 ? wire / payload : 0;
  for (IDirectPlay4A* dp : clients) {
    dp->Close();
    dp->Release();
  }
  host->Close();
  host->Release();
  platform::SetDirectPlayNetwork({});
}

BENCHMARK(BM_RaceTraffic)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
