#include "engine/services/front_end.h"
#include "engine/services/event.h"
#include "engine/services/net_game.h"
#include "engine/services/race.h"
#include "engine/services/ui.h"

FrontEndServices* g_FrontEnd = nullptr;
RaceServices* g_Race = nullptr;
RiderRaceServices* g_RiderRace = nullptr;
UiServices* g_Ui = nullptr;

void InstallFrontEndServices(FrontEndServices* services) { g_FrontEnd = services; }
void InstallRaceServices(RaceServices* services) { g_Race = services; }
void InstallRiderRaceServices(RiderRaceServices* services) { g_RiderRace = services; }
void InstallUiServices(UiServices* services) { g_Ui = services; }

void FrontEndCommand(std::uint32_t id, std::uint32_t a1, std::uint32_t a2, const char* text) {
  if (g_FrontEnd) g_FrontEnd->Command(id, a1, a2, text);
}

EventServices* g_Event = nullptr;
void InstallEventServices(EventServices* services) { g_Event = services; }

std::uint8_t g_NetPlayerCount = 1;
std::uint8_t g_NetSessionCount = 0;
std::uint8_t g_NetRaceStartReceived = 0;
std::uint8_t g_NetBecameHost = 0;
std::uint8_t g_NetSessionLost = 0;
std::uint8_t g_NetConfirmed = 0;

namespace {
NetGame g_UnconnectedNetGame;
}  // namespace
NetGame* g_NetGame = &g_UnconnectedNetGame;
void InstallNetGame(NetGame* game) { g_NetGame = game ? game : &g_UnconnectedNetGame; }
