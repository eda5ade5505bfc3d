// repair: a fresh scan of the selection (or of a report's sections), the
// problems it confirms handed to the Repairer by number, behind a backup.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

#include "cli/cli_commands.h"
#include "cli/report_match.h"
#include "cli/scan_report.h"
#include "platform/interrupt.h"
#include "platform/runtime_error.h"
#include "platform/vb_text.h"
#include "registry/settings.h"
#include "repair/backup_store.h"
#include "repair/device_names.h"
#include "repair/repairer.h"

namespace hw {
namespace {

class CommandRepairObserver : public RepairObserver {
 public:
  explicit CommandRepairObserver(CliConsole& console) : console_(console) {}
  void Progress(std::size_t, std::size_t) override {
    if (console_.stepped) console_.stepped("repair");
  }
  bool StopRequested() override { return InterruptRequested(); }

 private:
  CliConsole& console_;
};

bool ReadFile(const std::string& path, std::string* text) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text->append(buffer, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

std::string PlaceOf(const FoundProblem& p) {
  if (p.shortcut) return *p.shortcut;
  std::string place = p.root + "\\" + p.key;
  if (p.value) place += " : " + (p.value->empty() ? std::string("(Default)") : *p.value);
  return place;
}

bool Agreed(const std::string& answer) {
  std::string a = Trim(answer);
  std::transform(a.begin(), a.end(), a.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return a == "y" || a == "yes";
}

}  // namespace

int RunRepairCommand(const CliOptions& o, CliTarget& target, CliConsole& console) {
  if (!o.backupName.empty() && IsDeviceName(Trim(o.backupName))) {
    Say(console, "'" + Trim(o.backupName) + "' is the name of a device, not of a backup file");
    return kExitUsage;
  }
  ScanSelection selection = SelectionOf(o);
  ScanReport listed;
  if (!o.fromReport.empty()) {
    std::string text, error;
    if (!ReadFile(o.fromReport, &text)) {
      Say(console, "the report " + o.fromReport + " cannot be read");
      return kExitCannotOpen;
    }
    if (!ReadReportJson(text, &listed, &error)) {
      Say(console, o.fromReport + " is not a report of 'scan --format json': " + error);
      return kExitUsage;
    }
    if (listed.target.kind != target.Report().kind)
      Say(console, "warning: the report is of a " + listed.target.kind + " target, this is a " +
                       target.Report().kind + " one; only what a fresh scan finds here is repaired");
    if (listed.problems.empty()) {
      std::fputs("The report lists no problems; nothing to repair.\n", console.out);
      return kExitOk;
    }
    selection.sections = SectionsListed(listed.problems);
    selection.drives = DrivesListed(listed.problems);
  }

  Module1 module1(target.Get());
  const CommandScan scan = ScanForCommand(selection, o, target, console, module1);
  if (scan.status != 0) return scan.status;
  const std::vector<FoundProblem>& fresh = scan.outcome.problems;
  std::vector<long> numbers;
  if (o.fromReport.empty()) {
    for (const FoundProblem& p : fresh) numbers.push_back(p.number);
  } else {
    numbers = ConfirmedNumbers(fresh, listed.problems);
    if (numbers.size() < listed.problems.size())
      Say(console, std::to_string(listed.problems.size() - numbers.size()) +
                       " of the report's problems are not found by a fresh scan and are left alone");
  }
  if (numbers.empty()) {
    std::fputs("No problems to repair.\n", console.out);
    return kExitOk;
  }

  if (!o.yes) {
    std::fprintf(console.err, "Repair %zu problems? [y/N] ", numbers.size());
    std::fflush(console.err);
    if (!console.readLine || !Agreed(console.readLine())) {
      std::fputs("Nothing repaired.\n", console.out);
      return kExitProblems;
    }
  }

  Settings settings(module1);
  std::string backupName = o.noBackup ? std::string() : Trim(o.backupName);
  try {
    if (!o.noBackup) {
      module1.EnsureFolderPath(target.BackupFolder());
      if (backupName.empty())
        backupName = BackupStore(target.Get().registry, target.Get().files, target.BackupFolder()).AutomaticName();
    }
  } catch (const RuntimeError& e) {
    Say(console, "the backup folder " + target.BackupFolder() + " cannot be made: " + e.Description());
    return kExitCannotOpen;
  }
  Repairer repairer(target.Get(), module1, settings, RepairTexts{}, backupName, target.WindowsFolder());
  CommandRepairObserver observer(console);
  const RepairOutcome outcome = repairer.RepairNumbers(numbers, &observer);

  std::map<long, const FoundProblem*> byNumber;
  for (const FoundProblem& p : fresh) byNumber[p.number] = &p;
  const RepairReport& r = outcome.report;
  std::fprintf(console.out, "Repaired %d of %zu problems.\n", r.repaired, numbers.size());
  if (r.noLongerAProblem > 0)
    std::fprintf(console.out, "%d were no problem any more and were left in place.\n", r.noLongerAProblem);
  for (const ProblemOutcome& p : outcome.problems) {
    if (p.result != ProblemOutcome::Result::kNotRepaired) continue;
    const auto it = byNumber.find(p.number);
    std::fprintf(console.out, "Not repaired: %ld %s: %s\n", p.number,
                 it == byNumber.end() ? "" : PlaceOf(*it->second).c_str(), p.reason.c_str());
  }
  if (!backupName.empty() && r.repaired > 0)
    std::fprintf(console.out, "Backup: %s (%s)\n", backupName.c_str(),
                 target.HostPathOf(Repairer::BackupFilePath(settings, backupName)).c_str());
  std::fflush(console.out);
  if (outcome.stopped) {
    Say(console, "stopped by Ctrl+C after a completed batch; " + std::to_string(outcome.notAttempted.size()) +
                     " problems were not attempted");
    return kExitStopped;
  }
  return r.NotRepairedCount() > 0 ? kExitProblems : kExitOk;
}

}  // namespace hw
