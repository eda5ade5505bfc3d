#pragma once
// The dialogs and shell of a program without windows: a message box is a
// line on standard error, a question is answered No (nothing is done that
// was not asked for on the command line), nothing is opened.
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/shell.h"
#include "platform/user_dialogs.h"

namespace hw {

class ConsoleDialogs : public UserDialogs {
 public:
  explicit ConsoleDialogs(std::FILE* err = stderr) : err_(err) {}
  MsgAnswer MessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                       MsgIcon icon = MsgIcon::kNone) override;
  std::string InputBox(const std::string&, const std::string&) override { return {}; }
  std::string BrowseForFolder(const std::string&, const std::string&) override { return {}; }

 private:
  std::FILE* err_;
};

class NoShell : public Shell {
 public:
  void OpenHelp(std::uintptr_t, const std::string&, const std::string&) override {}
  void OpenUrl(std::uintptr_t, const std::string&) override {}
  void Run(std::uintptr_t, const std::string&, const std::string&) override {}
};

}  // namespace hw
