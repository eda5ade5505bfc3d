// The details pane of a problem node, for every section and every kind of
// missing thing, from a real scan's logs and registry.
#include "ui/problem_details.h"

#include "ui/results_page.h"

#include <gtest/gtest.h>

#include <map>

#include "support/scan_repair_machine.h"
#include "platform/vb_text.h"
#include "support/shortcut_maker.h"

namespace hw {
namespace {

using ProblemDetailsTest = test::ScanFixture;

TEST_F(ProblemDetailsTest, EverySectionAndMissingKindIsExplained) {
  PopulateRegistry();
  std::string q;
  for (char c = 'Y'; c > 'D' && q.empty(); --c)
    if (!tp.Files().DriveExists(std::string(1, c) + ":\\")) q = std::string(1, c) + ":";
  ASSERT_FALSE(q.empty());
  const std::string usf = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  b.String(kHkeyCurrentUser, usf, "OnQ", q + "\\Data");
  ClickPicture("Reg");
  form.ScanBtn_Click();
  ASSERT_TRUE(form.scanFinished);

  const std::string lm = "HKEY_LOCAL_MACHINE", cu = "HKEY_CURRENT_USER", sw = "SOFTWARE\\Microsoft\\Windows\\";
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run", cv = sw + "CurrentVersion\\";
  const std::string vd = "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers";
  // Data and path tested are the problem's text unless given; the missing
  // thing is the path tested unless given.
  struct Row {
    const char* section;
    std::string root, key, value, problem, data = "", tested = "", kind = "file", missing = "";
  };
  const Row rows[] = {
      {"RI", cu, usf, "Favorites", R + "\\Missing", "", "", "folder"},
      {"RI", cu, usf, "OnQ", q + "\\Data", "", "", "drive", q},
      {"CC", "HKEY_CLASSES_ROOT", "CLSID\\{B}\\InprocServer32", "(Default)", R + "\\Missing.dll",
       "\"" + R + "\\Missing.dll\" arg"},
      {"SL", lm, cv + "App Paths\\b.exe", "(Default)", R + "\\Missing\\b.exe"},
      {"WF", lm, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "FullGone", R + "\\Nope.ttf"},
      {"HR", lm, sw + "Help", "b.hlp", R + "\\Help", "", R + "\\Help\\b.hlp"},
      {"SP", lm, cv + "SharedDLLs", R + "\\Lib\\gone.dll", R + "\\Lib\\gone.dll", "0x00000002(2)"},
      {"SuP", cu, run, "a", R + "\\Missing\\user.exe -x", "", "", "file", R + "\\Missing\\user.exe"},
      {"ArP", lm, cv + "Uninstall\\P2", "InstallSource", R + "\\Missing\\src.msi"},
      {"VD", lm, vd, "a", R + "\\Missing\\v.vxd", "\"" + R + "\\Missing\\v.vxd\""},
  };
  const std::map<std::string, std::string> captions = {
      {"RI", "Registry Integrity"}, {"CC", "Custome Controls"}, {"SL", "Software Locations"}, {"WF", "Windows Fonts"},
      {"HR", "Help And Resources"}, {"SP", "Shared Programmes"}, {"SuP", "Startup Programmes"},
      {"ArP", "Add/Remove Programmes"}, {"VD", "Virtual Devices"}};
  const ResultsTexts texts;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.problem);
    const TreeNode* node = nullptr;
    for (const TreeNode* n : form.tvwTree.Find(r.section)->Children())
      if (n->text == r.problem) node = n;
    ASSERT_NE(nullptr, node);
    const auto facts = FactsOfProblem(form.module1, *node);
    ASSERT_TRUE(facts);
    const std::string tested = r.tested.empty() ? r.problem : r.tested;
    EXPECT_EQ("Section: " + captions.at(r.section) + "\r\nRoot: " + r.root + "\r\nKey: " + r.key +
                  "\r\nValue name: " + r.value + "\r\nData: " + (r.data.empty() ? r.problem : r.data) +
                  "\r\nPath tested: " + tested + "\r\nThe " + r.kind + " " + (r.missing.empty() ? tested : r.missing) +
                  " does not exist.",
              ProblemDetailsText(*facts, texts));
  }
  // A value removed since the scan is said to be gone; a section node has
  // no details.
  const TreeNode* runB = form.tvwTree.Find("SuP")->Children().at(0);
  form.module1.RegistryDeleteValue(kHkeyLocalMachine, run, "b");
  const auto gone = FactsOfProblem(form.module1, *runB);
  ASSERT_TRUE(gone);
  EXPECT_FALSE(gone->valueFound);
  EXPECT_NE(std::string::npos, ProblemDetailsText(*gone, texts).find("Data: (the value is no longer there)\r\n"));
  EXPECT_EQ("HKEY_LOCAL_MACHINE,/" + run + "#(b)", gone->ExclusionEntry());
  EXPECT_FALSE(FactsOfProblem(form.module1, *form.tvwTree.Find("SuP")));

  // Shortcuts: the target read from the shortcut file, a file or a folder.
  const std::string drive = R.substr(0, 1);
  ASSERT_TRUE(form.tvwTree.Find(drive));
  const std::string lk = R + "\\Links\\";
  ASSERT_TRUE(test::MakeShortcutFile(tp.Folder(), lk + "tool.lnk", R + "\\Old\\tool.exe"));
  ASSERT_TRUE(test::MakeShortcutFile(tp.Folder(), lk + "docs.lnk", R + "\\Old\\Docs"));
  form.scanState.StartCounting();
  form.problemLogs.StartProblemLogs(form.scanState);
  form.scanState.ErrLog->WriteLine("[Scan for Shortcuts]");
  for (const char* name : {"tool.lnk", "docs.lnk"}) {
    form.scanState.ShortcutFilePath = lk + name;
    form.checks.sReg_ShortFound(tp.Get().shortcuts.TargetPath(lk + name));
  }
  ProblemLogs::FinishProblemLogs(form.scanState);
  form.FillSectionResults(drive + "Scan for Shortcuts", drive);
  const TreeNode* driveNode = form.tvwTree.Find(drive);
  ASSERT_EQ(2u, driveNode->ChildCount());
  const std::string section = "Section: Scan for Shortcuts (" + driveNode->text + ")\r\n";
  const std::string expected[] = {
      section + "Shortcut file: " + lk + "tool.lnk\r\nData: " + R + "\\Old\\tool.exe\r\nPath tested: " + R +
          "\\Old\\tool.exe\r\nThe file " + R + "\\Old\\tool.exe does not exist.",
      section + "Shortcut file: " + lk + "docs.lnk\r\nData: " + R + "\\Old\\Docs\r\nPath tested: " + R +
          "\\Old\\Docs\r\nThe folder " + R + "\\Old\\Docs does not exist."};
  for (int i = 0; i < 2; ++i) {
    const auto facts = FactsOfProblem(form.module1, *driveNode->Children()[i]);
    ASSERT_TRUE(facts);
    EXPECT_EQ(expected[i], ProblemDetailsText(*facts, texts));
    EXPECT_EQ(facts->shortcutFile, facts->ExclusionEntry());
  }
}

TEST_F(ProblemDetailsTest, TheEditorKeepsItsNameOfTheComputerAndAnExcludedProblemIsNotFoundAgain) {
  PopulateRegistry();
  ClickPicture("SL");
  ClickPicture("SuP");
  form.ScanBtn_Click();
  ASSERT_TRUE(form.scanFinished);
  TreeNode* sup = form.tvwTree.Find("SuP");
  ASSERT_EQ(2u, sup->ChildCount());
  const std::string first = sup->Children()[0]->key;
  // The editor's own last key names the computer as it names it; the window
  // test opens the editor at a problem through the real menu.
  struct LastKeyRow {
    const char *previous, *expected;
  };
  for (const LastKeyRow& r : {LastKeyRow{"", "Computer\\HKEY_CLASSES_ROOT\\CLSID"},
                              LastKeyRow{"HKEY_CURRENT_USER\\Software", "Computer\\HKEY_CLASSES_ROOT\\CLSID"},
                              LastKeyRow{"My Computer\\HKEY_USERS", "My Computer\\HKEY_CLASSES_ROOT\\CLSID"}})
    EXPECT_EQ(r.expected, RegeditLastKeyText(r.previous, "HKEY_CLASSES_ROOT", "CLSID")) << r.previous;

  // Exclude: the node leaves the results and the next scan does not find it.
  RunResultsCommand(form, first, ResultsCommand::kExclude);
  EXPECT_EQ(nullptr, form.tvwTree.Find(first));
  ASSERT_EQ(1u, form.tvwTree.Find("SuP")->ChildCount());
  EXPECT_EQ(std::vector<std::string>{"HKEY_LOCAL_MACHINE,/Software\\Microsoft\\Windows\\CurrentVersion\\Run#(b)"},
            form.exclusions.Entries());
  form.ext_Click();
  ClickPicture("SuP");
  form.ScanBtn_Click();
  EXPECT_EQ("[Startup Programmes]\r\n1." + R + "\\Missing\\user.exe -x\r\n", ErrLog());
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

}  // namespace
}  // namespace hw
