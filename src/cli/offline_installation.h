#pragma once
// An installation of Windows that is not running, found in a folder of this
// machine: its hives, its Windows folder, its profiles, and the drives it
// sees. Looked up without regard to case, as Windows names files.
#include <string>
#include <vector>

#include "cli/cli_options.h"

namespace hw {

struct OfflineInstallation {
  /// ROOT as given (a host folder); it is the installation's drive C:.
  std::string root;
  /// The Windows folder as found, in Windows form ("C:\Windows").
  std::string windowsFolder;
  /// Host paths of the hives (NTUSER.DAT empty when there is no profile).
  std::string softwareHive, systemHive, userHive;
  /// The profile taken as HKEY_CURRENT_USER: its folder's name, and the
  /// folder in Windows form ("C:\Users\anna"); empty when there is none.
  std::string user, profileFolder;
  /// Profiles with an NTUSER.DAT, besides Default, Default User, Public
  /// and All Users.
  std::vector<std::string> profiles;
  /// C: (ROOT) first, then the --drive mappings.
  std::vector<DriveMapping> drives;
};

struct InstallationLookup {
  /// 0 found; 2 a usage error (several profiles and no --user, an unknown
  /// --user); 3 ROOT, a hive or a --drive folder is not there.
  int status = 0;
  /// What is wrong, naming the folder or file; also a warning when status
  /// is 0 (no profile at all).
  std::string message;
  OfflineInstallation installation;
};

InstallationLookup FindOfflineInstallation(const std::string& root, const std::string& user,
                                           const std::vector<DriveMapping>& extraDrives);

/// Profile folder names that are not people's profiles.
bool IsSharedProfileName(const std::string& name);

}  // namespace hw
