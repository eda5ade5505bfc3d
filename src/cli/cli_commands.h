#pragma once
// The three commands, each over an opened target. They return the exit
// status (cli_main.h) and write their messages to the console.
#include "cli/cli_main.h"
#include "cli/cli_options.h"
#include "cli/cli_target.h"
#include "registry/module1.h"
#include "scan/scanner.h"

namespace hw {

int RunScanCommand(const CliOptions& options, CliTarget& target, CliConsole& console);
int RunRepairCommand(const CliOptions& options, CliTarget& target, CliConsole& console);
int RunBackupsCommand(const CliOptions& options, CliTarget& target, CliConsole& console);

/// "hivewright-cli: " and the text, as one line on standard error.
void Say(CliConsole& console, const std::string& text);

/// The sections, drives and exclusion switch of the command line.
ScanSelection SelectionOf(const CliOptions& options);

struct CommandScan {
  /// 0 the scan ran to its end; kExitStopped: Ctrl+C (logs closed);
  /// kExitCannotOpen: it failed (said on the console).
  int status = 0;
  ScanOutcome outcome;
};
/// A scan for scan and repair: the progress line on a terminal (unless
/// --quiet), Ctrl+C polled at every step, the logs in the target's folder.
/// `module1` is the repair's too, so both find the same logs.
CommandScan ScanForCommand(const ScanSelection& selection, const CliOptions& options, CliTarget& target,
                           CliConsole& console, Module1& module1);

}  // namespace hw
