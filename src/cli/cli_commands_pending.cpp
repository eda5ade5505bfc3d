// Until the scan and repair components are in: the commands say so.
#include "cli/cli_commands.h"

namespace hw {

int RunScanCommand(const CliOptions&, CliTarget&, CliConsole& console) {
  Say(console, "scan is not available in this build yet");
  return kExitCannotOpen;
}
int RunRepairCommand(const CliOptions&, CliTarget&, CliConsole& console) {
  Say(console, "repair is not available in this build yet");
  return kExitCannotOpen;
}
int RunBackupsCommand(const CliOptions&, CliTarget&, CliConsole& console) {
  Say(console, "backups is not available in this build yet");
  return kExitCannotOpen;
}

}  // namespace hw
