#include "riders/rider_setup.h"

RiderSetup g_RiderSetups[20];

namespace {

// Value index -> record field.
constexpr signed char kFieldOfValue[RIDER_SETUP_VALUES] = {
    0,  2,  3,  1,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
    15, 16, 17, 18, 23, 24, 19, 20, 21, 22, 25, 26, 27, 28,
};

}  // namespace

int SetupFieldOfValue(int valueIndex) {
  if (valueIndex < 0 || valueIndex >= RIDER_SETUP_VALUES) return -1;
  return kFieldOfValue[valueIndex];
}

float SetupValue(const RiderSetup& setup, int valueIndex) {
  const int f = SetupFieldOfValue(valueIndex);
  return f < 0 ? 0.0f : setup.field[f];
}

void SetSetupValue(RiderSetup& setup, int valueIndex, float value) {
  const int f = SetupFieldOfValue(valueIndex);
  if (f >= 0) setup.field[f] = value;
}
