// A scan's report as JSON, in the field order of the documented schema.
#include <cmath>

#include <nlohmann/json.hpp>

#include "cli/printable_text.h"
#include "cli/scan_report.h"

namespace hw {
namespace {

using Json = nlohmann::ordered_json;

// Every text goes through ValidUtf8, so that the JSON, CSV and text forms
// replace the same bytes by U+FFFD (one per byte that is not UTF-8).
Json Text(const std::string& s) { return Json(ValidUtf8(s)); }

Json OrNull(const std::string& s) { return s.empty() ? Json(nullptr) : Text(s); }

Json OrNull(const std::optional<std::string>& s) { return s ? Text(*s) : Json(nullptr); }

}  // namespace

std::string ReportJson(const ScanReport& report) {
  Json target = {{"kind", Text(report.target.kind)},
                 {"root", OrNull(report.target.root)},
                 {"user", OrNull(report.target.user)},
                 {"windows", Text(report.target.windows)},
                 {"family", Text(report.target.family)}};
  Json sections = Json::array();
  for (const SectionTotal& s : report.sections)
    sections.push_back({{"code", Text(s.code)}, {"caption", Text(s.caption)}, {"problems", s.problems}});
  Json problems = Json::array();
  for (const FoundProblem& p : report.problems) {
    // A shortcut file has no registry location: null rather than "".
    const bool shortcut = p.section == kShortcutSectionCode;
    problems.push_back({{"number", p.number},
                        {"section", Text(p.section)},
                        {"root", shortcut ? OrNull(p.root) : Text(p.root)},
                        {"key", shortcut ? OrNull(p.key) : Text(p.key)},
                        {"value", OrNull(p.value)},
                        {"data", Text(p.data)},
                        {"path", Text(p.path)},
                        {"missing", Text(p.missing)},
                        {"shortcut", OrNull(p.shortcut)}});
  }
  // NaN and infinity have no JSON form (the library would write null).
  const double seconds = std::isfinite(report.seconds) && report.seconds > 0 ? report.seconds : 0.0;
  const Json json = {{"hivewright", Text(report.version)},
                     {"target", target},
                     {"sections", sections},
                     {"problems", problems},
                     {"summary",
                      {{"problems", static_cast<long>(report.problems.size())},
                       {"items", report.items},
                       {"seconds", seconds}}}};
  // Texts are valid UTF-8 by now; the handler is the library's promise
  // never to throw on them.
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace hw
