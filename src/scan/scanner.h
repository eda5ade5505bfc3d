#pragma once
// The scan as a component of its own: the chosen sections walked one after
// another over the platform interfaces, every problem recorded in the
// problem logs as the window writes them and reported as data. The window
// and the command-line program both drive it.
#include <string>
#include <vector>

#include "scan/found_problem.h"

namespace hw {

struct ScanSelection {
  /// Section codes in any case ("RI", ..., "Scan"); empty: every section.
  std::vector<std::string> sections;
  /// Drive letters whose shortcut files are searched ("C", "D"); empty:
  /// every fixed drive. Used only when "Scan" is chosen.
  std::vector<std::string> drives;
  /// False: the user's exclusion list is ignored for this scan.
  bool useExclusions = true;
};

/// What the scan tells and asks while it runs. Every call comes between two
/// steps of a walk, on the scanning thread.
class ScanObserver {
 public:
  virtual ~ScanObserver() = default;
  virtual void SectionStarted(const std::string& /*code*/, const std::string& /*caption*/) {}
  virtual void SectionFinished(const std::string& /*code*/, long /*problems*/) {}
  /// The key or folder being searched; called often (throttle in the observer).
  virtual void PlaceSearched(const std::string& /*place*/, long /*itemsWalked*/) {}
  virtual void ProblemFound(const FoundProblem& /*problem*/) {}
  /// Polled between steps: true ends the scan at once with its logs closed.
  virtual bool StopRequested() { return false; }
  /// A message the window would show in a box (an error trap, the problem
  /// limit); the scan goes on or ends as the window's does.
  virtual void Message(const std::string& /*text*/) {}
};

struct ScanOutcome {
  enum class End { kFinished, kStopped, kFailed } end = End::kFinished;
  /// Why it failed (a run-time error's description).
  std::string error;
  std::vector<SectionTotal> sections;
  std::vector<FoundProblem> problems;
  /// Keys, values and files walked.
  long items = 0;
  double seconds = 0;
};

}  // namespace hw
