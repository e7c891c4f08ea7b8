// One machine of a network game over the loopback, for the two-process
// test: the game's network object with a stand-in front end that prints the
// commands the network sends it.
//
//   net_loopback host PORT     hosts "Dirt Cup" riding rider 3; once a
//                              client has joined and chosen its rider it
//                              starts the race (command 71), then keeps the
//                              session until the file "stop" appears
//   net_loopback client PORT   lists and joins the session, asks for rider
//                              3, waits for the race start and leaves
//   net_loopback list PORT     prints how many sessions answer
//
// Every step prints one line; a step that does not happen in its time
// prints "TIMEOUT ..." and the program fails.
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "engine/game_settings.h"
#include "engine/program_objects.h"
#include "engine/services/front_end.h"
#include "frontend/front_end_install.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "network/net_game.h"
#include "platform/dplay/dplay_test.h"
#include "platform/win32/timer.h"
#include "tests/support/null_front_end.h"

namespace {

class PrintingFrontEnd : public kelvtest::NullFrontEnd {
 public:
  void Command(std::uint32_t id, std::uint32_t a1, std::uint32_t a2, const char*) override {
    std::printf("COMMAND %u %u %u\n", id, a1, a2);
    std::fflush(stdout);
    if (id == CMD_SET_SKILL) skill = static_cast<int>(a1);
  }
  int skill = -1;
};

PrintingFrontEnd frontEnd;
DirectPlayNetGame* game = nullptr;

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

// Pumps the game every 5 ms until `done`, for at most `ms`.
bool Until(const std::function<bool()>& done, std::uint32_t ms, const char* what) {
  const std::uint32_t start = timeGetTime();
  while (!done()) {
    if (timeGetTime() - start > ms) {
      Say(std::string("TIMEOUT ") + what);
      return false;
    }
    game->Receive();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

bool Connect() {
  if (!game->CreateDirectPlay() || !game->CreateLobby()) return false;
  game->SelectConnectionKind(NET_KIND_TCPIP);
  game->hostAddress[0] = '\0';
  return game->BuildAddress() && game->InitializeConnection();
}

bool StopFileExists() {
  if (std::FILE* f = std::fopen("stop", "r")) {
    std::fclose(f);
    return true;
  }
  return false;
}

int Host() {
  std::strcpy(game->sessionName, "Dirt Cup");
  if (!game->HostSession()) return Say("HOST FAILED"), 1;
  game->SetLocalPlayerName("HOSTRIDER");
  g_PlayersList.entries[0].riderNumber = 3;
  g_PlayersList.entries[0].chosenRider = 3;
  Say("HOSTING");
  if (!Until([] { return g_NetPlayerCount == 2 && g_PlayersList.entries[1].chosenRider != -1; }, 20000,
             "client rider"))
    return 1;
  Say("COUNT " + std::to_string(g_NetPlayerCount));
  Say("CLIENT RIDER " + std::to_string(g_PlayersList.entries[1].chosenRider));
  g_GameController.Command(CMD_NET_START_RACE, 0, 0, "NULL");
  Say("STARTED");
  if (!Until(StopFileExists, 30000, "stop")) return 1;
  game->Leave();
  return 0;
}

int Client() {
  if (!Until(
          [] {
            g_NetSessionCount = 0;
            return game->EnumSessions() && g_NetSessionCount > 0;
          },
          10000, "listing"))
    return 1;
  Say(std::string("SESSION ") + game->GetSessionText(0));
  g_NetPlayerCount = 1;
  game->EnumPlayers(0, false);
  std::string players = "PLAYERS " + std::to_string(g_NetPlayerCount - 1);
  for (std::uint8_t k = 1; k < g_NetPlayerCount; ++k) players += std::string(" ") + game->GetPlayerText(k);
  Say(players);
  if (!game->JoinSession()) return Say("JOIN FAILED"), 1;
  if (!Until([] { return g_NetPlayerCount == 2 && frontEnd.skill >= 0; }, 10000, "race setup")) return 1;
  Say("COUNT " + std::to_string(g_NetPlayerCount));
  Say(std::string("SERVER ") + (g_NetServerPlayerId != 0 && g_NetServerPlayerId == game->serverPlayerId ? "KNOWN" : "UNKNOWN"));
  Say("SKILL " + std::to_string(frontEnd.skill) + " DAMAGES " + std::to_string(g_OptionDamages) + " NOBUDGET " +
      std::to_string(g_NoBudget));
  game->SetLocalPlayerName("CLIENTRIDER");
  game->SendPlayerInfo("CLIENTRIDER", 3);
  if (!Until([] { return g_PlayersList.entries[0].chosenRider != -1; }, 10000, "rider")) return 1;
  Say("RIDER " + std::to_string(g_PlayersList.entries[0].chosenRider));
  if (!Until([] { return g_NetRaceStartReceived != 0; }, 20000, "race start")) return 1;
  Say("RACE START");
  game->Leave();
  return 0;
}

int List() {
  // Several rounds of the listing, so that a session that answers at all
  // would be seen.
  const std::uint32_t start = timeGetTime();
  std::uint8_t most = 0;
  while (timeGetTime() - start < 1500) {
    g_NetSessionCount = 0;
    if (game->EnumSessions() && g_NetSessionCount > most) most = g_NetSessionCount;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Say("SESSIONS " + std::to_string(most));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: net_loopback host|client|list PORT\n");
    return 2;
  }
  const std::string mode = argv[1];
  platform::DirectPlayNetwork n;
  n.port = static_cast<std::uint16_t>(std::atoi(argv[2]));
  n.broadcastAddress = "127.0.0.1";
  n.connectTimeoutMs = 3000;
  n.queryIntervalMs = 200;
  n.sessionExpiryMs = 1000;
  n.peerTimeoutMs = 3000;
  platform::SetDirectPlayNetwork(n);
  InstallFrontEnd();
  for (ProgramObjectSlot slot : {PROGRAM_OBJECT_GAME_CONTROLLER, PROGRAM_OBJECT_PLAYERS_LIST,
                                 PROGRAM_OBJECT_SINGLE_RACE, PROGRAM_OBJECT_CHAMPIONSHIP}) {
    if (GetProgramObject(slot).construct) GetProgramObject(slot).construct();
  }
  InstallFrontEndServices(&frontEnd);
  g_GameMode = GAME_MODE_MULTIPLAYER;
  g_GameSkill = 0;
  for (int i = 0; i < PLAYER_SLOTS; ++i) {
    PlayerEntry& e = g_PlayersList.entries[PLAYER_SLOTS + i];
    e.riderNumber = static_cast<std::uint16_t>(i);
    std::snprintf(e.name, sizeof e.name, "RIDER %d", i);
  }
  if (mode == "host") {
    // What the client should receive.
    g_GameSkill = 2;
    g_OptionDamages = 1;
    g_NoBudget = 1;
  }
  DirectPlayNetGame net;
  game = &net;
  InstallNetGame(&net);
  int result = 1;
  if (!Connect()) {
    Say("CONNECT FAILED");
  } else if (mode == "host") {
    result = Host();
  } else if (mode == "client") {
    result = Client();
  } else if (mode == "list") {
    result = List();
  }
  InstallNetGame(nullptr);
  InstallFrontEndServices(nullptr);
  return result;
}
