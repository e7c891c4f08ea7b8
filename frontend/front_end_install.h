// Plugs the front end into the engine (its services and its global objects);
// the program calls this before it builds its global objects.
#pragma once

void InstallFrontEnd();
