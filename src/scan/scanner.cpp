#include "scan/scanner.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>

#include "checks/scan_counters_view.h"
#include "checks/section_catalogue.h"
#include "platform/runtime_error.h"
#include "platform/vb_text.h"

namespace hw {

// The counters the rules keep in captions; the observer shows its own.
class Scanner::Counters : public ScanCountersView {
 public:
  explicit Counters(Scanner& s) : s_(s) {}
  void Reset() { captions_.fill("0"); }
  void SetProbFoLbCaption(const std::string&) override {}
  std::string ProblemsFoundText() override { return std::string(); }
  void SetLabel3Caption(const std::string& caption) override {
    if (ScanObserver* o = s_.Current()) o->PlaceSearched(caption, s_.ItemsSoFar());
  }
  std::string NumSecErCaption(int index) override { return captions_.at(static_cast<std::size_t>(index)); }
  void SetNumSecErCaption(int index, const std::string& caption) override {
    captions_.at(static_cast<std::size_t>(index)) = caption;
  }
  // The observer's Notice of the trap puts its own page back.
  void RestoreFirstPageLayout() override {}

 private:
  Scanner& s_;
  std::array<std::string, kSectionCount> captions_{"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"};
};

// The engine's listener: findings to the rules, places to the observer, and
// between two steps the observer's stop request to the engine.
class Scanner::Events : public ManiEvents {
 public:
  explicit Events(Scanner& s) : s_(s) {}
  void SearchFound(const std::string& sRootKey, const std::string& sKey, const std::string& sStringName,
                   const std::string& sValue, const std::vector<std::uint8_t>& ArrByte,
                   std::int32_t lFound) override {
    s_.checks_.sReg_SearchFound(sRootKey, sKey, sStringName, sValue, ArrByte, lFound);
    PollStop();
  }
  void SearchKeyChanged(const std::string& sFullKeyName) override {
    s_.checks_.sReg_SearchKeyChanged(sFullKeyName);
    PollStop();
  }
  void ShortFound(const std::string& short_path) override {
    s_.checks_.sReg_ShortFound(short_path);
    PollStop();
  }
  void FolderSearched(const std::string& folder) override {
    if (ScanObserver* o = s_.Current()) o->PlaceSearched(folder, s_.ItemsSoFar());
    PollStop();
  }

 private:
  void PollStop() {
    if (!s_.running_ || s_.aborted_ || !s_.observer_->StopRequested()) return;
    s_.aborted_ = true;
    if (s_.walking_) s_.walking_->StopSearch();
  }
  Scanner& s_;
};

Scanner::Scanner(Platform& platform, Module1& module1, const WindowsFolders& windows)
    : p_(platform),
      m_(module1),
      windows_(windows),
      paths_(platform.files, platform.system),
      logs_(module1),
      counters_(std::make_unique<Counters>(*this)),
      events_(std::make_unique<Events>(*this)),
      checks_(module1, paths_, logs_, state_, *counters_, [this] {
        if (engine_) engine_->StopSearch();
      }) {
  checks_.ProblemSink = [this](const FoundProblem& problem) {
    if (running_ && outcome_) outcome_->problems.push_back(problem);
    if (ScanObserver* o = Current()) o->ProblemFound(problem);
  };
  checks_.MessageSink = [this](const std::string& text, bool limit) {
    const ScanMessage kind = limit ? ScanMessage::kProblemLimit : ScanMessage::kErrorTrap;
    if (ScanObserver* o = Current()) o->Notice(text, kind);
  };
  NewEngine();
}

Scanner::~Scanner() { ProblemLogs::CloseProblemLogs(state_); }

void Scanner::NewEngine() {
  if (engine_) retired_.push_back(std::move(engine_));
  engine_ = std::make_unique<Mani>(p_.registry, p_.pump, params_);
  engine_->SetEvents(events_.get());
  engine_->UseFiles(p_.files, p_.shortcuts, state_.ShortcutFilePath);
}

void Scanner::Abort() {
  aborted_ = true;
  engine_->StopSearch();
}

bool Scanner::Stopped() {
  if (aborted_ || engine_->lStopSearch >= 1) return true;
  if (observer_ && observer_->StopRequested()) aborted_ = true;
  return aborted_;
}

long Scanner::ItemsSoFar() const { return items_ + (walking_ ? walking_->ItemsWalked - walkStart_ : 0); }

void Scanner::Walk(bool files, const std::string& drive) {
  // The engine may be replaced while it walks (Abort renews it); the one
  // that walks stays alive in retired_ until the next Run.
  walking_ = engine_.get();
  walkStart_ = walking_->ItemsWalked;
  if (files)
    walking_->DoSearchFiles(drive, kShortcutPattern);
  else
    walking_->DoSearch();
  items_ += walking_->ItemsWalked - walkStart_;
  walking_ = nullptr;
}

ScanOutcome Scanner::Run(const ScanSelection& selection, ScanObserver& observer) {
  ScanOutcome out;
  if (running_) {
    out.end = ScanOutcome::End::kFailed;
    out.error = "A scan is already running";
    return out;
  }
  const auto started = std::chrono::steady_clock::now();
  // A scan asks about the same few folders for thousands of entries.
  FolderListingsHeld listingsHeld(p_.files);
  running_ = true;
  observer_ = &observer;
  outcome_ = &out;
  items_ = 0;
  struct Unwound {
    Scanner& s;
    ~Unwound() {
      s.running_ = false;
      s.observer_ = nullptr;
      s.outcome_ = nullptr;
      s.walking_ = nullptr;
    }
  } unwound{*this};

  auto chosen = [&](const Section& s) {
    if (selection.sections.empty()) return true;
    return std::any_of(selection.sections.begin(), selection.sections.end(),
                       [&](const std::string& c) { return UCase(c) == UCase(s.code); });
  };
  auto finish = [&](ScanOutcome::End end) {
    out.end = end;
    out.items = items_;
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return out;
  };
  // A stopped scan shows nothing; its logs are closed at once, so nothing
  // is left writing into them.
  auto stopped = [&] {
    ProblemLogs::CloseProblemLogs(state_);
    return finish(ScanOutcome::End::kStopped);
  };

  try {
    retired_.clear();
    aborted_ = false;
    engine_->PauseOperation = false;
    state_.ProblemNumber = 0;

    std::vector<std::string> drives;
    const Section& shortcuts = SectionCatalogue()[kShortcutCounterIndex];
    if (chosen(shortcuts)) {
      for (char letter : FixedDriveLetters(p_.system, p_.dialogs)) {
        const bool wanted = selection.drives.empty() ||
                            std::any_of(selection.drives.begin(), selection.drives.end(), [&](const std::string& d) {
                              return !d.empty() && std::toupper(static_cast<unsigned char>(d[0])) ==
                                                       std::toupper(static_cast<unsigned char>(letter));
                            });
        if (wanted) drives.push_back(std::string(1, letter) + ":");
      }
    }

    engine_->SetlStartSearch();
    state_.StartCounting();
    counters_->Reset();
    logs_.StartProblemLogs(state_);
    checks_.WindowsFolder = windows_.WindowsFolder;
    if (selection.useExclusions) exclusions_.Load(m_);
    checks_.exclusions = selection.useExclusions ? &exclusions_ : nullptr;

    for (const Section& section : SectionCatalogue()) {
      if (!chosen(section)) continue;
      SectionTotal total{section.code, section.caption, 0};
      if (section.search == SectionSearch::kFiles) {
        bool headerWritten = false;
        for (const std::string& drive : drives) {
          p_.pump.DoEvents();
          if (Stopped()) return stopped();
          state_.CurrentSection = drive;
          const long before = state_.ProblemsFound;
          observer.SectionStarted(section.code, drive);
          if (!headerWritten) {
            state_.ErrLog->WriteLine(section.logHeader);
            headerWritten = true;
          }
          if (Stopped()) return stopped();
          Walk(true, drive);
          total.problems += state_.ProblemsFound - before;
          observer.SectionFinished(section.code, state_.ProblemsFound - before);
        }
        out.sections.push_back(total);
        continue;
      }

      p_.pump.DoEvents();
      if (Stopped()) return stopped();
      state_.CurrentSection = section.code;
      const long before = state_.ProblemsFound;
      observer.SectionStarted(section.code, section.caption);
      state_.ErrLog->WriteLine(section.logHeader);
      if (section.search == SectionSearch::kRegistry) {
        const std::vector<SectionPass> passes = SectionPasses(section, windows_.WindowsFamily);
        if (passes.empty() && Stopped()) return stopped();
        for (std::size_t i = 0; i < passes.size(); ++i) {
          params_.lSearchRoot = Module1::RootKeyFromName(passes[i].rootName);
          params_.lSearchFlags = passes[i].flags;
          params_.sSearchText = passes[i].searchText;
          params_.sStartKey = passes[i].startKey;
          if (Stopped()) return stopped();
          Walk(false, std::string());
          observer.WalkFinished(section.code, static_cast<int>(i));
        }
      }
      total.problems = state_.ProblemsFound - before;
      out.sections.push_back(total);
      observer.SectionFinished(section.code, total.problems);
    }

    // A stop during the last walk ended that walk early, and the scan with
    // it. (A rule that stopped a walk leaves the results due.)
    if (aborted_ || observer.StopRequested()) return stopped();

    engine_->StopSearch();
    ProblemLogs::FinishProblemLogs(state_);
    return finish(ScanOutcome::End::kFinished);
  } catch (const RuntimeError& e) {
    // The logs are not left open under a results page that may read them.
    ProblemLogs::CloseProblemLogs(state_);
    out.error = e.Description();
    return finish(ScanOutcome::End::kFailed);
  }
}

}  // namespace hw
