#pragma once
// The scan as a component of its own: the chosen sections walked one after
// another over the platform interfaces, every problem recorded in the
// problem logs as the window writes them and reported as data. The window
// and the command-line program both drive it.
#include <memory>
#include <string>
#include <vector>

#include "checks/exclusions.h"
#include "checks/path_tests.h"
#include "checks/problem_logs.h"
#include "checks/scan_state.h"
#include "checks/section_checks.h"
#include "engine/drives.h"
#include "engine/mani.h"
#include "engine/search_parameters.h"
#include "platform/platform.h"
#include "registry/module1.h"
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

/// What kind of message a scan hands to its observer.
enum class ScanMessage { kErrorTrap, kProblemLimit };

/// What the scan tells and asks while it runs. Every call comes between two
/// steps of a walk, on the scanning thread.
class ScanObserver {
 public:
  virtual ~ScanObserver() = default;
  /// Once per registry section; the shortcut section once per drive, with
  /// the code "Scan" and the drive ("C:") as the caption.
  virtual void SectionStarted(const std::string& /*code*/, const std::string& /*caption*/) {}
  /// After the section (or the drive) with the problems it recorded; also
  /// after a walk that a stop cut short.
  virtual void SectionFinished(const std::string& /*code*/, long /*problems*/) {}
  /// After each walk of a registry section (0, 1: "SuP" and "ArP" walk twice).
  virtual void WalkFinished(const std::string& /*code*/, int /*walk*/) {}
  /// The key or folder being searched; called often (throttle in the observer).
  virtual void PlaceSearched(const std::string& /*place*/, long /*itemsWalked*/) {}
  virtual void ProblemFound(const FoundProblem& /*problem*/) {}
  /// Polled between steps: true ends the scan at once with its logs closed.
  virtual bool StopRequested() { return false; }
  /// A message the window would show in a box (an error trap, the problem
  /// limit); the scan goes on or ends as the window's does.
  virtual void Message(const std::string& /*text*/) {}
  /// The same message with its kind; by default it goes to Message.
  virtual void Notice(const std::string& text, ScanMessage /*kind*/) { Message(text); }
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

/// Runs a scan over the platform interfaces: the engine, the rules, the
/// problem logs and the counters are its own. The window's handlers and the
/// command line drive it; it knows no window.
class Scanner {
 public:
  /// `module1` gives the log folder; `windows` (read at every Run, so it may
  /// be filled later) the Windows folder of the fonts rule and the family
  /// that picks the fonts key.
  Scanner(Platform& platform, Module1& module1, const WindowsFolders& windows);
  ~Scanner();
  Scanner(const Scanner&) = delete;
  Scanner& operator=(const Scanner&) = delete;

  /// Runs the selected sections in catalogue order and returns when the
  /// scan is over. Unknown section codes are passed over (the command
  /// line rejects them first). Not reentrant: a Run while one runs
  /// fails at once.
  ScanOutcome Run(const ScanSelection& selection, ScanObserver& observer);

  /// Pause and Resume: the walk waits between two steps while paused.
  void SetPaused(bool paused) { engine_->PauseOperation = paused; }
  bool Paused() const { return engine_->PauseOperation; }
  /// Ends the running scan at its next step with its logs closed.
  void Abort();
  bool Running() const { return running_; }

  /// Replaces the engine by one with fresh pause and stop flags. The old
  /// one may still be walking below a handler (the window renews the engine
  /// on Abort), so it is kept until the next Run starts.
  void NewEngine();
  void FreeRetiredEngines() { retired_.clear(); }
  /// Gets the engine's events and the problems outside a Run (a window
  /// that drives the engine itself); null: none. Not owned.
  void SetIdleObserver(ScanObserver* observer) { idle_ = observer; }

  // The parts, for the window's repair and for tests that drive them.
  ScanState& State() { return state_; }
  SearchParameters& Parameters() { return params_; }
  PathTests& Paths() { return paths_; }
  ProblemLogs& Logs() { return logs_; }
  SectionChecks& Checks() { return checks_; }
  /// The user's exclusion list, reloaded at the start of every Run that
  /// honours it.
  Exclusions& ExclusionList() { return exclusions_; }
  /// The engine's slot (never empty).
  std::unique_ptr<Mani>& Engine() { return engine_; }

 private:
  class Events;
  class Counters;
  ScanObserver* Current() { return running_ ? observer_ : idle_; }
  bool Stopped();
  long ItemsSoFar() const;
  /// Runs one walk (or one drive's search) on the engine of this moment.
  void Walk(bool files, const std::string& drive);

  Platform& p_;
  Module1& m_;
  const WindowsFolders& windows_;
  ScanState state_;
  SearchParameters params_;
  PathTests paths_;
  ProblemLogs logs_;
  std::unique_ptr<Counters> counters_;
  std::unique_ptr<Events> events_;
  SectionChecks checks_;
  Exclusions exclusions_;
  std::unique_ptr<Mani> engine_;
  std::vector<std::unique_ptr<Mani>> retired_;
  ScanObserver* observer_ = nullptr;
  ScanObserver* idle_ = nullptr;
  ScanOutcome* outcome_ = nullptr;
  bool running_ = false;
  bool aborted_ = false;
  long items_ = 0;
  Mani* walking_ = nullptr;
  long walkStart_ = 0;
};

}  // namespace hw
