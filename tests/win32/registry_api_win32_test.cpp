#include <gtest/gtest.h>

#include <cstring>

#include "platform/registry_api_win32.h"
#include "support/scratch_registry_win32.h"

namespace hw {
namespace {

bool KeyExists(HKEY root, const std::string& path) {
  HKEY k;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

TEST(Win32Registry, RedirectedRootsLandBelowTheTestKeyAndGoAway) {
  std::string keyPath;
  {
    test::Win32ScratchRegistry scratch;
    keyPath = scratch.KeyPath();
    RegistryApi& api = scratch.Api();

    RegKey k = 0;
    ASSERT_EQ(0, api.CreateKeyEx(kHkeyLocalMachine, "SOFTWARE\\Vendor\\App", kKeyReadWrite, &k));
    const char text[] = "C:\\Program Files\\App\\app.exe";
    ASSERT_EQ(0, api.SetValueEx(k, "Path", kRegSz, reinterpret_cast<const std::uint8_t*>(text), sizeof text));
    std::uint32_t dword = 0x12345678;
    ASSERT_EQ(0, api.SetValueEx(k, "Count", kRegDword, reinterpret_cast<const std::uint8_t*>(&dword), 4));
    EXPECT_EQ(0, api.CloseKey(k));

    // The value is in Wine's real registry, below the test key, not in HKLM.
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, keyPath + "\\HKLM\\SOFTWARE\\Vendor\\App"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App"));

    // HKCR is HKLM\SOFTWARE\Classes.
    ASSERT_EQ(0, api.CreateKeyEx(kHkeyClassesRoot, ".hwtest", kKeyReadWrite, &k));
    api.CloseKey(k);
    EXPECT_EQ(0, api.OpenKeyEx(kHkeyLocalMachine, "SOFTWARE\\Classes\\.hwtest", 0, kKeyRead, &k));
    api.CloseKey(k);
    // Both hives were made with their top keys.
    EXPECT_EQ(0, api.OpenKeyEx(kHkeyLocalMachine, "SYSTEM", 0, kKeyRead, &k));
    api.CloseKey(k);

    // Reading back: query with size only, too small, and enough.
    ASSERT_EQ(0, api.OpenKeyEx(kHkeyLocalMachine, "SOFTWARE\\Vendor\\App", 0, kKeyRead, &k));
    std::uint32_t type = 0, len = 0;
    EXPECT_EQ(0, api.QueryValueEx(k, "Path", &type, nullptr, &len));
    EXPECT_EQ(kRegSz, type);
    EXPECT_EQ(sizeof text, len);
    std::uint8_t small[4];
    len = sizeof small;
    EXPECT_EQ(kErrorMoreData, api.QueryValueEx(k, "Path", &type, small, &len));
    EXPECT_EQ(sizeof text, len);
    std::uint8_t buf[kMaxDataBytes];
    len = sizeof buf;
    ASSERT_EQ(0, api.QueryValueEx(k, "Path", &type, buf, &len));
    EXPECT_STREQ(text, reinterpret_cast<char*>(buf));
    EXPECT_EQ(kErrorFileNotFound, api.QueryValueEx(k, "Missing", &type, buf, &len));

    // Enumeration of values by index, then the end of the list.
    char name[kMaxNameChars];
    std::uint32_t nameLen = kMaxNameChars, dataLen = kMaxDataBytes;
    int seen = 0;
    for (std::uint32_t i = 0;; ++i) {
      nameLen = kMaxNameChars;
      dataLen = kMaxDataBytes;
      long status = api.EnumValue(k, i, name, &nameLen, &type, buf, &dataLen);
      if (status != 0) {
        EXPECT_EQ(kErrorNoMoreItems, status);
        break;
      }
      EXPECT_EQ(std::strlen(name), nameLen);
      if (std::string(name) == "Count") {
        EXPECT_EQ(kRegDword, type);
        EXPECT_EQ(4u, dataLen);
        EXPECT_EQ(0, std::memcmp(buf, &dword, 4));
      }
      ++seen;
    }
    EXPECT_EQ(2, seen);
    // A data buffer too small fails and leaves the counts alone.
    nameLen = kMaxNameChars;
    dataLen = 2;
    std::uint32_t before = dataLen;
    EXPECT_NE(0, api.EnumValue(k, 0, name, &nameLen, &type, small, &dataLen));
    EXPECT_EQ(before, dataLen);
    EXPECT_EQ(0, api.CloseKey(k));

    // Keys by index.
    ASSERT_EQ(0, api.OpenKeyEx(kHkeyLocalMachine, "SOFTWARE", 0, kKeyRead, &k));
    std::string names;
    for (std::uint32_t i = 0; api.EnumKey(k, i, name, kMaxNameChars) == 0; ++i) names += std::string(name) + ";";
    EXPECT_NE(std::string::npos, names.find("Vendor;"));
    EXPECT_NE(std::string::npos, names.find("Classes;"));
    api.CloseKey(k);

    // Delete a value; a second delete fails.
    ASSERT_EQ(0, api.OpenKeyEx(kHkeyLocalMachine, "SOFTWARE\\Vendor\\App", 0, kKeyWrite, &k));
    EXPECT_EQ(0, api.DeleteValue(k, "Path"));
    EXPECT_NE(0, api.DeleteValue(k, "Path"));
    api.CloseKey(k);

    // Opening a missing key fails without a handle; unmapped roots are out of reach.
    RegKey none = 77;
    EXPECT_NE(0, api.OpenKeyEx(kHkeyCurrentUser, "Software\\Nothing", 0, kKeyRead, &none));
    EXPECT_EQ(77u, none);
    EXPECT_EQ(kErrorInvalidHandle, api.OpenKeyEx(kHkeyUsers, "", 0, kKeyRead, &none));
    // Closing a root keeps the redirection usable.
    EXPECT_EQ(0, api.CloseKey(kHkeyCurrentUser));
    EXPECT_EQ(0, api.CreateKeyEx(kHkeyCurrentUser, "Software\\Tarnwick", kKeyReadWrite, &k));
    api.CloseKey(k);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, keyPath + "\\HKCU\\Software\\Tarnwick"));
  }
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, keyPath));
}

TEST(Win32Registry, UnredirectedRootsAreTheMachinesOwn) {
  Win32Registry api;
  RegKey k = 0;
  ASSERT_EQ(0, api.OpenKeyEx(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0, kKeyRead, &k));
  char buf[kMaxDataBytes];
  std::uint32_t type = 0, len = sizeof buf;
  EXPECT_EQ(0, api.QueryValueEx(k, "CurrentVersion", &type, reinterpret_cast<std::uint8_t*>(buf), &len));
  EXPECT_EQ(kRegSz, type);
  EXPECT_GT(len, 1u);
  EXPECT_EQ(0, api.CloseKey(k));
  // A handle is the HKEY itself.
  HKEY mine;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &mine));
  EXPECT_EQ(0, api.OpenKeyEx(Win32Registry::FromHkey(mine), "Microsoft", 0, kKeyRead, &k));
  api.CloseKey(k);
  RegCloseKey(mine);
}

}  // namespace
}  // namespace hw
