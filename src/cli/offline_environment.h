#pragma once
// The environment a process of the chosen user would get on an offline
// installation, made from its own hives and folders, never from the
// environment of the process that reads them.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry_api.h"
#include "platform/system_info.h"

namespace hw {

struct OfflineFacts {
  std::string windowsFolder;  ///< "C:\Windows"
  std::string user;           ///< profile folder name; empty: no user
  std::string profileFolder;  ///< "C:\Users\anna"
};

/// Variables in the order Windows sets them: the installation's facts,
/// SYSTEM's Session Manager\Environment (REG_EXPAND_SZ expanded), the
/// profile's (USERPROFILE from SOFTWARE's ProfileList\<SID>\ProfileImagePath),
/// then the user's own HKCU\Environment, whose Path is appended to the
/// machine's. Names are unique without regard to case.
std::vector<std::pair<std::string, std::string>> OfflineEnvironment(RegistryApi& registry, const OfflineFacts& facts);

/// %NAME% replaced by its value (names without regard to case); unknown
/// names stay as written, as ExpandEnvironmentStrings leaves them.
std::string ExpandVariables(const std::vector<std::pair<std::string, std::string>>& vars, const std::string& text);

/// SYSTEM's ComputerName; empty when the hive does not hold it.
std::string OfflineComputerName(RegistryApi& registry);
/// kWinNt when SOFTWARE holds Microsoft\Windows NT\CurrentVersion.
PlatformFamily OfflineFamily(RegistryApi& registry);

}  // namespace hw
