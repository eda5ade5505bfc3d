#include <windows.h>

#include <atomic>

#include "platform/interrupt.h"

namespace hw {
namespace {

std::atomic<bool> interrupted{false};
std::atomic<bool> installed{false};

BOOL WINAPI OnConsoleControl(DWORD type) {
  if (type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) {
    interrupted = true;
    return TRUE;  // handled: the process goes on to its next safe point
  }
  return FALSE;
}

}  // namespace

void InstallInterruptHandler() {
  if (installed.exchange(true)) return;
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool InterruptRequested() { return interrupted.load(); }

void SetInterruptRequested(bool requested) { interrupted = requested; }

}  // namespace hw
