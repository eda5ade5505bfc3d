#pragma once
// The platform's real system information with one fact changed: where the
// program is installed (tests install it in their scratch area).
#include <memory>
#include <string>

#include "platform/system_info.h"

namespace hw::test {

class ProgramFolderSystemInfo : public SystemInfo {
 public:
  ProgramFolderSystemInfo(std::unique_ptr<SystemInfo> real, std::string programFolder)
      : real_(std::move(real)), folder_(std::move(programFolder)) {}
  std::string LogicalDriveStrings() override { return real_->LogicalDriveStrings(); }
  std::uint32_t DriveType(const std::string& root) override { return real_->DriveType(root); }
  std::string WindowsDirectory() override { return real_->WindowsDirectory(); }
  PlatformFamily Family() override { return real_->Family(); }
  bool GetEnvironmentVariable(const std::string& name, std::string* value) override {
    return real_->GetEnvironmentVariable(name, value);
  }
  bool ComputerName(std::string* name) override { return real_->ComputerName(name); }
  std::string ProgramFolder() override { return folder_; }
  std::string ProgramName() override { return real_->ProgramName(); }
  std::string FormatLongDate(const FileTime& time) override { return real_->FormatLongDate(time); }

 private:
  std::unique_ptr<SystemInfo> real_;
  std::string folder_;
};

}  // namespace hw::test
