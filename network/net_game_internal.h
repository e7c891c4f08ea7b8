// Inside the network game: the bike-condition arrays in the order the
// messages carry them, and the current event's result record of a slot as
// the race synchronisation reads and writes it.
#pragma once

#include <array>
#include <cstdint>

#include "network/net_messages.h"
#include "riders/race_time.h"

// Engine, wheels, suspension, clutch, gearbox: one 20-entry array each.
extern float* const g_NetConditionArrays[NET_CONDITIONS];

NetConditions NetConditionsOf(int slot);
void SetNetConditions(int slot, const NetConditions& values);

// The moto's result column: the first moto's, or the second's for every
// other session.
std::uint8_t NetMotoColumn();

// A slot's result in the current event (the championship's when
// `championship`, else the single race's), in the moto's column.
struct NetEventRecord {
  std::uint8_t position = 0;
  RaceTime finishTime;
  RaceTime bestLap;
  float laps = 0.0f;
  std::uint8_t out = 0;
};
NetEventRecord ReadNetEventRecord(int slot, bool championship);
void WriteNetEventRecord(int slot, bool championship, const NetEventRecord& record);
