#include "support/real_message_pump.h"

namespace hw::test {

std::unique_ptr<MessagePump> MakeRealMessagePump() { return std::make_unique<NullMessagePump>(); }

}  // namespace hw::test
