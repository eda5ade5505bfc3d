#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "registry/settings.h"
#include "repair/backup_file.h"
#include "repair/repairer.h"
#include "repair/shortcut_backup.h"
#include "support/failing_platform.h"
#include "support/scan_repair_machine.h"
#include "support/shortcut_maker.h"

namespace hw {
namespace {

using test::LoggedProblem;
using test::ValueRef;

class RepairTest : public test::ScanFixture {
 protected:
  std::string Backup(const std::string& name) { return form.settings.BackupFolder() + "\\" + name + ".bak"; }
  void Fill() {
    form.FillSectionResults("Startup Programmes", "SuP");
    form.FillSectionResults("Shared Programmes", "SP");
  }
  std::vector<TreeNode*> Problems() {
    std::vector<TreeNode*> out;
    for (TreeNode* n : form.tvwTree.Nodes())
      if (Contains(n->key, "Err")) out.push_back(n);
    return out;
  }
};

TEST_F(RepairTest, EveryKindOfValueComesBackByteForByte) {
  const auto problems = test::EveryKindOfValue(R);
  test::SetUpProblems(tp.Registry(), tp.Folder(), form.module1, problems);
  const auto before = test::Snapshot(tp.Registry(), problems);
  Fill();
  ASSERT_EQ(problems.size(), Problems().size());

  form.nxt_Click();
  ASSERT_EQ(2u, tp.dialogs.messages.size());
  EXPECT_EQ(form.texts.backupQuestion, tp.dialogs.messages[0].text);
  EXPECT_EQ(MsgButtons::kYesNo, tp.dialogs.messages[0].buttons);
  EXPECT_EQ(form.texts.repairDoneMessage, tp.dialogs.messages[1].text);
  EXPECT_EQ(static_cast<int>(problems.size()), form.lastRepair.repaired);
  for (const LoggedProblem& p : problems) EXPECT_FALSE(test::ReadValue(tp.Registry(), p.value).present) << p.text;
  EXPECT_EQ("[Startup Programmes]\r\n[Shared Programmes]\r\n", tp.Folder().ReadFile(LogPath(kErrLogName)));
  EXPECT_EQ("[Startup Programmes]\r\n[Shared Programmes]\r\n", tp.Folder().ReadFile(LogPath("err.logTemp")));
  EXPECT_TRUE(tp.Folder().Exists(Backup("Automatic Backup[1]")));
  // Back on the first page with a fresh tree.
  EXPECT_TRUE(form.controls.Visible(ctl::firstfrm));
  EXPECT_TRUE(Problems().empty());

  RestoreAll();
  EXPECT_EQ(before, test::Snapshot(tp.Registry(), problems));
  EXPECT_FALSE(tp.Folder().Exists(Backup("Automatic Backup[1]")));
  EXPECT_EQ(2u, tp.dialogs.messages.size());
}

TEST_F(RepairTest, OnlyTickedNodesAreRepairedEachOnItsOwnLine) {
  const std::string key = "Software\\HwTest\\Dup";
  // Two problems with the same text, and one whose text contains another's.
  const std::vector<LoggedProblem> problems = {
      {{kHkeyLocalMachine, key, "first"}, kRegSz, test::Sz(R + "\\dup.exe"), R + "\\dup.exe"},
      {{kHkeyLocalMachine, key, "second"}, kRegSz, test::Sz(R + "\\dup.exe"), R + "\\dup.exe"},
      {{kHkeyLocalMachine, key, "outer"}, kRegSz, test::Sz(R + "\\x.exe /a"), R + "\\x.exe /a"},
      {{kHkeyLocalMachine, key, "inner"}, kRegSz, test::Sz(R + "\\x.exe"), R + "\\x.exe"},
  };
  test::SetUpProblems(tp.Registry(), tp.Folder(), form.module1, problems);
  Fill();
  auto nodes = Problems();
  ASSERT_EQ(4u, nodes.size());
  nodes[0]->image = "NoneReg";
  nodes[2]->image = "NoneReg";
  tp.dialogs.answers.push_back(MsgAnswer::kNo);
  form.nxt_Click();

  EXPECT_TRUE(test::ReadValue(tp.Registry(), problems[0].value).present);
  EXPECT_FALSE(test::ReadValue(tp.Registry(), problems[1].value).present);
  EXPECT_TRUE(test::ReadValue(tp.Registry(), problems[2].value).present);
  EXPECT_FALSE(test::ReadValue(tp.Registry(), problems[3].value).present);
  EXPECT_EQ("[Startup Programmes]\r\n1." + R + "\\dup.exe\r\n3." + R + "\\x.exe /a\r\n",
            tp.Folder().ReadFile(LogPath(kErrLogName)));
  // No backup was wanted, none was written.
  EXPECT_FALSE(tp.Files().FolderExists(form.settings.BackupFolder()));
  EXPECT_EQ(form.texts.repairDoneMessage, tp.dialogs.messages.back().text);
}

// Each problem is looked at again just before it is deleted: what changed
// since the scan stays, and only real failures count as failures.
TEST_F(RepairTest, ASecondLookLeavesWhatIsNoLongerAProblem) {
  const std::string key = "Software\\HwTest\\Fail";
  tp.Folder().MakeFolder(R + "\\Here");
  enum class Then { kKept, kVanished, kChanged, kTargetAppeared, kKeyGone };
  struct Case {
    const char* name;
    Then then;
    bool deleted;
  };
  const std::vector<Case> cases = {{"ok", Then::kKept, true}, {"vanished", Then::kVanished, false},
                                   {"changed", Then::kChanged, false}, {"appeared", Then::kTargetAppeared, false},
                                   {"nokey", Then::kKeyGone, false}};
  std::vector<LoggedProblem> problems;
  for (const Case& c : cases)
    problems.push_back({{kHkeyLocalMachine, key + (c.then == Then::kKeyGone ? "\\Sub" : ""), c.name}, kRegSz,
                        test::Sz("\"" + R + "\\" + c.name + ".exe\" /a"), R + "\\" + c.name + ".exe"});
  test::SetUpProblems(tp.Registry(), tp.Folder(), form.module1, problems);
  // The bytes the scan kept of each (BinaryEntries.log, in number order).
  for (const LoggedProblem& p : problems) {
    BinaryEntry e;
    e.SetText(p.text);
    std::copy_n(p.data.begin(), std::min(p.data.size(), kEntryBytes), e.Bytes.begin());
    form.problemLogs.AppendBinaryEntry(e);
  }
  // Shortcuts: broken, gone, target appeared.
  ASSERT_TRUE(test::MakeShortcutFile(tp.Folder(), R + "\\broken.lnk", R + "\\Missing\\b.exe"));
  ASSERT_TRUE(test::MakeShortcutFile(tp.Folder(), R + "\\fixed.lnk", R + "\\Here"));
  std::string err = tp.Folder().ReadFile(LogPath(kErrLogName));
  err += "[Scan for Shortcuts]\r\n6." + R + "\\broken.lnk\r\n7." + R + "\\never.lnk\r\n8." + R + "\\fixed.lnk\r\n";
  tp.Folder().WriteFile(LogPath(kErrLogName), err);
  Fill();
  form.FillSectionResults("CScan for Shortcuts", "C");
  ASSERT_EQ(8u, Problems().size());

  test::RegistryBuilder b(tp.Registry());
  for (const Case& c : cases) {
    if (c.then == Then::kChanged) b.String(kHkeyLocalMachine, key, c.name, "\"" + R + "\\changed.exe\" /b");
    if (c.then == Then::kTargetAppeared) tp.Folder().WriteFile(R + "\\" + c.name + ".exe", "MZ");
  }
  RegKey h = 0;
  ASSERT_EQ(0, tp.Registry().OpenKeyEx(kHkeyLocalMachine, key, 0, kKeyReadWrite, &h));
  tp.Registry().DeleteValue(h, "vanished");
  tp.Registry().CloseKey(h);
  std::string alerr = tp.Folder().ReadFile(LogPath(kAlErrLogName));
  tp.Folder().WriteFile(LogPath(kAlErrLogName), Replace(alerr, key + "\\Sub#", key + "\\Absent#"));
  const auto before = test::Snapshot(tp.Registry(), problems);

  form.nxt_Click();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const test::ValueState now = test::ReadValue(tp.Registry(), problems[i].value);
    if (cases[i].deleted)
      EXPECT_FALSE(now.present) << cases[i].name;
    else
      EXPECT_EQ(before.at(problems[i].value), now) << cases[i].name;
  }
  EXPECT_FALSE(tp.Folder().Exists(R + "\\broken.lnk"));
  EXPECT_TRUE(tp.Folder().Exists(R + "\\fixed.lnk"));
  EXPECT_EQ(8, form.lastRepair.selected);
  EXPECT_EQ(2, form.lastRepair.repaired);
  EXPECT_EQ(5, form.lastRepair.noLongerAProblem);
  const std::string& msg = tp.dialogs.messages.back().text;
  EXPECT_EQ(1u, InStr(msg, "1 of 8 selected problem(s) could not be repaired:")) << msg;
  EXPECT_TRUE(Contains(msg, "1: the shortcut file no longer exists")) << msg;
  EXPECT_TRUE(Contains(msg, "\r\n\r\n5: no longer a problem")) << msg;
  // Every registry line is gone from err.log, repaired or not.
  EXPECT_FALSE(Contains(tp.Folder().ReadFile(LogPath(kErrLogName)), ".exe")) << tp.Folder().ReadFile(LogPath(kErrLogName));
  // The backup holds exactly the one deleted value.
  auto file = tp.Files().OpenRecordFile(Backup("Automatic Backup[1]"));
  EXPECT_EQ(kBackupSlotLength, file->Length());

  // Without a backup too: a value changed after the scan stays.
  tp.dialogs.answers.push_back(MsgAnswer::kNo);
  problems.resize(1);
  test::SetUpProblems(tp.Registry(), tp.Folder(), form.module1, problems);
  tp.Folder().WriteFile(LogPath(kBinaryEntriesLogName), "");
  Fill();
  b.String(kHkeyLocalMachine, key, "ok", R + "\\other.exe");
  form.nxt_Click();
  EXPECT_TRUE(test::ReadValue(tp.Registry(), problems[0].value).present);
  EXPECT_EQ(1, form.lastRepair.noLongerAProblem);
  EXPECT_EQ(form.texts.repairDoneMessage + "\r\n\r\n1: no longer a problem", tp.dialogs.messages.back().text);
}

TEST_F(RepairTest, ShortcutFilesComeBackFromTheBackupOrGoToTheRecycleBin) {
  namespace fs = std::filesystem;
  struct Case {
    std::string name;
    bool readOnly, hidden;
  };
  const std::vector<Case> cases = {{"plain", false, false}, {"locked", true, false}, {"hidden", false, true}};
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 1000);
  struct Before {
    std::string bytes;
    fs::file_time_type time;
    std::uint32_t attributes;
  };
  std::vector<Before> before;
  auto setUp = [&] {
    std::string err = "[Scan for Shortcuts]\r\n";
    before.clear();
    for (std::size_t i = 0; i < cases.size(); ++i) {
      const std::string path = R + "\\" + cases[i].name + ".lnk";
      ASSERT_TRUE(test::MakeShortcutFile(tp.Folder(), path, R + "\\Missing\\" + cases[i].name + ".exe"));
      fs::last_write_time(tp.Folder().Host(path), old);
      if (cases[i].hidden) tp.Folder().MakeHidden(path);
      if (cases[i].readOnly)
        fs::permissions(tp.Folder().Host(path), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
      before.push_back({tp.Folder().ReadFile(path), fs::last_write_time(tp.Folder().Host(path)),
                        tp.Files().GetAttributes(path)});
      err += std::to_string(i + 1) + "." + path + "\r\n";
    }
    tp.Folder().WriteFile(LogPath(kErrLogName), err);
    tp.Folder().WriteFile(LogPath(kAlErrLogName), "");
    form.FillSectionResults("CScan for Shortcuts", "C");
    ASSERT_EQ(cases.size(), Problems().size());
  };

  setUp();
  Settings(form.module1).Write(kCurrentUser, kOptionsKey, "AutoBackup", "1");
  form.nxt_Click();
  EXPECT_EQ(form.texts.repairDoneMessage, tp.dialogs.messages.back().text);
  const std::string kept = form.settings.BackupFolder() + "\\Automatic Backup[1].shortcuts";
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_FALSE(tp.Folder().Exists(R + "\\" + cases[i].name + ".lnk")) << cases[i].name;
    EXPECT_EQ(before[i].bytes, tp.Folder().ReadFile(kept + "\\" + std::to_string(i + 1) + ".lnk")) << cases[i].name;
  }
  RestoreAll();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string path = R + "\\" + cases[i].name + ".lnk";
    ASSERT_TRUE(tp.Folder().Exists(path)) << cases[i].name;
    EXPECT_EQ(before[i].bytes, tp.Folder().ReadFile(path)) << cases[i].name;
    EXPECT_EQ(before[i].time, fs::last_write_time(tp.Folder().Host(path))) << cases[i].name;
    EXPECT_EQ(before[i].attributes, tp.Files().GetAttributes(path)) << cases[i].name;
  }
  EXPECT_FALSE(tp.Folder().Exists(Backup("Automatic Backup[1]")));
  EXPECT_FALSE(tp.Folder().Exists(kept));

  // Without a backup they go to the Recycle Bin.
  const std::string trash = test::RecycledFilesFolder(tp.Folder());
  // Leftovers of earlier runs in a trash that outlives the test would make
  // the platform pick other names.
  for (const std::string& f : {trash, trash + "\\..\\info"})
    for (const FolderFile& e : tp.Files().FolderExists(f) ? tp.Files().GetFolderFiles(f) : std::vector<FolderFile>{})
      for (const Case& c : cases)
        if (e.name.rfind(c.name + ".lnk", 0) == 0) tp.Files().DeleteFile(f + "\\" + e.name, true);
  for (const Case& c : cases) tp.Files().DeleteFile(R + "\\" + c.name + ".lnk", true);
  setUp();
  Settings(form.module1).Write(kCurrentUser, kOptionsKey, "AutoBackup", "0");
  form.BackupName.clear();
  tp.dialogs.answers.push_back(MsgAnswer::kNo);
  form.nxt_Click();
  EXPECT_EQ(form.texts.repairDoneMessage, tp.dialogs.messages.back().text);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string recycled = trash + "\\" + cases[i].name + ".lnk";
    EXPECT_FALSE(tp.Folder().Exists(R + "\\" + cases[i].name + ".lnk")) << cases[i].name;
    ASSERT_TRUE(tp.Files().FileExists(recycled)) << recycled;
    EXPECT_EQ(before[i].bytes, tp.Folder().ReadFile(recycled)) << cases[i].name;
    tp.Files().DeleteFile(recycled, true);
    const std::string info = trash + "\\..\\info\\" + cases[i].name + ".lnk.trashinfo";
    EXPECT_TRUE(tp.Files().FileExists(info)) << info;
    if (tp.Files().FileExists(info)) tp.Files().DeleteFile(info, true);
  }
}

TEST_F(RepairTest, BackupNamesFromTheButtonAndAutomaticNumbering) {
  tp.dialogs.inputs.push_back("  a/b:c*d?e\"f<g>h|i\\j  ");
  form.cmdBackUp_Click();
  EXPECT_EQ("abcdefghij", form.BackupName);
  EXPECT_EQ(form.texts.backupNamePrompt, tp.dialogs.prompts.back());
  form.cmdBackUp_Click();  // cancelled
  EXPECT_EQ("", form.BackupName);
  tp.dialogs.inputs.push_back(std::string(300, 'n'));
  form.cmdBackUp_Click();
  EXPECT_EQ(std::string(256, 'n'), form.BackupName);
  // Device names are refused with a message; names that only look alike are not.
  const std::vector<std::string> devices = {"NUL", "con.txt", "Com1", "lpt9 ", "aux.bak", "PRN"};
  for (const std::string name : {"NUL", "con.txt", "Com1", "lpt9 ", "aux.bak", "PRN", "COM0", "CONSOLE", "nul1",
                                  "LPT10"}) {
    const bool device = std::find(devices.begin(), devices.end(), name) != devices.end();
    tp.dialogs.messages.clear();
    tp.dialogs.inputs.push_back(name);
    form.cmdBackUp_Click();
    EXPECT_EQ(device ? std::string() : name, form.BackupName) << name;
    ASSERT_EQ(device ? 1u : 0u, tp.dialogs.messages.size()) << name;
    if (device) {
      EXPECT_EQ("\"" + Trim(name) + "\" is the name of a device, not of a file. Please give the backup another name.",
                tp.dialogs.messages[0].text);
    }
  }

  const std::string folder = form.settings.BackupFolder();
  EXPECT_EQ("Automatic Backup[1]", form.MakeAutoBackupName());
  EXPECT_TRUE(tp.Folder().Exists(folder));
  tp.Folder().WriteFile(folder + "\\Automatic Backup[1].bak", "");
  tp.Folder().WriteFile(folder + "\\Automatic Backup[3].bak", "");
  EXPECT_EQ("Automatic Backup[2]", form.MakeAutoBackupName());

  // A name set by the button: nothing is asked and that file is written.
  const std::vector<LoggedProblem> problems = {
      {{kHkeyLocalMachine, "Software\\HwTest\\N", "v"}, kRegSz, test::Sz(R + "\\v.exe"), R + "\\v.exe"}};
  test::SetUpProblems(tp.Registry(), tp.Folder(), form.module1, problems);
  Fill();
  // A device name set otherwise stops the repair before anything is deleted.
  tp.dialogs.messages.clear();
  form.BackupName = "Aux";
  form.nxt_Click();
  ASSERT_EQ(1u, tp.dialogs.messages.size());
  EXPECT_TRUE(test::ReadValue(tp.Registry(), problems[0].value).present);
  tp.dialogs.messages.clear();
  tp.dialogs.inputs.push_back("mine");
  form.cmdBackUp_Click();
  form.nxt_Click();
  ASSERT_EQ(1u, tp.dialogs.messages.size());
  EXPECT_EQ(kBackupSlotLength, tp.Folder().ReadFile(Backup("mine")).size());
}

// The closing message ends the steps that touch the data: the steps after
// it (the first page rebuilt) are not counted.
class DisarmingDialogs : public UserDialogs {
 public:
  DisarmingDialogs(UserDialogs& inner, test::StepFault& fault) : inner_(inner), fault_(fault) {}
  MsgAnswer MessageBox(const std::string& text, const std::string& title, MsgButtons b, MsgIcon icon) override {
    if (b == MsgButtons::kOk) fault_.armed = false;
    return inner_.MessageBox(text, title, b, icon);
  }
  std::string InputBox(const std::string& p, const std::string& t) override { return inner_.InputBox(p, t); }
  std::string BrowseForFolder(const std::string& t, const std::string& s) override {
    return inner_.BrowseForFolder(t, s);
  }

 private:
  UserDialogs& inner_;
  test::StepFault& fault_;
};

// The command-line repair: problems by number, each re-checked, a stop only
// between batches, and nothing of a problem not attempted is touched.
TEST(RepairerTest, ProblemsByNumberAreRepairedExactlyAndAStopLeavesTheRestWhole) {
  // A node text is found in err.log by what follows a "//" (a location
  // shown with its key), else whole.
  EXPECT_EQ("name", Repairer::ProblemSearchText("xxx//a/name"));
  EXPECT_EQ("C:\\a.exe", Repairer::ProblemSearchText("C:\\a.exe"));
  using Result = ProblemOutcome::Result;
  struct Row {
    const char* what;
    std::vector<long> numbers;
    std::size_t batch;
    int stopAtPoll;  ///< 0: never
    std::vector<Result> results;
    bool unsavable = false;  ///< the registry's changes cannot be written out
  };
  const std::vector<Row> rows = {
      {"repaired, changed since the scan, not in the logs, a shortcut", {1, 2, 99, 6}, 512, 0,
       {Result::kRepaired, Result::kNoLongerAProblem, Result::kNotRepaired, Result::kRepaired}},
      {"stopped after the first batch", {1, 3, 4, 5}, 2, 2,
       {Result::kRepaired, Result::kRepaired, Result::kNotAttempted, Result::kNotAttempted}},
      // A deletion the registry cannot save is no repair, though its record is kept.
      {"the registry cannot be saved", {1, 6}, 512, 0, {Result::kNotRepaired, Result::kRepaired}, true},
  };
  struct Unsavable : test::FailingRegistry {
    using FailingRegistry::FailingRegistry;
    long Flush() override { return kErrorAccessDenied; }
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    test::TestPlatform tp;
    Module1 m(tp.Get());
    Settings settings(m);
    const std::string R = tp.Root();
    const auto every = test::EveryKindOfValue(R);
    const std::vector<LoggedProblem> problems(every.begin(), every.begin() + 5);
    test::SetUpProblems(tp.Registry(), tp.Folder(), m, problems);
    const std::string errPath = m.GetLogFolder() + "\\" + kErrLogName;
    const std::string lnk = R + "\\gone.lnk";
    ASSERT_TRUE(test::MakeShortcutFile(tp.Folder(), lnk, R + "\\Missing\\t.exe"));
    tp.Folder().WriteFile(errPath, tp.Folder().ReadFile(errPath) + "[Scan for Shortcuts]\r\n6." + lnk + "\r\n");
    test::RegistryBuilder(tp.Registry()).Value(kHkeyCurrentUser, problems[1].value.key, problems[1].value.name,
                                              kRegExpandSz, test::Sz(R + "\\Other\\b.exe"));
    const auto before = test::Snapshot(tp.Registry(), problems);

    struct StopAt : RepairObserver {
      int at = 0, polls = 0;
      std::size_t lastTaken = 0;
      bool StopRequested() override { return at != 0 && ++polls >= at; }
      void Progress(std::size_t taken, std::size_t) override { lastTaken = taken; }
    } observer;
    observer.at = row.stopAtPoll;
    test::StepFault never;
    Unsavable unsavable(tp.Registry(), never);
    Platform platform = tp.Get();
    Platform withUnsavable{unsavable, platform.files, platform.system, platform.shortcuts, platform.pump,
                           platform.dialogs, platform.shell};
    Repairer repairer(row.unsavable ? withUnsavable : platform, m, settings, RepairTexts{}, "Numbers");
    repairer.batchRecords = row.batch;
    const RepairOutcome out = repairer.RepairNumbers(row.numbers, &observer);

    ASSERT_EQ(row.numbers.size(), out.problems.size());
    std::vector<BackupRecord> expected;
    int repaired = 0;
    std::vector<long> notAttempted;
    for (std::size_t i = 0; i < row.numbers.size(); ++i) {
      const long n = row.numbers[i];
      EXPECT_EQ(n, out.problems[i].number);
      EXPECT_EQ(row.results[i], out.problems[i].result) << n;
      const std::string why = row.unsavable ? RepairTexts{}.reasonNotSaved : RepairTexts{}.reasonNotListed;
      EXPECT_EQ(row.results[i] == Result::kNotRepaired ? why : "", out.problems[i].reason);
      if (row.results[i] == Result::kRepaired) ++repaired;
      if (row.results[i] == Result::kNotAttempted) notAttempted.push_back(n);
      if (n > 5) continue;
      const LoggedProblem& p = problems[n - 1];
      const test::ValueState now = test::ReadValue(tp.Registry(), p.value);
      // An unsaved deletion is gone from the registry's view until it ends;
      // its record restores it.
      if (row.results[i] == Result::kRepaired || row.unsavable) {
        EXPECT_FALSE(now.present) << n;
        expected.push_back({static_cast<std::uint32_t>(p.value.root), p.value.key, p.value.name, p.type, p.data});
      } else {
        EXPECT_EQ(before.at(p.value), now) << n;
      }
      // A problem not attempted keeps its line for a later repair.
      EXPECT_EQ(row.results[i] == Result::kNotAttempted,
                Contains(tp.Folder().ReadFile(errPath), "\r\n" + std::to_string(n) + "."))
          << n;
    }
    EXPECT_EQ(!notAttempted.empty(), out.stopped);
    EXPECT_EQ(notAttempted, out.notAttempted);
    EXPECT_EQ(repaired, out.report.repaired);
    EXPECT_EQ(static_cast<int>(row.numbers.size() - notAttempted.size()), out.report.selected);
    EXPECT_EQ(row.numbers.size() - notAttempted.size(), observer.lastTaken);
    // Exactly the deleted values are in the backup, whole.
    const std::string backup = Repairer::BackupFilePath(settings, "Numbers");
    const BackupContents contents = ParseBackupFile(ReadBackupImage(tp.Files(), backup));
    ASSERT_EQ(expected.size(), contents.records.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(expected[i].KeyName, contents.records[i].KeyName);
      EXPECT_EQ(expected[i].ValueName, contents.records[i].ValueName);
      EXPECT_EQ(expected[i].Data, contents.records[i].Data);
    }
    const bool shortcutTaken = row.numbers.back() == 6;
    EXPECT_EQ(!shortcutTaken, tp.Folder().Exists(lnk));
    EXPECT_EQ(shortcutTaken ? 1 : 0, RestoreShortcutFiles(tp.Files(), backup).restored);
  }
}

// Stops the program at every step of a repair, or fails that one step, and
// proves afterwards that every value is either still there or comes back
// whole from the backup.
TEST(RepairCrashTest, NoValueIsLostWhereverTheRepairStops) {
  for (auto mode : {test::StepFault::Mode::kKill, test::StepFault::Mode::kFail}) {
    long total = -1;
    for (long k = 0; total < 0 || k <= total; ++k) {
      test::TestPlatform tp;
      test::StepFault fault;
      fault.mode = k == 0 ? test::StepFault::Mode::kNone : mode;
      fault.failAt = k;
      test::FailingRegistry registry(tp.Registry(), fault);
      test::FailingFiles files(tp.Files(), fault);
      DisarmingDialogs dialogs(tp.dialogs, fault);
      Platform failing{registry, files, tp.Get().system, tp.Get().shortcuts, tp.pump, dialogs, tp.shell};
      NullForm1View view;
      const auto every = test::EveryKindOfValue(tp.Root());
      // Three strings and three of the other types.
      std::vector<LoggedProblem> problems(every.begin(), every.begin() + 3);
      problems.insert(problems.end(), every.begin() + 6, every.begin() + 9);
      // A value deleted by an earlier repair into the same backup.
      const std::vector<std::string> shortcuts = {tp.Root() + "\\one.lnk", tp.Root() + "\\two.lnk"};
      std::vector<std::string> shortcutBytes;
      const LoggedProblem earlier = {{kHkeyLocalMachine, "Software\\HwTest\\Earlier", "e"}, kRegSz, test::Sz("old"), ""};
      {
        Form1 form{failing, view};
        form.Form_Load();
        test::SetUpProblems(tp.Registry(), tp.Folder(), form.module1, problems);
        std::string err = tp.Folder().ReadFile(form.problemLogs.ErrLogPath()) + "[Scan for Shortcuts]\r\n";
        for (std::size_t i = 0; i < shortcuts.size(); ++i) {
          ASSERT_TRUE(test::MakeShortcutFile(tp.Folder(), shortcuts[i], tp.Root() + "\\Missing\\t.exe"));
          shortcutBytes.push_back(tp.Folder().ReadFile(shortcuts[i]));
          err += std::to_string(problems.size() + 1 + i) + "." + shortcuts[i] + "\r\n";
        }
        tp.Folder().WriteFile(form.problemLogs.ErrLogPath(), err);
        form.FillSectionResults("Startup Programmes", "SuP");
        form.FillSectionResults("Shared Programmes", "SP");
        form.FillSectionResults("CScan for Shortcuts", "C");
        form.BackupName = "Existing";
        form.module1.EnsureFolderPath(form.settings.BackupFolder());
        WriteBackupRecord(tp.Files(), form.BackupFilePath(),
                          {kHkeyLocalMachine, earlier.value.key, earlier.value.name, earlier.type, earlier.data});
        form.repairBatchRecords = 4;  // two batches
        fault.armed = true;
        try {
          form.nxt_Click();
        } catch (const test::Killed&) {
        } catch (const RuntimeError&) {
          // A failure after the repair (language file, tree) reaches the
          // window's trap; the data is what matters here.
        }
        fault.armed = false;
        if (k == 0) {
          total = fault.steps;
          ASSERT_GT(total, 20);
          ASSERT_EQ(8, form.lastRepair.repaired);
        }
      }
      const auto before = [&] {
        std::map<ValueRef, test::ValueState> s;
        for (const LoggedProblem& p : problems) s[p.value] = {true, p.type, p.data};
        s[earlier.value] = {true, earlier.type, earlier.data};
        return s;
      }();
      problems.push_back(earlier);
      // Whatever the registry lost must come back from the backup files.
      Module1 m(tp.Get());
      const std::string folder = Settings(m).BackupFolder();
      if (tp.Files().FolderExists(folder)) {
        for (const FolderFile& f : tp.Files().GetFolderFiles(folder)) {
          RestoreBackupFile(tp.Registry(), tp.Files(), folder + "\\" + f.name);
          RestoreShortcutFiles(tp.Files(), folder + "\\" + f.name);
        }
      }
      for (std::size_t i = 0; i < shortcuts.size(); ++i)
        ASSERT_EQ(shortcutBytes[i], tp.Folder().Exists(shortcuts[i]) ? tp.Folder().ReadFile(shortcuts[i]) : "")
            << shortcuts[i] << (mode == test::StepFault::Mode::kKill ? " killed" : " failed") << " at step " << k;
      ASSERT_EQ(before, test::Snapshot(tp.Registry(), problems))
          << (mode == test::StepFault::Mode::kKill ? "killed" : "failed") << " at step " << k << " of " << total;
    }
  }
}

}  // namespace
}  // namespace hw
