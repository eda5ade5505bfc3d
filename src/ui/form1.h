#pragma once
// The main window's page logic: every handler, page change, counter, text
// and the section and results tree, free of any window. A platform window
// shows `controls` and `tvwTree` and forwards clicks to the handlers.
// The handlers live in files by subsystem: ui/form1.cpp (start-up, pages,
// status), ui/form1_section_tree.cpp, ui/form1_scan.cpp (over a Scanner),
// ui/form1_results.cpp, ui/form1_repair.cpp (over repair/repairer.h),
// ui/form1_backups.cpp (over repair/backup_store.h),
// ui/language_texts.cpp, ui/help_support.cpp.
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "checks/path_tests.h"
#include "checks/problem_logs.h"
#include "checks/scan_counters_view.h"
#include "checks/scan_state.h"
#include "checks/section_checks.h"
#include "engine/drives.h"
#include "engine/mani.h"
#include "engine/search_parameters.h"
#include "registry/module1.h"
#include "platform/platform.h"
#include "registry/settings.h"
#include "repair/backup_store.h"
#include "repair/repairer.h"
#include "scan/scanner.h"
#include "scan/tree_model.h"
#include "ui/form1_view.h"
#include "ui/form_model.h"
#include "ui/main_texts.h"
#include "ui/results_texts.h"

namespace hw {

/// Width of the command bar's buttons (twips): their German captions with
/// their pictures need it.
inline constexpr int kCommandButtonWidth = 1500;
/// Left edges of Abort/Return (ext) and of Repair and Pause (nxt, cmdPause)
/// on the scan page, and of ext, nxt and Backup on the results page: right
/// aligned in the command bar, 90 twips apart.
inline constexpr int kScanPageExtLeft = 4575, kScanPageNxtLeft = 2985;
inline constexpr int kResultsExtLeft = 7640, kResultsNxtLeft = 6050, kResultsBackUpLeft = 4460;

class Form1 : public ScanCountersView {
 public:
  Form1(Platform& platform, Form1View& view);
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;
  ~Form1() override;

  // ---- start-up, pages, status (ui/form1.cpp) ------------------------------
  /// Builds the window's state: texts, tree, status (the window itself has
  /// created its controls and applies the state as it changes).
  void Form_Load();
  void Form_Unload();
  void FormUpdateCode(bool treeFlag, bool bnUpdateLanguage);
  void SetDefaultTexts();
  void ShowStatusInfo();
  /// Windows folder and family (once at start-up), then the pictures.
  void DrawControls();
  /// Back to the first page from the scan or results page (Abort, Return).
  void ext_Click();
  /// The layout of the results page, and the one that undoes it.
  void ShowResultsLayout();
  void RestoreFirstPageLayout() override;
  /// All nodes bold, the first page in front.
  void FirstPageRoutine();
  /// Replaces `sReg` by a new engine with fresh pause and stop flags.
  void NewSearchEngine();
  /// Captions and visibility of the controls as the window is designed.
  void ApplyFormDesign();
  /// Positions and sizes of the controls as the window is designed.
  void ApplyDesignLayout();
  void ConfBtn_Click();
  void hlpBtn_LostFocus();

  // ---- section tree (ui/form1_section_tree.cpp) ------------------------------
  void BuildSectionTree();
  void GetAllDrivesTypes();
  void ProcessStateChange(TreeNode& nodeCurrent);
  void CheckChildren(TreeNode& nodeSource);
  void CheckParent(TreeNode& nodeSource);
  void tvwTree_MouseDown(float x, float y);
  void tvwTree_NodeClick(TreeNode& node);
  void tvwTree_Click();
  /// Space on the node that has the keyboard's focus: ticks it once, as a
  /// click on its picture does, and the focus stays on it.
  void tvwTree_SpaceKey(TreeNode& node);
  void tvwTree_Collapse(TreeNode& node);
  void tvwTree_Expand(TreeNode& node);

  // ---- scan page (ui/form1_scan.cpp) -----------------------------------------
  void ScanBtn_Click();
  void cmdPause_Click();

  // ---- results tree (ui/form1_results.cpp) --------------------------------
  void FillSectionResults(const std::string& caption, const std::string& sectionKey);
  static std::string CollapseBackslashes(const std::string& text);

  // ---- repair (ui/form1_repair.cpp) --------------------------------------------
  /// Repairs the ticked problem nodes (after settling the backup), returns
  /// to the first page and tells what was done.
  void nxt_Click();
  /// "Automatic Backup[N]" with the lowest N that has no file yet.
  std::string MakeAutoBackupName();
  /// The backup file of BackupName.
  std::string BackupFilePath();

  /// What the last repair did: problems repaired, and those not repaired
  /// counted by reason.
  RepairReport lastRepair;
  /// Backup records written and synced together before their values are
  /// deleted: one disk flush per batch instead of one per value.
  std::size_t repairBatchRecords = 512;

  // ---- backup manager (ui/form1_backups.cpp) ----------------------------
  void BackupBtn_Click();
  void ListBackups();
  /// A click on the header of the backup list's column `column` (0 name,
  /// 1 creation date, 2 size): sorts by it, ascending; a second click on the
  /// same column reverses the order. Ticks stay with their backups.
  void ListVW1_ColumnClick(int column);
  /// The column the backup list is sorted by (-1: as the folder lists them).
  int backupSortColumn = -1;
  bool backupSortDescending = false;
  void cmdBackUp_Click();
  void cmdRestore_Click();
  /// Writes each ticked backup as "<name>.reg" beside it, for the registry
  /// editor.
  void cmdExport_Click();
  void cmdCleanBackUp_Click();
  void cmdCancel_Click();

  // ---- language texts (ui/language_texts.cpp) --------------------------------
  void SetAllTxt();
  void RenameTreeNode(const std::string& newText, const std::string& textToLookFor);

  // ---- help and support (ui/help_support.cpp) --------------------------------
  void hlpBtn_Click();
  void SuprBtn_Click();

  /// The place being searched (a key name, a folder) in Label3, shown at
  /// most ten times a second: a person reads no more, and every repaint
  /// slows the scan. The last one waits for FlushCurrentPlace.
  void ShowCurrentPlace(const std::string& place);
  /// Shows the place held back last, if any (at the end of a walk).
  void FlushCurrentPlace();

  // ---- ScanCountersView ------------------------------------------------------
  void SetProbFoLbCaption(const std::string& caption) override;
  std::string ProblemsFoundText() override { return texts.ProblemsFoundText; }
  void SetLabel3Caption(const std::string& caption) override;
  std::string NumSecErCaption(int index) override;
  void SetNumSecErCaption(int index, const std::string& caption) override;
  bool SuppressKeyStatus() override;

  // ---- state of the window -----------------------------------------------------
  Platform& p;
  Form1View& view;
  Module1 module1;
  Settings settings;
  FormModel controls;
  TreeModel tvwTree;
  MainTexts texts;
  ResultsTexts resultsTexts;
  WindowsFolders windows;
  /// The scan and its parts; the names below are the scanner's own.
  Scanner scanner;
  ScanState& scanState;
  SearchParameters& searchParameters;
  PathTests& pathTests;
  ProblemLogs& problemLogs;
  SectionChecks& checks;
  /// The user's exclusion list, loaded at every scan's start.
  Exclusions& exclusions;
  std::unique_ptr<Mani>& sReg;

  /// Name of the backup file the repairs after this scan write into (no
  /// folder, no ".bak"); empty: no backup.
  std::string BackupName;
  /// Set at the normal end of a scan, cleared on the way back to the first page.
  bool scanFinished = false;
  /// Set when Abort is pressed during the running scan (the engine clears
  /// its own stop flag after every walk).
  bool abortPressed = false;
  /// Pointer position of the last mouse press on the tree, twips.
  float mx = 0, my = 0;
  /// Counter of problem nodes made in this run (keys stay unique).
  std::int16_t nodeNumber = 0;

 private:
  /// The scanner's observer: the scan page's controls. It also gets the
  /// engine's events outside a scan.
  class ScanPage;
  std::unique_ptr<ScanObserver> MakeScanPage();
  std::unique_ptr<ScanObserver> scanPage_;
  /// True while ScanBtn_Click is on the stack.
  bool scanRunning_ = false;
  /// Suffix of the last key made past the largest node number.
  long keySuffix_ = 0;
  std::string heldPlace_;
  bool placeHeld_ = false;
  std::chrono::steady_clock::time_point placeShownAt_{};
  /// The backups the list shows, in its order.
  std::vector<BackupListing> listedBackups_;
  void ShowListedBackups();

 public:
  bool ScanRunning() const { return scanRunning_; }
  /// Frees engines retired by NewSearchEngine; only when no search runs.
  void FreeRetiredEngines() { scanner.FreeRetiredEngines(); }
};

}  // namespace hw
