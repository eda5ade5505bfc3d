// Scan, repair and restore through the buttons of the main window.
#include <gtest/gtest.h>

#include "registry/settings.h"
#include "platform/vb_text.h"
#include "repair/repair_fixture.h"
#include "scan/scan_fixture.h"

namespace hw {
namespace {

class ScanRepairRestoreTest : public test::ScanFixture {
 protected:
  // Every location alerr.log names, as the scan wrote it.
  std::vector<test::ValueRef> Locations() {
    std::vector<test::ValueRef> refs;
    std::string alerr = tp.Folder().ReadFile(LogFolder() + "\\alerr.log");
    std::size_t start = 0;
    while (start < alerr.size()) {
      std::size_t end = alerr.find("\r\n", start);
      std::string line = alerr.substr(start, end - start);
      start = end + 2;
      std::string loc = Mid(line, InStr(line, ".") + 1);
      std::size_t comma = InStr(loc, ",/"), hash = InStr(loc, "#(");
      std::string name = Mid(loc, hash + 2);
      name.pop_back();
      refs.push_back({Module1::RootKeyFromName(Left(loc, comma - 1)), Mid(loc, comma + 2, hash - comma - 2),
                      name == "(Default)" ? "" : name});
    }
    return refs;
  }
  void RestoreAll() {
    form.BackupBtn_Click();
    for (ListItem& item : form.controls.Items(ctl::ListVW1)) item.checked = true;
    form.cmdRestore_Click();
  }
};

TEST_F(ScanRepairRestoreTest, EveryRegistrySectionScannedRepairedAndRestored) {
  PopulateRegistry();
  ClickPicture("Reg");
  form.ScanBtn_Click();
  const auto refs = Locations();
  ASSERT_GE(refs.size(), 10u);
  std::map<test::ValueRef, test::ValueState> before;
  for (const auto& r : refs) before[r] = test::ReadValue(tp.Registry(), r);

  form.nxt_Click();  // the backup question is answered Yes
  EXPECT_EQ(form.texts.repairDoneMessage, tp.dialogs.messages.back().text);
  EXPECT_EQ(static_cast<int>(refs.size()), form.lastRepair.repaired);
  for (const auto& r : refs) EXPECT_FALSE(test::ReadValue(tp.Registry(), r).present) << r.key << " " << r.name;

  RestoreAll();
  for (const auto& r : refs) EXPECT_EQ(before[r], test::ReadValue(tp.Registry(), r)) << r.key << " " << r.name;
}

TEST_F(ScanRepairRestoreTest, NoConfirmationRepairsRightAfterTheScan) {
  PopulateRegistry();
  Settings(form.module1).Write(kCurrentUser, kOptionsKey, "NoConfirmation", " 1 ");
  Settings(form.module1).Write(kCurrentUser, kOptionsKey, "AutoBackup", "1");
  ClickPicture("CC");
  form.ScanBtn_Click();
  ASSERT_EQ(1u, tp.dialogs.messages.size());
  EXPECT_EQ(form.texts.repairDoneMessage, tp.dialogs.messages[0].text);
  EXPECT_EQ(2, form.lastRepair.repaired);
  EXPECT_FALSE(test::ReadValue(tp.Registry(), {kHkeyClassesRoot, "CLSID\\{B}\\InprocServer32", ""}).present);
  EXPECT_FALSE(test::ReadValue(tp.Registry(), {kHkeyClassesRoot, "CLSID\\{E}\\Sub\\InprocServer32", ""}).present);
  EXPECT_TRUE(form.controls.Visible(ctl::firstfrm));
  EXPECT_TRUE(tp.Folder().Exists(form.settings.BackupFolder() + "\\Automatic Backup[1].bak"));
}

}  // namespace
}  // namespace hw
