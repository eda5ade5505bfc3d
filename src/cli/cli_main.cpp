#include "cli/cli_main.h"

#include "cli/cli_commands.h"
#include "platform/interrupt.h"

namespace hw {

void Say(CliConsole& console, const std::string& text) {
  std::fprintf(console.err, "hivewright-cli: %s\n", text.c_str());
  std::fflush(console.err);
}

int RunCli(const std::vector<std::string>& args, CliConsole& console) {
  const CliParse parse = ParseCommandLine(args);
  if (!parse.ok) {
    Say(console, parse.error);
    std::fprintf(console.err, "%s\n", kCliUsageHint);
    return kExitUsage;
  }
  const CliOptions& o = parse.options;
  if (o.command == CliCommand::kHelp) {
    std::fputs(CliHelpText().c_str(), console.out);
    return kExitOk;
  }
  if (o.command == CliCommand::kVersion) {
    std::fprintf(console.out, "hivewright-cli %s\n", HIVEWRIGHT_VERSION);
    return kExitOk;
  }
  if (o.command == CliCommand::kRepair && !o.yes && !console.inputIsTerminal) {
    Say(console, "repair asks before it deletes anything; without a terminal to ask on, give --yes");
    std::fprintf(console.err, "%s\n", kCliUsageHint);
    return kExitUsage;
  }
  InstallInterruptHandler();

  const bool writes = o.command == CliCommand::kRepair ||
                      (o.command == CliCommand::kBackups && o.backupsAction == BackupsAction::kRestore);
  TargetOpening opening = OpenCliTarget(o, writes);
  for (const std::string& w : opening.warnings) Say(console, w);
  if (opening.status != 0) {
    Say(console, opening.error);
    if (opening.status == kExitUsage) std::fprintf(console.err, "%s\n", kCliUsageHint);
    return opening.status;
  }
  switch (o.command) {
    case CliCommand::kScan: return RunScanCommand(o, *opening.target, console);
    case CliCommand::kRepair: return RunRepairCommand(o, *opening.target, console);
    default: return RunBackupsCommand(o, *opening.target, console);
  }
}

}  // namespace hw
