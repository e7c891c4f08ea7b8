// Counts the allocations of this test program while switched on, for the
// checks that a frame allocates nothing.
#pragma once

namespace kelvtest {

void StartCountingAllocations();
// The allocations since the start; counting stops.
long StopCountingAllocations();

}  // namespace kelvtest
