// What the offline backend remembers between calls (child lists kept up to
// date as keys are added, the steps of the last path looked up) must never
// show anything a fresh look at the hive files would not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry_api_hive.h"
#include "support/test_paths.h"

namespace hw::test {
namespace {

class HiveMemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempFolder("hw-hive-memory");
    machine_.softwareHive = folder_ + "/SOFTWARE";
    machine_.systemHive = folder_ + "/SYSTEM";
    machine_.settingsHive = folder_ + "/settings.hiv";
    std::string error;
    for (const std::string* p : {&machine_.softwareHive, &machine_.systemHive})
      ASSERT_TRUE(HiveRegistry::WriteBlankHive(*p, &error)) << error;
  }
  void TearDown() override { RemoveTree(folder_); }

  std::unique_ptr<HiveRegistry> Open() {
    std::string error;
    auto api = HiveRegistry::Open(machine_, &error);
    EXPECT_TRUE(api) << error;
    return api;
  }

  static std::vector<std::string> Subkeys(RegistryApi& api, RegKey key) {
    std::vector<std::string> names;
    char name[kMaxNameChars];
    for (std::uint32_t i = 0; api.EnumKey(key, i, name, kMaxNameChars) == kErrorSuccess; ++i) names.push_back(name);
    return names;
  }

  static std::string Text(RegistryApi& api, const std::string& path) {
    RegKey key = 0;
    long status = api.OpenKeyEx(kHkeyLocalMachine, path, 0, kKeyRead, &key);
    if (status != kErrorSuccess) return "<status " + std::to_string(status) + ">";
    char buf[64];
    std::uint32_t length = sizeof buf, type = 0;
    status = api.QueryValueEx(key, "", &type, reinterpret_cast<std::uint8_t*>(buf), &length);
    api.CloseKey(key);
    if (status != kErrorSuccess) return "<status " + std::to_string(status) + ">";
    return std::string(buf, length ? length - 1 : 0);
  }

  static void SetText(RegistryApi& api, const std::string& path, const std::string& text) {
    RegKey key = 0;
    ASSERT_EQ(kErrorSuccess, api.CreateKeyEx(kHkeyLocalMachine, path, kKeyReadWrite, &key)) << path;
    const std::string data = text + '\0';
    ASSERT_EQ(kErrorSuccess, api.SetValueEx(key, "", kRegSz, reinterpret_cast<const std::uint8_t*>(data.data()),
                                            static_cast<std::uint32_t>(data.size())));
    api.CloseKey(key);
  }

  std::string folder_;
  OfflineMachine machine_;
};

TEST_F(HiveMemoryTest, KeysAddedUnderAListedParentAppearAsAFreshReadShowsThem) {
  const std::vector<std::string> added = {"zeta", "Alpha", u8"Ärger", "beta", "Mixed Case Name", "alpha2",
                                          "0first", u8"été", "Zulu", "middle"};
  std::vector<std::string> seen;
  {
    auto api = Open();
    RegKey parent = 0;
    ASSERT_EQ(kErrorSuccess, api->CreateKeyEx(kHkeyLocalMachine, "SOFTWARE\\Parent", kKeyReadWrite, &parent));
    for (const std::string& name : added) {
      RegKey child = 0;
      ASSERT_EQ(kErrorSuccess, api->CreateKeyEx(parent, name, kKeyReadWrite, &child)) << name;
      api->CloseKey(child);
      // The list is read between additions, so it is kept rather than made anew.
      Subkeys(*api, parent);
    }
    // The same name in another case is the same key, not a second one.
    RegKey again = 0;
    ASSERT_EQ(kErrorSuccess, api->CreateKeyEx(parent, "ZETA", kKeyReadWrite, &again));
    api->CloseKey(again);
    seen = Subkeys(*api, parent);
    EXPECT_EQ(added.size(), seen.size());
    for (const std::string& name : added) {
      RegKey child = 0;
      EXPECT_EQ(kErrorSuccess, api->OpenKeyEx(parent, name, 0, kKeyRead, &child)) << name;
      api->CloseKey(child);
    }
    api->CloseKey(parent);
    ASSERT_EQ(kErrorSuccess, api->Flush());
  }
  auto fresh = Open();
  RegKey parent = 0;
  ASSERT_EQ(kErrorSuccess, fresh->OpenKeyEx(kHkeyLocalMachine, "SOFTWARE\\Parent", 0, kKeyRead, &parent));
  EXPECT_EQ(Subkeys(*fresh, parent), seen) << "the order is the hive's own";
  fresh->CloseKey(parent);
}

TEST_F(HiveMemoryTest, PathsLookedUpAgainFollowChangesToTheHives) {
  auto api = Open();
  SetText(*api, "SYSTEM\\ControlSet001\\Services\\Disk", "one");
  SetText(*api, "SYSTEM\\ControlSet002\\Services\\Disk", "two");
  auto select = [&](std::uint8_t n) {
    RegKey key = 0;
    ASSERT_EQ(kErrorSuccess, api->CreateKeyEx(kHkeyLocalMachine, "SYSTEM\\Select", kKeyReadWrite, &key));
    const std::uint8_t data[4] = {n, 0, 0, 0};
    ASSERT_EQ(kErrorSuccess, api->SetValueEx(key, "Current", kRegDword, data, 4));
    api->CloseKey(key);
  };
  select(1);
  EXPECT_EQ("one", Text(*api, "SYSTEM\\CurrentControlSet\\Services\\Disk"));
  EXPECT_EQ("one", Text(*api, "system\\currentcontrolset\\services\\DISK"));
  select(2);
  EXPECT_EQ("two", Text(*api, "SYSTEM\\CurrentControlSet\\Services\\Disk"));

  // A shorter path, a longer one, a sibling and a missing key after the same start.
  SetText(*api, "SOFTWARE\\Vendor\\Product\\Deep\\Er", "deep");
  SetText(*api, "SOFTWARE\\Vendor\\Other", "other");
  EXPECT_EQ("deep", Text(*api, "SOFTWARE\\Vendor\\Product\\Deep\\Er"));
  EXPECT_EQ("<status 2>", Text(*api, "SOFTWARE\\Vendor\\Product\\Deep\\Missing"));
  EXPECT_EQ("other", Text(*api, "SOFTWARE\\VENDOR\\other"));
  EXPECT_EQ("deep", Text(*api, "SOFTWARE\\\\Vendor\\Product\\Deep\\Er\\"));
  EXPECT_EQ("<status 2>", Text(*api, "SOFTWARE\\Vendor\\Product\\Deep\\Er\\Below"));
  SetText(*api, "SOFTWARE\\Vendor\\Product\\Deep\\Er\\Below", "below");
  EXPECT_EQ("below", Text(*api, "SOFTWARE\\Vendor\\Product\\Deep\\Er\\Below"));
  EXPECT_EQ(0u, api->OpenHandleCount());
}

}  // namespace
}  // namespace hw::test
