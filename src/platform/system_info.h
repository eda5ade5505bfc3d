#pragma once
// What the program asks of the system besides files and the registry.
// Backends: system_info_win32.cpp (kernel32) and system_info_posix.cpp
// (a configured offline machine).
#include <cstdint>
#include <string>

#include "platform/file_services.h"

namespace hw {

constexpr std::uint32_t kDriveUnknown = 0;
constexpr std::uint32_t kDriveNoRootDir = 1;
constexpr std::uint32_t kDriveRemovable = 2;
constexpr std::uint32_t kDriveFixed = 3;
constexpr std::uint32_t kDriveRemote = 4;
constexpr std::uint32_t kDriveCdrom = 5;
constexpr std::uint32_t kDriveRamdisk = 6;

enum class PlatformFamily { kUnknown, kWin9x, kWinNt };

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  /// Drive roots, each "X:\" followed by one NUL (GetLogicalDriveStrings).
  virtual std::string LogicalDriveStrings() = 0;
  /// kDrive* type code of a root such as "C:\".
  virtual std::uint32_t DriveType(const std::string& root) = 0;
  /// The Windows folder without a trailing backslash, e.g. "C:\WINDOWS".
  virtual std::string WindowsDirectory() = 0;
  /// The family the platform itself reports; kUnknown when it does not tell.
  virtual PlatformFamily Family() = 0;
  /// Value of an environment variable; false when it is not defined.
  virtual bool GetEnvironmentVariable(const std::string& name, std::string* value) = 0;
  /// The computer's name; false when it cannot be had.
  virtual bool ComputerName(std::string* name) = 0;
  /// Folder of the running program file, without a trailing backslash.
  virtual std::string ProgramFolder() = 0;
  /// File name of the running program without folder and extension.
  virtual std::string ProgramName() = 0;
  /// A date in the system's long date format.
  virtual std::string FormatLongDate(const FileTime& time) = 0;
};

}  // namespace hw
