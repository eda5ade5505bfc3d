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
  bool Present(const LoggedProblem& p) { return test::ReadValue(tp.Registry(), p.value).present; }
  std::vector<std::string> Said() {
    std::vector<std::string> texts;
    for (const auto& m : tp.dialogs.messages) texts.push_back(m.text);
    return texts;
  }
};

TEST_F(RepairTest, EveryKindOfValueComesBackByteForByte) {
  const auto problems = test::EveryKindOfValue(R);
  test::SetUpProblems(tp.Registry(), tp.Folder(), form.module1, problems);
  const auto before = test::Snapshot(tp.Registry(), problems);
  Fill();
  form.nxt_Click();
  EXPECT_EQ((std::vector<std::string>{form.texts.backupQuestion, form.texts.repairDoneMessage}), Said());
  EXPECT_EQ(MsgButtons::kYesNo, tp.dialogs.messages[0].buttons);
  EXPECT_EQ(static_cast<int>(problems.size()), form.lastRepair.repaired);
  for (const LoggedProblem& p : problems) EXPECT_FALSE(Present(p)) << p.text;
  for (const char* log : {kErrLogName, "err.logTemp"})
    EXPECT_EQ("[Startup Programmes]\r\n[Shared Programmes]\r\n", tp.Folder().ReadFile(LogPath(log)));
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

  for (std::size_t i = 0; i < problems.size(); ++i) EXPECT_EQ(i % 2 == 0, Present(problems[i])) << i;
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
  // Only "ok" is still a problem when the repair comes to it.
  std::vector<LoggedProblem> problems;
  for (const std::string name : {"ok", "vanished", "changed", "appeared", "nokey"})
    problems.push_back({{kHkeyLocalMachine, key + (name == "nokey" ? "\\Sub" : ""), name}, kRegSz,
                        test::Sz("\"" + R + "\\" + name + ".exe\" /a"), R + "\\" + name + ".exe"});
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
  const std::string err = tp.Folder().ReadFile(LogPath(kErrLogName));
  tp.Folder().WriteFile(LogPath(kErrLogName), err + "[Scan for Shortcuts]\r\n6." + R + "\\broken.lnk\r\n7." + R +
                                                  "\\never.lnk\r\n8." + R + "\\fixed.lnk\r\n");
  Fill();
  form.FillSectionResults("CScan for Shortcuts", "C");

  b.String(kHkeyLocalMachine, key, "changed", "\"" + R + "\\changed.exe\" /b");
  tp.Folder().WriteFile(R + "\\appeared.exe", "MZ");
  form.module1.RegistryDeleteValue(kHkeyLocalMachine, key, "vanished");
  const std::string alerr = tp.Folder().ReadFile(LogPath(kAlErrLogName));
  tp.Folder().WriteFile(LogPath(kAlErrLogName), Replace(alerr, key + "\\Sub#", key + "\\Absent#"));
  auto after = test::Snapshot(tp.Registry(), problems);
  after[problems[0].value] = {};
  form.nxt_Click();
  EXPECT_EQ(after, test::Snapshot(tp.Registry(), problems));
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
  EXPECT_FALSE(Contains(tp.Folder().ReadFile(LogPath(kErrLogName)), ".exe"));
  // The backup holds exactly the one deleted value.
  EXPECT_EQ(kBackupSlotLength, tp.Files().OpenRecordFile(Backup("Automatic Backup[1]"))->Length());

  // Without a backup too: a value changed after the scan stays.
  tp.dialogs.answers.push_back(MsgAnswer::kNo);
  problems.resize(1);
  test::SetUpProblems(tp.Registry(), tp.Folder(), form.module1, problems);
  tp.Folder().WriteFile(LogPath(kBinaryEntriesLogName), "");
  Fill();
  b.String(kHkeyLocalMachine, key, "ok", R + "\\other.exe");
  form.nxt_Click();
  EXPECT_TRUE(Present(problems[0]));
  EXPECT_EQ(form.texts.repairDoneMessage + "\r\n\r\n1: no longer a problem", tp.dialogs.messages.back().text);
}

TEST_F(RepairTest, ShortcutFilesComeBackFromTheBackupOrGoToTheRecycleBin) {
  namespace fs = std::filesystem;
  const std::vector<std::string> names = {"plain", "locked", "hidden"};
  const auto lnk = [&](std::size_t i) { return R + "\\" + names[i] + ".lnk"; };
  const auto state = [&](std::size_t i) {
    return std::make_tuple(tp.Folder().ReadFile(lnk(i)), fs::last_write_time(tp.Folder().Host(lnk(i))),
                           tp.Files().GetAttributes(lnk(i)));
  };
  std::vector<decltype(state(0))> before;
  const auto setUp = [&](const char* autoBackup) {
    std::string err = "[Scan for Shortcuts]\r\n";
    before.clear();
    for (std::size_t i = 0; i < names.size(); ++i) {
      ASSERT_TRUE(test::MakeShortcutFile(tp.Folder(), lnk(i), R + "\\Missing\\" + names[i] + ".exe"));
      fs::last_write_time(tp.Folder().Host(lnk(i)), fs::file_time_type::clock::now() - std::chrono::hours(24000));
      if (names[i] == "hidden") tp.Folder().MakeHidden(lnk(i));
      if (names[i] == "locked") tp.Folder().MakeReadOnly(lnk(i));
      before.push_back(state(i));
      err += std::to_string(i + 1) + "." + lnk(i) + "\r\n";
    }
    tp.Folder().WriteFile(LogPath(kErrLogName), err);
    tp.Folder().WriteFile(LogPath(kAlErrLogName), "");
    form.FillSectionResults("CScan for Shortcuts", "C");
    Settings(form.module1).Write(kCurrentUser, kOptionsKey, "AutoBackup", autoBackup);
  };

  setUp("1");
  form.nxt_Click();
  EXPECT_EQ(form.texts.repairDoneMessage, tp.dialogs.messages.back().text);
  const std::string kept = form.settings.BackupFolder() + "\\Automatic Backup[1].shortcuts";
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_FALSE(tp.Folder().Exists(lnk(i))) << names[i];
    EXPECT_EQ(std::get<0>(before[i]), tp.Folder().ReadFile(kept + "\\" + std::to_string(i + 1) + ".lnk")) << names[i];
  }
  RestoreAll();
  for (std::size_t i = 0; i < names.size(); ++i) {
    ASSERT_TRUE(tp.Folder().Exists(lnk(i))) << names[i];
    EXPECT_EQ(before[i], state(i)) << names[i];
  }
  EXPECT_FALSE(tp.Folder().Exists(Backup("Automatic Backup[1]")));
  EXPECT_FALSE(tp.Folder().Exists(kept));

  // Without a backup they go to the Recycle Bin.
  const std::string trash = test::RecycledFilesFolder(tp.Folder());
  // Leftovers of earlier runs in a trash that outlives the test would make
  // the platform pick other names.
  for (const std::string& f : {trash, trash + "\\..\\info"})
    for (const FolderFile& e : tp.Files().FolderExists(f) ? tp.Files().GetFolderFiles(f) : std::vector<FolderFile>{})
      for (const std::string& name : names)
        if (e.name.rfind(name + ".lnk", 0) == 0) tp.Files().DeleteFile(f + "\\" + e.name, true);
  for (std::size_t i = 0; i < names.size(); ++i) tp.Files().DeleteFile(lnk(i), true);
  setUp("0");
  form.BackupName.clear();
  tp.dialogs.answers.push_back(MsgAnswer::kNo);
  form.nxt_Click();
  EXPECT_EQ(form.texts.repairDoneMessage, tp.dialogs.messages.back().text);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string recycled = trash + "\\" + names[i] + ".lnk";
    const std::string info = trash + "\\..\\info\\" + names[i] + ".lnk.trashinfo";
    EXPECT_FALSE(tp.Folder().Exists(lnk(i))) << names[i];
    ASSERT_TRUE(tp.Files().FileExists(recycled)) << recycled;
    EXPECT_EQ(std::get<0>(before[i]), tp.Folder().ReadFile(recycled)) << names[i];
    EXPECT_TRUE(tp.Files().FileExists(info)) << info;
    for (const std::string& f : {recycled, info})
      if (tp.Files().FileExists(f)) tp.Files().DeleteFile(f, true);
  }
}

TEST_F(RepairTest, BackupNamesFromTheButtonAndAutomaticNumbering) {
  // Typed name, the name the button keeps ("" for a device name, refused
  // with a message; names that only look alike are kept).
  const std::pair<std::string, std::string> typed[] = {
      {"  a/b:c*d?e\"f<g>h|i\\j  ", "abcdefghij"}, {"", ""}, {std::string(300, 'n'), std::string(256, 'n')},
      {"NUL", ""}, {"con.txt", ""}, {"Com1", ""}, {"lpt9 ", ""}, {"aux.bak", ""}, {"PRN", ""},
      {"COM0", "COM0"}, {"CONSOLE", "CONSOLE"}, {"nul1", "nul1"}, {"LPT10", "LPT10"}};
  for (const auto& [name, kept] : typed) {
    tp.dialogs.messages.clear();
    if (!name.empty()) tp.dialogs.inputs.push_back(name);  // none: cancelled
    form.cmdBackUp_Click();
    EXPECT_EQ(form.texts.backupNamePrompt, tp.dialogs.prompts.back());
    EXPECT_EQ(kept, form.BackupName) << name;
    const std::string refusal =
        "\"" + Trim(name) + "\" is the name of a device, not of a file. Please give the backup another name.";
    EXPECT_EQ(kept.empty() && !name.empty() ? std::vector<std::string>{refusal} : std::vector<std::string>{}, Said());
  }

  const std::string folder = form.settings.BackupFolder();
  EXPECT_EQ("Automatic Backup[1]", form.MakeAutoBackupName());
  EXPECT_TRUE(tp.Folder().Exists(folder));
  tp.Folder().WriteFile(folder + "\\Automatic Backup[1].bak", "");
  tp.Folder().WriteFile(folder + "\\Automatic Backup[3].bak", "");
  EXPECT_EQ("Automatic Backup[2]", form.MakeAutoBackupName());

  const std::vector<LoggedProblem> problems = {
      {{kHkeyLocalMachine, "Software\\HwTest\\N", "v"}, kRegSz, test::Sz(R + "\\v.exe"), R + "\\v.exe"}};
  test::SetUpProblems(tp.Registry(), tp.Folder(), form.module1, problems);
  Fill();
  // A device name set otherwise stops the repair before anything is deleted.
  tp.dialogs.messages.clear();
  form.BackupName = "Aux";
  form.nxt_Click();
  ASSERT_EQ(1u, tp.dialogs.messages.size());
  EXPECT_TRUE(Present(problems[0]));
  // A name set by the button: nothing is asked and that file is written.
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
  struct Registry : test::FailingRegistry {
    using FailingRegistry::FailingRegistry;
    bool unsavable = false;
    long Flush() override { return unsavable ? kErrorAccessDenied : FailingRegistry::Flush(); }
  };
  struct StopAt : RepairObserver {
    int at = 0, polls = 0;
    std::size_t lastTaken = 0;
    bool StopRequested() override { return at != 0 && ++polls >= at; }
    void Progress(std::size_t taken, std::size_t) override { lastTaken = taken; }
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

    StopAt observer;
    observer.at = row.stopAtPoll;
    test::StepFault never;
    Registry registry(tp.Registry(), never);
    registry.unsavable = row.unsavable;
    const Platform& p = tp.Get();
    Platform platform{registry, p.files, p.system, p.shortcuts, p.pump, p.dialogs, p.shell};
    Repairer repairer(platform, m, settings, RepairTexts{}, "Numbers");
    repairer.batchRecords = row.batch;
    const RepairOutcome out = repairer.RepairNumbers(row.numbers, &observer);

    std::vector<long> numbers, notAttempted;
    std::vector<Result> results;
    std::vector<std::string> expected;  // the backup's records: key, name, data
    for (const ProblemOutcome& o : out.problems) {
      numbers.push_back(o.number);
      results.push_back(o.result);
      const std::string why = row.unsavable ? RepairTexts{}.reasonNotSaved : RepairTexts{}.reasonNotListed;
      EXPECT_EQ(o.result == Result::kNotRepaired ? why : "", o.reason);
      if (o.result == Result::kNotAttempted) notAttempted.push_back(o.number);
      if (o.number > 5) continue;
      // A problem not attempted keeps its line for a later repair.
      EXPECT_EQ(o.result == Result::kNotAttempted,
                Contains(tp.Folder().ReadFile(errPath), "\r\n" + std::to_string(o.number) + "."))
          << o.number;
      const LoggedProblem& lp = problems[o.number - 1];
      // An unsaved deletion is gone from the registry's view until it ends;
      // its record restores it.
      if (o.result == Result::kRepaired || row.unsavable) {
        EXPECT_FALSE(test::ReadValue(tp.Registry(), lp.value).present) << o.number;
        expected.push_back(lp.value.key + "|" + lp.value.name + "|" + std::string(lp.data.begin(), lp.data.end()));
      } else {
        EXPECT_EQ(before.at(lp.value), test::ReadValue(tp.Registry(), lp.value)) << o.number;
      }
    }
    EXPECT_EQ(row.numbers, numbers);
    EXPECT_EQ(row.results, results);
    EXPECT_EQ(!notAttempted.empty(), out.stopped);
    EXPECT_EQ(notAttempted, out.notAttempted);
    EXPECT_EQ(static_cast<int>(std::count(results.begin(), results.end(), Result::kRepaired)), out.report.repaired);
    EXPECT_EQ(static_cast<int>(row.numbers.size() - notAttempted.size()), out.report.selected);
    EXPECT_EQ(row.numbers.size() - notAttempted.size(), observer.lastTaken);
    // Exactly the deleted values are in the backup, whole.
    const std::string backup = Repairer::BackupFilePath(settings, "Numbers");
    std::vector<std::string> saved;
    for (const BackupRecord& r : ParseBackupFile(ReadBackupImage(tp.Files(), backup)).records)
      saved.push_back(r.KeyName + "|" + r.ValueName + "|" + std::string(r.Data.begin(), r.Data.end()));
    EXPECT_EQ(expected, saved);
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
      const std::string at = (mode == test::StepFault::Mode::kKill ? "killed" : "failed") + std::string(" at step ") +
                             std::to_string(k);
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
      const LoggedProblem earlier = {
          {kHkeyLocalMachine, "Software\\HwTest\\Earlier", "e"}, kRegSz, test::Sz("old"), ""};
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
      problems.push_back(earlier);
      std::map<ValueRef, test::ValueState> before;
      for (const LoggedProblem& p : problems) before[p.value] = {true, p.type, p.data};
      // Whatever the registry lost must come back from the backup files.
      Module1 m(tp.Get());
      const std::string folder = Settings(m).BackupFolder();
      for (const FolderFile& f : tp.Files().GetFolderFiles(folder)) {
        RestoreBackupFile(tp.Registry(), tp.Files(), folder + "\\" + f.name);
        RestoreShortcutFiles(tp.Files(), folder + "\\" + f.name);
      }
      for (std::size_t i = 0; i < shortcuts.size(); ++i)
        ASSERT_EQ(shortcutBytes[i], tp.Folder().Exists(shortcuts[i]) ? tp.Folder().ReadFile(shortcuts[i]) : "")
            << shortcuts[i] << " " << at;
      ASSERT_EQ(before, test::Snapshot(tp.Registry(), problems)) << at << " of " << total;
    }
  }
}

}  // namespace
}  // namespace hw
