// The details pane of a problem node, for every section and every kind of
// missing thing, from a real scan's logs and registry.
#include "ui/problem_details.h"

#include "ui/results_page.h"

#include <gtest/gtest.h>

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

  const std::string lm = "HKEY_LOCAL_MACHINE", sw = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
  struct Row {
    std::string section, problem, details;
  };
  // Data and path tested are the problem's text unless given.
  auto reg = [](const std::string& caption, const std::string& root, const std::string& key, const std::string& value,
                const std::string& data, const std::string& tested, const std::string& kind, const std::string& missing) {
    return "Section: " + caption + "\r\nRoot: " + root + "\r\nKey: " + key + "\r\nValue name: " + value +
           "\r\nData: " + data + "\r\nPath tested: " + tested + "\r\nThe " + kind + " " + missing + " does not exist.";
  };
  auto row = [&](const std::string& section, const std::string& caption, const std::string& root, const std::string& key,
                 const std::string& value, const std::string& problem, const std::string& data = "",
                 const std::string& tested = "", const std::string& kind = "file", const std::string& missing = "") {
    const std::string t = tested.empty() ? problem : tested;
    return Row{section, problem, reg(caption, root, key, value, data.empty() ? problem : data, t, kind, missing.empty() ? t : missing)};
  };
  const std::string hkcu = "HKEY_CURRENT_USER";
  const std::vector<Row> rows = {
      row("RI", "Registry Integrity", hkcu, usf, "Favorites", R + "\\Missing", "", "", "folder"),
      row("RI", "Registry Integrity", hkcu, usf, "OnQ", q + "\\Data", "", "", "drive", q),
      row("CC", "Custome Controls", "HKEY_CLASSES_ROOT", "CLSID\\{B}\\InprocServer32", "(Default)", R + "\\Missing.dll",
          "\"" + R + "\\Missing.dll\" arg"),
      row("SL", "Software Locations", lm, sw + "App Paths\\b.exe", "(Default)", R + "\\Missing\\b.exe"),
      row("WF", "Windows Fonts", lm, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "FullGone", R + "\\Nope.ttf"),
      row("HR", "Help And Resources", lm, "SOFTWARE\\Microsoft\\Windows\\Help", "b.hlp", R + "\\Help", "", R + "\\Help\\b.hlp"),
      row("SP", "Shared Programmes", lm, sw + "SharedDLLs", R + "\\Lib\\gone.dll", R + "\\Lib\\gone.dll", "0x00000002(2)"),
      row("SuP", "Startup Programmes", hkcu, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "a",
          R + "\\Missing\\user.exe -x", "", "", "file", R + "\\Missing\\user.exe"),
      row("ArP", "Add/Remove Programmes", lm, sw + "Uninstall\\P2", "InstallSource", R + "\\Missing\\src.msi"),
      row("VD", "Virtual Devices", lm, "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers", "a",
          R + "\\Missing\\v.vxd", "\"" + R + "\\Missing\\v.vxd\""),
  };
  const ResultsTexts texts;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.problem);
    const TreeNode* node = nullptr;
    for (const TreeNode* n : form.tvwTree.Find(row.section)->Children())
      if (n->text == row.problem) node = n;
    ASSERT_NE(nullptr, node);
    const auto facts = FactsOfProblem(form.module1, *node);
    ASSERT_TRUE(facts);
    EXPECT_EQ(row.details, ProblemDetailsText(*facts, texts));
  }
  // A value removed since the scan is said to be gone; a section node has
  // no details.
  const TreeNode* run = form.tvwTree.Find("SuP")->Children().at(0);
  {
    RegKey h = 0;
    ASSERT_EQ(kErrorSuccess, tp.Registry().OpenKeyEx(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                                     0, kKeyReadWrite, &h));
    tp.Registry().DeleteValue(h, "b");
    tp.Registry().CloseKey(h);
  }
  const auto gone = FactsOfProblem(form.module1, *run);
  ASSERT_TRUE(gone);
  EXPECT_FALSE(gone->valueFound);
  EXPECT_NE(std::string::npos, ProblemDetailsText(*gone, texts).find("Data: (the value is no longer there)\r\n"));
  EXPECT_EQ("HKEY_LOCAL_MACHINE,/Software\\Microsoft\\Windows\\CurrentVersion\\Run#(b)", gone->ExclusionEntry());
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
  EXPECT_EQ(std::vector<std::string>{"HKEY_LOCAL_MACHINE,/Software\\Microsoft\\Windows\\CurrentVersion\\Run#(b)"}, form.exclusions.Entries());
  form.ext_Click();
  ClickPicture("SuP");
  form.ScanBtn_Click();
  EXPECT_EQ("[Startup Programmes]\r\n1." + R + "\\Missing\\user.exe -x\r\n", ErrLog());
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

}  // namespace
}  // namespace hw
