// The Linux scratch registry: blank SOFTWARE, SYSTEM and NTUSER.DAT hives
// (plus the settings hive) in a temporary folder, shaped like a fresh
// installation: SOFTWARE\Classes, SYSTEM\Select\Current = 1 with
// ControlSet001, and the user's Software key.
#include <stdexcept>

#include "platform/registry_api_hive.h"
#include "support/scratch_registry.h"
#include "support/test_paths.h"

namespace hw::test {
namespace {

class HiveScratchRegistry : public ScratchRegistry {
 public:
  HiveScratchRegistry() : folder_(MakeTempFolder("hw-hives")) {
    OfflineMachine m;
    m.softwareHive = folder_ + "/SOFTWARE";
    m.systemHive = folder_ + "/SYSTEM";
    m.userHive = folder_ + "/NTUSER.DAT";
    m.settingsHive = folder_ + "/settings.hiv";
    std::string error;
    for (const std::string* path : {&m.softwareHive, &m.systemHive, &m.userHive})
      if (!HiveRegistry::WriteBlankHive(*path, &error)) Fail(error);
    registry_ = HiveRegistry::Open(m, &error);
    if (!registry_) Fail(error);

    for (RegKey made : {Create(kHkeyLocalMachine, "SOFTWARE\\Classes"),
                        Create(kHkeyLocalMachine, "SYSTEM\\ControlSet001"),
                        Create(kHkeyCurrentUser, "Software")})
      registry_->CloseKey(made);
    RegKey select = Create(kHkeyLocalMachine, "SYSTEM\\Select");
    const std::uint8_t one[4] = {1, 0, 0, 0};
    if (registry_->SetValueEx(select, "Current", kRegDword, one, 4) != kErrorSuccess) Fail("Select\\Current");
    registry_->CloseKey(select);
    if (registry_->Flush() != kErrorSuccess) Fail(registry_->LastFlushError());
  }

  ~HiveScratchRegistry() override {
    registry_.reset();
    RemoveTree(folder_);
  }

  RegistryApi& Api() override { return *registry_; }

 private:
  RegKey Create(RegKey root, const std::string& path) {
    RegKey key = 0;
    if (registry_->CreateKeyEx(root, path, kKeyReadWrite, &key) != kErrorSuccess) Fail(path);
    return key;
  }
  [[noreturn]] void Fail(const std::string& what) {
    registry_.reset();
    RemoveTree(folder_);
    throw std::runtime_error("scratch registry: " + what);
  }

  std::string folder_;
  std::unique_ptr<HiveRegistry> registry_;
};

}  // namespace

std::unique_ptr<ScratchRegistry> MakeScratchRegistry() { return std::make_unique<HiveScratchRegistry>(); }

}  // namespace hw::test
