#include "registry/module1.h"

#include <gtest/gtest.h>

#include "platform/runtime_error.h"
#include "support/test_platform.h"

namespace hw {
namespace {

constexpr char kTestKey[] = "SOFTWARE\\HwModule1Test";

class Module1Test : public ::testing::Test {
 protected:
  test::TestPlatform tp;
  Module1 m{tp.Get()};

  std::string RawValue(RegKey root, const std::string& key, const std::string& name, std::uint32_t* type) {
    RegKey h = 0;
    EXPECT_EQ(0, tp.Registry().OpenKeyEx(root, key, 0, kKeyRead, &h));
    std::uint8_t buf[600];
    std::uint32_t len = sizeof buf;
    EXPECT_EQ(0, tp.Registry().QueryValueEx(h, name, type, buf, &len));
    tp.Registry().CloseKey(h);
    return std::string(reinterpret_cast<char*>(buf), len);
  }
  void SetRaw(const std::string& name, std::uint32_t type, const std::string& bytes) {
    RegKey h = 0;
    ASSERT_EQ(0, tp.Registry().CreateKeyEx(kHkeyLocalMachine, kTestKey, kKeyReadWrite, &h));
    ASSERT_EQ(0, tp.Registry().SetValueEx(h, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                          static_cast<std::uint32_t>(bytes.size())));
    tp.Registry().CloseKey(h);
  }
};

TEST_F(Module1Test, SplitsPathsAndRejectsMalformedOnesWithTheMessage) {
  std::string p = "HKEY_LOCAL_MACHINE";
  RegKey root = 1;
  m.SplitRegistryPath(p, root);
  EXPECT_EQ(kHkeyLocalMachine, root);
  EXPECT_EQ("", p);

  p = "HKEY_CURRENT_USER\\Software\\X";
  m.SplitRegistryPath(p, root);
  EXPECT_EQ(kHkeyCurrentUser, root);
  EXPECT_EQ("Software\\X", p);

  p = "HKEY_FOO\\X";  // well formed, unknown root: no message, root 0
  m.SplitRegistryPath(p, root);
  EXPECT_EQ(0u, root);
  EXPECT_TRUE(tp.dialogs.messages.empty());
  EXPECT_EQ("", m.ReadStringAtPath("HKEY_FOO\\X", ""));

  for (std::string bad : {"hkey_local_machine\\X", "HKEY_LOCAL_MACHINE\\X\\"}) {
    std::string q = bad;
    root = 7;
    m.SplitRegistryPath(q, root);
    EXPECT_EQ(0u, root);
    EXPECT_EQ(bad, q);
    ASSERT_FALSE(tp.dialogs.messages.empty());
    EXPECT_EQ("Incorrect Format:\n\n" + bad, tp.dialogs.messages.back().text);
    EXPECT_EQ("Hivewright", tp.dialogs.messages.back().title);
  }
  EXPECT_EQ(2u, tp.dialogs.messages.size());
  EXPECT_EQ("HKEY_DYN_DATA", Module1::RootKeyName(0x80000006u));
  EXPECT_EQ("", Module1::RootKeyName(0x80000007u));
}

TEST_F(Module1Test, ReadStringAtPathKeepsTheOriginalBufferRules) {
  SetRaw("", kRegSz, std::string("C:\\app.exe\0", 11));
  SetRaw("lead", kRegSz, std::string("  x  \0", 6));
  SetRaw("long", kRegSz, std::string(255, 'a') + '\0');
  SetRaw("max", kRegSz, std::string(254, 'b') + '\0');
  const std::string path = std::string("HKEY_LOCAL_MACHINE\\") + kTestKey;
  EXPECT_EQ("C:\\app.exe", m.ReadStringAtPath(path, ""));
  EXPECT_EQ("x  ", m.ReadStringAtPath(path, "lead"));  // leading spaces lost, trailing kept
  EXPECT_EQ("Error", m.ReadStringAtPath(path, "long"));
  EXPECT_EQ(std::string(254, 'b'), m.ReadStringAtPath(path, "max"));
  EXPECT_EQ("Error", m.ReadStringAtPath(path, "missing"));
  EXPECT_EQ("Error", m.ReadStringAtPath(path + "\\Nope", ""));
}

TEST_F(Module1Test, GetstrReadsOnlyStringsAndAnswersASpaceForNothing) {
  SetRaw("sz", kRegSz, std::string("abc\0xyz\0", 8));
  SetRaw("empty", kRegSz, std::string("\0", 1));
  SetRaw("exp", kRegExpandSz, std::string("%X%\0", 4));
  SetRaw("dw", kRegDword, std::string("\x01\0\0\0", 4));
  EXPECT_EQ("abc", m.getstr("HKEY_LOCAL_MACHINE", kTestKey, "sz"));
  for (const char* name : {"empty", "exp", "dw", "missing"}) {
    EXPECT_EQ(" ", m.getstr("HKEY_LOCAL_MACHINE", kTestKey, name)) << name;
  }
  EXPECT_EQ(" ", m.getstr("HKEY_LOCAL_MACHINE", "SOFTWARE\\NoSuchKey", "sz"));
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

TEST_F(Module1Test, WritesEachTypeByItsByteRule) {
  std::vector<std::uint8_t> bytes(257, 0);
  bytes[0] = 1;
  bytes[2] = 2;  // two non-zero bytes: the length is 2, so 01 00 is written
  m.WriteRegistryValue(kHkeyLocalMachine, kTestKey, "bin", bytes, kRegBinary);
  m.WriteRegistryValue(kHkeyLocalMachine, kTestKey, "multi", std::string("a\0b\0\0", 5), kRegMultiSz);
  m.WriteRegistryValue(kHkeyLocalMachine, kTestKey, "sz", "C:\\x.exe", kRegSz);
  m.WriteRegistryValue(kHkeyLocalMachine, kTestKey, "exp", "%A%", kRegExpandSz);
  m.WriteRegistryValue(kHkeyLocalMachine, kTestKey, "dw", "-2", kRegDword);
  m.WriteRegistryValue(kHkeyLocalMachine, kTestKey, "n", 5, kRegDword);

  std::uint32_t type = 0;
  EXPECT_EQ(std::string("\x01\0", 2), RawValue(kHkeyLocalMachine, kTestKey, "bin", &type));
  EXPECT_EQ(kRegBinary, type);
  EXPECT_EQ(std::string("a\0b\0\0", 5), RawValue(kHkeyLocalMachine, kTestKey, "multi", &type));
  EXPECT_EQ(kRegMultiSz, type);
  EXPECT_EQ(std::string("C:\\x.exe\0", 9), RawValue(kHkeyLocalMachine, kTestKey, "sz", &type));
  EXPECT_EQ(std::string("%A%\0", 4), RawValue(kHkeyLocalMachine, kTestKey, "exp", &type));
  EXPECT_EQ(kRegExpandSz, type);
  EXPECT_EQ(std::string("\xFE\xFF\xFF\xFF", 4), RawValue(kHkeyLocalMachine, kTestKey, "dw", &type));
  EXPECT_EQ(std::string("\x05\0\0\0", 4), RawValue(kHkeyLocalMachine, kTestKey, "n", &type));

  // Errors go to the caller's trap.
  try {
    m.WriteRegistryValue(kHkeyLocalMachine, kTestKey, "dw", "five", kRegDword);
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(kErrTypeMismatch, e.Number());
  }
  EXPECT_THROW(m.WriteRegistryValue(kHkeyLocalMachine, kTestKey, "b", std::vector<std::uint8_t>(4, 1), kRegBinary),
               RuntimeError);
}

TEST_F(Module1Test, CreatesKeysAndDeletesValuesSilently) {
  m.RegistryCreateNewKey(kHkeyLocalMachine, "SOFTWARE\\HwModule1Test\\A\\B");
  RegKey h = 0;
  ASSERT_EQ(0, tp.Registry().OpenKeyEx(kHkeyLocalMachine, "SOFTWARE\\HwModule1Test\\A\\B", 0, kKeyRead, &h));
  tp.Registry().CloseKey(h);
  SetRaw("gone", kRegSz, std::string("x\0", 2));
  m.RegistryDeleteValue(kHkeyLocalMachine, kTestKey, "gone");
  m.RegistryDeleteValue(kHkeyLocalMachine, kTestKey, "gone");            // already absent
  m.RegistryDeleteValue(kHkeyLocalMachine, "SOFTWARE\\NoSuchKey", "x");  // missing key
  EXPECT_EQ(" ", m.getstr("HKEY_LOCAL_MACHINE", kTestKey, "gone"));
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

TEST_F(Module1Test, FolderPathsAreCreatedLevelByLevel) {
  const std::string a = tp.Root() + "\\A", b = a + "\\B";
  m.EnsureFolderPath(b);
  EXPECT_TRUE(tp.Files().FolderExists(a));
  EXPECT_TRUE(tp.Files().FolderExists(b));
  m.EnsureFolderPath(b + "\\C\\");  // trailing backslash: one more test of the whole path
  EXPECT_TRUE(tp.Files().FolderExists(b + "\\C"));

  EXPECT_FALSE(tp.Files().FolderExists(tp.ProgramFolder() + "\\Log"));
  EXPECT_EQ(tp.ProgramFolder() + "\\Log", m.GetLogFolder());
  EXPECT_TRUE(tp.Files().FolderExists(tp.ProgramFolder() + "\\Log"));

  m.WriteRegistryValue(kHkeyLocalMachine, "Software\\Tarnwick\\Hivewright\\Path", "LogFile",
                       "  " + tp.Root() + "\\Logs\\Here  ", kRegSz);
  EXPECT_EQ(tp.Root() + "\\Logs\\Here", m.GetLogFolder());
  EXPECT_TRUE(tp.Files().FolderExists(tp.Root() + "\\Logs\\Here"));
}

}  // namespace
}  // namespace hw
