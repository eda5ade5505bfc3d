// scan: the Scanner run with a progress line, its findings written as a
// report on standard output or into --output.
#include <cstdio>

#include "cli/cli_commands.h"
#include "cli/progress_line.h"
#include "cli/scan_report.h"
#include "engine/drives.h"
#include "platform/interrupt.h"

namespace hw {
namespace {

class CommandObserver : public ScanObserver {
 public:
  CommandObserver(CliConsole& console, ProgressLine& progress) : console_(console), progress_(progress) {}

  void SectionStarted(const std::string& code, const std::string& caption) override {
    progress_.Section(code == kShortcutSectionCode ? "Shortcuts on " + caption : caption);
  }
  void PlaceSearched(const std::string&, long itemsWalked) override {
    items_ = itemsWalked;
    progress_.Counts(items_, problems_);
  }
  void ProblemFound(const FoundProblem&) override {
    progress_.Counts(items_, ++problems_);
  }
  // Polled between every two steps of a walk.
  bool StopRequested() override {
    if (console_.stepped) console_.stepped("scan");
    return InterruptRequested();
  }
  void Message(const std::string& text) override {
    progress_.Finish();
    Say(console_, text);
  }

 private:
  CliConsole& console_;
  ProgressLine& progress_;
  long items_ = 0, problems_ = 0;
};

bool WriteAll(std::FILE* f, const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), f) == text.size();
}

}  // namespace

ScanSelection SelectionOf(const CliOptions& o) {
  ScanSelection s;
  s.sections = o.sections;
  s.drives = o.drives;
  s.useExclusions = !o.noExclusions;
  return s;
}

CommandScan ScanForCommand(const ScanSelection& selection, const CliOptions& o, CliTarget& target,
                           CliConsole& console, Module1& module1) {
  module1.LogFolderOverride = target.LogFolder();
  const WindowsFolders windows{target.WindowsFolder(), target.WindowsFamily()};
  Scanner scanner(target.Get(), module1, windows);
  ProgressLine progress(console.err, console.errorIsTerminal && !o.quiet);
  CommandObserver observer(console, progress);
  CommandScan r;
  r.outcome = scanner.Run(selection, observer);
  progress.Finish();
  if (r.outcome.end == ScanOutcome::End::kStopped) {
    Say(console, "stopped by Ctrl+C; the problem logs are closed");
    r.status = kExitStopped;
  } else if (r.outcome.end == ScanOutcome::End::kFailed) {
    Say(console, "the scan failed: " + r.outcome.error);
    r.status = kExitCannotOpen;
  }
  return r;
}

int RunScanCommand(const CliOptions& o, CliTarget& target, CliConsole& console) {
  Module1 module1(target.Get());
  const CommandScan scan = ScanForCommand(SelectionOf(o), o, target, console, module1);
  if (scan.status != 0) return scan.status;

  ScanReport report;
  report.version = HIVEWRIGHT_VERSION;
  report.target = target.Report();
  report.sections = scan.outcome.sections;
  report.problems = scan.outcome.problems;
  report.items = scan.outcome.items;
  report.seconds = scan.outcome.seconds;
  const std::string text = o.format == ReportFormat::kJson  ? ReportJson(report)
                           : o.format == ReportFormat::kCsv ? ReportCsv(report)
                                                            : ReportText(report);
  if (o.output.empty()) {
    WriteAll(console.out, text);
    std::fflush(console.out);
  } else {
    bool written = false;
    if (std::FILE* f = std::fopen(o.output.c_str(), "wb")) {
      written = WriteAll(f, text);
      written = std::fclose(f) == 0 && written;
    }
    if (!written) {
      Say(console, "the report " + o.output + " cannot be written");
      return kExitCannotOpen;
    }
  }
  return report.problems.empty() ? kExitOk : kExitProblems;
}

}  // namespace hw
