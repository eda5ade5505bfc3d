// What only the Windows registry backend does: the scratch redirection of
// the predefined roots, and handles that are the HKEYs themselves (the
// contract covers values, enumeration and limits).
#include <gtest/gtest.h>

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
    const char text[] = "C:\\App\\app.exe";
    ASSERT_EQ(0, api.SetValueEx(k, "Path", kRegSz, reinterpret_cast<const std::uint8_t*>(text), sizeof text));
    // A data buffer too small fails and leaves the counts alone.
    char name[kMaxNameChars];
    std::uint8_t small[2];
    std::uint32_t nameLen = kMaxNameChars, dataLen = sizeof small, type = 0;
    EXPECT_NE(0, api.EnumValue(k, 0, name, &nameLen, &type, small, &dataLen));
    EXPECT_EQ(sizeof small, dataLen);
    EXPECT_EQ(0, api.CloseKey(k));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, keyPath + "\\HKLM\\SOFTWARE\\Vendor\\App"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\App"));

    // HKCR is HKLM\SOFTWARE\Classes; both hives were made with their top keys.
    ASSERT_EQ(0, api.CreateKeyEx(kHkeyClassesRoot, ".hwtest", kKeyReadWrite, &k));
    api.CloseKey(k);
    for (const char* path : {"SOFTWARE\\Classes\\.hwtest", "SYSTEM"}) {
      EXPECT_EQ(0, api.OpenKeyEx(kHkeyLocalMachine, path, 0, kKeyRead, &k)) << path;
      api.CloseKey(k);
    }
    RegKey none = 77;  // unmapped roots are out of reach
    EXPECT_EQ(kErrorInvalidHandle, api.OpenKeyEx(kHkeyUsers, "", 0, kKeyRead, &none));
    EXPECT_EQ(77u, none);
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
  HKEY mine;  // a handle is the HKEY itself
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &mine));
  EXPECT_EQ(0, api.OpenKeyEx(Win32Registry::FromHkey(mine), "Microsoft", 0, kKeyRead, &k));
  api.CloseKey(k);
  RegCloseKey(mine);
}

}  // namespace
}  // namespace hw
