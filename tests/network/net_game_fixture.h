// The network game on the layer's virtual network, for the tests: a front
// end that records its commands, another machine of the session (a bare
// DirectPlay object with one player), and a fixture whose game is this
// machine.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/game_settings.h"
#include "engine/program_objects.h"
#include "engine/scene/scene.h"
#include "engine/services/front_end.h"
#include "frontend/front_end_install.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/race_series.h"
#include "network/net_game.h"
#include "platform/dplay/dplay_test.h"
#include "riders/rider_physics.h"
#include "tests/support/game_root.h"
#include "tests/support/null_front_end.h"

namespace kelvtest {

struct Recorded {
  std::uint32_t id;
  std::uint32_t a1;
  std::uint32_t a2;
  bool operator==(const Recorded&) const = default;
};

class RecordingController : public NullFrontEnd {
 public:
  void Command(std::uint32_t id, std::uint32_t a1, std::uint32_t a2, const char*) override {
    commands.push_back({id, a1, a2});
  }

  bool Saw(std::uint32_t id) const {
    for (const Recorded& c : commands) {
      if (c.id == id) return true;
    }
    return false;
  }
  int Count(std::uint32_t id) const {
    int n = 0;
    for (const Recorded& c : commands) n += c.id == id ? 1 : 0;
    return n;
  }

  std::vector<Recorded> commands;
};

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const std::array<std::uint8_t, N>& a) {
  return {a.begin(), a.end()};
}

// One other machine of the session: a DirectPlay object and its player, as
// another copy of the game would hold them.
struct Peer {
  Peer() {
    void* out = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_DirectPlay, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay4A, &out), DP_OK);
    dp = static_cast<IDirectPlay4A*>(out);
    EXPECT_EQ(CoCreateInstance(CLSID_DirectPlayLobby, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlayLobby3A, &out),
              DP_OK);
    lobby = static_cast<IDirectPlayLobby3A*>(out);
    const std::string host;
    DPCOMPOUNDADDRESSELEMENT e[2] = {{DPAID_ServiceProvider, sizeof(GUID), &DPSPGUID_TCPIP},
                                     {DPAID_INet, 1, host.c_str()}};
    DWORD size = 0;
    lobby->CreateCompoundAddress(e, 2, nullptr, &size);
    std::vector<std::uint8_t> address(size);
    EXPECT_EQ(lobby->CreateCompoundAddress(e, 2, address.data(), &size), DP_OK);
    EXPECT_EQ(dp->InitializeConnection(address.data(), 0), DP_OK);
  }
  ~Peer() {
    dp->Release();
    lobby->Release();
  }

  bool Join(const std::function<void()>& between) {
    DPSESSIONDESC2 d{};
    d.dwSize = DPSESSIONDESC2_SIZE;
    d.guidApplication = NET_APPLICATION_GUID;
    DPSESSIONDESC2 found{};
    bool listed = false;
    auto callback = [](const DPSESSIONDESC2* s, DWORD*, DWORD flags, void* context) -> BOOL {
      if ((flags & DPESC_TIMEDOUT) != 0) return FALSE;
      *static_cast<DPSESSIONDESC2*>(context) = *s;
      return TRUE;
    };
    for (int i = 0; i < 2000 && !listed; ++i) {
      const HRESULT r = dp->EnumSessions(&d, 0, callback, &found,
                                         DPENUMSESSIONS_AVAILABLE | DPENUMSESSIONS_ASYNC | DPENUMSESSIONS_RETURNSTATUS);
      listed = r == DP_OK && found.dwSize != 0;
      between();
    }
    if (!listed) return false;
    HRESULT r;
    int tries = 0;
    do {
      r = dp->Open(&found, DPOPEN_JOIN | DPOPEN_RETURNSTATUS);
      between();
    } while (r == DPERR_CONNECTING && ++tries < 5000);
    if (r != DP_OK) return false;
    char s[] = "Peer";
    char l[] = "Peer";
    DPNAME n{sizeof(DPNAME), 0, s, l};
    return dp->CreatePlayer(&id, &n, nullptr, nullptr, 0, 0) == DP_OK;
  }

  // Hosts `name` as the game does, with a "##SERVER##" player and a local
  // player of its own.
  bool Host(const char* name) {
    char sessionName[64];
    std::snprintf(sessionName, sizeof sessionName, "%s", name);
    DPSESSIONDESC2 d{};
    d.dwSize = DPSESSIONDESC2_SIZE;
    d.dwFlags = NET_SESSION_FLAGS;
    d.guidApplication = NET_APPLICATION_GUID;
    d.dwMaxPlayers = NET_MAX_PLAYERS;
    d.lpszSessionNameA = sessionName;
    if (dp->Open(&d, DPOPEN_CREATE | DPOPEN_RETURNSTATUS) != DP_OK) return false;
    server = NewPlayer(NET_SERVER_NAME);
    id = NewPlayer("Peer");
    return server != 0 && id != 0;
  }
  DPID NewPlayer(const char* name) {
    char s[32];
    char l[32];
    std::snprintf(s, sizeof s, "%s", name);
    std::snprintf(l, sizeof l, "%s", name);
    DPNAME n{sizeof(DPNAME), 0, s, l};
    DPID made = 0;
    return dp->CreatePlayer(&made, &n, nullptr, nullptr, 0, 0) == DP_OK ? made : 0;
  }

  // Lets the peer's layer do its work, as any call into it does.
  void Pump() {
    DWORD count = 0;
    dp->GetMessageCount(id, &count);
  }

  void Send(DPID to, const std::vector<std::uint8_t>& bytes) { SendFrom(id, to, bytes); }
  void SendFrom(DPID from, DPID to, const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> copy = bytes;
    dp->Send(from, to, DPSEND_GUARANTEED, copy.data(), static_cast<DWORD>(copy.size()));
  }

  // The game messages received so far by `player` (0: this peer's player).
  std::vector<std::vector<std::uint8_t>> Drain(DPID player = 0) {
    std::vector<std::vector<std::uint8_t>> out;
    const DPID self = player != 0 ? player : id;
    for (;;) {
      DPID from = 0;
      DPID to = self;
      DWORD size = 0;
      if (dp->Receive(&from, &to, DPRECEIVE_TOPLAYER | DPRECEIVE_PEEK, nullptr, &size) != DPERR_BUFFERTOOSMALL) break;
      std::vector<std::uint8_t> buffer(size);
      to = self;
      if (dp->Receive(&from, &to, DPRECEIVE_TOPLAYER, buffer.data(), &size) != DP_OK) break;
      if (from != DPID_SYSMSG) out.push_back(buffer);
    }
    return out;
  }

  IDirectPlay4A* dp = nullptr;
  IDirectPlayLobby3A* lobby = nullptr;
  DPID id = 0;
  DPID server = 0;  // a hosting peer's "##SERVER##" player
};

inline std::uint32_t TypeOf(const std::vector<std::uint8_t>& m) { return PeekNetMessageType(m).value_or(0); }

class NetGameTest : public kelvtest::GameRootTest {
 protected:
  void SetUp() override {
    GameRootTest::SetUp();
    platform::UseTestNetwork(true);
    platform::SetDirectPlayTestSwitches({});
    platform::DirectPlayNetwork n;
    n.port = 0;
    n.broadcastAddress = "127.0.0.1";
    n.queryIntervalMs = 100;
    platform::SetDirectPlayNetwork(n);
    InstallFrontEnd();
    for (ProgramObjectSlot slot : {PROGRAM_OBJECT_GAME_CONTROLLER, PROGRAM_OBJECT_PLAYERS_LIST,
                                   PROGRAM_OBJECT_SINGLE_RACE, PROGRAM_OBJECT_CHAMPIONSHIP}) {
      if (GetProgramObject(slot).construct) GetProgramObject(slot).construct();
    }
    savedFrontEnd_ = g_FrontEnd;
    InstallFrontEndServices(&controller_);
    g_GameMode = GAME_MODE_MULTIPLAYER;
    g_SceneNumber = 0;
    g_RaceType = RACE_TYPE_NONE;
    g_NetPlayerCount = 1;
    g_NetSessionCount = 0;
    g_NetConfirmed = g_NetRaceStartReceived = g_NetSessionLost = g_NetBecameHost = 0;
    for (int i = 0; i < 2 * PLAYER_SLOTS; ++i) {
      PlayerEntry& e = g_PlayersList.entries[i];
      e = PlayerEntry{};
      e.riderNumber = static_cast<std::uint16_t>(i % PLAYER_SLOTS);
      std::snprintf(e.name, sizeof e.name, "Rider %d", i % PLAYER_SLOTS);
    }
    g_SingleRace.entries.assign(3, RaceEntry{});
    g_SingleRace.entryCount = 3;
    g_SingleRace.current = 0;
    for (int i = 0; i < 20; ++i) {
      g_ConditionEngine[i] = g_ConditionWheels[i] = g_ConditionSuspension[i] = g_ConditionBrakes[i] =
          g_ConditionGearbox[i] = 1.0f;
    }
    game_ = std::make_unique<DirectPlayNetGame>();
    ASSERT_TRUE(game_->CreateDirectPlay());
    ASSERT_TRUE(game_->CreateLobby());
  }
  void TearDown() override {
    game_.reset();
    g_SingleRace.entries.clear();
    g_SingleRace.entryCount = 0;
    g_GameMode = GAME_MODE_SINGLE_RACE;
    g_NetPlayerCount = 1;
    InstallFrontEndServices(savedFrontEnd_);
    platform::SetDirectPlayNetwork({});
    platform::UseTestNetwork(false);
    GameRootTest::TearDown();
  }

  // The game as a host of "Dirt Cup" on the virtual network, its port the
  // one that listings ask.
  void Host() {
    game_->SelectConnectionKind(NET_KIND_TCPIP);
    ASSERT_TRUE(game_->BuildAddress());
    ASSERT_TRUE(game_->InitializeConnection());
    std::strcpy(game_->sessionName, "Dirt Cup");
    ASSERT_TRUE(game_->HostSession());
    platform::DirectPlayNetwork n = platform::GetDirectPlayNetwork();
    n.port = platform::DirectPlayBoundPort(g_DirectPlay);
    platform::SetDirectPlayNetwork(n);
  }

  // A frame of the game: its pump, then a little time on the network.
  void Frame() {
    game_->Receive();
    for (Peer* p : pumped_) p->Pump();
    platform::AdvanceTestNetwork(5);
  }
  bool Until(const std::function<bool()>& done) {
    for (int i = 0; i < 2000; ++i) {
      if (done()) return true;
      Frame();
    }
    return done();
  }

  // A game message from `sender` straight to the handler.
  void Handle(DPID sender, const std::vector<std::uint8_t>& bytes) {
    game_->HandleGameMessage(bytes, sender, DirectPlayNetGame::SlotId(0));
  }

  // Slots 0..2 held by players 100, 200 and 300, outside any session.
  void ThreePlayers() {
    for (int k = 0; k < 3; ++k) g_PlayersList.entries[k].netPlayerId = 100u * (k + 1);
    g_NetPlayerCount = 3;
  }

  RecordingController controller_;
  FrontEndServices* savedFrontEnd_ = nullptr;
  std::unique_ptr<DirectPlayNetGame> game_;
  // Peers whose layer every frame gives its turn (a hosting peer must answer
  // listings and joins).
  std::vector<Peer*> pumped_;
};

}  // namespace kelvtest
