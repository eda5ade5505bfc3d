#pragma once
// The program-wide state of a scan, shared by the scan driver and the
// handlers that judge and record the findings. One instance for the run.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_services.h"

namespace hw {

struct ScanState {
  /// Code of the section being scanned ("RI"...); during the shortcut
  /// search the drive being searched ("C:").
  std::string CurrentSection;
  /// Number the next problem receives (1 at the start of a scan).
  std::int16_t ProblemNumber = 0;
  /// Problems recorded so far in the whole scan.
  std::int16_t ProblemsFound = 0;
  /// err.log and alerr.log, open for writing while a scan runs.
  std::unique_ptr<TextWriter> ErrLog;
  std::unique_ptr<TextWriter> AlErrLog;
  /// BinaryEntries.log, opened at the scan's first record and kept open
  /// until the logs are closed (each record is written straight through).
  std::unique_ptr<RecordFile> BinaryLog;
  /// The shortcut file whose target is being judged.
  std::string ShortcutFilePath;
  /// Set once the scan has recorded as many problems as the counters hold;
  /// later findings are dropped without a word.
  bool ProblemLimitReached = false;

  /// The counters as a new scan starts them.
  void StartCounting() {
    ProblemNumber = 1;
    ProblemsFound = 0;
    ProblemLimitReached = false;
  }
};

}  // namespace hw
