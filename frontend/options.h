// The options' load and save (commands 40 and 41 with a1 0) keep the
// option globals of engine/game_settings.h; g_RiderCount (engine/renderer.h)
// and g_Language (engine/app.h) are kept where their readers live.
#pragma once

#include <cstdint>

#include "engine/game_settings.h"

// Sets the race length to whole minutes (every other field 0).
void SetRaceLengthMinutes(std::uint16_t minutes);
