#include "engine/services/front_end.h"
#include "engine/services/race.h"

FrontEndServices* g_FrontEnd = nullptr;
RaceServices* g_Race = nullptr;

void InstallFrontEndServices(FrontEndServices* services) { g_FrontEnd = services; }
void InstallRaceServices(RaceServices* services) { g_Race = services; }
