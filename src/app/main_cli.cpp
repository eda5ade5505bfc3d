// hivewright-cli: the command line handed to the runner, the console's
// facts with it.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_main.h"
#include "cli/console_facts.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  hw::CliConsole console;
  console.inputIsTerminal = hw::IsTerminal(stdin);
  console.errorIsTerminal = hw::IsTerminal(stderr);
  console.readLine = [] {
    std::string line;
    if (!std::getline(std::cin, line)) return std::string();
    return line;
  };
  return hw::RunCli(args, console);
}
