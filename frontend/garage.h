// The garage's state: the repair floors, prices and workshop time, and the
// set-up editor that the set-up screens change before it reaches slot 0.
#pragma once

#include <cstdint>

#include "riders/race_time.h"
#include "riders/rider_setup.h"

// The next garage screen takes the working copy from the real values.
extern std::uint8_t g_GarageNeedsInit;
// Per part (engine, wheels, suspension, clutch, gearbox): the rounded
// condition on entering the garage, below which no undo goes.
extern float g_RepairFloor[5];
extern std::uint16_t g_RepairPrice[5];
// Workshop time left between the motos (its minutes).
extern RaceTime g_RepairTimeLeft;
extern RaceTime g_RepairTime[5];
extern RiderSetup g_SetupEditor;
extern std::uint8_t g_SetupEditorPage0;
