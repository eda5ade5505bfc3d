// A scan's report as CSV (RFC 4180), one row per problem.
#include <optional>

#include "cli/printable_text.h"
#include "cli/scan_report.h"

namespace hw {
namespace {

// A null field is left empty; an empty text is written "" so that a
// reader can tell the default value ("") from a key match (null).
// Bytes that are not UTF-8 are written as U+FFFD, as in the JSON form.
std::string Field(const std::optional<std::string>& raw) {
  if (!raw) return std::string();
  const std::optional<std::string> text = ValidUtf8(*raw);
  if (!text->empty() && text->find_first_of(",\"\r\n") == std::string::npos) return *text;
  std::string quoted = "\"";
  for (char c : *text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::optional<std::string> OrNull(const std::string& s, bool nullWhenEmpty) {
  if (nullWhenEmpty && s.empty()) return std::nullopt;
  return s;
}

}  // namespace

std::string ReportCsv(const ScanReport& report) {
  std::string csv = "number,section,root,key,value,data,path,missing,shortcut\r\n";
  for (const FoundProblem& p : report.problems) {
    const bool shortcut = p.section == kShortcutSectionCode;
    const std::optional<std::string> fields[] = {
        std::to_string(p.number), p.section, OrNull(p.root, shortcut), OrNull(p.key, shortcut), p.value,
        p.data, p.path, p.missing, p.shortcut};
    bool first = true;
    for (const auto& f : fields) {
      if (!first) csv += ',';
      first = false;
      csv += Field(f);
    }
    csv += "\r\n";
  }
  return csv;
}

}  // namespace hw
