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
  struct Row {
    const char* section;
    RegKey root;
    std::string rootName, key, name, data;
    std::optional<std::string> value;
    std::string path, missing;
  };
  const std::string usf = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  const std::string ap = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\b.exe";
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string lmName = "HKEY_LOCAL_MACHINE";
  // Rows in the order the scan meets them. A key matched by its name (CC,
  // SL: the rule reads its default value) has no value name; a default
  // value met among the values (HR's) has the empty one.
  const std::vector<Row> rows = {
      {"RI", cu, "HKEY_CURRENT_USER", usf, "Favorites", R + "\\Gone B\xC3\xBC" "cher", "Favorites",
       R + "\\Gone B\xC3\xBC" "cher", "folder"},
      {"CC", cr, "HKEY_CLASSES_ROOT", "CLSID\\{B}\\InprocServer32", "", "\"" + R + "\\Missing.dll\" arg",
       std::nullopt, R + "\\Missing.dll", "file"},
      {"SL", lm, lmName, ap, "", R + "\\Missing\\b.exe", std::nullopt, R + "\\Missing\\b.exe", "file"},
      {"WF", lm, lmName, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "Gone", R + "\\Nope.ttf", "Gone",
       R + "\\Nope.ttf", "file"},
      {"HR", lm, lmName, "SOFTWARE\\Microsoft\\Windows\\Help", "", R + "\\Gone", "", R + "\\Gone\\(Default)",
       "file"},
      {"HR", lm, lmName, "SOFTWARE\\Microsoft\\Windows\\Help", "b.hlp", R + "\\Help", "b.hlp", R + "\\Help\\b.hlp",
       "file"},
      {"SP", lm, lmName, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", "Q:\\Lib\\gone.dll",
       "0x00000002(2)", "Q:\\Lib\\gone.dll", "Q:\\Lib\\gone.dll", "drive"},
      {"SuP", cu, "HKEY_CURRENT_USER", run, "u", R + "\\Missing\\user.exe -x", "u", R + "\\Missing\\user.exe",
       "file"},
      {"ArP", lm, lmName, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\P2", "InstallSource",
       R + "\\Missing\\src.msi", "InstallSource", R + "\\Missing\\src.msi", "file"},
      {"VD", lm, lmName, "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers", "a",
       "\"" + R + "\\Missing\\v.vxd\"", "a", R + "\\Missing\\v.vxd", "file"},
  };
  for (const Row& r : rows) {
    if (r.missing == "drive")
      b.Dword(r.root, r.key, r.name, 2);
    else
      b.String(r.root, r.key, r.name, r.data);
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
    const auto fields = [](long n, const std::string& section, const std::string& root, const std::string& key,
                           const std::optional<std::string>& value, const std::string& data, const std::string& path,
                           const std::string& missing) {
      return std::to_string(n) + "|" + section + "|" + root + "|" + key + "|" + value.value_or("<none>") + "|" +
             data + "|" + path + "|" + missing;
    };
    EXPECT_EQ(fields(long(i + 1), r.section, r.rootName, r.key, r.value, r.data, r.path, r.missing),
              fields(p.number, p.section, p.root, p.key, p.value, p.data, p.path, p.missing));
    EXPECT_EQ(std::nullopt, p.shortcut);
    EXPECT_EQ(p.path, seen.problems[i].path);
  }
  // Every section was run, with its own count; DD has nothing to search.
  ASSERT_EQ(10u, out.sections.size());
  EXPECT_EQ("DD", out.sections[3].code);
  EXPECT_EQ(0, out.sections[3].problems);
  EXPECT_EQ("Startup Programmes", out.sections[7].caption);
  EXPECT_EQ(1, out.sections[7].problems);
  EXPECT_EQ(2, out.sections[5].problems);
  EXPECT_GT(out.items, static_cast<long>(rows.size()));
  EXPECT_EQ(nullptr, scanner.State().ErrLog);
  EXPECT_TRUE(tp.dialogs.messages.empty());

  // The logs are the window's: its results page reads them.
  form.FillSectionResults("Custome Controls", "CC");
  ASSERT_EQ(1u, form.tvwTree.Find("CC")->ChildCount());
  EXPECT_EQ(R + "\\Missing.dll", form.tvwTree.Find("CC")->Children()[0]->text);
  EXPECT_EQ(2, form.tvwTree.Find("CC")->Children()[0]->problemNumber);
}

TEST_F(ScannerTest, SectionCodesInAnyCaseChooseTheSectionsRunInCatalogueOrder) {
  PopulateRegistry();

  const ScanOutcome out = scanner.Run({{"sup", "cc"}, {}, true}, seen);
  ASSERT_EQ(ScanOutcome::End::kFinished, out.end) << out.error;
  ASSERT_EQ(2u, out.sections.size());
  EXPECT_EQ("CC", out.sections[0].code);
  EXPECT_EQ("SuP", out.sections[1].code);
  EXPECT_EQ(ExpectedErrLog({"CC", "SuP"}), ErrLog());
  EXPECT_EQ(4u, out.problems.size());
  EXPECT_EQ((std::vector<std::string>{"+CC", "-CC 2", "+SuP", "-SuP 2"}), seen.sections);
  EXPECT_EQ(3u, seen.walks.size()) << "one walk of CC, two of SuP";
}

TEST_F(ScannerTest, AStopRequestEndsTheScanAtOnceWithItsLogsClosed) {
  PopulateRegistry();
  seen.stopAfterProblems = 3;  // the first of CC's two
  const ScanOutcome out = scanner.Run({{}, {}, true}, seen);
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
