// The repair: the chosen problems of the last scan's logs looked at again and
// deleted, shortcut files kept in the backup or recycled, registry values
// deleted only after each one is saved exactly into the backup file.
#include <cstdlib>
#include <optional>
#include <utility>
#include <unordered_map>

#include "repair/repairer.h"

#include "checks/exact_logs.h"
#include "checks/path_tests.h"
#include "checks/problem_logs.h"
#include "checks/scan_counters_view.h"
#include "checks/scan_state.h"
#include "checks/section_checks.h"
#include "registry/module1.h"
#include "registry/settings.h"
#include "platform/system_info.h"
#include "platform/runtime_error.h"
#include "platform/vb_text.h"
#include "repair/backup_file.h"
#include "repair/recheck.h"
#include "repair/device_names.h"
#include "repair/shortcut_backup.h"
#include "platform/shortcut_reader.h"

namespace hw {
namespace {

enum class Outcome {
  kPending,
  kDeleted,
  kNotListed,
  kNoLocation,
  kNoKey,
  kGone,
  kUnreadable,
  kBackupFailed,
  kRefused,
  kNotSaved,
  kShortcutGone,
  kShortcutLocked,
  kNoLongerAProblem,
  kShortcutNotKept,
  kShortcutNotRecycled,
};

std::string Reason(const RepairTexts& t, Outcome o, const std::string& detail) {
  std::string r;
  switch (o) {
    case Outcome::kNotListed: r = t.reasonNotListed; break;
    case Outcome::kNoLocation: r = t.reasonNoLocation; break;
    case Outcome::kNoKey: r = t.reasonNoKey; break;
    case Outcome::kGone: r = t.reasonGone; break;
    case Outcome::kUnreadable: r = t.reasonUnreadable; break;
    case Outcome::kBackupFailed: r = t.reasonBackupFailed; break;
    case Outcome::kRefused: r = t.reasonRefused; break;
    case Outcome::kNotSaved: r = t.reasonNotSaved; break;
    case Outcome::kShortcutGone: r = t.reasonShortcutGone; break;
    case Outcome::kShortcutLocked: r = t.reasonShortcutLocked; break;
    case Outcome::kShortcutNotKept: r = t.reasonShortcutNotKept; break;
    case Outcome::kShortcutNotRecycled: r = t.reasonShortcutNotRecycled; break;
    default: r = "unknown"; break;
  }
  return detail.empty() ? r : r + " (" + detail + ")";
}

struct Location {
  RegKey root = 0;
  std::string key, name;
  bool ok = false;
};

Location ParseLocationText(const std::string& location) {
  Location l;
  const std::size_t p = InStr(location, ",/");
  if (p == 0) return l;
  l.root = Module1::RootKeyFromName(Left(location, p - 1));
  const std::string rest = Mid(location, p + 2);
  const std::size_t q = InStr(rest, "#(");
  if (q == 0 || l.root == 0) return l;
  l.key = Left(rest, q - 1);
  const std::string tail = Mid(rest, q + 2);
  if (tail.empty() || tail.back() != ')') return l;
  l.name = tail.substr(0, tail.size() - 1);
  if (l.name == "(Default)") l.name.clear();
  l.ok = true;
  return l;
}

std::string LineText(const std::string& line) {
  const std::size_t dot = InStr(line, ".");
  return dot > 0 ? Mid(line, dot + 1) : line;
}

std::string LineNumber(const std::string& line) {
  const std::size_t dot = InStr(line, ".");
  return dot >= 2 ? Left(line, dot - 1) : std::string();
}

std::vector<std::string> ReadLines(FileServices& files, const std::string& path) {
  return ReadExactLog(files, path);
}

/// Writes `lines` to the file's "Temp" twin and copies that over the file,
/// leaving the twin behind as the per-line removal does.
void RewriteThroughTemp(FileServices& files, const std::string& path, const std::vector<std::string>& lines) {
  RewriteExactLog(files, path, lines);
}

struct KeyGuard {
  RegistryApi& registry;
  RegKey key = 0;
  ~KeyGuard() {
    if (key == 0) return;
    try {
      registry.CloseKey(key);
    } catch (...) {  // a close that fails changes nothing; never throw from here
    }
  }
};

/// The counters a scan paints; a second look paints none.
class NoCounters : public ScanCountersView {
 public:
  void SetProbFoLbCaption(const std::string&) override {}
  std::string ProblemsFoundText() override { return std::string(); }
  void SetLabel3Caption(const std::string&) override {}
  std::string NumSecErCaption(int) override { return std::string(); }
  void SetNumSecErCaption(int, const std::string&) override {}
  void RestoreFirstPageLayout() override {}
};

}  // namespace

/// What a run reaches: the platform, the folders, the logs and the section
/// rules of the second look (its own, so no scan's state is touched).
struct Repairer::Parts {
  Parts(Platform& platform, Module1& m, Settings& s, const RepairTexts& t, const std::string& backupName,
        const std::string& windowsFolder)
      : p(platform),
        module1(m),
        settings(s),
        texts(t),
        backupName_(backupName),
        pathTests(platform.files, platform.system),
        problemLogs(m),
        checks(m, pathTests, problemLogs, scanState, counters, nullptr) {
    checks.WindowsFolder = windowsFolder;
  }
  std::string BackupFilePath() { return Repairer::BackupFilePath(settings, backupName_); }

  Platform& p;
  Module1& module1;
  Settings& settings;
  const RepairTexts& texts;
  std::string backupName_;
  PathTests pathTests;
  ProblemLogs problemLogs;
  ScanState scanState;
  NoCounters counters;
  SectionChecks checks;
  std::size_t repairBatchRecords = 512;
};

/// One repair: the logs read once, registry deletions in batches behind
/// durable backup records, err.log written once at the end.
class Repairer::Run {
 public:
  struct Item {
    Outcome outcome = Outcome::kPending;
    std::string detail;
    RegKey root = 0;
    std::string key, name;
    ScannedProblem scanned;
    long number = 0;
  };

  Run(Parts& parts, bool withBackup) : f_(parts), withBackup_(withBackup) {}

  void Shortcut(const std::string& path, long number) {
    LoadLogs();
    std::string loggedTarget;
    auto loc = locations_.find(std::to_string(number));
    if (number > 0 && loc != locations_.end() && UCase(loc->second) != UCase(path)) loggedTarget = loc->second;
    Item& item = Add();
    item.number = number;
    try {
      if (!f_.p.files.FileExists(path)) {
        item.outcome = Outcome::kShortcutGone;
        return;
      }
      if (!ShortcutStillBroken(f_.p.files, f_.p.shortcuts, path, loggedTarget)) {
        item.outcome = Outcome::kNoLongerAProblem;
        return;
      }
      // Never destroyed: into the backup, or else to the Recycle Bin.
      if (withBackup_) {
        f_.module1.EnsureFolderPath(f_.settings.BackupFolder());
        KeepShortcutFile(f_.p.files, f_.BackupFilePath(), path);
      } else {
        f_.p.files.RecycleFile(path);
      }
      item.outcome = Outcome::kDeleted;
    } catch (const RuntimeError& e) {
      item.outcome = withBackup_ ? Outcome::kShortcutNotKept : Outcome::kShortcutNotRecycled;
      item.detail = e.Description();
    }
  }

  /// A registry problem by its node: its own err.log line when `number` is
  /// known, else the first line whose text contains the search text.
  void Registry(const std::string& problemText, long number) {
    LoadLogs();
    std::string text = problemText;
    if (text.size() == 1) text += ".";
    const std::string search = Repairer::ProblemSearchText(text);
    std::size_t found = kNone;
    std::string numberText;
    if (number > 0) {
      numberText = std::to_string(number);
      auto it = byNumber_.find(numberText);
      if (it != byNumber_.end()) {
        for (std::size_t i : it->second) {
          const std::string t = LineText(errLines_[i]);
          if (!removed_[i] && (t == problemText || Repairer::CollapseBackslashes(t) == problemText)) {
            found = i;
            break;
          }
        }
      }
    } else {
      for (std::size_t i = 0; i < errLines_.size(); ++i) {
        if (removed_[i]) continue;
        const std::string n = LineNumber(errLines_[i]);
        if (!n.empty()) numberText = n;
        if (Contains(LineText(errLines_[i]), search, true)) {
          found = i;
          break;
        }
      }
    }
    if (found == kNone) {
      Add().outcome = Outcome::kNotListed;
      items_.back().number = number;
      return;
    }
    Take(found, numberText);
  }

  /// A problem by its number alone: its first err.log line not taken yet,
  /// a shortcut file when that line is in the shortcut section.
  void Number(long number) {
    LoadLogs();
    std::size_t found = kNone;
    auto it = byNumber_.find(std::to_string(number));
    if (number > 0 && it != byNumber_.end()) {
      for (std::size_t i : it->second) {
        if (!removed_[i]) {
          found = i;
          break;
        }
      }
    }
    if (found == kNone) {
      Add().outcome = Outcome::kNotListed;
      items_.back().number = number;
    } else if (lineSection_[found] == "Scan") {
      Shortcut(LineText(errLines_[found]), number);
    } else {
      Take(found, std::to_string(number));
    }
  }

  /// No registry value waits for its batch: no record is apart from its value.
  bool Settled() const { return pendingBegin_ == items_.size(); }
  std::size_t Count() const { return items_.size(); }

  ProblemOutcome OutcomeOf(const Item& i) const {
    ProblemOutcome o;
    o.number = i.number;
    if (i.outcome == Outcome::kDeleted) {
      o.result = ProblemOutcome::Result::kRepaired;
    } else if (i.outcome == Outcome::kNoLongerAProblem) {
      o.result = ProblemOutcome::Result::kNoLongerAProblem;
    } else {
      o.result = ProblemOutcome::Result::kNotRepaired;
      o.reason = Reason(f_.texts, i.outcome, i.detail);
    }
    return o;
  }

 private:
  void Take(std::size_t found, const std::string& numberText) {
    removed_[found] = true;
    anyRemoved_ = true;
    auto loc = locations_.find(numberText);
    ScannedProblem scanned{lineSection_[found], LineText(errLines_[found]), nullptr};
    Delete(loc == locations_.end() ? std::string() : loc->second, scanned, std::atol(numberText.c_str()));
  }

 public:

  /// Queues the deletion of the value a location text names; returns the
  /// item's index.
  std::size_t Delete(const std::string& location, const ScannedProblem& scanned = {}, long number = 0) {
    const Location l = ParseLocationText(location);
    if (!l.ok) {
      Add().outcome = Outcome::kNoLocation;
      return items_.size() - 1;
    }
    return Delete(l.root, l.key, l.name, scanned, number);
  }

  std::size_t Delete(RegKey root, const std::string& key, const std::string& name,
                     const ScannedProblem& scanned = {}, long number = 0) {
    Item& item = Add();
    item.root = root;
    item.key = key;
    item.name = name;
    item.scanned = scanned;
    item.number = number;
    if (items_.size() - pendingBegin_ >= f_.repairBatchRecords) RunPending();
    return items_.size() - 1;
  }

  void Finish() {
    RunPending();
    bool anyDeleted = false;
    for (const Item& i : items_) anyDeleted = anyDeleted || (i.outcome == Outcome::kDeleted && i.root != 0);
    if (backup_) {
      try {
        backup_->Close();
      } catch (const RuntimeError&) {
      }
      backup_.reset();
    }
    if (anyDeleted && f_.p.registry.Flush() != kErrorSuccess) {
      for (Item& i : items_) {
        if (i.outcome == Outcome::kDeleted && i.root != 0) i.outcome = Outcome::kNotSaved;
      }
    }
    if (anyRemoved_) {
      std::vector<std::string> kept;
      kept.reserve(errLines_.size());
      for (std::size_t i = 0; i < errLines_.size(); ++i) {
        if (!removed_[i]) kept.push_back(errLines_[i]);
      }
      try {
        RewriteThroughTemp(f_.p.files, f_.problemLogs.ErrLogPath(), kept);
      } catch (const RuntimeError&) {
        // err.log keeps the repaired lines: the next listing shows them,
        // and a repair finds their values gone. Nothing is lost.
      }
    }
  }

  const Item& At(std::size_t i) const { return items_[i]; }
  const std::vector<Item>& Items() const { return items_; }

  RepairReport Report() const {
    RepairReport r;
    r.selected = static_cast<int>(items_.size());
    for (const Item& i : items_) {
      if (i.outcome == Outcome::kDeleted) {
        ++r.repaired;
      } else if (i.outcome == Outcome::kNoLongerAProblem) {
        ++r.noLongerAProblem;
      } else {
        ++r.notRepaired[Reason(f_.texts, i.outcome, i.detail)];
      }
    }
    return r;
  }

  /// Problem logs, read once.
  void LoadLogs() {
    if (logsLoaded_) return;
    logsLoaded_ = true;
    FileServices& files = f_.p.files;
    try {
      errLines_ = ReadLines(files, f_.problemLogs.ErrLogPath());
    } catch (const RuntimeError&) {
      errLines_.clear();
    }
    removed_.assign(errLines_.size(), false);
    lineSection_.assign(errLines_.size(), std::string());
    std::string section;
    for (std::size_t i = 0; i < errLines_.size(); ++i) {
      if (!errLines_[i].empty() && errLines_[i][0] == '[') section = SectionOfHeader(errLines_[i]);
      lineSection_[i] = section;
      const std::string n = LineNumber(errLines_[i]);
      if (!n.empty()) byNumber_[n].push_back(i);
    }
    try {
      for (const std::string& line : ReadLines(files, f_.problemLogs.AlErrLogPath())) {
        const std::size_t dot = InStr(line, ".");
        if (dot > 0) locations_.emplace(Left(line, dot - 1), Mid(line, dot + 1));
      }
    } catch (const RuntimeError&) {
    }
  }

  const std::unordered_map<std::string, std::string>& Locations() const { return locations_; }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  Item& Add() {
    items_.emplace_back();
    return items_.back();
  }

  void RunPending() {
    const std::size_t begin = pendingBegin_;
    pendingBegin_ = items_.size();
    if (withBackup_) {
      RunBatchWithBackup(begin, items_.size());
    } else {
      for (std::size_t i = begin; i < items_.size(); ++i) {
        if (items_[i].outcome != Outcome::kPending) continue;
        BackupRecord now;
        if (Capture(items_[i], now) && StillTheProblem(items_[i], now)) DeleteNow(items_[i]);
      }
    }
  }

  /// The value's type and bytes as they are now; false (with the outcome
  /// set) when it cannot be had.
  bool Capture(Item& item, BackupRecord& record) {
    RegistryApi& reg = f_.p.registry;
    try {
      KeyGuard g{reg};
      const long opened = reg.OpenKeyEx(item.root, item.key, 0, kKeyRead, &g.key);
      if (opened != kErrorSuccess) {
        g.key = 0;
        item.outcome = opened == kErrorFileNotFound && Scanned(item) ? Outcome::kNoLongerAProblem : Outcome::kNoKey;
        return false;
      }
      std::uint32_t type = kRegSz, size = 0;
      long st = reg.QueryValueEx(g.key, item.name, &type, nullptr, &size);
      std::vector<std::uint8_t> data;
      // The value may grow between the two reads.
      for (int attempt = 0; st == kErrorSuccess && attempt < 4; ++attempt) {
        data.resize(size);
        st = reg.QueryValueEx(g.key, item.name, &type, data.empty() ? nullptr : data.data(), &size);
        if (st != kErrorMoreData) break;
        st = kErrorSuccess;
      }
      if (st != kErrorSuccess) {
        item.outcome = st != kErrorFileNotFound ? Outcome::kUnreadable
                       : Scanned(item)          ? Outcome::kNoLongerAProblem
                                                : Outcome::kGone;
        return false;
      }
      data.resize(size);
      record.RootKey = static_cast<std::uint32_t>(item.root);
      record.KeyName = item.key;
      record.ValueName = item.name;
      record.ValueType = type;
      record.Data = std::move(data);
      return true;
    } catch (const RuntimeError& e) {
      item.outcome = Outcome::kUnreadable;
      item.detail = e.Description();
      return false;
    }
  }

  static bool Scanned(const Item& item) { return !item.scanned.sectionCode.empty(); }

  /// The second look: a value that changed since the scan, or whose target
  /// appeared, is left in place.
  bool StillTheProblem(Item& item, const BackupRecord& now) {
    if (!Scanned(item)) return true;
    ScannedProblem problem = item.scanned;
    problem.scannedBytes = ScanBytes(item.number);
    bool still = true;
    try {
      still = StillAProblem(f_.checks, problem, item.root, item.key, item.name, now.ValueType, now.Data);
    } catch (const RuntimeError&) {
      // A rule that cannot look (a file system error) keeps the scan's verdict.
    }
    if (!still) item.outcome = Outcome::kNoLongerAProblem;
    return still;
  }

  /// The BinaryEntries.log record of a problem number (records are written
  /// in number order), read once; null when there is none.
  const BinaryEntry* ScanBytes(long number) {
    if (!entriesLoaded_) {
      entriesLoaded_ = true;
      try {
        entries_ = f_.problemLogs.ReadBinaryEntries();
      } catch (const RuntimeError&) {
        entries_.clear();
      }
    }
    if (number < 1 || static_cast<std::size_t>(number) > entries_.size()) return nullptr;
    return &entries_[static_cast<std::size_t>(number) - 1];
  }

  void DeleteNow(Item& item) {
    RegistryApi& reg = f_.p.registry;
    try {
      KeyGuard g{reg};
      if (reg.OpenKeyEx(item.root, item.key, 0, kKeyWrite, &g.key) != kErrorSuccess) {
        g.key = 0;
        item.outcome = Outcome::kNoKey;
        return;
      }
      const long st = reg.DeleteValue(g.key, item.name);
      item.outcome = st == kErrorSuccess       ? Outcome::kDeleted
                     : st == kErrorFileNotFound ? Outcome::kGone
                                                : Outcome::kRefused;
    } catch (const RuntimeError& e) {
      item.outcome = Outcome::kRefused;
      item.detail = e.Description();
    }
  }

  void RunBatchWithBackup(std::size_t begin, std::size_t end) {
    struct Saved {
      std::size_t item;
      std::vector<std::uint8_t> slots;
    };
    std::vector<Saved> saved;
    std::size_t bytes = 0;
    for (std::size_t i = begin; i < end; ++i) {
      if (items_[i].outcome != Outcome::kPending) continue;
      BackupRecord record;
      if (!Capture(items_[i], record) || !StillTheProblem(items_[i], record)) continue;
      saved.push_back({i, record.ToSlots()});
      bytes += saved.back().slots.size();
    }
    if (saved.empty()) return;

    std::vector<std::uint8_t> image;
    image.reserve(bytes);
    for (const Saved& s : saved) image.insert(image.end(), s.slots.begin(), s.slots.end());
    std::uint64_t oldLength = 0, start = 0;
    bool lengthKnown = false;
    try {
      if (backupBroken_) throw RuntimeError(kErrDeviceIo, backupBroken_->c_str());
      OpenBackup();
      oldLength = backup_->Length();
      lengthKnown = true;
      start = NextBackupSlot(oldLength) * kBackupSlotLength;
      backup_->WriteAt(start, image.data(), image.size());
      backup_->Sync();
    } catch (const RuntimeError& e) {
      for (const Saved& s : saved) {
        items_[s.item].outcome = Outcome::kBackupFailed;
        items_[s.item].detail = e.Description();
      }
      // Records of earlier batches or repairs lie below a length that was
      // read; without one the file is left as it is, and nothing more goes in.
      if (backup_ && lengthKnown) {
        try {
          backup_->Truncate(oldLength);
        } catch (const RuntimeError&) {
        }
      }
      if (!lengthKnown) backupBroken_ = e.Description();
      return;
    }

    // Only now, with every record of the batch on the disk, the deletions.
    bool anyFailed = false;
    for (const Saved& s : saved) {
      DeleteNow(items_[s.item]);
      anyFailed = anyFailed || items_[s.item].outcome != Outcome::kDeleted;
    }
    if (!anyFailed) return;
    // Take back the records of values that were not deleted. Kept records
    // move forward in order, so a stop half-way leaves only duplicates.
    std::vector<std::uint8_t> kept;
    for (const Saved& s : saved) {
      if (items_[s.item].outcome == Outcome::kDeleted) kept.insert(kept.end(), s.slots.begin(), s.slots.end());
    }
    try {
      if (!kept.empty()) backup_->WriteAt(start, kept.data(), kept.size());
      backup_->Truncate(kept.empty() ? oldLength : start + kept.size());
      backup_->Sync();
    } catch (const RuntimeError&) {
      // A record left for a value still in place restores it unchanged.
    }
  }

  void OpenBackup() {
    if (backup_) return;
    f_.module1.EnsureFolderPath(f_.settings.BackupFolder());
    backup_ = f_.p.files.OpenRecordFile(f_.BackupFilePath());
  }

  Parts& f_;
  bool withBackup_;
  std::vector<Item> items_;
  std::size_t pendingBegin_ = 0;
  std::unique_ptr<RecordFile> backup_;
  std::optional<std::string> backupBroken_;

  bool logsLoaded_ = false;
  std::vector<std::string> errLines_;
  std::vector<bool> removed_;
  std::vector<std::string> lineSection_;
  bool entriesLoaded_ = false;
  std::vector<BinaryEntry> entries_;
  bool anyRemoved_ = false;
  std::unordered_map<std::string, std::vector<std::size_t>> byNumber_;
  std::unordered_map<std::string, std::string> locations_;
};


Repairer::Repairer(Platform& platform, Module1& module1, Settings& settings, RepairTexts texts, std::string backupName,
                   std::string windowsFolder)
    : p_(platform), module1_(module1), settings_(settings), texts_(std::move(texts)), backupName_(std::move(backupName)) {
  if (windowsFolder.empty()) {
    try {
      windowsFolder = platform.system.WindowsDirectory();
    } catch (const RuntimeError&) {
      // The fonts rule then finds relative names missing, as a scan would.
    }
  }
  parts_ = std::make_unique<Parts>(p_, module1_, settings_, texts_, backupName_, windowsFolder);
}

Repairer::~Repairer() = default;

/// Runs the problems one after another, polling the observer for a stop
/// only where the run is settled, then settles the run (backup closed,
/// registry saved, err.log rewritten) however it ended.
template <typename Items, typename One>
RepairOutcome Repairer::Drive(const Items& items, const std::vector<long>& numbers, RepairObserver* observer,
                              One one) {
  parts_->repairBatchRecords = batchRecords == 0 ? 1 : batchRecords;
  Run run(*parts_, !Trim(backupName_).empty());
  RepairOutcome out;
  std::size_t taken = 0;
  for (; taken < items.size(); ++taken) {
    if (observer && run.Settled() && observer->StopRequested()) {
      out.stopped = true;
      break;
    }
    one(run, items[taken]);
    if (observer) observer->Progress(taken + 1, items.size());
  }
  run.Finish();
  out.report = run.Report();
  for (const auto& item : run.Items()) out.problems.push_back(run.OutcomeOf(item));
  for (std::size_t i = taken; i < items.size(); ++i) {
    out.notAttempted.push_back(numbers[i]);
    ProblemOutcome o;
    o.number = numbers[i];
    out.problems.push_back(o);
  }
  return out;
}

RepairOutcome Repairer::Repair(const std::vector<RepairItem>& items, RepairObserver* observer) {
  std::vector<long> numbers;
  for (const RepairItem& i : items) numbers.push_back(i.number);
  return Drive(items, numbers, observer, [](Run& run, const RepairItem& item) {
    if (item.shortcut) {
      run.Shortcut(item.text, item.number);
    } else {
      run.Registry(item.text, item.number);
    }
  });
}

RepairOutcome Repairer::RepairNumbers(const std::vector<long>& numbers, RepairObserver* observer) {
  return Drive(numbers, numbers, observer, [](Run& run, long number) { run.Number(number); });
}

std::string Repairer::BackupFilePath(Settings& settings, const std::string& backupName) {
  return settings.BackupFolder() + "\\" + backupName + ".bak";
}

bool Repairer::ParseLocation(const std::string& location, RegKey& root, std::string& key, std::string& name) {
  const Location l = ParseLocationText(location);
  if (!l.ok) return false;
  root = l.root;
  key = l.key;
  name = l.name;
  return true;
}

std::string Repairer::ProblemSearchText(const std::string& text) {
  if (!Contains(text, "//")) return text;
  return Mid(text, InStrRev(text, "/") + 1);
}

std::string Repairer::CollapseBackslashes(const std::string& text) {
  return Replace(Replace(text, "\\\\", "\\"), "\\\\\\", "\\");
}

}  // namespace hw
