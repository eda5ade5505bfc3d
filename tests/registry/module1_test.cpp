#include "registry/module1.h"

#include <gtest/gtest.h>

#include "platform/runtime_error.h"
#include "registry/settings.h"
#include "support/registry_builder.h"
#include "support/scan_repair_machine.h"

namespace hw {
namespace {

constexpr char kTestKey[] = "SOFTWARE\\HwModule1Test";
const std::string kPath = std::string("HKEY_LOCAL_MACHINE\\") + kTestKey;

class Module1Test : public ::testing::Test {
 protected:
  test::TestPlatform tp;
  Module1 m{tp.Get()};
  Settings s{m};
  test::RegistryBuilder b{tp.Registry()};

  void SetRaw(const std::string& name, std::uint32_t type, const std::string& bytes) {
    ASSERT_TRUE(b.Value(kHkeyLocalMachine, kTestKey, name, type, test::Bytes(bytes.begin(), bytes.end())));
  }
  test::ValueState Raw(const std::string& name) {
    return test::ReadValue(tp.Registry(), {kHkeyLocalMachine, kTestKey, name});
  }
};

TEST_F(Module1Test, StringsAreReadByTheOriginalBufferRulesAndMalformedPathsAreRefused) {
  SetRaw("", kRegSz, std::string("C:\\app.exe\0", 11));
  SetRaw("lead", kRegSz, std::string("  x  \0", 6));
  SetRaw("long", kRegSz, std::string(255, 'a') + '\0');
  SetRaw("max", kRegSz, std::string(254, 'b') + '\0');
  SetRaw("sz", kRegSz, std::string("abc\0xyz\0", 8));
  SetRaw("empty", kRegSz, std::string("\0", 1));
  SetRaw("exp", kRegExpandSz, std::string("%X%\0", 4));
  SetRaw("dw", kRegDword, std::string("\x01\0\0\0", 4));
  // ReadStringAtPath: 255 bytes, leading spaces lost, "Error" when unreadable.
  for (const auto& [path, name, want] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {kPath, "", "C:\\app.exe"}, {kPath, "lead", "x  "}, {kPath, "long", "Error"},
           {kPath, "max", std::string(254, 'b')}, {kPath, "missing", "Error"}, {kPath + "\\Nope", "", "Error"},
           {"HKEY_FOO\\X", "", ""}})  // a well-formed path of no known root: nothing, no message
    EXPECT_EQ(want, m.ReadStringAtPath(path, name)) << path << " " << name;
  EXPECT_TRUE(tp.dialogs.messages.empty());
  // getstr: REG_SZ only, cut at its NUL, " " for nothing.
  EXPECT_EQ("abc", m.getstr("HKEY_LOCAL_MACHINE", kTestKey, "sz"));
  for (const char* name : {"empty", "exp", "dw", "missing"})
    EXPECT_EQ(" ", m.getstr("HKEY_LOCAL_MACHINE", kTestKey, name)) << name;
  EXPECT_EQ(" ", m.getstr("HKEY_LOCAL_MACHINE", "SOFTWARE\\NoSuchKey", "sz"));

  for (const std::string bad : {"hkey_local_machine\\X", "HKEY_LOCAL_MACHINE\\X\\"}) {
    EXPECT_EQ("", m.ReadStringAtPath(bad, "")) << bad;
    ASSERT_FALSE(tp.dialogs.messages.empty());
    EXPECT_EQ("Incorrect Format:\n\n" + bad, tp.dialogs.messages.back().text);
    EXPECT_EQ("Hivewright", tp.dialogs.messages.back().title);
  }
  EXPECT_EQ(2u, tp.dialogs.messages.size());
  EXPECT_EQ("HKEY_DYN_DATA", Module1::RootKeyName(0x80000006u));
  EXPECT_EQ("", Module1::RootKeyName(0x80000007u));
}

TEST_F(Module1Test, WritesEachTypeByItsByteRuleAndDeletesSilently) {
  m.WriteRegistryValue(kHkeyLocalMachine, kTestKey, "multi", std::string("a\0b\0\0", 5), kRegMultiSz);
  m.WriteRegistryValue(kHkeyLocalMachine, kTestKey, "sz", "C:\\x.exe", kRegSz);
  m.WriteRegistryValue(kHkeyLocalMachine, kTestKey, "exp", "%A%", kRegExpandSz);
  m.WriteRegistryValue(kHkeyLocalMachine, kTestKey, "dw", "-2", kRegDword);
  m.WriteRegistryValue(kHkeyLocalMachine, kTestKey, "n", 5, kRegDword);
  for (const auto& [name, type, bytes] : std::vector<std::tuple<std::string, std::uint32_t, std::string>>{
           {"multi", kRegMultiSz, std::string("a\0b\0\0", 5)}, {"sz", kRegSz, std::string("C:\\x.exe\0", 9)},
           {"exp", kRegExpandSz, std::string("%A%\0", 4)}, {"dw", kRegDword, "\xFE\xFF\xFF\xFF"},
           {"n", kRegDword, std::string("\x05\0\0\0", 4)}})
    EXPECT_EQ((test::ValueState{true, type, test::Bytes(bytes.begin(), bytes.end())}), Raw(name)) << name;
  // Errors go to the caller's trap.
  try {
    m.WriteRegistryValue(kHkeyLocalMachine, kTestKey, "dw", "five", kRegDword);
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(kErrTypeMismatch, e.Number());
  }

  m.RegistryCreateNewKey(kHkeyLocalMachine, "SOFTWARE\\HwModule1Test\\A\\B");
  EXPECT_TRUE(b.Key(kHkeyLocalMachine, "SOFTWARE\\HwModule1Test\\A\\B"));
  m.RegistryDeleteValue(kHkeyLocalMachine, kTestKey, "sz");
  m.RegistryDeleteValue(kHkeyLocalMachine, kTestKey, "sz");                // already absent
  m.RegistryDeleteValue(kHkeyLocalMachine, "SOFTWARE\\NoSuchKey", "x");  // missing key
  EXPECT_FALSE(Raw("sz").present);
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

TEST_F(Module1Test, FolderPathsAreCreatedLevelByLevelAndTheLogFolderFollowsItsSetting) {
  const std::string a = tp.Root() + "\\A", bb = a + "\\B";
  m.EnsureFolderPath(bb);
  EXPECT_TRUE(tp.Files().FolderExists(bb));
  m.EnsureFolderPath(bb + "\\C\\");
  EXPECT_TRUE(tp.Files().FolderExists(bb + "\\C"));

  EXPECT_FALSE(tp.Files().FolderExists(tp.ProgramFolder() + "\\Log"));
  EXPECT_EQ(tp.ProgramFolder() + "\\Log", m.GetLogFolder());
  EXPECT_TRUE(tp.Files().FolderExists(tp.ProgramFolder() + "\\Log"));
  s.Write(kLocalMachine, kPathKey, "LogFile", "  " + tp.Root() + "\\Logs\\Here  ");
  EXPECT_EQ(tp.Root() + "\\Logs\\Here", m.GetLogFolder());
  EXPECT_TRUE(tp.Files().FolderExists(tp.Root() + "\\Logs\\Here"));
}

TEST_F(Module1Test, SettingsHaveDefaultsAndSwitchesAreOnOnlyForTheTextOne) {
  EXPECT_EQ(tp.ProgramFolder() + "\\backup", s.BackupFolder());
  EXPECT_EQ(tp.ProgramFolder() + "\\Ref", s.RefFolder());
  EXPECT_EQ(tp.ProgramFolder() + "\\Sound", s.SoundFolder());
  EXPECT_EQ("", s.LogFolderSetting() + s.Language());
  EXPECT_FALSE(s.NoConfirmation() || s.AutoBackup() || s.Startup());

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

  // An empty help entry rewrites both; with both present nothing is written.
  s.Write(kLocalMachine, kSettingsKey, "Support", "http://elsewhere.example/");
  EXPECT_EQ(tp.ProgramFolder() + "\\help.chm", s.HelpFile());
  EXPECT_EQ(kSupportPageDefault, s.Read(kLocalMachine, kSettingsKey, "Support"));
  s.Write(kLocalMachine, kSettingsKey, "Help", "X:\\mine.chm");
  EXPECT_EQ(kSupportPageDefault, s.SupportPage());
  EXPECT_EQ("X:\\mine.chm", s.HelpFile());
}

}  // namespace
}  // namespace hw
