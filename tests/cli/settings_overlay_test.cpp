#include <gtest/gtest.h>

#include "cli/settings_overlay.h"
#include "registry/settings.h"
#include "support/registry_builder.h"
#include "support/test_platform.h"

namespace hw {
namespace {

// The folders of one run are laid over the settings; nothing is written,
// and everything else reads as stored.
TEST(SettingsOverlay, FoldersOfOneRunOverTheStoredSettings) {
  for (const bool stored : {false, true}) {
    test::TestPlatform tp;
    test::RegistryBuilder b(tp.Registry());
    if (stored) {
      b.String(kHkeyLocalMachine, kPathKey, "LogFile", "C:\\Stored\\Log");
      b.String(kHkeyLocalMachine, kPathKey, "RefFile", "C:\\Stored\\Ref");
    }
    SettingsOverlay overlay(tp.Registry(), {{"LogFile", "C:\\Run\\Log"}});
    Platform p = tp.Get();
    Platform over{overlay, p.files, p.system, p.shortcuts, p.pump, p.dialogs, p.shell};
    Module1 m(over);
    Settings s(m);
    EXPECT_EQ(s.LogFolderSetting(), "C:\\Run\\Log") << stored;
    EXPECT_EQ(s.RefFolder(), stored ? "C:\\Stored\\Ref" : tp.ProgramFolder() + "\\Ref") << stored;
    EXPECT_EQ(s.BackupFolder(), tp.ProgramFolder() + "\\backup") << stored;
    // The stored setting itself is untouched.
    Module1 plain(tp.Get());
    EXPECT_EQ(Settings(plain).LogFolderSetting(), stored ? "C:\\Stored\\Log" : "") << stored;
    EXPECT_EQ(b.Has(kHkeyLocalMachine, kPathKey, "LogFile"), stored) << stored;
  }
}

}  // namespace
}  // namespace hw
