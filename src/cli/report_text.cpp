// A scan's report for people: the sections as the results page lists them,
// each problem under its section (the shortcut files under their drive),
// then one total line.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>

#include "checks/section_catalogue.h"
#include "cli/printable_text.h"
#include "cli/scan_report.h"

namespace hw {
namespace {

std::string Counted(long n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Heading(const ScanReport& r) {
  std::string facts;
  if (!r.target.user.empty()) facts += "user " + r.target.user + "; ";
  if (!r.target.windows.empty()) facts += "Windows folder " + r.target.windows;
  if (!r.target.family.empty()) facts += (r.target.windows.empty() ? "" : ", ") + r.target.family;
  if (facts.size() >= 2 && facts.compare(facts.size() - 2, 2, "; ") == 0) facts.resize(facts.size() - 2);
  const std::string what = r.target.kind == "offline" ? "the installation in " + r.target.root
                                                      : std::string("the running system");
  return "Hivewright " + r.version + " scan of " + what + (facts.empty() ? "" : " (" + facts + ")");
}

void AddRegistryProblem(std::string& out, const FoundProblem& p) {
  out += "  " + std::to_string(p.number) + ". " + PrintableText(p.path) + " (" + PrintableText(p.missing) + " missing)\n";
  std::string where = p.key.empty() ? p.root : p.root + "\\" + p.key;
  if (!p.value)
    where += " (key)";
  else if (p.value->empty())
    where += ", default value";
  else
    where += ", value \"" + *p.value + "\"";
  out += "     " + PrintableText(where + " = \"" + p.data + "\"") + "\n";
}

void AddShortcutProblem(std::string& out, const FoundProblem& p) {
  out += "    " + std::to_string(p.number) + ". " + PrintableText(p.shortcut ? *p.shortcut : p.path) + " (" +
         PrintableText(p.missing) + " missing)\n";
  std::string target = "target \"" + p.data + "\"";
  if (p.path != p.data) target += ", tested as \"" + p.path + "\"";
  out += "       " + PrintableText(target) + "\n";
}

// The drive a shortcut file lies on, as the results page groups them.
std::string DriveOf(const FoundProblem& p) {
  const std::string& file = p.shortcut ? *p.shortcut : p.path;
  if (file.size() >= 2 && file[1] == ':' && std::isalpha(static_cast<unsigned char>(file[0])))
    return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(file[0])))) + ":";
  return "(no drive)";
}

}  // namespace

std::string ReportText(const ScanReport& report) {
  // The scan's sections in its order; a section that only the problems name
  // (an edited report) follows them.
  std::vector<SectionTotal> sections = report.sections;
  auto listed = [&sections](const std::string& code) {
    for (const SectionTotal& s : sections)
      if (s.code == code) return true;
    return false;
  };
  for (const FoundProblem& p : report.problems) {
    if (listed(p.section)) continue;
    const Section* known = FindSection(p.section);
    sections.push_back({p.section, known ? known->caption : p.section, 0});
  }

  std::string out = PrintableText(Heading(report)) + "\n\n";
  long withProblems = 0;
  for (const SectionTotal& s : sections) {
    std::vector<const FoundProblem*> mine;
    for (const FoundProblem& p : report.problems)
      if (p.section == s.code) mine.push_back(&p);
    // The count is that of the problems listed, as the page counts its nodes.
    out += PrintableText(s.caption) + " (" + std::to_string(mine.size()) + ")\n";
    if (!mine.empty()) ++withProblems;
    if (s.code != kShortcutSectionCode) {
      for (const FoundProblem* p : mine) AddRegistryProblem(out, *p);
      continue;
    }
    std::map<std::string, std::vector<const FoundProblem*>> drives;
    for (const FoundProblem* p : mine) drives[DriveOf(*p)].push_back(p);
    for (const auto& [drive, files] : drives) {
      out += "  " + drive + " (" + std::to_string(files.size()) + ")\n";
      for (const FoundProblem* p : files) AddShortcutProblem(out, *p);
    }
  }

  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", std::isfinite(report.seconds) ? report.seconds : 0.0);
  const long problems = static_cast<long>(report.problems.size());
  const std::string found = problems == 0 ? std::string("No problems found")
                                          : Counted(problems, "problem", "problems") + " found in " +
                                                Counted(withProblems, "section", "sections");
  out += "\n" + found + "; " + Counted(report.items, "item", "items") + " walked in " + seconds + " s.\n";
  return out;
}

}  // namespace hw
