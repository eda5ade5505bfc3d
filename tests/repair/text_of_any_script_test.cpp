// Names in scripts the ANSI code page cannot spell: the scan judges them
// exactly, the repair removes exactly the broken ones, and the backup gives
// them back exactly. The same table runs on the hive backend and on Wine.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "checks/exact_logs.h"
#include "platform/ansi_text.h"
#include "platform/code_page.h"
#include "registry/settings.h"
#include "support/scan_repair_machine.h"
#include "support/shortcut_maker.h"

namespace hw {
namespace {

const RegKey cu = kHkeyCurrentUser, lm = kHkeyLocalMachine, cr = kHkeyClassesRoot;
const std::string kUsf = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const std::string kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const std::string kFonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const std::string kHelp = "SOFTWARE\\Microsoft\\Windows\\Help";
const std::string kDlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// One registry entry: "@" in key, name or data stands for the scratch root.
struct Entry {
  RegKey root;
  std::string key, name, data;
  bool broken;
  bool dword = false;
};

// Every section that reads a path, healthy and broken entries side by side;
// some healthy names have the same '?' form as a broken one ("??").
const std::vector<Entry>& Entries() {
  static const std::vector<Entry> entries = {
      {cu, kUsf, u8"Личное", u8"@\\Дмитрий", false},
      {cu, kUsf, u8"Öffentlich 用户", u8"@\\Дмитрий\\Пропало", true},
      {cr, u8"CLSID\\{Дмитрий}\\InprocServer32", "", u8"@\\Łódź\\lib.dll", false},
      {cr, u8"CLSID\\{用户}\\InprocServer32", "", u8"\"@\\用户\\缺.dll\" arg", true},
      {lm, kAppPaths + u8"\\программа.exe", "", u8"@\\用户\\app.exe", false},
      {lm, kAppPaths + u8"\\丢失.exe", "", u8"@\\用户\\丢失.exe", true},
      {lm, kFonts, u8"Шрифт", u8"@\\Łódź\\font.ttf", false},
      {lm, kFonts, u8"Zły", u8"@\\Łódź\\zły.ttf", true},
      {lm, kHelp, u8"справка.hlp", u8"@\\Дмитрий", false},
      {lm, kHelp, u8"缺.hlp", u8"@\\Дмитрий", true},
      {lm, kDlls, u8"@\\Łódź\\lib.dll", "1", false, true},
      {lm, kDlls, u8"@\\Дмитрий\\нет.dll", "2", true, true},
      {lm, kRun, u8"Запуск", u8"\"@\\用户\\app.exe\" /min", false},
      {lm, kRun, u8"用户", u8"@\\Дмитрий\\нет.exe", true},
      {cu, kRun, u8"户用", u8"@\\用户\\app.exe", false},
      {cu, kRun, u8"??", u8"@\\Łódź\\lib.dll", false},
      {cu, kRun, u8"用户", u8"@\\Łódź\\нет.exe -x", true},
      {lm, kUninstall + u8"\\Продукт", "InstallSource", u8"@\\Дмитрий", false},
      {lm, kUninstall + u8"\\产品", "InstallSource", u8"@\\用户\\缺.msi", true},
  };
  return entries;
}

// Shortcuts made by the platform's shell: link name, target, broken.
struct Link {
  std::string link, target;
  bool broken;
};
const std::vector<Link> kLinks = {
    {u8"@\\Ярлыки\\Дмитрий.lnk", u8"@\\用户\\app.exe", false},
    {u8"@\\Ярлыки\\Łódź.lnk", u8"@\\Дмитрий", false},
    {u8"@\\Ярлыки\\用户.lnk", u8"@\\Дмитрий\\нет.exe", true},
    {u8"@\\Ярлыки\\户用.lnk", u8"@\\Łódź\\lib.dll", false},  // the same "?" form as the broken one
};

class TextOfAnyScriptTest : public test::ScanFixture {
 protected:
  std::string At(const std::string& s) const { return Replace(s, "@", R); }
  test::ValueRef Ref(const Entry& e) const { return {e.root, At(e.key), At(e.name)}; }

  void MakeMachine() {
    auto& f = tp.Folder();
    for (const char* folder : {u8"\\Дмитрий", u8"\\用户", u8"\\Łódź", u8"\\Ярлыки"}) f.MakeFolder(R + folder);
    f.WriteFile(R + u8"\\用户\\app.exe", "MZ");
    f.WriteFile(R + u8"\\Łódź\\lib.dll", "MZ");
    f.WriteFile(R + u8"\\Łódź\\font.ttf", "font");
    f.WriteFile(R + u8"\\Дмитрий\\справка.hlp", "help");
    for (const Entry& e : Entries()) {
      if (e.dword) {
        ASSERT_TRUE(b.Dword(e.root, At(e.key), At(e.name), std::stoul(e.data)));
      } else {
        ASSERT_TRUE(b.String(e.root, At(e.key), At(e.name), At(e.data)));
      }
    }
    for (const Link& l : kLinks) ASSERT_TRUE(test::MakeShortcutFile(f, At(l.link), At(l.target))) << l.link;
  }

  /// The registry lines of alerr.log ("ROOT,/key#(name)"), numbers aside.
  std::set<std::string> Logged() {
    std::set<std::string> lines;
    for (const std::string& line : ReadExactLog(tp.Files(), LogFolder() + "\\alerr.log"))
      if (Contains(line, ",/")) lines.insert(Mid(line, InStr(line, ".") + 1));
    return lines;
  }
};

TEST_F(TextOfAnyScriptTest, ExactlyTheBrokenEntriesAreReportedRepairedAndRestored) {
  MakeMachine();
  // The program's own folders and the backup's name in such letters too.
  Settings(form.module1).Write(kLocalMachine, kPathKey, "BackUpFile", R + u8"\\Резервные копии");
  Settings(form.module1).Write(kLocalMachine, kPathKey, "LogFile", R + u8"\\Журнал 日志");
  ClickPicture("Reg");
  ClickPicture(Drives().front());  // the drive that holds the scratch root
  form.ScanBtn_Click();

  std::set<std::string> broken;
  std::map<test::ValueRef, test::ValueState> before;
  for (const Entry& e : Entries()) {
    const std::string name = At(e.name).empty() ? "(Default)" : At(e.name);
    if (e.broken) broken.insert(Module1::RootKeyName(e.root) + ",/" + At(e.key) + "#(" + name + ")");
    before[Ref(e)] = test::ReadValue(tp.Registry(), Ref(e));
  }
  EXPECT_EQ(broken, Logged());

  // err.log keeps its single-byte form: the twin's lines through the code page.
  const std::string errLog = tp.Folder().ReadFile(LogFolder() + "\\err.log");
  std::string expected;
  for (const std::string& line : ReadExactLog(tp.Files(), LogFolder() + "\\err.log"))
    expected += AnsiFromText(line) + "\r\n";
  EXPECT_EQ(expected, errLog);
  EXPECT_NE(std::string::npos, errLog.find("??"));

  // Problems outside the scratch root (other files on the drive) are left
  // unticked, as a person would.
  std::set<std::string> shortcuts;
  for (TreeNode* node : form.tvwTree.Nodes()) {
    if (!Contains(node->key, "Err", true)) continue;
    const TreeNode* group = node->Parent() ? node->Parent()->Parent() : nullptr;
    if (!group || group->key != "Scan") continue;
    if (Left(node->text, R.size()) == R)
      shortcuts.insert(node->text);
    else
      node->image = "NoneDrive";
  }
  std::set<std::string> brokenLinks;
  for (const Link& l : kLinks)
    if (l.broken) brokenLinks.insert(At(l.link));
  EXPECT_EQ(brokenLinks, shortcuts);

  std::map<std::string, std::string> linkBytes;
  for (const Link& l : kLinks) linkBytes[l.link] = tp.Folder().ReadFile(At(l.link));

  tp.dialogs.inputs.push_back(u8"Копия «用户»");
  form.cmdBackUp_Click();
  form.nxt_Click();
  EXPECT_TRUE(tp.Folder().Exists(R + u8"\\Резервные копии\\Копия «用户».bak"));
  EXPECT_EQ(form.texts.repairDoneMessage, tp.dialogs.messages.back().text);
  for (const Entry& e : Entries())
    EXPECT_EQ(e.broken ? test::ValueState{} : before[Ref(e)], test::ReadValue(tp.Registry(), Ref(e))) << At(e.name);
  for (const Link& l : kLinks) EXPECT_EQ(!l.broken, tp.Folder().Exists(At(l.link))) << l.link;

  RestoreAll();
  for (const Entry& e : Entries()) {
    const test::ValueState now = test::ReadValue(tp.Registry(), Ref(e));
    EXPECT_EQ(before[Ref(e)], now) << At(e.key) << " " << At(e.name);
    if (!e.dword) {
      const std::string text(now.data.begin(), now.data.end());
      EXPECT_EQ(Utf16FromUtf8(At(e.data) + '\0'), Utf16FromUtf8(text)) << "compared in UTF-16";
    }
  }
  // The broken link comes back from the backup with its bytes.
  for (const Link& l : kLinks)
    EXPECT_EQ(linkBytes[l.link], tp.Folder().Exists(At(l.link)) ? tp.Folder().ReadFile(At(l.link)) : "") << l.link;
}

}  // namespace
}  // namespace hw
