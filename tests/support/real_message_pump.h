#pragma once
// The platform's real yield to the message loop: the Win32 pump under
// Windows; natively there is no window and no loop, so nothing to run.
#include <memory>

#include "platform/message_pump.h"

namespace hw::test {

std::unique_ptr<MessagePump> MakeRealMessagePump();

}  // namespace hw::test
