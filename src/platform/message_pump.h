#pragma once
// The yield of long work to the message loop, so that clicks (Pause, Abort)
// and painting run between two steps. Win32: message_pump_win32.cpp.
namespace hw {

class MessagePump {
 public:
  virtual ~MessagePump() = default;
  /// Runs pending window messages, if any, and returns.
  virtual void DoEvents() = 0;
  /// The yield of work that is waiting for the user (a paused scan): may
  /// sleep until a message arrives or a short time has passed, then runs
  /// the messages, so the wait does not keep a processor busy.
  virtual void WaitForEvents() { DoEvents(); }
};

/// A pump for work without windows (tools, tests that need no clicks).
class NullMessagePump : public MessagePump {
 public:
  void DoEvents() override {}
};

}  // namespace hw
