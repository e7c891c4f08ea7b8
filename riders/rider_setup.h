// The bike set-ups of the 20 rider slots. The records hold 29 single-precision
// fields in file order (field 4 is never used); the physics and the set-up
// screens address them by their value index 0..27, whose order differs from
// the record's, so every read of a set-up value goes through SetupValue.
#pragma once

constexpr int RIDER_SETUP_FIELDS = 29;
constexpr int RIDER_SETUP_VALUES = 28;

struct RiderSetup {
  float field[RIDER_SETUP_FIELDS] = {};
};

// Slot 0 is the player's.
extern RiderSetup g_RiderSetups[20];

// The record field that holds set-up value `valueIndex`; -1 outside 0..27.
int SetupFieldOfValue(int valueIndex);
// Set-up value `valueIndex` of a record; 0 outside 0..27.
float SetupValue(const RiderSetup& setup, int valueIndex);
// Stores set-up value `valueIndex`; nothing outside 0..27.
void SetSetupValue(RiderSetup& setup, int valueIndex, float value);
