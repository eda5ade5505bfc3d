#pragma once
// What must hold when a reader of untrusted files meets any bytes at all.
// Each check feeds one input to a reader and to the procedures behind it,
// and throws Violation when a result breaks the reader's promise. The fuzz
// targets (*_fuzzer.cpp) and the regression test share these checks.
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace hw {
struct CliOptions;
}

namespace hw::fuzz {

struct Violation : std::logic_error {
  using std::logic_error::logic_error;
};

inline void Require(bool holds, const std::string& what) {
  if (!holds) throw Violation(what);
}

/// The input as the bytes of a scratch file, made anew.
inline void WriteInputFile(const std::string& path, const std::string& input) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(input.data(), static_cast<std::streamsize>(input.size()));
  Require(static_cast<bool>(out), "the scratch file " + path + " could not be written");
}

using Check = void (*)(const std::string& input);

/// The shortcut reader of the Linux build: ParseShortcutPaths and
/// TargetPath over a file of these bytes (1 MiB cap included).
void CheckShortcut(const std::string& input);
/// The language file reader and SetAllTxt over a language file of these
/// bytes: the file's texts applied exactly, or the defaults and one message.
void CheckLanguageFile(const std::string& input);
/// ParseBackupFile and RestoreBackupFile into a scratch hive: every record
/// restored exactly as its bytes say or counted as failed.
void CheckBackupFile(const std::string& input);
/// err.log and alerr.log (split at kAlErrLogMark): the results tree filled
/// from them and a repair planned over a registry that refuses every write.
void CheckProblemLogs(const std::string& input);
/// A hive file opened by the hive backend and walked by the registry
/// walker: refused with a message naming the file, or walked to its end
/// with every handle closed and the file untouched.
void CheckHive(const std::string& input);
/// The command line of hivewright-cli (arguments split at NUL and newline):
/// a usage error with a one-line message, or options that hold together.
void CheckCommandLine(const std::string& input);
/// Accepted options written out in one canonical spelling (`--name=value`,
/// sections in catalogue order, drives as one word), words joined by spaces.
std::string CanonicalLine(const CliOptions& options);
/// ReadReportJson over these bytes: refused with a short printable message
/// and nothing read, or read as a report that, written again and read
/// again, gives the same report, with CSV and text forms that hold. The
/// same bytes as a scan's texts: written and read back exactly (U+FFFD for
/// bytes that are not UTF-8).
void CheckReport(const std::string& input);

inline constexpr char kAlErrLogMark[] = "\n--alerr.log--\n";

/// Inputs made by the program's own writers (backup records, logs in the
/// form a scan writes them), for seeds and for the regression test.
std::vector<std::string> BackupSeeds();
std::vector<std::string> ProblemLogSeeds();
std::vector<std::string> HiveSeeds();
std::vector<std::string> ReportSeeds();

struct Target {
  const char* name;  ///< also the folder of its inputs in regressions/
  Check check;
};
/// Every target, by name.
const std::vector<Target>& Targets();

}  // namespace hw::fuzz
