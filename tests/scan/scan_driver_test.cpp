#include <gtest/gtest.h>

#include <algorithm>

#include "checks/section_catalogue.h"
#include "registry/settings.h"
#include "support/scan_repair_machine.h"
#include "support/stopwatch.h"

namespace hw {
namespace {

using ScanDriverTest = test::ScanFixture;

TEST_F(ScanDriverTest, NothingSelectedTouchesNoLogAndAScanThatFindsNothingOffersNoRepair) {
  tp.Folder().WriteFile(LogPath("err.log"), "[Custome Controls]\r\n1.C:\\old.dll\r\n");
  tp.Folder().WriteFile(LogPath("BinaryEntries.log"), "old");
  form.ScanBtn_Click();
  // Parents that say Some with no All anywhere are not a selection either.
  form.tvwTree.Find("My")->image = "SomeComp";
  form.tvwTree.Find("Reg")->image = "SomeReg";
  form.ScanBtn_Click();
  ASSERT_EQ(2u, tp.dialogs.messages.size());
  EXPECT_EQ("No Section is selected for scan", tp.dialogs.messages[1].text);
  EXPECT_EQ("Information", tp.dialogs.messages[1].title);
  EXPECT_EQ(0, tp.pump.Count());
  EXPECT_TRUE(form.controls.Enabled(ctl::tvwTree));
  EXPECT_EQ("[Custome Controls]\r\n1.C:\\old.dll\r\n", ErrLog());
  EXPECT_EQ("old", tp.Folder().ReadFile(LogPath("BinaryEntries.log")));
  EXPECT_FALSE(tp.Folder().Exists(LogPath("alerr.log")));
  EXPECT_FALSE(form.scanFinished);

  ClickPicture("Reg");  // an empty registry: every walk finds nothing
  form.ScanBtn_Click();
  EXPECT_EQ("[Registry Integrity]\r\n[Custome Controls]\r\n[Software Locations]\r\n[Device Drivers]\r\n"
            "[Windows Fonts]\r\n[Help And Resources]\r\n[Shared Programmes]\r\n[Startup Programmes]\r\n"
            "[Add/Remove Programmes]\r\n[Virtual Devices]\r\n",
            ErrLog());
  EXPECT_EQ("No Problems Detected", form.controls.Text(ctl::lblErrDetectedProb1));
  EXPECT_FALSE(form.controls.Visible(ctl::nxt));
  EXPECT_TRUE(form.tvwTree.Find("CC")->greyText);
  EXPECT_EQ(95, form.controls.Get(ctl::pgScanSystem).value);
}

TEST_F(ScanDriverTest, APartialSelectionScansOnlyItsSectionsAndShowsTheirResults) {
  PopulateRegistry();
  tp.Folder().WriteFile(LogPath("BinaryEntries.log"), "from an earlier scan");
  ClickPicture("CC");
  ClickPicture("SuP");
  RecordProgress();
  std::vector<std::string> scanned;
  bool treeDisabledDuringScan = true;
  tp.pump.When([&] {
    if (form.controls.Enabled(ctl::tvwTree)) treeDisabledDuringScan = false;
    if (scanned.empty() || scanned.back() != form.controls.Text(ctl::Label1))
      scanned.push_back(form.controls.Text(ctl::Label1));
    return false;
  }, [] {});
  form.ScanBtn_Click();

  EXPECT_TRUE(tp.dialogs.messages.empty());
  EXPECT_TRUE(treeDisabledDuringScan);
  EXPECT_EQ(ExpectedErrLog({"CC", "SuP"}), ErrLog());
  const auto shown = [&](const char* text) { return std::find(scanned.begin(), scanned.end(), text) != scanned.end(); };
  EXPECT_TRUE(shown("Scanning: Custome Controls"));
  EXPECT_TRUE(shown("Scanning: Startup Programmes"));
  EXPECT_FALSE(shown("Scanning: Software Locations"));
  // BinaryEntries.log of the earlier scan is gone; this scan's records only.
  EXPECT_EQ(4u * 769u, tp.Folder().ReadFile(LogPath("BinaryEntries.log")).size());

  // Counters and progress: 10 for each section, the image full at the end.
  EXPECT_EQ("4 Problem(s) Found", form.controls.Text(ctl::ProbFoLb));
  EXPECT_EQ("2", form.controls.Text(ctl::NumSecEr(1)));
  EXPECT_EQ("2", form.controls.Text(ctl::NumSecEr(7)));
  EXPECT_EQ("0", form.controls.Text(ctl::NumSecEr(0)));
  EXPECT_EQ((std::vector<long>{0, 10, 15, 20}), progress);
  EXPECT_EQ((std::vector<int>{10, 800, 3200, 4400}), widths);
  EXPECT_EQ(120, form.controls.Get(ctl::pgScanSystem).max);
  EXPECT_EQ(nullptr, form.scanState.ErrLog);

  // Only selected and partly selected nodes stay bold and show totals.
  for (const char* key : {"RI", "SL", "DD", "WF", "HR", "SP", "ArP", "VD", "Scan"})
    EXPECT_FALSE(form.tvwTree.Find(key)->bold) << key;
  EXPECT_EQ("My Computer (4)", form.tvwTree.Find("My")->text);
  EXPECT_EQ("Scan Registry (4)", form.tvwTree.Find("Reg")->text);
  EXPECT_EQ("Custome Controls (2)", form.tvwTree.Find("CC")->text);
  EXPECT_EQ("Software Locations", form.tvwTree.Find("SL")->text);

  // The results page with the problems as ticked nodes.
  EXPECT_TRUE(form.scanFinished);
  EXPECT_EQ("4  Problems Detected", form.controls.Text(ctl::lblErrDetectedProb1));
  EXPECT_EQ("Return", form.controls.Text(ctl::ext));
  EXPECT_TRUE(form.controls.Visible(ctl::nxt));
  EXPECT_TRUE(form.controls.Enabled(ctl::tvwTree));
  TreeNode& cc = *form.tvwTree.Find("CC");
  ASSERT_EQ(2u, cc.ChildCount());
  EXPECT_EQ(R + "\\Missing.dll", cc.Children()[0]->text);
  EXPECT_EQ(1, cc.Children()[0]->problemNumber);
  EXPECT_EQ(4, form.tvwTree.Find("SuP")->Children()[1]->problemNumber);

  // Return goes back to a fresh first page; later problem nodes get new
  // numbers, so keys stay unique in a run.
  form.ext_Click();
  EXPECT_FALSE(form.scanFinished);
  EXPECT_TRUE(form.controls.Visible(ctl::firstfrm));
  EXPECT_EQ(0u, form.tvwTree.Find("CC")->ChildCount());
  EXPECT_EQ("NoneReg", Image("CC"));
  ClickPicture("CC");
  form.ScanBtn_Click();
  EXPECT_EQ("5Err", form.tvwTree.Find("CC")->Children()[0]->key);
}

TEST_F(ScanDriverTest, NoConfirmationRepairsRightAfterTheScan) {
  PopulateRegistry();
  Settings(form.module1).Write(kCurrentUser, kOptionsKey, "NoConfirmation", " 1 ");
  Settings(form.module1).Write(kCurrentUser, kOptionsKey, "AutoBackup", "1");
  ClickPicture("CC");
  form.ScanBtn_Click();
  ASSERT_EQ(1u, tp.dialogs.messages.size());  // no backup question with AutoBackup
  EXPECT_EQ(form.texts.repairDoneMessage, tp.dialogs.messages[0].text);
  EXPECT_EQ(2, form.lastRepair.repaired);
  for (const SectionEntry& e : SectionEntries()) {
    if (e.section == "CC") {
      EXPECT_EQ(e.problem.empty(), b.Has(e.root, e.key, e.name)) << e.key;
    }
  }
  EXPECT_TRUE(form.controls.Visible(ctl::firstfrm));
  EXPECT_TRUE(tp.Folder().Exists(form.settings.BackupFolder() + "\\Automatic Backup[1].bak"));
}

TEST_F(ScanDriverTest, AnAbortWhereverPressedIsNeverFollowedByResultsOrARepair) {
  // Even with "repair without asking"; also when Scan is pressed in the
  // same drain of messages, while the aborted walk is still on the stack.
  struct Case {
    std::vector<std::string> ticked;
    std::string abortIn;
    bool scanAgain;
    std::string logStart;  ///< what err.log begins with; the sections after abortIn absent
  };
  for (int i = 0; i < 30; ++i) b.String(kHkeyClassesRoot, "CLSID\\{F" + std::to_string(i) + "}", "", "filler");
  for (const Case& c : {Case{{"VD"}, "VD", false, "[Virtual Devices]\r\n"},
                        Case{{"Reg"}, "VD", false, "[Registry Integrity]\r\n1."},
                        Case{{"Reg"}, "CC", false, "[Registry Integrity]\r\n1." + R + "\\Missing\r\n"},
                        Case{{"SuP", "ArP"}, "ArP", false, "[Startup Programmes]\r\n"},
                        Case{{"CC"}, "CC", true, ""}}) {
    SCOPED_TRACE(c.abortIn);
    PopulateRegistry();
    Settings(form.module1).Write(kCurrentUser, kOptionsKey, "NoConfirmation", "1");
    for (const std::string& key : c.ticked) ClickPicture(key);
    long yieldsIn = 0, yieldAtAbort = 0;
    tp.pump.When([&] { return form.scanState.CurrentSection == c.abortIn && ++yieldsIn == 5; }, [&] {
      yieldAtAbort = tp.pump.Count();
      form.ext_Click();
      if (c.scanAgain) form.ScanBtn_Click();
    });
    form.ScanBtn_Click();
    ASSERT_NE(0, yieldAtAbort);
    // The walk finished only the level it was in; nothing later ran.
    EXPECT_LT(tp.pump.Count() - yieldAtAbort, 200);
    EXPECT_FALSE(form.scanFinished);
    EXPECT_TRUE(form.controls.Visible(ctl::firstfrm));
    EXPECT_TRUE(form.controls.Enabled(ctl::tvwTree));
    EXPECT_FALSE(form.controls.Visible(ctl::nxt));
    EXPECT_EQ(nullptr, form.scanState.ErrLog) << "an aborted scan closes its logs";
    EXPECT_EQ(nullptr, form.scanState.AlErrLog);
    for (TreeNode* n : form.tvwTree.Nodes()) EXPECT_EQ(0u, n->image.rfind("None", 0)) << n->key;
    if (!c.scanAgain) {
      const std::string log = ErrLog();
      EXPECT_EQ(0u, log.find(c.logStart)) << log;
      for (const Section& later : SectionCatalogue()) {
        if (later.order > FindSection(c.abortIn)->order) {
          EXPECT_EQ(std::string::npos, log.find(later.logHeader)) << log;
        }
      }
    }
    EXPECT_TRUE(tp.dialogs.messages.empty());
    EXPECT_EQ(0, form.lastRepair.selected);
    for (const SectionEntry& e : SectionEntries()) EXPECT_TRUE(b.Has(e.root, e.key, e.name)) << e.key << " " << e.name;
  }
}

TEST_F(ScanDriverTest, TheCurrentKeyShowsAtMostTenTimesASecondAndTheLastOneWhenAWalkEnds) {
  char name[16];
  for (int i = 0; i < 300; ++i) {
    std::snprintf(name, sizeof name, "{F%03d}", i);
    b.String(kHkeyClassesRoot, std::string("CLSID\\") + name, "", "filler");
  }
  ClickPicture("CC");
  ClickPicture("SL");
  RecordProgress();
  std::string atNextSection;
  tp.pump.When([&] { return form.scanState.CurrentSection == "SL"; },
               [&] { atNextSection = form.controls.Text(ctl::Label3); });
  const double seconds = test::Seconds([&] { form.ScanBtn_Click(); });
  EXPECT_EQ("{F299}", atNextSection);
  EXPECT_LE(places.size(), 3 + static_cast<std::size_t>(seconds * 10)) << "of 300 keys in " << seconds << " s";
}

TEST_F(ScanDriverTest, PauseHoldsTheWalkResumeGoesOnAndAbortEndsThePausedScan) {
  PopulateRegistry();
  ClickPicture("SuP");
  ClickPicture("ArP");
  std::int16_t foundAtAbort = -1;
  long pausedYields = 0, yieldAtAbort = 0;
  tp.pump.When([&] { return form.scanState.CurrentSection == "SuP" && form.scanState.ProblemsFound == 1; },
               [&] {
                 form.cmdPause_Click();
                 EXPECT_EQ("Resume", form.controls.Text(ctl::cmdPause));
                 EXPECT_EQ(ctl::imgResume, form.controls.Get(ctl::cmdPause).picture);
               });
  tp.pump.When([&] { return form.sReg->PauseOperation && ++pausedYields == 40; },
               [&] {
                 foundAtAbort = form.scanState.ProblemsFound;
                 yieldAtAbort = tp.pump.Count();
                 form.ext_Click();
               });
  form.ScanBtn_Click();
  EXPECT_EQ(1, foundAtAbort) << "nothing was found while paused";
  EXPECT_EQ(1, form.scanState.ProblemsFound) << "the search did not go on";
  EXPECT_LT(tp.pump.Count() - yieldAtAbort, 10);
  EXPECT_EQ(std::string::npos, ErrLog().find("[Add/Remove Programmes]"));
  EXPECT_FALSE(form.scanFinished);

  // Paused and resumed in the middle of a walk: the next scan runs unpaused
  // from the start, offers Pause again, and finishes whole.
  ClickPicture("Reg");
  pausedYields = 0;
  tp.pump.When([&] { return form.scanState.CurrentSection == "CC"; }, [&] {
    EXPECT_FALSE(form.sReg->PauseOperation);
    EXPECT_EQ("Pause", form.controls.Text(ctl::cmdPause));
    EXPECT_EQ(ctl::imgPause, form.controls.Get(ctl::cmdPause).picture);
  });
  tp.pump.When([&] { return form.scanState.CurrentSection == "SL"; }, [&] { form.cmdPause_Click(); });
  tp.pump.When([&] { return form.sReg->PauseOperation && ++pausedYields == 25; }, [&] { form.cmdPause_Click(); });
  form.ScanBtn_Click();
  EXPECT_EQ(25, pausedYields);
  EXPECT_FALSE(form.sReg->PauseOperation);
  EXPECT_EQ(ExpectedErrLog(), ErrLog());
  EXPECT_TRUE(form.scanFinished);
}

TEST_F(ScanDriverTest, AnErrorInTheDriverShowsItsDescriptionAndEndsTheScanOnTheResultsLayout) {
  // A log folder on a drive the machine does not have: the logs cannot be made.
  Settings(form.module1).Write(kLocalMachine, kPathKey, "LogFile", "Q:\\Nowhere\\Log");
  ClickPicture("CC");
  form.ScanBtn_Click();
  ASSERT_EQ(1u, tp.dialogs.messages.size());
  EXPECT_FALSE(tp.dialogs.messages[0].text.empty());
  EXPECT_EQ(std::string::npos, tp.dialogs.messages[0].text.find("Error Source"));
  EXPECT_FALSE(form.scanFinished);
  EXPECT_TRUE(form.controls.Enabled(ctl::tvwTree));
  EXPECT_FALSE(form.controls.Visible(ctl::cmdPause));
  EXPECT_EQ(nullptr, form.scanState.ErrLog);
}

}  // namespace
}  // namespace hw
