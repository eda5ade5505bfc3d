#pragma once
// The real system information of the platform with environment variables
// of the test's choosing: the process environment under Windows, the
// offline machine's configuration on Linux.
#include <map>
#include <memory>
#include <string>

#include "platform/system_info.h"
#include "support/scratch_folder.h"

namespace hw::test {

std::unique_ptr<SystemInfo> MachineWithVariables(ScratchFolder& scratch,
                                                 const std::map<std::string, std::string>& vars);

}  // namespace hw::test
