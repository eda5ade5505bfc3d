#include <gtest/gtest.h>

#include "cli/report_match.h"

namespace hw {
namespace {

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

FoundProblem Registry(long n, const char* section, const std::string& key, std::optional<std::string> value) {
  return {n, section, "HKEY_LOCAL_MACHINE", key, std::move(value), "", "", "", std::nullopt};
}
FoundProblem Shortcut(long n, const char* file) { return {n, "Scan", "", "", std::nullopt, "", "", "", file}; }

// An edited report narrows the repair to what the fresh scan confirms.
TEST(ReportMatch, OnlyProblemsTheFreshScanConfirms) {
  const std::vector<FoundProblem> fresh = {
      Registry(1, "SL", "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", "C:\\gone.dll"),
      Registry(2, "SP", kRun, "Updater"),
      Registry(3, "SP", kRun, ""),
      Registry(4, "CC", "CLSID\\{1}\\InprocServer32", std::nullopt),
      Shortcut(5, "C:\\Users\\anna\\Desktop\\Old.lnk"),
      Shortcut(6, "D:\\Links\\Old.lnk"),
  };
  const struct {
    const char* what;
    std::vector<FoundProblem> listed;
    std::vector<long> numbers;
  } cases[] = {
      {"everything listed", fresh, {1, 2, 3, 4, 5, 6}},
      {"nothing listed", {}, {}},
      {"other case", {Registry(9, "SP", "SOFTWARE\\microsoft\\windows\\currentVersion\\RUN", "UPdater")}, {2}},
      {"the default value is not the named one", {Registry(9, "SP", kRun, "")}, {3}},
      {"a key match is not a value match", {Registry(9, "CC", "CLSID\\{1}\\InprocServer32", "")}, {}},
      {"another section is not the same problem", {Registry(9, "HR", kRun, "Updater")}, {}},
      {"a problem the fresh scan does not find", {Registry(9, "SP", kRun, "Other")}, {}},
      {"a shortcut by its file", {Shortcut(1, "c:\\users\\ANNA\\desktop\\old.lnk")}, {5}},
      {"a shortcut is not a registry problem", {Registry(5, "Scan", "", std::nullopt)}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ConfirmedNumbers(fresh, c.listed), c.numbers) << c.what;

  const std::vector<std::string> sections = {"CC", "SL", "SP", "Scan"};
  EXPECT_EQ(SectionsListed({fresh[4], fresh[1], fresh[0], fresh[3]}), sections);
  EXPECT_EQ(DrivesListed(fresh), (std::vector<std::string>{"C", "D"}));
}

}  // namespace
}  // namespace hw
