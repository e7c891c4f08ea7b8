// Ctrl-C and termination requests (SIGINT, SIGTERM), where Windows has the
// console's control handler.
//
// The signal handler only records the request. The message queue turns it
// into a close of the program's top-level window (as the window's close box
// does) and message boxes answer it as Cancel, so the program ends through
// its own orderly shutdown wherever it was waiting. A second request while
// that shutdown runs ends the program at once.
#pragma once

namespace platform {

constexpr int SIGNAL_INTERRUPT = 2;   // SIGINT: Ctrl-C
constexpr int SIGNAL_TERMINATE = 15;  // SIGTERM

// Installs the handlers (the programs, first thing in main).
void CatchInterrupts();
bool InterruptRequested();
// The signal of the first request, 0 while there is none.
int InterruptSignal();

// Test backend: a request as the handler records it, and back to none.
void InjectInterrupt(int signal);
void ClearInterrupt();

}  // namespace platform
