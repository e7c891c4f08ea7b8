// Plugs the race into the engine; the program calls this before it builds
// its global objects.
#pragma once

void InstallRace();
