#include "platform/message_pump_win32.h"
#include "support/real_message_pump.h"

namespace hw::test {

std::unique_ptr<MessagePump> MakeRealMessagePump() { return std::make_unique<Win32MessagePump>(); }

}  // namespace hw::test
