// The C runtime's random numbers, as the original platform's runtime made
// them: a linear congruential generator with 15-bit results. Game code uses
// these, never the host C library's rand.
#pragma once

namespace crt {

constexpr int RAND_MAX_VALUE = 32767;

void srand(unsigned int seed);
int rand();
// The generator's state: srand(state()) puts a sequence back where it was,
// for look-aheads that must leave no trace.
unsigned int state();

}  // namespace crt
