// The scan as a component: a Scanner over the same registry and folders as
// the window's, driven without the window.
#include <gtest/gtest.h>

#include "support/scan_repair_machine.h"

namespace hw {
namespace {

class ScannerTest : public test::ScanFixture {
 protected:
  Scanner scanner{tp.Get(), form.module1, form.windows};
  test::RecordingScanObserver seen;
};

TEST_F(ScannerTest, EveryRecordedProblemIsReportedAsDataFieldByField) {
  const RegKey cu = kHkeyCurrentUser, lm = kHkeyLocalMachine, cr = kHkeyClassesRoot;
  tp.Folder().MakeFolder(R + "\\Help");
  const std::string usf = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  const std::string cv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\", help = "SOFTWARE\\Microsoft\\Windows\\Help";
  const std::string fonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string vd = "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers";
  struct Row {
    std::string section;
    RegKey root;
    std::string key, name, data, path, missing;
  };
  // In the order the scan meets them ("@" is the scratch root). A key matched
  // by its name (CC, SL: the rule reads its default value) has no value name;
  // a default value met among the values (HR's) has the empty one.
  const std::vector<Row> rows = {
      {"RI", cu, usf, "Favorites", "@\\Gone B\xC3\xBC" "cher", "@\\Gone B\xC3\xBC" "cher", "folder"},
      {"CC", cr, "CLSID\\{B}\\InprocServer32", "", "\"@\\Missing.dll\" arg", "@\\Missing.dll", "file"},
      {"SL", lm, cv + "App Paths\\b.exe", "", "@\\Missing\\b.exe", "@\\Missing\\b.exe", "file"},
      {"WF", lm, fonts, "Gone", "@\\Nope.ttf", "@\\Nope.ttf", "file"},
      {"HR", lm, help, "", "@\\Gone", "@\\Gone\\(Default)", "file"},
      {"HR", lm, help, "b.hlp", "@\\Help", "@\\Help\\b.hlp", "file"},
      {"SP", lm, cv + "SharedDLLs", "Q:\\Lib\\gone.dll", "0x00000002(2)", "Q:\\Lib\\gone.dll", "drive"},
      {"SuP", cu, run, "u", "@\\Missing\\user.exe -x", "@\\Missing\\user.exe", "file"},
      {"ArP", lm, cv + "Uninstall\\P2", "InstallSource", "@\\Missing\\src.msi", "@\\Missing\\src.msi", "file"},
      {"VD", lm, vd, "a", "\"@\\Missing\\v.vxd\"", "@\\Missing\\v.vxd", "file"},
  };
  for (const Row& r : rows) {
    if (r.section == "SP")
      b.Dword(r.root, r.key, r.name, 2);
    else
      b.String(r.root, r.key, r.name, Replace(r.data, "@", R));
  }

  // Every registry section; the drives (under Wine the whole C:) are the
  // shortcut tests' own.
  const ScanOutcome out =
      scanner.Run({{"ri", "cc", "sl", "dd", "wf", "hr", "sp", "sup", "arp", "vd"}, {}, true}, seen);
  ASSERT_EQ(ScanOutcome::End::kFinished, out.end) << out.error;
  ASSERT_EQ(rows.size(), out.problems.size());
  ASSERT_EQ(rows.size(), seen.problems.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& r = rows[i];
    const FoundProblem& p = out.problems[i];
    const std::string value = r.section == "CC" || r.section == "SL" ? "<none>" : r.name;
    EXPECT_EQ(Replace(std::to_string(i + 1) + "|" + r.section + "|" + Module1::RootKeyName(r.root) + "|" + r.key +
                          "|" + value + "|" + r.data + "|" + r.path + "|" + r.missing + "|<none>",
                      "@", R),
              std::to_string(p.number) + "|" + p.section + "|" + p.root + "|" + p.key + "|" +
                  p.value.value_or("<none>") + "|" + p.data + "|" + p.path + "|" + p.missing + "|" +
                  p.shortcut.value_or("<none>"));
    EXPECT_EQ(p.path, seen.problems[i].path);
  }
  // Every section was run, with its own count; DD has nothing to search.
  std::string counts;
  for (const SectionTotal& s : out.sections) counts += s.code + " " + std::to_string(s.problems) + ",";
  EXPECT_EQ("RI 1,CC 1,SL 1,DD 0,WF 1,HR 2,SP 1,SuP 1,ArP 1,VD 1,", counts);
  EXPECT_EQ("Startup Programmes", out.sections[7].caption);
  EXPECT_GT(out.items, static_cast<long>(rows.size()));
  EXPECT_EQ(nullptr, scanner.State().ErrLog);
  EXPECT_TRUE(tp.dialogs.messages.empty());

  // The logs are the window's: its results page reads them.
  form.FillSectionResults("Custome Controls", "CC");
  ASSERT_EQ(1u, form.tvwTree.Find("CC")->ChildCount());
  EXPECT_EQ(R + "\\Missing.dll", form.tvwTree.Find("CC")->Children()[0]->text);
  EXPECT_EQ(2, form.tvwTree.Find("CC")->Children()[0]->problemNumber);
}

TEST_F(ScannerTest, SectionCodesInAnyCaseChooseTheSectionsAndAStopEndsTheScanAtOnce) {
  PopulateRegistry();
  ScanOutcome out = scanner.Run({{"sup", "cc"}, {}, true}, seen);
  ASSERT_EQ(ScanOutcome::End::kFinished, out.end) << out.error;
  EXPECT_EQ(ExpectedErrLog({"CC", "SuP"}), ErrLog());
  EXPECT_EQ(4u, out.problems.size());
  EXPECT_EQ((std::vector<std::string>{"+CC", "-CC 2", "+SuP", "-SuP 2"}), seen.sections);
  EXPECT_EQ((std::vector<std::string>{"CC0", "SuP0", "SuP1"}), seen.walks);

  // A stop request: the logs are closed at once.
  seen = {};
  seen.stopAfterProblems = 3;  // the first of CC's two
  out = scanner.Run({{}, {}, true}, seen);
  EXPECT_EQ(ScanOutcome::End::kStopped, out.end);
  EXPECT_EQ(3u, out.problems.size()) << "the walk ended at its next step";
  EXPECT_EQ("CC", out.sections.back().code);
  EXPECT_EQ(nullptr, scanner.State().ErrLog);
  EXPECT_EQ(nullptr, scanner.State().AlErrLog);
  EXPECT_EQ(std::string::npos, ErrLog().find("[Software Locations]"));

  // The next scan starts afresh, in the log folder its caller chose.
  seen = {};
  form.module1.LogFolderOverride = R + "\\Chosen\\Logs";
  EXPECT_EQ(ScanOutcome::End::kFinished, scanner.Run({{"SL"}, {}, true}, seen).end);
  EXPECT_EQ(ExpectedErrLog({"SL"}), tp.Folder().ReadFile(R + "\\Chosen\\Logs\\err.log"));
}

}  // namespace
}  // namespace hw
