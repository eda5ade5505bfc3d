#include "registry/settings.h"

#include <gtest/gtest.h>

#include "support/test_platform.h"

namespace hw {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  test::TestPlatform tp;
  Module1 m{tp.Get()};
  Settings s{m};
};

TEST_F(SettingsTest, DefaultsWhenNothingIsStored) {
  EXPECT_EQ(tp.ProgramFolder() + "\\backup", s.BackupFolder());
  EXPECT_EQ(tp.ProgramFolder() + "\\Ref", s.RefFolder());
  EXPECT_EQ(tp.ProgramFolder() + "\\Sound", s.SoundFolder());
  EXPECT_EQ("", s.LogFolderSetting());
  EXPECT_EQ("", s.Language());
  EXPECT_FALSE(s.NoConfirmation());
  EXPECT_FALSE(s.AutoBackup());
  EXPECT_FALSE(s.Startup());
}

TEST_F(SettingsTest, SwitchesAreOnOnlyForTheTextOne) {
  s.Write(kCurrentUser, kOptionsKey, "NoConfirmation", " 1 ");
  s.Write(kCurrentUser, kOptionsKey, "AutoBackup", "true");
  m.WriteRegistryValue(kHkeyCurrentUser, kOptionsKey, "Startup", 1, kRegDword);
  EXPECT_TRUE(s.NoConfirmation());
  EXPECT_FALSE(s.AutoBackup());
  EXPECT_FALSE(s.Startup());
  s.Write(kLocalMachine, kPathKey, "BackUpFile", "    ");
  EXPECT_EQ(tp.ProgramFolder() + "\\backup", s.BackupFolder());
  s.Write(kLocalMachine, kPathKey, "BackUpFile", "D:\\Safe\\");  // kept as typed
  EXPECT_EQ("D:\\Safe\\", s.BackupFolder());
}

TEST_F(SettingsTest, AnEmptyHelpEntryRewritesBothEntries) {
  s.Write(kLocalMachine, kSettingsKey, "Support", "http://elsewhere.example/");
  EXPECT_EQ(tp.ProgramFolder() + "\\help.chm", s.HelpFile());
  EXPECT_EQ(kSupportPageDefault, s.Read(kLocalMachine, kSettingsKey, "Support"));
  // With both present nothing is written again.
  s.Write(kLocalMachine, kSettingsKey, "Help", "X:\\mine.chm");
  EXPECT_EQ(kSupportPageDefault, s.SupportPage());
  EXPECT_EQ("X:\\mine.chm", s.HelpFile());
}

}  // namespace
}  // namespace hw
