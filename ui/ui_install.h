// Hands the engine the UI toolkit's services; called once by each program
// before the program objects are built.
#pragma once

void InstallUi();
