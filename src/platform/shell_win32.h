#pragma once
// The help viewer and the shell's "open" verb.
#include "platform/shell.h"

namespace hw {

class Win32Shell : public Shell {
 public:
  /// Opens `helpFile` at `topic` in the HTML Help viewer with its table of
  /// contents; does nothing when the viewer is not installed.
  void OpenHelp(std::uintptr_t owner, const std::string& helpFile, const std::string& topic) override;
  void OpenUrl(std::uintptr_t owner, const std::string& address) override;
  void Run(std::uintptr_t owner, const std::string& program, const std::string& parameters) override;
};

}  // namespace hw
