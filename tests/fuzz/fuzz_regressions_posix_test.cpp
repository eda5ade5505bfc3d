#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/fuzz_checks.h"
#include "support/host_file.h"
#include "support/lnk_writer.h"
#include "support/test_paths.h"

namespace hw::fuzz {
namespace {
namespace fs = std::filesystem;

void ExpectHolds(Check check, const std::string& input, const std::string& what) {
  try {
    check(input);
  } catch (const std::exception& e) {
    ADD_FAILURE() << what << ": " << e.what();
  }
}

// Every input that once broke a check, kept by target in regressions/.
TEST(FuzzRegressions, KeptMadeAndOversizedInputsPassTheChecks) {
  int inputs = 0;
  for (const Target& t : Targets()) {
    const fs::path folder = fs::path(test::SourceDir()) / "tests/fuzz/regressions" / t.name;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
      ExpectHolds(t.check, test::HostFileBytes(e.path().string()), e.path().string());
      ++inputs;
    }
  }
  EXPECT_GT(inputs, 0);
  // The seeds our own writers make, and inputs too large for a fuzz run.
  for (const std::string& s : BackupSeeds()) ExpectHolds(CheckBackupFile, s, "backup seed");
  for (const std::string& s : ProblemLogSeeds()) ExpectHolds(CheckProblemLogs, s, "log seed");
  for (const std::string& s : ReportSeeds()) ExpectHolds(CheckReport, s, "report seed");
  ExpectHolds(CheckReport, std::string(100000, '[') + std::string(100000, ']'), "a report nested 100,000 deep");
  ExpectHolds(CheckReport, "{\"problems\": [], \"x\": \"" + std::string(8 << 20, 'x') + "\"}", "a report of 8 MiB");
  const std::string manyLines = [] {
    std::string s;
    for (int i = 0; i < 400000; ++i) s += "1016=" + std::string(40, char('a' + i % 26)) + "\r\n";
    return s;
  }();
  const struct {
    const char* what;
    std::string bytes;
  } language[] = {
      {"a number too large for the identifier", "1016=Scan\r\n9e99=x\r\n"},
      {"a UTF-8 byte-order mark", "\xEF\xBB\xBF" "1016=Analyse\r\n"},
      {"binary bytes", std::string("1016=\0\xFF\x80\r\r\n\0\0\0\0", 16)},
      {"one line of 8 MiB", "1016=" + std::string(8 << 20, 'x')},
      {"a file of 18 MB", manyLines},
  };
  for (const auto& c : language) ExpectHolds(CheckLanguageFile, c.bytes, c.what);
  // Shortcuts above the 1 MiB cap are refused however valid.
  const std::string shortcut = test::lnk::ShortcutTo("C:\\Data\\a.txt");
  ExpectHolds(CheckShortcut, shortcut + std::string((1 << 20) + 1 - shortcut.size(), '\0'), "a shortcut over the cap");
}

}  // namespace
}  // namespace hw::fuzz
