#pragma once
// A scan's findings as the command-line program reports them, and the
// reader of its JSON form (for repair --from a report the user may have
// edited).
#include <string>
#include <vector>

#include "scan/found_problem.h"

namespace hw {

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

std::string ReportJson(const ScanReport& report);
/// RFC 4180: header line, one row per problem, CR LF, UTF-8.
std::string ReportCsv(const ScanReport& report);
/// The problems grouped by section as the results page shows them, then a
/// total line.
std::string ReportText(const ScanReport& report);

/// Reads a report written by ReportJson (possibly edited). False with
/// `*error` saying what and where when it is not one.
bool ReadReportJson(const std::string& text, ScanReport* report, std::string* error);

}  // namespace hw
