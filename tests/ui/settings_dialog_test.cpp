#include "ui/settings_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>

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
  /// A language folder with the given files (name, content).
  void Languages(const std::vector<std::pair<std::string, std::string>>& files, const std::string& chosen) {
    tp.Folder().MakeFolder(ref);
    for (const auto& [name, content] : files) tp.Folder().WriteFile(ref + "\\" + name, content);
    Set(kLocalMachine, kPathKey, "RefFile", ref);
    Set(kCurrentUser, kLanguageKey, "default", chosen);
  }

  test::TestPlatform tp;
  NullForm1View view;
  Form1 form{tp.Get(), view};
  std::string ref = tp.Root() + "\\Lang";
};

TEST_F(SettingsDialogTest, WithNoSettingsItShowsTheDefaultsAndOkStoresThem) {
  SettingsDialog dlg(form);
  dlg.Form_Load();
  struct Path {
    const char *box, *value, *folder;
    bool made;
  };
  const Path paths[] = {{cfg::txtBackupFilepath, "BackUpFile", "\\Backup", true},
                        {cfg::txtLogFilePath, "LogFile", "\\Log", true},
                        {cfg::txtRefFilePath, "RefFile", "\\Ref", false},
                        {cfg::txtSoundFilePath, "SoundFile", "\\Sound", false}};
  for (const Path& p : paths) EXPECT_EQ(Program() + p.folder, dlg.controls.Text(p.box));
  for (const char* box : {cfg::chkNoConfirmation, cfg::chkAutoBackUp, cfg::chkStartUp})
    EXPECT_EQ(0, dlg.controls.Get(box).value) << box;
  // No language folder: the single entry English.
  EXPECT_EQ(std::vector<std::string>{"English"}, dlg.LanguageList());
  EXPECT_EQ("English", dlg.controls.Text(cfg::cboLanguage));
  // Opens on Options; the dialog is the tab strip plus its margins.
  EXPECT_TRUE(dlg.controls.Visible(cfg::optFrame));
  EXPECT_FALSE(dlg.controls.Visible(cfg::frameAbout));
  EXPECT_EQ(dlg.controls.Get(cfg::TabStrip1).width + 100, dlg.controls.Get(cfg::configForm).width);
  EXPECT_EQ(dlg.controls.Get(cfg::TabStrip1).height + 500, dlg.controls.Get(cfg::configForm).height);
  EXPECT_EQ("imgOk", dlg.controls.Get(cfg::cmdOk).picture);
  bool closed = false;
  dlg.onUnload = [&] { closed = true; };
  dlg.cmdOk_Click();
  EXPECT_TRUE(closed && dlg.unloaded);
  for (const Path& p : paths) {
    EXPECT_EQ(Program() + p.folder, Get(kLocalMachine, kPathKey, p.value));
    EXPECT_EQ(p.made, tp.Files().FolderExists(Program() + p.folder)) << p.folder;
  }
  for (const char* option : {"NoConfirmation", "AutoBackup", "Startup"})
    EXPECT_EQ("0", Get(kCurrentUser, kOptionsKey, option));
  EXPECT_EQ("English", Get(kCurrentUser, kLanguageKey, "default"));
  EXPECT_EQ(" ", Get(kLocalMachine, kRunKey, kRunValueName));
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

TEST_F(SettingsDialogTest, StoredSettingsAreShownSwitchesNeedExactlyOneAndCancelWritesNothing) {
  Set(kLocalMachine, kPathKey, "BackUpFile", "  D:\\My Backups\\  ");
  Set(kLocalMachine, kPathKey, "LogFile", "   ");
  for (const auto& [option, text] : {std::pair{"NoConfirmation", " 1 "}, {"AutoBackup", "true"}, {"Startup", "1"}})
    Set(kCurrentUser, kOptionsKey, option, text);
  SettingsDialog dlg(form);
  dlg.Form_Load();
  EXPECT_EQ("D:\\My Backups\\", dlg.controls.Text(cfg::txtBackupFilepath));
  EXPECT_EQ(Program() + "\\Log", dlg.controls.Text(cfg::txtLogFilePath));
  EXPECT_EQ(1, dlg.controls.Get(cfg::chkNoConfirmation).value);
  EXPECT_EQ(0, dlg.controls.Get(cfg::chkAutoBackUp).value);
  EXPECT_EQ(1, dlg.controls.Get(cfg::chkStartUp).value);
  dlg.controls.SetValue(cfg::chkAutoBackUp, 1);
  dlg.controls.SetText(cfg::txtSoundFilePath, "X:\\elsewhere");
  dlg.cmdCancel_Click();
  EXPECT_TRUE(dlg.unloaded);
  EXPECT_EQ("true", Get(kCurrentUser, kOptionsKey, "AutoBackup"));
  EXPECT_EQ(" ", Get(kLocalMachine, kPathKey, "SoundFile"));

  // An emptied box is stored empty, which readers take as not set; paths
  // are stored as they stand, untrimmed.
  SettingsDialog again(form);
  again.Form_Load();
  again.controls.SetText(cfg::txtSoundFilePath, "");
  again.controls.SetValue(cfg::chkAutoBackUp, 1);
  again.cmdOk_Click();
  EXPECT_EQ(" ", Get(kLocalMachine, kPathKey, "SoundFile"));
  EXPECT_EQ(Program() + "\\Sound", form.settings.SoundFolder());
  EXPECT_EQ("1", Get(kCurrentUser, kOptionsKey, "AutoBackup"));
  EXPECT_EQ("D:\\My Backups\\", Get(kLocalMachine, kPathKey, "BackUpFile"));
}

TEST_F(SettingsDialogTest, TheRunValueIsQuotedWrittenOverAnOlderOneAndRemovedWhenUnticked) {
  SystemInfo& sys = tp.Get().system;
  const std::string expected = "\"" + sys.ProgramFolder() + "\\" + sys.ProgramName() + ".exe\" /S";
  struct Step {
    const char* before;  // the Run value beforehand, or none
    int ticked;          // -1: as loaded
    const char* after;
  };
  for (const Step& s : {Step{nullptr, 1, expected.c_str()}, Step{"C:\\old path\\prog.exe /S", -1, expected.c_str()},
                        Step{nullptr, 0, " "}, Step{nullptr, -1, " "}}) {
    if (s.before) Set(kLocalMachine, kRunKey, kRunValueName, s.before);
    SettingsDialog dlg(form);
    dlg.Form_Load();
    EXPECT_EQ(expected, dlg.StartupCommand());
    if (s.ticked >= 0) dlg.controls.SetValue(cfg::chkStartUp, s.ticked);
    dlg.cmdOk_Click();
    EXPECT_EQ(s.after, Get(kLocalMachine, kRunKey, kRunValueName)) << s.ticked;
    EXPECT_EQ(s.after == expected ? "1" : "0", Get(kCurrentUser, kOptionsKey, "Startup")) << s.ticked;
  }
  EXPECT_TRUE(tp.dialogs.messages.empty());  // already absent: no message either
}

TEST_F(SettingsDialogTest, BrowseFillsTheBoxBesideTheButtonUnlessCancelledAndTabsShowTheirPages) {
  SettingsDialog dlg(form);
  dlg.Form_Load();
  const std::string before = dlg.controls.Text(cfg::txtLogFilePath);
  tp.dialogs.folders = {"E:\\Picked", "   ", "F:\\Refs", "G:\\Waves", "H:\\Backups"};
  dlg.cmdLogBrowse_Click();
  dlg.cmdLogBrowse_Click();  // spaces only: as cancelled
  dlg.cmdRefBrowse_Click();
  dlg.cmdWaveBrowse_Click();
  dlg.cmdBackupBrowse_Click();
  dlg.cmdLogBrowse_Click();  // nothing left: cancelled
  EXPECT_EQ("E:\\Picked", dlg.controls.Text(cfg::txtLogFilePath));
  EXPECT_EQ("F:\\Refs", dlg.controls.Text(cfg::txtRefFilePath));
  EXPECT_EQ("G:\\Waves", dlg.controls.Text(cfg::txtSoundFilePath));
  EXPECT_EQ("H:\\Backups", dlg.controls.Text(cfg::txtBackupFilepath));
  EXPECT_EQ(std::vector<std::string>(6, "Choose Directory.."), tp.dialogs.prompts);
  // Each picker opens at the folder its box names at the time.
  EXPECT_EQ(before, tp.dialogs.startFolders.at(0));
  EXPECT_EQ("E:\\Picked", tp.dialogs.startFolders.at(1));
  EXPECT_EQ("E:\\Picked", tp.dialogs.startFolders.at(5));

  struct Page {
    int tab;
    const char* shown;
  };
  for (const Page& p :
       {Page{3, cfg::frameAbout}, Page{2, cfg::frmPath}, Page{4, cfg::frmExclusions}, Page{1, cfg::optFrame}}) {
    dlg.SelectTab(p.tab);
    // The paths page stays put; the others show alone, in front of it.
    for (const char* frame : {cfg::optFrame, cfg::frameAbout, cfg::frmExclusions, cfg::frmPath})
      if (frame == p.shown || frame != std::string(cfg::frmPath)) {
        EXPECT_EQ(frame == p.shown, dlg.controls.Visible(frame)) << p.tab << " " << frame;
      }
    if (p.tab == 2) {
      EXPECT_GT(dlg.controls.Get(cfg::frmPath).zOrder, dlg.controls.Get(cfg::optFrame).zOrder);
    }
  }
  dlg.SelectTab(2);
  dlg.tabKeys[0] = "elsewhere";  // an unknown key changes nothing
  dlg.SelectTab(1);
  EXPECT_TRUE(dlg.controls.Visible(cfg::frmPath));
}

TEST_F(SettingsDialogTest, OnlyIniFilesInLowerCaseAreLanguagesAndTheStoredOneMatchesInAnyCase) {
  Languages({{"English.ini", ""}, {"Deutsch.ini", ""}, {"readme.txt", ""}, {"FRENCH.INI", ""}, {".ini", ""}},
            " deutsch ");
  SettingsDialog dlg(form);
  dlg.Form_Load();
  std::vector<std::string> list = dlg.LanguageList();
  std::sort(list.begin(), list.end());
  EXPECT_EQ((std::vector<std::string>{"Deutsch", "English"}), list);
  EXPECT_EQ("Deutsch", dlg.controls.Text(cfg::cboLanguage));
  EXPECT_EQ("Deutsch", dlg.languageInForce);
  // A language that has gone: the last entry is selected, and stored by OK.
  Set(kCurrentUser, kLanguageKey, "default", "Klingon");
  SettingsDialog gone(form);
  gone.Form_Load();
  EXPECT_EQ(gone.LanguageList().back(), gone.controls.Text(cfg::cboLanguage));
  gone.cmdOk_Click();
  EXPECT_EQ(gone.LanguageList().back(), Get(kCurrentUser, kLanguageKey, "default"));
}

TEST_F(SettingsDialogTest, TheLanguageInForceInAnotherLetterCaseDoesNotRetextTheMainWindow) {
  Languages({{"English.ini", test::ReadSourceFile("/resources/Ref/English.ini")}}, "English");
  form.FormUpdateCode(false, true);
  EXPECT_EQ("My Computer", form.tvwTree.Find("My")->text);
  SettingsDialog dlg(form);
  dlg.Form_Load();
  form.tvwTree.Find("My")->text = "marker";
  dlg.LanguageList().push_back("english");
  dlg.SelectLanguage(static_cast<int>(dlg.LanguageList().size()) - 1);
  dlg.cmdOk_Click();
  EXPECT_EQ("marker", form.tvwTree.Find("My")->text);
  EXPECT_EQ("english", Get(kCurrentUser, kLanguageKey, "default"));
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

TEST_F(SettingsDialogTest, DialogTextsComeFromTheFileAndABadLineRestoresTheDesign) {
  // Main-window lines leave the dialog alone (the line rules are the main
  // window's reader's, tested with it).
  Languages({{"Mine.ini", "1016=Analyse\r\n1057=Einstellungen\r\n1060=Sprache\r\n1065=Ordner?\r\n"
                          "1087=Sicherung\r\n1028=(c) Wir\r\n"},
             {"Bad.ini", "1057=Einstellungen\r\n\r\n1060=Sprache\r\n"}},
            "Mine");
  SettingsDialog mine(form);
  mine.Form_Load();
  EXPECT_EQ("Einstellungen", mine.controls.Text(cfg::configForm));
  EXPECT_EQ("Sprache", mine.controls.Text(cfg::lblLanguage));
  EXPECT_EQ("Ordner?", mine.browseTitle);
  EXPECT_EQ("Sicherung", mine.controls.Text(cfg::chkAutoBackUp));
  EXPECT_EQ("(c) Wir", mine.controls.Text(cfg::lblCopyRightText));
  EXPECT_EQ("Remove All Problems Automatically", mine.controls.Text(cfg::chkNoConfirmation));
  EXPECT_TRUE(tp.dialogs.messages.empty());
  // An empty line in the middle: the design captions back, one message, and
  // the dialog still works.
  Set(kCurrentUser, kLanguageKey, "default", "Bad");
  SettingsDialog bad(form);
  bad.Form_Load();
  EXPECT_EQ("Custom Settings", bad.controls.Text(cfg::configForm));
  EXPECT_EQ("Language", bad.controls.Text(cfg::lblLanguage));
  ASSERT_EQ(1u, tp.dialogs.messages.size());
  EXPECT_EQ(0u, tp.dialogs.messages[0].text.find("Error Description : "));
  EXPECT_NE(std::string::npos, tp.dialogs.messages[0].text.find("\r\nError Source :ApplyDialogTexts function"));
  EXPECT_EQ("Bad", bad.controls.Text(cfg::cboLanguage));
  EXPECT_TRUE(bad.controls.Visible(cfg::optFrame));
}

}  // namespace
}  // namespace hw
