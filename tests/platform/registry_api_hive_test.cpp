// The offline machine behind the registry functions: hive files on disk,
// the virtual roots, the program's own settings hive, and real hives made by
// Windows (good and damaged).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/registry_api_hive.h"
#include "platform/runtime_error.h"
#include "support/blank_hive_machine.h"
#include "support/host_file.h"
#include "support/registry_tree_count.h"

namespace hw::test {
namespace {
namespace fs = std::filesystem;

class HiveRegistryTest : public BlankHiveMachine {};

// A blank hive's layout and checksum are hivex's to check: it refuses a
// hive whose header sum is wrong, and every test here opens blank hives.
TEST_F(HiveRegistryTest, BlankHivesOpenEmptyNeverReplaceAFileAndHaveOnlyTheirRoots) {
  auto api = OpenMachine();
  ASSERT_TRUE(api);
  EXPECT_TRUE(Subkeys(*api, kHkeyCurrentUser, "").empty());
  EXPECT_EQ((std::vector<std::string>{"SOFTWARE", "SYSTEM"}), Subkeys(*api, kHkeyLocalMachine, ""));
  std::string error;
  EXPECT_FALSE(HiveRegistry::WriteBlankHive(machine_.softwareHive, &error)) << "never over an existing file";
  EXPECT_NE(std::string::npos, error.find(machine_.softwareHive));

  // HKEY_CLASSES_ROOT is SOFTWARE\Classes; the other roots are not there.
  EXPECT_EQ("<status 2>", GetText(*api, kHkeyClassesRoot, ".txt", "")) << "no Classes key yet";
  SetText(*api, kHkeyLocalMachine, "SOFTWARE\\Classes\\.txt", "", "txtfile");
  EXPECT_EQ("txtfile", GetText(*api, kHkeyClassesRoot, ".txt", ""));
  SetText(*api, kHkeyClassesRoot, "CLSID\\{1}\\InprocServer32", "", "C:\\x.dll");
  EXPECT_EQ("C:\\x.dll", GetText(*api, kHkeyLocalMachine, "SOFTWARE\\Classes\\CLSID\\{1}\\InprocServer32", ""));
  EXPECT_EQ((std::vector<std::string>{".txt", "CLSID"}), Subkeys(*api, kHkeyClassesRoot, ""));
  for (RegKey other : {kHkeyUsers, kHkeyCurrentConfig, kHkeyPerformanceData, kHkeyDynData}) {
    RegKey key = 0;
    EXPECT_EQ(kErrorFileNotFound, api->OpenKeyEx(other, "", 0, kKeyRead, &key));
    EXPECT_EQ(kErrorFileNotFound, api->CreateKeyEx(other, "X", kKeyReadWrite, &key));
  }
  RegKey key = 0;
  EXPECT_EQ(kErrorAccessDenied, api->CreateKeyEx(kHkeyLocalMachine, "HARDWARE", kKeyReadWrite, &key))
      << "HKLM holds only the hives";
}

TEST_F(HiveRegistryTest, ChangesPersistAfterFlushAndAfterClosingAndNotWhenReadOnly) {
  {
    auto api = OpenMachine();
    SetText(*api, kHkeyLocalMachine, "SOFTWARE\\Vendor\\App", "Path", "C:\\App");
    SetText(*api, kHkeyCurrentUser, "Software\\Vendor", "Name", "Joe");
    EXPECT_EQ(kErrorSuccess, api->Flush());
    EXPECT_EQ("C:\\App", GetText(*api, kHkeyLocalMachine, "SOFTWARE\\Vendor\\App", "Path"));
    SetText(*api, kHkeyLocalMachine, "SYSTEM\\Later", "When", "at close");  // committed by the destructor
    EXPECT_EQ(0u, api->OpenHandleCount());
  }
  for (const auto& entry : fs::directory_iterator(folder_))
    EXPECT_EQ(std::string::npos, entry.path().string().find(".hw-new")) << "no temporary file left";
  auto api = OpenMachine();
  EXPECT_EQ("C:\\App", GetText(*api, kHkeyLocalMachine, "software\\VENDOR\\app", "path"));
  EXPECT_EQ("Joe", GetText(*api, kHkeyCurrentUser, "Software\\Vendor", "Name"));
  EXPECT_EQ("at close", GetText(*api, kHkeyLocalMachine, "SYSTEM\\Later", "When"));

  // A hive file that cannot be replaced: Flush fails, names it, and keeps the change pending.
  SetText(*api, kHkeyLocalMachine, "SOFTWARE\\Vendor", "More", "x");
  fs::remove(machine_.softwareHive);
  fs::create_directory(machine_.softwareHive);
  EXPECT_NE(kErrorSuccess, api->Flush());
  EXPECT_NE(std::string::npos, api->LastFlushError().find(machine_.softwareHive));
  EXPECT_TRUE(fs::is_directory(machine_.softwareHive));
  EXPECT_FALSE(fs::exists(machine_.softwareHive + ".hw-new"));
  fs::remove(machine_.softwareHive);
  EXPECT_EQ(kErrorSuccess, api->Flush()) << "pending changes go out once the file can be written";
  api.reset();
  api = OpenMachine();
  EXPECT_EQ("x", GetText(*api, kHkeyLocalMachine, "SOFTWARE\\Vendor", "More"));
  api.reset();

  // A machine opened read only refuses writes and leaves its files alone.
  const std::string before = HostFileBytes(machine_.userHive);
  OfflineMachine ro = machine_;
  ro.readOnly = true;
  api = OpenMachine(ro);
  RegKey key = 0;
  EXPECT_EQ(kErrorAccessDenied, api->CreateKeyEx(kHkeyCurrentUser, "Software\\New", kKeyReadWrite, &key));
  EXPECT_EQ(kErrorAccessDenied, api->OpenKeyEx(kHkeyCurrentUser, "Software\\Vendor", 0, kKeyReadWrite, &key));
  ASSERT_EQ(kErrorSuccess, api->OpenKeyEx(kHkeyCurrentUser, "Software\\Vendor", 0, kKeyRead, &key));
  EXPECT_EQ(kErrorAccessDenied, api->DeleteValue(key, "Name"));
  api->CloseKey(key);
  EXPECT_EQ("Joe", GetText(*api, kHkeyCurrentUser, "Software\\Vendor", "Name"));
  api.reset();
  EXPECT_EQ(before, HostFileBytes(machine_.userHive));
}

// The link follows Select\Current as it changes, also for a path looked
// up before; so does any path looked up again after a change.
TEST_F(HiveRegistryTest, PathsLookedUpAgainFollowSelectCurrentAndChangesToTheHives) {
  auto api = OpenMachine();
  RegKey key = 0;
  EXPECT_EQ(kErrorFileNotFound, api->OpenKeyEx(kHkeyLocalMachine, "SYSTEM\\CurrentControlSet", 0, kKeyRead, &key));
  SetText(*api, kHkeyLocalMachine, "SYSTEM\\ControlSet001\\Services\\One", "ImagePath", "one.sys");
  SetText(*api, kHkeyLocalMachine, "SYSTEM\\ControlSet002\\Services\\Two", "ImagePath", "two.sys");
  const auto select = [&](std::uint32_t n) {
    ASSERT_TRUE(RegistryBuilder(*api).Dword(kHkeyLocalMachine, "SYSTEM\\Select", "Current", n));
  };
  select(1);
  EXPECT_EQ("one.sys", GetText(*api, kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\One", "ImagePath"));
  EXPECT_EQ("one.sys", GetText(*api, kHkeyLocalMachine, "system\\currentcontrolset\\services\\ONE", "ImagePath"));
  select(2);
  EXPECT_EQ("two.sys", GetText(*api, kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Two", "ImagePath"));
  EXPECT_EQ("<status 2>", GetText(*api, kHkeyLocalMachine, "SYSTEM\\currentcontrolset\\Services\\One", "ImagePath"));
  SetText(*api, kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Three", "ImagePath", "three.sys");
  EXPECT_EQ("three.sys", GetText(*api, kHkeyLocalMachine, "SYSTEM\\ControlSet002\\Services\\Three", "ImagePath"));
  EXPECT_EQ((std::vector<std::string>{"ControlSet001", "ControlSet002", "Select"}),
            Subkeys(*api, kHkeyLocalMachine, "SYSTEM"))
      << "the link itself is not listed";

  // A shorter path, a longer one, a sibling and a missing key after the same start.
  SetText(*api, kHkeyLocalMachine, "SOFTWARE\\Vendor\\Product\\Deep\\Er", "", "deep");
  SetText(*api, kHkeyLocalMachine, "SOFTWARE\\Vendor\\Other", "", "other");
  EXPECT_EQ("deep", GetText(*api, kHkeyLocalMachine, "SOFTWARE\\Vendor\\Product\\Deep\\Er", ""));
  EXPECT_EQ("<status 2>", GetText(*api, kHkeyLocalMachine, "SOFTWARE\\Vendor\\Product\\Deep\\Missing", ""));
  EXPECT_EQ("other", GetText(*api, kHkeyLocalMachine, "SOFTWARE\\VENDOR\\other", ""));
  EXPECT_EQ("deep", GetText(*api, kHkeyLocalMachine, "SOFTWARE\\\\Vendor\\Product\\Deep\\Er\\", ""));
  EXPECT_EQ("<status 2>", GetText(*api, kHkeyLocalMachine, "SOFTWARE\\Vendor\\Product\\Deep\\Er\\Below", ""));
  SetText(*api, kHkeyLocalMachine, "SOFTWARE\\Vendor\\Product\\Deep\\Er\\Below", "", "below");
  EXPECT_EQ("below", GetText(*api, kHkeyLocalMachine, "SOFTWARE\\Vendor\\Product\\Deep\\Er\\Below", ""));
  EXPECT_EQ(0u, api->OpenHandleCount());
}

TEST_F(HiveRegistryTest, ProgramSettingsLiveInTheirOwnHive) {
  {
    auto api = OpenMachine();
    EXPECT_TRUE(fs::exists(machine_.settingsHive)) << "made blank when missing";
    SetText(*api, kHkeyLocalMachine, "Software\\Tarnwick\\Hivewright\\Path", "LogFile", "C:\\Logs");
    SetText(*api, kHkeyCurrentUser, "SOFTWARE\\tarnwick\\Hivewright", "Language", "English");
    SetText(*api, kHkeyLocalMachine, "SOFTWARE\\Other", "x", "y");
    EXPECT_EQ("C:\\Logs", GetText(*api, kHkeyLocalMachine, "SOFTWARE\\TARNWICK\\Hivewright\\Path", "LogFile"));
    EXPECT_EQ("<status 2>", GetText(*api, kHkeyCurrentUser, "Software\\Tarnwick\\Hivewright\\Path", "LogFile"))
        << "machine and user branches are apart";
    EXPECT_EQ(std::vector<std::string>{"Other"}, Subkeys(*api, kHkeyLocalMachine, "SOFTWARE"));
  }
  // The installation's hives, opened with a fresh settings hive, know nothing of them.
  OfflineMachine fresh = machine_;
  fresh.settingsHive = folder_ + "/other-settings.hiv";
  {
    auto api = OpenMachine(fresh);
    EXPECT_EQ("<status 2>", GetText(*api, kHkeyLocalMachine, "Software\\Tarnwick\\Hivewright\\Path", "LogFile"));
    EXPECT_EQ("<status 2>", GetText(*api, kHkeyCurrentUser, "Software\\Tarnwick\\Hivewright", "Language"));
    EXPECT_EQ("y", GetText(*api, kHkeyLocalMachine, "SOFTWARE\\Other", "x"));
  }
  // A machine without its SOFTWARE and user hives still keeps the settings.
  OfflineMachine bare;
  bare.settingsHive = machine_.settingsHive;
  auto api = OpenMachine(bare);
  EXPECT_EQ("C:\\Logs", GetText(*api, kHkeyLocalMachine, "Software\\Tarnwick\\Hivewright\\Path", "LogFile"));
  EXPECT_EQ("English", GetText(*api, kHkeyCurrentUser, "Software\\Tarnwick\\Hivewright", "Language"));
  EXPECT_EQ(std::vector<std::string>{"SOFTWARE"}, Subkeys(*api, kHkeyLocalMachine, ""));
  RegKey key = 0;
  EXPECT_NE(kErrorSuccess, api->CreateKeyEx(kHkeyLocalMachine, "SOFTWARE\\Other", kKeyReadWrite, &key));
}

TEST_F(HiveRegistryTest, MissingTruncatedAndForeignFilesGiveAClearError) {
  const std::string truncated = folder_ + "/TRUNCATED";
  {
    auto api = OpenMachine();
    for (int i = 0; i < 300; ++i)
      SetText(*api, kHkeyLocalMachine, "SOFTWARE\\Fill\\K" + std::to_string(i), "v", std::string(100, 'x'));
  }
  const std::string whole = HostFileBytes(machine_.softwareHive);
  ASSERT_GT(whole.size(), 16384u);
  std::ofstream(truncated, std::ios::binary) << whole.substr(0, whole.size() / 2);
  const std::string garbage = folder_ + "/GARBAGE";
  std::ofstream(garbage, std::ios::binary) << std::string(9000, 'G');
  const std::string tiny = folder_ + "/TINY";
  std::ofstream(tiny, std::ios::binary) << "regf";

  for (const std::string& bad : {folder_ + "/MISSING", truncated, garbage, tiny}) {
    OfflineMachine m = machine_;
    m.systemHive = bad;
    const std::string systemBefore = HostFileBytes(machine_.softwareHive);
    std::string error;
    EXPECT_FALSE(HiveRegistry::Open(m, &error)) << bad;
    EXPECT_NE(std::string::npos, error.find(bad)) << error;
    if (bad == truncated) {
      EXPECT_NE(std::string::npos, error.find("truncated")) << error;
    }
    try {
      HiveRegistry registry(m);
      ADD_FAILURE() << "constructor accepted " << bad;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(error, e.Description());
      EXPECT_EQ(bad == folder_ + "/MISSING" ? kErrFileNotFound : kErrPathFileAccess, e.Number());
    }
    EXPECT_EQ(systemBefore, HostFileBytes(machine_.softwareHive)) << "the good hives are untouched";
  }
}

// What the backend remembers between calls (child lists kept up to date as
// keys are added, the steps of the last path looked up) must never show
// anything a fresh look at the hive files would not.
TEST_F(HiveRegistryTest, KeysAddedUnderAListedParentAppearAsAFreshReadShowsThem) {
  const std::vector<std::string> added = {"zeta", "Alpha", u8"Ärger", "beta", "Mixed Case Name", "alpha2",
                                          "0first", u8"été", "Zulu", "middle"};
  std::vector<std::string> seen;
  {
    auto api = OpenMachine();
    RegKey parent = 0;
    ASSERT_EQ(kErrorSuccess, api->CreateKeyEx(kHkeyLocalMachine, "SOFTWARE\\Parent", kKeyReadWrite, &parent));
    for (const std::string& name : added) {
      ASSERT_TRUE(RegistryBuilder(*api).Key(parent, name)) << name;
      // The list is read between additions, so it is kept rather than made anew.
      SubkeyNames(*api, parent);
    }
    // The same name in another case is the same key, not a second one.
    ASSERT_TRUE(RegistryBuilder(*api).Key(parent, "ZETA"));
    seen = SubkeyNames(*api, parent);
    std::vector<std::string> sorted = seen, sortedAdded = added;
    std::sort(sorted.begin(), sorted.end());
    std::sort(sortedAdded.begin(), sortedAdded.end());
    EXPECT_EQ(sortedAdded, sorted);
    for (const std::string& name : added) {
      RegKey child = 0;
      EXPECT_EQ(kErrorSuccess, api->OpenKeyEx(parent, name, 0, kKeyRead, &child)) << name;
      api->CloseKey(child);
    }
    api->CloseKey(parent);
  }
  EXPECT_EQ(Subkeys(*OpenMachine(), kHkeyLocalMachine, "SOFTWARE\\Parent"), seen) << "the order is the hive's own";
}

// ---- hives made by Windows ----------------------------------------------------

// Decompresses `.xz` files into `scratch`; other files are used in place.
std::string Prepared(const fs::path& file, const std::string& scratch) {
  if (file.extension() != ".xz") return file.string();
  const std::string out = scratch + "/" + file.stem().string();
  const std::string cmd = "xz -dc '" + file.string() + "' > '" + out + "'";
  EXPECT_EQ(0, std::system(cmd.c_str())) << cmd;
  return out;
}

TreeCount WalkHiveFile(const std::string& path, const std::string& scratch, std::string* error) {
  OfflineMachine m;
  m.userHive = path;
  m.settingsHive = scratch + "/settings.hiv";
  m.readOnly = true;
  TreeCount count;
  auto api = HiveRegistry::Open(m, error);
  if (!api) return count;
  CountTree(*api, kHkeyCurrentUser, &count);
  EXPECT_EQ(0u, api->OpenHandleCount());
  EXPECT_FALSE(count.tooDeep) << path;
  return count;
}

// Good hives open and walk to the counts of HIVE_INDEX.tsv; damaged ones
// are refused naming the file, or walked safely.
TEST(HiveRegistryRealHives, GoodHivesWalkCompletelyAndDamagedOnesSafely) {
  const std::string data = TestDataDir();
  if (data.empty()) GTEST_SKIP() << "the shared test data folder is absent";
  // Keys (with the root) and values as listed in HIVE_INDEX.tsv.
  std::map<std::string, std::pair<std::size_t, std::size_t>> index = {
      {"artemis-win10-NTUSER.DAT", {666, 1089}},   {"hivex-minimal", {1, 0}},
      {"notatin-win7_ntuser.dat", {4841, 16545}},  {"plaso-NTUSER-WIN7.DAT", {2288, 5470}},
      {"plaso-NTUSER.DAT", {1127, 5602}},          {"plaso-UsrClass.dat", {7505, 19987}},
      {"regipy-NTUSER.DAT", {1812, 4094}},         {"regipy-SYSTEM", {30756, 73456}},
      {"regipy-UsrClass.dat", {6205, 12369}},      {"regipy-ntuser_software_partial", {6396, 19990}},
      // The index gives 2945 and 3682: its walk gave up the rest of a key at
      // the first unreadable value. Of its 3871 values two have no readable data.
      {"scancode-Software_Delta", {2946, 3869}},
  };
  const std::string scratch = MakeTempFolder("hw-real-hives");
  std::size_t walked = 0, bad = 0;
  for (const char* folder : {"/hives", "/hives-bad"}) {
    for (const auto& entry : fs::directory_iterator(data + folder)) {
      const std::string path = Prepared(entry.path(), scratch);
      const std::string stem = fs::path(path).filename().string();
      std::string error;
      const TreeCount c = WalkHiveFile(path, scratch, &error);
      if (folder == std::string("/hives-bad")) {
        ++bad;
        EXPECT_TRUE(error.empty() ? c.keys >= 1 : error.find(path) != std::string::npos) << path << ": " << error;
        continue;
      }
      ASSERT_TRUE(error.empty()) << stem << ": " << error;
      ++walked;
      ASSERT_EQ(1u, index.count(stem)) << stem << " is not in the index";
      EXPECT_EQ(0, c.firstError) << stem;
      EXPECT_EQ(index[stem], std::make_pair(c.keys, c.values)) << stem;
      EXPECT_EQ(0u, c.unopenable) << stem;
    }
  }
  EXPECT_EQ(index.size(), walked);
  EXPECT_GE(bad, 4u);
  RemoveTree(scratch);
}

}  // namespace
}  // namespace hw::test
