// A scan's report as JSON, in the field order of the documented schema.
#include <cmath>

#include <nlohmann/json.hpp>

#include "cli/scan_report.h"

namespace hw {
namespace {

using Json = nlohmann::ordered_json;

Json OrNull(const std::string& s) { return s.empty() ? Json(nullptr) : Json(s); }

Json OrNull(const std::optional<std::string>& s) { return s ? Json(*s) : Json(nullptr); }

}  // namespace

std::string ReportJson(const ScanReport& report) {
  Json target = {{"kind", report.target.kind},
                 {"root", OrNull(report.target.root)},
                 {"user", OrNull(report.target.user)},
                 {"windows", report.target.windows},
                 {"family", report.target.family}};
  Json sections = Json::array();
  for (const SectionTotal& s : report.sections)
    sections.push_back({{"code", s.code}, {"caption", s.caption}, {"problems", s.problems}});
  Json problems = Json::array();
  for (const FoundProblem& p : report.problems) {
    // A shortcut file has no registry location: null rather than "".
    const bool shortcut = p.section == kShortcutSectionCode;
    problems.push_back({{"number", p.number},
                        {"section", p.section},
                        {"root", shortcut ? OrNull(p.root) : Json(p.root)},
                        {"key", shortcut ? OrNull(p.key) : Json(p.key)},
                        {"value", OrNull(p.value)},
                        {"data", p.data},
                        {"path", p.path},
                        {"missing", p.missing},
                        {"shortcut", OrNull(p.shortcut)}});
  }
  // NaN and infinity have no JSON form (the library would write null).
  const double seconds = std::isfinite(report.seconds) && report.seconds > 0 ? report.seconds : 0.0;
  const Json json = {{"hivewright", report.version},
                     {"target", target},
                     {"sections", sections},
                     {"problems", problems},
                     {"summary",
                      {{"problems", static_cast<long>(report.problems.size())},
                       {"items", report.items},
                       {"seconds", seconds}}}};
  // Bytes that are not UTF-8 (a hostile hive's, past the backend's
  // conversion) become U+FFFD rather than an exception or an invalid file.
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace hw
