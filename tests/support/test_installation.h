#pragma once
// An offline Windows installation for the command-line tests, made of
// copies of real hives: ROOT/Windows/System32/config/SYSTEM (the Windows 7
// SYSTEM of the shared test data), a SOFTWARE hive built here (profile
// list, program folders), and ROOT/Users/<name>/NTUSER.DAT (the Windows 10
// user hive) for each profile. The program's own folders (XDG_STATE_HOME,
// XDG_DATA_HOME) are pointed into the scratch area too. Removed when the
// object goes. Linux only: test_installation_hive.cpp.
#include <functional>
#include <string>
#include <vector>

#include "platform/registry_api.h"
#include "support/registry_builder.h"

namespace hw::test {

class TestInstallation {
 public:
  struct Shape {
    std::vector<std::string> profiles = {"anna"};
    std::string windowsName = "Windows";
    std::string profilesName = "Users";
  };
  /// Empty when the shared test data is there, else why the tests skip.
  static std::string SkipReason();

  TestInstallation() : TestInstallation(Shape{}) {}
  explicit TestInstallation(const Shape& shape);
  ~TestInstallation();
  TestInstallation(const TestInstallation&) = delete;
  TestInstallation& operator=(const TestInstallation&) = delete;

  /// The installation's folder (host path).
  const std::string& Root() const { return root_; }
  /// Host paths of the hives.
  std::string SoftwareHive() const;
  std::string SystemHive() const;
  std::string UserHive(const std::string& profile) const;
  /// Where the program keeps its own files in this test.
  std::string LogFolder() const { return scratch_ + "/state/hivewright/logs"; }
  std::string BackupFolder() const { return scratch_ + "/data/hivewright/backups"; }
  const std::string& Scratch() const { return scratch_; }

  /// Changes the hives through the hive backend (hivex), as the machine
  /// of `profile` sees them, and commits them.
  void Edit(const std::function<void(RegistryBuilder&, RegistryApi&)>& edit, const std::string& profile = "anna");
  /// Makes a file below ROOT (relative, '/'-separated), with its folders.
  void MakeFile(const std::string& relative, const std::string& bytes = "x");

 private:
  std::string scratch_, root_, profilesName_, windowsName_;
  std::string oldState_, oldData_;
  bool hadState_ = false, hadData_ = false;
};

/// Every value of a hive file (path, type, data), read through hivex, in
/// walk order: for "every other value is unchanged".
std::vector<std::string> HiveValues(const std::string& hivePath);

}  // namespace hw::test
