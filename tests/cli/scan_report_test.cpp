#include <gtest/gtest.h>

#include <limits>

#include <nlohmann/json.hpp>

#include "cli/scan_report.h"
#include "support/report_samples.h"

namespace hw {
namespace {

using Json = nlohmann::json;

const char kReplacement[] = "\xEF\xBF\xBD";

// A C0 control character other than `allowed`, or DEL too when `del`.
bool HasRawControl(const std::string& text, char allowed, bool del = true) {
  for (unsigned char c : text)
    if ((c < 0x20 && c != static_cast<unsigned char>(allowed)) || (del && c == 0x7F)) return true;
  return false;
}

// What the reader makes of `text`: the first field in which it differs
// from `want`, or why it refused it.
std::string ReadDifference(const std::string& text, const ScanReport& want) {
  ScanReport back;
  std::string error;
  return ReadReportJson(text, &back, &error) ? test::ReportDifference(want, back) : "refused: " + error;
}

// Each problem's fields in JSON as the schema gives them, checked against
// the library's own parse; then our reader gives back the same report.
TEST(ScanReport, JsonCarriesEveryFieldAndReadsBackExactly) {
  for (const ScanReport& report : {test::SampleReport(), test::SampleLiveReport()}) {
    const std::string text = ReportJson(report);
    const Json j = Json::parse(text);
    EXPECT_EQ(j["hivewright"], report.version);
    const Json none = nullptr, root = report.target.root, user = report.target.user;
    const bool live = report.target.kind == "live";
    EXPECT_EQ(j["target"], (Json{{"kind", report.target.kind}, {"root", live ? none : root},
                                 {"user", live ? none : user}, {"windows", "C:\\Windows"}, {"family", "WIN2K"}}));
    EXPECT_EQ(j["sections"].size(), 11u);
    EXPECT_EQ(j["sections"][1], (Json{{"code", "CC"}, {"caption", "Custome Controls"}, {"problems", 1}}));
    EXPECT_EQ(j["sections"][10]["problems"], 3);
    const Json summary = {{"problems", report.problems.size()}, {"items", 123456}, {"seconds", report.seconds}};
    EXPECT_EQ(j["summary"], summary);

    // Null for a key match's value ("" is the default value), and for the
    // root and key of a shortcut.
    auto orNull = [](const std::optional<std::string>& v) { return v ? Json(*v) : Json(nullptr); };
    ASSERT_EQ(j["problems"].size(), report.problems.size());
    for (std::size_t i = 0; i < report.problems.size(); ++i) {
      const FoundProblem& p = report.problems[i];
      const bool file = p.section == "Scan";
      const Json want = {{"number", p.number}, {"section", p.section},
                         {"root", file ? Json(nullptr) : Json(p.root)}, {"key", file ? Json(nullptr) : Json(p.key)},
                         {"value", orNull(p.value)}, {"data", p.data}, {"path", p.path}, {"missing", p.missing},
                         {"shortcut", orNull(p.shortcut)}};
      EXPECT_EQ(j["problems"][i], want) << "problem " << p.number;
    }
    EXPECT_EQ(ReadDifference(text, report), "");
  }
}

// Exact UTF-8 for every character, escapes only where JSON needs them. What
// a user's edits leave reads as it stands: problems removed, keys in another
// order, other white space, \u escapes (surrogate pairs beyond the BMP),
// notes of their own. Bytes that are not UTF-8 become U+FFFD, not a throw.
TEST(ScanReport, JsonEscapesWhatItMustAndReadsWhatEditsLeave) {
  const ScanReport report = test::SampleReport();
  const std::string text = ReportJson(report);
  for (const char* literal : {"\"Программа 软件 \xF0\x9F\x98\x80\"", "\"say \\\"hi\\\", ok\"",
                              "\"a\\\\b\\\\\\\\c\\t\\r\\n\\u0001\\u001b[31m\\u001f\x7f\\u0000end\""})
    EXPECT_NE(text.find(literal), std::string::npos) << literal;
  EXPECT_FALSE(HasRawControl(text, '\n', false));  // DEL needs no escape in JSON

  Json edited = Json::parse(text);
  edited["problems"].erase(1);
  edited["note"] = "checked by hand";
  ScanReport expected = report;
  expected.problems.erase(expected.problems.begin() + 1);
  // nlohmann::json sorts keys: the reordering comes with the dump.
  const std::string ascii = edited.dump(-1, ' ', true);
  EXPECT_NE(ascii.find("\\ud83d\\ude00"), std::string::npos);
  for (const std::string& form : {ascii, edited.dump(1, '\t'), "\r\n  " + edited.dump(7) + "\n\n"})
    EXPECT_EQ(ReadDifference(form, expected), "");
  EXPECT_EQ(ReadDifference(" {\"problems\" : [ ] } ", ScanReport{}), "");

  ScanReport hostile = report;
  hostile.problems[0].data = "bad \xFF\xC0\x80 end \xED\xA0\x80";
  hostile.seconds = std::numeric_limits<double>::quiet_NaN();
  const std::string json = ReportJson(hostile), r = kReplacement;
  hostile.problems[0].data = "bad " + r + r + r + " end " + r + r + r;
  hostile.seconds = 0;
  EXPECT_EQ(ReadDifference(json, hostile), "");
}

TEST(ScanReport, ReaderRefusesWhatIsNoReportAndSaysWhereTheFaultIs) {
  const std::string good =
      R"({"number": 1, "section": "SuP", "root": "HKEY_LOCAL_MACHINE", "key": "Run", "value": "a",)"
      R"( "data": "C:\\a.exe", "path": "C:\\a.exe", "missing": "file", "shortcut": null})";
  auto with = [&](const std::string& field, const std::string& json) {
    Json p = Json::parse(good);
    if (json.empty()) p.erase(field);
    else p[field] = Json::parse(json);
    return R"({"problems": [)" + p.dump() + "]}";
  };
  const struct {
    std::string input, message;
  } cases[] = {
      {"", "not JSON: line 1, column 1"},
      {"hivewright", "not JSON: line 1, column 1: syntax error"},
      {"[]", "the report is not a JSON object"},
      {"{\"problems\": []} x", "not JSON: line 1, column 18"},
      {"{}", "missing \"problems\""},
      {R"({"problems": {}})", "problems: not an array"},
      {R"({"problems": [1]})", "problems[0]: not an object"},
      {R"({"problems": [)" + good + ", 2]}", "problems[1]: not an object"},
      {with("path", ""), "problems[0]: missing \"path\""},
      {with("number", "0"), "problems[0].number: not a positive whole number"},
      {with("number", "-3"), "problems[0].number: not a positive whole number"},
      {with("number", "1.5"), "problems[0].number: not a positive whole number"},
      {with("number", "1e3"), "problems[0].number: not a positive whole number"},
      {with("number", "\"1\""), "problems[0].number: not a positive whole number"},
      {with("number", "99999999999999999999"), "problems[0].number: not a positive whole number"},
      {with("number", "4294967296"), sizeof(long) == 4 ? "problems[0].number: not a positive whole number" : ""},
      {R"({"problems": [)" + good + ", " + good + "]}", "problems[1].number: 1 is also the number of problems[0]"},
      {with("section", "\"XX\""), "problems[0].section: \"XX\" is not a section code"},
      {with("section", "\"sup\""), "problems[0].section: \"sup\" is not a section code"},
      {with("section", "\"\\u001b[2J\""), "problems[0].section: \"<U+001B>[2J\" is not a section code"},
      {with("section", "null"), "problems[0].section: not a string"},
      {with("value", "5"), "problems[0].value: not a string or null"},
      {with("data", "null"), "problems[0].data: not a string"},
      {with("shortcut", "[]"), "problems[0].shortcut: not a string or null"},
      {with("missing", "\"gone\""),
       "problems[0].missing: \"gone\" is not \"file\", \"folder\", \"drive\" or \"target\""},
      {R"({"problems": [], "target": {"kind": "remote"}})", "target.kind: \"remote\" is not \"live\" or \"offline\""},
      {R"({"problems": [], "target": "C:"})", "target: not an object"},
      {R"({"problems": [], "sections": [{"code": "Q", "caption": "", "problems": 0}]})",
       "sections[0].code: \"Q\" is not a section code"},
      {R"({"problems": [], "sections": [{"code": "RI", "caption": "x", "problems": -1}]})",
       "sections[0].problems: not a whole number of at least 0"},
      {R"({"problems": [], "summary": {"seconds": -1}})", "summary.seconds: not a number of at least 0"},
      {R"({"problems": [], "summary": {"seconds": 1e400}})", "not JSON: number overflow"},
      {R"({"problems": [], "hivewright": 1})", "hivewright: not a string"},
      {R"({"problems": [{"number": 2, "number": 1}]})", "the key \"number\" appears twice in one object"},
      {R"({"problems": [], "problems": []})", "the key \"problems\" appears twice in one object"},
      {"{\"problems\": [], \"x\": \"\xFF\"}",
       "not JSON: line 1, column 24: syntax error while parsing value - invalid string: ill-formed UTF-8 byte"},
      {R"({"problems": [], "x": "\ud800"})",
       "not JSON: line 1, column 30: syntax error while parsing value - invalid string: surrogate"},
      {std::string(100000, '[') + std::string(100000, ']'), "line 1, column 33: nested deeper than 32 levels"},
      {"{\"problems\": [],\n \"x\": " + std::string(40, '{'), "line 2, column 38: nested deeper than 32 levels"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input.substr(0, 120));
    ScanReport report;
    report.version = "untouched";
    std::string error;
    EXPECT_EQ(ReadReportJson(c.input, &report, &error), c.message.empty()) << error;  // empty: fits a long here
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_FALSE(HasRawControl(error, ' '));
    EXPECT_TRUE(c.message.empty() || report.version == "untouched");
  }
}

TEST(ScanReport, TextGroupsTheProblemsAsTheResultsPageAndEndsWithTheTotal) {
  ScanReport report = test::SampleReport();
  report.seconds = 2.34;
  const std::string text = ReportText(report);
  EXPECT_EQ(text.substr(0, text.find('\n')),
            "Hivewright 1.0 scan of the installation in /mnt/windows disk "
            "(user alice; Windows folder C:\\Windows, WIN2K)");
  const std::string blocks[] = {
      "Registry Integrity (1)\n"
      "  1. C:\\Users\\alice\\Gone (folder missing)\n"
      "     HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders, "
      "value \"Personal\" = \"%USERPROFILE%\\Gone\"\n"
      "Custome Controls (1)\n"
      "  2. C:\\Gone\\x.dll (file missing)\n"
      "     HKEY_CLASSES_ROOT\\CLSID\\{0A1B}\\InprocServer32 (key) = \"C:\\Gone\\x.dll\"\n"
      "Software Locations (1)\n"
      "  3. C:\\Program Files\\Old\\old.exe (file missing)\n"
      "     HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\old.exe, default value = "
      "\"\"C:\\Program Files\\Old\\old.exe\"\"\n"
      "Device Drivers (0)\n",
      "value \"say \"hi\", ok\" = "
      "\"a\\b\\\\c<U+0009><U+000D><U+000A><U+0001><U+001B>[31m<U+001F><U+007F><U+0000>end\"\n"
      "Virtual Devices (0)\n"
      "Scan for Shortcuts (3)\n"
      "  C: (2)\n"
      "    7. C:\\Users\\Ёж\\Desktop\\app.lnk (file missing)\n"
      "       target \"D:\\Gone\\app.exe\"\n"
      "    9. C:\\Users\\alice\\Desktop\\old, \"folder\".lnk (folder missing)\n"
      "       target \"C:\\Old Folder\"\n"
      "  D: (1)\n"
      "    8. D:\\Links\\e drive.lnk (drive missing)\n"
      "       target \"E:\\\"\n"
      "\n"
      "9 problems found in 6 sections; 123456 items walked in 2.3 s.\n",
  };
  for (const std::string& b : blocks) EXPECT_NE(text.find(b), std::string::npos) << b << "\nin\n" << text;
  EXPECT_FALSE(HasRawControl(text, '\n'));
  EXPECT_NE(text.find("\nStartup Programmes (2)\n  4. gone.dll (target missing)\n"), std::string::npos);

  const struct {
    std::size_t problems;
    long items;
    double seconds;
    const char* total;
  } totals[] = {
      {0, 0, 0, "No problems found; 0 items walked in 0.0 s."},
      {1, 1, 0.04, "1 problem found in 1 section; 1 item walked in 0.0 s."},
      {2, 7, 61.26, "2 problems found in 2 sections; 7 items walked in 61.3 s."},
      {5, 7, 1.0, "5 problems found in 4 sections; 7 items walked in 1.0 s."},
  };
  for (const auto& t : totals) {
    ScanReport r = test::SampleLiveReport();
    r.problems.resize(t.problems);
    r.items = t.items;
    r.seconds = t.seconds;
    const std::string out = ReportText(r);
    EXPECT_EQ(out.substr(0, out.find('\n')),
              "Hivewright 1.0 scan of the running system (Windows folder C:\\Windows, WIN2K)");
    EXPECT_EQ(out.substr(out.rfind('\n', out.size() - 2) + 1), std::string(t.total) + "\n");
  }
}

}  // namespace
}  // namespace hw
