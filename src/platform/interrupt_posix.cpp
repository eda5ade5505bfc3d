#include <signal.h>

#include <atomic>

#include "platform/interrupt.h"

namespace hw {
namespace {

volatile sig_atomic_t interrupted = 0;
std::atomic<bool> installed{false};

extern "C" void OnInterrupt(int) { interrupted = 1; }

}  // namespace

void InstallInterruptHandler() {
  if (installed.exchange(true)) return;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // Restarted system calls: a read or write under way is never cut short.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() { return interrupted != 0; }

void SetInterruptRequested(bool requested) { interrupted = requested ? 1 : 0; }

}  // namespace hw
