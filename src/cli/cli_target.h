#pragma once
// What a command works on: the platform interfaces over the running
// system's registry (Windows) or over an offline installation (Linux), with
// the log and backup folders of this run, and the facts a report names.
// Backends: cli_target_win32.cpp (live), cli_target_hive.cpp (offline).
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/scan_report.h"
#include "platform/platform.h"

namespace hw {

class CliTarget {
 public:
  virtual ~CliTarget() = default;
  virtual Platform& Get() = 0;
  /// Kind, root, user, Windows folder and family, as the report gives them.
  const ReportTarget& Report() const { return report_; }
  /// The Windows folder ("C:\Windows") and family ("WIN2K") of the target.
  std::string WindowsFolder() const { return report_.windows; }
  std::string WindowsFamily() const { return report_.family; }
  /// The folder of the problem logs and of the backups, as the core names
  /// them (Windows form).
  std::string LogFolder() const { return logFolder_; }
  std::string BackupFolder() const { return backupFolder_; }
  /// A Windows-form path of the core for a file of this machine's own
  /// (--output, export): for the offline target a path on the program's
  /// drive; empty when it cannot be reached.
  virtual std::string CorePathOf(const std::string& hostPath) const = 0;
  /// The file of this machine that a Windows-form path of the core names;
  /// empty when there is none.
  virtual std::string HostPathOf(const std::string& corePath) const = 0;

 protected:
  ReportTarget report_;
  std::vector<std::string> dirty_;
  std::string logFolder_, backupFolder_;
};

struct TargetOpening {
  /// 0 opened; 2 usage error; 3 something could not be opened; 4 a hive
  /// not saved cleanly would be written.
  int status = 0;
  std::string error;
  /// Said on standard error, the run goes on (a dirty hive, no profile).
  std::vector<std::string> warnings;
  std::unique_ptr<CliTarget> target;
};

/// `forWriting`: the command may change the registry (repair, restore).
/// A hive not saved cleanly is then refused with status 4 before anything
/// is opened for writing; otherwise it is opened read-only and named in
/// the warnings.
TargetOpening OpenCliTarget(const CliOptions& options, bool forWriting);

/// The message of a refused write to a hive not saved cleanly.
std::string DirtyHiveRefusal(const std::vector<std::string>& hives);

}  // namespace hw
