// Game-wide settings that the front end keeps and the engine's loaders read.
// The storage lives here so that the engine needs no front-end header.
#pragma once

#include <cstdint>

// The kind of race the race scene runs: 1 practice, 2 qualifying, 3 and 4
// the two motos; picks texture variants when objects load.
extern std::uint8_t g_RaceType;
