#pragma once
// SystemInfo of an offline Windows machine whose drives are host folders:
// everything comes from the configuration, nothing from the Linux process
// (its environment in particular is not the machine's).
#include <map>
#include <string>
#include <vector>

#include "platform/system_info.h"

namespace hw {

struct OfflineSystem {
  struct Drive {
    char letter = 'C';
    std::string hostFolder;
    std::uint32_t type = kDriveFixed;
  };
  std::vector<Drive> drives;
  /// e.g. "C:\WINDOWS", without a trailing backslash.
  std::string windowsDirectory;
  PlatformFamily family = PlatformFamily::kUnknown;
  /// The machine's variables (USERPROFILE, SystemRoot, windir, ...); names
  /// are looked up without regard to case, as Windows does.
  std::map<std::string, std::string> environment;
  /// Empty when the machine's name is not known.
  std::string computerName;
  std::string programFolder;
  std::string programName = "hivewright";
};

class PosixSystemInfo : public SystemInfo {
 public:
  explicit PosixSystemInfo(OfflineSystem machine);

  /// Roots in letter order, "C:\" NUL "D:\" NUL.
  std::string LogicalDriveStrings() override;
  /// kDriveNoRootDir for a root that is not one of the machine's drives.
  std::uint32_t DriveType(const std::string& root) override;
  std::string WindowsDirectory() override;
  PlatformFamily Family() override;
  bool GetEnvironmentVariable(const std::string& name, std::string* value) override;
  bool ComputerName(std::string* name) override;
  std::string ProgramFolder() override;
  std::string ProgramName() override;
  /// The en-US long date: "Sunday, December 6, 2026".
  std::string FormatLongDate(const FileTime& time) override;

 private:
  OfflineSystem machine_;
};

}  // namespace hw
