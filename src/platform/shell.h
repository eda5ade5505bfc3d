#pragma once
// Opening a help file and a web page, starting a program. Win32: shell_win32.cpp.
#include <cstdint>
#include <string>

namespace hw {

class Shell {
 public:
  virtual ~Shell() = default;
  /// Opens the compiled help file at `topic` with its table of contents.
  virtual void OpenHelp(std::uintptr_t owner, const std::string& helpFile, const std::string& topic) = 0;
  /// Opens a web address (or any document) with the shell's "open" verb.
  virtual void OpenUrl(std::uintptr_t owner, const std::string& address) = 0;
  /// Starts a program (found as the shell finds it) with its parameters;
  /// nothing is reported when it cannot be started.
  virtual void Run(std::uintptr_t owner, const std::string& program, const std::string& parameters) = 0;
};

}  // namespace hw
