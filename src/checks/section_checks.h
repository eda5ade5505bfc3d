#pragma once
// The rules that make a found registry entry a problem, per section, and
// the recording of each problem in the three logs and the counters. The
// main window's handlers of the search engine's events.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "checks/exclusions.h"
#include "checks/found_problem.h"
#include "checks/path_tests.h"
#include "checks/problem_logs.h"
#include "checks/scan_counters_view.h"
#include "checks/scan_state.h"
#include "engine/mani.h"
#include "registry/module1.h"

namespace hw {

/// Most problems one scan records: the problem number after the last one
/// must still fit the signed 16-bit counter.
constexpr std::int16_t kMaxProblemsPerScan = 32766;

/// Shown once when a scan reaches kMaxProblemsPerScan.
inline constexpr char kProblemLimitMessage[] =
    "32766 problems have been found, as many as one scan can record. "
    "The scan stops here; repair these problems and scan again.";

/// Adds `step` to a signed 16-bit counter; RuntimeError 6 ("Overflow")
/// when the sum leaves the range.
std::int16_t CheckedAdd16(std::int16_t value, int step);
/// A counter caption read as a 16-bit integer: RuntimeError 13 when it is
/// not a number, 6 when it does not fit.
std::int16_t CaptionNumber(const std::string& caption);

class SectionChecks : public ManiEvents {
 public:
  /// `stopWalk` asks the running walk to stop (the engine's StopSearch).
  SectionChecks(Module1& module1, PathTests& paths, ProblemLogs& logs, ScanState& state,
                ScanCountersView& view, std::function<void()> stopWalk)
      : m_(module1),
        paths_(paths),
        logs_(logs),
        state_(state),
        view_(view),
        stopWalk_(std::move(stopWalk)) {}

  /// The Windows folder found at start-up, for the fonts rule.
  std::string WindowsFolder;
  /// Entries never reported; null: none.
  const Exclusions* exclusions = nullptr;
  /// Gets every recorded problem as data, after its log lines (unset: none).
  std::function<void(const FoundProblem&)> ProblemSink;
  /// Takes the messages instead of a message box (unset: the box).
  /// `limit`: the problem-limit message; else an error trap's description.
  std::function<void(const std::string& text, bool limit)> MessageSink;
  /// Judges one found entry by the rule of CurrentSection and records it
  /// when it is a problem. A run-time error shows its description and
  /// restores the first-page layout; what was written stays written.
  void sReg_SearchFound(std::string sRootKey, std::string sKey, std::string sStringName,
                        std::string sValue, const std::vector<std::uint8_t>& ArrByte,
                        std::int32_t lFound);
  /// Judges the target of the shortcut file in ShortcutFilePath: a problem
  /// (counter 10, no byte record) only when nothing exists at the target.
  /// err.log gets the shortcut file; alerr.log the target when it was taken
  /// for a folder, else the shortcut file. A run-time error shows its
  /// description, restores the first-page layout and stops the search.
  void sReg_ShortFound(const std::string& short_path);
  /// The err.log text of a found entry when the rule of `section` makes it
  /// a problem now; empty when it is none. Records nothing.
  std::string ProblemTextNow(const std::string& section, const std::string& sRootKey, const std::string& sKey,
                             std::string sStringName, std::string sValue, std::string* byteLogText);
  /// Shows the name of the key being entered in Label3.
  void sReg_SearchKeyChanged(const std::string& sKName);

  /// Records one problem: err.log line, alerr.log line, byte record (when
  /// `withByteRecord`), then numbers and counters. Throws on failure.
  void RecordProblem(const std::string& logText, const std::string& locationText,
                     bool withByteRecord, const std::vector<std::uint8_t>& bytes,
                     const std::string& byteLogText, int counterIndex);

  /// False (and, the first time, one message and a stop request) once the
  /// scan holds as many problems as it can number.
  bool RoomForProblem();

  // ManiEvents
  void SearchFound(const std::string& sRootKey, const std::string& sKey,
                   const std::string& sStringName, const std::string& sValue,
                   const std::vector<std::uint8_t>& ArrByte, std::int32_t lFound) override {
    sReg_SearchFound(sRootKey, sKey, sStringName, sValue, ArrByte, lFound);
  }
  void SearchKeyChanged(const std::string& sFullKeyName) override {
    sReg_SearchKeyChanged(sFullKeyName);
  }
  void ShortFound(const std::string& short_path) override { sReg_ShortFound(short_path); }

 private:
  struct Verdict {
    bool problem = false;
    std::string logText;
    std::string byteLogText;
    int counterIndex = 0;
    /// The path whose existence was tested, and what of it is missing.
    std::string testedPath;
    std::string missing;
  };
  void Tell(const std::string& text, bool limit);
  /// "drive" when the path's drive does not exist, else `otherwise`.
  std::string MissingPart(const std::string& path, const char* otherwise);
  Verdict Judge(const std::string& section, const std::string& sStringName,
                const std::string& sValue);

  Module1& m_;
  PathTests& paths_;
  ProblemLogs& logs_;
  ScanState& state_;
  ScanCountersView& view_;
  std::function<void()> stopWalk_;
};

}  // namespace hw
