#pragma once
// The repair as a component of its own: problems of the last scan's logs
// deleted, each after a second look, registry values only behind durable
// backup records and shortcut files kept in the backup (or recycled). The
// window and the command-line program both drive it.
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/registry_api.h"
#include "repair/repair_texts.h"

namespace hw {

class Module1;
class Settings;

/// What a repair did: problems repaired, and those not repaired counted by
/// reason.
struct RepairReport {
  int selected = 0;
  int repaired = 0;
  std::map<std::string, int> notRepaired;
  /// Left in place because the second look found them no problem any more.
  int noLongerAProblem = 0;
  int NotRepairedCount() const { return selected - repaired - noLongerAProblem; }
};

/// One problem as the window's results tree holds it.
struct RepairItem {
  /// A shortcut file (its path in `text`), else a registry problem.
  bool shortcut = false;
  /// The text shown for it (err.log's text after the number).
  std::string text;
  /// Its problem number; 0 when not known (found by its text then).
  long number = 0;
};

struct ProblemOutcome {
  enum class Result { kRepaired, kNoLongerAProblem, kNotRepaired, kNotAttempted };
  long number = 0;
  Result result = Result::kNotAttempted;
  /// Why it was not repaired (one of the RepairTexts, perhaps with a detail
  /// in brackets); empty otherwise.
  std::string reason;
};

struct RepairOutcome {
  /// Totals of the problems attempted.
  RepairReport report;
  /// One per problem asked for, in the order asked.
  std::vector<ProblemOutcome> problems;
  /// The observer asked to stop: the problems after that point were not
  /// attempted (nothing of them was touched).
  bool stopped = false;
  std::vector<long> notAttempted;
};

/// What the repair tells and asks while it runs.
class RepairObserver {
 public:
  virtual ~RepairObserver() = default;
  /// `taken` of `total` problems handled or queued for their batch.
  virtual void Progress(std::size_t /*taken*/, std::size_t /*total*/) {}
  /// Polled only where no backup record and its value are apart: between
  /// batches, after the records are durable and their values deleted.
  /// True ends the repair there; the logs and registry are then settled as
  /// at a normal end.
  virtual bool StopRequested() { return false; }
};

class Repairer {
 public:
  /// `backupName`: the backup file (no folder, no ".bak") the values and
  /// shortcut files go into; empty: no backup (shortcut files are then
  /// recycled). `windowsFolder`: for the fonts rule of the second look;
  /// empty: the system's.
  Repairer(Platform& platform, Module1& module1, Settings& settings, RepairTexts texts, std::string backupName,
           std::string windowsFolder = {});
  ~Repairer();
  Repairer(const Repairer&) = delete;
  Repairer& operator=(const Repairer&) = delete;

  /// Backup records written and synced together before their values are
  /// deleted: one disk flush per batch instead of one per value.
  std::size_t batchRecords = 512;

  /// The window's repair: the ticked problems by their node text and number.
  RepairOutcome Repair(const std::vector<RepairItem>& items, RepairObserver* observer = nullptr);
  /// Problems of the last scan's logs by number, each re-checked as the
  /// window's repair does. A number not in err.log is not repaired.
  RepairOutcome RepairNumbers(const std::vector<long>& numbers, RepairObserver* observer = nullptr);

  /// The backup file of `backupName` in the settings' backup folder.
  static std::string BackupFilePath(Settings& settings, const std::string& backupName);
  /// The part of a node text the search for its log line uses.
  static std::string ProblemSearchText(const std::string& text);
  /// Root, key and value name of an alerr.log location text
  /// ("ROOT,/key#(name)", "(Default)" for the default value); false when
  /// the text is none.
  static bool ParseLocation(const std::string& location, RegKey& root, std::string& key, std::string& name);
  /// Doubled backslashes of a log line made single (as the results show it).
  static std::string CollapseBackslashes(const std::string& text);

 private:
  class Run;
  struct Parts;
  template <typename Items, typename One>
  RepairOutcome Drive(const Items& items, const std::vector<long>& numbers, RepairObserver* observer, One one);
  Platform& p_;
  Module1& module1_;
  Settings& settings_;
  RepairTexts texts_;
  std::string backupName_;
  std::unique_ptr<Parts> parts_;
};

}  // namespace hw
