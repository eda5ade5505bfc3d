#pragma once
// The three commands, each over an opened target. They return the exit
// status (cli_main.h) and write their messages to the console.
#include "cli/cli_main.h"
#include "cli/cli_options.h"
#include "cli/cli_target.h"

namespace hw {

int RunScanCommand(const CliOptions& options, CliTarget& target, CliConsole& console);
int RunRepairCommand(const CliOptions& options, CliTarget& target, CliConsole& console);
int RunBackupsCommand(const CliOptions& options, CliTarget& target, CliConsole& console);

/// "hivewright-cli: " and the text, as one line on standard error.
void Say(CliConsole& console, const std::string& text);

}  // namespace hw
