#pragma once
// A test fixture for the hive backend: an offline machine of blank hive
// files (SOFTWARE, SYSTEM, NTUSER.DAT; the settings hive is made on first
// open) in a temporary folder of its own, removed after the test, and short
// ways to write and read string values through any registry API.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/registry_api_hive.h"
#include "support/registry_builder.h"
#include "support/test_paths.h"

namespace hw::test {

class BlankHiveMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempFolder("hw-hive-test");
    machine_.softwareHive = folder_ + "/SOFTWARE";
    machine_.systemHive = folder_ + "/SYSTEM";
    machine_.userHive = folder_ + "/NTUSER.DAT";
    machine_.settingsHive = folder_ + "/settings.hiv";
    std::string error;
    for (const std::string* p : {&machine_.softwareHive, &machine_.systemHive, &machine_.userHive})
      ASSERT_TRUE(HiveRegistry::WriteBlankHive(*p, &error)) << error;
  }
  void TearDown() override { RemoveTree(folder_); }

  std::unique_ptr<HiveRegistry> OpenMachine(const OfflineMachine& m) {
    std::string error;
    auto r = HiveRegistry::Open(m, &error);
    EXPECT_TRUE(r) << error;
    return r;
  }
  std::unique_ptr<HiveRegistry> OpenMachine() { return OpenMachine(machine_); }

  static void SetText(RegistryApi& api, RegKey root, const std::string& path, const std::string& name,
                      const std::string& text) {
    ASSERT_TRUE(RegistryBuilder(api).String(root, path, name, text)) << path;
  }
  /// The text of a string value, or "<status N>".
  static std::string GetText(RegistryApi& api, RegKey root, const std::string& path, const std::string& name) {
    RegKey key = 0;
    long status = api.OpenKeyEx(root, path, 0, kKeyRead, &key);
    if (status != kErrorSuccess) return "<status " + std::to_string(status) + ">";
    char buf[512];
    std::uint32_t length = sizeof buf, type = 0;
    status = api.QueryValueEx(key, name, &type, reinterpret_cast<std::uint8_t*>(buf), &length);
    api.CloseKey(key);
    if (status != kErrorSuccess) return "<status " + std::to_string(status) + ">";
    return std::string(buf, length ? length - 1 : 0);
  }
  static std::vector<std::string> SubkeyNames(RegistryApi& api, RegKey key) {
    std::vector<std::string> names;
    char name[kMaxNameChars];
    for (std::uint32_t i = 0; api.EnumKey(key, i, name, kMaxNameChars) == kErrorSuccess; ++i) names.push_back(name);
    return names;
  }
  static std::vector<std::string> Subkeys(RegistryApi& api, RegKey root, const std::string& path) {
    RegKey key = 0;
    if (api.OpenKeyEx(root, path, 0, kKeyRead, &key) != kErrorSuccess) return {};
    std::vector<std::string> names = SubkeyNames(api, key);
    api.CloseKey(key);
    return names;
  }

  std::string folder_;
  OfflineMachine machine_;
};

}  // namespace hw::test
