#include "platform/message_pump_win32.h"

#include "platform/windows_win32.h"

namespace hw {

bool DialogMessage(HWND dialog, MSG& msg) {
  if (!dialog || !IsWindow(dialog)) return false;
  if ((msg.message == WM_CHAR || msg.message == WM_SYSCHAR) && msg.hwnd != dialog) {
    for (HWND h = GetParent(msg.hwnd); h != dialog; h = GetParent(h)) {
      if (!h) return false;  // not the dialog's
      if ((GetWindowLongA(h, GWL_STYLE) & (WS_VISIBLE | WS_DISABLED)) != WS_VISIBLE) return false;
    }
  }
  return IsDialogMessageA(dialog, &msg) != FALSE;
}

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
    if (DialogMessage(dialog_, msg)) continue;
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
