#pragma once
// The command line of hivewright-cli as data. Parsing never touches a file
// or the registry: it only says what was asked, or why the line is not one.
#include <string>
#include <vector>

namespace hw {

enum class CliCommand { kScan, kRepair, kBackups, kHelp, kVersion };
enum class BackupsAction { kList, kRestore, kExport, kDelete };
enum class ReportFormat { kText, kJson, kCsv };

struct DriveMapping {
  char letter = 'D';      ///< upper case, never 'C' (that is ROOT)
  std::string folder;     ///< a folder of this machine
};

struct CliOptions {
  CliCommand command = CliCommand::kHelp;

  // SELECTION (scan, repair)
  /// Canonical section codes ("RI", ..., "SuP", "Scan") in catalogue order,
  /// each once; empty: every section.
  std::vector<std::string> sections;
  /// Upper-case drive letters, each once, in the order given; empty: every
  /// fixed drive.
  std::vector<std::string> drives;
  bool noExclusions = false;

  // scan
  ReportFormat format = ReportFormat::kText;
  /// Report file (scan) or folder of the .reg files (backups export);
  /// empty: standard output / the current folder.
  std::string output;

  // repair
  std::string fromReport;
  std::string backupName;  ///< empty: a new automatic backup name
  bool noBackup = false;
  bool yes = false;

  // backups
  BackupsAction backupsAction = BackupsAction::kList;
  std::vector<std::string> backupNames;

  // TARGET
  bool offline = false;
  std::string root;
  std::string user;
  std::vector<DriveMapping> extraDrives;

  std::string logFolder, backupFolder;
  bool quiet = false;
};

struct CliParse {
  bool ok = false;
  /// Why the line is not a valid one (one line, no trailing newline).
  std::string error;
  CliOptions options;
};

/// `args` without the program name.
CliParse ParseCommandLine(const std::vector<std::string>& args);

/// The --help text.
std::string CliHelpText();
/// The one-line reminder printed after a usage error.
inline constexpr char kCliUsageHint[] = "Try 'hivewright-cli --help'.";

}  // namespace hw
