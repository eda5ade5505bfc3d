#include <set>

#include "checks/section_catalogue.h"
#include "cli/printable_text.h"
#include "cli/scan_report.h"
#include "fuzz/fuzz_checks.h"
#include "support/report_samples.h"

namespace hw::fuzz {
namespace {

bool Printable(const std::string& text, bool lineEnds) {
  for (unsigned char c : text)
    if ((c < 0x20 && !(lineEnds && c == '\n')) || c == 0x7F) return false;
  return ValidUtf8(text) == text;
}

// The CSV and text forms of a report the reader took or a scan made.
void CheckOtherForms(const ScanReport& report) {
  std::vector<test::CsvRecord> records;
  std::string error;
  Require(test::ReadCsv(ReportCsv(report), &records, &error), "the CSV is not RFC 4180: " + error);
  Require(records.size() == report.problems.size() + 1, "the CSV has not one row per problem");
  const test::CsvRecord header = {"number", "section", "root", "key", "value", "data", "path", "missing", "shortcut"};
  Require(records[0] == header, "the CSV header is not the nine fields in order");
  for (std::size_t i = 0; i < report.problems.size(); ++i) {
    FoundProblem valid = report.problems[i];
    for (std::string* s : {&valid.root, &valid.key, &valid.data, &valid.path, &valid.missing}) *s = ValidUtf8(*s);
    if (valid.value) valid.value = ValidUtf8(*valid.value);
    if (valid.shortcut) valid.shortcut = ValidUtf8(*valid.shortcut);
    Require(records[i + 1] == test::CsvRecordOf(valid), "a CSV row differs from its problem");
  }
  const std::string text = ReportText(report);
  Require(Printable(text, true), "the text report holds a control character or bytes that are not UTF-8");
  const std::size_t n = report.problems.size();
  const std::string count = std::to_string(n) + (n == 1 ? " problem " : " problems ");
  Require(report.problems.empty() ? text.find("\nNo problems found; ") != std::string::npos
                                  : text.find("\n" + count + "found in ") != std::string::npos,
          "the text report's total line does not count the problems");
}

}  // namespace

void CheckReport(const std::string& input) {
  // The input as a report file.
  ScanReport report;
  report.version = "untouched";
  std::string error;
  if (!ReadReportJson(input, &report, &error)) {
    Require(!error.empty() && error.size() < 1024, "a refusal without a short message");
    Require(Printable(error, false), "a refusal's message holds a control character");
    Require(report.version == "untouched" && report.problems.empty(), "a refused report was half read");
  } else {
    std::set<long> numbers;
    for (const FoundProblem& p : report.problems) {
      Require(p.number > 0 && numbers.insert(p.number).second, "a problem number read that is not positive and unique");
      Require(FindSection(p.section) != nullptr, "a section read that is not a section code");
      Require(p.missing == "file" || p.missing == "folder" || p.missing == "drive" || p.missing == "target",
              "a missing kind read that is not one of the four");
    }
    const std::string written = ReportJson(report);
    ScanReport again;
    Require(ReadReportJson(written, &again, &error), "a report read back and written again is refused: " + error);
    Require(test::ReportDifference(report, again).empty(),
            "a report written again reads back different in " + test::ReportDifference(report, again));
    Require(ReportJson(again) == written, "writing a report that was read back is not stable");
    CheckOtherForms(report);
  }

  // The input as the texts of a scan (a hostile hive's names and data).
  static const ScanReport sample = test::SampleReport();
  ScanReport scan = sample;
  scan.problems[0].data = input;
  scan.problems[1].value = input;
  scan.problems[6].shortcut = input;
  scan.target.root = input;
  ScanReport back;
  Require(ReadReportJson(ReportJson(scan), &back, &error), "a scan's report is refused: " + error);
  Require(back.problems[0].data == ValidUtf8(input) && back.problems[1].value == ValidUtf8(input) &&
              back.problems[6].shortcut == ValidUtf8(input) && back.target.root == ValidUtf8(input),
          "a scan's texts do not read back as written (U+FFFD for bytes that are not UTF-8)");
  CheckOtherForms(scan);
}

}  // namespace hw::fuzz
