#include <cstdlib>

#include "support/machine_variables.h"
#include "platform/system_info_win32.h"

namespace hw::test {

std::unique_ptr<SystemInfo> MachineWithVariables(ScratchFolder&,
                                                 const std::map<std::string, std::string>& vars) {
  for (const auto& [name, value] : vars) _putenv_s(name.c_str(), value.c_str());
  return std::make_unique<Win32SystemInfo>();
}

}  // namespace hw::test
