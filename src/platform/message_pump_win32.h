#pragma once
// The yield to the Windows message loop.
#include "platform/windows_win32.h"

#include <cstdint>

#include "platform/message_pump.h"

namespace hw {

/// IsDialogMessage for `dialog`, save for a character aimed at a control the
/// dialog cannot reach (on a hidden or disabled page, say a button whose page
/// went while its Space was still queued). The mnemonic search starts at that
/// control and enters only shown, enabled windows, so under Wine it never
/// comes back to it and spins for ever. Such a character is left to the
/// caller to dispatch. False for no dialog.
bool DialogMessage(HWND dialog, MSG& msg);

/// Runs the thread's pending messages. Looking at the queue costs tens of
/// microseconds under Wine, and the walker yields at every key and value, so
/// the queue is looked at only when `intervalMs` have passed since the last
/// look. A WM_QUIT seen here is posted again for the main loop to find.
class Win32MessagePump : public MessagePump {
 public:
  explicit Win32MessagePump(unsigned intervalMs = 5) : intervalMs_(intervalMs) {}
  void DoEvents() override;
  void WaitForEvents() override;
  /// True once a WM_QUIT has passed through DoEvents.
  bool QuitSeen() const { return quitSeen_; }
  /// The window whose keyboard navigation (Tab, Enter, Esc, mnemonics) the
  /// yield keeps, as the main message loop does; null for none.
  void SetDialogWindow(HWND window) { dialog_ = window; }

 private:
  unsigned intervalMs_;
  std::uint64_t lastLook_ = 0;
  bool looked_ = false;
  bool quitSeen_ = false;
  HWND dialog_ = nullptr;
};

}  // namespace hw
