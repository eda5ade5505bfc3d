#include "engine/message_pump_win32.h"

#include "registry/windows_win32.h"

namespace hw {

void Win32MessagePump::DoEvents() {
  ULONGLONG now = GetTickCount64();
  if (looked_ && now - lastLook_ < intervalMs_) return;
  looked_ = true;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quitSeen_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (dialog_ && IsWindow(dialog_) && IsDialogMessageA(dialog_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  // Measured after the messages ran: a long handler is not followed at once
  // by another look.
  lastLook_ = GetTickCount64();
}

void Win32MessagePump::WaitForEvents() {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  looked_ = false;
  DoEvents();
}

}  // namespace hw
