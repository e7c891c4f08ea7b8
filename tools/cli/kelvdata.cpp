// kelvdata: makes the game's data files. "kelvdata help" lists the commands.
#include <cstdio>

#include "tools/commands.h"

int main(int argc, char** argv) { return kelvdata::RunCommand(argc, argv, stdout, stderr); }
