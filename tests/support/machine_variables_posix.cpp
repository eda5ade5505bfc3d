#include "support/machine_variables.h"
#include "platform/system_info_posix.h"

namespace hw::test {

std::unique_ptr<SystemInfo> MachineWithVariables(ScratchFolder& scratch,
                                                 const std::map<std::string, std::string>& vars) {
  OfflineSystem machine;
  machine.drives.push_back({'C', scratch.Host("C:"), kDriveFixed});
  machine.windowsDirectory = "C:\\WINDOWS";
  machine.family = PlatformFamily::kWinNt;
  machine.environment = vars;
  return std::make_unique<PosixSystemInfo>(machine);
}

}  // namespace hw::test
