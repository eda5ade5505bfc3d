#include "ui/problem_details.h"

#include <cstdlib>
#include <vector>

#include "checks/exclusions.h"
#include "checks/exact_logs.h"
#include "checks/path_tests.h"
#include "checks/section_catalogue.h"
#include "engine/mani.h"
#include "platform/file_services.h"
#include "platform/shortcut_reader.h"
#include "platform/system_info.h"
#include "platform/vb_text.h"
#include "registry/scoped_key.h"

namespace hw {
namespace {

constexpr char kDefaultName[] = "(Default)";

// The location text of problem `number` in alerr.log; empty when none.
std::string LocationOf(Module1& m, long number) {
  const std::string prefix = std::to_string(number) + ".";
  for (const std::string& line : ReadExactLog(m.platform().files, m.GetLogFolder() + "\\alerr.log"))
    if (line.compare(0, prefix.size(), prefix) == 0) return line.substr(prefix.size());
  return std::string();
}

// Splits "ROOT,/key#(value)" where the repair splits it.
bool SplitLocation(const std::string& location, ProblemFacts& f) {
  const std::size_t p = InStr(location, ",/");
  if (p == 0) return false;
  f.root = Left(location, p - 1);
  const std::string rest = Mid(location, p + 2);
  const std::size_t q = InStr(rest, "#(");
  if (q == 0 || Module1::RootKeyFromName(f.root) == 0 || rest.back() != ')') return false;
  f.key = Left(rest, q - 1);
  f.valueName = rest.substr(q + 1, rest.size() - q - 2);
  return true;
}

bool ReadValue(Module1& m, const ProblemFacts& f, std::string* text) {
  RegistryApi& reg = m.platform().registry;
  ScopedKey key(reg, Module1::RootKeyFromName(f.root), f.key);
  if (!key.ok()) return false;
  const std::string name = f.valueName == kDefaultName ? std::string() : f.valueName;
  std::uint32_t type = 0, size = 0;
  if (reg.QueryValueEx(key.get(), name, &type, nullptr, &size) != kErrorSuccess) return false;
  std::vector<std::uint8_t> data(size);
  if (size > 0 && reg.QueryValueEx(key.get(), name, &type, data.data(), &size) != kErrorSuccess) return false;
  data.resize(size);
  *text = RegDataText(type, data);
  return true;
}

// An environment reference that starts the text, expanded as the rule of
// the shell folders expands it.
std::string Expanded(SystemInfo& system, const std::string& text) {
  if (text.empty() || text[0] != '%') return text;
  const std::size_t p2 = InStr(2, text, "%");
  std::string value;
  if (p2 <= 3 || !system.GetEnvironmentVariable(Mid(text, 2, p2 - 2), &value) || value.empty()) return text;
  return Trim(CutAtNul(value) + Mid(text, p2 + 1));
}

// A name with a three- or four-character extension reads as a file.
bool LooksLikeFile(const std::string& path) {
  const std::size_t n = path.size(), slash = path.rfind('\\');
  const std::size_t dot = path.rfind('.');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash) && (n - dot == 4 || n - dot == 5);
}

void FindMissing(FileServices& files, ProblemFacts& f) {
  std::string path = f.testedPath;
  // The rules test a command line by its part before its switches.
  for (const char* sep : {" /", " -"}) {
    const std::size_t at = path.find(sep);
    if (at != std::string::npos && at > 0) path = path.substr(0, at);
  }
  path = Trim(path);
  if (path.size() >= 2 && path[1] == ':' && !files.DriveExists(path.substr(0, 2) + "\\")) {
    f.missing = ProblemFacts::Missing::kDrive;
    f.missingPath = path.substr(0, 2);
    return;
  }
  f.missingPath = path;
  f.missing = LooksLikeFile(path) ? ProblemFacts::Missing::kFile : ProblemFacts::Missing::kFolder;
}

}  // namespace

std::string ProblemFacts::ExclusionEntry() const {
  return IsShortcut() ? shortcutFile : Exclusions::LocationText(root, key, valueName);
}

std::optional<ProblemFacts> FactsOfProblem(Module1& m, const TreeNode& node) {
  const TreeNode* parent = node.Parent();
  if (!parent || node.problemNumber <= 0) return std::nullopt;
  ProblemFacts f;
  const TreeNode* group = parent->Parent();
  if (group && group->key == "Scan") {
    f.sectionCode = "Scan";
    f.section = std::string(FindSection("Scan")->caption) + " (" + parent->text + ")";
  } else if (const Section* s = FindSection(parent->key)) {
    f.sectionCode = parent->key;
    f.section = s->caption;
  } else {
    return std::nullopt;
  }
  Platform& p = m.platform();
  const std::string location = LocationOf(m, node.problemNumber);
  if (f.IsShortcut()) {
    f.shortcutFile = node.text;
    f.data = p.shortcuts.TargetPath(node.text);
    // A shortcut file gone since the scan: alerr.log kept a folder target.
    if (f.data.empty() && location != node.text) f.data = location;
    f.valueFound = !f.data.empty();
    f.testedPath = f.data;
  } else {
    if (location.empty() || !SplitLocation(location, f)) return std::nullopt;
    f.valueFound = ReadValue(m, f, &f.data);
    const std::string& logged = node.text;
    if (f.sectionCode == "RI")
      f.testedPath = Expanded(p.system, logged);
    else if (f.sectionCode == "HR")
      f.testedPath = PathTests(p.files, p.system).ExtractPath((f.valueFound ? f.data : logged) + "\\" + f.valueName);
    else if (f.sectionCode == "SP")
      f.testedPath = f.valueName;
    else
      f.testedPath = logged;
  }
  FindMissing(p.files, f);
  return f;
}

std::string ProblemDetailsText(const ProblemFacts& f, const ResultsTexts& t) {
  std::string s;
  auto line = [&s](const std::string& label, const std::string& value) { s += label + ": " + value + "\r\n"; };
  line(t.sectionLabel, f.section);
  if (f.IsShortcut()) {
    line(t.shortcutLabel, f.shortcutFile);
  } else {
    line(t.rootLabel, f.root);
    line(t.keyLabel, f.key);
    line(t.valueLabel, f.valueName);
  }
  line(t.dataLabel, f.valueFound ? f.data : t.valueGone);
  line(t.testedLabel, f.testedPath);
  const std::string& missing = f.missing == ProblemFacts::Missing::kDrive    ? t.missingDrive
                               : f.missing == ProblemFacts::Missing::kFolder ? t.missingFolder
                                                                             : t.missingFile;
  s += Replace(missing, "%1", f.missingPath);
  return s;
}

}  // namespace hw
