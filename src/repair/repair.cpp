// The repair of the ticked problems: shortcut files deleted, registry values
// deleted after each one is saved exactly into the backup file.
#include <cstdlib>
#include <optional>
#include <unordered_map>

#include "checks/exact_logs.h"
#include "platform/system_info.h"
#include "platform/runtime_error.h"
#include "platform/vb_text.h"
#include "repair/backup_file.h"
#include "repair/recheck.h"
#include "repair/device_names.h"
#include "repair/shortcut_backup.h"
#include "platform/shortcut_reader.h"
#include "ui/control_names.h"
#include "ui/form1.h"
#include "platform/user_dialogs.h"

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

std::string Reason(const MainTexts& t, Outcome o, const std::string& detail) {
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

Location ParseLocation(const std::string& location) {
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

}  // namespace

/// One repair: the logs read once, registry deletions in batches behind
/// durable backup records, err.log written once at the end.
class RepairRun {
 public:
  struct Item {
    Outcome outcome = Outcome::kPending;
    std::string detail;
    RegKey root = 0;
    std::string key, name;
    ScannedProblem scanned;
    long number = 0;
  };

  RepairRun(Form1& form, bool withBackup) : f_(form), withBackup_(withBackup) {}

  void Shortcut(const std::string& path, long number) {
    LoadLogs();
    std::string loggedTarget;
    auto loc = locations_.find(std::to_string(number));
    if (number > 0 && loc != locations_.end() && UCase(loc->second) != UCase(path)) loggedTarget = loc->second;
    Item& item = Add();
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
    const std::string search = Form1::ProblemSearchText(text);
    std::size_t found = kNone;
    std::string numberText;
    if (number > 0) {
      numberText = std::to_string(number);
      auto it = byNumber_.find(numberText);
      if (it != byNumber_.end()) {
        for (std::size_t i : it->second) {
          const std::string t = LineText(errLines_[i]);
          if (!removed_[i] && (t == problemText || Form1::CollapseBackslashes(t) == problemText)) {
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
      return;
    }
    removed_[found] = true;
    anyRemoved_ = true;
    auto loc = locations_.find(numberText);
    ScannedProblem scanned{lineSection_[found], LineText(errLines_[found]), nullptr};
    Delete(loc == locations_.end() ? std::string() : loc->second, scanned, std::atol(numberText.c_str()));
  }

  /// Queues the deletion of the value a location text names; returns the
  /// item's index.
  std::size_t Delete(const std::string& location, const ScannedProblem& scanned = {}, long number = 0) {
    const Location l = ParseLocation(location);
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

  Form1::RepairReport Report() const {
    Form1::RepairReport r;
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

  Form1& f_;
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

void Form1::nxt_Click() {
  if (IsDeviceName(Trim(BackupName))) {
    p.dialogs.MessageBox(Replace(texts.deviceNameMessage, "%1", Trim(BackupName)), kAppTitle, MsgButtons::kOk,
                         MsgIcon::kExclamation);
    return;
  }
  if (Trim(BackupName).empty()) {
    bool wanted = settings.AutoBackup();
    if (!wanted)
      wanted = p.dialogs.MessageBox(texts.backupQuestion, kAppTitle, MsgButtons::kYesNo, MsgIcon::kQuestion) ==
               MsgAnswer::kYes;
    if (wanted) {
      try {
        BackupName = MakeAutoBackupName();
      } catch (const RuntimeError&) {
        // The folder cannot be made: the backup then fails for every value,
        // and no value is deleted without one.
        BackupName = "Automatic Backup[1]";
      }
    }
  }

  view.SetMousePointer(11);
  struct Task {
    bool shortcut;
    std::string text;
    long number;
  };
  std::vector<Task> tasks;
  for (const TreeNode* node : tvwTree.Nodes()) {
    if (!Contains(node->image, "All", true) || !Contains(node->key, "Err", true)) continue;
    const TreeNode* section = node->Parent();
    const TreeNode* group = section ? section->Parent() : nullptr;
    tasks.push_back({group && group->key == "Scan", node->text, node->problemNumber});
  }
  RepairRun run(*this, !Trim(BackupName).empty());
  for (const Task& t : tasks) {
    if (t.shortcut) {
      run.Shortcut(t.text, t.number);
    } else {
      run.Registry(t.text, t.number);
    }
  }
  run.Finish();
  lastRepair = run.Report();
  view.SetMousePointer(0);

  RestoreFirstPageLayout();
  controls.SetLeft(ctl::OnBaseBox, 4680);
  controls.SetTop(ctl::OnBaseBox, 600);
  controls.SetVisible(ctl::OnBaseBox, true);
  controls.BringToFront(ctl::OnBaseBox);
  controls.SetVisible(ctl::ext, true);
  controls.SetVisible(ctl::nxt, false);
  controls.SetVisible(ctl::nxtPic, false);
  controls.SetVisible(ctl::secondFram, false);
  if (sReg) sReg->StopSearch();
  FirstPageRoutine();
  controls.SetVisible(ctl::firstfrm, true);
  controls.BringToFront(ctl::firstfrm);

  // Problems that were none any more are told apart from the failures.
  const std::string noLonger = lastRepair.noLongerAProblem == 0
                                   ? std::string()
                                   : "\r\n\r\n" + std::to_string(lastRepair.noLongerAProblem) + ": " + texts.noLongerAProblem;
  if (lastRepair.NotRepairedCount() == 0) {
    p.dialogs.MessageBox(texts.repairDoneMessage + noLonger, kAppTitle, MsgButtons::kOk, MsgIcon::kInformation);
  } else {
    std::string text = Replace(Replace(texts.notRepairedMessage, "%1", std::to_string(lastRepair.NotRepairedCount())),
                               "%2", std::to_string(lastRepair.selected));
    for (const auto& [reason, count] : lastRepair.notRepaired) text += "\r\n" + std::to_string(count) + ": " + reason;
    p.dialogs.MessageBox(text + noLonger, kAppTitle, MsgButtons::kOk, MsgIcon::kExclamation);
  }

  BuildSectionTree();
  SetAllTxt();
  ext_Click();
}

void Form1::RepairRegistryProblem(const std::string& problemText) {
  RepairRun run(*this, !Trim(BackupName).empty());
  run.Registry(problemText, 0);
  run.Finish();
  lastRepair = run.Report();
}

std::string Form1::ProblemSearchText(const std::string& text) {
  if (!Contains(text, "//")) return text;
  return Mid(text, InStrRev(text, "/") + 1);
}

std::string Form1::FindProblemLocation(const std::string& number) {
  RepairRun run(*this, false);
  run.LoadLogs();
  auto it = run.Locations().find(number);
  return it == run.Locations().end() ? std::string() : it->second;
}

void Form1::DeleteProblemValue(const std::string& location, const std::string& problemText) {
  const Location l = ParseLocation(location);
  if (!l.ok) return;
  // The text the classic backup kept for a string value; ours keeps the
  // value's own bytes, so it only travels along.
  std::string valueText = problemText;
  if (Contains(valueText, "\\\\")) {
    const std::size_t last = InStrRev(valueText, "\\");
    if (last > 0) valueText = Left(valueText, last - 1);
    const std::size_t dot = InStr(valueText, ".", true);
    if (dot > 0) valueText = Mid(valueText, dot + 1);
  }
  DeleteRegistryValue(l.root, l.key, l.name, valueText, location);
}

std::optional<bool> Form1::DeleteRegistryValue(RegKey hKey, const std::string& KeyName, const std::string& ValueName,
                                               const std::string& strKeyVal,
                                               const std::string& strBinaryBackupPath) {
  (void)strKeyVal;
  (void)strBinaryBackupPath;
  RepairRun run(*this, !Trim(BackupName).empty());
  const std::size_t i = run.Delete(hKey, KeyName, ValueName);
  run.Finish();
  const auto& item = run.At(i);
  if (!item.detail.empty() && (item.outcome == Outcome::kBackupFailed || item.outcome == Outcome::kRefused ||
                               item.outcome == Outcome::kUnreadable))
    p.dialogs.MessageBox(item.detail, kAppTitle, MsgButtons::kOk);
  if (item.outcome == Outcome::kNoKey) return std::nullopt;
  return item.outcome == Outcome::kDeleted;
}

void Form1::RemoveLogLine(const std::string& filePath, const std::string& lineText) {
  std::vector<std::string> lines = ReadLines(p.files, filePath);
  for (auto it = lines.begin(); it != lines.end(); ++it) {
    if (Contains(*it, lineText, true)) {
      lines.erase(it);
      break;
    }
  }
  RewriteThroughTemp(p.files, filePath, lines);
}

void Form1::DeleteShortcutFile(const std::string& path) {
  try {
    if (p.files.FileExists(path)) p.files.RecycleFile(path);
  } catch (const RuntimeError&) {
  }
}

std::string Form1::MakeAutoBackupName() {
  const std::string folder = settings.BackupFolder();
  module1.EnsureFolderPath(folder);
  for (long n = 1;; ++n) {
    const std::string name = "Automatic Backup[" + std::to_string(n) + "]";
    if (!p.files.FileExists(folder + "\\" + name + ".bak")) return name;
  }
}

std::string Form1::BackupFilePath() { return settings.BackupFolder() + "\\" + BackupName + ".bak"; }

}  // namespace hw
