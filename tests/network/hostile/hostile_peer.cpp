// A hostile machine for the network race tests: it joins the session open
// on the loopback port like any player, reports itself ready and through
// its intro when the race starts so that the host starts it, and once the
// race runs sends every machine of the session, for a while, payloads of
// every game message type, truncated, padded and filled with random bytes,
// guaranteed and not, as fast as a flooding peer would.
//
//   hostile_peer PORT SECONDS
//
// Prints "JOINED", "FLOODING" and "SENT n" as it goes; fails when it cannot
// join or the race does not start.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/program_objects.h"
#include "engine/services/front_end.h"
#include "frontend/front_end_install.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "network/net_game.h"
#include "network/net_messages.h"
#include "platform/dplay/dplay_test.h"
#include "platform/win32/crt.h"
#include "platform/win32/timer.h"
#include "tests/support/null_front_end.h"

namespace {

kelvtest::NullFrontEnd frontEnd;
DirectPlayNetGame* game = nullptr;

bool Until(const std::function<bool()>& done, std::uint32_t ms) {
  const std::uint32_t start = timeGetTime();
  while (!done()) {
    if (timeGetTime() - start > ms) return false;
    game->Receive();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

std::uint8_t RandomByte() { return static_cast<std::uint8_t>(crt::rand() & 0xFF); }

// A message of `type`: its type word (when it has room), then random bytes;
// as long as the type's size, shorter, or longer.
std::vector<std::uint8_t> Payload(NetMessageType type) {
  const std::size_t size = NetMessageSize(type);
  std::size_t length = size;
  switch (crt::rand() % 4) {
    case 0: length = static_cast<std::size_t>(crt::rand()) % (size + 1); break;  // truncated
    case 1: length = size + static_cast<std::size_t>(crt::rand() % 64); break;   // padded
    default: break;
  }
  std::vector<std::uint8_t> bytes(length);
  for (std::uint8_t& b : bytes) b = RandomByte();
  for (std::size_t i = 0; i < 4 && i < length; ++i) bytes[i] = static_cast<std::uint8_t>(type >> (8 * i));
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: hostile_peer PORT SECONDS\n");
    return 2;
  }
  platform::DirectPlayNetwork n;
  n.port = static_cast<std::uint16_t>(std::atoi(argv[1]));
  n.broadcastAddress = "127.0.0.1";
  n.peerTimeoutMs = 20000;
  platform::SetDirectPlayNetwork(n);
  const std::uint32_t seconds = static_cast<std::uint32_t>(std::atoi(argv[2]));
  InstallFrontEnd();
  for (ProgramObjectSlot slot : {PROGRAM_OBJECT_GAME_CONTROLLER, PROGRAM_OBJECT_PLAYERS_LIST,
                                 PROGRAM_OBJECT_SINGLE_RACE, PROGRAM_OBJECT_CHAMPIONSHIP}) {
    if (GetProgramObject(slot).construct) GetProgramObject(slot).construct();
  }
  InstallFrontEndServices(&frontEnd);
  g_GameMode = GAME_MODE_MULTIPLAYER;
  DirectPlayNetGame net;
  game = &net;
  InstallNetGame(&net);
  crt::srand(27);
  int result = 1;
  if (net.CreateDirectPlay() && net.CreateLobby()) {
    net.SelectConnectionKind(NET_KIND_TCPIP);
    net.hostAddress[0] = '\0';
    const bool listed = net.BuildAddress() && net.InitializeConnection() && Until([] {
      g_NetSessionCount = 0;
      return game->EnumSessions() && g_NetSessionCount > 0;
    }, 20000);
    g_NetPlayerCount = 1;
    if (listed) net.EnumPlayers(0, false);
    if (listed && net.JoinSession()) {
      net.SetLocalPlayerName("HOSTILE");
      net.SendPlayerInfo("HOSTILE", 5);
      std::printf("JOINED\n");
      std::fflush(stdout);
      if (!Until([] { return g_NetRaceStartReceived != 0; }, 400000)) {
        std::printf("NO RACE START\n");
        net.Leave();
        return 1;
      }
      for (NetMessageType type : {NET_MSG_READY, NET_MSG_INTRO_DONE}) {
        net.Transmit(DirectPlayNetGame::SlotId(0), g_NetServerPlayerId, EncodeNetSignal(type),
                     DirectPlayNetGame::SendMode::GUARANTEED);
      }
      if (!Until([] { return game->startReceived != 0; }, 400000)) {
        std::printf("NO START\n");
        net.Leave();
        return 1;
      }
      std::printf("FLOODING\n");
      std::fflush(stdout);
      const std::uint32_t start = timeGetTime();
      unsigned long sent = 0;
      while (timeGetTime() - start < seconds * 1000u && DirectPlayNetGame::SlotId(0) != 0) {
        for (NetMessageType type : NET_MESSAGE_TYPES) {
          const std::vector<std::uint8_t> bytes = Payload(type);
          for (int k = 1; k < 7; ++k) {
            const DPID to = DirectPlayNetGame::SlotId(k);
            if (to == 0) continue;
            net.Transmit(DirectPlayNetGame::SlotId(0), to, bytes,
                         crt::rand() % 2 ? DirectPlayNetGame::SendMode::GUARANTEED
                                         : DirectPlayNetGame::SendMode::PLAIN);
            ++sent;
          }
          if (g_NetServerPlayerId != 0) {
            net.Transmit(DirectPlayNetGame::SlotId(0), g_NetServerPlayerId, bytes, DirectPlayNetGame::SendMode::PLAIN);
            ++sent;
          }
        }
        net.Receive();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      std::printf("SENT %lu\n", sent);
      result = 0;
    } else {
      std::printf("JOIN FAILED\n");
    }
  }
  net.Leave();
  InstallNetGame(nullptr);
  InstallFrontEndServices(nullptr);
  return result;
}
