#pragma once
// Scan reports for the tests of the report writers and reader, and for
// the seeds of the report fuzz target: every kind of missing thing, key
// matches and default values, shortcut files on two drives, and texts that
// JSON and CSV must escape or carry exactly.
#include <optional>
#include <string>
#include <vector>

#include "cli/scan_report.h"

namespace hw::test {

/// An offline scan whose problems cover the cases above, with the
/// eleven sections' totals in catalogue order.
ScanReport SampleReport();
/// The same problems from a scan of the running system.
ScanReport SampleLiveReport();

/// The first field in which the two differ ("number", "value", ...), or
/// empty when they are the same.
std::string ProblemDifference(const FoundProblem& a, const FoundProblem& b);
/// The same over two whole reports ("problems[3].data", "target.root",
/// "sections", "items", ...), or empty.
std::string ReportDifference(const ScanReport& a, const ScanReport& b);

/// Records of RFC 4180 text: quoted fields with doubled quotes, CR LF
/// between records. False with `*error` at the first departure from it
/// (a bare LF or CR, a quote inside an unquoted field, an unclosed quote).
/// A quoted empty field reads as "", an unquoted one as null (nullopt).
using CsvRecord = std::vector<std::optional<std::string>>;
bool ReadCsv(const std::string& text, std::vector<CsvRecord>* records, std::string* error);
/// The CSV record of a problem whose texts are UTF-8: root and key null in
/// the shortcut section, value and shortcut null when they are absent.
CsvRecord CsvRecordOf(const FoundProblem& p);

}  // namespace hw::test
