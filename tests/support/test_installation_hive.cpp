#include <hivex.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/registry_api_hive.h"
#include "support/test_installation.h"
#include "support/test_paths.h"

namespace hw::test {
namespace {
namespace fs = std::filesystem;

std::string TestData(const std::string& name) { return TestDataDir() + "/hives/" + name; }

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) throw std::runtime_error("test installation: " + command);
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

void BuildSoftware(const std::string& path, const std::vector<std::string>& profiles, const std::string& usersName) {
  std::string error;
  if (!HiveRegistry::WriteBlankHive(path, &error)) throw std::runtime_error(error);
  OfflineMachine m;
  m.softwareHive = path;
  m.settingsHive = path + ".settings";
  {
    HiveRegistry r(m);
    RegistryBuilder b(r);
    const std::string nt = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    b.String(kHkeyLocalMachine, nt, "ProductName", "Windows 10 Pro");
    const std::string list = nt + "\\ProfileList";
    b.String(kHkeyLocalMachine, list, "ProfilesDirectory", "%SystemDrive%\\" + usersName, kRegExpandSz);
    b.String(kHkeyLocalMachine, list, "ProgramData", "%SystemDrive%\\ProgramData", kRegExpandSz);
    b.String(kHkeyLocalMachine, list, "Public", "%SystemDrive%\\" + usersName + "\\Public", kRegExpandSz);
    b.String(kHkeyLocalMachine, list + "\\S-1-5-18", "ProfileImagePath",
             "%systemroot%\\system32\\config\\systemprofile", kRegExpandSz);
    int rid = 1001;
    for (const std::string& p : profiles)
      b.String(kHkeyLocalMachine, list + "\\S-1-5-21-3-2-1-" + std::to_string(rid++), "ProfileImagePath",
               "%SystemDrive%\\" + usersName + "\\" + p, kRegExpandSz);
    const std::string cv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    b.String(kHkeyLocalMachine, cv, "ProgramFilesDir", "C:\\Program Files");
    b.String(kHkeyLocalMachine, cv, "ProgramFilesDir (x86)", "C:\\Program Files (x86)");
    b.String(kHkeyLocalMachine, cv, "CommonFilesDir", "C:\\Program Files\\Common Files");
    b.Key(kHkeyLocalMachine, cv + "\\Run");
    b.Key(kHkeyLocalMachine, "SOFTWARE\\Classes\\CLSID");
    if (r.Flush() != kErrorSuccess) throw std::runtime_error(r.LastFlushError());
  }
  fs::remove(m.settingsHive);
}

void SetEnv(const char* name, const std::string& value, std::string* old, bool* had) {
  const char* v = std::getenv(name);
  *had = v != nullptr;
  if (v) *old = v;
  setenv(name, value.c_str(), 1);
}

void RestoreEnv(const char* name, const std::string& old, bool had) {
  if (had) setenv(name, old.c_str(), 1);
  else unsetenv(name);
}

}  // namespace

std::string TestInstallation::SkipReason() {
  if (TestDataDir().empty()) return "the shared test data (../shared/testdata) is not there";
  for (const char* f : {"regipy-SYSTEM.xz", "artemis-win10-NTUSER.DAT"})
    if (!fs::exists(TestData(f))) return std::string("the test hive ") + f + " is not there";
  return {};
}

TestInstallation::TestInstallation(const Shape& shape)
    : scratch_(MakeTempFolder("hw-install")), profilesName_(shape.profilesName), windowsName_(shape.windowsName) {
  root_ = scratch_ + "/root";
  const std::string config = root_ + "/" + windowsName_ + "/System32/config";
  fs::create_directories(config);
  Run("xz -dc " + Quote(TestData("regipy-SYSTEM.xz")) + " > " + Quote(config + "/SYSTEM"));
  BuildSoftware(config + "/SOFTWARE", shape.profiles, profilesName_);
  for (const std::string& p : shape.profiles) {
    fs::create_directories(root_ + "/" + profilesName_ + "/" + p);
    fs::copy_file(TestData("artemis-win10-NTUSER.DAT"), UserHive(p));
    fs::permissions(UserHive(p), fs::perms::owner_write, fs::perm_options::add);
  }
  fs::create_directories(root_ + "/" + profilesName_ + "/Public");
  SetEnv("XDG_STATE_HOME", scratch_ + "/state", &oldState_, &hadState_);
  SetEnv("XDG_DATA_HOME", scratch_ + "/data", &oldData_, &hadData_);
}

TestInstallation::~TestInstallation() {
  RestoreEnv("XDG_STATE_HOME", oldState_, hadState_);
  RestoreEnv("XDG_DATA_HOME", oldData_, hadData_);
  RemoveTree(scratch_);
}

std::string TestInstallation::SoftwareHive() const { return root_ + "/" + windowsName_ + "/System32/config/SOFTWARE"; }
std::string TestInstallation::SystemHive() const { return root_ + "/" + windowsName_ + "/System32/config/SYSTEM"; }
std::string TestInstallation::UserHive(const std::string& profile) const {
  return root_ + "/" + profilesName_ + "/" + profile + "/NTUSER.DAT";
}

void TestInstallation::Edit(const std::function<void(RegistryBuilder&, RegistryApi&)>& edit,
                            const std::string& profile) {
  OfflineMachine m;
  m.softwareHive = SoftwareHive();
  m.systemHive = SystemHive();
  m.userHive = UserHive(profile);
  m.settingsHive = scratch_ + "/edit-settings.hiv";
  HiveRegistry r(m);
  RegistryBuilder b(r);
  edit(b, r);
  if (r.Flush() != kErrorSuccess) throw std::runtime_error(r.LastFlushError());
}

void TestInstallation::MakeFile(const std::string& relative, const std::string& bytes) {
  const fs::path p = fs::path(root_) / relative;
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

std::vector<std::string> HiveValues(const std::string& hivePath) {
  std::vector<std::string> out;
  hive_h* h = hivex_open(hivePath.c_str(), 0);
  if (!h) throw std::runtime_error("hivex cannot open " + hivePath);
  std::function<void(hive_node_h, const std::string&)> walk = [&](hive_node_h node, const std::string& path) {
    if (hive_value_h* values = hivex_node_values(h, node)) {
      for (hive_value_h* v = values; *v; ++v) {
        char* name = hivex_value_key(h, *v);
        hive_type type{};
        std::size_t len = 0;
        char* data = hivex_value_value(h, *v, &type, &len);
        out.push_back(path + "#" + (name ? name : "?") + "=" + std::to_string(type) + ":" +
                      (data ? std::string(data, len) : std::string("<unreadable>")));
        std::free(name);
        std::free(data);
      }
      std::free(values);
    }
    if (hive_node_h* children = hivex_node_children(h, node)) {
      for (hive_node_h* c = children; *c; ++c) {
        char* name = hivex_node_name(h, *c);
        walk(*c, path + "\\" + (name ? name : "?"));
        std::free(name);
      }
      std::free(children);
    }
  };
  walk(hivex_root(h), "");
  hivex_close(h);
  return out;
}

}  // namespace hw::test
