// The DirectPlay-shaped sessions on the virtual test network and on ENet
// over the loopback: listing, joining, hiding, ordering, loss, migration,
// keepalive, expiry and bounded connecting.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/dplay/dplay.h"
#include "platform/dplay/dplay_test.h"
#include "platform/dplay/protocol.h"

namespace {

const GUID kApp = {0x11223344, 0x5566, 0x7788, {1, 2, 3, 4, 5, 6, 7, 8}};
const GUID kOtherApp = {0x11223344, 0x5566, 0x7788, {1, 2, 3, 4, 5, 6, 7, 9}};

struct Received {
  DPID from = 0;
  DPID to = 0;
  DWORD systemType = 0;  // 0 for a game message
  DPID player = 0;
  std::string longName;
  std::vector<std::uint8_t> bytes;
};

struct Listing {
  DPSESSIONDESC2 desc{};
  std::string name;
};

std::vector<std::uint8_t> Address(IDirectPlayLobby3A* lobby, const GUID& provider, const std::string& host) {
  std::vector<DPCOMPOUNDADDRESSELEMENT> e = {{DPAID_ServiceProvider, sizeof(GUID), &provider}};
  e.push_back({DPAID_INet, static_cast<DWORD>(host.size() + 1), host.c_str()});
  DWORD size = 0;
  EXPECT_EQ(lobby->CreateCompoundAddress(e.data(), 2, nullptr, &size), DPERR_BUFFERTOOSMALL);
  std::vector<std::uint8_t> out(size);
  EXPECT_EQ(lobby->CreateCompoundAddress(e.data(), 2, out.data(), &size), DP_OK);
  return out;
}

// One machine of a session: a DirectPlay object and its players.
class Machine {
 public:
  Machine() {
    void* out = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_DirectPlay, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay4A, &out), DP_OK);
    dp = static_cast<IDirectPlay4A*>(out);
    EXPECT_EQ(CoCreateInstance(CLSID_DirectPlayLobby, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlayLobby3A, &out),
              DP_OK);
    lobby = static_cast<IDirectPlayLobby3A*>(out);
  }
  ~Machine() {
    dp->Release();
    lobby->Release();
  }

  HRESULT Connect(const std::string& host) {
    const std::vector<std::uint8_t> address = Address(lobby, DPSPGUID_TCPIP, host);
    return dp->InitializeConnection(address.data(), 0);
  }

  HRESULT Host(const std::string& name, DWORD maxPlayers = 8) {
    std::string copy = name;
    DPSESSIONDESC2 d{};
    d.dwSize = DPSESSIONDESC2_SIZE;
    d.dwFlags = DPSESSION_KEEPALIVE | DPSESSION_MIGRATEHOST;
    d.guidApplication = kApp;
    d.dwMaxPlayers = maxPlayers;
    d.lpszSessionNameA = copy.data();
    HRESULT r;
    do {
      r = dp->Open(&d, DPOPEN_CREATE | DPOPEN_RETURNSTATUS);
    } while (r == DPERR_CONNECTING);
    return r;
  }

  // Sessions of `app` as the lobby lists them, the connecting answers
  // repeated at once.
  std::vector<Listing> List(const GUID& app = kApp, int* connectingAnswers = nullptr,
                            const std::function<void()>& between = {}) {
    DPSESSIONDESC2 d{};
    d.dwSize = DPSESSIONDESC2_SIZE;
    d.guidApplication = app;
    std::vector<Listing> out;
    auto callback = [](const DPSESSIONDESC2* s, DWORD*, DWORD flags, void* context) -> BOOL {
      if ((flags & DPESC_TIMEDOUT) != 0) return FALSE;
      Listing l;
      l.desc = *s;
      l.name = s->lpszSessionNameA;
      static_cast<std::vector<Listing>*>(context)->push_back(l);
      return TRUE;
    };
    HRESULT r;
    int connecting = 0;
    do {
      out.clear();
      r = dp->EnumSessions(&d, 0, callback, &out,
                           DPENUMSESSIONS_AVAILABLE | DPENUMSESSIONS_ASYNC | DPENUMSESSIONS_RETURNSTATUS);
      if (r == DPERR_CONNECTING) ++connecting;
      if (between) between();
    } while (r == DPERR_CONNECTING && connecting < 10000);
    EXPECT_EQ(r, DP_OK);
    if (connectingAnswers != nullptr) *connectingAnswers = connecting;
    return out;
  }

  std::vector<std::string> ListedPlayers(GUID instance) {
    std::vector<std::string> names;
    auto callback = [](DPID, DWORD, const DPNAME* name, DWORD, void* context) -> BOOL {
      static_cast<std::vector<std::string>*>(context)->push_back(name->lpszLongNameA);
      return TRUE;
    };
    EXPECT_EQ(dp->EnumPlayers(&instance, callback, &names, DPENUMPLAYERS_SESSION), DP_OK);
    return names;
  }

  HRESULT StartJoin(const Listing& l) {
    DPSESSIONDESC2 d = l.desc;
    return dp->Open(&d, DPOPEN_JOIN | DPOPEN_RETURNSTATUS);
  }

  DPID Create(const std::string& name) {
    std::string s = name;
    std::string l = name;
    DPNAME n{sizeof(DPNAME), 0, s.data(), l.data()};
    DPID id = 0;
    EXPECT_EQ(dp->CreatePlayer(&id, &n, nullptr, nullptr, 0, 0), DP_OK);
    return id;
  }

  HRESULT Send(DPID from, DPID to, const std::string& text, bool guaranteed) {
    std::string copy = text;
    return dp->Send(from, to, guaranteed ? DPSEND_GUARANTEED : 0, copy.data(), static_cast<DWORD>(copy.size()));
  }

  // Takes everything queued for `player`, as the game's pump does: a peek
  // for the size, then the message.
  std::vector<Received> Drain(DPID player) {
    std::vector<Received> out;
    for (;;) {
      DPID from = 0;
      DPID to = player;
      DWORD size = 0;
      HRESULT r = dp->Receive(&from, &to, DPRECEIVE_TOPLAYER | DPRECEIVE_PEEK, nullptr, &size);
      if (r == DPERR_NOMESSAGES) break;
      EXPECT_EQ(r, DPERR_BUFFERTOOSMALL);
      if (r != DPERR_BUFFERTOOSMALL) break;
      std::vector<std::uint8_t> buffer(size);
      to = player;
      EXPECT_EQ(dp->Receive(&from, &to, DPRECEIVE_TOPLAYER, buffer.data(), &size), DP_OK);
      Received m;
      m.from = from;
      m.to = to;
      if (from == DPID_SYSMSG) {
        DWORD type;
        std::memcpy(&type, buffer.data(), sizeof(type));
        m.systemType = type;
        if (type == DPSYS_CREATEPLAYERORGROUP) {
          const auto* c = reinterpret_cast<const DPMSG_CREATEPLAYERORGROUP*>(buffer.data());
          m.player = c->dpId;
          m.longName = c->dpnName.lpszLongNameA;
          EXPECT_GE(c->dpnName.lpszLongNameA, reinterpret_cast<char*>(buffer.data()));
          EXPECT_LT(c->dpnName.lpszLongNameA, reinterpret_cast<char*>(buffer.data() + buffer.size()));
        } else if (type == DPSYS_DESTROYPLAYERORGROUP) {
          const auto* d = reinterpret_cast<const DPMSG_DESTROYPLAYERORGROUP*>(buffer.data());
          m.player = d->dpId;
          m.longName = d->dpnName.lpszLongNameA;
        }
      } else {
        m.bytes = buffer;
      }
      out.push_back(std::move(m));
    }
    return out;
  }

  DWORD Count(DPID player) {
    DWORD n = 0;
    EXPECT_EQ(dp->GetMessageCount(player, &n), DP_OK);
    return n;
  }

  IDirectPlay4A* dp = nullptr;
  IDirectPlayLobby3A* lobby = nullptr;
  bool silent = false;
};

// Services a machine's network, as its game's frame would.
std::function<void()> Pumping(Machine* m) {
  return [m] {
    DWORD n;
    m->dp->GetMessageCount(0, &n);
  };
}

std::string Text(const Received& m) { return std::string(m.bytes.begin(), m.bytes.end()); }

// Runs on both networks: the virtual one (false) and ENet on 127.0.0.1 (true).
class DirectPlaySession : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    real_ = GetParam();
    platform::UseTestNetwork(!real_);
    platform::SetDirectPlayTestSwitches({});
    platform::DirectPlayNetwork n;
    // Hosts take a free port; listings ask it on the loopback only.
    n.port = 0;
    n.broadcastAddress = "127.0.0.1";
    // Short enough for a quick test, long enough for a loaded machine.
    n.peerTimeoutMs = real_ ? 2000 : 800;
    n.connectTimeoutMs = 3000;
    n.queryIntervalMs = 200;
    platform::SetDirectPlayNetwork(n);
  }
  void TearDown() override {
    platform::SetDirectPlayNetwork({});
    platform::SetDirectPlayTestSwitches({});
    platform::UseTestNetwork(false);
  }

  // A hosting machine, and the listings from now on asking its port.
  std::unique_ptr<Machine> NewHost(const std::string& name, DWORD maxPlayers = 8) {
    auto m = std::make_unique<Machine>();
    EXPECT_EQ(m->Connect(""), DP_OK);
    EXPECT_EQ(m->Host(name, maxPlayers), DP_OK);
    platform::DirectPlayNetwork n = platform::GetDirectPlayNetwork();
    n.port = platform::DirectPlayBoundPort(m->dp);
    platform::SetDirectPlayNetwork(n);
    return m;
  }

  // Lets time pass (real or virtual) while every machine that is not silent
  // services its network, until `done` or the limit.
  bool Until(const std::vector<Machine*>& machines, const std::function<bool()>& done, int limitMs = 8000) {
    for (int t = 0; t < limitMs; t += 5) {
      for (Machine* m : machines) {
        DWORD n;
        if (!m->silent) m->dp->GetMessageCount(0, &n);
      }
      if (done()) return true;
      if (real_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      } else {
        platform::AdvanceTestNetwork(5);
      }
    }
    return done();
  }

  void Silence(Machine* m) {
    m->silent = true;
    if (!real_) platform::SilenceTestNetworkPort(platform::DirectPlayBoundPort(m->dp));
  }

  HRESULT Join(Machine* m, const Listing& l, const std::vector<Machine*>& others) {
    HRESULT r = m->StartJoin(l);
    for (int i = 0; r == DPERR_CONNECTING && i < 2000; ++i) {
      for (Machine* o : others) {
        DWORD n;
        if (!o->silent) o->dp->GetMessageCount(0, &n);
      }
      r = m->StartJoin(l);
    }
    return r;
  }

  bool real_ = false;
};

INSTANTIATE_TEST_SUITE_P(Networks, DirectPlaySession, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Enet" : "TestNetwork"; });

TEST_P(DirectPlaySession, ListsTheSessionWithItsPlayersAndJoinsIt) {
  auto host = NewHost("Race Night");
  const DPID server = host->Create("##SERVER##");
  const DPID hostPlayer = host->Create("Anna");

  Machine client;
  ASSERT_EQ(client.Connect("127.0.0.1:" + std::to_string(platform::GetDirectPlayNetwork().port)), DP_OK);
  std::vector<Listing> listed;
  ASSERT_TRUE(Until({host.get()}, [&] { return !(listed = client.List()).empty(); }));
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].name, "Race Night");
  EXPECT_EQ(listed[0].desc.dwFlags, DPSESSION_KEEPALIVE | DPSESSION_MIGRATEHOST);
  EXPECT_EQ(listed[0].desc.dwCurrentPlayers, 2u);
  EXPECT_EQ(client.ListedPlayers(listed[0].desc.guidInstance), (std::vector<std::string>{"##SERVER##", "Anna"}));

  // Another application's listing does not see it.
  Machine stranger;
  ASSERT_EQ(stranger.Connect("127.0.0.1:" + std::to_string(platform::GetDirectPlayNetwork().port)), DP_OK);
  EXPECT_TRUE(stranger.List(kOtherApp).empty());

  ASSERT_EQ(Join(&client, listed[0], {host.get()}), DP_OK);
  const DPID joiner = client.Create("Bert");
  for (DPID id : {server, hostPlayer, joiner}) {
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, 1u);
  }
  EXPECT_NE(joiner, server);
  EXPECT_NE(joiner, hostPlayer);

  // The host has two players, so it hears of the newcomer twice.
  std::vector<Received> toServer, toHost;
  ASSERT_TRUE(Until({host.get(), &client}, [&] { return host->Count(server) > 0 && host->Count(hostPlayer) > 0; }));
  toServer = host->Drain(server);
  toHost = host->Drain(hostPlayer);
  ASSERT_EQ(toServer.size(), 2u);  // Anna's creation, then Bert's
  EXPECT_EQ(toServer[0].systemType, DPSYS_CREATEPLAYERORGROUP);
  EXPECT_EQ(toServer[0].player, hostPlayer);
  EXPECT_EQ(toServer[1].player, joiner);
  EXPECT_EQ(toServer[1].longName, "Bert");
  ASSERT_EQ(toHost.size(), 1u);
  EXPECT_EQ(toHost[0].player, joiner);

  // The joiner knows every player of the session, the server among them.
  std::vector<std::string> names;
  auto callback = [](DPID, DWORD, const DPNAME* name, DWORD, void* context) -> BOOL {
    static_cast<std::vector<std::string>*>(context)->push_back(name->lpszLongNameA);
    return TRUE;
  };
  EXPECT_EQ(client.dp->EnumPlayers(nullptr, callback, &names, 0), DP_OK);
  EXPECT_EQ(names, (std::vector<std::string>{"##SERVER##", "Anna", "Bert"}));
}

TEST_P(DirectPlaySession, HidesSessionsThatRefuseNewPlayers) {
  auto host = NewHost("Full House", 2);
  host->Create("##SERVER##");
  Machine client;
  ASSERT_EQ(client.Connect(""), DP_OK);  // the broadcast listing
  // One place left: listed.
  std::vector<Listing> listed;
  ASSERT_TRUE(Until({host.get()}, [&] { return !(listed = client.List()).empty(); }));

  // Joining disabled: hidden from the next answer on.
  std::string name = "Full House";
  DPSESSIONDESC2 d{};
  d.dwSize = DPSESSIONDESC2_SIZE;
  d.dwFlags = DPSESSION_KEEPALIVE | DPSESSION_MIGRATEHOST | DPSESSION_JOINDISABLED;
  d.dwMaxPlayers = 2;
  d.lpszSessionNameA = name.data();
  ASSERT_EQ(host->dp->SetSessionDesc(&d, 0), DP_OK);
  EXPECT_TRUE(Until({host.get()}, [&] { return client.List().empty(); }));
  // A join that tries anyway is refused.
  Machine late;
  ASSERT_EQ(late.Connect(""), DP_OK);
  d.dwFlags = DPSESSION_KEEPALIVE | DPSESSION_MIGRATEHOST;
  ASSERT_EQ(host->dp->SetSessionDesc(&d, 0), DP_OK);
  ASSERT_TRUE(Until({host.get()}, [&] { return !(listed = late.List()).empty(); }));
  d.dwFlags |= DPSESSION_JOINDISABLED;
  ASSERT_EQ(host->dp->SetSessionDesc(&d, 0), DP_OK);
  EXPECT_EQ(Join(&late, listed[0], {host.get()}), DPERR_NOCONNECTION);

  // Enabled again but full: hidden too.
  d.dwFlags = DPSESSION_KEEPALIVE | DPSESSION_MIGRATEHOST;
  ASSERT_EQ(host->dp->SetSessionDesc(&d, 0), DP_OK);
  ASSERT_TRUE(Until({host.get()}, [&] { return !client.List().empty(); }));
  host->Create("Anna");
  EXPECT_TRUE(Until({host.get()}, [&] { return client.List().empty(); }));
}

TEST_P(DirectPlaySession, GuaranteedMessagesArriveInOrderBetweenTheirSystemMessages) {
  auto host = NewHost("Order");
  const DPID server = host->Create("##SERVER##");
  Machine client;
  ASSERT_EQ(client.Connect(""), DP_OK);
  std::vector<Listing> listed;
  ASSERT_TRUE(Until({host.get()}, [&] { return !(listed = client.List()).empty(); }));
  ASSERT_EQ(Join(&client, listed[0], {host.get()}), DP_OK);

  // A player created, talking at once, then destroyed: its creation comes
  // before its words, its destruction after them.
  const DPID p = client.Create("Cara");
  for (int i = 0; i < 40; ++i) ASSERT_EQ(client.Send(p, server, "m" + std::to_string(i), true), DP_OK);
  ASSERT_EQ(client.dp->DestroyPlayer(p), DP_OK);

  std::vector<Received> got;
  ASSERT_TRUE(Until({host.get(), &client}, [&] {
    std::vector<Received> more = host->Drain(server);
    got.insert(got.end(), more.begin(), more.end());
    return !got.empty() && got.back().systemType == DPSYS_DESTROYPLAYERORGROUP;
  }));
  ASSERT_EQ(got.size(), 42u);
  EXPECT_EQ(got.front().systemType, DPSYS_CREATEPLAYERORGROUP);
  EXPECT_EQ(got.front().player, p);
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(got[i + 1].from, p);
    EXPECT_EQ(got[i + 1].to, server);
    EXPECT_EQ(Text(got[i + 1]), "m" + std::to_string(i));
  }
  EXPECT_EQ(got.back().player, p);
  EXPECT_EQ(got.back().longName, "Cara");
  // Words to a player that is gone are refused.
  EXPECT_EQ(client.Send(p, server, "late", true), DPERR_INVALIDPLAYER);
}

TEST_P(DirectPlaySession, LosesTheChosenShareOfUnguaranteedMessagesOnly) {
  auto host = NewHost("Loss");
  const DPID server = host->Create("##SERVER##");
  Machine client;
  ASSERT_EQ(client.Connect(""), DP_OK);
  std::vector<Listing> listed;
  ASSERT_TRUE(Until({host.get()}, [&] { return !(listed = client.List()).empty(); }));
  ASSERT_EQ(Join(&client, listed[0], {host.get()}), DP_OK);
  const DPID p = client.Create("Dan");
  ASSERT_TRUE(Until({host.get(), &client}, [&] { return host->Count(server) == 1; }));
  host->Drain(server);

  platform::DirectPlayTestSwitches s;
  s.lossPercent = 25;
  platform::SetDirectPlayTestSwitches(s);
  for (int i = 0; i < 40; ++i) {
    ASSERT_EQ(client.Send(p, server, "u", false), DP_OK);
    ASSERT_EQ(client.Send(p, server, "g", true), DP_OK);
    // Paced, so that the loopback itself loses nothing.
    Until({host.get(), &client}, [] { return false; }, 2);
  }
  int unguaranteed = 0;
  int guaranteed = 0;
  ASSERT_TRUE(Until({host.get(), &client}, [&] {
    for (const Received& m : host->Drain(server)) (Text(m) == "u" ? unguaranteed : guaranteed)++;
    return guaranteed == 40;
  }));
  Until({host.get(), &client}, [] { return false; }, 50);
  for (const Received& m : host->Drain(server)) (Text(m) == "u" ? unguaranteed : guaranteed)++;
  EXPECT_EQ(unguaranteed, 30);
  EXPECT_EQ(guaranteed, 40);
}

// Three machines; the host leaves and the machine that joined first takes
// over, in either order of the two events it sees.
class Migration : public DirectPlaySession {
 protected:
  enum class Leaving { CLOSES, DESTROYS_THEN_CLOSES, FALLS_SILENT };
  void Run(bool hostBeforeDestroy, Leaving leaving) {
    platform::DirectPlayTestSwitches s;
    s.hostBeforeDestroy = hostBeforeDestroy;
    platform::SetDirectPlayTestSwitches(s);
    auto host = NewHost("Migrate");
    const DPID server = host->Create("##SERVER##");
    const DPID hostPlayer = host->Create("Anna");
    Machine a, b;
    std::vector<Listing> listed;
    ASSERT_EQ(a.Connect(""), DP_OK);
    ASSERT_EQ(b.Connect(""), DP_OK);
    ASSERT_TRUE(Until({host.get()}, [&] { return !(listed = a.List()).empty(); }));
    ASSERT_EQ(Join(&a, listed[0], {host.get()}), DP_OK);
    const DPID pa = a.Create("Bert");
    ASSERT_TRUE(Until({host.get(), &a}, [&] { return !(listed = b.List()).empty(); }));
    ASSERT_EQ(Join(&b, listed[0], {host.get(), &a}), DP_OK);
    const DPID pb = b.Create("Cara");
    ASSERT_TRUE(Until({host.get(), &a, &b}, [&] { return a.Count(pa) == 1 && host->Count(hostPlayer) == 2; }));
    a.Drain(pa);
    b.Drain(pb);

    if (leaving == Leaving::FALLS_SILENT) {
      Silence(host.get());
    } else {
      // As the game leaves: its own players first, then the session.
      if (leaving == Leaving::DESTROYS_THEN_CLOSES) {
        ASSERT_EQ(host->dp->DestroyPlayer(hostPlayer), DP_OK);
        ASSERT_EQ(host->dp->DestroyPlayer(server), DP_OK);
        // The others' frames go on meanwhile, their queues unread.
        Until({host.get(), &a, &b}, [] { return false; }, 50);
      }
      ASSERT_EQ(host->dp->Close(), DP_OK);
    }
    std::vector<Received> seenA, seenB;
    ASSERT_TRUE(Until({&a, &b}, [&] {
      for (Received& m : a.Drain(pa)) seenA.push_back(m);
      for (Received& m : b.Drain(pb)) seenB.push_back(m);
      return seenA.size() == 3 && seenB.size() == 2;
    }));
    std::vector<DWORD> typesA;
    for (const Received& m : seenA) typesA.push_back(m.systemType);
    const std::vector<DWORD> expected =
        hostBeforeDestroy ? std::vector<DWORD>{DPSYS_HOST, DPSYS_DESTROYPLAYERORGROUP, DPSYS_DESTROYPLAYERORGROUP}
                          : std::vector<DWORD>{DPSYS_DESTROYPLAYERORGROUP, DPSYS_DESTROYPLAYERORGROUP, DPSYS_HOST};
    EXPECT_EQ(typesA, expected);
    for (const Received& m : seenB) EXPECT_EQ(m.systemType, DPSYS_DESTROYPLAYERORGROUP);
    const bool serverFirst = leaving != Leaving::DESTROYS_THEN_CLOSES;
    EXPECT_EQ(seenB[serverFirst ? 0 : 1].player, server);
    EXPECT_EQ(seenB[serverFirst ? 0 : 1].longName, "##SERVER##");
    EXPECT_EQ(seenB[serverFirst ? 1 : 0].player, hostPlayer);

    // The mesh carries on without the host; the ids are the same.
    const DPID newServer = a.Create("##SERVER##");
    ASSERT_TRUE(Until({&a, &b}, [&] {
      const std::vector<Received> heard = b.Drain(pb);
      return !heard.empty() && heard[0].player == newServer;
    }));
    ASSERT_EQ(b.Send(pb, newServer, "ready", true), DP_OK);
    std::vector<Received> got;
    ASSERT_TRUE(Until({&a, &b}, [&] {
      for (Received& m : a.Drain(newServer)) got.push_back(m);
      return !got.empty();
    }));
    EXPECT_EQ(got[0].from, pb);
    EXPECT_EQ(Text(got[0]), "ready");
    // The new host answers listings at its own port.
    Machine c;
    ASSERT_EQ(c.Connect("127.0.0.1:" + std::to_string(platform::DirectPlayBoundPort(a.dp))), DP_OK);
    ASSERT_TRUE(Until({&a, &b}, [&] { return !(listed = c.List()).empty(); }));
    EXPECT_EQ(c.ListedPlayers(listed[0].desc.guidInstance), (std::vector<std::string>{"Bert", "Cara", "##SERVER##"}));
  }
};

INSTANTIATE_TEST_SUITE_P(Networks, Migration, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Enet" : "TestNetwork"; });

TEST_P(Migration, HostClosesDestroyFirst) { Run(false, Leaving::CLOSES); }
TEST_P(Migration, HostClosesHostFirst) { Run(true, Leaving::CLOSES); }
TEST_P(Migration, HostDestroysItsPlayersAndClosesDestroyFirst) { Run(false, Leaving::DESTROYS_THEN_CLOSES); }
TEST_P(Migration, HostDestroysItsPlayersAndClosesHostFirst) { Run(true, Leaving::DESTROYS_THEN_CLOSES); }
// A host that stops answering is found out by the keepalive.
TEST_P(Migration, HostFallsSilent) { Run(false, Leaving::FALLS_SILENT); }

TEST_P(DirectPlaySession, ASessionWithoutMigrationIsLostWithItsHost) {
  Machine host;
  ASSERT_EQ(host.Connect(""), DP_OK);
  std::string name = "Fixed";
  DPSESSIONDESC2 d{};
  d.dwSize = DPSESSIONDESC2_SIZE;
  d.dwFlags = DPSESSION_KEEPALIVE;
  d.guidApplication = kApp;
  d.dwMaxPlayers = 8;
  d.lpszSessionNameA = name.data();
  ASSERT_EQ(host.dp->Open(&d, DPOPEN_CREATE | DPOPEN_RETURNSTATUS), DP_OK);
  platform::DirectPlayNetwork n = platform::GetDirectPlayNetwork();
  n.port = platform::DirectPlayBoundPort(host.dp);
  platform::SetDirectPlayNetwork(n);
  host.Create("Anna");
  Machine client;
  ASSERT_EQ(client.Connect(""), DP_OK);
  std::vector<Listing> listed;
  ASSERT_TRUE(Until({&host}, [&] { return !(listed = client.List()).empty(); }));
  ASSERT_EQ(Join(&client, listed[0], {&host}), DP_OK);
  const DPID p = client.Create("Bert");
  ASSERT_EQ(host.dp->Close(), DP_OK);
  std::vector<Received> seen;
  ASSERT_TRUE(Until({&client}, [&] {
    for (Received& m : client.Drain(p)) seen.push_back(m);
    return seen.size() == 2;
  }));
  EXPECT_EQ(seen[0].systemType, DPSYS_DESTROYPLAYERORGROUP);
  EXPECT_EQ(seen[1].systemType, DPSYS_SESSIONLOST);
}

TEST_P(DirectPlaySession, ASilentClientIsDestroyedByTheKeepalive) {
  auto host = NewHost("Keepalive");
  const DPID server = host->Create("##SERVER##");
  Machine client;
  ASSERT_EQ(client.Connect(""), DP_OK);
  std::vector<Listing> listed;
  ASSERT_TRUE(Until({host.get()}, [&] { return !(listed = client.List()).empty(); }));
  ASSERT_EQ(Join(&client, listed[0], {host.get()}), DP_OK);
  const DPID p = client.Create("Bert");
  ASSERT_TRUE(Until({host.get(), &client}, [&] { return host->Count(server) == 1; }));
  host->Drain(server);
  Silence(&client);
  std::vector<Received> seen;
  ASSERT_TRUE(Until({host.get()}, [&] {
    for (Received& m : host->Drain(server)) seen.push_back(m);
    return !seen.empty();
  }, 10000));
  EXPECT_EQ(seen[0].systemType, DPSYS_DESTROYPLAYERORGROUP);
  EXPECT_EQ(seen[0].player, p);
  EXPECT_EQ(seen[0].longName, "Bert");
}

// Time-exact cases on the virtual network.
class DirectPlayVirtual : public DirectPlaySession {};
INSTANTIATE_TEST_SUITE_P(Networks, DirectPlayVirtual, ::testing::Values(false),
                         [](const auto&) { return "TestNetwork"; });

TEST_P(DirectPlayVirtual, ListingAnswersConnectingThenReportsWithinItsWindow) {
  auto host = NewHost("Window");
  Machine client;
  ASSERT_EQ(client.Connect(""), DP_OK);
  const std::uint32_t start = platform::TestNetworkTime();
  int connecting = 0;
  EXPECT_EQ(client.List(kApp, &connecting, Pumping(host.get())).size(), 1u);
  EXPECT_GT(connecting, 0);
  EXPECT_LE(platform::TestNetworkTime() - start, platform::GetDirectPlayNetwork().firstListingMs + 20);
}

TEST_P(DirectPlayVirtual, StaleSessionsExpire) {
  auto host = NewHost("Stale");
  Machine client;
  ASSERT_EQ(client.Connect(""), DP_OK);
  ASSERT_EQ(client.List(kApp, nullptr, Pumping(host.get())).size(), 1u);
  Silence(host.get());
  // Takes in the last answer, sent before the host fell silent.
  EXPECT_EQ(client.List().size(), 1u);
  platform::AdvanceTestNetwork(platform::GetDirectPlayNetwork().sessionExpiryMs - 50);
  EXPECT_EQ(client.List().size(), 1u);  // not yet stale
  platform::AdvanceTestNetwork(100);
  EXPECT_TRUE(client.List().empty());
}

TEST_P(DirectPlayVirtual, JoiningASilentHostGivesUpInBoundedTime) {
  auto host = NewHost("Gone");
  Machine client;
  ASSERT_EQ(client.Connect(""), DP_OK);
  const std::vector<Listing> listed = client.List(kApp, nullptr, Pumping(host.get()));
  ASSERT_EQ(listed.size(), 1u);
  Silence(host.get());
  const std::uint32_t start = platform::TestNetworkTime();
  HRESULT r = client.StartJoin(listed[0]);
  int calls = 1;
  while (r == DPERR_CONNECTING && calls < 100000) {
    r = client.StartJoin(listed[0]);
    ++calls;
  }
  EXPECT_TRUE(r == DPERR_NOCONNECTION || r == DPERR_TIMEOUT) << std::hex << r;
  EXPECT_GT(calls, 1);
  EXPECT_LE(platform::TestNetworkTime() - start, platform::GetDirectPlayNetwork().connectTimeoutMs + 20);
}

TEST_P(DirectPlayVirtual, LatencyHoldsMessagesInOrder) {
  auto host = NewHost("Slow");
  const DPID server = host->Create("##SERVER##");
  Machine client;
  ASSERT_EQ(client.Connect(""), DP_OK);
  const std::vector<Listing> listed = client.List(kApp, nullptr, Pumping(host.get()));
  ASSERT_EQ(listed.size(), 1u);
  ASSERT_EQ(Join(&client, listed[0], {host.get()}), DP_OK);
  const DPID p = client.Create("Bert");
  ASSERT_TRUE(Until({host.get(), &client}, [&] { return host->Count(server) == 1; }));
  host->Drain(server);
  platform::DirectPlayTestSwitches s;
  s.latencyMs = 300;
  platform::SetDirectPlayTestSwitches(s);
  ASSERT_EQ(client.Send(p, server, "a", false), DP_OK);
  ASSERT_EQ(client.Send(p, server, "b", true), DP_OK);
  EXPECT_EQ(host->Count(server), 0u);
  platform::AdvanceTestNetwork(290);
  EXPECT_EQ(host->Count(server), 0u);
  platform::AdvanceTestNetwork(20);
  const std::vector<Received> got = host->Drain(server);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(Text(got[0]), "a");
  EXPECT_EQ(Text(got[1]), "b");
}

TEST_P(DirectPlayVirtual, ReceiveAsksForRoomAndPeeksWithoutTaking) {
  auto host = NewHost("Buffer");
  const DPID a = host->Create("##SERVER##");
  const DPID b = host->Create("Anna");
  host->Drain(a);
  ASSERT_EQ(host->Send(b, a, "hello", true), DP_OK);
  DPID from = 0;
  DPID to = a;
  DWORD size = 2;
  std::vector<std::uint8_t> buffer(16);
  EXPECT_EQ(host->dp->Receive(&from, &to, DPRECEIVE_TOPLAYER, buffer.data(), &size), DPERR_BUFFERTOOSMALL);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(host->dp->Receive(&from, &to, DPRECEIVE_TOPLAYER | DPRECEIVE_PEEK, buffer.data(), &size), DP_OK);
  EXPECT_EQ(host->Count(a), 1u);
  EXPECT_EQ(host->dp->Receive(&from, &to, DPRECEIVE_TOPLAYER, buffer.data(), &size), DP_OK);
  EXPECT_EQ(from, b);
  EXPECT_EQ(host->Count(a), 0u);
  EXPECT_EQ(host->dp->Receive(&from, &to, DPRECEIVE_TOPLAYER, buffer.data(), &size), DPERR_NOMESSAGES);
  // A player of another machine has no queue here.
  to = 12345;
  EXPECT_EQ(host->dp->Receive(&from, &to, DPRECEIVE_TOPLAYER, buffer.data(), &size), DPERR_INVALIDPLAYER);
}

TEST(DirectPlayConnections, OnlyTcpIpExists) {
  platform::UseTestNetwork(true);
  Machine m;
  std::vector<std::string> names;
  std::vector<GUID> providers;
  struct Seen {
    std::vector<std::string>* names;
    std::vector<GUID>* providers;
  } seen{&names, &providers};
  auto callback = [](const GUID* sp, void*, DWORD, const DPNAME* name, DWORD, void* context) -> BOOL {
    auto* s = static_cast<Seen*>(context);
    s->providers->push_back(*sp);
    s->names->push_back(name->lpszShortNameA);
    return TRUE;
  };
  ASSERT_EQ(m.dp->EnumConnections(nullptr, callback, &seen, 0), DP_OK);
  ASSERT_EQ(providers.size(), 1u);
  EXPECT_TRUE(IsEqualGUID(providers[0], DPSPGUID_TCPIP));

  for (const GUID* sp : {&DPSPGUID_MODEM, &DPSPGUID_SERIAL, &DPSPGUID_IPX}) {
    IDirectPlay* dp = nullptr;
    EXPECT_EQ(DirectPlayCreate(sp, &dp, nullptr), DPERR_UNAVAILABLE);
    EXPECT_EQ(dp, nullptr);
    Machine other;
    const std::vector<std::uint8_t> address = Address(other.lobby, *sp, "");
    EXPECT_EQ(other.dp->InitializeConnection(address.data(), 0), DPERR_UNAVAILABLE);
  }
  IDirectPlay* dp = nullptr;
  ASSERT_EQ(DirectPlayCreate(&DPSPGUID_TCPIP, &dp, nullptr), DP_OK);
  dp->Release();
  // Without a connection nothing can be listed or opened.
  DPSESSIONDESC2 d{};
  EXPECT_EQ(m.dp->Open(&d, DPOPEN_CREATE), DPERR_UNINITIALIZED);
  platform::UseTestNetwork(false);
}

TEST(DirectPlayConnections, CompoundAddressesRoundTripAndDamageIsRefused) {
  Machine m;
  const std::string host = "10.0.0.7:2300";
  const std::vector<std::uint8_t> address = Address(m.lobby, DPSPGUID_TCPIP, host);
  struct Element {
    GUID type;
    std::string data;
  };
  std::vector<Element> elements;
  auto callback = [](REFGUID type, DWORD size, const void* data, void* context) -> BOOL {
    static_cast<std::vector<Element>*>(context)->push_back(
        {type, std::string(static_cast<const char*>(data), size)});
    return TRUE;
  };
  ASSERT_EQ(m.lobby->EnumAddress(callback, address.data(), static_cast<DWORD>(address.size()), &elements), DP_OK);
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_TRUE(IsEqualGUID(elements[0].type, DPAID_ServiceProvider));
  EXPECT_TRUE(IsEqualGUID(elements[1].type, DPAID_INet));
  EXPECT_EQ(elements[1].data, host + '\0');
  // Cut short anywhere: refused, no element read past the end.
  for (std::size_t cut = 0; cut < address.size(); ++cut) {
    elements.clear();
    EXPECT_NE(m.lobby->EnumAddress(callback, address.data(), static_cast<DWORD>(cut), &elements), DP_OK) << cut;
  }
}

TEST(DirectPlayProtocol, DecodesWhatItEncodesAndRefusesDamage) {
  dplay::Packet w;
  w.kind = dplay::Kind::WELCOME;
  w.instance = kApp;
  w.node = 3;
  w.hostNode = 1;
  w.nextNode = 4;
  w.flags = 0x44;
  w.maxPlayers = 8;
  w.name = "Race";
  w.nodes.push_back({2, 0x7F000001, 5000});
  w.players.push_back({257, "##SERVER##", "##SERVER##"});
  const std::vector<std::uint8_t> bytes = dplay::Encode(w);
  dplay::Packet back;
  ASSERT_TRUE(dplay::Decode(bytes.data(), bytes.size(), &back));
  EXPECT_EQ(back.node, 3u);
  EXPECT_EQ(back.name, "Race");
  ASSERT_EQ(back.players.size(), 1u);
  EXPECT_EQ(back.players[0].longName, "##SERVER##");
  ASSERT_EQ(back.nodes.size(), 1u);
  EXPECT_EQ(back.nodes[0].port, 5000);

  auto changed = [&](std::size_t at, std::uint8_t value) {
    std::vector<std::uint8_t> b = bytes;
    b[at] = value;
    return b;
  };
  std::vector<std::uint8_t> longer = bytes;
  longer.push_back(0);
  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
  } damaged[] = {
      {"another version", changed(3, dplay::PROTOCOL_VERSION + 1)},
      {"no magic", changed(0, 'X')},
      {"unknown kind", changed(4, 99)},
      {"a byte too many", longer},
      {"a node id of 0", changed(21, 0)},
      {"a player id of 1", [&] {
         std::vector<std::uint8_t> b = bytes;
         const std::size_t id = b.size() - 2 * 11 - 4;
         b[id] = 1;
         b[id + 1] = 0;
         return b;
       }()},
  };
  for (const auto& c : damaged) EXPECT_FALSE(dplay::Decode(c.bytes.data(), c.bytes.size(), &back)) << c.what;
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) EXPECT_FALSE(dplay::Decode(bytes.data(), cut, &back)) << cut;
}

}  // namespace
