#include "support/report_samples.h"

#include "checks/section_catalogue.h"

namespace hw::test {
namespace {

const char kHkcu[] = "HKEY_CURRENT_USER";
const char kHklm[] = "HKEY_LOCAL_MACHINE";
const char kTricky[] = "a\\b\\\\c\t\r\n\x01\x1b[31m\x1f\x7f\0end";

std::vector<FoundProblem> SampleProblems() {
  return {
      {1, "RI", kHkcu, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
       std::string("Personal"), "%USERPROFILE%\\Gone", "C:\\Users\\alice\\Gone", "folder", std::nullopt},
      // A key match: no value.
      {2, "CC", "HKEY_CLASSES_ROOT", "CLSID\\{0A1B}\\InprocServer32", std::nullopt, "C:\\Gone\\x.dll",
       "C:\\Gone\\x.dll", "file", std::nullopt},
      // The default value.
      {3, "SL", kHklm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\old.exe", std::string(),
       "\"C:\\Program Files\\Old\\old.exe\"", "C:\\Program Files\\Old\\old.exe", "file", std::nullopt},
      {4, "SuP", kHklm, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", std::string("helper"),
       "rundll32.exe gone.dll,Start", "gone.dll", "target", std::nullopt},
      // Cyrillic, Chinese and a character beyond the BMP.
      {5, "SuP", kHkcu, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", std::string("Программа 软件 \xF0\x9F\x98\x80"),
       "C:\\Пользователи\\文件\\\xF0\x9F\x98\x80.exe", "C:\\Пользователи\\文件\\\xF0\x9F\x98\x80.exe", "file",
       std::nullopt},
      // Quotes, backslashes, commas, line ends, control characters, a NUL.
      {6, "ArP", kHklm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{a,b}", std::string("say \"hi\", ok"),
       std::string(kTricky, sizeof kTricky - 1), "C:\\a,b\\\"c\".exe", "file", std::nullopt},
      {7, "Scan", "", "", std::nullopt, "D:\\Gone\\app.exe", "D:\\Gone\\app.exe", "file",
       std::string("C:\\Users\\Ёж\\Desktop\\app.lnk")},
      {8, "Scan", "", "", std::nullopt, "E:\\", "E:\\", "drive", std::string("D:\\Links\\e drive.lnk")},
      {9, "Scan", "", "", std::nullopt, "C:\\Old Folder", "C:\\Old Folder", "folder",
       std::string("C:\\Users\\alice\\Desktop\\old, \"folder\".lnk")},
  };
}

}  // namespace

ScanReport SampleReport() {
  ScanReport r;
  r.version = "1.0";
  r.target = {"offline", "/mnt/windows disk", "alice", "C:\\Windows", "WIN2K"};
  r.problems = SampleProblems();
  for (const Section& s : SectionCatalogue()) {
    long n = 0;
    for (const FoundProblem& p : r.problems) n += p.section == s.code;
    r.sections.push_back({s.code, s.caption, n});
  }
  r.items = 123456;
  r.seconds = 2.25;
  return r;
}

ScanReport SampleLiveReport() {
  ScanReport r = SampleReport();
  r.target = {"live", "", "", "C:\\Windows", "WIN2K"};
  return r;
}

std::string ProblemDifference(const FoundProblem& a, const FoundProblem& b) {
  if (a.number != b.number) return "number";
  if (a.section != b.section) return "section";
  if (a.root != b.root) return "root";
  if (a.key != b.key) return "key";
  if (a.value != b.value) return "value";
  if (a.data != b.data) return "data";
  if (a.path != b.path) return "path";
  if (a.missing != b.missing) return "missing";
  if (a.shortcut != b.shortcut) return "shortcut";
  return std::string();
}

std::string ReportDifference(const ScanReport& a, const ScanReport& b) {
  if (a.version != b.version) return "hivewright";
  if (a.target.kind != b.target.kind) return "target.kind";
  if (a.target.root != b.target.root) return "target.root";
  if (a.target.user != b.target.user) return "target.user";
  if (a.target.windows != b.target.windows) return "target.windows";
  if (a.target.family != b.target.family) return "target.family";
  if (a.sections.size() != b.sections.size()) return "sections";
  for (std::size_t i = 0; i < a.sections.size(); ++i) {
    const SectionTotal &x = a.sections[i], &y = b.sections[i];
    if (x.code != y.code || x.caption != y.caption || x.problems != y.problems)
      return "sections[" + std::to_string(i) + "]";
  }
  if (a.problems.size() != b.problems.size()) return "problems";
  for (std::size_t i = 0; i < a.problems.size(); ++i) {
    const std::string d = ProblemDifference(a.problems[i], b.problems[i]);
    if (!d.empty()) return "problems[" + std::to_string(i) + "]." + d;
  }
  if (a.items != b.items) return "items";
  if (a.seconds != b.seconds) return "seconds";
  return std::string();
}

CsvRecord CsvRecordOf(const FoundProblem& p) {
  auto orNull = [&p](const std::string& s) {
    return p.section == kShortcutSectionCode && s.empty() ? std::nullopt : std::optional<std::string>(s);
  };
  return {std::to_string(p.number), p.section, orNull(p.root), orNull(p.key), p.value,
          p.data, p.path, p.missing, p.shortcut};
}

bool ReadCsv(const std::string& text, std::vector<CsvRecord>* records, std::string* error) {
  records->clear();
  CsvRecord record;
  std::size_t i = 0;
  auto fail = [&](const std::string& what) {
    *error = what + " at byte " + std::to_string(i);
    return false;
  };
  while (i < text.size()) {
    std::optional<std::string> field;
    if (text[i] == '"') {
      field.emplace();
      for (++i;; ++i) {
        if (i >= text.size()) return fail("an unclosed quote");
        if (text[i] != '"') {
          *field += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '"') {
          *field += '"';
          ++i;
        } else {
          ++i;
          break;
        }
      }
    } else {
      const std::size_t end = text.find_first_of(",\r\n\"", i);
      const std::size_t stop = end == std::string::npos ? text.size() : end;
      if (stop > i) field = text.substr(i, stop - i);
      i = stop;
      if (i < text.size() && text[i] == '"') return fail("a quote inside an unquoted field");
    }
    record.push_back(field);
    if (i >= text.size()) return fail("a record without its CR LF");
    if (text[i] == ',') {
      ++i;
      continue;
    }
    if (text.compare(i, 2, "\r\n") != 0) return fail("a line end other than CR LF");
    i += 2;
    records->push_back(std::move(record));
    record.clear();
  }
  return true;
}

}  // namespace hw::test
