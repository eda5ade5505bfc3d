#include "cli/console_dialogs.h"

namespace hw {

MsgAnswer ConsoleDialogs::MessageBox(const std::string& text, const std::string&, MsgButtons buttons, MsgIcon) {
  std::fprintf(err_, "hivewright-cli: %s\n", text.c_str());
  return buttons == MsgButtons::kYesNo ? MsgAnswer::kNo : MsgAnswer::kOk;
}

}  // namespace hw
