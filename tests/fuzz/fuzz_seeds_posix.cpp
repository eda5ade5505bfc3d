#include <nlohmann/json.hpp>

#include "cli/scan_report.h"
#include "fuzz/fuzz_checks.h"
#include "platform/registry_api.h"
#include "repair/backup_file.h"
#include "support/report_samples.h"

namespace hw::fuzz {

const std::vector<Target>& Targets() {
  static const std::vector<Target> targets = {{"shortcut", CheckShortcut},
                                              {"language", CheckLanguageFile},
                                              {"backup", CheckBackupFile},
                                              {"logs", CheckProblemLogs},
                                              {"hive", CheckHive},
                                              {"report", CheckReport},
                                              {"cli", CheckCommandLine}};
  return targets;
}

std::vector<std::string> BackupSeeds() {
  auto slots = [](const std::vector<BackupRecord>& records) {
    std::string file;
    for (const BackupRecord& r : records) {
      const std::vector<std::uint8_t> s = r.ToSlots();
      file.append(s.begin(), s.end());
    }
    return file;
  };
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  std::vector<std::uint8_t> text = {'C', ':', '\\', 'a', '.', 'e', 'x', 'e', 0};
  std::vector<std::uint8_t> multi = {'o', 'n', 'e', 0, 't', 'w', 'o', 0, 0};
  std::vector<std::uint8_t> longData(3000);
  for (std::size_t i = 0; i < longData.size(); ++i) longData[i] = std::uint8_t(i * 7 + 1);
  const std::vector<BackupRecord> records = {
      {kHkeyLocalMachine, run, "app", kRegSz, text, true},
      {kHkeyCurrentUser, run, "", kRegExpandSz, text, true},
      {kHkeyLocalMachine, "Software\\HwTest\\Multi", "multi", kRegMultiSz, multi, true},
      {kHkeyLocalMachine, "Software\\HwTest", "number", kRegDword, {5, 0, 0, 0}, true},
      {kHkeyClassesRoot, "CLSID\\{HW-1}\\InprocServer32", "", kRegSz, text, true},
      {kHkeyLocalMachine, "Software\\HwTest\\" + std::string(300, 'k'), " spaced ", kRegBinary, longData, true},
  };
  const std::string all = slots(records);
  // A record as the classic layout alone keeps it: the extension wiped.
  std::string classic = slots({records[0]});
  classic.replace(kBackupContentLength, classic.size() - kBackupContentLength, std::string(515, '\0'));
  return {all, slots({records[0]}), slots({records[5]}), classic, all.substr(0, all.size() - 700),
          slots({records[0], records[0]}) + classic.substr(0, kBackupContentLength)};
}

std::vector<std::string> ReportSeeds() {
  const ScanReport report = test::SampleReport();
  ScanReport one = test::SampleLiveReport();
  one.problems.resize(1);
  const std::string full = ReportJson(report);
  // The same report as a user's tool might leave it: on one line, its keys
  // sorted and the characters beyond ASCII escaped.
  const std::string compact = nlohmann::json::parse(full).dump(-1, ' ', true);
  return {full, ReportJson(one), ReportJson(ScanReport{}), compact, "{\"problems\": []}",
          "{\"problems\": [{\"number\": 1, \"value\": \"\\ud83d\\ude00\\u00e9\"}]}"};
}

}  // namespace hw::fuzz
