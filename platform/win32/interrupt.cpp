// SIGINT and SIGTERM as a recorded request (see interrupt.h).
#include "platform/win32/interrupt.h"

#include <SDL.h>
#include <signal.h>

#include <atomic>

namespace {

static_assert(SIGINT == platform::SIGNAL_INTERRUPT && SIGTERM == platform::SIGNAL_TERMINATE);

// Written by the handler, which may run on any of the process's threads (the
// sound device has one): a lock-free atomic is safe there.
std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnSignal(int signal) {
  int none = 0;
  if (g_signal.compare_exchange_strong(none, signal)) return;
  // Asked again while the orderly shutdown runs: the default action, now.
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  raise(signal);
}

}  // namespace

namespace platform {

void CatchInterrupts() {
  // SDL would otherwise turn the signals into its own quit event, which only
  // a pumped queue sees.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool InterruptRequested() { return g_signal.load() != 0; }

int InterruptSignal() { return g_signal.load(); }

void InjectInterrupt(int signal) {
  int none = 0;
  g_signal.compare_exchange_strong(none, signal);
}

void ClearInterrupt() { g_signal.store(0); }

}  // namespace platform
