#pragma once
// A scan's findings as the command-line program reports them, and the
// reader of its JSON form (for repair --from a report the user may have
// edited).
#include <string>
#include <vector>

#include "scan/found_problem.h"

namespace hw {

/// The section code of the shortcut files, whose problems have no registry
/// location (root and key null in JSON).
inline constexpr char kShortcutSectionCode[] = "Scan";

struct ReportTarget {
  /// "live" or "offline".
  std::string kind = "live";
  /// Offline only (empty: null in JSON): the installation's folder on this
  /// machine and the profile taken as HKEY_CURRENT_USER.
  std::string root, user;
  /// "C:\Windows" and "WIN2K" (or "WIN9X", empty when unknown).
  std::string windows, family;
};

struct ScanReport {
  std::string version;
  ReportTarget target;
  std::vector<SectionTotal> sections;
  std::vector<FoundProblem> problems;
  long items = 0;
  double seconds = 0;
};

/// The documented JSON schema, pretty-printed, UTF-8 (not ASCII-escaped).
/// Bytes that are not UTF-8 are written as U+FFFD. Never throws on content.
std::string ReportJson(const ScanReport& report);
/// RFC 4180: header line, one row per problem, CR LF, UTF-8. A null field
/// is empty; an empty string is written "" so the two stay apart. Bytes
/// that are not UTF-8 are written as U+FFFD.
std::string ReportCsv(const ScanReport& report);
/// The problems grouped by section as the results page shows them (the
/// shortcut section by drive), then a total line. Control characters are
/// shown as <U+XXXX> and bytes that are not UTF-8 as U+FFFD, so a hostile
/// name cannot drive the terminal.
std::string ReportText(const ScanReport& report);

/// Reads a report written by ReportJson (possibly edited: problems removed,
/// whitespace, keys reordered). "problems" is required, every problem with
/// all its fields; "hivewright", "target", "sections" and "summary" may be
/// left out (defaults) but are checked when present; a key twice in one
/// object is refused. Null reads as "" for
/// root, key, user and the target's texts. False with `*error` saying what
/// and where (a line and column, or a field such as `problems[2].number`)
/// when it is not such a report; `*report` is then unchanged.
bool ReadReportJson(const std::string& text, ScanReport* report, std::string* error);

}  // namespace hw
