// Reads back a report that ReportJson wrote, as the user may have edited
// it, and refuses anything else with the fault and where it is.
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "checks/section_catalogue.h"
#include "cli/printable_text.h"
#include "cli/scan_report.h"

namespace hw {
namespace {

using Json = nlohmann::json;

// A report nests three levels deep. The library's parser does not recurse,
// but a tree of a million nested arrays still costs memory and time for
// nothing: deeper input is refused before it is parsed.
constexpr int kMaxDepth = 32;

struct Fault {
  std::string what;
};

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
  throw Fault{where.empty() ? what : where + ": " + what};
}

// Line and column (1-based, in bytes) of the first bracket past kMaxDepth;
// empty when the nesting stays within it. Brackets inside strings do not
// count.
std::string TooDeepAt(const std::string& text) {
  int depth = 0, line = 1;
  std::size_t lineStart = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') {
      ++line;
      lineStart = i + 1;
    }
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxDepth)
        return "line " + std::to_string(line) + ", column " + std::to_string(i - lineStart + 1);
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return std::string();
}

// The library's message without its exception-kind prefix, printable and
// cut short (it quotes the bytes last read, which may be anything, and a
// whole long string).
std::string LibraryMessage(std::string what) {
  if (what.rfind("[json.exception.", 0) == 0) {
    const std::size_t end = what.find("] ");
    if (end != std::string::npos) what.erase(0, end + 2);
  }
  const std::string at = "parse error at ";
  if (what.rfind(at, 0) == 0) what.erase(0, at.size());
  constexpr std::size_t kShown = 240;
  return PrintableText(what.substr(0, kShown)) + (what.size() > kShown ? "..." : "");
}

// A text of the file quoted in a message: printable, and cut short.
std::string Quoted(const std::string& s) {
  constexpr std::size_t kShown = 60;
  return "\"" + PrintableText(s.substr(0, kShown)) + (s.size() > kShown ? "...\"" : "\"");
}

const Json& Field(const Json& object, const char* name, const std::string& where) {
  const auto it = object.find(name);
  if (it == object.end()) Fail(where, std::string("missing \"") + name + "\"");
  return *it;
}

std::string Name(const std::string& where, const char* field) {
  return where.empty() ? std::string(field) : where + "." + field;
}

std::string String(const Json& j, const std::string& where) {
  if (!j.is_string()) Fail(where, "not a string");
  return j.get<std::string>();
}

std::string StringOrNull(const Json& j, const std::string& where) {
  if (j.is_null()) return std::string();
  if (!j.is_string()) Fail(where, "not a string or null");
  return j.get<std::string>();
}

std::optional<std::string> OptionalString(const Json& j, const std::string& where) {
  if (j.is_null()) return std::nullopt;
  if (!j.is_string()) Fail(where, "not a string or null");
  return j.get<std::string>();
}

// A whole number from `least` to the largest long (32 bits on Windows).
long WholeNumber(const Json& j, long least, const std::string& where, const char* what) {
  bool fits = false;
  if (j.is_number_unsigned()) {
    fits = j.get<std::uint64_t>() <= static_cast<std::uint64_t>(std::numeric_limits<long>::max());
  } else if (j.is_number_integer()) {
    fits = j.get<std::int64_t>() <= std::numeric_limits<long>::max();
  }
  if (!fits || j.get<std::int64_t>() < least) Fail(where, std::string("not ") + what);
  return static_cast<long>(j.get<std::int64_t>());
}

std::string SectionCode(const Json& j, const std::string& where) {
  const std::string code = String(j, where);
  if (!FindSection(code))
    Fail(where, Quoted(code) + " is not a section code (RI, CC, SL, DD, WF, HR, SP, SuP, ArP, VD, Scan)");
  return code;
}

ReportTarget ReadTarget(const Json& j) {
  const std::string where = "target";
  if (!j.is_object()) Fail(where, "not an object");
  ReportTarget t;
  if (j.contains("kind")) {
    t.kind = String(j["kind"], Name(where, "kind"));
    if (t.kind != "live" && t.kind != "offline") Fail(Name(where, "kind"), Quoted(t.kind) + " is not \"live\" or \"offline\"");
  }
  if (j.contains("root")) t.root = StringOrNull(j["root"], Name(where, "root"));
  if (j.contains("user")) t.user = StringOrNull(j["user"], Name(where, "user"));
  if (j.contains("windows")) t.windows = StringOrNull(j["windows"], Name(where, "windows"));
  if (j.contains("family")) t.family = StringOrNull(j["family"], Name(where, "family"));
  return t;
}

std::vector<SectionTotal> ReadSections(const Json& j) {
  if (!j.is_array()) Fail("sections", "not an array");
  std::vector<SectionTotal> sections;
  for (std::size_t i = 0; i < j.size(); ++i) {
    const std::string where = "sections[" + std::to_string(i) + "]";
    const Json& s = j[i];
    if (!s.is_object()) Fail(where, "not an object");
    SectionTotal t;
    t.code = SectionCode(Field(s, "code", where), Name(where, "code"));
    t.caption = String(Field(s, "caption", where), Name(where, "caption"));
    t.problems = WholeNumber(Field(s, "problems", where), 0, Name(where, "problems"), "a whole number of at least 0");
    sections.push_back(t);
  }
  return sections;
}

std::vector<FoundProblem> ReadProblems(const Json& j) {
  if (!j.is_array()) Fail("problems", "not an array");
  std::vector<FoundProblem> problems;
  std::map<long, std::size_t> seen;
  for (std::size_t i = 0; i < j.size(); ++i) {
    const std::string where = "problems[" + std::to_string(i) + "]";
    const Json& o = j[i];
    if (!o.is_object()) Fail(where, "not an object");
    auto field = [&](const char* name) -> const Json& { return Field(o, name, where); };
    FoundProblem p;
    p.number = WholeNumber(field("number"), 1, Name(where, "number"), "a positive whole number");
    const auto [it, fresh] = seen.emplace(p.number, i);
    if (!fresh)
      Fail(Name(where, "number"), std::to_string(p.number) + " is also the number of problems[" +
                                      std::to_string(it->second) + "]");
    p.section = SectionCode(field("section"), Name(where, "section"));
    p.root = StringOrNull(field("root"), Name(where, "root"));
    p.key = StringOrNull(field("key"), Name(where, "key"));
    p.value = OptionalString(field("value"), Name(where, "value"));
    p.data = String(field("data"), Name(where, "data"));
    p.path = String(field("path"), Name(where, "path"));
    p.missing = String(field("missing"), Name(where, "missing"));
    if (p.missing != "file" && p.missing != "folder" && p.missing != "drive" && p.missing != "target")
      Fail(Name(where, "missing"), Quoted(p.missing) + " is not \"file\", \"folder\", \"drive\" or \"target\"");
    p.shortcut = OptionalString(field("shortcut"), Name(where, "shortcut"));
    problems.push_back(std::move(p));
  }
  return problems;
}

ScanReport ReadReport(const Json& json) {
  if (!json.is_object()) Fail("", "the report is not a JSON object");
  ScanReport r;
  r.problems = ReadProblems(Field(json, "problems", ""));
  if (json.contains("hivewright")) r.version = String(json["hivewright"], "hivewright");
  if (json.contains("target")) r.target = ReadTarget(json["target"]);
  if (json.contains("sections")) r.sections = ReadSections(json["sections"]);
  if (json.contains("summary")) {
    const Json& s = json["summary"];
    if (!s.is_object()) Fail("summary", "not an object");
    if (s.contains("items")) r.items = WholeNumber(s["items"], 0, "summary.items", "a whole number of at least 0");
    if (s.contains("seconds")) {
      const Json& seconds = s["seconds"];
      if (!seconds.is_number() || !(seconds.get<double>() >= 0) || !std::isfinite(seconds.get<double>())) Fail("summary.seconds", "not a number of at least 0");
      r.seconds = seconds.get<double>();
    }
  }
  return r;
}

}  // namespace

bool ReadReportJson(const std::string& text, ScanReport* report, std::string* error) {
  try {
    const std::string deep = TooDeepAt(text);
    if (!deep.empty()) Fail(deep, "nested deeper than " + std::to_string(kMaxDepth) + " levels");
    // The library keeps the last of two equal keys; a report edited into
    // holding two "value"s or "number"s is refused instead of read either way.
    std::vector<std::set<std::string>> keys;
    const Json::parser_callback_t noRepeatedKeys = [&keys](int, Json::parse_event_t event, Json& parsed) {
      if (event == Json::parse_event_t::object_start) {
        keys.emplace_back();
      } else if (event == Json::parse_event_t::object_end) {
        keys.pop_back();
      } else if (event == Json::parse_event_t::key && !keys.back().insert(parsed.get<std::string>()).second) {
        Fail("", "the key " + Quoted(parsed.get<std::string>()) + " appears twice in one object");
      }
      return true;
    };
    Json json;
    try {
      json = Json::parse(text, noRepeatedKeys);
    } catch (const Json::exception& e) {  // a syntax error, or a number past a double's range
      Fail("", "not JSON: " + LibraryMessage(e.what()));
    }
    *report = ReadReport(json);
    return true;
  } catch (const Fault& f) {
    if (error) *error = f.what;
    return false;
  }
}

}  // namespace hw
