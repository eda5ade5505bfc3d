#pragma once
// System facts from kernel32.
#include "platform/system_info.h"

namespace hw {

class Win32SystemInfo : public SystemInfo {
 public:
  std::string LogicalDriveStrings() override;
  /// As GetDriveTypeA, except that under Wine a drive whose folder is the
  /// host's root directory (Wine's Z:, the whole host file system, mounted
  /// disks of other systems included) is reported as a network drive: it is
  /// not this Windows installation's own disk.
  std::uint32_t DriveType(const std::string& root) override;
  std::string WindowsDirectory() override;
  PlatformFamily Family() override;
  bool GetEnvironmentVariable(const std::string& name, std::string* value) override;
  bool ComputerName(std::string* name) override;
  std::string ProgramFolder() override;
  std::string ProgramName() override;
  /// Empty when the date is not a valid calendar date.
  std::string FormatLongDate(const FileTime& time) override;
};

}  // namespace hw
