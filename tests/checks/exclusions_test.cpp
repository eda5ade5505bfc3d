// The exclusion list: kept in the registry one value per entry, loaded by
// every scan, and honoured by the registry rules and the shortcut rule.
#include "checks/exclusions.h"

#include <gtest/gtest.h>

#include "platform/vb_text.h"
#include "support/scan_repair_machine.h"

namespace hw {
namespace {

using ExclusionsTest = test::ScanFixture;

TEST_F(ExclusionsTest, AScanNeverReportsAnExcludedLocationOrPathAndTheListOutlivesTheProgram) {
  PopulateRegistry();
  // The same missing file named by two sections.
  b.String(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "c", R + "\\Missing\\src.msi");
  const std::string clsidB = "HKEY_CLASSES_ROOT,/CLSID\\{B}\\InprocServer32#((Default))";
  const std::string runB =
      Exclusions::LocationText("HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "b");
  const std::string cc = "[Custome Controls]\r\n", sup = "[Startup Programmes]\r\n";
  const std::string arp = "[Add/Remove Programmes]\r\n";
  struct Row {
    std::vector<std::string> entries;
    std::string errLog;
  };
  const std::vector<Row> rows = {
      {{},
       cc + "1." + R + "\\Missing.dll\r\n2." + R + "\\Gone.dll\r\n" + sup + "3." + R + "\\Missing\\run.exe\r\n4." + R +
           "\\Missing\\src.msi\r\n5." + R + "\\Missing\\user.exe -x\r\n" + arp + "6." + R + "\\Missing\\src.msi\r\n7." +
           R + "\\Missing\\setup.exe /modify\r\n"},
      // Registry locations: the one value only, compared without regard to case.
      {{clsidB, UCase(runB)},
       cc + "1." + R + "\\Gone.dll\r\n" + sup + "2." + R + "\\Missing\\src.msi\r\n3." + R +
           "\\Missing\\user.exe -x\r\n" + arp + "4." + R + "\\Missing\\src.msi\r\n5." + R +
           "\\Missing\\setup.exe /modify\r\n"},
      // A path: from every section that names it.
      {{R + "\\MISSING\\Src.msi"},
       cc + "1." + R + "\\Missing.dll\r\n2." + R + "\\Gone.dll\r\n" + sup + "3." + R + "\\Missing\\run.exe\r\n4." + R +
           "\\Missing\\user.exe -x\r\n" + arp + "5." + R + "\\Missing\\setup.exe /modify\r\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.errLog);
    {
      // An earlier run of the program edits the list; the scan reads it
      // from the registry.
      Exclusions earlier;
      earlier.Load(form.module1);
      const std::vector<std::string> old = earlier.Entries();
      for (const std::string& e : old) EXPECT_TRUE(earlier.Remove(form.module1, e));
      for (const std::string& e : row.entries) EXPECT_TRUE(earlier.Add(form.module1, e));
      if (!row.entries.empty()) {
        EXPECT_FALSE(earlier.Add(form.module1, LCase(row.entries[0])));
      }
    }
    for (const char* key : {"CC", "SuP", "ArP"}) ClickPicture(key);
    form.ScanBtn_Click();
    ASSERT_TRUE(form.scanFinished);
    EXPECT_EQ(row.errLog, ErrLog());
    EXPECT_EQ(row.entries, form.exclusions.Entries());
    form.ext_Click();
  }
  // One value per entry: the removed ones are gone.
  EXPECT_TRUE(b.Has(kHkeyCurrentUser, kExclusionsKey, "1"));
  EXPECT_FALSE(b.Has(kHkeyCurrentUser, kExclusionsKey, "2"));
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

TEST_F(ExclusionsTest, TheShortcutRuleSkipsAnExcludedShortcutFileOrTarget) {
  const std::string lk = R + "\\Links\\";
  {
    Exclusions earlier;
    earlier.Add(form.module1, lk + "FILE.lnk");
    earlier.Add(form.module1, R + "\\Old\\Target.exe");
  }
  form.exclusions.Load(form.module1);
  form.checks.exclusions = &form.exclusions;
  for (int i = 0; i <= 10; ++i) form.controls.SetText(ctl::NumSecEr(i), "0");
  form.scanState.StartCounting();
  form.problemLogs.StartProblemLogs(form.scanState);
  for (const auto& [file, target] : std::vector<std::pair<std::string, std::string>>{
           {"file.lnk", "\\Old\\a.exe"}, {"target.lnk", "\\Old\\target.exe"}, {"kept.lnk", "\\Old\\b.exe"}}) {
    form.scanState.ShortcutFilePath = lk + file;
    form.checks.sReg_ShortFound(R + target);
  }
  ProblemLogs::FinishProblemLogs(form.scanState);
  EXPECT_EQ("1." + lk + "kept.lnk\r\n", tp.Folder().ReadFile(LogFolder() + "\\err.log"));
  EXPECT_EQ("1", form.controls.Text(ctl::NumSecEr(10)));
}

}  // namespace
}  // namespace hw
