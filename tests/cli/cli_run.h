#pragma once
// Runs the command-line program in-process, as main does, and keeps what it
// wrote on standard output and standard error.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "cli/cli_main.h"

namespace hw::test {

struct CliResult {
  int status = -1;
  std::string out, err;
};

inline std::string ReadBack(std::FILE* f) {
  std::string text;
  std::rewind(f);
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
  std::fclose(f);
  return text;
}

/// `answers`: the lines a person types (questions on a terminal);
/// `stepped`: called at every step of a scan or repair (to press Ctrl+C).
inline CliResult RunCliWith(const std::vector<std::string>& args, bool terminal = false,
                            std::vector<std::string> answers = {},
                            std::function<void(const std::string&)> stepped = {}) {
  CliConsole console;
  console.out = std::tmpfile();
  console.err = std::tmpfile();
  console.inputIsTerminal = terminal;
  console.errorIsTerminal = false;  // no progress line in the captured text
  console.readLine = [&answers] {
    if (answers.empty()) return std::string();
    std::string a = answers.front();
    answers.erase(answers.begin());
    return a;
  };
  console.stepped = std::move(stepped);
  CliResult r;
  r.status = RunCli(args, console);
  r.out = ReadBack(console.out);
  r.err = ReadBack(console.err);
  return r;
}

}  // namespace hw::test
