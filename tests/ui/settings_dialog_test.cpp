#include "ui/settings_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/system_info.h"
#include "registry/settings.h"
#include "support/test_paths.h"
#include "support/test_platform.h"
#include "ui/control_names.h"
#include "ui/form1.h"

namespace hw {
namespace {

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { form.Form_Load(); }
  std::string Get(const char* root, const char* key, const char* value) {
    return form.module1.getstr(root, key, value);
  }
  void Set(const char* root, const char* key, const char* value, const std::string& text) {
    Settings(form.module1).Write(root, key, value, text);
  }
  std::string Program() { return tp.ProgramFolder(); }

  test::TestPlatform tp;
  NullForm1View view;
  Form1 form{tp.Get(), view};
};

TEST_F(SettingsDialogTest, WithNoSettingsItShowsTheDefaultsAndOkStoresThem) {
  SettingsDialog dlg(form);
  dlg.Form_Load();
  EXPECT_EQ("Custom Settings", dlg.controls.Text(cfg::configForm));
  EXPECT_EQ("Choose Directory..", dlg.browseTitle);
  EXPECT_EQ(Program() + "\\Backup", dlg.controls.Text(cfg::txtBackupFilepath));
  EXPECT_EQ(Program() + "\\Log", dlg.controls.Text(cfg::txtLogFilePath));
  EXPECT_EQ(Program() + "\\Ref", dlg.controls.Text(cfg::txtRefFilePath));
  EXPECT_EQ(Program() + "\\Sound", dlg.controls.Text(cfg::txtSoundFilePath));
  for (const char* box : {cfg::chkNoConfirmation, cfg::chkAutoBackUp, cfg::chkStartUp})
    EXPECT_EQ(0, dlg.controls.Get(box).value) << box;
  // No language folder: the single entry English.
  EXPECT_EQ(std::vector<std::string>{"English"}, dlg.LanguageList());
  EXPECT_EQ("English", dlg.controls.Text(cfg::cboLanguage));
  EXPECT_EQ("English", dlg.languageInForce);
  // Opens on Options; the dialog is the tab strip plus its margins.
  EXPECT_TRUE(dlg.controls.Visible(cfg::optFrame));
  EXPECT_FALSE(dlg.controls.Visible(cfg::frameAbout));
  EXPECT_EQ(dlg.controls.Get(cfg::TabStrip1).width + 100, dlg.controls.Get(cfg::configForm).width);
  EXPECT_EQ(dlg.controls.Get(cfg::TabStrip1).height + 500, dlg.controls.Get(cfg::configForm).height);
  EXPECT_EQ("imgOk", dlg.controls.Get(cfg::cmdOk).picture);
  EXPECT_EQ("imgCross", dlg.controls.Get(cfg::cmdCancel).picture);

  bool closed = false;
  dlg.onUnload = [&] { closed = true; };
  dlg.cmdOk_Click();
  EXPECT_TRUE(closed);
  EXPECT_TRUE(dlg.unloaded);
  EXPECT_EQ(Program() + "\\Backup", Get(kLocalMachine, kPathKey, "BackUpFile"));
  EXPECT_EQ(Program() + "\\Log", Get(kLocalMachine, kPathKey, "LogFile"));
  EXPECT_EQ(Program() + "\\Ref", Get(kLocalMachine, kPathKey, "RefFile"));
  EXPECT_EQ(Program() + "\\Sound", Get(kLocalMachine, kPathKey, "SoundFile"));
  EXPECT_EQ("0", Get(kCurrentUser, kOptionsKey, "NoConfirmation"));
  EXPECT_EQ("0", Get(kCurrentUser, kOptionsKey, "AutoBackup"));
  EXPECT_EQ("0", Get(kCurrentUser, kOptionsKey, "Startup"));
  EXPECT_EQ("English", Get(kCurrentUser, kLanguageKey, "default"));
  EXPECT_TRUE(tp.Files().FolderExists(Program() + "\\Backup"));
  EXPECT_TRUE(tp.Files().FolderExists(Program() + "\\Log"));
  EXPECT_FALSE(tp.Files().FolderExists(Program() + "\\Sound"));
  EXPECT_EQ(" ", Get(kLocalMachine, kRunKey, kRunValueName));
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

TEST_F(SettingsDialogTest, StoredSettingsAreShownAndSwitchesNeedExactlyOne) {
  Set(kLocalMachine, kPathKey, "BackUpFile", "  D:\\My Backups\\  ");
  Set(kLocalMachine, kPathKey, "LogFile", "   ");
  Set(kCurrentUser, kOptionsKey, "NoConfirmation", " 1 ");
  Set(kCurrentUser, kOptionsKey, "AutoBackup", "true");
  Set(kCurrentUser, kOptionsKey, "Startup", "1");
  SettingsDialog dlg(form);
  dlg.Form_Load();
  EXPECT_EQ("D:\\My Backups\\", dlg.controls.Text(cfg::txtBackupFilepath));
  EXPECT_EQ(Program() + "\\Log", dlg.controls.Text(cfg::txtLogFilePath));
  EXPECT_EQ(1, dlg.controls.Get(cfg::chkNoConfirmation).value);
  EXPECT_EQ(0, dlg.controls.Get(cfg::chkAutoBackUp).value);
  EXPECT_EQ(1, dlg.controls.Get(cfg::chkStartUp).value);

  // Cancel writes nothing.
  dlg.controls.SetValue(cfg::chkAutoBackUp, 1);
  dlg.controls.SetText(cfg::txtSoundFilePath, "X:\\elsewhere");
  dlg.cmdCancel_Click();
  EXPECT_TRUE(dlg.unloaded);
  EXPECT_EQ("true", Get(kCurrentUser, kOptionsKey, "AutoBackup"));
  EXPECT_EQ(" ", Get(kLocalMachine, kPathKey, "SoundFile"));

  // An emptied box is stored empty, which readers take as not set.
  SettingsDialog again(form);
  again.Form_Load();
  again.controls.SetText(cfg::txtSoundFilePath, "");
  again.controls.SetValue(cfg::chkAutoBackUp, 1);
  again.controls.SetValue(cfg::chkStartUp, 0);
  again.cmdOk_Click();
  EXPECT_EQ(" ", Get(kLocalMachine, kPathKey, "SoundFile"));
  EXPECT_EQ(Program() + "\\Sound", form.settings.SoundFolder());
  EXPECT_EQ("1", Get(kCurrentUser, kOptionsKey, "AutoBackup"));
  // Paths are stored as they stand, untrimmed.
  EXPECT_EQ("D:\\My Backups\\", Get(kLocalMachine, kPathKey, "BackUpFile"));
}

TEST_F(SettingsDialogTest, TheRunValueIsQuotedAndRemovedWhenUnticked) {
  SettingsDialog dlg(form);
  dlg.Form_Load();
  const std::string expected =
      "\"" + tp.Get().system.ProgramFolder() + "\\" + tp.Get().system.ProgramName() + ".exe\" /S";
  EXPECT_EQ(expected, dlg.StartupCommand());
  dlg.controls.SetValue(cfg::chkStartUp, 1);
  dlg.cmdOk_Click();
  EXPECT_EQ(expected, Get(kLocalMachine, kRunKey, kRunValueName));
  EXPECT_EQ("1", Get(kCurrentUser, kOptionsKey, "Startup"));

  // Ticked again: written again, also over an older value.
  Set(kLocalMachine, kRunKey, kRunValueName, "C:\\old path\\prog.exe /S");
  SettingsDialog again(form);
  again.Form_Load();
  EXPECT_EQ(1, again.controls.Get(cfg::chkStartUp).value);
  again.cmdOk_Click();
  EXPECT_EQ(expected, Get(kLocalMachine, kRunKey, kRunValueName));

  SettingsDialog off(form);
  off.Form_Load();
  off.controls.SetValue(cfg::chkStartUp, 0);
  off.cmdOk_Click();
  EXPECT_EQ(" ", Get(kLocalMachine, kRunKey, kRunValueName));
  // Already absent: no message either.
  SettingsDialog twice(form);
  twice.Form_Load();
  twice.cmdOk_Click();
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

TEST_F(SettingsDialogTest, BrowseFillsTheBoxBesideTheButtonUnlessCancelled) {
  SettingsDialog dlg(form);
  dlg.Form_Load();
  const std::string before = dlg.controls.Text(cfg::txtLogFilePath);
  tp.dialogs.folders = {"E:\\Picked", "   ", "F:\\Refs", "G:\\Waves", "H:\\Backups"};
  dlg.cmdLogBrowse_Click();
  EXPECT_EQ("E:\\Picked", dlg.controls.Text(cfg::txtLogFilePath));
  dlg.cmdLogBrowse_Click();  // spaces only: as cancelled
  EXPECT_EQ("E:\\Picked", dlg.controls.Text(cfg::txtLogFilePath));
  dlg.cmdRefBrowse_Click();
  dlg.cmdWaveBrowse_Click();
  dlg.cmdBackupBrowse_Click();
  EXPECT_EQ("F:\\Refs", dlg.controls.Text(cfg::txtRefFilePath));
  EXPECT_EQ("G:\\Waves", dlg.controls.Text(cfg::txtSoundFilePath));
  EXPECT_EQ("H:\\Backups", dlg.controls.Text(cfg::txtBackupFilepath));
  dlg.cmdLogBrowse_Click();  // nothing left: cancelled
  EXPECT_EQ("E:\\Picked", dlg.controls.Text(cfg::txtLogFilePath));
  ASSERT_EQ(6u, tp.dialogs.prompts.size());
  for (const auto& p : tp.dialogs.prompts) EXPECT_EQ("Choose Directory..", p);
  // Each picker opens at the folder its box names at the time.
  EXPECT_EQ(before, tp.dialogs.startFolders.at(0));
  EXPECT_EQ("E:\\Picked", tp.dialogs.startFolders.at(1));
  EXPECT_EQ("E:\\Picked", tp.dialogs.startFolders.at(5));
  EXPECT_NE(before, dlg.controls.Text(cfg::txtLogFilePath));
}

TEST_F(SettingsDialogTest, TabsShowTheirPagesAndUnknownKeysChangeNothing) {
  SettingsDialog dlg(form);
  dlg.Form_Load();
  dlg.SelectTab(3);
  EXPECT_TRUE(dlg.controls.Visible(cfg::frameAbout));
  EXPECT_FALSE(dlg.controls.Visible(cfg::optFrame));
  dlg.SelectTab(2);
  EXPECT_FALSE(dlg.controls.Visible(cfg::frameAbout));
  EXPECT_FALSE(dlg.controls.Visible(cfg::optFrame));
  EXPECT_TRUE(dlg.controls.Visible(cfg::frmPath));
  EXPECT_GT(dlg.controls.Get(cfg::frmPath).zOrder, dlg.controls.Get(cfg::optFrame).zOrder);
  dlg.tabKeys[0] = "elsewhere";
  dlg.SelectTab(1);
  EXPECT_FALSE(dlg.controls.Visible(cfg::optFrame));
  EXPECT_TRUE(dlg.controls.Visible(cfg::frmPath));
}

TEST_F(SettingsDialogTest, TheExclusionsPageListsTheEntriesAndRemoveTakesTheSelectedOneOutOfTheRegistry) {
  const std::string location = Exclusions::LocationText(kCurrentUser, "Software\\Gone", "Tool");
  const std::string path = "C:\\Old\\App.exe";
  Exclusions earlier;  // the list as an earlier run left it
  ASSERT_TRUE(earlier.Add(form.module1, location));
  ASSERT_TRUE(earlier.Add(form.module1, path));

  SettingsDialog dlg(form);
  dlg.Form_Load();
  dlg.SelectTab(4);
  EXPECT_TRUE(dlg.controls.Visible(cfg::frmExclusions));
  EXPECT_FALSE(dlg.controls.Visible(cfg::optFrame));
  const auto listed = [&] {
    std::vector<std::string> texts;
    for (const ListItem& item : dlg.controls.Items(cfg::lstExclusions)) texts.push_back(item.text);
    return texts;
  };
  EXPECT_EQ((std::vector<std::string>{location, path}), listed());
  EXPECT_FALSE(dlg.controls.Enabled(cfg::cmdRemoveExclusion));
  dlg.cmdRemoveExclusion_Click();  // nothing selected: nothing removed
  EXPECT_EQ(2u, listed().size());

  dlg.SelectExclusion(0);
  EXPECT_TRUE(dlg.controls.Enabled(cfg::cmdRemoveExclusion));
  dlg.cmdRemoveExclusion_Click();
  EXPECT_EQ(std::vector<std::string>{path}, listed());
  EXPECT_EQ(0, dlg.controls.Get(cfg::lstExclusions).value);  // the next entry is selected
  EXPECT_FALSE(form.exclusions.Contains(location));          // the scanner's list, too
  Exclusions later;
  later.Load(form.module1);
  EXPECT_EQ(std::vector<std::string>{path}, later.Entries());

  dlg.cmdRemoveExclusion_Click();
  EXPECT_TRUE(listed().empty());
  EXPECT_FALSE(dlg.controls.Enabled(cfg::cmdRemoveExclusion));
  later.Load(form.module1);
  EXPECT_TRUE(later.Entries().empty());
}

class LanguageListTest : public SettingsDialogTest {
 protected:
  void SetUp() override {
    SettingsDialogTest::SetUp();
    Set(kLocalMachine, kPathKey, "RefFile", ref);
    tp.Folder().MakeFolder(ref);
  }
  std::string ref = tp.Root() + "\\Lang";
};

TEST_F(LanguageListTest, OnlyLowerCaseIniFilesAreListedAndTheNameMatchesInAnyCase) {
  tp.Folder().WriteFile(ref + "\\English.ini", "");
  tp.Folder().WriteFile(ref + "\\Deutsch.ini", "");
  tp.Folder().WriteFile(ref + "\\readme.txt", "");
  tp.Folder().WriteFile(ref + "\\FRENCH.INI", "");
  tp.Folder().WriteFile(ref + "\\.ini", "");
  Set(kCurrentUser, kLanguageKey, "default", " deutsch ");
  SettingsDialog dlg(form);
  dlg.Form_Load();
  std::vector<std::string> list = dlg.LanguageList();
  std::sort(list.begin(), list.end());
  EXPECT_EQ((std::vector<std::string>{"Deutsch", "English"}), list);
  EXPECT_EQ("Deutsch", dlg.controls.Text(cfg::cboLanguage));
  EXPECT_EQ("Deutsch", dlg.languageInForce);
}

TEST_F(LanguageListTest, AGoneLanguageSelectsTheLastEntryAndAnEmptyFolderOffersEnglish) {
  tp.Folder().WriteFile(ref + "\\Alpha.ini", "");
  tp.Folder().WriteFile(ref + "\\Beta.ini", "");
  Set(kCurrentUser, kLanguageKey, "default", "Klingon");
  SettingsDialog dlg(form);
  dlg.Form_Load();
  ASSERT_EQ(2u, dlg.LanguageList().size());
  EXPECT_EQ(dlg.LanguageList().back(), dlg.controls.Text(cfg::cboLanguage));
  dlg.cmdOk_Click();
  EXPECT_EQ(dlg.LanguageList().back(), Get(kCurrentUser, kLanguageKey, "default"));

  const std::string empty = tp.Root() + "\\NoLanguages";
  tp.Folder().MakeFolder(empty);
  Set(kLocalMachine, kPathKey, "RefFile", empty);
  SettingsDialog none(form);
  none.Form_Load();
  EXPECT_EQ(std::vector<std::string>{"English"}, none.LanguageList());
}

TEST_F(LanguageListTest, ChangingTheLanguageReTextsTheMainWindowButNotForLetterCase) {
  tp.Folder().WriteFile(ref + "\\English.ini", test::ReadSourceFile("/resources/Ref/English.ini"));
  tp.Folder().WriteFile(ref + "\\Deutsch.ini", test::ReadSourceFile("/resources/Ref/Deutsch.ini"));
  Set(kCurrentUser, kLanguageKey, "default", "English");
  form.FormUpdateCode(false, true);
  const std::string englishNode = form.tvwTree.Find("My")->text;
  EXPECT_EQ("My Computer", englishNode);

  SettingsDialog dlg(form);
  dlg.Form_Load();
  EXPECT_EQ("English", dlg.languageInForce);
  // Only the letter case changes: the main window is left as it is.
  form.tvwTree.Find("My")->text = "marker";
  dlg.LanguageList().push_back("english");
  dlg.SelectLanguage(static_cast<int>(dlg.LanguageList().size()) - 1);
  dlg.cmdOk_Click();
  EXPECT_EQ("marker", form.tvwTree.Find("My")->text);
  EXPECT_EQ("english", Get(kCurrentUser, kLanguageKey, "default"));

  SettingsDialog de(form);
  de.Form_Load();
  const auto& list = de.LanguageList();
  const int deutsch = static_cast<int>(std::find(list.begin(), list.end(), "Deutsch") - list.begin());
  de.SelectLanguage(deutsch);
  de.cmdOk_Click();
  EXPECT_EQ("Arbeitsplatz", form.tvwTree.Find("My")->text);
  EXPECT_NE("Scan", form.controls.Text(ctl::ScanBtn));
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

TEST_F(LanguageListTest, DialogTextsComeFromTheFileAndABadLineRestoresTheDesign) {
  tp.Folder().WriteFile(ref + "\\Deutsch.ini", test::ReadSourceFile("/resources/Ref/Deutsch.ini"));
  Set(kCurrentUser, kLanguageKey, "default", "Deutsch");
  SettingsDialog de(form);
  de.Form_Load();
  EXPECT_NE("Custom Settings", de.controls.Text(cfg::configForm));
  EXPECT_NE("Options", de.controls.Text(cfg::TabCaption(1)));
  EXPECT_NE("Choose Directory..", de.browseTitle);
  EXPECT_EQ("&Abbrechen", de.controls.Text(cfg::cmdCancel));
  EXPECT_TRUE(tp.dialogs.messages.empty());

  // Main-window lines leave the dialog alone; the fifth character is skipped,
  // spaces are kept, later lines win.
  tp.Folder().WriteFile(ref + "\\Mine.ini",
                        "1016=Analyse\r\n1057 Einstellungen\r\n1060=  Sprache \r\n1060=Sprache\r\n"
                        "1065=Ordner?\r\n1087=Sicherung\r\n1028=(c) Wir\r\n");
  Set(kCurrentUser, kLanguageKey, "default", "Mine");
  SettingsDialog mine(form);
  mine.Form_Load();
  EXPECT_EQ("Einstellungen", mine.controls.Text(cfg::configForm));
  EXPECT_EQ("Sprache", mine.controls.Text(cfg::lblLanguage));
  EXPECT_EQ("Ordner?", mine.browseTitle);
  EXPECT_EQ("Sicherung", mine.controls.Text(cfg::chkAutoBackUp));
  EXPECT_EQ("(c) Wir", mine.controls.Text(cfg::lblCopyRightText));
  EXPECT_EQ("Remove All Problems Automatically", mine.controls.Text(cfg::chkNoConfirmation));

  // An empty line in the middle: the design captions back, one message.
  tp.Folder().WriteFile(ref + "\\Bad.ini", "1057=Einstellungen\r\n\r\n1060=Sprache\r\n");
  Set(kCurrentUser, kLanguageKey, "default", "Bad");
  SettingsDialog bad(form);
  bad.Form_Load();
  EXPECT_EQ("Custom Settings", bad.controls.Text(cfg::configForm));
  EXPECT_EQ("Language", bad.controls.Text(cfg::lblLanguage));
  ASSERT_EQ(1u, tp.dialogs.messages.size());
  EXPECT_EQ(0u, tp.dialogs.messages[0].text.find("Error Description : "));
  EXPECT_NE(std::string::npos, tp.dialogs.messages[0].text.find("\r\nError Source :ApplyDialogTexts function"));
  // The dialog still works: the language list and the Options page are there.
  EXPECT_EQ("Bad", bad.controls.Text(cfg::cboLanguage));
  EXPECT_TRUE(bad.controls.Visible(cfg::optFrame));
}

}  // namespace
}  // namespace hw
