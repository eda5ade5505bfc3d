// Scans with the shortcut search over several drives: on Linux the offline
// machine is given three fixed drives of its own, each a scratch folder.
#include <gtest/gtest.h>

#include "registry/settings.h"
#include "support/shortcut_maker.h"
#include "support/scan_repair_machine.h"

namespace hw {
namespace {

class ScanDrivesTest : public test::ScanFixture {
 protected:
  ScanDrivesTest() : test::ScanFixture("DE") {}
  void MakeFolders() {
    for (const char* d : {"C:", "D:", "E:"}) {
      tp.Folder().MakeFolder(std::string(d) + "\\Docs");
      tp.Folder().MakeFolder(std::string(d) + "\\Docs\\Old");
    }
  }
};

TEST_F(ScanDrivesTest, AllSectionsAndThreeDrivesReach95Then105And115AndStayAt120) {
  ASSERT_EQ((std::vector<std::string>{"C", "D", "E"}), Drives());
  PopulateRegistry();
  MakeFolders();
  ClickPicture("My");
  RecordProgress();
  form.ScanBtn_Click();

  EXPECT_EQ((std::vector<long>{0, 5, 15, 25, 35, 45, 55, 65, 70, 75, 80, 85, 95, 105, 115, 120}), progress);
  EXPECT_EQ((std::vector<int>{10, 400, 800, 1200, 1600, 2000, 2400, 2800, 3200, 3600, 4000, 4400, 4400, 4400, 4400}),
            widths);
  // Every drive was searched, each in its turn (its last folder shown), and
  // the log has the shortcut header once after the registry sections.
  for (const std::string d : {"C:", "D:", "E:"})
    EXPECT_TRUE(std::any_of(places.begin(), places.end(), [&](const std::string& p) { return p.rfind(d, 0) == 0; }))
        << d;
  EXPECT_EQ(0u, ErrLog().find(ExpectedErrLog() + "[Scan for Shortcuts]\r\n"));
  EXPECT_EQ("E:", form.scanState.CurrentSection);
  EXPECT_TRUE(form.scanFinished);
  EXPECT_EQ("My Computer (13)", form.tvwTree.Find("My")->text);
  for (std::size_t i = 0; i < 16; ++i) EXPECT_TRUE(form.tvwTree.Nodes()[i]->bold) << i;
}

TEST_F(ScanDrivesTest, ADriveAloneWritesTheShortcutHeaderAndEndsAt10) {
  PopulateRegistry();
  MakeFolders();
  ClickPicture("D");
  RecordProgress();
  form.ScanBtn_Click();
  EXPECT_EQ("[Scan for Shortcuts]\r\n", ErrLog().substr(0, 22));
  EXPECT_EQ((std::vector<long>{0, 10}), progress);
  EXPECT_EQ("D:", form.scanState.CurrentSection);
  EXPECT_FALSE(form.tvwTree.Find("C")->bold);
  EXPECT_TRUE(form.tvwTree.Find("D")->bold);
}

TEST_F(ScanDrivesTest, AbortDuringADriveSearchEndsTheScanThereAndRepairsNothing) {
  // Pressed once the drive's broken shortcut has been found: during D, E is
  // not searched; during E, the last, no results and no repair follow.
  for (const char* drive : {"D", "E"}) {
    SCOPED_TRACE(drive);
    MakeFolders();
    for (const char* d : {"D:", "E:"})
      ASSERT_TRUE(test::MakeShortcutFile(tp.Folder(), std::string(d) + "\\Docs\\broken.lnk", "C:\\Gone\\app.exe"));
    Settings(form.module1).Write(kCurrentUser, kOptionsKey, "NoConfirmation", "1");
    ClickPicture("Scan");
    const std::string section = std::string(drive) + ":";
    const int found = drive == std::string("D") ? 1 : 2;
    tp.pump.When([&] { return form.scanState.CurrentSection == section && form.scanState.ProblemsFound == found; },
                 [&] { form.ext_Click(); });
    form.ScanBtn_Click();
    EXPECT_EQ(drive == std::string("E") ? 2 : 1, form.scanState.ProblemsFound) << "E searched only in its turn";
    EXPECT_FALSE(form.scanFinished);
    EXPECT_EQ(0, form.lastRepair.selected);
    EXPECT_TRUE(tp.Folder().Exists("D:\\Docs\\broken.lnk"));
    EXPECT_TRUE(tp.Folder().Exists("E:\\Docs\\broken.lnk"));
  }
}

TEST_F(ScanDrivesTest, AScannerSearchesTheChosenDrivesAndReportsEachBrokenShortcut) {
  MakeFolders();
  ASSERT_TRUE(test::MakeShortcutFile(tp.Folder(), "D:\\Docs\\broken.lnk", "C:\\Gone\\app.exe"));
  ASSERT_TRUE(test::MakeShortcutFile(tp.Folder(), "D:\\Docs\\Old\\far.lnk", "Q:\\Tools\\x.exe"));
  ASSERT_TRUE(test::MakeShortcutFile(tp.Folder(), "E:\\Docs\\other.lnk", "C:\\Gone\\app.exe"));
  Scanner scanner{tp.Get(), form.module1, form.windows};
  test::RecordingScanObserver seen;
  const ScanOutcome out = scanner.Run({{"scan"}, {"d", "X"}, true}, seen);
  ASSERT_EQ(ScanOutcome::End::kFinished, out.end) << out.error;
  EXPECT_EQ((std::vector<std::string>{"+Scan D:", "-Scan 2"}), seen.sections) << "only D, a fixed drive, once";
  std::vector<std::string> found;
  for (const FoundProblem& p : out.problems) {
    found.push_back(p.section + "|" + p.shortcut.value_or("") + "|" + p.path + "|" + p.data + "|" + p.missing + "|" +
                    p.root + p.key + "|" + p.value.value_or("<none>"));
  }
  EXPECT_EQ((std::vector<std::string>{"Scan|D:\\Docs\\broken.lnk|C:\\Gone\\app.exe|C:\\Gone\\app.exe|target||<none>",
                                      "Scan|D:\\Docs\\Old\\far.lnk|Q:\\Tools\\x.exe|Q:\\Tools\\x.exe|drive||<none>"}),
            found);
  EXPECT_EQ("[Scan for Shortcuts]\r\n1.D:\\Docs\\broken.lnk\r\n2.D:\\Docs\\Old\\far.lnk\r\n", ErrLog());
}

}  // namespace
}  // namespace hw
