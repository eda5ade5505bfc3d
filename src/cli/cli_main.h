#pragma once
// hivewright-cli as a function: the arguments in, an exit status out, the
// report on `out` (or --output), messages and progress on `err`.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace hw {

constexpr int kExitOk = 0;        ///< nothing found / everything done
constexpr int kExitProblems = 1;  ///< problems found, or some not repaired or restored
constexpr int kExitUsage = 2;
constexpr int kExitCannotOpen = 3;  ///< a registry, hive, folder or file could not be opened
constexpr int kExitDirtyHive = 4;   ///< a hive not saved cleanly would have been written
constexpr int kExitStopped = 130;   ///< Ctrl+C

struct CliConsole {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  /// Whether standard input and standard error are terminals.
  bool inputIsTerminal = false;
  bool errorIsTerminal = false;
  /// Reads the answer to a question (a line of standard input); empty at
  /// the end of the input.
  std::function<std::string()> readLine;
  /// Called at every step a scan ("scan": a place searched) or a repair
  /// ("repair": a problem handled) reports; empty: nothing. Tests press
  /// Ctrl+C from it.
  std::function<void(const std::string& stage)> stepped;
};

int RunCli(const std::vector<std::string>& args, CliConsole& console);

}  // namespace hw
