#include "engine/mani.h"
#include "fuzz/fuzz_checks.h"
#include "platform/blank_hive.h"
#include "platform/registry_api_hive.h"
#include "support/host_file.h"
#include "support/registry_builder.h"
#include "support/test_paths.h"

namespace hw::fuzz {
namespace {

struct HiveRig {
  std::string folder = test::MakeTempFolder("hw-fuzz-hive");
  std::string file = folder + "/SOFTWARE";
  std::string system = folder + "/SYSTEM";
  ~HiveRig() { test::RemoveTree(folder); }
};

// Counts what the walk reports; a handler that asks for nothing more.
struct WalkCounter : ManiEvents {
  void SearchKeyChanged(const std::string&) override { ++keys; }
  void SearchFinished(std::int32_t) override { ++finished; }
  long keys = 0;
  int finished = 0;
};

}  // namespace

void CheckHive(const std::string& input) {
  static HiveRig rig;
  for (const std::string* path : {&rig.file, &rig.system}) WriteInputFile(*path, input);
  // The bytes serve as SOFTWARE and as SYSTEM (whose Select\Current picks
  // CurrentControlSet), read only.
  OfflineMachine m;
  m.softwareHive = rig.file;
  m.systemHive = rig.system;
  m.settingsHive = rig.folder + "/settings.hiv";
  m.readOnly = true;
  std::string error;
  std::unique_ptr<HiveRegistry> registry = HiveRegistry::Open(m, &error);
  if (!registry) {
    Require(error.find(rig.file) != std::string::npos || error.find(rig.system) != std::string::npos,
            "a refused hive's message does not name it: " + error);
    return;
  }
  NullMessagePump pump;
  SearchParameters search{kHkeyLocalMachine, kSearchValueNames | kSearchValueData, "\x01 matches nothing", ""};
  Mani walker(*registry, pump, search);
  WalkCounter counter;
  walker.SetEvents(&counter);
  walker.DoSearch();
  Require(counter.finished == 1, "the walk did not finish once");
  RegKey key = 0;
  if (registry->OpenKeyEx(kHkeyLocalMachine, "SYSTEM\\CurrentControlSet", 0, kKeyRead, &key) == kErrorSuccess)
    registry->CloseKey(key);
  Require(registry->OpenHandleCount() == 0, "the walk left keys open");
  registry.reset();
  Require(test::HostFileBytes(rig.file) == input && test::HostFileBytes(rig.system) == input, "reading a hive changed its file");
}

std::vector<std::string> HiveSeeds() {
  // A hive the backend itself wrote: keys in depth, every value type.
  const std::string folder = test::MakeTempFolder("hw-fuzz-hive-seed");
  OfflineMachine m;
  m.softwareHive = folder + "/SOFTWARE";
  m.settingsHive = folder + "/settings.hiv";
  std::string error;
  if (HiveRegistry::WriteBlankHive(m.softwareHive, &error)) {
    auto registry = HiveRegistry::Open(m, &error);
    if (registry) {
      test::RegistryBuilder b(*registry);
      const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
      b.String(kHkeyLocalMachine, run, "app", "C:\\Gone\\app.exe /min");
      b.String(kHkeyLocalMachine, run, "", "%SystemRoot%\\x.exe", kRegExpandSz);
      b.Dword(kHkeyLocalMachine, "SOFTWARE\\Select", "Current", 1);
      b.Value(kHkeyLocalMachine, "SOFTWARE\\Bin", "bin", kRegBinary, {0, 1, 2, 0, 255});
      b.Value(kHkeyLocalMachine, "SOFTWARE\\ControlSet001\\Multi", "multi", kRegMultiSz,
              {'a', 0, 'b', 0, 0});
      registry->Flush();
    }
  }
  std::vector<std::string> seeds = {MakeBlankHive(), test::HostFileBytes(m.softwareHive)};
  test::RemoveTree(folder);
  return seeds;
}

}  // namespace hw::fuzz
