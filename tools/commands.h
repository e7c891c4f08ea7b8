// The commands of kelvdata, the data tool that players and modders run.
#pragma once

#include <cstdio>

namespace kelvdata {

// Runs one command line (argv[0] is the program). Help goes to `out`,
// refusals and failures to `err` with the reason. Returns the exit status:
// 0 done, 1 refused or failed, 2 bad arguments.
int RunCommand(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace kelvdata
